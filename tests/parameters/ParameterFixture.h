#ifndef KV_TESTS_PARAMETERS_PARAMETERFIXTURE_H
#define KV_TESTS_PARAMETERS_PARAMETERFIXTURE_H

#include <functional>
#include <string>

#include "support/EmptyTables.h"
#include "support/ErrorCapture.h"

// Empty tables that a test fills from inline text, in place of the process-wide ones.
using ParameterFixture = kvtest::EmptyTablesTest;

// The error lines a call reports.
inline std::string stderrOf(const std::function<void()>& call) {
  kvtest::ErrorCapture errorLog;
  call();
  return errorLog.text();
}

#endif
