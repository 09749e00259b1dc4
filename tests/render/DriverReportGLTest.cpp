// The graphics-driver report on a real context: the software renderer under Xvfb.

#include <QGLWidget>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "math/UtilityEngine.h"
#include "render/GraphicsEngine.h"
#include "support/QtApplication.h"
#include "support/TextLines.h"
#include "support/WorkingFolder.h"

namespace {

class DriverReportGL : public ::testing::Test {
 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    widget.reset(new QGLWidget());
    widget->resize(32, 32);
    widget->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(widget->isValid()) << "no GL context";
    widget->makeCurrent();
  }

  kvtest::WorkingFolder folder;
  std::unique_ptr<QGLWidget> widget;
};

}  // namespace

TEST_F(DriverReportGL, AppendsTheReportAndStoresTheVersion) {
  folder.write("hwdebug.txt", "earlier report\n");
  UtilityEngine::instance()->QueryGPU();
  const std::vector<std::string> lines = kvtest::linesOf(folder.read("hwdebug.txt"));
  ASSERT_GT(lines.size(), 12u);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 4);
  EXPECT_EQ((std::vector<std::string>{"earlier report", "", "*******Begin GPU Query*******", ""}), head);
  EXPECT_EQ(0u, lines[4].rfind("Vendor: ", 0));
  EXPECT_EQ(0u, lines[5].rfind("Renderer: llvmpipe", 0));
  const std::vector<std::string> version(lines.begin() + 7, lines.begin() + 10);
  EXPECT_EQ((std::vector<std::string>{"GL Major: 4", "GL Minor: 5", "Extensions:"}), version);
  EXPECT_EQ(0u, lines[10].rfind("GL_", 0)) << "one extension name per line";
  EXPECT_EQ("********End GPU Query********", lines.back());
  EXPECT_EQ(4, GraphicsEngine::instance()->glMajorVersion);
  EXPECT_EQ(5, GraphicsEngine::instance()->glMinorVersion);
}

TEST_F(DriverReportGL, ExclusionListNamesTheSoftwareRenderer) {
  UtilityEngine* utility = UtilityEngine::instance();
  EXPECT_FALSE(utility->QueryGPUBlackList()) << "no list";
  folder.write("Settings/blacklist.ini", "# llvmpipe is fine\n");
  EXPECT_FALSE(utility->QueryGPUBlackList());
  folder.write("Settings/blacklist.ini", "# known bad\nLLVMpipe\n");
  EXPECT_TRUE(utility->QueryGPUBlackList());
}
