// The diagnostic dumps: GraphViz bond graphs, the whole molecule and its matched and unmatched
// parts as mol files, all below a fresh working folder.

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "construction/MoleculeOperations.h"
#include "model/Atom.h"
#include "model/Builder.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"
#include "support/WorkingFolder.h"

namespace fs = std::filesystem;
using kvtest::buildMolecule;

namespace {

std::string contents(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Atom and bond counts from the counts line of a mol file.
std::pair<int, int> countsOf(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  for (int i = 0; i < 4; ++i) std::getline(in, line);
  if (line.size() < 6) return {-1, -1};
  return {std::stoi(line.substr(0, 3)), std::stoi(line.substr(3, 3))};
}

// Atoms 0-4: a matched ring 0-1-2 (0 carrying unmatched atom 3), and a matched atom 4 bonded only
// to unmatched atom 3.
std::unique_ptr<Molecule> markedMolecule() {
  auto m = buildMolecule({"C", "C", "N", "O", "S"},
                         {{0, 1, 1}, {1, 2, 1}, {2, 0, 2}, {0, 3, 1}, {3, 4, 1}});
  for (int i : {0, 1, 2, 4}) m->atoms[static_cast<size_t>(i)]->isMatched = true;
  m->names.push_back("MARKED");
  return m;
}

class MoleculeDumps : public ::testing::Test {
 protected:
  kvtest::WorkingFolder work;
  kvtest::ErrorCapture errors;
};

}  // namespace

TEST_F(MoleculeDumps, BondGraphIsWrittenUnderDotWhenItExists) {
  auto ethanol = buildMolecule({"C", "O"}, {{0, 1, 1}});
  ethanol->names.push_back("ETHANOL extra words");
  ethanol->printMoleculeInfo();
  EXPECT_EQ((std::vector<std::string>{"couldn't  open file Dot/ETHANOL.dot"}), errors.lines);
  EXPECT_TRUE(fs::is_empty(work.folder));

  work.make("Dot");
  ethanol->printMoleculeInfo();
  EXPECT_EQ("graph ETHANOL {\nC0 -- O1;\n}", contents(work.folder / "Dot" / "ETHANOL.dot"));
  auto atoms = buildMolecule({"C", "C"}, {});
  atoms->printMoleculeInfo();   // no name: the formula
  EXPECT_EQ("graph C2 {\n}", contents(work.folder / "Dot" / "C2.dot"));
}

TEST_F(MoleculeDumps, WholeMoleculeAndItsMatchedAndUnmatchedPartsAreSeparateFiles) {
  work.make("Unmatched");
  work.make("UnMatched");
  auto m = markedMolecule();
  m->printMatchedParts("MARKED");
  m->printUnmatchedParts("MARKED");
  m->printMainMolecule("UnMatched/");
  EXPECT_EQ((std::set<std::string>{"MARKED_0_______matched.mol", "MARKED_4_______matched.mol"}),
            work.files("Unmatched/MARKED"));
  EXPECT_EQ((std::set<std::string>{"MARKED_3______unmatched.mol", "MARKED____________main.mol"}),
            work.files("UnMatched/MARKED"));
  EXPECT_EQ((std::pair<int, int>{5, 5}),
            countsOf(work.folder / "UnMatched/MARKED/MARKED____________main.mol"));
  // The ring is one part with its closing bond, added once although both ends reach it; the
  // one-atom parts have no bond and leave their atom unmarked.
  const fs::path parts = work.folder / "Unmatched/MARKED";
  EXPECT_EQ((std::pair<int, int>{3, 3}), countsOf(parts / "MARKED_0_______matched.mol"));
  EXPECT_EQ((std::pair<int, int>{1, 0}), countsOf(parts / "MARKED_4_______matched.mol"));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(i < 3, m->atoms[static_cast<size_t>(i)]->isMarked) << i;

  fs::remove_all(work.folder / "Unmatched/MARKED");
  m->printMatchedParts("MARKED");   // a second pass: the one-atom parts only
  EXPECT_EQ((std::set<std::string>{"MARKED_4_______matched.mol"}), work.files("Unmatched/MARKED"));
  EXPECT_TRUE(errors.lines.empty());
}

TEST_F(MoleculeDumps, NamesCannotLeaveTheDumpFolder) {
  work.make("UnMatched/inner");
  auto m = markedMolecule();
  m->names.assign(1, "../x/..\\y");
  m->printMainMolecule("UnMatched/inner/");
  EXPECT_TRUE(fs::exists(work.folder / "UnMatched/inner/_._x_.._y/_._x_.._y____________main.mol"));
  EXPECT_EQ((std::set<std::string>{"inner"}), work.files("UnMatched"));
  m->printUnmatchedParts(".hidden");
  EXPECT_TRUE(fs::exists(work.folder / "UnMatched/_hidden/_hidden_3______unmatched.mol"));
  EXPECT_TRUE(errors.lines.empty());
}

TEST_F(MoleculeDumps, GroupGraphRingsComeFromItsGroupLevelMolecule) {
  // Three groups in a triangle with a fourth hanging off: one ring of three edges.
  std::unique_ptr<GroupGraph> graph(Builder::instance()->createGroupGraph());
  graph->name = "TRIANGLE";
  for (int i = 0; i < 4; ++i) graph->addGroupNode(Builder::instance()->createGroupNode());
  for (auto e : std::vector<std::pair<int, int> >{{0, 1}, {1, 2}, {2, 0}, {2, 3}})
    ASSERT_EQ(1, graph->addGroupedge(e.first, e.second));
  ASSERT_EQ(1, MoleculeOperations().findUniqueRings(graph.get()));
  ASSERT_EQ(1, graph->ringCount);
  const Ring* ring = graph->rings[0];
  EXPECT_EQ((std::set<int>{0, 1, 2}), std::set<int>(ring->atomIds.begin(), ring->atomIds.end()));
  EXPECT_EQ((std::set<int>{0, 1, 2}), std::set<int>(ring->bondIds.begin(), ring->bondIds.end()));
}
