#pragma once

#include <queue>
#include <string>
#include <vector>

#include "math/Quaternion.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class Atom;
class Bond;
class BondAxis;
class Mesh;
class Ring;
class RingCluster;
class UpdateRules;

// The graph of one molecule or functional group. Owns its atoms, bonds, rings, ring clusters,
// positions and mesh. Ids are list positions once update() has run; deleting does not renumber.
class Molecule {
 public:
  static int NumOfGroups;   // running number of new group instance names
  // The most atoms, hydrogens included, a reader builds into one molecule: 250,000. The
  // set-up chain takes time and memory about linear in the atoms (a protein of 210,000 atoms
  // reads in a few seconds and under 400 MB); a larger input is refused before it is built.
  // Tests lower it to try the refusals on small inputs.
  static size_t maxAtoms;

  int id = 0;               // stamped by Builder::createMolecule
  int mergeOffset = 0;      // atom count before the last merge
  std::vector<Atom*> atoms;
  std::vector<Bond*> bonds;
  std::vector<Ring*> rings;
  std::vector<std::string> groups;   // group instance names
  std::vector<std::string> replaceFrom;
  std::vector<std::string> replaceTo;
  std::vector<std::string> updateFrom;
  std::vector<std::string> updateTo;
  std::vector<std::string> chainIds;
  std::vector<RingCluster*> ringClusters;   // owned; rebuilt by every coordinate construction
  std::vector<std::string> names;    // the first is the molecule's name
  std::string displayName;
  std::string smiles;
  std::string sfunc;
  unsigned int numAtoms = 0;
  unsigned int numBonds = 0;
  unsigned int numRings = 0;
  unsigned int numBondAxes = 0;
  float totalBondEnergy = 0.0f;      // eV
  float energyCorrection = 0.0f;     // eV
  float heatOfFormation = 0.0f;      // eV
  float atomicEnergySum = 0.0f;      // eV
  float ringStrainEnergy = 0.0f;     // eV: what the rings add (calHeatOfFormation)
  float dipoleMoment = 0.0f;         // Debye
  // False when the set-up chain computed no dipole (a PDB structure too large for one): then
  // dipoleMoment is a 0 that means nothing, and what shows the dipole says there is none.
  bool hasDipoleMoment = true;
  SSEVector4f scenePosition{0.0f, 0.0f, 0.0f, 1.0f};
  Quaternion orientation;
  // Packed (x, y, z, 1) per atom in id order; empty when the molecule has none. While it is
  // present its size follows the atom list: addAtom gives every new atom a slot.
  std::vector<SSEVector4f> positions;
  bool hasUpdateRules = false;
  bool isOptimized = false;
  // The last geometry optimisation stopped short of convergence: the energies are those of an
  // unfinished geometry.
  bool isUnconverged = false;
  bool isTreeClicked = false;
  bool isEdited = false;
  bool pdbFlag = false;
  bool isFromPdb = false;
  bool hasApproximatedParameters = false;
  Mesh* mesh = nullptr;              // owned
  Atom* specialAtom = nullptr;

  Molecule() = default;
  ~Molecule();
  Molecule(const Molecule&) = delete;
  Molecule& operator=(const Molecule&) = delete;

  // Forgets atoms, bonds, rings and positions without freeing them; the caller owns them.
  int clearMolecule();

  // Traversal with a caller-held iterator; null at the end.
  Atom* getFirstAtom(std::vector<Atom*>::iterator& it);
  Atom* getNextAtom(std::vector<Atom*>::iterator& it);
  Bond* getFirstBond(std::vector<Bond*>::iterator& it);
  Bond* getNextBond(std::vector<Bond*>::iterator& it);

  // Lookups: linear scans, the first match wins.
  std::string getName() const;
  // The molecule as messages name it: its name, else its display name, else its SMILES text;
  // "unnamed" when it has none of them.
  std::string label() const;
  Bond* getBond(const Atom* a, const Atom* b) const;   // ends compared by id
  Atom* getAtomWithSerialNumber(int serial) const;
  Atom* findAtom(const std::string& groupIndex, const std::string& name) const;
  Atom* findAtomIdName(const std::string& groupInstance, const std::string& name) const;
  int getNumCenterAtoms() const;
  void addChainId(const std::string& chain);
  void setGroupIndex(const std::string& groupIndex);
  void deleteBondAxis(BondAxis* x);

  // Editing (MoleculeEditing.cpp).
  bool addAtom(Atom* a);
  bool addAtom(const std::string& name, SSEVector4f& p);
  // 1 added, 0 bad arguments, -1 an atom refused the bond.
  int addBond(Atom* a1, Atom* a2, int order);
  int addBond(unsigned int i1, unsigned int i2, int order);
  int addBond(Bond* b);
  bool deleteBond(Bond* b);
  bool deleteAtom(Atom* a);
  bool update();
  unsigned int calculateNumBondAxes();
  void setAllAtomPositions();
  void clearFlag_IsPosFix();
  void fixHeavyAtoms();
  void nullAllSpheroids();
  // Hands the mesh over to the caller: the atoms, orbitals and bonds let go of the spheroids
  // the mesh owns (nullAllSpheroids) and the molecule of the mesh, so deleting either touches
  // nothing of the other. Null without a mesh.
  Mesh* detachMesh();

  // Ring bookkeeping.
  void addRing(Ring* ring, bool listOnly);
  void setRings(std::vector<Ring*> newRings);

  // Copying and naming (MoleculeCopying.cpp). The caller owns the copies.
  Molecule* clone();
  Molecule* clone(const std::string& groupInstance);
  Molecule* copyGraph();
  std::string makeName();

  // Ring perception (RingPerception.cpp): rebuilds the rings, ring-id sets, pi electrons and
  // aromatic flags from the bond graph. Deterministic: the same graph gives the same rings.
  void findAllSmallestRings();
  // Appends the smallest rings through each bond of start; `peeled` has one entry per atom.
  void findSmallestRingForAtom(Atom* start, bool* peeled, std::vector<std::vector<int> >& found);
  bool isNewRing(std::vector<int> ring) const;   // false when a registered ring holds the cycle
  void populatePiElectrons();

  // Ring sequence matching (RingSequence.cpp). Sequences and rings are atom-id lists.
  bool checkRingComponent(std::vector<int> sequence, std::vector<int> ring, int& position);
  bool rearrangeRing(std::vector<int> sequence, std::vector<int>& ring);
  int searchInRing(std::vector<int>& sequence);
  void searchSequenceInRing(std::vector<int>& sequence, Ring* ring);
  bool checkAromaticity(std::vector<int>& ring);
  bool checkDuplicateRing(const int* first, const int* second, int count) const;
  bool checkSingleRing(const int* ids, int count) const;

  // The perception sequence every reader of a bare graph runs (ValenceCompletion.cpp):
  // perceiveGraph finds valences, the smallest rings and aromaticity, and adds the missing
  // hydrogens; perceive then also types every atom. Both return false, with no hydrogen
  // added, when the hydrogens would take the molecule past maxAtoms.
  bool perceiveGraph();
  bool perceive();
  // Valence completion and hydrogens (ValenceCompletion.cpp).
  void findValenceVector();
  void fillTotalAndUsedValence();
  int calTotalAvailableValence() const;
  // The hydrogens addMissingHydrogens would add.
  size_t countMissingHydrogens() const;
  void addMissingHydrogens();
  // Atom typing by rule levels and ring templates (AtomTyping.cpp).
  void findBestAtomType();
  // Edit clean-up (EditCleanup.cpp).
  void resetBondOrders(std::vector<Atom*> changedAtoms);
  void deleteExtraHydrogenAndDummyAtoms();
  void deAromatic();

  // Merging (construction/MoleculeMerging.cpp): copies every atom and bond of other into this
  // molecule; 1 on success, 0 on failure, which leaves this molecule as it was. newIndex gets
  // the id of atom's copy when atom is given. Merge also destroys other on success.
  int GUIMerge(Molecule* other, Atom* atom, int& newIndex);
  int Merge(Molecule* other, Atom* atom, int& newIndex);
  // Combine rules (construction/CombineRules.cpp): new types, names and group for the atoms of
  // one group instance. The first overload takes the group name from the instance name and
  // renames the instance after the rule's group; the second keeps the instance name.
  void updateCombineRule(std::string groupInstance, UpdateRules* rule);
  void updateCombineRule(std::string groupInstance, std::string groupName, UpdateRules* rule);

  // Construction: defined in construction/.
  void createOptimumGeometry();
  // Coordinates from connectivity (construction/Coordinates.cpp). Placement works in radians
  // and Angstrom; atoms flagged isPlaced when a run starts keep their positions.
  int createCoorForNode(Atom* atom, std::queue<Atom*>& queue, std::vector<int> bondIds);
  // Re-places the terminal atoms of atoms that had hydrogens added; a terminal atom whose entry
  // in kept is true (it arrived with its position) stays where it is.
  void resetHydrogens(const std::vector<bool>& kept = std::vector<bool>());
  void fillInitialDihedral();
  // Ring geometry (construction/RingGeometry.cpp).
  int checkConnectedRings(Ring* a, Ring* b);
  void setupRingConnections();
  void findRingCluster(RingCluster* cluster, Ring* ring, std::vector<bool>& visited);
  void setupRingClusters();
  Ring* getCentralRing(RingCluster* cluster);
  int createGeometryForRing(Ring* ring, std::queue<Atom*>& queue);
  int createStandardRing(Ring* ring, std::queue<Atom*>& queue,
                         std::vector<SSEVector4f>& positions);
  void calculateInitialDihedralForRing(Ring* ring, float& angle, float& dihedral);
  void calculateStandardRing(float& angle, float& dihedral, int size, bool planar);
  // Ring puckers from stereocentres (construction/RingConformations.cpp).
  void setConformationForRings();
  void calculateConstrainedConformation(Ring* ring);
  int checkCompatabilityWithNeighbours(Ring* ring, std::vector<int>& marks);
  void calculateNeighbourConformation(Ring* ring);
  void setConformationofNeighbours(Ring* ring, std::vector<int>& marks);
  void rearrangeChiralCenter(Ring* ring, Atom* centre, std::vector<Atom*>& neighbours);
  // Helpers kept with the ring conformations that no command calls.
  void generateStructureFromConnectivity();
  void fillChiralNeighbours();
  int rebuildChiralH();
  int solvedAtomsInRing(Atom* atom);
  void rearangeUnsolvedAtomsInRing(Atom* atom, std::queue<Bond*>& bonds);
  void fixComplicatedRings();
  void fillRingCoordinates(std::vector<int> ringAtomIds);
  // Residue classes and bond orders of PDB residues: defined in io/ResidueBonding.cpp and
  // io/ResidueBondOrders.cpp (kv_io). They work on a residue's fragment, named like the residue.
  bool checkAminoAcidResidue();
  bool checkBasePairs();
  void autoBondOrderCorrection();
  void setValenceForAtoms();
  void updateBondOrderNonAminoAcid(int unused);
  void updateBondOrderForAminoAcid();
  void updateBondOrderForBasePairs();
  // Six- and five-membered rings of heavy atoms as new int arrays the caller frees (delete[]).
  void findSixFiveMemberRing(std::vector<int*>& sixRings, std::vector<int*>& fiveRings);
  void setupCovalentBonds(std::vector<int>& bondFirst, std::vector<int>& bondSecond,
                          std::vector<int>& angleFirst, std::vector<int>& angleCentre,
                          std::vector<int>& angleLast, std::vector<int>& torsionFirst,
                          std::vector<int>& torsionSecond, std::vector<int>& torsionThird,
                          std::vector<int>& torsionLast);
  void checkConnectForAminoAcid();
  // Energies (eV): defined in forcefield/MoleculeEnergies.cpp. calTotalBondEnergy stores and
  // returns the bond-energy sum less the correction; calHeatOfFormation needs it stored first,
  // and adds what the rings hold beyond their bonds (forcefield/RingStrain.h), stored in
  // ringStrainEnergy: heat of formation = atomic sum - total bond energy + ring strain energy.
  float calTotalBondEnergy();
  void calHeatOfFormation();
  std::string getListOfBondEnegries();
  // Diagnostic dumps: defined in assembly/MoleculeDumps.cpp (kv_assembly). The mol files go to
  // folder + name + "/" (printMainMolecule), "Unmatched/" + name (matched parts) and
  // "UnMatched/" + name (unmatched parts), one folder level made when missing; the bond graph
  // to "Dot/" + name + ".dot" when "Dot" exists. An empty name means the formula name.
  void printMainMolecule(std::string folder);
  void printMoleculeInfo();
  void printMatchedParts(std::string name);
  void printUnmatchedParts(std::string name);
  // Rendering glue: defined in render/MoleculeRendering.cpp.
  bool renderMolecule();
  // Moves every spheroid's centre and foci (and, for transformMolecule, its geometry too) and
  // the packed positions by the matrix (model/MoleculeTransforms.cpp); null does nothing.
  void transformCenterAndFoci(SSEMatrix4x4f* m);
  void transformMolecule(SSEMatrix4x4f* m);

 private:
  // Gives every atom its list position as id and repacks positions to match.
  void renumberAtoms();
  bool atomIdsPacked() const;
};
