// Camera commands (stored cameras and the animated moves) and the current molecule's pose.
#include <algorithm>

#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "view/GLWidget.h"

namespace {
// resetGlobalCoords puts the current molecule here, in front of the home camera.
const SSEVector4f kResetPosition(0.0f, 10.0f, 35.0f, 1.0f);
// moveToMolecule leaves the molecule this far in front of the camera.
constexpr float kMoleculeViewDistance = 8.0f;
}  // namespace

void GLWidget::storeCamera() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  const SSEVector4f& t = engine->globalTranslation;
  const Quaternion& r = engine->globalRotation;
  engine->storeCamera(new SSEVector4f(t.x, t.y, t.z, 1.0f), new Quaternion(r.w, r.x, r.y, r.z));
  cameraIndex = static_cast<int>(engine->cameraTranslations.size()) - 1;
}

void GLWidget::eraseAllCameras() {
  GraphicsEngine::instance()->eraseAllCameras();
  cameraIndex = targetCameraIndex = -1;
}

// The camera glides home; the camera step unlocks input when it arrives.
void GLWidget::resetCamera() {
  GraphicsEngine::instance()->returnToHomeCamera = true;
  inputLocked = true;
}

void GLWidget::moveToMolecule() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  const Mesh* mesh = engine->currentMesh;
  if (mesh == nullptr) return;
  const SSEVector4f& p = mesh->position;
  engine->slerpTargetPosition = SSEVector4f(-p.x, -p.y, -p.z - kMoleculeViewDistance, -p.w);
  engine->positionSlerpActive = true;
  engine->nullAllSelectedSpheroids();
}

// Glides back until the box around all meshes fills the view in its wider direction.
void GLWidget::moveCameraToAllMolecules() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  const GraphicsEngine::BoundingVolume box = engine->computeAllMeshesBoundingVolume();
  const SSEVector4f& lo = box.min;
  const SSEVector4f& hi = box.max;
  const SSEVector4f c((lo.x + hi.x) / 2.0f, (lo.y + hi.y) / 2.0f, (lo.z + hi.z) / 2.0f,
                      (lo.w + hi.w) / 2.0f);
  const float* projection = engine->projectionMatrix.m;
  const float d = std::max((hi.x - lo.x) / 2.0f * projection[0],
                           (hi.y - lo.y) / 2.0f * projection[5]);
  engine->slerpTargetPosition = SSEVector4f(-c.x, -c.y, -c.z - (hi.z - lo.z) / 2.0f - d, -c.w);
  engine->positionSlerpActive = true;
  engine->nullAllSelectedSpheroids();
}

void GLWidget::toggleCameraTrackVisibility() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->showCameraTrack = !engine->showCameraTrack;
}

void GLWidget::toggleRenderCursor() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->showCursor = !engine->showCursor;
}

void GLWidget::resetGlobalCoords() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr) return;
  mesh->position.x = kResetPosition.x;
  mesh->position.y = kResetPosition.y;
  mesh->position.z = kResetPosition.z;
}

void GLWidget::resetRotation() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh != nullptr) mesh->setRotation(Quaternion());
}
