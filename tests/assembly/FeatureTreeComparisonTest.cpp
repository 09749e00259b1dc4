// Comparing feature trees by the recursive split search.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembly/FeatureTreeOps.h"
#include "assembly/FtSplitSearch.h"
#include "model/Molecule.h"
#include "support/MoleculeBuilder.h"
#include "support/StdoutCapture.h"

using kvtest::buildMolecule;
using kvtest::Edge;

namespace {

// A chain of n bare carbons: the end atoms fold into their neighbours, so the feature tree is
// a path of n - 2 chain nodes.
std::unique_ptr<Molecule> chain(int n) {
  std::vector<Edge> edges;
  for (int i = 0; i + 1 < n; ++i) edges.push_back({i, i + 1, 1});
  return buildMolecule(std::vector<std::string>(static_cast<size_t>(n), "C"), edges);
}

std::unique_ptr<Molecule> benzene() { return kvtest::buildBenzene(); }

// Cyclopropylbenzene's carbons: a six-ring (0-5) and a three-ring (6-8) joined by 0-6.
std::unique_ptr<Molecule> cyclopropylbenzene() {
  std::vector<Edge> edges;
  for (int i = 0; i < 6; ++i) edges.push_back({i, (i + 1) % 6, 1});
  edges.insert(edges.end(), {{6, 7, 1}, {7, 8, 1}, {8, 6, 1}, {0, 6, 1}});
  return buildMolecule(std::vector<std::string>(9, "C"), edges);
}

FeatureTree treeOf(Molecule& m) {
  kvtest::StdoutCapture quiet;
  return FeatureTreeOps::makeFeatureTree(&m);
}

struct Outcome {
  float score;
  std::vector<std::string> matches;   // "[ ids ] <-> [ ids ] score"
};

Outcome compare(Molecule& a, Molecule& b) {
  FeatureTree first = treeOf(a);
  FeatureTree second = treeOf(b);
  kvtest::StdoutCapture quiet;
  FtSplitSearch search(&first, &second);
  Outcome out{search.runAlgorithm(), {}};
  for (const FtSplitSearch::Match& m : search.matches)
    out.matches.push_back(FtAlgo::dumpNodes(m.second.first) + " <-> " +
                          FtAlgo::dumpNodes(m.second.second) + " " + FtAlgo::strf(m.first));
  return out;
}

}  // namespace

// A tree against itself matches node for node, each pair scoring 1: cutting both
// cyclopropylbenzene trees at their one edge the same way round pairs like rings.
TEST(FeatureTreeComparison, TreeAgainstItselfMatchesNodeForNode) {
  auto a = benzene();
  auto b = benzene();
  const Outcome single = compare(*a, *b);
  EXPECT_FLOAT_EQ(1.0f, single.score);
  EXPECT_EQ((std::vector<std::string>{"[ 0 ] <-> [ 0 ] 1"}), single.matches);
  auto c = cyclopropylbenzene();
  auto d = cyclopropylbenzene();
  const Outcome two = compare(*c, *d);
  EXPECT_FLOAT_EQ(2.0f, two.score);
  EXPECT_EQ((std::vector<std::string>{"[ 0 ] <-> [ 0 ] 1", "[ 1 ] <-> [ 1 ] 1"}), two.matches);

  // A missing or empty tree gives -1.
  FeatureTree tree = treeOf(*a);
  FeatureTree empty;
  EXPECT_FLOAT_EQ(-1.0f, FtSplitSearch(&tree, nullptr).runAlgorithm());
  EXPECT_FLOAT_EQ(-1.0f, FtSplitSearch(nullptr, &tree).runAlgorithm());
  EXPECT_FLOAT_EQ(-1.0f, FtSplitSearch(&empty, &tree).runAlgorithm());
}

TEST(FeatureTreeComparison, AtomHeldByTwoNodesWeighsHalf) {
  // Spiro[2.2]pentane: two three-rings sharing atom 0.
  auto spiro = buildMolecule(std::vector<std::string>(5, "C"),
                             {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {0, 3, 1}, {3, 4, 1}, {4, 0, 1}});
  auto ring = benzene();
  FeatureTree twoNodes = treeOf(*spiro);
  FeatureTree oneNode = treeOf(*ring);
  ASSERT_EQ(2u, twoNodes.nodes.size());
  FtSplitSearch search(&twoNodes, &oneNode);
  EXPECT_EQ(2, search.ops1->atomCounts.at(spiro->atoms[0]));
  EXPECT_EQ(1, search.ops1->atomCounts.at(spiro->atoms[1]));
  // One ring weighs 1 + 1 + 1/2 against benzene's 12 atoms of weight 1.
  const float expected = 2.0f * 2.5f / (2.5f + 12.0f);
  EXPECT_FLOAT_EQ(expected, search.directSimilarity({twoNodes.nodes[0]}, oneNode.nodes, {}, {}));
  // Both rings together hold each atom once: 5 against 12.
  EXPECT_FLOAT_EQ(2.0f * 5.0f / 17.0f,
                  search.directSimilarity(twoNodes.nodes, oneNode.nodes, {}, {}));
  EXPECT_FLOAT_EQ(1.0f, search.directSimilarity({}, {}, {}, {}));
}

TEST(FeatureTreeComparison, AtMostThreeSplitsAreExploredPerLevel) {
  auto a = chain(7);
  auto b = chain(6);
  FeatureTree first = treeOf(*a);
  FeatureTree second = treeOf(*b);
  ASSERT_EQ(4u, first.edges.size());
  ASSERT_EQ(3u, second.edges.size());
  kvtest::StdoutCapture quiet;
  FtSplitSearch search(&first, &second);
  const auto splits = search.findSplits(first.nodes[0], second.nodes[0], first.edges,
                                        second.edges, {});
  ASSERT_EQ(3u, splits.size());   // of (4 + 1) * (3 + 1) - 1 pairs, two ways each
  EXPECT_GE(splits[0].second, splits[1].second);
  EXPECT_GE(splits[1].second, splits[2].second);
}

TEST(FeatureTreeComparison, SamePairGivesTheSameResultEveryRun) {
  auto a = chain(10);
  auto b = cyclopropylbenzene();
  const Outcome once = compare(*a, *b);
  ASSERT_GE(once.score, 0.0f);
  ASSERT_FALSE(once.matches.empty());
  auto c = chain(10);
  auto d = cyclopropylbenzene();
  const Outcome again = compare(*c, *d);
  EXPECT_EQ(once.score, again.score);
  EXPECT_EQ(once.matches, again.matches);
}

TEST(FeatureTreeComparisonDeathTest, CutOfAnotherTreeIsAnAssertion) {
  auto a = cyclopropylbenzene();
  auto b = cyclopropylbenzene();
  FeatureTree first = treeOf(*a);
  FeatureTree second = treeOf(*b);
  FeatureTreeOps ops(&first);
  EXPECT_DEATH(ops.segmentTree(FtCut(second.nodes[0])), "cut.vs->ft == ft in FeatureTreeOps");
  EXPECT_DEATH(ops.segmentTree(FtCut()), "cut.vs in FeatureTreeOps");
}
