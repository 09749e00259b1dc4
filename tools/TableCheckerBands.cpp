// Bond lengths against what each element pair shows in real molecules. A row's distance is the
// length its bond takes in a finished molecule; one far outside its pair's band (an alcohol's C-O
// at 1.30 A, a nitrile's C-N at 1.04 A) puts every molecule with that bond out of shape.

#include "tools/TableChecker.h"

#include "math/UtilityEngine.h"
#include "model/Bond.h"

#include <cstdio>
#include <map>

namespace {

struct Band {
  const char* element1;
  const char* element2;
  int order;
  float low, high;   // Angstrom
};

// Lengths of the common organic pairs, wide enough for every hybridisation (bonds to sp carbon
// are the shortest: cyanate C-O 1.28, cyanogen chloride C-Cl 1.63; the S-O- of a sulfonate anion
// is as short as its S=O, 1.45) and for what the calibration may add to make up for the force
// field's strain (up to 0.04 A past its reference structures).
const Band kBands[] = {
    {"H", "H", 1, 0.70f, 0.78f},   {"C", "H", 1, 1.05f, 1.15f},   {"H", "N", 1, 0.98f, 1.06f},
    {"H", "O", 1, 0.93f, 1.00f},   {"H", "S", 1, 1.30f, 1.38f},   {"C", "C", 1, 1.36f, 1.60f},
    {"C", "C", 2, 1.24f, 1.38f},   {"C", "C", 3, 1.17f, 1.24f},   {"C", "C", 9, 1.34f, 1.44f},
    {"C", "N", 1, 1.30f, 1.52f},   {"C", "N", 2, 1.21f, 1.32f},   {"C", "N", 3, 1.12f, 1.19f},
    {"C", "N", 9, 1.30f, 1.40f},   {"C", "O", 1, 1.26f, 1.48f},   {"C", "O", 2, 1.14f, 1.26f},
    {"C", "O", 3, 1.10f, 1.16f},   {"C", "O", 9, 1.30f, 1.42f},   {"C", "S", 1, 1.64f, 1.88f},
    {"C", "S", 2, 1.52f, 1.68f},   {"C", "S", 9, 1.64f, 1.76f},   {"C", "F", 1, 1.25f, 1.42f},
    {"C", "Cl", 1, 1.60f, 1.82f},  {"Br", "C", 1, 1.76f, 1.98f},  {"C", "I", 1, 1.96f, 2.20f},
    {"N", "N", 1, 1.30f, 1.48f},   {"N", "N", 2, 1.20f, 1.30f},   {"N", "N", 3, 1.08f, 1.14f},
    {"N", "N", 9, 1.28f, 1.38f},   {"N", "O", 1, 1.18f, 1.48f},   {"N", "O", 2, 1.12f, 1.28f},
    {"O", "O", 1, 1.40f, 1.52f},   {"S", "S", 1, 1.98f, 2.12f},   {"O", "S", 1, 1.44f, 1.72f},
    {"O", "S", 2, 1.38f, 1.54f},   {"N", "S", 1, 1.58f, 1.78f},
};

// Single bonds between two centres of an sp3 super type that give no pi electrons: the short end
// of the pair's band belongs to bonds of unsaturated atoms (the N-O of a pyridine N-oxide, whose
// ring nitrogen shares the amines' super type for its lookups, is 1.29). The C-O band starts low
// enough for alkoxides, the N-O band for amine oxides.
const Band kSaturatedBands[] = {
    {"C", "C", 1, 1.48f, 1.60f}, {"C", "N", 1, 1.42f, 1.52f}, {"C", "O", 1, 1.34f, 1.48f},
    {"C", "S", 1, 1.76f, 1.88f}, {"N", "N", 1, 1.38f, 1.48f}, {"N", "O", 1, 1.32f, 1.48f},
};

const char* const kSaturatedSuperTypes[] = {"CSP3", "NSP3", "OSP3", "SSP3"};

// Other pairs: single-bond covalent radii (Angstrom), their sum shortened by the order, within
// a wide factor: metal bonds to small electronegative atoms are short.
const std::map<std::string, float>& covalentRadii() {
  static const std::map<std::string, float> radii = {
      {"H", 0.32f},  {"B", 0.85f},  {"C", 0.75f},  {"N", 0.71f},  {"O", 0.63f},  {"F", 0.64f},
      {"Al", 1.26f}, {"Si", 1.16f}, {"P", 1.11f},  {"S", 1.03f},  {"Cl", 0.99f}, {"Sc", 1.48f},
      {"Ti", 1.36f}, {"V", 1.34f},  {"Cr", 1.22f}, {"Mn", 1.19f}, {"Fe", 1.16f}, {"Co", 1.11f},
      {"Ni", 1.10f}, {"Cu", 1.12f}, {"Zn", 1.18f}, {"As", 1.21f}, {"Se", 1.16f}, {"Br", 1.14f},
      {"Sn", 1.40f}, {"I", 1.33f}};
  return radii;
}
const float kRadiusBandLow = 0.8f, kRadiusBandHigh = 1.2f;

float orderShortening(int order) {
  switch (order) {
    case 2: return 0.87f;
    case 3: return 0.80f;
    case kAromaticOrder: return 0.93f;
    default: return 1.0f;
  }
}

const Band* findBand(const Band* begin, const Band* end, const std::string& e1,
                     const std::string& e2, int order) {
  for (const Band* band = begin; band != end; ++band)
    if (band->order == order && ((e1 == band->element1 && e2 == band->element2) ||
                                 (e1 == band->element2 && e2 == band->element1)))
      return band;
  return nullptr;
}

}  // namespace

void TableChecker::checkBondLengths() {
  // Element, super type and pi electrons of every name a bond row may use: type, base type,
  // super type and element symbol, the type's own row first.
  struct Kind {
    std::string element, super;
    unsigned int piElectrons;
  };
  std::map<std::string, Kind> kinds;
  for (const AtomTypeParameters* row : tables.atomTypeParameters)
    kinds.emplace(row->type, Kind{row->element, row->stype, row->piElectrons});
  for (const AtomTypeParameters* row : tables.atomTypeParameters) {
    kinds.emplace(row->stype, Kind{row->element, row->stype, 0});
    std::string element = row->element;
    UtilityEngine::instance()->toUpper(element);
    kinds.emplace(element, Kind{row->element, std::string(), 0});
  }
  auto saturated = [](const Kind& kind) {
    if (kind.piElectrons != 0) return false;
    for (const char* name : kSaturatedSuperTypes)
      if (kind.super == name) return true;
    return false;
  };
  for (const BondParameters* row : tables.bondParameters) {
    auto first = kinds.find(row->atom1), second = kinds.find(row->atom2);
    if (row->bondOrder == 0 || first == kinds.end() || second == kinds.end()) continue;
    const std::string& e1 = first->second.element;
    const std::string& e2 = second->second.element;
    const Band* band = findBand(std::begin(kBands), std::end(kBands), e1, e2, row->bondOrder);
    if (saturated(first->second) && saturated(second->second)) {
      const Band* narrow = findBand(std::begin(kSaturatedBands), std::end(kSaturatedBands), e1,
                                    e2, row->bondOrder);
      if (narrow != nullptr) band = narrow;
    }
    float low = 0.0f, high = 0.0f;
    if (band != nullptr) {
      low = band->low;
      high = band->high;
    } else {
      auto r1 = covalentRadii().find(e1), r2 = covalentRadii().find(e2);
      if (r1 == covalentRadii().end() || r2 == covalentRadii().end()) {
        problem("bondparameters.txt", "no plausible length known for the " + e1 + "-" + e2 +
                                          " bond of \"" + row->atom1 + " " + row->atom2 + "\"");
        continue;
      }
      const float length = (r1->second + r2->second) * orderShortening(row->bondOrder);
      low = kRadiusBandLow * length;
      high = kRadiusBandHigh * length;
    }
    if (row->distance >= low && row->distance <= high) continue;
    char message[200];
    std::snprintf(message, sizeof message,
                  "distance %.3f A of \"%s %s %d\" outside %.2f-%.2f A, the %s-%s bonds of real "
                  "molecules", row->distance, row->atom1.c_str(), row->atom2.c_str(),
                  row->bondOrder, low, high, e1.c_str(), e2.c_str());
    problem("bondparameters.txt", message);
  }
}
