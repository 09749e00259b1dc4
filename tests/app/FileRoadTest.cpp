// The road of one request through the running program: files opened through File > Open and
// the folder import, typed SMILES, the Work Space and properties trees, saving and exporting,
// New and Help. File dialogs and message boxes are answered from their own event loops. Needs
// an X server.

#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ConsoleWidget.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/CameraLoader.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/ErrorCapture.h"
#include "support/ModalAnswer.h"
#include "support/TextLines.h"
#include "tests/app/RunningShell.h"

namespace {

// Two glycines, one in chain A and one in chain B.
const char* const kTwoChains =
    "ATOM      1  N   GLY A   1       0.000   0.000   0.000  1.00  0.00           N\n"
    "ATOM      2  CA  GLY A   1       1.458   0.000   0.000  1.00  0.00           C\n"
    "ATOM      3  C   GLY A   1       2.009   1.420   0.000  1.00  0.00           C\n"
    "ATOM      4  O   GLY A   1       1.251   2.390   0.000  1.00  0.00           O\n"
    "TER\n"
    "ATOM      5  N   GLY B   1      10.000   0.000   0.000  1.00  0.00           N\n"
    "ATOM      6  CA  GLY B   1      11.458   0.000   0.000  1.00  0.00           C\n"
    "ATOM      7  C   GLY B   1      12.009   1.420   0.000  1.00  0.00           C\n"
    "ATOM      8  O   GLY B   1      11.251   2.390   0.000  1.00  0.00           O\n"
    "END\n";

class Road : public kvshell::RunningShell {
 protected:
  // The program once the start-up glide is over, as the user first meets it.
  void startSettled() {
    start();
    GraphicsEngine::instance()->showFPS = false;   // nothing but the scene in the pixels
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 20000));
  }

  // Runs the call, answering the file dialog it opens with the path (empty cancels). Returns
  // the dialog's caption and filters, or "none" when it opened none.
  static std::string withFileAnswer(const std::function<void()>& call, const QString& path) {
    std::string shown = "none";
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer.stop();
      shown = (dialog->windowTitle() + "|" + dialog->nameFilters().join(";;")).toStdString();
      if (path.isEmpty()) return dialog->reject();
      dialog->selectFile(path);
      static_cast<QDialog*>(dialog)->accept();   // the dialog checks the name as an OK does
    });
    timer.start(5);
    call();
    return shown;
  }
  std::string run(QAction* action, const QString& path) {
    return withFileAnswer([action] { action->trigger(); }, path);
  }
  QString file(const char* name, const std::string& text = std::string()) const {
    const QString path = folder.filePath(name);
    if (!text.empty()) std::ofstream(path.toStdString()) << text;
    return path;
  }
  static QString data(const char* name) { return QString(KV_TEST_DATA_DIR "/") + name; }

  // The console's lines without their numbers.
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    for (const std::string& line : kvtest::linesOf(window->console->toPlainText().toStdString()))
      out.push_back(std::regex_replace(line, std::regex("^\\d+>   "), ""));
    return out;
  }
  std::map<std::string, std::string> properties() const {
    std::map<std::string, std::string> rows;
    for (int i = 0; i < window->propertiesTree->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* row = window->propertiesTree->topLevelItem(i);
      rows[row->text(0).toStdString()] = row->text(1).toStdString();
    }
    return rows;
  }
  static std::string dataOf(const QTreeWidgetItem* item) {
    return item->data(0, Qt::UserRole).toString().toStdString();
  }
  // Waits until the view has taken the molecules handed over and shows `meshes` of them.
  bool framesShow(size_t meshes) {
    return QTest::qWaitFor([this, meshes] {
      return !window->glWidget->moleculePending &&
             GraphicsEngine::instance()->meshes.size() == meshes;
    });
  }
  // Lit pixels in the middle of the view.
  int litCentre() {
    const QImage frame = window->glWidget->grabFrame();
    int lit = 0;
    for (int y = frame.height() / 2 - 20; y < frame.height() / 2 + 20; ++y)
      for (int x = frame.width() / 2 - 20; x < frame.width() / 2 + 20; ++x)
        lit += qGray(frame.pixel(x, y)) > 40;
    return lit;
  }

  // A typed SMILES string, entered as the user does, and its frame.
  void enter(const char* smiles) {
    QTest::keyClicks(window->ui.smilesBox, smiles);   // keys reach the edit through the box
    QTest::keyClick(window->ui.smilesBox, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->moleculePending; }));
  }
  bool exists(const char* name) const { return QFileInfo::exists(folder.filePath(name)); }

  QTemporaryDir folder;
  MoleculeEngine& library = *MoleculeEngine::instance();
};

// Takes the desktop's file addresses in place of a browser.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  QUrl opened;

 public slots:
  void open(const QUrl& url) { opened = url; }
};

TEST_F(Road, OpenOfAMolFileShowsTheMoleculeAndItsProperties) {
  startSettled();
  EXPECT_EQ(0, litCentre());
  QMenuBar* bar = window->ui.menuBar;
  QTest::mouseClick(bar, Qt::LeftButton, {},
                    bar->actionGeometry(window->ui.menuFile->menuAction()).center());
  QMenu* menu = window->ui.menuFile;
  ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
  EXPECT_EQ("Load Molecule|KV Files (*.kv);;MOL V2000 Files (*.mol);;MOL SD Files (*.sd);;"
            "MOL SD Files (*.sdf);;PDB Files (*.pdb);;SMILES Files (*.SMILES)",
            withFileAnswer([menu, this] {
              QTest::mouseClick(menu, Qt::LeftButton, {},
                                menu->actionGeometry(window->ui.actionLoadFile).center());
            }, data("mdl_ethanol.mol")));

  ASSERT_EQ(1u, library.history.size());
  const std::string smiles = library.history[0]->smiles;
  const std::vector<std::string> printed = lines();
  ASSERT_GE(printed.size(), 2u);
  EXPECT_EQ("Parsing molecule ethanol", printed[1]);
  EXPECT_EQ("Created molecule from MOL file     SMILES: " + smiles, printed.back());
  EXPECT_EQ(3, window->ui.MoleculeTabWidget->currentIndex());
  ASSERT_EQ(1, window->workSpaceTree->topLevelItemCount());
  EXPECT_EQ("H0", dataOf(window->workSpaceTree->topLevelItem(0)));

  ASSERT_TRUE(framesShow(1));
  EXPECT_GT(litCentre(), 100);
  const Molecule& shown = *library.workspace.at(0);
  std::map<std::string, std::string> rows = properties();
  EXPECT_EQ("ethanol", rows["Name"]);
  EXPECT_EQ(shown.names.size() > 1, rows.count("Alternate Name") == 1);
  EXPECT_EQ(smiles, rows["SMILES"]);
  EXPECT_EQ(std::to_string(shown.numAtoms), rows["Atoms"]);
  EXPECT_EQ(std::to_string(shown.numBonds), rows["Bonds"]);
  for (const char* energy : {"Total Bond Energy", "Heat of Formation"})
    EXPECT_TRUE(std::regex_match(rows[energy], std::regex("-?\\d+\\.\\d{4}\\(ev\\)\\*?")))
        << rows[energy];
  EXPECT_TRUE(QString::fromStdString(rows["Dipole Moment"]).endsWith("(D)"));
}

TEST_F(Road, TypedSmilesGoOnScreenAndBadOnesAreRefused) {
  startSettled();
  QLineEdit* edit = window->ui.smileEdit;
  QComboBox* box = window->ui.smilesBox;   // keys reach the edit through the box, its focus
  QTest::keyClicks(box, "c1ccccc1");
  QTest::keyClick(box, Qt::Key_Return);
  std::vector<std::string> printed = lines();
  ASSERT_GE(printed.size(), 3u);
  EXPECT_EQ("", printed[0]);
  EXPECT_EQ("Parsing c1ccccc1", printed[1]);
  EXPECT_EQ("Created molecule from SMILES: c1ccccc1", printed.back());
  EXPECT_TRUE(edit->text().isEmpty());
  EXPECT_EQ(1, box->count());
  EXPECT_EQ("c1ccccc1", box->itemText(0).toStdString());
  EXPECT_EQ(-1, box->currentIndex());
  ASSERT_NE(nullptr, window->workSpaceTree->currentItem());
  EXPECT_EQ("H0", dataOf(window->workSpaceTree->currentItem()));
  EXPECT_EQ(3, window->ui.MoleculeTabWidget->currentIndex());
  ASSERT_TRUE(framesShow(1));
  EXPECT_EQ("12", properties()["Atoms"]);
  EXPECT_EQ("12", properties()["Bonds"]);

  std::string refusal;
  kvtest::answerNextModal([&refusal](QWidget* modal) {
    refusal = static_cast<QMessageBox*>(modal)->text().toStdString();
    static_cast<QMessageBox*>(modal)->accept();
  });
  QTest::keyClicks(box, "C1CC(");
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ("This smiles can not be parsed", refusal);
  QTest::keyClick(box, Qt::Key_Return);   // the edit is empty again
  EXPECT_EQ(3, box->count());
  EXPECT_EQ("", box->itemText(0).toStdString());
  EXPECT_EQ("C1CC(", box->itemText(1).toStdString());
  EXPECT_EQ(1u, library.history.size());
  EXPECT_EQ(1, window->workSpaceTree->topLevelItemCount());
}

TEST_F(Road, ListFilesHangTheirMoleculesInAFolder) {
  startSettled();
  const QString sd = file("a.SDF", kvtest::readFile(KV_TEST_DATA_DIR "/mdl_three_records.sdf"));
  run(window->ui.actionLoadFile, sd);
  std::vector<std::string> printed = lines();
  EXPECT_EQ("Parsing sdf File " + sd.toStdString() + ", Please Wait...", printed[0]);
  EXPECT_EQ(1, std::count(printed.begin(), printed.end(),
                          "   ID Total Bond Energy(ev)    Dipole Moment(D) Molecular Formula"));
  EXPECT_TRUE(std::regex_match(printed.back(), std::regex("    3 Molecules Loaded in     0 hours "
                                                          "    0 minutes +\\d+\\.\\d{3} seconds\\.")));
  const QTreeWidgetItem* sdFolder = window->workSpaceTree->topLevelItem(0);
  EXPECT_EQ("a", sdFolder->text(0).toStdString());
  EXPECT_EQ("_folder", dataOf(sdFolder));
  ASSERT_EQ(3, sdFolder->childCount());
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ("H" + std::to_string(i) + "#" + library.history[i]->getName(),
              dataOf(sdFolder->child(i)));
  EXPECT_TRUE(framesShow(1));
  EXPECT_EQ("    2 Molecules Loaded in     0 hours     1 minutes 15.250 seconds.",
            KestavorGUI::loadTimingLine(2, 75250));

  const QString pdb = file("two.pdb", kTwoChains);
  const size_t before = lines().size();
  run(window->ui.actionLoadFile, pdb);
  printed = lines();
  EXPECT_EQ((std::vector<std::string>{"Wait!! parsing PDB file " + pdb.toStdString(),
                                      "Created molecule from PDB file two",
                                      "Finished parsing PDB file " + pdb.toStdString()}),
            std::vector<std::string>(printed.begin() + static_cast<long>(before), printed.end()));
  QTreeWidgetItem* protein = window->workSpaceTree->topLevelItem(1)->child(0);
  ASSERT_EQ(2, protein->childCount());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ("PDB#two_0#" + std::string(1, "AB"[i]) + "#3", dataOf(protein->child(i)));
    EXPECT_EQ(Qt::Checked, protein->child(i)->checkState(0));
  }
  ASSERT_TRUE(framesShow(2));
  const Molecule* shown = GraphicsEngine::instance()->currentMesh->molecule;
  auto chainAShown = [shown] {
    std::string marks;
    for (const Atom* a : shown->atoms)
      if (a->chainId == "A") marks += a->sphere->isVisible ? '1' : '0';
    return marks;
  };
  window->workSpaceTree->expandAll();
  QTreeWidgetItem* chainA = protein->child(0);
  const QRect box = window->workSpaceTree->visualItemRect(chainA);
  QWidget* viewport = window->workSpaceTree->viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(box.left() + 8, box.center().y()));
  EXPECT_EQ(Qt::Unchecked, chainA->checkState(0));
  EXPECT_EQ(std::string(chainAShown().size(), '0'), chainAShown());
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(box.left() + 8, box.center().y()));
  EXPECT_EQ(std::string(chainAShown().size(), '1'), chainAShown());

  // Nothing read: a line names the file, and nothing joins the scene or the trees.
  const QString damaged = data("mdl_crash_truncated_atoms.mol");
  for (const QString& nothing : {damaged, file("x.txt", "C")}) {
    run(window->ui.actionLoadFile, nothing);
    EXPECT_EQ(0u, lines().back().find("Nothing loaded from " + nothing.toStdString()))
        << lines().back();
  }
  QTemporaryDir empty;
  run(window->ui.actionImportDirectory, empty.path());
  EXPECT_TRUE(std::regex_match(lines().back(), std::regex("    0 Molecules Loaded in .*")));
  EXPECT_EQ(4u, library.history.size());
  EXPECT_EQ(2, window->workSpaceTree->topLevelItemCount());
  EXPECT_TRUE(framesShow(2));
}

TEST_F(Road, TabsLabelsNewEntriesAndDoubleClicks) {
  start();
  std::vector<std::string> labels;
  for (int i = 0; i < window->propertiesTree->topLevelItemCount(); ++i)
    labels.push_back(window->propertiesTree->topLevelItem(i)->text(0).toStdString());
  EXPECT_EQ((std::vector<std::string>{"Name", "SMILES", "Atoms", "Bonds", "Total Bond Energy"}),
            labels);

  const struct {
    const char *text, *item;   // item text and data, "" for none
  } created[] = {{"ring~7", "ring|H7"}, {"ring7", ""}, {"a~b~7", "a~b|H7"}, {"ring~", ""}};
  for (const auto& c : created) {
    window->workSpaceTree->clear();
    window->MoleculeCreated(std::string(c.text));
    const QTreeWidgetItem* item = window->workSpaceTree->topLevelItem(0);
    EXPECT_EQ(c.item, item == nullptr ? std::string()
                                      : item->text(0).toStdString() + "|" + dataOf(item))
        << c.text;
  }

  // A double-click on a group during the start-up glide adds nothing; afterwards it adds it.
  QTreeWidgetItemIterator it(window->groupTree);
  while (*it != nullptr && dataOf(*it) == "_folder") ++it;
  ASSERT_NE(nullptr, *it);
  window->groupTree->scrollToItem(*it);
  const QPoint at = window->groupTree->visualItemRect(*it).center();
  QTest::mouseDClick(window->groupTree->viewport(), Qt::LeftButton, {}, at);
  EXPECT_FALSE(window->glWidget->moleculePending);
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 20000));
  QTest::mouseDClick(window->groupTree->viewport(), Qt::LeftButton, {}, at);
  EXPECT_TRUE(framesShow(1));
}

TEST_F(Road, SavesAndExportsWriteOnlyWhatTheirNamesAsk) {
  startSettled();
  EXPECT_EQ("none", run(window->ui.actionSaveFile, file("e.kv")));   // nothing selected
  enter("CCO");
  EXPECT_EQ("Save Molecule|KV Files (*.kv);;MOL V2000 Files (*.mol);;PDB Files (*.pdb)",
            run(window->ui.actionSaveFile, file("e.kv")));
  run(window->ui.actionSaveFile, file("e.MOL"));
  run(window->ui.actionSaveFile, file("e.sdf"));
  EXPECT_NE(std::string::npos, kvtest::readFile(file("e.kv").toStdString()).find("#ATOMS"));
  EXPECT_NE(std::string::npos, kvtest::readFile(file("e.MOL").toStdString()).find("V2000"));
  EXPECT_FALSE(exists("e.sdf"));
  EXPECT_EQ(0u, lines().back().find("Nothing written to " + file("e.sdf").toStdString()));

  run(window->ui.actionExportPov, file("scene"));
  run(window->ui.actionExportPov, file("scene.POV"));
  EXPECT_TRUE(exists("scene.pov") && exists("scene.POV") && !exists("scene.POV.pov"));

  // Two cameras out as "p" and "r" lines; read back into no cameras, the view jumps to the first.
  GraphicsEngine& engine = *GraphicsEngine::instance();
  const SSEVector4f first = engine.globalTranslation;
  window->ui.actionSave_Camera->trigger();
  engine.globalTranslation.z -= 5.0f;
  window->ui.actionSave_Camera->trigger();
  run(window->ui.actionExportSavedCameras, file("c.cam"));
  std::vector<char> kinds;
  for (const std::string& line : kvtest::linesOf(kvtest::readFile(file("c.cam").toStdString())))
    kinds.push_back(line.at(0));
  EXPECT_EQ((std::vector<char>{'p', 'r', 'p', 'r'}), kinds);
  engine.eraseAllCameras();
  run(window->ui.actionImportSavedCameras, file("c.cam"));
  EXPECT_EQ(2u, engine.cameraTranslations.size());
  EXPECT_EQ(0, window->glWidget->cameraIndex);
  EXPECT_FLOAT_EQ(first.z, engine.globalTranslation.z);

  // The molecule again at the top of the view: the picture's top rows show it, its bottom none.
  window->glWidget->addMoleculeFromLibrary("H0", QPoint(window->glWidget->width() / 2, 40));
  ASSERT_TRUE(framesShow(2));
  EXPECT_EQ("Save Screenshot|PNG Files (*.png);;BMP Files (*.bmp)",   // the dialog trims it
            run(window->ui.actionScreenshot, file("shot.png")));
  const QImage shot(file("shot.png"));
  ASSERT_EQ(window->glWidget->size(), shot.size());
  auto lit = [&shot](int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < shot.width(); ++x) count += qGray(shot.pixel(x, y)) > 40;
    return count;
  };
  EXPECT_GT(lit(0, 80), 100);
  EXPECT_EQ(0, lit(shot.height() - 80, shot.height()));
  run(window->ui.actionScreenshot, file("shot.PNG"));
  run(window->ui.actionScreenshot, file("shot"));
  EXPECT_FALSE(exists("shot.PNG") || exists("shot"));

  const QStringList before = QDir(folder.path()).entryList();
  EXPECT_EQ("Import Mesh|OBJ Files (*.obj)", run(window->ui.actionImportOBJ, file("e.kv")));
  EXPECT_EQ("Export Mesh|OBJ Files (*.obj)", run(window->ui.actionExportOBJ, file("m.obj")));
  EXPECT_EQ(before, QDir(folder.path()).entryList());
  EXPECT_TRUE(framesShow(2));
}

TEST_F(Road, NewAsksAndThenEmptiesTheWorkspace) {
  startSettled();
  enter("CCO");
  const Ui_KestavorGUIClass& ui = window->ui;
  const std::vector<QToolButton*> modes = {
      ui.ViewButton, ui.MeshButton, ui.PieceButton, ui.JoinButton, ui.MeasureDistanceButton,
      ui.MeasureAngleButton, ui.MeasureDihedButton, ui.EnergyProfile, ui.EditBondOrder,
      ui.DeleteAButton, ui.MakeAxisButton, ui.DeleteBButton};
  ui.EditBondOrder->setChecked(true);
  ui.MeasureAngleButton->setEnabled(false);
  auto answer = [](QMessageBox::StandardButton button) {
    kvtest::answerNextModal([button](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(nullptr, box);
      EXPECT_EQ("Create New Workspace?", box->windowTitle().toStdString());
      EXPECT_EQ("Are you sure you want to open a new workspace and lose all unsaved work?",
                box->text().toStdString());
      box->button(button)->click();
    });
  };
  const std::vector<std::string> printed = lines();
  answer(QMessageBox::No);
  ui.actionNew->trigger();
  EXPECT_EQ(printed, lines());
  EXPECT_EQ(1, window->workSpaceTree->topLevelItemCount());
  EXPECT_TRUE(ui.EditBondOrder->isChecked());

  answer(QMessageBox::Yes);
  ui.actionNew->trigger();
  EXPECT_TRUE(window->console->toPlainText().isEmpty());
  EXPECT_EQ(0, window->workSpaceTree->topLevelItemCount());
  EXPECT_EQ("SMILES", window->workSpaceTree->headerItem()->text(0).toStdString());
  EXPECT_EQ(1, ui.MoleculeTabWidget->currentIndex());
  for (const QToolButton* mode : modes)
    EXPECT_TRUE(mode->isEnabled() && !mode->isChecked()) << mode->objectName().toStdString();
  EXPECT_TRUE(library.history.empty() && library.workspace.empty());
  ASSERT_TRUE(framesShow(0));

  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 20000));
  enter("CCO");
  EXPECT_EQ("1>   ", window->console->toPlainText().left(5).toStdString());
  QTreeWidgetItem* entry = window->workSpaceTree->topLevelItem(0);
  ASSERT_NE(nullptr, entry);
  EXPECT_EQ("H0", dataOf(entry));
  // The new tree reports its entries to the properties tree as the first one did.
  ui.MoleculeTabWidget->setCurrentIndex(0);
  window->workSpaceTree->setCurrentItem(nullptr);
  window->workSpaceTree->setCurrentItem(entry);
  EXPECT_EQ(library.history[0]->smiles, properties()["SMILES"]);
}

TEST_F(Road, HelpOpensTheLocalPageOrSaysItFailed) {
  start();
  UrlCatcher desktop;
  QDesktopServices::setUrlHandler("file", &desktop, "open");
  window->ui.actionView_Help_File->trigger();
  EXPECT_EQ(QUrl::fromLocalFile(KV_SOURCE_DIR "/Help/index.html"), desktop.opened);
  // A handler without the named slot makes the desktop report failure.
  QDesktopServices::setUrlHandler("file", &desktop, "refuse");
  kvtest::ErrorCapture errors;
  window->ui.actionView_Help_File->trigger();
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_EQ(std::vector<std::string>{"Help File Launch Failed"}, errors.lines);
}

}  // namespace

#include "FileRoadTest.moc"
