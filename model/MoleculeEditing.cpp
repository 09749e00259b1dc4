#include <algorithm>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

// Ids are packed when they run 0 .. n-1 in list order. Deleting keeps them increasing, so the
// last atom's id tells whether a gap opened; a position array of the wrong size counts too.
bool Molecule::atomIdsPacked() const {
  if (atoms.empty()) return true;
  if (atoms.back()->id != static_cast<int>(atoms.size()) - 1) return false;
  return positions.empty() || positions.size() == atoms.size();
}

void Molecule::renumberAtoms() {
  if (!positions.empty()) {
    std::vector<SSEVector4f> packed(atoms.size());
    for (size_t i = 0; i < atoms.size(); ++i) {
      const int old = atoms[i]->id;
      // An atom without a slot of its own keeps its own coordinates.
      packed[i] = (old >= 0 && static_cast<size_t>(old) < positions.size())
                      ? positions[static_cast<size_t>(old)]
                      : atoms[i]->position;
    }
    positions.swap(packed);
  }
  for (size_t i = 0; i < atoms.size(); ++i) atoms[i]->id = static_cast<int>(i);
}

bool Molecule::addAtom(Atom* a) {
  if (a == nullptr) return false;
  // After a deletion the count can repeat an id still in use, and the new atom's slot would
  // land on another atom's entry: pack the ids first, as update() would.
  if (!atomIdsPacked()) renumberAtoms();
  a->id = static_cast<int>(numAtoms);
  ++numAtoms;
  a->molecule = this;
  atoms.push_back(a);
  if (!positions.empty()) positions.push_back(a->position);
  return true;
}

bool Molecule::addAtom(const std::string& name, SSEVector4f& p) {
  Atom* a = Builder::instance()->createAtom();
  a->name = name;
  a->position = p;
  return addAtom(a);
}

int Molecule::addBond(Atom* a1, Atom* a2, int order) {
  if (a1 == nullptr || a2 == nullptr || a1 == a2 || a1->molecule != this ||
      a2->molecule != this)
    return 0;
  Bond* b = Builder::instance()->createBond();
  b->atom1 = a1;
  b->atom2 = a2;
  b->order = order;
  const int result = addBond(b);
  if (result != 1) delete b;
  return result;
}

int Molecule::addBond(unsigned int i1, unsigned int i2, int order) {
  if (i1 >= atoms.size() || i2 >= atoms.size() || i1 == i2) return 0;
  return addBond(atoms[i1], atoms[i2], order);
}

int Molecule::addBond(Bond* b) {
  if (b == nullptr) return 0;
  Atom* a1 = b->atom1;
  Atom* a2 = b->atom2;
  if (a1 == nullptr || a2 == nullptr || a1 == a2 || a1->molecule != this ||
      a2->molecule != this)
    return 0;
  if (!a1->addCbond(b)) return -1;
  if (!a2->addCbond(b)) {
    a1->withdrawBond(b);
    return -1;
  }
  b->name = a1->name + a2->name;
  b->molecule = this;
  b->id = static_cast<int>(numBonds);
  ++numBonds;
  bonds.push_back(b);
  if (isDummy(a1) || isDummy(a2)) ++numBondAxes;
  return 1;
}

bool Molecule::deleteBond(Bond* b) {
  if (b == nullptr || b->molecule != this || b->atom1 == nullptr || b->atom2 == nullptr)
    return false;
  auto it = std::find(bonds.begin(), bonds.end(), b);
  if (it == bonds.end()) return false;
  if (!b->atom1->deleteBond(b)) return false;
  if (!b->atom2->deleteBond(b)) return false;
  bonds.erase(it);
  --numBonds;
  if ((isDummy(b->atom1) || isDummy(b->atom2)) && numBondAxes > 0) --numBondAxes;
  delete b;
  return true;
}

bool Molecule::deleteAtom(Atom* a) {
  if (a == nullptr || a->molecule != this) return false;
  auto it = std::find(atoms.begin(), atoms.end(), a);
  if (it == atoms.end()) return false;
  for (Bond* b : bonds) {
    if (!b->hasDihedral) continue;
    if ((b->dihedralAtom1 != nullptr && b->dihedralAtom1->id == a->id) ||
        (b->dihedralAtom2 != nullptr && b->dihedralAtom2->id == a->id)) {
      b->dihedralAtom1 = nullptr;
      b->dihedralAtom2 = nullptr;
      b->hasDihedral = false;
    }
  }
  for (Bond* b : a->bonds) {
    Atom* n = a->getAdjacentAtom(b);
    if (n == nullptr) continue;
    auto e = std::find_if(n->neighbours.begin(), n->neighbours.end(),
                          [a](const Atom* x) { return x != nullptr && x->id == a->id; });
    if (e != n->neighbours.end()) n->neighbours.erase(e);
    n->piCount = 0;
  }
  const std::vector<Bond*> own = a->bonds;
  for (Bond* b : own) deleteBond(b);
  it = std::find(atoms.begin(), atoms.end(), a);
  atoms.erase(it);
  --numAtoms;
  // Each bond to the dummy already took its axis off the count; only a dummy without bonds
  // still stands for one.
  if (isDummy(a) && own.empty() && numBondAxes > 0) --numBondAxes;
  delete a;
  return true;
}

bool Molecule::update() {
  renumberAtoms();
  for (size_t i = 0; i < bonds.size(); ++i) bonds[i]->id = static_cast<int>(i);
  findAllSmallestRings();
  return true;
}

unsigned int Molecule::calculateNumBondAxes() {
  const size_t count = std::min<size_t>(numAtoms, atoms.size());
  numBondAxes = static_cast<unsigned int>(
      std::count_if(atoms.begin(), atoms.begin() + static_cast<long>(count), isDummy));
  return numBondAxes;
}

void Molecule::setAllAtomPositions() {
  const size_t count = std::min<size_t>({numAtoms, atoms.size(), positions.size()});
  for (size_t i = 0; i < count; ++i) {
    atoms[i]->position = positions[i];
    if (atoms[i]->sphere != nullptr) atoms[i]->sphere->centre = positions[i];
  }
}

void Molecule::clearFlag_IsPosFix() {
  for (Atom* a : atoms) a->isPosFix = false;
}

void Molecule::fixHeavyAtoms() {
  for (Atom* a : atoms) {
    if (a->element != "H" || a->degree >= 2) a->isPosFix = true;
  }
}
