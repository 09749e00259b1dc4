#pragma once

// Collects the error lines reported while it lives and puts the previous error sink back when it
// goes: declare one in a test (or as a fixture member) and read `lines` or `text()`.

#include <string>
#include <vector>

#include "math/UtilityEngine.h"

namespace kvtest {

class ErrorCapture {
 public:
  ErrorCapture() : previous(setErrorSink([this](const std::string& line) { lines.push_back(line); })) {}
  ~ErrorCapture() { setErrorSink(previous); }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  // Every line so far, each followed by a line feed.
  std::string text() const {
    std::string all;
    for (const std::string& line : lines) all += line + '\n';
    return all;
  }
  // Forgets what was collected so far.
  void clear() { lines.clear(); }

  std::vector<std::string> lines;

 private:
  ErrorSink previous;
};

}  // namespace kvtest
