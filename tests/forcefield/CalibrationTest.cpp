// The calibration routines: molecule lists and the dipole test set.

#include <cmath>
#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularSystem.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"
#include "support/WorkingFolder.h"

namespace {

class Calibration : public ::testing::Test {
 protected:
  fftest::ScopedTables tables;
  kvtest::WorkingFolder folder;
  kvtest::ErrorCapture errors;
  kvtest::ConsoleCapture console{1};
};

}  // namespace

TEST_F(Calibration, FillOrderWritesTheAnnotatedListsAndTheErrorTable) {
  // Formaldehyde, ethane and ethene written by writeMolecule, with a comment and a stray line.
  tables.tables().parseBondMomentTable(
      "H C 1 1.094 0.37\nC O 2 1.22 2.3\nC C 1 1.54 0\nC C 2 1.34 0\nH H 1 0.74 0\nH O 1 0.96 0\n");
  folder.write("Library/.keep", "");
  for (auto build : {fftest::formaldehyde, fftest::ethane, fftest::ethene})
    EXPECT_EQ(0, MolecularSystem(build().get()).writeMolecule());
  folder.write("Library/molecules_backup.txt",
               "// three\n" + folder.read("Library/molecules.txt") + "STRAY line\n");
  folder.write("Library/dipole_exp.txt", "// name formula Debye\nformaldehyde gas\tCH2O 2.33\n\nethane C2H6 0.0\n ethene  C2H4\t0.5 \n");
  MolecularSystem(fftest::ethane().get()).fillOrder();

  EXPECT_EQ(0u, folder.read("Library/molecules_order.txt")
                    .rfind("Molecule     1 [formaldehyde gas] CH2O      2.33000     4     3\nATOM CK  ", 0));
  const std::vector<std::string> table = kvtest::linesOf(folder.read("Library/dipolemoment.txt"));
  ASSERT_EQ(5u, table.size());
  double squares = 0.0, dipoles[3];
  for (int row = 0; row < 3; ++row) {
    std::istringstream in(table[row + 1].substr(table[row + 1].find(']') + 1));
    std::string formula;
    double experimental = 0, error = 0;
    in >> formula >> experimental >> dipoles[row] >> error;
    EXPECT_NEAR(experimental != 0.0 ? 100.0 * (dipoles[row] - experimental) / experimental : 0.0, error, 1e-3);
    squares += error * error;
  }
  EXPECT_GT(dipoles[0], 1.0) << "formaldehyde has a bond dipole";
  EXPECT_NEAR(0.0, dipoles[1], 1e-4) << "ethane has none";
  double deviation = 0.0;
  ASSERT_EQ(1, std::sscanf(table[4].c_str(), "Standard Deviation: %lf percent.", &deviation)) << table[4];
  EXPECT_NEAR(std::sqrt(squares / 3.0), deviation, 1e-3);
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}

// A list written with single bonds only gets its double and triple bonds from the super types
// ("CSP2" and "OSP2" one order more, "CSP" two); a bond the bond table lacks is reported, and so
// is a pair without a bond moment.
TEST_F(Calibration, FillOrderGivesSingleBondListsTheirMultipleBondsAndReportsMissingRows) {
  tables.tables().parseAtomTypeTable("CT CT CSP C 12.01115 1.30 -0.09 1.85 6.0 5.1 2 4\n");
  tables.tables().parseBondMomentTable("H C 1 1.094 0.37\nC O 2 1.22 2.3\nH O 1 0.96 0\n"
                                       "H H 1 0.74 0\n");
  folder.write("Library/molecules_backup.txt",
               "Molecule     4     3\n"
               "ATOM CK 0 0 0\nATOM OK 1.22 0 0\nATOM H -0.55 0.94 0\nATOM H -0.55 -0.94 0\n"
               "BOND 0 0 1 1\nBOND 1 0 2 1\nBOND 2 0 3 1\n\n"
               "Molecule     4     3\n"
               "ATOM H -1.66 0 0\nATOM CT -0.6 0 0\nATOM CT 0.6 0 0\nATOM H 1.66 0 0\n"
               "BOND 0 0 1 1\nBOND 1 1 2 1\nBOND 2 2 3 1\n\n");
  folder.write("Library/dipole_exp.txt", "formaldehyde CH2O 2.33\nethyne C2H2 0.0\n");
  MolecularSystem(fftest::ethane().get()).fillOrder();

  const std::vector<std::string> order = kvtest::linesOf(folder.read("Library/molecules_order.txt"));
  ASSERT_EQ(18u, order.size());
  EXPECT_EQ("BOND     0     0     1     2", order[5]) << "C=O";
  EXPECT_EQ("BOND     1     0     2     1", order[6]);
  EXPECT_EQ("BOND     1     1     2     3", order[15]) << "C#C";
  EXPECT_EQ("BOND     2     2     3     1", order[16]);
  // The fixture's bond table has no row for the alkyne's three bonds, and the moment table none
  // for its triple bond.
  EXPECT_EQ(std::vector<std::string>(4, "Cannot find this bond."), errors.lines);
}
