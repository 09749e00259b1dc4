// Chemical surroundings of an atom. Neighbours are recognised by a name that is a bare
// element symbol, the way the group files name the atoms these tests look for.
#include <string>

#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"

namespace {

bool anyNeighbourNamed(const Atom& atom, const char* symbol) {
  for (const Atom* n : atom.getAdjacentAtoms()) {
    if (n != nullptr && n->name == symbol) return true;
  }
  return false;
}

// True when one of the atom's bonds has the order and leads to an atom with that name.
bool hasBondTo(const Atom& atom, int order, const char* symbol) {
  for (Bond* b : atom.bonds) {
    const Atom* other = atom.getAdjacentAtom(b);
    if (b->order == order && other != nullptr && other->name == symbol) return true;
  }
  return false;
}

// The S of a sulfur oxide group seen from this atom, and its S=O count (O with status set).
int sulfurDoubleOxygenCount(const Atom& atom, bool& found) {
  found = false;
  const Atom* sulfur = nullptr;
  if (atom.name == "S") {
    sulfur = &atom;
  } else {
    for (const Atom* n : atom.getAdjacentAtoms()) {
      if (n != nullptr && n->name == "S") {
        sulfur = n;
        break;
      }
    }
  }
  if (sulfur == nullptr || !atom.statusFlag) return 0;
  found = true;
  int count = 0;
  for (Bond* b : sulfur->bonds) {
    const Atom* other = sulfur->getAdjacentAtom(b);
    if (b->order == 2 && other != nullptr && other->name == "O" && other->statusFlag) ++count;
  }
  return count;
}

}  // namespace

bool Atom::isConnBromine() const { return anyNeighbourNamed(*this, "Br"); }
bool Atom::isConnIodine() const { return anyNeighbourNamed(*this, "I"); }
bool Atom::isConnChlorine() const { return anyNeighbourNamed(*this, "Cl"); }
bool Atom::isConnFluorine() const { return anyNeighbourNamed(*this, "F"); }
bool Atom::isConnCarbon() const { return anyNeighbourNamed(*this, "C"); }

bool Atom::isConnOxygenByD() const { return hasBondTo(*this, 2, "O"); }
bool Atom::isConnNitrogenByT() const { return hasBondTo(*this, 3, "N"); }

int Atom::isConnHalogens() const {
  int code = 0;
  for (const Atom* n : getAdjacentAtoms()) {
    if (n == nullptr) continue;
    if (n->name == "Br") code = 1;
    else if (n->name == "Cl") code = 2;
    else if (n->name == "I") code = 3;
    else if (n->name == "F") code = 4;
  }
  return code;
}

bool Atom::isDiBorane() const {
  for (const Atom* n : getAdjacentAtoms()) {
    if (n != nullptr && n->groupLabel == "-[H]-") return true;
  }
  return false;
}

bool Atom::isMetalAtom() const {
  static const char* const kMetals[] = {"FE", "NI", "CO", "CR", "CU", "V",
                                        "AL", "ZN", "MN", "SN", "SC", "TI"};
  std::string symbol = element;
  UtilityEngine::instance()->toUpper(symbol);
  for (const char* metal : kMetals) {
    if (symbol == metal) return true;
  }
  return false;
}

bool Atom::isPartOfNitrates() const {
  const Atom* nitrogen = nullptr;
  if (name == "N") {
    nitrogen = this;
  } else {
    for (const Atom* n : getAdjacentAtoms()) {
      if (n != nullptr && n->name == "N") nitrogen = n;   // the last one counts
    }
  }
  if (nitrogen == nullptr || nitrogen->charge != 1) return false;
  int singleToAnion = 0;
  int doubleToOxygen = 0;
  for (Bond* b : nitrogen->bonds) {
    const Atom* other = nitrogen->getAdjacentAtom(b);
    if (other == nullptr || other->name != "O") continue;
    if (b->order == 1 && other->charge == -1) ++singleToAnion;
    if (b->order == 2) ++doubleToOxygen;
  }
  return singleToAnion == 1 && doubleToOxygen == 1;
}

bool Atom::isPartOfNitriles() const {
  const Atom* carbon = nullptr;
  if (name == "C") {
    if (numImplicitH != 0) return false;
    carbon = this;
  } else {
    for (const Atom* n : getAdjacentAtoms()) {
      if (n != nullptr && n->name == "C" && n->numImplicitH == 0) carbon = n;
    }
  }
  return carbon != nullptr && hasBondTo(*carbon, 3, "N");
}

bool Atom::isPartOfNitrites() const {
  if (numImplicitH != 0 || isPartOfNitrates()) return false;
  if (name == "N" && statusFlag) return hasBondTo(*this, 2, "O");
  if (name == "O" && statusFlag) return hasBondTo(*this, 2, "N");
  return false;
}

bool Atom::isPartOfSulfates() const {
  bool found = false;
  const int count = sulfurDoubleOxygenCount(*this, found);
  return found && count == 2;
}

bool Atom::isPartOfSulfoxides() const {
  if (isPartOfSulfates()) return false;
  bool found = false;
  const int count = sulfurDoubleOxygenCount(*this, found);
  return found && count == 1;
}
