#include "tools/TableChecker.h"

#include "math/UtilityEngine.h"

#include <cmath>
#include <map>
#include <sstream>

namespace {

std::string pairKey(std::string a, std::string b, int order) {
  if (b < a)
    std::swap(a, b);
  return a + " " + b + " " + std::to_string(order);
}

bool isPattern(const std::string& name) {
  return name.find('*') != std::string::npos;
}

std::string text(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace

TableChecker::TableChecker(InputParameters& tables) : tables(tables) {
  for (const AtomTypeParameters* row : tables.atomTypeParameters) {
    std::string element = row->element;
    std::string btype = row->btype;
    UtilityEngine::instance()->toUpper(element);
    UtilityEngine::instance()->toUpper(btype);
    names.insert(row->type);
    names.insert(row->stype);
    names.insert(btype);
    names.insert(element);
  }
}

std::vector<std::string> TableChecker::check() {
  problems.clear();
  checkAtomTypes();
  checkBonds();
  checkAngles();
  checkDihedrals();
  checkBondOrders();
  checkEmag();
  checkRingsAndRules();
  return problems;
}

bool TableChecker::known(const std::string& name) const {
  return name == "*" || isPattern(name) || names.count(name) > 0;
}

void TableChecker::problem(const std::string& table, const std::string& message) {
  problems.push_back(table + ": " + message);
}

void TableChecker::checkAtomTypes() {
  // OSFA stands under both oxygen super types; the lookup takes the first, on purpose.
  const std::set<std::string> knownTwice = {"OSFA"};
  std::set<std::string> seen;
  for (const AtomTypeParameters* row : tables.atomTypeParameters) {
    if (!seen.insert(row->type).second && !knownTwice.count(row->type))
      problem("supertype.txt", "duplicate type \"" + row->type + "\"");
    if (!(row->mass > 0.0f && row->mass < 300.0f))
      problem("supertype.txt", "mass " + text(row->mass) + " of \"" + row->type + "\"");
    if (!(row->radius > 0.0f && row->radius < 6.0f))
      problem("supertype.txt", "radius " + text(row->radius) + " of \"" + row->type + "\"");
  }
}

void TableChecker::checkBonds() {
  std::map<std::string, size_t> seen;
  const auto& rows = tables.bondParameters;
  for (size_t i = 0; i < rows.size(); ++i) {
    const BondParameters& row = *rows[i];
    std::string key = pairKey(row.atom1, row.atom2, row.bondOrder);
    if (!seen.emplace(key, i).second)
      problem("bondparameters.txt", "duplicate row \"" + key + "\"");
    for (const std::string* type : {&row.atom1, &row.atom2})
      if (!known(*type))
        problem("bondparameters.txt", "unknown type \"" + *type + "\"");
    if (row.bondOrder == 0)
      continue;   // placeholder rows carry no numbers
    if (!(row.distance > 0.0f && row.distance < 4.0f))
      problem("bondparameters.txt", "distance " + text(row.distance) + " in \"" + key + "\"");
    // The bond orbital is a prolate spheroid with the nuclei as foci.
    if (!(row.majorAxis > row.distance / 2.0f))
      problem("bondparameters.txt", "major axis not beyond the foci in \"" + key + "\"");
    if (!(row.bondEnergy >= 0.0f && row.bondEnergy < 20.0f))
      problem("bondparameters.txt", "energy " + text(row.bondEnergy) + " in \"" + key + "\"");
    // A pattern row above an exact row it matches hides that row from every lookup.
    if (isPattern(row.atom1) || isPattern(row.atom2))
      for (size_t j = i + 1; j < rows.size(); ++j) {
        const BondParameters& below = *rows[j];
        UtilityEngine* utility = UtilityEngine::instance();
        if (below.bondOrder == row.bondOrder && !isPattern(below.atom1) &&
            !isPattern(below.atom2) &&
            ((utility->stringMatchWithWildCards(row.atom1, below.atom1) &&
              utility->stringMatchWithWildCards(row.atom2, below.atom2)) ||
             (utility->stringMatchWithWildCards(row.atom1, below.atom2) &&
              utility->stringMatchWithWildCards(row.atom2, below.atom1))))
          problem("bondparameters.txt", "pattern row \"" + key + "\" hides \"" +
                                            pairKey(below.atom1, below.atom2, below.bondOrder) +
                                            "\"");
      }
  }
}

void TableChecker::checkAngles() {
  std::set<std::string> seen;
  for (const AngleParameters* row : tables.angleParameters) {
    std::string key = row->centre + " " + pairKey(row->atom1, row->atom3, 0);
    if (!seen.insert(key).second)
      problem("angleparameters.txt", "duplicate row \"" + key + "\"");
    for (const std::string* type : {&row->atom1, &row->centre, &row->atom3})
      if (!known(*type))
        problem("angleparameters.txt", "unknown type \"" + *type + "\"");
    if (!(std::fabs(row->angle) > 0.0f && std::fabs(row->angle) <= 180.0f))
      problem("angleparameters.txt", "angle " + text(row->angle) + " in \"" + key + "\"");
  }
}

void TableChecker::checkDihedrals() {
  std::set<std::string> seen;
  for (const DihedralParameters* row : tables.dihedralParameters) {
    std::string key = row->atom1 + " " + row->atom2 + " " + row->atom3 + " " + row->atom4 + " " +
                      std::to_string(row->bondOrder);
    if (!seen.insert(key).second)
      problem("dihedralparameters.txt", "duplicate row \"" + key + "\"");
    if (!(row->periodicity >= 1.0f && row->periodicity <= 6.0f))
      problem("dihedralparameters.txt", "periodicity in \"" + key + "\"");
  }
}

void TableChecker::checkBondOrders() {
  for (const BondOrderParameters* row : tables.bondOrderParameters)
    if (!(row->minDistance >= 0.0f && row->minDistance < row->maxDistance &&
          row->maxDistance < 4.0f))
      problem("bondordertable.txt", "window of \"" + row->element1 + " " + row->element2 + "\"");
}

void TableChecker::checkEmag() {
  for (const EmagBondParameters* row : tables.emagBondParameters)
    for (const std::string* type : {&row->type1, &row->type2})
      if (!known(*type))
        problem("emag.txt", "unknown type \"" + *type + "\"");
  for (const EmagAngleParameters* row : tables.emagAngleParameters)
    for (const std::string* type : {&row->type1, &row->centre, &row->type3})
      if (!known(*type))
        problem("emag.txt", "unknown type \"" + *type + "\"");
  for (const EmagDihedralParameters* row : tables.emagDihedralParameters)
    for (const std::string* type : {&row->type1, &row->type2, &row->type3, &row->type4})
      if (!known(*type))
        problem("emag.txt", "unknown type \"" + *type + "\"");
}

void TableChecker::checkRingsAndRules() {
  for (const BasicRings* ring : tables.basicRings)
    for (const std::string& type : ring->atomTypes)
      if (!known(type))
        problem("basicrings.txt", "unknown type \"" + type + "\" in " + ring->name);
  for (const TypeRules* rule : tables.typeRules)
    if (!known(rule->type))
      problem("basicatomtypes.txt", "unknown type \"" + rule->type + "\"");
}
