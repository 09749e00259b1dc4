// Angle lookup with its base-type and "* X *" fallbacks, the default angle, and the torsion
// lookup with its placeholder passes.

#include "LookupTestTables.h"
#include "ParameterFixture.h"

#include <cmath>

class AngleDihedralLookup : public ParameterFixture {
protected:
  void SetUp() override {
    ParameterFixture::SetUp();
    params().parseAtomTypeTable(lookup_tables::kAtomTypes);
    params().parseAngleTable(lookup_tables::kAngles);
    params().parseDihedralTable(lookup_tables::kDihedrals);
  }
};

TEST_F(AngleDihedralLookup, ExactAndReversedAngleRowsAreCopiedUnchanged) {
  AngleParameters out;
  EXPECT_EQ(1, params().findAngle("H", "CH3", "H", out));
  EXPECT_FLOAT_EQ(109.5f, out.angle);
  EXPECT_EQ(1, params().findAngle("C", "CE", "H", out));
  EXPECT_FLOAT_EQ(121.0f, out.angle);
  EXPECT_EQ("H", out.atom1);
}

TEST_F(AngleDihedralLookup, BaseTypesReplaceAllThreeNames) {
  AngleParameters out;
  EXPECT_EQ(1, params().findAngle("H", "CH2", "H", out));
  EXPECT_EQ("CH3", out.centre);
  EXPECT_FLOAT_EQ(109.5f, out.angle);
}

TEST_F(AngleDihedralLookup, DummyEndTakesTheFirstPlainRowOfTheCentre) {
  AngleParameters out;
  EXPECT_EQ(1, params().findAngle("H", "CH3", "DUM", out));
  EXPECT_FLOAT_EQ(109.5f, out.angle);
  // OE has only its "* OE *" row, reached in the last pass.
  EXPECT_EQ(1, params().findAngle("DUM", "OE", "H", out));
  EXPECT_FLOAT_EQ(111.0f, out.angle);
}

TEST_F(AngleDihedralLookup, CentreWithoutAtomTypeUsesItsOwnDefaultRow) {
  AngleParameters out;
  EXPECT_EQ(1, params().findAngle("H", "ZZ", "OH", out));
  EXPECT_FLOAT_EQ(100.0f, out.angle);
  out.angle = -5.0f;
  EXPECT_EQ(0, params().findAngle("H", "YY", "OH", out));
  EXPECT_FLOAT_EQ(-5.0f, out.angle);   // a miss leaves the record alone
}

TEST_F(AngleDihedralLookup, DefaultAngleFromBondCountAndValence) {
  EXPECT_FLOAT_EQ(180.0f, params().findDefaultAngle("C", 3, 4));
  EXPECT_FLOAT_EQ(104.5f, params().findDefaultAngle("O", 2, 2));
  EXPECT_FLOAT_EQ(120.0f, params().findDefaultAngle("C", 3, 3));
  EXPECT_FLOAT_EQ(109.5f, params().findDefaultAngle("C", 4, 4));
  EXPECT_FLOAT_EQ(109.5f, params().findDefaultAngle("H", 1, 1));
}

TEST_F(AngleDihedralLookup, AmideTorsionFindsItsAxisThroughTheCentralSuperTypes) {
  DihedralParameters out;
  EXPECT_EQ(1, params().findDihedralParameters("CH3", "CPAM", "NPAM", "CH3", 1, out));
  EXPECT_FLOAT_EQ(2.0f, out.periodicity);
  EXPECT_FLOAT_EQ(4.2f, out.barrier);
  EXPECT_NEAR(M_PI, out.phase, 1e-5);
  // The pair row of the same axis wins for O=C-N-H, from either end.
  EXPECT_EQ(1, params().findDihedralParameters("H", "NPAM", "CPAM", "OPAM", 1, out));
  EXPECT_FLOAT_EQ(1.0f, out.periodicity);
  EXPECT_FLOAT_EQ(1.5f, out.barrier);
}

TEST_F(AngleDihedralLookup, EthaneTorsionIsThreeFold) {
  DihedralParameters out;
  EXPECT_EQ(1, params().findDihedralParameters("H", "CH3", "CH3", "H", 1, out));
  EXPECT_FLOAT_EQ(3.0f, out.periodicity);
  EXPECT_FLOAT_EQ(0.0f, out.phase);
  EXPECT_FLOAT_EQ(0.175f, out.barrier);
}

TEST_F(AngleDihedralLookup, EndElementsAreUpperCasedForThePairRows) {
  DihedralParameters out;
  EXPECT_EQ(1, params().findDihedralParameters("CL", "CH2", "CH3", "H", 1, out));
  EXPECT_FLOAT_EQ(0.7f, out.barrier);
}

TEST_F(AngleDihedralLookup, UnknownTypesGoStraightToTheAllStarRow) {
  DihedralParameters out;
  EXPECT_EQ(1, params().findDihedralParameters("A", "B", "C", "D", 2, out));
  EXPECT_FLOAT_EQ(5.2f, out.barrier);
  out.barrier = -1.0f;
  EXPECT_EQ(0, params().findDihedralParameters("H", "CH3", "CH3", "H", 3, out));
  EXPECT_FLOAT_EQ(-1.0f, out.barrier);
}
