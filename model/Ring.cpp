#include "model/Ring.h"

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {
// The owner's atom at list position id, or null when the ring has no owner or the id is stale.
Atom* ownerAtom(const Molecule* m, int id) {
  if (m == nullptr || id < 0 || static_cast<size_t>(id) >= m->atoms.size()) return nullptr;
  return m->atoms[static_cast<size_t>(id)];
}
}  // namespace

int Ring::getRingAtom(int position) const {
  if (atomIds.empty()) return 0;
  if (position < 0 || static_cast<size_t>(position) >= atomIds.size()) return -1;
  return atomIds[static_cast<size_t>(position)];
}

int Ring::getIdInRing(const Atom* atom) const {
  if (atom == nullptr) return -1;
  for (size_t i = 0; i < atomIds.size(); ++i) {
    if (atomIds[i] == atom->id) return static_cast<int>(i);
  }
  return -1;
}

bool Ring::isAromatic() const {
  if (molecule == nullptr) return false;
  for (int atomId : atomIds) {
    const Atom* a = ownerAtom(molecule, atomId);
    if (a == nullptr || !a->isAromatic) return false;
  }
  return true;
}

bool Ring::isCarbonRing() const {
  for (int atomId : atomIds) {
    const Atom* a = ownerAtom(molecule, atomId);
    if (a == nullptr || a->element != "C") return false;
  }
  return true;
}

void Ring::setBenzeneAromacity() {
  if (molecule == nullptr) return;
  for (int bondId : bondIds) {
    if (bondId >= 0 && static_cast<size_t>(bondId) < molecule->bonds.size())
      molecule->bonds[static_cast<size_t>(bondId)]->order = 1;
  }
}
