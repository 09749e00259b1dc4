// The text side of the graphics-driver report: version numbers, extension names and the
// exclusion list.

#include <sstream>

#include <gtest/gtest.h>

#include "render/DriverReport.h"

TEST(DriverReportText, VersionPartsThatAreMissingGiveZero) {
  const struct {
    const char* version;
    int major, minor;
  } cases[] = {{"4.5 (Compatibility Profile) Mesa 22.3.6", 4, 5}, {"4", 4, 0},
               {nullptr, 0, 0}, {"NVIDIA", 0, 0},
               {"4 (Compatibility Profile).5", 4, 0},   // the "." is the 26th character
               {"7777777777777777777777777.2", 2147483647, 0}};   // clamped, never read past
  for (const auto& c : cases) {
    int major = -1, minor = -1;
    parseGLVersion(c.version, major, minor);
    EXPECT_EQ(c.major, major) << (c.version ? c.version : "null");
    EXPECT_EQ(c.minor, minor) << (c.version ? c.version : "null");
  }
  EXPECT_EQ((std::vector<std::string>{"GL_ARB_multitexture", "GL_EXT_fog", "WGL_x"}),
            splitExtensions("  GL_ARB_multitexture GL_EXT_fog\t--WGL_x "));
}

TEST(DriverReportText, ExclusionListReadsLongLinesWholeAndIgnoresCarriageReturns) {
  // Comments and a missing list are checked on a real context (RendererGLTest.cpp).
  for (const std::string& list : {std::string(300, 'x') + "\nllvm\n", std::string("#\r\nLLVMPIPE\r\n")}) {
    std::istringstream in(list);
    EXPECT_TRUE(rendererExcluded("llvmpipe (LLVM 15.0.6, 256 bits)", in)) << list;
  }
}
