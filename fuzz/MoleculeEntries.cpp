// The molecule readers: SMILES strings and files, MDL mol and SD files, PDB files, each once to
// the perceived graph and once through the set-up chain as a user meets it.

#include <memory>
#include <sstream>

#include "fuzz/FuzzEntries.h"
#include "io/MDLMolParser.h"
#include "io/PDBParser.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Molecule.h"

namespace fuzzentries {

std::string smilesGraph(const std::string& input) {
  SmilesParser parser;
  std::unique_ptr<Molecule> m(parser.smilesToGraph(input));
  return std::string();
}

std::string smilesChain(const std::string& input) {
  SmilesParser parser;
  std::unique_ptr<Molecule> m(parser.smilesToMol(input));
  if (m == nullptr) return std::string();
  // The SMILES text the library lists and the save commands take from a finished molecule.
  SmilesWriter writer;
  std::string written;
  writer.createSmilesFromMolecule(m.get(), written);
  return checkFinished(*m);
}

std::string smilesFileChain(const std::string& input) {
  std::istringstream in(input);
  SmilesParser parser;
  std::vector<Molecule*> molecules;
  int count = 0;
  parser.parseSMILESFile(in, molecules, count);
  return checkAndDelete(molecules);
}

std::string molGraph(const std::string& input) {
  std::istringstream in(input);
  MDLMolParser parser;
  std::string name;
  std::unique_ptr<Molecule> m(parser.readConnectionTable(in, name));
  parser.perceive(m.get());
  return std::string();
}

std::string molChain(const std::string& input) {
  std::istringstream in(input);
  MDLMolParser parser;
  std::vector<Molecule*> molecules{parser.parseMDLMolFile(in)};
  return checkAndDelete(molecules);
}

std::string sdfGraph(const std::string& input) {
  std::istringstream in(input);
  MDLMolParser parser;
  for (const auto& record : MDLMolParser::splitSDRecords(in)) {
    std::istringstream text(record.first);
    std::string name;
    std::unique_ptr<Molecule> m(parser.readConnectionTable(text, name, record.second));
    parser.perceive(m.get());
  }
  return std::string();
}

std::string sdfChain(const std::string& input) {
  std::istringstream in(input);
  MDLMolParser parser;
  std::vector<Molecule*> molecules;
  int count = 0;
  parser.parseSDFile(in, molecules, count);
  return checkAndDelete(molecules);
}

std::string pdbGraph(const std::string& input) {
  std::istringstream in(input);
  PDBParser parser;
  std::vector<Molecule*> graphs;
  // A refused read leaves no graph to perceive.
  if (!parser.readGraphs(in, graphs)) return std::string();
  // Typing is left to the chain target: here it would take a third of the time.
  for (Molecule* m : graphs) {
    m->perceiveGraph();
    delete m;
  }
  return std::string();
}

std::string pdbChain(const std::string& input) {
  std::istringstream in(input);
  PDBParser parser;
  std::vector<Molecule*> molecules;
  parser.parsePDBFile(in, molecules);
  return checkAndDelete(molecules);
}

}  // namespace fuzzentries
