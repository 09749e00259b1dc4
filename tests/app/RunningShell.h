#pragma once

// The main window as the program starts it (library, window, start camera, command line), each
// test from an empty settings store and a library loaded anew. Needs an X server.

#include <QDir>
#include <QSettings>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "app/KestavorGUI.h"
#include "app/Startup.h"
#include "io/MoleculeEngine.h"
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
  void TearDown() override { window.reset(); }

  void start(const QStringList& arguments = {"Kestavor"}) {
    window = startMainWindow(arguments);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  std::unique_ptr<KestavorGUI> window;
};

}  // namespace kvshell
