// Whole perception with the shipped tables, in the order the MDL reader runs it.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;

namespace {

std::vector<std::string> perceiveAndType(Molecule& m) {
  m.perceive();
  std::vector<std::string> types;
  for (const Atom* a : m.atoms) types.push_back(a->type);
  return types;
}

std::string joined(const std::vector<std::string>& types) {
  std::string out;
  for (const std::string& t : types) out += t + " ";
  return out;
}

}  // namespace

TEST(ShippedTyping, CommonMoleculesGetTheirChemicalTypes) {
  InputParameters::instance();
  auto ethanol = buildMolecule({"C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}});
  EXPECT_EQ("CH3 CMH2 OH H H H H H H ", joined(perceiveAndType(*ethanol)));
  auto acetic = buildMolecule({"C", "C", "O", "O"}, {{0, 1, 1}, {1, 2, 2}, {1, 3, 1}});
  EXPECT_EQ("CH3 CCA OCA OACD H H H H ", joined(perceiveAndType(*acetic)));
  auto acetamide = buildMolecule({"C", "C", "O", "N"}, {{0, 1, 1}, {1, 2, 2}, {1, 3, 1}});
  EXPECT_EQ("CH3 CPAM OPAM NPAM H H H H H ", joined(perceiveAndType(*acetamide)));

  auto benzene = buildMolecule(std::vector<std::string>(6, "C"),
                               {{0, 1, 2}, {1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 0, 1}});
  EXPECT_EQ("CAH1 CAH1 CAH1 CAH1 CAH1 CAH1 H H H H H H ", joined(perceiveAndType(*benzene)));
  auto pyridine = buildMolecule({"N", "C", "C", "C", "C", "C"},
                                {{0, 1, 2}, {1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 0, 1}});
  EXPECT_EQ("NPYR CAH1 CAH1 CAH1 CAH1 CAH1 H H H H H ", joined(perceiveAndType(*pyridine)));
  for (const Bond* b : pyridine->bonds) EXPECT_TRUE(!b->inRing || b->order == 9) << b->order;

  // Every type given has a row of its own for the lookups that follow.
  for (Molecule* m : {ethanol.get(), acetic.get(), acetamide.get(), benzene.get(), pyridine.get()}) {
    for (const Atom* a : m->atoms) {
      AtomTypeParameters row;
      EXPECT_EQ(1, InputParameters::instance()->findAtomTypeParameters(a->type, row)) << a->type;
    }
  }
}
