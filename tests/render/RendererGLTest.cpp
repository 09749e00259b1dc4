// The renderer's GL side under a real context: textures as drawn and as stored, the eye ray and
// camera eye points against GLU's unprojection, screen text on the pixels, and the driver
// report of the software renderer under Xvfb.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <QImage>

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "math/UtilityEngine.h"
#include "render/Font.h"
#include "render/Texture.h"
#include "support/TextLines.h"
#include "support/WorkingFolder.h"
#include "tests/render/RendererGLFixture.h"

namespace {
using RendererGL = kvtest::RendererGL;
constexpr int kSide = kvtest::RendererGL::kSide;
}  // namespace

TEST_F(RendererGL, PngTopRowLandsAtTextureRowZero) {
  QImage rows(1, 2, QImage::Format_ARGB32);
  rows.setPixel(0, 0, qRgb(255, 0, 0));
  rows.setPixel(0, 1, qRgb(0, 0, 255));
  kvtest::WorkingFolder folder;
  ASSERT_TRUE(rows.save("rows.png"));
  std::unique_ptr<Texture> texture(TextureFactory::instance()->createFromPNG("rows.png"));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  texture->bind();
  glColor3f(1.0f, 1.0f, 1.0f);
  glBegin(GL_QUADS);   // the window, t = 0 along its bottom edge
  for (int corner : {0, 1, 3, 2}) {
    glTexCoord2i(corner & 1, corner >> 1);
    glVertex2i(2 * (corner & 1) - 1, 2 * (corner >> 1) - 1);
  }
  glEnd();
  texture->unbind();
  glDisable(GL_TEXTURE_2D);
  // The two rows' texel centres lie a quarter of the way in from each edge.
  const std::vector<unsigned char> r = red();
  EXPECT_GT(r[kSide / 4 * kSide + 64], 240) << "the image's top row (red) at t = 0";
  EXPECT_LT(r[3 * kSide / 4 * kSide + 64], 15);
}

TEST_F(RendererGL, HalfFloatTextureKeepsValuesAboveOne) {
  std::unique_ptr<TextureFP16> texture(TextureFactory::instance()->createFP16(4, 4));
  const std::vector<float> in(4 * 16, 2.5f);
  std::vector<float> out(4 * 16, 0.0f);
  texture->bind();
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 4, 4, GL_RGBA, GL_FLOAT, in.data());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, out.data());
  texture->unbind();
  EXPECT_TRUE(out[0] == 2.5f && out[63] == 2.5f) << out[0];
}

TEST_F(RendererGL, EyeRayAndCameraEyePointAgreeWithTheGLUnprojection) {
  engine.globalTranslation = SSEVector4f(0.0f, -10.0f, -75.0f, 1.0f);
  engine.mouseX = engine.mouseY = kSide / 2;
  math.generateEyeRay();
  EXPECT_NEAR(-1.0f, engine.eyeRayDirection.z, 1e-5) << "the home camera looks down -z";

  Quaternion turn;
  turn.fromAxisAngleD(0.6f, 0.0f, 0.8f, 40.0f);
  engine.setRotation(turn);
  engine.mouseX = 30;
  math.generateEyeRay();
  engine.storeCamera(new SSEVector4f(engine.globalTranslation), new Quaternion(turn));
  // The passes' camera: translated after the rotation; the projection is the engine's resize.
  GLdouble modelView[16], projection[16], n[3], f[3], eye[3];
  const GLint viewport[4] = {0, 0, kSide, kSide};
  glTranslatef(0.0f, -10.0f, -75.0f);
  glMultMatrixf(engine.globalRotationMatrix.m);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  gluUnProject(30, kSide / 2, 0.0, modelView, projection, viewport, &n[0], &n[1], &n[2]);
  gluUnProject(30, kSide / 2, 1.0, modelView, projection, viewport, &f[0], &f[1], &f[2]);
  gluUnProject(kSide / 2, kSide / 2, 0.0, modelView, projection, viewport, &eye[0], &eye[1], &eye[2]);
  SSEVector4f d(f[0] - n[0], f[1] - n[1], f[2] - n[2], 0.0f);
  d.normalize();
  EXPECT_LT((SSEVector4f(n[0], n[1], n[2], 1.0f) - engine.eyeRayOrigin).length(), 1e-4f);
  EXPECT_LT((d - engine.eyeRayDirection).length(), 1e-5f);
  EXPECT_LT((SSEVector4f(eye[0], eye[1], eye[2], 1.0f) - *engine.cameraEyePositions[0]).length(),
            1e-4f);
}

TEST_F(RendererGL, TextLightsPixelsOnlyInsideItsGlyphBoxesAndTheLabelListDrawsTheSame) {
  ASSERT_TRUE(engine.font != nullptr && engine.renderStrings.size() == 1);
  engine.setOrthoProjection();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor3f(1.0f, 1.0f, 1.0f);
  engine.renderText("FPS:", 20, 100);
  const std::vector<unsigned char> text = red();
  glClear(GL_COLOR_BUFFER_BIT);
  const RenderString* label = engine.renderStrings[0];   // at the window's top right
  engine.renderText("FPS:", label->x, label->y);
  const std::vector<unsigned char> direct = red();
  glClear(GL_COLOR_BUFFER_BIT);
  engine.font->page->bind();
  glCallList(label->displayList);
  engine.font->page->unbind();
  const std::vector<unsigned char> listed = red();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  engine.restorePerspectiveProjection();

  std::vector<TextQuad2D> quads;
  engine.font->layoutText("FPS:", 20, 100, quads);
  int lit = 0;
  for (int i = 0; i < kSide * kSide; ++i) {
    if (text[i] < 40) continue;
    ++lit;
    const float x = i % kSide + 0.5f, y = i / kSide + 0.5f;
    bool inside = false;
    for (size_t q = 0; q < quads.size(); q += 4)   // corner 0 top left, 2 bottom right
      inside = inside || (x >= quads[q].x && x <= quads[q + 2].x && y <= quads[q].y &&
                          y >= quads[q + 2].y);
    EXPECT_TRUE(inside) << "lit pixel " << x << "," << y << " outside every glyph box";
  }
  EXPECT_GT(lit, 30);
  EXPECT_TRUE(direct == listed) << "the label's display list draws what renderText draws";
  EXPECT_NE(direct, std::vector<unsigned char>(direct.size(), 0));
}

TEST_F(RendererGL, DriverReportIsAppendedAndTheExclusionListNamesTheSoftwareRenderer) {
  kvtest::WorkingFolder folder;
  folder.write("hwdebug.txt", "earlier report\n");
  UtilityEngine* utility = UtilityEngine::instance();
  utility->QueryGPU();
  const std::vector<std::string> lines = kvtest::linesOf(folder.read("hwdebug.txt"));
  ASSERT_GT(lines.size(), 12u);
  EXPECT_EQ("earlier report", lines[0]);
  EXPECT_EQ(0u, lines[5].rfind("Renderer: llvmpipe", 0));
  EXPECT_EQ("********End GPU Query********", lines.back());
  EXPECT_TRUE(engine.glMajorVersion == 4 && engine.glMinorVersion == 5);

  EXPECT_FALSE(utility->QueryGPUBlackList()) << "no list";
  folder.write("Settings/blacklist.ini", "# llvmpipe is fine\n");
  EXPECT_FALSE(utility->QueryGPUBlackList());
  folder.write("Settings/blacklist.ini", "# known bad\nLLVMpipe\n");
  EXPECT_TRUE(utility->QueryGPUBlackList());
}

// Fonts and strings come and go without leaving the HUD a freed font: a string drawn with a
// removed font moves to the font left, or draws nothing when none is left.
TEST_F(RendererGL, RemovedFontsAndStringsLeaveTheLabelsDrawable) {
  ASSERT_TRUE(engine.font != nullptr && engine.renderStrings.size() == 1);
  Font* const own = engine.font;
  RenderString* const label = engine.renderStrings[0];
  Font* second = FontFactory::instance()->createFont("Resources/font.fnt");
  ASSERT_NE(nullptr, second);
  engine.addFont(second);
  EXPECT_EQ(own, engine.font);
  auto* greeting = new RenderString("Hi", second, 10, 100);
  engine.addRenderString(greeting);
  ASSERT_EQ(2u, engine.renderStrings.size());

  engine.removeFont(second);
  EXPECT_EQ(std::vector<Font*>{own}, engine.fonts);
  EXPECT_EQ(own, greeting->font);
  engine.removeRenderString(greeting);
  EXPECT_EQ(std::vector<RenderString*>{label}, engine.renderStrings);

  // The label's list alone; with the page bound the glyphs, without it their plain quads.
  auto labelPixels = [&](bool textured) {
    glClear(GL_COLOR_BUFFER_BIT);
    engine.setOrthoProjection();
    if (textured) {
      glEnable(GL_TEXTURE_2D);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      engine.font->page->bind();
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    glCallList(label->displayList);
    if (textured) engine.font->page->unbind();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    engine.restorePerspectiveProjection();
    return red();
  };
  const std::vector<unsigned char> dark(kSide * kSide, 0);
  ASSERT_NE(dark, labelPixels(false));
  engine.removeFont(own);
  EXPECT_TRUE(engine.font == nullptr && engine.fonts.empty() && label->font == nullptr);
  EXPECT_EQ(dark, labelPixels(false)) << "a label without a font draws nothing";

  engine.addFont(FontFactory::instance()->createFont("Resources/font.fnt"));
  ASSERT_NE(nullptr, engine.font);
  label->font = engine.font;
  engine.windowWidth = 100;
  engine.rebuildGUI();
  EXPECT_EQ(100 - GraphicsEngine::FpsLabelInset, label->x);
  EXPECT_NE(dark, labelPixels(true)) << "the rebuilt label draws";
}

TEST_F(RendererGL, TextureErrorCheckNamesAPendingError) {
  std::unique_ptr<Texture> texture(TextureFactory::instance()->createFP16(2, 2));
  while (glGetError() != GL_NO_ERROR) {
  }
  glEnable(0xFFFF);   // not a capability
  testing::internal::CaptureStdout();
  EXPECT_EQ(static_cast<unsigned int>(GL_INVALID_ENUM), texture->getTextureError());
  EXPECT_EQ(static_cast<unsigned int>(GL_NO_ERROR), texture->getTextureError());
  EXPECT_EQ("GL_INVALID_ENUM\n", testing::internal::GetCapturedStdout());
}
