// Ring closure: the path between two open ends, the targets of a regular ring, the closed ring
// itself, and the ring closing of list-built molecules.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RingClosureFixture.h"
#include "assembly/RingClosure.h"
#include "construction/MoleculeEdits.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"

namespace {

using kvtest::angleDeg;
using kvtest::centre;
using Pairs = std::vector<std::vector<Bond*>>;

// The dihedral p0-p1-p2-p3 in degrees, signed as the ring closure signs it: the opposite of the
// usual (IUPAC) sign.
double closureDihedral(const SSEVector4f& p0, const SSEVector4f& p1, const SSEVector4f& p2,
                       const SSEVector4f& p3) {
  const SSEVector4f b1 = p1 - p0, b2 = p2 - p1, b3 = p3 - p2;
  return -std::atan2(b2.length() * b1.dot(b2 % b3), (b1 % b2).dot(b2 % b3)) * 180.0 / M_PI;
}

using RingClosing = kvtest::RingClosureTest;

// Hexyl with a labelled centre beyond its end, CCCCCC[C@@H](N)O, finished from SMILES, and an
// open end in place of a hydrogen on each of carbons 1 and 6, the ends of a six-ring path. With
// `turned` the centre's label is turned over afterwards, so that its coordinates show the other
// hand: a molecule the set-up chain refuses, whatever the closure does to the path.
std::unique_ptr<Molecule> labelledChain(bool turned) {
  std::unique_ptr<Molecule> chain(SmilesParser().smilesToMol("CCCCCC[C@@H](N)O"));
  if (chain == nullptr) return chain;
  for (int end : {0, 5})
    for (Bond* b : chain->atoms[static_cast<size_t>(end)]->bonds)
      if (Atom* h = chain->atoms[static_cast<size_t>(end)]->getAdjacentAtom(b);
          h->element == "H" && h->editMark == 0) {
        h->editMark = 2;
        break;
      }
  const EditResult open = rebuildWithNewBondAxes(chain.get(), [](Molecule* m) {
    std::string text;
    SmilesWriter().createSmilesFromMolecule(m, text);
    return text;
  });
  std::unique_ptr<Molecule> result(open.molecule);
  if (result != nullptr && turned) kvtest::turnLabels(*result);
  return result;
}

// The two open ends of labelledChain, as one pair to close.
Pairs chainEnds(Molecule& m) {
  Pairs pairs{{}};
  for (Bond* b : m.bonds)
    if (isDummy(b->atom1) || isDummy(b->atom2)) pairs[0].push_back(b);
  return pairs;
}

TEST_F(RingClosing, PathTargetsFollowTheRingSizeAndItsPiElectrons) {
  const struct {
    int atoms;
    int piPerAtom;
    float angle;      // degrees
    float dihedral;   // of the first bond; the sign alternates along the path
  } cases[] = {{6, 0, 109.47f, -60.0f}, {6, 1, 120.0f, 0.0f}, {5, 0, 108.0f, 0.0f},
               {5, 1, 108.0f, 0.0f}};
  for (const auto& c : cases) {
    auto m = openChain(c.atoms);
    auto closure = closureOf(*m, c.atoms);
    for (Atom* a : closure->pathAtoms) a->piElectrons = c.piPerAtom;
    std::vector<float> lengths, angles, dihedrals;
    ASSERT_TRUE(closure->calTransVector(lengths, angles, dihedrals));
    ASSERT_EQ(static_cast<size_t>(c.atoms - 2), angles.size());
    ASSERT_EQ(static_cast<size_t>(c.atoms - 1), dihedrals.size());

    // The dummies stand beyond both ends of the path.
    std::vector<SSEVector4f> p{centre(RingClosure::dummyOf(closure->openEnd1))};
    for (const Atom* a : closure->pathAtoms) p.push_back(centre(a));
    p.push_back(centre(RingClosure::dummyOf(closure->openEnd2)));
    for (size_t i = 0; i < lengths.size(); ++i)
      EXPECT_NEAR((p[2] - p[1]).length(), lengths[i] + (p[i + 2] - p[i + 1]).length(), 1e-4);
    for (size_t i = 0; i < angles.size(); ++i)
      EXPECT_NEAR(c.angle, angles[i] + angleDeg(p[i + 1], p[i + 2], p[i + 3]), 1e-3);
    float target = c.dihedral;
    for (size_t i = 0; i < dihedrals.size(); ++i, target = -target) {
      const double reached = dihedrals[i] + closureDihedral(p[i], p[i + 1], p[i + 2], p[i + 3]);
      EXPECT_NEAR(0.0, std::remainder(reached - target, 360.0), 0.01) << c.atoms << " " << i;
    }
  }
}

// Every ring size the targets can reach closes regular: the closing bond is as long as the path
// bonds and the angles at its two ends are those of the rest of the ring.
TEST_F(RingClosing, ListedRingsCloseRegularWithTheirClosingBond) {
  for (int n : {3, 5, 6, 8, 12}) {
    auto m = readMolecule(chainText(n) + "RING N1.DUM1 N" + std::to_string(n) + ".DUM2\n");
    ASSERT_TRUE(m) << n << errors.text();
    EXPECT_EQ(0, dummies(*m));
    ASSERT_EQ(1u, m->rings.size());
    const Ring* ring = m->rings.front();
    EXPECT_TRUE(ring->isClosure);
    ASSERT_EQ(static_cast<size_t>(n), ring->atomIds.size());
    ASSERT_EQ(static_cast<size_t>(n), ring->bondIds.size());
    const Bond* closing = m->bonds[static_cast<size_t>(ring->bondIds.back())];
    EXPECT_TRUE(closing->isConnection);
    EXPECT_EQ(closing, m->getBond(m->atoms[static_cast<size_t>(ring->atomIds.front())],
                                  m->atoms[static_cast<size_t>(ring->atomIds.back())]));

    std::vector<SSEVector4f> p;
    for (int id : ring->atomIds) p.push_back(m->positions[static_cast<size_t>(id)]);
    for (const SSEVector4f& q : p) ASSERT_FALSE(std::isnan(q.x + q.y + q.z)) << n;
    const float first = (p[1] - p[0]).length();
    for (int i = 0; i + 1 < n; ++i) EXPECT_NEAR(first, (p[i + 1] - p[i]).length(), 0.001) << n;
    EXPECT_NEAR(first, (p.back() - p.front()).length(), 0.01) << n;
    const float regular = n <= 5 ? 180.0f - 360.0f / n : 109.47f;
    for (int i = 0; i < n; ++i)
      EXPECT_NEAR(regular, angleDeg(p[i], p[(i + 1) % n], p[(i + 2) % n]), 0.1) << n << " " << i;
  }
}

TEST_F(RingClosing, CloseRingsStopsAtTheFirstPairItCannotClose) {
  ASSERT_EQ(1, loadQuaternary());
  auto m = readMolecule("MOLE Spiro\nFUNC A METHYLENE\nFUNC Q QUAT\nFUNC B METHYLENE\n"
                        "SINGLE A.DUM2 Q.DUM1 Q.DUM2 B.DUM1\n");
  ASSERT_TRUE(m);
  // Two ends on one atom cannot be initialised; the pair after them is never tried.
  Pairs pairs{{openEnd(*m, "A", "DUM1"), openEnd(*m, "B", "DUM2")},
              {openEnd(*m, "Q", "DUM3"), openEnd(*m, "Q", "DUM4")},
              {openEnd(*m, "Q", "DUM4"), openEnd(*m, "Q", "DUM3")}};
  errors.clear();
  EXPECT_FALSE(engine->closeRings(m.get(), pairs));
  const std::vector<std::string> once{"Error: RingClosure::RingClosure. Ring closure is not possible",
                                      "Error: RingClosure::findShortestPath, no Min"};
  EXPECT_EQ(once, errors.lines);
  ASSERT_EQ(1u, m->rings.size());
  EXPECT_EQ(3u, m->rings.front()->atomIds.size());
  EXPECT_EQ(2, dummies(*m));

  // Open ends of different orders: here the carbonyl's double bond.
  auto keto = readMolecule("MOLE Keto\nFUNC A METHYLENE\nFUNC C CARBONYL\nSINGLE A.DUM2 C.DUM1\n");
  ASSERT_TRUE(keto);
  Pairs mixed{{openEnd(*keto, "A", "DUM1"), nullptr}};
  for (Bond* b : keto->bonds)
    if (b->order == 2) mixed[0][1] = b;
  errors.clear();
  EXPECT_FALSE(engine->closeRings(keto.get(), mixed));
  EXPECT_EQ(std::vector<std::string>{"Error: GLWidget::closeRing, NULL value passed"}, errors.lines);
  EXPECT_EQ(2, dummies(*keto));
}

TEST_F(RingClosing, RefusedClosuresAreReported) {
  auto hexane = openChain(6);
  RingClosure empty(nullptr, openEnd(*hexane, 1, "DUM1"), openEnd(*hexane, 6, "DUM2"), false);
  EXPECT_FALSE(empty.initializeRingClosure());
  // The ring templates reach from three to eight atoms.
  auto closure = closureOf(*hexane, 6);
  std::vector<float> lengths, angles, dihedrals;
  ASSERT_TRUE(closure->calTransMatrix(lengths, angles, dihedrals));
  ASSERT_TRUE(closure->creatRingConformation(lengths, angles, dihedrals));
  EXPECT_NEAR(1.535, closure->getDistanceLF(), 0.01);
  auto decane = openChain(10);
  EXPECT_FALSE(closureOf(*decane, 10)->calTransMatrix(lengths, angles, dihedrals));
  // A block whose pair cannot be closed yields no molecule.
  ASSERT_EQ(1, loadQuaternary());
  EXPECT_EQ(nullptr, readMolecule("MOLE Lone\nFUNC Q QUAT\nRING Q.DUM3 Q.DUM4\n"));
  const std::vector<std::string> expected{"Error:  RingClosure::initializeRingClosure NULL values",
                                          "Error: RingClosure:: Cannot find template!",
                                          "Error: RingClosure::findShortestPath, no Min"};
  EXPECT_EQ(expected, errors.lines);
}

// A chain the relaxation before the closure refuses is not closed: the relaxation's own line,
// and both open ends stay.
TEST_F(RingClosing, CloseRingsLeavesAChainTheChainRefusesOpen) {
  auto sound = labelledChain(false);
  ASSERT_TRUE(sound);
  Pairs ends = chainEnds(*sound);
  ASSERT_EQ(2u, ends[0].size());
  errors.clear();
  EXPECT_TRUE(engine->closeRings(sound.get(), ends)) << errors.text();
  EXPECT_EQ(0, dummies(*sound));

  auto turned = labelledChain(true);
  ASSERT_TRUE(turned);
  ends = chainEnds(*turned);
  errors.clear();
  EXPECT_FALSE(engine->closeRings(turned.get(), ends));
  ASSERT_EQ(1u, errors.lines.size()) << errors.text();
  EXPECT_NE(std::string::npos, errors.lines[0].find("as written")) << errors.text();
  EXPECT_EQ(2, dummies(*turned));
  EXPECT_TRUE(turned->rings.empty());
}

// The closed ring goes through the spheroids step, which refuses what no finished molecule
// shows: here the centre beyond the path, whose coordinates the closure moves rigidly.
TEST_F(RingClosing, AClosedRingTheChainRefusesIsReported) {
  for (bool turned : {false, true}) {
    auto chain = labelledChain(turned);
    ASSERT_TRUE(chain);
    const Pairs ends = chainEnds(*chain);
    ASSERT_EQ(2u, ends[0].size());
    RingClosure closure(chain.get(), ends[0][0], ends[0][1], false);
    ASSERT_TRUE(closure.initializeRingClosure());
    closure.closingBondParameters = {0.75f, 1.0f, 0.66f, 1.5f, 3.6f};   // a single bond
    std::vector<float> lengths, angles, dihedrals;
    ASSERT_TRUE(closure.calTransVector(lengths, angles, dihedrals));
    errors.clear();
    EXPECT_EQ(!turned, closure.creatRingConformation(lengths, angles, dihedrals)) << turned;
    if (!turned) {
      EXPECT_TRUE(errors.lines.empty()) << errors.text();
      continue;
    }
    ASSERT_EQ(1u, errors.lines.size()) << errors.text();
    EXPECT_NE(std::string::npos, errors.lines[0].find("as written")) << errors.text();
  }
}

}  // namespace
