// Loaders that read every PDB or MDL mol file below a folder into a molecule list and hang the
// molecules into the library trees, a folder item at each change of folder.

#include <QIcon>
#include <QSize>
#include <QString>
#include <QTreeWidgetItem>

#include <functional>
#include <iostream>
#include <queue>
#include <string>
#include <vector>

#include "io/IOEngine.h"
#include "io/LibraryItems.h"
#include "io/MDLMolParser.h"
#include "io/MoleculeEngine.h"
#include "io/PDBParser.h"
#include "io/SmilesWriter.h"
#include "io/TreeEntry.h"
#include "math/FileNames.h"
#include "model/Molecule.h"

using libraryitems::folderNameOf;
using libraryitems::groupIcon;

namespace {

const int kGroupIconSize = 32;

QTreeWidgetItem* folderItem(QTreeWidgetItem* parent, const std::string& text, const QIcon& icon) {
  QTreeWidgetItem* item = new QTreeWidgetItem(parent);
  item->setText(0, QString::fromStdString(text));
  setTreeEntry(item, TreeEntry::folder());
  item->setIcon(0, icon);
  return item;
}

// Takes the queued files in turn, each with the folder item of its folder: a new one under root
// for the first file and at each change of folder, announced to madeFolder before its files.
void eachFileInItsFolder(std::queue<std::string>& queue, QTreeWidgetItem* root, const QIcon& icon,
                         const std::function<void(QTreeWidgetItem*)>& madeFolder,
                         const std::function<void(const std::string&, QTreeWidgetItem*)>& file) {
  std::string previousFolder;
  bool firstFile = true;
  QTreeWidgetItem* folder = root;
  while (!queue.empty()) {
    const std::string path = queue.front();
    queue.pop();
    const std::string folderName = folderNameOf(path);
    if (firstFile || folderName != previousFolder) {
      firstFile = false;
      previousFolder = folderName;
      folder = folderItem(root, folderName, icon);
      madeFolder(folder);
    }
    file(path, folder);
  }
}

}  // namespace

int IOEngine::loadPDBFilesFromDirectory(const char* directory, std::vector<Molecule*>* molecules) {
  if (directory == nullptr || molecules == nullptr) return 0;
  std::queue<std::string> queue;
  enqueueFilesFromDirectory(directory, queue);
  moleculeCount = static_cast<int>(molecules->size());
  PDBParser parser;
  int appended = 0;
  auto madeFolder = [this](QTreeWidgetItem* folder) {
    moleculeFolder = folder;
    currentItem = folder;
  };
  eachFileInItsFolder(queue, moleculeRoot, folderIcon, madeFolder,
                      [&](const std::string& path, QTreeWidgetItem* folder) {
    std::cout << " Loading pdb file " << path << "\n";
    std::vector<Molecule*> read;
    parser.parsePDBFile(path, read);
    if (read.empty()) return;
    QTreeWidgetItem* fileFolder = folderItem(folder, fileStem(path), folderIcon);
    moleculeFolder = fileFolder;
    for (Molecule* molecule : read) {
      const std::string name = molecule->getName();
      QTreeWidgetItem* item = new QTreeWidgetItem(fileFolder);
      item->setText(0, QString::fromStdString(name));
      setTreeEntry(item,
                   TreeEntry::listed(TreeEntry::Kind::Molecule, moleculeCount).withName(name));
      if (molecule->chainIds.size() > 1) {
        for (const std::string& chain : molecule->chainIds) {
          QTreeWidgetItem* part = new QTreeWidgetItem(item);
          part->setText(0, QString::fromStdString(chain));
          setTreeEntry(part, TreeEntry::pdbPart(name, chain));
          part->setCheckState(0, Qt::Checked);
        }
      }
      currentItem = item;
      molecules->push_back(molecule);
      ++moleculeCount;
      ++appended;
    }
  });
  moleculeCount = 0;
  return appended;
}

int IOEngine::loadMolFilesFromDirectory(const char* directory, std::vector<Molecule*>* molecules,
                                        bool groups) {
  if (directory == nullptr || molecules == nullptr) return 0;
  std::queue<std::string> queue;
  enqueueFilesFromDirectory(directory, queue);
  int& counter = groups ? groupCount : moleculeCount;
  counter = static_cast<int>(molecules->size());
  QTreeWidgetItem* root = groups ? groupRoot : moleculeRoot;
  MDLMolParser parser;
  int appended = 0;
  auto madeFolder = [this, groups](QTreeWidgetItem* folder) {
    if (groups) groupFolder = folder;
    else moleculeFolder = folder;
    currentItem = folder;
  };
  eachFileInItsFolder(queue, root, folderIcon, madeFolder,
                      [&](const std::string& path, QTreeWidgetItem* folder) {
    Molecule* molecule = parser.parseMDLMolFile(path);
    if (molecule == nullptr) return;
    QTreeWidgetItem* item = new QTreeWidgetItem(folder);
    if (groups) {
      item->setText(0, QStringLiteral(" "));
      item->setText(1, QString::fromStdString(molecule->displayName));
      item->setSizeHint(0, QSize(kGroupIconSize, kGroupIconSize));
      setTreeEntry(item, TreeEntry::listed(TreeEntry::Kind::Group, counter));
      item->setIcon(0, groupIcon(molecule->getName()));
      MoleculeEngine::instance()->patterns.push_back(molecule);
    } else {
      item->setText(0, QString::fromStdString(molecule->getName()));
      setTreeEntry(item, TreeEntry::listed(TreeEntry::Kind::Molecule, counter));
      SmilesWriter writer;
      std::string smiles;
      if (writer.createSmilesFromMolecule(molecule, smiles)) molecule->smiles = smiles;
    }
    currentItem = item;
    molecules->push_back(molecule);
    ++counter;
    ++appended;
  });
  counter = 0;
  return appended;
}
