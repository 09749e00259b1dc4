// The main window as the program starts it (library, window, start camera, command line), each
// test from an empty settings store: menus, pages, docks and tool bars, the stored layout and
// what breaks it, the quit question, the command line, the Window menu, the dialog commands and
// the console pane. Needs an X server.

#include <QAbstractButton>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidgetItemIterator>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ConsoleWidget.h"
#include "app/CustomDockWidget.h"
#include "app/KestavorGUI.h"
#include "app/Startup.h"
#include "dialogs/PeriodicTableDialog.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "render/GraphicsEngine.h"
#include "support/ErrorCapture.h"
#include "support/ModalAnswer.h"
#include "support/QtApplication.h"
#include "support/StdoutCapture.h"
#include "support/TextLines.h"
#include "support/WholeTexts.h"
#include "support/WorkingFolder.h"
#include "tests/app/RunningShell.h"
#include "tests/app/XClick.h"

namespace {

using kvshell::RunningShell;
using kvshell::ShownBoxes;
using kvshell::storedSettings;

// A menu's entries by text, "-" for a separator, a submenu as its title and [entries].
std::string entries(const QMenu* menu) {
  std::string text;
  for (const QAction* a : menu->actions()) {
    if (!text.empty()) text += "|";
    if (a->isSeparator())
      text += "-";
    else
      text += a->text().toStdString() + (a->menu() ? "[" + entries(a->menu()) + "]" : "");
  }
  return text;
}

// The tool bar's widgets by object name, "|" for a separator.
std::string toolBarEntries(const QToolBar* bar) {
  std::string text;
  for (QAction* a : bar->actions())
    text += a->isSeparator() ? std::string("| ")
                             : bar->widgetForAction(a)->objectName().toStdString() + " ";
  return text;
}

// The entries of one kind ('M' molecules, 'F' groups and templates) a tree holds, folders aside.
int entriesOfKind(const QTreeWidget& tree, char kind) {
  int count = 0;
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
    count += (*it)->data(0, Qt::UserRole).toString().startsWith(QChar(kind));
  return count;
}

// The layout the constructor builds, which a first start shows.
void expectFirstStartLayout(const KestavorGUI& w) {
  EXPECT_TRUE(kvtest::insideScreen(&w));
  const struct {
    const QDockWidget* dock;
    const char *name, *title;
    Qt::DockWidgetArea area;
  } docks[] = {{w.libraryDock, "LibraryDockWidget", "Library", Qt::LeftDockWidgetArea},
               {w.propertiesDock, "PropertiesDockWidget", "Properties", Qt::LeftDockWidgetArea},
               {w.consoleDock, "ConsoleDockWidget", "Console", Qt::BottomDockWidgetArea}};
  for (const auto& d : docks) {
    EXPECT_EQ(d.name, d.dock->objectName().toStdString());
    EXPECT_EQ(d.title, d.dock->windowTitle().toStdString());
    EXPECT_EQ(d.area, w.dockWidgetArea(const_cast<QDockWidget*>(d.dock))) << d.name;
    EXPECT_TRUE(d.dock->isVisible() && !d.dock->isFloating()) << d.name;
  }
  EXPECT_EQ(Qt::TopToolBarArea, w.toolBarArea(w.ui.toolBar));
  EXPECT_EQ(Qt::TopToolBarArea, w.toolBarArea(w.ui.toolBar_2));   // on a row of its own
  EXPECT_TRUE(w.toolBarBreak(w.ui.toolBar_2));
}

TEST_F(RunningShell, FirstStartShowsMenusPagesDocksToolBarsAndTheLibrary) {
  start();
  EXPECT_EQ("Kestavor 2.0 Beta", window->windowTitle().toStdString());
  const QString style = qApp->style()->objectName().toLower();
  EXPECT_TRUE(style == "cleanlooks" || style == "fusion") << style.toStdString();
  std::vector<std::string> menus;
  for (const QAction* a : window->ui.menuBar->actions())
    menus.push_back(a->text().toStdString() + ": " + entries(a->menu()));
  EXPECT_EQ((std::vector<std::string>{
                "File: New|Open|Save|-|Import[Directory|-]|Export[Screenshot|-]|-|Quit",
                "Edit: Settings", "View: Reset Camera|Show All Molecules",
                "Window: Render|Library|Properties|Console|Button Toolbar|Smiles Toolbar|-|"
                "Periodic Table",
                "Help: View Help File|-|About"}),
            menus);
  const QTabWidget* tabs = window->ui.MoleculeTabWidget;
  std::string titles;
  for (int i = 0; i < tabs->count(); ++i) titles += tabs->tabText(i).toStdString() + "|";
  EXPECT_EQ("Molecules|Functional Groups|Template|Work Space|", titles);
  EXPECT_EQ(1, tabs->currentIndex());
  expectFirstStartLayout(*window);
  EXPECT_EQ("AutoXButton AutoYButton AutoZButton | ViewButton MeshButton PieceButton | JoinButton "
            "| MeasureDistanceButton MeasureAngleButton MeasureDihedButton EnergyProfile | "
            "EditBondOrder DeleteAButton MakeAxisButton DeleteBButton ",
            toolBarEntries(window->ui.toolBar));
  EXPECT_EQ("smileButton smilesBox | ", toolBarEntries(window->ui.toolBar_2));

  // Every library entry hangs in its tree; the loaders' roots are left empty.
  const MoleculeEngine& library = *MoleculeEngine::instance();
  EXPECT_EQ(library.groups.size(), static_cast<size_t>(entriesOfKind(*window->groupTree, 'F') +
                                                       entriesOfKind(window->templateTree, 'F')));
  EXPECT_EQ(library.molecules.size(), static_cast<size_t>(entriesOfKind(*window->moleculeTree, 'M')));
  EXPECT_GT(library.molecules.size(), 0u);
  for (const QTreeWidgetItem* root :
       {IOEngine::instance()->moleculeRoot, IOEngine::instance()->groupRoot,
        IOEngine::instance()->templateRoot})
    EXPECT_EQ(0, root->childCount());
}

TEST_F(RunningShell, SecondStartRestoresTheMovedDocksAndToolBars) {
  start();
  window->addDockWidget(Qt::RightDockWidgetArea, window->propertiesDock);
  window->addToolBar(Qt::BottomToolBarArea, window->ui.toolBar_2);
  window->consoleDock->setFloating(true);
  // The console shown as a window of its own, and the docks and the tool bar in their places.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window->consoleDock));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  window->move(window->x() - 40, window->y() - 30);
  const QRect moved = window->geometry();
  window.reset();

  start();
  EXPECT_EQ(Qt::RightDockWidgetArea, window->dockWidgetArea(window->propertiesDock));
  EXPECT_TRUE(window->consoleDock->isFloating());
  EXPECT_EQ(Qt::BottomToolBarArea, window->toolBarArea(window->ui.toolBar_2));
  EXPECT_EQ(moved, window->geometry());
}

TEST_F(RunningShell, UnreadableSettingsGiveTheFirstStartLayout) {
  const QString path = storedSettings().fileName();
  QDir().mkpath(QFileInfo(path).path());
  const std::function<void()> breakings[] = {
      [&path] {   // values of the wrong kind and a state that is no state
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[General\ngeometry=@Rect(x y)\n\x01\x02SavedWindowState=@ByteArray(zz)\n");
      },
      [&path] {   // a folder where the file belongs
        QFile::remove(path);
        ASSERT_TRUE(QDir().mkpath(path));
      }};
  for (const auto& breakSettings : breakings) {
    breakSettings();
    start();
    expectFirstStartLayout(*window);
    window.reset();
  }
}

// Neither the working folder, nor the executable's folder and its parents, nor the source folder
// hold the library: the trees stay empty, and one line says where the program looked.
TEST_F(RunningShell, MissingLibraryFoldersGiveEmptyTrees) {
  kvtest::WorkingFolder empty;
  kvtest::ErrorCapture errors;
  window = startMainWindow({"Kestavor"}, QDir::currentPath(), QDir::currentPath());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  ASSERT_FALSE(errors.lines.empty());
  EXPECT_EQ(0u, errors.lines[0].find("Error: no library folder (KV_GROUPS, KV_TEMPLATES, "
                                     "KV_MOLECULES) in " + QDir::currentPath().toStdString()))
      << errors.lines[0];
  // Said before the console pane existed, and repeated there, where the user reads.
  EXPECT_NE(std::string::npos, window->console->toPlainText().toStdString().find(errors.lines[0]));
  for (const QTreeWidget* tree :
       std::initializer_list<const QTreeWidget*>{window->moleculeTree, window->groupTree,
                                                  &window->templateTree})
    EXPECT_EQ(0, tree->topLevelItemCount());
  EXPECT_TRUE(window->glWidget->isVisible());
}

// Checks the question, then presses its button.
std::function<void(QWidget*)> answerQuit(QMessageBox::StandardButton button) {
  return [button](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Confirm Quit?", box->windowTitle().toStdString());
    EXPECT_EQ("Are you sure you want to quit? Any unsaved work will be lost.",
              box->text().toStdString());
    EXPECT_EQ(QMessageBox::Warning, box->icon());
    box->button(button)->click();
  };
}

TEST_F(RunningShell, QuitAnsweredYesEndsTheProgramWithGoodbye) {
  start();
  kvtest::answerNextModal(answerQuit(QMessageBox::Yes));
  QTimer::singleShot(0, window->ui.actionQuit, &QAction::trigger);
  kvtest::StdoutCapture out;
  EXPECT_EQ(0, runMainWindow(std::move(window)));
  EXPECT_EQ("Quitting... Goodbye!\n", out.text());
}

TEST_F(RunningShell, ClosingAsksOnceAndNoKeepsTheWindowWithTheLayoutStored) {
  start();
  ShownBoxes boxes;
  kvtest::answerNextModal(answerQuit(QMessageBox::No));
  EXPECT_FALSE(window->close());
  EXPECT_EQ(1, boxes.count);
  const QSettings stored = storedSettings();
  EXPECT_EQ(window->geometry(), stored.value("geometry").toRect());
  EXPECT_EQ(window->glWidget->geometry(), stored.value("GL/geometry").toRect());
  EXPECT_EQ(window->saveState(KestavorGUI::WindowStateVersion),
            stored.value("SavedWindowState").toByteArray());

  // After the Yes the window closes and the last window is gone: neither asks again.
  kvtest::answerNextModal(answerQuit(QMessageBox::Yes));
  bool closed = false;
  QTimer::singleShot(0, [this, &closed] { closed = window->close(); });
  EXPECT_EQ(0, QApplication::exec());
  EXPECT_TRUE(closed);
  EXPECT_EQ(2, boxes.count);
}

TEST_F(RunningShell, AnArgumentHoldingHdrSwitchesToTheHalfFloatPath) {
  GraphicsEngine& engine = *GraphicsEngine::instance();
  start({"Kestavor", "-hd", "hdr"});
  EXPECT_EQ(RenderMode::VertexArrays, engine.renderMode);
  EXPECT_FALSE(window->glWidget->hdrEnabled);
  applyCommandLine(*window, {"/opt/kv-hdr/Kestavor"});   // the program's own name is no switch
  EXPECT_EQ(nullptr, engine.hdrFrameBuffer);

  applyCommandLine(*window, {"Kestavor", "x-HDRy", "--Hdr"});
  EXPECT_EQ(RenderMode::HighDynamicRange, engine.renderMode);
  EXPECT_TRUE(window->glWidget->hdrEnabled);
  EXPECT_NE(nullptr, engine.hdrFrameBuffer);
  window->glWidget->updateGL();   // a frame in the new path
}

TEST_F(RunningShell, WindowMenuFollowsTheDocksAndTheView) {
  start();
  const Ui_KestavorGUIClass& ui = window->ui;
  auto checks = [&ui] {
    std::string marks;
    for (const QAction* a : {ui.actionShowRenderWidget, ui.actionShowLibraryWidget,
                             ui.actionShowPropertiesWidget, ui.actionShowConsoleWidget})
      marks += a->isChecked() ? '1' : '0';
    return marks;
  };
  window->consoleDock->findChild<QAbstractButton*>("qt_dockwidget_closebutton")->click();
  EXPECT_EQ("1110", checks());
  window->DockWidgetClosed(0);
  window->DockWidgetClosed(4);
  EXPECT_EQ("1110", checks());
  ui.actionShowConsoleWidget->trigger();
  EXPECT_TRUE(window->consoleDock->isVisible());
  EXPECT_EQ("1111", checks());

  // Floating hides the dock on its way out of the window; the float notice checks it again.
  window->libraryDock->findChild<QAbstractButton*>("qt_dockwidget_floatbutton")->click();
  EXPECT_EQ("1111", checks());

  ui.actionShowRenderWidget->trigger();
  EXPECT_FALSE(window->glWidget->isVisible());
  EXPECT_EQ("0111", checks());
}

TEST_F(RunningShell, DialogCommandsOpenTheirDialogs) {
  start();
  const struct {
    QAction* action;
    const char* dialog;   // class and title
    std::function<void(QWidget*)> close;
  } commands[] = {
      {window->ui.actionEditSettings, "SettingsDialog|Settings",
       [](QWidget* m) { m->findChild<QPushButton*>("OkButton")->click(); }},
      {window->ui.actionAbout, "AboutDialog|About Kestavor Software",
       [](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); }}};
  for (const auto& command : commands) {
    std::string opened;
    kvtest::answerNextModal([this, &opened, &command](QWidget* modal) {
      opened = modal->metaObject()->className() + ("|" + modal->windowTitle().toStdString());
      EXPECT_EQ(window.get(), modal->parentWidget());
      command.close(modal);
    });
    command.action->trigger();
    EXPECT_EQ(command.dialog, opened);
  }
  window->ui.actionPeriodic_Table->trigger();
  window->ui.actionPeriodic_Table->trigger();
  EXPECT_EQ(1, window->findChildren<PeriodicTableDialog*>().size());
  EXPECT_TRUE(window->periodicTableDialog->isVisible());
}

TEST_F(RunningShell, ConsoleAndErrorLinesReachThePane) {
  kvtest::ErrorCapture errors;   // the window passes error lines on to the sink before it
  start();
  errors.clear();
  ASSERT_EQ(ConsoleWidget::Instance, window->console);
  UtilityEngine::instance()->printToConsole("Created: ethanol CCO");
  ErrorLine() << "Error: Reader: bad line \"x\"";
  emit window->emitConsoleString("two\nlines");
  EXPECT_EQ((std::vector<std::string>{"1>   Created: ethanol CCO",
                                      "2>   Error: Reader: bad line \"x\"", "3>   two", "lines"}),
            kvtest::linesOf(window->console->toPlainText().toStdString()));
  EXPECT_EQ(std::vector<std::string>{"Error: Reader: bad line \"x\""}, errors.lines);
  // The window puts the capture's sink back when it goes: it goes while the capture lives.
  window.reset();
}

TEST_F(RunningShell, AMenuClickDuringALongPrintRunsAfterIt) {
  start();
  QMenuBar* bar = window->ui.menuBar;
  const QPoint title = bar->actionGeometry(window->ui.menuWindow->menuAction()).center();
  const QPoint local = bar->mapTo(window.get(), title);
  const QPoint onScreen = bar->mapToGlobal(title);
  ASSERT_TRUE(kvshell::sendXClick(window->winId(), local.x(), local.y(), onScreen.x(),
                                  onScreen.y()));
  bool openedDuringPrint = false;
  for (int line = 0; line < 40; ++line) {
    window->console->appendString(QString("Loading file %1").arg(line));
    QThread::msleep(10);   // the click arrives meanwhile
    openedDuringPrint = openedDuringPrint || QApplication::activePopupWidget() != nullptr;
  }
  EXPECT_FALSE(openedDuringPrint);
  EXPECT_TRUE(QTest::qWaitFor([this] {
    return QApplication::activePopupWidget() == window->ui.menuWindow;
  }));
  window->ui.menuWindow->hide();
}

}  // namespace
