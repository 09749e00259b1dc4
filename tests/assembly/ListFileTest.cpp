// Group and molecule list files: folders, icons, assembled molecules and their ring lines.

#include <QColor>
#include <QImage>
#include <QTreeWidgetItem>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "AssemblyFixture.h"
#include "model/Molecule.h"
#include "support/WorkingFolder.h"

namespace fs = std::filesystem;

namespace {

std::string dataOf(const QTreeWidgetItem* item) {
  return item->data(0, Qt::UserRole).toString().toStdString();
}

using ListFiles = kvtest::AssemblyTest;

TEST_F(ListFiles, GroupBlocksGoIntoFoldersInNameOrder) {
  std::istringstream in(std::string("FUNC LEAD Lead group\nATOM C1 CH4\nATOM D1 DUM\nSINGLE C1 D1\n"
                                    "a note naming FUNC ends the lead block\nATOM X9 CH4\n"
                                    "TYPE  ZETA\nSFUN HIDDEN H\nATOM C1 CH4\nATOM D1 DUM\n"
                                    "SINGLE C1 D1\n") +
                        kvtest::smallGroupList() +
                        "TYPE  ZETA\nFUNC LAST Last\nATOM C1 CH4\nATOM D1 DUM\nSINGLE C1 D1\n");
  EXPECT_EQ(6, engine->loadGroups(in, &library->groups)) << errors.text();
  ASSERT_EQ(6u, library->groups.size());
  EXPECT_EQ(6u, library->patterns.size());
  EXPECT_EQ(0, engine->groupCount);
  EXPECT_EQ(5u, library->groups[0]->atoms.size());   // C1, D1 and three hydrogens; no X9

  // Folders: "" (blocks before the first TYPE), ALKYL, OXYGEN, and ZETA once.
  QTreeWidgetItem* root = engine->groupRoot;
  ASSERT_EQ(4, root->childCount());
  const char* names[] = {"", "ALKYL", "OXYGEN", "ZETA"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(names[i], root->child(i)->text(0).toStdString());
    EXPECT_EQ("_folder", dataOf(root->child(i)));
  }
  // The special group takes an index but gets no item.
  EXPECT_EQ("Special", library->groups[4]->sfunc);
  QTreeWidgetItem* zeta = root->child(3);
  ASSERT_EQ(1, zeta->childCount());
  EXPECT_EQ("F5", dataOf(zeta->child(0)));
  QTreeWidgetItem* lead = root->child(0)->child(0);
  EXPECT_EQ(" ", lead->text(0).toStdString());
  EXPECT_EQ("Lead group", lead->text(1).toStdString());
  EXPECT_EQ(QSize(32, 32), lead->sizeHint(0));
  EXPECT_EQ("F0", dataOf(lead));
}

TEST_F(ListFiles, GroupIconIsFoundByNameThenByDisplayName) {
  kvtest::WorkingFolder work;
  const fs::path icons = work.folder / "Resources" / "FGIcons";
  fs::create_directories(icons);
  // METHYL finds its display name's picture, METHYLENE the default; CARBONYL's own name wins.
  for (const auto& icon :
       {std::make_pair("default", Qt::blue), std::make_pair("Methyl", Qt::red),
        std::make_pair("CARBONYL", Qt::green), std::make_pair("Carbonyl", Qt::red)}) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(icon.second);
    ASSERT_TRUE(image.save(QString::fromStdString((icons / icon.first).string() + ".png")));
  }
  ASSERT_EQ(3, loadSmallLibrary());
  auto colourOf = [](const QTreeWidgetItem* item) {
    return QColor(item->icon(0).pixmap(8, 8).toImage().pixel(4, 4));
  };
  QTreeWidgetItem* alkyl = engine->groupRoot->child(0);
  EXPECT_EQ(QColor(Qt::red), colourOf(alkyl->child(0)));
  EXPECT_EQ(QColor(Qt::blue), colourOf(alkyl->child(1)));
  EXPECT_EQ(QColor(Qt::green), colourOf(engine->groupRoot->child(1)->child(0)));
}

TEST_F(ListFiles, MoleculeListsAssembleTheirGraphs) {
  ASSERT_EQ(3, loadSmallLibrary());
  std::istringstream in(
      "TYPE  KETONES\nMOLE  Acetone of the list\nFUNC A METHYL\nFUNC B CARBONYL\nFUNC C METHYL\n"
      "SINGLE A.DUM1 B.DUM1\nSINGLE C.DUM1\nSINGLE B.DUM2 C.DUM1\n"
      "MOLE broken\nFUNC A METHYL\nSINGLE A.DUM1 Z.DUM1\n");
  EXPECT_EQ(1, engine->loadMolecules(in, &library->molecules)) << errors.text();
  ASSERT_EQ(1u, library->molecules.size());
  const Molecule& acetone = *library->molecules[0];
  EXPECT_EQ("Acetone of the list", acetone.getName());
  EXPECT_EQ(10u, acetone.atoms.size());   // no dummy left
  EXPECT_FALSE(acetone.smiles.empty());
  QTreeWidgetItem* item = engine->moleculeRoot->child(0)->child(0);
  EXPECT_EQ("Acetone of the list", item->text(0).toStdString());
  EXPECT_EQ("M0", dataOf(item));
}

TEST_F(ListFiles, RingLinesAreChecked) {
  ASSERT_EQ(3, loadSmallLibrary());
  const std::string chain = "MOLE Ring\nFUNC A METHYLENE\nFUNC B METHYLENE\nFUNC C CARBONYL\n"
                            "SINGLE A.DUM1 B.DUM1 B.DUM2 C.DUM1\n";
  const struct {
    std::string ring;
    std::string message;
  } cases[] = {
      {"RING A.DUM2\n", "Error: InCorrect ring"},
      {"RING A.DUM2 C.DUM9\n", "Error: Ring is not possible"},
      {"RING A.DUM2 C.C1\n", "Error: Wrong DUMY atoms"},
  };
  for (const auto& c : cases) {
    errors.clear();
    EXPECT_EQ(nullptr, readMolecule(chain + c.ring)) << c.ring;
    EXPECT_EQ(std::vector<std::string>{c.message}, errors.lines) << c.ring;
  }
  // Without the RING line the open chain is built, its two ends still open.
  auto open = readMolecule(chain);
  ASSERT_TRUE(open);
  EXPECT_EQ(2, dummies(*open));
  EXPECT_EQ(nullptr, readMolecule("FUNC A METHYL\n"));   // no MOLE line
}

// A block whose first ring closes and whose second cannot is refused whole: it would otherwise
// come back as a success holding one ring and two open ends where a second ring was asked for.
TEST_F(ListFiles, ABlockWhoseLaterRingCannotCloseIsRefused) {
  ASSERT_EQ(3, loadSmallLibrary());
  std::istringstream methine("TYPE  ALKYL\nFUNC METHINE Methine\nATOM C1 CH4\nATOM DUM1 DUM\n"
                             "ATOM DUM2 DUM\nATOM DUM3 DUM\nSINGLE C1 DUM1 C1 DUM2 C1 DUM3\n");
  ASSERT_EQ(1, engine->loadGroups(methine, &library->groups));
  const std::string chain = "MOLE Cage\nFUNC A METHINE\nFUNC B METHYLENE\nFUNC C METHYLENE\n"
                            "FUNC D METHINE\nSINGLE A.DUM1 B.DUM1 B.DUM2 C.DUM1 C.DUM2 D.DUM1\n";
  // One ring closes alone: a cyclobutane with two open ends left.
  auto one = readMolecule(chain + "RING A.DUM2 D.DUM2\n");
  ASSERT_TRUE(one) << errors.text();
  EXPECT_EQ(2, dummies(*one));
  // The second pair would bond A to D once more.
  errors.clear();
  EXPECT_EQ(nullptr, readMolecule(chain + "RING A.DUM2 D.DUM2 A.DUM3 D.DUM3\n"));
}

}  // namespace
