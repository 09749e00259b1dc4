#pragma once

#include <fstream>
#include <istream>
#include <string>
#include <vector>

#include "construction/HandsFromCoordinates.h"
#include "io/FileRecord.h"

class Molecule;

// Reads and writes MDL V2000 connection tables: single mol files, SD files (records separated
// by "$$$$" lines) and folders of mol files. A read takes the connectivity, element symbols,
// coordinates and formal charges from the file and computes everything else (valences, rings,
// hydrogens, types, parameters, an optimised geometry, names, SMILES, energies).
//
// Every failed read prints one line "Error: MDLMolParser: ..." quoting the input on standard
// error, frees what it built and returns null; readers never crash on input.
class MDLMolParser {
 public:
  // Never used; kept for callers that expect them.
  static std::ofstream ErrorFile;
  static int IsErrorFile;

  MDLMolParser() = default;

  // The file named in messages. The path readers set it; a caller that hands in the stream of
  // a file may set it too.
  std::string sourcePath;
  // The wedges of the last flat record readConnectionTable returned (drawnRecord), read as
  // hands by perceive.
  std::vector<DrawnWedge> drawnWedges;
  const Molecule* drawnRecord = nullptr;

  // One record from the stream, through perception and the set-up chain; owned by the caller.
  // The path forms give null when the file cannot be opened.
  [[nodiscard]] Molecule* parseMDLMolFile(std::istream& in);
  [[nodiscard]] Molecule* parseMDLMolFile(const char* path);
  [[nodiscard]] Molecule* parseMDLMolFile(const std::string& path);
  // Every record of an SD file, appended to out; count gets the number read. A record that
  // does not parse is skipped, and a file without records is reported. False only when the
  // file cannot be opened.
  [[nodiscard]] bool parseSDFile(const char* path, std::vector<Molecule*>& out,
                                 int& count);
  // The records of an SD stream; messages name sourcePath, or "the input" when it is empty.
  void parseSDFile(std::istream& in, std::vector<Molecule*>& out, int& count);
  // The readers the file-type table names: each record, as soon as it is read, handed to take
  // with its name and first line, a record that does not parse with a null molecule. False
  // (after a message) when the file cannot be opened.
  [[nodiscard]] bool readMolFile(const std::string& path, const RecordSink& take);
  [[nodiscard]] bool readSDFile(const std::string& path, const RecordSink& take);
  void readSDRecords(std::istream& in, const RecordSink& take);
  // Every file below the folder, sub-folders included, that the file-type table gives to the
  // folder import ("*.mol", any case); returns the number of molecules appended.
  int loadMolFilesFromDirectory(const char* dir, std::vector<Molecule*>& out);
  // One record (written in MDLMolWriter.cpp, as formatMDLMol); false (old file untouched) for a
  // null molecule, a molecule the format cannot hold (over 999 atoms or bonds, a bond order
  // other than 1, 2, 3 or aromatic 9, a coordinate too wide for its column) or an unwritable
  // path.
  bool writeMDLMolFile(Molecule* m, const char* path);
  // The blocks of one mol file without perception: the symbols go into Atom::name only.
  [[nodiscard]] Molecule* readMDLMolGraph(const char* path);

  // The steps of a read, each usable on its own.
  //
  // Header, counts, atom, bond and charge blocks of one record. name receives line 1 trimmed
  // and becomes the molecule's first name; firstLine numbers the record's first line in
  // messages. An element symbol must be an element with an atom type, or "R" for the open end
  // of a bond axis. With graphOnly the symbol goes into Atom::name only, and neither the name,
  // positions nor placement flags are set.
  Molecule* readConnectionTable(std::istream& in, std::string& name, int firstLine = 1,
                                bool graphOnly = false);
  // Valences, rings, missing hydrogens, names of unnamed atoms, atom types.
  void perceive(Molecule* m);
  // Parameters, coordinates, optimisation, names, SMILES and energies; name is line 1 of the
  // record (the first name, unless the molecule has it already). False (with a message) when the
  // chain ends without a sound geometry; the caller frees the molecule.
  [[nodiscard]] bool completeMolecule(Molecule* m, const std::string& name);

  // The records of an SD stream as text, each line followed by a line feed; records of blank
  // lines only (the tail after the last "$$$$") are dropped. Each entry pairs the record with
  // the line number of its first line.
  static std::vector<std::pair<std::string, int> > splitSDRecords(std::istream& in);
  // The V2000 text of one record; false (with a message) when the format cannot hold it.
  bool formatMDLMol(Molecule* m, std::string& out);
  // The bond type column for each bond in list order (MDLMolParserKekule.cpp): orders 1 to 3
  // as they are; aromatic bonds (order 9) as one Kekule structure of single and double bonds,
  // since other programs take type 4 for a query bond and misread charged rings such as
  // pyridinium with it. Type 4 stays for aromatic bonds outside rings and when no Kekule
  // structure fits the valences.
  static std::vector<int> fileBondTypes(const Molecule* m);
  // Aromatic bonds as read (type 4, our order 9) put in a Kekule form of single and double
  // bonds, by the SMILES reader's matching (MDLMolParserKekule.cpp). A neutral aromatic
  // nitrogen with two bonds may be pyrrole-like (its hydrogen left implicit): when no form fits
  // with all of them taking a double bond, each is tried in turn as the one that takes none.
  // False, with the bonds left single, when no form fits.
  static bool kekulizeAromaticBonds(Molecule* m);

 private:
  // Opens a file to read and makes it the file named in messages; false after a message.
  bool openFile(const char* path, std::ifstream& in);
  // One record read and carried through the whole post-read pipeline; name gets its first line
  // (trimmed) as soon as it is read.
  Molecule* parseRecord(std::istream& in, int firstLine, std::string& name);
};
