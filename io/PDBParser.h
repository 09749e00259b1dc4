#pragma once

#include <fstream>
#include <istream>
#include <map>
#include <string>
#include <vector>

class Atom;
class Molecule;

// One residue while a PDB file is read: its atoms and bonds live in the fragment molecule until
// the model's molecule takes them over. The four link atoms are the last atom read under each
// name, null when the residue has none.
class Residue {
 public:
  explicit Residue(Molecule* residueAtoms) : fragment(residueAtoms) {}

  std::string name;                // residue name, blanks removed
  Molecule* fragment = nullptr;    // not owned
  Atom* n = nullptr;               // "N"
  Atom* c = nullptr;               // "C"
  Atom* p = nullptr;               // "P"
  Atom* o3 = nullptr;              // "O3'"
};

class Chain {
 public:
  Chain() = default;
  ~Chain();
  Chain(const Chain&) = delete;
  Chain& operator=(const Chain&) = delete;

  std::string id;                      // the identifier column as read; a blank stays a blank
  std::vector<Residue*> residues;      // owned
};

class Model {
 public:
  Model() = default;
  ~Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  int number = 0;
  std::vector<Chain*> chains;          // owned
};

// Reads PDB coordinate files (one finished molecule per model) and writes one molecule back.
// Residues are bonded from the library group of the same name or by the bond-order table's
// distances, consecutive residues of a chain are linked, "CONECT" bonds are added, and each
// model then goes through hydrogen completion, typing, parameters, geometry and energies. The
// coordinates of the file are kept; only added hydrogens are placed.
class PDBParser {
 public:
  PDBParser() = default;
  ~PDBParser();
  PDBParser(const PDBParser&) = delete;
  PDBParser& operator=(const PDBParser&) = delete;

  // The molecules are appended to out and named after the file: "1abc_0", "1abc_1", ...
  // Messages name the file and the line.
  void parsePDBFile(const std::string& path, std::vector<Molecule*>& out);
  void parsePDBFile(const char* path, std::vector<Molecule*>& out);
  // The stream reader: one new molecule per model appended to out, named by its model number;
  // the caller owns them. A stray "ENDMDL" or "TER", an atom record whose coordinates or
  // element cannot be read, and input without atom records stop the read with a message and
  // leave out unchanged.
  void parsePDBFile(std::istream& in, std::vector<Molecule*>& out);
  void parsePDBFile(std::fstream& in, std::vector<Molecule*>& out);
  // The first step of a read: one molecule per model with the atoms and bonds of the file and
  // its residue bonding, before perception and set-up, appended to out (the caller's). False,
  // with out unchanged, where parsePDBFile stops.
  [[nodiscard]] bool readGraphs(std::istream& in, std::vector<Molecule*>& out);
  // 1 after writing, 0 on failure (the old file, if any, is left whole).
  int writePDBFile(Molecule* molecule, const char* path);
  // The text the writer puts into the file; false (with a message) when a number of the
  // molecule does not fit its columns.
  bool formatPDB(Molecule* molecule, std::string& out);
  void clearPDBParser();
  void separateWaterMolecules(Molecule* molecule);

  std::vector<Atom*> atoms;           // atoms of the last read, not owned once built
  std::vector<Model*> models;         // owned
  std::vector<Molecule*> molecules;   // not owned
  std::map<int, std::vector<int> > connections;   // "CONECT" serial -> partner serials

 private:
  // What is open while the records are read (PDBReader.cpp).
  struct ReadState;

  // The records of the whole input into models, chains and residues; false after a message
  // when a record stops the read.
  bool readRecords(std::istream& in, ReadState& state);
  bool readAtomRecord(const std::string& line, ReadState& state);
  void readConectRecord(const std::string& line, int lineNumber);
  // "line 12 of \"1abc.pdb\"" for messages.
  std::string place(int line) const;

  // The bonded molecule of one model; name is its first name. Null (after a message) when a
  // listed bond joins atoms too far apart or on top of each other.
  Molecule* assembleMolecule(Model* model, const std::string& name);
  // One warning naming the standard amino acids of the model that lack heavy atoms of their
  // set; name is the model's molecule.
  void reportIncompleteResidues(const Model* model, const std::string& name) const;
  // False (after a message naming both lines) when two atoms of one model lie within
  // kStackedDistance of each other: such a file is damaged, and bonding it would take ages.
  bool checkStackedAtoms(const Model* model) const;
  // Cystine bridges: the SG atoms an "SSBOND" record names, and any two SG atoms close enough
  // to be bonded. False (after a message) for a listed pair at no bonding distance.
  bool bondDisulfides(Molecule* molecule);
  void readSsbondRecord(const std::string& line, int lineNumber);
  // Perception and the set-up chain for one graph of readGraphs; false (after a message) when its
  // hydrogens would make it larger than a molecule may be or the chain ends without a sound
  // geometry.
  bool finishGraph(Molecule* molecule);
  // The atoms and bonds of every residue of the chain, and the links between its residues,
  // moved into the molecule.
  void takeOverChain(Molecule* molecule, Chain* chain);
  // The bonds of the "CONECT" records between atoms of the molecule, of any residues. False
  // (after a message) when a listed pair is at no bonding distance.
  bool addListedBonds(Molecule* molecule);
  // False (after a message naming the atoms and the line) when two atoms a record bonds are
  // further apart than kLongestBond or closer than kShortestBond.
  bool plausibleBond(const Atom* a, const Atom* b, const char* record, int line) const;
  // Typing, parameters, geometry and the properties of a perceived molecule; false when the
  // chain ends without a sound geometry.
  [[nodiscard]] bool finishMolecule(Molecule* molecule, bool hetero);
  // The bonds and orders of one residue: the "CONECT" bonds inside a ligand, then the
  // template, distance and bond-order steps of the residue bonding.
  void bondResidue(Residue* residue);
  // Every fragment molecule of the last read, owned: emptied by the build, so deleting one
  // frees atoms only of residues that never reached a built molecule.
  std::vector<Molecule*> fragments;
  // The file being read, named in messages and in the molecules' names; empty for a stream.
  std::string sourcePath;
  bool readHetero = false;   // the last read met a "HETATM" record
  // The line of each atom record and of each "CONECT" record's serial, for messages.
  std::map<const Atom*, int> atomLines;
  // The formal charges of columns 79-80, where an atom record gives one; read into ligands.
  std::map<const Atom*, int> fileCharges;
  std::map<int, int> connectionLines;
  // "SSBOND" records: the two residues (chain and number) and the record's line.
  struct Bridge {
    std::string chain1, chain2;
    int residue1 = 0, residue2 = 0;
    int line = 0;
  };
  std::vector<Bridge> bridges;
};
