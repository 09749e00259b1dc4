// Loading: the line grammar every reader shares, bad rows, missing tables.

#include "ParameterFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

using TableLoading = ParameterFixture;

TEST_F(TableLoading, BlankCommentAndTrailingCommentLinesKeepOnlyValues) {
  params().parseBondTable(" \t \n"
                          "   // a whole comment line\n"
                          "H CH3 1 1.64920 1.10974 4.16395 0.37000 // trailing comment\n"
                          "H CH2 1 1.6 1.1 4.1 0.3 / a single slash also cuts\n"
                          "/ nothing but a slash comment\n");
  ASSERT_EQ(2u, params().bondParameters.size());
  EXPECT_FLOAT_EQ(0.37f, params().bondParameters[0]->bondMoment);
  EXPECT_EQ("CH2", params().bondParameters[1]->atom2);
}

TEST_F(TableLoading, SectionMarkersSetApproximated) {
  params().parseBondTable("#EXACT# //exact bond parameters after here\n"
                          "H CH3 1 1.6 1.1 4.1 0.3\n"
                          "#APPROXIMATED# //approximated bond parameters after this section\n"
                          "C O 1 1.6 1.4 3.6\n"
                          "#EXACT#\n"
                          "C N 1 1.6 1.4 3.6\n");
  const auto& rows = params().bondParameters;
  ASSERT_EQ(3u, rows.size());
  EXPECT_FALSE(rows[0]->approximated);
  EXPECT_TRUE(rows[1]->approximated);
  EXPECT_FALSE(rows[2]->approximated);
}

TEST_F(TableLoading, BondRowConvertsBohrAndDefaultsAMissingMoment) {
  params().parseBondTable("h ch3 1 1.64920 1.10974 4.16395\n"
                          "C C 1 1.7 1.5 3.6 0.0 9.9 8.8\n");
  const BondParameters& row = *params().bondParameters[0];
  EXPECT_EQ("H", row.atom1);
  EXPECT_EQ("CH3", row.atom2);
  EXPECT_NEAR(0.872427f, row.majorAxis, 1e-6f);
  EXPECT_FLOAT_EQ(1.10974f, row.distance);
  EXPECT_FLOAT_EQ(0.0f, row.bondMoment);
  EXPECT_FLOAT_EQ(0.0f, params().bondParameters[1]->bondMoment);
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
  EXPECT_FLOAT_EQ(0.0f, rows[0]->value5);
  EXPECT_FLOAT_EQ(0.0f, rows[0]->value6);
  EXPECT_FLOAT_EQ(180.0f, rows[1]->value5);
  EXPECT_FLOAT_EQ(90.0f, rows[1]->value6);
  EXPECT_FLOAT_EQ(-101.18f, rows[2]->angle);
}

TEST_F(TableLoading, PairRowTakesTheCentralTypesOfTheAxisAbove) {
  params().parseDihedralTable("c o 1 2 180.0 1.3550\n"
                              "AXIS CSP3 CSP2   1  2  180.0  0.1550\n"
                              "C    O           1  2  180.0  1.3550\n");
  const auto& rows = params().dihedralParameters;
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("", rows[0]->atom2);   // before any AXIS row
  EXPECT_EQ("", rows[0]->atom3);
  EXPECT_EQ("*", rows[1]->atom1);
  EXPECT_EQ("*", rows[1]->atom4);
  const DihedralParameters& pair = *rows[2];
  EXPECT_EQ("C", pair.atom1);
  EXPECT_EQ("CSP3", pair.atom2);
  EXPECT_EQ("CSP2", pair.atom3);
  EXPECT_EQ("O", pair.atom4);
  EXPECT_EQ(1u, pair.bondOrder);
  EXPECT_FLOAT_EQ(2.0f, pair.periodicity);
  EXPECT_NEAR(M_PI, pair.phase, 1e-5);
  EXPECT_FLOAT_EQ(1.355f, pair.barrier);
}

TEST_F(TableLoading, AtomTypeRowUpperCasesOnlyTypeAndSuperType) {
  params().parseAtomTypeTable(
      "//TYPE  BTYPE   STYPE   ELEMENT     MASS	 Radius\n"
      "br Br br Br 79.904 1.3 -0.1 2.2 2.96 3.0 0 1\n"
      "CH3 CH3 CSP3 C 12.01115 0.86359 -0.08 2.06 2.55 2.27054 0 4\n"
      "X9 X9 XSP3 C 12.0 0.8 -0.08 2.06 2.55\n");
  const auto& rows = params().atomTypeParameters;
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("BR", rows[0]->type);
  EXPECT_EQ("BR", rows[0]->stype);
  EXPECT_EQ("Br", rows[0]->btype);
  EXPECT_EQ("Br", rows[0]->element);
  EXPECT_FLOAT_EQ(-0.08f, rows[1]->vdwSig);
  EXPECT_FLOAT_EQ(2.06f, rows[1]->vdwR);
  EXPECT_FLOAT_EQ(2.27054f, rows[1]->hardness);
  EXPECT_FLOAT_EQ(0.0f, rows[2]->hardness);   // stops after its ninth column
  EXPECT_EQ(0u, rows[2]->piElectrons);
}

TEST_F(TableLoading, ElementRowListsValencesInFileOrder) {
  params().parseElementTable("c 4 2\nbr\nBr 1\n");
  const auto& rows = params().elementParameters;
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ("C", rows[0]->symbol);
  EXPECT_EQ(4, rows[0]->valence);
  EXPECT_EQ((std::vector<int>{4, 2}), rows[0]->valences);
  EXPECT_EQ(0, rows[1]->valence);
  EXPECT_EQ((std::vector<int>{0}), rows[1]->valences);
}

TEST_F(TableLoading, BondMomentAndHybridNamesKeepTheirCase) {
  params().parseBondMomentTable("H Cl 1 1.274600 1.108600\nH CSP2 1\n");
  params().parseHybridTypeTable("//type1 + type2 = type3 for fused rings\nCAPH cah1 CAPH\n");
  const auto& moments = params().bondMomentParameters;
  ASSERT_EQ(2u, moments.size());
  EXPECT_EQ("Cl", moments[0]->type2);
  EXPECT_FLOAT_EQ(1.1086f, moments[0]->moment);
  EXPECT_FLOAT_EQ(0.0f, moments[1]->distance);
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

TEST_F(TableLoading, EmagSectionsShortLinesAndLowerCaseHeaders) {
  params().parseEmagTable("C CE 1 -0.14803\n"   // before any header: a bond row
                          "abc\n"                // three characters: skipped
                          "angle\n"
                          "C CE CH3 -0.14803\n"
                          "Dihedral\n"
                          "C CEH1 CEH1 CH3 2 -0.14803\n"
                          "C CEH1 CEH1 CH3 9 -0.14803\n");
  EXPECT_EQ(1u, params().emagBondParameters.size());
  EXPECT_EQ(1u, params().emagAngleParameters.size());
  ASSERT_EQ(2u, params().emagDihedralParameters.size());
  EXPECT_EQ(9u, params().emagDihedralParameters[1]->bondOrder);
}

TEST(TableLoadingDeathTest, MissingTableEndsTheProcessWithStatusOne) {
  InputParameters tables{InputParameters::EmptyTables{}};
  EXPECT_EXIT(tables.readInBondTable(":/KestavorGUI/Resources/nosuchtable.txt"),
              ::testing::ExitedWithCode(1), "Error: failed to read bond parameters file");
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
