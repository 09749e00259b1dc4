// Combine rules: new types, names and group names for the atoms of one group instance.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/ParameterRecords.h"
#include "support/MoleculeBuilder.h"

namespace {

// Two instances of KETO (C, O, R each) side by side, atoms named by element.
std::unique_ptr<Molecule> twoKetoInstances() {
  auto m = kvtest::buildMolecule({"C", "O", "R", "C", "O", "R"},
                                 {{0, 1, 2}, {0, 2, 1}, {3, 4, 2}, {3, 5, 1}});
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    Atom* a = m->atoms[i];
    a->groupInstance = i < 3 ? "KETO_3" : "KETO_8";
    a->groupName = "KETO";
    a->type = a->element == "R" ? "DUM" : a->element + "X";
  }
  return m;
}

UpdateRules ketoToAcid() {
  UpdateRules rule;
  rule.updates = {"KETO.C CCA", "KETO.O OCA", "OH.O OACD"};
  rule.renames = {"KETO.O O1", "OH.O O2"};
  rule.group = "ACID";
  return rule;
}

}  // namespace

TEST(CombineRuleByInstance, RetypesRenamesAndRegroupsOnlyTheGivenInstance) {
  auto m = twoKetoInstances();
  UpdateRules rule = ketoToAcid();
  m->updateCombineRule("KETO_3", &rule);

  EXPECT_EQ("CCA", m->atoms[0]->type);
  EXPECT_EQ("OCA", m->atoms[1]->type);   // retyped by its old name, then renamed
  EXPECT_EQ("O1", m->atoms[1]->name);
  EXPECT_EQ("DUM", m->atoms[2]->type);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ("ACID", m->atoms[i]->groupName);
    EXPECT_EQ("ACID_3", m->atoms[i]->groupInstance);
  }
  for (int i = 3; i < 6; ++i) {
    EXPECT_EQ("KETO_8", m->atoms[i]->groupInstance);
    EXPECT_EQ("KETO", m->atoms[i]->groupName);
  }
  EXPECT_EQ("CX", m->atoms[3]->type);
  EXPECT_EQ("O", m->atoms[4]->name);
}

TEST(CombineRuleByGroupName, UsesTheGivenGroupAndKeepsTheInstanceName) {
  auto m = twoKetoInstances();
  for (int i = 3; i < 6; ++i) m->atoms[i]->groupInstance = "X_8";
  UpdateRules rule = ketoToAcid();
  m->updateCombineRule("X_8", "KETO", &rule);
  EXPECT_EQ("CCA", m->atoms[3]->type);
  EXPECT_EQ("O1", m->atoms[4]->name);
  EXPECT_EQ("ACID", m->atoms[3]->groupName);
  EXPECT_EQ("X_8", m->atoms[3]->groupInstance);
  EXPECT_EQ("CX", m->atoms[0]->type);   // the other instance is never touched
  EXPECT_EQ("KETO_3", m->atoms[0]->groupInstance);
}
