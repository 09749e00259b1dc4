#ifndef KV_PARAMETERS_PARAMETERRECORDS_H
#define KV_PARAMETERS_PARAMETERRECORDS_H

// The records of the parameter tables: one heap record per table row, owned by InputParameters.
// A lookup copies a row into a record the caller owns. Every record starts with empty strings,
// empty lists, zero numbers and false flags (DihedralParameters::periodicity starts at 1).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One row of "bondparameters.txt": the bond orbital of two atom types at one bond order.
class BondParameters {
public:
  std::string atom1;          // upper-case type; may be a pattern such as "C*"
  std::string atom2;
  int16_t bondOrder = 0;      // 1, 2, 3, or 9 for aromatic; 0 on placeholder rows
  float majorAxis = 0.0f;     // Angstrom (Bohr in the table, x 0.529 when read)
  float distance = 0.0f;      // inter-nuclear distance in Angstrom
  float bondEnergy = 0.0f;    // eV
  float bondMoment = 0.0f;    // Debye
  bool approximated = false;  // row below "#APPROXIMATED#", or a lookup that fell back
};

// One row of "angleparameters.txt".
class AngleParameters {
public:
  int id = 0;
  std::string atom1;          // end type, may be "*" or a pattern
  std::string centre;
  std::string atom3;
  float angle = 0.0f;         // degrees, as written; a negative angle carries no force constant
  float value5 = 0.0f;        // optional further angle in degrees
  float value6 = 0.0f;        // optional further angle in degrees
};

// One row of "dihedralparameters.txt"; the central types come from the AXIS row above it.
class DihedralParameters {
public:
  std::string atom1;
  std::string atom2;
  std::string atom3;
  std::string atom4;
  unsigned int bondOrder = 0; // order of the central bond
  float periodicity = 1.0f;
  float phase = 0.0f;         // radians (degrees in the table)
  float barrier = 0.0f;       // as written in the table
};

// One row of "supertype.txt".
class AtomTypeParameters {
public:
  std::string type;           // upper-cased
  std::string stype;          // super type, upper-cased
  std::string btype;          // base type, case as written
  std::string element;        // case as written ("Br"; "R" for DUM)
  unsigned int piElectrons = 0;
  float mass = 0.0f;          // atomic mass units
  float radius = 0.0f;        // Bohr
  float vdwR = 0.0f;
  float vdwSig = 0.0f;
  float negativity = 0.0f;    // eV
  float hardness = 0.0f;      // eV
};

// One row of "element.txt": allowed valences of an element or atom type.
class ElementParameters {
public:
  std::string symbol;         // upper-cased
  int valence = 0;            // the first listed valence
  std::vector<int> valences;  // in file order; {0} when the row lists none
};

// One row of "bondmoments.txt".
class BondMomentParameters {
public:
  std::string type1;          // case as written
  std::string type2;
  int bondOrder = 0;
  float distance = 0.0f;      // Angstrom; 0 when absent
  float moment = 0.0f;        // Debye; 0 when absent
};

// One row of "bondordertable.txt": a distance window for two elements.
class BondOrderParameters {
public:
  std::string element1;       // upper-cased
  std::string element2;
  float minDistance = 0.0f;   // Angstrom, exclusive
  float maxDistance = 0.0f;   // Angstrom, exclusive
  int bondOrder = 0;
};

// One row of "hybridatomtypes.txt": the type of an atom shared by two fused rings.
class HybridAtomTypes {
public:
  std::string type1;
  std::string type2;
  std::string resultType;
};

// One TYPE block of "basicatomtypes.txt", also the query that atom typing builds.
class TypeRules {
public:
  int level = 0;
  std::string type;
  std::string main;
  std::vector<std::string> single;    // sorted, "*" entries last
  std::vector<std::string> double_;   // the DOUBLE list ("double" is a C++ keyword)
  std::vector<std::string> triple;
  std::vector<std::string> aromatic;
};

// One RING or SRIN block of "basicrings.txt", in ring order after reading: atom k and bond k
// (atom k to atom k+1, the last closing on atom 0) line up.
class BasicRings {
public:
  bool hasUpdate = false;
  bool substituted = false;
  bool aromatic = false;
  std::string name;
  std::vector<std::string> atomLabels;
  std::vector<std::string> atomElements;  // substituent name in substituted blocks
  std::vector<std::string> atomTypes;
  std::vector<std::string> bondFrom;
  std::vector<std::string> bondTo;
  std::vector<int> bondOrders;            // 1, 2 or 9; for UPDATE pairs the order before
  std::vector<int> newBondOrders;         // the order after a match
};

// One RING or AROM block of "cyclictemplates.txt". The arrays are shared: a copy points at the
// table record's arrays, and the last holder frees them.
class CyclicTemplates {
public:
  std::string kind;                       // "RING" or "AROM"
  int ringSize = 0;
  int totalAtoms = 0;
  std::shared_ptr<int[]> mainChain;       // [ringSize], 1-based atom numbers in ring order
  std::shared_ptr<int[]> above;           // [ringSize], 1-based; 0 for none
  std::shared_ptr<int[]> below;           // [ringSize], only for "RING"; null for "AROM"
  std::shared_ptr<float[]> x;             // [totalAtoms], Angstrom
  std::shared_ptr<float[]> y;
  std::shared_ptr<float[]> z;
  std::shared_ptr<float[]> bondLengths;   // [ringSize-1], Angstrom, ring atom k to k+1
  std::shared_ptr<float[]> bondAngles;    // [ringSize-2], degrees at ring atom k+1
  std::shared_ptr<float[]> torsions;      // [ringSize-1], degrees about ring bond k, k+1
};

// One RULE block of "combinerules.txt".
class UpdateRules {
public:
  std::vector<std::string> updates;       // "GROUP.ATOM NEWTYPE"
  std::vector<std::string> renames;       // "GROUP.ATOM NEWNAME"
  std::string group;
};

// Rows of the three sections of "emag.txt"; values in eV.
class EmagBondParameters {
public:
  std::string type1;
  std::string type2;
  unsigned int bondOrder = 0;
  float value = 0.0f;
};

class EmagAngleParameters {
public:
  std::string type1;
  std::string centre;
  std::string type3;
  float value = 0.0f;
};

class EmagDihedralParameters {
public:
  std::string type1;
  std::string type2;
  std::string type3;
  std::string type4;
  unsigned int bondOrder = 0;
  float value = 0.0f;
};

// The row kinds of "ringstrain.txt", in the order of ringstrain::Kind (forcefield/RingStrain.h,
// which says what each counts).
inline constexpr const char* kRingStrainKinds[] = {"RING", "ENDO", "EXO", "FUSED", "SPIRO",
                                                   "BRIDGED", "BRIDGEDENDO", "THIA"};

// One row of "ringstrain.txt": the strain energy that a ring of ringSize atoms with a bond that is
// not aromatic (kind "RING"), or a feature of such a ring (the other kinds), adds to the heat of
// formation beyond its bonds.
class RingStrainParameters {
public:
  std::string kind;           // one of kRingStrainKinds, upper case
  int ringSize = 0;           // ring atoms
  float energy = 0.0f;        // eV
};

#endif
