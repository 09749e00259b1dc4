#pragma once

// Puts the renderer and math singletons into their start state before a test and back after it:
// no meshes (a test owns the meshes it lists) or cameras, no glide running, a 640 x 480 window,
// every kind shown, a fresh pick. Also gives the test a folder of its own.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "math/Quaternion.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"

namespace kvtest {

class RendererFixture : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override {
    reset();
    std::error_code ignored;
    if (!tempFolder.empty()) std::filesystem::remove_all(tempFolder, ignored);
  }

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
    e.mouseX = e.mouseY = 0;
    e.resizeWindow(640, 480);
    MathEngine::instance()->resetPick();
    MathEngine::instance()->pickMode = 1;
  }

  std::filesystem::path folder() {
    if (tempFolder.empty()) {
      tempFolder = std::filesystem::temp_directory_path() /
                   ("kv_render_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
      std::filesystem::create_directories(tempFolder);
    }
    return tempFolder;
  }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();

 private:
  std::filesystem::path tempFolder;
};

}  // namespace kvtest
