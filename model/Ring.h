#pragma once

#include <vector>

class Atom;
class Molecule;

// One ring of a molecule: atom and bond ids in ring order; bond k joins atoms k and k+1, the
// last bond closes the ring back to atom 0. The ids stand for the owner's list positions.
class Ring {
 public:
  int id = -1;                    // position in the molecule's ring list
  Molecule* molecule = nullptr;   // owner
  std::vector<int> atomIds;
  std::vector<int> bondIds;
  bool isClosure = false;         // made by closing a ring of the group-graph assembly
  bool aromatic = false;
  int piAtomCount = 0;            // atoms whose chirality label is not 0
  std::vector<int> neighbourRings;   // ids of rings sharing a bond; written by construction
  int conformation = 0;           // 0 undetermined, 1 or 2 one of the two puckers

  // The atom id at a position of the ring; 0 for an empty ring, -1 for a position outside it.
  int getRingAtom(int position) const;
  // Position of the atom's id in the ring, or -1.
  int getIdInRing(const Atom* atom) const;
  // True when the ring has an owner and every ring atom is flagged aromatic.
  bool isAromatic() const;
  bool isCarbonRing() const;
  void setBenzeneAromacity();

  // Aromaticity tests (Aromaticity.cpp); ring perception applies checkAromaticityPi.
  void checkAromaticity();
  void checkAromaticityPi();
  // A ring sulfur, selenium, tellurium, phosphorus or arsenic that is hypervalent: a double
  // bond out of the ring (a thiophene 1,1-dioxide, a phosphole oxide) or more bonds than its
  // lowest valence and a neighbour outside the ring. Such a ring is no heteroaromatic.
  bool holdsHypervalentAtom() const;
};

// A fused ring system found by 3-D construction; the rings are not owned, the atom list is
// not filled by anything yet.
class RingCluster {
 public:
  std::vector<Ring*> rings;
  std::vector<Atom*> atoms;
};
