#pragma once

// Collects the console lines printed while it lives, at the verbosity it was given, and puts the
// default sink and the previous verbosity back when it goes: declare one in a test or as a
// fixture member and read `lines`.

#include <string>
#include <vector>

#include "math/UtilityEngine.h"

namespace kvtest {

class ConsoleCapture {
 public:
  explicit ConsoleCapture(int printLevel) : savedPrintLevel(UtilityEngine::instance()->printLevel) {
    UtilityEngine::instance()->printLevel = printLevel;
    setConsoleSink([this](const std::string& line) { lines.push_back(line); });
  }
  ~ConsoleCapture() {
    setConsoleSink(nullptr);
    UtilityEngine::instance()->printLevel = savedPrintLevel;
  }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  std::vector<std::string> lines;
  const int savedPrintLevel;
};

}  // namespace kvtest
