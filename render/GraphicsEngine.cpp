// The renderer's state: construction, the current mesh, the stored cameras and the camera
// glides. Nothing here calls GL.
#include "render/GraphicsEngine.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"

GraphicsEngine* GraphicsEngine::Instance = nullptr;

GraphicsEngine* GraphicsEngine::instance() {
  if (Instance == nullptr) {
    Instance = new GraphicsEngine();
    // After Instance is set: the math singleton, made here when it is not yet, asks for the
    // engine in turn.
    Instance->connectMathEngine();
  }
  return Instance;
}

namespace {
const SSEVector4f kHomeTranslation(0.0f, -10.0f, -75.0f, 1.0f);
constexpr float kCameraArrived = 0.001f;   // distance at which a stored-camera glide stops
constexpr float kRotationSettled = 1e-5f;
constexpr float kStartCursorSide = 10.0f;
}  // namespace

void CursorType::resize(float side) {
  const float h = side / 2.0f;
  corners[0] = SSEVector4f(-h, h, 0.0f, 1.0f);
  corners[1] = SSEVector4f(h, h, 0.0f, 1.0f);
  corners[2] = SSEVector4f(h, -h, 0.0f, 1.0f);
  corners[3] = SSEVector4f(-h, -h, 0.0f, 1.0f);
}

GraphicsEngine::GraphicsEngine() {
  // Four white-grey directional lights from the front corners.
  const float corners[4][2] = {{10.0f, 10.0f}, {-10.0f, -10.0f}, {10.0f, -10.0f}, {-10.0f, 10.0f}};
  for (int i = 0; i < 4; ++i) {
    LightSource& light = lights[i];
    const float position[4] = {corners[i][0], corners[i][1], 10.0f, 0.0f};
    const float diffuse[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    const float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    std::copy(position, position + 4, light.position);
    std::copy(diffuse, diffuse + 4, light.diffuse);
    std::copy(ambient, ambient + 4, light.ambient);
  }
  cursor.resize(kStartCursorSide);
}

void GraphicsEngine::connectMathEngine() {
  MathEngine* math = MathEngine::instance();
  math->projection = &projectionMatrix;
  math->auxMatrix = &auxMatrix;
  math->orthoProjection = &orthoMatrix;
  math->translation = &globalTranslation;
  math->rotationMatrix = &globalRotationMatrix;
  math->viewportWidth = &windowWidth;
  math->viewportHeight = &windowHeight;
  math->pickX = &mouseX;
  math->pickY = &mouseY;
  math->eyeRayOrigin = &eyeRayOrigin;
  math->eyeRayDirection = &eyeRayDirection;
}

void GraphicsEngine::setRotation(const Quaternion& q) {
  globalRotation = q;
  globalRotation.toMatrix(&globalRotationMatrix);
}

Mesh* GraphicsEngine::getMesh(int i) const {
  if (i < 0 || static_cast<size_t>(i) >= meshes.size()) return nullptr;
  return meshes[static_cast<size_t>(i)];
}

void GraphicsEngine::setCurrentMesh(Mesh* m) {
  if (currentMesh != nullptr && currentMesh != previousMesh) {
    currentMesh->currentSpheroid = nullptr;
    previousMesh = currentMesh;
    std::cout << "Debug: Current Mesh is changed" << std::endl;
  }
  currentMesh = m;
  if (m != nullptr) cursor.resize(m->size);
}

void GraphicsEngine::removeMesh(Mesh* m) {
  if (m == nullptr) return;
  meshes.erase(std::remove(meshes.begin(), meshes.end(), m), meshes.end());
  if (currentMesh == m) currentMesh = nullptr;
  if (previousMesh == m) previousMesh = nullptr;
  if (m->molecule != nullptr && m->molecule->mesh == m) m->molecule->detachMesh();
  delete m;
}

void GraphicsEngine::resizeCursor(float side) { cursor.resize(side); }

void GraphicsEngine::updateTickers() {
  ticker += deltaTime;
  if (ticker >= 1.0f) ticker = 0.0f;
}

void GraphicsEngine::setPolygonState(unsigned int state) {
  polygonState = state;
  for (Mesh* mesh : meshes) mesh->setPolygonState(state);
}

void GraphicsEngine::nullAllSelectedSpheroids() {
  for (Mesh* mesh : meshes) mesh->currentSpheroid = nullptr;
}

void GraphicsEngine::clearActivePointsFromCurrentMesh() {
  if (currentMesh != nullptr) currentMesh->clearActivePoints();
}

GraphicsEngine::BoundingVolume GraphicsEngine::computeAllMeshesBoundingVolume() const {
  BoundingVolume box;
  bool first = true;
  for (const Mesh* mesh : meshes) {
    const float h = std::max(1.0f, mesh->size / 2.0f);
    const SSEVector4f& p = mesh->position;
    const SSEVector4f lo(p.x - h, p.y - h, p.z - h, 1.0f), hi(p.x + h, p.y + h, p.z + h, 1.0f);
    if (first) {
      box.min = lo;
      box.max = hi;
      first = false;
      continue;
    }
    box.min = SSEVector4f(std::min(box.min.x, lo.x), std::min(box.min.y, lo.y),
                          std::min(box.min.z, lo.z), 1.0f);
    box.max = SSEVector4f(std::max(box.max.x, hi.x), std::max(box.max.y, hi.y),
                          std::max(box.max.z, hi.z), 1.0f);
  }
  return box;
}

SSEVector4f GraphicsEngine::eyePointOf(const SSEVector4f& translation,
                                       const Quaternion& rotation) const {
  SSEMatrix4x4f modelView;
  rotation.toMatrix(&modelView);
  SSEMatrix4x4f move;
  move.m[12] = translation.x;
  move.m[13] = translation.y;
  move.m[14] = translation.z;
  modelView *= move;   // translated after the rotation, as the passes apply a camera
  const double viewport[4] = {0.0, 0.0, static_cast<double>(windowWidth),
                              static_cast<double>(windowHeight)};
  SSEVector4f eye(0.0f, 0.0f, 0.0f, 1.0f);
  MathEngine::unproject(windowWidth / 2.0, windowHeight / 2.0, 0.0, modelView, projectionMatrix,
                        viewport, eye);
  return eye;
}

void GraphicsEngine::storeCamera(SSEVector4f* translation, Quaternion* rotation) {
  if (translation == nullptr || rotation == nullptr) {
    delete translation;
    delete rotation;
    return;
  }
  cameraTranslations.push_back(translation);
  cameraRotations.push_back(rotation);
  cameraEyePositions.push_back(new SSEVector4f(eyePointOf(*translation, *rotation)));
}

void GraphicsEngine::eraseAllCameras() {
  for (SSEVector4f* t : cameraTranslations) delete t;
  for (SSEVector4f* e : cameraEyePositions) delete e;
  for (Quaternion* r : cameraRotations) delete r;
  cameraTranslations.clear();
  cameraEyePositions.clear();
  cameraRotations.clear();
}

GraphicsEngine::GlideStep GraphicsEngine::advanceGlide(CameraGlide& glide,
                                                       const SSEVector4f& startTranslation,
                                                       const Quaternion& startRotation,
                                                       const SSEVector4f& targetTranslation,
                                                       const Quaternion& targetRotation) {
  if (glide.t == 0.0f) {
    glide.startTranslation = startTranslation;
    glide.startRotation = startRotation;
  }
  glide.t = std::min(glide.t + deltaTime, 1.0f);
  const float t = glide.t;
  const SSEVector4f& from = glide.startTranslation;
  globalTranslation.x = from.x + (targetTranslation.x - from.x) * t;
  globalTranslation.y = from.y + (targetTranslation.y - from.y) * t;
  globalTranslation.z = from.z + (targetTranslation.z - from.z) * t;
  Quaternion rotation;
  rotation.slerp(glide.startRotation, targetRotation, t);
  setRotation(rotation);

  GlideStep step;
  const float dx = globalTranslation.x - targetTranslation.x;
  const float dy = globalTranslation.y - targetTranslation.y;
  const float dz = globalTranslation.z - targetTranslation.z;
  step.distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  step.rotationSettled = std::fabs(rotation.w - targetRotation.w) < kRotationSettled ||
                         rotation.w >= 1.0f || rotation.w <= -1.0f;
  return step;
}

int GraphicsEngine::endGlide(CameraGlide& glide, bool& flag) {
  flag = false;
  glide.t = 0.0f;
  return 0;
}

int GraphicsEngine::slerpCamera(int from, int to) {
  const int count = static_cast<int>(std::min(cameraTranslations.size(), cameraRotations.size()));
  // The cameras may have been erased while the glide ran.
  if (from < 0 || to < 0 || from >= count || to >= count)
    return endGlide(cameraGlide, cameraSlerpActive);
  const GlideStep step = advanceGlide(cameraGlide, *cameraTranslations[from], *cameraRotations[from],
                                      *cameraTranslations[to], *cameraRotations[to]);
  if ((step.rotationSettled && step.distance < kCameraArrived) || cameraGlide.t >= 1.0f)
    return endGlide(cameraGlide, cameraSlerpActive);
  return 1;
}

int GraphicsEngine::slerpToPosition() {
  const SSEVector4f target(slerpTargetPosition.x, slerpTargetPosition.y, slerpTargetPosition.z,
                           1.0f);
  advanceGlide(positionGlide, globalTranslation, globalRotation, target, Quaternion());
  if (positionGlide.t >= 1.0f) return endGlide(positionGlide, positionSlerpActive);
  return 1;
}

int GraphicsEngine::slerpToOriginalCameraPos() {
  const GlideStep step =
      advanceGlide(homeGlide, globalTranslation, globalRotation, kHomeTranslation, Quaternion());
  if (step.rotationSettled && step.distance < HomeDistanceTolerance)
    return endGlide(homeGlide, returnToHomeCamera);
  return 1;
}
