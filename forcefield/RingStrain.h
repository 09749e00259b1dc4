#ifndef KV_FORCEFIELD_RINGSTRAIN_H
#define KV_FORCEFIELD_RINGSTRAIN_H

// What the rings of a molecule add to its heat of formation beyond the sum of its bonds: the
// strain of rings of three to nine atoms, and what double bonds in or at a small ring and the
// ways rings join add to it.

#include "parameters/ParameterRecords.h"

#include <array>
#include <iterator>

class InputParameters;
class Molecule;

namespace ringstrain {

const int kSmallestStrainedRing = 3;
const int kLargestStrainedRing = 9;

// The kinds of the ring-strain table, each counted per ring size; kRingStrainKinds holds their
// keys.
enum Kind {
  kRing,      // a ring with a bond that is not aromatic (an aromatic ring is priced by its
              // aromatic bond rows); a ring system counts as many rings as it has independent
              // ones, the smallest first: cubane's six faces close five rings
  kEndo,      // a double bond in the ring, counted in the smallest ring that holds it
  kExo,       // a double bond from a ring atom to an atom outside every ring through the bond,
              // counted in the atom's smallest ring
  kFused,     // two rings that share one bond; the size is the larger ring's
  kSpiro,     // two rings that share one atom and no bond; the size is the larger ring's
  kBridged,   // a ring held in a boat or envelope by a bridge across it: another ring shares
              // at least two of its bonds and at least (size - 1) / 2 of them, two of a
              // five-ring's (norbornane), three of a six-ring's (bicyclo[2.2.2]octane), where
              // adamantane's chairs share two
  kBridgedEndo,  // a double bond whose smallest ring is a bridged one (norbornene's), besides
                 // its kEndo count
  kThia,      // a divalent sulfur in a ring with a bond that is not aromatic, counted in its
              // smallest such ring (thiirane's)
  kKindCount
};
static_assert(kKindCount == std::size(kRingStrainKinds), "a table key for every kind");

struct RingTerms {
  // counts[kind][size]; sizes outside three to nine are not counted.
  std::array<std::array<int, kLargestStrainedRing + 1>, kKindCount> counts{};
  int rings(int size) const { return counts[kRing][size]; }
};

// The counts from the molecule's perceived rings (the smallest rings through every bond): decalin
// two six-rings, norbornane two bridged five-rings, indane a five-ring that holds one aromatic bond
// (its benzene ring carries none).
RingTerms ringTerms(const Molecule& molecule);

// The energy in eV that the terms add to the heat of formation with the table's rows.
double ringEnergy(const RingTerms& terms, const InputParameters& tables);

}  // namespace ringstrain

#endif
