// The view's commands on whole molecules: library drops, the molecule menu and the bond-axis
// choice, delete, cloning and the bond-energy line. A new workspace is in FrameLoopTest.cpp.
#include <QMenu>
#include <QTimer>

#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Spheroid.h"
#include "support/BadTreeEntries.h"
#include "support/ErrorCapture.h"
#include "tests/view/ViewHost.h"

namespace {

using namespace kvview;

class ViewCommands : public SettledView {
 protected:
  // The molecule menu's texts as it opens, "-" for a separator.
  QStringList menuEntries() {
    QStringList texts;
    QTimer::singleShot(0, [&texts] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      for (QAction* a : menu->actions()) texts << (a->isSeparator() ? "-" : a->text());
      menu->close();
    });
    view->createMoleculeContextMenu(view->mapToGlobal(QPoint(10, 10)));
    return texts;
  }
};

}  // namespace

TEST_F(ViewCommands, LibraryDropsLandOnTheEyeRayAndSayWhatTheyMade) {
  library.groups.push_back(read(kMethyl));
  library.molecules.push_back(read(kEthanol));
  library.molecules[0]->isOptimized = true;
  library.history = {read(kEthanol), read(kEthanol), read(kMethyl)};
  const Molecule& ethanol = *library.molecules[0];
  const QPoint at(100, 300);
  const struct {
    const char* command;
    float distance;
    std::string line;
  } drops[] = {
      {"F0", 10.0f, "Created: Methyl"},
      {"H0", 40.0f, "Created molecule\tSMILES: " + ethanol.smiles},
      {"M0", 40.0f, "Created: " + ethanol.getName() + "     SMILES: " + ethanol.smiles},
  };
  kvtest::ConsoleCapture console(1);
  for (const auto& d : drops) {
    drop(d.command, at);
    EXPECT_NEAR(0.0f, (engine.currentMesh->position - alongRay(d.distance, at)).length(), 1e-3f)
        << d.command;
    EXPECT_EQ(d.line, console.lines.back()) << d.command;
  }
  drop("H2#METHYL", at);
  EXPECT_TRUE(library.workspace.back() != library.history[2] &&
              library.workspace.back()->getName() == library.history[2]->getName());

  const size_t meshes = engine.meshes.size(), lines = console.lines.size();
  for (const char* nothing : {"_folder", "PDB#X#A#0", "Hello", "M", "M9", "F4294967296", ""})
    drop(nothing, at);
  for (const char* bad : kvtest::kBadTreeEntries) drop(bad, at);
  EXPECT_EQ(meshes, engine.meshes.size());
  EXPECT_EQ(lines, console.lines.size());
}

TEST_F(ViewCommands, DroppingALibraryMoleculeNotOptimisedAddsAnOptimisedCopy) {
  for (int i = 0; i < 4; ++i) library.molecules.push_back(read(kEthanol));
  Molecule* entry = library.molecules[3];
  entry->isOptimized = false;
  entry->positions[1].x += 0.3f;   // strained, so the optimisation moves atoms
  const std::vector<SSEVector4f> kept = entry->positions;
  drop("M3", QPoint(kWidth / 2, kHeight / 2));
  Molecule* added = library.workspace.back();
  EXPECT_TRUE(added != entry && added->isOptimized && !entry->isOptimized);
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i].x, entry->positions[i].x) << i;
  EXPECT_NE(kept[1].x, added->positions[1].x);
}

// A library molecule whose optimisation the set-up chain refuses (the trans-bridged tropine's
// labels put a bridgehead inside its cage) is not placed; the console says why.
TEST_F(ViewCommands, ALibraryMoleculeTheChainRefusesIsNotPlaced) {
  Molecule* entry = SmilesParser().smilesToGraph("CN1[C@@H]2CC[C@@H]1CC(C2)O");
  ASSERT_NE(nullptr, entry);
  library.molecules.push_back(entry);
  const size_t meshes = engine.meshes.size(), placed = library.workspace.size();
  kvtest::ErrorCapture errors;
  drop("M0", QPoint(kWidth / 2, kHeight / 2));
  EXPECT_EQ(meshes, engine.meshes.size());
  EXPECT_EQ(placed, library.workspace.size());
  ASSERT_FALSE(errors.lines.empty());
  EXPECT_NE(std::string::npos, errors.lines.back().find("has no sound geometry and is not placed"))
      << errors.text();
  EXPECT_FALSE(entry->isOptimized);
}

TEST_F(ViewCommands, TheMoleculeMenuOffersJoiningOnlyWithBothBondAxesChosen) {
  Mesh* a = show(kMethyl, SSEVector4f());
  Mesh* b = show(kMethyl, SSEVector4f(10.0f, 0.0f, 0.0f));
  const QStringList head = {
      "&Molecule Operations", "&    Show Molecule Info in Console", "&    Move to Molecule",
      "&    Reset Global Position", "&    Reset Rotation", "&    Clone Molecule",
      "&    Delete Molecule", "-", "&Join Operations", "&    Set Bond Axis 1",
      "&    Set Bond Axis 2"};
  const QStringList tail = {"-", "&Spheroid Operations", "&    Show Bond Energy in Console", "-"};
  const QString join = "&    Join Bond Axis 2 to Bond Axis 1";
  const QString clear = "&    Clear Bond Axes Selections";
  EXPECT_EQ(head + tail, menuEntries());

  engine.setCurrentMesh(a);
  a->currentSpheroid = ofKind(a, SpheroidKind::AtomSphere);
  view->setBondAxis1Action->trigger();
  EXPECT_EQ(nullptr, view->firstSelectedSpheroid) << "an atom is no bond axis";
  a->currentSpheroid = ofKind(a, SpheroidKind::OpenBondAxis);
  view->setBondAxis1Action->trigger();
  EXPECT_EQ((head + QStringList{clear} + tail), menuEntries());
  view->setBondAxis2Action->trigger();
  EXPECT_TRUE(view->firstSelectedSpheroid == nullptr &&
              view->secondSelectedSpheroid == a->currentSpheroid) << "one axis is not both";
  engine.setCurrentMesh(b);
  b->currentSpheroid = ofKind(b, SpheroidKind::OpenBondAxis);
  view->setBondAxis1Action->trigger();
  EXPECT_EQ((head + QStringList{join, clear} + tail), menuEntries());
}

TEST_F(ViewCommands, DeleteTakesTheMoleculeAndItsMarksAndLeavesMeshPicking) {
  Mesh* kept = show(kEthanol, SSEVector4f());
  Mesh* doomed = show(kEthanol, SSEVector4f(8.0f, 0.0f, 0.0f));
  for (Molecule* m : {kept->molecule, doomed->molecule}) {
    m->isEdited = true;
    m->atoms[0]->editMark = 1;
    view->atomsToDelete[m] = {m->atoms[0]};
    view->bondsToDelete[m] = {m->bonds[0]};
    view->savedBondOrders[m->bonds[0]] = 1;
  }
  view->secondSelectedSpheroid = doomed->molecule->bonds[1]->spheroid;
  kvtest::ConsoleCapture console(1);
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(std::vector<Mesh*>{kept}, engine.meshes);
  EXPECT_TRUE(engine.currentMesh == nullptr && view->secondSelectedSpheroid == nullptr);
  EXPECT_TRUE(view->atomsToDelete.size() == 1 && view->atomsToDelete.count(kept->molecule) == 1);
  EXPECT_TRUE(view->bondsToDelete.size() == 1 && view->bondsToDelete.count(kept->molecule) == 1);
  EXPECT_EQ((QList<Bond*>{kept->molecule->bonds[0]}), view->savedBondOrders.keys());
  EXPECT_EQ(std::vector<std::string>{"Molecule Deleted"}, console.lines);
  EXPECT_TRUE(view->pickState == MeshButton && math.pickMode == 1 && engine.meshPickActive);
  frame();   // the kept molecule's marks are still drawn
}

// Deleting spheroids one by one from the first molecule: each goes from the mesh and from its
// record; with the last one the molecule has nothing left to show and leaves the scene with its
// mesh. A mesh taken off the list behind the scene's back stayed with its molecule in the
// workspace, and File > New then lost it.
TEST_F(ViewCommands, DeletingTheLastSpheroidOfTheFirstMoleculeTakesItOffTheScene) {
  Mesh* first = show(kMethyl, SSEVector4f());
  Mesh* second = show(kMethyl, SSEVector4f(8.0f, 0.0f, 0.0f));
  engine.setCurrentMesh(first);
  const Atom* carbon = first->molecule->atoms[0];
  first->currentSpheroid = carbon->sphere;
  Spheroid* axis = ofKind(first, SpheroidKind::OpenBondAxis);
  const Bond* axisBond = static_cast<const Bond*>(axis->owner);
  view->firstSelectedSpheroid = axis;
  kvtest::ConsoleCapture console(1);
  call("deleteSpheroid");
  EXPECT_TRUE(carbon->sphere == nullptr && first->currentSpheroid == nullptr);
  EXPECT_EQ(first->molecule->atoms.size() + first->molecule->bonds.size() - 1,
            first->spheroids.size());
  first->currentSpheroid = axis;
  call("deleteSpheroid");
  EXPECT_TRUE(axisBond->spheroid == nullptr && view->firstSelectedSpheroid == nullptr);
  for (size_t left = first->spheroids.size(); left > 0; --left) {
    first->currentSpheroid = first->spheroids.back();
    call("deleteSpheroid");
  }
  EXPECT_EQ(std::vector<Mesh*>{second}, engine.meshes);
  EXPECT_EQ(std::deque<Molecule*>{second->molecule}, library.workspace);
  EXPECT_EQ(nullptr, engine.currentMesh);
  EXPECT_EQ(std::vector<std::string>{"Molecule Deleted"}, console.lines);
  frame();
}

TEST_F(ViewCommands, ACloneAppearsBesideItsSourceAndBecomesCurrent) {
  Mesh* source = show(kEthanol, SSEVector4f(1.0f, 2.0f, 3.0f));
  call("cloneMesh");
  frame();
  ASSERT_EQ(2u, engine.meshes.size());
  Mesh* copy = engine.currentMesh;
  EXPECT_TRUE(copy != source && copy->molecule != source->molecule);
  EXPECT_FLOAT_EQ(1.0f + source->size, copy->position.x);
}

TEST_F(ViewCommands, ASelectedBondPrintsItsEnergy) {
  Mesh* mesh = show(kEthanol, SSEVector4f());
  kvtest::ConsoleCapture console(1);
  mesh->currentSpheroid = ofKind(mesh, SpheroidKind::AtomSphere);
  view->showBondEnergyAction->trigger();
  EXPECT_TRUE(console.lines.empty()) << "an atom has no bond energy";
  mesh->currentSpheroid = ofKind(mesh, SpheroidKind::BondOrbital);
  view->showBondEnergyAction->trigger();
  const QString energy =
      QString::number(static_cast<Bond*>(mesh->currentSpheroid->owner)->energy, 'f', 4);
  EXPECT_EQ(std::vector<std::string>{"Selected bond has energy: " + energy.toStdString() + "(ev)"},
            console.lines);
}
