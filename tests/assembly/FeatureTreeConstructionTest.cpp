// Condensing molecules into feature trees: ring systems, chain atoms, folded leaves and hubs.

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembly/FeatureTreeOps.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "support/MoleculeBuilder.h"
#include "support/StdoutCapture.h"

using kvtest::buildMolecule;
using kvtest::Edge;

namespace {

// Bicyclo[4.4.0]: ring A is 0-5, ring B is 4, 5 and 6-9; 4 and 5 are the fusion atoms.
std::vector<Edge> fusedSixRings(int order) {
  return {{0, 1, order}, {1, 2, 1}, {2, 3, order}, {3, 4, 1}, {4, 5, order}, {5, 0, 1},
          {4, 6, 1},     {6, 7, order}, {7, 8, 1}, {8, 9, order}, {9, 5, 1}};
}

// Naphthalene with its eight hydrogens (10-17 on carbons 0-3 and 6-9).
std::unique_ptr<Molecule> naphthalene() {
  std::vector<std::string> elements(10, "C");
  elements.insert(elements.end(), 8, "H");
  std::vector<Edge> edges = fusedSixRings(2);
  const int carbons[] = {0, 1, 2, 3, 6, 7, 8, 9};
  for (int k = 0; k < 8; ++k) edges.push_back({carbons[k], 10 + k, 1});
  return buildMolecule(elements, edges);
}

// Spiro[4.4]nonane's carbons: two five-rings sharing atom 0.
std::unique_ptr<Molecule> spiroNonane() {
  return buildMolecule(std::vector<std::string>(9, "C"),
                       {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 0, 1},
                        {0, 5, 1}, {5, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 0, 1}});
}

// Three five-rings around atom 0, each pair sharing a bond from 0 (to 1, 2 or 3).
std::unique_ptr<Molecule> threeRingsAroundOneAtom() {
  return buildMolecule(std::vector<std::string>(10, "C"),
                       {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {1, 4, 1}, {4, 5, 1}, {5, 2, 1},
                        {2, 6, 1}, {6, 7, 1}, {7, 3, 1}, {3, 8, 1}, {8, 9, 1}, {9, 1, 1}});
}

// Decalin's carbons with a methyl (10, hydrogens 11-13) on fusion atom 4.
std::unique_ptr<Molecule> methylOnFusionAtom() {
  std::vector<std::string> elements(11, "C");
  elements.insert(elements.end(), 3, "H");
  std::vector<Edge> edges = fusedSixRings(1);
  edges.insert(edges.end(), {{4, 10, 1}, {10, 11, 1}, {10, 12, 1}, {10, 13, 1}});
  return buildMolecule(elements, edges);
}

std::set<int> atomIds(const FtNode* n) {
  std::set<int> ids;
  for (const Atom* a : n->atoms) ids.insert(a->id);
  return ids;
}

// Every tree built here is a tree over its own nodes: ids are positions, every edge joins two
// different nodes once and is listed by both, and the nodes are connected by one edge fewer.
void expectTree(const FeatureTree& tree) {
  ASSERT_FALSE(tree.nodes.empty());
  EXPECT_EQ(tree.nodes.size(), tree.edges.size() + 1);
  std::set<std::pair<const FtNode*, const FtNode*> > pairs;
  for (size_t i = 0; i < tree.nodes.size(); ++i) EXPECT_EQ(static_cast<int>(i), tree.nodes[i]->id);
  for (size_t k = 0; k < tree.edges.size(); ++k) {
    const FtEdge* e = tree.edges[k];
    EXPECT_EQ(static_cast<int>(k), e->id);
    EXPECT_NE(e->n1, e->n2);
    EXPECT_TRUE(pairs.insert(std::minmax<const FtNode*>(e->n1, e->n2)).second) << "edge " << k;
    for (const FtNode* end : {e->n1, e->n2}) {
      ASSERT_EQ(1, std::count(tree.nodes.begin(), tree.nodes.end(), end)) << "edge " << k;
      EXPECT_EQ(1, std::count(end->edges.begin(), end->edges.end(), e));
    }
  }
  std::set<const FtNode*> reached{tree.nodes.front()};
  std::vector<const FtNode*> stack{tree.nodes.front()};
  while (!stack.empty()) {
    const FtNode* n = stack.back();
    stack.pop_back();
    for (const FtNode* m : n->neighbors)
      if (reached.insert(m).second) stack.push_back(m);
  }
  EXPECT_EQ(tree.nodes.size(), reached.size());
}

FeatureTree treeOf(Molecule& m) {
  kvtest::StdoutCapture quiet;
  FeatureTree tree = FeatureTreeOps::makeFeatureTree(&m);
  expectTree(tree);
  return tree;
}

const FtNode* nodeHolding(const FeatureTree& tree, int atomId) {
  for (const FtNode* n : tree.nodes)
    if (atomIds(n).count(atomId) != 0) return n;
  return nullptr;
}

}  // namespace

// Naphthalene is two ring nodes holding their hydrogens, spiro rings are joined through their
// shared atom, and rings fused around one atom collapse into one node.
TEST(FeatureTreeConstruction, RingSystemsBecomeTheirNodes) {
  const struct {
    std::unique_ptr<Molecule> (*make)();
    std::set<std::set<int> > nodes;
  } cases[] = {
      {naphthalene, {{0, 1, 2, 3, 4, 5, 10, 11, 12, 13}, {4, 5, 6, 7, 8, 9, 14, 15, 16, 17}}},
      {spiroNonane, {{0, 1, 2, 3, 4}, {0, 5, 6, 7, 8}}},
      {threeRingsAroundOneAtom, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}},
  };
  for (const auto& c : cases) {
    auto m = c.make();
    const FeatureTree tree = treeOf(*m);
    std::set<std::set<int> > nodes;
    for (const FtNode* n : tree.nodes) {
      nodes.insert(atomIds(n));
      std::vector<int> stored;   // sorted by id, each atom once
      for (const Atom* a : n->atoms) stored.push_back(a->id);
      EXPECT_TRUE(std::adjacent_find(stored.begin(), stored.end(), std::greater_equal<int>()) ==
                  stored.end());
    }
    EXPECT_EQ(c.nodes, nodes);
  }
}

TEST(FeatureTreeConstruction, SubstituentOnFusionAtomHangsOnAnEmptyHub) {
  auto m = methylOnFusionAtom();
  const FeatureTree tree = treeOf(*m);
  ASSERT_EQ(4u, tree.nodes.size());
  const FtNode* hub = nullptr;
  for (const FtNode* n : tree.nodes)
    if (n->atoms.empty()) hub = n;
  ASSERT_NE(nullptr, hub);
  const FtNode* methyl = nodeHolding(tree, 10);
  ASSERT_NE(nullptr, methyl);
  EXPECT_EQ((std::set<int>{10, 11, 12, 13}), atomIds(methyl));
  // Both rings and the methyl hang on the hub, each by one edge (the methyl's bond to the
  // fusion atom once made a second one); the rings are no longer joined directly.
  std::set<const FtNode*> around(hub->neighbors.begin(), hub->neighbors.end());
  EXPECT_EQ((std::set<const FtNode*>{nodeHolding(tree, 0), nodeHolding(tree, 9), methyl}), around);
}
