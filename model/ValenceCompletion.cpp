// Allowed valences from the element table, the valence each atom uses and should reach, and one
// explicit hydrogen per missing valence unit.

#include <iostream>
#include <string>

#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

namespace {

// Neighbours that can take part in back-bonding widen the valence of the atom they hold.
bool extendsValence(const Atom* neighbour) {
  if (neighbour == nullptr) return false;
  std::string symbol = neighbour->element;
  UtilityEngine::instance()->toUpper(symbol);
  return symbol == "FE" || symbol == "CR" || symbol == "NI" || symbol == "VA";
}

}  // namespace

void Molecule::findValenceVector() {
  InputParameters* tables = InputParameters::instance();
  for (Atom* a : atoms) {
    std::vector<int> allowed{0};
    ElementParameters row;
    if (!a->element.empty() && tables->findElementParameters(a->element, row) == 1) {
      allowed = row.valences;
    } else if (a->element != "R") {
      // A dummy stands for an open bond and has no row of its own; anything else is a gap in
      // the element table (or an atom without element) and gets no hydrogens.
      ErrorLine() << "Error: element table has no valences for \"" << a->element << "\"";
    }
    for (Bond* b : a->bonds) {
      if (allowed.empty()) break;
      if (extendsValence(a->getAdjacentAtom(b))) allowed.push_back(allowed.back() + 1);
    }
    a->allowedValences = allowed;
  }
}

void Molecule::fillTotalAndUsedValence() {
  for (Atom* a : atoms) a->updateTotalandUsedValence();
}

int Molecule::calTotalAvailableValence() const {
  int sum = 0;
  for (const Atom* a : atoms) {
    const int free = a->totalValence - a->usedValence;
    if (free > 0) sum += free;
  }
  return sum;
}

void Molecule::addMissingHydrogens() {
  InputParameters* tables = InputParameters::instance();
  AtomTypeParameters hydrogenType;
  tables->findAtomTypeParameters("H", hydrogenType);
  // Without a row for "H" the record is blank; the new atoms must still be hydrogens.
  const std::string hydrogenElement = hydrogenType.element.empty() ? "H" : hydrogenType.element;

  const size_t heavyCount = atoms.size();
  int counter = static_cast<int>(heavyCount);
  for (size_t i = 0; i < heavyCount; ++i) {
    Atom* p = atoms[i];
    if (p->hydrogensFixed) continue;
    int used = p->getValence();
    const int missing = p->totalValence - used;
    if (missing <= 0) continue;
    for (int h = 0; h < missing; ++h) {
      ++counter;
      Atom* hydrogen = Builder::instance()->createAtom();
      hydrogen->name = "H" + std::to_string(counter);
      hydrogen->type = "H";
      hydrogen->element = hydrogenElement;
      hydrogen->superType = hydrogenType.stype;
      hydrogen->mass = hydrogenType.mass;
      hydrogen->piElectrons = static_cast<int>(hydrogenType.piElectrons);
      hydrogen->radius = hydrogenType.radius * static_cast<float>(kBohrToAngstrom);
      hydrogen->position = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
      hydrogen->isPlaced = false;
      hydrogen->isFixed = false;
      hydrogen->takeGroupAndResidueOf(*p);
      p->neighbours.push_back(hydrogen);
      hydrogen->neighbours.push_back(p);
      hydrogen->allowedValences = {1};
      hydrogen->totalValence = 1;
      addAtom(hydrogen);
      ++used;

      Bond* bond = Builder::instance()->createBond();
      bond->atom1 = p;
      bond->atom2 = hydrogen;
      bond->order = 1;
      bond->groupName = p->groupName;
      bond->groupInstance = p->groupInstance;
      const int added = addBond(bond);
      if (added != 1) {
        if (added == 0)
          ErrorLine() << "Error: adding bond " << p->name << "--" << hydrogen->name << " failed";
        delete bond;
      }
      // The bond has just counted itself on both ends; the hydrogen's one bond is all it uses.
      hydrogen->usedValence = 1;
    }
    p->usedValence = used;
    p->hydrogensAdded = true;
  }
}

size_t Molecule::countMissingHydrogens() const {
  size_t count = 0;
  for (const Atom* p : atoms) {
    if (p->hydrogensFixed) continue;
    const int missing = p->totalValence - p->getValence();
    if (missing > 0) count += static_cast<size_t>(missing);
  }
  return count;
}

bool Molecule::perceiveGraph() {
  findValenceVector();
  fillTotalAndUsedValence();
  findAllSmallestRings();
  if (atoms.size() + countMissingHydrogens() > maxAtoms) return false;
  addMissingHydrogens();
  return true;
}

bool Molecule::perceive() {
  if (!perceiveGraph()) return false;
  findBestAtomType();
  return true;
}
