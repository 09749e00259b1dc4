// What a PDB file leaves unsaid and the reader must say it assumed: the charges of groups a
// file with hydrogens gives four bonds, the heavy atoms a truncated residue lacks; and the
// "TER" records the writer puts between chains.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"

using pdbtest::PDBFileFixture;
using pdbtest::atomLine;
using pdbtest::findAtom;

namespace {

// A peptide with every hydrogen, its lysine and arginine charged as in water.
const std::string kChargedSideChains =
    std::string(KV_TEST_DATA_DIR) + "/pdb-charged-side-chains.pdb";

// Atoms whose bond orders sum to more than their element's three bonds allow with their charge.
int overValentNitrogens(const Molecule* m) {
  int count = 0;
  for (const Atom* a : m->atoms) {
    if (a->element != "N") continue;
    int sum = 0;
    for (const Bond* b : a->bonds) sum += valenceOfOrder(b->order);
    count += sum > 3 + a->charge;
  }
  return count;
}

}  // namespace

TEST_F(PDBFileFixture, ChargedSideChainsWithTheirHydrogensAreReadAsCations) {
  kvtest::ErrorCapture errorLog;
  const std::vector<Molecule*> out = readPath(kChargedSideChains);
  ASSERT_EQ(1u, out.size()) << errorLog.text();
  const Molecule* m = out[0];
  // Lysine's NZ is ammonium, arginine's guanidinium carries its charge on the NH2 the residue
  // rules make double; no hydrogen is added to either.
  const Atom* nz = findAtom(m, "NZ", 2);
  ASSERT_NE(nullptr, nz);
  EXPECT_EQ(1, nz->charge);
  EXPECT_EQ(3, kvtest::hydrogensOn(nz));
  EXPECT_EQ(1, findAtom(m, "NH2", 3)->charge);
  EXPECT_EQ(2, pdbtest::orderBetween(m, "CZ", 3, "NH2", 3));
  EXPECT_EQ(0, overValentNitrogens(m));
  EXPECT_EQ(2, std::count_if(m->atoms.begin(), m->atoms.end(),
                             [](const Atom* a) { return a->charge != 0; }));
  EXPECT_NE(std::string::npos, m->smiles.find("[NH3+]")) << m->smiles;
  EXPECT_NE(std::string::npos, m->smiles.find("=[NH2+]")) << m->smiles;
  // Said once for the model, naming both atoms; typing finds nothing amiss.
  ASSERT_EQ(1u, errorLog.lines.size()) << errorLog.text();
  EXPECT_EQ(0u, errorLog.lines[0].find("Warning: PDBParser::parsePDBFile model "
                                       "pdb-charged-side-chains_0 of "));
  EXPECT_NE(std::string::npos,
            errorLog.lines[0].find("2 four-bonded nitrogens made N+ (NZ of LYS A 2, NH2 of ARG A "
                                   "3)"))
      << errorLog.lines[0];
}

TEST_F(PDBFileFixture, ResiduesCutShortAreNamedWithTheAtomsTheyLack) {
  // A glycine, a lysine cut after CG (as where the density ended) and a glycine without OXT,
  // which most files leave out; then the same lysine complete.
  const std::string cut =
      atomLine("ATOM", 1, " N", "GLY", 'A', 1, -5.244f, -2.306f, 1.989f, "N") +
      atomLine("ATOM", 2, " CA", "GLY", 'A', 1, -3.897f, -2.858f, 1.748f, "C") +
      atomLine("ATOM", 3, " C", "GLY", 'A', 1, -2.948f, -1.715f, 1.375f, "C") +
      atomLine("ATOM", 4, " O", "GLY", 'A', 1, -2.150f, -1.228f, 2.176f, "O") +
      atomLine("ATOM", 5, " N", "LYS", 'A', 2, -3.145f, -1.231f, 0.092f, "N") +
      atomLine("ATOM", 6, " CA", "LYS", 'A', 2, -2.284f, -0.210f, -0.497f, "C") +
      atomLine("ATOM", 7, " C", "LYS", 'A', 2, -0.894f, -0.842f, -0.790f, "C") +
      atomLine("ATOM", 8, " O", "LYS", 'A', 2, -0.655f, -2.036f, -0.605f, "O") +
      atomLine("ATOM", 9, " CB", "LYS", 'A', 2, -2.204f, 1.107f, 0.300f, "C") +
      atomLine("ATOM", 10, " CG", "LYS", 'A', 2, -3.450f, 1.537f, 1.087f, "C");
  const std::string rest =
      atomLine("ATOM", 14, " N", "GLY", 'A', 3, 0.071f, 0.002f, -1.313f, "N") +
      atomLine("ATOM", 15, " CA", "GLY", 'A', 3, 1.370f, -0.490f, -1.720f, "C") +
      atomLine("ATOM", 16, " C", "GLY", 'A', 3, 2.380f, 0.610f, -1.560f, "C") +
      atomLine("ATOM", 17, " O", "GLY", 'A', 3, 2.060f, 1.780f, -1.350f, "O") + "END\n";
  const std::string sideChain =
      atomLine("ATOM", 11, " CD", "LYS", 'A', 2, -4.743f, 1.628f, 0.268f, "C") +
      atomLine("ATOM", 12, " CE", "LYS", 'A', 2, -5.927f, 1.896f, 1.190f, "C") +
      atomLine("ATOM", 13, " NZ", "LYS", 'A', 2, -7.190f, 1.813f, 0.421f, "N");

  ASSERT_EQ(1u, readFile("cut.pdb", cut + rest).size()) << errors;
  const std::vector<std::string> lines = kvtest::linesOf(errors);
  ASSERT_EQ(1u, lines.size()) << errors;
  EXPECT_EQ(0u, lines[0].find("Warning: PDBParser::parsePDBFile model cut_0 of \""));
  EXPECT_NE(std::string::npos,
            lines[0].find("1 amino acid without all their heavy atoms, built as the file gives "
                          "them: LYS A 2 (CD CE NZ)"))
      << lines[0];

  ASSERT_EQ(1u, readFile("whole.pdb", cut + sideChain + rest).size());
  EXPECT_EQ("", errors);
}

// Each "TER" ends its chain: it names the chain's last residue, and its serial follows the last
// atom's.
TEST_F(PDBFileFixture, TerRecordsNameTheLastResidueOfTheChainTheyEnd) {
  const std::string twoChains =
      atomLine("ATOM", 1, " N", "GLY", 'A', 98, 0.0f, 0.0f, 0.0f, "N") +
      atomLine("ATOM", 2, " CA", "GLY", 'A', 98, 1.458f, 0.0f, 0.0f, "C") +
      atomLine("ATOM", 3, " N", "PHE", 'A', 99, 5.0f, 0.0f, 0.0f, "N") +
      atomLine("ATOM", 4, " CA", "PHE", 'A', 99, 6.458f, 0.0f, 0.0f, "C") +
      atomLine("ATOM", 5, " N", "PRO", 'B', 1, 10.0f, 0.0f, 0.0f, "N") +
      atomLine("ATOM", 6, " CA", "PRO", 'B', 1, 11.458f, 0.0f, 0.0f, "C") +
      atomLine("HETATM", 7, " O", "HOH", 'C', 301, 20.0f, 0.0f, 0.0f, "O");
  const std::vector<Molecule*> out = readFile("chains.pdb", twoChains);
  ASSERT_EQ(1u, out.size()) << errors;
  const std::string path = (folder / "written.pdb").string();
  ASSERT_EQ(1, parser.writePDBFile(out[0], path.c_str()));
  std::vector<std::string> ters;
  std::string previous;
  for (const std::string& line : kvtest::linesOf(kvtest::readFile(path))) {
    if (line.rfind("TER", 0) == 0) {
      ASSERT_GE(previous.size(), 26u);
      const int serial = std::stoi(line.substr(6, 5));
      EXPECT_EQ(std::stoi(previous.substr(6, 5)) + 1, serial) << line;
      EXPECT_EQ(previous.substr(17, 9), line.substr(17, 9)) << line;
      ters.push_back(line.substr(17, 9));
    }
    previous = line;
  }
  EXPECT_EQ((std::vector<std::string>{"PHE A  99", "PRO B   1"}), ters);
}
