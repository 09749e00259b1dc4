#ifndef KV_FORCEFIELD_RINGSTRAIN_H
#define KV_FORCEFIELD_RINGSTRAIN_H

// What the rings of a molecule add to its heat of formation beyond the sum of its bonds: the
// strain of rings of three to nine atoms.

#include <array>

class InputParameters;
class Molecule;

namespace ringstrain {

const int kSmallestStrainedRing = 3;
const int kLargestStrainedRing = 9;

struct RingTerms {
  // Rings of each size (index = atoms) with a bond that is not aromatic; an aromatic ring is
  // described by its aromatic bond rows.
  std::array<int, kLargestStrainedRing + 1> ringsOfSize{};
};

// The counts from the molecule's perceived rings (the smallest rings through every bond). A fused,
// bridged or spiro system counts each of its smallest rings: decalin two six-rings, norbornane two
// five-rings, indane a five-ring that holds one aromatic bond (its benzene ring carries none).
RingTerms ringTerms(const Molecule& molecule);

// The energy in eV that the terms add to the heat of formation with the table's rows.
double ringEnergy(const RingTerms& terms, const InputParameters& tables);

}  // namespace ringstrain

#endif
