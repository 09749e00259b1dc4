// Mol files, SD files and folders of mol files read end to end, through perception and the
// set-up chain.

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/MDLMolParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/StdoutCapture.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = KV_TEST_DATA_DIR;

class MDLFiles : public kvtest::FileFixture {
 protected:
  MDLFiles() : kvtest::FileFixture("mdl_files_") {}
  void copyData(const std::string& file, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(kData + "/" + file, to, fs::copy_options::overwrite_existing);
  }

  MDLMolParser parser;
};

}  // namespace

TEST_F(MDLFiles, MolFileGivesACompleteOptimisedMolecule) {
  Molecule* m = parser.parseMDLMolFile(kData + "/mdl_ethanol.mol");
  ASSERT_NE(nullptr, m);
  molecules.push_back(m);
  ASSERT_EQ(9u, m->atoms.size());
  ASSERT_GE(m->names.size(), 2u);
  EXPECT_EQ("ethanol", m->names[0]);
  EXPECT_EQ("C2H6O", m->names[1]);
  EXPECT_FALSE(m->smiles.empty());
  EXPECT_EQ(0u, m->numBondAxes);
  EXPECT_NE(0.0f, m->totalBondEnergy);
  for (const Bond* b : m->bonds) {
    const double length = kvtest::distance(b->atom1, b->atom2);
    EXPECT_GT(length, 0.8) << b->getName();
    EXPECT_LT(length, 1.7) << b->getName();
  }
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(nullptr, parser.parseMDLMolFile(kData + "/no_such_file.mol"));
}

TEST_F(MDLFiles, SDFileOfThreeRecordsGivesThreeMolecules) {
  int count = -1;
  ASSERT_TRUE(parser.parseSDFile((kData + "/mdl_three_records.sdf").c_str(), molecules, count));
  EXPECT_EQ(3, count);
  ASSERT_EQ(3u, molecules.size());
  EXPECT_EQ("methanol", molecules[0]->names[0]);
  EXPECT_EQ("acetate", molecules[1]->names[0]);
  EXPECT_EQ(-1, molecules[1]->atoms[3]->charge);   // from the charge line
  EXPECT_EQ("benzene", molecules[2]->names[0]);
  EXPECT_EQ(1u, molecules[2]->rings.size());
  EXPECT_EQ(12u, molecules[2]->atoms.size());

  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(parser.parseSDFile((kData + "/no_such_file.sdf").c_str(), molecules, count));
}

TEST_F(MDLFiles, BrokenSDRecordIsSkippedAndTheOthersRead) {
  std::ifstream good(kData + "/mdl_three_records.sdf");
  std::string text((std::istreambuf_iterator<char>(good)), std::istreambuf_iterator<char>());
  const size_t second = text.find("$$$$\n") + 5;
  text.insert(second, "broken\n\n\n  2  1\n    0.0  C\n$$$$\n");
  const std::string path = (folder / "broken.sdf").string();
  { std::ofstream(path) << text; }

  int count = 0;
  kvtest::ErrorCapture errorLog;
  ASSERT_TRUE(parser.parseSDFile(path.c_str(), molecules, count));
  const std::string errors = errorLog.text();
  EXPECT_EQ(3, count);
  // Counted in the file, and the file named.
  EXPECT_NE(std::string::npos, errors.find("\"    0.0  C\" on line 17 of \"" + path + "\""))
      << errors;

  // The same text from a stream: the place is the line alone.
  errorLog.clear();
  std::istringstream in(text);
  parser.parseSDFile(in, molecules, count);
  EXPECT_EQ(3, count);
  ASSERT_EQ(1u, errorLog.lines.size());
  const std::string& line = errorLog.lines[0];
  EXPECT_NE(std::string::npos, line.find("\"    0.0  C\" on line 17")) << line;
  EXPECT_EQ(std::string::npos, line.find(" of ")) << line;
}

TEST_F(MDLFiles, EmptyFileFolderAndSeparatorsOnlyAreReported) {
  const std::string empty = (folder / "empty.mol").string();
  const std::string separators = (folder / "separators.sdf").string();
  { std::ofstream(empty) << ""; }
  { std::ofstream(separators) << "$$$$\n\n$$$$\n"; }
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(nullptr, parser.parseMDLMolFile(empty));
  EXPECT_EQ(nullptr, parser.parseMDLMolFile(folder.string()));
  int count = -1;
  EXPECT_TRUE(parser.parseSDFile(separators.c_str(), molecules, count));
  EXPECT_EQ(0, count);
  const std::vector<std::string> expected = {
      "Error: MDLMolParser: nothing to read on line 1 of \"" + empty + "\"",
      "Error: MDLMolParser: cannot read folder \"" + folder.string() + "\"",
      "Error: MDLMolParser: no records in \"" + separators + "\""};
  EXPECT_EQ(expected, errorLog.lines);
  std::istringstream none("$$$$\n");
  parser.parseSDFile(none, molecules, count);
  EXPECT_EQ("Error: MDLMolParser: no records in \"the input\"", errorLog.lines.back());
}

// The lines of typing and of the parameter lookup name the molecule they belong to, so that a
// run over a file of molecules can be read.
TEST_F(MDLFiles, TypingAndParameterMessagesNameTheMolecule) {
  const char* record = R"(copper diol
  Kestavor

  3  2  0  0  0  0  0  0  0  0999 V2000
    0.0000    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0
    1.9000    0.0000    0.0000 Cu  0  0  0  0  0  0  0  0  0  0  0  0
    3.8000    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  1  0  0  0  0
  2  3  1  0  0  0  0
M  END
)";
  const char* overValent = R"(fluorine triple bond
  Kestavor

  2  1  0  0  0  0  0  0  0  0999 V2000
    0.0000    0.0000    0.0000 F   0  0  0  0  0  0  0  0  0  0  0  0
    1.4000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  3  0  0  0  0
M  END
)";
  InputParameters::instance();   // loaded outside the capture
  for (const char* text : {record, overValent}) {
    kvtest::ErrorCapture errorLog;
    std::istringstream in(text);
    Molecule* m = parser.parseMDLMolFile(in);
    if (m != nullptr) molecules.push_back(m);
    ASSERT_FALSE(errorLog.lines.empty()) << text;
    const std::string name = std::string(text).substr(0, std::string(text).find('\n'));
    for (const std::string& line : errorLog.lines)
      EXPECT_NE(std::string::npos, line.find("in molecule \"" + name + "\"")) << line;
  }
}

TEST_F(MDLFiles, FolderReaderTakesMolFilesOfAnyCaseBelowIt) {
  copyData("mdl_ethanol.mol", folder / "a.MOL");
  copyData("mdl_ethanol.mol", folder / "b.mol");
  copyData("mdl_three_records.sdf", folder / "c.sdf");
  copyData("mdl_ethanol.mol", folder / "deeper" / "d.mol");
  copyData("mdl_crash_truncated_bonds.mol", folder / "e.mol");

  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(3, parser.loadMolFilesFromDirectory(folder.string().c_str(), molecules));
  EXPECT_EQ(3u, molecules.size());
  EXPECT_EQ(0, parser.loadMolFilesFromDirectory((folder / "none").string().c_str(), molecules));
}

// A puckered cyclobutane that is already near its minimum must come out near it: the torsion
// annealing turns part of the ring about ring bonds, and ABNR once ended from there with one
// carbon pushed through its hydrogens, far above the energy of the geometry read.
TEST_F(MDLFiles, LoadedPuckeredCyclobutaneKeepsItsRing) {
  kvtest::StdoutCapture quiet;
  Molecule* m = parser.parseMDLMolFile(kData + "/mdl_cyclobutane_puckered.mol");
  ASSERT_NE(nullptr, m);
  molecules.push_back(m);
  ASSERT_EQ(12u, m->atoms.size());
  for (const Atom* centre : m->atoms) {
    if (centre->element != "C") continue;
    std::vector<const Atom*> carbons, hydrogens;
    for (const Bond* b : m->bonds) {
      const Atom* other = b->atom1 == centre ? b->atom2 : b->atom2 == centre ? b->atom1 : nullptr;
      if (other == nullptr) continue;
      (other->element == "C" ? carbons : hydrogens).push_back(other);
      if (other->element == "H") {
        EXPECT_LT(kvtest::distance(centre, other), 1.15);
      }
    }
    ASSERT_EQ(2u, carbons.size());
    ASSERT_EQ(2u, hydrogens.size());
    EXPECT_NEAR(89.0, kvtest::angleDeg(carbons[0], centre, carbons[1]), 6.0);
    EXPECT_NEAR(108.0, kvtest::angleDeg(hydrogens[0], centre, hydrogens[1]), 7.0);
  }
}
