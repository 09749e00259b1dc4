// The older type-table reader.

#include <gtest/gtest.h>

#include "parameters/Parameters.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"
#include "support/WorkingFolder.h"

namespace {

class LegacyParameters : public ::testing::Test {
 protected:
  kvtest::WorkingFolder folder;
  kvtest::ErrorCapture errors;
  kvtest::ConsoleCapture console{1};
};

}  // namespace

TEST_F(LegacyParameters, ConstructorReadsTheLibraryFilesAndNamesTheMissingOne) {
  folder.write("Library\\supertype.txt", "C3 CSP3 C 12.011\n");
  folder.write("Library\\bondparameters.txt",
               "// type1 type2 order k distance x\n   \t \nC3 H 1 340.0 1.09 0.0 // C-H\n"
               "C3 C3 1 // the rest is a comment\nC2 O2 2 570.0 1.229 0.0 extra\n");
  Parameters p;
  ASSERT_EQ(1, p.atomTypeCount);
  EXPECT_EQ("CSP3", p.atomTypes[0].word2);
  EXPECT_EQ(12.011, p.atomTypes[0].value1);
  ASSERT_EQ(3, p.bondTypeCount);
  EXPECT_EQ(1.09, p.bondTypes[0].distance) << "the fifth column is the distance";
  EXPECT_EQ(100.0, p.bondTypes[0].forceConstant) << "never read from the file";
  EXPECT_EQ(1.229, p.bondTypes[2].distance);
  // The short line keeps the constructor's distance, not the line before's, and is reported.
  EXPECT_EQ(1u, p.bondTypes[1].order);
  EXPECT_EQ(1.0, p.bondTypes[1].distance);
  ASSERT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find("C3 C3 1"));
  EXPECT_EQ(1, p.bondTypes[0].IsBond(1, "C3", "H"));
  EXPECT_EQ(-1, p.bondTypes[0].IsBond(1, "H", "C3"));
  EXPECT_EQ(0, p.bondTypes[0].IsBond(2, "C3", "H"));
  EXPECT_EQ((std::vector<std::string>{"CANNOT OPEN FILE: Library\\angleparameters.txt!",
                                      "Parameters:     1    3    0"}),
            console.lines);
}
