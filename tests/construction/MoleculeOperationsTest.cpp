// Unique rings, hydrogen counts, size and joins of whole molecules.

#include <QApplication>

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "construction/MoleculeOperations.h"
#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "model/Spheroid.h"
#include "support/MoleculeBuilder.h"
#include "support/QtApplication.h"

using kvtest::buildMolecule;

namespace {

// A methyl group with an open bond axis: C, three H, and the dummy "R" along +y of the carbon.
std::unique_ptr<Molecule> methylWithAxis(const SSEVector4f& at, int axisOrder = 1) {
  auto m = buildMolecule({"C", "H", "H", "H", "R"},
                         {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, axisOrder}}, true);
  m->atoms[0]->type = "CH3";
  for (int i = 1; i < 4; ++i) m->atoms[static_cast<size_t>(i)]->type = "H";
  const float offsets[5][3] = {{0, 0, 0}, {0.9f, -0.4f, 0}, {-0.5f, -0.4f, 0.8f},
                               {-0.5f, -0.4f, -0.8f}, {0, 1.1f, 0}};
  for (const auto& o : offsets) m->positions.emplace_back(at.x + o[0], at.y + o[1], at.z + o[2], 1.0f);
  return m;
}

int dummyCount(const Molecule& m) {
  int n = 0;
  for (const Atom* a : m.atoms) n += a->type == "DUM";
  return n;
}

}  // namespace

TEST(UniqueRings, FusedRingsBecomeTwoRingsInWalkOrderAndAnAcyclicMoleculeKeepsItsRings) {
  auto m = buildMolecule(std::vector<std::string>(10, "C"),
                         {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1},
                          {4, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 9, 1}, {9, 3, 1}});
  MoleculeOperations ops;
  ASSERT_TRUE(ops.findUniqueRings(m.get()));
  ASSERT_EQ(2u, m->rings.size());
  for (const Ring* r : m->rings) {
    ASSERT_EQ(6u, r->atomIds.size());
    ASSERT_EQ(6u, r->bondIds.size());
    // Consecutive atoms of the list are bonded, and the last closes to the first.
    for (size_t k = 0; k < 6; ++k) {
      const Atom* a = m->atoms[static_cast<size_t>(r->atomIds[k])];
      const Atom* b = m->atoms[static_cast<size_t>(r->atomIds[(k + 1) % 6])];
      EXPECT_NE(nullptr, m->getBond(a, b)) << k;
    }
  }
  // An acyclic molecule keeps the rings it had.
  auto chain = buildMolecule({"C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}});
  Ring* kept = new Ring();
  chain->addRing(kept, false);
  EXPECT_FALSE(ops.findUniqueRings(chain.get()));
  EXPECT_EQ(std::vector<Ring*>{kept}, chain->rings);
}

TEST(AttachedHydrogens, CountsHydrogenNeighboursByElementAndStatus) {
  // Hydrogens named "H2", "H3", "H4": counted all the same; one with its flag clear is not.
  auto m = buildMolecule({"N", "H", "H", "H", "C"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}}, true);
  m->atoms[3]->statusFlag = false;
  m->atoms[1]->numImplicitH = 7;   // a hydrogen keeps its own count
  MoleculeOperations ops;
  ops.calAttachedHydrogens(m.get());
  EXPECT_EQ(2, m->atoms[0]->numImplicitH);
  EXPECT_EQ(0, m->atoms[4]->numImplicitH);
  EXPECT_EQ(7, m->atoms[1]->numImplicitH);
}

TEST(MoleculeLength, BoxStartsAtTheOrigin) {
  auto m = buildMolecule({"C", "C"}, {{0, 1, 1}});
  m->atoms[0]->sphere = new Spheroid(1.0f, 0.7f, 0.7f);
  m->atoms[0]->sphere->centre = SSEVector4f(0.5f, 0.5f, 0.5f, 1.0f);
  m->atoms[1]->sphere = new Spheroid(1.0f, 0.7f, 0.7f);
  m->atoms[1]->sphere->centre = SSEVector4f(1.0f, 2.0f, 2.0f, 1.0f);
  MoleculeOperations ops;
  EXPECT_NEAR(3.0f, ops.calculateLength(m.get()), 1e-5f);
  EXPECT_FLOAT_EQ(0.0f, ops.calculateLength(nullptr));
}

TEST(JoinMolecules, TwoMethylsMakeEthaneWithoutDummiesButAxesOfDifferentOrdersAreRefused) {
  kvtest::ensureApplication();
  auto first = methylWithAxis(SSEVector4f(1, 2, 3, 1));
  std::unique_ptr<Molecule> second = methylWithAxis(SSEVector4f(5, 5, 5, 1));
  auto doubleAxis = methylWithAxis(SSEVector4f(5, 5, 5, 1), 2);
  MoleculeOperations ops;
  // Axes of different orders are refused, and nothing changes.
  EXPECT_EQ(nullptr, ops.joinMolecules(first.get(), first->bonds[3], doubleAxis.get(),
                                       doubleAxis->bonds[3]));
  EXPECT_EQ(nullptr, ops.joinMolecules(nullptr, first->bonds[3], second.get(), second->bonds[3]));
  EXPECT_TRUE(first->atoms.size() == 5 && doubleAxis->atoms.size() == 5);
  EXPECT_FLOAT_EQ(5.0f, doubleAxis->positions[0].x);

  Molecule* joined = ops.joinMolecules(first.get(), first->bonds[3], second.get(), second->bonds[3]);
  ASSERT_EQ(first.get(), joined);
  second.release();   // the merge consumed it
  EXPECT_EQ(8u, joined->atoms.size());
  EXPECT_EQ(7u, joined->bonds.size());
  EXPECT_EQ(0, dummyCount(*joined));
  const Bond* connection = joined->bonds.back();
  EXPECT_TRUE(connection->isConnection);
  // The first carbon sits at the origin, the second on +x at the bond's distance.
  ASSERT_EQ(8u, joined->positions.size());
  const SSEVector4f& c1 = joined->positions[static_cast<size_t>(connection->atom1->id)];
  const SSEVector4f& c2 = joined->positions[static_cast<size_t>(connection->atom2->id)];
  EXPECT_NEAR(0.0f, std::fabs(c1.x) + std::fabs(c1.y) + std::fabs(c1.z), 1e-4f);
  EXPECT_NEAR(connection->focalDistance, c2.x, 1e-4);
  EXPECT_NEAR(0.0f, std::fabs(c2.y) + std::fabs(c2.z), 1e-4f);
}

TEST(MoleculeVolume, MonteCarloVolumeOfABondSpheroidIsWithinThreePercent) {
  // A prolate bond spheroid (a = 2, b = 1) between two atoms without spheres: the focal-distance
  // test, not a sphere of radius a.
  const double pi = kPiDouble;
  auto bond = buildMolecule({"C", "C"}, {{0, 1, 1}});
  Spheroid* orbital = new Spheroid(std::sqrt(0.75f), 1.0f, 2.0f);
  orbital->focus1 = SSEVector4f(0.0f, 0.0f, std::sqrt(3.0f), 1.0f);
  orbital->focus2 = SSEVector4f(0.0f, 0.0f, -std::sqrt(3.0f), 1.0f);
  bond->bonds[0]->spheroid = orbital;
  MoleculeOperations ops;
  EXPECT_NEAR(4.0 / 3.0 * pi * 2.0, ops.calVolume(bond.get()), 0.03 * 4.0 / 3.0 * pi * 2.0);
  EXPECT_EQ(0.0, ops.calVolume(nullptr));
}
