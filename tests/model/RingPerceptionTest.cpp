// Smallest rings, pi electrons and aromaticity from the bond graph alone.

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::Edge;

namespace {

// Kekule naphthalene: ring A is 0-1-2-3-4-5, ring B 4-6-7-8-9-5; they share the bond 4-5.
std::unique_ptr<Molecule> buildNaphthalene() {
  return buildMolecule(std::vector<std::string>(10, "C"),
                       {{0, 1, 2}, {1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 0, 1},
                        {4, 6, 1}, {6, 7, 2}, {7, 8, 1}, {8, 9, 2}, {9, 5, 1}});
}

// Bridgeheads 0 and 3, bridges 1-2, 4-5 and 6.
std::unique_ptr<Molecule> buildNorbornane() {
  return buildMolecule(std::vector<std::string>(7, "C"),
                       {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {0, 4, 1}, {4, 5, 1}, {5, 3, 1},
                        {0, 6, 1}, {6, 3, 1}});
}

std::unique_ptr<Molecule> buildCycle(const std::vector<std::string>& elements,
                                     const std::vector<int>& orders) {
  std::vector<Edge> edges;
  const int n = static_cast<int>(elements.size());
  for (int i = 0; i < n; ++i) edges.push_back({i, (i + 1) % n, orders[static_cast<size_t>(i)]});
  return buildMolecule(elements, edges);
}

std::vector<size_t> ringSizes(const Molecule& m) {
  std::vector<size_t> sizes;
  for (const Ring* r : m.rings) sizes.push_back(r->atomIds.size());
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

// Every ring is a closed path of real bonds through distinct atoms, registered on its atoms
// and bonds under its own id.
void expectClosedPaths(const Molecule& m) {
  ASSERT_EQ(m.rings.size(), m.numRings);
  for (size_t r = 0; r < m.rings.size(); ++r) {
    const Ring& ring = *m.rings[r];
    EXPECT_EQ(static_cast<int>(r), ring.id);
    ASSERT_EQ(ring.atomIds.size(), ring.bondIds.size());
    ASSERT_GE(ring.atomIds.size(), 3u);
    EXPECT_EQ(ring.atomIds.size(),
              std::set<int>(ring.atomIds.begin(), ring.atomIds.end()).size());
    const size_t n = ring.atomIds.size();
    for (size_t k = 0; k < n; ++k) {
      const Atom* a = m.atoms[static_cast<size_t>(ring.atomIds[k])];
      const Atom* b = m.atoms[static_cast<size_t>(ring.atomIds[(k + 1) % n])];
      const Bond* bond = m.bonds[static_cast<size_t>(ring.bondIds[k])];
      EXPECT_EQ(bond, m.getBond(a, b)) << "ring " << r << " bond " << k;
      EXPECT_TRUE(a->isPartOfRing(ring.id) && bond->ringIds.count(ring.id) == 1);
      EXPECT_TRUE(a->inRing && bond->inRing);
    }
  }
}

struct Snapshot {
  std::vector<std::vector<int> > atomIds, bondIds;
  std::vector<std::set<int> > atomRings, bondRings;
  bool operator==(const Snapshot& o) const {
    return atomIds == o.atomIds && bondIds == o.bondIds && atomRings == o.atomRings &&
           bondRings == o.bondRings;
  }
};

Snapshot snapshot(const Molecule& m) {
  Snapshot s;
  for (const Ring* r : m.rings) {
    s.atomIds.push_back(r->atomIds);
    s.bondIds.push_back(r->bondIds);
  }
  for (const Atom* a : m.atoms) s.atomRings.push_back(a->ringIds);
  for (const Bond* b : m.bonds) s.bondRings.push_back(b->ringIds);
  return s;
}

}  // namespace

TEST(RingPerception, KekuleBenzeneBecomesOneAromaticRingAndStaysSoOnASecondRun) {
  auto m = kvtest::buildBenzene();
  m->findAllSmallestRings();
  ASSERT_EQ(1u, m->numRings);
  const Ring& ring = *m->rings[0];
  EXPECT_EQ(6u, ring.atomIds.size());
  EXPECT_TRUE(ring.aromatic);
  EXPECT_EQ(0, ring.piAtomCount);
  for (int id : ring.bondIds) {
    EXPECT_EQ(9, m->bonds[static_cast<size_t>(id)]->order);
    EXPECT_TRUE(m->bonds[static_cast<size_t>(id)]->isAromatic);
  }
  for (const Atom* a : m->atoms) {
    EXPECT_EQ(a->element == "C", a->isAromatic) << a->name;
    EXPECT_EQ(a->element == "C" ? 1 : 0, a->piElectrons);
  }
  const Snapshot first = snapshot(*m);
  m->findAllSmallestRings();
  EXPECT_TRUE(first == snapshot(*m));
  EXPECT_TRUE(m->rings[0]->aromatic);
  for (const Atom* a : m->atoms) EXPECT_EQ(a->element == "C" ? 1 : 0, a->piElectrons);
  expectClosedPaths(*m);
}

TEST(RingPerception, FusedAndBridgedSystemsGiveOnlySmallestRingsOfSomeBond) {
  auto naphthalene = buildNaphthalene();
  naphthalene->findAllSmallestRings();
  EXPECT_EQ((std::vector<size_t>{6, 6}), ringSizes(*naphthalene));
  EXPECT_TRUE(naphthalene->rings[0]->aromatic && naphthalene->rings[1]->aromatic);
  const Bond* shared = naphthalene->getBond(naphthalene->atoms[4], naphthalene->atoms[5]);
  EXPECT_EQ(2u, shared->ringIds.size());

  // The six-ring around both long bridges is the smallest ring of no bond.
  auto norbornane = buildNorbornane();
  norbornane->findAllSmallestRings();
  EXPECT_EQ((std::vector<size_t>{5, 5}), ringSizes(*norbornane));

  // No 2-cycle through a single bond.
  auto cyclopropane = buildCycle({"C", "C", "C"}, {1, 1, 1});
  cyclopropane->findAllSmallestRings();
  EXPECT_EQ((std::vector<size_t>{3}), ringSizes(*cyclopropane));

  for (const Molecule* m : {naphthalene.get(), norbornane.get(), cyclopropane.get()})
    expectClosedPaths(*m);
}

TEST(RingPerception, CubaneAndSpiroRingsAreClosedPathsWithNoAtomTwice) {
  // Cube corners 0-3 on top, 4-7 below; a spiro pair of cyclopentanes sharing atom 0.
  auto cubane = buildMolecule(std::vector<std::string>(8, "C"),
                              {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 0, 1}, {4, 5, 1}, {5, 6, 1},
                               {6, 7, 1}, {7, 4, 1}, {0, 4, 1}, {1, 5, 1}, {2, 6, 1}, {3, 7, 1}});
  cubane->findAllSmallestRings();
  EXPECT_EQ(std::vector<size_t>(6, 4), ringSizes(*cubane));
  auto spiro = buildMolecule(std::vector<std::string>(9, "C"),
                             {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 0, 1},
                              {0, 5, 1}, {5, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 0, 1}});
  spiro->findAllSmallestRings();
  EXPECT_EQ((std::vector<size_t>{5, 5}), ringSizes(*spiro));
  expectClosedPaths(*cubane);
  expectClosedPaths(*spiro);
}

TEST(RingPerception, PiCountsDecideAromaticity) {
  auto cyclobutadiene = buildCycle({"C", "C", "C", "C"}, {2, 1, 2, 1});
  cyclobutadiene->findAllSmallestRings();
  ASSERT_EQ(1u, cyclobutadiene->numRings);
  EXPECT_FALSE(cyclobutadiene->rings[0]->aromatic);
  EXPECT_EQ(2, cyclobutadiene->bonds[0]->order);
  for (const Atom* a : cyclobutadiene->atoms) EXPECT_FALSE(a->isAromatic);

  // Kekule pyridine: 6 by the plain rule; on the next run the aromatic nitrogen, with two
  // bonds and no lone pair in the ring, still brings 1.
  auto pyridine = buildCycle({"N", "C", "C", "C", "C", "C"}, {2, 1, 2, 1, 2, 1});
  pyridine->findAllSmallestRings();
  EXPECT_TRUE(pyridine->rings[0]->aromatic);
  pyridine->findAllSmallestRings();
  EXPECT_EQ(1, pyridine->atoms[0]->piElectrons);
  EXPECT_TRUE(pyridine->rings[0]->aromatic);

  // Pyrrole as a reader flags it: aromatic nitrogen at 2 and four carbons at 1.
  auto pyrrole = buildCycle({"N", "C", "C", "C", "C"}, {1, 2, 1, 2, 1});
  for (Atom* a : pyrrole->atoms) a->isAromatic = true;
  pyrrole->atoms[0]->piElectrons = 2;
  pyrrole->findAllSmallestRings();
  EXPECT_TRUE(pyrrole->rings[0]->aromatic);

  // Four carbons at 1 and a charged nitrogen: no lone pair to give.
  auto pyrroline = buildCycle({"N", "C", "C", "C", "C"}, {1, 2, 1, 2, 1});
  pyrroline->atoms[0]->charge = 1;
  pyrroline->findAllSmallestRings();
  EXPECT_FALSE(pyrroline->rings[0]->aromatic);

  // Ten pi electrons, but a ten-ring is never tested.
  auto annulene = buildCycle(std::vector<std::string>(10, "C"), {2, 1, 2, 1, 2, 1, 2, 1, 2, 1});
  annulene->findAllSmallestRings();
  EXPECT_FALSE(annulene->rings[0]->aromatic);
}

TEST(RingPerception, BoronTrianglesAndBridgingHydrogens) {
  auto triangle = buildCycle({"B", "B", "B"}, {2, 2, 2});
  triangle->findAllSmallestRings();
  EXPECT_TRUE(triangle->rings[0]->aromatic);
  auto opened = buildCycle({"B", "B", "B"}, {2, 2, 1});
  opened->findAllSmallestRings();
  EXPECT_FALSE(opened->rings[0]->aromatic);
  // A four-ring through a hydrogen would count 6 pi electrons, but never qualifies.
  auto bridged = buildCycle({"B", "H", "C", "C", "C", "C"}, {1, 1, 2, 1, 2, 1});
  bridged->findAllSmallestRings();
  ASSERT_EQ(1u, bridged->numRings);
  EXPECT_FALSE(bridged->rings[0]->aromatic);
}

TEST(RingPerception, ChainsAndEmptyMoleculesEndWithoutRingsOrAromaticFlags) {
  auto butane = buildMolecule({"C", "C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
  for (Atom* a : butane->atoms) a->isAromatic = true;
  butane->findAllSmallestRings();
  EXPECT_EQ(0u, butane->numRings);
  for (const Atom* a : butane->atoms) {
    EXPECT_FALSE(a->isAromatic);
    EXPECT_TRUE(a->ringIds.empty());
  }
  auto empty = buildMolecule({}, {});
  empty->findAllSmallestRings();
  EXPECT_TRUE(empty->rings.empty());
}

TEST(RingPerception, BrokenRingLosesItsRingFlagsOnTheNextRun) {
  auto m = buildCycle({"C", "C", "C", "C", "C", "C"}, {1, 1, 1, 1, 1, 1});
  m->findAllSmallestRings();
  ASSERT_EQ(1u, m->numRings);
  m->deleteBond(m->bonds[0]);
  m->update();
  EXPECT_EQ(0u, m->numRings);
  for (const Atom* a : m->atoms) EXPECT_FALSE(a->inRing);
  for (const Bond* b : m->bonds) EXPECT_FALSE(b->inRing);
}

TEST(RingPerception, RingThroughAMetalIsFoundFromItsNeighbours) {
  // The metal is peeled first; a plain five-ring through it then peels away entirely.
  auto m = buildCycle({"Fe", "C", "C", "C", "C"}, {1, 1, 1, 1, 1});
  m->findAllSmallestRings();
  EXPECT_EQ(0u, m->numRings);
  // Fused to a carbon five-ring, the metal is entered only as the first step from a carbon
  // bonded to it: the four-ring through it is found, the five-ring through it is not.
  auto fused = buildMolecule({"Fe", "C", "C", "C", "C", "C"},
                             {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 1, 1},
                              {0, 3, 1}});
  fused->findAllSmallestRings();
  expectClosedPaths(*fused);
  EXPECT_EQ((std::vector<size_t>{4, 5}), ringSizes(*fused));
}

TEST(RingPerception, NewRingTestAcceptsOnlyUnseenCycles) {
  auto m = buildCycle({"C", "C", "C", "C", "C", "C"}, {1, 1, 1, 1, 1, 1});
  m->findAllSmallestRings();
  const std::vector<int> ring = m->rings[0]->atomIds;
  std::vector<int> rotated(ring.begin() + 2, ring.end());
  rotated.insert(rotated.end(), ring.begin(), ring.begin() + 2);
  std::vector<int> reversed(ring.rbegin(), ring.rend());
  EXPECT_FALSE(m->isNewRing(rotated));
  EXPECT_FALSE(m->isNewRing(reversed));
  std::vector<int> scrambled = ring;
  std::swap(scrambled[1], scrambled[2]);
  EXPECT_TRUE(m->isNewRing(scrambled));
  EXPECT_TRUE(m->isNewRing({0, 1, 2}));
}

TEST(RingAromaticity, BondPatternTestPassesAlternationOrAromaticAtoms) {
  auto m = buildCycle(std::vector<std::string>(6, "C"), {1, 2, 1, 2, 1, 2});
  auto ringOf = [](std::vector<int> atomIds) {
    Ring* r = new Ring();
    r->atomIds = atomIds;
    r->bondIds = {0, 1, 2, 3, 4, 5};
    return r;
  };
  m->setRings({ringOf({0, 1, 2, 3, 4, 5})});
  m->rings[0]->checkAromaticity();
  EXPECT_TRUE(m->rings[0]->aromatic);
  EXPECT_EQ(9, m->bonds[3]->order);

  auto irregular = buildCycle(std::vector<std::string>(6, "C"), {1, 1, 2, 1, 2, 1});
  irregular->setRings({ringOf({0, 1, 2, 3, 4, 5})});
  irregular->rings[0]->checkAromaticity();
  EXPECT_FALSE(irregular->rings[0]->aromatic);
  for (Atom* a : irregular->atoms) a->isAromatic = true;
  irregular->rings[0]->checkAromaticity();
  EXPECT_TRUE(irregular->rings[0]->aromatic);

  // A ring without owner, or one naming bonds its owner lost, is left alone.
  Ring orphan;
  orphan.atomIds = {0, 1, 2};
  orphan.bondIds = {0, 1, 2};
  orphan.checkAromaticityPi();
  orphan.checkAromaticity();
  EXPECT_FALSE(orphan.aromatic);
  auto stale = buildCycle({"C", "C", "C"}, {1, 1, 1});
  Ring* r = new Ring();
  r->atomIds = {0, 1, 7};
  r->bondIds = {0, 1, 12};
  stale->setRings({r});
  stale->rings[0]->checkAromaticityPi();
  EXPECT_FALSE(stale->rings[0]->aromatic);
}

namespace {

// A cycle of n carbons, then chords given as (from, to, atoms on the chord) between its atoms.
std::unique_ptr<Molecule> buildBridgedCycle(int n, const std::vector<std::array<int, 3> >& chords,
                                            const std::vector<std::string>& extra = {}) {
  std::vector<std::string> elements(static_cast<size_t>(n), "C");
  std::vector<Edge> edges;
  for (int i = 0; i < n; ++i) edges.push_back({i, (i + 1) % n, 1});
  for (const auto& chord : chords) {
    int previous = chord[0];
    for (int k = 0; k < chord[2]; ++k) {
      elements.push_back("C");
      const int atom = static_cast<int>(elements.size()) - 1;
      edges.push_back({previous, atom, 1});
      previous = atom;
    }
    edges.push_back({previous, chord[1], 1});
  }
  for (const std::string& e : extra) elements.push_back(e);
  return buildMolecule(elements, edges);
}

std::set<std::set<int> > ringSets(const Molecule& m) {
  std::set<std::set<int> > sets;
  for (const Ring* r : m.rings) sets.insert(std::set<int>(r->atomIds.begin(), r->atomIds.end()));
  return sets;
}

}  // namespace

TEST(RingPerception, ASearchFromAnyAtomFindsNoRingThePerceptionMissed) {
  // Only the first atom of a path of two-neighbour atoms is searched, and bonds on no cycle are
  // never crossed; a search from every atom must find nothing the perception lacks.
  std::vector<std::unique_ptr<Molecule> > molecules;
  molecules.push_back(buildBridgedCycle(40, {{0, 20, 3}}));
  molecules.push_back(buildBridgedCycle(30, {{0, 15, 2}, {7, 22, 1}}));
  // Copper bonded to atoms 2 and 7 of a ten-ring: the rings through it are found only from
  // its neighbours, which therefore start paths of their own.
  auto chelate = buildBridgedCycle(10, {}, {"Cu"});
  chelate->addBond(2u, 10u, 1);
  chelate->addBond(7u, 10u, 1);
  molecules.push_back(std::move(chelate));
  // Three six-rings joined by two-carbon links.
  auto linked = buildBridgedCycle(6, {});
  for (int ring = 1; ring < 3; ++ring) {
    const int first = static_cast<int>(linked->atoms.size());
    for (int k = 0; k < 8; ++k) linked->addAtom(Builder::instance()->createAtom());
    for (int k = first; k < first + 8; ++k) linked->atoms[static_cast<size_t>(k)]->element = "C";
    linked->addBond(static_cast<unsigned>(first - 6 + 3), static_cast<unsigned>(first), 1);
    linked->addBond(static_cast<unsigned>(first), static_cast<unsigned>(first + 1), 1);
    for (int k = 0; k < 6; ++k)
      linked->addBond(static_cast<unsigned>(first + 2 + k),
                      static_cast<unsigned>(first + 2 + (k + 1) % 6), 1);
    linked->addBond(static_cast<unsigned>(first + 1), static_cast<unsigned>(first + 2), 1);
  }
  molecules.push_back(std::move(linked));

  const std::vector<std::vector<size_t> > expected = {
      {24, 24}, {17, 17, 18, 18}, {7, 7, 10}, {6, 6, 6}};
  for (size_t i = 0; i < molecules.size(); ++i) {
    Molecule& m = *molecules[i];
    m.findAllSmallestRings();
    expectClosedPaths(m);
    EXPECT_EQ(expected[i], ringSizes(m)) << "molecule " << i;
    const std::set<std::set<int> > perceived = ringSets(m);
    std::unique_ptr<bool[]> peeled(new bool[m.atoms.size()]());
    for (size_t a = 0; a < m.atoms.size(); ++a) peeled[a] = m.atoms[a]->isMetalAtom();
    for (Atom* start : m.atoms) {
      if (start->isMetalAtom()) continue;
      std::vector<std::vector<int> > found;
      m.findSmallestRingForAtom(start, peeled.get(), found);
      for (const std::vector<int>& ring : found)
        EXPECT_EQ(1u, perceived.count(std::set<int>(ring.begin(), ring.end())))
            << "molecule " << i << ": a ring of " << ring.size() << " from atom " << start->id;
    }
  }
}

TEST(RingPerception, MacrocycleIsOneRing) {
  auto m = buildCycle(std::vector<std::string>(5000, "C"), std::vector<int>(5000, 1));
  m->findAllSmallestRings();
  EXPECT_EQ((std::vector<size_t>{5000}), ringSizes(*m));
  expectClosedPaths(*m);
}
