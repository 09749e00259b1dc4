// The keyed lookups over the small tables.

#include "LookupTestTables.h"
#include "ParameterFixture.h"
#include "parameters/ElementSymbols.h"

using SmallLookups = ParameterFixture;

TEST_F(SmallLookups, ElementNamesAreUpperCasedButAtomTypesAreNot) {
  params().parseElementTable("Br 1\nBR 7\n");
  params().parseAtomTypeTable(lookup_tables::kAtomTypes);
  ElementParameters element;
  EXPECT_EQ(1, params().findElementParameters("bR", element));
  EXPECT_EQ(1, element.valence);   // the first row wins
  AtomTypeParameters type;
  EXPECT_EQ(0, params().findAtomTypeParameters("ch3", type));
  EXPECT_EQ(1, params().findAtomTypeParameters("CH3", type));
  EXPECT_EQ("CSP3", type.stype);
}

TEST_F(SmallLookups, BondMomentAndHybridTypeEitherWayRound) {
  params().parseBondMomentTable("H Cl 1 1.2746 1.1086\n");
  BondMomentParameters out;
  EXPECT_EQ(1, params().findBondMomentParameters("Cl", "H", 1, out));
  EXPECT_FLOAT_EQ(1.1086f, out.moment);   // the sign is kept
  EXPECT_EQ(0, params().findBondMomentParameters("CL", "H", 1, out));
  EXPECT_EQ(0, params().findBondMomentParameters("H", "Cl", 2, out));

  params().parseHybridTypeTable("CAPH CAH1 CAPH\n");
  HybridAtomTypes hybrid;
  EXPECT_EQ(1, params().findHyridType("CAH1", "CAPH", hybrid));
  EXPECT_EQ("CAPH", hybrid.resultType);
  EXPECT_EQ(0, params().findHyridType("CAH1", "CAH1", hybrid));
}

TEST_F(SmallLookups, EmagTermsInBothOrientations) {
  // Rows before any header are bond rows; lines under four characters and case in the headers
  // do not matter.
  params().parseEmagTable("C CPAM 1 -0.37890\nabc\nangle\nCL CEH1 H 0.01160\n"
                          "Dihedral\nC CE CEH1 CH3 2 -0.14803\n");
  EXPECT_FLOAT_EQ(-0.3789f, params().findEmagParameters("CPAM", "C", 1u));
  EXPECT_FLOAT_EQ(0.0f, params().findEmagParameters("CPAM", "C", 2u));
  EXPECT_FLOAT_EQ(0.0116f, params().findEmagParameters("H", "CEH1", "CL"));
  EXPECT_FLOAT_EQ(0.0f, params().findEmagParameters("H", "CL", "CEH1"));
  EXPECT_FLOAT_EQ(-0.14803f, params().findEmagParameters("CH3", "CEH1", "CE", "C", 2u));
  EXPECT_FLOAT_EQ(0.0f, params().findEmagParameters("CH3", "CEH1", "CE", "C", 9u));
  EXPECT_EQ(1u, params().emagBondParameters.size());
}

TEST_F(SmallLookups, RingStrainByKindAndSizeWithTheFirstRowWinning) {
  // Kinds are read in upper case; a row with text for its energy is reported and skipped.
  std::string err = stderrOf([this] {
    params().parseRingStrainTable("ring 5 0.27 // cyclopentane\nRING 5 9.0\nRING 7 x\n"
                                  "RING 6 -0.01\n");
  });
  EXPECT_NE(std::string::npos, err.find("RING 7 X")) << err;
  ASSERT_EQ(3u, params().ringStrainParameters.size());
  EXPECT_FLOAT_EQ(0.27f, params().findRingStrain("RING", 5));
  EXPECT_FLOAT_EQ(-0.01f, params().findRingStrain("RING", 6));
  EXPECT_EQ(0.0f, params().findRingStrain("RING", 8));    // no row: no strain
  EXPECT_EQ(0.0f, params().findRingStrain("ring", 5));    // keys are upper case
}

// The charge range follows the element's place in the periodic table: the valence electrons it
// can give up and the octet (hydrogen's and helium's pair) it can fill, four at most either way,
// and -8 to +8 for the d and f blocks. The edges of the periods and blocks are where a count
// slips.
TEST(ElementCharges, RangesFollowThePlaceInThePeriodicTable) {
  const struct {
    const char* element;
    int lowest, highest;
  } cases[] = {{"H", -1, 1},  {"He", 0, 2},  {"Li", -4, 1}, {"Be", -4, 2}, {"B", -4, 3},
               {"C", -4, 4},  {"N", -3, 4},  {"O", -2, 4},  {"F", -1, 4},  {"Ne", 0, 4},
               {"Na", -4, 1}, {"Al", -4, 3}, {"P", -3, 4},  {"Cl", -1, 4}, {"K", -4, 1},
               {"Ca", -4, 2}, {"Sc", -8, 8}, {"Zn", -8, 8}, {"Ga", -4, 3}, {"Br", -1, 4},
               {"Xe", 0, 4},  {"Cs", -4, 1}, {"La", -8, 8}, {"Lu", -8, 8}, {"Hg", -8, 8},
               {"Tl", -4, 3}, {"Bi", -3, 4}, {"Rn", 0, 4},  {"Ra", -4, 2}, {"U", -8, 8},
               {"Og", 0, 4}};
  for (const auto& c : cases) {
    int lowest = 99, highest = 99;
    ASSERT_TRUE(formalChargeRange(c.element, lowest, highest)) << c.element;
    EXPECT_EQ(c.lowest, lowest) << c.element;
    EXPECT_EQ(c.highest, highest) << c.element;
  }
  int lowest = 0, highest = 0;
  EXPECT_FALSE(formalChargeRange("Xx", lowest, highest));
  EXPECT_FALSE(formalChargeRange("CL", lowest, highest));   // symbols in their standard case
  EXPECT_EQ("", impossibleCharge("N", 1));
  EXPECT_EQ("charge +9 is beyond what C can carry (-4 to +4)", impossibleCharge("C", 9));
  EXPECT_EQ("charge -2 is beyond what Cl can carry (-1 to +4)", impossibleCharge("Cl", -2));
  EXPECT_EQ("", impossibleCharge("Xx", 9));   // no element: nothing to refuse here
}
