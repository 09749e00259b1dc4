#include "math/UtilityEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "math/Constants.h"
#include "support/ErrorCapture.h"

namespace {


UtilityEngine& utility() { return *UtilityEngine::instance(); }

void expectVector(const SSEVector4f& v, float x, float y, float z, float eps = 1e-4f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

float angleBetween(const SSEVector4f& a, const SSEVector4f& b) {
  const float c = a.dot(b) / (a.length() * b.length());
  return std::acos(std::fmax(-1.0f, std::fmin(1.0f, c)));
}

bool finite(const SSEVector4f& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

// Dihedral p1-p2-p3-p4 by the usual atan2 form, independent of the code under test.
float dihedral(const SSEVector4f& p1, const SSEVector4f& p2, const SSEVector4f& p3,
               const SSEVector4f& p4) {
  const SSEVector4f b1 = p2 - p1, b2 = p3 - p2, b3 = p4 - p3;
  const SSEVector4f n1 = b1 % b2, n2 = b2 % b3;
  SSEVector4f unitB2 = b2;
  unitB2.normalize();
  const SSEVector4f m1 = n1 % unitB2;
  return std::atan2(m1.dot(n2), n1.dot(n2));
}

}  // namespace

TEST(RotationMatrix, RightHandedAboutUnitAxis) {
  float r0[3], r1[3], r2[3];
  float* rows[3] = {r0, r1, r2};
  utility().arbitraryRotationAxis(0, 0, 1, kPi / 2, rows);
  // (1, 0, 0) goes to (0, 1, 0).
  EXPECT_NEAR(r0[0], 0, 1e-6f);
  EXPECT_NEAR(r1[0], 1, 1e-6f);
  EXPECT_NEAR(r2[0], 0, 1e-6f);
  const float s = 1 / std::sqrt(3.0f);
  utility().arbitraryRotationAxis(s, s, s, 2 * kPi / 3, rows);   // cycles x -> y -> z
  EXPECT_NEAR(r1[0], 1, 1e-5f);
  EXPECT_NEAR(r2[1], 1, 1e-5f);
  EXPECT_NEAR(r0[2], 1, 1e-5f);
  utility().arbitraryRotationAxis(0, 0, 1, 1, nullptr);   // nothing to fill, nothing happens
}

TEST(SecondAtom, UnitAtTheAngleTurningTowardsTheReferenceAxis) {
  SSEVector4f result(9, 9, 9, 0.25f);
  utility().calculateSecondAtom(SSEVector4f(0, 0, 1, 0), result, kPi / 2);
  expectVector(result, 1, 0, 0);
  EXPECT_EQ(result.w, 0.25f);   // left as it was
  // Along x the reference switches to y.
  utility().calculateSecondAtom(SSEVector4f(2, 0, 0, 0), result, kPi / 2);
  expectVector(result, 0, 1, 0);
  const SSEVector4f direction(1, 2, -2, 0);
  for (float angle : {0.3f, 1.9106f, 3.0f}) {
    utility().calculateSecondAtom(direction, result, angle);
    EXPECT_NEAR(result.length(), 1.0f, 1e-5f);
    EXPECT_NEAR(angleBetween(result, direction), angle, 1e-3f);
  }
}

TEST(ThirdAtom, BothMirrorSolutionsAreUnitAndAtTheirAngles) {
  struct Case {
    SSEVector4f a, b;
    float alpha, beta;
  };
  const float r = 1 / std::sqrt(2.0f);
  const Case cases[] = {
      {SSEVector4f(1, 0, 0, 0), SSEVector4f(0, 1, 0, 0), 2.0944f, 2.0944f},
      {SSEVector4f(r, r, 0, 0), SSEVector4f(0, r, r, 0), 1.8f, 2.2f},
      // Opposite bonds: any direction at alpha to a is at pi - alpha to b.
      {SSEVector4f(0, 0, 1, 0), SSEVector4f(0, 0, -1, 0), 1.2f, kPi - 1.2f},
  };
  for (const Case& c : cases) {
    SSEVector4f first, second;
    utility().calculateThirdAtom(c.a, c.b, first, second, c.alpha, c.beta);
    for (const SSEVector4f& v : {first, second}) {
      EXPECT_NEAR(v.length(), 1.0f, 1e-5f) << c.alpha << " " << c.beta;
      EXPECT_NEAR(angleBetween(v, c.a), c.alpha, 1e-3f) << c.alpha << " " << c.beta;
      EXPECT_NEAR(angleBetween(v, c.b), c.beta, 1e-3f) << c.alpha << " " << c.beta;
    }
  }
  SSEVector4f first, second;
  utility().calculateThirdAtom(cases[0].a, cases[0].b, first, second, 2.0944f, 2.0944f);
  expectVector(first, -0.5f, -0.5f, -0.7071f);
  expectVector(second, -0.5f, -0.5f, 0.7071f);
}

TEST(ThirdAtom, DegenerateRequestsFallBack) {
  const SSEVector4f a(1, 0, 0, 0), b(0, 1, 0, 0);
  SSEVector4f first, second;
  utility().calculateThirdAtom(a, b, first, second, 0.005f, 1.0f);   // alpha zero
  expectVector(first, -1, 0, 0);
  expectVector(second, -1, 0, 0);
  utility().calculateThirdAtom(a, b, first, second, 1.0f, kPi);      // beta straight
  expectVector(first, 0, -1, 0);
  utility().calculateThirdAtom(a, a, first, second, 1.0f, 1.0f);     // a and b equal
  expectVector(first, 1, 0, 0);
  expectVector(second, 1, 0, 0);
  // beta too small to reach from a: the bisector of a and b.
  utility().calculateThirdAtom(a, b, first, second, 0.5f, 0.5f);
  expectVector(first, 0.7071f, 0.7071f, 0);
  // Both angles too wide: the opposite bisector.
  utility().calculateThirdAtom(a, b, first, second, 3.0f, 3.0f);
  expectVector(second, -0.7071f, -0.7071f, 0);
}

TEST(ThirdAtom, NeverNotANumber) {
  // Includes the unreachable combinations (beta above alpha + angle(a, b)), collinear and
  // nearly collinear bonds.
  std::vector<std::pair<SSEVector4f, SSEVector4f>> pairs = {
      {SSEVector4f(1, 0, 0, 0), SSEVector4f(0, 1, 0, 0)},
      {SSEVector4f(1, 0, 0, 0), SSEVector4f(-1, 0, 0, 0)},
      {SSEVector4f(1, 0, 0, 0), SSEVector4f(0.99995f, 0.0099998f, 0, 0)},
      {SSEVector4f(1, 0, 0, 0), SSEVector4f(-0.99995f, 0.0099998f, 0, 0)},
      {SSEVector4f(0, 0, 1, 0), SSEVector4f(0, 0, 1, 0)}};
  for (const auto& pair : pairs)
    for (float alpha = 0.0f; alpha <= 3.2f; alpha += 0.2f)
      for (float beta = 0.0f; beta <= 3.2f; beta += 0.2f) {
        SSEVector4f first, second;
        utility().calculateThirdAtom(pair.first, pair.second, first, second, alpha, beta);
        ASSERT_TRUE(finite(first) && finite(second)) << alpha << " " << beta;
        EXPECT_NEAR(first.length(), 1.0f, 1e-4f) << alpha << " " << beta;
        EXPECT_NEAR(second.length(), 1.0f, 1e-4f) << alpha << " " << beta;
      }
}

TEST(RotateAboutAxis, OnlyFlaggedPointsTurnAboutAGoodPivot) {
  SSEVector4f points[] = {SSEVector4f(1, 1, 0, 1), SSEVector4f(2, 1, 0, 1),
                          SSEVector4f(1, 3, 0, 0.5f)};
  const bool all[] = {true, true, false};
  kvtest::ErrorCapture errorLog;
  utility().rotateAboutAxis(points, 5, 3, 0, 0, 1, 1.0f, all);   // no such pivot
  EXPECT_NE(errorLog.text().find("Error: "), std::string::npos);
  expectVector(points[1], 2, 1, 0, 0);

  utility().rotateAboutAxis(points, 0, 3, 0, 0, 1, kPi / 2, all);
  expectVector(points[0], 1, 1, 0, 0);        // the pivot stays
  expectVector(points[1], 1, 2, 0);           // turned about (1, 1)
  EXPECT_EQ(points[1].w, 1.0f);
  expectVector(points[2], 1, 3, 0, 0);        // not flagged
}

TEST(PointInDirection, DistanceAlongDirectionAndAZeroDirectionGivesTheStart) {
  const SSEVector4f direction(0, 0, 2, 0), start(1, 1, 1, 1), zero(0, 0, 0, 0);
  SSEVector4f p = utility().findPointInDirection(&direction, 3, &start);
  expectVector(p, 1, 1, 4, 0);
  EXPECT_EQ(p.w, 0.0f);
  kvtest::ErrorCapture errorLog;
  p = utility().findPointInDirection(&zero, 3, &start);
  EXPECT_EQ(errorLog.text(), "Error: direction vector is zero\n");
  expectVector(p, 1, 1, 1, 0);
  EXPECT_EQ(p.w, 0.0f);
}

TEST(CorrectDihedral, ReachesTheTargetKeepingTheBondLength) {
  const SSEVector4f p1(1, 0, 0, 1), p2(0, 0, 0, 1), p3(0, 0, 1, 1);
  const SSEVector4f p4(0, 1, 1, 1);
  EXPECT_NEAR(dihedral(p1, p2, p3, p4), -kPi / 2, 1e-5f);
  for (float target : {1.0472f, -2.5f, kPi - 0.001f, 0.0f, -kPi / 2}) {
    SSEVector4f moved = p4;
    utility().generateCorrectDihedral(p1, p2, p3, moved, target);
    EXPECT_NEAR(dihedral(p1, p2, p3, moved), target, 1e-4f) << target;
    EXPECT_NEAR((moved - p3).length(), 1.0f, 1e-5f);
    EXPECT_EQ(moved.w, 1.0f);
    if (target == -kPi / 2) expectVector(moved, p4.x, p4.y, p4.z);   // already there: stays
  }
}

TEST(CorrectDihedral, CollinearPointsLeavePointInPlace) {
  const SSEVector4f p1(0, 0, -1, 1), p2(0, 0, 0, 1), p3(0, 0, 1, 1);
  SSEVector4f p4(0, 1, 1, 1);
  utility().generateCorrectDihedral(p1, p2, p3, p4, 1.0f);
  expectVector(p4, 0, 1, 1, 0);
  SSEVector4f onAxis(0, 0, 2, 1);
  utility().generateCorrectDihedral(SSEVector4f(1, 0, 0, 1), p2, p3, onAxis, 1.0f);
  expectVector(onAxis, 0, 0, 2, 0);
}
