// Smallest rings, pi electrons and aromaticity from the bond graph alone.

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "PerceptionTables.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::Edge;

namespace {

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

// The rings and the ring ids on every atom and bond: equal after two runs on the same graph.
using Snapshot = std::tuple<std::vector<std::vector<int> >, std::vector<std::vector<int> >,
                            std::vector<std::set<int> >, std::vector<std::set<int> > >;

Snapshot snapshot(const Molecule& m) {
  Snapshot s;
  for (const Ring* r : m.rings) {
    std::get<0>(s).push_back(r->atomIds);
    std::get<1>(s).push_back(r->bondIds);
  }
  for (const Atom* a : m.atoms) std::get<2>(s).push_back(a->ringIds);
  for (const Bond* b : m.bonds) std::get<3>(s).push_back(b->ringIds);
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
    EXPECT_EQ(kAromaticOrder, m->bonds[static_cast<size_t>(id)]->order);
    EXPECT_TRUE(m->bonds[static_cast<size_t>(id)]->isAromatic);
  }
  const Snapshot first = snapshot(*m);
  m->findAllSmallestRings();
  EXPECT_TRUE(first == snapshot(*m));
  EXPECT_TRUE(m->rings[0]->aromatic);
  for (const Atom* a : m->atoms) {
    EXPECT_EQ(a->element == "C", a->isAromatic) << a->name;
    EXPECT_EQ(a->element == "C" ? 1 : 0, a->piElectrons);
  }
  expectClosedPaths(*m);
}

TEST(RingPerception, EveryRingIsTheSmallestRingOfSomeBond) {
  struct Case {
    const char* what;
    std::unique_ptr<Molecule> m;
    std::vector<size_t> sizes;
  } cases[] = {
      {"naphthalene", buildNaphthalene(), {6, 6}},
      {"norbornane: the six-ring round both long bridges is the smallest of no bond",
       buildMolecule(std::vector<std::string>(7, "C"),
                     {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {0, 4, 1}, {4, 5, 1}, {5, 3, 1}, {0, 6, 1},
                      {6, 3, 1}}),
       {5, 5}},
      {"cyclopropane: no 2-cycle through a single bond", buildCycle({"C", "C", "C"}, {1, 1, 1}),
       {3}},
      {"cubane", buildMolecule(std::vector<std::string>(8, "C"),
                               {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 0, 1}, {4, 5, 1}, {5, 6, 1},
                                {6, 7, 1}, {7, 4, 1}, {0, 4, 1}, {1, 5, 1}, {2, 6, 1}, {3, 7, 1}}),
       std::vector<size_t>(6, 4)},
      {"spiro pair of five-rings sharing atom 0",
       buildMolecule(std::vector<std::string>(9, "C"), {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1},
                                                        {4, 0, 1}, {0, 5, 1}, {5, 6, 1}, {6, 7, 1},
                                                        {7, 8, 1}, {8, 0, 1}}),
       {5, 5}},
      {"macrocycle", buildCycle(std::vector<std::string>(5000, "C"), std::vector<int>(5000, 1)),
       {5000}},
      // The metal is peeled first; a plain five-ring through it then peels away entirely.
      {"five-ring through a metal", buildCycle({"Fe", "C", "C", "C", "C"}, {1, 1, 1, 1, 1}), {}},
      // The metal is entered only as the first step from a carbon bonded to it: the four-ring
      // through it is found, the five-ring through it is not.
      {"metal bridging a carbon five-ring",
       buildMolecule({"Fe", "C", "C", "C", "C", "C"},
                     {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 1, 1}, {0, 3, 1}}),
       {4, 5}},
  };
  for (Case& c : cases) {
    c.m->findAllSmallestRings();
    EXPECT_EQ(c.sizes, ringSizes(*c.m)) << c.what;
    expectClosedPaths(*c.m);
  }
  const Molecule& fused = *cases[0].m;
  EXPECT_TRUE(fused.rings[0]->aromatic && fused.rings[1]->aromatic);
  EXPECT_EQ(2u, fused.getBond(fused.atoms[4], fused.atoms[5])->ringIds.size());
}

// Aromaticity on the first run and again on the next, which reads the flags the first one left.
TEST(RingPerception, PiCountsDecideAromaticity) {
  const struct {
    const char* what;
    std::vector<std::string> elements;
    std::vector<int> orders;
    void (*prepare)(Molecule&);
    bool aromatic;
  } cases[] = {
      {"cyclobutadiene: four pi electrons", {"C", "C", "C", "C"}, {2, 1, 2, 1}, nullptr, false},
      // On the next run the aromatic nitrogen, with two bonds and no lone pair in the ring,
      // still brings 1.
      {"Kekule pyridine", {"N", "C", "C", "C", "C", "C"}, {2, 1, 2, 1, 2, 1}, nullptr, true},
      {"pyrrole as a reader flags it: aromatic nitrogen at 2", {"N", "C", "C", "C", "C"},
       {1, 2, 1, 2, 1},
       [](Molecule& m) {
         for (Atom* a : m.atoms) a->isAromatic = true;
         m.atoms[0]->piElectrons = 2;
       },
       true},
      {"charged nitrogen: no lone pair to give", {"N", "C", "C", "C", "C"}, {1, 2, 1, 2, 1},
       [](Molecule& m) { m.atoms[0]->charge = 1; }, false},
      {"ten pi electrons, but a ten-ring is never tested", std::vector<std::string>(10, "C"),
       {2, 1, 2, 1, 2, 1, 2, 1, 2, 1}, nullptr, false},
      {"boron triangle", {"B", "B", "B"}, {2, 2, 2}, nullptr, true},
      {"opened boron triangle", {"B", "B", "B"}, {2, 2, 1}, nullptr, false},
      {"six-ring through a hydrogen", {"B", "H", "C", "C", "C", "C"}, {1, 1, 2, 1, 2, 1}, nullptr,
       false},
  };
  for (const auto& c : cases) {
    auto m = buildCycle(c.elements, c.orders);
    if (c.prepare != nullptr) c.prepare(*m);
    for (int run = 1; run <= 2; ++run) {
      m->findAllSmallestRings();
      ASSERT_EQ(1u, m->numRings) << c.what;
      EXPECT_EQ(c.aromatic, m->rings[0]->aromatic) << c.what << ", run " << run;
      for (size_t k = 0; k < m->bonds.size(); ++k)
        EXPECT_EQ(c.aromatic ? kAromaticOrder : c.orders[k], m->bonds[k]->order)
            << c.what << ", bond " << k;
    }
    for (const Atom* a : m->atoms) EXPECT_TRUE(c.aromatic || !a->isAromatic) << c.what;
  }
}

TEST(RingPerception, GraphsWithoutRingsEndWithoutRingOrAromaticFlags) {
  auto butane = buildMolecule({"C", "C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
  for (Atom* a : butane->atoms) a->isAromatic = true;
  butane->findAllSmallestRings();
  EXPECT_EQ(0u, butane->numRings);
  for (const Atom* a : butane->atoms) EXPECT_TRUE(!a->isAromatic && a->ringIds.empty());
  auto empty = buildMolecule({}, {});
  empty->findAllSmallestRings();
  EXPECT_TRUE(empty->rings.empty());

  // A broken ring loses its flags on the next run.
  auto opened = buildCycle(std::vector<std::string>(6, "C"), {1, 1, 1, 1, 1, 1});
  opened->findAllSmallestRings();
  ASSERT_EQ(1u, opened->numRings);
  opened->deleteBond(opened->bonds[0]);
  opened->update();
  EXPECT_EQ(0u, opened->numRings);
  for (const Atom* a : opened->atoms) EXPECT_FALSE(a->inRing);
  for (const Bond* b : opened->bonds) EXPECT_FALSE(b->inRing);
}

TEST(RingAromaticity, RingWithoutOwnerOrWithStaleIdsIsLeftAlone) {
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
  stale->rings[0]->checkAromaticity();
  EXPECT_FALSE(stale->rings[0]->aromatic);
}

TEST(RingSequence, RearrangeRotatesTheRingToStartWithTheSequenceEitherWayRound) {
  Molecule m;
  std::vector<int> ring{1, 3, 5, 7};
  EXPECT_TRUE(m.rearrangeRing({5, 3}, ring));
  EXPECT_EQ((std::vector<int>{5, 3, 1, 7}), ring);
  EXPECT_TRUE(m.rearrangeRing({1, 7}, ring));
  EXPECT_EQ((std::vector<int>{1, 7, 5, 3}), ring);
  EXPECT_FALSE(m.rearrangeRing({1, 5}, ring));
  EXPECT_FALSE(m.rearrangeRing({}, ring));
  EXPECT_EQ((std::vector<int>{1, 7, 5, 3}), ring);
  std::vector<int> empty;
  EXPECT_FALSE(m.rearrangeRing({1}, empty));
}

namespace {

// A cycle of n carbons, then chords given as (from, to, atoms on the chord) between its atoms.
std::unique_ptr<Molecule> buildBridgedCycle(int n, const std::vector<std::array<int, 3> >& chords) {
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
  return buildMolecule(elements, edges);
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
  std::vector<std::string> chelate(10, "C");
  chelate.push_back("Cu");
  std::vector<Edge> chelateEdges{{2, 10, 1}, {7, 10, 1}};
  for (int i = 0; i < 10; ++i) chelateEdges.push_back({i, (i + 1) % 10, 1});
  molecules.push_back(buildMolecule(chelate, chelateEdges));
  // Three six-rings (from atoms 0, 8 and 16) joined by two-carbon links.
  std::vector<Edge> linked;
  for (int k = 0; k < 24; k += 8) {
    for (int i = 0; i < 6; ++i) linked.push_back({k + i, k + (i + 1) % 6, 1});
    if (k < 16)
      linked.insert(linked.end(), {{k + 3, k + 6, 1}, {k + 6, k + 7, 1}, {k + 7, k + 8, 1}});
  }
  molecules.push_back(buildMolecule(std::vector<std::string>(22, "C"), linked));

  const std::vector<std::vector<size_t> > expected = {
      {24, 24}, {17, 17, 18, 18}, {7, 7, 10}, {6, 6, 6}};
  for (size_t i = 0; i < molecules.size(); ++i) {
    Molecule& m = *molecules[i];
    m.findAllSmallestRings();
    expectClosedPaths(m);
    EXPECT_EQ(expected[i], ringSizes(m)) << "molecule " << i;
    std::set<std::set<int> > perceived;
    for (const Ring* r : m.rings)
      perceived.insert(std::set<int>(r->atomIds.begin(), r->atomIds.end()));
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
