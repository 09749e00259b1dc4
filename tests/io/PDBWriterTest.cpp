// Writing PDB files: record layout, atom order, failures and serials; the round trip of a
// whole protease is in PDBFilesTest.cpp.

#include "model/Builder.h"
#include "tests/io/PDBTestSupport.h"
#include "tests/support/MoleculeBuilder.h"
#include "tests/support/TextLines.h"
#include "support/ErrorCapture.h"

using kvtest::linesOf;
using pdbtest::PDBFixture;

class PDBWriter : public PDBFixture {};

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
  EXPECT_EQ("END\n", kvtest::readFile(path));
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
  EXPECT_EQ("OLD CONTENT\n", kvtest::readFile(path));
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
