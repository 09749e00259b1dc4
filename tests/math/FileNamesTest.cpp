// A file's name split into stem and extension, the one way the readers name molecules after
// their file, the commands pick its type and the renderer finds a font's page.

#include <gtest/gtest.h>

#include <string>

#include "math/FileNames.h"

TEST(FileNames, StemAndExtensionSplitTheLastComponentAtItsLastDot) {
  const struct {
    const char* path;
    const char* stem;
    const char* extension;
  } cases[] = {
      {"/data/1abc.pdb", "1abc", ".pdb"},       {"1abc.pdb", "1abc", ".pdb"},
      {"a.b/c.SDF", "c", ".SDF"},              {"x.molecules/caffeine", "caffeine", ""},
      {"dir/archive.pdb.bak", "archive.pdb", ".bak"}, {"dir/.pdb", "", ".pdb"},
      {"dir/", "", ""},                         {"", "", ""},
      {"name.", "name", "."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.stem, fileStem(c.path)) << c.path;
    EXPECT_EQ(c.extension, fileExtension(c.path)) << c.path;
    // The stem and the extension are the whole name.
    const std::string path = c.path;
    EXPECT_EQ(path.substr(path.find_last_of('/') + 1), std::string(c.stem) + c.extension);
  }
}
