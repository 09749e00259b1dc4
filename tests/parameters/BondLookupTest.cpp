// The bond lookup's fallback chain, orientation and charges.

#include "LookupTestTables.h"
#include "ParameterFixture.h"

class BondLookup : public ParameterFixture {
protected:
  void SetUp() override {
    ParameterFixture::SetUp();
    params().parseAtomTypeTable(lookup_tables::kAtomTypes);
    params().parseBondTable(lookup_tables::kBonds);
  }
};

TEST_F(BondLookup, GivenTypesReturnOneAndReversedTypesNegateTheMoment) {
  BondParameters forward;
  BondParameters reversed;
  EXPECT_EQ(1, params().findBondParameters("H", "CH3", 1, forward));
  EXPECT_EQ(1, params().findBondParameters("CH3", "H", 1, reversed));
  EXPECT_FLOAT_EQ(0.37f, forward.bondMoment);
  EXPECT_FLOAT_EQ(-0.37f, reversed.bondMoment);
  EXPECT_NEAR(0.872427f, forward.majorAxis, 1e-6f);
  EXPECT_FALSE(forward.approximated);
}

TEST_F(BondLookup, BaseTypesStillCountAsExact) {
  BondParameters out;
  EXPECT_EQ(1, params().findBondParameters("H", "CH2", 1, out));
  EXPECT_FLOAT_EQ(1.10974f, out.distance);
  EXPECT_FALSE(out.approximated);
}

TEST_F(BondLookup, SuperTypeHitReturnsMinusOneAndFlagsApproximated) {
  BondParameters out;
  EXPECT_EQ(-1, params().findBondParameters("CH2", "OE", 1, out));
  EXPECT_FLOAT_EQ(1.44f, out.distance);
  EXPECT_TRUE(out.approximated);
}

TEST_F(BondLookup, ElementHitReturnsMinusTwoWithUpperCasedSymbols) {
  BondParameters out;
  EXPECT_EQ(-2, params().findBondParameters("CL", "CE", 1, out));
  EXPECT_FLOAT_EQ(1.77f, out.distance);
  EXPECT_FLOAT_EQ(-1.5f, out.bondMoment);   // the row is written C-CL
  EXPECT_TRUE(out.approximated);
}

TEST_F(BondLookup, AromaticWithoutRowsFallsBackToDouble) {
  BondParameters out;
  EXPECT_EQ(-1, params().findBondParameters("CE", "CE", 9, out));
  EXPECT_EQ(2, out.bondOrder);
}

TEST_F(BondLookup, UnknownTypesStopAfterTheFirstPass) {
  BondParameters out;
  out.atom1 = "KEEP";
  EXPECT_EQ(0, params().findBondParameters("XX", "YY", 1, out));
  EXPECT_EQ(0, params().findBondParameters("XX", "YY", 9, out));
  EXPECT_EQ("KEEP", out.atom1);
  // CH3 is known but XX is not: no base, super type or element pass for the pair.
  EXPECT_EQ(0, params().findBondParameters("CH2", "XX", 1, out));
}

TEST_F(BondLookup, DummyAtomGetsTheFixedAxisAndKeepsTheRest) {
  BondParameters out;
  out.atom1 = "A";
  out.bondOrder = 7;
  out.approximated = true;
  out.bondMoment = 3.0f;
  EXPECT_EQ(1, params().findBondParameters("CH3", "DUM", 2, out));
  EXPECT_FLOAT_EQ(1.058f, out.majorAxis);
  EXPECT_FLOAT_EQ(2.1153f, out.distance);
  EXPECT_FLOAT_EQ(0.0f, out.bondEnergy);
  EXPECT_FLOAT_EQ(0.0f, out.bondMoment);
  EXPECT_EQ("A", out.atom1);
  EXPECT_EQ(7, out.bondOrder);
  EXPECT_TRUE(out.approximated);
  EXPECT_FLOAT_EQ(0.0f, params().findBondCharge("DUM", "H", 1));
}

TEST_F(BondLookup, PatternRowMatchesAnyTypeHoldingItsLetter) {
  BondParameters out;
  EXPECT_EQ(1, params().findBondParameters("P0", "CH3", 1, out));
  EXPECT_FLOAT_EQ(1.85f, out.distance);
  EXPECT_EQ(1, params().findBondParameters("CE", "P0", 1, out));
  // A query that is itself a pattern never matches a pattern row.
  EXPECT_EQ(0, params().findBondParameters("P0", "C*", 1, out));
}

TEST_F(BondLookup, SwappingTheTwoTypesFindsTheSameRow) {
  const char* types[] = {"H", "CH3", "CH2", "CE", "CPAM", "NPAM", "OPAM", "OH", "OE", "CL", "P0"};
  for (const char* a : types)
    for (const char* b : types)
      for (int order : {1, 2, 9}) {
        BondParameters ab;
        BondParameters ba;
        int resultAB = params().findBondParameters(a, b, order, ab);
        int resultBA = params().findBondParameters(b, a, order, ba);
        SCOPED_TRACE(std::string(a) + "-" + b + " order " + std::to_string(order));
        ASSERT_EQ(resultAB, resultBA);
        EXPECT_FLOAT_EQ(ab.distance, ba.distance);
        EXPECT_FLOAT_EQ(ab.majorAxis, ba.majorAxis);
        if (std::string(a) != b) {
          EXPECT_FLOAT_EQ(ab.bondMoment, -ba.bondMoment);
        }
      }
}

TEST_F(BondLookup, ChargeFollowsTheMomentAndItsOrientation) {
  float expected = 0.37f / (4.802813f * 1.10974f);
  EXPECT_FLOAT_EQ(expected, params().findBondCharge("H", "CH3", 1));
  EXPECT_FLOAT_EQ(-expected, params().findBondCharge("CH3", "H", 1));
  EXPECT_FLOAT_EQ(0.5f / (4.802813f * 1.44f), params().findBondCharge("CH2", "OE", 1));
  // No retry as a double bond for the charge.
  EXPECT_FLOAT_EQ(0.0f, params().findBondCharge("CE", "CE", 9));
}

TEST_F(BondLookup, RowWithoutDistanceGivesNoChargeInsteadOfInfinity) {
  EXPECT_FLOAT_EQ(0.0f, params().findBondCharge("H", "OH", 1));
  EXPECT_FLOAT_EQ(0.0f, params().calculateCharge(1.0f, 0.0f));
}
