// The main window as the program starts it: menus, pages, docks and tool bars, the stored layout
// and what breaks it, the quit question and the command line.

#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidgetItemIterator>

#include <set>
#include <string>
#include <vector>

#include "app/CustomDockWidget.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "render/FrameBufferObject.h"
#include "render/GraphicsEngine.h"
#include "render/Texture.h"
#include "support/ModalAnswer.h"
#include "support/StdoutCapture.h"
#include "support/WorkingFolder.h"
#include "tests/app/RunningShell.h"

namespace {

using kvshell::RunningShell;

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

// The leaf entries of a tree: the data of items that are no folder.
std::set<std::string> leafData(const QTreeWidget& tree) {
  std::set<std::string> data;
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it)
    if ((*it)->childCount() == 0) data.insert((*it)->data(0, Qt::UserRole).toString().toStdString());
  return data;
}

std::set<std::string> numbered(char kind, size_t from, size_t to) {
  std::set<std::string> data;
  for (size_t i = from; i < to; ++i) data.insert(kind + std::to_string(i));
  return data;
}

// The layout the constructor builds, which a first start shows.
void expectFirstStartLayout(const KestavorGUI& w) {
  EXPECT_EQ(QPoint(200, 200), w.geometry().topLeft());
  EXPECT_GE(w.width(), w.minimumSizeHint().width());
  EXPECT_GE(w.height(), w.minimumSizeHint().height());
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
  EXPECT_EQ(Qt::LeftToolBarArea, w.toolBarArea(w.ui.toolBar_2));
}

TEST_F(RunningShell, MenusHoldTheirCommandsInOrder) {
  start();
  EXPECT_EQ("Kestavor 2.0 Beta", window->windowTitle().toStdString());
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
  for (const QAction* a : window->ui.menuWindow->actions())
    if (!a->isSeparator() && a != window->ui.actionPeriodic_Table) {
      EXPECT_TRUE(a->isCheckable() && a->isChecked()) << a->text().toStdString();
    }
}

TEST_F(RunningShell, FirstStartShowsPagesDocksToolBarsAndTheLibrary) {
  start();
  const QTabWidget* tabs = window->ui.MoleculeTabWidget;
  std::vector<std::string> titles;
  for (int i = 0; i < tabs->count(); ++i) titles.push_back(tabs->tabText(i).toStdString());
  EXPECT_EQ((std::vector<std::string>{"Molecules", "Functional Groups", "Template", "Work Space"}),
            titles);
  EXPECT_EQ(QTabWidget::West, tabs->tabPosition());
  EXPECT_EQ(1, tabs->currentIndex());
  expectFirstStartLayout(*window);

  EXPECT_EQ("Button Toolbar", window->ui.toolBar->windowTitle().toStdString());
  EXPECT_EQ("SMILES Toolbar", window->ui.toolBar_2->windowTitle().toStdString());
  EXPECT_EQ("AutoXButton AutoYButton AutoZButton | ViewButton MeshButton PieceButton | JoinButton "
            "| MeasureDistanceButton MeasureAngleButton MeasureDihedButton EnergyProfile | "
            "EditBondOrder DeleteAButton MakeAxisButton DeleteBButton ",
            toolBarEntries(window->ui.toolBar));
  EXPECT_EQ("smileButton smilesBox | ", toolBarEntries(window->ui.toolBar_2));
  EXPECT_TRUE(window->ui.ViewButton->isChecked());
  const Ui_KestavorGUIClass& ui = window->ui;
  for (const QToolButton* mode :
       {ui.MeasureDistanceButton, ui.MeasureAngleButton, ui.MeasureDihedButton, ui.EnergyProfile,
        ui.EditBondOrder, ui.DeleteAButton, ui.MakeAxisButton, ui.DeleteBButton})
    EXPECT_TRUE(mode->isCheckable() && !mode->isChecked() && mode->isEnabled())
        << mode->objectName().toStdString();

  // Every library entry hangs in its tree; the loaders' roots are left empty.
  const MoleculeEngine& library = *MoleculeEngine::instance();
  ASSERT_FALSE(library.groups.empty() || library.molecules.empty());
  std::set<std::string> groupsAndTemplates = leafData(*window->groupTree);
  const std::set<std::string> templates = leafData(window->templateTree);
  EXPECT_FALSE(templates.empty());
  groupsAndTemplates.insert(templates.begin(), templates.end());
  EXPECT_EQ(numbered('F', 0, library.groups.size()), groupsAndTemplates);
  EXPECT_EQ(numbered('M', 0, library.molecules.size()), leafData(*window->moleculeTree));
  for (const QTreeWidgetItem* root :
       {IOEngine::instance()->moleculeRoot, IOEngine::instance()->groupRoot,
        IOEngine::instance()->templateRoot})
    EXPECT_EQ(0, root->childCount());
}

TEST_F(RunningShell, SecondStartRestoresTheMovedDocksAndToolBars) {
  start();
  window->addDockWidget(Qt::RightDockWidgetArea, window->propertiesDock);
  window->addToolBar(Qt::TopToolBarArea, window->ui.toolBar_2);
  window->consoleDock->setFloating(true);
  window->move(240, 180);
  const QRect moved = window->geometry();
  window.reset();

  start();
  EXPECT_EQ(Qt::RightDockWidgetArea, window->dockWidgetArea(window->propertiesDock));
  EXPECT_EQ(Qt::LeftDockWidgetArea, window->dockWidgetArea(window->libraryDock));
  EXPECT_TRUE(window->consoleDock->isFloating());
  EXPECT_EQ(Qt::TopToolBarArea, window->toolBarArea(window->ui.toolBar_2));
  EXPECT_EQ(moved, window->geometry());
}

TEST_F(RunningShell, UnreadableSettingsGiveTheFirstStartLayout) {
  const QString path = kvshell::storedSettings().fileName();
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

TEST_F(RunningShell, MissingLibraryFoldersGiveEmptyTrees) {
  kvtest::WorkingFolder empty;
  start();
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

TEST_F(RunningShell, QuitAnsweredNoKeepsRunningWithTheLayoutStored) {
  start();
  kvtest::answerNextModal(answerQuit(QMessageBox::No));
  window->ui.actionQuit->trigger();
  EXPECT_TRUE(window->isVisible());
  const QSettings stored = kvshell::storedSettings();
  EXPECT_EQ(window->geometry(), stored.value("geometry").toRect());
  EXPECT_EQ(window->glWidget->geometry(), stored.value("GL/geometry").toRect());
  EXPECT_EQ(window->saveState(KestavorGUI::WindowStateVersion),
            stored.value("SavedWindowState").toByteArray());
}

TEST_F(RunningShell, QuitAnsweredYesEndsTheProgramWithGoodbye) {
  start();
  kvtest::answerNextModal(answerQuit(QMessageBox::Yes));
  QTimer::singleShot(0, window->ui.actionQuit, &QAction::trigger);
  kvtest::StdoutCapture out;
  EXPECT_EQ(0, runMainWindow(std::move(window)));
  EXPECT_EQ("Quitting... Goodbye!\n", out.text());
}

// Counts the message boxes shown while it lives, answered or not.
class ShownBoxes : public QObject {
 public:
  ShownBoxes() { qApp->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<QMessageBox*>(watched) != nullptr) ++count;
    return false;
  }
};

TEST_F(RunningShell, ClosingTheWindowAsksOnce) {
  start();
  ShownBoxes boxes;
  kvtest::answerNextModal(answerQuit(QMessageBox::No));
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(1, boxes.count);

  // After the Yes the window closes and the last window is gone: neither asks again.
  kvtest::answerNextModal(answerQuit(QMessageBox::Yes));
  bool closed = false;
  QTimer::singleShot(0, [this, &closed] { closed = window->close(); });
  EXPECT_EQ(0, QApplication::exec());
  EXPECT_TRUE(closed);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(2, boxes.count);
}

TEST_F(RunningShell, AnArgumentHoldingHdrSwitchesToTheHalfFloatPath) {
  GraphicsEngine& engine = *GraphicsEngine::instance();
  start({"Kestavor", "-hd", "hdr"});
  EXPECT_EQ(2, engine.renderMode);
  EXPECT_FALSE(window->glWidget->hdrEnabled);
  applyCommandLine(*window, {"/opt/kv-hdr/Kestavor"});   // the program's own name is no switch
  EXPECT_EQ(nullptr, engine.hdrFrameBuffer);

  applyCommandLine(*window, {"Kestavor", "x-HDRy", "--Hdr"});
  EXPECT_EQ(3, engine.renderMode);
  EXPECT_TRUE(window->glWidget->hdrEnabled);
  ASSERT_NE(nullptr, engine.hdrFrameBuffer);
  EXPECT_EQ(static_cast<unsigned>(window->glWidget->width()),
            engine.hdrFrameBuffer->colorTexture->width);
  window->glWidget->updateGL();   // a frame in the new path
}

}  // namespace
