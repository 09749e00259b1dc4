#pragma once

// The pieces the MDL reader's files share: fields taken from fixed columns, the numbered lines of
// one record, and the readers of its blocks (counts and atoms in MDLMolParserAtoms.cpp, bonds in
// MDLMolParserBonds.cpp, property lines in MDLMolParserProperties.cpp). Every number is parsed
// with an end check, so a shifted or damaged line fails the read with a message instead of being
// misread.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <string>
#include <vector>

#include "construction/HandsFromCoordinates.h"
#include "io/InputFile.h"
#include "math/UtilityEngine.h"

class Molecule;

namespace mdlread {

const size_t kLineWidth = 80;   // atom and bond lines are padded to this width

// For failures that belong to no line: a path, or a molecule being written.
inline void reportProblem(const std::string& what, const std::string& input) {
  ErrorLine() << "Error: MDLMolParser: " << what << " \"" << input << "\"";
}

inline std::string trimmed(const std::string& text) {
  const char* blanks = "\r\n\t ";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Columns first to last, counted from 1, both included; what lies beyond the line is blank.
inline std::string columns(const std::string& line, size_t first, size_t last) {
  if (first - 1 >= line.size()) return std::string();
  return line.substr(first - 1, last - first + 1);
}

inline void padTo(std::string& line, size_t width) {
  if (line.size() < width) line.append(width - line.size(), ' ');
}

inline bool startsWith(const std::string& line, const char* prefix) {
  return line.rfind(prefix, 0) == 0;
}

// A whole field as an integer. A blank field is 0 when blankIsZero, else an error.
inline bool readInt(const std::string& field, bool blankIsZero, int& out) {
  const std::string text = trimmed(field);
  if (text.empty()) {
    out = 0;
    return blankIsZero;
  }
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || errno == ERANGE || value < INT_MIN || value > INT_MAX)
    return false;
  out = static_cast<int>(value);
  return true;
}

inline bool readCoordinate(const std::string& field, float& out) {
  const std::string text = trimmed(field);
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value) ||
      std::fabs(value) > 1.0e6)
    return false;
  out = static_cast<float>(value);
  return true;
}

// Lines of one record, numbered for messages; line ends of other systems are dropped.
class RecordLines {
 public:
  RecordLines(std::istream& stream, int firstLine, const std::string& source)
      : in(stream), number(firstLine - 1), file_(source) {}
  bool next(std::string& line) {
    if (!readTextLine(in, line)) return false;
    if (++number == 1) dropByteOrderMark(line);
    return true;
  }
  int lineNumber() const { return number; }
  const std::string& file() const { return file_; }
  std::string place() const { return linePlace(std::max(number, 1), file_); }
  // One line "Error: MDLMolParser: what "input" on line 4 of "a.mol"" for the current line.
  void report(const std::string& what, const std::string& input) const {
    ErrorLine() << "Error: MDLMolParser: " << what << " \"" << input << "\" on " << place();
  }

 private:
  std::istream& in;
  int number;
  const std::string& file_;
};

// Counts and atom block (MDLMolParserAtoms.cpp).
//
// Lines 1 to 3 and the counts line. False after a message.
bool readHeader(RecordLines& lines, std::string& name, std::string& counts, int& atomCount,
                int& bondCount);
// The property block, or the record's end, where a line of a block should be.
bool endsBondBlock(const std::string& line);
// As endsBondBlock, and a bond line ("  1  2  1  0"): three numbers where the first coordinate
// should be.
bool endsAtomBlock(const std::string& line);
// One atom line, added to m as a new atom. False after a message.
bool readAtomLine(const std::string& input, const RecordLines& lines, bool graphOnly,
                  Molecule& m);

// Bond block (MDLMolParserBonds.cpp).
//
// A record whose atoms all sit at the origin gives no coordinates: they are made, not checked.
bool hasCoordinates(const Molecule& m);
// True when the atoms the record placed do not all lie in the plane z = 0.
bool showsDepth(const Molecule& m);
// False (after a message naming both atom lines) when two atoms lie within the shortest bond;
// with onlyUnbonded, when one of them has no bond.
bool separateAtoms(const Molecule& m, const RecordLines& lines, int firstAtomLine,
                   bool onlyUnbonded);
// Where a bond of the block was read: its line and its type column.
struct BondLine {
  int line;
  int type;
};
// One bond line, added to m, with its place appended to bondLines (one entry per bond of m); a
// wedge of a single bond goes to wedges. A line that repeats an earlier one is dropped with a
// warning. False after a message.
bool readBondLine(const std::string& input, const RecordLines& lines, int atomCount,
                  bool checkLength, Molecule& m, std::vector<BondLine>& bondLines,
                  std::vector<DrawnWedge>& wedges);

// Property block (MDLMolParserProperties.cpp).
//
// Property lines up to "M  END"; charges and mass numbers are taken. False after a message.
bool readPropertyLines(RecordLines& lines, Molecule& m);

}  // namespace mdlread
