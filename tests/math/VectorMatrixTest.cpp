#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"
#include "math/VectorFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr float kHalfPi = 1.5707963f;
constexpr float kEps = 1e-5f;

void expectVector(const SSEVector4f& v, float x, float y, float z, float w, float eps = kEps) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
  EXPECT_NEAR(v.w, w, eps);
}

void expectMatrix(const SSEMatrix4x4f& a, const SSEMatrix4x4f& b, float eps = kEps) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], eps) << "element " << i;
}

SSEMatrix4x4f translation(float x, float y, float z) {
  SSEMatrix4x4f t;
  t.m[12] = x;
  t.m[13] = y;
  t.m[14] = z;
  return t;
}

// A matrix with rotation, shear, scale and translation: nothing about it is special.
SSEMatrix4x4f generalMatrix() {
  const float values[16] = {2, 0.5f, -1, 0, 1, 3, 0.25f, 0, -0.5f, 1, 4, 0, 5, -2, 3, 1};
  return SSEMatrix4x4f(values);
}

}  // namespace

TEST(VectorNormalize, UnitLengthKeepsWAndATinyVectorBecomesExactlyZero) {
  SSEVector4f v(3, 0, 4, 1);
  v.normalize();
  expectVector(v, 0.6f, 0, 0.8f, 1);
  SSEVector4f zero(0, 0, 0, 1), tiny(5e-11f, 0, 0, 0.5f);
  zero.normalize();
  tiny.normalize();
  expectVector(zero, 0, 0, 0, 1, 0);
  expectVector(tiny, 0, 0, 0, 0.5f, 0);
}

TEST(VectorClamp, BoundIsStrictAndWIsClampedToo) {
  SSEVector4f v(0.0009f, -0.0009f, 0.001f, 0.5f);
  v.clamp();
  expectVector(v, 0, 0, 0.001f, 0.5f, 0);
  SSEVector4f w(1, 1, 1, 0.0005f);
  w.clamp();
  EXPECT_EQ(w.w, 0.0f);
}

TEST(VectorCross, RightHandedWithZeroW) {
  expectVector(SSEVector4f(1, 0, 0, 1) % SSEVector4f(0, 1, 0, 1), 0, 0, 1, 0, 0);
  expectVector(SSEVector4f(0, 1, 0, 1) % SSEVector4f(1, 0, 0, 1), 0, 0, -1, 0, 0);
}

TEST(MatrixProduct, SelfMultiplyUsesTheOldValue) {
  SSEMatrix4x4f m = generalMatrix();
  const SSEMatrix4x4f expected = m * m;
  m *= m;
  expectMatrix(m, expected, 1e-4f);
}

TEST(MatrixProduct, TransformBuiltInOrderAppliesFirstStepFirst) {
  // Rotate about Y, then about Z, then translate.
  SSEMatrix4x4f transform, rotZ;
  transform.createRotateYMatrix(kHalfPi);
  rotZ.createRotateZMatrix(kHalfPi);
  transform *= rotZ;
  transform *= translation(5, 0, 0);
  // Y turn takes x to -z, the Z turn leaves -z alone, then the shift, which moves points only.
  SSEVector4f point(1, 0, 0, 1);
  point *= transform;
  expectVector(point, 5, 0, -1, 1);
  expectVector(SSEVector4f(1, 0, 0, 0) * transform, 0, 0, -1, 0);
  // Y turn takes y to y, the Z turn takes y to -x.
  expectVector(SSEVector4f(0, 1, 0, 1) * transform, 4, 0, 0, 1);
  SSEMatrix4x4f rx;
  rx.createRotateXMatrix(kHalfPi);
  expectVector(SSEVector4f(0, 1, 0, 0) * rx, 0, 0, 1, 0);
}

TEST(MatrixRotation, BuilderWritesOnlyItsFourEntries) {
  SSEMatrix4x4f m = generalMatrix();
  const SSEMatrix4x4f before = m;
  m.createRotateZMatrix(0.4f);
  for (int i : {2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) EXPECT_EQ(m.m[i], before.m[i]);
  EXPECT_FLOAT_EQ(m.m[0], std::cos(0.4f));
  EXPECT_FLOAT_EQ(m.m[4], -std::sin(0.4f));
}

TEST(MatrixInverse, InverseTimesMatrixIsIdentity) {
  const SSEMatrix4x4f m = generalMatrix();
  SSEMatrix4x4f inv = m;
  ASSERT_TRUE(inv.inverse());
  expectMatrix(inv * m, SSEMatrix4x4f(), 1e-5f);
  expectMatrix(m * inv, SSEMatrix4x4f(), 1e-5f);
  // A pure translation inverts to the opposite shift.
  SSEMatrix4x4f t = translation(1, -2, 3);
  ASSERT_TRUE(t.inverse());
  expectMatrix(t, translation(-1, 2, -3));
}

TEST(MatrixInverse, SingularMatrixIsLeftUnchanged) {
  SSEMatrix4x4f flat;
  flat.m[10] = 0;   // projects onto the xy plane
  const SSEMatrix4x4f before = flat;
  EXPECT_FALSE(flat.inverse());
  expectMatrix(flat, before, 0);
}

TEST(DoubleVectors, ProjectOntoOwnDirectionAndZeroStaysZero) {
  Vect onto(2, 0, 0);
  onto.project(Vect(3, 4, 5));
  EXPECT_EQ((std::vector<double>{3, 0, 0}), (std::vector<double>{onto.x, onto.y, onto.z}));
  Vect zero;
  zero.project(Vect(1, 2, 3));
  EXPECT_EQ((std::vector<double>{0, 0, 0}), (std::vector<double>{zero.x, zero.y, zero.z}));
}

TEST(DoubleVectors, CrossProductMayWriteOverAnInput) {
  double a[3] = {1, 0, 0}, b[3] = {0, 1, 0}, out[3] = {9, 9, 9};
  EXPECT_EQ(CrossProduct(a, b, out), a);
  EXPECT_EQ((std::vector<double>{0, 0, 1}), std::vector<double>(out, out + 3));
  CrossProduct(a, b, a);
  EXPECT_EQ((std::vector<double>{0, 0, 1}), std::vector<double>(a, a + 3));
}
