#pragma once

// Collects what is written to std::cout while it lives (the assembly code traces its decisions
// there) and puts the previous buffer back when it goes.

#include <iostream>
#include <sstream>
#include <string>

namespace kvtest {

class StdoutCapture {
 public:
  StdoutCapture() : previous(std::cout.rdbuf(buffer.rdbuf())) {}
  ~StdoutCapture() { std::cout.rdbuf(previous); }
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  std::string text() const { return buffer.str(); }

 private:
  std::ostringstream buffer;
  std::streambuf* previous;
};

}  // namespace kvtest
