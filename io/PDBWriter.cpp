// Writing one molecule as a PDB file: atom records in chain order with "TER" between chains,
// "CONECT" records for the bonds that came from them, and "END". The text is made in memory
// first and written to a temporary file that replaces the target only when it is complete.

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
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
std::string atomNameField(const Atom* atom) {
  std::string name = upper(atom->name.empty() ? atom->element : atom->name);
  if (name.size() > 4) name = name.substr(0, 4);
  const bool fromColumn13 = name.size() == 4 || atom->element.size() == 2 ||
                            (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])));
  return fromColumn13 ? leftAligned(name, 4) : " " + leftAligned(name, 3);
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

  int serial = 1;
  std::string currentChain = order.empty() ? std::string() : chainField(order.front());
  for (Atom* atom : order) {
    const std::string chain = chainField(atom);
    const std::string residueName = rightAligned(upper(atom->residueName.substr(0, 3)), 3);
    if (atom->residueNumber < kMinResidueNumber || atom->residueNumber > kMaxResidueNumber) {
      ErrorLine() << "Error: PDBParser::writePDBFile residue number too wide \""
                  << atom->residueNumber << "\"";
      return false;
    }
    if (chain != currentChain) {
      if (serial > kMaxSerial) {
        ErrorLine() << "Error: PDBParser::writePDBFile too many atoms \"" << order.size() << "\"";
        return false;
      }
      out += "TER   " + number(serial, 5) + "      " + residueName + " " + chain +
             number(atom->residueNumber, 4) + "\n";
      currentChain = chain;
      ++serial;
    }
    if (serial > kMaxSerial) {
      ErrorLine() << "Error: PDBParser::writePDBFile too many atoms \"" << order.size() << "\"";
      return false;
    }
    std::string line = atom->isHetero ? "HETATM" : "ATOM  ";
    line += number(serial, 5) + " " + atomNameField(atom) + " " + residueName + " " + chain +
            number(atom->residueNumber, 4) + "    ";
    const SSEVector4f& p = atom->position;
    if (!coordinateField(p.x, line) || !coordinateField(p.y, line) ||
        !coordinateField(p.z, line)) {
      ErrorLine() << "Error: PDBParser::writePDBFile coordinate too wide \"" << p.x << " " << p.y
                  << " " << p.z << "\"";
      return false;
    }
    line += std::string(22, ' ') + rightAligned(upper(atom->element.substr(0, 2)), 2) + "  \n";
    out += line;
    atom->serialNumber = serial;
    ++serial;
  }
  // Listed bonds, and every bond inside a hetero residue (hydrogens included): a ligand read
  // back takes these before any distance guess, so each hydrogen keeps its own heavy atom.
  for (const Bond* b : molecule->bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    const bool ligand = b->atom1->isHetero && b->atom2->isHetero && !b->atom1->isWater &&
                        !b->atom2->isWater && b->atom1->residueNumber == b->atom2->residueNumber;
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
  if (path == nullptr || *path == '\0') {
    ErrorLine() << "Error: PDBParser::writePDBFile couldn't  open file \"\"";
    return 0;
  }
  if (!molecule->update()) {
    ErrorLine() << "Error: PDBParser::writePDBFile update molecule failed";
    return 0;
  }
  std::string text;
  if (!formatPDB(molecule, text)) return 0;

  const std::string target = path;
  const std::string temporary = target + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream file(temporary, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file.is_open()) {
      ErrorLine() << "Error: PDBParser::writePDBFile couldn't  open file \"" << target << "\"";
      return 0;
    }
    file << text;
    file.close();
    if (file.fail()) {
      std::remove(temporary.c_str());
      ErrorLine() << "Error: PDBParser::writePDBFile couldn't  write file \"" << target << "\"";
      return 0;
    }
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    ErrorLine() << "Error: PDBParser::writePDBFile couldn't  open file \"" << target << "\"";
    return 0;
  }
  return 1;
}
