// The file-type table: every command that picks a file's type (Open, Save, the mol-file folder
// import, kvtool) gets one answer for an extension in any letter case, from the name's last
// extension only.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "io/FileTypes.h"

namespace {

std::string upperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The format a command takes the name as; "none" when it takes no type of that extension.
std::string formatFor(const std::string& name, unsigned use) {
  const FileType* type = fileTypeOf(name, use);
  if (type == nullptr) return "none";
  switch (type->format) {
    case FileFormat::Kv: return "kv";
    case FileFormat::Mol: return "mol";
    case FileFormat::SD: return "sd";
    case FileFormat::Pdb: return "pdb";
    case FileFormat::Smiles: return "smiles";
  }
  return "?";
}

TEST(FileTypes, EachExtensionInEitherCaseGoesToOneReaderForOpenAndKvtool) {
  struct Case {
    const char* name;
    const char* format;   // for Open and kvtool alike
    bool saved;
    bool folderImport;
  };
  const Case cases[] = {
      {"a.kv", "kv", true, false},          {"a.mol", "mol", true, true},
      {"a.sd", "sd", false, false},         {"a.sdf", "sd", false, false},
      {"a.pdb", "pdb", true, false},        {"a.smi", "smiles", false, false},
      {"a.smiles", "smiles", false, false}, {"x.molecules/a.pdb", "pdb", true, false},
      {"x.kv/a.sdf", "sd", false, false},   {"a.mol2", "none", false, false},
      {"a.txt", "none", false, false},      {"dir.mol/a", "none", false, false},
      {"a.pdb.bak", "none", false, false},  {"a", "none", false, false},
  };
  for (const Case& c : cases)
    for (const std::string& name : {std::string(c.name), upperCase(c.name)}) {
      EXPECT_EQ(c.format, formatFor(name, kOpenUse)) << name;
      EXPECT_EQ(c.format, formatFor(name, kKvtoolUse)) << name;
      EXPECT_EQ(c.saved ? c.format : "none", formatFor(name, kSaveUse)) << name;
      EXPECT_EQ(c.folderImport, formatFor(name, kFolderImportUse) == "mol") << name;
    }
  // A type Save takes has a writer.
  for (const FileType& type : fileTypes())
    EXPECT_TRUE((type.takenBy & kSaveUse) == 0 || type.write != nullptr) << type.extensions;
}

TEST(FileTypes, SaveAddsTheExtensionOfTheChosenFilterOrTheFirstItWrites) {
  EXPECT_EQ(".mol", saveExtensionFor(".mol"));
  EXPECT_EQ(".pdb", saveExtensionFor(".PDB"));
  EXPECT_EQ(".kv", saveExtensionFor(".sdf"));   // Save writes no SD file
  EXPECT_EQ(".kv", saveExtensionFor(""));
  EXPECT_EQ("", fileExtension("a.b/c"));
  EXPECT_EQ(".SDF", fileExtension("a.b/c.SDF"));
}

}  // namespace
