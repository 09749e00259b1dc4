#include "model/Molecule.h"

// Filled in by ring perception: it will rebuild the rings, the ring-id sets, the ring flags and
// the aromaticity. Until then the rings a molecule holds are left as they are.
void Molecule::findAllSmallestRings() {}
