#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "model/Spheroid.h"
#include "render/Mesh.h"
#include "support/StdoutCapture.h"
#include "tests/render/RendererFixture.h"

namespace {

using RendererState = kvtest::RendererFixture;

float distanceTo(const SSEVector4f& p, float x, float y, float z) {
  return std::sqrt((p.x - x) * (p.x - x) + (p.y - y) * (p.y - y) + (p.z - z) * (p.z - z));
}

}  // namespace

// Any window, even one with a zero side, is at least a pixel and sees 70 degrees across.
TEST_F(RendererState, ProjectionKeepsSeventyDegreesAcrossAtAnySize) {
  const int sizes[][4] = {{300, 900, 300, 900}, {800, 0, 800, 1}, {0, 0, 1, 1}};
  for (const auto& size : sizes) {
    engine.resizeWindow(size[0], size[1]);
    EXPECT_TRUE(engine.windowWidth == unsigned(size[2]) && engine.windowHeight == unsigned(size[3]));
    const float aspect = static_cast<float>(size[2]) / size[3];
    EXPECT_NEAR(1.42815f, engine.projectionMatrix.m[0], 1e-4f) << size[0] << "x" << size[1];
    EXPECT_NEAR(1.42815f * aspect, engine.projectionMatrix.m[5], 1e-4f * aspect);
    for (float v : engine.projectionMatrix.m) EXPECT_TRUE(std::isfinite(v));
  }
}

// From B current, A made current three times: B's then A's selection is cleared, with one debug
// line each; the third call changes nothing.
TEST_F(RendererState, ChangingTheCurrentMeshClearsTheOldSelectionAndReportsOnce) {
  Mesh a, b;
  Spheroid sa(1.0f, 1.0f, 1.0f), sb(1.0f, 1.0f, 1.0f);
  a.size = 6.0f;
  a.currentSpheroid = &sa;
  b.currentSpheroid = &sb;
  engine.currentMesh = &b;
  kvtest::StdoutCapture out;
  engine.setCurrentMesh(&a);
  EXPECT_TRUE(b.currentSpheroid == nullptr && a.currentSpheroid == &sa);
  engine.setCurrentMesh(&a);
  EXPECT_EQ(nullptr, a.currentSpheroid);
  a.currentSpheroid = &sa;
  engine.setCurrentMesh(&a);
  engine.setCurrentMesh(nullptr);
  EXPECT_EQ(&sa, a.currentSpheroid);
  EXPECT_EQ("Debug: Current Mesh is changed\nDebug: Current Mesh is changed\n", out.text());
  EXPECT_FLOAT_EQ(-3.0f, engine.cursor.corners[0].x) << "A's size; no mesh leaves it";
}

TEST_F(RendererState, BoundingVolumeCoversEveryMeshAndIsTheOriginWithoutMeshes) {
  GraphicsEngine::BoundingVolume box = engine.computeAllMeshesBoundingVolume();
  EXPECT_TRUE(box.min.x == 0 && box.min.z == 0 && box.max.y == 0 && box.max.w == 1);
  // A half side of 1 all the same.
  showEmptyMolecule(SSEVector4f(10.0f, 0.0f, 0.0f, 1.0f))->size = 1.0f;
  showEmptyMolecule(SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f))->size = 8.0f;
  box = engine.computeAllMeshesBoundingVolume();
  EXPECT_TRUE(box.min.x == -4 && box.max.x == 11 && box.min.y == -4 && box.max.z == 4);
}

// Every glide's parameter reaches 1 within one frame of 2 s, which lands it on its target. A
// glide between stored cameras ends at once on itself or when its cameras are erased.
TEST_F(RendererState, ATwoSecondFrameEndsEveryGlideOnItsTarget) {
  const Quaternion turned(0.7007f, 0.713f, 0.0f, 0.0f);
  engine.storeCamera(new SSEVector4f(0, 0, -238.099f, 1), new Quaternion(turned));
  engine.storeCamera(new SSEVector4f(4, 5, -6, 1), new Quaternion());
  engine.slerpTargetPosition = SSEVector4f(-1.0f, -2.0f, -11.0f, -1.0f);
  const struct {
    const char* name;
    int (*step)(GraphicsEngine&);
    bool GraphicsEngine::*flag;
    SSEVector4f target;
  } cases[] = {
      {"home", [](GraphicsEngine& e) { return e.slerpToOriginalCameraPos(); },
       &GraphicsEngine::returnToHomeCamera, SSEVector4f(0, -10, -75, 1)},
      {"position", [](GraphicsEngine& e) { return e.slerpToPosition(); },
       &GraphicsEngine::positionSlerpActive, SSEVector4f(-1, -2, -11, 1)},
      {"stored", [](GraphicsEngine& e) { return e.slerpCamera(0, 1); },
       &GraphicsEngine::cameraSlerpActive, SSEVector4f(4, 5, -6, 1)},
  };
  for (const auto& c : cases) {
    engine.globalTranslation = SSEVector4f(0.0f, 0.0f, -238.099f, 1.0f);
    engine.setRotation(turned);
    engine.*c.flag = true;
    engine.deltaTime = 2.0f;
    EXPECT_EQ(0, c.step(engine)) << c.name;
    EXPECT_FALSE(engine.*c.flag) << c.name;
    EXPECT_LT(distanceTo(engine.globalTranslation, c.target.x, c.target.y, c.target.z), 1e-4f)
        << c.name;
    EXPECT_NEAR(1.0f, std::fabs(engine.globalRotation.w), 1e-6f) << c.name;
  }
  engine.deltaTime = 0.01f;
  engine.cameraSlerpActive = true;
  EXPECT_EQ(0, engine.slerpCamera(0, 0));
  EXPECT_FALSE(engine.cameraSlerpActive);
  EXPECT_LT(distanceTo(engine.globalTranslation, 0, 0, -238.099f), 1e-3f);
  engine.cameraSlerpActive = true;
  EXPECT_EQ(1, engine.slerpCamera(0, 1));
  engine.eraseAllCameras();
  EXPECT_EQ(0, engine.slerpCamera(0, 1));
  EXPECT_FALSE(engine.cameraSlerpActive);
}

TEST_F(RendererState, GlideHomeStopsWithinToleranceLeavingTheLastStretch) {
  engine.globalTranslation = SSEVector4f(0.0f, -10.0f, -85.0f, 1.0f);
  engine.returnToHomeCamera = true;
  engine.deltaTime = 0.05f;   // 0.5 units a step
  int steps = 1;
  while (engine.slerpToOriginalCameraPos() == 1) {
    ASSERT_LT(++steps, 40);
    EXPECT_GE(distanceTo(engine.globalTranslation, 0, -10, -75), GraphicsEngine::HomeDistanceTolerance);
  }
  const float left = distanceTo(engine.globalTranslation, 0, -10, -75);
  EXPECT_TRUE(left < GraphicsEngine::HomeDistanceTolerance && left > 0.1f) << left;
  EXPECT_FALSE(engine.returnToHomeCamera);
}
