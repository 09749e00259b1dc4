#pragma once

// Collects the error lines reported while it lives and puts the previous error sink back when it
// goes: declare one in a test (or as a fixture member) and read `lines` or `text()`.

#include <string>
#include <vector>

#include "math/UtilityEngine.h"

namespace kvtest {

// True when line is text and then a reason in brackets, as a writer that cannot make its file
// says it: "Error: can not open file /no/such.kv (No such file or directory)". The reason is the
// system's, so only its place is checked.
inline bool textThenReason(const std::string& line, const std::string& text) {
  return line.size() > text.size() + 3 && line.compare(0, text.size(), text) == 0 &&
         line.compare(text.size(), 2, " (") == 0 && line.back() == ')';
}

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
