#pragma once

#include <map>

#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class Mesh;
class Spheroid;

// Projections, the eye ray and picking. It owns no scene data: the renderer's constructor hands
// it pointers to its matrices, camera, window size, pick point and eye ray, and picking walks
// the renderer's meshes. Everything here is plain arithmetic; no GL context is needed.
//
// The pick result (pickDistance, pickedSpheroid, pickedMesh, pickPoint) is only ever made
// nearer: a caller that wants a fresh pick first calls resetPick().
class MathEngine {
 public:
  static constexpr float NoPick = 100000.0f;   // pickDistance before anything is hit
  // Spheres smaller than this (the nuclei) are picked as if their radius were PickRadius.
  static constexpr double SmallSphereRadius = 0.1;
  static constexpr float PickRadius = 0.25f;

  static MathEngine* Instance;   // null until the first instance() call; never destroyed
  // The first call also makes the renderer, which hands over its pointers.
  static MathEngine* instance();

  SSEMatrix4x4f* projection = nullptr;        // GraphicsEngine::projectionMatrix
  SSEMatrix4x4f* auxMatrix = nullptr;         // GraphicsEngine::auxMatrix
  SSEMatrix4x4f* orthoProjection = nullptr;   // GraphicsEngine::orthoMatrix
  SSEVector4f* eyeRayOrigin = nullptr;
  SSEVector4f* eyeRayDirection = nullptr;
  SSEVector4f* translation = nullptr;         // GraphicsEngine::globalTranslation (x, y, z)
  SSEMatrix4x4f* rotationMatrix = nullptr;    // GraphicsEngine::globalRotationMatrix
  unsigned int* viewportWidth = nullptr;
  unsigned int* viewportHeight = nullptr;
  int* pickX = nullptr;   // window pixels, y from the bottom edge
  int* pickY = nullptr;
  int pickMode = 1;       // 1 view or whole molecule, 2 piece
  // 0 none, 1 distance, 2 angle, 4 dihedral, 5 dihedral energy profile, 6 edit bond orders,
  // 7 delete atoms, 8 make bond axis, 9 delete bonds
  int measureMode = 0;
  float pickDistance = NoPick;   // from the ray origin to the nearest hit so far
  Spheroid* pickedSpheroid = nullptr;
  Mesh* pickedMesh = nullptr;
  SSEVector4f pickPoint{0.0f, 0.0f, 0.0f, 1.0f};

  void resetPick();

  // The matrices of gluPerspective and of glOrtho with near -1 and far 1.
  void createPerspectiveProjection(float fovYDegrees, float aspect, float zNear, float zFar);
  void createOrthographicProjection(float left, float right, float bottom, float top);

  // The ray through the pick point in scene coordinates (the global camera undone, mesh poses
  // not): origin on the near plane, unit direction towards the far plane.
  void generateEyeRay();

  // Tests every visible spheroid of every mesh, of the given kind (a SpheroidKind value) only,
  // or of every kind for a negative one (AnyKind); the nearest hit is left in the pick result.
  // Returns the number of spheroids hit.
  int pickAllMeshSpheroids(int kind);
  static constexpr int AnyKind = -1;
  // 1 when the eye ray hits s in front of its origin, 0 when it misses or s is hidden by the
  // display flags; a hit nearer than pickDistance replaces the pick result.
  int intersectRaySphere(Spheroid* s);
  int intersectRaySpheroid(Spheroid* s);
  // The sphere test on every spheroid of m; in pick mode 2 each hit spheroid is marked picked.
  bool intersectRayMesh(Mesh* m);

  // The world point of a window point at a depth (0 near, 1 far) through the inverse of
  // projection x auxMatrix.
  SSEVector4f unprojectPoint(int winX, int winY, int winZ, int viewportX, int viewportY,
                             int viewportWidthIn, int viewportHeightIn);

  // gluUnProject in double precision: the point of window coordinates (x, y, depth) under the
  // given model-view and projection matrices and viewport (x, y, width, height). False when
  // the combined matrix is singular or the point lies at infinity.
  static bool unproject(double winX, double winY, double winZ, const SSEMatrix4x4f& modelView,
                        const SSEMatrix4x4f& projectionIn, const double viewport[4],
                        SSEVector4f& out);

  // Replaces the (x, y) points by the natural cubic spline through them, sampled from the first
  // x at the step, plus the last input point (a last sample may lie past it). Fewer than two
  // points, a step that is not a positive finite number, or more than MaxSplineSamples samples
  // leave them unchanged.
  static constexpr int MaxSplineSamples = 1000000;
  void naturalCubicSplineInterplationXY(std::map<float, float>& points, float step);

 private:
  MathEngine() = default;
  // Keeps the nearer of the hits at ray parameters t0 and t1 (unit direction, so t is the
  // distance); hits behind the origin do not count. Returns 1 when one lies in front.
  int recordHit(Spheroid* s, double t0, double t1);
};
