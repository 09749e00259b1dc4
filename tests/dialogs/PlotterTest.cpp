// The energy profile plot: axis rounding, rubber-band zoom and the zoom stack, keys, wheel and
// what the picture shows.

#include <QImage>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <limits>

#include <gtest/gtest.h>

#include "dialogs/Plotter.h"
#include "support/MouseMove.h"
#include "support/QtApplication.h"

namespace {

TEST(PlotAxis, RoundsOutwardToStepsOfOneTwoOrFive) {
  struct Case {
    double min, max, roundedMin, roundedMax;
    int ticks;
  };
  const Case cases[] = {
      {100, 200, 100, 200, 5},    // gross step 25: 5 x 10 is not below it, 2 x 10 is
      {-7, 33, -10, 40, 5},       // gross step 10: the power of ten itself
      {3, 3, 2, 4, 10},           // an empty span is widened by one each side first
  };
  for (const Case& c : cases) {
    double min = c.min, max = c.max;
    int ticks = 0;
    PlotSettings::adjustAxis(min, max, ticks);
    EXPECT_NEAR(c.roundedMin, min, 1e-9) << c.min << ".." << c.max;
    EXPECT_NEAR(c.roundedMax, max, 1e-9) << c.min << ".." << c.max;
    EXPECT_EQ(c.ticks, ticks) << c.min << ".." << c.max;
  }
  double min = 0, max = std::numeric_limits<double>::infinity();
  int ticks = 7;
  PlotSettings::adjustAxis(min, max, ticks);
  EXPECT_EQ(7, ticks);
}

class Plot : public ::testing::Test {
 protected:
  void SetUp() override {
    plotter.resize(504, 304);   // a 400 x 200 plot rectangle
    PlotSettings settings;
    settings.maxX = 400;
    settings.maxY = 200;
    plotter.setPlotSettings(settings);
  }

  void band(QPoint from, QPoint to) {
    QTest::mousePress(&plotter, Qt::LeftButton, Qt::NoModifier, from);
    kvtest::mouseMove(&plotter, to, Qt::LeftButton);
    QTest::mouseRelease(&plotter, Qt::LeftButton, Qt::NoModifier, to);
  }

  QImage picture() { return plotter.grab().toImage(); }

  const bool applicationMade = (kvtest::ensureApplication(), true);   // before any widget
  Plotter plotter;
};

TEST_F(Plot, SmallBandsZoomNothingAndAZoomShowsOnlyTheZoomOutButton) {
  band(QPoint(100, 100), QPoint(102, 149));   // 3 x 50 pixels, corners included
  EXPECT_EQ(1, plotter.zoomStack.size());
  band(QPoint(152, 102), QPoint(155, 105));   // 4 x 4: plot pixels 100..103 by 50..53
  ASSERT_EQ(2, plotter.zoomStack.size());
  EXPECT_EQ(1, plotter.currentZoom);
  EXPECT_TRUE(!plotter.zoomOutButton->isHidden() && plotter.zoomInButton->isHidden());
  const PlotSettings& zoomed = plotter.currentSettings();
  EXPECT_TRUE(zoomed.minX <= 100.0 && zoomed.maxX >= 103.0 && zoomed.minY <= 147.0 &&
              zoomed.maxY >= 150.0) << zoomed.minX << ".." << zoomed.maxX << ", " << zoomed.minY;

  QTest::keyClick(&plotter, Qt::Key_Minus);
  EXPECT_TRUE(plotter.currentZoom == 0 && !plotter.zoomInButton->isHidden() &&
              !plotter.zoomOutButton->isEnabled());
  QTest::keyClick(&plotter, Qt::Key_Plus);
  EXPECT_TRUE(plotter.currentZoom == 1 && !plotter.zoomInButton->isEnabled());
}

TEST_F(Plot, KeysAndWheelScrollByWholeDivisions) {
  QTest::keyClick(&plotter, Qt::Key_Left);
  EXPECT_EQ(-20.0, plotter.currentSettings().minX);   // 400 over 20 divisions
  EXPECT_EQ(380.0, plotter.currentSettings().maxX);
  QTest::keyClick(&plotter, Qt::Key_Up);
  EXPECT_EQ(20.0, plotter.currentSettings().minY);   // 200 over 10
  // Two notches of 15 degrees up, in eighths of a degree.
  QWheelEvent wheel(QPointF(200, 200), QPointF(200, 200), QPoint(), QPoint(0, 240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&plotter, &wheel);
  EXPECT_EQ(60.0, plotter.currentSettings().minY);
  EXPECT_EQ(1, plotter.zoomStack.size());
}

TEST_F(Plot, NarrowWidgetShowsOnlyTheBackground) {
  plotter.setCurveData(1, {QPointF(0, 0), QPointF(400, 200)});
  const QRgb background = plotter.palette().color(QPalette::Light).rgb();
  for (QSize size : {QSize(104, 300), QSize(300, 104), QSize(105, 105)}) {
    plotter.resize(size);
    const QImage image = picture();
    int other = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) other += image.pixel(x, y) != background;
    if (size == QSize(105, 105))
      EXPECT_GT(other, 0);
    else
      EXPECT_EQ(0, other) << size.width() << " x " << size.height();
  }
}

TEST_F(Plot, FlatProfileIsALevelLineAcrossTheMiddle) {
  PlotSettings flat;
  flat.maxX = 360;
  flat.minY = flat.maxY = 0.0;
  plotter.setPlotSettings(flat);
  plotter.setCurveData(1, {QPointF(0, 0), QPointF(180, 0), QPointF(360, 0)});
  const QImage image = picture();
  // Plot rows 52 to 251: the middle row, 151 or 152, is blue from the left edge to the right.
  int blueRows = 0;
  for (int y = 52; y < 252; ++y) {
    int blue = 0;
    for (int x = 53; x < 451; ++x) blue += image.pixelColor(x, y).blue() > 200 &&
                                           image.pixelColor(x, y).red() < 100;
    if (blue > 390) {
      ++blueRows;
      EXPECT_NEAR(151.5, y, 1.0);
    }
  }
  EXPECT_GE(blueRows, 1);
}

}  // namespace
