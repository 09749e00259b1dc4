#pragma once

// Puts the renderer and math singletons into their start state before a test and back after it:
// nothing on screen, no cameras, no glide flag, a 640 x 480 window, every kind shown, a fresh
// pick. A test puts molecules on screen through `scene`, the view's door, and the scene owns them
// from then on; what is left there goes through the same door, meshes at once.

#include <gtest/gtest.h>

#include "math/Quaternion.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "view/Scene.h"

namespace kvtest {

class RendererFixture : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }

  void reset() {
    scene.clear();
    scene.purge(nullptr);
    GraphicsEngine& e = *GraphicsEngine::instance();
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

  // A molecule without atoms on screen at the scene point; its mesh, which the test fills or
  // sizes by hand, is returned.
  Mesh* showEmptyMolecule(const SSEVector4f& at) {
    Molecule* empty = Builder::instance()->createMolecule();
    empty->scenePosition = at;
    return scene.add(empty);
  }

  Scene scene;
  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
};

}  // namespace kvtest
