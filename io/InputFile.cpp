#include "io/InputFile.h"

#include <filesystem>
#include <system_error>

bool openInputFile(const std::string& path, std::ifstream& in, std::string& reason) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    reason = "cannot read folder";
    return false;
  }
  in.open(path, std::ios::binary);
  if (!in.is_open()) {
    reason = "cannot open file";
    return false;
  }
  return true;
}

std::string linePlace(int line, const std::string& source) {
  std::string place = "line " + std::to_string(line);
  if (!source.empty()) place += " of \"" + source + "\"";
  return place;
}

bool dropByteOrderMark(std::string& firstLine) {
  if (firstLine.compare(0, 3, "\xEF\xBB\xBF") != 0) return false;
  firstLine.erase(0, 3);
  return true;
}
