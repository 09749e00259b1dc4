// The frame passes, the buffer sets, the half-float frame buffer and the phong program under a
// real context, checked on the pixels drawn and the data read back from GL.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/BufferObjects.h"
#include "render/Font.h"
#include "render/Mesh.h"
#include "parameters/InputParameters.h"
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
    engine.meshes.clear();
    engine.lighting = true;
    engine.transparency = false;
    engine.showCursor = true;
    InputParameters::swapInstance(previousTables);
    RendererGL::TearDown();
  }

  // Water 5 Angstrom in front of the camera, its mesh built in the present drawing path and
  // listed on screen; the mesh goes with the molecule.
  std::unique_ptr<Molecule> shownWater() {
    auto m = kvtest::buildMolecule({"O", "H", "H"}, {{0, 1, 1}, {0, 2, 1}});
    kvscene::giveSpheroids(*m, {SSEVector4f(0, 0, 0), SSEVector4f(0.96f, 0, 0),
                                SSEVector4f(-0.23f, 0.93f, 0)});
    EXPECT_TRUE(m->renderMolecule());
    m->mesh->position = SSEVector4f(0.0f, 0.0f, 5.0f);
    engine.meshes.push_back(m->mesh);
    return m;
  }

  // Red, green and blue summed over the 17 x 17 pixels around the window centre, where the
  // molecule's centre projects.
  static std::vector<int> centrePatch() {
    std::vector<unsigned char> rgba(4 * kSide * kSide);
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<int> patch;
    for (int y = kSide / 2 - 8; y <= kSide / 2 + 8; ++y)
      for (int x = kSide / 2 - 8; x <= kSide / 2 + 8; ++x) {
        const unsigned char* p = &rgba[4 * (y * kSide + x)];
        patch.push_back(p[0] + p[1] + p[2]);
      }
    return patch;
  }

  // The second of two frames: the first leaves the blend function the HUD sets, as every
  // frame after the view's first does.
  static std::vector<int> drawnPatch() {
    kvframe::drawFrame();
    kvframe::drawFrame();
    return centrePatch();
  }

  static int litCount(const std::vector<int>& patch) {
    int lit = 0;
    for (int value : patch) lit += value > 60;
    return lit;
  }

  InputParameters emptyTables{InputParameters::EmptyTables{}};
  InputParameters* previousTables = nullptr;
};

template <typename T>
std::vector<T> readBuffer(GLenum target, unsigned name, size_t count, bool arb) {
  std::vector<T> out(count);
  if (arb) {
    glBindBufferARB(target, name);
    glGetBufferSubDataARB(target, 0, static_cast<GLsizeiptrARB>(count * sizeof(T)), out.data());
    glBindBufferARB(target, 0);
  } else {
    glBindBuffer(target, name);
    glGetBufferSubData(target, 0, static_cast<GLsizeiptr>(count * sizeof(T)), out.data());
    glBindBuffer(target, 0);
  }
  return out;
}

// A ball of the given tessellation: (rings - 1) x rings + 2 vertices, 4 x rings^2 indices.
Spheroid* ball(int rings) {
  auto* s = new Spheroid(1.0f, 0.5f, 0.5f);
  s->rings = s->segments = rings;
  s->kind = 0;
  return s;
}

}  // namespace

TEST_F(FramePasses, EachPathLightsTheMoleculeAndFollowsLightingAndTransparency) {
  for (const int path : {2, 1, 3}) {
    engine.renderMode = path;
    auto m = shownWater();
    const std::vector<int> lit = drawnPatch();
    EXPECT_GT(litCount(lit), 60) << "path " << path;
    engine.lighting = false;
    EXPECT_NE(lit, drawnPatch()) << "path " << path << " without lighting";
    engine.lighting = true;
    engine.transparency = true;
    EXPECT_NE(lit, drawnPatch()) << "path " << path << " with transparency";
    engine.transparency = false;
    engine.meshes.clear();
    m.reset();   // frees the buffer sets in the path that made them
  }
}

TEST_F(FramePasses, LDRPassDrawsNoMeshesInPathsZeroAndThree) {
  auto m = shownWater();
  for (const int path : {0, 3}) {
    engine.renderMode = path;
    engine.openPipeline();
    engine.setPerspectiveProjection();
    engine.renderMeshes_LDR();
    EXPECT_EQ(0, litCount(centrePatch())) << "path " << path;
  }
  engine.renderMode = 2;
  engine.renderMeshes_LDR();
  EXPECT_GT(litCount(centrePatch()), 60) << "the same scene in path 2";
}

TEST_F(FramePasses, CursorDrawsOnlyAroundACurrentMeshAndLeavesTheDepthTestOn) {
  auto m = shownWater();
  m->mesh->size = 3.0f;   // a cursor 3 Angstrom across, inside the view
  for (Mesh* current : {static_cast<Mesh*>(nullptr), m->mesh}) {
    engine.setCurrentMesh(current);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    engine.renderCursor();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    const std::vector<unsigned char> r = red();
    const int lit = static_cast<int>(std::count_if(r.begin(), r.end(), [](unsigned char v) {
      return v > 40;
    }));
    if (current == nullptr)
      EXPECT_EQ(0, lit) << "no current mesh, no cursor";
    else
      EXPECT_GT(lit, 20) << "the cursor square around the current mesh";
  }
  EXPECT_EQ(m->mesh->position.z, engine.cursor.position.z);
  engine.setCurrentMesh(nullptr);
}

TEST_F(FramePasses, HudShowsTheFrameRateTopRightOnceTheTickerWraps) {
  ASSERT_NE(nullptr, engine.font);
  Font* font = engine.font;
  engine.font = nullptr;
  engine.ticker = 0.0f;
  engine.deltaTime = 0.02f;
  engine.fpsText[0] = '\0';
  engine.renderHUD();
  engine.font = font;
  EXPECT_EQ(std::vector<unsigned char>(kSide * kSide, 0), red()) << "no font, no overlay";
  EXPECT_STREQ("", engine.fpsText);

  // Lit pixels in the top 24 rows, right of the given column.
  auto topRight = [this](int fromX) {
    const std::vector<unsigned char> r = red();
    int lit = 0;
    for (int y = kSide - 24; y < kSide; ++y)
      for (int x = fromX; x < kSide; ++x) lit += r[y * kSide + x] > 40;
    return lit;
  };
  engine.ticker = 0.5f;   // the ticker has not wrapped: the label alone
  engine.renderHUD();
  const int label = topRight(kSide - 75);
  glClear(GL_COLOR_BUFFER_BIT);
  engine.ticker = 0.0f;
  engine.renderHUD();
  EXPECT_STREQ("50.00", engine.fpsText);
  engine.deltaTime = 0.0f;   // no frame time: the number stays
  engine.renderHUD();
  EXPECT_STREQ("50.00", engine.fpsText);
  EXPECT_GT(label, 10) << "\"FPS:\" at the top right";
  EXPECT_GT(topRight(kSide - 75), label + 10) << "and the number beside it";
}

TEST_F(FramePasses, ProjectionKeepsSeventyDegreesAcrossAtAnySize) {
  const int sizes[][2] = {{128, 128}, {640, 480}, {300, 900}, {1, 1}, {7, 0}};
  for (const auto& size : sizes) {
    engine.resizeWindow(size[0], size[1]);
    const float aspect = static_cast<float>(engine.windowWidth) / engine.windowHeight;
    EXPECT_NEAR(1.42815f, engine.projectionMatrix.m[0], 1e-4f) << size[0] << "x" << size[1];
    EXPECT_NEAR(1.42815f * aspect, engine.projectionMatrix.m[5], 1e-4f * aspect);
    for (float v : engine.projectionMatrix.m) EXPECT_TRUE(std::isfinite(v));
  }
}

TEST_F(FramePasses, BufferObjectsReadBackWhatWasAppended) {
  const float positions[6] = {1, 2, 3, 4, 5, 6};
  const unsigned char colours[4] = {10, 20, 30, 40};
  for (const int path : {0, 1}) {
    engine.renderMode = path;
    const bool arb = path == 0;
    VertexBufferObject vertices;
    ColorBufferObject colourBuffer;
    IndexBufferObject indices;
    ASSERT_TRUE(vertices.addMeshData(1, positions) && vertices.addMeshData(1, positions + 3));
    ASSERT_TRUE(colourBuffer.addMeshData(1, colours));
    std::uint16_t three[3] = {0, 1, 2};
    ASSERT_TRUE(indices.addMeshData(100, 3, three));
    EXPECT_EQ((std::vector<float>{1, 2, 3, 4, 5, 6}),
              readBuffer<float>(GL_ARRAY_BUFFER, vertices.buffer, 6, arb)) << "path " << path;
    EXPECT_EQ((std::vector<unsigned char>{10, 20, 30, 40}),
              readBuffer<unsigned char>(GL_ARRAY_BUFFER, colourBuffer.buffer, 4, arb));
    EXPECT_EQ((std::vector<std::uint16_t>{100, 101, 102}),
              readBuffer<std::uint16_t>(GL_ELEMENT_ARRAY_BUFFER, indices.buffer, 3, arb));
  }
}

// Five balls of 20 rings fill a set's 8000 indices exactly; the sixth opens a second set.
TEST_F(FramePasses, BufferSetsFillToExactlyEightThousandIndices) {
  for (const int path : {1, 3}) {
    engine.renderMode = path;
    Mesh mesh;
    for (int i = 0; i < 5; ++i) ASSERT_EQ(1, mesh.addSpheroid(ball(20)));
    ASSERT_EQ(1u, mesh.indexBuffers.size()) << "path " << path;
    EXPECT_EQ(8000, mesh.indexBuffers[0]->count);
    mesh.addSpheroid(ball(20));
    ASSERT_EQ(2u, mesh.indexBuffers.size());
    const Spheroid* sixth = mesh.spheroids.back();
    EXPECT_EQ(mesh.indexBuffers[1]->buffer, sixth->bufferIds[2]);
    EXPECT_EQ(0, sixth->vertexRange[0]);
    EXPECT_EQ(1600, sixth->indexRange[1]);
  }
}

TEST_F(FramePasses, RemovingTheFirstOfThreeMovesTheOthersDownInTheirBuffers) {
  for (const int path : {1, 3}) {
    engine.renderMode = path;
    Mesh mesh;
    Spheroid* first = ball(10);   // 92 vertices, 400 indices
    mesh.addSpheroid(first);
    mesh.addSpheroid(ball(10));
    Spheroid* third = ball(12);
    mesh.addSpheroid(third);
    unsigned char colour[3];
    third->readFirstColour(colour);
    EXPECT_EQ(Spheroid::NeutralGrey, colour[0]) << "read back from the colour buffer";
    const unsigned vertexName = first->bufferIds[0], indexName = first->bufferIds[2];
    const std::vector<float> before = readBuffer<float>(GL_ARRAY_BUFFER, vertexName, 3 * 318, false);
    const std::vector<std::uint16_t> indicesBefore =
        readBuffer<std::uint16_t>(GL_ELEMENT_ARRAY_BUFFER, indexName, 800 + 576, false);

    mesh.removeSpheroid(first);
    ASSERT_EQ(2u, mesh.spheroids.size());
    EXPECT_EQ(92u + 134u, mesh.vertexBuffers[0]->count) << "path " << path;
    EXPECT_EQ(400 + 576, mesh.indexBuffers[0]->count);
    EXPECT_EQ((std::array<std::uint16_t, 2>{92, 226}),
              (std::array<std::uint16_t, 2>{third->vertexRange[0], third->vertexRange[1]}));
    EXPECT_EQ((std::array<std::uint16_t, 2>{400, 976}),
              (std::array<std::uint16_t, 2>{third->indexRange[0], third->indexRange[1]}));
    const std::vector<float> after = readBuffer<float>(GL_ARRAY_BUFFER, vertexName, 3 * 226, false);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), before.begin() + 3 * 92))
        << "the vertices moved down by the first ball's 92";
    const std::vector<std::uint16_t> indicesAfter =
        readBuffer<std::uint16_t>(GL_ELEMENT_ARRAY_BUFFER, indexName, 976, false);
    for (size_t i = 0; i < indicesAfter.size(); ++i)
      ASSERT_EQ(indicesBefore[i + 400] - 92, indicesAfter[i]) << "index " << i;
  }
}

TEST_F(FramePasses, InitHDRLeavesNoProgramInUseAndAlphaAtPointEightyFive) {
  engine.renderMode = 3;
  engine.initHDR(kSide, kSide);
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  EXPECT_EQ(0, program);
  ASSERT_NE(0u, engine.phongShader->program);
  ASSERT_GE(engine.alphaLocation, 0);
  GLfloat alpha = 0.0f;
  glGetUniformfv(engine.phongShader->program, engine.alphaLocation, &alpha);
  EXPECT_FLOAT_EQ(0.85f, alpha);
  EXPECT_TRUE(engine.hdrFrameBuffer->attach()) << "a complete frame buffer";
  engine.hdrFrameBuffer->detach();
}

TEST_F(FramePasses, FrameBufferResizedToTheSameSizeGetsNewNames) {
  engine.renderMode = 3;
  if (engine.hdrFrameBuffer == nullptr) engine.initHDR(kSide, kSide);
  FrameBufferObjectFP16& target = *engine.hdrFrameBuffer;
  const std::array<unsigned, 3> before = {target.framebuffer, target.depthRenderbuffer,
                                          target.colorTexture->name};
  engine.resizeWindow(kSide, kSide);   // path 3 resizes the frame buffer with the window
  EXPECT_NE(before[0], target.framebuffer);
  EXPECT_NE(before[1], target.depthRenderbuffer);
  EXPECT_NE(before[2], target.colorTexture->name);
  EXPECT_EQ(static_cast<unsigned>(kSide), target.colorTexture->width);
}

TEST_F(FramePasses, ShaderModuleOfAnUpperCaseVIsAVertexShader) {
  const std::string path = tempPath("stage") + ".VERT";
  ASSERT_EQ(path.find('.'), path.rfind('.')) << "the test needs the only dot before VERT";
  std::ofstream(path) << "#version 120\nvoid main() { gl_Position = ftransform(); }\n";
  GLSLShader shader;
  ASSERT_TRUE(shader.loadShaderModule(path.c_str()));
  ASSERT_EQ(1u, shader.vertexModules.size());
  EXPECT_TRUE(shader.fragmentModules.empty());
  GLint type = 0;
  glGetShaderiv(shader.vertexModules[0].shader, GL_SHADER_TYPE, &type);
  EXPECT_EQ(GL_VERTEX_SHADER, type);
}
