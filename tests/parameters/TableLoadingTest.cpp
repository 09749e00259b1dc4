// Loading: the line grammar every reader shares, bad rows, missing tables.

#include "ParameterFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

using TableLoading = ParameterFixture;

TEST_F(TableLoading, BondRowsDropCommentsFollowSectionMarkersAndConvertBohr) {
  params().parseBondTable(" \t \n"
                          "   // a whole comment line\n"
                          "h ch3 1 1.64920 1.10974 4.16395 // trailing comment, no moment\n"
                          "#APPROXIMATED# //approximated bond parameters after this section\n"
                          "H CH2 1 1.6 1.1 4.1 0.3 / a single slash also cuts\n"
                          "/ nothing but a slash comment\n"
                          "#EXACT#\n"
                          "C C 1 1.7 1.5 3.6 0.25 9.9 8.8\n");
  const auto& rows = params().bondParameters;
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("H", rows[0]->atom1);
  EXPECT_EQ("CH3", rows[0]->atom2);
  EXPECT_NEAR(0.872427f, rows[0]->majorAxis, 1e-6f);
  EXPECT_FLOAT_EQ(1.10974f, rows[0]->distance);
  EXPECT_FLOAT_EQ(0.0f, rows[0]->bondMoment);
  EXPECT_FLOAT_EQ(0.3f, rows[1]->bondMoment);
  EXPECT_FLOAT_EQ(0.25f, rows[2]->bondMoment);
  EXPECT_EQ((std::vector<bool>{false, true, false}),
            (std::vector<bool>{rows[0]->approximated, rows[1]->approximated,
                               rows[2]->approximated}));
}

TEST_F(TableLoading, TextWhereANumberBelongsIsReportedAndSkipped) {
  std::string err = stderrOf([this] {
    params().parseBondTable("H CH3 x1 1.6 1.1 4.1\n"
                            "H CH3 1 1.6 1.1 4.1abc\n"
                            "H CH2 1 1.6 1.1 4.1\n");
    params().parseAngleTable("H CH3 H ten\n");
    params().parseElementTable("C 4 two\n");
    params().parseDihedralTable("AXIS CSP3 CSP3 1 3 zero 0.175\n");
  });
  ASSERT_EQ(1u, params().bondParameters.size());
  EXPECT_EQ("CH2", params().bondParameters[0]->atom2);
  EXPECT_TRUE(params().angleParameters.empty());
  EXPECT_TRUE(params().elementParameters.empty());
  EXPECT_TRUE(params().dihedralParameters.empty());
  EXPECT_NE(std::string::npos, err.find("Error: InputParameters::readInBondTable: bad number \"X1\""));
  EXPECT_NE(std::string::npos, err.find("\"4.1ABC\""));
}

TEST_F(TableLoading, AngleRowKeepsOptionalAnglesAndNegativeValues) {
  params().parseAngleTable("// ATOM1  ATOM2  ATOM3  ANGLE\n"
                           "h ch3 h 109.500\n"
                           "CCO COM CCO 120.000 180.000 90.000\n"
                           "CAH1 VM CAH1 -101.18 37.0\n");
  const auto& rows = params().angleParameters;
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("CH3", rows[0]->centre);
  EXPECT_EQ((std::vector<float>{0.0f, 0.0f, 180.0f, 90.0f}),
            (std::vector<float>{rows[0]->value5, rows[0]->value6, rows[1]->value5,
                                rows[1]->value6}));
  EXPECT_FLOAT_EQ(-101.18f, rows[2]->angle);
}

TEST_F(TableLoading, PairRowTakesTheCentralTypesOfTheAxisAbove) {
  params().parseDihedralTable("c o 1 2 180.0 1.3550\n"
                              "AXIS CSP3 CSP2   1  2  180.0  0.1550\n"
                              "C    O           1  2  180.0  1.3550\n");
  const auto& rows = params().dihedralParameters;
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("", rows[0]->atom2 + rows[0]->atom3);   // before any AXIS row
  EXPECT_EQ("* *", rows[1]->atom1 + " " + rows[1]->atom4);
  const DihedralParameters& pair = *rows[2];
  EXPECT_EQ("C CSP3 CSP2 O", pair.atom1 + " " + pair.atom2 + " " + pair.atom3 + " " + pair.atom4);
  EXPECT_EQ(1u, pair.bondOrder);
  EXPECT_FLOAT_EQ(2.0f, pair.periodicity);
  EXPECT_NEAR(M_PI, pair.phase, 1e-5);
  EXPECT_FLOAT_EQ(1.355f, pair.barrier);
}

TEST_F(TableLoading, TypeElementMomentAndHybridRowsUpperCaseOnlyTheirKeys) {
  params().parseAtomTypeTable(
      "//TYPE  BTYPE   STYPE   ELEMENT     MASS	 Radius\n"
      "br Br br Br 79.904 1.3 -0.1 2.2 2.96 3.0 0 1\n"
      "X9 X9 XSP3 C 12.0 0.8 -0.08 2.06 2.55\n");
  const auto& types = params().atomTypeParameters;
  ASSERT_EQ(2u, types.size());
  EXPECT_EQ("BR Br BR Br", types[0]->type + " " + types[0]->btype + " " + types[0]->stype + " " +
                               types[0]->element);
  const AtomTypeParameters& br = *types[0];
  EXPECT_EQ((std::vector<float>{79.904f, 1.3f, -0.1f, 2.2f, 2.96f, 3.0f}),
            (std::vector<float>{br.mass, br.radius, br.vdwSig, br.vdwR, br.negativity,
                                br.hardness}));
  EXPECT_FLOAT_EQ(0.0f, types[1]->hardness);   // stops after its ninth column
  EXPECT_EQ(0u, types[1]->piElectrons);

  params().parseElementTable("c 4 2\nbr\n");
  const auto& elements = params().elementParameters;
  ASSERT_EQ(2u, elements.size());
  EXPECT_EQ("C", elements[0]->symbol);
  EXPECT_EQ(4, elements[0]->valence);
  EXPECT_EQ((std::vector<int>{4, 2}), elements[0]->valences);
  EXPECT_EQ((std::vector<int>{0}), elements[1]->valences);

  params().parseBondMomentTable("H Cl 1 1.274600 1.108600\nH CSP2 1\n");
  params().parseHybridTypeTable("//type1 + type2 = type3 for fused rings\nCAPH cah1 CAPH\n");
  const auto& moments = params().bondMomentParameters;
  ASSERT_EQ(2u, moments.size());
  EXPECT_EQ("Cl", moments[0]->type2);
  EXPECT_FLOAT_EQ(1.1086f, moments[0]->moment);
  EXPECT_FLOAT_EQ(0.0f, moments[1]->moment);
  ASSERT_EQ(1u, params().hybridAtomTypes.size());
  EXPECT_EQ("cah1", params().hybridAtomTypes[0]->type2);
}

TEST_F(TableLoading, BondOrderRowWithSixTokensIsReportedAndStillRead) {
  std::string err = stderrOf([this] { params().parseBondOrderTable("c c 2 1.25 1.45 extra\n"); });
  EXPECT_EQ("readInBondOrderTable : Error in line : c c 2 1.25 1.45 extra\n", err);
  ASSERT_EQ(1u, params().bondOrderParameters.size());
  const BondOrderParameters& row = *params().bondOrderParameters[0];
  EXPECT_EQ("C", row.element1);
  EXPECT_EQ(2, row.bondOrder);
  EXPECT_FLOAT_EQ(1.25f, row.minDistance);
  EXPECT_FLOAT_EQ(1.45f, row.maxDistance);
}

TEST(TableLoadingDeathTest, MissingTableStopsBeforeAnyLaterTable) {
  // Only the bond table exists: the angle table is the one that ends the process.
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QFile bond(folder.filePath("bondparameters.txt"));
  ASSERT_TRUE(bond.open(QIODevice::WriteOnly));
  bond.write("H CH3 1 1.6 1.1 4.1\n");
  bond.close();
  std::string prefix = (folder.path() + "/").toStdString();
  InputParameters tables{InputParameters::EmptyTables{}};
  EXPECT_EXIT(tables.loadTables(prefix), ::testing::ExitedWithCode(1),
              "^Error: failed to read angle parameters file\n$");
}
