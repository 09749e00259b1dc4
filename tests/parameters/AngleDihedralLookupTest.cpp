// Angle lookup with its base-type and "* X *" fallbacks, the default angle, and the torsion
// lookup with its placeholder passes.

#include "LookupTestTables.h"
#include "ParameterFixture.h"

#include <cmath>
#include <vector>

class AngleDihedralLookup : public ParameterFixture {
protected:
  void SetUp() override {
    ParameterFixture::SetUp();
    params().parseAtomTypeTable(lookup_tables::kAtomTypes);
    params().parseAngleTable(lookup_tables::kAngles);
    params().parseDihedralTable(lookup_tables::kDihedrals);
  }

  // A torsion of four atom types and the barrier of the single-bond row it must find.
  struct BarrierCase {
    const char *type1, *type2, *type3, *type4;
    float barrier;
    const char* why;
  };

  // periodicity 0 leaves the periodicity unchecked.
  void expectBarriers(const std::vector<BarrierCase>& cases, float periodicity = 0.0f) {
    for (const BarrierCase& c : cases) {
      SCOPED_TRACE(c.why);
      DihedralParameters out;
      ASSERT_EQ(1, params().findDihedralParameters(c.type1, c.type2, c.type3, c.type4, 1, out));
      if (periodicity != 0.0f) {
        EXPECT_FLOAT_EQ(periodicity, out.periodicity);
      }
      EXPECT_FLOAT_EQ(c.barrier, out.barrier);
    }
  }
};

TEST_F(AngleDihedralLookup, AngleRowsByExactNameBaseTypeDummyEndAndCentreDefaultThenTheDefaultAngle) {
  struct Case {
    const char *type1, *centre, *type3;
    int result;
    float angle;   // -5 where a miss must leave the record alone
    const char* why;
  };
  const Case cases[] = {
      {"H", "CH3", "H", 1, 109.5f, "exact row"},
      {"C", "CE", "H", 1, 121.0f, "row written the other way round"},
      {"H", "CH2", "H", 1, 109.5f, "base types replace all three names"},
      {"H", "CH3", "DUM", 1, 109.5f, "a dummy end takes the centre's first plain row"},
      {"DUM", "OE", "H", 1, 111.0f, "OE has only its \"* OE *\" row"},
      {"H", "ZZ", "OH", 1, 100.0f, "a centre without atom type uses its own default row"},
      {"H", "YY", "OH", 0, -5.0f, "no row at all"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    AngleParameters out;
    out.angle = -5.0f;
    EXPECT_EQ(c.result, params().findAngle(c.type1, c.centre, c.type3, out));
    EXPECT_FLOAT_EQ(c.angle, out.angle);
  }
  // Without a row: the default angle from the bond count and the valence.
  EXPECT_FLOAT_EQ(180.0f, params().findDefaultAngle("C", 3, 4));
  EXPECT_FLOAT_EQ(104.5f, params().findDefaultAngle("O", 2, 2));
  EXPECT_FLOAT_EQ(120.0f, params().findDefaultAngle("C", 3, 3));
  EXPECT_FLOAT_EQ(109.5f, params().findDefaultAngle("C", 4, 4));
  EXPECT_FLOAT_EQ(109.5f, params().findDefaultAngle("H", 1, 1));
}

TEST_F(AngleDihedralLookup, TorsionRowsByAxisSuperTypesPairElementsAndTheAllStarRow) {
  struct Case {
    const char *type1, *type2, *type3, *type4;
    unsigned order;
    int result;
    float periodicity, phase, barrier;   // barrier -1 where a miss must leave the record alone
    const char* why;
  };
  const float pi = static_cast<float>(M_PI);
  const Case cases[] = {
      {"CH3", "CPAM", "NPAM", "CH3", 1, 1, 2, pi, 4.2f, "amide axis by the central super types"},
      {"H", "NPAM", "CPAM", "OPAM", 1, 1, 1, 0, 1.5f, "the axis's pair row wins for O=C-N-H"},
      {"OPAM", "CPAM", "NPAM", "H", 1, 1, 1, 0, 1.5f, "the pair row from the other end"},
      {"H", "CH3", "CH3", "H", 1, 1, 3, 0, 0.175f, "ethane is three-fold"},
      {"CL", "CH2", "CH3", "H", 1, 1, 1, 0, 0.7f, "end elements are upper-cased for pair rows"},
      {"A", "B", "C", "D", 2, 1, 2, pi, 5.2f, "unknown types go straight to the all-star row"},
      {"H", "CH3", "CH3", "H", 3, 0, 1, 0, -1.0f, "no row for the bond order"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    DihedralParameters out;
    out.barrier = -1.0f;
    EXPECT_EQ(c.result, params().findDihedralParameters(c.type1, c.type2, c.type3, c.type4,
                                                        c.order, out));
    EXPECT_FLOAT_EQ(c.periodicity, out.periodicity);
    EXPECT_NEAR(c.phase, out.phase, 1e-5);
    EXPECT_FLOAT_EQ(c.barrier, out.barrier);
  }
}

TEST_F(AngleDihedralLookup, AnAxisNamedByTheCentralTypesComesBeforeTheirSuperTypes) {
  // An aromatic carbon and an amine nitrogen share their super types with the amide's carbon and
  // nitrogen; their own axis, read after the amide's, still wins for them and only for them.
  params().parseAtomTypeTable("CA   CAH1 CSP2 C  12.011 0.86 -0.07 1.99 2.55 2.27 1\n"
                              "NH   NH   NSP3 N  14.007 0.8  -0.2  1.85 2.97 3.28 0\n");
  params().parseDihedralTable("AXIS CA   NH     1  2  180.0  1.3140\n"
                              "C    C           1  2  180.0  2.0000\n");
  expectBarriers({
      {"CH3", "CA", "NH", "H", 1.314f, "the type-named axis row"},
      {"CH3", "CA", "NH", "CH3", 2.0f, "its pair row"},
      {"CH3", "NH", "CA", "CH3", 2.0f, "its pair row from the other end"},
      {"CH3", "CPAM", "NPAM", "CH3", 4.2f, "other types of the same super types keep theirs"},
      {"CH3", "CA", "NPAM", "CH3", 4.2f, "one central type alone is not the axis"},
  }, 2.0f);
}

TEST_F(AngleDihedralLookup, APairRowMayNameAnEndBySuperTypeWhichComesBeforeItsElement) {
  // The amide's rows fitted to its carbonyl oxygen (OSP2) reached a carbamate's alkoxy oxygen
  // (OSP3) through the element, and left its C-N free to turn. A row keyed by the super type
  // serves only that oxygen; one keyed by the element (the fixture's "O H" row of this axis, 1.5)
  // still serves every oxygen it finds alone.
  params().parseDihedralTable("AXIS CSP2 NSP3   1  2  180.0  4.2000\n"
                              "OSP2 H           1  2  180.0  1.0700\n"
                              "O    CSP3        1  2  180.0  0.5000\n"
                              "AXIS CSP3 OSP3   1  3  0.0    0.1680\n"
                              "O    H           1  1  180.0  0.8000\n");
  expectBarriers({
      {"OPAM", "CPAM", "NPAM", "H", 1.07f, "the carbonyl oxygen by its super type"},
      {"H", "NPAM", "CPAM", "OPAM", 1.07f, "written from the other end"},
      {"OE", "CPAM", "NPAM", "H", 1.5f, "an alkoxy oxygen falls back to the element row"},
      {"OE", "CPAM", "NPAM", "CH3", 0.5f, "both ends: one by element, the other by super type"},
      {"OPAM", "CPAM", "NPAM", "CH3", 0.5f, "a super-type end without its row takes the element"},
      {"OH", "CH2", "OE", "H", 0.8f, "element rows of other axes are reached as before"},
  });
}

TEST_F(AngleDihedralLookup, TorsionTermsAreTheMatchedRowAndTheRowsRightAfterItWithItsKey) {
  params().parseDihedralTable("AXIS CSP3 OSP3 1 3 0.0 0.168\n"
                              "C    H        1 1 180.0 0.823\n"
                              "C    H        1 2 180.0 0.461\n"
                              "C    H        1 3 0.0   0.140\n"
                              "H    C        1 3 0.0   0.338\n"
                              "C    H        1 2 0.0   9.000\n");   // not adjacent: never reached
  std::vector<DihedralParameters> terms;
  // H-O-C-C, written from either end, finds the C...H pair row and its two followers.
  for (const auto& names : {std::vector<std::string>{"CH3", "CH2", "OH", "H"},
                            std::vector<std::string>{"H", "OH", "CH2", "CH3"}}) {
    ASSERT_EQ(1, params().findDihedralTerms(names[0], names[1], names[2], names[3], 1, terms));
    ASSERT_EQ(3u, terms.size());
    EXPECT_FLOAT_EQ(1.0f, terms[0].periodicity);
    EXPECT_FLOAT_EQ(2.0f, terms[1].periodicity);
    EXPECT_FLOAT_EQ(0.14f, terms[2].barrier);
  }
  // The single-row lookup still gives the first term.
  DihedralParameters first;
  ASSERT_EQ(1, params().findDihedralParameters("CH3", "CH2", "OH", "H", 1, first));
  EXPECT_FLOAT_EQ(0.823f, first.barrier);
  // An axis row stops at the first pair row; an unknown order gives nothing.
  ASSERT_EQ(1, params().findDihedralTerms("H", "CH2", "OE", "H", 1, terms));
  ASSERT_EQ(1u, terms.size());
  EXPECT_FLOAT_EQ(0.168f, terms[0].barrier);
  EXPECT_EQ(0, params().findDihedralTerms("H", "CH2", "OE", "H", 3, terms));
  EXPECT_TRUE(terms.empty());
}

TEST_F(AngleDihedralLookup, BaseTypeAxisNarrowsTheSuperTypeAxisForItsOwnPairsOnly) {
  params().parseDihedralTable("AXIS CSP3 CSP2 1 2 180.0 0.155\n"
                              "C    O        1 2 180.0 1.355\n"
                              "H    O        1 3 180.0 0.302\n"
                              "AXIS CH3  CCA  1 2 180.0 0.150\n"
                              "C    O        1 1 180.0 0.454\n"
                              "C    O        1 2 180.0 0.495\n");
  std::vector<DihedralParameters> terms;
  // C-C-C=O of an amide (sp3 carbons have the base type CH3, carbonyl carbons CCA), either way.
  for (const auto& names : {std::vector<std::string>{"CH3", "CH2", "CPAM", "OPAM"},
                            std::vector<std::string>{"OPAM", "CPAM", "CH2", "CH3"}}) {
    ASSERT_EQ(1, params().findDihedralTerms(names[0], names[1], names[2], names[3], 1, terms));
    ASSERT_EQ(2u, terms.size());
    EXPECT_FLOAT_EQ(0.454f, terms[0].barrier);
  }
  // An alkene carbon (base type CE) keeps the super-type row.
  ASSERT_EQ(1, params().findDihedralTerms("CH3", "CH2", "CE", "OH", 1, terms));
  ASSERT_EQ(1u, terms.size());
  EXPECT_FLOAT_EQ(1.355f, terms[0].barrier);
  // Ends the base-type axis does not list take the super-type pair rows first, then its axis row.
  ASSERT_EQ(1, params().findDihedralTerms("H", "CH2", "CPAM", "OPAM", 1, terms));
  EXPECT_FLOAT_EQ(0.302f, terms[0].barrier);
  ASSERT_EQ(1, params().findDihedralTerms("H", "CH2", "CPAM", "CH3", 1, terms));
  EXPECT_FLOAT_EQ(0.150f, terms[0].barrier);
}

// A torsion round a five-membered ring takes its central bond's axis alone: the AXIS row of the
// central atoms' own types, else of their base types, else of their super types, with the rows
// that extend its series, else the order's default; the ends are never looked at.
TEST_F(AngleDihedralLookup, AxisTermsAreTheNarrowestAxisRowWhateverTheEnds) {
  params().parseDihedralTable("AXIS CH3  CCA  1 2 180.0 0.150\n"
                              "AXIS CH3  CCA  1 3 0.0   0.060\n"
                              "C    O         1 1 180.0 0.454\n"
                              "AXIS CA   NH   1 2 180.0 1.314\n");
  struct Case {
    const char *type2, *type3;
    const char *axis2, *axis3;   // the central types of the row found
    std::vector<float> barriers;
    const char* why;
  };
  const Case cases[] = {
      {"CH2", "CPAM", "CH3", "CCA", {0.150f, 0.060f}, "base types, with the row extending it"},
      {"CPAM", "CH2", "CH3", "CCA", {0.150f, 0.060f}, "written the other way round"},
      {"CH2", "CH3", "CSP3", "CSP3", {0.175f}, "super types; the pair row after it is no term"},
      {"CA", "NH", "CA", "NH", {1.314f}, "the atoms' own types, without atom-type rows"},
      {"CH2", "CE", "*", "*", {0.175f}, "no axis of theirs: the order's default"},
      {"XX", "YY", "*", "*", {0.175f}, "unknown types: the order's default"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<DihedralParameters> terms;
    ASSERT_EQ(1, params().findDihedralAxisTerms(c.type2, c.type3, 1, terms));
    ASSERT_EQ(c.barriers.size(), terms.size());
    for (size_t t = 0; t < terms.size(); ++t) {
      EXPECT_EQ("*", terms[t].atom1);
      EXPECT_EQ(c.axis2, terms[t].atom2);
      EXPECT_EQ(c.axis3, terms[t].atom3);
      EXPECT_FLOAT_EQ(c.barriers[t], terms[t].barrier);
    }
  }
  std::vector<DihedralParameters> none(1);
  EXPECT_EQ(0, params().findDihedralAxisTerms("CH2", "CH2", 3, none));
  EXPECT_TRUE(none.empty());
}
