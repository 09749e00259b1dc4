#pragma once

// The inputs of the kvtool developer tool: one record per molecule, read by the same readers and
// set-up chain the application runs, picked by the application's file-type table.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/Molecule.h"

namespace kvtool {

// One input molecule as read: the molecule (null when the reader gave none), its name, the first
// error line the reader printed for it, and the wall-clock seconds the read and set-up took (for
// a file, since the record before: a PDB file's first model carries the reading of the file).
struct Record {
  std::unique_ptr<Molecule> molecule;
  std::string name;
  std::string error;
  double seconds = 0.0;
  // What the reader reported and went on: atoms it left out of the molecule.
  std::vector<std::string> warnings;
};

// Called once per input molecule, in input order.
using RecordSink = std::function<void(Record& record)>;

// Reads every molecule of one file and hands each to the sink; false (after a message on
// stderr) when the file cannot be opened.
using FileReader = std::function<bool(const std::string& path, const RecordSink& sink)>;

// The reader of the path's row of the file-type table (io/FileTypes.h), the one File > Open
// calls, with each record's error lines (place added to lines that name none) and time; an empty
// function when kvtool takes no type of that extension.
FileReader readerFor(const std::string& path);
// Every extension the table knows, blank-separated, for the usage line.
std::string knownExtensions();

// One SMILES line ("SMILES name"), through the whole set-up chain.
Record readSmilesLine(const std::string& line);

}  // namespace kvtool
