// The list trees and the properties tree: drag texts and thresholds, the properties requests of
// clicks and current-item changes, PDB part visibility, and the properties rows.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidgetItem>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/CustomTreeWidget.h"
#include "io/MoleculeEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/BadTreeEntries.h"
#include "support/MoleculeBuilder.h"
#include "support/MouseMove.h"
#include "support/QtApplication.h"
#include "tests/render/SpheroidScene.h"
#include "view/Scene.h"

namespace {

QTreeWidgetItem* addItem(QTreeWidget& tree, const QString& data,
                         QTreeWidgetItem* parent = nullptr) {
  auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
  item->setText(0, data);
  item->setData(0, Qt::UserRole, data);
  return item;
}

class Trees : public ::testing::Test {
 protected:
  const bool applicationMade = (kvtest::ensureApplication(), true);   // before any widget
  CustomTreeWidget tree;
};

TEST_F(Trees, DragsCarryTheEntryOrTheFirstFieldOfAHistoryItem) {
  const struct {
    int type;
    const char *data, *text;
  } cases[] = {{0, "M12", "M12"},          {1, "F3", "F3"},
               {1, "_folder", "_folder"},  {2, "H0", "H0"},
               {2, "H4#caffeine", "H4"},   {2, "PDB#1abc#A#7", "PDB"},
               {2, "#H4", ""},             {-1, "M12", ""}};
  for (const auto& c : cases) {
    tree.type = c.type;
    EXPECT_EQ(c.text, tree.dragText(c.data).toStdString()) << c.type << " " << c.data;
  }
}

TEST_F(Trees, OnlyALeftDragFarEnoughStartsADrag) {
  tree.type = 1;
  tree.resize(300, 200);
  tree.show();
  tree.setCurrentItem(addItem(tree, "F3"));
  QWidget* view = tree.viewport();
  const QPoint start(20, 5), far = start + QPoint(QApplication::startDragDistance(), 0);
  // The drag manager frees a finished drag later, so it can still be read right after the move.
  auto dragged = [this]() -> std::string {
    QDrag* drag = tree.findChild<QDrag*>();
    const std::string text = drag != nullptr ? drag->mimeData()->text().toStdString() : "none";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
  };
  QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, start);
  kvtest::mouseMove(view, far, Qt::RightButton);
  QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, far);
  EXPECT_EQ("none", dragged());
  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, start);
  kvtest::mouseMove(view, far - QPoint(1, 0), Qt::LeftButton);
  EXPECT_EQ("none", dragged());
  kvtest::mouseMove(view, far, Qt::LeftButton);
  EXPECT_EQ("F3", dragged());
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, far);
}

TEST_F(Trees, ClicksAndChangesAskForTheEntryTheyName) {
  const struct {
    int type;
    const char* data;
    int index;   // -1: no request
  } cases[] = {{0, "M12", 12},       {1, "F3", 3},      {2, "H4#caffeine", 4},
               {2, "PDB#1abc#A#7", 7}, {2, "PDB#1abc#A", -1}, {2, "PDB#a#1#A#7", 7},
               {0, "Mabc", -1},
               {0, "_folder", -1},   {0, "", -1},       {-1, "M12", -1}};
  auto asks = [this](int type, const char* data) {
    tree.clear();
    tree.type = type;
    QSignalSpy asked(&tree, &CustomTreeWidget::updateProperties);
    tree.setCurrentItem(addItem(tree, data));
    tree.itemHasClicked(tree.currentItem(), 0);
    std::vector<int> indices;
    for (const QList<QVariant>& request : asked) {
      EXPECT_EQ(type, request[0].toInt());
      indices.push_back(request[1].toInt());
    }
    return indices;
  };
  for (const auto& c : cases) {
    const std::vector<int> indices = asks(c.type, c.data);
    const std::vector<int> expected =
        c.index < 0 ? std::vector<int>() : std::vector<int>(2, c.index);
    EXPECT_EQ(expected, indices) << c.data;
  }
  // A string that is no entry asks for nothing in any tree, never for entry 0.
  for (const char* bad : kvtest::kBadTreeEntries)
    for (int type = 0; type <= 2; ++type)
      EXPECT_TRUE(asks(type, bad).empty()) << type << " \"" << bad << "\"";
}

// A PDB molecule of four parts: chain A (atoms 0, 1), water (2, 3), a hetero group (4, 5)
// and chain B (6), its atoms in a row. Bonds 1-4 and 6-5 run from chain atoms to hetero atoms;
// 4-5 is hetero. Its name, from a file named so, holds a "#". It is current, through a mesh of
// its own, before it is on screen.
class PdbParts : public Trees {
 protected:
  void SetUp() override {
    tree.type = 2;
    owned = kvtest::buildMolecule({"N", "C", "O", "H", "Fe", "O", "C"},
                                  {{0, 1, 1}, {2, 3, 1}, {1, 4, 1}, {4, 5, 1}, {6, 5, 1}});
    molecule = owned.get();
    molecule->names = {"1a#bc"};
    const char* chains[] = {"A", "A", "", "", "", "", "B"};
    std::vector<SSEVector4f> row;
    for (size_t i = 0; i < molecule->atoms.size(); ++i) {
      Atom* a = molecule->atoms[i];
      a->chainId = chains[i];
      a->isWater = i == 2 || i == 3;
      a->isHetero = i == 4 || i == 5;
      row.emplace_back(1.5f * static_cast<float>(i), 0.0f, 0.0f);
    }
    kvscene::giveSpheroids(*molecule, row);
    mesh.molecule = molecule;
    GraphicsEngine::instance()->currentMesh = &mesh;
    history = addItem(tree, "H0#1a#bc");
    for (const char* part : {"A", "B", "WATER", "HETATM"}) {
      QTreeWidgetItem* item = addItem(tree, QString("PDB#1a#bc#%1#0").arg(part), history);
      item->setCheckState(0, Qt::Checked);
    }
  }
  void TearDown() override {
    GraphicsEngine::instance()->currentMesh = nullptr;
    scene.clear();   // the molecule, when the test put it on screen
    scene.purge(nullptr);
  }

  // Visible atoms as a string of 0 and 1, then "|" and the bonds.
  std::string shown() const {
    std::string s;
    for (const Atom* a : molecule->atoms) s += a->sphere->isVisible ? '1' : '0';
    s += '|';
    for (const Bond* b : molecule->bonds) s += b->spheroid->isVisible ? '1' : '0';
    return s;
  }

  void clickPart(int child, Qt::CheckState state) {
    QTreeWidgetItem* item = history->child(child);
    tree.setCurrentItem(item);
    item->setCheckState(0, state);
    tree.itemHasClicked(item, 0);
  }

  std::unique_ptr<Molecule> owned;   // until the test puts the molecule on screen
  Molecule* molecule = nullptr;
  Mesh mesh;
  Scene scene;
  QTreeWidgetItem* history = nullptr;
};

TEST_F(PdbParts, UntickingAPartHidesItsAtomsAndTheBondsItOwns) {
  const struct {
    int child;
    const char* hidden;
  } cases[] = {{0, "0011111|01011"},    // chain A: its atoms and every bond they have
               {2, "1100111|10111"},    // water
               {3, "1111001|11101"}};   // hetero: bonds from chain atoms stay
  for (const auto& c : cases) {
    clickPart(c.child, Qt::Unchecked);
    EXPECT_EQ(c.hidden, shown()) << c.child;
    clickPart(c.child, Qt::Checked);
    EXPECT_EQ("1111111|11111", shown()) << c.child;
  }
  EXPECT_TRUE(molecule->isTreeClicked);
}

TEST_F(PdbParts, HidingTheSelectionClearsItAndTheHistoryEntryShowsAll) {
  mesh.currentSpheroid = molecule->atoms[2]->sphere;
  clickPart(2, Qt::Unchecked);
  EXPECT_EQ(nullptr, mesh.currentSpheroid);
  clickPart(3, Qt::PartiallyChecked);   // partly ticked counts as shown
  EXPECT_EQ("1100111|10111", shown());

  tree.setCurrentItem(history);
  tree.itemHasClicked(history, 0);   // not in the scene: only the properties
  EXPECT_EQ(Qt::Unchecked, history->child(2)->checkState(0));
  scene.add(owned.release());
  tree.itemHasClicked(history, 0);
  EXPECT_EQ("1111111|11111", shown());
  for (int c = 0; c < history->childCount(); ++c)
    EXPECT_EQ(Qt::Checked, history->child(c)->checkState(0));
}

class PropertiesRows : public Trees {
 protected:
  void TearDown() override {
    MoleculeEngine::instance()->molecules.clear();
    MoleculeEngine::instance()->groups.clear();
    MoleculeEngine::instance()->history.clear();
  }
  std::vector<std::string> rows() const {
    std::vector<std::string> out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
      out.push_back(tree.topLevelItem(i)->text(0).toStdString() + "=" +
                    tree.topLevelItem(i)->text(1).toStdString());
    return out;
  }
};

TEST_F(PropertiesRows, EachKindShowsItsRows) {
  Molecule library, group, pdb;
  library.names = {"ethanol", "ethyl alcohol", "EtOH"};
  library.smiles = "CCO";
  library.numAtoms = 9;
  library.numBonds = 8;
  library.totalBondEnergy = 12.5f;
  library.hasApproximatedParameters = true;
  group.names = {"G1"};
  group.numAtoms = 8;
  group.numBonds = 7;
  group.numBondAxes = 2;
  group.totalBondEnergy = 12.5f;
  pdb.names = {"1abc"};
  pdb.displayName = "protein";
  pdb.isFromPdb = true;
  pdb.numAtoms = 200;
  pdb.dipoleMoment = 3.25f;
  pdb.hasDipoleMoment = false;   // as the PDB reader leaves a structure of 200 atoms
  MoleculeEngine* engine = MoleculeEngine::instance();
  engine->molecules.push_back(&library);
  engine->groups.push_back(&group);
  engine->history.push_back(&pdb);

  tree.updatePropertiesSlot(0, 0);
  EXPECT_EQ((std::vector<std::string>{"Name=ethanol", "Alternate Name=ethyl alcohol",
                                      "Alternate Name=EtOH", "SMILES=CCO", "Atoms=9", "Bonds=8",
                                      "Total Bond Energy=12.5000(ev)*",
                                      "Heat of Formation=0.0000(ev)*", "Dipole Moment=0.0000(D)"}),
            rows());
  tree.updatePropertiesSlot(1, 0);
  EXPECT_EQ((std::vector<std::string>{"Name=G1", "SMILES=", "Atoms=6", "Bonds=5",
                                      "Total Bond Energy=12.5000(ev)"}),
            rows());
  tree.updatePropertiesSlot(2, 0);
  EXPECT_EQ("Name=protein", rows().front());
  EXPECT_EQ("=", rows().back());   // no dipole for a PDB molecule of 200 atoms
  pdb.numAtoms = 199;
  pdb.hasDipoleMoment = true;
  tree.updatePropertiesSlot(2, 0);
  EXPECT_EQ("Dipole Moment=3.2500(D)", rows().back());
  // Values of a geometry whose optimisation stopped short of convergence say so in a row of
  // their own, after the values, for molecules and for groups alike.
  pdb.isUnconverged = true;
  tree.updatePropertiesSlot(2, 0);
  const std::vector<std::string> shown = rows();
  const std::vector<std::string> last4(shown.end() - 4, shown.end());
  EXPECT_EQ((std::vector<std::string>{"Total Bond Energy=0.0000(ev)",
                                      "Heat of Formation=0.0000(ev)", "Dipole Moment=3.2500(D)",
                                      "Geometry=not converged"}),
            last4);
  group.isUnconverged = true;
  tree.updatePropertiesSlot(1, 0);
  EXPECT_EQ("Total Bond Energy=12.5000(ev)|Geometry=not converged",
            rows()[rows().size() - 2] + "|" + rows().back());
  for (auto request : {std::make_pair(3, 0), std::make_pair(0, 1), std::make_pair(2, -1)}) {
    tree.updatePropertiesSlot(request.first, request.second);
    EXPECT_TRUE(rows().empty()) << request.first << " " << request.second;
  }
}

}  // namespace
