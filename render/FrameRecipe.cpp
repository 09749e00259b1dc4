#include "render/FrameRecipe.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/FrameBufferObject.h"
#include "render/GLSLShader.h"
#include "render/GraphicsEngine.h"
#include "render/Texture.h"

namespace frame {

void paint(GraphicsEngine& engine, Steps& steps) {
  if (engine.renderMode == RenderMode::HighDynamicRange)
    paintHDR(engine, steps);
  else
    paintLDR(engine, steps);
}

void paintLDR(GraphicsEngine& engine, Steps& steps) {
  steps.animate();
  engine.openPipeline();
  engine.setPerspectiveProjection();
  if (engine.showCameraTrack) engine.renderCameraPositions();
  glColor3f(1.0f, 1.0f, 1.0f);
  glLineWidth(1.0f);
  engine.renderMeshes_LDR();
  steps.currentSpheroid();
  engine.turnOffLights();
  steps.textOverlay();
  steps.editSymbols();
  engine.renderCursor();
  if (engine.showAxes) engine.renderAxes();
  if (engine.showFPS) engine.renderHUD();
  if (engine.showColorScale) steps.colorScale();
}

namespace {

// The phong program with its switches, or the fixed pipeline with the alpha ramp standing in
// for transparency.
void chooseShading(GraphicsEngine& engine) {
  if (engine.lighting) {
    glUseProgram(engine.phongShader->program);
    glUniform1i(engine.useDiffuseLocation, 1);
    glUniform1i(engine.useSpecLocation, 1);
    glUniform1f(engine.alphaLocation, engine.transparency ? TransparentAlpha : 1.0f);
    return;
  }
  glUseProgram(0);
  engine.turnOffLights();
  if (engine.transparency) {
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, engine.alphaRampTexture);
    glTexCoord1f(TransparentAlpha);
  } else {
    glBindTexture(GL_TEXTURE_1D, 0);
    glDisable(GL_TEXTURE_1D);
  }
}

}  // namespace

void paintHDR(GraphicsEngine& engine, Steps& steps) {
  if (engine.hdrFrameBuffer == nullptr)
    engine.initHDR(static_cast<int>(engine.windowWidth), static_cast<int>(engine.windowHeight));
  TextureFP16* target = engine.hdrFrameBuffer->colorTexture;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushAttrib(GL_VIEWPORT_BIT);
  glViewport(0, 0, static_cast<GLsizei>(target->width), static_cast<GLsizei>(target->height));
  engine.hdrFrameBuffer->attach();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  steps.animate();
  if (engine.showCameraTrack) engine.renderCameraPositions();
  chooseShading(engine);
  engine.renderMeshes_HDR();
  steps.currentSpheroid();
  glUseProgram(0);
  engine.renderCursor();
  steps.textOverlay();
  if (engine.showAxes) engine.renderAxes();
  if (engine.showFPS)
    engine.renderHUD();
  else
    glColor3f(1.0f, 1.0f, 1.0f);
  engine.hdrFrameBuffer->detach();
  glPopAttrib();
  // The frame buffer may have been remade at a new size: take its texture as it is now.
  target = engine.hdrFrameBuffer->colorTexture;
  glEnable(GL_TEXTURE_2D);
  target->bind();
  engine.renderFullscreenQuad();
  target->unbind();
  glDisable(GL_TEXTURE_2D);
  glUseProgram(0);
  engine.getGLError();
}

}  // namespace frame
