// Molecule's rendering glue: building its mesh and moving its spheroids with a matrix.
#include <cstdio>

#include "model/Atom.h"
#include "math/UtilityEngine.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/Mesh.h"

namespace {
// Above this many atoms the pairwise clip-plane search is skipped: it is quadratic in the
// number of spheroids.
constexpr unsigned kMaxAtomsClipped = 100;
}  // namespace

bool Molecule::renderMolecule() {
  mesh = new Mesh();
  for (Atom* atom : atoms) {
    if (atom->inMesh) continue;
    if (atom->sphere == nullptr) {
      ErrorLine() << "Error: renderMolecule, no spheroid ";
      return false;
    }
    atom->sphere->createTransformedGeometry();
    mesh->addSpheroid(atom->sphere);
    atom->inMesh = true;
  }
  for (Bond* bond : bonds) {
    if (bond->inMesh) continue;
    if (bond->spheroid == nullptr) {
      ErrorLine() << "Error: renderMolecule, no spheroid ";
      return false;
    }
    bond->spheroid->createTransformedGeometry();
    mesh->addSpheroid(bond->spheroid);
    bond->inMesh = true;
  }
  if (numAtoms <= kMaxAtomsClipped) {
    mesh->calculateAllClipPlanes();
    mesh->applyClipPlanes();
  }
  mesh->centerLocalCoords();
  mesh->molecule = this;
  return true;
}

void Molecule::transformCenterAndFoci(SSEMatrix4x4f* m) {
  if (m == nullptr) return;
  for (Bond* bond : bonds)
    if (bond->spheroid != nullptr) bond->spheroid->transformCenterAndFoci(m);
  for (Atom* atom : atoms) {
    if (atom->sphere != nullptr) atom->sphere->transformCenterAndFoci(m);
    for (Ao* orbital : atom->aos)
      if (orbital->spheroid != nullptr) orbital->spheroid->transformCenterAndFoci(m);
  }
  for (SSEVector4f& p : positions) p *= *m;
}

void Molecule::transformMolecule(SSEMatrix4x4f* m) {
  if (m == nullptr) return;
  for (Bond* bond : bonds)
    if (bond->spheroid != nullptr) bond->spheroid->transformGeometry(m);
  for (Atom* atom : atoms) {
    if (atom->sphere != nullptr) atom->sphere->transformGeometry(m);
    for (Ao* orbital : atom->aos)
      if (orbital->spheroid != nullptr) orbital->spheroid->transformGeometry(m);
  }
  for (SSEVector4f& p : positions) p *= *m;
}
