// The table of molecule file types and the lookups every command that picks a type runs.

#include "io/FileTypes.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "io/IOEngine.h"
#include "io/InputFile.h"
#include "io/MDLMolParser.h"
#include "io/PDBParser.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Molecule.h"

namespace {

// The own-file and PDB readers say, but do not tell their caller, that a file could not be
// opened.
bool canOpen(const std::string& path) {
  std::ifstream in;
  std::string reason;
  return openInputFile(path, in, reason);
}

// One molecule with the coordinates the file stores. A whole molecule gets its SMILES text
// written afresh; a group (open bond axes) keeps the text of its file.
bool readKv(const std::string& path, const RecordSink& take) {
  FileRecord record;
  record.molecule = IOEngine::instance()->parseKvtFile(path);
  if (record.molecule == nullptr && !canOpen(path)) return false;
  if (Molecule* molecule = record.molecule) {
    record.name = molecule->getName();
    SmilesWriter writer;
    std::string text;
    if (molecule->calculateNumBondAxes() == 0 && writer.createSmilesFromMolecule(molecule, text))
      molecule->smiles = text;
  }
  take(record);
  return true;
}

bool readMol(const std::string& path, const RecordSink& take) {
  MDLMolParser reader;
  return reader.readMolFile(path, take);
}

bool readSD(const std::string& path, const RecordSink& take) {
  MDLMolParser reader;
  return reader.readSDFile(path, take);
}

// One record per model, named after the file ("1abc_0", "1abc_1", ...).
bool readPdb(const std::string& path, const RecordSink& take) {
  PDBParser reader;
  std::vector<Molecule*> models;
  reader.parsePDBFile(path, models);
  if (models.empty() && !canOpen(path)) return false;
  for (Molecule* model : models) {
    FileRecord record;
    record.molecule = model;
    record.name = model->getName();
    take(record);
  }
  return true;
}

bool readSmiles(const std::string& path, const RecordSink& take) {
  SmilesParser reader;
  return reader.readSMILESFile(path, take);
}

bool writeKv(Molecule* molecule, const char* path) {
  return IOEngine::instance()->writeKvtFile(molecule, path) == 1;
}

// Also the SD writer: a name ending in ".sd" or ".sdf" gets the record's closing line.
bool writeMol(Molecule* molecule, const char* path) {
  MDLMolParser writer;
  return writer.writeMDLMolFile(molecule, path);
}

bool writePdb(Molecule* molecule, const char* path) {
  PDBParser writer;
  return writer.writePDBFile(molecule, path) == 1;
}

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// True when extension is one of the row's, in the row's letter case.
bool names(const FileType& type, const std::string& extension) {
  const std::string wanted = type.anyCase ? lowerCase(extension) : extension;
  std::istringstream listed(type.extensions);
  std::string one;
  while (listed >> one)
    if (one == wanted) return true;
  return false;
}

std::string firstExtension(const FileType& type) {
  std::istringstream listed(type.extensions);
  std::string one;
  listed >> one;
  return one;
}

}  // namespace

const std::vector<FileType>& fileTypes() {
  // Save writes no SD file: the name asks for a list and Save writes one molecule.
  static const std::vector<FileType> table = {
      {".kv", true, FileFormat::Kv, readKv, writeKv, kOpenUse | kSaveUse | kKvtoolUse},
      {".mol", true, FileFormat::Mol, readMol, writeMol,
       kOpenUse | kSaveUse | kFolderImportUse | kKvtoolUse},
      {".sd .sdf", true, FileFormat::SD, readSD, writeMol, kOpenUse | kKvtoolUse},
      {".pdb", true, FileFormat::Pdb, readPdb, writePdb, kOpenUse | kSaveUse | kKvtoolUse},
      {".smiles .smi", true, FileFormat::Smiles, readSmiles, nullptr, kOpenUse | kKvtoolUse},
  };
  return table;
}

const FileType* fileTypeOf(const std::string& path, unsigned uses) {
  const std::string extension = fileExtension(path);
  if (extension.empty()) return nullptr;
  for (const FileType& type : fileTypes())
    if ((type.takenBy & uses) != 0 && names(type, extension)) return &type;
  return nullptr;
}

std::string saveExtensionFor(const std::string& extension) {
  const FileType* type = fileTypeOf(extension, kSaveUse);
  if (type != nullptr) return firstExtension(*type);
  for (const FileType& saved : fileTypes())
    if ((saved.takenBy & kSaveUse) != 0) return firstExtension(saved);
  return "";
}

bool readMolecules(const FileType& type, const std::string& path,
                   std::vector<Molecule*>& molecules) {
  int count = 0;
  return type.read(path, collectMolecules(molecules, count));
}
