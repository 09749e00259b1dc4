// The group, molecule and template list files: blocks gathered by folder, each block read into
// a group or assembled from its group graph, and hung into the library trees.

#include <QSize>
#include <QString>
#include <QTreeWidgetItem>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "assembly/ListLines.h"
#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "io/LibraryItems.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesWriter.h"
#include "io/TreeEntry.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"

using listfile::startsWith;
using listfile::tokensOf;

namespace {

enum class ListKind { Groups, Molecules, Templates };

const int kGroupIconSize = 32;

// The blocks of each folder, in file order; a std::map walks the folders in byte order of their
// names, the empty name of the blocks before the first "TYPE" line first.
using FolderBlocks = std::map<std::string, std::vector<std::string> >;

// A line holding "TYPE" names the folder of the blocks that follow; a line holding an opening
// keyword starts a block; other lines belong to the open block, or to none.
FolderBlocks collectBlocks(std::istream& in, ListKind kind) {
  FolderBlocks folders;
  std::string folder;
  std::string block;
  bool open = false;
  auto closeBlock = [&]() {
    if (open) folders[folder].push_back(block);
    block.clear();
    open = false;
  };
  std::string line;
  while (std::getline(in, line)) {
    if (!listfile::prepareLine(line)) continue;
    const std::string upper = listfile::upperCased(line);
    if (upper.find("TYPE") != std::string::npos) {
      closeBlock();
      folder = listfile::remainderAfter(upper, 6);
      continue;
    }
    const bool opens = kind == ListKind::Groups ? upper.find("FUNC") != std::string::npos ||
                                                      upper.find("SFUN") != std::string::npos
                                                : upper.find("MOLE") != std::string::npos;
    if (opens) {
      closeBlock();
      open = true;
    }
    if (open) block += line + "\n";
  }
  closeBlock();
  return folders;
}

// Finishes one parsed entry: a group only gets its energies (its reader set it up), an assembled
// molecule or template is optimised first. False, after the chain's line and one naming the
// entry, when the optimisation refused it.
bool finishEntry(Molecule* m, ListKind kind) {
  SetupSteps steps{SetupStep::Energies};
  if (kind != ListKind::Groups) steps = steps.with(SetupStep::Optimisation);
  if (kind == ListKind::Templates) steps.optimiser = Optimiser::InternalCoordinates;
  if (!runSetupChain(*m, steps).ok()) {
    ErrorLine() << "Error: list file entry \"" << m->label()
                << "\" has no sound geometry and is not listed";
    return false;
  }
  if (kind == ListKind::Groups) {
    MoleculeEngine::instance()->patterns.push_back(m);
    ++Molecule::NumOfGroups;
  }
  if (kind == ListKind::Molecules) {
    SmilesWriter writer;
    std::string smiles;
    if (writer.createSmilesFromMolecule(m, smiles)) m->smiles = smiles;
  }
  return true;
}

// The tree item of a finished entry (none for a "Special" group).
QTreeWidgetItem* entryItem(const Molecule* m, ListKind kind, QTreeWidgetItem* folder, int index) {
  const std::string name = m->getName();
  if (kind == ListKind::Groups && m->sfunc == "Special") return nullptr;
  QTreeWidgetItem* item = new QTreeWidgetItem(folder);
  if (kind == ListKind::Groups) {
    item->setText(0, QStringLiteral(" "));
    item->setText(1, QString::fromStdString(m->displayName));
    item->setSizeHint(0, QSize(kGroupIconSize, kGroupIconSize));
    item->setIcon(0, libraryitems::groupIcon(name, m->displayName));
  } else {
    item->setText(0, QString::fromStdString(name));
    if (kind == ListKind::Templates) item->setIcon(0, libraryitems::groupIcon(name));
  }
  setTreeEntry(item, TreeEntry::listed(kind == ListKind::Molecules ? TreeEntry::Kind::Molecule
                                                                  : TreeEntry::Kind::Group,
                                       index));
  return item;
}

int loadList(IOEngine& engine, std::istream& in, std::vector<Molecule*>* target, ListKind kind) {
  if (target == nullptr) return 0;
  const FolderBlocks folders = collectBlocks(in, kind);
  int& counter = kind == ListKind::Molecules ? engine.moleculeCount : engine.groupCount;
  QTreeWidgetItem* root = kind == ListKind::Molecules ? engine.moleculeRoot
                          : kind == ListKind::Groups  ? engine.groupRoot
                                                      : engine.templateRoot;
  QTreeWidgetItem*& currentFolder = kind == ListKind::Molecules ? engine.moleculeFolder
                                    : kind == ListKind::Groups  ? engine.groupFolder
                                                                : engine.templateFolder;
  counter = static_cast<int>(target->size());
  int made = 0;
  for (const auto& entry : folders) {
    QTreeWidgetItem* folder = new QTreeWidgetItem(root);
    folder->setText(0, QString::fromStdString(entry.first));
    setTreeEntry(folder, TreeEntry::folder());
    folder->setIcon(0, engine.folderIcon);
    currentFolder = folder;
    engine.currentItem = folder;
    for (const std::string& block : entry.second) {
      std::istringstream text(block);
      Molecule* m = kind == ListKind::Groups ? engine.parseGroupFile(text)
                                             : engine.parseMoleculeFile(text);
      if (m == nullptr) continue;
      if (!finishEntry(m, kind)) {
        delete m;
        continue;
      }
      if (QTreeWidgetItem* item = entryItem(m, kind, folder, counter)) engine.currentItem = item;
      target->push_back(m);
      ++counter;
      ++made;
    }
  }
  counter = 0;
  return made;
}

int loadListFile(IOEngine& engine, const char* path, std::vector<Molecule*>* target,
                 ListKind kind) {
  if (path == nullptr) return 0;
  std::ifstream in(path);
  if (!in) return 0;
  return loadList(engine, in, target, kind);
}

// A label-dot-atom token such as "A.D1", split at its first ".".
std::pair<std::string, std::string> labelAndAtom(const std::string& token) {
  const std::string::size_type dot = token.find('.');
  if (dot == std::string::npos) return {token, std::string()};
  return {token.substr(0, dot), token.substr(dot + 1)};
}

GroupNode* nodeLabelled(const GroupGraph& graph, const std::string& label) {
  for (GroupNode* n : graph.nodes)
    if (n->label == label) return n;
  return nullptr;
}

// What a "MOLE" block describes: its graph and the ring ends named by its "RING" lines.
struct MoleculeDescription {
  std::unique_ptr<GroupGraph> graph;
  std::vector<std::pair<std::string, std::string> > ringEnds;   // label, dummy-atom name
  int nodesRead = 0;

  // False when the block fails at this line.
  bool readLine(const std::string& asWritten, const std::string& upper);
};

bool MoleculeDescription::readLine(const std::string& asWritten, const std::string& upper) {
  const std::vector<std::string> tokens = tokensOf(upper);
  if (startsWith(upper, "MOLE")) {
    graph.reset(Builder::instance()->createGroupGraph());
    graph->name = listfile::trimmed(asWritten.substr(4), " \t");
    return true;
  }
  if (startsWith(upper, "RING")) {
    if (tokens.size() % 2 == 0) {
      printError("Error: InCorrect ring");
      return false;
    }
    for (size_t i = 1; i < tokens.size(); ++i) ringEnds.push_back(labelAndAtom(tokens[i]));
    return true;
  }
  if (graph == nullptr) return true;
  const bool special = startsWith(upper, "SFUN");
  if (special || startsWith(upper, "FUNC")) {
    GroupNode* node = Builder::instance()->createGroupNode();
    node->label = tokens.size() > 1 ? tokens[1] : std::string();
    node->groupName = tokens.size() > 2 ? tokens[2] : std::string();
    node->instanceName = node->groupName + "_" + std::to_string(++nodesRead);
    node->special = special;
    graph->addGroupNode(node);
    return true;
  }
  int order = 0;
  if (startsWith(upper, "SINGLE")) order = 1;
  else if (startsWith(upper, "DOUBLE")) order = 2;
  else if (startsWith(upper, "TRIPLE")) order = 3;
  if (order == 0 || tokens.size() % 2 == 0) return true;
  for (size_t i = 1; i + 1 < tokens.size(); i += 2) {
    GroupEdge* edge = Builder::instance()->createGroupEdge();
    std::tie(edge->label1, edge->atom1) = labelAndAtom(tokens[i]);
    std::tie(edge->label2, edge->atom2) = labelAndAtom(tokens[i + 1]);
    edge->node1 = nodeLabelled(*graph, edge->label1);
    edge->node2 = nodeLabelled(*graph, edge->label2);
    edge->order = order;
    const int added = graph->addGroupEdge(edge);
    if (added == 1) continue;
    delete edge;
    if (added == 0) return false;
  }
  return true;
}

}  // namespace

int IOEngine::loadGroups(std::istream& in, std::vector<Molecule*>* groups) {
  return loadList(*this, in, groups, ListKind::Groups);
}

int IOEngine::loadGroups(const char* path, std::vector<Molecule*>* groups) {
  return loadListFile(*this, path, groups, ListKind::Groups);
}

int IOEngine::loadGroups(const std::string& path, std::vector<Molecule*>* groups) {
  return loadGroups(path.c_str(), groups);
}

int IOEngine::loadMolecules(std::istream& in, std::vector<Molecule*>* molecules) {
  return loadList(*this, in, molecules, ListKind::Molecules);
}

int IOEngine::loadMolecules(const char* path, std::vector<Molecule*>* molecules) {
  return loadListFile(*this, path, molecules, ListKind::Molecules);
}

int IOEngine::loadMolecules(const std::string& path, std::vector<Molecule*>* molecules) {
  return loadMolecules(path.c_str(), molecules);
}

int IOEngine::loadTemplates(std::istream& in, std::vector<Molecule*>* templates) {
  return loadList(*this, in, templates, ListKind::Templates);
}

int IOEngine::loadTemplates(const char* path, std::vector<Molecule*>* templates) {
  return loadListFile(*this, path, templates, ListKind::Templates);
}

int IOEngine::loadTemplates(const std::string& path, std::vector<Molecule*>* templates) {
  return loadTemplates(path.c_str(), templates);
}

Molecule* IOEngine::parseMoleculeFile(std::istream& in) {
  MoleculeDescription description;
  std::string line;
  while (std::getline(in, line)) {
    if (!listfile::prepareLine(line)) continue;
    if (!description.readLine(line, listfile::upperCased(line))) return nullptr;
  }
  if (description.graph == nullptr) return nullptr;
  std::unique_ptr<Molecule> m(description.graph->createMoleculeFromGroupGraph());
  description.graph.reset();
  if (m == nullptr) return nullptr;

  std::vector<std::vector<Bond*> > rings;
  const auto& ends = description.ringEnds;
  for (size_t i = 0; i + 1 < ends.size(); i += 2) {
    Atom* first = m->findAtom(ends[i].first, ends[i].second);
    Atom* second = m->findAtom(ends[i + 1].first, ends[i + 1].second);
    if (first == nullptr || second == nullptr) {
      printError("Error: Ring is not possible");
      return nullptr;
    }
    if (first->bonds.size() != 1 || second->bonds.size() != 1) {
      printError("Error: Wrong DUMY atoms");
      return nullptr;
    }
    rings.push_back({first->bonds.front(), second->bonds.front()});
  }
  // A molecule keeps no half-closed ring: one pair that cannot be closed refuses the block.
  if (!closeRings(m.get(), rings)) return nullptr;
  m->findValenceVector();
  m->fillTotalAndUsedValence();
  return m.release();
}

Molecule* IOEngine::parseMoleculeFile(const char* path) {
  if (path == nullptr) return nullptr;
  std::ifstream in(path);
  if (!in) {
    ErrorLine() << "Cannot open file " << path;
    return nullptr;
  }
  return parseMoleculeFile(in);
}

Molecule* IOEngine::parseMoleculeFile(const std::string& path) {
  return parseMoleculeFile(path.c_str());
}
