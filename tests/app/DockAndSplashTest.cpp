// The splash screen. A dock's hiding report is followed through the Window menu
// (MainWindowTest.cpp).

#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

#include "app/KestavorSplash.h"
#include "support/QtApplication.h"

namespace {

TEST(Splash, BarCountsUpdatesFromZero) {
  kvtest::ensureApplication();
  KestavorSplash splash(nullptr);
  EXPECT_TRUE(splash.ui.progress->value() == 0 && splash.ui.progress->minimum() == 0 &&
              splash.ui.progress->maximum() == 100);
  EXPECT_EQ(QSize(336, 115), splash.ui.label->pixmap(Qt::ReturnByValue).size());
  for (int i = 0; i < 3; ++i) splash.updateProgress();
  EXPECT_EQ(3, splash.ui.progress->value());
  splash.setMaximumProgress(2);
  EXPECT_EQ(2, splash.ui.progress->maximum());
}

}  // namespace
