#include "math/ArcBallController.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Quaternion axisAngle(float ax, float ay, float az, float angle) {
  Quaternion q;
  q.fromAxisAngle(ax, ay, az, angle);
  return q;
}

Quaternion general() {
  const float n = std::sqrt(1.0f + 4.0f + 9.0f);
  return axisAngle(1 / n, -2 / n, 3 / n, 0.9f);
}

// Same rotation: q and -q count as equal.
void expectSameRotation(const Quaternion& a, const Quaternion& b, float eps = 1e-4f) {
  const float dot = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
  EXPECT_NEAR(std::fabs(dot), 1.0f, eps) << "(" << a.w << ", " << a.x << ", " << a.y << ", " << a.z
                                         << ") vs (" << b.w << ", " << b.x << ", " << b.y << ", "
                                         << b.z << ")";
}

class ArcBall : public ::testing::Test {
protected:
  void SetUp() override {
    arcball.windowWidth = 200;
    arcball.windowHeight = 200;
  }
  // Radius of the virtual sphere of a 200 x 200 window.
  const float radius = std::sqrt((200.0f * 200.0f + 200.0f * 200.0f) * 0.25f);
  ArcBallController arcball;
};

}  // namespace

TEST_F(ArcBall, ZeroDragTinyWindowAndFarPointsAreHarmless) {
  Quaternion q = general();
  const Quaternion before = q;
  EXPECT_EQ(arcball.rotate(30, -40, 0, 0, &q), &q);
  expectSameRotation(q, before, 1e-6f);
  // A point outside the window is clamped to its edge.
  Quaternion far, edge;
  arcball.rotate(100000, -100000, 3, 5, &far);
  arcball.rotate(99, -99, 3, 5, &edge);
  expectSameRotation(far, edge, 1e-6f);
  arcball.windowWidth = arcball.windowHeight = 1;
  arcball.rotate(0, 0, 10, 10, &q);
  expectSameRotation(q, before, 1e-6f);
  EXPECT_EQ(arcball.rotate(0, 0, 1, 1, nullptr), nullptr);
}

TEST_F(ArcBall, HorizontalDragTurnsAboutTheViewsVerticalAxisAfterTheRotation) {
  // The drag axis is a view-frame axis: the increment is applied after q, whatever q was.
  for (const Quaternion& start : {Quaternion(), general()}) {
    Quaternion q = start;
    arcball.rotate(0, 0, 10, 0, &q);
    expectSameRotation(q, axisAngle(0, 1, 0, 10.0f / radius) * start);
  }
}

TEST_F(ArcBall, MeshModeTakesAxisOutOfViewFrame) {
  // Without a reference, or with an identity one, mesh mode acts like view mode.
  Quaternion identityReference;
  arcball.mode = 1;
  Quaternion inViewMode = general();
  arcball.rotate(20, 10, 7, -3, &inViewMode);
  arcball.mode = 2;
  for (Quaternion* reference : {static_cast<Quaternion*>(nullptr), &identityReference}) {
    arcball.referenceRotation = reference;
    Quaternion inMeshMode = general();
    arcball.rotate(20, 10, 7, -3, &inMeshMode);
    expectSameRotation(inMeshMode, inViewMode, 1e-6f);
  }

  // A view turned a quarter about z: a drag about the view's y axis turns the mesh about the
  // world axis that the view shows as y.
  Quaternion reference = axisAngle(0, 0, 1, 1.5707963f);
  arcball.referenceRotation = &reference;
  Quaternion q;
  arcball.rotate(0, 0, 10, 0, &q);
  SSEVector4f worldAxis = reference.inverse().rotate(SSEVector4f(0, 1, 0, 0));
  expectSameRotation(q, axisAngle(worldAxis.x, worldAxis.y, worldAxis.z, 10.0f / radius));
}
