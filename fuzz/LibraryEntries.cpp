// The library's own formats: the ".kv" molecule file, a group block, and the group, molecule and
// template list files. The list readers hang items into the library trees and groups into the
// pattern list; both are put back after every input, so one input cannot steer the next.

#include <QTreeWidgetItem>

#include <functional>
#include <sstream>

#include "fuzz/FuzzEntries.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "model/Molecule.h"

namespace fuzzentries {

namespace {

using ListReader = std::function<int(IOEngine&, std::istream&, std::vector<Molecule*>*)>;

std::string readList(const ListReader& read, const std::string& input) {
  IOEngine& engine = *IOEngine::instance();
  MoleculeEngine& library = *MoleculeEngine::instance();
  QTreeWidgetItem* const roots[] = {engine.moleculeRoot, engine.groupRoot, engine.templateRoot};
  int children[3];
  for (int i = 0; i < 3; ++i) children[i] = roots[i]->childCount();
  QTreeWidgetItem* const folders[] = {engine.currentItem, engine.moleculeFolder,
                                      engine.groupFolder, engine.templateFolder};
  const size_t patterns = library.patterns.size();

  std::istringstream in(input);
  std::vector<Molecule*> made;
  read(engine, in, &made);

  library.patterns.resize(patterns);
  for (int i = 0; i < 3; ++i)
    while (roots[i]->childCount() > children[i])
      delete roots[i]->takeChild(roots[i]->childCount() - 1);
  engine.currentItem = folders[0];
  engine.moleculeFolder = folders[1];
  engine.groupFolder = folders[2];
  engine.templateFolder = folders[3];
  return checkAndDelete(made);
}

}  // namespace

std::string kvFile(const std::string& input) {
  std::istringstream in(input);
  std::vector<Molecule*> molecules{IOEngine::instance()->parseKvtStream(in, "the input")};
  return checkAndDelete(molecules);
}

std::string groupBlock(const std::string& input) {
  std::istringstream in(input);
  std::vector<Molecule*> molecules{IOEngine::instance()->parseGroupFile(in)};
  return checkAndDelete(molecules);
}

std::string groupList(const std::string& input) {
  return readList([](IOEngine& engine, std::istream& in,
                     std::vector<Molecule*>* out) { return engine.loadGroups(in, out); },
                  input);
}

std::string moleculeList(const std::string& input) {
  return readList([](IOEngine& engine, std::istream& in,
                     std::vector<Molecule*>* out) { return engine.loadMolecules(in, out); },
                  input);
}

std::string templateList(const std::string& input) {
  return readList([](IOEngine& engine, std::istream& in,
                     std::vector<Molecule*>* out) { return engine.loadTemplates(in, out); },
                  input);
}

}  // namespace fuzzentries
