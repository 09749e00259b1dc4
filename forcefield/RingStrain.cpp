// Ring strain for the heat of formation.

#include "forcefield/RingStrain.h"

#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"

namespace ringstrain {

namespace {

const int kAromaticOrder = 9;

// True when the ring has a bond that is not aromatic; false for a fully aromatic ring and for a
// ring whose bond ids do not lead to bonds (a half-built graph).
bool hasNonAromaticBond(const Molecule& molecule, const Ring& ring) {
  bool found = false;
  for (int id : ring.bondIds) {
    if (id < 0 || id >= static_cast<int>(molecule.bonds.size()) || molecule.bonds[id] == nullptr)
      return false;
    if (molecule.bonds[id]->order != kAromaticOrder) found = true;
  }
  return found;
}

}  // namespace

RingTerms ringTerms(const Molecule& molecule) {
  RingTerms terms;
  for (const Ring* ring : molecule.rings) {
    if (ring == nullptr) continue;
    const int size = static_cast<int>(ring->atomIds.size());
    if (size < kSmallestStrainedRing || size > kLargestStrainedRing) continue;
    if (hasNonAromaticBond(molecule, *ring)) ++terms.ringsOfSize[size];
  }
  return terms;
}

double ringEnergy(const RingTerms& terms, const InputParameters& tables) {
  double energy = 0.0;
  for (int size = kSmallestStrainedRing; size <= kLargestStrainedRing; ++size)
    if (terms.ringsOfSize[size] > 0)
      energy += terms.ringsOfSize[size] * tables.findRingStrain("RING", size);
  return energy;
}

}  // namespace ringstrain
