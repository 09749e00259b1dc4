// Molecule's rendering glue: building its display mesh.
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
