// The keyed lookups over the small tables: exact names, first row in file order wins, both
// orientations tried per row where a pair is the key.

#include "parameters/InputParameters.h"

#include "math/UtilityEngine.h"

int InputParameters::findAtomTypeParameters(std::string type, AtomTypeParameters& out) {
  for (const AtomTypeParameters* row : atomTypeParameters)
    if (row->type == type) {
      out = *row;
      return 1;
    }
  return 0;
}

int InputParameters::findElementParameters(std::string name, ElementParameters& out) {
  UtilityEngine::instance()->toUpper(name);
  for (const ElementParameters* row : elementParameters)
    if (row->symbol == name) {
      out = *row;
      return 1;
    }
  return 0;
}

int InputParameters::findBondMomentParameters(std::string type1, std::string type2, int order,
                                              BondMomentParameters& out) {
  // The moment keeps its sign either way round: the caller knows the orientation.
  for (const BondMomentParameters* row : bondMomentParameters) {
    if (row->bondOrder != order)
      continue;
    if ((row->type1 == type1 && row->type2 == type2) ||
        (row->type1 == type2 && row->type2 == type1)) {
      out = *row;
      return 1;
    }
  }
  return 0;
}

int InputParameters::findBondOrder(std::string element1, std::string element2, float distance) {
  // Triple-bond windows come first in the table, so the first window holding the distance
  // gives the highest order it allows. Both ends of a window are exclusive.
  UtilityEngine::instance()->toUpper(element1);
  UtilityEngine::instance()->toUpper(element2);
  for (const BondOrderParameters* row : bondOrderParameters) {
    if (!(row->minDistance < distance && distance < row->maxDistance))
      continue;
    if ((row->element1 == element1 && row->element2 == element2) ||
        (row->element1 == element2 && row->element2 == element1))
      return row->bondOrder;
  }
  return 0;
}

bool InputParameters::findConnectivity(std::string element1, std::string element2,
                                       float distance) {
  UtilityEngine::instance()->toUpper(element1);
  UtilityEngine::instance()->toUpper(element2);
  for (const BondOrderParameters* row : bondOrderParameters) {
    if (!(row->minDistance < distance && distance < row->maxDistance))
      continue;
    if ((row->element1 == element1 && row->element2 == element2) ||
        (row->element1 == element2 && row->element2 == element1))
      return true;
  }
  return false;
}

int InputParameters::findHyridType(std::string type1, std::string type2, HybridAtomTypes& out) {
  for (const HybridAtomTypes* row : hybridAtomTypes)
    if ((row->type1 == type1 && row->type2 == type2) ||
        (row->type1 == type2 && row->type2 == type1)) {
      out = *row;
      return 1;
    }
  return 0;
}

int InputParameters::findCyclicTemplates(std::string kind, int ringSize, CyclicTemplates& out) {
  for (const CyclicTemplates* row : cyclicTemplates)
    if (row->kind == kind && row->ringSize == ringSize) {
      out = *row;   // shares the table's arrays
      return 1;
    }
  return 0;
}

float InputParameters::findRingStrain(const std::string& kind, int ringSize) const {
  for (const RingStrainParameters* row : ringStrainParameters)
    if (row->ringSize == ringSize && row->kind == kind)
      return row->energy;
  return 0.0f;
}

float InputParameters::findEmagParameters(std::string type1, std::string type2,
                                          unsigned int order) {
  for (const EmagBondParameters* row : emagBondParameters) {
    if (row->bondOrder != order)
      continue;
    if ((row->type1 == type1 && row->type2 == type2) ||
        (row->type1 == type2 && row->type2 == type1))
      return row->value;
  }
  return 0.0f;
}

float InputParameters::findEmagParameters(std::string type1, std::string centre,
                                          std::string type3) {
  for (const EmagAngleParameters* row : emagAngleParameters) {
    if (row->centre != centre)
      continue;
    if ((row->type1 == type1 && row->type3 == type3) ||
        (row->type1 == type3 && row->type3 == type1))
      return row->value;
  }
  return 0.0f;
}

float InputParameters::findEmagParameters(std::string type1, std::string type2,
                                          std::string type3, std::string type4,
                                          unsigned int order) {
  for (const EmagDihedralParameters* row : emagDihedralParameters) {
    if (row->bondOrder != order)
      continue;
    if ((row->type1 == type1 && row->type2 == type2 && row->type3 == type3 &&
         row->type4 == type4) ||
        (row->type1 == type4 && row->type2 == type3 && row->type3 == type2 &&
         row->type4 == type1))
      return row->value;
  }
  return 0.0f;
}

bool InputParameters::findCombineRules(std::string key, UpdateRules& out) {
  // find, not operator[]: a miss must not leave a null rule in the map.
  auto found = combineRules.find(key);
  if (found == combineRules.end() || !found->second)
    return false;
  const UpdateRules& rule = *found->second;
  out.updates.insert(out.updates.end(), rule.updates.begin(), rule.updates.end());
  out.renames.insert(out.renames.end(), rule.renames.begin(), rule.renames.end());
  out.group = rule.group;
  return true;
}
