// Fused ring bookkeeping, the standard ring values and the ring puckers from stereocentres.

#include <cmath>

#include <gtest/gtest.h>

#include "construction/GeometryCheck.h"
#include "construction/SetupFixture.h"
#include "io/SmilesParser.h"
#include "model/Ring.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::angleDeg;
using kvtest::distance;

class RingGeometry : public setuptest::SetupTest {};

namespace {

// Naphthalene skeleton (atoms 0-9; 0-5 one ring, 4-9 the other, sharing the 4-5 bond), here
// saturated (decalin) when `aromatic` is false; perceived and with table parameters.
std::unique_ptr<Molecule> fusedPair(bool aromatic) {
  std::vector<kvtest::Edge> edges = {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1},
                                     {5, 0, 1}, {4, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 9, 1},
                                     {9, 5, 1}};
  if (aromatic)
    for (int i : {0, 2, 4, 7, 9}) edges[i][2] = 2;   // a Kekule structure
  return setuptest::prepare(buildMolecule(std::vector<std::string>(10, "C"), edges), false);
}

}  // namespace

TEST_F(RingGeometry, StandardValuesForRingSizes) {
  // Small and aromatic rings are flat regular polygons, larger saturated ones crowns.
  const struct {
    int size;
    bool aromatic;
    float angle, torsion;
  } cases[] = {{5, false, 108.0f, 0.0f},      {6, true, 120.0f, 0.0f},
               {6, false, 109.47f, -60.0f},   {7, false, 109.47f, -82.56f},
               {9, false, 109.47f, -107.35f}, {12, false, 109.47f, -126.73f}};
  Molecule m;
  for (const auto& c : cases) {
    float angle = 0.0f, torsion = 1.0f;
    m.calculateStandardRing(angle, torsion, c.size, c.aromatic);
    EXPECT_NEAR(c.angle, angle, 0.01) << c.size;
    EXPECT_NEAR(c.torsion, torsion, 0.02) << c.size;
  }
}

TEST_F(RingGeometry, SpiroRingsFormTwoClustersAndThreeFusedOneWithACentralRing) {
  // Spiro[4.4]nonane: two five-rings that share atom 0 only.
  auto spiro = setuptest::prepare(
      buildMolecule(std::vector<std::string>(9, "C"),
                    {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 0, 1}, {0, 5, 1}, {0, 8, 1}, {3, 4, 1},
                     {5, 6, 1}, {6, 7, 1}, {7, 8, 1}}),
      false);
  spiro->setupRingConnections();
  spiro->setupRingClusters();
  EXPECT_EQ(spiro->rings.size(), spiro->ringClusters.size());
  for (const Ring* r : spiro->rings) EXPECT_TRUE(r->neighbourRings.empty());

  // Three rings fused in a row: the middle one is central.
  auto row = setuptest::prepare(
      buildMolecule(std::vector<std::string>(14, "C"),
                    {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1}, {4, 6, 1},
                     {6, 7, 1}, {7, 8, 1}, {8, 9, 1}, {9, 5, 1}, {8, 10, 1}, {10, 11, 1},
                     {11, 12, 1}, {12, 13, 1}, {13, 9, 1}}),
      false);
  row->setupRingConnections();
  row->setupRingClusters();
  ASSERT_EQ(1u, row->ringClusters.size());
  const Ring* central = row->getCentralRing(row->ringClusters[0]);
  ASSERT_NE(nullptr, central);
  EXPECT_EQ(2u, central->neighbourRings.size());
  EXPECT_EQ(nullptr, row->getCentralRing(nullptr));
}

TEST_F(RingGeometry, NaphthaleneBuiltTwiceIsFlatWithRegularHexagonsAndNoDuplicates) {
  auto m = fusedPair(true);
  m->createOptimumGeometry();
  for (Atom* a : m->atoms) a->isPlaced = false;
  m->createOptimumGeometry();
  ASSERT_EQ(2u, m->rings.size());
  EXPECT_EQ(1u, m->ringClusters.size());
  for (const Ring* ring : m->rings) {
    EXPECT_EQ(1u, ring->neighbourRings.size());
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

TEST_F(RingGeometry, LabelledDecalinIsBuiltWithTheLabelledHands) {
  auto m = fusedPair(false);
  // Label the bridgehead carbons 4 and 5 (each has two ring neighbours in ring 0, a third ring
  // neighbour in ring 1 and a hydrogen).
  for (int id : {4, 5}) {
    Atom* a = m->atoms[id];
    a->neighbours = a->getAdjacentAtoms();
    ASSERT_EQ(4u, a->neighbours.size());
    a->piCount = 1;
  }
  for (Ring* r : m->rings) r->piAtomCount = 2;
  m->createOptimumGeometry();
  // The built hands are the labelled ones, with nothing stacked.
  EXPECT_TRUE(findInvertedCentres(*m).empty());
  EXPECT_TRUE(findClosePairs(*m, kMinimumNonBondedDistance).empty());
  m->atoms[4]->piCount = 2;
  EXPECT_EQ(1u, findInvertedCentres(*m).size());
}

namespace {

// The hand a centre shows: the signed volume of its neighbours in written order, positive when
// the last three turn clockwise seen from the first ("@@"), negative for "@".
float writtenHandVolume(const Atom& centre) {
  const std::vector<Atom*>& n = centre.neighbours;
  const SSEVector4f a = n[1]->position - n[0]->position;
  const SSEVector4f b = n[2]->position - n[0]->position;
  const SSEVector4f c = n[3]->position - n[0]->position;
  return a.dot(b % c);
}

}  // namespace

// Ring-fusion centres labelled in SMILES are laid down with the hands written, whichever of
// their rings is built first and from whichever of their atoms the ring walk starts.
TEST_F(RingGeometry, LabelledFusionCentresFromSmilesGetTheirWrittenHands) {
  const char* labelled[] = {
      "C1CC[C@H]2CCCC[C@@H]2C1",                  // trans-decalin
      "C1CC[C@H]2CCCC[C@H]2C1",                   // cis-decalin
      "C1CC[C@@H]2CCC[C@@H]2C1",                  // a hydrindane
      "O[C@@H]1CC[C@@]2(C)[C@H]3CC[C@]4(C)[C@@H](O)CC[C@H]4[C@@H]3CC[C@@H]2C1",   // a diol
      "C[C@]12CC[C@H]3[C@@H](CCC4=CC(=O)CC[C@]34C)[C@@H]1CC[C@@H]2O",            // testosterone
      "C[C@@]12CC[C@@H](O)C[C@@H]1CC[C@@H]1[C@@H]2CC[C@]2(C)[C@@H](O)CC[C@@H]12"};
  for (const char* smiles : labelled) {
    kvtest::ErrorCapture errors;
    std::unique_ptr<Molecule> m(SmilesParser().smilesToGraph(smiles));
    ASSERT_NE(nullptr, m) << smiles << "\n" << errors.text();
    setuptest::engine()->setParameters(m.get());
    m->createOptimumGeometry();
    int centres = 0;
    for (const Atom* a : m->atoms) {
      if (a->piCount != 1 && a->piCount != 2) continue;
      ASSERT_EQ(4u, a->neighbours.size()) << smiles << " " << a->name;
      ++centres;
      const float volume = writtenHandVolume(*a);
      EXPECT_EQ(a->piCount == 2, volume > 0.0f)
          << smiles << ": " << a->name << " written " << (a->piCount == 2 ? "@@" : "@")
          << ", volume " << volume;
      EXPECT_GT(std::fabs(volume), 0.5f) << smiles << ": " << a->name << " is flat";
    }
    EXPECT_GE(centres, 2) << smiles;
    EXPECT_TRUE(findClosePairs(*m, kMinimumNonBondedDistance).empty()) << smiles;
  }
}
