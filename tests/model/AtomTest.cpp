#include <utility>

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
  auto m = buildMolecule({"C", "O"}, {{0, 1, 1}});
  Bond second;
  second.atom1 = m->atoms[1];   // the same pair in the other direction
  second.atom2 = m->atoms[0];
  second.order = 2;
  EXPECT_FALSE(m->atoms[0]->addCbond(&second));
  EXPECT_EQ(1, m->atoms[0]->degree);
  EXPECT_EQ(1, m->atoms[0]->usedValence);
}

TEST(AtomIteration, AdjacentAtomsFollowBondOrder) {
  auto m = buildMolecule({"C", "O", "R", "N"}, {{0, 1, 1}, {0, 2, 1}, {3, 0, 1}});
  m->bonds[1]->isBondAxis = true;
  Atom* c = m->atoms[0];
  std::vector<Bond*>::iterator it;
  std::vector<Atom*> walked;
  for (Atom* n = c->getFirstAdjAtom(it); n != nullptr; n = c->getNextAdjAtom(it)) walked.push_back(n);
  EXPECT_EQ((std::vector<Atom*>{m->atoms[1], m->atoms[2], m->atoms[3]}), walked);
  EXPECT_EQ(walked, c->getAdjacentAtoms());
}

TEST(BondRecords, NameUsesOneBasedIds) {
  auto m = buildMolecule({"C", "C", "O", "H", "Cl"}, {{0, 1, 1}, {1, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  EXPECT_EQ("C1--Cl5", m->bonds[3]->getName());
  EXPECT_EQ("", Bond().getName());
}

TEST(AtomMetal, ElementIsCompareUpperCasedAndWhole) {
  const std::pair<const char*, bool> cases[] = {
      {"Fe", true}, {"fe", true}, {"Fe2", false}, {"C", false}};
  for (const auto& c : cases) {
    Atom a;
    a.element = c.first;
    EXPECT_EQ(c.second, a.isMetalAtom()) << c.first;
  }
}

TEST(AtomSulfurGroups, SulfonylIsSulfateNotSulfoxide) {
  // C - S(=O)(=O) - C
  auto sulfonyl =
      buildMolecule({"S", "O", "O", "C", "C"}, {{0, 1, 2}, {0, 2, 2}, {0, 3, 1}, {0, 4, 1}});
  EXPECT_TRUE(sulfonyl->atoms[1]->isPartOfSulfates());
  EXPECT_FALSE(sulfonyl->atoms[1]->isPartOfSulfoxides());
  auto sulfoxide = buildMolecule({"S", "O", "C", "C"}, {{0, 1, 2}, {0, 2, 1}, {0, 3, 1}});
  EXPECT_TRUE(sulfoxide->atoms[0]->isPartOfSulfoxides());
  EXPECT_TRUE(sulfoxide->atoms[2]->isPartOfSulfoxides());
  EXPECT_FALSE(sulfoxide->atoms[0]->isPartOfSulfates());
  sulfoxide->atoms[1]->statusFlag = false;   // its oxygen no longer counts
  EXPECT_FALSE(sulfoxide->atoms[0]->isPartOfSulfoxides());
}

TEST(AtomBoron, DiBoraneNeedsABridgingHydrogenLabel) {
  auto m = buildMolecule({"B", "H", "B"}, {{0, 1, 1}, {1, 2, 1}});
  EXPECT_FALSE(m->atoms[0]->isDiBorane());
  m->atoms[1]->groupLabel = "-[H]-";
  EXPECT_TRUE(m->atoms[0]->isDiBorane());
  EXPECT_TRUE(m->atoms[2]->isDiBorane());
}
