// One frame of the view and its steps: timing, camera glides, the hand-over (GLWidget.cpp),
// automatic rotation and the pulsing current spheroid; the drawing passes in either path are
// the renderer's frame (render/FrameRecipe.h), which calls the view's steps at their places.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QTransform>

#include <cmath>
#include <vector>

#include "render/FrameRecipe.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "render/TimeEngine.h"
#include "model/Spheroid.h"
#include "view/GLWidget.h"
#include "view/ScreenProjection.h"

namespace {

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
  return (kind == SpheroidKind::AtomicOrbital && !engine.showAtomicOrbitals) ||
         (kind == SpheroidKind::BondOrbital && !engine.showMolecularOrbitals) ||
         (kind == SpheroidKind::OpenBondAxis && !engine.showBondAxes);
}

}  // namespace

// The view's own steps among the renderer's passes.
class GLWidget::ViewSteps : public frame::Steps {
 public:
  explicit ViewSteps(GLWidget& widget) : view(widget) {}
  void animate() override {
    view.paintStep_autoRotate();
    view.paintStep_moleculeSlerp();
  }
  void currentSpheroid() override { view.paintStep_currentSpheroid(); }
  void textOverlay() override { view.paintStep_textOverlay(); }
  void editSymbols() override {
    if (!view.atomsToDelete.empty()) view.paintAtomDeleteSymbol();
    if (!view.bondsToDelete.empty()) view.paintBondDeleteSymbol();
    if (!view.atomsToMakeAxes.empty()) view.paintAxisSymbol();
  }
  void colorScale() override { view.renderColorScale(); }

 private:
  GLWidget& view;
};

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
  ViewSteps steps(*this);
  frame::paintLDR(*engine, steps);
}

// No edit-mode symbols and no colour scale in this path.
void GLWidget::paintGL_HDR() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  if (engine->hdrFrameBuffer == nullptr) engine->initHDR(width(), height());
  ViewSteps steps(*this);
  frame::paintHDR(*engine, steps);
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
      case RenderMode::BufferObjects: mesh->renderCurrentSpheroid_VBO(); break;
      case RenderMode::VertexArrays: mesh->renderCurrentSpheroid_VA(); break;
      case RenderMode::HighDynamicRange: mesh->renderCurrentSpheroid_HDR(); break;
      case RenderMode::BufferObjectsARB: break;
    }
    glBindTexture(GL_TEXTURE_1D, 0);
    glDisable(GL_TEXTURE_1D);
    glPopMatrix();
  }
  glDisable(GL_BLEND);
}
