// The VF2 functional-group matcher: node and edge labels, claims, numbering, the grouped
// molecule, and the molecule operations that run it against the shipped library.

#include <filesystem>
#include <map>
#include <memory>
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

// A carbon with `hydrogens` hydrogens and `axes` open valences (dummy atoms).
std::unique_ptr<Molecule> carbonGroup(int hydrogens, int axes) {
  std::vector<std::string> elements{"C"};
  std::vector<Edge> edges;
  for (int k = 0; k < hydrogens + axes; ++k) {
    elements.push_back(k < hydrogens ? "H" : "R");
    edges.push_back({0, k + 1, 1});
  }
  return buildMolecule(elements, edges);
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

TEST(FunctionalGroupMatching, PatternLargerThanTargetGivesNoMatchAndNoNumber) {
  auto pattern = saturate(3, {{0, 1, 1}, {1, 2, 1}}, {4, 4, 4}, "H");
  auto ethane = saturate(2, {{0, 1, 1}}, {4, 4}, "H");
  VfGraph target(ethane.get());
  const int before = GroupCount;
  const Outcome out = runMatch(*pattern, target, "PROPANE");
  EXPECT_EQ(0, out.count);
  EXPECT_EQ("PROPANE", out.name);
  EXPECT_EQ(before, GroupCount);
  EXPECT_TRUE(target.groups.empty());
}

TEST(FunctionalGroupMatching, OpenValenceMatchesARealNeighbourOfTheSameBondCount) {
  auto methyl = carbonGroup(3, 1);
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
  auto radical = carbonGroup(3, 0);
  VfGraph bare(radical.get());
  EXPECT_EQ(0, runMatch(*methyl, bare, "METHYL").count);
  EXPECT_FALSE(claimed(bare, 0));
}

TEST(FunctionalGroupMatching, RingBondsMatchRingBondsAndChainBondsTheirOrder) {
  // A three-ring of single bonds with two open valences on each carbon.
  auto ringPattern = saturate(3, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}}, {4, 4, 4}, "R");
  auto cyclopropene = saturate(3, {{0, 1, 2}, {1, 2, 1}, {2, 0, 1}}, {3, 3, 4}, "H");
  auto ringWithFourBonds = saturate(3, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}}, {4, 4, 4}, "H");
  auto propane = saturate(3, {{0, 1, 1}, {1, 2, 1}}, {4, 4, 4}, "H");
  auto doubleBond = saturate(2, {{0, 1, 2}}, {3, 3}, "R");
  auto ethene = saturate(2, {{0, 1, 2}}, {3, 3}, "H");
  auto singleBond = saturate(2, {{0, 1, 1}}, {3, 3}, "H");

  struct Case {
    const char* what;
    Molecule* pattern;
    Molecule* target;
    bool matches;
  };
  const Case cases[] = {
      {"ring of singles in cyclopropane", ringPattern.get(), ringWithFourBonds.get(), true},
      {"ring pattern on a chain", ringPattern.get(), propane.get(), false},
      {"chain double bond on ethene", doubleBond.get(), ethene.get(), true},
      {"chain double bond on a chain single bond", doubleBond.get(), singleBond.get(), false},
      {"chain double bond on a ring double bond", doubleBond.get(), cyclopropene.get(), false},
  };
  for (const Case& c : cases) {
    VfGraph target(c.target);
    EXPECT_EQ(c.matches, runMatch(*c.pattern, target, "G").count > 0) << c.what;
  }
  // Whatever the orders: the single-bond ring pattern on a ring holding a double bond, when the
  // bond counts agree (the ring carbons of cyclopropene have three bonds each, so pad them).
  auto ringPattern3 = saturate(3, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}}, {3, 3, 4}, "R");
  VfGraph target(cyclopropene.get());
  EXPECT_GT(runMatch(*ringPattern3, target, "G").count, 0);
  for (int node = 0; node < 3; ++node) EXPECT_TRUE(claimed(target, node)) << node;
}

TEST(FunctionalGroupMatching, TargetAlreadyCarryingGroupNamesMatchesNothing) {
  auto methyl = carbonGroup(3, 1);
  auto ethane = saturate(2, {{0, 1, 1}}, {4, 4}, "H");
  for (Atom* a : ethane->atoms) a->groupInstance = "ETHYL_1";
  VfGraph target(ethane.get());
  EXPECT_EQ(0, runMatch(*methyl, target, "METHYL").count);
  EXPECT_TRUE(target.groups.empty());
}

TEST(FunctionalGroupMatching, OccurrenceSharingClaimedAtomsIsCountedButStampsNothing) {
  // Target: a centre carbon (node 0) between two end carbons, padded with dummies so that the
  // pattern, two bonded carbons of four bonds each, fits both ways round the centre.
  auto target3 = saturate(3, {{0, 1, 1}, {0, 2, 1}}, {4, 4, 4}, "R");
  auto pattern = saturate(2, {{0, 1, 1}}, {4, 4}, "R");
  VfGraph target(target3.get());
  ASSERT_EQ(3, target.nodeCount);
  const int first = GroupCount;
  const Outcome out = runMatch(*pattern, target, "PAIR");
  // Centre-first: (0, 1) completes and stamps; (0, 2) completes on the claimed centre.
  EXPECT_EQ(2, out.count);
  EXPECT_EQ("PAIR_" + std::to_string(first) + "_" + std::to_string(first + 1), out.name);
  ASSERT_EQ(1u, target.groups.size());
  EXPECT_TRUE(claimed(target, 0) && claimed(target, 1));
  EXPECT_FALSE(claimed(target, 2));
  EXPECT_FALSE(target.hasAllGroups());
}

TEST(FunctionalGroupMatching, FullyMatchedTargetBuildsTheGroupedMolecule) {
  // Patterns with their own types, names and an aromatic ring; the target is Kekule phenol.
  // Both: a six-ring 0-5 with hydrogens 6-10 on carbons 1-5; carbon 0 carries an open valence
  // (atom 11) in the pattern and the hydroxyl oxygen (11, hydrogen 12) in phenol.
  auto ringWith = [](int order1, int order2, const std::vector<std::string>& tail) {
    std::vector<std::string> elements(6, "C");
    elements.insert(elements.end(), 5, "H");
    elements.insert(elements.end(), tail.begin(), tail.end());
    std::vector<Edge> edges;
    for (int i = 0; i < 6; ++i) edges.push_back({i, (i + 1) % 6, i % 2 == 0 ? order1 : order2});
    for (int i = 1; i < 6; ++i) edges.push_back({i, 5 + i, 1});
    edges.push_back({0, 11, 1});
    if (tail.size() > 1) edges.push_back({11, 12, 1});
    auto m = buildMolecule(elements, edges);
    m->findAllSmallestRings();
    return m;
  };
  auto phenyl = ringWith(9, 9, {"R"});
  for (Atom* a : phenyl->atoms) {
    a->type = a->element == "C" ? "CAH1" : a->element == "H" ? "HCA" : "DUM";
    a->name = a->element + "P";
  }
  auto hydroxyl = buildMolecule({"O", "H", "R"}, {{0, 1, 1}, {0, 2, 1}});
  hydroxyl->atoms[0]->type = "OH";
  hydroxyl->atoms[0]->name = "O1";
  auto phenol = ringWith(2, 1, {"O", "H"});
  phenol->names.push_back("PHENOL");

  VfGraph target(phenol.get());
  EXPECT_GT(runMatch(*phenyl, target, "PHENYL").count, 0);
  EXPECT_FALSE(target.hasAllGroups());
  EXPECT_GT(runMatch(*hydroxyl, target, "HYDROXYL").count, 0);
  ASSERT_TRUE(target.hasAllGroups());

  std::unique_ptr<Molecule> grouped(target.createMolecule());
  ASSERT_NE(nullptr, grouped);
  ASSERT_EQ(phenol->atoms.size(), grouped->atoms.size());
  ASSERT_EQ(phenol->bonds.size(), grouped->bonds.size());
  EXPECT_EQ("PHENOL", grouped->getName());
  EXPECT_EQ(target.groups, grouped->groups);
  int connections = 0;
  for (const Bond* b : grouped->bonds) {
    EXPECT_TRUE(b->matchFlag);
    const bool ringBond = b->atom1->element == "C" && b->atom2->element == "C";
    if (ringBond) {
      EXPECT_EQ(9, b->order) << "the group's aromatic order replaces Kekule";
    }
    if (b->isConnection) {
      ++connections;
      EXPECT_TRUE(b->groupInstance.empty());
    } else {
      EXPECT_EQ(b->atom1->groupInstance, b->groupInstance);
    }
  }
  EXPECT_EQ(1, connections);   // the carbon-oxygen bond joins the two groups
  for (const Atom* a : grouped->atoms) {
    EXPECT_TRUE(a->inGroup && a->isMatched);
    const std::string base = a->id >= 11 ? "HYDROXYL" : "PHENYL";
    EXPECT_EQ(base, a->groupName) << a->id;
    EXPECT_EQ(0u, a->groupInstance.rfind(base + "_", 0)) << a->groupInstance;
  }
  const Atom* oxygen = grouped->atoms[11];
  EXPECT_EQ("OH", oxygen->type);
  EXPECT_EQ("O1", oxygen->name);
  EXPECT_EQ("CAH1", grouped->atoms[1]->type);
  EXPECT_EQ("CP", grouped->atoms[1]->name);
}

TEST(FunctionalGroupMatchingDeathTest, IndexOutsideTheGraphEndsTheProcess) {
  auto ethane = saturate(2, {{0, 1, 1}}, {4, 4}, "H");
  VfGraph graph(ethane.get());
  EXPECT_EXIT(graph.getOutCount(graph.nodeCount), ::testing::ExitedWithCode(1),
              "Error: getOutCount");
  EXPECT_EXIT(graph.getOutEdge(0, 99), ::testing::ExitedWithCode(1), "Error: getOutEdge");
  VfState state(&graph, &graph);
  EXPECT_EXIT(state.backTrack(), ::testing::ExitedWithCode(1), "Error: Backtrack");
  EXPECT_EXIT(state.addPair(0, 99), ::testing::ExitedWithCode(1), "Error: addPair");
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
    if (m != nullptr) {
      m->names.clear();
      m->names.push_back(name);
    }
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
  EXPECT_EQ(ethanol->atoms.size(), grouped->atoms.size());
  EXPECT_FALSE(grouped->groups.empty());
  for (const Atom* a : grouped->atoms) EXPECT_FALSE(a->groupInstance.empty()) << a->id;
  const Atom* oxygen = grouped->atoms[2];
  EXPECT_EQ("HYDROXYL", oxygen->groupName);
  EXPECT_EQ(library->getFunctionalGroupByName("HYDROXYL")->atoms[0]->type, oxygen->type);
  EXPECT_TRUE(std::filesystem::is_empty(work.path));   // nothing to dump
}

TEST_F(FunctionalGroupSearch, UnmatchedPartGivesNullAndTheThreeDumps) {
  kvtest::WorkingFolder work;
  work.make("Unmatched");
  work.make("UnMatched");
  auto piperidine = graphOf("C1CCNCC1", "PIPERIDINE");   // no library group holds a ring NH
  ASSERT_NE(nullptr, piperidine);
  MoleculeOperations ops;
  EXPECT_EQ(nullptr, ops.findFunctionalGroups(piperidine.get()));
  EXPECT_EQ("", errors.text());
  const std::filesystem::path matched = work.path / "Unmatched" / "PIPERIDINE";
  const std::filesystem::path unmatched = work.path / "UnMatched" / "PIPERIDINE";
  EXPECT_TRUE(std::filesystem::exists(unmatched / "PIPERIDINE____________main.mol"));
  auto countFiles = [](const std::filesystem::path& folder, const std::string& suffix) {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) ++n;
    }
    return n;
  };
  EXPECT_EQ(1, countFiles(matched, "_______matched.mol"));      // the five ring carbons
  EXPECT_EQ(1, countFiles(unmatched, "______unmatched.mol"));   // N and its hydrogen
}

TEST_F(FunctionalGroupSearch, MatchMoleculeCountsTheFirstCandidateThatMatches) {
  auto toluene = graphOf("Cc1ccccc1", "TOLUENE");
  ASSERT_NE(nullptr, toluene);
  std::vector<Molecule*> candidates{library->getFunctionalGroupByName("HYDROXYL"),
                                    library->getFunctionalGroupByName("METHYL"),
                                    library->getFunctionalGroupByName("PHENYL")};
  std::map<std::string, int> counts;
  MoleculeOperations ops;
  ASSERT_TRUE(ops.matchMolecule(toluene.get(), &candidates, counts));
  // Sorted largest first, so the phenyl is tried, and counted, before the methyl.
  EXPECT_EQ((std::map<std::string, int>{{"PHENYL", 1}}), counts);
  auto ammonia = graphOf("N", "AMMONIA");
  EXPECT_FALSE(ops.matchMolecule(ammonia.get(), &candidates, counts));
}
