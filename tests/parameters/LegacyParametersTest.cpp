// The older type-table reader and its topology holder.

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "math/UtilityEngine.h"
#include "parameters/Parameters.h"
#include "parameters/Topology.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"
#include "support/WorkingFolder.h"

namespace {

class LegacyParameters : public ::testing::Test {
 protected:

  kvtest::WorkingFolder folder;
  kvtest::ErrorCapture errors;
  kvtest::ConsoleCapture capture;
  std::vector<std::string>& console = capture.lines;
};

}  // namespace

TEST_F(LegacyParameters, CommentsEndLinesAndCommentOnlyLinesAreNotRecords) {
  std::istringstream bonds(
      "// type1 type2 order k distance x\n"
      "   \t \n"
      "C3 H 1 340.0 1.09 0.0 // methyl C-H\n"
      "C3 C3 1 // the rest is a comment\n"
      "C2 O2 2 570.0 1.229 0.0 extra columns\n");
  Parameters& p = *Parameters::instance();
  p.ReadBondType(bonds);
  ASSERT_EQ(3, p.bondTypeCount);
  ASSERT_EQ(3u, p.bondTypes.size());
  EXPECT_EQ("H", p.bondTypes[0].type2);
  EXPECT_DOUBLE_EQ(1.09, p.bondTypes[0].distance) << "the fifth column is the distance";
  EXPECT_DOUBLE_EQ(100.0, p.bondTypes[0].forceConstant) << "never read from the file";
  EXPECT_DOUBLE_EQ(1.229, p.bondTypes[2].distance);

  // The three-column line keeps the constructor's distance, not the line before's, and is
  // reported.
  EXPECT_EQ(1u, p.bondTypes[1].order);
  EXPECT_DOUBLE_EQ(1.0, p.bondTypes[1].distance);
  ASSERT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find("C3 C3 1"));
}

TEST_F(LegacyParameters, AnglesAreStoredInRadiansFromSinglePrecisionPi) {
  std::istringstream angles("X C1 X 180.0\nH C3 H 109.47\nH O H\n");
  Parameters& p = *Parameters::instance();
  p.ReadAngleType(angles);
  ASSERT_EQ(3, p.angleTypeCount);
  EXPECT_EQ(3.1415927410125732, p.angleTypes[0].angle);
  EXPECT_DOUBLE_EQ(109.47 * 3.1415927410125732 / 180.0, p.angleTypes[1].angle);
  EXPECT_EQ(109.5, p.angleTypes[2].angle) << "a missing angle keeps the unconverted default";
  EXPECT_EQ(55.0, p.angleTypes[2].forceConstant);
}

TEST_F(LegacyParameters, ConstructorReadsTheLibraryFilesAndNamesTheMissingOne) {
  folder.write("Library/supertype.txt", "C3 CSP3 C 12.011\nH H H 1.008\n");
  folder.write("Library/bondparameters.txt", "C3 H 1 340.0 1.09 0.0\n");
  Parameters p;
  EXPECT_EQ(2, p.atomTypeCount);
  EXPECT_EQ("CSP3", p.atomTypes[0].word2);
  EXPECT_DOUBLE_EQ(12.011, p.atomTypes[0].value1);
  EXPECT_EQ(0.0, p.atomTypes[0].value2);
  EXPECT_EQ(1, p.bondTypeCount);
  EXPECT_EQ(0, p.angleTypeCount);
  EXPECT_EQ((std::vector<std::string>{"CANNOT OPEN FILE: Library/angleparameters.txt!",
                                      "Parameters:     2    1    0"}),
            console);
}

TEST(LegacyBondRecord, IsBondKnowsOrientationAndOrder) {
  TBond bond;
  bond.setTBond("C3", "O2");
  bond.order = 2;
  EXPECT_EQ(1, bond.IsBond(2, "C3", "O2"));
  EXPECT_EQ(-1, bond.IsBond(2, "O2", "C3"));
  EXPECT_EQ(0, bond.IsBond(1, "C3", "O2"));
  EXPECT_EQ(0, bond.IsBond(2, "C3", "C3"));
}

TEST(LegacyTopology, FindsTheFirstAtomByItsFirstName) {
  Topology topology;
  topology.setTopology(3, 2);
  topology.atomNames[1] = {"CA", "C1"};
  topology.atomNames[2] = {"CA"};
  EXPECT_EQ(1u, topology.getTopAtomId("CA"));
  EXPECT_EQ(3u, topology.getTopAtomId("C1")) << "only the first name counts";
  EXPECT_EQ(3u, topology.getTopAtomId("N"));
  EXPECT_EQ(2u, topology.bondData3.size());
}
