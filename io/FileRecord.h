#pragma once

// One record of a molecule file as its reader finished it. The readers of the file-type table
// (io/FileTypes.h) hand each record on as soon as it is read, so a caller can report records one
// by one (kvtool) or gather the molecules (File > Open, the folder import).

#include <functional>
#include <string>
#include <vector>

class Molecule;

struct FileRecord {
  Molecule* molecule = nullptr;   // null when the record gave no molecule; the taker owns it
  // What the file calls the record, "" when it says nothing: the first line of an MDL record,
  // the name after a SMILES (the SMILES itself for a line that gave no molecule and no name),
  // the name of a PDB model or own molecule file.
  std::string name;
  int firstLine = 0;   // the record's first line; 0 for one that is no run of lines (a PDB model)
};

// Takes each record of a file in file order, a record that gave no molecule too.
using RecordSink = std::function<void(FileRecord& record)>;

// A taker that appends the molecule of every record that gave one to out and counts it.
inline RecordSink collectMolecules(std::vector<Molecule*>& out, int& count) {
  return [&out, &count](FileRecord& record) {
    if (record.molecule == nullptr) return;
    out.push_back(record.molecule);
    ++count;
  };
}
