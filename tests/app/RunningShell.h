#pragma once

// The main window as the program starts it: the library loaded from the repository's folders,
// the window shown, the start camera gliding home. Each test starts with an empty settings
// store, so a start is a first start unless the test stored a layout itself. Needs an X server.

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ConsoleWidget.h"
#include "app/KestavorGUI.h"
#include "app/Startup.h"
#include "io/MoleculeEngine.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "support/FileDialogAnswer.h"
#include "support/QtApplication.h"
#include "support/TextLines.h"

namespace kvshell {

inline QSettings storedSettings() {
  return QSettings(KestavorGUI::SettingsOrganisation, KestavorGUI::SettingsApplication);
}

class RunningShell : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    QDir::setCurrent(KV_SOURCE_DIR);
    prepareApplication(*qApp);
    storedSettings().clear();
    MoleculeEngine::instance()->clear();   // each start loads the library anew
  }
  // A scene left behind would be drawn by the next window's view.
  void TearDown() override {
    if (window != nullptr && !MoleculeEngine::instance()->workspace.empty()) {
      window->glWidget->createNewWorkspace();
      window->glWidget->updateGL();
    }
    MathEngine::instance()->measureMode = 0;
    window.reset();
  }

  void start(const QStringList& arguments = {"Kestavor"}) {
    window = startMainWindow(arguments);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  // The program once the start-up glide is over, as the user first meets it.
  void startSettled() {
    start();
    GraphicsEngine::instance()->showFPS = false;   // nothing but the scene in the pixels
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 30000));
  }
  // Triggers the action, answering its file dialog with the path; the dialog's caption and
  // filters, "none" when it opened none.
  std::string run(QAction* action, const QString& path) {
    std::string shown = "none";
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer.stop();
      shown = (dialog->windowTitle() + "|" + dialog->nameFilters().join(";;")).toStdString();
      kvtest::typeFileName(dialog, path);
      static_cast<QDialog*>(dialog)->accept();   // checks the name as its OK button does
    });
    timer.start(5);
    action->trigger();
    return shown;
  }
  void enter(const char* smiles) {
    QTest::keyClicks(window->ui.smilesBox, smiles);   // keys reach the edit through the box
    QTest::keyClick(window->ui.smilesBox, Qt::Key_Return);
  }
  // Waits until the view has taken over what was handed to it and shows that many meshes. A
  // loaded machine's software rasteriser may take seconds over a frame.
  bool framesShow(size_t meshes) {
    return QTest::qWaitFor(
        [this, meshes] {
          return !window->glWidget->moleculePending &&
                 GraphicsEngine::instance()->meshes.size() == meshes;
        },
        20000);
  }

  // The console's lines without their numbers.
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    for (const std::string& line : kvtest::linesOf(window->console->toPlainText().toStdString()))
      out.push_back(std::regex_replace(line, std::regex("^\\d+>   "), ""));
    return out;
  }
  // The properties rows as "label=value|...".
  std::string rows() const {
    std::string text;
    for (int i = 0; i < window->propertiesTree->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* row = window->propertiesTree->topLevelItem(i);
      text += (row->text(0) + "=" + row->text(1) + "|").toStdString();
    }
    return text;
  }

  std::unique_ptr<KestavorGUI> window;
};

// The running program with a fresh folder for the files a test reads and writes.
class RoadShell : public RunningShell {
 protected:
  // The path of a file in the folder, written with the text first when one is given.
  QString file(const char* name, const std::string& text = std::string()) const {
    if (!text.empty()) std::ofstream(folder.filePath(name).toStdString()) << text;
    return folder.filePath(name);
  }
  static std::string dataOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, Qt::UserRole).toString().toStdString() : "none";
  }
  // The centre of a tree item (in the tree's viewport) once a user could click it there: the
  // tree shown on its page, the item scrolled to and laid out inside the viewport, and its place
  // the same on two polls, so that a click queued through the X server still finds it. False
  // when that does not come within ten seconds.
  static bool shownItemCentre(QTreeWidget* tree, QTreeWidgetItem* item, QPoint& centre) {
    tree->scrollToItem(item);
    QRect last;
    return QTest::qWaitFor(
        [&] {
          const QRect rect = tree->visualItemRect(item);
          const bool settled = tree->isVisible() && !rect.isEmpty() &&
                               tree->viewport()->rect().contains(rect) && rect == last;
          last = rect;
          centre = rect.center();
          return settled;
        },
        10000);
  }
  // A user's double-click sent straight to the widget: press, release, double-click, release.
  static void doubleClick(QWidget* widget, const QPoint& at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
  }

  QTemporaryDir folder;
  MoleculeEngine& library = *MoleculeEngine::instance();
};

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

}  // namespace kvshell
