// One frame of the view and its steps: timing, camera glides, the hand-over (GLWidget.cpp),
// automatic rotation, the drawing passes in either path and the pulsing current spheroid.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QTransform>

#include <cmath>
#include <vector>

#include "render/FrameBufferObject.h"
#include "render/GLSLShader.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "render/Texture.h"
#include "render/TimeEngine.h"
#include "model/Spheroid.h"
#include "view/GLWidget.h"
#include "view/ScreenProjection.h"

namespace {

constexpr float kTransparentAlpha = 0.85f;   // HDR transparency, program and ramp alike
// A molecule turns more slowly about the screen's vertical axis than about the other two.
constexpr float kMeshYawRate = 0.4f;

// Marks the frame as running for its whole extent, whichever way it ends.
class FrameScope {
 public:
  explicit FrameScope(bool& flag) : running(flag) { running = true; }
  ~FrameScope() { running = false; }
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;

 private:
  bool& running;
};

// The step rotation of automatic rotation: half-angle a about the axis of autoRotateAxis;
// false for no rotation.
bool autoRotationStep(int axis, float halfAngle, Quaternion& step) {
  const float c = std::cos(halfAngle), s = std::sin(halfAngle);
  switch (axis) {
    case GLWidget::AutoRotateX: step.set(c, s, 0.0f, 0.0f); return true;
    case GLWidget::AutoRotateY: step.set(c, 0.0f, s, 0.0f); return true;
    case GLWidget::AutoRotateZ: step.set(c, 0.0f, 0.0f, s); return true;
    default: return false;
  }
}

// Whether the display flags hide a selected spheroid of this kind; atom spheres always show.
bool kindHidden(const GraphicsEngine& engine, int kind) {
  return (kind == 1 && !engine.showAtomicOrbitals) ||
         (kind == 3 && !engine.showMolecularOrbitals) || (kind == 2 && !engine.showBondAxes);
}

}  // namespace

QImage GLWidget::grabFrame() {
  if (frameRunning) return QImage();
  const GraphicsEngine* engine = GraphicsEngine::instance();
  const int width = static_cast<int>(engine->windowWidth);
  const int height = static_cast<int>(engine->windowHeight);
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  setAutoBufferSwap(false);
  updateGL();
  makeCurrent();
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
  swapBuffers();
  setAutoBufferSwap(true);
  // GL counts rows from the bottom up; the copy is the image's own.
  return QImage(pixels.data(), width, height, QImage::Format_ARGB32_Premultiplied)
      .transformed(QTransform(1, 0, 0, -1, 0, 0), Qt::FastTransformation);
}

void GLWidget::paintGL() {
  FrameScope scope(frameRunning);
  GraphicsEngine* engine = GraphicsEngine::instance();
  TimeEngine* time = TimeEngine::instance();
  time->updateHighTimer();
  engine->setDeltaTime(time->getHighDeltaTime());
  engine->updateTickers();
  paintStep_cameraSlerp();
  paintStep_threadSyncHack();
  paintStep_twist();
  if (hdrEnabled) {
    paintGL_HDR();
    return;
  }
  paintStep_autoRotate();
  paintStep_moleculeSlerp();
  engine->openPipeline();
  engine->setPerspectiveProjection();
  if (engine->showCameraTrack) engine->renderCameraPositions();
  glColor3f(1.0f, 1.0f, 1.0f);
  glLineWidth(1.0f);
  engine->renderMeshes_LDR();
  paintStep_currentSpheroid();
  engine->turnOffLights();
  paintStep_textOverlay();
  if (!atomsToDelete.empty()) paintAtomDeleteSymbol();
  if (!bondsToDelete.empty()) paintBondDeleteSymbol();
  if (!atomsToMakeAxes.empty()) paintAxisSymbol();
  engine->renderCursor();
  if (engine->showAxes) engine->renderAxes();
  if (engine->showFPS) engine->renderHUD();
  if (engine->showColorScale) renderColorScale();
}

// The scene into the half-float frame buffer with the phong program, then the buffer onto the
// window. No edit-mode symbols and no colour scale in this path.
void GLWidget::paintGL_HDR() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  if (engine->hdrFrameBuffer == nullptr) engine->initHDR(width(), height());
  TextureFP16* target = engine->hdrFrameBuffer->colorTexture;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushAttrib(GL_VIEWPORT_BIT);
  glViewport(0, 0, static_cast<GLsizei>(target->width), static_cast<GLsizei>(target->height));
  engine->hdrFrameBuffer->attach();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  paintStep_autoRotate();
  paintStep_moleculeSlerp();
  if (engine->showCameraTrack) engine->renderCameraPositions();
  if (engine->lighting) {
    glUseProgram(engine->phongShader->program);
    glUniform1i(engine->useDiffuseLocation, 1);
    glUniform1i(engine->useSpecLocation, 1);
    glUniform1f(engine->alphaLocation, engine->transparency ? kTransparentAlpha : 1.0f);
  } else {
    glUseProgram(0);
    engine->turnOffLights();
    if (engine->transparency) {
      glEnable(GL_TEXTURE_1D);
      glBindTexture(GL_TEXTURE_1D, engine->alphaRampTexture);
      glTexCoord1f(kTransparentAlpha);
    } else {
      glBindTexture(GL_TEXTURE_1D, 0);
      glDisable(GL_TEXTURE_1D);
    }
  }
  engine->renderMeshes_HDR();
  paintStep_currentSpheroid();
  glUseProgram(0);
  engine->renderCursor();
  paintStep_textOverlay();
  if (engine->showAxes) engine->renderAxes();
  if (engine->showFPS)
    engine->renderHUD();
  else
    glColor3f(1.0f, 1.0f, 1.0f);
  engine->hdrFrameBuffer->detach();
  glPopAttrib();
  // The frame buffer may have been remade at a new size: take its texture as it is now.
  target = engine->hdrFrameBuffer->colorTexture;
  glEnable(GL_TEXTURE_2D);
  target->bind();
  engine->renderFullscreenQuad();
  target->unbind();
  glDisable(GL_TEXTURE_2D);
  glUseProgram(0);
  engine->getGLError();
}

void GLWidget::paintStep_cameraSlerp() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  if (engine->returnToHomeCamera) {
    inputLocked = engine->slerpToOriginalCameraPos() != 0;
    if (!inputLocked) buildCameraAxes();
  }
  if (engine->cameraSlerpActive) {
    inputLocked = engine->slerpCamera(cameraIndex, targetCameraIndex) != 0;
    if (!inputLocked) {
      cameraIndex = targetCameraIndex;
      buildCameraAxes();
    }
  }
  if (engine->positionSlerpActive) {
    inputLocked = engine->slerpToPosition() != 0;
    if (!inputLocked) {
      cameraIndex = targetCameraIndex;
      buildCameraAxes();
      emit pickStateSignal(MeshButton);
    }
  }
}

// The scene turns at 2 radians a second (a unit quaternion of half-angle a turns by 2a), a
// molecule at 2 about x and z and 0.8 about y, whatever the frame rate.
void GLWidget::paintStep_autoRotate() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  const float dt = TimeEngine::instance()->getHighDeltaTime();
  Mesh* mesh = engine->currentMesh;
  Quaternion step;
  if (mesh == nullptr) {
    if (pickState != ViewButton || !autoRotationStep(autoRotateAxis, dt, step)) return;
    engine->setRotation(step * engine->globalRotation);
    return;
  }
  const float halfAngle = autoRotateAxis == AutoRotateY ? kMeshYawRate * dt : dt;
  if (autoRotationStep(autoRotateAxis, halfAngle, step)) mesh->setRotation(step * mesh->rotation);
}

void GLWidget::paintStep_currentSpheroid() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  glEnable(GL_BLEND);
  for (Mesh* mesh : engine->meshes) {
    Spheroid* selected = mesh->currentSpheroid;
    if (selected == nullptr) continue;
    // A hidden kind ends the step: the selections of later meshes wait for another frame.
    if (kindHidden(*engine, selected->kind)) break;
    glColor3f(1.0f, 0.0f, 0.0f);
    glPushMatrix();
    screen::applyCamera();
    screen::applyPose(*mesh);
    glEnable(GL_TEXTURE_1D);
    glBindTexture(GL_TEXTURE_1D, engine->alphaRampTexture);
    switch (engine->renderMode) {
      case 1: mesh->renderCurrentSpheroid_VBO(); break;
      case 2: mesh->renderCurrentSpheroid_VA(); break;
      case 3: mesh->renderCurrentSpheroid_HDR(); break;
      default: break;
    }
    glBindTexture(GL_TEXTURE_1D, 0);
    glDisable(GL_TEXTURE_1D);
    glPopMatrix();
  }
  glDisable(GL_BLEND);
}
