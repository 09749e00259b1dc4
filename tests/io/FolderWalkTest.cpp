// The one folder walk under the library loading and the folder import: hidden folders, links to
// folders, the depth bound and files that are not regular, as each caller's rules say.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/InputFile.h"
#include "support/FileFixture.h"

namespace fs = std::filesystem;

namespace {

class FolderWalkTest : public kvtest::FileFixture {
 protected:
  FolderWalkTest() : kvtest::FileFixture("kv_walk_") {}

  std::vector<std::string> walk(const FolderWalk& rules) {
    std::vector<std::string> seen;
    EXPECT_TRUE(walkFolder(folder, rules, [&](const fs::path& p) {
      seen.push_back(p.lexically_relative(folder).string());
    }));
    std::sort(seen.begin(), seen.end());
    return seen;
  }
};

TEST_F(FolderWalkTest, RulesChooseHiddenFoldersLinksDepthAndFileKinds) {
  fs::create_directories(folder / "a" / "b" / "c");
  fs::create_directories(folder / ".hidden");
  std::ofstream(folder / "top.mol") << "x";
  std::ofstream(folder / "a" / "b" / "c" / "deep.mol") << "x";
  std::ofstream(folder / ".hidden" / "h.mol") << "x";
  fs::create_directory_symlink(folder / "a" / "b", folder / "link");
  fs::create_symlink(folder / "missing", folder / "broken");

  // The folder import: every regular file, hidden folders too, links to folders not entered.
  EXPECT_EQ((std::vector<std::string>{".hidden/h.mol", "a/b/c/deep.mol", "top.mol"}),
            walk(FolderWalk()));

  // The library: no hidden folders, links followed, to a bounded depth; a broken link cannot be
  // examined and is passed over.
  FolderWalk library;
  library.hiddenFolders = false;
  library.followLinks = true;
  library.regularFilesOnly = false;
  library.maxDepth = 2;
  EXPECT_EQ((std::vector<std::string>{"link/c/deep.mol", "top.mol"}), walk(library));
  library.maxDepth = 3;
  EXPECT_EQ((std::vector<std::string>{"a/b/c/deep.mol", "link/c/deep.mol", "top.mol"}),
            walk(library));

  EXPECT_FALSE(walkFolder(folder / "none", FolderWalk(), [](const fs::path&) {}));
  EXPECT_FALSE(walkFolder(folder / "top.mol", FolderWalk(), [](const fs::path&) {}));
}

}   // namespace
