// Joining two molecules at their chosen bond axes and closing a ring between two axes of one
// molecule. The moving molecule glides in the frame until its axis faces the other; the joined
// molecule is built when the glide ends. The model work is construction's
// (construction/MoleculeEdits.h); the view aims the glide and swaps the molecules.
#include <algorithm>
#include <cmath>
#include <string>

#include "construction/MoleculeEdits.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "render/TimeEngine.h"
#include "view/GLWidget.h"

namespace {

// Along axis 1, from its real atom to where the moving real atom lands: a little beyond a
// bond length, so the two molecules do not touch before they are joined.
constexpr float kLandingDistance = 2.915f;
constexpr float kParallelTolerance = 0.001f;   // radians

float degrees(float radians) { return radians * 180.0f / kPi; }

Bond* axisBond(const Spheroid* s) {
  return s != nullptr && s->owner != nullptr ? static_cast<Bond*>(s->owner) : nullptr;
}

// The real and the dummy end of an axis bond: the first atom is the dummy end exactly when its
// type is "DUM".
Atom* realEnd(const Bond* axis) { return isDummy(axis->atom1) ? axis->atom2 : axis->atom1; }
Atom* dummyEnd(const Bond* axis) { return isDummy(axis->atom1) ? axis->atom1 : axis->atom2; }

SSEVector4f clampedAxis(const Mesh& mesh, const Bond* axis) {
  SSEVector4f u = mesh.getGlobalCenter(dummyEnd(axis)->sphere) -
                  mesh.getGlobalCenter(realEnd(axis)->sphere);
  u.w = 0.0f;
  u.clamp();
  return u;
}

// The turn the moving molecule makes on top of its own rotation so that axis u2 points back
// along axis u1.
Quaternion turnOnto(const SSEVector4f& u1, const SSEVector4f& u2) {
  const float l1 = u1.length(), l2 = u2.length();
  const float cosine = std::max(-1.0f, std::min(1.0f, u2.dot(u1) / (l1 * l2)));
  const float theta = std::acos(cosine);
  Quaternion q;
  if (std::fabs(theta - kPi) < kParallelTolerance) return q;   // already facing each other
  if (std::fabs(theta) < kParallelTolerance) {
    // Pointing the same way: the shortest arc has no axis, so turn through the two Euler frames.
    const SSEVector4f u(u1.x / l1, u1.y / l1, u1.z / l1, 0.0f);
    const float clampedY = std::max(-1.0f, std::min(1.0f, u.y));
    const float yaw = std::atan2(u.z, u.x), pitch = std::asin(clampedY);
    const float backYaw = std::atan2(-u.z, -u.x), backPitch = std::asin(-clampedY);
    Quaternion away, back;
    away.fromEulerFixed(0.0f, degrees(-backYaw), degrees(backPitch));
    back.fromEulerFixed(0.0f, degrees(yaw), degrees(-pitch));
    q = away * back;
    q.clamp();
    return q;
  }
  const SSEVector4f target = -u1;
  const SSEVector4f axis = u2 % target;
  q.set(u2.dot(target) + l1 * l2, axis.x, axis.y, axis.z);
  q.normalize();
  return q;
}

}  // namespace

void GLWidget::paintStep_moleculeSlerp() {
  const float dt = TimeEngine::instance()->getHighDeltaTime();
  for (Mesh* mesh : GraphicsEngine::instance()->meshes) {
    if (!mesh->slerpActive) continue;
    if (mesh->slerp(dt) == 0) {
      joinMolecules();
      return;
    }
  }
}

void GLWidget::initJoinMolecules() {
  Bond* bond1 = axisBond(firstSelectedSpheroid);
  Bond* bond2 = axisBond(secondSelectedSpheroid);
  if (bond1 == nullptr || bond2 == nullptr) {
    emit emitConsoleString(QStringLiteral(
        "Cannot join: choose bond axis 1 and bond axis 2 first (keys 1 and 2, or the molecule's "
        "menu)"));
    return;
  }
  if (bond1 == bond2) return;   // the two choices never name one axis
  if (bond1->order != bond2->order) {
    emit emitConsoleString(QStringLiteral("Cannot join: bond axes are not the same order"));
    return;
  }
  if (bond1->molecule == bond2->molecule) {
    closeRing();
    return;
  }
  Mesh* mesh1 = Mesh::holding(firstSelectedSpheroid);
  Mesh* mesh2 = Mesh::holding(secondSelectedSpheroid);
  if (mesh1 == mesh2) {
    emit emitConsoleString(QStringLiteral("Cannot join: bond axes belong to the same entity"));
    return;
  }
  const Atom* real2 = realEnd(bond2);
  if (mesh1 == nullptr || mesh2 == nullptr || realEnd(bond1)->sphere == nullptr ||
      dummyEnd(bond1)->sphere == nullptr || real2->sphere == nullptr ||
      dummyEnd(bond2)->sphere == nullptr)
    return;
  mesh1->currentSpheroid = mesh2->currentSpheroid = nullptr;
  const SSEVector4f u1 = clampedAxis(*mesh1, bond1);
  const SSEVector4f u2 = clampedAxis(*mesh2, bond2);
  if (u1.length() == 0.0f || u2.length() == 0.0f) {
    printError("Error: Cannot join: a bond axis has no length");
    return;
  }
  const Quaternion turn = turnOnto(u1, u2);
  const Quaternion target = mesh2->rotation == Quaternion() ? turn : turn * mesh2->rotation;
  // The real atom of axis 2 ends on the landing point in front of the real atom of axis 1.
  const SSEVector4f a1 = mesh1->getGlobalCenter(realEnd(bond1)->sphere);
  const float l1 = u1.length();
  SSEMatrix4x4f turned;
  target.toMatrix(&turned);
  const SSEVector4f landed = real2->sphere->centre * turned;
  const SSEVector4f position(a1.x + kLandingDistance * u1.x / l1 - landed.x,
                            a1.y + kLandingDistance * u1.y / l1 - landed.y,
                            a1.z + kLandingDistance * u1.z / l1 - landed.z, 1.0f);
  mesh2->initSlerp(&target, &position);
}

// The two molecules give way to the joined one at the place of the molecule of axis 1. A join
// that fails leaves both on screen as they were, and the axes chosen.
void GLWidget::joinMolecules() {
  Spheroid* first = firstSelectedSpheroid;
  Spheroid* second = secondSelectedSpheroid;
  Mesh* mesh1 = first != nullptr ? Mesh::holding(first) : nullptr;
  Mesh* mesh2 = second != nullptr ? Mesh::holding(second) : nullptr;
  if (mesh1 == nullptr || mesh2 == nullptr || mesh1 == mesh2) {
    clearSelectedSpheroids();
    return;
  }
  mesh1->clearActivePoints();
  mesh2->clearActivePoints();
  Bond* bond1 = axisBond(first);
  Bond* bond2 = axisBond(second);
  if (bond1 == bond2 || bond1->order != bond2->order) {
    clearSelectedSpheroids();
    return;
  }
  const EditResult joined = joinAtBondAxes(bond1->molecule, bond1, bond2->molecule, bond2,
                                           smilesText);
  if (joined.outcome != EditOutcome::Rebuilt) return;
  Molecule* molecule = joined.molecule;
  const SSEVector4f& at = mesh1->position;
  molecule->scenePosition = SSEVector4f(at.x, at.y, at.z, 1.0f);
  Molecule* moving = bond2->molecule;
  retireMolecule(bond1->molecule);
  retireMolecule(moving);
  recordNewMolecule(molecule);
  handOverMolecule(molecule);
  clearSelectedSpheroids();
  GraphicsEngine::instance()->setCurrentMesh(nullptr);
  // One console line per line of the report; an unfinished last line is left out.
  const std::string report = molecule->getListOfBondEnegries();
  for (size_t start = 0, end; (end = report.find('\n', start)) != std::string::npos;
       start = end + 1)
    emit emitConsoleString(QString::fromStdString(report.substr(start, end - start)));
}

void GLWidget::closeRing() {
  Bond* bond1 = axisBond(firstSelectedSpheroid);
  Bond* bond2 = axisBond(secondSelectedSpheroid);
  if (bond1 == nullptr || bond2 == nullptr) return;
  Molecule* molecule = bond1->molecule;
  const EditResult closed = closeRingAtBondAxes(molecule, bond1, bond2, smilesText);
  if (closed.outcome == EditOutcome::Unchanged) return;
  clearSelectedSpheroids();
  replaceMolecule(molecule, closed, false);
}
