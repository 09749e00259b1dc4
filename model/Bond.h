#pragma once

#include <set>
#include <string>
#include <vector>

class Atom;
class Molecule;
class Spheroid;

// The order of an aromatic bond, as the files and tables write it (single, double and triple
// are 1, 2 and 3).
constexpr int kAromaticOrder = 9;

// One bond of a molecule; its spheroid is the bond orbital whose foci are the two nuclei.
class Bond {
 public:
  int id = -1;                      // list position in the molecule after Molecule::update
  Atom* atom1 = nullptr;
  Atom* atom2 = nullptr;
  Atom* dihedralAtom1 = nullptr;    // neighbour of atom1 defining the dihedral (hasDihedral)
  Atom* dihedralAtom2 = nullptr;    // neighbour of atom2
  float dihedral = 0.0f;            // radians
  Molecule* molecule = nullptr;     // owner
  std::set<int> ringIds;
  std::string name;                 // atom1's name followed by atom2's name
  int order = 0;                    // 1, 2, 3, or kAromaticOrder
  double semiMajorAxis = 0.0;       // Angstrom
  double semiMinorAxis = 0.0;       // Angstrom
  double focalDistance = 0.0;       // inter-focal distance, Angstrom
  float energy = 0.0f;              // eV
  float momentTerm = 0.0f;
  float orientation[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  bool isConnection = false;        // made by a join or a ring closure
  bool inRing = false;
  bool inMesh = false;
  bool isBondAxis = false;          // leads to a "DUM" atom
  bool isAromatic = false;
  int smilesTag = -1;               // -1 none, 0 after "/", 1 after "\"
  bool hasDihedral = false;
  bool pdbFlag = false;             // made from a PDB "CONECT" record
  bool isApproximated = false;
  bool isMarked = false;            // written out by the substructure search's dumps
  bool matchFlag = false;           // set on bonds built by the substructure matcher
  int deleteMark = 0;               // 1 when marked in the delete-bond mode
  std::string groupInstance;
  std::string groupName;
  std::string variation;            // group variation of the bond's group
  std::string groupIndex;
  Spheroid* spheroid = nullptr;     // a BondOrbital (OpenBondAxis to a dummy atom), owned

  Bond() = default;
  ~Bond();
  Bond(const Bond&) = delete;
  Bond& operator=(const Bond&) = delete;

  // Element and 1-based id of each end, as users see them: "C1--Cl5". Empty without both ends.
  std::string getName() const;
  // Appends every other bond of atom1, then every other bond of atom2.
  void getAdjBonds(std::vector<Bond*>& out) const;
  bool assignGeometry(Bond* other) const;
  // Copies for molecule m; the ends stay null for the caller to set.
  Bond* clone(Molecule* m) const;
  Bond* clone(Molecule* m, const std::string& groupInstanceName) const;
  // The record fields every copy of a bond carries (order, spheroid axes, energy, moment, ring
  // and axis flags, marks, group name and variation); ends, ids and the rest are the copy's.
  void copyRecordFields(const Bond& source);
};
