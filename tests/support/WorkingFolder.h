#pragma once

// A fresh temporary folder made the working directory while the object lives, for services that
// read and write files relative to it (diagnostic dumps, developer tables); the old working
// directory comes back and the folder goes at the end. CTest runs each case in its own process,
// so changing directory is safe.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
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

  // Writes a file below the folder, making its folders.
  void write(const std::string& relative, const std::string& text) const {
    std::filesystem::create_directories((folder / relative).parent_path());
    std::ofstream(folder / relative) << text;
  }
  // The whole file; "" when it does not exist.
  std::string read(const std::string& relative) const {
    std::ostringstream text;
    text << std::ifstream(folder / relative).rdbuf();
    return text.str();
  }
  bool exists(const std::string& relative) const { return std::filesystem::exists(folder / relative); }
  // Makes a folder below the working folder.
  void make(const std::string& relative) const { std::filesystem::create_directories(folder / relative); }
  // The names of the entries of a folder below the working folder; none when it is missing.
  std::set<std::string> files(const std::string& relative) const {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder / relative, ignored))
      names.insert(entry.path().filename().string());
    return names;
  }

  std::filesystem::path folder;

 private:
  std::filesystem::path previous;
};

}  // namespace kvtest
