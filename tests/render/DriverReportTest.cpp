// The text side of the graphics-driver report: version numbers, extension names and the
// renderer exclusion list.

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "render/DriverReport.h"

TEST(DriverVersion, MissingPartsGiveZeroAndNothingPastTheStringIsRead) {
  const std::string longDigits(40, '7');
  const struct {
    const char* version;
    int major, minor;
  } cases[] = {
      {"4.5 (Compatibility Profile) Mesa 22.3.6", 4, 5},
      {"3.1\n", 3, 1},
      {"2.1 Mesa", 2, 1},
      {"4", 4, 0},            // no "."
      {"4.", 4, 0},           // no second number
      {"", 0, 0},
      {nullptr, 0, 0},
      {"NVIDIA", 0, 0},
      // Only the first 25 characters count: the "." is the 26th.
      {"4 (Compatibility Profile).5", 4, 0},
  };
  for (const auto& c : cases) {
    int major = -1, minor = -1;
    parseGLVersion(c.version, major, minor);
    EXPECT_EQ(c.major, major) << (c.version ? c.version : "null");
    EXPECT_EQ(c.minor, minor) << (c.version ? c.version : "null");
  }
  int major = -1, minor = -1;
  parseGLVersion((longDigits + ".2").c_str(), major, minor);   // 25 digits: clamped, no overflow
  EXPECT_GT(major, 0);
  EXPECT_EQ(0, minor);
}

TEST(DriverExtensions, SplitAtEveryRunOfNonWordCharacters) {
  EXPECT_EQ((std::vector<std::string>{"GL_ARB_multitexture", "GL_EXT_fog_coord", "WGL_x"}),
            splitExtensions("  GL_ARB_multitexture GL_EXT_fog_coord\t--WGL_x "));
  EXPECT_TRUE(splitExtensions(nullptr).empty());
}

TEST(DriverExclusionList, MatchesAnyLineCaseInsensitivelyButNeverAComment) {
  const std::string renderer = "llvmpipe (LLVM 15.0.6, 256 bits)";
  const struct {
    const char* list;
    bool excluded;
  } cases[] = {
      {"llvmpipe\n", true},
      {"# old drivers\nLLVMPIPE\r\n", true},
      {"#llvmpipe\n", false},             // the comment names it, but a comment never matches
      {"\n\nsoftpipe\n", false},          // empty lines match nothing
      {"", false},
  };
  for (const auto& c : cases) {
    std::istringstream list(c.list);
    EXPECT_EQ(c.excluded, rendererExcluded(renderer, list)) << c.list;
  }
  std::istringstream longLine(std::string(300, 'x') + "\nllvm\n");   // read whole, then the next
  EXPECT_TRUE(rendererExcluded(renderer, longLine));
}
