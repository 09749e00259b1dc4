// Library loading: the folder walk, the three trees with their item data, the "F" indices of
// groups and templates, and the console summary.

#include <QApplication>
#include <QTreeWidgetItem>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "support/QtApplication.h"

namespace fs = std::filesystem;

namespace {

// A one-atom molecule file; "special" marks it as a group without a tree item.
void writeEntry(const fs::path& file, const std::string& name, bool special = false,
                const std::string& smiles = "C") {
  fs::create_directories(file.parent_path());
  std::ofstream out(file);
  out << "#NAMES\n" << name << "\n#DISPLAY_NAME\n" << name << " group\n#SMILES\n" << smiles
      << "\n#ENERGIES\n0 -1.5 0.25 0\n#SFUNC\n" << (special ? 1 : 0)
      << "\n#ATOMS\nC C C C1 12.011 0.7 - - - 0 0 0 0 0\n#BONDS\n";
}

void clearRoot(QTreeWidgetItem* root) {
  for (QTreeWidgetItem* child : root->takeChildren()) delete child;
}

// Every item below root, with its parent, by the text of the given column.
std::multimap<std::string, QTreeWidgetItem*> itemsBelow(QTreeWidgetItem* root, int column) {
  std::multimap<std::string, QTreeWidgetItem*> out;
  for (int i = 0; i < root->childCount(); ++i) {
    QTreeWidgetItem* folder = root->child(i);
    out.emplace(folder->text(0).toStdString(), folder);
    for (int j = 0; j < folder->childCount(); ++j)
      out.emplace(folder->child(j)->text(column).toStdString(), folder->child(j));
  }
  return out;
}

std::string dataOf(const QTreeWidgetItem* item) {
  return item->data(0, Qt::UserRole).toString().toStdString();
}

class LibraryLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    engine = IOEngine::instance();
    library = MoleculeEngine::instance();
    library->clear();
    clearRoot(engine->moleculeRoot);
    clearRoot(engine->groupRoot);
    clearRoot(engine->templateRoot);
    UtilityEngine::instance()->setConsoleSink([this](const std::string& l) { console.push_back(l); });
    root = fs::temp_directory_path() /
           ("kvlib-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
  }
  void TearDown() override {
    UtilityEngine::instance()->setConsoleSink(nullptr);
    library->clear();
    fs::remove_all(root);
  }

  IOEngine* engine = nullptr;
  MoleculeEngine* library = nullptr;
  std::vector<std::string> console;
  fs::path root;
};

TEST_F(LibraryLoading, WalkMakesFlatFolderItemsAndPassesOverDotFolders) {
  writeEntry(root / "KV_GROUPS" / "g1.kv", "G1");
  writeEntry(root / "KV_GROUPS" / "A" / "g2.kv", "G2");
  writeEntry(root / "KV_GROUPS" / "A" / "B" / "g3.kv", "G3");
  writeEntry(root / "KV_GROUPS" / "A" / "B" / "special.kv", "SPC", true);
  { std::ofstream(root / "KV_GROUPS" / "A" / "B" / ".notes") << "no molecule here\n"; }
  writeEntry(root / "KV_GROUPS" / ".hidden" / "g9.kv", "G9");

  std::queue<std::string> queue;
  EXPECT_EQ(5, engine->enqueueFilesFromDirectory((root / "KV_GROUPS").string().c_str(), queue));
  EXPECT_EQ(-1, engine->enqueueFilesFromDirectory((root / "none").string().c_str(), queue));
  EXPECT_EQ(0, engine->enqueueFilesFromDirectory((root / "none").string(), queue));

  EXPECT_EQ(4, library->loadGroups(root.string()));
  ASSERT_EQ(4u, library->groups.size());
  EXPECT_EQ(4u, library->patterns.size());
  EXPECT_EQ(nullptr, library->getFunctionalGroupByName("G9"));

  // All folder items hang directly below the root, named after their own last component.
  std::set<std::string> folders;
  for (int i = 0; i < engine->groupRoot->childCount(); ++i) {
    EXPECT_EQ("_folder", dataOf(engine->groupRoot->child(i)));
    folders.insert(engine->groupRoot->child(i)->text(0).toStdString());
  }
  EXPECT_EQ((std::set<std::string>{"KV_GROUPS", "A", "B"}), folders);
  EXPECT_EQ(3, engine->groupRoot->childCount());

  // Group items carry "F" + their index into groups; the special group has none.
  std::multimap<std::string, QTreeWidgetItem*> items = itemsBelow(engine->groupRoot, 1);
  EXPECT_EQ(0u, items.count("SPC group"));
  for (const char* name : {"G1", "G2", "G3"}) {
    auto it = items.find(std::string(name) + " group");
    ASSERT_NE(items.end(), it) << name;
    EXPECT_EQ(" ", it->second->text(0).toStdString());
    const std::string data = dataOf(it->second);
    ASSERT_EQ('F', data[0]);
    const size_t index = std::stoul(data.substr(1));
    ASSERT_LT(index, library->groups.size());
    EXPECT_EQ(name, library->groups[index]->getName());
  }
  EXPECT_EQ(0, engine->groupCount);   // back at 0 after the load
}

TEST_F(LibraryLoading, TemplatesContinueTheGroupIndexAndSpecialGroupsAreFound) {
  writeEntry(root / "KV_GROUPS" / "g1.kv", "G1");
  writeEntry(root / "KV_GROUPS" / "g2.kv", "G2");
  writeEntry(root / "KV_GROUPS" / "s.kv", "SPC", true);
  writeEntry(root / "KV_TEMPLATES" / "ala.kv", "ALA");
  EXPECT_EQ(4, library->loadGroups(root.string()));

  ASSERT_EQ(1, engine->templateRoot->childCount());
  QTreeWidgetItem* folder = engine->templateRoot->child(0);
  EXPECT_EQ("KV_TEMPLATES", folder->text(0).toStdString());
  ASSERT_EQ(1, folder->childCount());
  EXPECT_EQ("ALA", folder->child(0)->text(1).toStdString());
  EXPECT_EQ("F3", dataOf(folder->child(0)));
  EXPECT_EQ(QSize(32, 32), folder->child(0)->sizeHint(0));

  Molecule* special = library->getFunctionalGroupByName("SPC");
  ASSERT_NE(nullptr, special);
  EXPECT_EQ("Special", special->sfunc);
  EXPECT_EQ(nullptr, library->getFunctionalGroupByName("ala"));
  EXPECT_EQ(library->groups[3], library->getFunctionalGroupByName("ALA"));
}

TEST_F(LibraryLoading, TemplatesAloneStartAtZero) {
  writeEntry(root / "KV_TEMPLATES" / "gly.kv", "GLY");
  EXPECT_EQ(1, library->loadGroups(root.string()));
  EXPECT_EQ("F0", dataOf(engine->templateRoot->child(0)->child(0)));
}

TEST_F(LibraryLoading, MoleculesTakeTheWritersSmilesAndTheSummaryListsThem) {
  writeEntry(root / "KV_MOLECULES" / "m.kv", "METHANE", false, "written-by-hand");
  writeEntry(root / "KV_GROUPS" / "g.kv", "G1", false, "kept-as-written");
  EXPECT_EQ(1, library->loadGroups(root.string()));
  EXPECT_EQ(1, library->loadMolecules(root.string()));
  ASSERT_EQ(1u, library->molecules.size());
  EXPECT_EQ("[C]", library->molecules[0]->smiles);   // a bare carbon, no hydrogens
  EXPECT_EQ("kept-as-written", library->groups[0]->smiles);
  ASSERT_EQ(1, engine->moleculeRoot->childCount());
  QTreeWidgetItem* item = engine->moleculeRoot->child(0)->child(0);
  EXPECT_EQ("METHANE", item->text(0).toStdString());
  EXPECT_EQ("M0", dataOf(item));

  console.clear();
  engine->printSummaryOfMoleculesInConsole(library->molecules);
  ASSERT_EQ(4u, console.size());
  EXPECT_EQ("    1                   -1.50000\t         0.00000\tMETHANE", console[2]);
  EXPECT_EQ(std::string(99, '-'), console[3]);
}

TEST_F(LibraryLoading, MissingFolderLoadsNothing) {
  EXPECT_EQ(0, library->loadGroups(root.string()));
  EXPECT_EQ(0, library->loadMolecules(root.string()));
  EXPECT_EQ(0, engine->groupRoot->childCount());
}

}  // namespace
