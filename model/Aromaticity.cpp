// The ring's own aromaticity tests: the pi-electron count that ring perception applies, and an
// older test on the bond pattern of six-rings.

#include <algorithm>
#include <string>
#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

// The ring's atoms and bonds through its owner; false when the ring has no owner or names an
// atom or bond the owner does not hold (a ring left over from before an edit).
bool resolve(const Ring& ring, std::vector<Atom*>& atoms, std::vector<Bond*>& bonds) {
  const Molecule* m = ring.molecule;
  if (m == nullptr) return false;
  for (int id : ring.atomIds) {
    if (id < 0 || static_cast<size_t>(id) >= m->atoms.size()) return false;
    atoms.push_back(m->atoms[static_cast<size_t>(id)]);
  }
  for (int id : ring.bondIds) {
    if (id < 0 || static_cast<size_t>(id) >= m->bonds.size()) return false;
    bonds.push_back(m->bonds[static_cast<size_t>(id)]);
  }
  return true;
}

void makeAromatic(Ring& ring, const std::vector<Atom*>& atoms, const std::vector<Bond*>& bonds) {
  ring.aromatic = true;
  for (Bond* b : bonds) {
    b->order = kAromaticOrder;
    b->isAromatic = true;
  }
  for (Atom* a : atoms) a->isAromatic = true;
}

bool hypervalentCandidate(const std::string& e) {
  return e == "S" || e == "Se" || e == "Te" || e == "P" || e == "As";
}

bool hasDoubleBondOutside(Atom* a, const std::vector<Atom*>& ringAtoms) {
  for (Bond* b : a->bonds) {
    if (b == nullptr || b->order != 2) continue;
    const Atom* other = a->getAdjacentAtom(b);
    if (other != nullptr && std::find(ringAtoms.begin(), ringAtoms.end(), other) == ringAtoms.end())
      return true;
  }
  return false;
}

// A ring sulfur, selenium, phosphorus or arsenic with more bonds than its lowest valence and a
// neighbour outside the ring is tetrahedral: the P of a cyclophosphazene ((NPCl2)3), the S of a
// 1-substituted 1,2,6-thiadiazine. Counted, their six electrons made such rings aromatic; their
// double bonds are ylidic. The two-coordinate N=S=N sulfur of 2,1,3-benzothiadiazole keeps its
// ring aromatic.
bool isTetrahedralHypervalent(Atom* a, const std::vector<Atom*>& ringAtoms) {
  const int lowest = (a->element == "P" || a->element == "As") ? 3 : 2;
  if (!hypervalentCandidate(a->element) || bondValenceSum(a) <= lowest) return false;
  for (Bond* b : a->bonds) {
    const Atom* other = b == nullptr ? nullptr : a->getAdjacentAtom(b);
    if (other != nullptr && std::find(ringAtoms.begin(), ringAtoms.end(), other) == ringAtoms.end())
      return true;
  }
  return false;
}

// A ring sulfur, selenium or phosphorus that holds a double bond outside the ring (the S=O of a
// thiophene oxide, the S=S of a thioxo-dithiole, P=O), or a tetrahedral one, is hypervalent, not
// part of a pi ring.
bool isHypervalent(Atom* a, const std::vector<Atom*>& ringAtoms) {
  return (hypervalentCandidate(a->element) && hasDoubleBondOutside(a, ringAtoms)) ||
         isTetrahedralHypervalent(a, ringAtoms);
}

// A double bond that is no ring bond at all: the C=O or C=C on a ring atom, never the double bond
// a fused ring's Kekule form gives the atom.
bool hasDoubleBondOutOfRings(const Atom* a) {
  return std::any_of(a->bonds.begin(), a->bonds.end(),
                     [](const Bond* b) { return b != nullptr && b->order == 2 && !b->inRing; });
}

}  // namespace

bool Ring::holdsHypervalentAtom() const {
  std::vector<Atom*> ringAtoms;
  std::vector<Bond*> ringBonds;
  if (!resolve(*this, ringAtoms, ringBonds)) return false;
  return std::any_of(ringAtoms.begin(), ringAtoms.end(),
                     [&ringAtoms](Atom* a) { return isHypervalent(a, ringAtoms); });
}

void Ring::checkAromaticityPi() {
  if (aromatic) return;
  std::vector<Atom*> ringAtoms;
  std::vector<Bond*> ringBonds;
  if (!resolve(*this, ringAtoms, ringBonds)) return;

  int piSum = 0;
  int piAtoms = 0;
  int nonCarbon = 0;
  int boron = 0;
  int metalNeighbours = 0;
  bool lonePairDonor = false;
  for (Atom* a : ringAtoms) {
    // A bridging hydrogen (diborane and the like) never closes an aromatic ring.
    if (a->element == "H") return;
    piSum += a->piElectrons;
    if (a->piElectrons >= 2) ++piAtoms;
    if (a->element != "C") ++nonCarbon;
    if (a->element == "B") ++boron;
    if (a->piElectrons == 2 && !a->hasDoubleBond() && !a->hasTripleBond()) lonePairDonor = true;
    bool metalBound = false;
    for (Bond* b : a->bonds) {
      const Atom* other = a->getAdjacentAtom(b);
      if (other != nullptr && other->isMetalAtom()) {
        ++metalNeighbours;
        ++piAtoms;
        metalBound = true;
      }
    }
    // A saturated ring atom (the CH2 of cyclopentadiene, fluorene, 4H-pyran) breaks the pi
    // system, and so does a boron without a multiple bond (the sp3 or lone boron of borates,
    // boroxines and azaborines); the empty p orbital of a carbocation and a metal-bound atom do
    // not.
    if (a->piElectrons == 0 && !metalBound && !a->isMetalAtom() &&
        !(a->element == "C" && a->charge > 0))
      return;
    if (isHypervalent(a, ringAtoms)) return;
    // A ring carbon whose double bond leaves the ring (the C=O of a quinone, a maleimide, a
    // phthalimide or an isatin, the C=C of a fulvene) lends the ring no pi electron of its own:
    // counted as one, it made such rings six-electron aromatics.
    if (a->element == "C" && hasDoubleBondOutOfRings(a)) return;
  }

  const size_t size = ringAtoms.size();
  if (ringBonds.size() == 3 && boron == static_cast<int>(size) && size > 0) {
    for (const Bond* b : ringBonds)
      if (b->order != 2 && b->order != kAromaticOrder) return;
    makeAromatic(*this, ringAtoms, ringBonds);
    return;
  }
  bool isAromaticRing = piSum > 2 && piSum % 4 == 2;
  // A ring holding a lone-pair donor has its electrons counted exactly: 4n + 2 or nothing
  // (1,4-dioxin and uracil's eight are not made six by the allowance below).
  if (!isAromaticRing && !lonePairDonor && piAtoms >= 1 && (nonCarbon > 0 || metalNeighbours > 0)) {
    // A lone pair or a metal may give or take electrons: some count within reach must make
    // 4n + 2. The remainder keeps the dividend's sign, so a negative count never qualifies.
    for (int k = 1; k <= piAtoms && !isAromaticRing; ++k)
      isAromaticRing = (piSum + k) % 4 == 2 || (piSum - k) % 4 == 2;
  }
  if (isAromaticRing) makeAromatic(*this, ringAtoms, ringBonds);
}

void Ring::checkAromaticity() {
  if (aromatic) return;
  std::vector<Atom*> ringAtoms;
  std::vector<Bond*> ringBonds;
  if (!resolve(*this, ringAtoms, ringBonds)) return;

  bool pattern = ringBonds.size() == 6;
  if (pattern) {
    const int first = ringBonds[0]->order;
    pattern = first == 1 || first == 2 || first == kAromaticOrder;
    for (size_t k = 1; k < ringBonds.size() && pattern; ++k) {
      const int order = ringBonds[k]->order;
      const int before = ringBonds[k - 1]->order;
      pattern = order == kAromaticOrder || ((order == 1 || order == 2) && order != before);
    }
  }
  if (!pattern) {
    pattern = !ringAtoms.empty();
    for (const Atom* a : ringAtoms) pattern = pattern && a->isAromatic;
  }
  if (pattern) makeAromatic(*this, ringAtoms, ringBonds);
}
