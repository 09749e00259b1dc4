// From a SMILES line to a finished molecule: perception, the set-up chain, and SMILES files.

#include <fstream>
#include <iostream>

#include "construction/SetupChain.h"
#include "io/InputFile.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"

namespace {

const char* const kBlanks = " \t";
const char* const kLineEnds = "\r\n\t ";

std::string trimmed(const std::string& s, const char* characters) {
  const size_t first = s.find_first_not_of(characters);
  if (first == std::string::npos) return "";
  const size_t last = s.find_last_not_of(characters);
  return s.substr(first, last - first + 1);
}

}  // namespace

void SmilesParser::splitSmilesLine(const std::string& line, std::string& smiles,
                                   std::string& name) {
  const std::string whole = trimmed(line, kLineEnds);
  const size_t cut = whole.find_first_of(kBlanks);
  smiles = whole.substr(0, cut);
  name = cut == std::string::npos ? "" : trimmed(whole.substr(cut), kLineEnds);
}

Molecule* SmilesParser::smilesToGraph(const std::string& input) {
  std::string smiles;
  std::string name;
  splitSmilesLine(input, smiles, name);
  if (smiles.empty()) {
    ErrorLine() << "Error: No Smiles in " << quoted(input);
    return nullptr;
  }
  Molecule* molecule = readGraph(smiles, name);
  // The line that said what failed comes first; this one closes the refusal.
  if (molecule == nullptr) ErrorLine() << " Parsing failed: no molecule from " << quoted(smiles);
  return molecule;
}

Molecule* SmilesParser::readGraph(const std::string& smiles, const std::string& name) {
  Clear();
  text = smiles;
  const size_t written = countWrittenAtoms(smiles);
  if (written > Molecule::maxAtoms) {
    fail(std::to_string(written) + " atoms, more than the " + std::to_string(Molecule::maxAtoms) +
         " a molecule may have,");
    Clear();
    return nullptr;
  }
  Molecule* molecule = parseSmiles();
  if (molecule == nullptr) {   // the grammar has said what failed, quoting the text
    Clear();
    return nullptr;
  }
  orderStereoNeighbours();
  setCisOrTrans();
  separateAromaticNOxides(molecule);
  bool ok = kekulize(molecule);
  if (ok) {
    separateCharges(molecule);
    molecule->findValenceVector();
    ok = checkValences(molecule);
  }
  Clear();   // the stereo records point into the molecule the caller now owns
  if (!ok) {   // a graph that no molecule has is refused, not completed into another one
    delete molecule;
    return nullptr;
  }
  // Named before typing, so the typing messages can say which molecule they belong to.
  molecule->smiles = smiles;
  molecule->displayName = name;
  molecule->findAllSmallestRings();
  fixBracketValences(molecule);
  molecule->fillTotalAndUsedValence();
  const size_t withHydrogens = molecule->atoms.size() + molecule->countMissingHydrogens();
  if (withHydrogens > Molecule::maxAtoms) {
    text = smiles;
    fail(std::to_string(withHydrogens) + " atoms with the hydrogens, more than the " +
         std::to_string(Molecule::maxAtoms) + " a molecule may have,");
    Clear();
    delete molecule;
    return nullptr;
  }
  molecule->addMissingHydrogens();
  molecule->findBestAtomType();
  return molecule;
}

Molecule* SmilesParser::smilesToMol(std::string smiles) {
  UtilityEngine::instance()->printToConsole("");
  UtilityEngine::instance()->printToConsole("Parsing " + smiles);
  Molecule* molecule = smilesToGraph(smiles);
  if (molecule == nullptr) return nullptr;
  // The graph is perceived and typed; the rest of the chain always optimises in internal
  // coordinates. A refusal has said what is wrong with the geometry, naming the atoms.
  SetupSteps steps = SetupSteps::all().without(SetupStep::Perception);
  steps.optimiser = Optimiser::InternalCoordinates;
  if (!runSetupChain(*molecule, steps).ok()) {
    delete molecule;
    return nullptr;
  }
  // A name written after the SMILES comes first, before the formula.
  if (!molecule->displayName.empty())
    molecule->names.insert(molecule->names.begin(), molecule->displayName);
  return molecule;
}

void SmilesParser::parseSMILESFile(const char* path, std::vector<Molecule*>& out, int& count) {
  if (path == nullptr) return;
  int read = 0;
  if (readSMILESFile(path, collectMolecules(out, read))) count = read;
}

void SmilesParser::parseSMILESFile(std::istream& in, std::vector<Molecule*>& out, int& count) {
  count = 0;
  readSmilesLines(in, "", collectMolecules(out, count));
}

bool SmilesParser::readSMILESFile(const std::string& path, const RecordSink& take) {
  std::ifstream in;
  std::string reason;
  if (!openInputFile(path, in, reason)) {
    ErrorLine() << "Error: SmilesParser: " << reason << " \"" << path << "\"";
    return false;
  }
  readSmilesLines(in, path, take);
  return true;
}

// A byte-order mark some editors put before the first line is dropped; a line that gives no
// molecule is handed on without one, with a line naming its place after the reader's own words.
void SmilesParser::readSmilesLines(std::istream& in, const std::string& source,
                                   const RecordSink& take) {
  UtilityEngine* utility = UtilityEngine::instance();
  const int savedLevel = utility->printLevel;
  utility->printLevel = 1;
  std::string line;
  int lineNumber = 0;
  while (readTextLine(in, line)) {
    if (++lineNumber == 1) dropByteOrderMark(line);
    if (trimmed(line, kLineEnds).empty()) continue;
    processPendingEventsAndInput();   // between two molecules: the window answers the user
    FileRecord record;
    record.firstLine = lineNumber;
    record.molecule = smilesToMol(line);
    std::string smiles;
    splitSmilesLine(line, smiles, record.name);
    if (record.molecule == nullptr) {
      ErrorLine() << "Error: SmilesParser: no molecule from \"" << trimmed(line, kLineEnds)
                  << "\" on " << linePlace(lineNumber, source);
      if (record.name.empty()) record.name = smiles;
    }
    take(record);
  }
  utility->printLevel = savedLevel;
}
