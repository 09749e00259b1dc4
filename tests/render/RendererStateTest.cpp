#include <cmath>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

#include <gtest/gtest.h>

#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "tests/render/RendererFixture.h"

namespace {

using RendererState = kvtest::RendererFixture;

// Collects what goes to standard output while it lives.
class StdoutCapture {
 public:
  StdoutCapture() : previous(std::cout.rdbuf(text.rdbuf())) {}
  ~StdoutCapture() { std::cout.rdbuf(previous); }
  int count(const std::string& line) const {
    int n = 0;
    for (size_t at = text.str().find(line); at != std::string::npos;
         at = text.str().find(line, at + 1))
      ++n;
    return n;
  }

 private:
  std::ostringstream text;
  std::streambuf* previous;
};

float distanceTo(const SSEVector4f& p, float x, float y, float z) {
  return std::sqrt((p.x - x) * (p.x - x) + (p.y - y) * (p.y - y) + (p.z - z) * (p.z - z));
}

}  // namespace

TEST_F(RendererState, ResizeKeepsTheWindowAtLeastOnePixelAndTheProjectionFinite) {
  engine.resizeWindow(800, 0);
  EXPECT_EQ(800u, engine.windowWidth);
  EXPECT_EQ(1u, engine.windowHeight);
  engine.resizeWindow(0, 0);
  EXPECT_EQ(1u, engine.windowWidth);
  for (float e : engine.projectionMatrix.m) EXPECT_TRUE(std::isfinite(e));
  // A square window sees 70 degrees both ways.
  EXPECT_NEAR(1.0f / std::tan(35.0f * 3.1415927f / 180.0f), engine.projectionMatrix.m[5], 1e-4);
}

TEST_F(RendererState, MeshIndexOutsideTheListGivesNull) {
  Mesh a, b;
  engine.meshes = {&a, &b};
  EXPECT_EQ(nullptr, engine.getMesh(-1));
  EXPECT_EQ(&b, engine.getMesh(1));
  EXPECT_EQ(nullptr, engine.getMesh(2));
}

TEST_F(RendererState, ChangingTheCurrentMeshClearsTheOldSelectionAndReportsOnce) {
  Mesh a, b;
  Spheroid sa(1.0f, 1.0f, 1.0f), sb(1.0f, 1.0f, 1.0f);
  a.size = 6.0f;
  a.currentSpheroid = &sa;
  b.currentSpheroid = &sb;
  engine.currentMesh = &b;
  StdoutCapture out;
  engine.setCurrentMesh(&a);
  EXPECT_EQ(nullptr, b.currentSpheroid);
  EXPECT_EQ(&sa, a.currentSpheroid);
  EXPECT_FLOAT_EQ(-3.0f, engine.cursor.corners[0].x) << "the cursor is the mesh's size";
  engine.setCurrentMesh(&a);   // a is not yet the previous mesh
  EXPECT_EQ(nullptr, a.currentSpheroid);
  a.currentSpheroid = &sa;
  engine.setCurrentMesh(&a);
  EXPECT_EQ(&sa, a.currentSpheroid);
  engine.setCurrentMesh(nullptr);
  EXPECT_EQ(nullptr, engine.currentMesh);
  EXPECT_FLOAT_EQ(-3.0f, engine.cursor.corners[0].x) << "no mesh leaves the cursor as it was";
  EXPECT_EQ(2, out.count("Debug: Current Mesh is changed\n"));
}

TEST_F(RendererState, BoundingVolumeCoversEveryMeshAndIsTheOriginWithoutMeshes) {
  GraphicsEngine::BoundingVolume box = engine.computeAllMeshesBoundingVolume();
  EXPECT_EQ(0.0f, box.min.x + box.min.y + box.min.z + box.max.x + box.max.y + box.max.z);
  EXPECT_EQ(1.0f, box.min.w);
  Mesh a, b;
  a.position = SSEVector4f(10.0f, 0.0f, 0.0f, 1.0f);
  a.size = 1.0f;   // below 2: a half side of 1 all the same
  b.position = SSEVector4f(0.0f, -5.0f, 2.0f, 1.0f);
  b.size = 8.0f;
  engine.meshes = {&a, &b};
  box = engine.computeAllMeshesBoundingVolume();
  EXPECT_FLOAT_EQ(-4.0f, box.min.x);
  EXPECT_FLOAT_EQ(11.0f, box.max.x);
  EXPECT_FLOAT_EQ(-9.0f, box.min.y);
  EXPECT_FLOAT_EQ(6.0f, box.max.z);
}

TEST_F(RendererState, StoredCameraRecordsItsEyePointOnTheNearPlane) {
  engine.storeCamera(new SSEVector4f(0.0f, -10.0f, -75.0f, 1.0f), new Quaternion());
  ASSERT_EQ(1u, engine.cameraEyePositions.size());
  EXPECT_LT(distanceTo(*engine.cameraEyePositions[0], 0.0f, 10.0f, 74.9f), 1e-3f);
  engine.storeCamera(nullptr, new Quaternion());
  EXPECT_EQ(1u, engine.cameraRotations.size());
}

TEST_F(RendererState, GlideBetweenOneStoredCameraAndItselfEndsOnItsFirstStep) {
  engine.storeCamera(new SSEVector4f(1.0f, 2.0f, 3.0f, 1.0f), new Quaternion(0.6f, 0.8f, 0, 0));
  engine.cameraSlerpActive = true;
  engine.deltaTime = 0.01f;
  EXPECT_EQ(0, engine.slerpCamera(0, 0));
  EXPECT_FALSE(engine.cameraSlerpActive);
  EXPECT_LT(distanceTo(engine.globalTranslation, 1.0f, 2.0f, 3.0f), 1e-6f);
}

TEST_F(RendererState, GlideToAnErasedCameraEndsAtOnce) {
  engine.storeCamera(new SSEVector4f(0, 0, 0, 1), new Quaternion());
  engine.storeCamera(new SSEVector4f(0, 0, -50, 1), new Quaternion());
  engine.cameraSlerpActive = true;
  engine.deltaTime = 0.1f;
  EXPECT_EQ(1, engine.slerpCamera(0, 1));
  engine.eraseAllCameras();
  EXPECT_EQ(0, engine.slerpCamera(0, 1));
  EXPECT_FALSE(engine.cameraSlerpActive);
}

// Every glide's parameter reaches 1 within one frame of 2 s, which lands it on its target.
TEST_F(RendererState, ATwoSecondFrameEndsEveryGlideOnItsTarget) {
  const Quaternion turned(0.7007f, 0.713f, 0.0f, 0.0f);
  engine.storeCamera(new SSEVector4f(0, 0, -238.099f, 1), new Quaternion(turned));
  engine.storeCamera(new SSEVector4f(4, 5, -6, 1), new Quaternion());
  engine.slerpTargetPosition = SSEVector4f(-1.0f, -2.0f, -11.0f, -1.0f);
  struct Case {
    const char* name;
    int (*step)(GraphicsEngine&);
    bool GraphicsEngine::*flag;
    SSEVector4f target;
  };
  const Case cases[] = {
      {"home", [](GraphicsEngine& e) { return e.slerpToOriginalCameraPos(); },
       &GraphicsEngine::returnToHomeCamera, SSEVector4f(0, -10, -75, 1)},
      {"position", [](GraphicsEngine& e) { return e.slerpToPosition(); },
       &GraphicsEngine::positionSlerpActive, SSEVector4f(-1, -2, -11, 1)},
      {"stored", [](GraphicsEngine& e) { return e.slerpCamera(0, 1); },
       &GraphicsEngine::cameraSlerpActive, SSEVector4f(4, 5, -6, 1)},
  };
  for (const Case& c : cases) {
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
}

TEST_F(RendererState, GlideHomeStopsWithinToleranceLeavingTheLastStretch) {
  engine.globalTranslation = SSEVector4f(0.0f, -10.0f, -85.0f, 1.0f);
  engine.returnToHomeCamera = true;
  engine.deltaTime = 0.05f;   // 0.5 units a step
  int steps = 1;
  while (engine.slerpToOriginalCameraPos() == 1) {
    ASSERT_LT(++steps, 40);
    const float left = distanceTo(engine.globalTranslation, 0.0f, -10.0f, -75.0f);
    EXPECT_GE(left, GraphicsEngine::HomeDistanceTolerance) << "running at step " << steps;
  }
  const float left = distanceTo(engine.globalTranslation, 0.0f, -10.0f, -75.0f);
  EXPECT_LT(left, GraphicsEngine::HomeDistanceTolerance);
  EXPECT_GT(left, 0.1f);
  EXPECT_FALSE(engine.returnToHomeCamera);
}
