// Copying every atom and bond of one molecule into another: the first half of a join at two
// bond axes. The caller then removes the two dummy atoms and makes the new bond.

#include <iostream>
#include <string>
#include <vector>

#include "model/Atom.h"
#include "math/UtilityEngine.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

// The copy of a source atom, found through its id; null for an atom that is not one of the
// source molecule's own (a stale neighbour or dihedral reference).
Atom* copyOf(const Atom* source, const Molecule* from, const std::vector<Atom*>& copies) {
  if (source == nullptr || source->molecule != from || source->id < 0) return nullptr;
  const size_t id = static_cast<size_t>(source->id);
  if (id >= copies.size() || from->atoms[id] != source) return nullptr;
  return copies[id];
}

// Takes back the atoms and bonds a failed merge had already added, newest first, so that the
// molecule is left as it was before the merge began.
void withdrawCopies(Molecule& m, size_t atomCount, size_t bondCount) {
  while (m.bonds.size() > bondCount) {
    Bond* b = m.bonds.back();
    if (!m.deleteBond(b)) {
      // Not a fully wired bond: it is still ours to free.
      m.bonds.pop_back();
      if (m.numBonds > 0) --m.numBonds;
      delete b;
    }
  }
  while (m.atoms.size() > atomCount) {
    Atom* a = m.atoms.back();
    m.atoms.pop_back();
    if (m.numAtoms > 0) --m.numAtoms;
    delete a;
  }
  if (m.positions.size() > atomCount) m.positions.resize(atomCount);
}

// The shared body of GUIMerge and Merge; never destroys other.
int mergeCopies(Molecule& self, Molecule* other, Atom* atom, int& newIndex) {
  if (other == nullptr || other == &self) return 0;
  self.update();
  other->update();

  const size_t offset = self.atoms.size();
  const size_t bondOffset = self.bonds.size();
  const std::string suffix = "_" + std::to_string(self.groups.size());
  const unsigned int savedBondAxes = self.numBondAxes;

  std::vector<Atom*> copies(other->atoms.size(), nullptr);
  int atomIndex = newIndex;
  for (size_t i = 0; i < other->atoms.size(); ++i) {
    const Atom* source = other->atoms[i];
    Atom* copy = source->clone(&self, source->groupInstance + suffix);
    if (!self.addAtom(copy)) {
      ErrorLine() << "Error: Molecule::Merge failed to merge Atoms";
      delete copy;
      withdrawCopies(self, offset, bondOffset);
      self.numBondAxes = savedBondAxes;
      return 0;
    }
    copies[i] = copy;
    if (source == atom) atomIndex = copy->id;
  }

  // Same order as the source, so that chirality labels keep their meaning.
  for (size_t i = 0; i < other->atoms.size(); ++i) {
    std::vector<Atom*> neighbours;
    for (const Atom* n : other->atoms[i]->neighbours) {
      Atom* c = copyOf(n, other, copies);
      if (c != nullptr) neighbours.push_back(c);
    }
    copies[i]->neighbours = neighbours;
  }

  for (const Bond* source : other->bonds) {
    Bond* copy = source->clone(&self, source->groupInstance + suffix);
    copy->atom1 = copyOf(source->atom1, other, copies);
    copy->atom2 = copyOf(source->atom2, other, copies);
    if (source->hasDihedral) {
      // The instance-name clone leaves the angle behind; a dihedral without it is lost.
      copy->dihedral = source->dihedral;
      copy->dihedralAtom1 = copyOf(source->dihedralAtom1, other, copies);
      copy->dihedralAtom2 = copyOf(source->dihedralAtom2, other, copies);
      // A reference that cannot be carried over makes the dihedral meaningless.
      if (copy->dihedralAtom1 == nullptr || copy->dihedralAtom2 == nullptr) {
        copy->hasDihedral = false;
        copy->dihedralAtom1 = nullptr;
        copy->dihedralAtom2 = nullptr;
      }
    }
    if (self.addBond(copy) != 1) {
      ErrorLine() << "Error: Molecule::Merge failed to merge bond";
      delete copy;
      withdrawCopies(self, offset, bondOffset);
      self.numBondAxes = savedBondAxes;
      return 0;
    }
  }

  self.groups.insert(self.groups.end(), other->groups.begin(), other->groups.end());
  self.energyCorrection += other->energyCorrection;
  self.totalBondEnergy += other->totalBondEnergy;
  self.atomicEnergySum += other->atomicEnergySum;
  self.mergeOffset = static_cast<int>(offset);

  // Either side may lack a position array; its atoms' own positions stand in for it.
  std::vector<SSEVector4f> merged;
  merged.reserve(self.atoms.size());
  for (size_t i = 0; i < offset; ++i)
    merged.push_back(i < self.positions.size() ? self.positions[i] : self.atoms[i]->position);
  for (size_t i = 0; i < other->atoms.size(); ++i)
    merged.push_back(i < other->positions.size() ? other->positions[i]
                                                 : other->atoms[i]->position);
  self.positions.swap(merged);

  if (atom != nullptr) newIndex = atomIndex;
  return 1;
}

}  // namespace

int Molecule::GUIMerge(Molecule* other, Atom* atom, int& newIndex) {
  return mergeCopies(*this, other, atom, newIndex);
}

int Molecule::Merge(Molecule* other, Atom* atom, int& newIndex) {
  const int result = mergeCopies(*this, other, atom, newIndex);
  if (result == 1) delete other;
  return result;
}
