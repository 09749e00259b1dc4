#pragma once

// What kvtool prints for one molecule: a readable block, or one JSON object on one line.

#include <limits>
#include <string>
#include <vector>

#include "tools/kvtoolReaders.h"

namespace kvtool {

struct AtomLine {
  std::string element;
  std::string type;
  double x = 0.0, y = 0.0, z = 0.0;   // Angstrom
};

struct BondLine {
  int a = 0, b = 0;   // 0-based positions in the atom list
  int order = 0;      // 1, 2, 3, or 9 for aromatic
  int code = 0;       // InputParameters::findBondParameters for the two types and the order
};

// The printed facts of one record. ok is false, with error set, when the molecule was not read
// or came out with coordinates or energies that are not finite.
struct Summary {
  std::string name;
  bool ok = false;
  std::string error;
  std::string smiles;   // as our writer writes the finished molecule
  std::vector<AtomLine> atoms;
  std::vector<BondLine> bonds;
  // A record without a molecule has no energies (NaN, written null) and no dipole.
  double totalBondEnergy = std::numeric_limits<double>::quiet_NaN();   // eV
  double heatOfFormation = std::numeric_limits<double>::quiet_NaN();   // eV
  double dipole = 0.0;            // Debye
  bool hasDipole = false;         // false: none read, or the chain computed none (a large PDB)
  double seconds = 0.0;
  // What the tables lack for a finished molecule: atom types, bonds and angles without
  // parameters ("no bond parameters for CU O 1"), each once.
  std::vector<std::string> warnings;
};

Summary summarize(const Record& record);

std::string toJson(const Summary& s);   // one line, no line feed
std::string toText(const Summary& s);   // several lines, each ending in a line feed

// A JSON string literal with its quotes; control characters escaped, invalid UTF-8 bytes
// replaced by U+FFFD so that every line parses.
std::string jsonString(const std::string& text);
// The shortest round-tripping form of a float value; "null" when it is not finite.
std::string jsonNumber(double value);

}  // namespace kvtool
