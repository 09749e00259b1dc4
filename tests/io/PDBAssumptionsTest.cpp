// What a PDB file leaves unsaid and the reader must say it assumed: the charges of groups a
// file with hydrogens gives four bonds, the heavy atoms a truncated residue lacks; and the
// "TER" records the writer puts between chains.

#include <string>
#include <vector>

#include "support/ErrorCapture.h"
#include "support/TextLines.h"
#include "tests/io/PDBTestSupport.h"

using pdbtest::PDBFileFixture;
using pdbtest::atomLine;

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
