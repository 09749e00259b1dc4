#pragma once

// Runs a test in a fresh, empty working folder: code that writes below the working directory
// (diagnostic dumps) writes there. The previous working directory comes back, and the folder
// goes, when it is destroyed.

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

namespace kvtest {

class WorkingFolder {
 public:
  WorkingFolder() : previous(std::filesystem::current_path()) {
    path = std::filesystem::temp_directory_path() /
           ("kvwork-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
  }
  ~WorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(path, ignored);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  // Makes a folder below the working folder.
  void make(const std::string& relative) const {
    std::filesystem::create_directories(path / relative);
  }

  // The names of the entries of a folder below the working folder; none when it is missing.
  std::set<std::string> files(const std::string& relative) const {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path / relative, ignored))
      names.insert(entry.path().filename().string());
    return names;
  }

  std::filesystem::path path;

 private:
  std::filesystem::path previous;
};

}  // namespace kvtest
