#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "model/Spheroid.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::setIndexPositions;

TEST(MoleculeName, FormulaListsSymbolsInCharacterOrderWithoutDummiesAndIsAppended) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"C", "Cl", "H", "H", "H"}, "CClH3"},
      {{"C", "C", "O", "H", "H", "H", "H", "H", "H"}, "C2H6O"},
      {{"C", "Br", "R"}, "BrC"},
      {{"R", "R"}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, buildMolecule(c.first, {})->makeName());
  // Every call appends; the first name stays the molecule's name.
  auto water = buildMolecule({"O", "H", "H"}, {});
  water->names.push_back("water");
  water->makeName();
  water->makeName();
  EXPECT_EQ((std::vector<std::string>{"water", "H2O", "H2O"}), water->names);
  EXPECT_EQ("water", water->getName());
}

TEST(MoleculeClone, RenumbersGroupInstancesFromTheProcessWideCounter) {
  const int groupCounter = Molecule::NumOfGroups;
  auto m = buildMolecule({"C", "O", "C", "N"}, {{0, 1, 2}, {1, 2, 1}, {2, 3, 1}});
  m->groups = {"ester_3", "phenyl_7", "amine"};
  m->atoms[0]->groupInstance = "ester_3";
  m->atoms[1]->groupInstance = "ester_3";
  m->atoms[2]->groupInstance = "phenyl_7";
  m->atoms[3]->groupInstance = "unknown_1";
  m->bonds[1]->groupInstance = "phenyl_7";
  Molecule::NumOfGroups = 12;
  std::unique_ptr<Molecule> copy(m->clone());
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ((std::vector<std::string>{"ester_12", "phenyl_13", "amine_14"}), copy->groups);
  EXPECT_EQ(15, Molecule::NumOfGroups);
  EXPECT_EQ("ester_12", copy->atoms[0]->groupInstance);
  EXPECT_EQ("phenyl_13", copy->atoms[2]->groupInstance);
  EXPECT_EQ("", copy->atoms[3]->groupInstance);   // not among the molecule's groups
  EXPECT_EQ("phenyl_13", copy->bonds[1]->groupInstance);
  EXPECT_EQ((std::vector<std::string>{"ester_3", "phenyl_7", "amine"}), m->groups);
  Molecule::NumOfGroups = groupCounter;
}

TEST(MoleculeClone, DeepCopyRelinksAtomsBondsNeighboursRingsAndPositions) {
  auto m = buildMolecule({"C", "C", "C", "R"}, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {0, 3, 1}});
  setIndexPositions(*m);
  m->atoms[0]->neighbours = {m->atoms[2], m->atoms[1]};
  m->atoms[0]->sphere = new Spheroid(1.0f, 0.7f, 0.7f);
  m->bonds[3]->spheroid = new Spheroid(0.5f, 0.6f, 1.0f);
  Ring* r = Builder::instance()->createRing();
  r->atomIds = {0, 1, 2};
  r->bondIds = {0, 1, 2};
  m->addRing(r, false);
  m->names = {"probe"};
  m->totalBondEnergy = 12.5f;
  std::unique_ptr<Molecule> copy(m->clone());
  ASSERT_NE(nullptr, copy);
  ASSERT_EQ(4u, copy->numAtoms);
  ASSERT_EQ(4u, copy->numBonds);
  EXPECT_EQ(copy->atoms[0], copy->bonds[0]->atom1);
  EXPECT_EQ(copy.get(), copy->bonds[0]->molecule);
  EXPECT_EQ((std::vector<Atom*>{copy->atoms[2], copy->atoms[1]}), copy->atoms[0]->neighbours);
  ASSERT_NE(nullptr, copy->atoms[0]->sphere);
  EXPECT_NE(m->atoms[0]->sphere, copy->atoms[0]->sphere);
  EXPECT_EQ(copy->atoms[0], copy->atoms[0]->sphere->owner);
  EXPECT_EQ(SpheroidKind::OpenBondAxis, copy->bonds[3]->spheroid->kind);   // leads to a dummy
  ASSERT_EQ(1u, copy->numRings);
  EXPECT_EQ(copy.get(), copy->rings[0]->molecule);
  EXPECT_EQ(1u, copy->atoms[0]->ringIds.count(0));
  EXPECT_FLOAT_EQ(3.0f, copy->positions.at(3).x);
  EXPECT_EQ("probe", copy->getName());
  EXPECT_FLOAT_EQ(12.5f, copy->totalBondEnergy);
  EXPECT_EQ(1u, copy->numBondAxes);
}

TEST(MoleculeClone, BondToAnAtomOutsideTheListGivesNull) {
  auto m = buildMolecule({"C", "O"}, {{0, 1, 1}});
  Atom stranger;
  Atom* kept = m->bonds[0]->atom2;
  m->bonds[0]->atom2 = &stranger;
  EXPECT_EQ(nullptr, m->clone());
  m->bonds[0]->atom2 = kept;
}

// A fresh graph: new records without charge or bond ring ids, ids the list positions whatever
// the source had.
TEST(MoleculeCopyGraph, FreshRecordsDropChargeAndBondRingIdsAndTakeListPositions) {
  auto m = buildMolecule({"N", "C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {2, 3, 1}});
  setIndexPositions(*m);
  m->atoms[0]->charge = 1;
  m->atoms[0]->ringIds = {0};
  m->bonds[2]->ringIds = {0};   // 2-0, the first bond left after the delete
  m->bonds[2]->deleteMark = 1;
  m->atoms[2]->editMark = 1;
  ASSERT_TRUE(m->deleteAtom(m->atoms[1]));   // ids now 0, 2, 3: stale
  std::unique_ptr<Molecule> copy(m->copyGraph());
  ASSERT_NE(nullptr, copy);
  ASSERT_EQ(3u, copy->numAtoms);
  for (size_t i = 0; i < copy->atoms.size(); ++i)
    EXPECT_EQ(static_cast<int>(i), copy->atoms[i]->id);
  EXPECT_EQ(0, copy->atoms[0]->charge);
  EXPECT_EQ(1u, copy->atoms[0]->ringIds.count(0));
  EXPECT_TRUE(copy->bonds[0]->ringIds.empty());
  EXPECT_EQ(1, copy->bonds[0]->deleteMark);
  EXPECT_EQ(1, copy->atoms[1]->editMark);
  EXPECT_EQ(1, copy->atoms[0]->usedValence);   // raised again by the copied bond
  EXPECT_FLOAT_EQ(3.0f, copy->positions.at(2).x);   // the oxygen's own entry
  std::unique_ptr<Molecule> cloned(m->clone());
  ASSERT_NE(nullptr, cloned);
  EXPECT_EQ(2u, cloned->numBonds);
  EXPECT_FLOAT_EQ(3.0f, cloned->positions.at(2).x);
}
