// The readers of kvtool, one per reader family of the file-type table.

#include "tools/kvtoolReaders.h"

#include "io/FileTypes.h"
#include "io/IOEngine.h"
#include "io/InputFile.h"
#include "math/UtilityEngine.h"

#include <QCoreApplication>

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>
#include <vector>

#include "io/MDLMolParser.h"
#include "io/PDBParser.h"
#include "io/SmilesParser.h"

namespace kvtool {

namespace {

using Clock = std::chrono::steady_clock;

std::string trimmed(const std::string& s) {
  const char* const blanks = "\r\n\t ";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Holds the error lines the readers report while one molecule is read, so that the record can
// carry the reason of a failure; every line is passed on to standard error afterwards.
class ErrorCapture {
 public:
  ErrorCapture() : previous(setErrorSink([this](const std::string& line) { lines.push_back(line); })) {}
  ~ErrorCapture() { release(); }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  // Every line captured that contains part.
  std::vector<std::string> linesWith(const std::string& part) const {
    std::vector<std::string> out;
    for (const std::string& line : lines)
      if (line.find(part) != std::string::npos) out.push_back(trimmed(line));
    return out;
  }

  // Added to every line that does not name a place of its own.
  void setPlace(const std::string& where) { place = where; }

  // The first line that starts with "Error", else the first non-empty line; "" when none.
  std::string release() {
    if (released) return firstError;
    released = true;
    setErrorSink(previous);
    std::string firstLine;
    for (std::string& line : lines) {
      if (!place.empty() && !trimmed(line).empty() && line.find(" of \"") == std::string::npos)
        line = trimmed(line) + " on " + place;
      printError(line);
      const std::string text = trimmed(line);
      if (text.empty()) continue;
      if (firstLine.empty()) firstLine = text;
      if (firstError.empty() && text.compare(0, 5, "Error") == 0) firstError = text;
    }
    if (firstError.empty()) firstError = firstLine;
    return firstError;
  }

 private:
  std::vector<std::string> lines;
  ErrorSink previous;
  bool released = false;
  std::string firstError;
  std::string place;
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

// Lets a QApplication breathe between molecules, as the application's file loop does.
void processEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

bool readSmilesFile(const std::string& path, const RecordSink& sink) {
  std::ifstream in;
  if (!openInput(path, in)) return false;
  std::string line;
  int lineNumber = 0;
  while (readTextLine(in, line)) {
    if (++lineNumber == 1) dropByteOrderMark(line);
    if (trimmed(line).empty()) continue;
    processEvents();
    Record record = readSmilesLine(line, linePlace(lineNumber, path));
    sink(record);
  }
  return true;
}

// One MDL record through the same steps as the application's reader, with line numbers of the
// whole file in the messages.
Record readMolRecord(const std::string& text, int firstLine, const std::string& path) {
  Record record;
  const Clock::time_point start = Clock::now();
  ErrorCapture capture;
  std::istringstream in(text);
  readTextLine(in, record.name);
  record.name = trimmed(record.name);
  in.clear();
  in.seekg(0);
  MDLMolParser parser;
  parser.sourcePath = path;
  std::string name;
  std::unique_ptr<Molecule> m(parser.readConnectionTable(in, name, firstLine, false));
  if (m != nullptr) {
    parser.perceive(m.get());
    if (!parser.completeMolecule(m.get(), name)) m.reset();
  }
  record.molecule = std::move(m);
  record.error = capture.release();
  record.seconds = secondsSince(start);
  if (record.molecule == nullptr && record.error.empty())
    record.error = "Error: kvtool: record not read";
  return record;
}

bool readMolFile(const std::string& path, const RecordSink& sink) {
  std::ifstream in;
  if (!openInput(path, in)) return false;
  std::ostringstream all;
  all << in.rdbuf();
  std::string text = all.str();
  dropByteOrderMark(text);
  Record record = readMolRecord(text, 1, path);
  sink(record);
  return true;
}

bool readSDFile(const std::string& path, const RecordSink& sink) {
  std::ifstream in;
  if (!openInput(path, in)) return false;
  for (const std::pair<std::string, int>& entry : MDLMolParser::splitSDRecords(in)) {
    processEvents();
    Record record = readMolRecord(entry.first, entry.second, path);
    sink(record);
  }
  return true;
}

// An own molecule file: one molecule with its stored coordinates, not set up again.
bool readKvFile(const std::string& path, const RecordSink& sink) {
  std::ifstream probe;
  if (!openInput(path, probe)) return false;
  Record record;
  const Clock::time_point start = Clock::now();
  ErrorCapture capture;
  record.molecule.reset(IOEngine::instance()->parseKvtFile(path));
  record.error = capture.release();
  record.seconds = secondsSince(start);
  record.name = record.molecule != nullptr ? record.molecule->getName() : path;
  if (record.molecule == nullptr && record.error.empty())
    record.error = "Error: kvtool: no molecule in \"" + path + "\"";
  sink(record);
  return true;
}

// A PDB file: one record per model.
bool readPdbFile(const std::string& path, const RecordSink& sink) {
  std::ifstream probe;
  if (!openInput(path, probe)) return false;
  const Clock::time_point start = Clock::now();
  ErrorCapture capture;
  PDBParser parser;
  std::vector<Molecule*> models;
  parser.parsePDBFile(path, models);
  // Atoms left out (no element, or one the tables cannot type) are named on every model's
  // record: the molecule lacks them.
  const std::vector<std::string> leftOut = capture.linesWith("left out");
  const std::string error = capture.release();
  const double seconds = models.empty() ? secondsSince(start) : secondsSince(start) / models.size();
  if (models.empty()) {
    Record record;
    record.name = path;
    record.error = error.empty() ? "Error: kvtool: no molecule in \"" + path + "\"" : error;
    record.seconds = seconds;
    sink(record);
    return true;
  }
  for (Molecule* m : models) {
    Record record;
    record.molecule.reset(m);
    record.name = m->getName();
    record.seconds = seconds;
    record.warnings = leftOut;
    sink(record);
  }
  return true;
}

// The reader of each family of the file-type table (io/FileTypes.h).
FileReader readerOf(FileFormat format) {
  switch (format) {
    case FileFormat::Kv: return readKvFile;
    case FileFormat::Mol: return readMolFile;
    case FileFormat::SD: return readSDFile;
    case FileFormat::Pdb: return readPdbFile;
    case FileFormat::Smiles: return readSmilesFile;
  }
  return FileReader();
}

}  // namespace

Record readSmilesLine(const std::string& line, const std::string& place) {
  Record record;
  std::string smiles;
  SmilesParser::splitSmilesLine(line, smiles, record.name);
  const Clock::time_point start = Clock::now();
  ErrorCapture capture;
  capture.setPlace(place);
  SmilesParser parser;
  record.molecule.reset(parser.smilesToMol(line));
  record.error = capture.release();
  record.seconds = secondsSince(start);
  if (record.molecule == nullptr && record.error.empty())
    record.error = "Error: kvtool: SMILES not read \"" + smiles + "\"" +
                   (place.empty() ? "" : " on " + place);
  // An unread line without a name is known by its SMILES.
  if (record.molecule == nullptr && record.name.empty()) record.name = smiles;
  return record;
}

FileReader readerFor(const std::string& path) {
  const FileType* type = fileTypeOf(path, kKvtoolUse);
  return type != nullptr ? readerOf(type->format) : FileReader();
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
