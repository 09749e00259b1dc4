#pragma once

// The readers of outside input as the fuzz targets drive them: one entry per target, each taking
// the bytes of one input as they came. The fuzz targets (FuzzTarget.cpp) call them from
// libFuzzer; tests/fuzz replays the kept inputs of fuzz/regressions/<name>/ through the same
// entries in the ordinary and the sanitizer builds.
//
// An entry answers an empty text when the reader behaved, and otherwise what it got wrong
// (a finished molecule with a coordinate or energy that is not a number, a written SMILES that
// does not read back); crashes, leaks and undefined behaviour are the sanitizers' to find.

#include <cstddef>
#include <string>
#include <vector>

class Molecule;
struct SSEVector4f;

namespace fuzzentries {

struct Entry {
  const char* name;          // the target is fuzz_<name>; its kept inputs fuzz/regressions/<name>/
  const char* dictionary;    // fuzz/dict/<dictionary>.dict
  std::size_t maxInputBytes; // the target refuses longer inputs
  std::string (*run)(const std::string& input);
};

// Every entry: the parse depth first (named after the format), then the readers that run the
// set-up chain (named ..._chain, on short inputs), then the library readers.
const std::vector<Entry>& entries();
// Null for an unknown name.
const Entry* findEntry(const std::string& name);

// Once per process, before the first input: the application object (the file singleton holds
// widget items), the tables, the library groups and templates (residue templates of the PDB
// reader, parts of the molecule lists), and console lines, error lines and verbosity off.
void setUp();

// The entries by reader (MoleculeEntries.cpp, LibraryEntries.cpp, TextEntries.cpp).
std::string smilesGraph(const std::string& input);
std::string smilesChain(const std::string& input);
std::string smilesFileChain(const std::string& input);
std::string molGraph(const std::string& input);
std::string molChain(const std::string& input);
std::string sdfGraph(const std::string& input);
std::string sdfChain(const std::string& input);
std::string pdbGraph(const std::string& input);
std::string pdbChain(const std::string& input);
std::string kvFile(const std::string& input);
std::string groupBlock(const std::string& input);
std::string groupList(const std::string& input);
std::string moleculeList(const std::string& input);
std::string templateList(const std::string& input);
std::string cameraFile(const std::string& input);
std::string fontDescriptor(const std::string& input);
std::string orbitalText(const std::string& input);

// x, y and z are numbers.
bool finite(const SSEVector4f& v);

// What is wrong with a molecule a reader handed out as finished: a coordinate or an energy that
// is not a finite number. Empty when nothing is.
std::string checkFinished(const Molecule& molecule);
// checkFinished over every molecule, which are then deleted.
std::string checkAndDelete(std::vector<Molecule*>& molecules);

}  // namespace fuzzentries
