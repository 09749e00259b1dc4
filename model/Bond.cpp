#include "model/Bond.h"

#include "model/Atom.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace {
Mesh* meshOf(const Molecule* m) { return m != nullptr ? m->mesh : nullptr; }

Bond* copyCommon(const Bond& source, Molecule* m) {
  Bond* c = new Bond();
  c->molecule = m;
  c->copyRecordFields(source);
  c->id = source.id;
  c->isConnection = source.isConnection;
  c->hasDihedral = source.hasDihedral;
  for (int k = 0; k < 4; ++k) c->orientation[k] = source.orientation[k];
  if (source.spheroid != nullptr) {
    c->spheroid = source.spheroid->clone(meshOf(m));
    c->spheroid->owner = c;
    c->spheroid->kind = SpheroidKind::BondOrbital;
  }
  return c;
}
}  // namespace

void Bond::copyRecordFields(const Bond& source) {
  order = source.order;
  semiMajorAxis = source.semiMajorAxis;
  semiMinorAxis = source.semiMinorAxis;
  focalDistance = source.focalDistance;
  energy = source.energy;
  momentTerm = source.momentTerm;
  inRing = source.inRing;
  isBondAxis = source.isBondAxis;
  pdbFlag = source.pdbFlag;
  isApproximated = source.isApproximated;
  deleteMark = source.deleteMark;
  smilesTag = source.smilesTag;
  groupName = source.groupName;
  variation = source.variation;
}

Bond::~Bond() {
  releaseSpheroid(spheroid);
  spheroid = nullptr;
  ringIds.clear();
}

std::string Bond::getName() const {
  if (atom1 == nullptr || atom2 == nullptr) return std::string();
  return atom1->element + std::to_string(atom1->id + 1) + "--" + atom2->element +
         std::to_string(atom2->id + 1);
}

void Bond::getAdjBonds(std::vector<Bond*>& out) const {
  if (atom1 == nullptr || atom2 == nullptr) return;
  for (Bond* b : atom1->bonds) {
    if (b != this) out.push_back(b);
  }
  for (Bond* b : atom2->bonds) {
    if (b != this) out.push_back(b);
  }
}

bool Bond::assignGeometry(Bond* other) const {
  if (other == nullptr || other->molecule == nullptr) return false;
  other->semiMajorAxis = semiMajorAxis;
  other->semiMinorAxis = semiMinorAxis;
  other->focalDistance = focalDistance;
  if (spheroid != nullptr) {
    // The old spheroid of other is replaced: free it first so that nothing leaks.
    releaseSpheroid(other->spheroid);
    other->spheroid = spheroid->clone(meshOf(other->molecule));
    other->spheroid->owner = other;
    other->spheroid->kind = spheroid->kind;
  }
  return true;
}

Bond* Bond::clone(Molecule* m) const {
  Bond* c = copyCommon(*this, m);
  c->dihedral = dihedral;
  c->isAromatic = isAromatic;
  c->groupIndex = groupIndex;
  c->ringIds = ringIds;
  return c;
}

Bond* Bond::clone(Molecule* m, const std::string& groupInstanceName) const {
  Bond* c = copyCommon(*this, m);
  c->groupInstance = groupInstanceName;
  return c;
}
