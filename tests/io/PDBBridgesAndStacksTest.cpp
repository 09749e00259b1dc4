// Bonds the PDB reader takes from geometry and records beyond one residue (cystine bridges,
// "SSBOND", "CONECT" between residues), and the files it refuses at once: stacked atoms, listed
// bonds at no bonding distance, a path it cannot open.

#include <chrono>
#include <fstream>

#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"

using pdbtest::PDBFixture;
using pdbtest::atomLine;
using pdbtest::findAtom;
using pdbtest::orderBetween;

namespace {

const std::string kCystine = std::string(KV_TEST_DATA_DIR) + "/pdb-cystine.pdb";

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PDBBridges : public PDBFixture {};

TEST_F(PDBBridges, CysteineSulfursCloseTogetherAreBridgedNotThiols) {
  // No record says so: the distance does. Cystine, C6H12N2O4S2.
  const std::vector<Molecule*> out = readPath(kCystine);
  ASSERT_EQ(1u, out.size());
  const Molecule* m = out[0];
  EXPECT_EQ(1, orderBetween(m, "SG", 1, "SG", 2));
  EXPECT_EQ(0, kvtest::hydrogensOn(findAtom(m, "SG", 1)));
  EXPECT_EQ(0, kvtest::hydrogensOn(findAtom(m, "SG", 2)));
  EXPECT_EQ(6, kvtest::countElement(*m, "C"));
  EXPECT_EQ(12, kvtest::countElement(*m, "H"));
  EXPECT_EQ(2, kvtest::countElement(*m, "S"));
  EXPECT_EQ(26u, m->atoms.size());
}

TEST_F(PDBBridges, SsbondAndConectRecordsBondAcrossResidues) {
  // The second cysteine moved 0.25 A along x: 2.23 A is beyond the distance rule, so only the
  // record bridges them.
  std::string moved;
  for (const std::string& line : kvtest::linesOf(fileText(kCystine))) {
    if (line.rfind("ATOM", 0) == 0 && line.substr(22, 4) == "   2") {
      char buffer[100];
      std::snprintf(buffer, sizeof buffer, "%s%8.3f%s", line.substr(0, 30).c_str(),
                    std::atof(line.substr(30, 8).c_str()) + 0.25, line.substr(38).c_str());
      moved += std::string(buffer) + "\n";
    } else {
      moved += line + "\n";
    }
  }
  EXPECT_TRUE(read(moved).size() == 1u && orderBetween(molecules.back(), "SG", 1, "SG", 2) == 0);
  const std::vector<Molecule*> bridged =
      read("SSBOND   1 CYS A    1    CYS A    2                          1555   1555  2.23\n" +
           moved);
  ASSERT_EQ(1u, bridged.size());
  EXPECT_EQ(1, orderBetween(bridged[0], "SG", 1, "SG", 2));
  EXPECT_EQ(12, kvtest::countElement(*bridged[0], "H"));

  // A ligand's "CONECT" bond to a protein atom, hetero or not, is a bond.
  std::string text;
  text += atomLine("ATOM", 1, "SG", "CYS", 'A', 5, 0.0f, 0.0f, 0.0f, "S");
  text += atomLine("HETATM", 2, "C1", "LIG", 'A', 9, 1.8f, 0.0f, 0.0f, "C");
  text += atomLine("HETATM", 3, "C2", "LIG", 'A', 9, 3.3f, 0.0f, 0.0f, "C");
  text += "CONECT    1    2\n";
  const std::vector<Molecule*> ligand = read(text);
  ASSERT_EQ(1u, ligand.size());
  EXPECT_EQ(1, orderBetween(ligand[0], "SG", 5, "C1", 9));
}

using PDBRefused = pdbtest::PDBFileFixture;

TEST_F(PDBRefused, StackedAtomsAreRefusedAtOnceNamingFileAndLines) {
  // 1,999 alpha carbons at one point: once left to the bonding for minutes.
  const std::string kept =
      fileText(std::string(KV_SOURCE_DIR) + "/fuzz/regressions/pdb/timeout-stacked-alpha-carbons.pdb");
  ASSERT_EQ(1999u, kvtest::linesOf(kept).size());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(readFile("stacked.pdb", kept).empty());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 0.5);
  EXPECT_NE(std::string::npos, errors.find("stacked atoms")) << errors;
  EXPECT_NE(std::string::npos, errors.find("line 2 of \"" + (folder / "stacked.pdb").string()))
      << errors;

  // One atom written twice is refused too; models apart may repeat their atoms.
  const std::string c1 = atomLine("HETATM", 1, "C1", "LIG", 'A', 1, 0.0f, 0.0f, 0.0f, "C");
  const std::string c2 = atomLine("HETATM", 2, "C2", "LIG", 'A', 1, 1.5f, 0.0f, 0.0f, "C");
  EXPECT_TRUE(readFile("twice.pdb", c1 + c2 + c1).empty());
  EXPECT_EQ(2u, readFile("models.pdb", "MODEL        1\n" + c1 + c2 + "ENDMDL\nMODEL        2\n" +
                                           c1 + c2 + "ENDMDL\n")
                    .size())
      << errors;
}

TEST_F(PDBRefused, ListedBondsMustBeOfBondingLength) {
  const std::string atoms = atomLine("HETATM", 1, "C1", "LIG", 'A', 1, 0.0f, 0.0f, 0.0f, "C") +
                            atomLine("HETATM", 2, "C2", "LIG", 'A', 1, 1.5f, 0.0f, 0.0f, "C") +
                            atomLine("HETATM", 3, "O1", "LIG", 'A', 1, 90.0f, 0.0f, 0.0f, "O");
  EXPECT_TRUE(readFile("far.pdb", atoms + "CONECT    1    2\nCONECT    2    3\n").empty());
  EXPECT_NE(std::string::npos, errors.find("CONECT bond between atom \"C2\" (serial 2) and atom "
                                           "\"O1\" (serial 3) is 88.5 A long"))
      << errors;
  EXPECT_NE(std::string::npos, errors.find("line 5 of")) << errors;
}

TEST_F(PDBRefused, UnopenableFileIsReportedInTheReadersWords) {
  const std::string missing = (folder / "missing.pdb").string();
  EXPECT_TRUE(readPath(missing).empty());
  kvtest::ErrorCapture errorLog;
  readPath(missing);
  EXPECT_EQ(0u, errorLog.text().rfind("Eror: IOEngine::readFromPDBFile, can not read file " +
                                      missing + " (cannot open file)",
                                      0))
      << errorLog.text();
}

}  // namespace
