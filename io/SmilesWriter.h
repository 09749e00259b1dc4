#pragma once

// Writes a molecule as a SMILES string: a depth-first tree over the atoms other than countable
// hydrogens, branches in parentheses, ring closures as numbers (%nn past 9) with the closure
// bond's symbol at the closing digit, atoms with aromatic bonds in lower case, a single bond
// between two of them as "-", fragments joined by ".". Element symbols take their standard case.
// An atom whose hydrogen count the reader would not derive from its valence, a charged atom, and
// an element outside the organic set go in brackets ([nH], [NH4+], [Si]). By default no
// chirality and no double-bond direction marks are written; with `setStereo(true)` the hands of
// tetrahedral centres (@, @@) and the sides of double bonds (/, \) are read off the atoms'
// positions and written (see io/SmilesStereo.h).

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class Atom;
class Bond;
class Molecule;
class SmilesStereo;

// One atom of the spanning tree, with its children in the order they were reached.
class SmilesNode {
 public:
  SmilesNode(Atom* nodeAtom, Atom* parentAtom) : atom(nodeAtom), parent(parentAtom) {}
  void setNeighbor(SmilesNode* child, Bond* bond) {
    children.push_back(child);
    bonds.push_back(bond);
  }

  Atom* atom;
  Atom* parent;                      // null at a root
  std::vector<SmilesNode*> children;   // not owned: the writer owns every node
  std::vector<Bond*> bonds;            // the bond to each child
};

class SmilesWriter {
 public:
  SmilesWriter();
  ~SmilesWriter();
  SmilesWriter(const SmilesWriter&) = delete;
  SmilesWriter& operator=(const SmilesWriter&) = delete;

  // False (with a message) for a null molecule or more ring closures open at once than two
  // digits can number; otherwise out receives the string (empty for no atoms).
  bool createSmilesFromMolecule(Molecule* molecule, std::string& out);
  // With marks on, the string carries the stereo its molecule's 3-D positions give.
  void setStereo(bool on) { stereo = on; }

  // True when an atom is a hydrogen the string leaves out and counts on its neighbour: element
  // "H", status flag set, one bond, to an atom that is not hydrogen.
  static bool isCountableHydrogen(const Atom* atom);

 private:
  struct OpenClosure {
    Atom* partner;
    int number;
    std::string symbol;   // the bond's symbol, written at the closing digit
    Atom* opener;         // the atom that wrote the opening digit
  };
  struct RingMark {
    int number;
    std::string symbol;   // empty at an opening
    Atom* partner;
  };

  void cleanUp();
  void initArrays(Molecule* molecule);
  bool createSmile(Molecule* molecule, std::string& out);
  void dfsTree(SmilesNode* root);
  void findBiConnectedBonds(Molecule* molecule);
  bool writeString(SmilesNode* root, std::string& s);
  std::string getSmilesSymbol(Atom* atom, const std::string& chirality = "") const;
  // "@", "@@" or empty for a tree node whose ring marks are known.
  std::string chiralityAt(const SmilesNode* node, const std::vector<RingMark>& rings) const;
  // Ring numbers for the atom: openings first, then closings, each with its bond symbol
  // (empty at an opening) and the atom at the other end.
  std::vector<RingMark> checkRingClosureAtAtom(Atom* atom);
  int getRingNumber() const;
  bool visitedAtom(const Atom* a) const;

  std::vector<int> visitOrder;
  std::vector<bool> visited;   // by atom position
  std::vector<bool> inTree;    // by bond position
  std::vector<bool> closureTaken;   // by bond position: already a closure of some component
  std::unordered_map<const Atom*, size_t> atomIndex;
  std::unordered_map<const Bond*, size_t> bondIndex;
  std::vector<Atom*> componentAtoms;   // of the component being written
  std::vector<Bond*> ringClosureBonds;
  // Positions in ringClosureBonds of each atom's closures, ascending.
  std::unordered_map<const Atom*, std::vector<size_t> > closuresAt;
  std::vector<OpenClosure> openClosures;
  std::vector<SmilesNode*> nodes;   // owned
  Molecule* current = nullptr;
  bool stereo = false;
  std::unique_ptr<SmilesStereo> marks;   // while a molecule is written with marks
  std::vector<const Bond*> componentTreeBonds;
};

// The organic symbols written without brackets: B C N O P S F Cl Br I.
bool isInOrganicSet(const std::string& symbol);
