#pragma once

// Reads SMILES strings and files into molecules.
//
// The grammar: organic atoms C N O P S F Cl Br I B (lower case aromatic), bracket atoms with an
// isotope prefix, H count, charge and "@"/"@@" ([13CH4], [NH4+], [nH], [C@@H]), bonds - = #
// (one symbol per bond; ":" is read and ignored), branches, ring closures 1-9, %nn and %(n...)
// (a bond symbol or a "/" or "\" written before the digit belongs to the ring bond), "."
// between two fragments, "/" and "\" on single bonds around a double bond. An aromatic
// nitrogen written with a double bond to oxygen (O=n1ccccc1) is the N-oxide [O-][n+]1ccccc1.
// Anything else fails the parse with a message and no molecule, followed by a " Parsing failed"
// line.

#include <istream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "io/FileRecord.h"

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
  [[nodiscard]] Molecule* smilesToMol(std::string smiles);
  // The graph with perception (rings, aromaticity, valences, hydrogens, types) but without the
  // set-up chain: no parameters, no coordinates. The caller owns it; null on failure.
  [[nodiscard]] Molecule* smilesToGraph(const std::string& smiles);
  // One molecule per non-empty line, appended to out; count = the number appended. A file that
  // cannot be opened changes nothing but says so; a line that gives no molecule is named by its
  // number (and the file) in an error line. A UTF-8 byte-order mark before the first line is
  // dropped.
  void parseSMILESFile(const char* path, std::vector<Molecule*>& out, int& count);
  void parseSMILESFile(std::istream& in, std::vector<Molecule*>& out, int& count);
  // The reader the file-type table names: each line's record, as soon as it is read, handed to
  // take with the name after the SMILES and its line number; a line that gives no molecule with
  // a null molecule (and its SMILES as the name when it has none). False (after a message) when
  // the file cannot be opened.
  [[nodiscard]] bool readSMILESFile(const std::string& path, const RecordSink& take);

  // Cuts a "SMILES name" line: leading and trailing blanks go, the SMILES ends at the first
  // blank or tab, the rest (trimmed) is the name.
  static void splitSmilesLine(const std::string& line, std::string& smiles, std::string& name);

  // The valence a lower-case atom of this element and charge reaches in the Kekule form the
  // reader gives it; 0 when it never takes a double bond of its own. The writer asks the same
  // question to know the hydrogens a bare lower-case atom will get.
  static int kekuleValence(const Atom* atom);

  // The atoms a SMILES text writes, hydrogens outside brackets not counted; exact for a text
  // the grammar takes, so that a text can be refused before it is built.
  static size_t countWrittenAtoms(const std::string& smiles);

  // For the graphs of other readers (an aromatic bond type of a mol file): the order-1 bonds
  // between atoms marked aromatic get the alternating single and double orders a Kekule form
  // has, as for lower-case atoms, and the marks are cleared. False (with a message) when an
  // aromatic atom that needs a double bond finds none.
  bool kekulizeGraph(Molecule* molecule) {
    writtenBonds.clear();
    return kekulize(molecule);
  }

  // Resets every field between strings.
  void Clear();
  // Builds the bare graph of `text`; null (after a line on the error channel) on failure.
  Molecule* parseSmiles();

 private:
  void readSmilesLines(std::istream& in, const std::string& source, const RecordSink& take);
  // smilesToGraph once the line is cut: null after the line that says why.
  Molecule* readGraph(const std::string& smiles, const std::string& name);

  struct RingOpening {
    int number = 0;
    int atomId = -1;      // the opening atom
    int order = 0;        // 0 when no bond symbol was written at the opening digit
    int slash = -1;       // 0 for "/", 1 for "\" written before the opening digit, else -1
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

  // What a bracket atom says: [13CH3+], [nH], [C@@H].
  struct BracketAtom {
    int isotope = 0;
    std::string element;   // standard case
    bool aromatic = false;
    int hydrogens = 0;
    int charge = 0;
    int atCount = 0;
  };

  // One character (or "%nn") of the grammar at the current position; false on a fault.
  bool readSymbol(Molecule* molecule);
  bool processRing(Molecule* molecule, char c);
  bool closeRing(Molecule* molecule, RingOpening& open, int writtenOrder, int writtenSlash);
  // The ring number at the position ("1", "%12", "%(123)"), the position moved past it; false
  // with a message when "%" is not followed by a number.
  bool readRingNumber(char c, int& number);
  bool addOrganicAtom(Molecule* molecule);
  bool addBracketAtom(Molecule* molecule);
  std::string getAtomDescription(int bracket, const std::string& smiles) const;
  bool buildAtomFromDesc(const std::string& desc, Molecule* molecule);
  bool readBracketAtom(const std::string& desc, BracketAtom& out) const;
  // The bracket atom, its stereo record and its hydrogens, bonded to the previous atom.
  bool placeBracketAtom(const BracketAtom& parsed, const std::string& desc, Molecule* molecule);
  // The atom just added becomes the previous one; the pending bond and marks are spent.
  void finishAtom(Atom* atom);
  static std::string findOrganicElementName(int position, const std::string& text);
  static std::string findElementName(int position, const std::string& desc);
  bool getNumOfImplicitHydrogens(int& position, const std::string& desc, int& count) const;
  bool getCharge(int& position, const std::string& desc, int& charge) const;
  RingOpening* ringExist(int number);
  void removeFromCurrentRings(int number);
  void setCisOrTrans();
  void orderStereoNeighbours();
  // Gives the bonds among lower-case atoms alternating single and double orders, so that the
  // graph is the one a Kekule string would give; clears the reader's aromatic marks. False
  // (with a message) when a lower-case atom that needs a double bond finds none: c1cccc1,
  // c1cccn1 (pyrrole without its [nH]), a lone c.
  bool kekulize(Molecule* molecule);
  // False (with a message) for an atom whose bonds, hydrogens and charge use more valence than
  // its element allows: C(C)(C)(C)(C)C, FF(F)F. Needs the allowed valences.
  bool checkValences(const Molecule* molecule) const;
  // A lower-case nitrogen written with a double bond to a lone oxygen (O=n1ccccc1, as some sets
  // write pyridine N-oxides) becomes [n+][O-] before the Kekule bonds are given, so that the
  // ring keeps its three double bonds.
  static void separateAromaticNOxides(Molecule* molecule);
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
  // Reports a failure as one line: `lead`, then what went wrong and where, quoting the input.
  bool failAs(const char* lead, const std::string& what) const;
  // The text in double quotes, cut short when it is very long.
  static std::string quoted(const std::string& smiles);

  std::string text;
  int position = 0;
  int pendingOrder = 1;
  bool bondSymbolWritten = false;   // a "-", "=" or "#" is waiting for its bond
  bool aromaticAtom = false;
  bool noBond = false;
  int pendingAtCount = 0;
  int pendingSlash = -1;
  std::vector<Atom*> branchStack;
  Atom* previousAtom = nullptr;
  std::vector<RingOpening> openRings;
  std::map<int, size_t> openRingRecord;   // ring number -> its open record in openRings
  std::vector<int> openRingNumbers;
  std::vector<Bond*> doubleBonds;
  std::map<Atom*, ChiralCenters*> stereoRecords;   // owned
  std::map<int, int> ringClosureOrderNumbers;
  std::set<const Bond*> writtenBonds;   // bonds with a "-", "=", "#" written for them
};
