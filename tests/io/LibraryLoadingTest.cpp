// Library loading: the folder walk, the three trees with their item data, the "F" indices of
// groups and templates, and the console summary. The shipped library: the residue templates
// carry PDB names, and every functional group joins with a methyl group at each of its axes
// into a finished molecule (its molecules are read in SmilesRoundTripTest.cpp).

#include <QTreeWidgetItem>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "construction/MoleculeOperations.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"
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

const fs::path kRoot(KV_SOURCE_DIR);

std::vector<fs::path> kvFilesBelow(const fs::path& folder) {
  std::vector<fs::path> out;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == ".kv") out.push_back(entry.path());
  return out;
}

Bond* firstAxis(Molecule* m) {
  for (Bond* b : m->bonds)
    if (isDummy(b->atom1) || isDummy(b->atom2)) return b;
  return nullptr;
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

  EXPECT_EQ(4, library->loadGroups(folder.string()));
  ASSERT_EQ(4u, library->patterns.size());
  EXPECT_EQ(nullptr, library->getFunctionalGroupByName("G9"));

  // All folder items hang directly below the root, named after their own last component.
  std::set<std::string> folders;
  for (int i = 0; i < engine->groupRoot->childCount(); ++i)
    folders.insert(engine->groupRoot->child(i)->text(0).toStdString());
  EXPECT_EQ((std::set<std::string>{"KV_GROUPS", "A", "B"}), folders);
  EXPECT_EQ(3, engine->groupRoot->childCount());

  // Group items carry "F" + their index into groups; the special group has none.
  std::multimap<std::string, QTreeWidgetItem*> items = itemsBelow(engine->groupRoot, 1);
  EXPECT_EQ(0u, items.count("SPC group"));
  for (const char* name : {"G1", "G2", "G3"}) {
    auto it = items.find(std::string(name) + " group");
    ASSERT_NE(items.end(), it) << name;
    const std::string data = dataOf(it->second);
    ASSERT_EQ('F', data[0]);
    const size_t index = std::stoul(data.substr(1));
    ASSERT_LT(index, library->groups.size());
    EXPECT_EQ(name, library->groups[index]->getName());
  }
}

TEST_F(LibraryLoading, TemplatesContinueTheGroupIndexAndSpecialGroupsAreFound) {
  EXPECT_EQ(0, library->loadGroups((folder / "none").string()));
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

  Molecule* special = library->getFunctionalGroupByName("SPC");
  ASSERT_NE(nullptr, special);
  EXPECT_EQ("Special", special->sfunc);
  EXPECT_EQ(nullptr, library->getFunctionalGroupByName("ala"));
  EXPECT_EQ(library->groups[3], library->getFunctionalGroupByName("ALA"));
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

// A library file whose stored coordinates the set-up chain refuses once became a library entry
// marked optimised; now it is left out, and the console says why.
TEST_F(LibraryLoading, AFileWithRefusedCoordinatesIsNoEntry) {
  writeEntry(folder / "KV_MOLECULES" / "good.kv", "GOOD");
  std::ofstream(folder / "KV_MOLECULES" / "clash.kv")
      << "#NAMES\nCLASH\n#ATOMS\nC C C C1 12.011 0.7 - - - 0 0 0 0 0\n"
         "C C C C2 12.011 0.7 - - - 0 0 0.4 0 0\n#BONDS\n";
  kvtest::ErrorCapture errors;
  EXPECT_EQ(1, library->loadMolecules(folder.string()));
  ASSERT_EQ(1u, library->molecules.size());
  EXPECT_EQ("GOOD", library->molecules[0]->getName());
  EXPECT_TRUE(library->molecules[0]->isOptimized);
  ASSERT_EQ(1, engine->moleculeRoot->childCount());
  EXPECT_EQ(1, engine->moleculeRoot->child(0)->childCount());
  ASSERT_EQ(2u, errors.lines.size()) << errors.text();
  EXPECT_NE(std::string::npos, errors.lines[1].find("clash.kv\" holds no finished molecule"))
      << errors.text();
}

class LibraryContents : public kvtest::FileFixture {
 protected:
  LibraryContents() : kvtest::FileFixture("kvlibc_") {}
  std::unique_ptr<Molecule> load(const fs::path& p) {
    return std::unique_ptr<Molecule>(IOEngine::instance()->parseKvtFile(p.string()));
  }
};

TEST_F(LibraryContents, ResidueTemplatesAreNamedAsPdbResidues) {
  const std::vector<std::string> residues = {
      "ALA", "ARG", "ASN", "ASP", "CYS", "GLU", "GLN", "GLY", "HIS", "ILE", "LEU", "LYS",
      "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL", "DA",  "DT",  "DG",  "DC",
      "A",   "U",   "G",   "C"};
  std::set<std::string> found;
  for (const fs::path& p : kvFilesBelow(kRoot / "KV_TEMPLATES")) {
    std::unique_ptr<Molecule> m = load(p);
    ASSERT_TRUE(m) << p;
    EXPECT_EQ(p.stem().string(), m->getName()) << p;
    found.insert(m->getName());
    std::set<std::string> names;
    for (const Atom* a : m->atoms)
      EXPECT_TRUE(names.insert(a->name).second) << m->getName() << " repeats " << a->name;
    const bool nucleotide = m->getName().size() <= 2;
    for (const char* backbone : nucleotide ? std::vector<const char*>{"P", "O5'", "C1'", "O3'"}
                                           : std::vector<const char*>{"N", "CA", "C", "O", "OXT"})
      EXPECT_EQ(1u, names.count(backbone)) << m->getName() << " lacks " << backbone;
  }
  for (const std::string& r : residues) EXPECT_EQ(1u, found.count(r)) << r;
}

TEST_F(LibraryContents, EveryGroupJoinsWithMethylAtEachAxis) {
  const fs::path methylFile = kRoot / "KV_GROUPS" / "Alkyl" / "METHYL.kv";
  const std::vector<fs::path> groups = kvFilesBelow(kRoot / "KV_GROUPS");
  ASSERT_GE(groups.size(), 25u);
  MoleculeOperations operations;
  for (const fs::path& p : groups) {
    std::unique_ptr<Molecule> group = load(p);
    ASSERT_TRUE(group) << p;
    EXPECT_EQ(p.stem().string(), group->getName()) << p;
    const unsigned int axes = group->calculateNumBondAxes();
    ASSERT_GE(axes, 1u) << p;
    const size_t realAtoms = group->atoms.size() - axes;
    for (unsigned int i = 0; i < axes; ++i) {
      Molecule* methyl = IOEngine::instance()->parseKvtFile(methylFile.string());
      ASSERT_NE(nullptr, methyl);
      Bond* axis1 = firstAxis(group.get());
      Bond* axis2 = firstAxis(methyl);
      ASSERT_NE(nullptr, axis1) << p;
      Molecule* joined = operations.joinMolecules(group.get(), axis1, methyl, axis2);
      if (joined == nullptr) delete methyl;   // a refused join leaves the methyl with us
      ASSERT_EQ(group.get(), joined) << p;
    }
    // Finished: no axis left, every atom typed, four atoms more for each methyl.
    EXPECT_EQ(realAtoms + 4u * axes, group->atoms.size()) << p;
    for (const Atom* a : group->atoms) {
      EXPECT_NE("DUM", a->type) << p;
      EXPECT_FALSE(a->type.empty()) << p;
    }
    EXPECT_TRUE(IOEngine::instance()->setCoordinates(group.get())) << p;
  }
}

}  // namespace
