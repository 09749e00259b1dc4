// SD files (records separated by "$$$$" lines) and folders of mol files.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "io/FileTypes.h"
#include "io/MDLMolParser.h"
#include "io/MDLMolParserLines.h"
#include "math/UtilityEngine.h"

using mdlread::reportProblem;
using mdlread::trimmed;

std::vector<std::pair<std::string, int> > MDLMolParser::splitSDRecords(std::istream& in) {
  std::vector<std::pair<std::string, int> > records;
  std::string record;
  bool onlyBlank = true;
  int lineNumber = 0;
  int firstLine = 1;
  std::string line;
  auto close = [&]() {
    if (!onlyBlank) records.emplace_back(record, firstLine);
    record.clear();
    onlyBlank = true;
    firstLine = lineNumber + 1;
  };
  while (readTextLine(in, line)) {
    if (++lineNumber == 1) dropByteOrderMark(line);
    if (line.find("$$$$") != std::string::npos) {
      close();
      continue;
    }
    if (!trimmed(line).empty()) onlyBlank = false;
    record += line;
    record += '\n';
  }
  close();
  return records;
}

bool MDLMolParser::parseSDFile(const char* path, std::vector<Molecule*>& out, int& count) {
  if (path == nullptr) return false;
  int read = 0;
  if (!readSDFile(path, collectMolecules(out, read))) return false;
  count = read;
  return true;
}

void MDLMolParser::parseSDFile(std::istream& in, std::vector<Molecule*>& out, int& count) {
  count = 0;
  readSDRecords(in, collectMolecules(out, count));
}

bool MDLMolParser::readSDFile(const std::string& path, const RecordSink& take) {
  std::ifstream in;
  if (!openFile(path.c_str(), in)) return false;
  readSDRecords(in, take);
  sourcePath.clear();
  return true;
}

void MDLMolParser::readSDRecords(std::istream& in, const RecordSink& take) {
  UtilityEngine* utility = UtilityEngine::instance();
  const int savedPrintLevel = utility->printLevel;
  int read = 0;
  const std::vector<std::pair<std::string, int> > records = splitSDRecords(in);
  if (records.empty()) reportProblem("no records in", sourcePath.empty() ? "the input" : sourcePath);
  for (const auto& entry : records) {
    processPendingEventsAndInput();   // between two molecules: the window answers the user
    std::istringstream text(entry.first);
    FileRecord record;
    record.firstLine = entry.second;
    record.molecule = parseRecord(text, entry.second, record.name);
    utility->printLevel = 1;
    if (record.molecule != nullptr) std::cout << "-----------------------" << ++read << "\n";
    take(record);
  }
  utility->printLevel = savedPrintLevel;
}

int MDLMolParser::loadMolFilesFromDirectory(const char* dir, std::vector<Molecule*>& out) {
  namespace fs = std::filesystem;
  if (dir == nullptr) return 0;
  UtilityEngine::instance()->printLevel = 1;
  // Walked without exceptions: an entry that cannot be examined is skipped. Sorted, so that
  // the molecules come in the same order on every machine.
  std::vector<std::string> paths;
  auto collect = [&paths](const fs::path& p) { paths.push_back(p.string()); };
  if (!walkFolder(dir, FolderWalk(), collect)) {
    reportProblem("cannot read folder", dir);
    return 0;
  }
  std::sort(paths.begin(), paths.end());

  // Each file is read by the reader its type names.
  int count = 0;
  for (const std::string& path : paths) {
    const FileType* type = fileTypeOf(path, kFolderImportUse);
    if (type == nullptr) continue;
    processPendingEventsAndInput();   // between two molecules: the window answers the user
    type->read(path, collectMolecules(out, count));
  }
  return count;
}
