// The renderer's GL side under a real context: textures as drawn and as stored, the engine's
// resources, the eye ray against GLU's unprojection, and screen text on the pixels.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <QDir>
#include <QGLWidget>
#include <QImage>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "render/Font.h"
#include "render/Texture.h"
#include "support/ErrorCapture.h"
#include "support/QtApplication.h"
#include "tests/render/RendererFixture.h"

namespace {

constexpr int kSide = 128;

// One widget for the process, its context current for every test; the working directory is the
// source tree, where the engine finds Resources/.
class RendererGL : public kvtest::RendererFixture {
 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    static QGLWidget* widget = nullptr;
    if (widget == nullptr) {
      widget = new QGLWidget(QGLFormat(QGL::DoubleBuffer | QGL::DepthBuffer | QGL::Rgba));
      widget->resize(kSide, kSide);
      widget->show();
      QCoreApplication::processEvents();
    }
    ASSERT_TRUE(widget->isValid()) << "no GL context";
    widget->makeCurrent();
    QDir::setCurrent(KV_SOURCE_DIR);
    engine.initGLResources();
    RendererFixture::SetUp();
    engine.resizeWindow(kSide, kSide);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
  }

  // RGBA bytes of the back buffer; row 0 is the bottom of the window.
  static std::vector<unsigned char> pixels() {
    std::vector<unsigned char> rgba(4 * kSide * kSide);
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }
  static const unsigned char* at(const std::vector<unsigned char>& rgba, int x, int y) {
    return &rgba[4 * (y * kSide + x)];
  }
};

}  // namespace

TEST_F(RendererGL, PngTopRowLandsAtTextureRowZero) {
  QImage rows(1, 2, QImage::Format_ARGB32);
  rows.setPixel(0, 0, qRgb(255, 0, 0));
  rows.setPixel(0, 1, qRgb(0, 0, 255));
  const std::string path = (folder() / "rows.png").string();
  ASSERT_TRUE(rows.save(QString::fromStdString(path)));
  Texture* texture = TextureFactory::instance()->createFromPNG(path.c_str());
  ASSERT_EQ(2u, texture->height);

  // t = 0 along the bottom edge of the window.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  texture->bind();
  glColor3f(1.0f, 1.0f, 1.0f);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(-1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, -1);
  glTexCoord2f(1, 1), glVertex2f(1, 1);
  glTexCoord2f(0, 1), glVertex2f(-1, 1);
  glEnd();
  texture->unbind();
  glDisable(GL_TEXTURE_2D);
  const std::vector<unsigned char> rgba = pixels();
  // The texel centres of the two rows lie a quarter of the way in from each edge; nearer the
  // edges the linear filter blends in the other row through the repeat wrap.
  EXPECT_GT(at(rgba, 64, kSide / 4)[0], 240) << "the image's top row (red) at the bottom, t = 0";
  EXPECT_LT(at(rgba, 64, kSide / 4)[2], 15);
  EXPECT_GT(at(rgba, 64, 3 * kSide / 4)[2], 240);
  delete texture;

  kvtest::ErrorCapture errors;
  Texture* missing = TextureFactory::instance()->createFromPNG("/nonexistent/picture.png");
  EXPECT_EQ(0u, missing->width);
  EXPECT_EQ(1u, errors.lines.size());
  delete missing;
}

TEST_F(RendererGL, HalfFloatTextureKeepsValuesAboveOne) {
  TextureFP16* texture = TextureFactory::instance()->createFP16(4, 4);
  const std::vector<float> in(4 * 16, 2.5f);
  std::vector<float> out(4 * 16, 0.0f);
  texture->bind();
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 4, 4, GL_RGBA, GL_FLOAT, in.data());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, out.data());
  EXPECT_EQ(2.5f, out[0]);
  EXPECT_EQ(2.5f, out[63]);
  texture->resize(8, 2);
  texture->bind();
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  texture->unbind();
  EXPECT_EQ(8, width);
  EXPECT_EQ(GL_NO_ERROR, static_cast<int>(glGetError()));
  delete texture;
}

TEST_F(RendererGL, ResourcesHoldTheFontPageCursorLabelAndAlphaRamp) {
  ASSERT_NE(nullptr, engine.font);
  ASSERT_NE(nullptr, engine.font->page);
  EXPECT_EQ(engine.font->scaleW, engine.font->page->width);
  EXPECT_EQ(64u, engine.cursor.texture->width);
  ASSERT_EQ(1u, engine.renderStrings.size());
  EXPECT_EQ(kSide - GraphicsEngine::FpsLabelInset, engine.renderStrings[0]->x);
  EXPECT_EQ(kSide, engine.renderStrings[0]->y);
  unsigned char ramp[256] = {};
  glBindTexture(GL_TEXTURE_1D, engine.alphaRampTexture);
  glGetTexImage(GL_TEXTURE_1D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, ramp);
  glBindTexture(GL_TEXTURE_1D, 0);
  EXPECT_EQ(0, ramp[0]);
  EXPECT_EQ(200, ramp[200]);
  engine.initGLResources();
  EXPECT_EQ(1u, engine.fonts.size()) << "made once";
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
  engine.mouseY = 100;
  math.generateEyeRay();
  engine.storeCamera(new SSEVector4f(engine.globalTranslation), new Quaternion(turn));

  GLdouble modelView[16], projection[16];
  const GLint viewport[4] = {0, 0, kSide, kSide};
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, -10.0f, -75.0f);
  glMultMatrixf(engine.globalRotationMatrix.m);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glPopMatrix();
  glGetDoublev(GL_PROJECTION_MATRIX, projection);   // loaded by the engine's resize
  GLdouble nx, ny, nz, fx, fy, fz, ex, ey, ez;
  gluUnProject(30, 100, 0.0, modelView, projection, viewport, &nx, &ny, &nz);
  gluUnProject(30, 100, 1.0, modelView, projection, viewport, &fx, &fy, &fz);
  gluUnProject(kSide / 2.0, kSide / 2.0, 0.0, modelView, projection, viewport, &ex, &ey, &ez);
  const double length = std::sqrt((fx - nx) * (fx - nx) + (fy - ny) * (fy - ny) + (fz - nz) * (fz - nz));
  EXPECT_NEAR(nx, engine.eyeRayOrigin.x, 1e-4);
  EXPECT_NEAR(nz, engine.eyeRayOrigin.z, 1e-4);
  EXPECT_NEAR((fx - nx) / length, engine.eyeRayDirection.x, 1e-5);
  EXPECT_NEAR((fy - ny) / length, engine.eyeRayDirection.y, 1e-5);
  EXPECT_NEAR(ex, engine.cameraEyePositions[0]->x, 1e-4);
  EXPECT_NEAR(ez, engine.cameraEyePositions[0]->z, 1e-4);
}

TEST_F(RendererGL, TextLightsPixelsOnlyInsideItsGlyphBoxesAndTheLabelListDrawsTheSame) {
  engine.setOrthoProjection();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor3f(1.0f, 1.0f, 1.0f);
  engine.renderText("FPS:", 20, 100);
  const std::vector<unsigned char> text = pixels();

  glClear(GL_COLOR_BUFFER_BIT);
  const RenderString* label = engine.renderStrings[0];
  engine.renderText("FPS:", label->x, label->y);
  const std::vector<unsigned char> direct = pixels();
  glClear(GL_COLOR_BUFFER_BIT);
  engine.font->page->bind();
  glCallList(label->displayList);
  engine.font->page->unbind();
  const std::vector<unsigned char> listed = pixels();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  engine.restorePerspectiveProjection();

  std::vector<TextQuad2D> quads;
  engine.font->layoutText("FPS:", 20, 100, quads);
  int lit = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      if (at(text, x, y)[0] < 40) continue;
      ++lit;
      bool inside = false;
      for (size_t q = 0; q < quads.size(); q += 4)   // corner 0 top left, 2 bottom right
        inside = inside || (x + 0.5f >= quads[q].x && x + 0.5f <= quads[q + 2].x &&
                            y + 0.5f <= quads[q].y && y + 0.5f >= quads[q + 2].y);
      EXPECT_TRUE(inside) << "lit pixel " << x << "," << y << " outside every glyph box";
    }
  EXPECT_GT(lit, 30);
  EXPECT_TRUE(direct == listed) << "the label's display list draws what renderText draws";
  int labelLit = 0;
  for (size_t i = 0; i < listed.size(); i += 4) labelLit += listed[i] > 40;
  EXPECT_GT(labelLit, 30) << "the label hangs inside the window's top edge";
}
