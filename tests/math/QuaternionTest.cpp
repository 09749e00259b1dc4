#include "math/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "math/Constants.h"

namespace {

constexpr float kEps = 1e-5f;

void expectQuaternion(const Quaternion& q, float w, float x, float y, float z, float eps = kEps) {
  EXPECT_NEAR(q.w, w, eps);
  EXPECT_NEAR(q.x, x, eps);
  EXPECT_NEAR(q.y, y, eps);
  EXPECT_NEAR(q.z, z, eps);
}

void expectVector(const SSEVector4f& v, float x, float y, float z, float w, float eps = 1e-4f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
  EXPECT_NEAR(v.w, w, eps);
}

float norm(const Quaternion& q) { return std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z); }

Quaternion axisAngle(float ax, float ay, float az, float angle) {
  Quaternion q;
  q.fromAxisAngle(ax, ay, az, angle);
  return q;
}

// An arbitrary rotation with no zero components.
Quaternion general() {
  const float n = std::sqrt(1.0f + 4.0f + 9.0f);
  return axisAngle(1 / n, -2 / n, 3 / n, 0.9f);
}

}  // namespace

TEST(QuaternionBasics, QuarterTurnAboutZ) {
  const Quaternion q = axisAngle(0, 0, 1, kPi / 2);
  SSEMatrix4x4f m;
  m.m[3] = 7;   // toMatrix writes every element
  q.toMatrix(&m);
  const float expected[] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], expected[i], kEps) << i;
  const SSEVector4f r = q.rotate(SSEVector4f(1, 0, 0, 1));
  EXPECT_EQ(r.x, 0.0f);   // the tiny residue is snapped
  expectVector(r, 0, 1, 0, 0);
  Quaternion degrees;
  degrees.fromAxisAngleD(0, 0, 1, 90);
  expectQuaternion(degrees, q.w, q.x, q.y, q.z);
}

TEST(QuaternionBasics, RotateProductInverseAndConjugateAgree) {
  const Quaternion q = general();
  SSEMatrix4x4f m;
  q.toMatrix(&m);
  const SSEVector4f v(0.3f, -1.2f, 2.5f, 0);
  const SSEVector4f byQuaternion = q.rotate(v);
  expectVector(byQuaternion, (v * m).x, (v * m).y, (v * m).z, 0);
  const SSEVector4f byConjugate = q.conjugate().rotate(v);   // the same rotation
  expectVector(byConjugate, byQuaternion.x, byQuaternion.y, byQuaternion.z, 0);
  expectQuaternion(q * q.inverse(), 1, 0, 0, 0);
  expectQuaternion(Quaternion(2, 0, 0, 0).inverse(), 0.5f, 0, 0, 0);   // divides by |q|^2

  // The right factor acts first: b takes y to z, a leaves z alone (the other way, y ends on -x).
  const Quaternion a = axisAngle(0, 0, 1, kPi / 2), b = axisAngle(1, 0, 0, kPi / 2);
  expectVector((a * b).rotate(SSEVector4f(0, 1, 0, 0)), 0, 0, 1, 0);
  Quaternion c = a;
  c.multBy(b);
  EXPECT_TRUE(c == a * b);
}

TEST(QuaternionStatics, RotateLeavesInverseResultAlone) {
  const Quaternion q = axisAngle(0, 1, 0, 0.5f);
  Quaternion& inverse = q.inverse();
  const Quaternion saved = inverse;
  Quaternion(0, 0, 1, 0).rotate(SSEVector4f(1, 0, 0, 0));
  EXPECT_TRUE(inverse == saved);
}

TEST(QuaternionBasics, NormalizeLeavesZeroAloneAndACopyOwnsItsMatrix) {
  Quaternion zero(0, 0, 0, 0);
  zero.normalize();
  expectQuaternion(zero, 0, 0, 0, 0, 0);
  expectQuaternion(zero.inverse(), 0, 0, 0, 0, 0);
  Quaternion q(2, 0, 0, 0);
  EXPECT_FLOAT_EQ(norm(q.normalize()), 1.0f);

  const Quaternion made(SSEVector4f(0, 0, 1, 0), kPi / 2);
  EXPECT_NEAR(made.matrix[1], 1.0f, kEps);
  const Quaternion copied(made);
  EXPECT_NE(copied.matrix, made.matrix);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(copied.matrix[i], made.matrix[i]);
}

TEST(QuaternionSlerp, ShorterArcLinearWhenCloseSphericalWhenFarEndpointsExact) {
  Quaternion q;
  for (float t : {0.0f, 0.3f, 1.0f}) {   // opposite signs are the same rotation
    q.slerp(Quaternion(1, 0, 0, 0), Quaternion(-1, 0, 0, 0), t);
    expectQuaternion(q, 1, 0, 0, 0);
  }
  const Quaternion from(1, 0, 0, 0);
  const float nearCos = 0.95f, farCos = 0.85f;
  const Quaternion nearTo(nearCos, std::sqrt(1 - nearCos * nearCos), 0, 0);
  const Quaternion farTo(farCos, std::sqrt(1 - farCos * farCos), 0, 0);
  q.slerp(from, nearTo, 0.5f);
  expectQuaternion(q, (1 + nearTo.w) / 2, nearTo.x / 2, 0, 0);
  EXPECT_LT(norm(q), 0.999f);
  q.slerp(from, farTo, 0.5f);
  EXPECT_NEAR(norm(q), 1.0f, kEps);
  EXPECT_NEAR(std::acos(q.w), std::acos(farCos) / 2, 1e-4f);   // the half angle

  const Quaternion a = axisAngle(0, 0, 1, 0.2f), b = axisAngle(0, 1, 0, 2.0f);
  q.slerp(a, b, 0.0f);
  expectQuaternion(q, a.w, a.x, a.y, a.z);
  Quaternion self = a;
  self.slerp(self, b, 1.0f);   // the result may overwrite "from"
  expectQuaternion(self, b.w, b.x, b.y, b.z);
}

TEST(QuaternionEuler, FixedAnglesRoundTripThroughToEulerAndThePoleIsSnapped) {
  const float deg = kPi / 180;
  const float cases[][3] = {{10, 20, 30}, {-45, 120, -170}, {80, -10, 95}, {0, 0, 0}};
  for (const auto& c : cases) {
    Quaternion q;
    q.fromEulerFixed(c[0], c[1], c[2]);
    EXPECT_NEAR(norm(q), 1.0f, kEps);
    const SSEVector4f e = q.toEuler();
    expectVector(e, c[0] * deg, c[1] * deg, c[2] * deg, 0);
  }
  const SSEVector4f pole = axisAngle(1, 0, 0, kPi / 2).toEuler();
  EXPECT_NEAR(pole.x, kPi / 2, 1e-3f);
  EXPECT_EQ(pole.y, 0.0f);
  EXPECT_EQ(pole.z, 0.0f);
}
