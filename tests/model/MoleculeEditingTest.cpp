#include <memory>
#include <set>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::setIndexPositions;

TEST(MoleculeAddBond, RefusedBondsReturnZeroOrMinusOneAndChangeNothing) {
  auto m = buildMolecule({"C", "O"}, {{0, 1, 2}});
  auto other = buildMolecule({"N"}, {});
  Atom* c = m->atoms[0];
  Atom* o = m->atoms[1];
  const std::vector<int> refused{m->addBond(c, c, 1), m->addBond(c, nullptr, 1),
                                 m->addBond(nullptr, c, 1), m->addBond(c, other->atoms[0], 1),
                                 m->addBond(0u, 2u, 1), m->addBond(1u, 1u, 1),
                                 m->addBond(static_cast<Bond*>(nullptr))};
  EXPECT_EQ(std::vector<int>(7, 0), refused);
  EXPECT_EQ(-1, m->addBond(o, c, 1));   // the pair is bonded already
  EXPECT_EQ(-1, m->addBond(0u, 1u, 2));
  Bond* b = Builder::instance()->createBond();
  b->atom1 = c;
  b->atom2 = o;
  b->order = 1;
  EXPECT_EQ(-1, m->addBond(b));
  EXPECT_EQ(nullptr, b->molecule);
  delete b;   // still ours
  EXPECT_EQ(1u, m->bonds.size());
  EXPECT_TRUE(c->degree == 1 && o->degree == 1 && other->atoms[0]->degree == 0);
  EXPECT_TRUE(c->usedValence == 2 && o->usedValence == 2);
  EXPECT_EQ("CO", m->bonds[0]->name);   // the atom names without separator
}

TEST(MoleculeBondAxes, CounterFollowsDummyBondsUpAndDown) {
  auto m = buildMolecule({"C", "R", "R", "H"}, {{0, 3, 1}});
  ASSERT_EQ(1, m->addBond(0u, 1u, 1));
  ASSERT_EQ(1, m->addBond(0u, 2u, 1));
  EXPECT_EQ(2u, m->numBondAxes);
  EXPECT_TRUE(m->deleteBond(m->bonds[1]));
  EXPECT_EQ(1u, m->numBondAxes);
  // Deleting the dummy atom takes its one axis off once, through its bond.
  EXPECT_TRUE(m->deleteAtom(m->atoms[2]));
  EXPECT_EQ(0u, m->numBondAxes);
  EXPECT_EQ(1u, m->calculateNumBondAxes());   // the unbonded dummy R2 still stands
  m->numBondAxes = 7;
  EXPECT_EQ(1u, m->calculateNumBondAxes());
}

TEST(MoleculeDelete, DeletingUnlinksNeighboursAndDihedralsAndForeignRecordsAreRefused) {
  auto m = buildMolecule({"C", "C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
  auto other = buildMolecule({"N", "H"}, {{0, 1, 1}});
  EXPECT_FALSE(m->deleteAtom(other->atoms[0]));
  EXPECT_FALSE(m->deleteBond(other->bonds[0]));
  EXPECT_FALSE(m->deleteAtom(nullptr));
  EXPECT_EQ(1, other->atoms[0]->degree);
  Atom* a1 = m->atoms[1];
  Atom* a2 = m->atoms[2];
  a1->neighbours = {m->atoms[0], a2};
  a1->piCount = 2;
  Bond* middle = m->bonds[1];
  middle->hasDihedral = true;
  middle->dihedralAtom1 = m->atoms[0];
  middle->dihedralAtom2 = m->atoms[3];
  EXPECT_TRUE(m->deleteAtom(m->atoms[0]));
  EXPECT_EQ((std::vector<Atom*>{a2}), a1->neighbours);
  EXPECT_EQ(0, a1->piCount);
  EXPECT_FALSE(middle->hasDihedral);
  EXPECT_EQ(nullptr, middle->dihedralAtom1);
  EXPECT_EQ(2u, m->numBonds);
  EXPECT_EQ(1, a1->degree);
}

TEST(MoleculeUpdate, RingRenumbersAfterDeletingTwoAtoms) {
  // A six-ring with a methyl on atom 0 and an OH on atom 3; remove the methyl and atom 4.
  auto m = buildMolecule({"C", "C", "C", "C", "C", "C", "C", "O"},
                         {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1},
                          {0, 6, 1}, {3, 7, 1}});
  setIndexPositions(*m);
  Atom* oxygen = m->atoms[7];
  ASSERT_TRUE(m->deleteAtom(m->atoms[6]));
  ASSERT_TRUE(m->deleteAtom(m->atoms[4]));
  ASSERT_TRUE(m->update());
  ASSERT_EQ(6u, m->numAtoms);
  for (size_t i = 0; i < m->atoms.size(); ++i) EXPECT_EQ(static_cast<int>(i), m->atoms[i]->id);
  for (size_t i = 0; i < m->bonds.size(); ++i) EXPECT_EQ(static_cast<int>(i), m->bonds[i]->id);
  EXPECT_EQ(5, oxygen->id);
  EXPECT_FLOAT_EQ(7.0f, m->positions[5].x);
  EXPECT_FLOAT_EQ(5.0f, m->positions[4].x);
  EXPECT_EQ(5u, m->numBonds);   // ring bonds 0-1, 1-2, 2-3, 5-0 and the OH
  EXPECT_EQ(m->bonds[4], m->getBond(m->atoms[3], oxygen));
}

TEST(MoleculePositions, EveryAddedAtomGetsItsOwnSlotAfterDeletesToo) {
  auto m = buildMolecule({"C", "O", "C"}, {{0, 1, 1}, {1, 2, 1}});
  setIndexPositions(*m);
  SSEVector4f p(4.0f, 5.0f, 6.0f, 1.0f);
  ASSERT_TRUE(m->addAtom("N", p));
  ASSERT_TRUE(m->atoms[0]->addImplicitHydrogen(3));
  EXPECT_EQ(m->atoms[0], m->atoms[4]->neighbours.at(0));
  Atom loose;   // in no molecule
  EXPECT_FALSE(loose.addImplicitHydrogen(1));
  EXPECT_EQ(m->atoms.size(), m->positions.size());
  m->setAllAtomPositions();
  EXPECT_FLOAT_EQ(1.0f, m->atoms[1]->position.x);
  EXPECT_FLOAT_EQ(6.0f, m->atoms[3]->position.z);
  // After a delete the next atom takes an id that no atom holds, and a slot of its own.
  const Atom* nitrogen = m->atoms[3];
  ASSERT_TRUE(m->deleteAtom(m->atoms[1]));
  p = SSEVector4f(9.0f, 0.0f, 0.0f, 1.0f);
  ASSERT_TRUE(m->addAtom("H", p));
  std::set<int> ids;
  for (const Atom* a : m->atoms) ids.insert(a->id);
  EXPECT_EQ(m->atoms.size(), ids.size());
  EXPECT_FLOAT_EQ(6.0f, m->positions.at(static_cast<size_t>(nitrogen->id)).z);
  EXPECT_FLOAT_EQ(9.0f, m->positions.at(static_cast<size_t>(m->atoms.back()->id)).x);
}

TEST(MoleculePositions, ShortArrayIsNotReadPastItsEnd) {
  auto m = buildMolecule({"C", "C", "C"}, {});
  m->positions.assign(1, SSEVector4f(1.0f, 1.0f, 1.0f, 1.0f));   // replaced whole, too short
  m->setAllAtomPositions();
  EXPECT_FLOAT_EQ(1.0f, m->atoms[0]->position.x);
  EXPECT_FLOAT_EQ(0.0f, m->atoms[2]->position.x);
  m->atoms[2]->position.x = 8.0f;
  ASSERT_TRUE(m->update());
  ASSERT_EQ(3u, m->positions.size());
  EXPECT_FLOAT_EQ(8.0f, m->positions[2].x);   // a missing entry takes the atom's own position
}

TEST(MoleculeLookups, GetBondFindsReversedPairAndComparesById) {
  auto m = buildMolecule({"C", "O", "N"}, {{0, 1, 1}});
  auto other = buildMolecule({"C", "O", "N"}, {{0, 1, 1}});
  EXPECT_EQ(m->bonds[0], m->getBond(m->atoms[1], m->atoms[0]));
  EXPECT_EQ(nullptr, m->getBond(m->atoms[0], m->atoms[2]));
  EXPECT_EQ(nullptr, m->getBond(other->atoms[1], other->atoms[2]));
  EXPECT_EQ(nullptr, m->getBond(nullptr, m->atoms[0]));
}

TEST(MoleculeLookups, FindAtomByGroupIndexAndInstanceAndChainIdsWithoutRepeats) {
  auto m = buildMolecule({"C", "O", "O"}, {{0, 1, 1}, {0, 2, 2}});
  m->atoms[2]->groupInstance = "ester_3";
  m->setGroupIndex("A");
  EXPECT_EQ(m->atoms[1], m->findAtom("A", "O"));
  EXPECT_EQ(m->atoms[2], m->findAtomIdName("ester_3", "O"));
  EXPECT_EQ("A", m->bonds[1]->groupIndex);
  for (const char* id : {"A", "B", "A"}) m->addChainId(id);
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), m->chainIds);
}

TEST(MoleculeRings, AddRingSkipsIdsOutsideTheLists) {
  auto m = buildMolecule({"C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}});
  Ring* r = Builder::instance()->createRing();
  r->atomIds = {0, 1, 2, 9};
  r->bondIds = {0, 1, 2, -1};
  m->addRing(r, false);
  EXPECT_EQ(0, r->id);
  EXPECT_EQ(1u, m->numRings);
  EXPECT_TRUE(m->atoms[2]->inRing);
  EXPECT_EQ(1u, m->bonds[2]->ringIds.count(0));
}
