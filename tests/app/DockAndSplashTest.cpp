// The reporting dock and the splash screen.

#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "app/CustomDockWidget.h"
#include "app/KestavorSplash.h"
#include "support/QtApplication.h"

namespace {

TEST(Dock, HidingReportsItsKind) {
  kvtest::ensureApplication();
  CustomDockWidget dock;
  dock.type = 3;
  QSignalSpy hidden(&dock, &CustomDockWidget::hideSignal);
  dock.show();
  dock.close();
  ASSERT_EQ(1, hidden.count());
  EXPECT_EQ(3, hidden[0][0].toInt());
  EXPECT_FALSE(dock.isVisible());
}

TEST(Splash, BarCountsUpdatesFromZero) {
  kvtest::ensureApplication();
  KestavorSplash splash(nullptr);
  EXPECT_EQ(0, splash.ui.progress->value());
  EXPECT_EQ(0, splash.ui.progress->minimum());
  EXPECT_EQ(100, splash.ui.progress->maximum());
  EXPECT_EQ(QSize(336, 115), splash.ui.label->pixmap(Qt::ReturnByValue).size());
  for (int i = 0; i < 3; ++i) splash.updateProgress();
  EXPECT_EQ(3, splash.ui.progress->value());
  splash.setMaximumProgress(2);
  EXPECT_EQ(2, splash.ui.progress->maximum());
}

}  // namespace
