// The frame passes, the buffer sets, the half-float frame buffer and the phong program under a
// real context, checked on the pixels drawn and the data read back from GL.
#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "parameters/InputParameters.h"
#include "render/BufferObjects.h"
#include "render/FrameBufferObject.h"
#include "render/GLSLShader.h"
#include "render/Mesh.h"
#include "render/Texture.h"
#include "support/MoleculeBuilder.h"
#include "tests/render/RendererGLFixture.h"
#include "tests/render/SpheroidScene.h"

namespace {

constexpr int kSide = kvtest::RendererGL::kSide;

class FramePasses : public kvtest::RendererGL {
 protected:
  void SetUp() override {
    RendererGL::SetUp();
    previousTables = InputParameters::swapInstance(&emptyTables);
  }
  void TearDown() override {
    engine.lighting = true;
    engine.transparency = false;
    InputParameters::swapInstance(previousTables);
    RendererGL::TearDown();
  }

  // Water 5 Angstrom in front of the camera, on screen with its mesh built in the present
  // drawing path; the scene owns it.
  Molecule* shownWater() {
    Molecule* m = kvtest::buildMolecule({"O", "H", "H"}, {{0, 1, 1}, {0, 2, 1}}).release();
    kvscene::giveSpheroids(*m, {SSEVector4f(0, 0, 0), SSEVector4f(0.96f, 0, 0),
                                SSEVector4f(-0.23f, 0.93f, 0)});
    m->scenePosition = SSEVector4f(0.0f, 0.0f, 5.0f);
    EXPECT_EQ(m->atoms.size() + m->bonds.size(), scene.add(m)->spheroids.size());
    return m;
  }

  // Red bytes of the width x height pixels from (x, y) up and to the right.
  static std::vector<unsigned char> patch(int x, int y, int width, int height) {
    const std::vector<unsigned char> r = red();
    std::vector<unsigned char> bytes;
    for (int row = y; row < y + height; ++row)
      bytes.insert(bytes.end(), &r[row * kSide + x], &r[row * kSide + x + width]);
    return bytes;
  }
  // The 17 x 17 pixels around the window centre, where the molecule projects.
  static std::vector<unsigned char> centrePatch() {
    return patch(kSide / 2 - 8, kSide / 2 - 8, 17, 17);
  }

  static int lit(const std::vector<unsigned char>& pixels) {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(),
                                          [](unsigned char v) { return v > 40; }));
  }

  // The second of two frames: the first leaves the blend function the HUD sets, as every
  // frame after the view's first does.
  static std::vector<unsigned char> drawnPatch() {
    kvframe::drawFrame();
    kvframe::drawFrame();
    return centrePatch();
  }

  InputParameters emptyTables{InputParameters::EmptyTables{}};
  InputParameters* previousTables = nullptr;
};

template <typename T>
std::vector<T> readBuffer(GLenum target, unsigned name, size_t count) {
  std::vector<T> out(count);
  glBindBuffer(target, name);
  glGetBufferSubData(target, 0, static_cast<GLsizeiptr>(count * sizeof(T)), out.data());
  glBindBuffer(target, 0);
  return out;
}

// A ball of (rings - 1) x rings + 2 vertices and 4 x rings^2 indices.
Spheroid* ball(int rings) {
  auto* s = new Spheroid(1.0f, 0.5f, 0.5f);
  s->rings = s->segments = rings;
  s->kind = SpheroidKind::AtomSphere;
  return s;
}

}  // namespace

TEST_F(FramePasses, EachPathLightsTheMoleculeAndFollowsLightingAndTransparency) {
  for (const int path : {2, 1, 3}) {
    engine.renderMode = static_cast<RenderMode>(path);
    Molecule* m = shownWater();
    const std::vector<unsigned char> shown = drawnPatch();
    EXPECT_GT(lit(shown), 60) << "path " << path;
    engine.lighting = false;
    EXPECT_NE(shown, drawnPatch()) << "path " << path << " without lighting";
    engine.lighting = true;
    engine.transparency = true;
    EXPECT_NE(shown, drawnPatch()) << "path " << path << " with transparency";
    engine.transparency = false;
    scene.remove(m);
    scene.purge(nullptr);   // frees the buffer sets in the path that made them
  }
}

TEST_F(FramePasses, CursorDrawsOnlyAroundACurrentMeshAndLeavesTheDepthTestOn) {
  Molecule* m = shownWater();
  m->mesh->size = 3.0f;   // a cursor 3 Angstrom across, inside the view
  for (Mesh* current : {static_cast<Mesh*>(nullptr), m->mesh}) {
    engine.setCurrentMesh(current);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    engine.renderCursor();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(current != nullptr, lit(red()) > 20) << "a cursor only around a current mesh";
  }
  EXPECT_EQ(m->mesh->position.z, engine.cursor.position.z);
  engine.setCurrentMesh(nullptr);
}

TEST_F(FramePasses, HudShowsTheFrameRateTopRightOnceTheTickerWraps) {
  Font* font = engine.font;
  ASSERT_NE(nullptr, font);
  engine.font = nullptr;
  engine.ticker = 0.0f;
  engine.deltaTime = 0.02f;
  engine.fpsText[0] = '\0';
  engine.renderHUD();
  engine.font = font;
  EXPECT_TRUE(lit(red()) == 0 && engine.fpsText[0] == '\0') << "no font, no overlay";

  engine.renderHUD();
  EXPECT_STREQ("50.00", engine.fpsText);
  EXPECT_GT(lit(patch(kSide - 75, kSide - 24, 75, 24)), 20) << "at the top right";
  engine.deltaTime = 0.0f;   // no frame time: the number stays
  engine.renderHUD();
  EXPECT_STREQ("50.00", engine.fpsText);
}

// Five balls of 20 rings fill a set's 8000 indices exactly; the sixth opens a second set.
// Removing the first of three balls moves the others down by its counts.
TEST_F(FramePasses, BufferSetsHoldEightThousandIndicesAndCloseGapsOnRemoval) {
  // Path 1 makes its buffers with the same calls.
  engine.renderMode = RenderMode::HighDynamicRange;
  Mesh full;
  for (int i = 0; i < 6; ++i) full.addSpheroid(ball(20));
  ASSERT_EQ(2u, full.indexBuffers.size());
  EXPECT_EQ(8000, full.indexBuffers[0]->count);
  EXPECT_EQ(full.indexBuffers[1]->buffer, full.spheroids.back()->bufferIds[2]);
  EXPECT_EQ(0, full.spheroids.back()->indexRange[0]);

  Mesh mesh;
  Spheroid* first = ball(10);   // 92 vertices, 400 indices
  mesh.addSpheroid(first);
  mesh.addSpheroid(ball(10));
  Spheroid* third = ball(12);   // 134 vertices, 576 indices
  mesh.addSpheroid(third);
  const unsigned vertexName = first->bufferIds[0], indexName = first->bufferIds[2];
  const std::vector<float> before = readBuffer<float>(GL_ARRAY_BUFFER, vertexName, 3 * 318);
  const std::vector<std::uint16_t> indicesBefore =
      readBuffer<std::uint16_t>(GL_ELEMENT_ARRAY_BUFFER, indexName, 1376);
  mesh.removeSpheroid(first);
  EXPECT_EQ(226u, mesh.vertexBuffers[0]->count);
  EXPECT_EQ(976, mesh.indexBuffers[0]->count);
  EXPECT_TRUE(third->vertexRange[0] == 92 && third->indexRange[1] == 976);
  const std::vector<float> after = readBuffer<float>(GL_ARRAY_BUFFER, vertexName, 3 * 226);
  EXPECT_TRUE(std::equal(after.begin(), after.end(), before.begin() + 3 * 92));
  const std::vector<std::uint16_t> indicesAfter =
      readBuffer<std::uint16_t>(GL_ELEMENT_ARRAY_BUFFER, indexName, 976);
  for (size_t i = 0; i < indicesAfter.size(); ++i)
    ASSERT_EQ(indicesBefore[i + 400] - 92, indicesAfter[i]) << "index " << i;
  unsigned char colour[3];
  third->readFirstColour(colour);
  EXPECT_EQ(Spheroid::NeutralGrey, colour[0]) << "read back from the colour buffer";
}

TEST_F(FramePasses, InitHDRLeavesAlphaAtPointEightyFiveAndResizingRenamesTheFrameBuffer) {
  engine.renderMode = RenderMode::HighDynamicRange;
  engine.initHDR(kSide, kSide);
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  EXPECT_EQ(0, program);
  GLfloat alpha = 0.0f;
  glGetUniformfv(engine.phongShader->program, engine.alphaLocation, &alpha);
  EXPECT_FLOAT_EQ(0.85f, alpha);

  FrameBufferObjectFP16& target = *engine.hdrFrameBuffer;
  EXPECT_TRUE(target.attach()) << "complete";
  target.detach();
  const unsigned before[3] = {target.framebuffer, target.depthRenderbuffer,
                              target.colorTexture->name};
  engine.resizeWindow(kSide, kSide);   // path 3 resizes the frame buffer with the window
  EXPECT_TRUE(before[0] != target.framebuffer && before[1] != target.depthRenderbuffer &&
              before[2] != target.colorTexture->name);
}
