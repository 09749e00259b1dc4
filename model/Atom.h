#pragma once

#include <set>
#include <string>
#include <vector>

#include "math/SSEVector4f.h"
#include "model/Bond.h"

class Atom;
class Bond;
class Molecule;
class Spheroid;

// One atomic orbital of an atom. The two values and the label are only ever copied.
class Ao {
 public:
  Atom* atom = nullptr;          // owner
  int index = 0;                 // the atom's orbital count when the orbital was added
  double firstValue = 0.0;
  double secondValue = 0.0;
  std::string label;
  Spheroid* spheroid = nullptr;  // an AtomicOrbital, owned (handed to the mesh when it is in one)

  Ao() = default;
  ~Ao();
  Ao(const Ao&) = delete;
  Ao& operator=(const Ao&) = delete;
};

// An open valence recorded on an atom with a label of its own. The bond axes really used are
// bonds to a "DUM" atom; these records are kept for the older bond table's lookup.
class BondAxis {
 public:
  std::string label;
  std::string variation;
  bool hasOwnLabel = false;
  Atom* atom = nullptr;          // owner, set by Atom::addBondAxis
  Spheroid* spheroid = nullptr;  // owned

  BondAxis() = default;
  ~BondAxis();
  BondAxis(const BondAxis&) = delete;
  BondAxis& operator=(const BondAxis&) = delete;
};

// One atom of a molecule. Fields are public: the readers, the set-up pipeline, the force field
// and the view read and write them directly.
class Atom {
 public:
  int id = -1;                   // list position in the molecule after Molecule::update
  int serialNumber = 0;          // PDB serial number
  float occupancy = 1.0f;        // PDB occupancy, as read (1 for atoms of other sources)
  float bFactor = 0.0f;          // PDB temperature factor, as read
  Molecule* molecule = nullptr;  // owner
  std::vector<Bond*> bonds;      // in the order added, not owned
  std::vector<BondAxis*> bondAxes;   // owned
  std::vector<Ao*> aos;              // owned
  std::vector<Atom*> neighbours;     // ordered by hand for chirality and construction
  std::set<int> ringIds;
  std::string chainId;
  std::string residueName;
  int residueNumber = -1;
  int numBondAxes = 0;
  int numAos = 0;
  int degree = 0;
  int numImplicitH = 0;
  std::string name;
  int totalValence = 0;
  int usedValence = 0;
  int charge = 0;                // formal charge
  std::vector<int> allowedValences{0};   // ascending
  SSEVector4f position{0.0f, 0.0f, 0.0f, 1.0f};   // Angstrom
  bool inRing = false;
  bool hasBondAxis = false;
  bool isAromatic = false;
  bool isCentre = false;
  bool statusFlag = true;
  bool inMesh = false;
  bool isSpecial = false;
  bool isMarked = false;
  bool isMatched = false;        // claimed by a functional group in the substructure search
  bool inGroup = false;          // carries a group instance name from that search
  bool isPlaced = false;
  bool isFixed = false;
  bool isPosFix = false;
  bool isHetero = false;
  bool isWater = false;
  bool hydrogensAdded = false;
  // The file being read gave this atom's hydrogens: none are added. Held only during a read.
  bool hydrogensFixed = false;
  int editMark = 0;              // 0 none, 1 marked for deletion, 2 marked as new bond axis
  int piCount = 0;               // chirality label: 0 none, 1 "@", 2 "@@"
  int smilesTag = -1;            // -1 none, 0 after "/", 1 after "\"
  std::string groupInstance;
  std::string groupName;
  std::string groupLabel;
  std::string variation;
  std::string groupIndex;
  std::string type;              // "DUM" marks the dummy end of a bond axis
  std::string superType;
  std::string element;           // as written: "C", "Cl"; "R" for a dummy
  int piElectrons = 0;
  int isotope = 0;               // mass number written in a SMILES bracket ([13CH4]); 0 none
  float mass = 0.0f;
  float radius = 0.0f;           // Angstrom
  double partialCharge = 0.0;
  Spheroid* sphere = nullptr;    // owned (handed to the mesh when it is in one)

  Atom() = default;
  ~Atom();
  Atom(const Atom&) = delete;
  Atom& operator=(const Atom&) = delete;

  // Takes the group and residue an atom added beside `from` belongs to (its hydrogens, the dummy
  // ends of its bond axes): group name and instance, chain, residue name and number, hetero flag.
  void takeGroupAndResidueOf(const Atom& from);

  // Iteration with a caller-held iterator; null at the end. The iterator must not outlive a
  // change of the list.
  Bond* getFirstBond(std::vector<Bond*>::iterator& it);
  Bond* getNextBond(std::vector<Bond*>::iterator& it);
  Atom* getFirstAdjAtom(std::vector<Bond*>::iterator& it);
  Atom* getNextAdjAtom(std::vector<Bond*>::iterator& it);
  Ao* getFirstAO(std::vector<Ao*>::iterator& it);
  Ao* getNextAO(std::vector<Ao*>::iterator& it);
  Bond* getFirstBondAxis(std::vector<Bond*>::iterator& it);
  Bond* getNextBondAxis(std::vector<Bond*>::iterator& it);

  Atom* getAdjacentAtom(Bond* b) const;
  std::vector<Atom*> getAdjacentAtoms() const;
  bool hasBond(const Atom* a, const Atom* b) const;
  bool hasBond(const Bond* b) const;
  bool hasTripleBond() const;
  bool hasDoubleBond() const;
  bool hasAllSingleBond() const;
  // Bonds (aromatic counted 1) plus the charge's share plus 1 for an aromatic atom that is no
  // lone-pair donor.
  int getValence() const;
  // Aromatic and giving two pi electrons from a lone pair (no double or triple bond of its own).
  bool givesPiPair() const;
  void updateTotalandUsedValence();
  int getNumTerminalAtoms() const;
  int getChiralNeighbourId(const Atom* a) const;
  bool isPartOfRing(int ringId) const;
  int getNumBondAxis() const;

  bool addCbond(Bond* b);
  bool deleteBond(Bond* b);
  // Takes back a bond that addCbond accepted (degree and used valence restored); used when the
  // other end refuses the same bond.
  bool withdrawBond(Bond* b);
  void addAo(Ao* o);
  void addBondAxis(BondAxis* x);
  void deleteBondAxis(BondAxis* x);
  bool addImplicitHydrogen(int n);
  Atom* clone(Molecule* m) const;
  Atom* clone(Molecule* m, const std::string& groupInstanceName) const;
  // The record fields every copy of an atom carries (names, types, element, residue, flags of
  // placement, valences, rings, position); the copies add their own (clone: id, charge, hydrogen
  // count and the status flags; the graph copy: the group instance).
  void copyRecordFields(const Atom& source);

  // Chemical surroundings (AtomPredicates.cpp). Neighbours are recognised by their name being
  // a bare element symbol ("O" counts, "O1" does not); isMetalAtom reads the element.
  bool isConnBromine() const;
  bool isConnIodine() const;
  bool isConnChlorine() const;
  bool isConnFluorine() const;
  bool isConnCarbon() const;
  bool isConnOxygenByD() const;
  bool isConnNitrogenByT() const;
  int isConnHalogens() const;
  bool isDiBorane() const;
  bool isMetalAtom() const;
  bool isPartOfNitrates() const;
  bool isPartOfNitriles() const;
  bool isPartOfNitrites() const;
  bool isPartOfSulfates() const;
  bool isPartOfSulfoxides() const;

 private:
  Atom* cloneInto(Molecule* m) const;
};

// A bond order as it counts in a valence sum: aromatic (9) counts as 1.
inline int valenceOfOrder(int order) { return order == kAromaticOrder ? 1 : order; }

// The atom's bonds summed as valence (aromatic counted once), without charge or pi share.
int bondValenceSum(const Atom* a);

// The bond joining a and b, or null.
Bond* bondBetween(const Atom* a, const Atom* b);

// The distance between two atoms' positions, Angstrom.
float atomDistance(const Atom* a, const Atom* b);

// The dummy end of a bond axis (type "DUM"); false for null.
inline bool isDummy(const Atom* atom) { return atom != nullptr && atom->type == "DUM"; }
