#pragma once

// A GL context for the renderer and one frame of its passes as the view paints it, shared by
// the GL tests and the frame benchmarks. Needs an X server (tests/support/with-xvfb.sh).

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QCoreApplication>
#include <QDir>
#include <QGLWidget>

#include "render/FrameBufferObject.h"
#include "render/GLSLShader.h"
#include "render/GraphicsEngine.h"
#include "render/Texture.h"
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

// The high-dynamic-range frame: the scene into the half-float frame buffer with the phong
// program (or the fixed pipeline without lighting), then the frame buffer onto the window.
inline void drawFrameHDR() {
  GraphicsEngine& e = *GraphicsEngine::instance();
  if (e.hdrFrameBuffer == nullptr) e.initHDR(static_cast<int>(e.windowWidth),
                                             static_cast<int>(e.windowHeight));
  const TextureFP16* target = e.hdrFrameBuffer->colorTexture;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushAttrib(GL_VIEWPORT_BIT);
  glViewport(0, 0, static_cast<GLsizei>(target->width), static_cast<GLsizei>(target->height));
  e.hdrFrameBuffer->attach();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (e.lighting) {
    glUseProgram(e.phongShader->program);
    glUniform1i(e.useDiffuseLocation, 1);
    glUniform1i(e.useSpecLocation, 1);
    glUniform1f(e.alphaLocation, e.transparency ? 0.85f : 1.0f);
  } else {
    glUseProgram(0);
    e.turnOffLights();
    if (e.transparency) {
      glEnable(GL_TEXTURE_1D);
      glBindTexture(GL_TEXTURE_1D, e.alphaRampTexture);
      glTexCoord1f(0.85f);
    } else {
      glBindTexture(GL_TEXTURE_1D, 0);
      glDisable(GL_TEXTURE_1D);
    }
  }
  e.renderMeshes_HDR();
  glUseProgram(0);
  e.renderCursor();
  if (e.showFPS) e.renderHUD();
  e.hdrFrameBuffer->detach();
  glPopAttrib();
  glEnable(GL_TEXTURE_2D);
  e.hdrFrameBuffer->colorTexture->bind();
  e.renderFullscreenQuad();
  e.hdrFrameBuffer->colorTexture->unbind();
  glDisable(GL_TEXTURE_2D);
}

// One frame in the engine's drawing path, the passes in the view's order; finished with
// glFinish, so a timing covers the drawing.
inline void drawFrame() {
  GraphicsEngine& e = *GraphicsEngine::instance();
  if (e.renderMode == 3) {
    drawFrameHDR();
  } else {
    e.openPipeline();
    e.setPerspectiveProjection();
    glColor3f(1.0f, 1.0f, 1.0f);
    glLineWidth(1.0f);
    e.renderMeshes_LDR();
    e.turnOffLights();
    e.renderCursor();
    if (e.showFPS) e.renderHUD();
  }
  glFinish();
}

}  // namespace kvframe
