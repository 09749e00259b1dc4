#ifndef KV_PARAMETERS_PARAMETERS_H
#define KV_PARAMETERS_PARAMETERS_H

// An older, self-contained reader of force-field type tables: atom types, bond types and angle
// types from the files "Library\supertype.txt", "Library\bondparameters.txt" and
// "Library\angleparameters.txt" of the working directory, their names written with the
// backslash of the system the tables were first kept on (on this one the backslash is part of
// the file name, not a folder separator). The live force field takes its
// parameters from InputParameters; nothing in the application reaches this class.
//
// Line grammar of all three files: the line is cut at its first "//", trimmed of "\r\n\t " and
// skipped when empty; columns are white-space separated and further columns are ignored. A line
// with fewer columns than its format keeps the record's constructor values for the missing ones
// and is reported on the error channel.

#include <istream>
#include <string>
#include <vector>

// Columns: word, word, word, number.
struct TAtom {
  double value1 = 0.0;
  double value2 = 0.0;   // no reader sets value2 or value3
  double value3 = 0.0;
  std::string word1, word2, word3;
};

// Columns: type, type, order, number, distance (Angstrom), number; the fourth and sixth are read
// and dropped.
struct TBond {
  std::string type1, type2;
  unsigned int order = 0;
  double distance = 1.0;          // Angstrom
  double forceConstant = 100.0;   // kcal/mol/A^2, not read from the file

  void setTBond(std::string first, std::string second);
  // 1 when the order matches and the types match in this order, -1 when they match swapped,
  // else 0.
  int IsBond(unsigned int bondOrder, std::string first, std::string second) const;
};

// Columns: type, centre type, type, angle in degrees.
struct TAngle {
  std::string type1, type2, type3;   // type2 is the central atom
  double angle = 109.5;              // radians once read from the file; 109.5 is not converted
  double forceConstant = 55.0;       // kcal/mol/rad^2, not read from the file

  void setTangle(std::string first, std::string centre, std::string third);
};

class Parameters {
 public:
  static Parameters* Instance;   // null until the first instance() call
  static Parameters* instance();

  // Reads the three "Library\" files of the working directory. A file that cannot be
  // opened gets a "CANNOT OPEN FILE" console line and leaves its list empty; the counts are
  // printed at the end.
  Parameters();

  int atomTypeCount = 0;
  int bondTypeCount = 0;
  int angleTypeCount = 0;
  std::vector<TAtom> atomTypes;
  std::vector<TBond> bondTypes;
  std::vector<TAngle> angleTypes;

  // Each replaces its list and count with the records of the stream, in file order.
  void ReadAtomType(std::istream& in);
  void ReadBondType(std::istream& in);
  void ReadAngleType(std::istream& in);
};

#endif
