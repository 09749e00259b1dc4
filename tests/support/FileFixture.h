#pragma once

// A test that reads and writes molecule files: the application object and the file singleton in
// place, the console silenced (its verbosity restored afterwards), a fresh folder of its own, and
// the molecules it read freed at the end.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "support/QtApplication.h"

namespace kvtest {

class FileFixture : public ::testing::Test {
 protected:
  // prefix names the folder, so parallel test binaries never share one.
  explicit FileFixture(std::string prefix) : folderPrefix(std::move(prefix)) {}

  void SetUp() override {
    ensureApplication();
    IOEngine::instance();
    savedPrintLevel = UtilityEngine::instance()->printLevel;
    UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
    folder = std::filesystem::temp_directory_path() /
             (folderPrefix + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }

  void TearDown() override {
    for (Molecule* m : molecules) delete m;
    UtilityEngine::instance()->setConsoleSink(ConsoleSink());
    UtilityEngine::instance()->printLevel = savedPrintLevel;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  std::vector<Molecule*> molecules;   // freed in TearDown
  std::filesystem::path folder;
  int savedPrintLevel = 1;

 private:
  std::string folderPrefix;
};

}  // namespace kvtest
