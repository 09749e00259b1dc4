// Reading PDB coordinate files. Every field is taken from its fixed columns and every number is
// parsed with an end check, so touching coordinates ("-1.234-100.567") read correctly and a
// damaged line is skipped with a message instead of being misread.

#include "io/PDBParser.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <unordered_map>

#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesWriter.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

namespace {

const size_t kRecordWidth = 80;
// Molecules this large get no SMILES text and no dipole: both walk the whole molecule and a
// protein's text is of no use to anyone.
const size_t kLargeMoleculeAtoms = 200;

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

bool readCoordinate(const std::string& field, float& out) {
  const std::string text = withoutBlanks(field);
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value))
    return false;
  out = static_cast<float>(value);
  return true;
}

std::string elementCase(const std::string& symbol) {
  std::string out;
  for (size_t i = 0; i < symbol.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(symbol[i]);
    out.push_back(static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c)));
  }
  return out;
}

bool isKnownElement(const std::string& symbol) {
  ElementParameters row;
  return InputParameters::instance()->findElementParameters(symbol, row) == 1;
}

// The element of an atom record. Columns 77-78 when they hold a symbol; old files keep line
// numbers there ("1HPV 186"), so anything but letters falls back to the atom name. There a
// leading digit belongs to an old-style hydrogen name ("1HB"), and a two-letter element stands
// left-aligned in column 13 only for hetero atoms ("FE  ", "CL1 ").
std::string readElement(const std::string& line, bool hetero) {
  const std::string field = withoutBlanks(columns(line, 77, 78));
  bool letters = !field.empty();
  for (char c : field) letters = letters && std::isalpha(static_cast<unsigned char>(c));
  if (letters) return elementCase(field);
  const std::string rawName = columns(line, 13, 16);
  const char c13 = rawName.size() > 0 ? rawName[0] : ' ';
  const char c14 = rawName.size() > 1 ? rawName[1] : ' ';
  if (hetero && std::isalpha(static_cast<unsigned char>(c13)) &&
      std::isalpha(static_cast<unsigned char>(c14)) && std::toupper(c13) != 'H') {
    const std::string two = elementCase(std::string{c13, c14});
    if (isKnownElement(two)) return two;
  }
  for (char c : withoutBlanks(rawName))
    if (std::isalpha(static_cast<unsigned char>(c)))
      return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  return std::string();
}

void stopMessage() { ErrorLine() << "Error: PDBParser::parsePDBFile ENDMDL"; }

}  // namespace

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
}

void PDBParser::parsePDBFile(const std::string& path, std::vector<Molecule*>& out) {
  parsePDBFile(path.c_str(), out);
}

void PDBParser::parsePDBFile(const char* path, std::vector<Molecule*>& out) {
  if (path == nullptr) return;
  std::ifstream in(path);
  if (!in.is_open()) {
    ErrorLine() << "Error: PDBParser::parsePDBFile can not read file \"" << path << "\"";
    return;
  }
  const size_t first = out.size();
  parsePDBFile(static_cast<std::istream&>(in), out);
  std::string base = path;
  const size_t slash = base.find_last_of('/');
  if (slash != std::string::npos) base = base.substr(slash + 1);
  const size_t dot = base.find_last_of('.');
  if (dot != std::string::npos) base = base.substr(0, dot);
  for (size_t i = first; i < out.size(); ++i) {
    out[i]->names.clear();
    out[i]->names.push_back(base + "_" + std::to_string(i - first));
  }
}

void PDBParser::parsePDBFile(std::fstream& in, std::vector<Molecule*>& out) {
  parsePDBFile(static_cast<std::istream&>(in), out);
}

void PDBParser::parsePDBFile(std::istream& in, std::vector<Molecule*>& out) {
  clearPDBParser();
  // What is open: owned here until it is appended to its parent.
  std::unique_ptr<Model> model;
  std::unique_ptr<Chain> chain;
  std::unique_ptr<Residue> residue;
  int residueNumber = 0;
  std::string residueKey;       // insertion code and name: a change starts a new residue too
  std::string currentChainId;
  std::string altLoc;
  int modelCounter = 0;
  bool hetero = false;

  // Residues are bonded when the whole file is read, so that the "CONECT" records at its end
  // can bond the ligands before their orders are decided.
  auto closeResidue = [&]() {
    if (!residue) return;
    if (chain)
      chain->residues.push_back(residue.release());
    else
      residue.reset();
  };
  auto closeChain = [&]() {
    if (!chain) return;
    if (model) model->chains.push_back(chain.release());
    else chain.reset();
  };
  auto closeAll = [&]() {
    closeResidue();
    closeChain();
    if (model) models.push_back(model.release());
  };

  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (line.size() < kRecordWidth) line.append(kRecordWidth - line.size(), ' ');
    const std::string record = withoutBlanks(columns(line, 1, 6));
    if (record == "MODEL") {
      // A model still open is dropped with its chains; an open chain and residue carry on.
      model.reset(new Model());
      model->number = readInt(columns(line, 11, 14));
      ++modelCounter;
    } else if (record == "ENDMDL" || record == "END") {
      if (!model) {
        if (record == "END") continue;
        stopMessage();
        return;
      }
      closeAll();
    } else if (record == "TER") {
      if (!chain || !model) {
        stopMessage();
        return;
      }
      closeResidue();
      closeChain();
    } else if (record == "ATOM" || record == "HETATM") {
      const bool isHetero = record == "HETATM";
      float x = 0.0f, y = 0.0f, z = 0.0f;
      if (!readCoordinate(columns(line, 31, 38), x) || !readCoordinate(columns(line, 39, 46), y) ||
          !readCoordinate(columns(line, 47, 54), z)) {
        ErrorLine() << "Error: PDBParser::parsePDBFile bad coordinates \"" << columns(line, 31, 54)
                    << "\" on line " << lineNumber;
        continue;
      }
      if (isHetero) hetero = true;
      if (!model) {
        model.reset(new Model());
        model->number = modelCounter++;
      }
      const std::string chainId = columns(line, 22, 22);
      if (!chain) {
        chain.reset(new Chain());
        chain->id = chainId;
        currentChainId = chainId;
      } else if (chainId != currentChainId) {
        closeResidue();
        closeChain();
        chain.reset(new Chain());
        chain->id = chainId;
        currentChainId = chainId;
      }
      const std::string alt = withoutBlanks(columns(line, 17, 17));
      if (!alt.empty()) {
        if (altLoc.empty())
          altLoc = alt;
        else if (alt != altLoc)
          continue;
      }
      const std::string residueName = withoutBlanks(columns(line, 18, 20));
      const int number = readInt(columns(line, 23, 26));
      const std::string key = columns(line, 27, 27) + residueName;
      if (!residue || number != residueNumber || key != residueKey) {
        closeResidue();
        Molecule* fragment = Builder::instance()->createMolecule();
        fragments.push_back(fragment);
        fragment->names.push_back(residueName);
        residue.reset(new Residue(fragment));
        residue->name = residueName;
        residueNumber = number;
        residueKey = key;
      }
      Atom* atom = Builder::instance()->createAtom();
      atom->name = withoutBlanks(columns(line, 13, 16));
      atom->element = readElement(line, isHetero);
      atom->position = SSEVector4f(x, y, z, 1.0f);
      atom->isPlaced = true;
      atom->isFixed = false;
      atom->residueName = residueName;
      atom->residueNumber = number;
      atom->isHetero = isHetero;
      atom->serialNumber = readInt(columns(line, 7, 11));
      atom->isPosFix = true;
      residue->fragment->addAtom(atom);
      atoms.push_back(atom);
      if (atom->name == "N") residue->n = atom;
      else if (atom->name == "C") residue->c = atom;
      else if (atom->name == "P") residue->p = atom;
      else if (atom->name == "O3'") residue->o3 = atom;
    } else if (record == "CONECT") {
      bool valid = false;
      const int serial = readInt(columns(line, 7, 11), &valid);
      if (!valid) continue;
      std::vector<int>& partners = connections[serial];
      // The four bonded-atom fields; the columns after them held hydrogen bonds and salt
      // bridges in older files, and many files keep line numbers at the end.
      for (size_t first = 12; first <= 27; first += 5) {
        const int partner = readInt(columns(line, first, first + 4), &valid);
        if (valid) partners.push_back(partner);
      }
    }
  }
  closeAll();

  for (Model* m : models) {
    Molecule* molecule = buildMolecule(m, hetero);
    if (molecule == nullptr) continue;   // its geometry failed, with a message
    molecules.push_back(molecule);
    out.push_back(molecule);
  }
}

Molecule* PDBParser::buildMolecule(Model* model, bool hetero) {
  IOEngine* engine = IOEngine::instance();
  Molecule* molecule = Builder::instance()->createMolecule();
  molecule->names.push_back(std::to_string(model->number));

  for (Chain* chain : model->chains) {
    for (Residue* residue : chain->residues) bondResidue(residue);
    std::vector<Bond*> links;
    engine->findCommectivityAmongstResidues(chain->residues, links);
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
        atom->chainId = chain->id;
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
      if (atom->residueNumber != partner->residueNumber && (atom->isHetero || partner->isHetero))
        continue;
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

  molecule->perceiveGraph();
  // Added hydrogens belong to the chain and record kind of their heavy atom.
  for (Atom* atom : molecule->atoms) {
    if (!atom->chainId.empty() || atom->bonds.empty()) continue;
    const Atom* heavy = atom->getAdjacentAtom(atom->bonds.front());
    if (heavy == nullptr) continue;
    atom->chainId = heavy->chainId;
    atom->isHetero = heavy->isHetero;
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
  engine->setParameters(molecule);
  molecule->createOptimumGeometry();
  molecule->pdbFlag = hetero;
  if (hetero) molecule->addChainId("HETATM");
  if (!engine->setCoordinates(molecule)) {
    delete molecule;
    return nullptr;
  }

  if (molecule->atoms.size() < kLargeMoleculeAtoms) {
    SmilesWriter writer;
    std::string smiles;
    if (writer.createSmilesFromMolecule(molecule, smiles)) molecule->smiles = smiles;
    MolecularSystem system(molecule);
    system.DipoleMoment();
    molecule->dipoleMoment = static_cast<float>(system.dipoleMagnitude);
    molecule->energyCorrection = -system.calEmag();
  }
  molecule->calTotalBondEnergy();
  molecule->calHeatOfFormation();
  molecule->isOptimized = true;
  molecule->isFromPdb = true;
  return molecule;
}

void PDBParser::bondResidue(Residue* residue) {
  if (residue == nullptr || residue->fragment == nullptr) return;
  Molecule* fragment = residue->fragment;
  // A ligand without template takes the bonds its "CONECT" records list inside the residue
  // first: the distance guess then neither misses them nor gives a listed hydrogen a second
  // partner, and the bond orders are decided on the whole graph.
  const bool ligand = !fragment->checkAminoAcidResidue() && !fragment->checkBasePairs() &&
                      MoleculeEngine::instance()->getFunctionalGroupByName(residue->name) == nullptr;
  if (ligand && !connections.empty()) {
    std::unordered_map<int, Atom*> bySerial;
    for (Atom* atom : fragment->atoms) bySerial.emplace(atom->serialNumber, atom);
    for (Atom* atom : fragment->atoms) {
      auto listed = connections.find(atom->serialNumber);
      if (listed == connections.end()) continue;
      for (int partnerSerial : listed->second) {
        auto other = bySerial.find(partnerSerial);
        if (other == bySerial.end() || other->second == atom) continue;
        Atom* partner = other->second;
        bool known = false;
        for (const Bond* b : atom->bonds)
          if (b->atom1 == partner || b->atom2 == partner) known = true;
        if (known) continue;
        // Listed bonds carry no order: the distance tells it as for the other pairs.
        const float dx = atom->position.x - partner->position.x;
        const float dy = atom->position.y - partner->position.y;
        const float dz = atom->position.z - partner->position.z;
        const int guessed = InputParameters::instance()->findBondOrder(
            atom->element, partner->element, std::sqrt(dx * dx + dy * dy + dz * dz));
        if (fragment->addBond(atom, partner, guessed > 0 ? guessed : 1) == 1)
          fragment->bonds.back()->pdbFlag = true;
      }
    }
  }
  IOEngine::instance()->findConnectivityWithinResidue(residue);
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
