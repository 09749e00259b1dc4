#pragma once

// A test whose process-wide parameter tables are empty for its duration; the previous tables are
// put back after it. Tests fill in the rows they need through `tables`.

#include <memory>

#include <gtest/gtest.h>

#include "parameters/InputParameters.h"

namespace kvtest {

class EmptyTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tables = std::make_unique<InputParameters>(InputParameters::EmptyTables{});
    previous = InputParameters::swapInstance(tables.get());
  }
  void TearDown() override { InputParameters::swapInstance(previous); }
  InputParameters& params() { return *tables; }

  std::unique_ptr<InputParameters> tables;
  InputParameters* previous = nullptr;
};

}  // namespace kvtest
