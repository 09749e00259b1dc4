// Unique smallest cycles and biconnected components of molecular graphs.

#include <algorithm>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "assembly/FeatureTreeOps.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::Edge;

namespace {

// Every cycle is a closed path of real bonds: consecutive bonds share an atom, the last
// closes back to the first, and no atom or bond comes twice.
void expectClosedSimplePaths(const Molecule& m, const std::list<std::vector<int> >& cycles) {
  for (const std::vector<int>& cycle : cycles) {
    ASSERT_GE(cycle.size(), 3u);
    std::set<int> bonds(cycle.begin(), cycle.end());
    EXPECT_EQ(cycle.size(), bonds.size());
    std::vector<const Bond*> path;
    for (int id : cycle) {
      ASSERT_GE(id, 0);
      ASSERT_LT(static_cast<size_t>(id), m.bonds.size());
      path.push_back(m.bonds[static_cast<size_t>(id)]);
    }
    std::multiset<const Atom*> atoms;
    for (size_t k = 0; k < path.size(); ++k) {
      const Bond* a = path[k];
      const Bond* b = path[(k + 1) % path.size()];
      const bool share = a->atom1 == b->atom1 || a->atom1 == b->atom2 || a->atom2 == b->atom1 ||
                         a->atom2 == b->atom2;
      EXPECT_TRUE(share) << "bonds " << a->id << " and " << b->id;
      atoms.insert(a->atom1);
      atoms.insert(a->atom2);
    }
    for (const Atom* a : atoms) EXPECT_EQ(2u, atoms.count(a)) << "atom " << a->id;
  }
}

std::vector<size_t> sizes(const std::list<std::vector<int> >& cycles) {
  std::vector<size_t> out;
  for (const auto& c : cycles) out.push_back(c.size());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

// The cycles found, by size, each a closed simple path of real bonds and each once.
TEST(UniqueCycles, RingSystemsGiveTheirSmallestRings) {
  const std::vector<Edge> naphthalene = {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1},
                                         {4, 5, 1}, {5, 0, 1}, {4, 6, 1}, {6, 7, 1},
                                         {7, 8, 1}, {8, 9, 1}, {9, 3, 1}};
  // Cubane's corners 0-3 on the top face, 4-7 below them.
  const std::vector<Edge> cubane = {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 0, 1},
                                    {4, 5, 1}, {5, 6, 1}, {6, 7, 1}, {7, 4, 1},
                                    {0, 4, 1}, {1, 5, 1}, {2, 6, 1}, {3, 7, 1}};
  const std::vector<Edge> threeAndFour = {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {3, 4, 1},
                                          {4, 5, 1}, {5, 6, 1}, {6, 3, 1}};
  struct Case {
    const char* what;
    std::unique_ptr<Molecule> m;
    std::vector<size_t> sizes;
  } cases[] = {
      {"benzene: one six-ring, no bond to hydrogen in it", kvtest::buildBenzene(), {6}},
      {"naphthalene: two six-rings, not the perimeter",
       buildMolecule(std::vector<std::string>(10, "C"), naphthalene), {6, 6}},
      {"cubane: six four-rings", buildMolecule(std::vector<std::string>(8, "C"), cubane),
       {4, 4, 4, 4, 4, 4}},
      {"every fragment of a mixture", buildMolecule(std::vector<std::string>(7, "C"), threeAndFour),
       {3, 4}},
  };
  for (const Case& c : cases) {
    const auto cycles = FeatureTreeOps::getUniqueCycles(c.m.get());
    EXPECT_EQ(c.sizes, sizes(cycles)) << c.what;
    expectClosedSimplePaths(*c.m, cycles);
    std::set<std::set<int> > distinct;
    for (const auto& cycle : cycles) distinct.insert(std::set<int>(cycle.begin(), cycle.end()));
    EXPECT_EQ(cycles.size(), distinct.size()) << c.what;
    for (const auto& cycle : cycles)
      for (int id : cycle) EXPECT_NE("H", c.m->bonds[static_cast<size_t>(id)]->atom2->element);
  }
}

// A chain has one component per bond and no cycle; spiro rings lie in two components.
TEST(UniqueCycles, BiconnectedComponentsSplitAtCutAtoms) {
  auto chain = buildMolecule({"C", "C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
  auto spiro = buildMolecule(std::vector<std::string>(6, "C"), {{0, 1, 1}, {1, 2, 1}, {2, 0, 1},
                                                                {0, 3, 1}, {3, 4, 1}, {4, 5, 1},
                                                                {5, 0, 1}});
  const std::pair<Molecule*, std::vector<size_t> > cases[] = {{chain.get(), {1, 1, 1}},
                                                              {spiro.get(), {3, 4}}};
  for (const auto& c : cases) {
    FeatureTree graph = FeatureTreeOps::makeMolecularGraph(c.first);
    FeatureTreeOps ops(&graph);
    ops.computeBiConnected();
    std::vector<size_t> componentSizes;
    for (const auto& component : ops.components) componentSizes.push_back(component.size());
    std::sort(componentSizes.begin(), componentSizes.end());
    EXPECT_EQ(c.second, componentSizes);
  }
  EXPECT_TRUE(FeatureTreeOps::getUniqueCycles(chain.get()).empty());
  EXPECT_EQ((std::vector<size_t>{3, 4}), sizes(FeatureTreeOps::getUniqueCycles(spiro.get())));
  Molecule empty;
  EXPECT_TRUE(FeatureTreeOps::getUniqueCycles(&empty).empty());
  EXPECT_TRUE(FeatureTreeOps::getUniqueCycles(nullptr).empty());
}

TEST(UniqueCycles, ARingWithATailIsNotACycle) {
  // Atom 0 (v) is bonded to 1 (a) and 2 (b); a sits in the three-ring a-3-4, and 4 reaches b
  // through 5, 6, 7. From v the shortest closed walk runs v-a, round the three-ring and back
  // over a-v: it repeats a bond and must not come out as a five-ring.
  auto m = buildMolecule(std::vector<std::string>(8, "C"),
                         {{0, 1, 1}, {0, 2, 1}, {1, 3, 1}, {3, 4, 1}, {4, 1, 1}, {4, 5, 1},
                          {5, 6, 1}, {6, 7, 1}, {7, 2, 1}});
  const auto cycles = FeatureTreeOps::getUniqueCycles(m.get());
  expectClosedSimplePaths(*m, cycles);
  for (size_t size : sizes(cycles)) EXPECT_NE(5u, size);
  EXPECT_EQ(3u, sizes(cycles).front());
  EXPECT_EQ(7u, sizes(cycles).back());
}

TEST(UniqueCycles, LongChainDoesNotExhaustTheStack) {
  // 50000 atoms in a chain that ends in a three-ring: the component search goes that deep.
  const int chain = 50000;
  std::vector<std::string> elements(static_cast<size_t>(chain) + 2, "C");
  std::vector<Edge> edges;
  for (int i = 0; i + 1 < static_cast<int>(elements.size()); ++i) edges.push_back({i, i + 1, 1});
  edges.push_back({chain + 1, chain - 1, 1});
  auto m = buildMolecule(elements, edges);
  const auto cycles = FeatureTreeOps::getUniqueCycles(m.get());
  EXPECT_EQ(std::vector<size_t>{3}, sizes(cycles));
}
