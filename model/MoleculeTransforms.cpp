// Moving a whole molecule with a matrix: its spheroids (centres and foci, or their geometry too)
// and its packed positions.
#include "math/SSEMatrix4x4f.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

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
