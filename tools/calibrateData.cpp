// Reference data in, finished molecules out: CSV and SD reading, the application's readers and
// set-up chain, and the bonds and angles each molecule uses with the table rows behind them.

#include "tools/Calibrate.h"

#include "forcefield/MolecularSystem.h"
#include "io/MDLMolParser.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace calib {

namespace {

const double kKjPerEv = 96.485;
// The force field's charge factor and the Debye per e*Angstrom it divides by cancel in the
// dipole: each bond adds 1.08 * share * moment * (r1 - r2) / table distance (the share is 1 but
// for a saturated carbon's halogens beside others, MolecularSystem::geminalHalogenMomentShare;
// such a carbon's C-H bonds add a fixed moment besides, MolecularSystem::geminalHydrogenMoment).
const double kChargeFactor = 1.08;

std::vector<std::string> splitCsvLine(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else if (c != '\r' && c != '\n') {
      fields.back() += c;
    }
  }
  return fields;
}

double length(const SSEVector4f& a, const SSEVector4f& b) {
  const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double angleAt(const SSEVector4f& a, const SSEVector4f& centre, const SSEVector4f& b) {
  const double ux = a.x - centre.x, uy = a.y - centre.y, uz = a.z - centre.z;
  const double vx = b.x - centre.x, vy = b.y - centre.y, vz = b.z - centre.z;
  const double nu = std::sqrt(ux * ux + uy * uy + uz * uz), nv = std::sqrt(vx * vx + vy * vy + vz * vz);
  if (nu < 1e-9 || nv < 1e-9) return 0.0;
  const double c = std::max(-1.0, std::min(1.0, (ux * vx + uy * vy + uz * vz) / (nu * nv)));
  return std::acos(c) * 180.0 / M_PI;
}

// True when every atom given lies in one three- or four-membered ring.
bool inSmallRing(const Molecule* molecule, std::initializer_list<const Atom*> atoms) {
  for (const Ring* ring : molecule->rings) {
    if (ring->atomIds.size() > 4) continue;
    const auto begin = ring->atomIds.begin(), end = ring->atomIds.end();
    if (std::all_of(atoms.begin(), atoms.end(),
                    [&](const Atom* atom) { return std::find(begin, end, atom->id) != end; }))
      return true;
  }
  return false;
}

}  // namespace

// The row the lookup copied: the first table row with the copy's types and order.
int rowIndexOf(const BondParameters& copy) {
  const std::vector<BondParameters*>& rows = InputParameters::instance()->bondParameters;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i]->atom1 == copy.atom1 && rows[i]->atom2 == copy.atom2 &&
        rows[i]->bondOrder == copy.bondOrder)
      return static_cast<int>(i);
  return -1;
}

namespace {

// The share of its moment a bond keeps in the force field's charges (a saturated carbon's halogen
// beside others).
double momentShare(const Atom* a, const Atom* b) {
  const bool aCarbon = a->element == "C" && MolecularSystem::isHalogen(b->element);
  const bool bCarbon = b->element == "C" && MolecularSystem::isHalogen(a->element);
  if (!aCarbon && !bCarbon) return 1.0;
  const Atom* carbon = aCarbon ? a : b;
  const Atom* halogen = aCarbon ? b : a;
  if (carbon->bonds.size() != 4) return 1.0;
  std::vector<std::string> geminal;
  for (const Bond* bond : carbon->bonds) {
    const Atom* other = bond->atom1 == carbon ? bond->atom2 : bond->atom1;
    if (other != nullptr && other != halogen && MolecularSystem::isHalogen(other->element))
      geminal.push_back(other->element);
  }
  return MolecularSystem::geminalHalogenMomentShare(halogen->element, geminal);
}

// The moment a C-H bond adds besides its row when its saturated carbon holds two or more halogens
// (MolecularSystem::geminalHydrogenMoment), positive at `a`.
double fixedMoment(const Atom* a, const Atom* b) {
  const bool hydrogenFirst = a->element == "H" && b->element == "C";
  if (!hydrogenFirst && !(b->element == "H" && a->element == "C")) return 0.0;
  const Atom* carbon = hydrogenFirst ? b : a;
  if (carbon->bonds.size() != 4) return 0.0;
  std::vector<std::string> halogens;
  for (const Bond* bond : carbon->bonds) {
    const Atom* other = bond->atom1 == carbon ? bond->atom2 : bond->atom1;
    if (other != nullptr && MolecularSystem::isHalogen(other->element))
      halogens.push_back(other->element);
  }
  const double moment = MolecularSystem::geminalHydrogenMoment(halogens);
  return hydrogenFirst ? moment : -moment;
}

// The names the lookup compared at the level where it found the row.
std::vector<std::string> levelNames(const std::string& type) {
  InputParameters* tables = InputParameters::instance();
  AtomTypeParameters row;
  std::vector<std::string> names{type};
  if (tables->findAtomTypeParameters(type, row) == 1) {
    std::string element = row.element, base = row.btype;
    UtilityEngine::instance()->toUpper(element);
    UtilityEngine::instance()->toUpper(base);
    names = {type, base, row.stype, element};
  }
  return names;
}

// +1 when the row's first type stands for type1, -1 when the match was reversed.
int orientation(const BondParameters& row, const std::string& type1, const std::string& type2) {
  if (row.atom1 == row.atom2) return 1;
  UtilityEngine* utility = UtilityEngine::instance();
  const std::vector<std::string> n1 = levelNames(type1), n2 = levelNames(type2);
  for (size_t level = 0; level < std::min(n1.size(), n2.size()); ++level) {
    if (utility->stringMatchWithWildCards(row.atom1, n1[level]) &&
        utility->stringMatchWithWildCards(row.atom2, n2[level]))
      return 1;
    if (utility->stringMatchWithWildCards(row.atom1, n2[level]) &&
        utility->stringMatchWithWildCards(row.atom2, n1[level]))
      return -1;
  }
  return 1;
}

void markRings(Molecule* molecule, MoleculeRecord& record) {
  bool onlyCH = true, allSingle = true;
  for (Atom* atom : molecule->atoms)
    if (atom->element != "C" && atom->element != "H") onlyCH = false;
  for (Bond* bond : molecule->bonds)
    if (bond->order != 1) allSingle = false;
  for (Ring* ring : molecule->rings)
    if (ring->atomIds.size() == 3 || ring->atomIds.size() == 4) record.strained = true;
  record.acyclicAlkane = onlyCH && allSingle && molecule->rings.empty();
}

// Molecules that perception reads wrong, left out of every fit: a cumulated carbon that did not
// get the sp type (CO2), and aromatic bonds that found no aromatic row (a ring read as partly
// aromatic).
std::string perceptionFault(Molecule* molecule, const MoleculeRecord& record) {
  for (Atom* atom : molecule->atoms) {
    int doubles = 0;
    for (Bond* bond : atom->bonds)
      if (bond->order == 2) ++doubles;
    if (doubles >= 2 && atom->element == "C" && atom->type != "CO2")
      return "cumulated double bonds typed " + atom->type;
  }
  for (const BondUse& use : record.bonds)
    if (use.order == kAromaticOrder && use.code != 1)
      return "aromatic bond " + use.type1 + "-" + use.type2 + " without an aromatic row";
  return "";
}

}  // namespace

bool parseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && end != text.c_str() && *end == '\0' && std::isfinite(value);
}

std::vector<CsvRow> readCsv(const std::string& path) {
  std::vector<CsvRow> rows;
  std::ifstream in(path);
  if (!in) {
    std::cerr << "Error: calibrate: cannot open \"" << path << "\"\n";
    return rows;
  }
  std::string line;
  if (!std::getline(in, line)) return rows;
  const std::vector<std::string> header = splitCsvLine(line);
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = splitCsvLine(line);
    CsvRow row;
    for (size_t i = 0; i < header.size() && i < fields.size(); ++i) row[header[i]] = fields[i];
    rows.push_back(row);
  }
  return rows;
}

ReferenceRows splitReferenceRows(const std::string& path) {
  ReferenceRows rows;
  int position = 0;
  for (const CsvRow& row : readCsv(path)) {
    auto use = row.find("use_for_additivity");
    if (use != row.end() && use->second != "1") continue;
    (++position % kCheckEvery == 0 ? rows.check : rows.fitting).push_back(row);
  }
  return rows;
}

std::vector<std::string> bondSignature(const MoleculeRecord& record) {
  std::vector<std::string> keys;
  for (const BondUse& b : record.bonds) {
    std::string a = b.type1, c = b.type2;
    if (c < a) std::swap(a, c);
    keys.push_back(a + " " + c + " " + std::to_string(b.order));
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

void collectBonds(Molecule* molecule, MoleculeRecord& record) {
  InputParameters* tables = InputParameters::instance();
  record.bonds.clear();
  for (Bond* bond : molecule->bonds) {
    Atom* a = bond->atom1;
    Atom* b = bond->atom2;
    if (a == nullptr || b == nullptr || a->type == "DUM" || b->type == "DUM") continue;
    // The force field looks bonds up with the lower atom id first.
    if (b->id < a->id) std::swap(a, b);
    BondUse use;
    use.type1 = a->type;
    use.type2 = b->type;
    use.order = bond->order;
    BondParameters found;
    use.code = tables->findBondParameters(a->type, b->type, bond->order, found);
    if (use.code != 0) {
      use.row = rowIndexOf(found);
      if (use.row >= 0) {
        const BondParameters& row = *tables->bondParameters[use.row];
        use.sign = orientation(row, a->type, b->type);
        const double d = row.distance > 0.0f ? row.distance : 1.0;
        const double factor = kChargeFactor * momentShare(a, b);
        use.vx = factor * (a->position.x - b->position.x) / d;
        use.vy = factor * (a->position.y - b->position.y) / d;
        use.vz = factor * (a->position.z - b->position.z) / d;
        use.fixedMoment = fixedMoment(a, b);
      }
    }
    record.bonds.push_back(use);
  }
}

void evaluateSmiles(MoleculeRecord& record, bool dipole) {
  SmilesParser parser;
  Molecule* molecule = parser.smilesToMol(record.smiles);
  if (molecule == nullptr) {
    record.ok = false;
    record.reason = "the SMILES reader gave no molecule";
    return;
  }
  record.ok = true;
  markRings(molecule, record);
  collectBonds(molecule, record);
  for (const BondUse& use : record.bonds)
    if (use.row < 0) {
      record.ok = false;
      record.reason = "no bond row for " + use.type1 + "-" + use.type2;
    }
  const std::string fault = perceptionFault(molecule, record);
  if (!fault.empty()) {
    record.ok = false;
    record.reason = "perception fault: " + fault;
  }
  // The heat of formation the application reports: atomic sum - (bond energies - correction) +
  // ring terms.
  record.rings = ringstrain::ringTerms(*molecule);
  record.base =
      molecule->atomicEnergySum + molecule->energyCorrection + molecule->ringStrainEnergy;
  record.computed = dipole ? molecule->dipoleMoment : molecule->heatOfFormation * kKjPerEv;
  int carbons = 0, chlorines = 0;
  for (Atom* atom : molecule->atoms) {
    if (atom->element == "C") ++carbons;
    if (atom->element == "Cl") ++chlorines;
  }
  // The energy sum replaces hexachlorobenzene's total by a fixed value; it fits nothing.
  if (carbons == 6 && chlorines == 6 && molecule->numAtoms == 12) {
    record.ok = false;
    record.reason = "fixed total bond energy";
  }
  delete molecule;
}

namespace {

// True when a structure read from an SD file is the molecule its record's SMILES names: the chain
// added no atom to it, and its bonds join the same types with the same orders.
bool sameAsSmiles(const Molecule* molecule, const std::map<Atom*, SSEVector4f>& reference,
                  const MoleculeRecord& record) {
  for (Atom* atom : molecule->atoms)
    if (!reference.count(atom) && atom->type != "DUM") return false;
  MoleculeRecord fromSmiles;
  fromSmiles.smiles = record.smiles;
  evaluateSmiles(fromSmiles, false);
  return bondSignature(record) == bondSignature(fromSmiles);
}

}  // namespace

std::vector<MoleculeRecord> evaluateGeometries(const std::string& sdfPath,
                                               const std::map<std::string, std::string>& ids) {
  std::vector<MoleculeRecord> records;
  std::ifstream in(sdfPath);
  if (!in) {
    std::cerr << "Error: calibrate: cannot open \"" << sdfPath << "\"\n";
    return records;
  }
  InputParameters* tables = InputParameters::instance();
  MDLMolParser parser;
  for (const auto& text : MDLMolParser::splitSDRecords(in)) {
    std::istringstream record(text.first);
    std::string id;
    std::getline(record, id);
    id = id.substr(0, id.find_last_not_of(" \t\r") + 1);
    auto wanted = ids.find(id);
    if (wanted == ids.end()) continue;
    MoleculeRecord out;
    out.name = id;
    out.smiles = wanted->second;
    std::istringstream block(text.first);
    std::string name;
    Molecule* molecule = parser.readConnectionTable(block, name, text.second, false);
    if (molecule == nullptr) {
      out.reason = "the MDL reader gave no molecule";
      records.push_back(out);
      continue;
    }
    std::map<Atom*, SSEVector4f> reference;
    for (Atom* atom : molecule->atoms) reference[atom] = atom->position;
    // A structure read as another molecule trips typing errors; they go with the reason below.
    std::vector<std::string> errors;
    const ErrorSink previous =
        setErrorSink([&errors](const std::string& line) { errors.push_back(line); });
    parser.perceive(molecule);
    const bool complete = parser.completeMolecule(molecule, name);
    setErrorSink(previous);
    if (!complete) {
      out.reason = "the set-up chain refused the molecule";
      if (!errors.empty()) out.reason += " (" + errors.front() + ")";
      delete molecule;
      records.push_back(out);
      continue;
    }
    out.ok = true;
    markRings(molecule, out);
    collectBonds(molecule, out);
    if (!sameAsSmiles(molecule, reference, out)) {
      out.ok = false;
      out.reason = "the structure reads as another molecule than " + out.smiles;
      if (!errors.empty()) out.reason += " (" + errors.front() + ")";
      delete molecule;
      records.push_back(out);
      continue;
    }
    for (const std::string& line : errors) printError(line);
    for (Bond* bond : molecule->bonds) {
      Atom* a = bond->atom1;
      Atom* b = bond->atom2;
      if (!reference.count(a) || !reference.count(b)) continue;   // dummy atoms of the chain
      BondParameters found;
      const int code = tables->findBondParameters(a->type, b->type, bond->order, found);
      out.lengthRows.push_back(code == 0 ? -1 : rowIndexOf(found));
      out.lengthReference.push_back(length(reference[a], reference[b]));
      out.lengthComputed.push_back(length(a->position, b->position));
      out.lengthInSmallRing.push_back(inSmallRing(molecule, {a, b}));
    }
    for (Atom* centre : molecule->atoms) {
      if (!reference.count(centre)) continue;
      std::vector<Atom*> ends;
      for (Bond* bond : centre->bonds) {
        Atom* other = bond->atom1 == centre ? bond->atom2 : bond->atom1;
        if (other != nullptr && reference.count(other) && other->type != "DUM") ends.push_back(other);
      }
      for (size_t i = 0; i < ends.size(); ++i)
        for (size_t j = i + 1; j < ends.size(); ++j) {
          AngleUse use;
          AngleParameters found;
          if (tables->findAngle(ends[i]->type, centre->type, ends[j]->type, found) == 1)
            for (AngleParameters* row : tables->angleParameters)
              if (row->atom1 == found.atom1 && row->centre == found.centre &&
                  row->atom3 == found.atom3) {
                use.row = row;
                break;
              }
          use.smallRing = inSmallRing(molecule, {centre});
          use.reference = angleAt(reference[ends[i]], reference[centre], reference[ends[j]]);
          use.computed = angleAt(ends[i]->position, centre->position, ends[j]->position);
          out.angles.push_back(use);
        }
    }
    delete molecule;
    records.push_back(out);
  }
  return records;
}

}  // namespace calib
