// The readers the rows of the file-type table name, which File > Open, the mol-file folder import
// and kvtool all call: each reads a file of its type, hands every record on as it is read (one
// that gives no molecule too, with its name and line), and says when the file cannot be opened.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "io/FileTypes.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/TextLines.h"

namespace {

const char* const kEthane =
    "ethane\n\n\n"
    "  2  1  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 C   0  0\n"
    "    1.5400    0.0000    0.0000 C   0  0\n"
    "  1  2  1  0\nM  END\n";

class FileTypeReaders : public kvtest::FileFixture {
 protected:
  FileTypeReaders() : kvtest::FileFixture("filetypereaders_") {}

  std::string write(const std::string& name, const std::string& text) {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // Every record the row's reader hands on; their molecules are freed with the fixture.
  std::vector<FileRecord> read(const std::string& path, bool* opened = nullptr) {
    std::vector<FileRecord> records;
    const FileType* type = fileTypeOf(path);
    EXPECT_NE(nullptr, type) << path;
    if (type == nullptr) return records;
    const bool done = type->read(path, [&](FileRecord& record) {
      if (record.molecule != nullptr) molecules.push_back(record.molecule);
      records.push_back(record);
    });
    if (opened != nullptr) *opened = done;
    return records;
  }
};

}  // namespace

TEST_F(FileTypeReaders, EveryRowReadsAFileOfItsType) {
  const struct {
    const char* name;
    std::string text;
    size_t records;
  } files[] = {
      {"a.kv", kvtest::readFile(KV_SOURCE_DIR "/KV_MOLECULES/Small/Ethanol.kv"), 1},
      {"a.mol", kvtest::readFile(KV_TEST_DATA_DIR "/mdl_ethanol.mol"), 1},
      {"a.sdf", kvtest::readFile(KV_TEST_DATA_DIR "/mdl_three_records.sdf"), 3},
      {"a.pdb", kvtest::readFile(KV_TEST_DATA_DIR "/pdb-acetamide.pdb"), 1},
      {"a.smi", "CCO ethanol\nCC(=O)O\n", 2},
  };
  std::vector<const FileType*> covered;
  for (const auto& f : files) {
    const std::string path = write(f.name, f.text);
    const std::vector<FileRecord> records = read(path);
    ASSERT_EQ(f.records, records.size()) << f.name;
    for (const FileRecord& record : records) {
      ASSERT_NE(nullptr, record.molecule) << f.name;
      EXPECT_FALSE(record.molecule->atoms.empty()) << f.name;
    }
    // What Open gathers of the file is what the reader handed on.
    std::vector<Molecule*> gathered;
    EXPECT_TRUE(readMolecules(*fileTypeOf(path), path, gathered)) << f.name;
    EXPECT_EQ(f.records, gathered.size()) << f.name;
    molecules.insert(molecules.end(), gathered.begin(), gathered.end());
    covered.push_back(fileTypeOf(path));
  }
  for (const FileType& type : fileTypes())
    EXPECT_NE(covered.end(), std::find(covered.begin(), covered.end(), &type)) << type.extensions;
}

TEST_F(FileTypeReaders, ARecordThatGivesNoMoleculeIsHandedOnWithItsNameAndLine) {
  const std::string brokenRecord = "broken\n\n\n  x  0  0  0  0  0  0  0  0  0999 V2000\n";
  const std::string sdf = write("three.sdf", std::string(kEthane) + "$$$$\n" + brokenRecord +
                                                 "$$$$\n" + kEthane + "$$$$\n");
  const std::string smi = write("lines.smi", "CCO ethanol\nC1CC bad_ring\n\nC1CC\n");
  const std::string mol = write("one.mol", brokenRecord);
  kvtest::ErrorCapture errors;
  const struct {
    std::string path;
    std::vector<std::string> names;   // "-" before a name: the record gave no molecule
    std::vector<int> lines;
  } cases[] = {
      {sdf, {"ethane", "-broken", "ethane"}, {1, 10, 15}},
      {smi, {"ethanol", "-bad_ring", "-C1CC"}, {1, 2, 4}},
      {mol, {"-broken"}, {1}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> names;
    std::vector<int> lines;
    for (const FileRecord& record : read(c.path)) {
      names.push_back((record.molecule == nullptr ? "-" : "") + record.name);
      lines.push_back(record.firstLine);
    }
    EXPECT_EQ(c.names, names) << c.path;
    EXPECT_EQ(c.lines, lines) << c.path;
  }
  // Each record that failed said why, naming its file.
  for (const std::string& path : {sdf, smi, mol})
    EXPECT_NE(std::string::npos, errors.text().find(path)) << path;
}

TEST_F(FileTypeReaders, AFileThatCannotBeOpenedIsReportedAndGivesNoRecord) {
  kvtest::ErrorCapture errors;
  for (const FileType& type : fileTypes()) {
    std::istringstream extensions(type.extensions);
    std::string extension;
    extensions >> extension;
    const std::string path = (folder / ("absent" + extension)).string();
    bool opened = true;
    EXPECT_TRUE(read(path, &opened).empty()) << path;
    EXPECT_FALSE(opened) << path;
    std::vector<Molecule*> gathered;
    EXPECT_FALSE(readMolecules(type, path, gathered)) << path;
    EXPECT_TRUE(gathered.empty());
    EXPECT_NE(std::string::npos, errors.text().find(path)) << path;
  }
}
