#pragma once

// The main window as the program starts it: the library loaded from the repository's folders,
// the window shown, the start camera gliding home. Each test starts with an empty settings
// store, so a start is a first start unless the test stored a layout itself. Needs an X server.

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QMessageBox>
#include <QSettings>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "app/KestavorGUI.h"
#include "app/Startup.h"
#include "io/MoleculeEngine.h"
#include "render/MathEngine.h"
#include "support/QtApplication.h"

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

  std::unique_ptr<KestavorGUI> window;
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
