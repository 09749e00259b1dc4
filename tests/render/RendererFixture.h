#pragma once

// Puts the renderer and math singletons into their start state before a test and back after it:
// no meshes (a test owns the meshes it lists) or cameras, no glide flag, a 640 x 480 window,
// every kind shown, a fresh pick.

#include <gtest/gtest.h>

#include "math/Quaternion.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"

namespace kvtest {

class RendererFixture : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }

  static void reset() {
    GraphicsEngine& e = *GraphicsEngine::instance();
    e.meshes.clear();
    e.currentMesh = e.previousMesh = nullptr;
    e.eraseAllCameras();
    e.globalTranslation = SSEVector4f(0.0f, 0.0f, -10.0f, 1.0f);
    e.setRotation(Quaternion());
    e.deltaTime = 0.0f;
    e.returnToHomeCamera = e.cameraSlerpActive = e.positionSlerpActive = false;
    e.showNuclei = e.showAtomicOrbitals = e.showMolecularOrbitals = e.showBondAxes = true;
    e.resizeWindow(640, 480);
    MathEngine::instance()->resetPick();
  }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
};

}  // namespace kvtest
