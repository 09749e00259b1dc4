// The bond lookup: the given types, then base types, super types and element symbols, each pass
// a scan of the bond table in file order with both orientations tried per row.

#include "parameters/InputParameters.h"

#include "math/UtilityEngine.h"
#include "model/Bond.h"

namespace {

const float kDebyePerAngstromToCharge = 4.802813f;   // Debye / Angstrom -> elementary charges

// Fixed geometry of a bond to a bond-axis dummy atom.
const float kDummyMajorAxis = 1.058f;
const float kDummyDistance = 2.1153f;

// Plain names compare as plain strings, exactly what the wildcard match does when neither side
// holds a "*"; it saves two string copies per test on the hot scans.
inline bool typeMatches(const std::string& pattern, const std::string& name) {
  if (pattern.find('*') == std::string::npos && name.find('*') == std::string::npos)
    return pattern == name;
  return UtilityEngine::instance()->stringMatchWithWildCards(pattern, name);
}

}  // namespace

int InputParameters::matchBondRow(const std::string& name1, const std::string& name2,
                                  int bondOrder, const BondParameters*& row) const {
  for (const BondParameters* candidate : bondParameters) {
    if (candidate->bondOrder != bondOrder)
      continue;
    // The row's type is the pattern, the query's type the text.
    if (typeMatches(candidate->atom1, name1) &&
        typeMatches(candidate->atom2, name2)) {
      row = candidate;
      return 1;
    }
    if (typeMatches(candidate->atom2, name1) &&
        typeMatches(candidate->atom1, name2)) {
      row = candidate;
      return -1;
    }
  }
  return 0;
}

int InputParameters::findBondParameters(std::string type1, std::string type2, int bondOrder,
                                        BondParameters& out) {
  if (type1 == "DUM" || type2 == "DUM") {
    out.majorAxis = kDummyMajorAxis;
    out.distance = kDummyDistance;
    out.bondEnergy = 0.0f;
    out.bondMoment = 0.0f;
    return 1;
  }
  const BondParameters* row = nullptr;
  // A reversed hit describes the bond from the other end: its moment points the other way.
  auto copyRow = [&out, &row](int direction, bool approximated) {
    out = *row;
    if (direction < 0)
      out.bondMoment = -out.bondMoment;
    if (approximated)
      out.approximated = true;
  };
  int direction = matchBondRow(type1, type2, bondOrder, row);
  if (direction != 0) {
    copyRow(direction, false);
    return 1;
  }
  AtomTypeParameters first;
  AtomTypeParameters second;
  if (findAtomTypeParameters(type1, first) && findAtomTypeParameters(type2, second)) {
    direction = matchBondRow(first.btype, second.btype, bondOrder, row);
    if (direction != 0) {
      copyRow(direction, false);
      return 1;
    }
    direction = matchBondRow(first.stype, second.stype, bondOrder, row);
    if (direction != 0) {
      copyRow(direction, true);
      return -1;
    }
    UtilityEngine::instance()->toUpper(first.element);
    UtilityEngine::instance()->toUpper(second.element);
    direction = matchBondRow(first.element, second.element, bondOrder, row);
    if (direction != 0) {
      copyRow(direction, true);
      return -2;
    }
  }
  // An aromatic bond without aromatic rows is treated as a double bond.
  if (bondOrder == kAromaticOrder)
    return findBondParameters(type1, type2, 2, out);
  return 0;
}

float InputParameters::findBondCharge(std::string type1, std::string type2, int bondOrder) {
  if (type1 == "DUM" || type2 == "DUM")
    return 0.0f;
  const BondParameters* row = nullptr;
  int direction = matchBondRow(type1, type2, bondOrder, row);
  AtomTypeParameters first;
  AtomTypeParameters second;
  if (direction == 0 && findAtomTypeParameters(type1, first) &&
      findAtomTypeParameters(type2, second)) {
    direction = matchBondRow(first.btype, second.btype, bondOrder, row);
    if (direction == 0)
      direction = matchBondRow(first.stype, second.stype, bondOrder, row);
    if (direction == 0) {
      UtilityEngine::instance()->toUpper(first.element);
      UtilityEngine::instance()->toUpper(second.element);
      direction = matchBondRow(first.element, second.element, bondOrder, row);
    }
  }
  if (direction == 0)
    return 0.0f;
  float charge = calculateCharge(row->bondMoment, row->distance);
  return direction > 0 ? charge : -charge;
}

float InputParameters::calculateCharge(float moment, float distance) {
  // A row without a distance carries no charge rather than an infinite one.
  if (distance == 0.0f)
    return 0.0f;
  return moment / (kDebyePerAngstromToCharge * distance);
}
