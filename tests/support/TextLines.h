#pragma once

// Text split into its lines, for tests that check written files and reports line by line.

#include <sstream>
#include <string>
#include <vector>

namespace kvtest {

inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace kvtest
