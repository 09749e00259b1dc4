#include "render/MathEngine.h"

#include <cmath>
#include <utility>

#include "math/Constants.h"
#include "render/GraphicsEngine.h"

MathEngine* MathEngine::Instance = nullptr;

MathEngine* MathEngine::instance() {
  if (Instance == nullptr) {
    Instance = new MathEngine();
    GraphicsEngine::instance();   // a renderer made now fills in the pointers
  }
  return Instance;
}

void MathEngine::resetPick() {
  pickDistance = NoPick;
  pickedSpheroid = nullptr;
  pickedMesh = nullptr;
}

void MathEngine::createPerspectiveProjection(float fovYDegrees, float aspect, float zNear,
                                             float zFar) {
  float* m = projection->m;
  for (int i = 0; i < 16; ++i) m[i] = 0.0f;
  const float f = 1.0f / std::tan(fovYDegrees * kPi / 180.0f / 2.0f);
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (zFar + zNear) / (zNear - zFar);
  m[11] = -1.0f;
  m[14] = 2.0f * zNear * zFar / (zNear - zFar);
}

void MathEngine::createOrthographicProjection(float left, float right, float bottom, float top) {
  float* m = orthoProjection->m;
  for (int i = 0; i < 16; ++i) m[i] = 0.0f;
  m[0] = 2.0f / (right - left);
  m[5] = 2.0f / (top - bottom);
  m[10] = -1.0f;
  m[12] = -(right + left) / (right - left);
  m[13] = -(top + bottom) / (top - bottom);
  m[15] = 1.0f;
}

namespace {

// a x b for column-major 4x4 matrices in double precision.
void multiply(const double* a, const double* b, double* out) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[c * 4 + k];
      out[c * 4 + r] = sum;
    }
}

// Inverts a column-major 4x4 matrix by Gauss-Jordan elimination with partial pivoting; false
// for a singular one.
bool invert(const double* in, double* out) {
  double a[4][8];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      a[r][c] = in[c * 4 + r];
      a[r][c + 4] = r == c ? 1.0 : 0.0;
    }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    if (!(std::fabs(a[pivot][col]) > 0.0)) return false;
    if (pivot != col) std::swap(a[pivot], a[col]);
    const double scale = 1.0 / a[col][col];
    for (double& e : a[col]) e *= scale;
    for (int r = 0; r < 4; ++r) {
      if (r == col) continue;
      const double factor = a[r][col];
      for (int c = 0; c < 8; ++c) a[r][c] -= factor * a[col][c];
    }
  }
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out[c * 4 + r] = a[r][c + 4];
  return true;
}

}  // namespace

bool MathEngine::unproject(double winX, double winY, double winZ, const SSEMatrix4x4f& modelView,
                           const SSEMatrix4x4f& projectionIn, const double viewport[4],
                           SSEVector4f& out) {
  if (viewport[2] == 0.0 || viewport[3] == 0.0) return false;
  double mv[16], p[16], combined[16], inverse[16];
  for (int i = 0; i < 16; ++i) {
    mv[i] = modelView.m[i];
    p[i] = projectionIn.m[i];
  }
  multiply(p, mv, combined);
  if (!invert(combined, inverse)) return false;
  const double ndc[4] = {2.0 * (winX - viewport[0]) / viewport[2] - 1.0,
                         2.0 * (winY - viewport[1]) / viewport[3] - 1.0, 2.0 * winZ - 1.0, 1.0};
  double world[4] = {0.0, 0.0, 0.0, 0.0};
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) world[r] += inverse[k * 4 + r] * ndc[k];
  if (world[3] == 0.0) return false;
  out = SSEVector4f(static_cast<float>(world[0] / world[3]), static_cast<float>(world[1] / world[3]),
                    static_cast<float>(world[2] / world[3]), 1.0f);
  return true;
}

void MathEngine::generateEyeRay() {
  // The global camera: translation after rotation, as every pass applies it.
  SSEMatrix4x4f modelView = *rotationMatrix;
  SSEMatrix4x4f move;
  move.m[12] = translation->x;
  move.m[13] = translation->y;
  move.m[14] = translation->z;
  modelView *= move;
  const double viewport[4] = {0.0, 0.0, static_cast<double>(*viewportWidth),
                              static_cast<double>(*viewportHeight)};
  SSEVector4f nearPoint, farPoint;
  if (!unproject(*pickX, *pickY, 0.0, modelView, *projection, viewport, nearPoint) ||
      !unproject(*pickX, *pickY, 1.0, modelView, *projection, viewport, farPoint))
    return;
  *eyeRayOrigin = nearPoint;
  SSEVector4f direction = farPoint - nearPoint;
  direction.normalize();
  direction.w = 0.0f;
  *eyeRayDirection = direction;
}

SSEVector4f MathEngine::unprojectPoint(int winX, int winY, int winZ, int viewportX, int viewportY,
                                       int viewportWidthIn, int viewportHeightIn) {
  const double viewport[4] = {static_cast<double>(viewportX), static_cast<double>(viewportY),
                              static_cast<double>(viewportWidthIn),
                              static_cast<double>(viewportHeightIn)};
  SSEVector4f point(0.0f, 0.0f, 0.0f, 1.0f);
  unproject(winX, winY, winZ, *auxMatrix, *projection, viewport, point);
  return point;
}
