#pragma once

// A fresh temporary folder made the working directory for the life of the object, for services
// that read and write files relative to it. The old working directory comes back and the folder
// goes at the end. Declare one as a fixture member (CTest runs each case in its own process).

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

namespace kvtest {

class WorkingFolder {
 public:
  WorkingFolder() : previous(std::filesystem::current_path()) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::filesystem::temp_directory_path() /
             ("kv_wd_" + std::to_string(::getpid()) + "_" + (test ? test->name() : "none"));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
  }
  ~WorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(folder, ignored);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  // Writes text to a file below the folder, making its folders.
  void write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path path = folder / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }
  // The whole file, or "" when it does not exist.
  std::string read(const std::string& relative) const {
    std::ifstream in(folder / relative);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool exists(const std::string& relative) const {
    return std::filesystem::exists(folder / relative);
  }

  std::filesystem::path folder;

 private:
  std::filesystem::path previous;
};

}  // namespace kvtest
