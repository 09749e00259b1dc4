#pragma once

// Reads SMILES strings and files into molecules.
//
// The grammar: organic atoms C N O P S F Cl Br I B (lower case aromatic), bracket atoms with an
// isotope prefix, H count, charge and "@"/"@@" ([13CH4], [NH4+], [nH], [C@@H]), bonds - = #
// (":" is read and ignored), branches, ring closures 1-9 and %nn (a bond symbol written before
// the digit belongs to the ring bond), "." between fragments, "/" and "\" on single bonds
// around a double bond. Anything else fails the parse with a message and no molecule.

#include <map>
#include <set>
#include <string>
#include <vector>

class Atom;
class Bond;
class Molecule;

// The neighbour order of one stereo centre, in the order its neighbours were written.
class ChiralCenters {
 public:
  Atom* centre = nullptr;
  std::map<Atom*, int> neighbourOrder;
  int nextOrder = 1;

  // Gives the neighbour the next order number.
  void take(Atom* neighbour) { neighbourOrder[neighbour] = nextOrder++; }
};

class SmilesParser {
 public:
  SmilesParser();
  ~SmilesParser();
  SmilesParser(const SmilesParser&) = delete;
  SmilesParser& operator=(const SmilesParser&) = delete;

  // A finished molecule: graph, perception, the set-up chain (parameters, coordinates, internal
  // optimisation), name and energies. The caller owns it; null on failure. The text may be a
  // "SMILES name" line: the SMILES ends at the first blank or tab and the rest is the name.
  Molecule* smilesToMol(std::string smiles);
  // The graph with perception (rings, aromaticity, valences, hydrogens, types) but without the
  // set-up chain: no parameters, no coordinates. The caller owns it; null on failure.
  Molecule* smilesToGraph(const std::string& smiles);
  // One molecule per non-empty line, appended to out; count = the number appended. A file that
  // cannot be opened changes nothing.
  void parseSMILESFile(const char* path, std::vector<Molecule*>& out, int& count);

  // Cuts a "SMILES name" line: leading and trailing blanks go, the SMILES ends at the first
  // blank or tab, the rest (trimmed) is the name.
  static void splitSmilesLine(const std::string& line, std::string& smiles, std::string& name);

  // Resets every field between strings.
  void Clear();
  // Builds the bare graph of `text`; null (after a line on the error channel) on failure.
  Molecule* parseSmiles();

 private:
  struct RingOpening {
    int number = 0;
    int atomId = -1;      // the opening atom
    int order = 0;        // 0 when no bond symbol was written at the opening digit
    int bondId = -1;      // the closure bond once closed
    bool closed = false;
    // Atoms and bonds handed to addAtomToRings and addBondToRings while the ring was open.
    std::vector<int> memberAtomIds;
    std::vector<int> memberBondIds;
  };

  // Append an atom or bond id to every ring record that is still open. Nothing calls them; the
  // rings of the molecule come from ring perception.
  void addAtomToRings(int atomId);
  void addBondToRings(int bondId);
  friend class SmilesParserTestAccess;

  bool processRing(Molecule* molecule, char c);
  bool addOrganicAtom(Molecule* molecule);
  bool addBracketAtom(Molecule* molecule);
  std::string getAtomDescription(int bracket, const std::string& smiles) const;
  bool buildAtomFromDesc(const std::string& desc, Molecule* molecule);
  static std::string findOrganicElementName(int position, const std::string& text);
  static std::string findElementName(int position, const std::string& desc);
  bool getNumOfImplicitHydrogens(int& position, const std::string& desc, int& count) const;
  bool getCharge(int& position, const std::string& desc, int& charge) const;
  RingOpening* ringExist(int number);
  void removeFromCurrentRings(int number);
  void setCisOrTrans();
  void orderStereoNeighbours();
  // Gives the bonds among lower-case atoms alternating single and double orders, so that the
  // graph is the one a Kekule string would give; clears the reader's aromatic marks.
  void kekulize(Molecule* molecule);
  // A neutral nitrogen written with five bonds (C[N](=O)=O, N=N#N) becomes the charge-separated
  // form the tables know: one terminal double (triple) bond loses an order to a minus charge.
  static void separateCharges(Molecule* molecule);
  // Atoms written in brackets carry exactly the hydrogens written: their allowed valence is
  // the one they use, so valence completion adds none.
  static void fixBracketValences(Molecule* molecule);
  // Bonds the previous atom to atom with the pending order and tags; false when refused.
  bool bondToPrevious(Molecule* molecule, Atom* atom);
  void nameAtom(Atom* atom) const;
  // Reports a failure in our own words, quoting the input; always false.
  bool fail(const std::string& what) const;

  std::string text;
  int position = 0;
  int pendingOrder = 1;
  bool bondSymbolWritten = false;   // a "-", "=" or "#" is waiting for its bond
  bool aromaticAtom = false;
  bool aromaticBond = false;
  bool ring = false;
  bool noBond = false;
  int pendingAtCount = 0;
  int pendingSlash = -1;
  std::vector<Atom*> branchStack;
  Atom* currentAtom = nullptr;
  Atom* previousAtom = nullptr;
  std::vector<RingOpening> openRings;
  std::vector<int> openRingNumbers;
  std::vector<Bond*> doubleBonds;
  std::map<Atom*, ChiralCenters*> stereoRecords;   // owned
  std::map<int, int> ringClosureOrderNumbers;
  std::map<Atom*, bool> stereoFlags;
  std::set<const Bond*> writtenBonds;   // bonds with a "-", "=", "#" written for them
};
