#pragma once

#include <QFileIconProvider>
#include <QIcon>
#include <QObject>

#include <ostream>
#include <string>

class ArcBallController;
class Molecule;
class QTreeWidgetItem;

// The process-wide file and library singleton. It holds the roots of the three library trees
// (the main window takes their children once), the 3-D view's arc-ball and the set-up chain
// every reader and every edit runs. The class lives in kv_io_core; the set-up members are
// defined in construction/SetupPipeline.cpp (kv_construction), the file members in io/ (kv_io).
class IOEngine : public QObject {
  Q_OBJECT

 public:
  static IOEngine* instance();   // made on the first call, never destroyed

  // Where the force field's notes on missing parameters go: the same never-opened stream as
  // forceFieldLog(), so every line written to it is discarded.
  static std::ostream& error;

  QTreeWidgetItem* moleculeRoot = nullptr;     // invisible root "Root" of the Molecules tree
  QTreeWidgetItem* currentItem = nullptr;      // the item the loader created last
  QTreeWidgetItem* moleculeFolder = nullptr;   // where molecule entries are added
  int moleculeCount = 0;                       // next index for "M" item data
  QTreeWidgetItem* groupRoot = nullptr;        // root "Root" of the Functional Groups tree
  QTreeWidgetItem* groupFolder = nullptr;      // where group and template entries are added
  int groupCount = 0;                          // next index for "F" item data
  QTreeWidgetItem* templateRoot = nullptr;     // root "Root" of the Template tree
  QTreeWidgetItem* templateFolder = nullptr;   // the loader uses groupFolder for templates too
  QFileIconProvider iconProvider;
  QIcon folderIcon;
  ArcBallController* arcBall = nullptr;        // the view's arc-ball, never deleted

  // Set-up chain (construction/SetupPipeline.cpp). Each takes a molecule the caller owns.
  // Atom-type and bond parameters from the tables onto every atom and bond; a bond whose types
  // have no row takes the "CH3"-"CH3" single-bond geometry.
  void setParameters(Molecule* molecule);
  // Packed positions into the atoms, new atom spheres and bond spheroids. False when a bond's
  // scaled major axis is shorter than half its length; the other bonds are still rebuilt.
  bool setCoordinates(Molecule* molecule);
  // Internal-coordinates optimisation, or the Cartesian one when internalOnly is false and the
  // molecule holds a "DUM" atom. Returns the final setCoordinates' result.
  bool optimizeGeometryM(Molecule* molecule, bool internalOnly);
  // Cartesian force-field optimisation (adopted-basis Newton-Raphson) with the energy report on
  // standard output; leaves Molecule::isOptimized as it was.
  bool optimizeGeometryF(Molecule* molecule);
  // As optimizeGeometryF with steepest descent.
  bool localMinimization(Molecule* molecule);
  // Dipole moment only.
  void calProperty(Molecule* molecule);

 signals:
  void fileLoadTick();
  void numFilesToLoad(uint count);

 private:
  IOEngine();
  ~IOEngine() override = default;

  static IOEngine* Instance;
};

// A loader of OBJ files that loads nothing; kept for its interface.
class OBJLoader {
 public:
  OBJLoader() = default;
  explicit OBJLoader(const std::string& fileName) : fileName(fileName) {}
  void loadFile() {}
  void loadFile(const std::string&) {}

  std::string fileName;
};
