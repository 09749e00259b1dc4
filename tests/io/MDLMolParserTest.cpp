// Reading and writing V2000 connection tables, without the set-up chain: the fields read, the
// records refused, inputs that once crashed, the writer's exact text and its refusals. Other
// programs read what the writer writes in ToolkitRoundTripTest.cpp.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/MDLMolParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/MoleculeBuilder.h"
#include "support/TextLines.h"

using kvtest::linesOf;

namespace {

const char* kEthanol = R"(ethanol
  Kestavor                                          

  3  2  0  0  0  0  0  0  0  0999 V2000
   -0.8883    0.1670    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0
    0.4658   -0.5116    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0
    1.4990    0.4619    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  1  0  0  0  0
  2  3  1  0  0  0  0
M  END
)";

// Header and counts for n atoms and b bonds, to which a test appends its blocks.
std::string header(int atoms, int bonds) {
  char counts[64];
  std::snprintf(counts, sizeof counts, "%3d%3d  0  0  0  0  0  0  0  0999 V2000\n", atoms, bonds);
  return std::string("test\n\n\n") + counts;
}

std::string atomLine(const char* symbol, int chargeCode = 0, int valence = 0) {
  char line[96];
  std::snprintf(line, sizeof line,
                "    0.0000    0.0000    0.0000 %-3s 0%3d  0  0  0%3d  0  0  0  0  0  0\n",
                symbol, chargeCode, valence);
  return line;
}

class MDLRead : public ::testing::Test {
 protected:
  // The reader checks symbols against the tables: loaded here, outside any capture.
  void SetUp() override { InputParameters::instance(); }

  // The read's molecule and what it printed on standard error.
  std::unique_ptr<Molecule> read(const std::string& text, bool graphOnly = false) {
    std::istringstream in(text);
    kvtest::ErrorCapture errorLog;
    Molecule* m = parser.readConnectionTable(in, name, 1, graphOnly);
    errors = errorLog.text();
    return std::unique_ptr<Molecule>(m);
  }

  MDLMolParser parser;
  std::string name;
  std::string errors;
};

}  // namespace

TEST_F(MDLRead, TakesNameAtomsBondsAndCoordinatesFromTheirColumns) {
  std::string windows = kEthanol;   // Windows line ends read the same
  for (size_t at = windows.find('\n'); at != std::string::npos; at = windows.find('\n', at + 2))
    windows.insert(at, "\r");
  std::string mac = kEthanol;       // and so do the carriage returns alone of old Macintoshes
  std::replace(mac.begin(), mac.end(), '\n', '\r');
  for (const std::string& text : {std::string(kEthanol), windows, mac}) {
    auto m = read(text);
    ASSERT_NE(nullptr, m) << text;
    EXPECT_EQ("", errors);
    EXPECT_EQ("ethanol", name);
    ASSERT_EQ(3u, m->atoms.size());
    EXPECT_EQ("O", m->atoms[2]->element);
    EXPECT_FLOAT_EQ(-0.8883f, m->atoms[0]->position.x);
    EXPECT_FLOAT_EQ(-0.5116f, m->atoms[1]->position.y);
    EXPECT_FLOAT_EQ(1.4990f, m->positions.at(2).x);
    ASSERT_EQ(2u, m->bonds.size());
    EXPECT_EQ(m->atoms[1], m->bonds[1]->atom1);
    EXPECT_EQ(m->atoms[2], m->bonds[1]->atom2);
  }
}

// One atom line each: the symbol in any case (and the bond axis end "R"), the charge code, the
// stated valence and whether it keeps the atom from valence completion (status flag). A short
// line has no charge and states no valence.
TEST_F(MDLRead, AtomLineFieldsGiveElementChargeAndValence) {
  const struct {
    std::string line;
    const char* element;
    int charge, valence;
    bool status;
  } cases[] = {
      {atomLine("CL"), "Cl", 0, 0, true},   {atomLine("br"), "Br", 0, 0, true},
      {atomLine("R"), "R", 0, 0, true},
      {"    1.0000    2.0000    3.0000 Cl\n", "Cl", 0, 0, true},
      {atomLine("N", 1), "N", 3, 0, true},  {atomLine("N", 4), "N", 0, 0, true},   // 4: a radical
      {atomLine("N", 7), "N", -3, 0, true}, {atomLine("N", 9), "N", 0, 0, true},
      {atomLine("C", 0, 4), "C", 0, 4, true},
      {atomLine("N", 0, 4), "N", 0, 4, false},     // nitrogen with four is unusual
      {atomLine("S", 0, 6), "S", 0, 6, true},      // sulfur with six keeps the sulfate test working
      {atomLine("Cl", 0, 1), "Cl", 0, 1, false},   // a halogen never keeps it
      {atomLine("O", 0, 15), "O", 0, 0, false},    // 15 states valence zero
  };
  for (const auto& c : cases) {
    auto m = read(header(1, 0) + c.line);
    ASSERT_NE(nullptr, m) << c.line << errors;
    const Atom* a = m->atoms[0];
    EXPECT_EQ(c.element, a->element) << c.line;
    EXPECT_EQ(std::string(c.element) + "1", a->name) << c.line;
    EXPECT_EQ(c.charge, a->charge) << c.line;
    EXPECT_EQ(c.valence, a->totalValence) << c.line;
    EXPECT_EQ(c.status, a->statusFlag) << c.line;
  }
}

// Only the first charge line of a record clears the atom block's charges: a later one adds its
// entries to the first's. Mass numbers go to the atoms their line names, up to 999.
TEST_F(MDLRead, ChargeLinesReplaceTheAtomBlockCharges) {
  const struct {
    const char* properties;
    int charges[3];
    int isotopes[3];
  } cases[] = {
      {"M  CHG  2   2  -1   3   4\n", {0, -1, 4}, {0, 0, 0}},
      {"M  CHG  1   2  -1\nM  CHG  1   3   1\nM  ISO  2   3  13   1 999\n", {0, -1, 1},
       {999, 0, 13}},
  };
  for (const auto& c : cases) {
    auto m = read(header(3, 0) + atomLine("N", 3) + atomLine("O") + atomLine("Fe") +
                  c.properties + "M  END\n");
    ASSERT_NE(nullptr, m) << c.properties << errors;
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(c.charges[i], m->atoms[i]->charge) << c.properties << "atom " << i + 1;
      EXPECT_EQ(c.isotopes[i], m->atoms[i]->isotope) << c.properties << "atom " << i + 1;
    }
  }
}

// A charge no atom of the element can carry is refused, naming the atom and its line (a carbon
// with "M  CHG" +9 was built as CH3 with charge 9); the charges real molecules carry are read.
TEST_F(MDLRead, ChargesBeyondTheElementAreRefusedNamingAtomAndLine) {
  const struct {
    std::string text;
    const char* message;
  } refused[] = {
      {header(1, 0) + atomLine("C") + "M  CHG  1   1   9\n",
       "Error: MDLMolParser: charge +9 is beyond what C can carry (-4 to +4) for atom C1 in charge "
       "line \"M  CHG  1   1   9\" on line 6\n"},
      {header(2, 0) + atomLine("C") + atomLine("N") + "M  CHG  2   1   1   2  -4\n",
       "Error: MDLMolParser: charge -4 is beyond what N can carry (-3 to +4) for atom N2 in charge "
       "line \"M  CHG  2   1   1   2  -4\" on line 7\n"},
      {header(1, 0) + atomLine("Fe") + "M  CHG  1   1  12\n",
       "Error: MDLMolParser: charge +12 is beyond what Fe can carry (-8 to +8) for atom Fe1"},
      // The atom block's codes: 7 is -3, 1 is +3.
      {header(2, 0) + atomLine("C") + atomLine("O", 7),
       "Error: MDLMolParser: charge -3 is beyond what O can carry (-2 to +4) for atom O2 in atom "
       "line \"    0.0000    0.0000    0.0000 O   0  7"},
      {header(1, 0) + atomLine("H", 1), "charge +3 is beyond what H can carry (-1 to +1)"},
  };
  for (const auto& c : refused)
    for (bool graphOnly : {false, true}) {
      EXPECT_EQ(nullptr, read(c.text, graphOnly)) << c.text;
      EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
      EXPECT_NE(std::string::npos, errors.find(c.message)) << errors;
    }
  // Ammonium, an alkoxide, sulfonium, the charge-separated perchlorate, an iodonium written with
  // four bonds, a carbanion, iron(III) and cobalt(III), borate.
  const std::pair<const char*, int> kept[] = {{"N", 1},  {"O", -1}, {"S", 1},  {"Cl", 3},
                                              {"I", 3},  {"C", -1}, {"Fe", 3}, {"Co", 3},
                                              {"B", -1}, {"C", 4},  {"N", -3}};
  for (const auto& k : kept) {
    auto m = read(header(1, 0) + atomLine(k.first) + "M  CHG  1   1" +
                  (k.second > 0 ? "   " : "  ") + std::to_string(k.second) + "\n");
    ASSERT_NE(nullptr, m) << k.first << " " << k.second << ": " << errors;
    EXPECT_EQ(k.second, m->atoms[0]->charge) << k.first;
  }
}

TEST_F(MDLRead, AromaticTypeFourTakesItsKekuleFormAndOtherTypesFail) {
  const std::string atoms = header(2, 1) + atomLine("C") + atomLine("C");
  auto aromatic = read(atoms + "  1  2  4  0  0  0  0\n");
  ASSERT_NE(nullptr, aromatic) << errors;
  EXPECT_EQ(2, aromatic->bonds[0]->order);   // two carbons that each need a double bond
  // Three carbons in a row: no form gives each its double bond, and the record is refused.
  EXPECT_EQ(nullptr, read(header(3, 2) + atomLine("C") + atomLine("C") + atomLine("C") +
                          "  1  2  4  0  0  0  0\n  2  3  4  0  0  0  0\n"));
  EXPECT_NE(std::string::npos, errors.find("no Kekule form")) << errors;
  for (const char* type : {"0", "5", "8"}) {
    auto m = read(atoms + "  1  2  " + type + "  0  0  0  0\n");
    EXPECT_EQ(nullptr, m) << type;
    EXPECT_NE(std::string::npos, errors.find("unsupported bond type")) << errors;
  }
}

// A bond line written twice was taken without a word, and a second line giving the same two
// atoms another type was passed over: a copy is dropped with a warning naming both lines, a
// contradiction refuses the record naming both.
TEST_F(MDLRead, RepeatedBondLineIsDroppedWithAWarningAndAContradictionRefused) {
  const std::string atoms = header(3, 3) + atomLine("C") + atomLine("O") + atomLine("C");
  auto m = read(atoms + "  1  2  2\n  2  3  1\n  2  1  2  0\n");
  ASSERT_NE(nullptr, m) << errors;
  ASSERT_EQ(2u, m->bonds.size());
  EXPECT_EQ(2, m->bonds[0]->order);
  EXPECT_EQ("Warning: MDLMolParser: bond line \"  2  1  2  0\" on line 10 repeats line 8 (atoms O2 "
            "and C1); the copy is dropped",
            linesOf(errors).at(0));   // then the warning of a record without coordinates
  EXPECT_EQ(nullptr, read(atoms + "  1  2  2\n  2  3  1\n  2  1  1\n"));
  EXPECT_EQ("Error: MDLMolParser: atoms O2 and C1, bonded with type 2 on line 8, are given type 1 "
            "in bond line \"  2  1  1\" on line 10\n",
            errors);
  // The wedge of a dropped copy is dropped with it.
  ASSERT_NE(nullptr, read(atoms + "  1  2  1\n  2  3  1\n  1  2  1  1\n"));
  EXPECT_TRUE(parser.drawnWedges.empty());
}

// Charge code 3 is +1, 5 is -1: the hydrogens added to a record without them follow the charge
// (ammonium, the glycine zwitterion, tetramethylammonium with no room left).
TEST_F(MDLRead, ChargedAtomsGetTheirHydrogenCount) {
  const struct {
    std::string record;
    std::vector<int> hydrogens;   // on each atom in turn
  } cases[] = {
      {header(1, 0) + atomLine("N", 3), {4}},
      {header(5, 4) + atomLine("N", 3) + atomLine("C") + atomLine("C") + atomLine("O") +
           atomLine("O", 5) + "  1  2  1\n  2  3  1\n  3  4  2\n  3  5  1\n",
       {3, 2, 0, 0, 0}},
      {header(5, 4) + atomLine("N", 3) + atomLine("C") + atomLine("C") + atomLine("C") +
           atomLine("C") + "  1  2  1\n  1  3  1\n  1  4  1\n  1  5  1\n",
       {0, 3, 3, 3, 3}},
  };
  for (const auto& c : cases) {
    auto m = read(c.record);
    ASSERT_NE(nullptr, m) << c.record << errors;
    parser.perceive(m.get());
    for (size_t i = 0; i < c.hydrogens.size(); ++i)
      EXPECT_EQ(c.hydrogens[i], kvtest::hydrogensOn(m->atoms[i])) << c.record << "atom " << i + 1;
  }
}

// The same groups as many public SD files store them, without charges: a nitrogen with four or
// five bonds takes the charge it must have, its terminal partner the opposite one, and the
// reader says so once per record. Typing then finds nothing to complain of.
TEST_F(MDLRead, NitrogensWithFourOrFiveBondsTakeTheChargesTheFileLeftOut) {
  const struct {
    std::string record;
    std::vector<int> charges;     // of each atom in turn
    std::vector<int> hydrogens;   // on each atom after perception
    const char* said;             // "" when nothing is assumed
  } cases[] = {
      {header(4, 3) + atomLine("C") + atomLine("N") + atomLine("O") + atomLine("O") +
           "  1  2  1\n  2  3  2\n  2  4  2\n",
       {0, 1, -1, 0}, {3, 0, 0, 0}, "1 five-bonded nitrogen made N+ beside a negative terminal "
                                    "atom (N2)"},
      {header(8, 7) + atomLine("C") + atomLine("C") + atomLine("N") + atomLine("O") +
           atomLine("O") + atomLine("N") + atomLine("O") + atomLine("O") +
           "  1  2  1\n  1  3  1\n  3  4  2\n  3  5  2\n  2  6  1\n  6  7  2\n  6  8  2\n",
       {0, 0, 1, -1, 0, 1, -1, 0}, {2, 2, 0, 0, 0, 0, 0, 0}, "2 five-bonded nitrogens made N+"},
      {header(5, 4) + atomLine("N") + atomLine("C") + atomLine("C") + atomLine("C") +
           atomLine("C") + "  1  2  1\n  1  3  1\n  1  4  1\n  1  5  1\n",
       {1, 0, 0, 0, 0}, {0, 3, 3, 3, 3}, "1 four-bonded nitrogen made N+ (N1)"},
      // A guanidinium written C(=N)(N)N with all its hydrogens.
      {header(10, 9) + atomLine("C") + atomLine("N") + atomLine("N") + atomLine("N") +
           atomLine("H") + atomLine("H") + atomLine("H") + atomLine("H") + atomLine("H") +
           atomLine("H") +
           "  1  2  2\n  1  3  1\n  1  4  1\n  2  5  1\n  2  6  1\n  3  7  1\n  3  8  1\n"
           "  4  9  1\n  4 10  1\n",
       {0, 1, 0, 0}, {0, 2, 2, 2}, "1 four-bonded nitrogen made N+ (N2)"},
      // Methyl azide and trimethylamine oxide: the terminal atom takes the minus charge.
      {header(4, 3) + atomLine("C") + atomLine("N") + atomLine("N") + atomLine("N") +
           "  1  2  1\n  2  3  2\n  3  4  2\n",
       {0, 0, 1, -1}, {3, 0, 0, 0}, "1 four-bonded nitrogen made N+ (N3)"},
      {header(5, 4) + atomLine("N") + atomLine("C") + atomLine("C") + atomLine("C") +
           atomLine("O") + "  1  2  1\n  1  3  1\n  1  4  1\n  1  5  1\n",
       {1, 0, 0, 0, -1}, {0, 3, 3, 3, 0}, "1 four-bonded nitrogen made N+ (N1)"},
      {header(2, 1) + atomLine("C") + atomLine("N") + "  1  2  1\n", {0, 0}, {3, 2}, ""},
  };
  for (const auto& c : cases) {
    kvtest::ErrorCapture errorLog;
    auto m = read(c.record);
    ASSERT_NE(nullptr, m) << c.record << errors;
    parser.perceive(m.get());
    for (size_t i = 0; i < c.charges.size(); ++i) {
      EXPECT_EQ(c.charges[i], m->atoms[i]->charge) << c.record << "atom " << i + 1;
      EXPECT_EQ(c.hydrogens[i], kvtest::hydrogensOn(m->atoms[i])) << c.record << "atom " << i + 1;
    }
    std::vector<std::string> assumed, lines = linesOf(errors);   // the read's, then typing's
    lines.insert(lines.end(), errorLog.lines.begin(), errorLog.lines.end());
    for (const std::string& line : lines) {
      EXPECT_EQ(std::string::npos, line.find("atom typing")) << line;
      if (line.find("assumed") != std::string::npos) assumed.push_back(line);
    }
    if (std::string(c.said).empty()) {
      EXPECT_TRUE(assumed.empty()) << errors;
      continue;
    }
    ASSERT_EQ(1u, assumed.size()) << errors << errorLog.text();
    EXPECT_EQ(0u, assumed[0].find(std::string("Warning: MDLMolParser: record \"test\" on line 1: "
                                              "assumed charges the file leaves out: ") +
                                  c.said))
        << assumed[0];
  }
}

TEST_F(MDLRead, BadRecordsGiveOneQuotedErrorLineAndNoMolecule) {
  const std::string two = header(2, 1) + atomLine("C") + atomLine("O");
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {header(0, 0), "no atoms in counts line \"  0  0"},
      {"name\n\n\n\n", "empty counts line"},
      {"name\n\n", "file ends before the counts line"},
      {"\n\n\n  x  1  0\n", "bad atom count in \"  x  1  0\" on line 4"},
      {"\n\n\n  2  y\n", "bad bond count"},
      {"\n\n\n  0  0  0     0  0            999 V3000\n", "V3000"},
      {header(2, 0) + atomLine("C"), "file ends after 1 of 2 atom lines"},
      {header(1, 0) + "    0.0000       nan    0.0000 C\n", "bad coordinate in atom line"},
      {header(1, 0) + "    0.0000    0.0000    0.0000    \n", "bad element symbol"},
      {header(1, 0) + atomLine("Xx"), "bad element symbol in atom line"},
      {header(1, 0) + atomLine("U"), "element \"U\" has no atom type in atom line"},
      {header(1, 0) + "    0.0000    0.0000    0.0000 C   0  x\n", "bad charge code"},
      {header(1, 0) + atomLine("C", 0, 16), "bad valence"},
      {two + "  1  3  1\n", "bad atom number in bond line \"  1  3  1\" on line 7"},
      {two + "  2  2  1\n", "bad atom number"},
      {two + "  1  2\n", "bad number in bond line"},
      {two, "file ends after 0 of 1 bond lines"},
      {two + "  1  2  1\nM  CHG  0\n", "bad charge entry count"},
      {two + "  1  2  1\nM  CHG  2   1   1\n", "bad charge entry in"},
      {two + "  1  2  1\nM  CHG  9\n", "bad charge entry count"},
      {two + "  1  2  1\nM  CHG  1   1  16\n",
       "bad charge entry in \"M  CHG  1   1  16\" on line 8"},
      {two + "  1  2  1\nM  ISO  0\n", "bad isotope entry count in \"M  ISO  0\" on line 8"},
      {two + "  1  2  1\nM  ISO  9\n", "bad isotope entry count"},
      {two + "  1  2  1\nM  ISO  1   3  13\n", "bad isotope entry in \"M  ISO  1   3  13\""},
      {two + "  1  2  1\nM  ISO  1   1   0\n", "bad isotope entry in"},
      {two + "  1  2  1\nM  ISO  1   11000\n", "bad isotope entry in"},   // columns 14 to 17
      {two + "  1  2  1\nM  ISO  2   1  13\n", "bad isotope entry in"},
  };
  for (const auto& c : cases) {
    auto m = read(c.text);
    EXPECT_EQ(nullptr, m) << c.text;
    EXPECT_EQ(0u, errors.find("Error: MDLMolParser: ")) << errors;
    EXPECT_NE(std::string::npos, errors.find(c.message)) << errors;
    EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
  }
}

// A counts line larger than its blocks is blamed, quoted, not the line after the block.
TEST_F(MDLRead, ACountsLineLargerThanItsBlocksIsBlamed) {
  std::string tooManyAtoms = kEthanol;
  tooManyAtoms.replace(tooManyAtoms.find("  3  2"), 39, "999999");
  std::string tooManyBonds = kEthanol;
  tooManyBonds.replace(tooManyBonds.find("  3  2"), 6, "  3  9");
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {tooManyAtoms, "Error: MDLMolParser: counts line gives 999 atom lines, but the block ends "
                     "after 3 at \"  1  2  1  0  0  0  0\"; counts line \"999999\" on line 4"},
      {tooManyBonds, "Error: MDLMolParser: counts line gives 9 bond lines, but the block ends "
                     "after 2 at \"M  END\"; counts line \"  3  9  0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(nullptr, read(c.text));
    EXPECT_EQ(0u, errors.find(c.message)) << errors;
    EXPECT_EQ(1, std::count(errors.begin(), errors.end(), '\n')) << errors;
  }
}

// A binary file renamed to .mol is said to be no text, and no byte of it reaches the line.
TEST_F(MDLRead, ABinaryFileIsNoTextMolFile) {
  const std::string binary = kvtest::readFile(KV_TEST_DATA_DIR "/mdl_crash_binary.mol");
  ASSERT_NE(std::string::npos, binary.find('\0'));
  for (const std::string& text : {binary, std::string(kEthanol).replace(4, 1, "\x01")}) {
    EXPECT_EQ(nullptr, read(text));
    EXPECT_EQ("Error: MDLMolParser: not a text mol file: control bytes on line 1\n", errors);
  }
  // Bytes past the header are quoted escaped.
  std::string late = kEthanol;
  late.replace(late.find("C   0"), 1, "\x02");
  EXPECT_EQ(nullptr, read(late));
  EXPECT_NE(std::string::npos, errors.find("\\x02")) << errors;
  EXPECT_TRUE(std::none_of(errors.begin(), errors.end() - 1,
                           [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
      << errors;
}

// Every atom at the origin: no coordinates. The molecule is built from its connectivity, which
// the reader says once; a single atom at the origin is no such record.
TEST_F(MDLRead, ARecordWithoutCoordinatesIsSaidToBeBuiltFromConnectivity) {
  auto m = read(header(3, 2) + atomLine("C") + atomLine("C") + atomLine("O") +
                "  1  2  1\n  2  3  1\n");
  ASSERT_NE(nullptr, m);
  EXPECT_EQ("Warning: MDLMolParser: every atom of record \"test\" lies at 0,0,0 on line 1: no "
            "coordinates, the molecule is built from its connectivity\n",
            errors);
  ASSERT_NE(nullptr, read(header(1, 0) + atomLine("C")));
  EXPECT_EQ("", errors);
}

// Every file named mdl_crash_* once crashed or misled a reader; each must fail cleanly.
TEST_F(MDLRead, KeptCrashInputsFailCleanly) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KV_TEST_DATA_DIR)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind("mdl_crash_", 0) != 0) continue;
    auto m = read(kvtest::readFile(entry.path().string()));
    EXPECT_EQ(nullptr, m) << file;
    EXPECT_EQ(0u, errors.find("Error: MDLMolParser: ")) << file << ": " << errors;
    kvtest::ErrorCapture errorLog;
    EXPECT_EQ(nullptr, parser.readMDLMolGraph(entry.path().string().c_str())) << file;
    ++replayed;
  }
  EXPECT_GE(replayed, 10);
}

namespace {

// A small molecule with charges, an aromatic bond and coordinates past the format's 4 decimals.
std::unique_ptr<Molecule> chargedSample() {
  auto m = kvtest::buildMolecule({"C", "C", "O", "N", "C"},
                                 {{0, 1, 1}, {1, 2, 2}, {1, 3, 9}, {3, 4, 3}});
  m->atoms[2]->charge = -1;
  m->atoms[3]->charge = 5;   // beyond the atom block's codes: only the charge line holds it
  for (size_t i = 0; i < m->atoms.size(); ++i)
    m->atoms[i]->position = SSEVector4f(1.23456f * i, -20.5f + i, 0.00049f, 1.0f);
  return m;
}

class MDLWrite : public kvtest::FileFixture {
 protected:
  MDLWrite() : kvtest::FileFixture("mdl_write_") {}
  MDLMolParser parser;
};

}  // namespace

TEST_F(MDLWrite, WritesTheV2000LinesExactly) {
  auto m = chargedSample();
  m->names.push_back("sample");
  std::string text;
  ASSERT_TRUE(parser.formatMDLMol(m.get(), text));
  const std::vector<std::string> lines = linesOf(text);
  ASSERT_EQ(4u + 5u + 4u + 2u + 1u, lines.size());
  EXPECT_EQ("sample", lines[0]);
  EXPECT_EQ("  Kestavor" + std::string(10, ' ') + "3D" + std::string(30, ' '), lines[1]);
  EXPECT_EQ("", lines[2]);
  EXPECT_EQ("  5  4  0  0  0  0  0  0  0  0999 V2000", lines[3]);
  EXPECT_EQ("    1.2346  -19.5000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0", lines[5]);
  EXPECT_EQ("    2.4691  -18.5000    0.0000 O   0  5  0  0  0  0  0  0  0  0  0  0", lines[6]);
  EXPECT_EQ("  2  3  2  0  0  0  0", lines[10]);
  EXPECT_EQ("  2  4  4  0  0  0  0", lines[11]);   // aromatic as type 4
  EXPECT_EQ("M  CHG  1   3  -1", lines[13]);
  EXPECT_EQ("M  CHG  1   4   5", lines[14]);
  EXPECT_EQ("M  END", lines[15]);
  // An unnamed molecule is headed by its SMILES.
  m->names.clear();
  m->smiles = "CC(=O)N#C";
  ASSERT_TRUE(parser.formatMDLMol(m.get(), text));
  EXPECT_EQ("CC(=O)N#C\n", text.substr(0, 10));
}

TEST_F(MDLWrite, MoleculeTheFormatCannotHoldLeavesTheOldFileWhole) {
  const std::string path = (folder / "kept.mol").string();
  std::ofstream(path) << "old contents\n";
  auto wideCoordinate = chargedSample();
  wideCoordinate->atoms[0]->position.x = 123456.0f;
  auto badOrder = chargedSample();
  badOrder->bonds[0]->order = 5;
  auto noElement = chargedSample();
  noElement->atoms[1]->element = "";
  auto tooMany = kvtest::buildMolecule(std::vector<std::string>(1000, "C"), {});
  for (Molecule* m : {wideCoordinate.get(), badOrder.get(), noElement.get(), tooMany.get()}) {
    kvtest::ErrorCapture errorLog;
    EXPECT_FALSE(parser.writeMDLMolFile(m, path.c_str()));
    EXPECT_EQ(0u, errorLog.text().find("Error: MDLMolParser: ")) << errorLog.text();
  }
  EXPECT_FALSE(parser.writeMDLMolFile(nullptr, path.c_str()));
  EXPECT_EQ("old contents\n", kvtest::readFile(path));

  auto good = chargedSample();
  EXPECT_TRUE(parser.writeMDLMolFile(good.get(), path.c_str()));
  std::string text;
  ASSERT_TRUE(parser.formatMDLMol(good.get(), text));
  EXPECT_EQ(text, kvtest::readFile(path)) << "the file holds the record";
  kvtest::ErrorCapture errorLog;
  const std::string missing = (folder / "no/such/folder.mol").string();
  EXPECT_FALSE(parser.writeMDLMolFile(good.get(), missing.c_str()));
  ASSERT_EQ(1u, errorLog.lines.size()) << errorLog.text();
  EXPECT_TRUE(kvtest::textThenReason(errorLog.lines[0],
                                     "Error: MDLMolParser: cannot write \"" + missing + "\""))
      << errorLog.lines[0];
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder),
                             std::filesystem::directory_iterator()));   // no temporary left
}
