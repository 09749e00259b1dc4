// Inputs beyond what a molecule may hold are refused by every reader with one line, before they
// are built; inputs of many parts read in time linear in their size. The atom limit is lowered
// here so that small inputs cross it.

#include <algorithm>
#include <sstream>
#include <string>

#include "model/Ring.h"
#include "support/ErrorCapture.h"
#include "tests/io/PDBTestSupport.h"
#include "tests/io/SmilesTestSupport.h"

using pdbtest::atomLine;

class LargeInput : public pdbtest::PDBFixture {
 protected:
  void SetUp() override {
    PDBFixture::SetUp();
    savedLimit = Molecule::maxAtoms;
  }
  void TearDown() override {
    Molecule::maxAtoms = savedLimit;
    PDBFixture::TearDown();
  }

  size_t savedLimit = 0;
};

TEST_F(LargeInput, SmilesCountsItsAtomsBeforeBuildingThemAndItsHydrogensBeforeAddingThem) {
  Molecule::maxAtoms = 10;
  const struct {
    const char* smiles;
    size_t atoms;          // read, hydrogens included
    const char* refusal;   // null when the molecule is read
  } cases[] = {
      {"CCCCCCCCCCC", 0, "11 atoms, more than the 10 a molecule may have, in \"CCCCCCCCCCC\""},
      {"CCO", 9, nullptr},
      {"CCC", 0, "11 atoms with the hydrogens, more than the 10"},
      {"[CH4].[CH4]", 10, nullptr},   // two bracket atoms, eight written hydrogens
      {"[CH4].[CH4].C", 0, "15 atoms with the hydrogens"},
  };
  for (const auto& c : cases) {
    kvtest::ErrorCapture errors;
    const std::unique_ptr<Molecule> m = smilestest::graph(c.smiles);
    if (c.refusal == nullptr) {
      ASSERT_NE(nullptr, m) << c.smiles << errors.text();
      EXPECT_EQ(c.atoms, m->atoms.size()) << c.smiles;
      continue;
    }
    EXPECT_EQ(nullptr, m) << c.smiles;
    EXPECT_NE(std::string::npos, errors.text().find(c.refusal)) << errors.text();
    EXPECT_EQ(2u, errors.lines.size()) << errors.text();   // the reason, then " Parsing failed"
  }
  // A long line is quoted by its start only.
  kvtest::ErrorCapture errors;
  EXPECT_EQ(nullptr, smilestest::graph(std::string(5000, 'C')));
  EXPECT_NE(std::string::npos, errors.text().find("CCCC... (5000 characters)\""));
  for (const std::string& line : errors.lines) EXPECT_LT(line.size(), 300u);
}

TEST_F(LargeInput, PdbModelIsRefusedAtItsFirstAtomRecordPastTheLimit) {
  Molecule::maxAtoms = 6;
  std::string text;
  for (int i = 1; i <= 7; ++i)
    text += atomLine("HETATM", i, "O", "HOH", 'A', i, 5.0f * i, 0, 0, "O");
  kvtest::ErrorCapture errors;
  EXPECT_TRUE(read(text).empty());
  EXPECT_NE(std::string::npos, errors.text().find("more than 6 atoms in one model"));
  EXPECT_NE(std::string::npos, errors.text().find("on line 7"));
}

TEST_F(LargeInput, PdbModelWhoseHydrogensWouldPassTheLimitIsRefusedAndTheNextRead) {
  Molecule::maxAtoms = 6;
  const std::string text =
      "MODEL        1\n" + atomLine("HETATM", 1, "C1", "MET", 'A', 1, 0, 0, 0, "C") +
      atomLine("HETATM", 2, "C2", "MET", 'A', 2, 9, 0, 0, "C") + "ENDMDL\nMODEL        2\n" +
      atomLine("HETATM", 1, "O", "HOH", 'A', 1, 0, 0, 0, "O") + "ENDMDL\n";
  kvtest::ErrorCapture errors;
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(3u, out[0]->atoms.size());
  EXPECT_NE(std::string::npos, errors.text().find("would have 10 atoms with its hydrogens"));
}

TEST_F(LargeInput, KvFileIsRefusedAtItsFirstAtomRecordPastTheLimit) {
  const std::string path = writeFile("pair.kv",
                                     "#NAMES\nPAIR\n#ATOMS\nC C3 C C1 12.011 0.7 - - - 0 0 0 0 0\n"
                                     "C C3 C C2 12.011 0.7 - - - 0 0 1.5 0 0\n#BONDS\n");
  Molecule::maxAtoms = 1;
  kvtest::ErrorCapture errors;
  EXPECT_EQ(nullptr, IOEngine::instance()->parseKvtFile(path));
  EXPECT_NE(std::string::npos, errors.text().find("more than 1 atoms, the most a molecule may"));
  EXPECT_NE(std::string::npos, errors.text().find("of \"" + path + "\""));
  Molecule::maxAtoms = 2;
  EXPECT_NE(nullptr, std::unique_ptr<Molecule>(IOEngine::instance()->parseKvtFile(path)));
}

TEST_F(LargeInput, PackedResidueGivesNoAtomMoreThanSixBonds) {
  // Sixty carbons of one residue 0.75 Angstrom apart in a small box: every atom has far more than
  // six others within a bond window, and no two stand close enough to count as stacked.
  std::string text;
  for (int i = 0; i < 60; ++i)
    text += atomLine("HETATM", i + 1, "C1", "UNK", 'A', 1, 0.75f * (i % 5), 0.75f * (i / 5 % 4),
                     0.75f * (i / 20), "C");
  kvtest::ErrorCapture errors;
  std::istringstream in(text);
  std::vector<Molecule*> graphs;
  ASSERT_TRUE(parser.readGraphs(in, graphs));
  ASSERT_EQ(1u, graphs.size());
  const std::unique_ptr<Molecule> graph(graphs[0]);
  size_t heavyBonds = 0;
  for (const Atom* a : graph->atoms) {
    EXPECT_LE(a->bonds.size(), 6u);
    heavyBonds += a->bonds.size();
  }
  EXPECT_GT(heavyBonds, 60u * 4u);
  ASSERT_EQ(1u, errors.lines.size()) << errors.text();
  EXPECT_NE(std::string::npos,
            errors.text().find("atom \"C1\" (serial 1) of residue \"UNK 1\" has more than 6 "
                               "neighbours within bonding distance, in the input"));
}

TEST_F(LargeInput, ThousandsOfRingSystemsInOneLineReadAndWriteBackAsWritten) {
  // Each benzene gets its own Kekule bonds and its own ring numbers in the written text.
  std::string text = "c1ccccc1";
  for (int i = 1; i < 2000; ++i) text += ".c1ccccc1";
  const std::unique_ptr<Molecule> m = smilestest::graph(text);
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(2000u, m->rings.size());
  for (const Ring* r : m->rings) {
    int doubles = 0;
    for (int b : r->bondIds) doubles += m->bonds[static_cast<size_t>(b)]->order == 2;
    EXPECT_TRUE(r->aromatic || doubles == 3);
  }
  EXPECT_EQ(text, smilestest::write(*m));
}

TEST_F(LargeInput, ChainOfPhenylRingsIsOneKekuleSystemAndEveryRingAromatic) {
  // The links between the rings join all 18,000 aromatic atoms into one system to match.
  const int rings = 3000;
  std::string text;
  for (int i = 0; i < rings; ++i) {
    const std::string digit = std::to_string(1 + i % 2);
    text += i + 1 < rings ? "c" + digit + "ccc(cc" + digit + ")" : "c" + digit + "ccccc" + digit;
  }
  const std::unique_ptr<Molecule> m = smilestest::graph(text);
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(static_cast<size_t>(rings), m->rings.size());
  for (const Ring* r : m->rings) EXPECT_TRUE(r->aromatic);
}
