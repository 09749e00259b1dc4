#pragma once

#include "math/SSEVector4f.h"

#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

// Where console lines go. The main window installs one that appends to its console pane; the
// default writes each line and a line feed to standard output; tests install a capture.
using ConsoleSink = std::function<void(const std::string& line)>;

// Where error lines go: every reader, table loader and service reports through it. The default
// writes each line and a line feed to standard error; the main window shows them in its console
// pane; tests install a capture.
using ErrorSink = std::function<void(const std::string& line)>;

// The process-wide utility service: strings, conversions, wildcard matching, placement
// geometry (UtilityGeometry.cpp) and console output.
class UtilityEngine {
public:
  static UtilityEngine* Instance;
  static UtilityEngine* instance();

  // Console verbosity of the optimisers: 0 nothing, 1 headings, 2 also one line per step.
  int printLevel;

  // Installs the console sink; an empty sink puts the default (standard output) back.
  void setConsoleSink(ConsoleSink sink);
  // Hands one line to the sink, then lets pending events run (processPendingEvents).
  void printToConsole(std::string line);
  void printToConsole(const char* line);   // null prints nothing

  // Strings and conversions.
  void toUpper(std::string& text);
  // Appends every maximal run of non-delimiter characters; never an empty token; does not clear.
  void tokenize(const std::string& text, std::vector<std::string>& tokens,
                const std::string& delimiters = " ");
  // "*" wildcard match, table name first and query second; unanchored (see the .cpp).
  bool stringMatchWithWildCards(std::string first, std::string second);
  // Ascending byte-wise order, every entry that is exactly "*" moved to the end.
  void sortStringVector(std::vector<std::string>& list);
  void clearWhiteSpaces(std::string& text);     // removes blanks, tabs, CR and LF
  void replaceWhiteSpaces(std::string& text);   // blanks become "_"
  std::string intToString(int value);
  // The integer at the start of the text once white space is removed; 0 when there is none.
  int stringToInt(std::string text);

  // Placement geometry; angles in radians, only x, y, z of the vectors take part.
  // rows: three caller-owned rows of three floats; the axis must have unit length.
  void arbitraryRotationAxis(float ax, float ay, float az, float angle, float** rows);
  // The unit direction at the angle from the given one, turned towards the x axis (the y axis
  // when the direction lies along x). result.w is left as it was; a zero direction gives zero.
  void calculateSecondAtom(SSEVector4f direction, SSEVector4f& result, float angle);
  // The two unit directions at alpha to a and beta to b (mirror images through the a-b plane),
  // or the documented fallbacks when the request is degenerate; never NaN.
  void calculateThirdAtom(SSEVector4f a, SSEVector4f b, SSEVector4f& first, SSEVector4f& second,
                          float alpha, float beta);
  // Rotates the flagged points in place about the axis through points[pivot].
  void rotateAboutAxis(SSEVector4f* points, int pivot, int count, float ax, float ay, float az,
                       float angle, const bool* flags);
  // start + direction * (distance / |direction|), w = 0; a zero direction returns the start.
  SSEVector4f findPointInDirection(const SSEVector4f* direction, float distance,
                                   const SSEVector4f* start);
  // Moves p4 about the p2-p3 axis so that the dihedral p1-p2-p3-p4 becomes the target; leaves
  // p4 alone when the dihedral is undefined (three collinear points).
  void generateCorrectDihedral(SSEVector4f p1, SSEVector4f p2, SSEVector4f p3, SSEVector4f& p4,
                               float targetAngle);

  // Developer services (DeveloperUtilities.cpp); nothing in the application calls them.
  // True when the text holds an "@".
  bool hasConstraint(std::string text);
  // Replaces pieces by the pieces of a connection string: white space goes, "&" separates at
  // the top level, braces group a piece whose inner "&" is kept ("{A&B}&C" gives "A&B", "C");
  // empty pieces are dropped.
  void getConnFromString(std::string text, std::vector<std::string>& pieces);

  // Graphics-driver report; bodies in render/DriverReport.cpp (kv_render), as they call GL.
  // Both need a current GL context. QueryGPU appends the vendor, renderer, version numbers and
  // extensions to "hwdebug.txt" and stores the version numbers in the renderer's
  // glMajorVersion and glMinorVersion. QueryGPUBlackList is true when the renderer's name holds
  // (ignoring case) a line of "Settings/blacklist.ini"; "#" lines are comments; a list that
  // cannot be read answers false.
  void QueryGPU();
  bool QueryGPUBlackList();

private:
  UtilityEngine();
  ConsoleSink sink;
};

// Writes the integers separated by ", ", with no line end ("1, 2, 3").
void printVector(std::vector<int> values, std::ostream& out);

// Lets pending events run (repaints, timers, posted calls) while mouse and key input stays
// queued for the next full turn of the event loop, so that no menu command can start inside a
// print or a molecule's set-up and delete what it is working on. Nothing without an application
// object.
void processPendingEvents();
// Lets every pending event run, mouse and key input included. The readers of many molecules
// (SD files, SMILES files, folders of mol files) call it between two molecules, where nothing is
// half built, so the window's menus open and its clicks are answered during a long load; the
// main window refuses, while a load runs, the commands that would read, build or clear
// molecules of their own. Nothing without an application object.
void processPendingEventsAndInput();

// Same as UtilityEngine::instance()->setConsoleSink(sink).
void setConsoleSink(ConsoleSink sink);

// Installs the error sink; an empty sink puts the default (standard error) back. Returns the sink
// it replaces, so a caller can put it back.
ErrorSink setErrorSink(ErrorSink sink);
// Hands one error line (without its line feed) to the error sink, its control bytes escaped
// (printableText): a reader quoting a line of a binary file must not write them to a terminal
// or the console pane.
void printError(const std::string& line);
// The text with every control byte (below 0x20, and 0x7f) but the line feed written as \x and
// two hex digits. A whole UTF-8 character is kept as it is; the bytes of a broken or cut
// sequence, and of the controls U+0080 to U+009F, are escaped like control bytes.
std::string printableText(const std::string& text);

// The bytes of the UTF-8 character that starts at text[at]: 1 for ASCII, 2 to 4 for a valid
// multi-byte sequence (no overlong form, surrogate or value past U+10FFFF), and 1 for a byte that
// starts none (a continuation byte, a cut or broken sequence). 0 at or past the end.
size_t utf8CharacterLength(const std::string& text, size_t at);
// The whole character at text[at] (one byte when none starts there); empty past the end.
std::string utf8CharacterAt(const std::string& text, size_t at);
// The longest start of the text of at most maxBytes bytes that does not split a UTF-8
// character, so that a quoted start of a long input ends on a whole character.
std::string cutAtCharacter(const std::string& text, size_t maxBytes);

// Writes bytes as the whole content of the file at path: into a temporary file beside it, then
// renamed over it, so a failed write leaves an existing file as it was. False on any failure;
// the caller reports it, with the reason the second form gives ("no file name", or the system's
// words, such as "No such file or directory").
bool writeWholeFile(const std::string& path, const std::string& bytes);
bool writeWholeFile(const std::string& path, const std::string& bytes, std::string& reason);

// One error line built with <<, handed to the error sink when the statement ends:
//   ErrorLine() << "Error: MDLMolParser: bad atom count \"" << field << "\" on line " << n;
// A trailing line feed is dropped; a text with inner line feeds stays one message of several
// lines (every other control byte escaped).
class ErrorLine {
public:
  ErrorLine() = default;
  ErrorLine(const ErrorLine&) = delete;
  ErrorLine& operator=(const ErrorLine&) = delete;
  ~ErrorLine();
  template <typename T>
  ErrorLine& operator<<(const T& value) {
    text << value;
    return *this;
  }

private:
  std::ostringstream text;
};
