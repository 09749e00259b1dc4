// The road of one request through the running program: File > Open and the folder import,
// typed SMILES, the Work Space and properties trees, saving and exporting, New and Help. File
// dialogs and message boxes are answered from their own event loops. Needs an X server.

#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeWidgetItemIterator>
#include <QUrl>


#include "app/ConsoleWidget.h"
#include "dialogs/DihedralDialog.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/ErrorCapture.h"
#include "support/ModalAnswer.h"
#include "support/TextLines.h"
#include "tests/app/RunningShell.h"

namespace {

const char* const kTwoChains =   // a glycine's N and CA in chain A and in chain B
    "ATOM      1  N   GLY A   1       0.000   0.000   0.000  1.00  0.00           N\n"
    "ATOM      2  CA  GLY A   1       1.458   0.000   0.000  1.00  0.00           C\n"
    "ATOM      3  N   GLY B   1      10.000   0.000   0.000  1.00  0.00           N\n"
    "ATOM      4  CA  GLY B   1      11.458   0.000   0.000  1.00  0.00           C\n";

class Road : public kvshell::RoadShell {
 protected:
  static int lit(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) count += qGray(image.pixel(x, y)) > 40;
    return count;
  }
};

TEST_F(Road, OpenOfAMolFileShowsTheMoleculeAndItsProperties) {
  startSettled();
  const QRect centre(QRect(QPoint(), window->glWidget->size()).center() - QPoint(20, 20),
                     QSize(40, 40));
  EXPECT_EQ(0, lit(window->glWidget->grabFrame(), centre));
  EXPECT_EQ("Load Molecule|KV Files (*.kv);;MOL V2000 Files (*.mol);;MOL SD Files (*.sd);;"
            "MOL SD Files (*.sdf);;PDB Files (*.pdb);;SMILES Files (*.SMILES)",
            run(window->ui.actionLoadFile, KV_TEST_DATA_DIR "/mdl_ethanol.mol"));
  ASSERT_EQ(1u, library.history.size());
  const Molecule& read = *library.history[0];
  EXPECT_EQ("Parsing molecule ethanol", lines().at(1));
  EXPECT_EQ("Created molecule from MOL file     SMILES: " + read.smiles, lines().back());
  EXPECT_EQ(3, window->ui.MoleculeTabWidget->currentIndex());
  EXPECT_EQ("H0", dataOf(window->workSpaceTree->topLevelItem(0)));
  ASSERT_TRUE(framesShow(1));
  EXPECT_GT(lit(window->glWidget->grabFrame(), centre), 100);
  EXPECT_EQ(0u, rows().find("Name=ethanol|"));
  EXPECT_NE(std::string::npos, rows().find("|SMILES=" + read.smiles + "|Atoms=" +
                                           std::to_string(read.numAtoms) + "|"));
}

TEST_F(Road, TypedSmilesGoOnScreenAndBadOnesAreRefused) {
  startSettled();
  enter("c1ccccc1");
  EXPECT_EQ("|Parsing c1ccccc1", lines().at(0) + "|" + lines().at(1));
  EXPECT_EQ("Created molecule from SMILES: c1ccccc1", lines().back());
  EXPECT_TRUE(window->ui.smileEdit->text().isEmpty());
  EXPECT_EQ("H0", dataOf(window->workSpaceTree->currentItem()));
  ASSERT_TRUE(framesShow(1));
  EXPECT_NE(std::string::npos, rows().find("|Atoms=12|Bonds=12|"));

  kvtest::answerNextModal([](QWidget* modal) {
    EXPECT_EQ("This smiles can not be parsed", static_cast<QMessageBox*>(modal)->text());
    static_cast<QMessageBox*>(modal)->accept();
  });
  enter("C1CC(");
  enter("");   // one more entry in the box, nothing else
  QStringList entries;
  for (int i = 0; i < window->ui.smilesBox->count(); ++i)
    entries << window->ui.smilesBox->itemText(i);
  EXPECT_EQ((QStringList{"", "C1CC(", "c1ccccc1"}), entries);
  EXPECT_EQ(1u, library.history.size());
  EXPECT_EQ(1, window->workSpaceTree->topLevelItemCount());
}

TEST_F(Road, ListFilesHangTheirMoleculesInAFolder) {
  startSettled();
  const QString sd = file("a.SDF", kvtest::readFile(KV_TEST_DATA_DIR "/mdl_three_records.sdf"));
  run(window->ui.actionLoadFile, sd);
  EXPECT_EQ("Parsing sdf File " + sd.toStdString() + ", Please Wait...", lines().front());
  EXPECT_EQ(0u, lines().back().find("    3 Molecules Loaded in     0 hours     0 minutes "));
  EXPECT_EQ("    2 Molecules Loaded in     0 hours     1 minutes 15.250 seconds.",
            KestavorGUI::loadTimingLine(2, 75250));
  const QTreeWidgetItem* sdFolder = window->workSpaceTree->topLevelItem(0);
  EXPECT_EQ("a|_folder", sdFolder->text(0).toStdString() + "|" + dataOf(sdFolder));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ("H" + std::to_string(i) + "#" + library.history[i]->getName(),
              dataOf(sdFolder->child(i)));
  EXPECT_TRUE(framesShow(1));

  const QString pdb = file("two.pdb", kTwoChains);
  run(window->ui.actionLoadFile, pdb);
  EXPECT_EQ("Created molecule from PDB file two", *(lines().end() - 2));
  QTreeWidgetItem* protein = window->workSpaceTree->topLevelItem(1)->child(0);
  EXPECT_EQ("PDB#two_0#A#3|PDB#two_0#B#3",
            dataOf(protein->child(0)) + "|" + dataOf(protein->child(1)));
  ASSERT_TRUE(framesShow(2));
  // A click on chain A's box while another item is current: A goes, and comes back.
  const Molecule* shown = GraphicsEngine::instance()->currentMesh->molecule;
  window->workSpaceTree->expandAll();
  const QRect box = window->workSpaceTree->visualItemRect(protein->child(0));
  for (const bool visible : {false, true}) {
    QTest::mouseClick(window->workSpaceTree->viewport(), Qt::LeftButton, {},
                      QPoint(box.left() + 8, box.center().y()));
    for (const Atom* a : shown->atoms)
      EXPECT_EQ(a->chainId != "A" || visible, a->sphere->isVisible) << a->name;
  }

  // Nothing read: a line names the file, and nothing joins the scene or the trees.
  for (const QString& nothing :
       {QString(KV_TEST_DATA_DIR "/mdl_crash_truncated_atoms.mol"), file("x.txt", "C")}) {
    run(window->ui.actionLoadFile, nothing);
    EXPECT_EQ(0u, lines().back().find("Nothing loaded from " + nothing.toStdString()));
  }
  run(window->ui.actionImportDirectory, QTemporaryDir().path());
  EXPECT_EQ(0u, lines().back().find("    0 Molecules Loaded in "));
  EXPECT_EQ(4u, library.history.size());
  EXPECT_EQ(2, window->workSpaceTree->topLevelItemCount());
}

// Open reads every file type kvtool reads, by the last extension of the name alone: a .SMI file
// is a SMILES file, and a PDB file in a folder named x.molecules is a PDB file.
TEST_F(Road, OpenTakesTheTypeOfTheNamesLastExtension) {
  startSettled();
  const QString smi = file("a.SMI", "CCO ethanol\nCCC propane\n");
  run(window->ui.actionLoadFile, smi);
  EXPECT_EQ("Parsing SMILES file, Please Wait..." + smi.toStdString(), lines().front());
  EXPECT_EQ(2u, library.history.size());
  ASSERT_TRUE(QDir(folder.path()).mkdir("x.molecules"));
  const QString pdb = file("x.molecules/two.PDB", kTwoChains);
  run(window->ui.actionLoadFile, pdb);
  EXPECT_EQ("Finished parsing PDB file " + pdb.toStdString(), lines().back());
  EXPECT_EQ(3u, library.history.size());
}

TEST_F(Road, TabsLabelsNewEntriesAndDoubleClicks) {
  start();
  EXPECT_EQ("Name=|SMILES=|Atoms=|Bonds=|Total Bond Energy=|", rows());
  const char* const created[][2] = {
      {"ring~7", "H7 ring"}, {"ring7", "none"}, {"a~b~7", "H7 a~b"},
      {"ring~x", "none"},    {"ring~-1", "none"}, {"ring~", "none"}};
  for (const auto& c : created) {
    window->workSpaceTree->clear();
    window->MoleculeCreated(std::string(c[0]));
    const QTreeWidgetItem* item = window->workSpaceTree->topLevelItem(0);
    EXPECT_EQ(c[1], dataOf(item) + (item ? " " + item->text(0).toStdString() : "")) << c[0];
  }

  // A double-click on a group adds nothing while the camera glides home, and the group once the
  // glide is over. Reset Camera sets off the glide (with the start-up glide's lock) just before
  // the click, so the lock is on when the click arrives; the start-up glide itself may be over by
  // then on a loaded machine. The click is a user's, on the Functional Groups page shown.
  window->ui.MoleculeTabWidget->setCurrentWidget(window->groupTree->parentWidget());
  QTreeWidgetItemIterator group(window->groupTree);
  while (*group != nullptr && dataOf(*group) == "_folder") ++group;
  ASSERT_NE(nullptr, *group);
  QSignalSpy doubleClicked(window->groupTree, &QTreeWidget::itemDoubleClicked);
  QPoint at;
  ASSERT_TRUE(shownItemCentre(window->groupTree, *group, at));
  window->ui.actionReset_Camera->trigger();
  doubleClick(window->groupTree->viewport(), at);
  EXPECT_EQ(1, doubleClicked.count()) << "the double-click reached the tree's item";
  // Neither waiting for the view nor taken over by a frame the console line let run.
  EXPECT_TRUE(!window->glWidget->moleculePending && GraphicsEngine::instance()->meshes.empty());
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 20000));
  ASSERT_TRUE(shownItemCentre(window->groupTree, *group, at));
  doubleClick(window->groupTree->viewport(), at);
  EXPECT_TRUE(framesShow(1));
}

TEST_F(Road, SavesAndExportsWriteOnlyWhatTheirNamesAsk) {
  startSettled();
  EXPECT_EQ("none", run(window->ui.actionSaveFile, file("e.kv")));   // nothing selected
  enter("CCO");
  ASSERT_TRUE(framesShow(1));
  EXPECT_EQ("Save Molecule|KV Files (*.kv);;MOL V2000 Files (*.mol);;PDB Files (*.pdb)",
            run(window->ui.actionSaveFile, file("e.kv")));
  std::string refused;   // the box that tells e.sdf was not written
  kvtest::answerNextMessageBox([&refused](QMessageBox* box) {
    refused = box->text().toStdString();
    box->close();
  });
  for (const char* name : {"e.MOL", "e.sdf", "scene", "scene.POV"})
    run(name[0] == 'e' ? window->ui.actionSaveFile : window->ui.actionExportPov, file(name));
  EXPECT_EQ(0u, refused.find("Nothing written to " + file("e.sdf").toStdString())) << refused;
  EXPECT_NE(std::string::npos, kvtest::readFile(file("e.kv").toStdString()).find("#ATOMS"));
  EXPECT_NE(std::string::npos, kvtest::readFile(file("e.MOL").toStdString()).find("V2000"));
  EXPECT_NE(std::string::npos, window->console->toPlainText().toStdString().find(
                                   "Nothing written to " + file("e.sdf").toStdString()));

  // A camera written out and read into no cameras: the view jumps to it.
  GraphicsEngine& engine = *GraphicsEngine::instance();
  engine.globalTranslation = SSEVector4f(1.0f, 2.0f, -50.0f);
  engine.setRotation(Quaternion());
  window->ui.actionSave_Camera->trigger();
  run(window->ui.actionExportSavedCameras, file("c.cam"));
  engine.eraseAllCameras();
  engine.globalTranslation.z = -120.0f;
  run(window->ui.actionImportSavedCameras, file("c.cam"));
  EXPECT_FLOAT_EQ(-50.0f, engine.globalTranslation.z);

  // Ethanol again at the top of the view: the picture's top rows show it, its bottom none.
  window->glWidget->addMoleculeFromLibrary("H0", QPoint(window->glWidget->width() / 2, 40));
  ASSERT_TRUE(framesShow(2));
  for (const char* name : {"shot.png", "shot.PNG", "shot"})
    run(window->ui.actionScreenshot, file(name));
  const QImage shot(file("shot.png"));
  ASSERT_EQ(window->glWidget->size(), shot.size());
  EXPECT_GT(lit(shot, QRect(0, 0, shot.width(), 80)), 100);
  EXPECT_EQ(0, lit(shot, QRect(0, shot.height() - 80, shot.width(), 80)));

  EXPECT_EQ("Import Mesh|OBJ Files (*.obj)", run(window->ui.actionImportOBJ, file("e.kv")));
  EXPECT_EQ("Export Mesh|OBJ Files (*.obj)", run(window->ui.actionExportOBJ, file("m.obj")));
  EXPECT_EQ((QStringList{"c.cam", "e.MOL", "e.kv", "scene.POV", "scene.pov", "shot.png"}),
            QDir(folder.path()).entryList(QDir::Files, QDir::Name));
}

// Save answered with the name it proposes (the molecule's, no extension) and one filter: the
// file of that filter is written. A writer that fails says so in a box over the main window.
TEST_F(Road, SaveWithTheProposedNameWritesTheChosenFiltersFile) {
  startSettled();
  enter("CCO");
  ASSERT_TRUE(framesShow(1));
  const std::string name = library.history.at(0)->getName();
  run(window->ui.actionSaveFile, file("first.kv"));   // the dialog now starts in the folder
  auto saveAsProposed = [this](const QString& filter) {
    QString proposed;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer.stop();
      dialog->selectNameFilter(filter);
      proposed = dialog->selectedFiles().value(0);
      static_cast<QDialog*>(dialog)->accept();
    });
    timer.start(5);
    window->ui.actionSaveFile->trigger();
    return proposed.toStdString();
  };
  EXPECT_EQ(file(name.c_str()).toStdString(), saveAsProposed("MOL V2000 Files (*.mol)"));
  EXPECT_NE(std::string::npos,
            kvtest::readFile(file((name + ".mol").c_str()).toStdString()).find("V2000"));
  saveAsProposed("KV Files (*.kv)");
  EXPECT_NE(std::string::npos,
            kvtest::readFile(file((name + ".kv").c_str()).toStdString()).find("#ATOMS"));
  EXPECT_FALSE(QFileInfo::exists(file(name.c_str())));
  EXPECT_EQ("e.kv|e.mol", (KestavorGUI::savedFileName("e", "") + "|" +
                           KestavorGUI::savedFileName("e", "MOL V2000 Files (*.mol)"))
                              .toStdString());

  const QString blocked = folder.filePath("missing/e.pdb");
  QWidget* parent = nullptr;
  std::string text;
  kvtest::answerNextMessageBox([&](QMessageBox* box) {
    parent = box->parentWidget();
    text = box->text().toStdString();
    box->close();
  });
  run(window->ui.actionSaveFile, blocked);
  EXPECT_EQ(window.get(), parent);
  EXPECT_EQ("Nothing written to " + blocked.toStdString() + ": the molecule could not be written",
            text);
  EXPECT_EQ("Nothing written to " + blocked.toStdString() + ": the molecule could not be written",
            lines().back());
}

// A clone made in the view and a molecule made by the profiler's Create Molecule are listed in
// the Work Space as every new molecule is.
TEST_F(Road, ClonesAndProfilerMoleculesJoinTheWorkSpace) {
  startSettled();
  enter("CCCC");
  ASSERT_TRUE(framesShow(1));
  window->glWidget->cloneMoleculeAction->trigger();   // as the molecule menu does
  ASSERT_TRUE(framesShow(2));
  ASSERT_EQ(2u, library.history.size());
  ASSERT_EQ(2, window->workSpaceTree->topLevelItemCount());
  EXPECT_EQ("H1", dataOf(window->workSpaceTree->topLevelItem(1)));
  EXPECT_EQ(library.history[1]->getName(),
            window->workSpaceTree->topLevelItem(1)->text(0).toStdString());

  DihedralDialog& profiler = window->dihedralDialog;
  profiler.launchDihedralDialog(library.history[0]->copyGraph(), 0, 1, 2, 3, "180.0");
  profiler.ui.dihedralEdit->setText("60");
  profiler.ui.drawButton->click();
  ASSERT_TRUE(framesShow(3));
  ASSERT_EQ(3u, library.history.size());
  ASSERT_EQ(3, window->workSpaceTree->topLevelItemCount());
  EXPECT_EQ("H2", dataOf(window->workSpaceTree->currentItem()));
  EXPECT_EQ(3, window->ui.MoleculeTabWidget->currentIndex());
  profiler.reSet();
}

// Started in a folder without the library, the program finds it above its executable or, for a
// build folder outside the source tree, in the tree it was built from: the trees fill, the
// pictures and the help page come from there too.
TEST_F(Road, TheLibraryIsFoundOutsideTheWorkingFolder) {
  QDir::setCurrent(folder.path());
  startSettled();
  EXPECT_GT(window->groupTree->topLevelItemCount(), 0);
  EXPECT_GT(window->moleculeTree->topLevelItemCount(), 0);
  EXPECT_NE(nullptr, GraphicsEngine::instance()->font) << "Resources/font.fnt";
  QTextBrowser desktop;
  QDesktopServices::setUrlHandler("file", &desktop, "setSource");
  window->ui.actionView_Help_File->trigger();
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_EQ(QFileInfo(KV_SOURCE_DIR "/Help/index.html").canonicalFilePath(),
            QFileInfo(desktop.source().toLocalFile()).canonicalFilePath());
  EXPECT_EQ(folder.path(), QDir::currentPath()) << "the working folder stays the user's";
}

TEST_F(Road, NewAsksAndThenEmptiesTheWorkspace) {
  startSettled();
  enter("CCO");
  const Ui_KestavorGUIClass& ui = window->ui;
  ui.EditBondOrder->setChecked(true);
  ui.MeasureAngleButton->setEnabled(false);
  const std::vector<std::string> printed = lines();
  for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
    kvtest::answerNextModal([answer](QWidget* modal) {
      auto* box = static_cast<QMessageBox*>(modal);
      EXPECT_EQ("Create New Workspace?|Are you sure you want to open a new workspace and lose all "
                "unsaved work?", (box->windowTitle() + "|" + box->text()).toStdString());
      box->button(answer)->click();
    });
    ui.actionNew->trigger();
    if (answer == QMessageBox::No) {
      EXPECT_TRUE(printed == lines() && ui.EditBondOrder->isChecked() &&
                  window->workSpaceTree->topLevelItemCount() == 1);
    }
  }
  EXPECT_TRUE(window->console->toPlainText().isEmpty());
  EXPECT_EQ(1, ui.MoleculeTabWidget->currentIndex());
  EXPECT_EQ(0, window->workSpaceTree->topLevelItemCount());
  EXPECT_EQ("SMILES", window->workSpaceTree->headerItem()->text(0).toStdString());
  EXPECT_TRUE(!ui.EditBondOrder->isChecked() && ui.MeasureAngleButton->isEnabled() &&
              ui.ViewButton->isEnabled());
  EXPECT_TRUE(library.history.empty() && framesShow(0));

  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 20000));
  enter("CCO");
  EXPECT_EQ("1>   ", window->console->toPlainText().left(5).toStdString());
  QTreeWidgetItem* entry = window->workSpaceTree->topLevelItem(0);
  EXPECT_EQ("H0", dataOf(entry));
  // The new tree reports its entries to the properties tree as the first one did.
  ui.MoleculeTabWidget->setCurrentIndex(0);
  window->workSpaceTree->setCurrentItem(nullptr);
  window->workSpaceTree->setCurrentItem(entry);
  EXPECT_NE(std::string::npos, rows().find("SMILES=" + library.history.at(0)->smiles + "|"));
}

TEST_F(Road, HelpOpensTheLocalPageOrSaysItFailed) {
  start();
  QTextBrowser desktop;   // the desktop's browser, for file addresses
  QDesktopServices::setUrlHandler("file", &desktop, "setSource");
  window->ui.actionView_Help_File->trigger();
  EXPECT_EQ(QUrl::fromLocalFile(KV_SOURCE_DIR "/Help/index.html"), desktop.source());
  QDesktopServices::setUrlHandler("file", &desktop, "refuse");   // no such slot: a failure
  kvtest::ErrorCapture errors;
  window->ui.actionView_Help_File->trigger();
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_EQ(std::vector<std::string>{"Help File Launch Failed"}, errors.lines);
}

}  // namespace
