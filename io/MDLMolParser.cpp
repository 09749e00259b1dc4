// Reading MDL V2000 mol and SD files. Fields are taken from their fixed columns, and every
// number is parsed with an end check, so a shifted or damaged line fails the read with a
// message instead of being misread.

#include "io/MDLMolParser.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

#include "construction/HandsFromCoordinates.h"
#include "construction/SetupChain.h"
#include "io/AssumedCharges.h"
#include "io/FileTypes.h"
#include "io/InputFile.h"
#include "io/SmilesWriter.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/ElementSymbols.h"

std::ofstream MDLMolParser::ErrorFile;
int MDLMolParser::IsErrorFile = 0;

namespace {

const size_t kLineWidth = 80;         // atom and bond lines are padded to this width
const int kMaxChargeEntries = 8;      // entries on one "M  CHG" line
const int kMaxValenceCode = 15;       // the valence column's largest code; 15 means zero
const int kMaxFormalCharge = 15;

// For failures that belong to no line: a path, or a molecule being written.
void reportProblem(const std::string& what, const std::string& input) {
  ErrorLine() << "Error: MDLMolParser: " << what << " \"" << input << "\"";
}

std::string trimmed(const std::string& text) {
  const char* blanks = "\r\n\t ";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Columns first to last, counted from 1, both included; what lies beyond the line is blank.
std::string columns(const std::string& line, size_t first, size_t last) {
  if (first - 1 >= line.size()) return std::string();
  return line.substr(first - 1, last - first + 1);
}

void padTo(std::string& line, size_t width) {
  if (line.size() < width) line.append(width - line.size(), ' ');
}

bool startsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

// A whole field as an integer. A blank field is 0 when blankIsZero, else an error.
bool readInt(const std::string& field, bool blankIsZero, int& out) {
  const std::string text = trimmed(field);
  if (text.empty()) {
    out = 0;
    return blankIsZero;
  }
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || errno == ERANGE || value < INT_MIN || value > INT_MAX)
    return false;
  out = static_cast<int>(value);
  return true;
}

bool readCoordinate(const std::string& field, float& out) {
  const std::string text = trimmed(field);
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value) ||
      std::fabs(value) > 1.0e6)
    return false;
  out = static_cast<float>(value);
  return true;
}

// The atom block's charge code: 4 (doublet radical) and unknown codes carry no charge.
int chargeFromCode(int code) {
  switch (code) {
    case 1: return 3;
    case 2: return 2;
    case 3: return 1;
    case 5: return -1;
    case 6: return -2;
    case 7: return -3;
    default: return 0;
  }
}

// A stated valence that is the element's usual one keeps the atom's status flag; any other
// (an unusual valence, or any stated valence of a halogen) clears it.
bool isUsualValence(const std::string& element, int valence) {
  if (element == "C") return valence == 4;
  if (element == "H") return valence == 1;
  if (element == "B") return valence == 3 || valence == 4;
  if (element == "N" || element == "P") return valence == 3;
  if (element == "O") return valence == 2;
  if (element == "S") return valence == 6;
  return false;
}

// Lines of one record, numbered for messages; line ends of other systems are dropped.
class RecordLines {
 public:
  RecordLines(std::istream& stream, int firstLine, const std::string& source)
      : in(stream), number(firstLine - 1), file_(source) {}
  bool next(std::string& line) {
    if (!readTextLine(in, line)) return false;
    if (++number == 1) dropByteOrderMark(line);
    return true;
  }
  int lineNumber() const { return number; }
  const std::string& file() const { return file_; }
  std::string place() const { return linePlace(std::max(number, 1), file_); }
  // One line "Error: MDLMolParser: what "input" on line 4 of "a.mol"" for the current line.
  void report(const std::string& what, const std::string& input) const {
    ErrorLine() << "Error: MDLMolParser: " << what << " \"" << input << "\" on " << place();
  }

 private:
  std::istream& in;
  int number;
  const std::string& file_;
};

// "M  ISOnn8 aaa vvv ...": mass numbers of the atoms named.
bool readIsotopeLine(const std::string& input, const RecordLines& lines, Molecule& m) {
  std::string line = input;
  int count = 0;
  if (!readInt(columns(line, 7, 9), false, count) || count < 1 || count > kMaxChargeEntries) {
    lines.report("bad isotope entry count in", input);
    return false;
  }
  padTo(line, 9 + 8 * static_cast<size_t>(count));
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    int atomNumber = 0;
    int massNumber = 0;
    if (!readInt(columns(line, 10 + 8 * k, 13 + 8 * k), false, atomNumber) ||
        !readInt(columns(line, 14 + 8 * k, 17 + 8 * k), false, massNumber) || atomNumber < 1 ||
        static_cast<size_t>(atomNumber) > m.atoms.size() || massNumber < 1 || massNumber > 999) {
      lines.report("bad isotope entry in", input);
      return false;
    }
    m.atoms[static_cast<size_t>(atomNumber) - 1]->isotope = massNumber;
  }
  return true;
}

// "M  CHGnn8 aaa vvv ...": the entries replace every charge of the atom block, so the first
// such line of a record clears them all.
bool readChargeLine(const std::string& input, const RecordLines& lines, bool& firstChargeLine,
                    Molecule& m) {
  std::string line = input;
  int count = 0;
  if (!readInt(columns(line, 7, 9), false, count) || count < 1 || count > kMaxChargeEntries) {
    lines.report("bad charge entry count in", input);
    return false;
  }
  padTo(line, 9 + 8 * static_cast<size_t>(count));
  if (firstChargeLine) {
    for (Atom* a : m.atoms) a->charge = 0;
    firstChargeLine = false;
  }
  for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
    int atomNumber = 0;
    int charge = 0;
    if (!readInt(columns(line, 10 + 8 * k, 13 + 8 * k), false, atomNumber) ||
        !readInt(columns(line, 14 + 8 * k, 17 + 8 * k), false, charge) || atomNumber < 1 ||
        static_cast<size_t>(atomNumber) > m.atoms.size() || std::abs(charge) > kMaxFormalCharge) {
      lines.report("bad charge entry in", input);
      return false;
    }
    m.atoms[static_cast<size_t>(atomNumber) - 1]->charge = charge;
  }
  return true;
}

// A text line holds no control bytes but tabs; a binary file renamed to .mol has them at once.
bool hasControlBytes(const std::string& line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
  });
}

// Lines 1 to 3 and the counts line. False after a message.
bool readHeader(RecordLines& lines, std::string& name, std::string& counts, int& atomCount,
                int& bondCount) {
  std::string header[4];
  for (int i = 0; i < 4; ++i) {
    if (!lines.next(header[i])) {
      if (i == 0)
        ErrorLine() << "Error: MDLMolParser: nothing to read on " << lines.place();
      else
        lines.report("file ends before the counts line, after", header[i - 1]);
      return false;
    }
    // The record's name is known from its first line, so a record that fails later has one.
    if (i == 0) name = trimmed(header[0]);
    if (hasControlBytes(header[i])) {
      ErrorLine() << "Error: MDLMolParser: not a text mol file: control bytes on "
                  << lines.place();
      return false;
    }
  }
  counts = header[3];
  if (trimmed(counts).empty()) {
    lines.report("empty counts line", counts);
    return false;
  }
  if (counts.find("V3000") != std::string::npos) {
    lines.report("V3000 connection tables are not read; counts line", counts);
    return false;
  }
  if (!readInt(columns(counts, 1, 3), false, atomCount)) {
    lines.report("bad atom count in", counts);
    return false;
  }
  if (!readInt(columns(counts, 4, 6), false, bondCount) || bondCount < 0) {
    lines.report("bad bond count in", counts);
    return false;
  }
  if (atomCount < 1) {
    lines.report("no atoms in counts line", counts);
    return false;
  }
  return true;
}

// The property block, or the record's end, where a line of a block should be.
bool endsBondBlock(const std::string& line) {
  return startsWith(line, "M  ") || line.find("$$$$") != std::string::npos;
}

// As endsBondBlock, and a bond line ("  1  2  1  0"): three numbers where the first coordinate
// should be.
bool endsAtomBlock(const std::string& line) {
  if (endsBondBlock(line)) return true;
  float x = 0.0f;
  int first = 0, second = 0, type = 0;
  return !readCoordinate(columns(line, 1, 10), x) && readInt(columns(line, 1, 3), false, first) &&
         readInt(columns(line, 4, 6), false, second) && readInt(columns(line, 7, 9), false, type);
}

// One atom line, added to m as a new atom. False after a message.
bool readAtomLine(const std::string& input, const RecordLines& lines, bool graphOnly,
                  Molecule& m) {
  std::string line = input;
  padTo(line, kLineWidth);
  float x = 0.0f, y = 0.0f, z = 0.0f;
  if (!readCoordinate(columns(line, 1, 10), x) || !readCoordinate(columns(line, 11, 20), y) ||
      !readCoordinate(columns(line, 21, 30), z)) {
    lines.report("bad coordinate in atom line", input);
    return false;
  }
  std::string symbol = columns(line, 32, 34);
  UtilityEngine::instance()->clearWhiteSpaces(symbol);
  // "R" is the open end of a group's bond axis. Any other symbol must be an element the tables
  // can type, as for every reader: "Xx" is no element, and uranium has no atom type.
  const std::string element = symbol == "R" ? symbol : standardElementSymbol(symbol);
  if (element.empty()) {
    lines.report("bad element symbol in atom line", input);
    return false;
  }
  if (element != "R" && !elementHasAtomType(element)) {
    lines.report("element \"" + element + "\" has no atom type in atom line", input);
    return false;
  }
  int chargeCode = 0;
  int valence = 0;
  if (!readInt(columns(line, 37, 39), true, chargeCode)) {
    lines.report("bad charge code in atom line", input);
    return false;
  }
  if (!readInt(columns(line, 49, 51), true, valence) || valence < 0 ||
      valence > kMaxValenceCode) {
    lines.report("bad valence in atom line", input);
    return false;
  }

  Atom* a = Builder::instance()->createAtom();
  a->charge = chargeFromCode(chargeCode);
  if (graphOnly) {
    a->name = element;
  } else {
    a->element = element;
    a->position = SSEVector4f(x, y, z, 1.0f);
    a->isPlaced = true;
    a->isFixed = false;
  }
  if (valence == 0) {
    a->statusFlag = true;   // no valence stated: left to the valence completion
  } else {
    a->totalValence = valence == kMaxValenceCode ? 0 : valence;
    a->statusFlag = isUsualValence(element, a->totalValence);
  }
  m.addAtom(a);
  a->name = element + std::to_string(a->id + 1);
  return true;
}

// Two atoms closer than kShortestBond (io/InputFile.h) are one atom written twice.

std::string lengthText(float d) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.3f A", static_cast<double>(d));
  return buffer;
}

// A record whose atoms all sit at the origin gives no coordinates: they are made, not checked.
bool hasCoordinates(const Molecule& m) {
  for (const Atom* a : m.atoms)
    if (a->position.x != 0.0f || a->position.y != 0.0f || a->position.z != 0.0f) return true;
  return false;
}

// True when the atoms the record placed do not all lie in the plane z = 0.
bool showsDepth(const Molecule& m) {
  for (const Atom* a : m.atoms)
    if (a != nullptr && a->isPlaced && a->position.z != 0.0f) return true;
  return false;
}

// False (after a message naming both atom lines) when two atoms lie within kShortestBond; with
// onlyUnbonded, when one of them has no bond.
bool separateAtoms(const Molecule& m, const RecordLines& lines, int firstAtomLine,
                   bool onlyUnbonded) {
  std::vector<size_t> byX(m.atoms.size());
  for (size_t i = 0; i < byX.size(); ++i) byX[i] = i;
  std::sort(byX.begin(), byX.end(), [&m](size_t a, size_t b) {
    return m.atoms[a]->position.x < m.atoms[b]->position.x;
  });
  for (size_t k = 0; k < byX.size(); ++k)
    for (size_t l = k + 1; l < byX.size(); ++l) {
      const Atom* a = m.atoms[byX[k]];
      const Atom* b = m.atoms[byX[l]];
      if (b->position.x - a->position.x >= kShortestBond) break;
      const float d = atomDistance(a, b);
      if (d >= kShortestBond || (onlyUnbonded && !a->bonds.empty() && !b->bonds.empty())) continue;
      const size_t first = std::min(byX[k], byX[l]), second = std::max(byX[k], byX[l]);
      ErrorLine() << "Error: MDLMolParser: atom " << m.atoms[second]->name << " on "
                  << linePlace(firstAtomLine + static_cast<int>(second), lines.file())
                  << " lies on atom " << m.atoms[first]->name << " of line "
                  << firstAtomLine + static_cast<int>(first) << " (" << lengthText(d)
                  << " apart)";
      return false;
    }
  return true;
}

// One bond line, added to m. False after a message.
bool readBondLine(const std::string& input, const RecordLines& lines, int atomCount,
                  bool checkLength, Molecule& m, std::vector<DrawnWedge>& wedges) {
  std::string line = input;
  padTo(line, kLineWidth);
  int first = 0, second = 0, type = 0;
  if (!readInt(columns(line, 1, 3), false, first) || !readInt(columns(line, 4, 6), false, second) ||
      !readInt(columns(line, 7, 9), false, type)) {
    lines.report("bad number in bond line", input);
    return false;
  }
  if (first < 1 || second < 1 || first > atomCount || second > atomCount || first == second) {
    lines.report("bad atom number in bond line", input);
    return false;
  }
  if (type < 1 || type > 4) {
    lines.report("unsupported bond type in bond line", input);
    return false;
  }
  const int order = type == 4 ? kAromaticOrder : type;   // type 4 is aromatic
  // A single bond's stereo field: 1 rises from the first atom towards the viewer, 6 falls away.
  int stereo = 0;
  if (order == 1 && readInt(columns(line, 10, 12), true, stereo) && (stereo == 1 || stereo == 6))
    wedges.push_back({first - 1, second - 1, stereo == 1 ? 1 : -1});
  if (checkLength) {
    const Atom* a = m.atoms[static_cast<size_t>(first - 1)];
    const Atom* b = m.atoms[static_cast<size_t>(second - 1)];
    const float d = atomDistance(a, b);
    if (d > kLongestBond || d < kShortestBond) {
      lines.report("bond of " + lengthText(d) + " between atoms " + a->name + " and " + b->name +
                       (d < kShortestBond ? " (on top of each other)" : " (too long for a bond)") +
                       " in bond line",
                   input);
      return false;
    }
  }
  if (m.addBond(static_cast<unsigned>(first - 1), static_cast<unsigned>(second - 1), order) == 0) {
    lines.report("bond refused in bond line", input);
    return false;
  }
  // -1: the two atoms are bonded already; the repeated line is passed over.
  return true;
}

// Property lines up to "M  END"; only the charges are taken. False after a message.
bool readPropertyLines(RecordLines& lines, Molecule& m) {
  bool firstChargeLine = true;
  std::string line;
  while (lines.next(line)) {
    if (startsWith(line, "M  END") || line.find("$$$$") != std::string::npos) break;
    if (startsWith(line, "M  CHG") && !readChargeLine(line, lines, firstChargeLine, m))
      return false;
    if (startsWith(line, "M  ISO") && !readIsotopeLine(line, lines, m)) return false;
  }
  return true;
}

}  // namespace

Molecule* MDLMolParser::readConnectionTable(std::istream& in, std::string& name, int firstLine,
                                            bool graphOnly) {
  drawnRecord = nullptr;
  drawnWedges.clear();
  RecordLines lines(in, firstLine, sourcePath);
  std::string counts;
  int atomCount = 0;
  int bondCount = 0;
  if (!readHeader(lines, name, counts, atomCount, bondCount)) return nullptr;

  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  std::vector<DrawnWedge> wedges;
  std::string line;
  const int countsLine = lines.lineNumber();
  // A block that ends before its count (a bond line where an atom line should be) is the fault
  // of the counts line, not of the line that follows the block.
  auto blameCounts = [&](int read, const char* block, int count) {
    ErrorLine() << "Error: MDLMolParser: counts line gives " << count << " " << block
                << " lines, but the block ends after " << read << " at \"" << line
                << "\"; counts line \"" << counts << "\" on "
                << linePlace(std::max(countsLine, 1), sourcePath);
    return nullptr;
  };
  for (int i = 0; i < atomCount; ++i) {
    if (!lines.next(line)) {
      lines.report("file ends after " + std::to_string(i) + " of " + std::to_string(atomCount) +
                       " atom lines; counts line",
                   counts);
      return nullptr;
    }
    if (endsAtomBlock(line)) return blameCounts(i, "atom", atomCount);
    if (!readAtomLine(line, lines, graphOnly, *m)) return nullptr;
  }
  const bool checkGeometry = !graphOnly && hasCoordinates(*m);
  const int firstAtomLine = lines.lineNumber() - atomCount + 1;
  if (!graphOnly) {
    for (const Atom* a : m->atoms) m->positions.push_back(a->position);
    // Named at once, so that the messages of typing and parameters name it.
    if (!name.empty()) m->names.push_back(name);
  }
  for (int i = 0; i < bondCount; ++i) {
    if (!lines.next(line)) {
      lines.report("file ends after " + std::to_string(i) + " of " + std::to_string(bondCount) +
                       " bond lines; counts line",
                   counts);
      return nullptr;
    }
    if (endsBondBlock(line)) return blameCounts(i, "bond", bondCount);
    if (!readBondLine(line, lines, atomCount, checkGeometry, *m, wedges)) return nullptr;
  }
  // A drawing (every z 0) may overlap bonded atoms, hydrogens most of all; there only an atom
  // without bonds on top of another is refused, a copy of it.
  bool flat = true;
  for (const Atom* a : m->atoms) flat = flat && a->position.z == 0.0f;
  if (checkGeometry && !separateAtoms(*m, lines, firstAtomLine, flat)) return nullptr;
  if (!readPropertyLines(lines, *m)) return nullptr;
  // Aromatic bond types need the charges of the property lines to find their Kekule form.
  if (!graphOnly && !kekulizeAromaticBonds(m.get())) {
    ErrorLine() << "Error: MDLMolParser: aromatic bonds with no Kekule form in record \"" << name
                << "\" on " << linePlace(firstLine, sourcePath);
    return nullptr;
  }
  // Charges the record leaves out on nitrogens with four or five bonds; said once per record.
  if (!graphOnly) {
    const AssumedCharges assumed = assumeNitrogenCharges(*m);
    if (!assumed.empty())
      ErrorLine() << "Warning: MDLMolParser: record \"" << name << "\" on "
                  << linePlace(firstLine, sourcePath) << ": assumed charges the file leaves out: "
                  << assumed.describe([](const Atom* a) { return a->name; });
  }
  // A drawing shows its hands by wedges; a record in depth by its coordinates.
  if (!graphOnly && flat && !wedges.empty()) {
    drawnRecord = m.get();
    drawnWedges = wedges;
  }
  if (!graphOnly && !checkGeometry && m->atoms.size() > 1)
    ErrorLine() << "Warning: MDLMolParser: every atom of record \"" << name
                << "\" lies at 0,0,0 on " << linePlace(firstLine, sourcePath)
                << ": no coordinates, the molecule is built from its connectivity";
  return m.release();
}

void MDLMolParser::perceive(Molecule* m) {
  if (m == nullptr) return;
  // Hydrogens the file lists are all the atom has: a file that gives hydrogens on carbon gives
  // every hydrogen, one that gives only some (the polar ones) gives all of the atoms that carry
  // them. Valence completion adds none to those atoms.
  bool hydrogenOnCarbon = false;
  std::vector<bool> complete(m->atoms.size(), false);
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    const Atom* a = m->atoms[i];
    for (const Bond* b : a->bonds) {
      const Atom* other = b->atom1 == a ? b->atom2 : b->atom1;
      if (other == nullptr || other->element != "H" || a->element == "H") continue;
      complete[i] = true;
      if (a->element == "C") hydrogenOnCarbon = true;
    }
  }
  m->findValenceVector();
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    Atom* a = m->atoms[i];
    if (a->element == "H" || a->element == "R" || !(hydrogenOnCarbon || complete[i])) continue;
    a->allowedValences = {a->getValence()};
  }
  m->fillTotalAndUsedValence();
  m->findAllSmallestRings();
  if (m->atoms.size() + m->countMissingHydrogens() <= Molecule::maxAtoms) m->addMissingHydrogens();
  for (Atom* a : m->atoms) {
    if (a->name.empty()) a->name = a->element + std::to_string(a->id);
  }
  m->findBestAtomType();
  // The hands a three-dimensional record shows are the hands the molecule keeps: the chain
  // builds, checks and mends labelled centres and double bonds. A drawing (every z 0) shows
  // them by its wedges only.
  if (showsDepth(*m)) {
    labelHandsFromCoordinates(*m);
  } else if (m == drawnRecord && labelHandsFromDrawing(*m, drawnWedges).centres > 0) {
    // A flat start holds no hand: the molecule is built from its graph and labels, as from
    // SMILES.
    for (Atom* a : m->atoms) a->isPlaced = false;
  }
  drawnRecord = nullptr;
  drawnWedges.clear();
}

bool MDLMolParser::completeMolecule(Molecule* m, const std::string& name) {
  if (m == nullptr) return false;
  // The reader names the molecule as soon as it is read; a caller's molecule gets its name here,
  // before the formula name the chain appends.
  const bool named = !name.empty();
  const bool nameFirst = named && m->getName() != name;
  if (!runSetupChain(*m, SetupSteps::all().without(SetupStep::Perception)).ok()) {
    reportProblem("no sound geometry for", name);
    return false;
  }
  if (nameFirst) m->names.insert(m->names.begin(), name);
  // A molecule with open bond axes is a fragment: it gets no SMILES text.
  if (m->calculateNumBondAxes() == 0) {
    SmilesWriter writer;
    std::string smiles;
    if (writer.createSmilesFromMolecule(m, smiles)) {
      m->smiles = smiles;
      if (!named) m->names.push_back(smiles);
    }
  }
  return true;
}

Molecule* MDLMolParser::parseRecord(std::istream& in, int firstLine, std::string& name) {
  Molecule* m = readConnectionTable(in, name, firstLine, false);
  if (m == nullptr) return nullptr;
  std::cout << " PARSING " << name << "\n";
  UtilityEngine::instance()->printToConsole("");
  UtilityEngine::instance()->printToConsole("Parsing molecule " + name);
  perceive(m);
  if (!completeMolecule(m, name)) {
    delete m;
    return nullptr;
  }
  return m;
}

Molecule* MDLMolParser::parseMDLMolFile(std::istream& in) {
  std::string name;
  return parseRecord(in, 1, name);
}

bool MDLMolParser::openFile(const char* path, std::ifstream& in) {
  std::string reason;
  if (!openInputFile(path, in, reason)) {
    reportProblem(reason, path);
    return false;
  }
  sourcePath = path;
  return true;
}

bool MDLMolParser::readMolFile(const std::string& path, const RecordSink& take) {
  std::ifstream in;
  if (!openFile(path.c_str(), in)) return false;
  FileRecord record;
  record.firstLine = 1;
  record.molecule = parseRecord(in, 1, record.name);
  sourcePath.clear();
  take(record);
  return true;
}

Molecule* MDLMolParser::parseMDLMolFile(const char* path) {
  if (path == nullptr) return nullptr;
  Molecule* m = nullptr;
  if (!readMolFile(path, [&m](FileRecord& record) { m = record.molecule; })) return nullptr;
  return m;
}

Molecule* MDLMolParser::parseMDLMolFile(const std::string& path) {
  return parseMDLMolFile(path.c_str());
}

Molecule* MDLMolParser::readMDLMolGraph(const char* path) {
  if (path == nullptr) return nullptr;
  std::ifstream in;
  if (!openFile(path, in)) return nullptr;
  std::string name;
  Molecule* m = readConnectionTable(in, name, 1, true);
  sourcePath.clear();
  return m;
}

std::vector<std::pair<std::string, int> > MDLMolParser::splitSDRecords(std::istream& in) {
  std::vector<std::pair<std::string, int> > records;
  std::string record;
  bool onlyBlank = true;
  int lineNumber = 0;
  int firstLine = 1;
  std::string line;
  auto close = [&]() {
    if (!onlyBlank) records.emplace_back(record, firstLine);
    record.clear();
    onlyBlank = true;
    firstLine = lineNumber + 1;
  };
  while (readTextLine(in, line)) {
    if (++lineNumber == 1) dropByteOrderMark(line);
    if (line.find("$$$$") != std::string::npos) {
      close();
      continue;
    }
    if (!trimmed(line).empty()) onlyBlank = false;
    record += line;
    record += '\n';
  }
  close();
  return records;
}

bool MDLMolParser::parseSDFile(const char* path, std::vector<Molecule*>& out, int& count) {
  if (path == nullptr) return false;
  int read = 0;
  if (!readSDFile(path, collectMolecules(out, read))) return false;
  count = read;
  return true;
}

void MDLMolParser::parseSDFile(std::istream& in, std::vector<Molecule*>& out, int& count) {
  count = 0;
  readSDRecords(in, collectMolecules(out, count));
}

bool MDLMolParser::readSDFile(const std::string& path, const RecordSink& take) {
  std::ifstream in;
  if (!openFile(path.c_str(), in)) return false;
  readSDRecords(in, take);
  sourcePath.clear();
  return true;
}

void MDLMolParser::readSDRecords(std::istream& in, const RecordSink& take) {
  UtilityEngine* utility = UtilityEngine::instance();
  const int savedPrintLevel = utility->printLevel;
  int read = 0;
  const std::vector<std::pair<std::string, int> > records = splitSDRecords(in);
  if (records.empty()) reportProblem("no records in", sourcePath.empty() ? "the input" : sourcePath);
  for (const auto& entry : records) {
    processPendingEventsAndInput();   // between two molecules: the window answers the user
    std::istringstream text(entry.first);
    FileRecord record;
    record.firstLine = entry.second;
    record.molecule = parseRecord(text, entry.second, record.name);
    utility->printLevel = 1;
    if (record.molecule != nullptr) std::cout << "-----------------------" << ++read << "\n";
    take(record);
  }
  utility->printLevel = savedPrintLevel;
}

int MDLMolParser::loadMolFilesFromDirectory(const char* dir, std::vector<Molecule*>& out) {
  namespace fs = std::filesystem;
  if (dir == nullptr) return 0;
  UtilityEngine::instance()->printLevel = 1;
  // Walked without exceptions: an entry that cannot be examined is skipped. Sorted, so that
  // the molecules come in the same order on every machine.
  std::vector<std::string> paths;
  auto collect = [&paths](const fs::path& p) { paths.push_back(p.string()); };
  if (!walkFolder(dir, FolderWalk(), collect)) {
    reportProblem("cannot read folder", dir);
    return 0;
  }
  std::sort(paths.begin(), paths.end());

  // Each file is read by the reader its type names.
  int count = 0;
  for (const std::string& path : paths) {
    const FileType* type = fileTypeOf(path, kFolderImportUse);
    if (type == nullptr) continue;
    processPendingEventsAndInput();   // between two molecules: the window answers the user
    type->read(path, collectMolecules(out, count));
  }
  return count;
}
