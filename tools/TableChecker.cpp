#include "tools/TableChecker.h"

#include "math/UtilityEngine.h"
#include "parameters/ElementSymbols.h"

#include <algorithm>
#include <cmath>
#include <iterator>
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

std::string upper(std::string name) {
  UtilityEngine::instance()->toUpper(name);
  return name;
}

// The force field finds the planar centres of impropers by mass: within this much of 12 or 14
// an atom counts as carbon or nitrogen.
const float kImproperMassWindow = 0.1f;
const float kCarbonMass = 12.0f;
const float kNitrogenMass = 14.0f;

bool near(float mass, float reference) {
  return std::fabs(mass - reference) < kImproperMassWindow;
}

// Typing gives this type itself, after the rule levels, to a cyclopentadienyl carbon on a metal.
const char* const kMetalBoundRingCarbon = "CCPH";

}  // namespace

TableChecker::TableChecker(InputParameters& checked) : tables(checked) {
  for (const AtomTypeParameters* row : tables.atomTypeParameters) {
    std::string element = row->element;
    std::string btype = row->btype;
    UtilityEngine::instance()->toUpper(element);
    UtilityEngine::instance()->toUpper(btype);
    names.insert(row->type);
    names.insert(row->stype);
    names.insert(btype);
    names.insert(element);
    typeRows.insert(row->type);
    startTypes.insert(element == "R" ? std::string("DUM") : element);
  }
}

std::vector<std::string> TableChecker::rejectedLines(const std::function<void()>& load) {
  std::vector<std::string> lines;
  const ErrorSink previous = setErrorSink([&lines](const std::string& line) {
    const std::string mark = "Error: ";
    lines.push_back("a reader rejected: " +
                    (line.compare(0, mark.size(), mark) == 0 ? line.substr(mark.size()) : line));
  });
  load();
  setErrorSink(previous);
  return lines;
}

std::vector<std::string> TableChecker::check() {
  problems.clear();
  checkAtomTypes();
  checkBonds();
  checkBondLengths();
  checkAngles();
  checkDihedrals();
  checkBondOrders();
  checkEmag();
  checkRingStrain();
  checkRingsAndRules();
  checkGivenTypes();
  checkRuleLevels();
  checkElementRows();
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
    if (!typeRows.count(upper(row->btype)))
      problem("supertype.txt", "base type \"" + row->btype + "\" of \"" + row->type +
                                   "\" is no type");
    // The well depth is written negative; a positive one would turn attraction into repulsion.
    if (!(row->vdwSig < 0.0f))
      problem("supertype.txt", "van der Waals well depth " + text(row->vdwSig) + " of \"" +
                                   row->type + "\" is not negative");
    // Every atom of the type is stored with this element and written with it: "SI" here gave
    // silicon as [SI] in SMILES and "SI" in mol files.
    if (row->element != "R" && !isElementSymbol(row->element))
      problem("supertype.txt", "element \"" + row->element + "\" of \"" + row->type +
                                   "\" is no element symbol in its standard case");
    const std::string element = upper(row->element);
    const bool carbonMass = near(row->mass, kCarbonMass);
    const bool nitrogenMass = near(row->mass, kNitrogenMass);
    if ((element == "C" && !carbonMass) || (element == "N" && !nitrogenMass) ||
        (element != "C" && element != "N" && (carbonMass || nitrogenMass)))
      problem("supertype.txt", "mass " + text(row->mass) + " of \"" + row->type +
                                   "\" does not tell its element " + row->element +
                                   " apart from carbon and nitrogen");
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
    // Pattern rows ("C*") close their section: a plain row after one is read past it.
    if (isPattern(row.atom1) || isPattern(row.atom2))
      for (size_t j = i + 1; j < rows.size() && rows[j]->approximated == row.approximated; ++j)
        if (!isPattern(rows[j]->atom1) && !isPattern(rows[j]->atom2)) {
          problem("bondparameters.txt", "plain row \"" +
                                            pairKey(rows[j]->atom1, rows[j]->atom2, rows[j]->bondOrder) +
                                            "\" after the pattern row \"" + key + "\"");
          break;
        }
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
  // Every centre needs its "* X *" default, and the defaults stand last: the lookup's last pass
  // reads them, and a specific row below them would look like one more default.
  std::set<std::string> centres, defaults;
  bool inDefaults = false;
  for (const AngleParameters* row : tables.angleParameters) {
    const bool isDefault = row->atom1 == "*" && row->atom3 == "*";
    if (isDefault) defaults.insert(row->centre);
    else if (inDefaults)
      problem("angleparameters.txt", "specific row \"" + row->atom1 + " " + row->centre + " " +
                                         row->atom3 + "\" after the \"* X *\" defaults");
    inDefaults = inDefaults || isDefault;
    if (row->centre != "*" && !isPattern(row->centre)) centres.insert(row->centre);
  }
  // The lookup's last pass reads the default of the centre, or of its base type when the
  // centre has an atom-type row.
  for (const std::string& centre : centres) {
    std::string base;
    for (const AtomTypeParameters* type : tables.atomTypeParameters)
      if (type->type == centre) {
        base = upper(type->btype);
        break;
      }
    if (!defaults.count(centre) && !defaults.count(base))
      problem("angleparameters.txt", "centre \"" + centre + "\" has no \"* " + centre + " *\" row");
  }
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
  // Rows right after each other with the same key are the terms of one torsion, one
  // periodicity each; the same key anywhere else is a row the lookup never reaches.
  std::set<std::string> seen;
  std::string previous;
  std::set<float> periodicities;
  for (const DihedralParameters* row : tables.dihedralParameters) {
    std::string key = row->atom1 + " " + row->atom2 + " " + row->atom3 + " " + row->atom4 + " " +
                      std::to_string(row->bondOrder);
    if (key == previous) {
      if (!periodicities.insert(row->periodicity).second)
        problem("dihedralparameters.txt", "repeated periodicity in \"" + key + "\"");
    } else {
      if (!seen.insert(key).second)
        problem("dihedralparameters.txt", "duplicate row \"" + key + "\"");
      periodicities = {row->periodicity};
    }
    previous = key;
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

void TableChecker::checkRingStrain() {
  std::set<std::string> keys;
  for (const RingStrainParameters* row : tables.ringStrainParameters) {
    const std::string key = row->kind + " " + std::to_string(row->ringSize);
    if (!keys.insert(key).second) problem("ringstrain.txt", "duplicate row \"" + key + "\"");
    // Between strain-free (a fit may leave a six-ring a little below zero) and cubane's share
    // per ring, about 1.4 eV; what a ring's features add stays within the same range. A sulfur
    // in the ring takes back part of its ring's strain, never more than a ring's share.
    const bool knownKind = std::find(std::begin(kRingStrainKinds), std::end(kRingStrainKinds),
                                     row->kind) != std::end(kRingStrainKinds);
    if (!knownKind) {
      std::string kinds;
      for (const char* kind : kRingStrainKinds)
        kinds += std::string(kinds.empty() ? "" : ", ") + kind;
      problem("ringstrain.txt", "row \"" + key + "\" is no " + kinds + " row");
    }
    else if (row->ringSize < 3 || row->ringSize > 9)
      problem("ringstrain.txt", "row \"" + key + "\" is no " + row->kind + " of 3 to 9 atoms");
    else if (row->kind == "THIA" ? !(row->energy >= -1.4f && row->energy <= 0.0f)
                                 : !(row->energy >= -0.2f && row->energy <= 2.0f))
      problem("ringstrain.txt", "energy " + std::to_string(row->energy) + " eV of \"" + key +
                                    "\" outside its range");
  }
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

void TableChecker::checkGivenTypes() {
  auto need = [this](const std::string& table, const std::string& type, const std::string& by) {
    if (!typeRows.count(type))
      problem(table, "type \"" + type + "\" given by " + by + " has no atom-type row");
  };
  for (const TypeRules* rule : tables.typeRules)
    need("basicatomtypes.txt", rule->type, "a level " + std::to_string(rule->level) + " rule");
  for (const BasicRings* ring : tables.basicRings)
    for (const std::string& type : ring->atomTypes) need("basicrings.txt", type, ring->name);
  for (const HybridAtomTypes* row : tables.hybridAtomTypes)
    need("hybridatomtypes.txt", row->resultType, row->type1 + " + " + row->type2);
  need("supertype.txt", kMetalBoundRingCarbon, "the metal-bound ring carbons");
}

void TableChecker::checkRulesOfLevel(int level, const std::set<std::string>& available) {
  for (const TypeRules* rule : tables.typeRules) {
    if (rule->level != level) continue;
    const std::string place = "level " + std::to_string(level) + " rule \"" + rule->type + "\"";
    if (!available.count(rule->main))
      problem("basicatomtypes.txt",
              place + " needs MAIN \"" + rule->main + "\", which no earlier level gives");
    for (const std::vector<std::string>* list :
         {&rule->single, &rule->double_, &rule->triple, &rule->aromatic})
      for (const std::string& name : *list)
        if (name != "*" && !available.count(name))
          problem("basicatomtypes.txt",
                  place + " names neighbour \"" + name + "\", which no earlier level gives");
  }
}

void TableChecker::checkRuleLevels() {
  for (const TypeRules* rule : tables.typeRules)
    if (rule->level == 0)
      problem("basicatomtypes.txt", "rule \"" + rule->type + "\" stands at level 0, never applied");
  // Level 1 starts from the bare elements; each positive level adds what it gives. The
  // negative levels come after the ring templates and the hybrid table.
  std::set<std::string> available = startTypes;
  auto add = [this, &available](int level) {
    for (const TypeRules* rule : tables.typeRules)
      if (rule->level == level) available.insert(rule->type);
  };
  for (int level = 1; level <= tables.maxTypeRuleLevel; ++level) {
    checkRulesOfLevel(level, available);
    add(level);
  }
  for (const BasicRings* ring : tables.basicRings)
    available.insert(ring->atomTypes.begin(), ring->atomTypes.end());
  for (const HybridAtomTypes* row : tables.hybridAtomTypes) available.insert(row->resultType);
  for (int level = -1; level >= tables.minTypeRuleLevel; --level) {
    checkRulesOfLevel(level, available);
    add(level);
  }
}

void TableChecker::checkElementRows() {
  std::set<std::string> rows;
  for (const ElementParameters* row : tables.elementParameters) rows.insert(row->symbol);
  auto need = [this, &rows](const std::string& table, const std::string& element,
                            const std::string& by) {
    if (!rows.count(upper(element)))
      problem(table, "element \"" + element + "\" of " + by + " has no element row");
  };
  for (const AtomTypeParameters* row : tables.atomTypeParameters)
    need("supertype.txt", upper(row->element) == "R" ? std::string("DUM") : row->element,
         "type \"" + row->type + "\"");
  for (const TypeRules* rule : tables.typeRules) {
    if (rule->level != 1) continue;
    need("basicatomtypes.txt", rule->main, "level 1 rule \"" + rule->type + "\"");
    for (const std::vector<std::string>* list :
         {&rule->single, &rule->double_, &rule->triple, &rule->aromatic})
      for (const std::string& name : *list)
        if (name != "*") need("basicatomtypes.txt", name, "level 1 rule \"" + rule->type + "\"");
  }
  for (const BasicRings* ring : tables.basicRings)
    if (!ring->substituted)
      for (const std::string& element : ring->atomElements)
        need("basicrings.txt", element, "ring " + ring->name);
  for (const BondOrderParameters* row : tables.bondOrderParameters) {
    need("bondordertable.txt", row->element1, "a bond-order row");
    need("bondordertable.txt", row->element2, "a bond-order row");
  }
}
