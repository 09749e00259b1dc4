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
// cyclopropylbenzene trees at their one edge the same way round pairs like rings. An atom held
// by two nodes weighs half in each.
TEST(FeatureTreeComparison, SelfMatchesScoreOnePerNodeAndSharedAtomsWeighHalf) {
  auto c = cyclopropylbenzene();
  auto d = cyclopropylbenzene();
  const Outcome two = compare(*c, *d);
  EXPECT_FLOAT_EQ(2.0f, two.score);
  EXPECT_EQ((std::vector<std::string>{"[ 0 ] <-> [ 0 ] 1", "[ 1 ] <-> [ 1 ] 1"}), two.matches);

  // Spiro[2.2]pentane: two three-rings sharing atom 0.
  auto spiro = buildMolecule(std::vector<std::string>(5, "C"),
                             {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {0, 3, 1}, {3, 4, 1}, {4, 0, 1}});
  FeatureTree twoNodes = treeOf(*spiro);
  auto a = benzene();
  FeatureTree oneNode = treeOf(*a);
  ASSERT_EQ(2u, twoNodes.nodes.size());
  FtSplitSearch search(&twoNodes, &oneNode);
  // One ring weighs 1 + 1 + 1/2 against benzene's 12 atoms of weight 1; both hold 5.
  EXPECT_FLOAT_EQ(2.0f * 2.5f / (2.5f + 12.0f),
                  search.directSimilarity({twoNodes.nodes[0]}, oneNode.nodes, {}, {}));
  EXPECT_FLOAT_EQ(2.0f * 5.0f / 17.0f,
                  search.directSimilarity(twoNodes.nodes, oneNode.nodes, {}, {}));
  // A missing or empty tree gives -1.
  FeatureTree empty;
  EXPECT_FLOAT_EQ(-1.0f, FtSplitSearch(&oneNode, nullptr).runAlgorithm());
  EXPECT_FLOAT_EQ(-1.0f, FtSplitSearch(&empty, &oneNode).runAlgorithm());
}
