// The VF2 functional-group matcher: node and edge labels, numbering, and the molecule
// operations that run it against the shipped library.

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AssemblyFixture.h"
#include "assembly/VfGraph.h"
#include "assembly/VfState.h"
#include "construction/MoleculeOperations.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/MoleculeBuilder.h"
#include "support/WorkingFolder.h"

using kvtest::buildMolecule;
using kvtest::Edge;

namespace {

struct Outcome {
  int count;
  std::string name;   // as match left it
};

Outcome runMatch(Molecule& pattern, VfGraph& target, const std::string& name) {
  VfGraph graph(&pattern);
  VfState start(&graph, &target);
  Outcome out{0, name};
  out.count = match(&start, out.name);
  return out;
}

// A carbon with three hydrogens and an open valence.
std::unique_ptr<Molecule> methylGroup() {
  return buildMolecule({"C", "H", "H", "H", "R"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
}

// Carbons 0..n-1 joined by `skeleton`, each topped up with hydrogens (or, with axes, dummies)
// to `bonds` bonds.
std::unique_ptr<Molecule> saturate(int n, std::vector<Edge> skeleton, const std::vector<int>& bonds,
                                   const std::string& filler) {
  std::vector<std::string> elements(static_cast<size_t>(n), "C");
  std::vector<int> used(static_cast<size_t>(n), 0);
  for (const Edge& e : skeleton) {
    ++used[static_cast<size_t>(e[0])];
    ++used[static_cast<size_t>(e[1])];
  }
  for (int i = 0; i < n; ++i)
    for (int k = used[static_cast<size_t>(i)]; k < bonds[static_cast<size_t>(i)]; ++k) {
      elements.push_back(filler);
      skeleton.push_back({i, static_cast<int>(elements.size()) - 1, 1});
    }
  auto m = buildMolecule(elements, skeleton);
  m->findAllSmallestRings();
  return m;
}

bool claimed(const VfGraph& g, int node) { return g.hasGroup[static_cast<size_t>(node)]; }

}  // namespace

// Every bond is an edge both ways, so each node's in lists are its out lists; an open valence
// counts as a bond of its atom but is no edge.
TEST(FunctionalGroupMatching, InListsMirrorOutListsAndAxesAreBondsWithoutEdges) {
  auto methyl = methylGroup();
  auto ring = saturate(3, {{0, 1, 2}, {1, 2, 1}, {2, 0, 1}}, {3, 3, 4}, "R");
  for (Molecule* m : {methyl.get(), ring.get()}) {
    const VfGraph g(m);
    for (int node = 0; node < g.nodeCount; ++node) {
      const size_t i = static_cast<size_t>(node);
      EXPECT_TRUE(g.inCount[i] == g.outCount[i] && g.inEdges[i] == g.outEdges[i] &&
                  g.inAttr[i] == g.outAttr[i]) << node;
      ASSERT_EQ(g.outCount[i], g.getInCount(node));
      for (int k = 0; k < g.getInCount(node); ++k) {
        int inLabel = 0, outLabel = 0;
        EXPECT_EQ(g.getOutEdge(node, k, &outLabel), g.getInEdge(node, k, &inLabel));
        EXPECT_EQ(outLabel, inLabel);
      }
    }
  }
  const VfGraph methylGraph(methyl.get());
  ASSERT_EQ(4, methylGraph.nodeCount);
  EXPECT_TRUE(methylGraph.bondCount[0] == 4 && methylGraph.inCount[0] == 3);
  const VfGraph ringGraph(ring.get());
  EXPECT_EQ((std::vector<int>{VfGraph::RingBondLabel, VfGraph::RingBondLabel}), ringGraph.inAttr[0]);
  EXPECT_EQ(2, ringGraph.getActualBondOrder(0, 1));
}

TEST(FunctionalGroupMatching, OpenValenceMatchesARealNeighbourOfTheSameBondCount) {
  auto methyl = methylGroup();
  auto ethane = saturate(2, {{0, 1, 1}}, {4, 4}, "H");
  VfGraph target(ethane.get());
  ASSERT_EQ(8, target.nodeCount);
  const int first = GroupCount;
  const Outcome out = runMatch(*methyl, target, "METHYL");
  // Both methyls: the second takes the next number after the first one's name.
  EXPECT_EQ(2, out.count);
  const std::string firstName = "METHYL_" + std::to_string(first);
  const std::string secondName = firstName + "_" + std::to_string(first + 1);
  EXPECT_EQ(secondName, out.name);
  EXPECT_EQ((std::vector<std::string>{firstName, secondName}), target.groups);
  EXPECT_TRUE(target.hasAllGroups());
  EXPECT_EQ("METHYL", target.groupBase[0]);

  // A carbon with three bonds never matches a pattern carbon with four.
  auto radical = saturate(1, {}, {3}, "H");
  VfGraph bare(radical.get());
  EXPECT_EQ(0, runMatch(*methyl, bare, "METHYL").count);
  EXPECT_FALSE(claimed(bare, 0));
}

TEST(FunctionalGroupMatching, RingBondsMatchRingBondsAndChainBondsTheirOrder) {
  // Bond counts 3, 3, 4 throughout, so that only the edge labels decide.
  auto singleRing = saturate(3, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}}, {3, 3, 4}, "R");
  auto cyclopropene = saturate(3, {{0, 1, 2}, {1, 2, 1}, {2, 0, 1}}, {3, 3, 4}, "H");
  auto chain = saturate(3, {{0, 1, 1}, {1, 2, 1}}, {3, 3, 4}, "H");
  auto doubleBond = saturate(2, {{0, 1, 2}}, {3, 3}, "R");
  auto ethene = saturate(2, {{0, 1, 2}}, {3, 3}, "H");
  auto singleBond = saturate(2, {{0, 1, 1}}, {3, 3}, "H");
  const struct {
    const char* what;
    Molecule* pattern;
    Molecule* target;
    bool matches;
  } cases[] = {
      {"ring of singles on a ring with a double bond", singleRing.get(), cyclopropene.get(), true},
      {"ring on a chain", singleRing.get(), chain.get(), false},
      {"chain double bond on ethene", doubleBond.get(), ethene.get(), true},
      {"chain double bond on a chain single bond", doubleBond.get(), singleBond.get(), false},
      {"chain double bond on a ring double bond", doubleBond.get(), cyclopropene.get(), false},
  };
  for (const auto& c : cases) {
    VfGraph target(c.target);
    EXPECT_EQ(c.matches, runMatch(*c.pattern, target, "G").count > 0) << c.what;
    EXPECT_EQ(c.matches, claimed(target, 0)) << c.what;
  }
}

// The molecule operations against the shipped library.
class FunctionalGroupSearch : public kvtest::AssemblyTest {
 protected:
  void SetUp() override {
    kvtest::AssemblyTest::SetUp();
    ASSERT_GT(library->loadGroups(KV_SOURCE_DIR), 30);
  }
  std::unique_ptr<Molecule> graphOf(const std::string& smiles, const std::string& name) {
    SmilesParser parser;
    std::unique_ptr<Molecule> m(parser.smilesToGraph(smiles));
    if (m != nullptr) m->names.assign(1, name);
    return m;
  }
};

TEST_F(FunctionalGroupSearch, MoleculeOfLibraryGroupsComesBackGrouped) {
  kvtest::WorkingFolder work;
  auto ethanol = graphOf("CCO", "ETHANOL");
  ASSERT_NE(nullptr, ethanol);
  MoleculeOperations ops;
  std::unique_ptr<Molecule> grouped(ops.findFunctionalGroups(ethanol.get()));
  ASSERT_NE(nullptr, grouped);
  for (const Atom* a : grouped->atoms) EXPECT_FALSE(a->groupInstance.empty()) << a->id;
  const Atom* oxygen = grouped->atoms[2];
  EXPECT_EQ("HYDROXYL", oxygen->groupName);
  EXPECT_EQ(library->getFunctionalGroupByName("HYDROXYL")->atoms[0]->type, oxygen->type);
  EXPECT_TRUE(std::filesystem::is_empty(work.folder));   // nothing to dump
}
