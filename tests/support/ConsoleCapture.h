#pragma once

// Collects the console lines printed while it lives; the default console (standard output)
// comes back when it goes.

#include <string>
#include <vector>

#include "math/UtilityEngine.h"

namespace kvtest {

struct ConsoleCapture {
  ConsoleCapture() { setConsoleSink([this](const std::string& line) { lines.push_back(line); }); }
  ~ConsoleCapture() { setConsoleSink(ConsoleSink()); }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  std::vector<std::string> lines;
};

}  // namespace kvtest
