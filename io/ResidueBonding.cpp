// Bonds of PDB residues: from the library group named like the residue, then by the distance
// windows of the bond-order table; links between consecutive residues of a chain; and the
// general bond-order correction for residues without a template.

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "io/PDBParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

namespace {

const float kPeptideLinkAngstrom = 2.8f;   // C(k)-N(k+1) further apart: a chain break

float distance(const Atom* a, const Atom* b) {
  const float dx = a->position.x - b->position.x;
  const float dy = a->position.y - b->position.y;
  const float dz = a->position.z - b->position.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool bonded(const Atom* a, const Atom* b) {
  for (const Bond* bond : a->bonds)
    if ((bond->atom1 == a && bond->atom2 == b) || (bond->atom1 == b && bond->atom2 == a))
      return true;
  return false;
}

int firstValence(const std::string& element) {
  ElementParameters row;
  if (element.empty() || InputParameters::instance()->findElementParameters(element, row) != 1)
    return -1;
  return row.valence;
}

// The widest window of the bond-order table: pairs further apart match no row.
float longestBondWindow() {
  float longest = 0.0f;
  for (const BondOrderParameters* row : InputParameters::instance()->bondOrderParameters)
    longest = std::max(longest, row->maxDistance);
  return longest;
}

void setAllSingle(Atom* atom) {
  for (Bond* b : atom->bonds) b->order = 1;
}

// Valence above the allowed valences; 0 when an allowed valence is above the current one.
int surplus(const Atom* atom) {
  const int valence = atom->getValence();
  int last = -1;
  for (int allowed : atom->allowedValences) {
    if (allowed == -1) continue;
    if (allowed > valence) return 0;
    last = allowed;
  }
  if (last == -1) return 0;
  return valence - last;
}

}  // namespace

void IOEngine::findConnectivityWithinResidue(Residue* residue) {
  if (residue == nullptr || residue->fragment == nullptr) return;
  Molecule* fragment = residue->fragment;
  std::vector<Atom*>& atoms = fragment->atoms;

  const Molecule* group = MoleculeEngine::instance()->getFunctionalGroupByName(residue->name);
  if (group != nullptr) {
    for (const Bond* bond : group->bonds) {
      if (bond->atom1 == nullptr || bond->atom2 == nullptr) continue;
      Atom* first = nullptr;
      Atom* second = nullptr;
      for (Atom* atom : atoms) {
        if (atom->name == bond->atom1->name) first = atom;
        else if (atom->name == bond->atom2->name) second = atom;
        if (first != nullptr && second != nullptr) break;
      }
      if (first != nullptr && second != nullptr) fragment->addBond(first, second, bond->order);
    }
  }

  const bool aminoAcid = fragment->checkAminoAcidResidue();
  const bool nucleotide = !aminoAcid && fragment->checkBasePairs();

  InputParameters* parameters = InputParameters::instance();
  const float longest = longestBondWindow();
  std::vector<int> valences(atoms.size());
  for (size_t i = 0; i < atoms.size(); ++i)
    valences[i] = atoms[i]->element == "H" ? firstValence("H") : 0;
  // A hydrogen is full once its first valence is used.
  auto hydrogenFull = [&](size_t k) {
    return atoms[k]->element == "H" && valences[k] - atoms[k]->getValence() < 1;
  };
  for (size_t i = 0; i < atoms.size(); ++i) {
    if (hydrogenFull(i)) continue;
    for (size_t j = i + 1; j < atoms.size(); ++j) {
      if (hydrogenFull(j) || bonded(atoms[i], atoms[j])) continue;
      // A hydrogen filled by an earlier partner of this scan takes no further one.
      if (hydrogenFull(i)) break;
      const float d = distance(atoms[i], atoms[j]);
      if (!(d < longest)) continue;
      int order = 0;
      if (aminoAcid || nucleotide)
        order = parameters->findConnectivity(atoms[i]->element, atoms[j]->element, d) ? 1 : 0;
      else
        order = parameters->findBondOrder(atoms[i]->element, atoms[j]->element, d);
      if (order > 0) fragment->addBond(atoms[i], atoms[j], order);
    }
  }

  // The standard residues get their orders from their own rules below, which start from
  // single bonds; the general correction would leave extra double bonds (C1'=O4', a second
  // C2=N1 in adenine, a second C=N at arginine's CZ) that those rules never take back.
  if (group == nullptr && !aminoAcid && !nucleotide) {
    fragment->findAllSmallestRings();
    fragment->findValenceVector();
    fragment->autoBondOrderCorrection();
  }
  if (aminoAcid)
    fragment->updateBondOrderForAminoAcid();
  else if (nucleotide)
    fragment->updateBondOrderForBasePairs();
}

void IOEngine::findCommectivityAmongstResidues(const std::vector<Residue*>& residues,
                                               std::vector<Bond*>& links) {
  for (size_t k = 0; k + 1 < residues.size(); ++k) {
    const Residue* here = residues[k];
    const Residue* next = residues[k + 1];
    if (here == nullptr || next == nullptr) continue;
    Atom* first = nullptr;
    Atom* second = nullptr;
    if (here->c != nullptr && next->n != nullptr) {
      // Atoms without coordinates cannot be checked; they are linked as the sequence says.
      if (here->c->isPlaced && next->n->isPlaced &&
          distance(here->c, next->n) > kPeptideLinkAngstrom)
        continue;
      first = here->c;
      second = next->n;
    } else if (here->o3 != nullptr && next->p != nullptr) {
      first = here->o3;
      second = next->p;
    } else {
      continue;
    }
    Bond* link = Builder::instance()->createBond();
    link->atom1 = first;
    link->atom2 = second;
    link->order = 1;
    links.push_back(link);
  }
}

bool Molecule::checkAminoAcidResidue() {
  static const std::set<std::string> names = {
      "ALA", "ARG", "ASN", "ASP", "CYS", "GLU", "GLN", "GLY", "HIS", "ILE",
      "LEU", "LYS", "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL"};
  const std::string name = getName();
  return name.size() == 3 && names.count(name) == 1;
}

bool Molecule::checkBasePairs() {
  static const std::set<std::string> names = {"DA", "DT", "DG", "DC", "A", "U", "G", "C"};
  const std::string name = getName();
  return name.size() < 3 && names.count(name) == 1;
}

void Molecule::autoBondOrderCorrection() {
  for (Atom* atom : atoms) {
    if (atom->isAromatic)
      for (Bond* b : atom->bonds)
        if (!b->isAromatic && b->order >= 2) b->order = 1;

    const std::string& element = atom->element;
    if (element == "C") {
      int oxygens = 0, sulfurs = 0, nitrogens = 0;
      Bond* lastOxygen = nullptr;
      Bond* lastSulfur = nullptr;
      Bond* firstNitrogen = nullptr;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other == nullptr) continue;
        if (other->element == "O") {
          ++oxygens;
          lastOxygen = b;
        } else if (other->element == "S") {
          ++sulfurs;
          lastSulfur = b;
        } else if (other->element == "N") {
          ++nitrogens;
          if (firstNitrogen == nullptr) firstNitrogen = b;
        }
      }
      Bond* candidate = lastOxygen != nullptr ? lastOxygen
                        : lastSulfur != nullptr ? lastSulfur
                                                : firstNitrogen;
      if (candidate != nullptr && oxygens + sulfurs + nitrogens >= 2) {
        setAllSingle(atom);
        candidate->order = 2;
      }
    } else if (element == "S") {
      std::vector<Bond*> toOxygen;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other != nullptr && other->element == "O" && toOxygen.size() < 2)
          toOxygen.push_back(b);
      }
      if (atom->bonds.size() == 4 && toOxygen.size() == 2) {
        setAllSingle(atom);
        toOxygen[0]->order = 2;
        toOxygen[1]->order = 2;
      } else if (atom->bonds.size() == 3 && !toOxygen.empty()) {
        setAllSingle(atom);
        toOxygen[0]->order = 2;
      }
    } else if (element == "P") {
      Bond* toOxygen = nullptr;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other != nullptr && other->element == "O") {
          toOxygen = b;
          break;
        }
      }
      if (atom->bonds.size() == 4 && toOxygen != nullptr) {
        setAllSingle(atom);
        toOxygen->order = 2;
      }
    } else if (element == "N") {
      std::vector<Bond*> toNitrogen;
      for (Bond* b : atom->bonds) {
        const Atom* other = atom->getAdjacentAtom(b);
        if (other != nullptr && other->element == "N") toNitrogen.push_back(b);
      }
      if (atom->bonds.size() == 3 && toNitrogen.size() >= 2) {
        setAllSingle(atom);
        toNitrogen[0]->order = 2;
        toNitrogen[1]->order = 2;
      }
    }
  }

  for (Atom* atom : atoms) {
    int over = surplus(atom);
    for (Bond* b : atom->bonds) {
      if (over <= 0) break;
      const Atom* other = atom->getAdjacentAtom(b);
      if (b->isAromatic || other == nullptr || surplus(other) <= 0) continue;
      b->order = 1;
      --over;
    }
  }
  for (Atom* atom : atoms) atom->usedValence = atom->getValence();
}

void Molecule::setValenceForAtoms() {
  for (Atom* atom : atoms) {
    if (atom->element.empty()) continue;
    int total = firstValence(atom->element);
    const int used = atom->getValence();
    if (total < used) {
      if (atom->element == "S") total += 4;
      else if (atom->element == "N") total += 1;
      else if (atom->element == "P") total += 2;
    }
    atom->totalValence = total;
    atom->usedValence = used;
  }
}

void Molecule::updateBondOrderNonAminoAcid(int /*unused*/) {
  calTotalAvailableValence();
  for (Bond* b : bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    const std::string& e1 = b->atom1->element;
    const std::string& e2 = b->atom2->element;
    if (!((e1 == "S" && e2 == "O") || (e1 == "O" && e2 == "S"))) continue;
    if (b->atom1->totalValence > b->atom1->usedValence &&
        b->atom2->totalValence > b->atom2->usedValence)
      ++b->order;
  }
}
