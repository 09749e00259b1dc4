#pragma once

// The stereo marks a SMILES string can carry, read off a molecule's 3-D positions: the hand of
// each tetrahedral centre (C and N+ with four neighbours, P, As, S and Se with four, and with
// three and a lone pair) whose neighbours all differ, and the side of each double bond whose
// ends each carry two different substituents (or one). Neighbours that differ only in their own
// stereo count as different (the pseudo-asymmetric middle carbon of a meso triol). Used by
// SmilesWriter when it is asked for marks; the positions must be those of a finished set-up.

#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

class Atom;
class Bond;
class Molecule;

// Classes of atoms the graph cannot tell apart (element, charge, isotope, bonds, and so on out
// along the bonds), by list position. The numbers are ranks of the atoms' descriptions, so two
// molecules with the same graph give the same class to corresponding atoms whatever the order
// of their atom lists.
std::vector<int> symmetryClasses(const Molecule& molecule);

// Sign of the volume spanned by four points as seen from the first: +1 when, looking from the
// first towards the centre, the other three run anticlockwise; -1 clockwise; 0 when flat.
int tetrahedralSense(const double p[4][3]);

class SmilesStereo {
 public:
  explicit SmilesStereo(const Molecule& molecule);

  // True for an atom whose hand the string should carry.
  bool isStereoCentre(const Atom* atom) const { return centres.count(atom) != 0; }
  // True when the centre's fourth place is its lone pair.
  bool hasLonePair(const Atom* atom) const;
  // "@" or "@@" for a centre given its neighbours in the order the string lists them, with a
  // null entry where the lone pair stands; empty when the neighbours are not the centre's own.
  const char* chirality(const Atom* centre, const std::vector<const Atom*>& order) const;

  // Marks the single bonds next to the stereo double bonds: only bonds in `marked` (the tree
  // bonds of the string) carry a mark, and a double bond with an end that has none is left
  // unmarked. Call once, before `direction`.
  void assignDirections(const std::vector<const Bond*>& markable);
  // '/' or '\\' for a single bond written from `first` to the other end, 0 for none.
  char direction(const Bond* bond, const Atom* first) const;

 private:
  void findShapes();
  void findRingSystems();
  bool isRingBond(const Bond* b) const;
  int classIn(const std::vector<int>& classes, const Atom* a) const;   // -1 for a stranger
  // Shaped centres and double bonds whose neighbours all differ by these classes join the
  // stereo ones; true when one did. With ring pairs, also ring centres whose only equal
  // neighbours are their two ring neighbours, when their ring system holds two of them.
  bool addCentres(const std::vector<int>& classes, bool withRingPairs);
  bool addDoubleBonds(const std::vector<int>& classes);
  void addStereoDistinct(std::vector<int> classes);

  std::unordered_map<const Atom*, size_t> atomAt;
  std::unordered_map<const Bond*, size_t> bondAt;
  std::vector<bool> bridge;     // by bond position: on no cycle
  std::vector<size_t> systemOf;   // by atom position: the root of its ring system
  std::vector<std::pair<const Atom*, bool>> shapedCentres;   // with the lone-pair flag
  std::vector<const Bond*> shapedDoubles;
  std::unordered_map<const Atom*, bool> centres;   // value: lone pair in the fourth place
  std::vector<const Bond*> doubleBonds;            // stereo double bonds, in bond-list order
  // For a marked bond: whether atom2 lies "up" from atom1.
  std::unordered_map<const Bond*, bool> upOfSecond;
  const Molecule& mol;
};
