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
  void parsePDBFile(const std::string& path, std::vector<Molecule*>& out);
  void parsePDBFile(const char* path, std::vector<Molecule*>& out);
  // The stream reader: one new molecule per model appended to out; the caller owns them. A
  // stray "ENDMDL" or "TER" stops the read and leaves out unchanged.
  void parsePDBFile(std::istream& in, std::vector<Molecule*>& out);
  void parsePDBFile(std::fstream& in, std::vector<Molecule*>& out);
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
  // The molecule of one model, through the whole set-up chain; null (freed) when the chain
  // ends without a sound geometry.
  Molecule* buildMolecule(Model* model, bool hetero);
  // The bonds and orders of one residue: the "CONECT" bonds inside a ligand, then the
  // template, distance and bond-order steps of the residue bonding.
  void bondResidue(Residue* residue);
  // Every fragment molecule of the last read, owned: emptied by the build, so deleting one
  // frees atoms only of residues that never reached a built molecule.
  std::vector<Molecule*> fragments;
};
