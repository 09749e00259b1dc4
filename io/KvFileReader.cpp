// Reader of the own molecule file ".kv": sections of records that hold everything a finished
// molecule needs, so reading rebuilds only the spheroids and the allowed valences.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "io/IOEngine.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace {

enum class Section { None, Names, DisplayName, Smiles, Sfunc, Atoms, Bonds, Energies, Replace, Update };

struct Header {
  const char* text;
  Section section;
};

// Compared in this order, each over its own length, so "#ATOMS extra" still opens the atoms.
const Header kHeaders[] = {
    {"#NAMES", Section::Names},       {"#DISPLAY_NAME", Section::DisplayName},
    {"#SMILES", Section::Smiles},     {"#SFUNC", Section::Sfunc},
    {"#ATOMS", Section::Atoms},       {"#BONDS", Section::Bonds},
    {"#ENERGIES", Section::Energies}, {"#REPLACE", Section::Replace},
    {"#UPDATE", Section::Update}};

const char* const kLineEnds = "\r\n\t ";
constexpr int kSphereTessellation = 20;
constexpr int kAxisTessellation = 4;
constexpr float kTinyDirection = 0.0001f;   // direction components below this count as 0
constexpr float kHalfPi = 1.57079632679f;

std::string trimmed(const std::string& s, const char* characters) {
  const size_t first = s.find_first_not_of(characters);
  if (first == std::string::npos) return "";
  const size_t last = s.find_last_not_of(characters);
  return s.substr(first, last - first + 1);
}

std::vector<std::string> fieldsOf(std::istream& record) {
  std::vector<std::string> fields;
  std::string field;
  while (record >> field) fields.push_back(field);
  return fields;
}

// A whole token as a finite float; false (value untouched) otherwise.
bool parseFloat(const std::string& token, float& value) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const float v = std::strtof(token.c_str(), &end);
  if (end == nullptr || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  return true;
}

// A whole token as an integer within int range; false otherwise.
bool parseInt(const std::string& token, long& value) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(token.c_str(), &end, 10);
  if (end == nullptr || *end != '\0' || errno == ERANGE || v < -2147483647L || v > 2147483647L)
    return false;
  value = v;
  return true;
}

// Numeric field i of an atom record: 0 when missing; a field that is no number is reported
// and also taken as 0.
float atomNumber(const std::vector<std::string>& fields, size_t i) {
  if (i >= fields.size()) return 0.0f;
  float value = 0.0f;
  if (!parseFloat(fields[i], value))
    ErrorLine() << "Error: parseKvtFile: bad number \"" << fields[i] << "\" in an atom record";
  return value;
}

std::string atomString(const std::vector<std::string>& fields, size_t i) {
  return i < fields.size() ? fields[i] : std::string();
}

SSEMatrix4x4f translationTo(const SSEVector4f& p) {
  SSEMatrix4x4f m;
  m.m[12] = p.x;
  m.m[13] = p.y;
  m.m[14] = p.z;
  return m;
}

}  // namespace

Molecule* IOEngine::parseKvtFile(const std::string& fileName) {
  return parseKvtFile(fileName.c_str());
}

Molecule* IOEngine::parseKvtFile(const char* fileName) {
  if (fileName == nullptr) return nullptr;
  std::ifstream in(fileName);
  if (!in) {
    ErrorLine() << "Error: cannot open file " << fileName;
    return nullptr;
  }
  return parseKvtStream(in, fileName);
}

Molecule* IOEngine::parseKvtStream(std::istream& in, const std::string& place) {
  UtilityEngine* utility = UtilityEngine::instance();
  Molecule* molecule = nullptr;
  Section section = Section::None;
  std::string raw;
  while (std::getline(in, raw)) {
    const std::string line = trimmed(raw, kLineEnds);
    if (line.empty() || line.compare(0, 2, "//") == 0) continue;

    std::string upper = line;
    utility->toUpper(upper);
    bool isHeader = false;
    for (const Header& h : kHeaders) {
      if (upper.compare(0, std::char_traits<char>::length(h.text), h.text) != 0) continue;
      isHeader = true;
      section = h.section;
      if (section == Section::Names) {
        if (molecule != nullptr) {
          // One molecule per file: a second one would be merged into the first.
          ErrorLine() << "Error: parseKvtFile: second #NAMES in \"" << place << "\"";
          delete molecule;
          return nullptr;
        }
        molecule = Builder::instance()->createMolecule();
      }
      break;
    }
    if (isHeader) continue;
    if (molecule == nullptr) return nullptr;   // data before "#NAMES": not a molecule file

    // Names, display name and SMILES keep their text as written: "F/C=C/F" and "c1ccccc1"
    // mean other molecules when cut at the slash or upper-cased.
    if (section == Section::Names) {
      molecule->names.push_back(line);
      continue;
    }
    if (section == Section::DisplayName) {
      molecule->displayName = line;
      continue;
    }
    if (section == Section::Smiles) {
      molecule->smiles = line;
      continue;
    }

    // Records are cut at the first slash; what is left is upper-cased.
    std::string record = upper.substr(0, upper.find('/'));
    record = trimmed(record, kLineEnds);
    // A record emptied by the cut is skipped: an atom with all defaults would shift every
    // later index.
    if (record.empty()) continue;
    std::istringstream fields(record);
    switch (section) {
      case Section::Energies:
        setEnergies(molecule, fields);
        break;
      case Section::Sfunc:
        setSfunc(molecule, fields);
        break;
      case Section::Atoms:
        makeAtom(molecule, fields);
        break;
      case Section::Bonds:
        if (!makeBond(molecule, fields)) {
          ErrorLine() << "Failed to parse bond";
          delete molecule;
          return nullptr;
        }
        break;
      case Section::Replace:
        parseReplace(molecule, record);
        break;
      case Section::Update:
        parseUpdate(molecule, record);
        break;
      default:
        break;
    }
  }
  if (molecule == nullptr) return nullptr;

  molecule->positions.assign(molecule->atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  for (size_t i = 0; i < molecule->atoms.size(); ++i) {
    const Spheroid* sphere = molecule->atoms[i]->sphere;
    if (sphere != nullptr)
      molecule->positions[i] = SSEVector4f(sphere->centre.x, sphere->centre.y, sphere->centre.z,
                                           1.0f);
  }
  molecule->setAllAtomPositions();
  setCoordinates(molecule);
  molecule->findValenceVector();
  molecule->isOptimized = true;
  return molecule;
}

void IOEngine::setEnergies(Molecule* molecule, std::istream& record) {
  if (molecule == nullptr) return;
  const std::vector<std::string> f = fieldsOf(record);
  float* targets[] = {&molecule->energyCorrection, &molecule->totalBondEnergy,
                      &molecule->heatOfFormation, &molecule->dipoleMoment};
  for (size_t i = 0; i < 4; ++i) {
    float value = 0.0f;
    if (i < f.size() && !parseFloat(f[i], value))
      ErrorLine() << "Error: parseKvtFile: bad energy \"" << f[i] << "\"";
    *targets[i] = value;
  }
}

void IOEngine::setSfunc(Molecule* molecule, std::istream& record) {
  if (molecule == nullptr) return;
  const std::vector<std::string> f = fieldsOf(record);
  long flag = 0;
  if (!f.empty() && parseInt(f[0], flag) && flag != 0) molecule->sfunc = "Special";
}

void IOEngine::makeAtom(Molecule* molecule, std::istream& record) {
  if (molecule == nullptr) return;
  const std::vector<std::string> f = fieldsOf(record);
  Atom* atom = Builder::instance()->createAtom();
  atom->element = atomString(f, 0);
  if (atom->element.size() == 2) {
    atom->element[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(atom->element[0])));
    atom->element[1] = static_cast<char>(std::tolower(static_cast<unsigned char>(atom->element[1])));
  }
  atom->type = atomString(f, 1);
  atom->superType = atomString(f, 2);
  atom->name = atomString(f, 3);
  atom->mass = atomNumber(f, 4);
  atom->radius = atomNumber(f, 5);
  atom->groupName = atomString(f, 6);
  atom->groupIndex = atomString(f, 7);
  atom->groupInstance = atomString(f, 8);
  atom->piElectrons = static_cast<int>(atomNumber(f, 9));
  const float charge = atomNumber(f, 10);
  // Truncated toward zero; a charge beyond any chemistry is taken as 0 rather than overflow.
  atom->charge = std::fabs(charge) < 1000.0f ? static_cast<int>(charge) : 0;
  const SSEVector4f p(atomNumber(f, 11), atomNumber(f, 12), atomNumber(f, 13), 1.0f);
  atom->position = p;
  atom->isPlaced = true;

  Spheroid* sphere = new Spheroid(1.0f, atom->radius, atom->radius);
  sphere->rings = kSphereTessellation;
  sphere->segments = kSphereTessellation;
  sphere->owner = atom;
  sphere->kind = 0;
  sphere->centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  sphere->focus1 = sphere->centre;
  sphere->focus2 = sphere->centre;
  SSEMatrix4x4f move = translationTo(p);
  sphere->transformCenterAndFoci(&move);
  atom->sphere = sphere;
  if (!molecule->addAtom(atom)) delete atom;
}

bool IOEngine::makeBond(Molecule* molecule, std::istream& record) {
  if (molecule == nullptr) return false;
  const std::vector<std::string> f = fieldsOf(record);
  // The two indices, the order and four numbers must be there: without them the bond has no
  // defined geometry.
  if (f.size() < 7) return false;
  long first = -1;
  long second = -1;
  long order = 0;
  float energy = 0.0f;
  float focalDistance = 0.0f;
  float majorAxis = 0.0f;
  float moment = 0.0f;
  if (!parseInt(f[0], first) || !parseInt(f[1], second) || !parseInt(f[2], order) ||
      !parseFloat(f[3], energy) || !parseFloat(f[4], focalDistance) ||
      !parseFloat(f[5], majorAxis) || !parseFloat(f[6], moment))
    return false;
  long kind = -1;
  long inRing = 0;
  long approximated = 0;
  if (f.size() > 7 && !parseInt(f[7], kind)) return false;
  if (f.size() > 11 && !parseInt(f[11], inRing)) return false;
  if (f.size() > 12 && !parseInt(f[12], approximated)) return false;

  const long atomCount = static_cast<long>(molecule->atoms.size());
  if (first < 0 || second < 0 || first >= atomCount || second >= atomCount || first == second)
    return false;
  Atom* atom1 = molecule->atoms[static_cast<size_t>(first)];
  Atom* atom2 = molecule->atoms[static_cast<size_t>(second)];

  Bond* bond = Builder::instance()->createBond();
  bond->atom1 = atom1;
  bond->atom2 = atom2;
  bond->order = static_cast<int>(order);
  bond->energy = energy;
  bond->momentTerm = moment;
  if (molecule->addBond(bond) != 1) {
    delete bond;
    return false;
  }
  atom1->neighbours.push_back(atom2);
  atom2->neighbours.push_back(atom1);
  bond->semiMajorAxis = majorAxis;
  bond->groupName = f.size() > 8 ? f[8] : "";
  bond->groupIndex = f.size() > 9 ? f[9] : "";
  bond->groupInstance = f.size() > 10 ? f[10] : "";
  bond->focalDistance = focalDistance;
  bond->inRing = inRing != 0;
  bond->isApproximated = approximated != 0;
  if (bond->isApproximated) molecule->hasApproximatedParameters = true;

  const double c = bond->focalDistance / 2.0;
  const double a = bond->semiMajorAxis;
  if (std::fabs(c) > std::fabs(a)) return false;
  const float e = a != 0.0 ? static_cast<float>(c / a) : 0.0f;
  const double b = std::sqrt(std::max(0.0, a * a - c * c));
  bond->semiMinorAxis = b;

  SSEVector4f d = atom2->position - atom1->position;
  d.w = 0.0f;
  const float length = d.length();
  if (length > 0.0f) d = d * (1.0f / length);
  if (std::fabs(d.x) < kTinyDirection) d.x = 0.0f;
  if (std::fabs(d.y) < kTinyDirection) d.y = 0.0f;
  if (std::fabs(d.z) < kTinyDirection) d.z = 0.0f;
  const float theta = -std::atan2(d.z, d.x);
  const float phi = std::asin(std::max(-1.0f, std::min(1.0f, d.y)));
  bond->orientation[0] = 0.0f;
  bond->orientation[1] = theta;
  bond->orientation[2] = phi;
  bond->orientation[3] = 1.0f;

  Spheroid* spheroid = new Spheroid(e, static_cast<float>(b), static_cast<float>(a));
  spheroid->focus1 = SSEVector4f(0.0f, 0.0f, static_cast<float>(c), 1.0f);
  spheroid->focus2 = SSEVector4f(0.0f, 0.0f, static_cast<float>(-c), 1.0f);
  spheroid->centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  const bool axis = isDummy(atom1) || isDummy(atom2);
  if (axis) bond->isBondAxis = true;
  spheroid->rings = axis ? kAxisTessellation : kSphereTessellation;
  spheroid->segments = spheroid->rings;
  spheroid->owner = bond;
  spheroid->kind = static_cast<int>(kind);

  SSEVector4f mid = (atom1->position + atom2->position) * 0.5f;
  // Long axis from z onto the bond: a quarter turn about y, then pitch about z, yaw about y
  // and the move to the midpoint.
  SSEMatrix4x4f m;
  SSEMatrix4x4f quarter;
  quarter.createRotateYMatrix(-kHalfPi);
  m *= quarter;
  SSEMatrix4x4f pitch;
  pitch.createRotateZMatrix(phi);
  m *= pitch;
  SSEMatrix4x4f yaw;
  yaw.createRotateYMatrix(theta);
  m *= yaw;
  m *= translationTo(mid);
  spheroid->transformCenterAndFoci(&m);
  bond->spheroid = spheroid;
  return true;
}

namespace {

// Tokens taken two at a time; false (lists untouched) for an odd count.
bool splitPairs(const std::string& line, std::vector<std::string>& from,
                std::vector<std::string>& to) {
  std::vector<std::string> tokens;
  UtilityEngine::instance()->tokenize(line, tokens, " \t");
  if (tokens.size() % 2 != 0) return false;
  for (size_t i = 0; i + 1 < tokens.size(); i += 2) {
    from.push_back(tokens[i]);
    to.push_back(tokens[i + 1]);
  }
  return true;
}

}  // namespace

void IOEngine::parseReplace(Molecule* molecule, const std::string& line) {
  if (molecule == nullptr || trimmed(line, kLineEnds).empty()) return;
  if (!splitPairs(line, molecule->replaceFrom, molecule->replaceTo))
    ErrorLine() << "Error: InCorrect replace";
}

void IOEngine::parseUpdate(Molecule* molecule, const std::string& line) {
  if (molecule == nullptr || trimmed(line, kLineEnds).empty()) return;
  if (!splitPairs(line, molecule->updateFrom, molecule->updateTo)) {
    ErrorLine() << "Error: InCorrect update";
    return;
  }
  molecule->hasUpdateRules = true;
}
