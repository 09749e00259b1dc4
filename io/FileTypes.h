#pragma once

// The molecule file types, in one table: which extensions name which format, in what letter
// case, which reader reads it, which writer writes it, and which commands take it (File > Open,
// Save, the mol-file folder import, kvtool). Every one of them picks a file's type here and
// reads it with the row's reader, so a file one of them reads is read the same way by the others
// that take its type. A new file type is one row in io/FileTypes.cpp.

#include <string>
#include <vector>

#include "io/FileRecord.h"
#include "math/FileNames.h"   // fileExtension: the extension that names a file's type

class Molecule;

// The formats. The reading is the row's; a command may show what it read by format (Open shows
// a PDB molecule's parts, and times the files of many molecules).
enum class FileFormat { Kv, Mol, SD, Pdb, Smiles };

// The commands that take a file type, as bits of FileType::takenBy.
enum FileUse : unsigned {
  kOpenUse = 1u,           // File > Open
  kSaveUse = 2u,           // Save
  kFolderImportUse = 4u,   // the import of every file of the type below a folder
  kKvtoolUse = 8u,         // the kvtool developer tool
  kAnyUse = ~0u,
};

struct FileType {
  const char* extensions;   // blank-separated, with the dot, lower case; Save adds the first
  bool anyCase;             // the extension also names the type in capitals and mixed case
  FileFormat format;
  // Who reads it: hands every record of the file at path to take, in file order, as soon as it
  // is read (a record that gave no molecule too; the reader's messages say why). False, after a
  // message, when the file cannot be opened.
  bool (*read)(const std::string& path, const RecordSink& take);
  // Who writes it: true when the molecule was written to path. Null when nothing writes the type.
  bool (*write)(Molecule* molecule, const char* path);
  unsigned takenBy;         // FileUse bits
};

// Every row, in the order of Open's filter.
const std::vector<FileType>& fileTypes();

// The type of the file the path names, among the types taken by one of uses; null when none. Only
// the last extension counts, never a dot in a folder's name.
const FileType* fileTypeOf(const std::string& path, unsigned uses = kAnyUse);

// The extension Save adds to a name without one when the chosen filter names extension (".mol"):
// the first extension of the type Save takes for it, else that of the first type Save takes.
std::string saveExtensionFor(const std::string& extension);

// Every molecule the row's reader makes of the file at path, appended to molecules in file order
// (the caller owns them); records that gave none are left out. False when the file cannot be
// opened.
[[nodiscard]] bool readMolecules(const FileType& type, const std::string& path,
                                 std::vector<Molecule*>& molecules);
