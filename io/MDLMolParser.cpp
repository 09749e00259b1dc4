// Reading MDL V2000 mol files: one record through its blocks (MDLMolParserAtoms.cpp,
// MDLMolParserBonds.cpp, MDLMolParserProperties.cpp), perception and the set-up chain. SD files
// and folders are read in MDLMolParserSD.cpp, written records in MDLMolWriter.cpp.

#include "io/MDLMolParser.h"

#include <algorithm>
#include <iostream>
#include <memory>

#include "construction/HandsFromCoordinates.h"
#include "construction/SetupChain.h"
#include "io/AssumedCharges.h"
#include "io/InputFile.h"
#include "io/MDLMolParserLines.h"
#include "io/SmilesWriter.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"

std::ofstream MDLMolParser::ErrorFile;
int MDLMolParser::IsErrorFile = 0;

using mdlread::RecordLines;
using mdlread::reportProblem;

Molecule* MDLMolParser::readConnectionTable(std::istream& in, std::string& name, int firstLine,
                                            bool graphOnly) {
  drawnRecord = nullptr;
  drawnWedges.clear();
  RecordLines lines(in, firstLine, sourcePath);
  std::string counts;
  int atomCount = 0;
  int bondCount = 0;
  if (!mdlread::readHeader(lines, name, counts, atomCount, bondCount)) return nullptr;

  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  std::vector<DrawnWedge> wedges;
  std::vector<mdlread::BondLine> bondLines;
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
    if (mdlread::endsAtomBlock(line)) return blameCounts(i, "atom", atomCount);
    if (!mdlread::readAtomLine(line, lines, graphOnly, *m)) return nullptr;
  }
  const bool checkGeometry = !graphOnly && mdlread::hasCoordinates(*m);
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
    if (mdlread::endsBondBlock(line)) return blameCounts(i, "bond", bondCount);
    if (!mdlread::readBondLine(line, lines, atomCount, checkGeometry, *m, bondLines, wedges))
      return nullptr;
  }
  // A drawing (every z 0) may overlap bonded atoms, hydrogens most of all; there only an atom
  // without bonds on top of another is refused, a copy of it.
  const bool flat = !mdlread::showsDepth(*m);
  if (checkGeometry && !mdlread::separateAtoms(*m, lines, firstAtomLine, flat)) return nullptr;
  if (!mdlread::readPropertyLines(lines, *m)) return nullptr;
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
  if (mdlread::showsDepth(*m)) {
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
