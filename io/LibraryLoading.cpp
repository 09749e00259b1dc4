// Library loading: the walk over a library folder, the three library trees with the data
// strings their items carry, the console summary, and MoleculeEngine's loading members.

#include <QIcon>
#include <QSize>
#include <QString>
#include <QTreeWidgetItem>

#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "io/IOEngine.h"
#include "io/InputFile.h"
#include "io/LibraryItems.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesWriter.h"
#include "io/TreeEntry.h"
#include "math/DataFolder.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"

namespace fs = std::filesystem;

using libraryitems::folderNameOf;
using libraryitems::groupIcon;

namespace {

// Folders nested deeper than this are not entered: a symbolic link that points back up the
// tree would otherwise be walked without end.
constexpr int kMaxFolderDepth = 64;
constexpr int kIconSize = 32;

// Every entry that is no folder, below folders that do not begin with "."; links to folders are
// followed.
int enqueueBelow(const fs::path& folder, std::queue<std::string>& queue) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return 0;
  FolderWalk rules;
  rules.hiddenFolders = false;
  rules.followLinks = true;
  rules.regularFilesOnly = false;
  rules.maxDepth = kMaxFolderDepth;
  int count = 0;
  walkFolder(folder, rules, [&](const fs::path& path) {
    queue.push(path.string());
    ++count;
  });
  return count;
}

}  // namespace

int IOEngine::enqueueFilesFromDirectory(const char* folder, std::queue<std::string>& queue) {
  if (folder == nullptr) return -1;
  std::error_code ec;
  const fs::path path(folder);
  if (!fs::exists(path, ec)) return -1;
  const fs::path complete = fs::absolute(path, ec);
  if (ec) return -1;
  return fs::is_directory(complete, ec) ? enqueueFilesFromDirectory(complete, queue) : 0;
}

int IOEngine::enqueueFilesFromDirectory(const std::string& folder,
                                        std::queue<std::string>& queue) {
  const int count = enqueueFilesFromDirectory(folder.c_str(), queue);
  return count < 0 ? 0 : count;
}

int IOEngine::enqueueFilesFromDirectory(const fs::path& folder, std::queue<std::string>& queue) {
  return enqueueBelow(folder, queue);
}

int IOEngine::loadKVTFilesFromDirectory(const char* folder, std::vector<Molecule*>* target,
                                        int kind) {
  if (folder == nullptr || target == nullptr || kind < 0 || kind > 2) return 0;
  std::queue<std::string> queue;
  enqueueFilesFromDirectory(folder, queue);

  std::string previousFolder;
  int& counter = kind == 0 ? moleculeCount : groupCount;
  counter = static_cast<int>(target->size());
  QTreeWidgetItem* root = kind == 0 ? moleculeRoot : (kind == 1 ? groupRoot : templateRoot);
  QTreeWidgetItem*& folderItem = kind == 0 ? moleculeFolder : groupFolder;
  MoleculeEngine* library = MoleculeEngine::instance();

  int loaded = 0;
  while (!queue.empty()) {
    const std::string path = queue.front();
    queue.pop();

    const std::string folderName = folderNameOf(path);
    if (folderName != previousFolder) {
      previousFolder = folderName;
      folderItem = root;
      QTreeWidgetItem* item = new QTreeWidgetItem(folderItem);
      item->setText(0, QString::fromStdString(folderName));
      setTreeEntry(item, TreeEntry::folder());
      item->setIcon(0, folderIcon);
      folderItem = item;
      currentItem = item;
    }

    Molecule* molecule = parseKvtFile(path);
    if (molecule == nullptr) continue;
    molecule->findAllSmallestRings();
    molecule->fillTotalAndUsedValence();

    if (kind == 0) {
      QTreeWidgetItem* item = new QTreeWidgetItem(folderItem);
      item->setText(0, QString::fromStdString(molecule->getName()));
      setTreeEntry(item, TreeEntry::listed(TreeEntry::Kind::Molecule, counter));
      currentItem = item;
      SmilesWriter writer;
      std::string smiles;
      if (writer.createSmilesFromMolecule(molecule, smiles)) molecule->smiles = smiles;
      target->push_back(molecule);
    } else {
      // "Special" groups are kept and counted but get no item.
      if (molecule->sfunc != "Special") {
        QTreeWidgetItem* item = new QTreeWidgetItem(folderItem);
        item->setText(0, QStringLiteral(" "));
        item->setText(1, QString::fromStdString(kind == 1 ? molecule->displayName
                                                          : molecule->getName()));
        setTreeEntry(item, TreeEntry::listed(TreeEntry::Kind::Group, counter));
        item->setSizeHint(0, QSize(kIconSize, kIconSize));
        item->setIcon(0, groupIcon(molecule->getName()));
        currentItem = item;
      }
      library->patterns.push_back(molecule);
      target->push_back(molecule);
    }
    ++counter;
    ++loaded;
  }
  counter = 0;
  return loaded;
}

void IOEngine::printSummaryOfMoleculesInConsole(const std::vector<Molecule*>& molecules) {
  UtilityEngine* utility = UtilityEngine::instance();
  // The lines are made before any is printed: the summary of a long load takes seconds to print,
  // and the window answers the user between its lines while nothing reads the molecules.
  std::vector<std::string> lines;
  int position = 0;
  for (Molecule* molecule : molecules) {
    ++position;
    if (molecule == nullptr) continue;
    const std::string name = molecule->getName();
    const char* format = "%5d %26.5f\t%16.5f\t%s";
    const int size = std::snprintf(nullptr, 0, format, position,
                                   static_cast<double>(molecule->totalBondEnergy),
                                   static_cast<double>(molecule->dipoleMoment), name.c_str());
    if (size < 0) continue;
    std::string line(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(&line[0], line.size(), format, position,
                  static_cast<double>(molecule->totalBondEnergy),
                  static_cast<double>(molecule->dipoleMoment), name.c_str());
    line.resize(static_cast<size_t>(size));
    lines.push_back(line);
  }
  utility->printToConsole(
      "-----------------------Summary of the parsed molecules----------------------------------");
  utility->printToConsole("   ID Total Bond Energy(ev)    Dipole Moment(D) Molecular Formula");
  for (const std::string& line : lines) {
    utility->printToConsole(line);
    processPendingEventsAndInput();
  }
  utility->printToConsole(std::string(99, '-'));
}

int MoleculeEngine::loadGroups() {
  IOEngine* engine = IOEngine::instance();
  return engine->loadKVTFilesFromDirectory(dataPath("KV_GROUPS").c_str(), &groups, 1) +
         engine->loadKVTFilesFromDirectory(dataPath("KV_TEMPLATES").c_str(), &groups, 2);
}

int MoleculeEngine::loadMolecules() {
  return IOEngine::instance()->loadKVTFilesFromDirectory(dataPath("KV_MOLECULES").c_str(),
                                                        &molecules, 0);
}

int MoleculeEngine::loadGroups(const std::string& root) {
  IOEngine* engine = IOEngine::instance();
  const std::string groupsFolder = root + "/KV_GROUPS";
  const std::string templatesFolder = root + "/KV_TEMPLATES";
  return engine->loadKVTFilesFromDirectory(groupsFolder.c_str(), &groups, 1) +
         engine->loadKVTFilesFromDirectory(templatesFolder.c_str(), &groups, 2);
}

int MoleculeEngine::loadMolecules(const std::string& root) {
  const std::string folder = root + "/KV_MOLECULES";
  return IOEngine::instance()->loadKVTFilesFromDirectory(folder.c_str(), &molecules, 0);
}
