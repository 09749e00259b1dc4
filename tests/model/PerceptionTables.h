#pragma once

// Small tables for the perception tests: elements with their valences and the "H" atom type,
// installed as the process-wide tables for one test and the previous ones put back after it.
// Each test adds the rules and ring templates it needs.

#include "support/EmptyTables.h"

class PerceptionTables : public kvtest::EmptyTablesTest {
 protected:
  void SetUp() override {
    EmptyTablesTest::SetUp();
    tables->parseElementTable("H 1\nC 4\nN 3\nO 2\nB -1\nFe 2 3\nS 2 4 6\n");
    tables->parseAtomTypeTable("H H H H 1.008 0.6 -0.02 1.2 2.2 6.4 0\n");
  }
};
