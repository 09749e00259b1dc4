// Clean-up after an edit in the 3-D view: aromatic rings that lost their pattern go back to
// alternating single and double bonds, and over-valent atoms shed dummies and spare hydrogens.

#include <algorithm>
#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

bool ringIsValid(const Molecule& m, const Ring& r) {
  for (int id : r.atomIds)
    if (id < 0 || static_cast<size_t>(id) >= m.atoms.size()) return false;
  for (int id : r.bondIds)
    if (id < 0 || static_cast<size_t>(id) >= m.bonds.size()) return false;
  return true;
}

// Three-rings are never rebuilt: a boron triangle keeps its aromatic bonds whatever the edit.
bool rebuildable(const Molecule& m, const Ring& r) {
  return r.aromatic && r.atomIds.size() != 3 && ringIsValid(m, r);
}

}  // namespace

// While this runs an atom's isAromatic means "already has a double bond in the ring being
// rebuilt" and a bond's isAromatic means "keeps its order"; both mean aromatic again on return.
void Molecule::resetBondOrders(std::vector<Atom*> changedAtoms) {
  std::vector<Ring*> rebuild;
  for (const Atom* changed : changedAtoms) {
    if (changed == nullptr || !changed->isAromatic) continue;
    for (int ringId : changed->ringIds) {
      if (ringId < 0 || static_cast<size_t>(ringId) >= rings.size()) continue;
      Ring* ring = rings[static_cast<size_t>(ringId)];
      if (!rebuildable(*this, *ring)) continue;
      ring->aromatic = false;
      rebuild.push_back(ring);
      for (int atomId : ring->atomIds) atoms[static_cast<size_t>(atomId)]->isAromatic = false;
      for (int bondId : ring->bondIds) {
        Bond* b = bonds[static_cast<size_t>(bondId)];
        if (b->order == kAromaticOrder) {
          b->order = 1;
          b->isAromatic = false;
        } else {
          b->isAromatic = true;
          if (b->order > 1) {
            if (b->atom1 != nullptr) b->atom1->isAromatic = true;
            if (b->atom2 != nullptr) b->atom2->isAromatic = true;
          }
        }
      }
    }
  }

  for (Ring* ring : rings) {
    if (!rebuildable(*this, *ring)) continue;
    for (int atomId : ring->atomIds) atoms[static_cast<size_t>(atomId)]->isAromatic = true;
    for (int bondId : ring->bondIds) {
      bonds[static_cast<size_t>(bondId)]->order = kAromaticOrder;
      bonds[static_cast<size_t>(bondId)]->isAromatic = true;
    }
  }

  for (Ring* ring : rebuild) {
    if (ring->atomIds.size() == 3) continue;
    for (int bondId : ring->bondIds) {
      Bond* b = bonds[static_cast<size_t>(bondId)];
      if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
      const bool end1 = b->atom1->isAromatic;
      const bool end2 = b->atom2->isAromatic;
      if (end1 != end2 && !b->isAromatic) {
        b->order = 1;
        b->isAromatic = false;
      } else if (!end1 && !end2 && !b->isAromatic) {
        b->order = 2;
        b->isAromatic = false;
        b->atom1->isAromatic = true;
        b->atom2->isAromatic = true;
      }
    }
  }

  for (Bond* b : bonds) b->isAromatic = b->order == kAromaticOrder;
  for (const Ring* ring : rebuild)
    for (int atomId : ring->atomIds) atoms[static_cast<size_t>(atomId)]->isAromatic = false;
  for (const Ring* ring : rings) {
    if (!rebuildable(*this, *ring)) continue;
    for (int atomId : ring->atomIds) atoms[static_cast<size_t>(atomId)]->isAromatic = true;
  }
}

void Molecule::deleteExtraHydrogenAndDummyAtoms() {
  std::vector<Atom*> doomed;
  const std::vector<Atom*> present = atoms;
  for (Atom* p : present) {
    const int excess = p->usedValence - p->totalValence;
    if (excess <= 0) continue;
    if (p->element == "B") {
      const bool diborene = std::any_of(p->bonds.begin(), p->bonds.end(), [p](Bond* b) {
        const Atom* other = p->getAdjacentAtom(b);
        return b->order == 2 && other != nullptr && other->element == "B";
      });
      if (diborene) continue;
    }
    int removed = 0;
    auto collect = [&](bool dummies) {
      for (Bond* b : p->bonds) {
        if (removed >= excess) return;
        Atom* other = p->getAdjacentAtom(b);
        if (other == nullptr) continue;
        const bool wanted = dummies ? other->element == "R"
                                    : other->element == "H" && other->degree == 1 && !other->isFixed;
        // An atom already taken for a neighbour is not counted twice.
        if (!wanted || std::find(doomed.begin(), doomed.end(), other) != doomed.end()) continue;
        doomed.push_back(other);
        p->hydrogensAdded = true;
        ++removed;
      }
    };
    collect(true);
    if (removed < excess) collect(false);
    p->usedValence -= removed;
  }
  for (Atom* a : doomed) deleteAtom(a);
}

void Molecule::deAromatic() {
  std::vector<int> partly;
  for (const Ring* ring : rings) {
    if (!ringIsValid(*this, *ring)) continue;
    const bool mixed = std::any_of(ring->bondIds.begin(), ring->bondIds.end(), [this](int bondId) {
      return bonds[static_cast<size_t>(bondId)]->order != kAromaticOrder;
    });
    if (mixed) partly.insert(partly.end(), ring->bondIds.begin(), ring->bondIds.end());
  }
  for (int bondId : partly) {
    Bond* b = bonds[static_cast<size_t>(bondId)];
    if (b->order == kAromaticOrder) b->order = 2;
  }
}
