#ifndef KV_TESTS_PARAMETERS_PARAMETERFIXTURE_H
#define KV_TESTS_PARAMETERS_PARAMETERFIXTURE_H

#include "parameters/InputParameters.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// Empty tables that a test fills from inline text; also installed as the process-wide tables
// for the test's duration, and the previous ones put back afterwards.
class ParameterFixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  InputParameters& params() { return *tables; }

  std::unique_ptr<InputParameters> tables;
  InputParameters* previous = nullptr;
};

// Captures what a call writes to standard error.
std::string stderrOf(const std::function<void()>& call);

#endif
