// Reading PDB coordinate files. Every field is taken from its fixed columns and every number is
// parsed with an end check, so touching coordinates ("-1.234-100.567") read correctly, and an
// atom line that cannot be read fails the file with a message naming the line instead of being
// misread or dropped.

#include "io/PDBParser.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <unordered_map>

#include "construction/SetupChain.h"
#include "io/AssumedCharges.h"
#include "io/IOEngine.h"
#include "io/InputFile.h"
#include "io/LigandBondOrders.h"
#include "io/MoleculeEngine.h"
#include "io/ResidueCompleteness.h"
#include "io/SmilesWriter.h"
#include "math/FileNames.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/ElementSymbols.h"
#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

namespace {

const size_t kRecordWidth = 80;
// Molecules this large get no SMILES text and no dipole: both walk the whole molecule and a
// protein's text is of no use to anyone.
const size_t kLargeMoleculeAtoms = 200;
// Two atoms of one model closer than this are one atom written twice.
const float kStackedDistance = 0.1f;
// A bond a record lists is refused beyond kLongestBond or below kShortestBond (io/InputFile.h).
// Two cysteine sulfurs this close are bridged, whether or not a record says so.
const float kDisulfideDistance = 2.2f;

std::string columns(const std::string& line, size_t first, size_t last) {
  if (first - 1 >= line.size()) return std::string();
  return line.substr(first - 1, last - first + 1);
}

std::string withoutBlanks(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out.push_back(c);
  return out;
}

// An integer field; no digits, or anything after them, reads as 0 (and valid is cleared).
int readInt(const std::string& field, bool* valid = nullptr) {
  const std::string text = withoutBlanks(field);
  if (valid != nullptr) *valid = false;
  if (text.empty()) return 0;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || errno == ERANGE || value < INT_MIN ||
      value > INT_MAX)
    return 0;
  if (valid != nullptr) *valid = true;
  return static_cast<int>(value);
}

// The eight columns of a coordinate hold at most 9999.999; a number far beyond that ("4.e41")
// is no coordinate, and would not even fit a float.
const double kLargestCoordinate = 1.0e6;

bool readCoordinate(const std::string& field, float& out) {
  const std::string text = withoutBlanks(field);
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value) ||
      std::fabs(value) > kLargestCoordinate)
    return false;
  out = static_cast<float>(value);
  return true;
}

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// The element symbol an atom record gives, in the file's letter case; empty when there is none.
// Columns 77-78 when they hold letters; old files keep line numbers there ("1HPV 186"), so
// anything else falls back to the atom name, where the symbol stands right-aligned in columns
// 13-14: " CA " is carbon, "CA  " calcium, "CL1 " chlorine. A digit in column 13 belongs to an
// old-style hydrogen name ("1HB2"). A name that starts with H in column 13 and fills all four
// columns is a hydrogen ("HG21", "HE21"): only hydrogen names are that long and left-aligned.
std::string elementField(const std::string& line) {
  const std::string field = withoutBlanks(columns(line, 77, 78));
  if (!field.empty() && std::all_of(field.begin(), field.end(), isLetter)) return field;
  const std::string name = columns(line, 13, 16);
  const char c13 = name[0];
  const char c14 = name[1];
  if (c13 == ' ' || std::isdigit(static_cast<unsigned char>(c13)))
    return isLetter(c14) ? std::string(1, c14) : std::string();
  if (!isLetter(c13)) return std::string();
  const bool fullName = name.find(' ') == std::string::npos;
  if ((c13 == 'H' || c13 == 'h') && fullName) return "H";
  return isLetter(c14) ? std::string{c13, c14} : std::string(1, c13);
}

// The input as messages name it: the quoted path, or "the input" for a stream.
std::string inputName(const std::string& path) {
  return path.empty() ? "the input" : "\"" + path + "\"";
}

// "LYS A 12", or "LYS 12" in a chain without identifier: a residue in messages.
std::string residueLabel(const std::string& name, const std::string& chain, int number) {
  const std::string id = withoutBlanks(chain);
  return name + " " + (id.empty() ? "" : id + " ") + std::to_string(number);
}

// The residue of an atom read from the file, labelled as residueLabel does.
std::string residueOf(const Atom* atom) {
  return residueLabel(atom->residueName, atom->chainId, atom->residueNumber);
}

// "NZ of LYS A 12": an atom in messages about residues.
std::string residueAtomName(const Atom* atom) { return atom->name + " of " + residueOf(atom); }

// Residues listed in one message before the rest is only counted.
const size_t kResiduesListed = 10;

// The formal charge of columns 79-80 ("1+", "2-"; blank for none); 0 for anything else.
int chargeField(const std::string& line) {
  const std::string field = withoutBlanks(columns(line, 79, 80));
  if (field.size() != 2 || !std::isdigit(static_cast<unsigned char>(field[0])) ||
      (field[1] != '+' && field[1] != '-'))
    return 0;
  return (field[1] == '-' ? -1 : 1) * (field[0] - '0');
}

void stopMessage(const std::string& where) {
  ErrorLine() << "Error: PDBParser::parsePDBFile ENDMDL on " << where;
}

}  // namespace

// What is open while the records are read; each part is owned here until it is appended to its
// parent.
struct PDBParser::ReadState {
  std::unique_ptr<Model> model;
  std::unique_ptr<Chain> chain;
  std::unique_ptr<Residue> residue;
  int residueNumber = 0;
  std::string residueKey;       // insertion code and name: a change starts a new residue too
  std::string currentChainId;
  std::string altLoc;
  int modelCounter = 0;
  size_t modelAtoms = 0;        // atoms read into the open model
  bool hetero = false;
  int lineNumber = 0;

  // Residues are bonded when the whole file is read, so that the "CONECT" records at its end
  // can bond the ligands before their orders are decided.
  void closeResidue() {
    if (!residue) return;
    if (chain)
      chain->residues.push_back(residue.release());
    else
      residue.reset();
  }
  void closeChain() {
    if (!chain) return;
    if (model)
      model->chains.push_back(chain.release());
    else
      chain.reset();
  }
  // A model without atoms gives no molecule.
  void closeModel(std::vector<Model*>& read) {
    closeResidue();
    closeChain();
    if (model && !model->chains.empty())
      read.push_back(model.release());
    else
      model.reset();
  }
};

Chain::~Chain() {
  for (Residue* r : residues) delete r;
}

Model::~Model() {
  for (Chain* c : chains) delete c;
}

PDBParser::~PDBParser() { clearPDBParser(); }

void PDBParser::clearPDBParser() {
  atoms.clear();
  molecules.clear();
  for (Model* m : models) delete m;
  models.clear();
  for (auto& entry : connections) entry.second.clear();
  connections.clear();
  for (Molecule* f : fragments) delete f;
  fragments.clear();
  atomLines.clear();
  fileCharges.clear();
  connectionLines.clear();
  bridges.clear();
}

void PDBParser::parsePDBFile(const std::string& path, std::vector<Molecule*>& out) {
  parsePDBFile(path.c_str(), out);
}

void PDBParser::parsePDBFile(const char* path, std::vector<Molecule*>& out) {
  if (path == nullptr) return;
  std::ifstream in;
  std::string reason;
  if (!openInputFile(path, in, reason)) {
    ErrorLine() << "Eror: IOEngine::readFromPDBFile, can not read file " << path << " ("
                << reason << ")";
    return;
  }
  sourcePath = path;
  parsePDBFile(static_cast<std::istream&>(in), out);
  sourcePath.clear();
}

void PDBParser::parsePDBFile(std::fstream& in, std::vector<Molecule*>& out) {
  parsePDBFile(static_cast<std::istream&>(in), out);
}

void PDBParser::parsePDBFile(std::istream& in, std::vector<Molecule*>& out) {
  std::vector<Molecule*> graphs;
  if (!readGraphs(in, graphs)) return;
  for (Molecule* molecule : graphs) {
    if (!finishGraph(molecule)) {   // too large with its hydrogens, or no sound geometry
      delete molecule;
      continue;
    }
    molecules.push_back(molecule);
    out.push_back(molecule);
  }
}

bool PDBParser::finishGraph(Molecule* molecule) {
  // A file with hydrogens gives charged groups their four bonds: lysine's NZ, arginine's
  // guanidinium, the N-terminal amine. The file holds no charges, so they are assumed.
  const AssumedCharges assumed = assumeNitrogenCharges(*molecule);
  if (!assumed.empty())
    ErrorLine() << "Warning: PDBParser::parsePDBFile model " << molecule->getName() << " of "
                << inputName(sourcePath) << ": assumed charges the file leaves out: "
                << assumed.describe(residueAtomName);
  const bool perceived = molecule->perceiveGraph();
  // The hydrogens a ligand brought kept the completion off its atoms; edits later may add some.
  for (Atom* atom : molecule->atoms) atom->hydrogensFixed = false;
  if (!perceived) {
    ErrorLine() << "Error: PDBParser::parsePDBFile model " << molecule->getName() << " of "
                << inputName(sourcePath) << " would have "
                << molecule->atoms.size() + molecule->countMissingHydrogens()
                << " atoms with its hydrogens, more than the " << Molecule::maxAtoms
                << " a molecule may have";
    return false;
  }
  return finishMolecule(molecule, readHetero);
}

bool PDBParser::readGraphs(std::istream& in, std::vector<Molecule*>& out) {
  clearPDBParser();
  ReadState state;
  if (!readRecords(in, state)) return false;
  if (atoms.empty()) {
    ErrorLine() << "Error: PDBParser::parsePDBFile no atom records in "
                << inputName(sourcePath);
    return false;
  }
  readHetero = state.hetero;
  // Molecules read from a file are named after it: 1abc.pdb gives 1abc_0, 1abc_1, ...
  const std::string base = fileStem(sourcePath);
  for (const Model* model : models)
    if (!checkStackedAtoms(model)) return false;
  std::vector<Molecule*> built;
  for (size_t i = 0; i < models.size(); ++i) {
    const std::string name = sourcePath.empty() ? std::to_string(models[i]->number)
                                                : base + "_" + std::to_string(i);
    reportIncompleteResidues(models[i], name);
    Molecule* molecule = assembleMolecule(models[i], name);
    if (molecule == nullptr) {
      for (Molecule* m : built) delete m;
      return false;
    }
    built.push_back(molecule);
  }
  out.insert(out.end(), built.begin(), built.end());
  return true;
}

std::string PDBParser::place(int line) const { return linePlace(line, sourcePath); }

bool PDBParser::readRecords(std::istream& in, ReadState& state) {
  std::string line;
  while (readTextLine(in, line)) {
    if (++state.lineNumber == 1) dropByteOrderMark(line);
    if (line.size() < kRecordWidth) line.append(kRecordWidth - line.size(), ' ');
    const std::string record = withoutBlanks(columns(line, 1, 6));
    if (record == "MODEL") {
      // A model without "ENDMDL" ends where the next one begins.
      state.closeModel(models);
      state.modelAtoms = 0;
      state.model.reset(new Model());
      state.model->number = readInt(columns(line, 11, 14));
      ++state.modelCounter;
    } else if (record == "ENDMDL" || record == "END") {
      if (!state.model) {
        if (record == "END") continue;
        stopMessage(place(state.lineNumber));
        return false;
      }
      state.closeModel(models);
      state.modelAtoms = 0;
    } else if (record == "TER") {
      if (!state.chain || !state.model) {
        stopMessage(place(state.lineNumber));
        return false;
      }
      state.closeResidue();
      state.closeChain();
    } else if (record == "ATOM" || record == "HETATM") {
      if (!readAtomRecord(line, state)) return false;
    } else if (record == "CONECT") {
      readConectRecord(line, state.lineNumber);
    } else if (record == "SSBOND") {
      readSsbondRecord(line, state.lineNumber);
    }
  }
  state.closeModel(models);
  return true;
}

bool PDBParser::readAtomRecord(const std::string& line, ReadState& state) {
  const bool isHetero = withoutBlanks(columns(line, 1, 6)) == "HETATM";
  const std::string atomName = withoutBlanks(columns(line, 13, 16));
  float x = 0.0f, y = 0.0f, z = 0.0f;
  if (!readCoordinate(columns(line, 31, 38), x) || !readCoordinate(columns(line, 39, 46), y) ||
      !readCoordinate(columns(line, 47, 54), z)) {
    ErrorLine() << "Error: PDBParser::parsePDBFile bad coordinates \"" << columns(line, 31, 54)
                << "\" of atom \"" << atomName << "\" on " << place(state.lineNumber);
    return false;
  }
  const std::string field = elementField(line);
  const std::string element = standardElementSymbol(field);
  // An atom the tables cannot type (a metal ion beside a protein) is left out with a message;
  // the rest of the file is still worth reading.
  if (element.empty()) {
    ErrorLine() << "Error: PDBParser::parsePDBFile unknown element \"" << field << "\" of atom \""
                << atomName << "\" on " << place(state.lineNumber) << ", atom left out";
    return true;
  }
  if (!elementHasAtomType(element)) {
    ErrorLine() << "Error: PDBParser::parsePDBFile element \"" << element << "\" of atom \""
                << atomName << "\" has no atom type, on " << place(state.lineNumber)
                << ", atom left out";
    return true;
  }
  if (state.modelAtoms >= Molecule::maxAtoms) {
    ErrorLine() << "Error: PDBParser::parsePDBFile more than " << Molecule::maxAtoms
                << " atoms in one model, the most a molecule may have, on "
                << place(state.lineNumber);
    return false;
  }
  ++state.modelAtoms;
  if (isHetero) state.hetero = true;
  if (!state.model) {
    state.model.reset(new Model());
    state.model->number = state.modelCounter++;
  }
  const std::string chainId = columns(line, 22, 22);
  if (!state.chain || chainId != state.currentChainId) {
    state.closeResidue();
    state.closeChain();
    state.chain.reset(new Chain());
    state.chain->id = chainId;
    state.currentChainId = chainId;
  }
  // Only the first alternate location indicator met in the file is read; blank is always read.
  const std::string alt = withoutBlanks(columns(line, 17, 17));
  if (!alt.empty()) {
    if (state.altLoc.empty())
      state.altLoc = alt;
    else if (alt != state.altLoc)
      return true;
  }
  const std::string residueName = withoutBlanks(columns(line, 18, 20));
  const int number = readInt(columns(line, 23, 26));
  const std::string key = columns(line, 27, 27) + residueName;
  if (!state.residue || number != state.residueNumber || key != state.residueKey) {
    state.closeResidue();
    Molecule* fragment = Builder::instance()->createMolecule();
    fragments.push_back(fragment);
    fragment->names.push_back(residueName);
    state.residue.reset(new Residue(fragment));
    state.residue->name = residueName;
    state.residueNumber = number;
    state.residueKey = key;
  }
  Atom* atom = Builder::instance()->createAtom();
  atom->name = atomName;
  atom->element = element;
  atom->position = SSEVector4f(x, y, z, 1.0f);
  atom->isPlaced = true;
  atom->isFixed = false;
  atom->chainId = chainId;
  atom->residueName = residueName;
  atom->residueNumber = number;
  atom->isHetero = isHetero;
  atom->serialNumber = readInt(columns(line, 7, 11));
  atom->isPosFix = true;
  // Occupancy and temperature factor are given back by the writer; blank or unreadable fields
  // keep 1 and 0.
  float occupancy = 1.0f, bFactor = 0.0f;
  if (readCoordinate(columns(line, 55, 60), occupancy)) atom->occupancy = occupancy;
  if (readCoordinate(columns(line, 61, 66), bFactor)) atom->bFactor = bFactor;
  Residue& residue = *state.residue;
  residue.fragment->addAtom(atom);
  atoms.push_back(atom);
  atomLines[atom] = state.lineNumber;
  // A charge no atom of the element can carry ("9+" on a carbon) is no charge the file means.
  const int charge = chargeField(line);
  int lowest = 0, highest = 0;
  if (charge != 0 && formalChargeRange(element, lowest, highest) && charge >= lowest &&
      charge <= highest)
    fileCharges[atom] = charge;
  if (atom->name == "N") residue.n = atom;
  else if (atom->name == "C") residue.c = atom;
  else if (atom->name == "P") residue.p = atom;
  else if (atom->name == "O3'") residue.o3 = atom;
  return true;
}

void PDBParser::readConectRecord(const std::string& line, int lineNumber) {
  bool valid = false;
  const int serial = readInt(columns(line, 7, 11), &valid);
  if (!valid) return;
  connectionLines.emplace(serial, lineNumber);
  std::vector<int>& partners = connections[serial];
  // The four bonded-atom fields; the columns after them held hydrogen bonds and salt bridges
  // in older files, and many files keep line numbers at the end.
  for (size_t first = 12; first <= 27; first += 5) {
    const int partner = readInt(columns(line, first, first + 4), &valid);
    if (valid) partners.push_back(partner);
  }
}

void PDBParser::readSsbondRecord(const std::string& line, int lineNumber) {
  bool valid1 = false, valid2 = false;
  Bridge bridge;
  bridge.chain1 = columns(line, 16, 16);
  bridge.residue1 = readInt(columns(line, 18, 21), &valid1);
  bridge.chain2 = columns(line, 30, 30);
  bridge.residue2 = readInt(columns(line, 32, 35), &valid2);
  bridge.line = lineNumber;
  if (valid1 && valid2) bridges.push_back(bridge);
}

void PDBParser::reportIncompleteResidues(const Model* model, const std::string& name) const {
  std::vector<std::string> incomplete;
  for (const Chain* chain : model->chains)
    for (const Residue* residue : chain->residues) {
      if (residue->fragment == nullptr || residue->fragment->atoms.empty()) continue;
      std::vector<std::string> names;
      for (const Atom* atom : residue->fragment->atoms)
        if (atom->element != "H") names.push_back(atom->name);
      const std::vector<std::string> missing = missingHeavyAtoms(residue->name, names);
      if (missing.empty()) continue;
      std::string text = residueLabel(residue->name, chain->id,
                                      residue->fragment->atoms.front()->residueNumber) + " (";
      for (size_t k = 0; k < missing.size(); ++k) text += (k == 0 ? "" : " ") + missing[k];
      incomplete.push_back(text + ")");
    }
  if (incomplete.empty()) return;
  ErrorLine line;
  line << "Warning: PDBParser::parsePDBFile model " << name << " of " << inputName(sourcePath)
       << ": " << incomplete.size() << " amino acid" << (incomplete.size() == 1 ? "" : "s")
       << " without all their heavy atoms, built as the file gives them: ";
  for (size_t k = 0; k < incomplete.size() && k < kResiduesListed; ++k)
    line << (k == 0 ? "" : ", ") << incomplete[k];
  if (incomplete.size() > kResiduesListed) line << ", ...";
}

bool PDBParser::checkStackedAtoms(const Model* model) const {
  // Atoms sorted into cells of the stacking distance: only the 27 cells around an atom can
  // hold one on top of it.
  std::unordered_map<long long, std::vector<const Atom*> > cells;
  auto cellOf = [](float v) { return static_cast<long long>(std::floor(v / kStackedDistance)); };
  auto key = [](long long x, long long y, long long z) {
    return ((x & 0x1fffff) << 42) | ((y & 0x1fffff) << 21) | (z & 0x1fffff);
  };
  for (const Chain* chain : model->chains)
    for (const Residue* residue : chain->residues) {
      if (residue->fragment == nullptr) continue;
      for (const Atom* atom : residue->fragment->atoms) {
        const long long x = cellOf(atom->position.x), y = cellOf(atom->position.y),
                        z = cellOf(atom->position.z);
        for (long long i = x - 1; i <= x + 1; ++i)
          for (long long j = y - 1; j <= y + 1; ++j)
            for (long long k = z - 1; k <= z + 1; ++k) {
              const auto found = cells.find(key(i, j, k));
              if (found == cells.end()) continue;
              for (const Atom* other : found->second) {
                if (atomDistance(atom, other) >= kStackedDistance) continue;
                ErrorLine() << "Error: PDBParser::parsePDBFile atom \"" << atom->name << "\" on "
                            << place(atomLines.at(atom)) << " lies on atom \"" << other->name
                            << "\" of line " << atomLines.at(other)
                            << " (" << atomDistance(atom, other)
                            << " A apart): stacked atoms, file refused";
                return false;
              }
            }
        cells[key(x, y, z)].push_back(atom);
      }
    }
  return true;
}

bool PDBParser::plausibleBond(const Atom* a, const Atom* b, const char* record, int line) const {
  const float d = atomDistance(a, b);
  if (d <= kLongestBond && d >= kShortestBond) return true;
  ErrorLine() << "Error: PDBParser::parsePDBFile " << record << " bond between atom \"" << a->name
              << "\" (serial " << a->serialNumber << ") and atom \"" << b->name << "\" (serial "
              << b->serialNumber << ") is " << d << " A long, "
              << (d < kShortestBond ? "atoms on top of each other" : "too long for a bond")
              << ", on " << place(line) << "; file refused";
  return false;
}

Molecule* PDBParser::assembleMolecule(Model* model, const std::string& name) {
  Molecule* molecule = Builder::instance()->createMolecule();
  molecule->names.push_back(name);
  for (Chain* chain : model->chains) takeOverChain(molecule, chain);
  if (!bondDisulfides(molecule) || !addListedBonds(molecule)) {
    delete molecule;
    return nullptr;
  }
  return molecule;
}

bool PDBParser::bondDisulfides(Molecule* molecule) {
  std::vector<Atom*> sulfurs;
  for (Atom* atom : molecule->atoms)
    if (atom->element == "S" && atom->name == "SG") sulfurs.push_back(atom);
  auto join = [molecule](Atom* a, Atom* b) {
    if (bondBetween(a, b) != nullptr) return;
    molecule->addBond(a, b, 1);
  };
  for (const Bridge& bridge : bridges) {
    Atom* first = nullptr;
    Atom* second = nullptr;
    for (Atom* s : sulfurs) {
      if (s->chainId == bridge.chain1 && s->residueNumber == bridge.residue1) first = s;
      if (s->chainId == bridge.chain2 && s->residueNumber == bridge.residue2) second = s;
    }
    if (first == nullptr || second == nullptr || first == second) continue;
    if (!plausibleBond(first, second, "SSBOND", bridge.line)) return false;
    join(first, second);
  }
  for (size_t i = 0; i < sulfurs.size(); ++i)
    for (size_t j = i + 1; j < sulfurs.size(); ++j)
      if (atomDistance(sulfurs[i], sulfurs[j]) <= kDisulfideDistance) join(sulfurs[i], sulfurs[j]);
  return true;
}

void PDBParser::takeOverChain(Molecule* molecule, Chain* chain) {
  for (Residue* residue : chain->residues) bondResidue(residue);
  std::vector<Bond*> links;
  IOEngine::instance()->findCommectivityAmongstResidues(chain->residues, links);
  for (Residue* residue : chain->residues) {
    Molecule* fragment = residue->fragment;
    if (fragment == nullptr) continue;
    std::vector<Atom*> fragmentAtoms = fragment->atoms;
    std::vector<Bond*> fragmentBonds = fragment->bonds;
    // The fragment keeps its rings (freed with it); atoms and bonds move to the molecule.
    fragment->atoms.clear();
    fragment->bonds.clear();
    fragment->numAtoms = 0;
    fragment->numBonds = 0;
    fragment->positions.clear();
    for (Atom* atom : fragmentAtoms) {
      atom->molecule = nullptr;
      atom->bonds.clear();
      atom->neighbours.clear();
      atom->ringIds.clear();
      atom->inRing = false;
      atom->degree = 0;
      atom->usedValence = 0;
      molecule->addAtom(atom);
    }
    for (Bond* bond : fragmentBonds) {
      bond->molecule = nullptr;
      bond->ringIds.clear();
      bond->inRing = false;
      if (molecule->addBond(bond) != 1) delete bond;
    }
  }
  for (Bond* link : links)
    if (molecule->addBond(link) != 1) delete link;
  molecule->addChainId(chain->id);
}

bool PDBParser::addListedBonds(Molecule* molecule) {
  std::unordered_map<int, Atom*> bySerial;
  for (Atom* atom : molecule->atoms) bySerial.emplace(atom->serialNumber, atom);
  for (const auto& entry : connections) {
    auto found = bySerial.find(entry.first);
    if (found == bySerial.end()) continue;
    Atom* atom = found->second;
    for (int partnerSerial : entry.second) {
      auto other = bySerial.find(partnerSerial);
      if (other == bySerial.end()) continue;
      Atom* partner = other->second;
      if (partner == atom) continue;
      if (!plausibleBond(atom, partner, "CONECT", connectionLines[entry.first])) return false;
      Bond* bond = Builder::instance()->createBond();
      bond->atom1 = atom;
      bond->atom2 = partner;
      bond->order = 1;
      bond->pdbFlag = true;
      const int added = molecule->addBond(bond);
      if (added == 0)
        std::cout << "Failed to add CONCET bond\t" << entry.first << "\t" << partnerSerial << "\n";
      if (added != 1) delete bond;
      // A pair already bonded from its residue keeps that bond, now marked as listed, so
      // the writer gives the record back.
      if (added == -1)
        for (Bond* existing : atom->bonds)
          if (existing->atom1 == partner || existing->atom2 == partner) existing->pdbFlag = true;
    }
  }
  return true;
}

bool PDBParser::finishMolecule(Molecule* molecule, bool hetero) {
  // Added hydrogens belong to the chain and record kind of their heavy atom.
  for (Atom* atom : molecule->atoms) {
    if (atom->isPosFix || atom->bonds.empty()) continue;
    const Atom* heavy = atom->getAdjacentAtom(atom->bonds.front());
    if (heavy == nullptr) continue;
    if (atom->chainId.empty()) {
      atom->chainId = heavy->chainId;
      atom->isHetero = heavy->isHetero;
    }
    atom->occupancy = heavy->occupancy;
    atom->bFactor = heavy->bFactor;
  }
  molecule->positions.clear();
  molecule->positions.reserve(molecule->atoms.size());
  for (size_t i = 0; i < molecule->atoms.size(); ++i) {
    Atom* atom = molecule->atoms[i];
    atom->id = static_cast<int>(i);
    molecule->positions.push_back(atom->position);
  }

  molecule->findBestAtomType();
  separateWaterMolecules(molecule);
  molecule->pdbFlag = hetero;
  if (hetero) molecule->addChainId("HETATM");
  // The file's coordinates are kept: the atoms it lacks are placed, nothing is optimised. A
  // large structure gets no SMILES text and no dipole.
  const bool small = molecule->atoms.size() < kLargeMoleculeAtoms;
  SetupSteps steps = SetupSteps::all()
                         .without(SetupStep::Perception)
                         .without(SetupStep::Optimisation)
                         .without(SetupStep::Naming);
  if (small) steps = steps.with(SetupStep::Dipole);
  steps.markOptimised = true;
  if (!runSetupChain(*molecule, steps).ok()) return false;
  if (small) {
    SmilesWriter writer;
    std::string smiles;
    if (writer.createSmilesFromMolecule(molecule, smiles)) molecule->smiles = smiles;
  } else {
    molecule->hasDipoleMoment = false;
  }
  molecule->isFromPdb = true;
  return true;
}

void PDBParser::bondResidue(Residue* residue) {
  if (residue == nullptr || residue->fragment == nullptr) return;
  Molecule* fragment = residue->fragment;
  // A ligand without template takes the bonds its "CONECT" records list inside the residue
  // first: the distance guess then neither misses them nor gives a listed hydrogen a second
  // partner, and the bond orders are decided on the whole graph. A partner named twice or three
  // times (by either atom) is the double or triple bond its writer meant; the order perception
  // keeps it unless it overfills an atom.
  const bool ligand = !fragment->checkAminoAcidResidue() && !fragment->checkBasePairs() &&
                      MoleculeEngine::instance()->getFunctionalGroupByName(residue->name) == nullptr;
  // The charges a ligand's records give stand; standard residues keep their own rules.
  if (ligand)
    for (Atom* atom : fragment->atoms) {
      const auto given = fileCharges.find(atom);
      if (given != fileCharges.end()) atom->charge = given->second;
    }
  if (ligand && !connections.empty()) {
    std::unordered_map<int, Atom*> bySerial;
    for (Atom* atom : fragment->atoms) bySerial.emplace(atom->serialNumber, atom);
    auto timesNamed = [this](const Atom* atom, int partnerSerial) {
      const auto listed = connections.find(atom->serialNumber);
      if (listed == connections.end()) return 0;
      return static_cast<int>(std::count(listed->second.begin(), listed->second.end(),
                                         partnerSerial));
    };
    for (Atom* atom : fragment->atoms) {
      auto listed = connections.find(atom->serialNumber);
      if (listed == connections.end()) continue;
      for (int partnerSerial : listed->second) {
        auto other = bySerial.find(partnerSerial);
        if (other == bySerial.end() || other->second == atom) continue;
        Atom* partner = other->second;
        if (bondBetween(atom, partner) != nullptr) continue;
        int order = std::max(timesNamed(atom, partnerSerial),
                             timesNamed(partner, atom->serialNumber));
        if (order > 3 || atom->element == "H" || partner->element == "H") order = 1;
        if (fragment->addBond(atom, partner, order) == 1) fragment->bonds.back()->pdbFlag = true;
      }
    }
  }
  LigandOrderGuesses guesses;
  const Atom* crowded = IOEngine::instance()->findConnectivityWithinResidue(residue, &guesses);
  if (!guesses.empty() && !fragment->atoms.empty())
    ErrorLine() << "Warning: PDBParser::parsePDBFile residue "
                << residueOf(fragment->atoms.front())
                << " of " << inputName(sourcePath) << ": " << guesses.describe();
  if (crowded != nullptr)
    ErrorLine() << "Error: PDBParser::parsePDBFile atom \"" << crowded->name << "\" (serial "
                << crowded->serialNumber << ") of residue \"" << residue->name << " "
                << crowded->residueNumber << "\" has more than " << IOEngine::kMostDistanceBonds
                << " neighbours within bonding distance, in "
                << inputName(sourcePath)
                << "; no more are bonded to it";
}

void PDBParser::separateWaterMolecules(Molecule* molecule) {
  if (molecule == nullptr) return;
  bool found = false;
  for (Atom* atom : molecule->atoms) {
    if (atom->type != "OH2") continue;
    found = true;
    atom->isWater = true;
    atom->isHetero = false;
    for (Bond* bond : atom->bonds) {
      Atom* other = atom->getAdjacentAtom(bond);
      if (other == nullptr) continue;
      other->isWater = true;
      other->isHetero = false;
    }
  }
  if (found) molecule->addChainId("WATER");
}
