#pragma once

// Collects the console lines printed while it lives and puts the default console (standard
// output) back when it goes: declare one in a test or as a fixture member and read `lines`.

#include <string>
#include <vector>

#include "math/UtilityEngine.h"

namespace kvtest {

class ConsoleCapture {
 public:
  ConsoleCapture() { setConsoleSink([this](const std::string& line) { lines.push_back(line); }); }
  ~ConsoleCapture() { setConsoleSink(ConsoleSink()); }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  std::vector<std::string> lines;
};

}  // namespace kvtest
