#pragma once

#include <string>
#include <vector>

class Molecule;

// What the bond orders of a residue without template rest on where the geometry does not settle
// them: each entry names the atoms ("N=C2 1.34 A").
struct LigandOrderGuesses {
  std::vector<std::string> fromDistance;   // a multiple bond only its short distance asks for
  std::vector<std::string> unfilled;       // atoms left short of the multiple bond they need
  bool searchCut = false;                  // the order search stopped short

  bool empty() const { return fromDistance.empty() && unfilled.empty() && !searchCut; }
  // One text for a warning line: "N=C2 taken from a short distance (1.34 A); ...".
  std::string describe() const;
};

// Bond orders of a residue that has no template and no listed bonds, from its own graph: the
// hydrogens the file gives fix the hydrogen counts (a residue with hydrogens gets none added
// later: its atoms are marked), otherwise the geometry says which atoms are planar, linear or
// tetrahedral and the bond lengths which bonds are short. Sulfonyl, phosphoryl, nitro and N-oxide
// groups are set first; the remaining double bonds are the best matching over the atoms that can
// take one, so that no atom goes past its valence, a five-ring sulfur, oxygen or three-bonded
// nitrogen takes none, and a ring never gets two double bonds on one atom.
LigandOrderGuesses perceiveLigandBondOrders(Molecule& residue);
