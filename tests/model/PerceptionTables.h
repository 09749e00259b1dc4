#pragma once

// Small tables for the perception tests: elements with their valences and the "H" atom type,
// installed as the process-wide tables for one test and the previous ones put back after it.
// Each test adds the rules and ring templates it needs.

#include <memory>

#include "support/EmptyTables.h"
#include "support/MoleculeBuilder.h"

// Kekule naphthalene's carbons: ring A is 0-5, ring B 4, 5 and 6-9; they share the bond 4-5.
inline std::unique_ptr<Molecule> buildNaphthalene() {
  return kvtest::buildMolecule(std::vector<std::string>(10, "C"),
                               {{0, 1, 2}, {1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 0, 1},
                                {4, 6, 1}, {6, 7, 2}, {7, 8, 1}, {8, 9, 2}, {9, 5, 1}});
}

class PerceptionTables : public kvtest::EmptyTablesTest {
 protected:
  void SetUp() override {
    EmptyTablesTest::SetUp();
    tables->parseElementTable("H 1\nC 4\nN 3\nO 2\nB -1\nFe 2 3\nS 2 4 6\n");
    tables->parseAtomTypeTable("H H H H 1.008 0.6 -0.02 1.2 2.2 6.4 0\n");
  }
};
