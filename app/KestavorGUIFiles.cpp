// The road from a file on disk to a molecule on screen: File > Open of the five molecule
// formats of the file-type table (io/FileTypes.h) and the import of every mol file below a
// folder. The readers return finished molecules; here they are placed in front of the camera,
// handed to the view, recorded in the history and listed in the Work Space tree.
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QTreeWidgetItem>

#include <cstdio>
#include <deque>

#include "app/KestavorGUI.h"
#include "io/FileTypes.h"
#include "io/IOEngine.h"
#include "io/MDLMolParser.h"
#include "io/MoleculeEngine.h"
#include "io/TreeEntry.h"
#include "math/FileNames.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"

namespace {

constexpr int kWorkSpacePage = 3;
constexpr float kPlacementDistance = 30.0f;   // scene units along the eye ray

// The Open dialog's own starting folder, kept for the whole process.
QString openFolder;

void print(const std::string& line) { UtilityEngine::instance()->printToConsole(line); }

void reportNothingLoaded(const std::string& path, const std::string& reason) {
  print("Nothing loaded from " + path + ": " + reason);
}

// Names the window's load for as long as it lives.
class LoadInProgress {
 public:
  LoadInProgress(std::string& field, const std::string& file) : field_(field) { field_ = file; }
  ~LoadInProgress() { field_.clear(); }
  LoadInProgress(const LoadInProgress&) = delete;
  LoadInProgress& operator=(const LoadInProgress&) = delete;

 private:
  std::string& field_;
};

}  // namespace

QTreeWidgetItem* KestavorGUI::workSpaceItem(const std::string& text, const TreeEntry& entry) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, QString::fromStdString(text));
  setTreeEntry(item, entry);
  return item;
}

QTreeWidgetItem* KestavorGUI::historyEntryItem(const Molecule& molecule, size_t index,
                                               bool withParts) {
  const std::string name = molecule.getName();
  const int at = static_cast<int>(index);
  QTreeWidgetItem* item =
      workSpaceItem(name, TreeEntry::listed(TreeEntry::Kind::History, at).withName(name));
  if (withParts && molecule.chainIds.size() >= 2)
    for (const std::string& part : molecule.chainIds) {
      QTreeWidgetItem* partItem = workSpaceItem(part, TreeEntry::pdbPart(name, part, at));
      partItem->setCheckState(0, Qt::Checked);
      item->addChild(partItem);
    }
  return item;
}

std::string KestavorGUI::loadTimingLine(size_t molecules, long long milliseconds) {
  const long long withinHour = milliseconds % 3600000;
  const float seconds = static_cast<float>(withinHour % 60000) / 1000.0f;
  char line[128];
  std::snprintf(line, sizeof line, "%5d Molecules Loaded in %5d hours %5d minutes %6.3f seconds.",
                static_cast<int>(molecules), static_cast<int>(milliseconds / 3600000),
                static_cast<int>(withinHour / 60000), static_cast<double>(seconds));
  return line;
}

SSEVector4f KestavorGUI::placementPoint() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->mouseX = static_cast<int>(engine->windowWidth / 2);
  engine->mouseY = static_cast<int>(engine->windowHeight / 2);
  MathEngine::instance()->generateEyeRay();
  SSEVector4f direction = engine->eyeRayDirection;
  direction.normalize();
  const SSEVector4f& origin = engine->eyeRayOrigin;
  return SSEVector4f(origin.x + kPlacementDistance * direction.x,
                     origin.y + kPlacementDistance * direction.y,
                     origin.z + kPlacementDistance * direction.z, 1.0f);
}

void KestavorGUI::showWorkSpace() { ui.MoleculeTabWidget->setCurrentIndex(kWorkSpacePage); }

bool KestavorGUI::refusedDuringLoad(const std::string& command) {
  if (loadingFile.empty()) return false;
  print("Still loading " + loadingFile + ": " + command + " is refused until the load is finished");
  return true;
}

void KestavorGUI::Menu_Load() {
  if (refusedDuringLoad("Open")) return;
  const QString chosen = QFileDialog::getOpenFileName(
      this, tr("Load Molecule"), openFolder,
      tr("KV Files (*.kv);;MOL V2000 Files (*.mol);;MOL SD Files (*.sd);;MOL SD Files (*.sdf);;"
         "PDB Files (*.pdb);;SMILES Files (*.SMILES)"));
  openFolder = chosen.left(chosen.lastIndexOf('/'));   // a cancel leaves it empty
  if (chosen.isEmpty()) return;
  const SSEVector4f at = placementPoint();
  const std::string path = chosen.toStdString();
  // The type of the file name's last extension, as every command that reads files picks it; the
  // row's reader reads it. What is said and shown around the reading is Open's own.
  const FileType* type = fileTypeOf(path, kOpenUse);
  if (type == nullptr) return reportNothingLoaded(path, "not a KV, MOL, SD, PDB or SMILES file");
  switch (type->format) {
    case FileFormat::Mol:
      return loadOneMolecule(*type, path, at, "MOL");
    case FileFormat::Kv:
      return loadOneMolecule(*type, path, at, "KV");
    case FileFormat::Pdb:
      return loadPdbFile(*type, path, at);
    case FileFormat::SD:
      return loadListFile(*type, path, false);
    case FileFormat::Smiles:
      return loadListFile(*type, path, true);
  }
}

void KestavorGUI::loadOneMolecule(const FileType& type, const std::string& path,
                                  const SSEVector4f& at, const std::string& kind) {
  std::vector<Molecule*> molecules;
  // A file that cannot be opened has said so and gives no molecule.
  if (!readMolecules(type, path, molecules) || molecules.empty())
    return reportNothingLoaded(path, "no molecule could be read");
  showLoadedMolecule(molecules.front(), at, kind);
}

void KestavorGUI::showLoadedMolecule(Molecule* molecule, const SSEVector4f& at,
                                     const std::string& kind) {
  molecule->scenePosition = at;
  glWidget->handOverMolecule(molecule);
  std::deque<Molecule*>& history = MoleculeEngine::instance()->history;
  const size_t index = history.size();
  history.push_back(molecule->clone());
  workSpaceTree->addTopLevelItem(workSpaceItem(
      molecule->getName(), TreeEntry::listed(TreeEntry::Kind::History, static_cast<int>(index))));
  // Read before printing: the print lets the view's next frame take the molecule over.
  const std::string line =
      "Created molecule from " + kind + " file     SMILES: " + molecule->smiles;
  showWorkSpace();
  print(line);
}

void KestavorGUI::showLoadedList(const std::vector<Molecule*>& molecules,
                                 const std::string& folderName, const SSEVector4f& at,
                                 bool withParts, const std::string& announce) {
  std::deque<Molecule*>& history = MoleculeEngine::instance()->history;
  showWorkSpace();
  QTreeWidgetItem* folder = workSpaceItem(folderName, TreeEntry::folder());
  folder->setIcon(0, IOEngine::instance()->iconProvider.icon(QFileIconProvider::Folder));
  for (size_t i = 0; i < molecules.size(); ++i) {
    Molecule* molecule = molecules[i];
    // Only the first is shown; the others wait in the history for a drag or a double-click.
    if (i == 0) {
      Molecule* shown = molecule->clone();
      shown->scenePosition = at;
      glWidget->handOverMolecule(shown);
    }
    // Counted as each joins, so an entry added meanwhile cannot shift the items' indices.
    folder->addChild(historyEntryItem(*molecule, history.size(), withParts));
    history.push_back(molecule);
    if (!announce.empty()) print(announce);
  }
  workSpaceTree->addTopLevelItem(folder);
}

void KestavorGUI::loadPdbFile(const FileType& type, const std::string& path,
                              const SSEVector4f& at) {
  std::vector<Molecule*> molecules;
  print("Wait!! parsing PDB file " + path);
  processPendingEvents();
  if (!readMolecules(type, path, molecules) || molecules.empty())
    return reportNothingLoaded(path, "no molecule could be read");
  const std::string folder = fileStem(path);
  showLoadedList(molecules, folder, at, true, "Created molecule from PDB file " + folder);
  print("Finished parsing PDB file " + path);
}

void KestavorGUI::loadListFile(const FileType& type, const std::string& path, bool smiles) {
  const LoadInProgress loading(loadingFile, path);
  std::vector<Molecule*> molecules;
  print(smiles ? "Parsing SMILES file, Please Wait..." + path
               : "Parsing sdf File " + path + ", Please Wait...");
  QElapsedTimer stopwatch;
  stopwatch.start();
  processPendingEvents();
  const bool opened = readMolecules(type, path, molecules);
  if (!opened || molecules.empty()) {
    reportNothingLoaded(path, "no molecule could be read");
  } else {
    showLoadedList(molecules, fileStem(path), placementPoint(), false, std::string());
    IOEngine::instance()->printSummaryOfMoleculesInConsole(molecules);
    print(loadTimingLine(molecules.size(), stopwatch.elapsed()));
  }
  if (smiles) print("Finished parsing SMILES file " + path);
}

void KestavorGUI::Menu_LoadDirectory() {
  if (refusedDuringLoad("Directory import")) return;
  const QString chosen = QFileDialog::getExistingDirectory(
      this, tr("Import all MOL V2000 files from directory"), QStringLiteral("c:\\"),
      QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
  if (chosen.isEmpty()) return;
  const std::string folder = chosen.toStdString();
  const LoadInProgress loading(loadingFile, folder);
  QElapsedTimer stopwatch;
  stopwatch.start();
  print("Loading Molecules From Directory, Please Wait... " + folder);
  processPendingEvents();
  MDLMolParser parser;
  std::vector<Molecule*> molecules;
  parser.loadMolFilesFromDirectory(folder.c_str(), molecules);
  if (!molecules.empty()) {
    showLoadedList(molecules, folder.substr(folder.rfind('/') + 1), placementPoint(), false,
                   std::string());
  }
  IOEngine::instance()->printSummaryOfMoleculesInConsole(molecules);
  print(loadTimingLine(molecules.size(), stopwatch.elapsed()));
}
