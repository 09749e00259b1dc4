// Combine rules: new types, names and group names for the atoms of one group instance.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/ParameterRecords.h"
#include "support/MoleculeBuilder.h"

TEST(CombineRuleByInstance, RetypesRenamesAndRegroupsOnlyTheGivenInstance) {
  // Two instances of KETO (C, O, R each) side by side, atoms named by element.
  auto m = kvtest::buildMolecule({"C", "O", "R", "C", "O", "R"},
                                 {{0, 1, 2}, {0, 2, 1}, {3, 4, 2}, {3, 5, 1}});
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    Atom* a = m->atoms[i];
    a->groupInstance = i < 3 ? "KETO_3" : "KETO_8";
    a->groupName = "KETO";
    a->type = a->element == "R" ? "DUM" : a->element + "X";
  }
  UpdateRules rule;
  rule.updates = {"KETO.C CCA", "KETO.O OCA", "OH.O OACD"};
  rule.renames = {"KETO.O O1", "OH.O O2"};
  rule.group = "ACID";
  m->updateCombineRule("KETO_3", &rule);

  const auto summary = [&m](int i) {
    const Atom* a = m->atoms[i];
    return a->type + " " + a->name + " " + a->groupName + " " + a->groupInstance;
  };
  EXPECT_EQ("CCA C ACID ACID_3", summary(0));
  EXPECT_EQ("OCA O1 ACID ACID_3", summary(1));   // retyped by its old name, then renamed
  EXPECT_EQ("DUM R ACID ACID_3", summary(2));
  EXPECT_EQ("OX O KETO KETO_8", summary(4));     // the other instance is never touched
}
