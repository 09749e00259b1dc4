// Ray picking of spheres and spheroids: the eye ray against every visible spheroid, the nearest
// hit in front of the ray origin kept.
#include <algorithm>
#include <cmath>

#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"

namespace {

// A spheroid's point in world space: the mesh pose applied (position + R v); a spheroid outside
// any mesh stays where it is.
SSEVector4f toWorld(const Spheroid* s, const SSEVector4f& p) {
  const Mesh* mesh = Mesh::holding(s);
  if (mesh == nullptr) return SSEVector4f(p.x, p.y, p.z, 1.0f);
  SSEVector4f turned(p.x, p.y, p.z, 0.0f);
  turned *= mesh->rotationMatrix;
  return SSEVector4f(turned.x + mesh->position.x, turned.y + mesh->position.y,
                     turned.z + mesh->position.z, 1.0f);
}

// A kind the display flags hide is not drawn, so it cannot be picked either.
bool hiddenByFlags(const Spheroid* s) {
  const GraphicsEngine* engine = GraphicsEngine::instance();
  switch (s->kind) {
    case SpheroidKind::AtomSphere: return !engine->showNuclei;
    case SpheroidKind::AtomicOrbital: return !engine->showAtomicOrbitals;
    case SpheroidKind::OpenBondAxis: return !engine->showBondAxes;
    case SpheroidKind::BondOrbital: return !engine->showMolecularOrbitals;
    default: return false;
  }
}

double dot3(const SSEVector4f& a, const SSEVector4f& b) {
  return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
         static_cast<double>(a.z) * b.z;
}

// The orthonormal frame of a spheroid whose long axis runs along X, built the way the
// tessellation places bond orbitals: turned by pitch about z, then by yaw about y.
void spheroidFrame(SSEVector4f X, SSEVector4f& Y, SSEVector4f& Z) {
  SSEMatrix4x4f yawMatrix, pitchMatrix;
  yawMatrix.createRotateYMatrix(-std::atan2(X.z, X.x));
  pitchMatrix.createRotateZMatrix(std::asin(std::max(-1.0f, std::min(1.0f, X.y))));
  pitchMatrix *= yawMatrix;
  Y = SSEVector4f(0.0f, 1.0f, 0.0f, 1.0f) * pitchMatrix;
  Z = X % Y;
  Z.normalize();
}

}  // namespace

int MathEngine::recordHit(Spheroid* s, double t0, double t1) {
  // Only hits in front of the origin count: a sphere behind the camera is not under the pointer.
  double t = -1.0;
  if (t0 >= 0.0) t = t0;
  if (t1 >= 0.0 && (t < 0.0 || t1 < t)) t = t1;
  if (!(t >= 0.0)) return 0;
  if (static_cast<double>(pickDistance) > t) {
    const SSEVector4f& O = *eyeRayOrigin;
    const SSEVector4f& D = *eyeRayDirection;
    pickDistance = static_cast<float>(t);
    pickedSpheroid = s;
    pickedMesh = Mesh::holding(s);
    pickPoint = SSEVector4f(static_cast<float>(O.x + t * D.x), static_cast<float>(O.y + t * D.y),
                            static_cast<float>(O.z + t * D.z), 1.0f);
  }
  return 1;
}

int MathEngine::intersectRaySphere(Spheroid* s) {
  if (s == nullptr || hiddenByFlags(s)) return 0;
  const SSEVector4f C = toWorld(s, s->centre);
  double r = s->b;
  if (r < SmallSphereRadius) r = PickRadius;
  const SSEVector4f& D = *eyeRayDirection;
  const SSEVector4f L = *eyeRayOrigin - C;
  const double B = 2.0 * dot3(L, D);
  const double A = dot3(D, D);   // 1 for a ray made by generateEyeRay, 0 before any
  const double K = dot3(L, L) - r * r;
  const double disc = B * B - 4.0 * A * K;
  if (!(A > 0.0) || !(disc >= 0.0)) return 0;
  const double root = std::sqrt(disc);
  return recordHit(s, (root - B) / (2.0 * A), (-B - root) / (2.0 * A));
}

int MathEngine::intersectRaySpheroid(Spheroid* s) {
  if (s == nullptr || hiddenByFlags(s)) return 0;
  // A flat or empty spheroid has no inside to hit (and would divide by zero below).
  if (!(s->a > 0.0f) || !(s->b > 0.0f)) return 0;
  const SSEVector4f C = toWorld(s, s->centre);
  const SSEVector4f& O = *eyeRayOrigin;
  const SSEVector4f& D = *eyeRayDirection;
  // The whole spheroid lies within a of its centre: a ray that passes farther away misses, and
  // most spheroids of a large scene are rejected here without the frame.
  const SSEVector4f L = O - C;
  const double along = dot3(L, D), dd = dot3(D, D);
  if (!(dd > 0.0)) return 0;
  const double a = s->a, b = s->b;
  if (dot3(L, L) - along * along / dd > a * a) return 0;

  SSEVector4f X = toWorld(s, s->focus1) - C;
  X.normalize();
  if (std::fabs(X.x) < 0.0001f) X.x = 0.0f;
  if (std::fabs(X.y) < 0.0001f) X.y = 0.0f;
  if (std::fabs(X.z) < 0.0001f) X.z = 0.0f;
  // Foci on the centre leave the axis free; any frame then serves.
  if (X.x == 0.0f && X.y == 0.0f && X.z == 0.0f) X = SSEVector4f(1.0f, 0.0f, 0.0f, 0.0f);
  SSEVector4f Y, Z;
  spheroidFrame(X, Y, Z);

  const double o[3] = {dot3(X, L), dot3(Y, L), dot3(Z, L)};
  const double d[3] = {dot3(X, D), dot3(Y, D), dot3(Z, D)};
  const double a2 = a * a, b2 = b * b;
  const double qa = d[0] * d[0] / a2 + d[1] * d[1] / b2 + d[2] * d[2] / b2;
  const double qb = 2.0 * (o[0] * d[0] / a2 + o[1] * d[1] / b2 + o[2] * d[2] / b2);
  const double qc = o[0] * o[0] / a2 + o[1] * o[1] / b2 + o[2] * o[2] / b2 - 1.0;
  const double disc = qb * qb - 4.0 * qa * qc;
  if (!(qa > 0.0) || !(disc >= 0.0)) return 0;
  const double root = std::sqrt(disc);
  // The frame is orthonormal, so t measures along the world ray as well.
  return recordHit(s, (root - qb) / (2.0 * qa), (-qb - root) / (2.0 * qa));
}

int MathEngine::pickAllMeshSpheroids(int kind) {
  int hits = 0;
  for (Mesh* mesh : GraphicsEngine::instance()->meshes) {
    // A mesh flagged for deletion is leaving the scene: the atoms and bonds that owned its
    // spheroids may be gone already.
    if (mesh == nullptr || mesh->deleteFlag) continue;
    for (Spheroid* s : mesh->spheroids) {
      if (s == nullptr || !s->isVisible) continue;
      if (kind >= 0 && s->kind != kind) continue;
      hits += s->isTessellatedSphere() ? intersectRaySphere(s) : intersectRaySpheroid(s);
    }
  }
  return hits;
}

bool MathEngine::intersectRayMesh(Mesh* m) {
  if (m == nullptr) return false;
  bool hit = false;
  for (Spheroid* s : m->spheroids) {
    if (s == nullptr || intersectRaySphere(s) != 1) continue;
    hit = true;
    if (pickMode == 2) s->isPicked = true;
  }
  return hit;
}
