#pragma once

// The bond-orbital geometry converter: reads a description of bond orbitals that all start at
// one atom (atoms, orbitals between two atoms or on one atom, angles between pairs of orbitals)
// and writes it again with Cartesian coordinates. The central atom sits at the origin, the
// first bond axis (or the first orbital) along +y and the orbital it is given an angle with in
// the xy plane; every other orbital is solved from its angles to those two.
//
// Plain functions over module-level tables, emptied at the start of every conversion and after
// a successful one; nothing else in the system calls them.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace orbitalconverter {

struct Vect {
  double x = 0.0, y = 0.0, z = 0.0;
  // Scales to unit length unless the length is 0; returns the old length.
  double normalize();
};

// A nucleus; position in Angstrom.
struct NU {
  std::string name;
  Vect position;
  int id = 0;
  bool placed = false;
};

// A bond orbital: kind 0 between two atoms, kind 1 on one atom (a bond axis, atom1 only).
struct MO {
  int id = 0;
  int kind = 0;
  NU* atom1 = nullptr;
  NU* atom2 = nullptr;
  int column4 = 0;       // copied to the output unchanged
  double column5 = 0.0;  // copied to the output unchanged
  float column7 = 0.0f;  // copied to the output unchanged
  double length = 0.0;   // Angstrom: where the outer atom is placed
  Vect direction;        // the outer atom's position for kind 0
  double directionAngles[3] = {0.0, 0.0, 0.0};   // degrees: 0, yaw, pitch
  bool solved = false;
};

struct ANGLE {
  MO* mo1 = nullptr;
  MO* mo2 = nullptr;
  double angle = 0.0;   // degrees
  int id = 0;
};

// The records in file order; ids are 1-based list positions.
extern std::vector<NU*> atoms;
extern std::vector<MO*> bonds;
extern std::vector<ANGLE*> angles;
extern int natoms, nbonds, nangles;
extern int ybond, xybond;   // the +y and the xy-plane reference orbitals; -1 when not chosen

// Reads the file and writes the converted text to out; false (nothing written) when the file
// cannot be read or the geometry cannot be solved.
bool convert(const char* fileName, std::ostream& out);
// The same for text already open; false (nothing written) for a stream in a bad state.
bool convert(std::istream& in, std::ostream& out);

// Lookups by 1-based id; null for 0 or an id above the count.
NU* getAtom(int id);
MO* getBond(int id);
ANGLE* getAngle(int id);
MO* findUnsolvedMo();
bool moSolved();
// The first unsolved orbital that has an angle with the y orbital, and that angle; null when
// there is none.
MO* findXyMo(int yId, double& angle);
// The directions and angles of mo's solved partners: the y orbital, the xy orbital and the
// first other one. 1 with a third partner, 0 without, -1 (with a message) when the y or the xy
// partner is missing.
int findRelativeAngles(MO* mo, Vect& yDirection, double& yAngle, Vect& xyDirection,
                       double& xyAngle, Vect& otherDirection, double& otherAngle);
// start + direction * (distance / |direction|); a zero direction gives start, with a message.
Vect findPoint(Vect direction, double distance, Vect start);
// False when the xy orbital has no x component to solve against.
bool solveMo(MO* mo, Vect yDirection, double yAngle, Vect xyDirection, double xyAngle,
             Vect otherDirection, double otherAngle, int useOther);
void solveXyMo(MO* mo, double angle);
// Each parses one data line and appends one record; false for a line that does not parse or
// names an atom or orbital that does not exist.
bool makeAtom(std::istream& line);
bool makeBond(std::istream& line);
bool makeAngle(std::istream& line);

}  // namespace orbitalconverter
