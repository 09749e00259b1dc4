// The bond lookup's fallback chain, orientation and charges.

#include "LookupTestTables.h"
#include "ParameterFixture.h"
#include "model/Bond.h"

class BondLookup : public ParameterFixture {
protected:
  void SetUp() override {
    ParameterFixture::SetUp();
    params().parseAtomTypeTable(lookup_tables::kAtomTypes);
    params().parseBondTable(lookup_tables::kBonds);
  }
};

TEST_F(BondLookup, EachFallbackPassHasItsResultCodeAndApproximatedFlag) {
  struct Case {
    const char *type1, *type2;
    int order, result;
    float distance, moment;   // distance 0 where a miss must leave the record alone
    bool approximated;
    const char* why;
  };
  const Case cases[] = {
      {"H", "CH3", 1, 1, 1.10974f, 0.37f, false, "given types"},
      {"CH3", "H", 1, 1, 1.10974f, -0.37f, false, "reversed types negate the moment"},
      {"H", "CH2", 1, 1, 1.10974f, 0.37f, false, "base types still count as exact"},
      {"CH2", "OE", 1, -1, 1.44f, 0.5f, true, "super types, even from the exact section"},
      {"CL", "CE", 1, -2, 1.77f, -1.5f, true, "upper-cased elements; the row is written C-CL"},
      {"CE", "CE", 9, -1, 1.34f, 0.0f, true, "aromatic without rows falls back to double"},
      {"P0", "CH3", 1, 1, 1.85f, 0.0f, false, "a pattern row matches any type holding its letter"},
      {"CE", "P0", 1, 1, 1.85f, 0.0f, false, "the pattern row from the other end"},
      {"P0", "C*", 1, 0, 0.0f, 0.0f, false, "a pattern query never matches a pattern row"},
      {"XX", "YY", 1, 0, 0.0f, 0.0f, false, "unknown types"},
      {"XX", "YY", 9, 0, 0.0f, 0.0f, false, "unknown types, aromatic"},
      {"CH2", "XX", 1, 0, 0.0f, 0.0f, false, "one unknown type: no further pass for the pair"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    BondParameters out;
    EXPECT_EQ(c.result, params().findBondParameters(c.type1, c.type2, c.order, out));
    EXPECT_FLOAT_EQ(c.distance, out.distance);
    EXPECT_FLOAT_EQ(c.moment, out.bondMoment);
    EXPECT_EQ(c.approximated, out.approximated);
  }
  BondParameters aromatic;
  params().findBondParameters("CE", "CE", kAromaticOrder, aromatic);
  EXPECT_EQ(2, aromatic.bondOrder);
}

TEST_F(BondLookup, DummyAtomGetsTheFixedAxisAndKeepsTheRest) {
  BondParameters out;
  out.atom1 = "A";
  out.bondOrder = 7;
  out.approximated = true;
  out.bondMoment = 3.0f;
  EXPECT_EQ(1, params().findBondParameters("CH3", "DUM", 2, out));
  EXPECT_EQ((std::vector<float>{1.058f, 2.1153f, 0.0f, 0.0f}),
            (std::vector<float>{out.majorAxis, out.distance, out.bondEnergy, out.bondMoment}));
  EXPECT_TRUE(out.atom1 == "A" && out.bondOrder == 7 && out.approximated);
  EXPECT_FLOAT_EQ(0.0f, params().findBondCharge("DUM", "H", 1));
}

TEST_F(BondLookup, SwappingTheTwoTypesFindsTheSameRow) {
  const char* types[] = {"H", "CH3", "CH2", "CE", "CPAM", "NPAM", "OPAM", "OH", "OE", "CL", "P0"};
  for (const char* a : types)
    for (const char* b : types)
      for (int order : {1, 2, kAromaticOrder}) {
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
  EXPECT_FLOAT_EQ(0.0f, params().findBondCharge("CE", "CE", kAromaticOrder));
  // A row without a distance gives no charge instead of infinity.
  EXPECT_FLOAT_EQ(0.0f, params().findBondCharge("H", "OH", 1));
  EXPECT_FLOAT_EQ(0.0f, params().calculateCharge(1.0f, 0.0f));
}
