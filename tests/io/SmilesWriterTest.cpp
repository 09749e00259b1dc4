// Writing SMILES, and reading back what was written.

#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "io/MDLMolParser.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "SmilesTestSupport.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using smilestest::bondList;
using smilestest::formula;
using smilestest::graph;
using smilestest::write;

namespace {

std::string rewrite(const std::string& smiles) {
  auto m = graph(smiles);
  EXPECT_NE(nullptr, m) << smiles;
  return m ? write(*m) : "";
}

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

TEST(SmilesWriting, ReadFormsWriteBack) {
  EXPECT_EQ("CC(=O)O", rewrite("CC(=O)O"));
  EXPECT_EQ("CCO", rewrite("CCO"));
  EXPECT_EQ("OCC", rewrite("OCC"));
  EXPECT_EQ("C#N", rewrite("C#N"));
  EXPECT_EQ("O.C", rewrite("O.C"));
  EXPECT_EQ("[NH4+].[Cl-]", rewrite("[NH4+].[Cl-]"));
  EXPECT_EQ("CC(=O)[O-]", rewrite("CC(=O)[O-]"));
  EXPECT_EQ("[O-2]", rewrite("[O-2]"));
  EXPECT_EQ("[H][H]", rewrite("[H][H]"));
  EXPECT_EQ("[Si](C)(C)(C)C", rewrite("[Si](C)(C)(C)C"));
  EXPECT_EQ("[13CH4]", rewrite("[13CH4]"));
}

TEST(SmilesWriting, BenzeneInAnyFormIsWrittenAromatic) {
  for (const char* s : {"c1ccccc1", "C1=CC=CC=C1", "C=1C=CC=CC=1", "C1C=CC=CC=1"})
    EXPECT_EQ("c1ccccc1", rewrite(s)) << s;
}

TEST(SmilesWriting, AromaticAtomsGetTheHydrogensTheReaderWillGiveThem) {
  // Thiophene's sulfur gives its lone pair, not a bond: no [s]. The bond between two rings is
  // written, or the reader could make it a ring double bond.
  EXPECT_EQ("c1ccsc1", rewrite("c1ccsc1"));
  EXPECT_EQ("c1ccc(cc1)-c1ccccc1", rewrite("c1ccc(cc1)-c1ccccc1"));
  EXPECT_EQ("n1ccccc1-c1ccccn1", rewrite("n1ccccc1-c1ccccn1"));
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

TEST(SmilesWriting, AromaticNitrogenWithHydrogenIsBracketed) {
  // Pyrrole is aromatic; its nitrogen, met in brackets, goes back in them.
  EXPECT_EQ("c1cc[nH]c1", rewrite("c1cc[nH]c1"));
  EXPECT_EQ("[13CH4]", rewrite("[13CH4]"));
  EXPECT_EQ("c1ccncc1", rewrite("c1ccncc1"));
}

TEST(SmilesWriting, DoubleRingClosureCarriesItsSymbolAtTheClosingDigit) {
  // Cyclohexene read with the double bond as the closure; the tree keeps it as a closure.
  EXPECT_EQ("C1CCCCC=1", rewrite("C1CCCCC=1"));
  EXPECT_EQ("C1CCCCCCC#1", rewrite("C1CCCCCCC#1"));
}

TEST(SmilesWriting, HydrogenCountsFollowTheElementNotTheName) {
  // Charged nitrogen with three hydrogens named "H7" and the like.
  auto m = buildMolecule({"N", "H", "H", "H"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}}, true);
  m->atoms[0]->charge = 1;
  EXPECT_EQ("[NH3+]", write(*m));
}

TEST(SmilesWriting, HydrogenWithoutStatusIsWrittenAsAnAtom) {
  auto m = buildMolecule({"C", "H", "H", "H", "H"},
                         {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  m->atoms[4]->statusFlag = false;
  // The carbon's other three hydrogens are what the reader gives a bare C bonded to [H].
  EXPECT_EQ("C[H]", write(*m));
  auto back = graph("C[H]");
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(formula(*m), formula(*back));
}

TEST(SmilesWriting, AtomWithFewerHydrogensThanItsValenceIsBracketed) {
  // A carbon radical and a bare carbon atom: the reader would fill them up if written bare.
  auto methyl = buildMolecule({"C", "H", "H", "H"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}});
  EXPECT_EQ("[CH3]", write(*methyl));
  auto carbon = buildMolecule({"C"}, {});
  EXPECT_EQ("[C]", write(*carbon));
}

TEST(SmilesWriting, AnAtomThatClosesAndOpensWritesTheNewNumberFirst) {
  // Spiro: the third atom closes ring 1 and opens ring 2; 1 is still held while it numbers.
  auto m = graph("C1CC12CC2");
  ASSERT_NE(nullptr, m);
  const std::string s = write(*m);
  EXPECT_EQ("C1CC21CC2", s);
  auto back = graph(s);
  ASSERT_NE(nullptr, back);
  EXPECT_EQ(bondList(*m), bondList(*back));
}

TEST(SmilesWriting, RingNumbersPastNineUsePercent) {
  auto m = ladder(11);
  const std::string s = write(*m);
  EXPECT_NE(std::string::npos, s.find("%10"));
  EXPECT_NE(std::string::npos, s.find("%11"));
  auto back = graph(s);
  ASSERT_NE(nullptr, back);
  int heavyBonds = 0;
  for (const Bond* b : back->bonds) heavyBonds += b->atom1->element == "C" && b->atom2->element == "C";
  EXPECT_EQ(static_cast<int>(m->bonds.size()), heavyBonds);
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
