// Writing SMILES, and reading back what was written.

#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "io/MDLMolParser.h"
#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "SmilesTestSupport.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using smilestest::formula;
using smilestest::graph;
using smilestest::write;

namespace {

// A ladder whose rungs are all ring closures open at once: the chain 0-1-...-(2n+1) is the
// tree, and atom i is bonded to atom 2n+1-i for i < n.
std::unique_ptr<Molecule> ladder(int closures) {
  const int atoms = 2 * closures + 2;
  std::vector<std::string> elements(static_cast<size_t>(atoms), "C");
  std::vector<kvtest::Edge> edges;
  for (int i = 0; i + 1 < atoms; ++i) edges.push_back({i, i + 1, 1});
  for (int i = 0; i < closures; ++i) edges.push_back({i, atoms - 1 - i, 1});
  return buildMolecule(elements, edges, true);
}

}  // namespace

// What the reader reads is written back as written, two-letter bracket symbols as one element,
// charged atoms with exactly the hydrogens written, and benzene in any spelling aromatic.
// Thiophene's sulfur gives its lone pair, not a bond: no [s]; pyrrole's nitrogen, met in
// brackets, goes back in them. The bond between two rings is written, or the reader could make
// it a ring double bond. A double bond read as a ring closure stays a closure with its symbol at
// the closing digit. An atom that closes ring 1 and opens ring 2 writes the new number first.
TEST(SmilesWriting, ReadFormsWriteBack) {
  const std::pair<const char*, const char*> cases[] = {
      {"CC(=O)O", "CC(=O)O"}, {"CCO", "CCO"}, {"OCC", "OCC"}, {"C#N", "C#N"}, {"O.C", "O.C"},
      {"[NH4+].[Cl-]", "[NH4+].[Cl-]"}, {"CC(=O)[O-]", "CC(=O)[O-]"}, {"[O-2]", "[O-2]"},
      {"[O--]", "[O-2]"}, {"[H][H]", "[H][H]"}, {"[Si](C)(C)(C)C", "[Si](C)(C)(C)C"},
      {"[13CH4]", "[13CH4]"}, {"C1=CC=CC=C1", "c1ccccc1"}, {"C=1C=CC=CC=1", "c1ccccc1"},
      {"c:1:c:c:c:c:c:1", "c1ccccc1"},
      {"c1ccsc1", "c1ccsc1"}, {"c1cc[nH]c1", "c1cc[nH]c1"}, {"c1ccncc1", "c1ccncc1"},
      {"c1ccc(cc1)-c1ccccc1", "c1ccc(cc1)-c1ccccc1"}, {"n1ccccc1-c1ccccn1", "n1ccccc1-c1ccccn1"},
      {"C1CCCCC=1", "C1CCCCC=1"}, {"C1CCCCCCC#1", "C1CCCCCCC#1"}, {"C1CC12CC2", "C1CC21CC2"},
      {"[NH3+]CC(=O)[O-]", "[NH3+]CC(=O)[O-]"}, {"c1cc[nH+]cc1", "c1cc[nH+]cc1"},
      {"[Cu+2]", "[Cu+2]"}, {"[Ti]", "[Ti]"}, {"Cl[Sn](Cl)(Cl)Cl", "Cl[Sn](Cl)(Cl)Cl"},
  };
  for (const auto& c : cases) {
    auto m = graph(c.first);
    ASSERT_NE(nullptr, m) << c.first;
    EXPECT_EQ(c.second, write(*m)) << c.first;
  }
}

TEST(SmilesWriting, ElementsStoredInAnyCaseAreWrittenInStandardCase) {
  auto m = buildMolecule({"SI", "F", "CL", "BR", "O", "H"},
                         {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {4, 5, 1}}, true);
  EXPECT_EQ("[Si](F)(Cl)(Br)O", write(*m));
  std::string record;
  ASSERT_TRUE(MDLMolParser().formatMDLMol(m.get(), record));
  std::istringstream lines(record);
  std::string symbols;
  for (std::string line; std::getline(lines, line);)
    if (line.size() > 34 && line.compare(34, 2, " 0") == 0) symbols += line.substr(31, 3);
  EXPECT_EQ("Si F  Cl Br O  H  ", symbols);
}

// Hydrogens are counted by element, not by their names ("H7" and the like); one without its
// status flag is written as an atom; an atom with fewer hydrogens than its valence (a radical,
// a bare carbon) is bracketed, or the reader would fill it up.
TEST(SmilesWriting, HydrogensAreWrittenSoThatTheReaderCountsThemAlike) {
  auto ammonium = buildMolecule({"N", "H", "H", "H"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}}, true);
  ammonium->atoms[0]->charge = 1;
  EXPECT_EQ("[NH3+]", write(*ammonium));
  auto methane = buildMolecule({"C", "H", "H", "H", "H"},
                               {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  methane->atoms[4]->statusFlag = false;
  EXPECT_EQ("C[H]", write(*methane));
  EXPECT_EQ(formula(*methane), formula(*graph("C[H]")));
  auto methyl = buildMolecule({"C", "H", "H", "H"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}});
  EXPECT_EQ("[CH3]", write(*methyl));
  EXPECT_EQ("[C]", write(*buildMolecule({"C"}, {})));
}

TEST(SmilesWriting, RingNumbersPastNineUsePercent) {
  auto m = ladder(11);
  const std::string s = write(*m);
  EXPECT_NE(std::string::npos, s.find("%10"));
  EXPECT_NE(std::string::npos, s.find("%11"));
  auto back = graph(s);
  ASSERT_NE(nullptr, back);
  EXPECT_TRUE(smilestest::sameGraph(*m, *back));
}

TEST(SmilesWriting, NullMoleculeIsRefusedAndEmptyWritesNothing) {
  SmilesWriter writer;
  std::string out = "old";
  kvtest::ErrorCapture captured;
  EXPECT_FALSE(writer.createSmilesFromMolecule(nullptr, out));
  EXPECT_EQ("Error:    SmilesWriter::createSmilesFromMolecule, no molecule\n", captured.text());
  Molecule empty;
  EXPECT_TRUE(writer.createSmilesFromMolecule(&empty, out));
  EXPECT_EQ("", out);
}

TEST(SmilesWriting, LongChainDoesNotExhaustTheStack) {
  const std::string chain(20000, 'C');
  auto m = graph(chain);
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(chain, write(*m));
}
