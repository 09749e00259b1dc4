// Reader of the own molecule file ".kv": sections of records that hold everything a finished
// molecule needs, so reading rebuilds only the spheroids and the allowed valences.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "io/InputFile.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/BondSpheroid.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "parameters/ElementSymbols.h"

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

constexpr size_t kAtomFields = 14;
constexpr float kMaxElectronCount = 1000.0f;
constexpr size_t kBondFields = 13;

bool isBondOrder(long order) {
  return order == 1 || order == 2 || order == 3 || order == kAromaticOrder;
}

// Two atoms closer than this are one atom written twice; a bond is no shorter than kShortestBond
// and no longer than kLongestBond (io/InputFile.h).
constexpr float kSamePlace = 0.1f;

}  // namespace

namespace {

// One read of a ".kv" text: the molecule so far, the open section and where each section began,
// so that a message can name the line.
class KvReading {
 public:
  KvReading(IOEngine& io, const std::string& source) : engine(io), place(source) {}

  // One line of the file; false after a message when the file cannot be read on.
  bool readLine(const std::string& raw) {
    ++lineNumber;
    std::string text = raw;
    if (lineNumber == 1) dropByteOrderMark(text);
    const std::string line = trimmed(text, kLineEnds);
    if (line.empty() || line.compare(0, 2, "//") == 0) return true;
    std::string upper = line;
    UtilityEngine::instance()->toUpper(upper);
    for (const Header& h : kHeaders)
      if (upper.compare(0, std::char_traits<char>::length(h.text), h.text) == 0)
        return openSection(h);
    if (!molecule) return fail("data before \"#NAMES\"", line);
    return readData(line, upper);
  }

  // The molecule after the last line, its spheroids rebuilt; null after a message when the file
  // ended before its atoms and bonds were complete or its positions are no finished geometry.
  Molecule* finish() {
    if (!molecule) {
      ErrorLine() << "Error: parseKvtFile: no \"#NAMES\" in \"" << place << "\"";
      return nullptr;
    }
    if (atomsLine == 0 || bondsLine == 0) {
      ErrorLine() << "Error: parseKvtFile: file ends before \"" << (atomsLine == 0 ? "#ATOMS" : "#BONDS")
                  << "\" after " << linePlace(lineNumber, place);
      return nullptr;
    }
    if (molecule->atoms.empty()) {
      ErrorLine() << "Error: parseKvtFile: no atom records after \"#ATOMS\" on "
                  << linePlace(atomsLine, place);
      return nullptr;
    }
    if (!separateAtoms()) return nullptr;
    Molecule* m = molecule.get();
    m->positions.assign(m->atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
    for (size_t i = 0; i < m->atoms.size(); ++i) {
      const Spheroid* sphere = m->atoms[i]->sphere;
      if (sphere != nullptr)
        m->positions[i] = SSEVector4f(sphere->centre.x, sphere->centre.y, sphere->centre.z, 1.0f);
    }
    m->setAllAtomPositions();
    m->findValenceVector();
    // The file holds a finished molecule: only its spheroids are rebuilt, and stored positions
    // the chain refuses make no molecule.
    SetupSteps steps{SetupStep::Spheroids};
    steps.markOptimised = true;
    const SetupResult setup = runSetupChain(*m, steps);
    if (!setup.ok()) {
      ErrorLine() << "Error: parseKvtFile: \"" << place << "\" holds no finished molecule: the "
                  << setupStepName(setup.refused) << " step refused its stored coordinates";
      return nullptr;
    }
    return molecule.release();
  }

 private:
  // False (after a message naming both lines) when two atoms lie on one place: an atom record
  // written twice, which would make a bond of no length.
  bool separateAtoms() {
    const std::vector<Atom*>& atoms = molecule->atoms;
    std::vector<size_t> byX(atoms.size());
    for (size_t i = 0; i < byX.size(); ++i) byX[i] = i;
    std::sort(byX.begin(), byX.end(), [&atoms](size_t a, size_t b) {
      return atoms[a]->position.x < atoms[b]->position.x;
    });
    for (size_t k = 0; k < byX.size(); ++k)
      for (size_t l = k + 1; l < byX.size(); ++l) {
        const Atom* a = atoms[byX[k]];
        const Atom* b = atoms[byX[l]];
        if (b->position.x - a->position.x >= kSamePlace) break;
        if (atomDistance(a, b) >= kSamePlace) continue;
        const size_t first = std::min(byX[k], byX[l]), second = std::max(byX[k], byX[l]);
        ErrorLine() << "Error: parseKvtFile: atom " << second << " (\"" << atoms[second]->name
                    << "\") on " << linePlace(atomLines[second], place) << " lies on atom "
                    << first << " (\"" << atoms[first]->name << "\") of line "
                    << atomLines[first] << ": an atom written twice";
        molecule.reset();
        return false;
      }
    return true;
  }

  // False (after a message) for a bond whose atoms are too far apart or on top of each other.
  bool plausibleBond(const std::string& record) {
    const Bond* b = molecule->bonds.back();
    const float d = atomDistance(b->atom1, b->atom2);
    if (d >= kShortestBond && d <= kLongestBond) return true;
    return fail("bond of " + std::to_string(d) + " A between atom " +
                    std::to_string(b->atom1->id) + " (\"" + b->atom1->name + "\") and atom " +
                    std::to_string(b->atom2->id) + " (\"" + b->atom2->name + "\"), " +
                    (d < kShortestBond ? "atoms on top of each other," : "too long for a bond,"),
                record);
  }

  // An odd list of pairs is passed over with the reader's message and its place.
  void readPairs(const std::string& record, bool update) {
    std::vector<std::string> tokens;
    UtilityEngine::instance()->tokenize(record, tokens, " \t");
    if (tokens.size() % 2 != 0) {
      ErrorLine() << (update ? "Error: InCorrect update" : "Error: InCorrect replace") << " \""
                  << record << "\" on " << linePlace(lineNumber, place);
      return;
    }
    if (update)
      engine.parseUpdate(molecule.get(), record);
    else
      engine.parseReplace(molecule.get(), record);
  }

  bool fail(const std::string& what, const std::string& line) {
    ErrorLine() << "Error: parseKvtFile: " << what << " \"" << line << "\" on "
                << linePlace(lineNumber, place);
    molecule.reset();
    return false;
  }

  bool openSection(const Header& header) {
    section = header.section;
    if (section == Section::Names) {
      // One molecule per file: a second one would be merged into the first.
      if (molecule) return fail("second", "#NAMES");
      molecule.reset(Builder::instance()->createMolecule());
    } else if (section == Section::Atoms) {
      // A second atom block would shift the atoms every bond refers to.
      if (atomsLine != 0) return fail("second", "#ATOMS");
      atomsLine = lineNumber;
    } else if (section == Section::Bonds && bondsLine == 0) {
      bondsLine = lineNumber;
    }
    return true;
  }

  bool readData(const std::string& line, const std::string& upper) {
    // Names, display name and SMILES keep their text as written: "F/C=C/F" and "c1ccccc1"
    // mean other molecules when cut at the slash or upper-cased.
    Molecule* m = molecule.get();
    switch (section) {
      case Section::Names: m->names.push_back(line); return true;
      case Section::DisplayName: m->displayName = line; return true;
      case Section::Smiles: m->smiles = line; return true;
      default: break;
    }
    // Records are cut at the first slash; what is left is upper-cased. A record emptied by the
    // cut is skipped: an atom with all defaults would shift every later index.
    const std::string record = trimmed(upper.substr(0, upper.find('/')), kLineEnds);
    if (record.empty()) return true;
    std::istringstream fields(record);
    std::string problem;
    switch (section) {
      case Section::Energies:
        return engine.setEnergies(m, fields) || fail("bad energy record", record);
      case Section::Sfunc: engine.setSfunc(m, fields); return true;
      case Section::Atoms:
        if (m->atoms.size() >= Molecule::maxAtoms)
          return fail("more than " + std::to_string(Molecule::maxAtoms) +
                          " atoms, the most a molecule may have, at atom record",
                      record);
        if (!engine.makeAtom(m, fields, &problem)) return fail(problem, record);
        atomLines.push_back(lineNumber);
        return true;
      case Section::Bonds:
        if (!engine.makeBond(m, fields)) {
          ErrorLine() << "Failed to parse bond \"" << record << "\" on "
                      << linePlace(lineNumber, place);
          molecule.reset();
          return false;
        }
        return plausibleBond(record);
      case Section::Replace: readPairs(record, false); return true;
      case Section::Update: readPairs(record, true); return true;
      default: return true;
    }
  }

  IOEngine& engine;
  const std::string& place;
  std::unique_ptr<Molecule> molecule;
  Section section = Section::None;
  int lineNumber = 0;
  int atomsLine = 0;   // line of the "#ATOMS" header, 0 before it
  int bondsLine = 0;   // line of the first "#BONDS" header, 0 before it
  std::vector<int> atomLines;   // the line of each atom record
};

}  // namespace

Molecule* IOEngine::parseKvtFile(const std::string& fileName) {
  return parseKvtFile(fileName.c_str());
}

Molecule* IOEngine::parseKvtFile(const char* fileName) {
  if (fileName == nullptr) return nullptr;
  std::ifstream in;
  std::string reason;
  if (!openInputFile(fileName, in, reason)) {
    // The file's name right after the words of the message; a folder says so after it.
    ErrorLine() << "Error: cannot open file " << fileName
                << (reason == "cannot open file" ? "" : " (" + reason + ")");
    return nullptr;
  }
  return parseKvtStream(in, fileName);
}

Molecule* IOEngine::parseKvtStream(std::istream& in, const std::string& place) {
  KvReading reading(*this, place);
  std::string raw;
  while (readTextLine(in, raw))
    if (!reading.readLine(raw)) return nullptr;
  return reading.finish();
}

bool IOEngine::setEnergies(Molecule* molecule, std::istream& record) {
  if (molecule == nullptr) return false;
  const std::vector<std::string> f = fieldsOf(record);
  float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};   // a missing value leaves 0
  for (size_t i = 0; i < 4 && i < f.size(); ++i)
    if (!parseFloat(f[i], values[i])) return false;
  molecule->energyCorrection = values[0];
  molecule->totalBondEnergy = values[1];
  molecule->heatOfFormation = values[2];
  molecule->dipoleMoment = values[3];
  return true;
}

void IOEngine::setSfunc(Molecule* molecule, std::istream& record) {
  if (molecule == nullptr) return;
  const std::vector<std::string> f = fieldsOf(record);
  long flag = 0;
  if (!f.empty() && parseInt(f[0], flag) && flag != 0) molecule->sfunc = "Special";
}

bool IOEngine::makeAtom(Molecule* molecule, std::istream& record, std::string* problem) {
  if (molecule == nullptr) return false;
  auto refuse = [problem](const std::string& why) {
    if (problem != nullptr) *problem = why;
    return false;
  };
  const std::vector<std::string> f = fieldsOf(record);
  if (f.size() < kAtomFields) return refuse("short atom record");
  // "R" is the open end of a bond axis; every other atom is an element.
  const std::string element = f[0] == "R" ? f[0] : standardElementSymbol(f[0]);
  if (element.empty()) return refuse("unknown element \"" + f[0] + "\" in atom record");
  // Fields 5, 6 and 10 to 14: mass, radius, pi electrons, charge, x, y, z.
  float number[kAtomFields] = {};
  for (size_t i : {4u, 5u, 9u, 10u, 11u, 12u, 13u})
    if (!parseFloat(f[i], number[i])) return refuse("bad number \"" + f[i] + "\" in atom record");
  // A count no atom has ("1e38") would not even fit the integer field.
  if (std::fabs(number[9]) >= kMaxElectronCount)
    return refuse("bad pi-electron count \"" + f[9] + "\" in atom record");

  Atom* atom = Builder::instance()->createAtom();
  atom->element = element;
  atom->type = f[1];
  atom->superType = f[2];
  atom->name = f[3];
  atom->mass = number[4];
  atom->radius = number[5];
  atom->groupName = f[6];
  atom->groupIndex = f[7];
  atom->groupInstance = f[8];
  atom->piElectrons = static_cast<int>(number[9]);
  // Truncated toward zero; a charge beyond any chemistry is taken as 0 rather than overflow.
  atom->charge = std::fabs(number[10]) < 1000.0f ? static_cast<int>(number[10]) : 0;
  const SSEVector4f p(number[11], number[12], number[13], 1.0f);
  atom->position = p;
  atom->isPlaced = true;

  Spheroid* sphere = new Spheroid(1.0f, atom->radius, atom->radius);
  sphere->rings = kSphereTessellation;
  sphere->segments = kSphereTessellation;
  sphere->owner = atom;
  sphere->kind = SpheroidKind::AtomSphere;
  sphere->centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  sphere->focus1 = sphere->centre;
  sphere->focus2 = sphere->centre;
  SSEMatrix4x4f move = translationMatrix(p);
  sphere->transformCenterAndFoci(&move);
  atom->sphere = sphere;
  if (!molecule->addAtom(atom)) {
    delete atom;
    return refuse("atom refused by the molecule");
  }
  return true;
}

bool IOEngine::makeBond(Molecule* molecule, std::istream& record) {
  if (molecule == nullptr) return false;
  const std::vector<std::string> f = fieldsOf(record);
  if (f.size() < kBondFields) return false;
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
  long kind = SpheroidKind::Unset;
  long inRing = 0;
  long approximated = 0;
  if (!parseInt(f[7], kind) || !parseInt(f[11], inRing) || !parseInt(f[12], approximated) ||
      !isBondOrder(order))
    return false;

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
  bond->groupName = f[8];
  bond->groupIndex = f[9];
  bond->groupInstance = f[10];
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

  Spheroid* spheroid = buildBondSpheroid(bond, atom1->position, atom2->position, a, b, c, e);
  const bool axis = isDummy(atom1) || isDummy(atom2);
  if (axis) bond->isBondAxis = true;
  spheroid->rings = axis ? kAxisTessellation : kSphereTessellation;
  spheroid->segments = spheroid->rings;
  spheroid->kind = static_cast<int>(kind);
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
