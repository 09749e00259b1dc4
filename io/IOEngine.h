#pragma once

#include <QFileIconProvider>
#include <QIcon>
#include <QObject>

#include <filesystem>
#include <istream>
#include <ostream>
#include <queue>
#include <string>
#include <vector>

class ArcBallController;
class Atom;
class Bond;
class Molecule;
class Residue;
struct LigandOrderGuesses;
class QTreeWidgetItem;

// The process-wide file and library singleton. It holds the roots of the three library trees
// (the main window takes their children once), the 3-D view's arc-ball and the steps of the
// set-up chain, which every reader and every edit runs through runSetupChain
// (construction/SetupChain.h). The class lives in kv_io_core; the set-up members are
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

  // Set-up steps (construction/SetupPipeline.cpp). Each takes a molecule the caller owns.
  // Atom-type and bond parameters from the tables onto every atom and bond; a bond whose types
  // have no row takes the "CH3"-"CH3" single-bond geometry.
  void setParameters(Molecule* molecule);
  // Packed positions into the atoms, new atom spheres and bond spheroids. False when a bond's
  // scaled major axis is shorter than half its length (the other bonds are still rebuilt), and
  // with one error line naming the atoms when the positions are no finished geometry: two atoms
  // that share no bond closer than 0.7 Angstrom, a labelled centre or a marked double bond not
  // as written.
  [[nodiscard]] bool setCoordinates(Molecule* molecule);
  // Internal-coordinates optimisation, or the Cartesian one when internalOnly is false and the
  // molecule holds a "DUM" atom. An internal-coordinates result that fails the checks of
  // setCoordinates is repaired and optimised once more. Returns the final setCoordinates' result.
  [[nodiscard]] bool optimizeGeometryM(Molecule* molecule, bool internalOnly);
  // Cartesian force-field optimisation (adopted-basis Newton-Raphson) with the energy report on
  // standard output; leaves Molecule::isOptimized as it was.
  [[nodiscard]] bool optimizeGeometryF(Molecule* molecule);
  // As optimizeGeometryF with steepest descent.
  [[nodiscard]] bool localMinimization(Molecule* molecule);
  // Dipole moment only.
  void calProperty(Molecule* molecule);

  // Residue bonding for the PDB reader (io/ResidueBonding.cpp). Bonds one residue from the
  // library group of its name, then by the bond-order table's distances, and sets its orders.
  // No atom gets more than kMostDistanceBonds bonds from the distances; the first atom that had
  // more neighbours within bonding distance is returned, null when there was none.
  // A residue without template, residue class or listed bonds gets its orders from its own
  // graph (io/LigandBondOrders.h); where they rest on a guess, the guesses are given back.
  const Atom* findConnectivityWithinResidue(Residue* residue,
                                            LigandOrderGuesses* guesses = nullptr);
  // As many bonds as any element forms (SF6). A residue of five thousand carbons packed into a
  // 10 Angstrom box gave each a hundred bonds, and every later step choked on the rings.
  static constexpr size_t kMostDistanceBonds = 6;
  // Appends a new single bond for each linked pair of consecutive residues (C-N within 2.8
  // Angstrom, O3'-P always); the bonds belong to no molecule yet.
  void findCommectivityAmongstResidues(const std::vector<Residue*>& residues,
                                       std::vector<Bond*>& links);

  // Legacy directory loaders (io/LegacyLoaders.cpp): every file below the directory into the
  // list and the library trees; each returns the number of molecules appended.
  int loadPDBFilesFromDirectory(const char* directory, std::vector<Molecule*>* molecules);
  int loadMolFilesFromDirectory(const char* directory, std::vector<Molecule*>* molecules,
                                bool groups);

  // Own molecule file ".kv" (io/KvFileReader.cpp, io/KvFileWriter.cpp). The writer returns 1 on
  // success and 0 on failure; a failed write leaves an existing file whole. The reader returns
  // a new molecule the caller owns, or null; it only rebuilds spheroids from the stored
  // coordinates (no typing, no parameters, no optimisation), and coordinates the chain refuses
  // (two atoms that share no bond too close, a centre of the wrong hand) give null.
  int writeKvtFile(Molecule* molecule, const char* fileName);
  [[nodiscard]] Molecule* parseKvtFile(const char* fileName);
  [[nodiscard]] Molecule* parseKvtFile(const std::string& fileName);
  // Reads the ".kv" text of a stream; `place` names the source in messages. A file cut short
  // (no "#ATOMS" or "#BONDS" section), without atoms, with a second "#ATOMS" section or with a
  // record that cannot be read fails with a message naming the line.
  [[nodiscard]] Molecule* parseKvtStream(std::istream& in, const std::string& place);
  // Record parsers of the reader; each takes one data line. makeAtom and setEnergies return
  // false (the molecule unchanged, problem set when given) for a record that cannot be read:
  // fewer than 14 atom fields, an unknown element, a number that is not finite. makeBond
  // returns false for fewer than 13 fields, a bad atom index, an order other than 1, 2, 3 or 9,
  // or a focal distance longer than the major axis.
  [[nodiscard]] bool makeAtom(Molecule* molecule, std::istream& record,
                              std::string* problem = nullptr);
  [[nodiscard]] bool makeBond(Molecule* molecule, std::istream& record);
  [[nodiscard]] bool setEnergies(Molecule* molecule, std::istream& record);
  void setSfunc(Molecule* molecule, std::istream& record);
  void parseReplace(Molecule* molecule, const std::string& line);
  void parseUpdate(Molecule* molecule, const std::string& line);

  // POV-Ray scene of a displayed molecule's mesh (io/PovrayExport.cpp): its atom spheres and
  // bond orbitals as drawn, for "Resources/molecule_pov.inc". True when the whole scene was
  // written; false, with one error line naming the file, for a molecule without a mesh or a
  // file that cannot be written (an existing file is then left as it was).
  bool exportMoleculeToPovray(const Molecule* molecule, const std::string& fileName);

  // Library loading (io/LibraryLoading.cpp). Kind 0 molecules, 1 groups, 2 templates; returns
  // the number of files that gave a molecule.
  int loadKVTFilesFromDirectory(const char* folder, std::vector<Molecule*>* target, int kind);
  // -1 when the path does not exist, else the number of files queued below it.
  int enqueueFilesFromDirectory(const char* folder, std::queue<std::string>& queue);
  // As above, but 0 when the path does not exist.
  int enqueueFilesFromDirectory(const std::string& folder, std::queue<std::string>& queue);
  // Depth-first walk that passes over folders whose name begins with "."; 0 for a non-folder.
  int enqueueFilesFromDirectory(const std::filesystem::path& folder,
                                std::queue<std::string>& queue);
  void printSummaryOfMoleculesInConsole(const std::vector<Molecule*>& molecules);

  // Group and molecule list files, the older text form of the library. They assemble molecules
  // from group graphs, so they are defined in assembly/ (kv_assembly): callers link kv_assembly.
  // One group block (assembly/GroupFileReader.cpp): a new set-up group the caller owns, or null.
  [[nodiscard]] Molecule* parseGroupFile(std::istream& in);
  [[nodiscard]] Molecule* parseGroupFile(const char* path);
  [[nodiscard]] Molecule* parseGroupFile(const std::string& path);
  // The list readers (assembly/ListFileReaders.cpp): blocks by folder into the list and the
  // library trees; each returns the number of entries made, 0 for a file that cannot be opened.
  int loadGroups(std::istream& in, std::vector<Molecule*>* groups);
  int loadGroups(const char* path, std::vector<Molecule*>* groups);
  int loadGroups(const std::string& path, std::vector<Molecule*>* groups);
  int loadMolecules(std::istream& in, std::vector<Molecule*>* molecules);
  int loadMolecules(const char* path, std::vector<Molecule*>* molecules);
  int loadMolecules(const std::string& path, std::vector<Molecule*>* molecules);
  int loadTemplates(std::istream& in, std::vector<Molecule*>* templates);
  int loadTemplates(const char* path, std::vector<Molecule*>* templates);
  int loadTemplates(const std::string& path, std::vector<Molecule*>* templates);
  // One "MOLE" block: the molecule assembled from its group graph, or null.
  [[nodiscard]] Molecule* parseMoleculeFile(std::istream& in);
  [[nodiscard]] Molecule* parseMoleculeFile(const char* path);
  [[nodiscard]] Molecule* parseMoleculeFile(const std::string& path);
  // Legacy library helpers (assembly/LegacyLibraryTools.cpp). An MDL mol file into the
  // molecule library and its tree: 1, or 0 when it cannot be read.
  [[nodiscard]] int loadMolFile(const char* path);
  // Writes a residue as a template file with dummy atoms at its chain ends; an existing file is
  // never touched, and a residue whose geometry the set-up chain refuses is not written.
  void addMoleculeToTemplates(Molecule* molecule, const char* path);
  // Re-types atoms at group junctions by the UPDATE rules of their library groups.
  void updateSfun(Molecule* molecule);
  // Ring closing of list-built molecules (assembly/RingClosing.cpp). Closes each pair of open
  // ends (bonds to "DUM" atoms) in list order and stops at the first pair that cannot be
  // closed; true when every pair was closed.
  [[nodiscard]] bool closeRings(Molecule* molecule,
                                std::vector<std::vector<Bond*> >& rings);
  // First coordinates, bond by bond from the tables' bond lengths and angles, into the packed
  // positions only (assembly/InitialGeometry.cpp). False, positions unchanged, after an error.
  [[nodiscard]] bool calculateInitialGeometry(Molecule* molecule);

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
  explicit OBJLoader(const std::string& name) : fileName(name) {}
  void loadFile() {}
  void loadFile(const std::string&) {}

  std::string fileName;
};
