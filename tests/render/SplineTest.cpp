#include <iterator>
#include <limits>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "render/MathEngine.h"
#include "support/ErrorCapture.h"

namespace {
std::map<float, float> spline(std::map<float, float> points, float step) {
  MathEngine::instance()->naturalCubicSplineInterplationXY(points, step);
  return points;
}
}  // namespace

TEST(Spline, SamplesEveryStepThroughTheKnotsAndEndsOnTheLastInputPoint) {
  const std::map<float, float> curve = spline({{0, 2.0f}, {90, 7.5f}, {180, 1.25f}}, 1.0f);
  ASSERT_EQ(181u, curve.size());
  EXPECT_EQ(1.25f, curve.at(180.0f));
  EXPECT_NEAR(7.5f, curve.at(90.0f), 1e-4);
  EXPECT_GT(curve.at(45.0f), 4.75f) << "above the chord on the rising side";
  // A step beyond the range: the first point, one sample past the last x, the last point.
  const std::map<float, float> wide = spline({{0, 1.0f}, {5, 2.0f}, {10, 0.0f}}, 25.0f);
  EXPECT_EQ((std::vector<float>{0, 10, 25}), (std::vector<float>{wide.begin()->first,
            std::next(wide.begin())->first, wide.rbegin()->first}));
  EXPECT_EQ(0.0f, wide.at(10.0f));
}

TEST(Spline, TwoPointsAndCollinearPointsGiveTheirStraightLine) {
  for (const std::map<float, float>& line :
       {spline({{0, 1.0f}, {40, 9.0f}}, 1.0f), spline({{0, 1.0f}, {10, 3.0f}, {40, 9.0f}}, 0.5f)})
    for (const auto& p : line) EXPECT_NEAR(0.2f * p.first + 1.0f, p.second, 1e-3) << p.first;
}

TEST(Spline, InputThatCouldNotEndIsLeftAsItWas) {
  const std::map<float, float> points = {{0, 1.0f}, {360, 2.0f}};
  for (float step : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                     std::numeric_limits<float>::infinity()})
    EXPECT_EQ(points, spline(points, step)) << "step " << step;
  EXPECT_EQ((std::map<float, float>{{3, 4.0f}}), spline({{3, 4.0f}}, 1.0f));
  kvtest::ErrorCapture errors;
  EXPECT_EQ(points, spline(points, 1e-5f)) << "36 million samples";
  EXPECT_EQ(1u, errors.lines.size());
}
