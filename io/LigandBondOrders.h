#pragma once

#include <map>
#include <string>
#include <vector>

class Bond;
class Molecule;

// What the bond orders of a residue without template rest on where the geometry does not settle
// them: each entry names the atoms ("N=C2 1.34 A").
struct LigandOrderGuesses {
  std::vector<std::string> fromDistance;   // a multiple bond only its short distance asks for
  std::vector<std::string> unfilled;       // atoms left short of the multiple bond they need
  // bonds whose length, well inside one order's range, lost to the rest of the perception:
  // "C1-C2 1.34 A read as single though as short as a double bond"
  std::vector<std::string> againstLength;
  std::vector<std::string> shortAtoms;     // atoms with hydrogens given, short of their valence
  std::vector<std::string> pieces;         // "C1 and SI1 2.41 A apart": pieces no bond joins
  bool searchCut = false;                  // the order search stopped short

  bool empty() const {
    return fromDistance.empty() && unfilled.empty() && againstLength.empty() &&
           shortAtoms.empty() && pieces.empty() && !searchCut;
  }
  // One text for a warning line: "bond orders guessed: N=C2 1.34 A taken as double from its
  // short distance; ...", the bonds whose length lost, then the atoms left short and the
  // pieces.
  std::string describe() const;
};

// Orders a file gives for bonds of the residue: a "CONECT" partner named twice or three times.
using ListedOrders = std::map<const Bond*, int>;

// Bond orders of a residue that has no template, from its own graph: the orders its records
// list are kept where they leave no atom past its valence; the hydrogens the file gives fix the
// hydrogen count of each atom whose geometry has room for no more (such atoms get none added
// later: they are marked), otherwise the geometry says which atoms are planar, linear or
// tetrahedral and the bond lengths which bonds are short. Sulfonyl, phosphoryl, nitro and N-oxide
// groups are set first; the remaining double bonds are the best matching over the atoms that can
// take one, so that no atom goes past its valence, a five-ring sulfur, oxygen or three-bonded
// nitrogen takes none, and a ring never gets two double bonds on one atom.
LigandOrderGuesses perceiveLigandBondOrders(Molecule& residue,
                                            const ListedOrders& listed = ListedOrders());

// Pieces of a bonded residue that lie within bonding reach of each other and share no bond (an
// element without a window, a bond stretched past it): each entry names the closest two atoms
// of a piece and another ("C1 and SI1 2.41 A apart").
std::vector<std::string> unexplainedPieces(const Molecule& residue);
