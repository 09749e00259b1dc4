#pragma once

// The GL tests' fixture: the renderer in its start state (RendererFixture) with a current GL
// context of kSide x kSide pixels, drawing path 2, GL's default switches and a black window.
// The path is put back to 2 afterwards; buffer objects must be freed in the path that made them.

#include <vector>

#include <gtest/gtest.h>

#include "tests/render/GLFrame.h"
#include "tests/render/RendererFixture.h"

namespace kvtest {

class RendererGL : public RendererFixture {
 public:
  static constexpr int kSide = 128;

 protected:
  void SetUp() override {
    engine.renderMode = RenderMode::VertexArrays;
    ASSERT_NE(nullptr, kvframe::currentContext(kSide, kSide)) << "no GL context";
    RendererFixture::SetUp();
    engine.resizeWindow(kSide, kSide);
    // The passes leave depth testing and culling on; every test starts from GL's defaults.
    for (GLenum capability : {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_LIGHTING,
                              GL_TEXTURE_1D, GL_TEXTURE_2D, GL_COLOR_MATERIAL})
      glDisable(capability);
    glUseProgram(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  void TearDown() override {
    engine.renderMode = RenderMode::VertexArrays;
    RendererFixture::TearDown();
  }

  // Red bytes of the back buffer, row 0 at the bottom.
  static std::vector<unsigned char> red() {
    std::vector<unsigned char> rgba(4 * kSide * kSide), r(kSide * kSide);
    glFinish();
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (size_t i = 0; i < r.size(); ++i) r[i] = rgba[4 * i];
    return r;
  }
};

}  // namespace kvtest
