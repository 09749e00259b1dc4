// Writing one molecule as a PDB file: atom records in chain order with "TER" between chains,
// "CONECT" records for the bonds that came from them, and "END". The text is made in memory
// first and written to a temporary file that replaces the target only when it is complete.

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "io/PDBParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

const int kMaxSerial = 99999;       // 5 columns
const int kMinResidueNumber = -999;  // 4 columns
const int kMaxResidueNumber = 9999;

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string rightAligned(const std::string& text, size_t width) {
  if (text.size() >= width) return text.substr(0, width);
  return std::string(width - text.size(), ' ') + text;
}

std::string leftAligned(const std::string& text, size_t width) {
  if (text.size() >= width) return text.substr(0, width);
  return text + std::string(width - text.size(), ' ');
}

// Columns 13-16: a four-character name, a two-letter element's name and an old-style hydrogen
// name ("1HB") start in column 13; other names start in column 14, so the element symbol
// stands in column 14 as readers expect.
std::string atomNameField(const std::string& name, const Atom* atom) {
  const bool fromColumn13 = name.size() == 4 || atom->element.size() == 2 ||
                            (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])));
  return fromColumn13 ? leftAligned(name, 4) : " " + leftAligned(name, 3);
}

// A molecule that never came from a PDB file has no residues: it is written as one ligand
// residue, "UNL" number 1.
const char* const kNoResidueName = "UNL";

bool withoutResidue(const Atom* atom) { return atom->residueName.empty(); }

std::string residueNameOf(const Atom* atom) {
  return withoutResidue(atom) ? std::string(kNoResidueName)
                              : upper(atom->residueName.substr(0, 3));
}

int residueNumberOf(const Atom* atom) {
  return withoutResidue(atom) && atom->residueNumber < 0 ? 1 : atom->residueNumber;
}

std::string residueKey(const Atom* atom) {
  return (atom->chainId.empty() ? std::string(" ") : atom->chainId.substr(0, 1)) + ":" +
         residueNameOf(atom) + ":" + std::to_string(residueNumberOf(atom));
}

// "H1", "H27", then "H" and three letters or digits once the numbers grow too wide: four
// columns at most.
std::string numberedName(const std::string& element, int counter) {
  const std::string decimal = element + std::to_string(counter);
  if (decimal.size() <= 4) return decimal;
  const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string tail;
  for (int k = 0, rest = counter; k < static_cast<int>(4 - element.size()); ++k, rest /= 36)
    tail.insert(tail.begin(), digits[rest % 36]);
  return element + tail;
}

// "H" and a number: the name valence completion gives the hydrogens it adds.
bool isCountedName(const std::string& name) {
  if (name.size() < 2 || name[0] != 'H') return false;
  for (size_t i = 1; i < name.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

// The name each atom is written with. A name as read is kept when it fits four columns and no
// other atom of its residue has it; the others (hydrogens added by valence completion, names
// shared within a residue, atoms without a name) are numbered per residue and element: H1, H2,
// ... skipping the names kept.
std::map<const Atom*, std::string> writtenNames(const std::vector<Atom*>& order) {
  std::map<std::string, std::map<std::string, int> > uses;   // residue -> name -> atoms
  for (const Atom* atom : order) ++uses[residueKey(atom)][upper(atom->name)];
  std::map<std::string, std::set<std::string> > taken;
  std::map<const Atom*, std::string> out;
  std::vector<const Atom*> renamed;
  for (const Atom* atom : order) {
    const std::string name = upper(atom->name);
    const std::string key = residueKey(atom);
    // A hydrogen that no file placed was added by valence completion: its name counts up over
    // the whole molecule ("H327"), so it is numbered afresh within its residue.
    const bool added = atom->element == "H" && !atom->isPosFix && isCountedName(name);
    if (!added && !name.empty() && name.size() <= 4 && uses[key][name] == 1) {
      out[atom] = name;
      taken[key].insert(name);
    } else {
      renamed.push_back(atom);
    }
  }
  std::map<std::string, int> counters;   // residue and element -> last number given
  for (const Atom* atom : renamed) {
    const std::string key = residueKey(atom);
    std::string element = upper(atom->element.substr(0, 2));
    if (element.empty()) element = "X";
    int& counter = counters[key + ":" + element];
    std::string name;
    do name = numberedName(element, ++counter);
    while (taken[key].count(name) != 0);
    taken[key].insert(name);
    out[atom] = name;
  }
  return out;
}
std::string chainField(const Atom* atom) {
  return atom->chainId.empty() ? std::string(" ") : atom->chainId.substr(0, 1);
}

bool coordinateField(float value, std::string& out) {
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%8.3f", static_cast<double>(value));
  if (length != 8) return false;
  out += buffer;
  return true;
}

// Occupancy and temperature factor: two decimals, right-aligned in width columns.
bool decimalField(float value, int width, std::string& out) {
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%*.2f", width, static_cast<double>(value));
  if (length != width) return false;
  out = buffer;
  return true;
}

// Columns 79-80: a formal charge as "1+" or "2-", blank when neutral or too large.
std::string chargeField(int charge) {
  if (charge == 0 || charge > 9 || charge < -9) return "  ";
  return std::to_string(charge < 0 ? -charge : charge) + (charge < 0 ? "-" : "+");
}

std::string number(int value, size_t width) { return rightAligned(std::to_string(value), width); }

}  // namespace

bool PDBParser::formatPDB(Molecule* molecule, std::string& out) {
  out.clear();
  if (molecule == nullptr) return false;
  // Heavy atoms in list order, each followed by its hydrogens; then whatever no heavy atom
  // carries (a hydrogen bonded only to hydrogens, a lone atom). Every atom once.
  std::vector<Atom*> order;
  std::set<const Atom*> written;
  for (Atom* atom : molecule->atoms) {
    if (atom->element == "H" || !written.insert(atom).second) continue;
    order.push_back(atom);
    for (Bond* b : atom->bonds) {
      Atom* other = atom->getAdjacentAtom(b);
      if (other != nullptr && other->element == "H" && written.insert(other).second)
        order.push_back(other);
    }
  }
  for (Atom* atom : molecule->atoms)
    if (written.insert(atom).second) order.push_back(atom);

  const std::map<const Atom*, std::string> names = writtenNames(order);
  int serial = 1;
  std::string currentChain = order.empty() ? std::string() : chainField(order.front());
  const Atom* previous = nullptr;   // the last atom written: a "TER" names its residue
  for (Atom* atom : order) {
    const std::string chain = chainField(atom);
    const std::string residueName = rightAligned(residueNameOf(atom), 3);
    const int residueNumber = residueNumberOf(atom);
    if (residueNumber < kMinResidueNumber || residueNumber > kMaxResidueNumber) {
      ErrorLine() << "Error: PDBParser::writePDBFile residue number too wide \""
                  << residueNumber << "\"";
      return false;
    }
    if (chain != currentChain) {
      if (serial > kMaxSerial) {
        ErrorLine() << "Error: PDBParser::writePDBFile too many atoms \"" << order.size() << "\"";
        return false;
      }
      // The chain ends with the residue of its last atom.
      out += "TER   " + number(serial, 5) + "      " + rightAligned(residueNameOf(previous), 3) +
             " " + chainField(previous) + number(residueNumberOf(previous), 4) + "\n";
      currentChain = chain;
      ++serial;
    }
    if (serial > kMaxSerial) {
      ErrorLine() << "Error: PDBParser::writePDBFile too many atoms \"" << order.size() << "\"";
      return false;
    }
    // Waters, ligands and molecules without residues are hetero groups.
    std::string line =
        atom->isHetero || atom->isWater || withoutResidue(atom) ? "HETATM" : "ATOM  ";
    line += number(serial, 5) + " " + atomNameField(names.at(atom), atom) + " " + residueName +
            " " + chain + number(residueNumber, 4) + "    ";
    const SSEVector4f& p = atom->position;
    if (!coordinateField(p.x, line) || !coordinateField(p.y, line) ||
        !coordinateField(p.z, line)) {
      ErrorLine() << "Error: PDBParser::writePDBFile coordinate too wide \"" << p.x << " " << p.y
                  << " " << p.z << "\"";
      return false;
    }
    std::string occupancy, bFactor;
    if (!decimalField(atom->occupancy, 6, occupancy) || !decimalField(atom->bFactor, 6, bFactor)) {
      ErrorLine() << "Error: PDBParser::writePDBFile occupancy or temperature factor too wide \""
                  << atom->occupancy << " " << atom->bFactor << "\"";
      return false;
    }
    line += occupancy + bFactor + std::string(10, ' ') +
            rightAligned(upper(atom->element.substr(0, 2)), 2) + chargeField(atom->charge) + "\n";
    out += line;
    previous = atom;
    atom->serialNumber = serial;
    ++serial;
  }
  // Listed bonds, and every bond inside a hetero residue (hydrogens included): a ligand read
  // back takes these before any distance guess, so each hydrogen keeps its own heavy atom.
  for (const Bond* b : molecule->bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    const bool hetero1 = b->atom1->isHetero || withoutResidue(b->atom1);
    const bool hetero2 = b->atom2->isHetero || withoutResidue(b->atom2);
    const bool ligand = hetero1 && hetero2 && !b->atom1->isWater && !b->atom2->isWater &&
                        residueKey(b->atom1) == residueKey(b->atom2);
    if (!b->pdbFlag && !ligand) continue;
    out += "CONECT" + number(b->atom1->serialNumber, 5) + number(b->atom2->serialNumber, 5) + "\n";
  }
  out += "END\n";
  return true;
}

int PDBParser::writePDBFile(Molecule* molecule, const char* path) {
  if (molecule == nullptr) {
    ErrorLine() << "Error: PDBParser::writePDBFile NULL molecule ";
    return 0;
  }
  const std::string target(path != nullptr ? path : "");
  if (target.empty()) {
    ErrorLine() << "Error: PDBParser::writePDBFile couldn't  open file " << target
                << " (no file name)";
    return 0;
  }
  if (!molecule->update()) {
    ErrorLine() << "Error: PDBParser::writePDBFile update molecule failed";
    return 0;
  }
  std::string text;
  if (!formatPDB(molecule, text)) return 0;

  // A failed write leaves the old file as it was.
  std::string reason;
  if (!writeWholeFile(target, text, reason)) {
    ErrorLine() << "Error: PDBParser::writePDBFile couldn't  open file " << target << " ("
                << reason << ")";
    return 0;
  }
  return 1;
}
