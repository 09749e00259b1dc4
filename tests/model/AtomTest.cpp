#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;

TEST(AtomValence, AromaticCarbonWithTwoAromaticBondsAndOneHydrogenIsFour) {
  auto m = buildMolecule({"C", "C", "C", "H"}, {{0, 1, 9}, {0, 2, 9}, {0, 3, 1}});
  Atom* c = m->atoms[0];
  c->isAromatic = true;
  EXPECT_EQ(4, c->getValence());
  c->charge = -1;
  EXPECT_EQ(5, c->getValence());
}

TEST(AtomValence, TotalIsFirstAllowedNotBelowUsedElseLastElseUsed) {
  auto m = buildMolecule({"S", "O", "O", "C"}, {{0, 1, 2}, {0, 2, 2}, {0, 3, 1}});   // in use 5
  Atom* s = m->atoms[0];
  s->allowedValences = {2, 4, 6};
  s->updateTotalandUsedValence();
  EXPECT_EQ(5, s->usedValence);
  EXPECT_EQ(6, s->totalValence);
  s->charge = -2;   // an anion's charge adds to what sulfur uses: 7, above every entry
  s->updateTotalandUsedValence();
  EXPECT_EQ(6, s->totalValence);
  s->allowedValences.clear();
  s->updateTotalandUsedValence();
  EXPECT_EQ(7, s->totalValence);
}

TEST(AtomBonds, AddCbondRefusesSecondBondBetweenSamePair) {
  Atom a;
  Atom b;
  Bond first;
  first.atom1 = &a;
  first.atom2 = &b;
  first.order = 1;
  Bond second;
  second.atom1 = &b;   // the same pair in the other direction
  second.atom2 = &a;
  second.order = 2;
  EXPECT_TRUE(a.addCbond(&first));
  EXPECT_FALSE(a.addCbond(&second));
  EXPECT_EQ(1, a.degree);
  EXPECT_EQ(1, a.usedValence);
}

TEST(AtomBonds, DeleteBondKeepsPiCountWhenOtherEndIsNoListedNeighbour) {
  auto m = buildMolecule({"C", "O", "N"}, {{0, 1, 1}, {0, 2, 1}});
  Atom* c = m->atoms[0];
  c->neighbours = {m->atoms[2]};
  c->piCount = 1;
  EXPECT_TRUE(c->deleteBond(m->bonds[0]));   // to O, not in the neighbour list
  EXPECT_EQ(1, c->piCount);
  EXPECT_EQ(1, c->degree);
  EXPECT_TRUE(c->deleteBond(m->bonds[1]));   // to N, listed: the chirality order is gone
  EXPECT_EQ(0, c->piCount);
  EXPECT_TRUE(c->neighbours.empty());
  EXPECT_FALSE(c->deleteBond(m->bonds[1]));
}

TEST(AtomBonds, AromaticBondIsNotAllSingle) {
  auto m = buildMolecule({"C", "C", "C"}, {{0, 1, 1}, {1, 2, 9}});
  EXPECT_TRUE(m->atoms[0]->hasAllSingleBond());
  EXPECT_FALSE(m->atoms[1]->hasAllSingleBond());
  EXPECT_FALSE(m->atoms[1]->hasDoubleBond());
}

TEST(AtomIteration, AdjacentAtomsFollowBondOrderAndBondAxesAreFiltered) {
  auto m = buildMolecule({"C", "O", "R", "N"}, {{0, 1, 1}, {0, 2, 1}, {3, 0, 1}});
  m->bonds[1]->isBondAxis = true;
  Atom* c = m->atoms[0];
  std::vector<Bond*>::iterator it;
  std::vector<Atom*> walked;
  for (Atom* n = c->getFirstAdjAtom(it); n != nullptr; n = c->getNextAdjAtom(it)) walked.push_back(n);
  EXPECT_EQ((std::vector<Atom*>{m->atoms[1], m->atoms[2], m->atoms[3]}), walked);
  EXPECT_EQ(walked, c->getAdjacentAtoms());
  EXPECT_EQ(m->bonds[1], c->getFirstBondAxis(it));
  EXPECT_EQ(nullptr, c->getNextBondAxis(it));
  EXPECT_EQ(nullptr, c->getNextBondAxis(it));   // stays at the end
  EXPECT_EQ(1, c->getNumBondAxis());
}

TEST(AtomHydrogens, AddImplicitHydrogenBondsNewHydrogensBothWays) {
  auto m = buildMolecule({"C"}, {});
  Atom* c = m->atoms[0];
  ASSERT_TRUE(c->addImplicitHydrogen(3));
  EXPECT_EQ(4u, m->numAtoms);
  EXPECT_EQ(3, c->degree);
  EXPECT_EQ(3, c->numImplicitH);
  EXPECT_EQ(c, m->atoms[3]->neighbours.at(0));
  EXPECT_EQ("H", m->atoms[3]->element);
  Atom loose;
  EXPECT_FALSE(loose.addImplicitHydrogen(1));
}

TEST(BondName, LabelUsesElementsAndOneBasedIds) {
  auto m = buildMolecule({"C", "H", "H", "H", "Cl"}, {{0, 4, 1}});
  EXPECT_EQ("C1--Cl5", m->bonds[0]->getName());
  Bond loose;
  EXPECT_EQ("", loose.getName());
}

TEST(BondAdjacency, AdjBondsListOtherBondsOfBothEnds) {
  auto m = buildMolecule({"C", "C", "O", "H"}, {{0, 1, 1}, {1, 2, 1}, {0, 3, 1}});
  std::vector<Bond*> adjacent;
  m->bonds[0]->getAdjBonds(adjacent);
  EXPECT_EQ((std::vector<Bond*>{m->bonds[2], m->bonds[1]}), adjacent);
}
