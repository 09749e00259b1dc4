// Distances, angles and dihedral angles between the atoms picked in the measure modes, and the
// launch of the dihedral energy profiler on the fourth atom of the profile mode.
#include <QDebug>
#include <QMetaMethod>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "view/GLWidget.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kDegreesPerRadian = 57.295776f;

// Atoms a measurement of the mode takes; 0 for a mode that measures nothing.
size_t atomsFor(int mode) {
  switch (mode) {
    case GLWidget::DistanceMode: return 2;
    case GLWidget::AngleMode: return 3;
    case GLWidget::DihedralMode:
    case GLWidget::ProfileMode: return 4;
    default: return 0;
  }
}

QString formatted(const char* format, float value) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<double>(value));
  return QString::fromLatin1(text);
}

SSEVector4f direction(const SSEVector4f& to, const SSEVector4f& from) {
  SSEVector4f d = to - from;
  d.w = 0.0f;
  return d;
}

// The picked points of a mesh that holds at least `count`, else null.
const std::vector<SSEVector4f*>* pointsOf(const Mesh* mesh, size_t count) {
  if (mesh == nullptr || mesh->activePoints.size() < count) return nullptr;
  return &mesh->activePoints;
}

// The dihedral angle p0-p1-p2-p3 in radians, in [0, 2 pi), signed as chemists sign it: looking
// along p1->p2, positive when the near bond p0-p1 turns clockwise to cover the far bond p2-p3.
// Three collinear points leave a zero normal, which reads as a right angle.
float dihedralRadians(const SSEVector4f& p0, const SSEVector4f& p1, const SSEVector4f& p2,
                      const SSEVector4f& p3) {
  const SSEVector4f b = direction(p2, p1), c = direction(p3, p2);
  SSEVector4f k = direction(p0, p1) % b;
  SSEVector4f m = b % c;
  k.normalize();
  m.normalize();
  const float t = k.dot(m);
  float angle = t > 1.0f ? kPi : t < -1.0f ? 0.0f : kPi - std::acos(t);
  // k is the normal of the near plane turned over, so k.c > 0 is a counter-clockwise far bond.
  if (k.dot(c) > 0.0f) angle = -angle;
  if (angle < 0.0f) angle += kTwoPi;
  return angle;
}

}  // namespace

void GLWidget::calculateDistance() { reportDistance(GraphicsEngine::instance()->currentMesh); }
void GLWidget::calculateAngle() { reportAngle(GraphicsEngine::instance()->currentMesh); }
void GLWidget::calculateDihed() { reportDihedral(GraphicsEngine::instance()->currentMesh); }

void GLWidget::reportDistance(const Mesh* mesh) {
  const std::vector<SSEVector4f*>* p = pointsOf(mesh, 2);
  if (p == nullptr) return;
  const float d = direction(*(*p)[0], *(*p)[1]).length();
  emit emitConsoleString(QStringLiteral("Calculated Distance: ") + formatted("%3.5f", d));
}

void GLWidget::reportAngle(const Mesh* mesh) {
  const std::vector<SSEVector4f*>* p = pointsOf(mesh, 3);
  if (p == nullptr) return;
  SSEVector4f u = direction(*(*p)[0], *(*p)[1]);
  SSEVector4f v = direction(*(*p)[2], *(*p)[1]);
  u.normalize();
  v.normalize();
  // Collinear points can round the cosine past 1; the angle is then 0 or 180, never "nan".
  const float cosine = std::max(-1.0f, std::min(1.0f, u.dot(v)));
  emit emitConsoleString(QStringLiteral("Calculated Angle: ") +
                         formatted("%3.5f", std::acos(cosine) * kDegreesPerRadian));
}

void GLWidget::reportDihedral(const Mesh* mesh) {
  const std::vector<SSEVector4f*>* p = pointsOf(mesh, 4);
  if (p == nullptr) return;
  const float angle = dihedralRadians(*(*p)[0], *(*p)[1], *(*p)[2], *(*p)[3]);
  const QString degrees = formatted("%5.1f", angle * 180.0f / kPi);
  emit emitConsoleString(QStringLiteral("Calculated Dihedral Angle: ") + degrees);
  if (MathEngine::instance()->measureMode != ProfileMode || mesh->molecule == nullptr ||
      mesh->activeAtomIds.size() < 4 ||
      !isSignalConnected(QMetaMethod::fromSignal(&GLWidget::launchPlotter)))
    return;
  // The profiler gets a copy of its own to keep; the ids name the copy's atoms, which keep
  // their order. A graph copy drops the energy correction, which the profiler's twisted copies
  // build their heats of formation on.
  const std::vector<int>& ids = mesh->activeAtomIds;
  Molecule* copy = mesh->molecule->copyGraph();
  copy->energyCorrection = mesh->molecule->energyCorrection;
  emit launchPlotter(copy, ids[0], ids[1], ids[2], ids[3], degrees);
}

// The atom under the pointer joins the picked atoms of its own molecule; the set that reaches
// the mode's size is measured at once, and the next pick starts a new set.
void GLWidget::pickForMeasurement() {
  MathEngine* math = MathEngine::instance();
  const int mode = math->measureMode;
  const size_t target = atomsFor(mode);
  if (target == 0) return;
  qDebug() << "We are in a measuring mode: " << mode;
  math->pickAllMeshSpheroids(SpheroidKind::AtomSphere);
  Spheroid* hit = math->pickedSpheroid;
  Mesh* mesh = math->pickedMesh;
  if (hit == nullptr || mesh == nullptr || hit->kind != SpheroidKind::AtomSphere ||
      hit->owner == nullptr)
    return;
  qDebug() << "Picked atom in PICK_ATOM mode - Spheroid    : " << hit;
  qDebug() << "Picked atom in PICK_ATOM mode - Type        : " << hit->kind;
  qDebug() << "Picked atom in PICK_ATOM mode - ParentMesh  : " << mesh;
  qDebug() << "Picked atom in PICK_ATOM mode - target active points  : " << target;
  if (mesh->activePoints.size() >= target) {
    if (mode == ProfileMode) emit resetEnergyPlotter();
    mesh->clearActivePoints();
  }
  const int id = static_cast<const Atom*>(hit->owner)->id;
  std::vector<int>& ids = mesh->activeAtomIds;
  if (std::find(ids.begin(), ids.end(), id) != ids.end()) return;
  ids.push_back(id);
  mesh->activePoints.push_back(new SSEVector4f(hit->centre));
  mesh->showActivePoints = true;
  if (mesh->activePoints.size() < target) return;
  if (target == 2) reportDistance(mesh);
  if (target == 3) reportAngle(mesh);
  if (target == 4) reportDihedral(mesh);
}
