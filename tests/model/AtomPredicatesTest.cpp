#include <utility>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Molecule.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;

TEST(AtomHalogens, CodeOfTheLastHalogenNeighbourWins) {
  auto m = buildMolecule({"C", "Br", "Cl", "Cl"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}});
  EXPECT_EQ(2, m->atoms[0]->isConnHalogens());
  auto reversed = buildMolecule({"C", "Cl", "Cl", "Br"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}});
  EXPECT_EQ(1, reversed->atoms[0]->isConnHalogens());
  auto none = buildMolecule({"C", "O"}, {{0, 1, 1}});
  EXPECT_EQ(0, none->atoms[0]->isConnHalogens());
  EXPECT_TRUE(m->atoms[0]->isConnBromine());
  EXPECT_TRUE(m->atoms[0]->isConnChlorine());
  EXPECT_FALSE(m->atoms[0]->isConnFluorine());
}

TEST(AtomNames, NumberedNamesAreNotRecognised) {
  auto m = buildMolecule({"C", "O"}, {{0, 1, 2}}, /*numberedNames=*/true);   // C1=O2
  EXPECT_FALSE(m->atoms[0]->isConnOxygenByD());
  auto bare = buildMolecule({"C", "O"}, {{0, 1, 2}});
  EXPECT_TRUE(bare->atoms[0]->isConnOxygenByD());
  EXPECT_TRUE(bare->atoms[1]->isConnCarbon());
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

TEST(AtomNitrogenGroups, NitrateNeedsOneDoubleAndOneAnionicSingleOxygen) {
  // O(-) - N(+) (=O) - C
  auto m = buildMolecule({"N", "O", "O", "C"}, {{0, 1, 2}, {0, 2, 1}, {0, 3, 1}});
  m->atoms[0]->charge = 1;
  m->atoms[2]->charge = -1;
  EXPECT_TRUE(m->atoms[1]->isPartOfNitrates());
  EXPECT_TRUE(m->atoms[0]->isPartOfNitrates());
  EXPECT_FALSE(m->atoms[1]->isPartOfNitrites());   // a nitrate is no nitrite
  auto twoDouble = buildMolecule({"N", "O", "O", "C"}, {{0, 1, 2}, {0, 2, 2}, {0, 3, 1}});
  twoDouble->atoms[0]->charge = 1;
  EXPECT_FALSE(twoDouble->atoms[1]->isPartOfNitrates());
}

TEST(AtomNitrogenGroups, NitriteAndNitrileNeedTheirMultipleBond) {
  auto nitrite = buildMolecule({"C", "O", "N", "O"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 2}});
  EXPECT_TRUE(nitrite->atoms[2]->isPartOfNitrites());
  EXPECT_TRUE(nitrite->atoms[3]->isPartOfNitrites());
  nitrite->atoms[3]->statusFlag = false;
  EXPECT_FALSE(nitrite->atoms[3]->isPartOfNitrites());
  auto nitrile = buildMolecule({"C", "C", "N"}, {{0, 1, 1}, {1, 2, 3}});
  EXPECT_TRUE(nitrile->atoms[1]->isPartOfNitriles());
  EXPECT_TRUE(nitrile->atoms[2]->isPartOfNitriles());
  EXPECT_TRUE(nitrile->atoms[1]->isConnNitrogenByT());
  nitrile->atoms[1]->numImplicitH = 1;
  EXPECT_FALSE(nitrile->atoms[1]->isPartOfNitriles());
  EXPECT_FALSE(nitrile->atoms[2]->isPartOfNitriles());
}

TEST(AtomSulfurGroups, SulfonylIsSulfateNotSulfoxide) {
  // C - S(=O)(=O) - C
  auto sulfonyl = buildMolecule({"S", "O", "O", "C", "C"}, {{0, 1, 2}, {0, 2, 2}, {0, 3, 1}, {0, 4, 1}});
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
