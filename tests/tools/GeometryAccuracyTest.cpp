// Bond lengths and angles after the set-up chain against experimental gas-phase structures
// (microwave and electron diffraction, as tabulated in the CRC Handbook of Chemistry and
// Physics, "Bond lengths in free molecules", and the NIST CCCBDB experimental geometries).

#include "ChemistryTestSupport.h"

#include "model/Atom.h"
#include "model/Bond.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

double distance(const Atom* a, const Atom* b) {
  const double dx = a->position.x - b->position.x, dy = a->position.y - b->position.y,
               dz = a->position.z - b->position.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Mean length of the bonds between the two elements with the order given (0: any order).
double meanLength(const Molecule& molecule, const std::string& e1, const std::string& e2, int order) {
  double sum = 0.0;
  int count = 0;
  for (const Bond* bond : molecule.bonds) {
    const std::string a = bond->atom1->element, b = bond->atom2->element;
    if (!((a == e1 && b == e2) || (a == e2 && b == e1))) continue;
    if (order != 0 && bond->order != order) continue;
    sum += distance(bond->atom1, bond->atom2);
    ++count;
  }
  return count ? sum / count : 0.0;
}

struct LengthReference {
  const char* smiles;
  const char* element1;
  const char* element2;
  int order;
  double angstrom;
};

const std::vector<LengthReference> kLengths = {
    {"CC", "C", "C", 1, 1.535},        {"C=C", "C", "C", 2, 1.339},
    {"C#C", "C", "C", 3, 1.203},       {"c1ccccc1", "C", "C", 9, 1.397},
    {"CO", "C", "O", 1, 1.427},        {"C=O", "C", "O", 2, 1.205},
    {"CC#N", "C", "N", 3, 1.157},      {"CCl", "C", "Cl", 1, 1.785},
    {"O", "O", "H", 1, 0.958},         {"N", "N", "H", 1, 1.012},
    {"CN", "C", "N", 1, 1.471},        {"CS", "C", "S", 1, 1.819},
    // Three-membered rings: their angles must not stretch the ring bonds.
    {"C1CC1", "C", "C", 1, 1.510},     {"C1CO1", "C", "O", 1, 1.431},
};

TEST(GeometryAccuracy, BondLengthsAfterTheSetUpChainMatchExperiment) {
  std::ostringstream table;
  double sum = 0.0;
  for (const LengthReference& reference : kLengths) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(reference.smiles);
    ASSERT_TRUE(molecule) << reference.smiles;
    const double length = meanLength(*molecule, reference.element1, reference.element2, reference.order);
    const double error = std::fabs(length - reference.angstrom);
    EXPECT_LT(error, 0.04) << reference.smiles << " " << reference.element1 << "-"
                           << reference.element2 << ": " << length;
    sum += error;
    table << reference.smiles << ": " << length << " A, experiment " << reference.angstrom << "\n";
  }
  EXPECT_LE(sum / kLengths.size(), 0.015) << table.str();
}

// The angle at the first atom of `centre` element between its first two neighbours.
double firstAngle(const Molecule& molecule, const std::string& centre) {
  for (const Atom* atom : molecule.atoms) {
    if (atom->element != centre || atom->bonds.size() < 2) continue;
    const Atom* a = atom->bonds[0]->atom1 == atom ? atom->bonds[0]->atom2 : atom->bonds[0]->atom1;
    const Atom* b = atom->bonds[1]->atom1 == atom ? atom->bonds[1]->atom2 : atom->bonds[1]->atom1;
    const double ux = a->position.x - atom->position.x, uy = a->position.y - atom->position.y,
                 uz = a->position.z - atom->position.z;
    const double vx = b->position.x - atom->position.x, vy = b->position.y - atom->position.y,
                 vz = b->position.z - atom->position.z;
    const double c = (ux * vx + uy * vy + uz * vz) /
                     (std::sqrt(ux * ux + uy * uy + uz * uz) * std::sqrt(vx * vx + vy * vy + vz * vz));
    return std::acos(std::max(-1.0, std::min(1.0, c))) * 180.0 / M_PI;
  }
  return 0.0;
}

TEST(GeometryAccuracy, BondAnglesAfterTheSetUpChainMatchExperiment) {
  struct { const char* smiles; const char* centre; double degrees; } references[] = {
      {"O", "O", 104.5}, {"N", "N", 106.7}, {"C", "C", 109.47}, {"C#C", "C", 180.0},
      {"COC", "O", 111.7}, {"CSC", "S", 98.9},
  };
  double sum = 0.0;
  std::ostringstream table;
  for (const auto& reference : references) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(reference.smiles);
    ASSERT_TRUE(molecule) << reference.smiles;
    const double angle = firstAngle(*molecule, reference.centre);
    sum += std::fabs(angle - reference.degrees);
    table << reference.smiles << ": " << angle << " deg, experiment " << reference.degrees << "\n";
  }
  EXPECT_LE(sum / (sizeof references / sizeof references[0]), 2.0) << table.str();
}

}  // namespace
