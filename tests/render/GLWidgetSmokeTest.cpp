// Proves the GL path on the test machine: a QGLWidget with fixed-function lighting draws a lit
// quad under Xvfb and software rendering, and the pixels read back are the ones drawn.
#include <QApplication>
#include <QGLWidget>
#include <QImage>

#include <GL/glu.h>
#include <gtest/gtest.h>

#include "support/QtApplication.h"

namespace {

class LitQuadWidget : public QGLWidget {
 public:
  LitQuadWidget() : QGLWidget(QGLFormat(QGL::DoubleBuffer | QGL::DepthBuffer | QGL::Rgba)) {}

 protected:
  void initializeGL() override {
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat lightPosition[] = {0.0f, 0.0f, 1.0f, 0.0f};   // directional, from the eye
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    const GLfloat red[] = {1.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat black[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, red);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
  }

  void resizeGL(int width, int height) override {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-1.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  void paintGL() override {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The quad covers the central half of the view; its normal faces the light.
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex2f(-0.5f, -0.5f);
    glVertex2f(0.5f, -0.5f);
    glVertex2f(0.5f, 0.5f);
    glVertex2f(-0.5f, 0.5f);
    glEnd();
  }
};

}  // namespace

TEST(GLWidgetSmoke, LitQuadIsRedOnBlueBackground) {
  kvtest::ensureApplication();   // one application object for every test of the binary
  LitQuadWidget widget;
  widget.resize(64, 64);
  widget.show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(widget.isValid()) << "no GL context";

  const QImage image = widget.grabFrameBuffer();
  ASSERT_EQ(64, image.width());

  // The light falls along the quad's normal, so the diffuse term is the full material colour;
  // with lighting off it would take the current colour, white; facing away, it would be black.
  const QColor centre = image.pixelColor(32, 32);
  EXPECT_GT(centre.red(), 200) << "the lit quad should be bright red";
  EXPECT_LT(centre.green(), 30);
  EXPECT_LT(centre.blue(), 30);

  const QColor corner = image.pixelColor(2, 2);
  EXPECT_LT(corner.red(), 30);
  EXPECT_GT(corner.blue(), 220) << "the clear colour should show outside the quad";
}
