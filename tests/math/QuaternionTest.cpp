#include "math/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
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
  EXPECT_EQ(m.m[3], 0.0f);
  EXPECT_EQ(m.m[15], 1.0f);
  EXPECT_NEAR(m.m[0], 0, kEps);
  EXPECT_NEAR(m.m[1], 1, kEps);
  EXPECT_NEAR(m.m[4], -1, kEps);
  EXPECT_NEAR(m.m[5], 0, kEps);
  const SSEVector4f r = q.rotate(SSEVector4f(1, 0, 0, 1));
  EXPECT_EQ(r.x, 0.0f);   // the tiny residue is snapped
  EXPECT_NEAR(r.y, 1, kEps);
  EXPECT_EQ(r.z, 0.0f);
  EXPECT_EQ(r.w, 0.0f);
  Quaternion degrees;
  degrees.fromAxisAngleD(0, 0, 1, 90);
  expectQuaternion(degrees, q.w, q.x, q.y, q.z);
}

TEST(QuaternionBasics, RotateAgreesWithMatrix) {
  const Quaternion q = general();
  SSEMatrix4x4f m;
  q.toMatrix(&m);
  const SSEVector4f v(0.3f, -1.2f, 2.5f, 0);
  const SSEVector4f byQuaternion = q.rotate(v);
  expectVector(byQuaternion, (v * m).x, (v * m).y, (v * m).z, 0);
}

TEST(QuaternionBasics, ProductComposesRightFactorFirst) {
  const Quaternion a = axisAngle(0, 0, 1, kPi / 2);
  const Quaternion b = axisAngle(1, 0, 0, kPi / 2);
  // b takes y to z, a leaves z alone; the other way round y would end on -x.
  const SSEVector4f r = (a * b).rotate(SSEVector4f(0, 1, 0, 0));
  expectVector(r, 0, 0, 1, 0);
  Quaternion c = a;
  c.multBy(b);
  EXPECT_TRUE(c == a * b);
}

TEST(QuaternionBasics, InverseUndoesAndConjugateIsSameRotation) {
  const Quaternion q = general();
  Quaternion product = q * q.inverse();
  expectQuaternion(product, 1, 0, 0, 0);
  // A non-unit quaternion: the inverse divides by the squared norm.
  const Quaternion scaled(2, 0, 0, 0);
  expectQuaternion(scaled.inverse(), 0.5f, 0, 0, 0);
  const Quaternion c = q.conjugate();
  expectQuaternion(c, -q.w, -q.x, -q.y, -q.z, 0);
  const SSEVector4f v(1, 2, 3, 0);
  const SSEVector4f byQ = q.rotate(v);
  const SSEVector4f byC = c.rotate(v);
  expectVector(byC, byQ.x, byQ.y, byQ.z, 0);
}

TEST(QuaternionStatics, RotateLeavesInverseResultAlone) {
  const Quaternion q = axisAngle(0, 1, 0, 0.5f);
  Quaternion& inverse = q.inverse();
  const Quaternion saved = inverse;
  Quaternion(0, 0, 1, 0).rotate(SSEVector4f(1, 0, 0, 0));
  EXPECT_TRUE(inverse == saved);
}

TEST(QuaternionBasics, NormalizeLeavesZeroAlone) {
  Quaternion zero(0, 0, 0, 0);
  zero.normalize();
  expectQuaternion(zero, 0, 0, 0, 0, 0);
  expectQuaternion(zero.inverse(), 0, 0, 0, 0, 0);
  Quaternion q(2, 0, 0, 0);
  EXPECT_FLOAT_EQ(norm(q.normalize()), 1.0f);
}

TEST(QuaternionOwnedMatrix, ConstructorWritesItsRotationAndACopyHasItsOwn) {
  const Quaternion made(SSEVector4f(0, 0, 1, 0), kPi / 2);
  EXPECT_NEAR(made.matrix[1], 1.0f, kEps);
  const Quaternion copied(made);
  EXPECT_NE(copied.matrix, made.matrix);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(copied.matrix[i], made.matrix[i]);
}

TEST(QuaternionSlerp, OppositeSignsAreTheSameRotation) {
  const Quaternion from(1, 0, 0, 0), to(-1, 0, 0, 0);
  for (float t : {0.0f, 0.3f, 0.5f, 1.0f}) {
    Quaternion q;
    q.slerp(from, to, t);
    expectQuaternion(q, 1, 0, 0, 0);
  }
}

TEST(QuaternionSlerp, CloseRotationsAreLinearFarOnesSpherical) {
  const Quaternion from(1, 0, 0, 0);
  const float nearCos = 0.95f, farCos = 0.85f;
  const Quaternion nearTo(nearCos, std::sqrt(1 - nearCos * nearCos), 0, 0);
  const Quaternion farTo(farCos, std::sqrt(1 - farCos * farCos), 0, 0);
  Quaternion q;
  q.slerp(from, nearTo, 0.5f);
  expectQuaternion(q, (1 + nearTo.w) / 2, nearTo.x / 2, 0, 0);
  EXPECT_LT(norm(q), 0.999f);
  q.slerp(from, farTo, 0.5f);
  EXPECT_NEAR(norm(q), 1.0f, kEps);
  // Spherical halfway is the half angle.
  EXPECT_NEAR(std::acos(q.w), std::acos(farCos) / 2, 1e-4f);
}

TEST(QuaternionSlerp, EndpointsAndAliasing) {
  const Quaternion a = axisAngle(0, 0, 1, 0.2f), b = axisAngle(0, 1, 0, 2.0f);
  Quaternion q;
  q.slerp(a, b, 0.0f);
  expectQuaternion(q, a.w, a.x, a.y, a.z);
  q.slerp(a, b, 1.0f);
  expectQuaternion(q, b.w, b.x, b.y, b.z);
  Quaternion self = a;
  self.slerp(self, b, 1.0f);   // the result may overwrite "from"
  expectQuaternion(self, b.w, b.x, b.y, b.z);
}

TEST(QuaternionEuler, FixedAnglesRoundTripThroughToEuler) {
  const float deg = kPi / 180;
  const float cases[][3] = {{10, 20, 30}, {-45, 120, -170}, {80, -10, 95}, {0, 0, 0}};
  for (const auto& c : cases) {
    Quaternion q;
    q.fromEulerFixed(c[0], c[1], c[2]);
    EXPECT_NEAR(norm(q), 1.0f, kEps);
    const SSEVector4f e = q.toEuler();
    EXPECT_NEAR(e.x, c[0] * deg, 1e-4f) << c[0] << " " << c[1] << " " << c[2];
    EXPECT_NEAR(e.y, c[1] * deg, 1e-4f);
    EXPECT_NEAR(e.z, c[2] * deg, 1e-4f);
    EXPECT_EQ(e.w, 0.0f);
  }
}

TEST(QuaternionEuler, QuarterTurnAboutXIsThePole) {
  const Quaternion q = axisAngle(1, 0, 0, kPi / 2);
  const SSEVector4f e = q.toEuler();
  EXPECT_NEAR(e.x, kPi / 2, 1e-3f);
  EXPECT_EQ(e.y, 0.0f);
  EXPECT_EQ(e.z, 0.0f);
}

TEST(QuaternionEuler, EulerAndFixedApplyTheirPartsInOppositeOrders) {
  // fromEuler is qz qx qy: the Y turn acts first. fromEulerFixed is qy qx qz: the X turn first.
  Quaternion euler, fixed;
  euler.fromEuler(90, 90, 0);
  fixed.fromEulerFixed(90, 90, 0);
  expectVector(euler.rotate(SSEVector4f(0, 0, 1, 0)), 1, 0, 0, 0);
  expectVector(fixed.rotate(SSEVector4f(0, 0, 1, 0)), 0, -1, 0, 0);
  Quaternion fromVector;
  fromVector.fromEuler(SSEVector4f(90, 90, 0, 0));
  EXPECT_TRUE(fromVector == euler);
}

TEST(QuaternionConversions, MomentIsAxisTimesAngle) {
  Quaternion q;
  q.fromMoment(0, 0, 0);
  expectQuaternion(q, 1, 0, 0, 0, 0);
  q.fromMoment(0, 0, kPi / 2);
  const Quaternion expected = axisAngle(0, 0, 1, kPi / 2);
  expectQuaternion(q, expected.w, expected.x, expected.y, expected.z);
}

TEST(QuaternionConversions, OrthogonalColumnsGiveTheSameRotation) {
  // The identity-trace case and the three half-turn cases, one per largest diagonal element.
  const Quaternion cases[] = {general(), axisAngle(1, 0, 0, kPi), axisAngle(0, 1, 0, kPi),
                              axisAngle(0, 0, 1, kPi), axisAngle(0.6f, 0.8f, 0, 3.0f)};
  for (const Quaternion& q : cases) {
    SSEMatrix4x4f m;
    q.toMatrix(&m);
    const SSEVector4f a(m.m[0], m.m[1], m.m[2], 0), b(m.m[4], m.m[5], m.m[6], 0),
        c(m.m[8], m.m[9], m.m[10], 0);
    Quaternion back;
    back.fromOrthogonal(a, b, c);
    const float dot = back.w * q.w + back.x * q.x + back.y * q.y + back.z * q.z;
    EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-4f) << q.w << " " << q.x << " " << q.y << " " << q.z;
  }
}

TEST(QuaternionConversions, HeadingAboutY) {
  EXPECT_NEAR(axisAngle(0, 1, 0, 0.5f).calcHeading(), 0.5f, 1e-4f);
  EXPECT_NEAR(axisAngle(0, 1, 0, 2.0f).calcHeading(), 2.0f, 1e-4f);   // past the quarter turn
  EXPECT_NEAR(Quaternion().calcHeading(), 0.0f, 1e-6f);
}

TEST(QuaternionConversions, GetVectNormalisesFirstAndClampSnaps) {
  Quaternion q(0, 0, 3, 0);
  expectVector(q.getVect(), 0, 1, 0, 0, 0);
  EXPECT_EQ(q.y, 1.0f);
  Quaternion small(0.0005f, 1, -0.0009f, 0.002f);
  small.clamp();
  expectQuaternion(small, 0, 1, 0, 0.002f, 0);
}
