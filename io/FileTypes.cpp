// The table of molecule file types and the lookups every command that picks a type runs.

#include "io/FileTypes.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "io/IOEngine.h"
#include "io/MDLMolParser.h"
#include "io/PDBParser.h"

namespace {

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
      {".kv", true, FileFormat::Kv, writeKv, kOpenUse | kSaveUse | kKvtoolUse},
      {".mol", true, FileFormat::Mol, writeMol,
       kOpenUse | kSaveUse | kFolderImportUse | kKvtoolUse},
      {".sd .sdf", true, FileFormat::SD, writeMol, kOpenUse | kKvtoolUse},
      {".pdb", true, FileFormat::Pdb, writePdb, kOpenUse | kSaveUse | kKvtoolUse},
      {".smiles .smi", true, FileFormat::Smiles, nullptr, kOpenUse | kKvtoolUse},
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
