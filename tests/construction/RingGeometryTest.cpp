// Fused ring bookkeeping, the standard ring values and the ring puckers from stereocentres.

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "construction/SetupFixture.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::angleDeg;
using kvtest::distance;

class RingGeometry : public setuptest::SetupTest {};

namespace {

// Naphthalene skeleton (atoms 0-9; 0-5 one ring, 4-9 the other, sharing the 4-5 bond), here
// saturated (decalin) when `aromatic` is false.
std::unique_ptr<Molecule> fusedPair(bool aromatic) {
  std::vector<kvtest::Edge> edges = {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1},
                                     {5, 0, 1}, {4, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 9, 1},
                                     {9, 5, 1}};
  if (aromatic)
    for (int i : {0, 2, 4, 7, 9}) edges[i][2] = 2;   // a Kekule structure
  auto m = buildMolecule(std::vector<std::string>(10, "C"), edges);
  setuptest::perceive(*m);
  return m;
}

}  // namespace

TEST_F(RingGeometry, StandardValuesForRingSizes) {
  Molecule m;
  float angle = 0.0f, torsion = 0.0f;
  m.calculateStandardRing(angle, torsion, 5, false);
  EXPECT_NEAR(108.0f, angle, 1e-3);
  EXPECT_EQ(0.0f, torsion);
  m.calculateStandardRing(angle, torsion, 6, true);
  EXPECT_NEAR(120.0f, angle, 1e-3);
  EXPECT_EQ(0.0f, torsion);
  const float crowns[] = {-60.0f, -82.56f, -96.97f, -107.35f, -115.28f, -121.59f, -126.73f};
  for (int n = 6; n <= 12; ++n) {
    m.calculateStandardRing(angle, torsion, n, false);
    EXPECT_NEAR(109.47f, angle, 0.01) << n;
    EXPECT_NEAR(crowns[n - 6], torsion, 0.02) << n;
  }
}

TEST_F(RingGeometry, FusedRingsFormOneClusterAndSpiroRingsTwo) {
  auto fused = fusedPair(false);
  setuptest::engine()->setParameters(fused.get());
  fused->createOptimumGeometry();
  ASSERT_EQ(2u, fused->rings.size());
  ASSERT_EQ(1u, fused->ringClusters.size());
  EXPECT_EQ(std::vector<int>{1}, fused->rings[0]->neighbourRings);
  EXPECT_EQ(std::vector<int>{0}, fused->rings[1]->neighbourRings);

  // Spiro[4.4]nonane: two five-rings that share atom 0 only.
  auto spiro = buildMolecule(std::vector<std::string>(9, "C"),
                             {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 0, 1}, {0, 5, 1}, {0, 8, 1},
                              {3, 4, 1}, {5, 6, 1}, {6, 7, 1}, {7, 8, 1}});
  setuptest::perceive(*spiro);
  setuptest::engine()->setParameters(spiro.get());
  spiro->setupRingConnections();
  spiro->setupRingClusters();
  EXPECT_EQ(spiro->rings.size(), spiro->ringClusters.size());
  for (const Ring* r : spiro->rings) EXPECT_TRUE(r->neighbourRings.empty());
}

TEST_F(RingGeometry, RunningTheConstructionTwiceLeavesNoDuplicates) {
  auto m = fusedPair(true);
  setuptest::engine()->setParameters(m.get());
  m->createOptimumGeometry();
  for (Atom* a : m->atoms) a->isPlaced = false;
  m->createOptimumGeometry();
  EXPECT_EQ(1u, m->ringClusters.size());
  for (const Ring* r : m->rings) {
    std::vector<int> sorted = r->neighbourRings;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted.end(), std::adjacent_find(sorted.begin(), sorted.end()));
    EXPECT_EQ(1u, r->neighbourRings.size());
  }
}

TEST_F(RingGeometry, NaphthaleneIsFlatWithRegularHexagons) {
  auto m = fusedPair(true);
  setuptest::engine()->setParameters(m.get());
  m->createOptimumGeometry();
  for (const Ring* ring : m->rings) {
    ASSERT_TRUE(ring->isAromatic());
    const int n = static_cast<int>(ring->atomIds.size());
    for (int k = 0; k < n; ++k) {
      const Atom* a = m->atoms[ring->atomIds[k]];
      const Atom* b = m->atoms[ring->atomIds[(k + 1) % n]];
      const Atom* c = m->atoms[ring->atomIds[(k + 2) % n]];
      EXPECT_NEAR(1.3941, distance(a, b), 2e-3);
      EXPECT_NEAR(120.0, angleDeg(a, b, c), 0.2);
    }
  }
  // All ten carbons in one plane: their distance from the plane of atoms 0, 1, 2 is zero.
  const SSEVector4f p0 = m->atoms[0]->position;
  SSEVector4f normal = (m->atoms[1]->position - p0) % (m->atoms[2]->position - p0);
  normal.normalize();
  for (int i = 0; i < 10; ++i)
    EXPECT_NEAR(0.0f, normal.dot(m->atoms[i]->position - p0), 0.02f) << i;
}

TEST_F(RingGeometry, CentralRingHasTheMostNeighbours) {
  // Perhydrophenanthrene-like chain of three fused rings: the middle one is central.
  auto m = buildMolecule(std::vector<std::string>(14, "C"),
                         {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1},
                          {4, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 9, 1}, {9, 5, 1},
                          {8, 10, 1}, {10, 11, 1}, {11, 12, 1}, {12, 13, 1}, {13, 9, 1}});
  setuptest::perceive(*m);
  m->setupRingConnections();
  m->setupRingClusters();
  ASSERT_EQ(1u, m->ringClusters.size());
  const Ring* central = m->getCentralRing(m->ringClusters[0]);
  ASSERT_NE(nullptr, central);
  EXPECT_EQ(2u, central->neighbourRings.size());
  EXPECT_EQ(nullptr, m->getCentralRing(nullptr));
}

// No pucker is set for rings without labels, for a labelled centre with only its two ring
// neighbours (nothing constrains it), or for aromatic rings.
TEST_F(RingGeometry, UnconstrainedRingsStayUndetermined) {
  auto plain = fusedPair(false);
  auto aromatic = fusedPair(true);
  for (Ring* r : aromatic->rings) r->piAtomCount = 2;
  auto bare = buildMolecule(std::vector<std::string>(6, "C"),
                            {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1}});
  bare->findAllSmallestRings();   // no hydrogens: every carbon keeps two neighbours
  bare->atoms[0]->piCount = 1;
  bare->atoms[0]->neighbours = bare->atoms[0]->getAdjacentAtoms();
  bare->rings[0]->piAtomCount = 1;
  for (Molecule* m : {plain.get(), aromatic.get(), bare.get()}) {
    m->setupRingConnections();
    m->setupRingClusters();
    m->setConformationForRings();
    for (const Ring* r : m->rings) EXPECT_EQ(0, r->conformation) << m->atoms.size() << " atoms";
  }
}

TEST_F(RingGeometry, RearrangedNeighboursKeepTheirParity) {
  auto m = buildMolecule(std::vector<std::string>(8, "C"),
                         {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1},
                          {0, 6, 1}, {0, 7, 1}});
  m->findAllSmallestRings();
  Ring* ring = m->rings[0];
  Atom* centre = m->atoms[0];
  const int k = ring->getIdInRing(centre);
  const int n = static_cast<int>(ring->atomIds.size());
  Atom* previous = m->atoms[ring->atomIds[(k + n - 1) % n]];
  Atom* next = m->atoms[ring->atomIds[(k + 1) % n]];
  std::vector<Atom*> given = {m->atoms[6], next, m->atoms[7], previous};
  std::vector<Atom*> nb = given;
  m->rearrangeChiralCenter(ring, centre, nb);
  EXPECT_EQ(previous, nb[0]);
  EXPECT_EQ(next, nb[1]);
  // Parity of the permutation that takes `given` to `nb` must be even.
  std::vector<int> perm;
  for (Atom* a : nb) perm.push_back(static_cast<int>(std::find(given.begin(), given.end(), a) -
                                                     given.begin()));
  int inversions = 0;
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) inversions += perm[i] > perm[j];
  EXPECT_EQ(0, inversions % 2);
}

TEST_F(RingGeometry, LabelledDecalinGetsAPuckerAndPassesItOn) {
  auto m = fusedPair(false);
  setuptest::engine()->setParameters(m.get());
  // Label the bridgehead carbons 4 and 5 (each has two ring neighbours in ring 0, a third ring
  // neighbour in ring 1 and a hydrogen).
  int labelled = 0;
  for (int id : {4, 5}) {
    Atom* a = m->atoms[id];
    if (a->getAdjacentAtoms().size() != 4) continue;
    a->neighbours = a->getAdjacentAtoms();
    a->piCount = 1;
    ++labelled;
  }
  ASSERT_EQ(2, labelled);
  for (Ring* r : m->rings) r->piAtomCount = 2;
  m->createOptimumGeometry();
  for (const Ring* r : m->rings) EXPECT_GE(r->conformation, 0);
  for (const Ring* r : m->rings) EXPECT_LE(r->conformation, 2);
  for (size_t i = 0; i < m->atoms.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      EXPECT_GT(distance(m->atoms[i], m->atoms[j]), 0.5) << i << " and " << j << " overlap";
}
