// The fuzz entries themselves: their check of finished molecules can fail, one input leaves no
// trace for the next, and every target finds its dictionary and seeds.

#include <QTreeWidgetItem>

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "fuzz/FuzzEntries.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Molecule.h"

namespace fs = std::filesystem;

namespace {

class FuzzEntries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { fuzzentries::setUp(); }
};

}  // namespace

TEST_F(FuzzEntries, FinishedMoleculeCheckFindsEveryValueThatIsNotANumber) {
  std::unique_ptr<Molecule> m(SmilesParser().smilesToMol("CCO"));
  ASSERT_TRUE(m);
  EXPECT_EQ("", fuzzentries::checkFinished(*m));
  const float nan = std::numeric_limits<float>::quiet_NaN();

  const float x = m->atoms[1]->position.x;
  m->atoms[1]->position.x = nan;
  EXPECT_NE("", fuzzentries::checkFinished(*m));
  m->atoms[1]->position.x = x;
  m->positions[2].z = std::numeric_limits<float>::infinity();
  EXPECT_NE("", fuzzentries::checkFinished(*m));
  m->positions[2] = m->atoms[2]->position;
  m->heatOfFormation = nan;
  EXPECT_NE("", fuzzentries::checkFinished(*m));
}

TEST_F(FuzzEntries, ListReadersLeaveTheLibraryAndItsTreesAsTheyWere) {
  IOEngine* engine = IOEngine::instance();
  MoleculeEngine* library = MoleculeEngine::instance();
  const size_t patterns = library->patterns.size();
  const int groupFolders = engine->groupRoot->childCount();
  const int moleculeFolders = engine->moleculeRoot->childCount();
  const std::string groups = "TYPE  ALKYL\nFUNC METHYL Methyl\nATOM C1 CH4\nATOM DUM1 DUM\n"
                             "SINGLE C1 DUM1\n";
  const std::string molecules = "MOLE Ethane\nFUNC A METHYL\nFUNC B METHYL\nSINGLE A.DUM1 B.DUM1\n";
  EXPECT_EQ("", fuzzentries::groupList(groups));
  EXPECT_EQ("", fuzzentries::moleculeList(molecules));
  EXPECT_EQ(patterns, library->patterns.size());
  EXPECT_EQ(groupFolders, engine->groupRoot->childCount());
  EXPECT_EQ(moleculeFolders, engine->moleculeRoot->childCount());
}

TEST_F(FuzzEntries, EveryTargetHasItsDictionaryAndSeeds) {
  const fs::path fuzz = fs::path(KV_SOURCE_DIR) / "fuzz";
  std::set<std::string> names;
  for (const fuzzentries::Entry& entry : fuzzentries::entries()) {
    EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
    const fs::path dictionary = fuzz / "dict" / (std::string(entry.dictionary) + ".dict");
    EXPECT_TRUE(fs::is_regular_file(dictionary)) << dictionary;
    const fs::path corpus = fuzz / "corpus" / entry.name;
    EXPECT_TRUE(fs::is_directory(corpus) && !fs::is_empty(corpus)) << corpus;
    EXPECT_EQ(&entry, fuzzentries::findEntry(entry.name));
  }
  EXPECT_EQ(nullptr, fuzzentries::findEntry("no_such_target"));
}
