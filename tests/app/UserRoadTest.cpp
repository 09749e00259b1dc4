// The program as a chemist meets it in the first hour: the SMILES box after a long entry, the
// library's molecules in the properties, exports of names typed without an extension, the
// commands that used to fail without a word, and the window during a long load. Needs an X
// server.

#include <QTabBar>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdio>
#include <string>

#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/FileDialogAnswer.h"
#include "support/WholeTexts.h"
#include "tests/app/RunningShell.h"
#include "tests/app/XClick.h"

namespace {

class UserRoad : public kvshell::RoadShell {
 protected:
  // A left click through the X server at a point of a widget of the window, as a user's.
  void click(QWidget* widget, const QPoint& at) {
    const QPoint local = widget->mapTo(window.get(), at), global = widget->mapToGlobal(at);
    ASSERT_TRUE(kvshell::sendXClick(window->winId(), local.x(), local.y(), global.x(), global.y()));
  }
  // Triggers the action and answers its save dialog with the name under the filter that
  // contains `filterPart`.
  void saveUnder(QAction* action, const QString& path, const QString& filterPart) {
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer.stop();
      for (const QString& filter : dialog->nameFilters())
        if (filter.contains(filterPart)) dialog->selectNameFilter(filter);
      kvtest::typeFileName(dialog, path);
      static_cast<QDialog*>(dialog)->accept();
    });
    timer.start(5);
    action->trigger();
  }
  // The scene molecule the properties were last filled for.
  const Molecule& current() const { return *GraphicsEngine::instance()->currentMesh->molecule; }
};

// The box lists a long chain once it was entered; typing its start afterwards loads what was
// typed, not the chain completed from the list.
TEST_F(UserRoad, TheSmilesBoxLoadsWhatWasTypedNotAnEntryItCompletes) {
  startSettled();
  // Typed into the focused edit, as a user types: a box completes only there.
  QApplication::setActiveWindow(window.get());
  window->ui.smileEdit->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([this] { return window->ui.smileEdit->hasFocus(); }));
  const std::string chain(24, 'C');
  enter(chain.c_str());
  ASSERT_TRUE(framesShow(1));
  enter("CCCC");
  ASSERT_TRUE(framesShow(2));
  EXPECT_EQ("Created molecule from SMILES: CCCC", lines().back());
  ASSERT_EQ(2u, library.history.size());
  EXPECT_EQ(14u, library.history.back()->numAtoms);   // butane with its hydrogens
  EXPECT_EQ("CCCC|" + chain, (window->ui.smilesBox->itemText(0) + "|" +
                              window->ui.smilesBox->itemText(1)).toStdString());
}

// A molecule double-clicked (through the X server) in each library page shows the values of the
// molecule it put on screen.
TEST_F(UserRoad, ALibraryMoleculeDoubleClickedShowsItsValues) {
  startSettled();
  const std::vector<CustomTreeWidget*> pages{window->moleculeTree, window->groupTree,
                                             &window->templateTree};
  for (int page = 0; page < 3; ++page) {
    QTabBar* tabs = window->ui.MoleculeTabWidget->tabBar();
    click(tabs, tabs->tabRect(page).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->ui.MoleculeTabWidget->currentIndex() == page; }));
    CustomTreeWidget* tree = pages[static_cast<size_t>(page)];
    tree->expandAll();
    QTreeWidgetItemIterator entry(tree);
    while (*entry != nullptr && dataOf(*entry) == "_folder") ++entry;
    ASSERT_NE(nullptr, *entry);
    QPoint at;
    ASSERT_TRUE(shownItemCentre(tree, *entry, at)) << dataOf(*entry);
    click(tree->viewport(), at);
    click(tree->viewport(), at);
    ASSERT_TRUE(framesShow(static_cast<size_t>(page) + 1)) << dataOf(*entry);
    const Molecule& shown = current();
    EXPECT_NE(std::string::npos, rows().find("SMILES=" + shown.smiles + "|Atoms=")) << rows();
    EXPECT_NE(std::string::npos, rows().find(QString::asprintf("|Total Bond Energy=%3.4f(ev)",
                                                               double(shown.totalBondEnergy))
                                                 .toStdString()))
        << rows();
    EXPECT_EQ(std::string::npos, rows().find("=|")) << dataOf(*entry) << ": " << rows();
  }
}

// A screenshot named without an extension is written in the format of the chosen filter.
TEST_F(UserRoad, AScreenshotNamedWithoutAnExtensionTakesTheChosenFiltersOne) {
  startSettled();
  saveUnder(window->ui.actionScreenshot, file("shot"), "bmp");
  saveUnder(window->ui.actionScreenshot, file("view"), "png");
  EXPECT_EQ((QStringList{"shot.bmp", "view.png"}),
            QDir(folder.path()).entryList(QDir::Files, QDir::Name));
  EXPECT_EQ(window->glWidget->size(), QImage(file("shot.bmp"), "BMP").size());
}

// Save after the Delete key took the only molecule, and Join with no bond axis chosen, say why
// they did nothing.
TEST_F(UserRoad, SaveWithNothingSelectedAndJoinWithoutAxesSaySo) {
  startSettled();
  enter("CCO");
  ASSERT_TRUE(framesShow(1));
  QTest::keyClick(window->glWidget, Qt::Key_Delete);
  ASSERT_TRUE(framesShow(0));
  EXPECT_EQ("none", run(window->ui.actionSaveFile, file("e.kv")));
  EXPECT_EQ("Nothing to save: no molecule is selected", lines().back());
  window->ui.JoinButton->click();
  EXPECT_EQ("Cannot join: choose bond axis 1 and bond axis 2 first (keys 1 and 2, or the "
            "molecule's menu)",
            lines().back());
}

// Values of a geometry whose optimisation stopped short carry a row that says so, whole at the
// dock's first-start width.
TEST_F(UserRoad, AnUnconvergedGeometryIsSaidInARowThatShowsWhole) {
  startSettled();
  enter("CCO");
  ASSERT_TRUE(framesShow(1));
  Molecule& shown = *library.workspace.front();
  shown.isUnconverged = true;
  window->MoleculeSelected(&shown);
  EXPECT_NE(std::string::npos, rows().find("|Geometry=not converged|")) << rows();
  for (const std::string& cut : kvtest::cutColumn(window->propertiesTree, 1))
    EXPECT_EQ(std::string::npos, cut.find("converged")) << cut;
}

// An SD record of a chain of n carbons, drawn as a zigzag in the plane.
std::string chainRecord(const std::string& name, int carbons) {
  std::string text = name + "\n  test\n\n";
  char line[96];
  std::snprintf(line, sizeof line, "%3d%3d  0  0  0  0  0  0  0  0999 V2000\n", carbons,
                carbons - 1);
  text += line;
  for (int i = 0; i < carbons; ++i) {
    std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f C   0  0  0  0  0  0  0  0  0  0  0  0\n",
                  1.25 * i, i % 2 == 0 ? 0.0 : 0.85, 0.0);
    text += line;
  }
  for (int i = 1; i < carbons; ++i) {
    std::snprintf(line, sizeof line, "%3d%3d  1  0  0  0  0\n", i, i + 1);
    text += line;
  }
  return text + "M  END\n$$$$\n";
}

// During the load of an SD file the window answers between its molecules: a click on the File
// menu opens it within a few records, not after the last one; a command that would clear the
// workspace or build a molecule inside the load is refused with a line and waits for the user.
TEST_F(UserRoad, TheWindowAnswersBetweenTheMoleculesOfALongLoad) {
  startSettled();
  constexpr int kRecords = 16;
  std::string records;
  for (int i = 1; i <= kRecords; ++i) records += chainRecord("chain" + std::to_string(i), 12);
  const QString sd = file("chains.sd", records);
  auto started = [this] {
    const std::string text = window->console->toPlainText().toStdString();
    int count = 0;
    for (size_t at = text.find("Parsing molecule chain"); at != std::string::npos;
         at = text.find("Parsing molecule chain", at + 1))
      ++count;
    return count;
  };
  int atClick = -1, atMenu = -1;
  QTimer watch;

  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (atClick < 0 && started() >= 1) {
      atClick = started();
      QMenuBar* bar = window->ui.menuBar;
      click(bar, bar->actionGeometry(window->ui.menuFile->menuAction()).center());
    } else if (atClick >= 0 && atMenu < 0 &&
               QApplication::activePopupWidget() == window->ui.menuFile) {
      atMenu = started();
      window->ui.menuFile->hide();
      window->ui.actionNew->trigger();   // no question: refused
      window->ui.smileEdit->setText("CCO");
      window->ui.smileButton->click();
    }
  });
  watch.start(1);
  run(window->ui.actionLoadFile, sd);
  watch.stop();
  ASSERT_GE(atClick, 1);
  EXPECT_GE(atMenu, atClick) << "the menu opened only after the load";
  EXPECT_LE(atMenu, atClick + 3);
  const std::vector<std::string> said = lines();
  for (const char* command : {"New", "SMILES entry"})
    EXPECT_NE(said.end(), std::find(said.begin(), said.end(),
                                    "Still loading " + sd.toStdString() + ": " + command +
                                        " is refused until the load is finished"))
        << command;
  EXPECT_EQ(static_cast<size_t>(kRecords), library.history.size());
  EXPECT_EQ("CCO", window->ui.smileEdit->text().toStdString());   // kept for after the load
  EXPECT_TRUE(framesShow(1));
}

}  // namespace
