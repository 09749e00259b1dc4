// Library loading: the folder walk, the three trees with their item data, the "F" indices of
// groups and templates, and the console summary.

#include <QTreeWidgetItem>

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
#include "support/ConsoleCapture.h"
#include "support/FileFixture.h"

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

class LibraryLoading : public kvtest::FileFixture {
 protected:
  LibraryLoading() : kvtest::FileFixture("kvlib_") {}
  void SetUp() override {
    kvtest::FileFixture::SetUp();
    engine = IOEngine::instance();
    library = MoleculeEngine::instance();
    library->clear();
    for (QTreeWidgetItem* top : {engine->moleculeRoot, engine->groupRoot, engine->templateRoot})
      for (QTreeWidgetItem* child : top->takeChildren()) delete child;
  }
  void TearDown() override {
    library->clear();
    kvtest::FileFixture::TearDown();
  }

  IOEngine* engine = nullptr;
  MoleculeEngine* library = nullptr;
};

TEST_F(LibraryLoading, WalkMakesFlatFolderItemsAndPassesOverDotFolders) {
  writeEntry(folder / "KV_GROUPS" / "g1.kv", "G1");
  writeEntry(folder / "KV_GROUPS" / "A" / "g2.kv", "G2");
  writeEntry(folder / "KV_GROUPS" / "A" / "B" / "g3.kv", "G3");
  writeEntry(folder / "KV_GROUPS" / "A" / "B" / "special.kv", "SPC", true);
  std::ofstream(folder / "KV_GROUPS" / "A" / "B" / ".notes") << "no molecule here\n";
  writeEntry(folder / "KV_GROUPS" / ".hidden" / "g9.kv", "G9");

  std::queue<std::string> queue;
  EXPECT_EQ(5, engine->enqueueFilesFromDirectory((folder / "KV_GROUPS").string().c_str(), queue));
  EXPECT_EQ(-1, engine->enqueueFilesFromDirectory((folder / "none").string().c_str(), queue));
  EXPECT_EQ(0, engine->enqueueFilesFromDirectory((folder / "none").string(), queue));

  EXPECT_EQ(4, library->loadGroups(folder.string()));
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
  writeEntry(folder / "KV_GROUPS" / "g1.kv", "G1");
  writeEntry(folder / "KV_GROUPS" / "g2.kv", "G2");
  writeEntry(folder / "KV_GROUPS" / "s.kv", "SPC", true);
  writeEntry(folder / "KV_TEMPLATES" / "ala.kv", "ALA");
  EXPECT_EQ(4, library->loadGroups(folder.string()));

  ASSERT_EQ(1, engine->templateRoot->childCount());
  QTreeWidgetItem* templates = engine->templateRoot->child(0);
  EXPECT_EQ("KV_TEMPLATES", templates->text(0).toStdString());
  ASSERT_EQ(1, templates->childCount());
  EXPECT_EQ("ALA", templates->child(0)->text(1).toStdString());
  EXPECT_EQ("F3", dataOf(templates->child(0)));
  EXPECT_EQ(QSize(32, 32), templates->child(0)->sizeHint(0));

  Molecule* special = library->getFunctionalGroupByName("SPC");
  ASSERT_NE(nullptr, special);
  EXPECT_EQ("Special", special->sfunc);
  EXPECT_EQ(nullptr, library->getFunctionalGroupByName("ala"));
  EXPECT_EQ(library->groups[3], library->getFunctionalGroupByName("ALA"));
}

TEST_F(LibraryLoading, TemplatesAloneStartAtZero) {
  writeEntry(folder / "KV_TEMPLATES" / "gly.kv", "GLY");
  EXPECT_EQ(1, library->loadGroups(folder.string()));
  EXPECT_EQ("F0", dataOf(engine->templateRoot->child(0)->child(0)));
}

TEST_F(LibraryLoading, MoleculesTakeTheWritersSmilesAndTheSummaryListsThem) {
  writeEntry(folder / "KV_MOLECULES" / "m.kv", "METHANE", false, "written-by-hand");
  writeEntry(folder / "KV_GROUPS" / "g.kv", "G1", false, "kept-as-written");
  EXPECT_EQ(1, library->loadGroups(folder.string()));
  EXPECT_EQ(1, library->loadMolecules(folder.string()));
  ASSERT_EQ(1u, library->molecules.size());
  EXPECT_EQ("[C]", library->molecules[0]->smiles);   // a bare carbon, no hydrogens
  EXPECT_EQ("kept-as-written", library->groups[0]->smiles);
  ASSERT_EQ(1, engine->moleculeRoot->childCount());
  QTreeWidgetItem* item = engine->moleculeRoot->child(0)->child(0);
  EXPECT_EQ("METHANE", item->text(0).toStdString());
  EXPECT_EQ("M0", dataOf(item));

  kvtest::ConsoleCapture console{1};
  engine->printSummaryOfMoleculesInConsole(library->molecules);
  ASSERT_EQ(4u, console.lines.size());
  EXPECT_EQ("    1                   -1.50000\t         0.00000\tMETHANE", console.lines[2]);
  EXPECT_EQ(std::string(99, '-'), console.lines[3]);
}

TEST_F(LibraryLoading, MissingFolderLoadsNothing) {
  EXPECT_EQ(0, library->loadGroups((folder / "none").string()));
  EXPECT_EQ(0, library->loadMolecules((folder / "none").string()));
  EXPECT_EQ(0, engine->groupRoot->childCount());
}

}  // namespace
