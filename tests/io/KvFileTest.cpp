// The own molecule file: write-then-read round trips and the reader's handling of sections,
// records and broken input.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/TextLines.h"

namespace {

// Two carbons 1.5 apart with a bond whose focal distance and major axis are given.
std::string twoAtomFile(const std::string& bondLine) {
  return "#NAMES\nPAIR\n#ATOMS\n"
         "C C3 C C1 12.011 0.7 - - - 0 0 0 0 0\n"
         "C C3 C C2 12.011 0.7 - - - 0 0 1.5 0 0\n"
         "#BONDS\n" +
         bondLine + "\n";
}

class KvFile : public kvtest::FileFixture {
 protected:
  KvFile() : kvtest::FileFixture("kvfile_") {}
  void SetUp() override {
    kvtest::FileFixture::SetUp();
    engine = IOEngine::instance();
  }

  std::unique_ptr<Molecule> read(const std::string& text) {
    std::istringstream in(text);
    return std::unique_ptr<Molecule>(engine->parseKvtStream(in, "inline"));
  }
  std::unique_ptr<Molecule> roundTrip(Molecule* m) {
    const std::string path = (folder / "m.kv").string();
    EXPECT_EQ(1, engine->writeKvtFile(m, path.c_str()));
    return std::unique_ptr<Molecule>(engine->parseKvtFile(path));
  }

  IOEngine* engine = nullptr;
};

TEST_F(KvFile, RoundTripKeepsGraphGeometryEnergiesAndBookkeeping) {
  SmilesParser parser;
  std::unique_ptr<Molecule> m(parser.smilesToMol("ClCC(=O)c1ccccc1 chloroacetophenone"));
  ASSERT_TRUE(m);
  m->displayName = "Chloro/Acetophenone";
  m->smiles = "F/C=C/F";
  m->sfunc = "SPECIAL";
  m->replaceFrom = {"A", "B"};
  m->replaceTo = {"C", "D"};
  m->updateFrom = {"ACE.C1"};
  m->updateTo = {"C2X"};
  m->atoms[0]->groupName = "ACE";
  m->atoms[0]->groupIndex = "7";
  m->atoms[0]->groupInstance = "ACE_7";
  m->atoms[1]->charge = -1;
  m->bonds[0]->groupName = "ACE";
  m->bonds[0]->isApproximated = true;
  m->energyCorrection = 0.125f;
  m->dipoleMoment = 2.5f;

  std::unique_ptr<Molecule> back = roundTrip(m.get());
  ASSERT_TRUE(back);
  EXPECT_EQ(m->names, back->names);
  EXPECT_EQ("Chloro/Acetophenone", back->displayName);
  EXPECT_EQ("F/C=C/F", back->smiles);
  EXPECT_EQ("Special", back->sfunc);
  EXPECT_EQ(m->replaceFrom, back->replaceFrom);
  EXPECT_EQ(m->replaceTo, back->replaceTo);
  EXPECT_EQ(m->updateFrom, back->updateFrom);
  EXPECT_EQ(m->updateTo, back->updateTo);
  EXPECT_TRUE(back->hasApproximatedParameters);
  EXPECT_NEAR(m->energyCorrection, back->energyCorrection, 1e-6);
  EXPECT_NEAR(m->totalBondEnergy, back->totalBondEnergy, 1e-5 * std::fabs(m->totalBondEnergy));
  EXPECT_NEAR(m->heatOfFormation, back->heatOfFormation, 1e-4 + 1e-5 * std::fabs(m->heatOfFormation));
  EXPECT_NEAR(2.5f, back->dipoleMoment, 1e-6);

  ASSERT_EQ(m->atoms.size(), back->atoms.size());
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    const Atom* a = m->atoms[i];
    const Atom* b = back->atoms[i];
    EXPECT_EQ(a->element, b->element);
    EXPECT_EQ(a->type, b->type);
    std::string upperName = a->name;   // record strings come back upper-cased
    UtilityEngine::instance()->toUpper(upperName);
    EXPECT_EQ(upperName, b->name);
    EXPECT_EQ(a->piElectrons, b->piElectrons);
    EXPECT_EQ(a->charge, b->charge);
    EXPECT_NEAR(a->mass, b->mass, 1e-5 * a->mass);
    // Coordinates as written: six significant digits, and no optimisation moved them.
    const SSEVector4f& p = m->positions[i];
    for (float diff : {p.x - b->position.x, p.y - b->position.y, p.z - b->position.z})
      EXPECT_LT(std::fabs(diff), 1e-3f);
  }
  const Atom* first = back->atoms[0];
  EXPECT_EQ("ACE 7 ACE_7", first->groupName + " " + first->groupIndex + " " + first->groupInstance);
  EXPECT_EQ("-", back->atoms[2]->groupName);   // an empty field comes back as "-"

  ASSERT_EQ(m->bonds.size(), back->bonds.size());
  for (size_t i = 0; i < m->bonds.size(); ++i) {
    const Bond* a = m->bonds[i];
    const Bond* b = back->bonds[i];
    EXPECT_EQ(a->atom1->id, b->atom1->id);
    EXPECT_EQ(a->atom2->id, b->atom2->id);
    EXPECT_EQ(a->order, b->order);
    EXPECT_EQ(a->inRing, b->inRing);
    EXPECT_NEAR(a->energy, b->energy, 1e-5 * std::fabs(a->energy) + 1e-7);
    EXPECT_NEAR(a->focalDistance, b->focalDistance, 1e-3);   // the lengths of the read centres
    EXPECT_NEAR(a->semiMajorAxis, b->semiMajorAxis, 1e-3);
  }
  EXPECT_EQ("ACE", back->bonds[0]->groupName);
}

// The bond spheroids read back are the ones the set-up chain built: the same orientation and
// foci for every bond, up to the positions' rounding in the file.
TEST_F(KvFile, BondSpheroidsReadBackAsBuilt) {
  SmilesParser parser;
  std::unique_ptr<Molecule> m(parser.smilesToMol("ClCC(=O)c1ccccc1 chloroacetophenone"));
  ASSERT_TRUE(m);
  std::unique_ptr<Molecule> back = roundTrip(m.get());
  ASSERT_TRUE(back);
  ASSERT_EQ(m->bonds.size(), back->bonds.size());
  for (size_t i = 0; i < m->bonds.size(); ++i) {
    const Bond* built = m->bonds[i];
    const Bond* read = back->bonds[i];
    ASSERT_NE(nullptr, built->spheroid);
    ASSERT_NE(nullptr, read->spheroid);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(built->orientation[k], read->orientation[k], 1e-3) << i;
    EXPECT_NEAR(0.0f, (built->spheroid->focus1 - read->spheroid->focus1).length(), 1e-3) << i;
    EXPECT_NEAR(0.0f, (built->spheroid->focus2 - read->spheroid->focus2).length(), 1e-3) << i;
  }
}

TEST_F(KvFile, WriterFieldRulesReadBack) {
  std::unique_ptr<Molecule> m = read(
      "#NAMES\nodd\n#ATOMS\nC C3 C C1 12 0.7 - - - 0 0 0 0 0\n"
      "Cl CL CL CL1 35 0.9 - - - 0 0 1.8 0 0\n#BONDS\n0 1 1 -3.5 1.8 1.0 0 3 - - - 0 0\n");
  ASSERT_TRUE(m);
  m->atoms[0]->mass = -4.0f;
  m->atoms[0]->radius = 0.0f;
  m->atoms[0]->name = "C one";        // white space would split the record
  m->atoms[1]->groupName = "";
  std::unique_ptr<Molecule> back = roundTrip(m.get());
  ASSERT_TRUE(back);
  ASSERT_EQ(2u, back->atoms.size());
  EXPECT_EQ(0.0f, back->atoms[0]->mass);
  EXPECT_FLOAT_EQ(0.02645f, back->atoms[0]->radius);
  EXPECT_EQ("C_ONE", back->atoms[0]->name);
  EXPECT_EQ("-", back->atoms[1]->groupName);
  EXPECT_EQ("Cl", back->atoms[1]->element);
  EXPECT_FLOAT_EQ(1.8f, back->atoms[1]->position.x);
}

TEST_F(KvFile, HeadersInAnyCaseCommentsAndCuts) {
  std::unique_ptr<Molecule> m = read(
      "// a comment before anything\n"
      "#names\n  Benzene/ring  \n"
      "#smiles trailing words\nc1ccccc1\n"
      "\n   \t\n"
      "#Atoms of the ring\n"
      "c c3 c c1 12 0.7 - - - 0 0 0 0 0 // the first carbon\n"
      "/ a record emptied by the cut\n"
      "c c3 c c2 12 0.7 - - - 0 0 1.4 0 0\n"
      "#bonds\n0 1 1 -4 1.4 0.9 0 3 - - - 0 0\n"
      "#sfunc\n0\n");
  ASSERT_TRUE(m);
  EXPECT_EQ("Benzene/ring", m->getName());
  EXPECT_EQ("c1ccccc1", m->smiles);
  ASSERT_EQ(2u, m->atoms.size());   // the emptied record shifts no index
  EXPECT_EQ("C2", m->atoms[1]->name);
  EXPECT_EQ("C3", m->atoms[1]->type);
  ASSERT_EQ(1u, m->bonds.size());
  EXPECT_FLOAT_EQ(1.4f, m->bonds[0]->atom2->position.x);
  EXPECT_EQ("", m->sfunc);
}

// A damaged file fails whole, with one line naming the line it stopped at: a molecule that
// loses atoms, bonds or coordinates is never read as fine.
TEST_F(KvFile, BrokenFilesFailNamingTheLine) {
  const std::string atom1 = "C C3 C C1 12.011 0.7 - - - 0 0 0 0 0\n";
  const std::string atom2 = "C C3 C C2 12.011 0.7 - - - 0 0 1.5 0 0\n";
  const std::string bond = "0 1 1 -3 1.5 0.9 0 3 - - - 0 0\n";
  const std::string head = "#NAMES\nPAIR\n#ATOMS\n";   // lines 1-3
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {head + atom1, "file ends before \"#BONDS\" after line 4"},
      {"#NAMES\nPAIR\n", "file ends before \"#ATOMS\" after line 2"},
      {head + "#BONDS\n#ENERGIES\n", "no atom records after \"#ATOMS\" on line 3"},
      {head + atom1 + atom2 + "#BONDS\n" + bond + "#ATOMS\n" + atom1,
       "second \"#ATOMS\" on line 8"},
      {head + atom1 + "C C3 C C2 12.011 0.7 - - -\n", "short atom record \"C C3"},
      {head + atom1 + "C C3 C C2 12.011 0.7 - - - 0 0 1.5 nan 0\n", "bad number \"NAN\""},
      {head + atom1 + "C C3 C C2 12.011 0.7 - - - 1e38 0 1.5 0 0\n",
       "bad pi-electron count \"1E38\""},
      {head + "Xx C3 C C1 12.011 0.7 - - - 0 0 0 0 0\n", "unknown element \"XX\""},
      {head + atom1 + atom2 + "#BONDS\n0 1 4 -3 1.5 0.9 0 3 - - - 0 0\n",
       "Failed to parse bond \"0 1 4"},
      {"#NAMES\nPAIR\n#ENERGIES\n0 x 0 0\n", "bad energy record"},
      {twoAtomFile("0 1 1 -3 1.5 0.7499 0 3 - - - 0 0"), "Failed to parse bond"},
      {twoAtomFile("0 2 1 -3 1.5 0.9 0 3"), "Failed to parse bond"},
      {twoAtomFile("0 1 1 -3 1.5"), "Failed to parse bond"},
      {twoAtomFile("0 1 1 -3 1.5 nan 0 3"), "Failed to parse bond"},
      {"C C3 C C1 12 0.7\n#NAMES\nX\n", "data before \"#NAMES\" \"C C3 C C1 12 0.7\" on line 1"},
      {"#ATOMS\nC C3 C C1 12 0.7\n", "data before \"#NAMES\" \"C C3 C C1 12 0.7\" on line 2"},
      {"// only a comment\n", "no \"#NAMES\" in"},
      {"#NAMES\nA\n#NAMES\nB\n", "second \"#NAMES\" on line 3"},   // one molecule a file
  };
  for (const auto& c : cases) {
    kvtest::ErrorCapture errorLog;
    EXPECT_FALSE(read(c.text)) << c.text;
    ASSERT_EQ(1u, errorLog.lines.size()) << c.text << errorLog.text();
    EXPECT_NE(std::string::npos, errorLog.lines[0].find(c.message)) << errorLog.lines[0];
    EXPECT_NE(std::string::npos, errorLog.lines[0].find("\"inline\"")) << errorLog.lines[0];
  }
  // The sound file the cases break, and a focal distance of exactly twice the major axis: a
  // flat spheroid, still a bond.
  EXPECT_TRUE(read(head + atom1 + atom2 + "#BONDS\n" + bond));
  std::unique_ptr<Molecule> flat = read(twoAtomFile("0 1 1 -3 1.5 0.75 0 3 - - - 0 0"));
  ASSERT_TRUE(flat);
  EXPECT_EQ(0.0, flat->bonds[0]->semiMinorAxis);
}

TEST_F(KvFile, EmptyMissingFileAndFolderAreReported) {
  const std::string empty = (folder / "empty.kv").string();
  std::ofstream(empty) << "";
  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(engine->parseKvtFile(empty));
  EXPECT_FALSE(engine->parseKvtFile(folder.string()));
  EXPECT_FALSE(engine->parseKvtFile((folder / "missing.kv").string()));
  const std::vector<std::string> expected = {
      "Error: parseKvtFile: no \"#NAMES\" in \"" + empty + "\"",
      "Error: cannot open file " + folder.string() + " (cannot read folder)",
      "Error: cannot open file " + (folder / "missing.kv").string()};
  EXPECT_EQ(expected, errorLog.lines);
}

TEST_F(KvFile, OddPairListsAreIgnoredAndReadingGoesOn) {
  kvtest::ErrorCapture errorLog;
  std::unique_ptr<Molecule> m = read(
      "#NAMES\nX\n#REPLACE\nA B C\n#UPDATE\nX.C1 C3 X.C2\n#REPLACE\nA B\n"
      "#ATOMS\nC C3 C C1 12 0.7 - - - 0 0 0 0 0\n#BONDS\n");
  const std::string err = errorLog.text();
  ASSERT_TRUE(m);
  EXPECT_NE(std::string::npos, err.find("Error: InCorrect replace"));
  EXPECT_NE(std::string::npos, err.find("Error: InCorrect update"));
  EXPECT_EQ(std::vector<std::string>{"A"}, m->replaceFrom);
  EXPECT_FALSE(m->hasUpdateRules);
  EXPECT_EQ(1u, m->atoms.size());
}

TEST_F(KvFile, FailedWriteLeavesOldFileWhole) {
  // The temporary file beside it cannot be made: its name would be longer than a file name may be.
  const std::filesystem::path target = folder / (std::string(247, 'k') + ".kv");
  std::ofstream(target) << "old contents\n";
  std::unique_ptr<Molecule> m = read(twoAtomFile("0 1 1 -3 1.5 0.9 0 3 - - - 0 0"));
  ASSERT_TRUE(m);
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(0, engine->writeKvtFile(m.get(), target.string().c_str()));
  EXPECT_EQ(0, engine->writeKvtFile(nullptr, target.string().c_str()));
  EXPECT_NE(std::string::npos, errorLog.text().find("Error: No molecule data"));
  EXPECT_EQ("old contents\n", kvtest::readFile(target.string()));

  // A file that cannot be made: the writer's own words, the file name and why, one line each.
  const std::string missing = (folder / "no" / "such.kv").string();
  errorLog.clear();
  EXPECT_EQ(0, engine->writeKvtFile(m.get(), missing.c_str()));
  EXPECT_EQ(0, engine->writeKvtFile(m.get(), ""));
  ASSERT_EQ(2u, errorLog.lines.size()) << errorLog.text();
  EXPECT_TRUE(kvtest::textThenReason(errorLog.lines[0], "Error: can not open file " + missing))
      << errorLog.lines[0];
  EXPECT_EQ("Error: can not open file  (no file name)", errorLog.lines[1]);
}

}  // namespace

// A file with an atom record written twice once gave a bond of no length and a molecule with
// an extra carbon; bonds between atoms far apart or on one place are no bonds either.
TEST_F(KvFile, DuplicatedAtomsAndImpossibleBondsAreRefused) {
  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(engine->parseKvtFile(std::string(KV_TEST_DATA_DIR) + "/kv-duplicated-atom.kv"));
  ASSERT_EQ(1u, errorLog.lines.size()) << errorLog.text();
  EXPECT_NE(std::string::npos, errorLog.lines[0].find("atoms on top of each other")) << errorLog.text();
  EXPECT_NE(std::string::npos, errorLog.lines[0].find("on line 18 of")) << errorLog.text();

  const std::string atom1 = "C C3 C C1 12.011 0.7 - - - 0 0 0 0 0\n";
  const std::string atom2 = "C C3 C C2 12.011 0.7 - - - 0 0 1.5 0 0\n";
  const std::string bond = "0 1 1 -3 1.5 0.9 0 3 - - - 0 0\n";
  const std::string head = "#NAMES\nPAIR\n#ATOMS\n";   // lines 1-3
  errorLog.lines.clear();
  // The whole atom block twice, without its bonds: each atom lies on its copy.
  EXPECT_FALSE(read(head + atom1 + atom2 + atom1 + atom2 + "#BONDS\n" + bond));
  ASSERT_EQ(1u, errorLog.lines.size()) << errorLog.text();
  EXPECT_NE(std::string::npos,
            errorLog.lines[0].find("atom 2 (\"C1\") on line 6 of \"inline\" lies on atom 0"))
      << errorLog.lines[0];
  // A bond of 97 A.
  errorLog.lines.clear();
  EXPECT_FALSE(read(head + atom1 + "C C3 C C2 12.011 0.7 - - - 0 0 97 0 0\n#BONDS\n" + bond));
  ASSERT_EQ(1u, errorLog.lines.size()) << errorLog.text();
  EXPECT_NE(std::string::npos, errorLog.lines[0].find("too long for a bond")) << errorLog.lines[0];
}

// Stored coordinates the set-up chain refuses (two atoms that share no bond 0.5 A apart, too far
// apart to be one atom written twice) were once read as a finished, optimised molecule.
TEST_F(KvFile, StoredCoordinatesTheChainRefusesGiveNoMolecule) {
  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(read("#NAMES\nCLASH\n#ATOMS\n"
                    "C C3 C C1 12.011 0.7 - - - 0 0 0 0 0\n"
                    "C C3 C C2 12.011 0.7 - - - 0 0 1.5 0 0\n"
                    "C C3 C C3 12.011 0.7 - - - 0 0 1.5 0.5 0\n"
                    "#BONDS\n0 1 1 -3 1.5 0.9 0 3 - - - 0 0\n"));
  ASSERT_EQ(2u, errorLog.lines.size()) << errorLog.text();
  EXPECT_NE(std::string::npos, errorLog.lines[0].find("are 0.50 Angstrom apart")) << errorLog.text();
  EXPECT_EQ("Error: parseKvtFile: \"inline\" holds no finished molecule: the spheroids step "
            "refused its stored coordinates",
            errorLog.lines[1]);
}

TEST_F(KvFile, MessagesStartWithTheReadersWordsAndNameThePlace) {
  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(read(twoAtomFile("0 2 1 -3 1.5 0.9 0 3 - - - 0 0")));
  ASSERT_EQ(1u, errorLog.lines.size());
  EXPECT_EQ("Failed to parse bond \"0 2 1 -3 1.5 0.9 0 3 - - - 0 0\" on line 7 of \"inline\"",
            errorLog.lines[0]);
  errorLog.lines.clear();
  EXPECT_TRUE(read(twoAtomFile("0 1 1 -3 1.5 0.9 0 3 - - - 0 0") + "#REPLACE\nA B C\n"));
  ASSERT_EQ(1u, errorLog.lines.size());
  EXPECT_EQ("Error: InCorrect replace \"A B C\" on line 9 of \"inline\"", errorLog.lines[0]);
  // A byte-order mark before the first header is no data.
  errorLog.lines.clear();
  EXPECT_TRUE(read("\xEF\xBB\xBF" + twoAtomFile("0 1 1 -3 1.5 0.9 0 3 - - - 0 0")));
  EXPECT_TRUE(errorLog.lines.empty()) << errorLog.text();
}
