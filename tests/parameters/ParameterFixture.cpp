#include "ParameterFixture.h"

#include <functional>

#include "support/ErrorCapture.h"

void ParameterFixture::SetUp() {
  tables = std::make_unique<InputParameters>(InputParameters::EmptyTables{});
  previous = InputParameters::swapInstance(tables.get());
}

void ParameterFixture::TearDown() {
  InputParameters::swapInstance(previous);
}

std::string stderrOf(const std::function<void()>& call) {
  kvtest::ErrorCapture errorLog;
  call();
  return errorLog.text();
}
