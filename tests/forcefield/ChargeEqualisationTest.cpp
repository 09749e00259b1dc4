// The charge-equalisation solvers: conservation, polarity, agreement between the iterative and
// the direct bond-transfer solutions, and the restore on a singular system.

#include <cmath>
#include <memory>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularSystem.h"
#include "math/UtilityEngine.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"

namespace {

std::unique_ptr<Molecule> water() {
  return fftest::buildMolecule("water",
                               {{"OK", "O", 0.0f, 0.0f, 0.0f},
                                {"H", "H", 0.757f, 0.586f, 0.0f},
                                {"H", "H", -0.757f, 0.586f, 0.0f}},
                               {{0, 1, 1, false}, {0, 2, 1, false}});
}

class ChargeSolvers : public ::testing::Test {
 protected:

  fftest::ScopedTables tables;
  kvtest::ErrorCapture errors;
  kvtest::ConsoleCapture capture;
  std::vector<std::string>& console = capture.lines;
};

double total(const std::vector<double>& charges) {
  return std::accumulate(charges.begin(), charges.end(), 0.0);
}

}  // namespace

TEST_F(ChargeSolvers, DirectSolversConserveChargeAndMakeOxygenNegative) {
  using Solver = void (MolecularSystem::*)();
  const Solver solvers[] = {&MolecularSystem::ChargeDistribution,
                            &MolecularSystem::ChargeDistributionMatInv,
                            &MolecularSystem::ChargeDistributionIter};
  for (auto build : {water, fftest::formaldehyde}) {
    std::vector<double> transfers;   // the direct and the iterative transfer solutions agree
    for (Solver solve : solvers) {
      std::unique_ptr<Molecule> m = build();
      MolecularSystem s(m.get());
      (s.*solve)();
      const int oxygen = m->getName() == "water" ? 0 : 1;
      EXPECT_NEAR(0.0, total(s.charges), 1e-12) << m->getName();
      EXPECT_LT(s.charges[oxygen], -0.1) << m->getName();
      if (solve != &MolecularSystem::ChargeDistribution) transfers.push_back(s.charges[oxygen]);
    }
    EXPECT_NEAR(transfers[0], transfers[1], 1e-4);
  }
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}

TEST_F(ChargeSolvers, IterationWithEqualPotentialsStopsAtOneUnchanged) {
  auto m = fftest::buildMolecule("dihydrogen", {{"H", "H", 0.0f, 0.0f, 0.0f}, {"H", "H", 0.74f, 0.0f, 0.0f}},
                                 {{0, 1, 1, false}});
  MolecularSystem s(m.get());
  s.charges = {0.125, 0.125};
  s.ChargeDistributionIter();
  EXPECT_EQ((std::vector<double>{0.125, 0.125}), s.charges);
  EXPECT_EQ((std::vector<std::string>{"Charge Distribution Achieved in     1 steps."}), console);

  s.ChargeDistributionExcl();
  EXPECT_EQ((std::vector<double>{0.125, 0.125}), s.charges);
  s.charges = {0.0, 0.0};
  EXPECT_EQ(0.0, s.Electronic());
}

TEST_F(ChargeSolvers, SingularSystemRestoresTheChargesAndNamesTheSolver) {
  // Two unbonded atoms without hardness: nothing couples the second atom to the first.
  auto m = fftest::buildMolecule("pair", {{"H", "H", 0.0f, 0.0f, 0.0f}, {"H", "H", 3.0f, 0.0f, 0.0f}}, {});
  MolecularSystem s(m.get());
  s.hardness = {0.0, 0.0};
  s.charges = {0.25, -0.25};
  s.ChargeDistribution();
  EXPECT_EQ((std::vector<double>{0.25, -0.25}), s.charges);
  ASSERT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find("MolecularSystem::ChargeDistribution:"));

  // Bonded atoms on top of each other: a zero distance in the equalising parameters.
  auto stacked = fftest::buildMolecule("stacked", {{"H", "H", 1.0f, 1.0f, 1.0f}, {"H", "H", 1.0f, 1.0f, 1.0f}},
                                       {{0, 1, 1, false}});
  MolecularSystem t(stacked.get());
  t.charges = {0.5, -0.5};
  t.ChargeDistributionOpt();
  EXPECT_EQ((std::vector<double>{0.5, -0.5}), t.charges);
  EXPECT_NE(std::string::npos, errors.text().find("MolecularSystem::ChargeDistributionOpt:"));
}

TEST_F(ChargeSolvers, EqualisingParametersGiveEqualChemicalPotentials) {
  for (auto solve : {&MolecularSystem::ChargeDistributionOpt, &MolecularSystem::ChargeDistributionPairOpt}) {
    auto m = fftest::formaldehyde();
    MolecularSystem s(m.get());   // starts from the bond-moment charges
    console.clear();
    (s.*solve)();
    ASSERT_EQ(5u, console.size());
    std::vector<double> potentials;
    for (size_t line = 1; line < console.size(); ++line) {
      std::istringstream row(console[line]);
      int index = 0;
      double mu = 0.0, q = 0.0;
      row >> index >> mu >> q;
      potentials.push_back(mu);
      EXPECT_NEAR(s.charges[line - 1], q, 1e-5);
    }
    for (double mu : potentials) EXPECT_NEAR(potentials[0], mu, 1e-4) << console[0];
    EXPECT_NEAR(0.0, total(s.charges), 1e-9);
  }
  auto m = fftest::formaldehyde();
  MolecularSystem s(m.get());
  std::vector<double> hardness(s.atomCount, -1.0);
  s.charges[2] = 0.0;
  s.calHardness(0, hardness.data());
  EXPECT_EQ(0.0, hardness[2]) << "an atom without charge";
  EXPECT_NE(0.0, hardness[1]);
}
