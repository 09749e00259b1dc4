// After an edit: aromatic rings back to alternating bonds, over-valent atoms shed their extras.

#include <vector>

#include <gtest/gtest.h>

#include "PerceptionTables.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;

namespace {

std::vector<int> ringOrders(const Molecule& m, const Ring& r) {
  std::vector<int> orders;
  for (int id : r.bondIds) orders.push_back(m.bonds[static_cast<size_t>(id)]->order);
  return orders;
}

class EditCleanup : public PerceptionTables {
 protected:
  static void refreshValences(Molecule& m) {
    m.findValenceVector();
    m.fillTotalAndUsedValence();
  }
};

}  // namespace

TEST_F(EditCleanup, EditedBenzeneAlternatesFromItsFirstFreeBond) {
  auto m = kvtest::buildBenzene();
  m->findAllSmallestRings();
  Ring& ring = *m->rings[0];
  Bond* edited = m->bonds[static_cast<size_t>(ring.bondIds[0])];
  edited->order = 1;
  m->resetBondOrders({edited->atom1, edited->atom2});
  EXPECT_FALSE(ring.aromatic);
  EXPECT_EQ((std::vector<int>{1, 2, 1, 2, 1, 2}), ringOrders(*m, ring));
  for (const Atom* a : m->atoms) EXPECT_FALSE(a->isAromatic);
  for (const Bond* b : m->bonds) EXPECT_FALSE(b->isAromatic);

  // A kept double bond steers the alternation around it.
  m->findAllSmallestRings();
  Ring& again = *m->rings[0];
  Bond* doubled = m->bonds[static_cast<size_t>(again.bondIds[2])];
  doubled->order = 2;
  m->resetBondOrders({doubled->atom1});
  EXPECT_EQ((std::vector<int>{2, 1, 2, 1, 2, 1}), ringOrders(*m, again));
}

TEST_F(EditCleanup, NaphthaleneKeepsItsUntouchedRingAromatic) {
  auto m = buildNaphthalene();
  m->findAllSmallestRings();
  ASSERT_EQ(2u, m->numRings);
  // Atom 1 lies only in the ring of atoms 0-5.
  const int edited = *m->atoms[1]->ringIds.begin();
  const Ring& touched = *m->rings[static_cast<size_t>(edited)];
  const Ring& other = *m->rings[static_cast<size_t>(1 - edited)];
  m->resetBondOrders({m->atoms[1]});
  EXPECT_FALSE(touched.aromatic);
  EXPECT_TRUE(other.aromatic);
  for (int order : ringOrders(*m, other)) EXPECT_EQ(kAromaticOrder, order);
  const Bond* shared = m->getBond(m->atoms[4], m->atoms[5]);
  EXPECT_TRUE(shared->isAromatic);
  int doubles = 0;
  for (int order : ringOrders(*m, touched)) doubles += order == 2 ? 1 : 0;
  EXPECT_EQ(2, doubles);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(i >= 4, m->atoms[i]->isAromatic) << i;
}

TEST_F(EditCleanup, BoronTriangleIsNeverRebuilt) {
  auto m = buildMolecule({"B", "B", "B"}, {{0, 1, 2}, {1, 2, 2}, {2, 0, 2}});
  m->findAllSmallestRings();
  ASSERT_TRUE(m->rings[0]->aromatic);
  m->resetBondOrders({m->atoms[0], m->atoms[1], m->atoms[2]});
  EXPECT_TRUE(m->rings[0]->aromatic);
  for (const Bond* b : m->bonds) EXPECT_EQ(kAromaticOrder, b->order);
}

TEST_F(EditCleanup, FiveValentCarbonLosesOneHydrogenThatIsNotFixed) {
  auto m = buildMolecule({"C", "C", "C", "H", "H", "H"},
                         {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {0, 5, 1}});
  m->atoms[3]->isFixed = true;
  refreshValences(*m);
  Atom* expected = m->atoms[4];
  m->deleteExtraHydrogenAndDummyAtoms();
  ASSERT_EQ(5u, m->atoms.size());
  EXPECT_EQ(m->atoms.end(), std::find(m->atoms.begin(), m->atoms.end(), expected));
  EXPECT_EQ(4, m->atoms[0]->usedValence);
  EXPECT_EQ(4u, m->atoms[0]->bonds.size());

  // Every hydrogen fixed: nothing goes.
  auto fixed = buildMolecule({"C", "C", "C", "H", "H", "H"},
                             {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {0, 5, 1}});
  for (size_t i = 3; i < 6; ++i) fixed->atoms[i]->isFixed = true;
  refreshValences(*fixed);
  fixed->deleteExtraHydrogenAndDummyAtoms();
  EXPECT_EQ(6u, fixed->atoms.size());
}

TEST_F(EditCleanup, DummyGoesBeforeAnyHydrogenAndDiboreneKeepsItsNeighbours) {
  auto m = buildMolecule({"C", "H", "H", "H", "C", "R"},
                         {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {0, 5, 1}});
  refreshValences(*m);
  m->deleteExtraHydrogenAndDummyAtoms();
  ASSERT_EQ(5u, m->atoms.size());
  for (const Atom* a : m->atoms) EXPECT_NE("R", a->element);
  EXPECT_TRUE(m->atoms[0]->hydrogensAdded);

  auto diborene = buildMolecule({"B", "B", "H", "H", "H"},
                                {{0, 1, 2}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  for (Atom* a : diborene->atoms) a->allowedValences = {3};
  diborene->fillTotalAndUsedValence();
  ASSERT_GT(diborene->atoms[0]->usedValence, diborene->atoms[0]->totalValence);
  diborene->deleteExtraHydrogenAndDummyAtoms();
  EXPECT_EQ(5u, diborene->atoms.size());
}

TEST_F(EditCleanup, BondOrderEditRunsThroughTheWholeCleanUp) {
  // The view's order after a bond-order edit, on benzene with hydrogens: a C=C bond made
  // triple leaves both carbons over-valent, each sheds its hydrogen, and the chain ends with
  // the ring complete and consistently numbered.
  auto m = kvtest::buildBenzene();
  m->findAllSmallestRings();
  Bond* edited = m->bonds[static_cast<size_t>(m->rings[0]->bondIds[0])];
  m->findValenceVector();
  edited->order = 3;
  m->resetBondOrders({edited->atom1, edited->atom2});
  m->findAllSmallestRings();
  m->fillTotalAndUsedValence();
  m->deleteExtraHydrogenAndDummyAtoms();
  m->update();
  m->fillTotalAndUsedValence();
  m->addMissingHydrogens();
  EXPECT_EQ(10u, m->atoms.size());
  EXPECT_EQ(1u, m->numRings);
  for (size_t i = 0; i < m->atoms.size(); ++i) EXPECT_EQ(static_cast<int>(i), m->atoms[i]->id);
}
