// Reading SMILES into graphs with perception, without the set-up chain.

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "io/SmilesParser.h"
#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "SmilesTestSupport.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"

using smilestest::formula;
using smilestest::graph;

TEST(SmilesGraph, RingBondSymbolBelongsToTheRingBond) {
  // "=" before either digit makes the closure double; after "=1" the next bond is single again.
  const std::pair<const char*, size_t> cases[] = {{"C=1CCCCC1", 5}, {"C1CCCCC=1", 5}, {"C=1CC1", 2}};
  for (const auto& c : cases) {
    auto m = graph(c.first);
    ASSERT_NE(nullptr, m) << c.first;
    const Bond* closure = m->getBond(m->atoms[0], m->atoms[c.second]);
    EXPECT_TRUE(closure != nullptr && closure->order == 2) << c.first;
    EXPECT_EQ(1, std::count_if(m->bonds.begin(), m->bonds.end(),
                               [](const Bond* b) { return b->order == 2; }))
        << c.first;
  }
}

// A "/" or "\" before a ring digit marks the ring bond, not the next chain bond: the double
// bond's side is taken against the ring partner, read from the atom that writes the digit, and
// the bond written after the digit carries no mark (Cl/C=C/1CCCCN1 was built Z, Cl cis to N).
TEST(SmilesGraph, SlashBeforeARingDigitMarksTheRingBond) {
  const struct {
    const char* smiles;
    int ring[2];       // the marked ring bond
    int chain[2];      // the bond written right after the digit: no mark
    int sides[2];      // the neighbours the double bond's side is taken against
    bool trans;
  } cases[] = {{"Cl/C=C/1CCCCN1", {2, 7}, {2, 3}, {0, 7}, true},
               {"Cl/C=C\\1CCCCN1", {2, 7}, {2, 3}, {0, 7}, false},
               {"Cl/C=C1CCCCN/1", {2, 7}, {2, 3}, {0, 7}, false},
               {"Cl/C=C/%12CCCCN%12", {2, 7}, {2, 3}, {0, 7}, true},
               {"Cl/C=C/%(120)CCCCN%(120)", {2, 7}, {2, 3}, {0, 7}, true},
               {"N/1CCCCC1=C/Cl", {0, 5}, {0, 1}, {0, 7}, true}};
  for (const auto& c : cases) {
    auto m = graph(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    const Bond* ring = m->getBond(m->atoms[c.ring[0]], m->atoms[c.ring[1]]);
    const Bond* chain = m->getBond(m->atoms[c.chain[0]], m->atoms[c.chain[1]]);
    ASSERT_TRUE(ring != nullptr && chain != nullptr) << c.smiles;
    EXPECT_GE(ring->smilesTag, 0) << c.smiles;
    EXPECT_EQ(-1, chain->smilesTag) << c.smiles;
    const auto doubleBond = std::find_if(m->bonds.begin(), m->bonds.end(),
                                         [](const Bond* b) { return b->order == 2; });
    ASSERT_NE(m->bonds.end(), doubleBond) << c.smiles;
    const Bond& d = **doubleBond;
    ASSERT_TRUE(d.hasDihedral) << c.smiles;
    EXPECT_EQ((std::set<const Atom*>{m->atoms[c.sides[0]], m->atoms[c.sides[1]]}),
              (std::set<const Atom*>{d.dihedralAtom1, d.dihedralAtom2}))
        << c.smiles;
    EXPECT_NEAR(c.trans ? kPi : 0.0, d.dihedral, 1e-6) << c.smiles;
  }
}

// Two marks on one end of a double bond that read the same way put both neighbours on one side:
// the bond is left without a side, with a warning naming it (C/1CCCN/C1=C/Cl was built E from
// the first mark alone). Marks that disagree, as they must, still give the side.
TEST(SmilesGraph, ClashingMarksOnOneEndLeaveTheDoubleBondWithoutASide) {
  InputParameters::instance();
  const std::pair<const char*, const char*> clashing[] = {
      {"C/1CCCN/C1=C/Cl", "Warning: SmilesParser: the marks on C6's bonds to N5 and C1 put both on "
                          "one side: the double bond C6=C7 is left without a side in "
                          "\"C/1CCCN/C1=C/Cl\""},
      {"F/C(\\Cl)=C/F", "the double bond C2=C4 is left without a side"},
      {"F/C=C(/Cl)/F", "the marks on C3's bonds to Cl4 and F5 put both on one side"}};
  for (const auto& c : clashing) {
    kvtest::ErrorCapture capture;
    auto m = graph(c.first);
    ASSERT_NE(nullptr, m) << c.first << "\n" << capture.text();
    for (const Bond* b : m->bonds) EXPECT_FALSE(b->hasDihedral) << c.first;
    ASSERT_EQ(1u, capture.lines.size()) << capture.text();
    EXPECT_NE(std::string::npos, capture.lines[0].find(c.second)) << capture.lines[0];
  }
  for (const char* sided : {"C/1CCCN\\C1=C/Cl", "F/C(/Cl)=C/F", "F/C=C(\\Cl)/F"}) {
    kvtest::ErrorCapture capture;
    auto m = graph(sided);
    ASSERT_NE(nullptr, m) << sided;
    EXPECT_EQ(1, std::count_if(m->bonds.begin(), m->bonds.end(),
                               [](const Bond* b) { return b->hasDihedral; }))
        << sided;
    EXPECT_EQ("", capture.text()) << sided;
  }
}

// "%(n)" numbers a ring like any other number ("%(1)" is ring 1), up to five digits.
TEST(SmilesGraph, RingNumbersInParenthesesReadAsAnyOther) {
  const std::pair<const char*, const char*> same[] = {
      {"C%(100)CC%(100)", "C1CC1"},
      {"C%(1)CC1", "C1CC1"},
      {"c1ccc2cc%(12345)ccccc%(12345)cc2c1", "c1ccc2cc3ccccc3cc2c1"},
      {"C%(100)CC%(101)CC%(100)CC%(101)", "C1CC2CC1CC2"}};
  for (const auto& p : same) smilestest::expectSameGraph(p.first, p.second);
}

TEST(SmilesGraph, OrganicBoronGetsHydrogensToValenceThree) {
  // BC once gave a bare boron: the element table found only the boron type row, "never add".
  const std::pair<const char*, int> cases[] = {
      {"B", 3}, {"BC", 2}, {"B(C)C", 1}, {"CB(C)C", 0}, {"[B]", 0}, {"[BH2]C", 2}, {"OB(O)c1ccccc1", 0}};
  for (const auto& c : cases) {
    auto m = graph(c.first);
    ASSERT_NE(nullptr, m) << c.first;
    for (const Atom* a : m->atoms) {
      if (a->element == "B") {
        EXPECT_EQ(c.second, kvtest::hydrogensOn(a)) << c.first;
      }
    }
  }
}

TEST(SmilesGraph, StereoCentreOrdersItsNeighboursAsWritten) {
  // The atom before the centre comes first, its hydrogen next, a ring closure takes its place at
  // the digit (ring bond 1 to O is written before C).
  const struct {
    const char* smiles;
    size_t centre;
    int piCount;   // 2 for "@@", 1 for "@"
    const char* neighbours;
  } cases[] = {{"[C@@H](F)(Cl)Br", 0, 2, "H F Cl Br"}, {"N[C@H]1CCO1", 1, 1, "N H O C"}};
  for (const auto& c : cases) {
    auto m = graph(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    const Atom* centre = m->atoms[c.centre];
    EXPECT_EQ(c.piCount, centre->piCount) << c.smiles;
    std::string order;
    for (const Atom* n : centre->neighbours) order += (order.empty() ? "" : " ") + n->element;
    EXPECT_EQ(c.neighbours, order);
  }
}

// Every refusal is one error line quoting the input, closed by " Parsing failed", and no
// molecule.
TEST(SmilesGraph, MalformedInputFailsWithALineQuotingIt) {
  InputParameters::instance();   // the tables load (and report their own faults) beforehand
  const char* bad[] = {"C(C",    "C1CC",    "CC)C",   "(C)",     "1CC",         "C%1",   "C[Sb]",
                       "X",      "C$C",     "C[CH",   "[]",      "C11",         "C12CC12",
                       "C@@@C",  "[C@@@H]", "CC=",    "[C+-]",   "[CH99]",      "[N+99]", "C%a1",
                       "CZ",     "C[]",     "C[Xx]",  "[Te]",    "[Na+].[Cl-]", "C=1CCCCC#1",
                       "C%()C",  "C%(12",   "C%(1a)C", "C%(123456)CC%(123456)"};
  for (const char* s : bad) {
    kvtest::ErrorCapture capture;
    EXPECT_EQ(nullptr, graph(s)) << s;
    ASSERT_EQ(2u, capture.lines.size()) << s << "\n" << capture.text();
    EXPECT_NE(std::string::npos, capture.lines[0].find("\"" + std::string(s) + "\"")) << s;
    EXPECT_EQ(" Parsing failed: no molecule from \"" + std::string(s) + "\"", capture.lines[1]);
  }
  const std::pair<const char*, const char*> exact[] = {
      {"C[CH", "Error: invalid Smiles \"[\" without \"]\" at position 2 in \"C[CH\""},
      {"C1CC", "Error: SmilesParser: unclosed ring number 1 in \"C1CC\""},
      {"C%()C",
       "Error: SmilesParser: \"%(\" needs one to 5 digits and \")\" at position 2 in \"C%()C\""},
      {"C[Hg]C", "Error: invalid Smiles: element \"Hg\" has no atom type in \"C[Hg]C\""}};
  for (const auto& e : exact) {
    kvtest::ErrorCapture capture;
    EXPECT_EQ(nullptr, graph(e.first));
    ASSERT_FALSE(capture.lines.empty());
    EXPECT_EQ(e.second, capture.lines[0]);
  }
}

// The reader's own words lead its lines; the place and the reason follow.
TEST(SmilesGraph, RefusalsLeadWithTheReadersOwnWords) {
  InputParameters::instance();
  const std::pair<const char*, const char*> cases[] = {
      {"CZ", "Eror: Parsing error unknown element: \"Z\" at position 2 in \"CZ\""},
      {"(C)", "Error: invalid Smiles \"(\" before any atom at position 1 in \"(C)\""},
      {"C[]", "Error: invalid Smiles empty brackets at position 2 in \"C[]\""},
      {"C[Xx]", "Error: invalid Smiles: no element symbol in \"[Xx]\" in \"C[Xx]\""},
      {"C$C", "Invalid Smiles: unexpected \"$\" at position 2 in \"C$C\""},
      // One bond takes one symbol; a "." parts two fragments that are both there.
      {"C==C", "Invalid Smiles: second bond symbol \"=\" at position 3 in \"C==C\""},
      {"C=#C", "Invalid Smiles: second bond symbol \"#\" at position 3 in \"C=#C\""},
      {".C", "Invalid Smiles: \".\" before any atom at position 1 in \".C\""},
      {"C..C", "Invalid Smiles: \".\" after \".\" at position 3 in \"C..C\""},
      {"C=.C", "Invalid Smiles: \".\" after a bond symbol at position 3 in \"C=.C\""},
      {"C.=C", "Invalid Smiles: bond symbol after \".\" at position 3 in \"C.=C\""},
      {"C.", "Invalid Smiles: \".\" without a following atom in \"C.\""}};
  for (const auto& c : cases) {
    kvtest::ErrorCapture capture;
    EXPECT_EQ(nullptr, graph(c.first)) << c.first;
    EXPECT_EQ((std::vector<std::string>{c.second, " Parsing failed: no molecule from \"" +
                                                      std::string(c.first) + "\""}),
              capture.lines);
  }
  kvtest::ErrorCapture capture;
  EXPECT_EQ(nullptr, graph("   "));
  EXPECT_EQ(std::vector<std::string>{"Error: No Smiles in \"   \""}, capture.lines);
  // Fragments and single bonds written out still read.
  for (const char* fine : {"C.C", "CC.[Cl-]", "C-C", "C=1CC1", "C(=O)O"}) {
    kvtest::ErrorCapture quiet;
    EXPECT_NE(nullptr, graph(fine)) << fine << "\n" << quiet.text();
  }
}

// A bracket charge no atom of the element can carry is refused ([NH4+5] was read as a nitrogen
// with charge 5); the charges real molecules carry are read.
TEST(SmilesGraph, ChargeBeyondTheElementIsRefused) {
  InputParameters::instance();
  const std::pair<const char*, const char*> refused[] = {
      {"[NH4+5]", "Error: SmilesParser: charge +5 is beyond what N can carry (-3 to +4) in "
                  "\"[NH4+5]\" at position 1 in \"[NH4+5]\""},
      {"CC[O-3]", "Error: SmilesParser: charge -3 is beyond what O can carry (-2 to +4) in "
                  "\"[O-3]\" at position 3 in \"CC[O-3]\""},
      {"[C+5]", "charge +5 is beyond what C can carry (-4 to +4)"},
      {"[H+2]", "charge +2 is beyond what H can carry (-1 to +1)"},
      {"C[Cl+5](=O)=O", "charge +5 is beyond what Cl can carry (-1 to +4)"},
      {"[F--]", "charge -2 is beyond what F can carry (-1 to +4)"}};
  for (const auto& r : refused) {
    kvtest::ErrorCapture capture;
    EXPECT_EQ(nullptr, graph(r.first)) << r.first;
    ASSERT_EQ(2u, capture.lines.size()) << capture.text();
    EXPECT_NE(std::string::npos, capture.lines[0].find(r.second)) << capture.lines[0];
    EXPECT_EQ(0u, capture.lines[0].find("Error: SmilesParser: ")) << capture.lines[0];
  }
  const std::pair<const char*, int> kept[] = {
      {"[NH4+]", 1}, {"C[O-]", -1}, {"C[S+](C)C", 1}, {"[O-][Cl+3]([O-])([O-])[O-]", 3},
      {"c1ccccc1[I+]c1ccccc1", 1}, {"[CH3-]", -1}, {"[CH3+]", 1}, {"[BH4-]", -1}};
  for (const auto& k : kept) {
    kvtest::ErrorCapture capture;
    auto m = graph(k.first);
    ASSERT_NE(nullptr, m) << k.first << "\n" << capture.text();
    int strongest = 0;   // the charge of largest size on the molecule
    for (const Atom* a : m->atoms)
      if (std::abs(a->charge) > std::abs(strongest)) strongest = a->charge;
    EXPECT_EQ(k.second, strongest) << k.first;
  }
}

// A character of several bytes is quoted whole: "C→C" was refused quoting the first byte of
// the arrow alone, and a long line cut in the middle of one.
TEST(SmilesGraph, RefusalsQuoteWholeCharacters) {
  InputParameters::instance();
  const std::pair<std::string, std::string> cases[] = {
      {"C\xe2\x86\x92" "C", "Invalid Smiles: unexpected \"\xe2\x86\x92\" at position 2 in "
                          "\"C\xe2\x86\x92" "C\""},
      {"C[C\xc3\xa9]", "Error: SmilesParser: unexpected \"\xc3\xa9\" in \"[C\xc3\xa9]\" in "
                       "\"C[C\xc3\xa9]\""},
      // 199 carbons, then "é" across the 200-byte cut of the quote.
      {std::string(199, 'C') + "\xc3\xa9" + std::string(100, 'C'),
       std::string(199, 'C') + "... (300 characters)\""}};
  for (const auto& c : cases) {
    kvtest::ErrorCapture capture;
    EXPECT_EQ(nullptr, graph(c.first));
    ASSERT_EQ(2u, capture.lines.size()) << capture.text();
    EXPECT_NE(std::string::npos, capture.lines[0].find(c.second)) << capture.lines[0];
    EXPECT_EQ(std::string::npos, capture.text().find("\\x")) << capture.text();
  }
}

TEST(SmilesGraph, OneParserReadsManyStrings) {
  SmilesParser parser;
  std::unique_ptr<Molecule> first(parser.smilesToGraph("C1CC[C@H]1"));
  std::unique_ptr<Molecule> failed(parser.smilesToGraph("C1CC"));
  std::unique_ptr<Molecule> second(parser.smilesToGraph("CO"));
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(nullptr, failed);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(6u, second->atoms.size());   // nothing left over from the failed ring
}

// Random strings over the SMILES alphabet, fixed seed: the reader never crashes, and whatever
// it accepts the writer turns into text that the reader accepts again. Without aromatic atoms
// the atoms are the same; lower-case rings go through aromaticity perception again on the way
// back, which the sample round trip covers.
TEST(SmilesGraph, RandomInputNeverCrashesAndAcceptedInputRoundTrips) {
  const std::string alphabet = "CCCCNOcccnosSPFBrCl()()[]123%0=#-.@/\\+H4 ";
  std::mt19937 random(7u);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(1, 24);
  int accepted = 0;
  int compared = 0;
  kvtest::ErrorCapture quiet;
  for (int n = 0; n < 30000; ++n) {
    std::string s;
    const int size = length(random);
    for (int k = 0; k < size; ++k) s += alphabet[pick(random)];
    auto m = graph(s);
    if (m == nullptr) continue;
    ++accepted;
    const std::string written = smilestest::write(*m);
    auto back = graph(written);
    ASSERT_NE(nullptr, back) << s << " -> " << written;
    bool aromatic = false;
    for (const Atom* a : m->atoms) aromatic = aromatic || a->isAromatic;
    if (aromatic) continue;
    ++compared;
    EXPECT_EQ(formula(*m), formula(*back)) << s << " -> " << written;
    EXPECT_EQ(smilestest::bondList(*m), smilestest::bondList(*back)) << s << " -> " << written;
  }
  EXPECT_GT(accepted, 1000);
  EXPECT_GT(compared, 500);
}
