// Writing PDB files: record layout, atom order, chains, failures, and reading back.

#include <cstdio>
#include <set>

#include "model/Builder.h"
#include "tests/io/PDBTestSupport.h"
#include "tests/support/MoleculeBuilder.h"
#include "tests/support/TextLines.h"
#include "support/ErrorCapture.h"

using kvtest::linesOf;
using pdbtest::PDBFixture;

namespace {

// Residues 1-2 of both chains of an HIV protease.
const char* kTwoChains = R"(
ATOM      1  N   PRO A   1      13.120  39.003   5.159  1.00 55.41
ATOM      2  CA  PRO A   1      12.941  39.418   6.575  1.00 31.00
ATOM      3  C   PRO A   1      13.681  38.470   7.506  1.00 29.68
ATOM      4  O   PRO A   1      14.085  37.394   7.087  1.00 45.26
ATOM      5  CB  PRO A   1      11.457  39.390   6.893  1.00 33.17
ATOM      6  CG  PRO A   1      10.966  38.512   5.856  1.00 42.98
ATOM      7  CD  PRO A   1      11.746  39.019   4.650  1.00 22.41
ATOM      8  N   GLN A   2      13.878  38.878   8.756  1.00 37.97
ATOM      9  CA  GLN A   2      14.536  38.012   9.717  1.00 39.24
ATOM     10  C   GLN A   2      13.473  37.365  10.601  1.00 34.63
ATOM     11  O   GLN A   2      12.674  38.049  11.246  1.00 31.01
ATOM     12  CB  GLN A   2      15.558  38.750  10.578  1.00 33.76
ATOM     13  CG  GLN A   2      16.239  37.796  11.545  1.00 45.77
ATOM     14  CD  GLN A   2      17.202  38.462  12.487  1.00 62.05
ATOM     15  OE1 GLN A   2      16.846  38.807  13.622  1.00 43.48
ATOM     16  NE2 GLN A   2      18.450  38.591  12.054  1.00 63.81
TER
ATOM    760  N   PRO B   1      27.295  30.788  12.554  1.00 56.05
ATOM    761  CA  PRO B   1      27.688  31.018  11.136  1.00 35.13
ATOM    762  C   PRO B   1      26.455  31.215  10.241  1.00 45.27
ATOM    763  O   PRO B   1      25.327  31.285  10.732  1.00 38.74
ATOM    764  CB  PRO B   1      28.485  29.803  10.669  1.00 47.08
ATOM    765  CG  PRO B   1      27.884  28.753  11.442  1.00 50.44
ATOM    766  CD  PRO B   1      27.787  29.436  12.798  1.00 35.26
ATOM    767  N   GLN B   2      26.683  31.378   8.941  1.00 35.91
ATOM    768  CA  GLN B   2      25.600  31.527   7.975  1.00 27.26
ATOM    769  C   GLN B   2      25.600  30.285   7.075  1.00 39.05
ATOM    770  O   GLN B   2      26.632  29.878   6.529  1.00 32.13
ATOM    771  CB  GLN B   2      25.758  32.801   7.159  1.00 23.20
ATOM    772  CG  GLN B   2      24.683  32.958   6.113  1.00 24.19
ATOM    773  CD  GLN B   2      24.794  34.251   5.338  1.00 50.94
ATOM    774  OE1 GLN B   2      25.719  34.439   4.548  1.00 61.32
ATOM    775  NE2 GLN B   2      23.829  35.141   5.533  1.00 57.09
)";

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

class PDBWriter : public PDBFixture {};

TEST_F(PDBWriter, TwoChainMoleculeReadsBackWithSameAtomsBondsAndChains) {
  const std::vector<Molecule*> first = read(kTwoChains);
  ASSERT_EQ(1u, first.size());
  const std::string path = (folder / "two.pdb").string();
  ASSERT_EQ(1, parser.writePDBFile(first[0], path.c_str()));
  const std::vector<std::string> lines = linesOf(slurp(path));
  int ter = 0;
  for (const std::string& line : lines) {
    if (line.rfind("TER", 0) != 0) continue;
    ++ter;
    EXPECT_EQ("B", line.substr(21, 1));
    EXPECT_EQ("PRO", line.substr(17, 3));
    EXPECT_EQ("   1", line.substr(22, 4));
  }
  EXPECT_EQ(1, ter);

  PDBParser again;
  std::vector<Molecule*> second;
  again.parsePDBFile(path, second);
  molecules.insert(molecules.end(), second.begin(), second.end());
  ASSERT_EQ(1u, second.size());
  const Molecule* a = first[0];
  const Molecule* b = second[0];
  ASSERT_EQ(a->atoms.size(), b->atoms.size());
  EXPECT_EQ(a->bonds.size(), b->bonds.size());
  EXPECT_EQ(a->chainIds, b->chainIds);
  std::multiset<std::string> before, after;
  for (const Atom* x : a->atoms)
    before.insert(x->chainId + x->element + std::to_string(x->residueNumber) +
                  (x->element == "H" ? "" : x->name));
  for (const Atom* x : b->atoms)
    after.insert(x->chainId + x->element + std::to_string(x->residueNumber) +
                 (x->element == "H" ? "" : x->name));
  EXPECT_EQ(before, after);
  // Heavy atoms keep their order and positions to the file's precision; each hydrogen
  // follows its heavy atom.
  std::vector<const Atom*> heavyA, heavyB;
  for (const Atom* x : a->atoms)
    if (x->element != "H") heavyA.push_back(x);
  for (const Atom* x : b->atoms)
    if (x->element != "H") heavyB.push_back(x);
  ASSERT_EQ(heavyA.size(), heavyB.size());
  for (size_t i = 0; i < heavyA.size(); ++i) {
    EXPECT_EQ(heavyA[i]->name, heavyB[i]->name);
    EXPECT_NEAR(heavyA[i]->position.x, heavyB[i]->position.x, 5e-4);
    EXPECT_NEAR(heavyA[i]->position.z, heavyB[i]->position.z, 5e-4);
  }
  for (size_t i = 1; i < b->atoms.size(); ++i) {
    const Atom* x = b->atoms[i];
    if (x->element != "H") continue;
    ASSERT_EQ(1u, x->bonds.size());
    const Atom* heavy = x->getAdjacentAtom(x->bonds.front());
    EXPECT_LT(heavy->id, x->id);
  }
}

TEST_F(PDBWriter, RecordLayoutKeepsNamesNumbersAndElements) {
  auto m = kvtest::buildMolecule({"C", "Cl", "H", "H", "H"},
                                 {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  const char* names[] = {"CA", "CL1", "HB12", "1HB", "H"};
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    m->atoms[i]->name = names[i];
    m->atoms[i]->residueName = "lig";
    m->atoms[i]->residueNumber = -5;
    m->atoms[i]->chainId = "A";
    // Apart along x (a file of stacked atoms is refused), touching columns in y and z.
    m->atoms[i]->position = SSEVector4f(-1.234f + 2.5f * i, -100.567f, 1234.5f, 1.0f);
  }
  m->atoms[0]->isHetero = true;
  std::string text;
  ASSERT_TRUE(parser.formatPDB(m.get(), text));
  const std::vector<std::string> lines = linesOf(text);
  ASSERT_EQ(6u, lines.size());
  EXPECT_EQ("HETATM    1  CA  LIG A  -5      -1.234-100.5671234.500                       C  ",
            lines[0]);
  EXPECT_EQ(" CA ", lines[0].substr(12, 4));
  EXPECT_EQ("CL1 ", lines[4].substr(12, 4));   // hydrogens follow their carbon
  EXPECT_EQ("HB12", lines[1].substr(12, 4));
  EXPECT_EQ("1HB ", lines[2].substr(12, 4));
  EXPECT_EQ("CL", lines[4].substr(76, 2));
  EXPECT_EQ("END", lines[5]);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(80u, lines[i].size());

  // Read back: touching coordinates and the names' elements survive.
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  const Atom* cl = pdbtest::findAtom(out[0], "CL1", -5);
  ASSERT_NE(nullptr, cl);
  EXPECT_EQ("Cl", cl->element);
  EXPECT_FLOAT_EQ(-100.567f, cl->position.y);
}

TEST_F(PDBWriter, EveryAtomIsWrittenOnce) {
  // A hydrogen molecule and a bridging hydrogen between two borons (diborane's core).
  auto m = kvtest::buildMolecule({"H", "H", "B", "B", "H"},
                                 {{0, 1, 1}, {2, 4, 1}, {3, 4, 1}});
  for (size_t i = 0; i < m->atoms.size(); ++i)
    m->atoms[i]->position = SSEVector4f(static_cast<float>(i), 0, 0, 1);
  std::string text;
  ASSERT_TRUE(parser.formatPDB(m.get(), text));
  int records = 0;
  for (const std::string& line : linesOf(text)) records += line.rfind("ATOM", 0) == 0;
  EXPECT_EQ(5, records);
}

TEST_F(PDBWriter, EmptyMoleculeGivesOnlyEnd) {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  const std::string path = (folder / "empty.pdb").string();
  ASSERT_EQ(1, parser.writePDBFile(m.get(), path.c_str()));
  EXPECT_EQ("END\n", slurp(path));
}

TEST_F(PDBWriter, FailedWriteLeavesTheOldFileWhole) {
  const std::string path = writeFile("old.pdb", "OLD CONTENT\n");
  auto m = kvtest::buildMolecule({"C"}, {});
  m->atoms[0]->position = SSEVector4f(123456.0f, 0, 0, 1);   // too wide for its 8 columns
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(0, parser.writePDBFile(m.get(), path.c_str()));
  EXPECT_EQ(0, parser.writePDBFile(nullptr, path.c_str()));
  const std::string missingFolder = (folder / "no" / "such.pdb").string();
  m->atoms[0]->position = SSEVector4f(1.0f, 0, 0, 1);
  EXPECT_EQ(0, parser.writePDBFile(m.get(), missingFolder.c_str()));
  const std::string err = errorLog.text();
  EXPECT_NE(std::string::npos, err.find("Error: PDBParser::writePDBFile NULL molecule"));
  EXPECT_NE(std::string::npos, err.find("Error: PDBParser::writePDBFile coordinate too wide"));
  EXPECT_EQ("OLD CONTENT\n", slurp(path));
  EXPECT_EQ(1u, static_cast<size_t>(std::distance(pdbtest::fs::directory_iterator(folder),
                                                  pdbtest::fs::directory_iterator())));
}

TEST_F(PDBWriter, ConectRecordsFollowTheWrittenSerials) {
  std::string text =
      "HETATM   11  C1  LIG A   1       0.000   0.000   0.000                       C\n"
      "HETATM   12  O1  LIG A   1       1.400   0.000   0.000                       O\n"
      "CONECT   11   12\n";
  const std::vector<Molecule*> out = read(text);
  ASSERT_EQ(1u, out.size());
  std::string written;
  ASSERT_TRUE(parser.formatPDB(out[0], written));
  EXPECT_NE(std::string::npos, written.find("CONECT    1    5\n")) << written;
}
