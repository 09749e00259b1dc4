#pragma once

// A GL context for the renderer and one frame of the renderer's frame recipe, shared by
// the GL tests and the frame benchmarks. Needs an X server (tests/support/with-xvfb.sh).

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QCoreApplication>
#include <QDir>
#include <QGLWidget>

#include "render/FrameRecipe.h"
#include "render/GraphicsEngine.h"
#include "support/QtApplication.h"

namespace kvframe {

// One shown widget for the process, its context made current, the engine's GL resources made
// from the source tree's Resources/ and the window set to the widget's size; null without GL.
inline QGLWidget* currentContext(int width, int height) {
  kvtest::ensureApplication();
  static QGLWidget* widget = nullptr;
  if (widget == nullptr) {
    widget = new QGLWidget(QGLFormat(QGL::DoubleBuffer | QGL::DepthBuffer | QGL::Rgba));
    widget->resize(width, height);
    widget->show();
    QCoreApplication::processEvents();
  }
  if (!widget->isValid()) return nullptr;
  widget->makeCurrent();
  QDir::setCurrent(KV_SOURCE_DIR);
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->initGLResources();
  engine->resizeWindow(width, height);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  return widget;
}

// One frame in the engine's drawing path, the renderer's frame as the view paints it with no
// view steps; finished with glFinish, so a timing covers the drawing.
inline void drawFrame() {
  frame::Steps none;
  frame::paint(*GraphicsEngine::instance(), none);
  glFinish();
}

}  // namespace kvframe
