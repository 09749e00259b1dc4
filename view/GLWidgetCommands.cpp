// Commands on whole molecules: library drops, the context menus and their actions, cloning,
// deleting, a new workspace and the bond-energy printouts.
#include <QAction>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "io/TreeEntry.h"
#include "math/ArcBallController.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "view/GLWidget.h"

namespace {

// How far along the eye ray a library entry lands.
constexpr float kMoleculeDistance = 40.0f;
constexpr float kGroupDistance = 10.0f;

template <typename List>
Molecule* entryAt(const List& list, int index) {
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return nullptr;
  return list[static_cast<size_t>(index)];
}

// The new molecule for a library entry and its console line; null for anything else.
Molecule* moleculeForEntry(const TreeEntry& command, float& distance, QString& line) {
  MoleculeEngine* library = MoleculeEngine::instance();
  const int index = command.index;
  if (command.kind == TreeEntry::Kind::Molecule) {
    Molecule* entry = entryAt(library->molecules, index);
    if (entry == nullptr) return nullptr;
    Molecule* molecule = nullptr;
    if (entry->isOptimized) {
      molecule = entry->clone();
    } else {
      // The library keeps its geometry; the copy is optimised, and one the chain refuses is not
      // placed.
      molecule = entry->copyGraph();
      if (!runSetupChain(*molecule, SetupSteps{SetupStep::Optimisation}).ok()) {
        ErrorLine() << "Error: GLWidget: the library molecule \"" << entry->label()
                    << "\" has no sound geometry and is not placed";
        delete molecule;
        return nullptr;
      }
    }
    distance = kMoleculeDistance;
    line = QString::fromStdString("Created: " + molecule->getName() + "     SMILES: " +
                                  molecule->smiles);
    return molecule;
  }
  if (command.kind == TreeEntry::Kind::Group) {
    Molecule* entry = entryAt(library->groups, index);
    if (entry == nullptr) return nullptr;
    Molecule* molecule = entry->clone();
    distance = kGroupDistance;
    const std::string& shown =
        molecule->displayName.empty() ? molecule->getName() : molecule->displayName;
    line = QString::fromStdString("Created: " + shown);
    return molecule;
  }
  if (command.kind == TreeEntry::Kind::History) {
    Molecule* entry = entryAt(library->history, index);
    if (entry == nullptr) return nullptr;
    distance = kMoleculeDistance;
    Molecule* molecule = entry->clone();
    line = QString::fromStdString("Created molecule\tSMILES: " + molecule->smiles);
    return molecule;
  }
  return nullptr;
}

}  // namespace

void GLWidget::createActions() {
  struct ActionRow {
    const char* text;
    QAction* GLWidget::*field;
    void (GLWidget::*slot)();   // null for headings
  };
  static const ActionRow rows[] = {
      {"&Molecule Operations", &GLWidget::moleculeOperationsAction, nullptr},
      {"&    Show Molecule Info in Console", &GLWidget::showMoleculeInfoAction,
       &GLWidget::showBondInfo},
      {"&    Move to Molecule", &GLWidget::moveToMoleculeAction, &GLWidget::moveToMolecule},
      {"&    Reset Global Position", &GLWidget::resetGlobalPositionAction,
       &GLWidget::resetGlobalCoords},
      {"&Reset Molecule Position", &GLWidget::resetMoleculePositionAction,
       &GLWidget::resetGlobalCoords},
      {"&    Reset Rotation", &GLWidget::resetRotationAction, &GLWidget::resetRotation},
      {"&    Clone Molecule", &GLWidget::cloneMoleculeAction, &GLWidget::cloneMesh},
      {"&    Delete Molecule", &GLWidget::deleteMoleculeAction, &GLWidget::deleteMolecule},
      {"&Join Operations", &GLWidget::joinOperationsAction, nullptr},
      {"&    Set Bond Axis 1", &GLWidget::setBondAxis1Action,
       &GLWidget::setFirstSelectedSpheroidFromSelected},
      {"&    Set Bond Axis 2", &GLWidget::setBondAxis2Action,
       &GLWidget::setSecondSelectedSpheroidFromSelected},
      {"&    Join Bond Axis 2 to Bond Axis 1", &GLWidget::joinBondAxesAction,
       &GLWidget::initJoinMolecules},
      {"&    Clear Bond Axes Selections", &GLWidget::clearBondAxesAction,
       &GLWidget::clearSelectedSpheroids},
      {"&Spheroid Operations", &GLWidget::spheroidOperationsAction, nullptr},
      {"&    Show Bond Energy in Console", &GLWidget::showBondEnergyAction,
       &GLWidget::showSingleBondInfo},
      {"&Reset Camera", &GLWidget::resetCameraAction, &GLWidget::resetCamera},
      {"&Store Camera", &GLWidget::storeCameraAction, &GLWidget::storeCamera},
      {"&Delete all saved cameras", &GLWidget::deleteAllCamerasAction, &GLWidget::eraseAllCameras},
      {"&Hide Camera Track", &GLWidget::hideCameraTrackAction,
       &GLWidget::toggleCameraTrackVisibility},
      {"&Show Camera Track", &GLWidget::showCameraTrackAction,
       &GLWidget::toggleCameraTrackVisibility},
      {"&Hide Cursor", &GLWidget::hideCursorAction, &GLWidget::toggleRenderCursor},
      {"&Show Cursor", &GLWidget::showCursorAction, &GLWidget::toggleRenderCursor},
  };
  for (const ActionRow& row : rows) {
    QAction* action = new QAction(tr(row.text), this);
    this->*row.field = action;
    if (row.slot != nullptr) connect(action, &QAction::triggered, this, row.slot);
  }
}

void GLWidget::createMoleculeContextMenu(const QPoint& globalPos) {
  QMenu menu(this);
  menu.addAction(moleculeOperationsAction);
  menu.addAction(showMoleculeInfoAction);
  menu.addAction(moveToMoleculeAction);
  menu.addAction(resetGlobalPositionAction);
  menu.addAction(resetRotationAction);
  menu.addAction(cloneMoleculeAction);
  menu.addAction(deleteMoleculeAction);
  menu.addSeparator();
  menu.addAction(joinOperationsAction);
  menu.addAction(setBondAxis1Action);
  menu.addAction(setBondAxis2Action);
  if (firstSelectedSpheroid != nullptr && secondSelectedSpheroid != nullptr)
    menu.addAction(joinBondAxesAction);
  if (firstSelectedSpheroid != nullptr || secondSelectedSpheroid != nullptr)
    menu.addAction(clearBondAxesAction);
  menu.addSeparator();
  menu.addAction(spheroidOperationsAction);
  menu.addAction(showBondEnergyAction);
  menu.addSeparator();
  menu.exec(globalPos);
}

void GLWidget::createDefaultContextMenu(const QPoint& globalPos) {
  QMenu menu(this);
  menu.addAction(resetCameraAction);
  menu.addAction(resetMoleculePositionAction);
  menu.exec(globalPos);
}

void GLWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (inputLocked) return;
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void GLWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (inputLocked) return;
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void GLWidget::dropEvent(QDropEvent* event) {
  addMoleculeFromLibrary(event->mimeData()->text(), event->pos());
}

void GLWidget::addMoleculeFromLibrary(const QString& command, const QPoint& pos) {
  // The entry of a library or Work Space item; the index ends at a "#" and its name.
  const TreeEntry entry = readTreeEntry(command);
  if (inputLocked || !entry.isListed()) return;
  setFocus();
  aimEyeRay(pos);
  GraphicsEngine* engine = GraphicsEngine::instance();
  SSEVector4f direction = engine->eyeRayDirection;
  direction.normalize();
  float distance = 0.0f;
  QString line;
  Molecule* molecule = moleculeForEntry(entry, distance, line);
  if (molecule == nullptr) return;
  const SSEVector4f& origin = engine->eyeRayOrigin;
  molecule->scenePosition = SSEVector4f(origin.x + distance * direction.x,
                                        origin.y + distance * direction.y,
                                        origin.z + distance * direction.z, 1.0f);
  handOverMolecule(molecule);
  emit emitConsoleString(line);
  emit pickStateSignal(MeshButton);
  engine->clearActivePointsFromCurrentMesh();
}

void GLWidget::dropEditMarks(Molecule* molecule) {
  if (!molecule->isEdited) return;
  for (Bond* bond : molecule->bonds)
    if (savedBondOrders.remove(bond) > 0)
      qDebug() << "Removed bond from BondEdit_SavedOrders: " << bond;
  atomsToDelete.erase(molecule);
  atomsToMakeAxes.erase(molecule);
  bondsToDelete.erase(molecule);
}

void GLWidget::deleteMolecule() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  Mesh* mesh = engine->currentMesh;
  if (joinState != 0 || mesh == nullptr) return;
  Molecule* molecule = mesh->molecule;
  if (molecule != nullptr) dropEditMarks(molecule);
  const std::vector<Mesh*>& meshes = engine->meshes;
  if (std::find(meshes.begin(), meshes.end(), mesh) == meshes.end()) return;
  removeAtOnce(mesh);   // with the chosen bond axes in it
  emit emitConsoleString(QStringLiteral("Molecule Deleted"));
  emit pickStateSignal(MeshButton);
  buildCameraAxes();
  MathEngine::instance()->pickMode = 1;
  engine->meshPickActive = true;
  engine->nullAllSelectedSpheroids();
  pickState = MeshButton;
  IOEngine::instance()->arcBall->mode = 2;
}

void GLWidget::removeAtOnce(Mesh* mesh) {
  Molecule* molecule = mesh->molecule;
  mesh->deleteMesh();   // also when its molecule left already
  scene.remove(molecule);
  purgeFlaggedMeshes();
}

void GLWidget::createNewWorkspace() {
  makeCurrent();
  GraphicsEngine* engine = GraphicsEngine::instance();
  autoRotateAxis = NoAutoRotation;
  pickState = ViewButton;
  inputLocked = true;
  cameraIndex = targetCameraIndex = -1;
  engine->eraseAllCameras();
  firstSelectedSpheroid = secondSelectedSpheroid = nullptr;
  engine->setCurrentMesh(nullptr);
  resetCamera();
  // The marks name molecules deleted here; the symbols must not look for them.
  clearAllEditModeData();
  scene.clear();   // the next paint deletes the meshes
  MoleculeEngine* library = MoleculeEngine::instance();
  // History entries are copies that were never drawn: their spheroids are theirs alone and go
  // with them.
  for (Molecule* molecule : library->history) delete molecule;
  library->history.clear();
}

void GLWidget::cloneMesh() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr || mesh->molecule == nullptr) return;
  Molecule* copy = mesh->molecule->clone();
  copy->scenePosition = SSEVector4f(mesh->position.x + mesh->size, mesh->position.y,
                                    mesh->position.z, 1.0f);
  GraphicsEngine::instance()->nullAllSelectedSpheroids();
  recordNewMolecule(copy);   // listed in the Work Space like any new molecule
  handOverMolecule(copy);
}

void GLWidget::showBondInfo() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr || mesh->molecule == nullptr) return;
  std::istringstream text(mesh->molecule->getListOfBondEnegries());
  for (std::string line; std::getline(text, line);)
    emit emitConsoleString(QString::fromStdString(line));
}

void GLWidget::showSingleBondInfo() {
  Spheroid* selected = getSelectedSpheroid();
  if (selected == nullptr || selected->kind != SpheroidKind::BondOrbital ||
      selected->owner == nullptr)
    return;
  char energy[64];
  std::snprintf(energy, sizeof energy, "%3.4f(ev)",
                static_cast<double>(static_cast<Bond*>(selected->owner)->energy));
  emit emitConsoleString(QStringLiteral("Selected bond has energy: ") +
                         QString::fromLatin1(energy));
}

// The slots below are reached by no action, button or call; they act on the current mesh.

void GLWidget::deleteSpheroid() {
  GraphicsEngine* engine = GraphicsEngine::instance();
  Mesh* mesh = engine->currentMesh;
  if (mesh == nullptr || mesh->currentSpheroid == nullptr) return;
  Spheroid* selected = mesh->currentSpheroid;
  mesh->currentSpheroid = nullptr;
  // The record that owns the spheroid must not free it a second time later.
  if (Spheroid** slot = selected->ownerSlot()) *slot = nullptr;
  if (selected == firstSelectedSpheroid) firstSelectedSpheroid = nullptr;
  if (selected == secondSelectedSpheroid) secondSelectedSpheroid = nullptr;
  mesh->removeSpheroid(selected);
  mesh->sortSpheroids();
  const std::vector<Mesh*>& meshes = engine->meshes;
  if (mesh->spheroids.empty() && !meshes.empty() && meshes.front() == mesh) {
    // Nothing of the molecule is left to see: it leaves the scene with its mesh.
    if (mesh->molecule != nullptr) dropEditMarks(mesh->molecule);
    removeAtOnce(mesh);
    emit emitConsoleString(QStringLiteral("Molecule Deleted"));
  }
}

void GLWidget::calculateMeshSurfaceArea() {
  const Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr) return;
  float area = 0.0f;
  for (const Spheroid* s : mesh->spheroids) area += s->calculateSurfaceArea();
  char text[64];
  std::snprintf(text, sizeof text, "%3.5f", static_cast<double>(area));
  emit emitConsoleString(QStringLiteral("Surface area of selected molecule: ") + text);
}

void GLWidget::calculateSpheroidSurfaceArea() {
  const Spheroid* selected = getSelectedSpheroid();
  if (selected == nullptr) return;
  char text[64];
  std::snprintf(text, sizeof text, "%3.5f", static_cast<double>(selected->calculateSurfaceArea()));
  emit emitConsoleString(QStringLiteral("Surface area of selected spheroid: ") + text);
}

void GLWidget::centerLocalCoords() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh != nullptr) mesh->centerLocalCoords();
}

// The picked point in the current mesh's own frame; a mesh keeps at most three.
void GLWidget::createActivePoint() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr) return;
  MathEngine* math = MathEngine::instance();
  const Spheroid* picked = math->pickedSpheroid;
  if (picked != nullptr && picked->owner != nullptr) {
    // The id of the picked atom or bond; an orbital stands for its atom.
    if (picked->kind == SpheroidKind::AtomSphere)
      mesh->activeAtomIds.push_back(static_cast<Atom*>(picked->owner)->id);
    if (picked->kind == SpheroidKind::AtomicOrbital) {
      const Atom* atom = static_cast<Ao*>(picked->owner)->atom;
      if (atom != nullptr) mesh->activeAtomIds.push_back(atom->id);
    }
    if (picked->kind == SpheroidKind::BondOrbital)
      mesh->activeAtomIds.push_back(static_cast<Bond*>(picked->owner)->id);
  }
  SSEVector4f point = math->pickPoint - mesh->position;
  SSEMatrix4x4f toMesh;
  mesh->rotation.inverse().toMatrix(&toMesh);
  point *= toMesh;
  mesh->activePoints.push_back(new SSEVector4f(point.x, point.y, point.z, 1.0f));
  mesh->showActivePoints = true;
  if (mesh->activePoints.size() >= 4) {
    delete mesh->activePoints.front();
    mesh->activePoints.erase(mesh->activePoints.begin());
  }
}

void GLWidget::createActivePointAtCenter() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr || mesh->currentSpheroid == nullptr) return;
  const SSEVector4f& c = mesh->currentSpheroid->centre;
  mesh->activePoints.push_back(new SSEVector4f(c.x, c.y, c.z, 1.0f));
  mesh->showActivePoints = true;
}

void GLWidget::deleteAllActivePoints() {
  Mesh* mesh = GraphicsEngine::instance()->currentMesh;
  if (mesh == nullptr) return;
  mesh->clearActivePoints();
  mesh->showActivePoints = false;
}

void GLWidget::updateRingProgress() { ringProgress.setValue(ringProgress.value() + 1); }
