#include <cmath>
#include <limits>
#include <map>

#include <gtest/gtest.h>

#include "render/MathEngine.h"
#include "support/ErrorCapture.h"

namespace {

std::map<float, float> spline(std::map<float, float> points, float step) {
  MathEngine::instance()->naturalCubicSplineInterplationXY(points, step);
  return points;
}

// Every sample lies on the line through the first and the last point.
void expectStraight(const std::map<float, float>& samples, float slope, float intercept) {
  for (const auto& p : samples)
    EXPECT_NEAR(slope * p.first + intercept, p.second, 1e-3) << "x " << p.first;
}

}  // namespace

TEST(Spline, SamplesEveryStepAndEndsOnTheLastInputPoint) {
  const std::map<float, float> curve = spline({{0, 2.0f}, {90, 7.5f}, {180, 1.25f}}, 1.0f);
  ASSERT_EQ(181u, curve.size());
  EXPECT_EQ(0.0f, curve.begin()->first);
  EXPECT_EQ(2.0f, curve.begin()->second);
  EXPECT_EQ(1.25f, curve.at(180.0f));
  EXPECT_NEAR(7.5f, curve.at(90.0f), 1e-4) << "the spline passes through its knots";
  EXPECT_GT(curve.at(45.0f), 4.75f) << "a curve above the chord on the rising side";
}

TEST(Spline, TwoPointsAndCollinearPointsGiveTheirStraightLine) {
  expectStraight(spline({{-30, 1.0f}, {30, 4.0f}}, 1.0f), 0.05f, 2.5f);
  const std::map<float, float> line = spline({{0, 1.0f}, {10, 3.0f}, {40, 9.0f}}, 0.5f);
  EXPECT_EQ(81u, line.size());
  expectStraight(line, 0.2f, 1.0f);
}

TEST(Spline, StepBeyondTheRangeGivesFirstPointOneSampleAndLastPoint) {
  const std::map<float, float> curve = spline({{0, 1.0f}, {5, 2.0f}, {10, 0.0f}}, 25.0f);
  ASSERT_EQ(3u, curve.size());
  EXPECT_EQ(1u, curve.count(0.0f));
  EXPECT_EQ(0.0f, curve.at(10.0f));
  EXPECT_EQ(1u, curve.count(25.0f)) << "one sample on the last interval, beyond its end";
}

TEST(Spline, InputThatCouldNotEndIsLeftAsItWas) {
  const std::map<float, float> points = {{0, 1.0f}, {360, 2.0f}};
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float step : {0.0f, -1.0f, nan, std::numeric_limits<float>::infinity()})
    EXPECT_EQ(points, spline(points, step)) << "step " << step;
  EXPECT_EQ((std::map<float, float>{{3, 4.0f}}), spline({{3, 4.0f}}, 1.0f));
  kvtest::ErrorCapture errors;
  EXPECT_EQ(points, spline(points, 1e-5f)) << "36 million samples";
  EXPECT_EQ(1u, errors.lines.size());
}
