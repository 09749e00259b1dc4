// The inputs of kvtool: a SMILES text, or a file read by the reader its row of the file-type
// table names.

#include "tools/kvtoolReaders.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <vector>

#include "io/FileTypes.h"
#include "io/InputFile.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"

namespace kvtool {

namespace {

using Clock = std::chrono::steady_clock;

std::string trimmed(const std::string& s) {
  const char* const blanks = "\r\n\t ";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Holds the error lines the readers report while one molecule or file is read, so that each
// record can carry the reason of a failure; every line is passed on to standard error as its
// record is made.
class ErrorCapture {
 public:
  ErrorCapture() { resume(); }
  ~ErrorCapture() {
    passOn(std::string());
    pause();
  }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  // Between the two, error lines go straight on (those of the outputs a record is written to).
  void pause() { setErrorSink(previous); }
  void resume() {
    previous = setErrorSink([this](const std::string& line) { lines.push_back(line); });
  }

  // Passes the lines held on to standard error, place (when given) added to every line that
  // names none. Returns the first that starts with "Error", else the first non-empty line; ""
  // when none.
  std::string passOn(const std::string& place) {
    std::string firstLine, firstError;
    for (std::string& line : lines) {
      if (!place.empty() && !trimmed(line).empty() && line.find(" of \"") == std::string::npos)
        line = trimmed(line) + " on " + place;
      previous(line);
      const std::string text = trimmed(line);
      if (text.empty()) continue;
      if (text.find("left out") != std::string::npos) leftOut.push_back(text);
      if (firstLine.empty()) firstLine = text;
      if (firstError.empty() && text.compare(0, 5, "Error") == 0) firstError = text;
    }
    lines.clear();
    return firstError.empty() ? firstLine : firstError;
  }

  // Every line so far that says an atom was left out (a PDB model lacks it).
  std::vector<std::string> leftOut;

 private:
  std::vector<std::string> lines;
  ErrorSink previous;
};

// Opens a file for a reader of this tool; false after a message when it cannot be read.
bool openInput(const std::string& path, std::ifstream& in) {
  std::string reason;
  if (openInputFile(path, in, reason)) return true;
  std::cerr << "Error: kvtool: " << reason << " \"" << path << "\"\n";
  return false;
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads a file with the reader its row of the file-type table names, the one File > Open calls,
// and makes a record of each molecule the reader hands on: the lines the reader printed and the
// time it took since the record before. Atoms left out of a PDB file are named on every record
// that follows them. A file the reader refuses whole (a PDB file of stacked atoms or without atom
// records) is one record carrying the reader's reason.
bool readFile(const FileType& type, const std::string& path, const RecordSink& sink) {
  std::ifstream probe;
  if (!openInput(path, probe)) return false;
  probe.close();
  ErrorCapture capture;
  Clock::time_point start = Clock::now();
  int records = 0;
  const bool readable = type.read(path, [&](FileRecord& read) {
    ++records;
    Record record;
    record.molecule.reset(read.molecule);
    record.name = read.name;
    const std::string place = read.firstLine > 0 ? linePlace(read.firstLine, path) : "";
    record.error = capture.passOn(place);
    record.warnings = capture.leftOut;
    record.seconds = secondsSince(start);
    if (record.molecule == nullptr) {
      if (record.name.empty()) record.name = path;
      if (record.error.empty()) {
        const std::string where = place.empty() ? "\"" + path + "\"" : place;
        record.error = "Error: kvtool: no molecule from " + where;
        std::cerr << record.error << "\n";
      }
    }
    capture.pause();
    sink(record);
    capture.resume();
    start = Clock::now();
  });
  if (records == 0) {
    Record record;
    record.name = path;
    record.error = capture.passOn(std::string());
    record.seconds = secondsSince(start);
    capture.pause();
    if (record.error.compare(0, 5, "Error") == 0) sink(record);
    capture.resume();
  }
  return readable;
}

}  // namespace

Record readSmilesLine(const std::string& line) {
  Record record;
  std::string smiles;
  SmilesParser::splitSmilesLine(line, smiles, record.name);
  const Clock::time_point start = Clock::now();
  {
    ErrorCapture capture;
    SmilesParser parser;
    record.molecule.reset(parser.smilesToMol(line));
    record.error = capture.passOn(std::string());
  }
  record.seconds = secondsSince(start);
  if (record.molecule == nullptr && record.error.empty())
    record.error = "Error: kvtool: SMILES not read \"" + smiles + "\"";
  // An unread line without a name is known by its SMILES.
  if (record.molecule == nullptr && record.name.empty()) record.name = smiles;
  return record;
}

FileReader readerFor(const std::string& path) {
  const FileType* type = fileTypeOf(path, kKvtoolUse);
  if (type == nullptr) return FileReader();
  return [type](const std::string& file, const RecordSink& sink) {
    return readFile(*type, file, sink);
  };
}

std::string knownExtensions() {
  std::string out;
  for (const FileType& type : fileTypes()) {
    if ((type.takenBy & kKvtoolUse) == 0) continue;
    if (!out.empty()) out += ' ';
    out += type.extensions;
  }
  return out;
}

}  // namespace kvtool
