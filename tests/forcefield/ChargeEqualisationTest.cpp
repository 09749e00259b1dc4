// The charge-equalisation solvers: conservation, polarity, agreement between the iterative and
// the direct bond-transfer solutions.

#include <numeric>

#include <gtest/gtest.h>

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularSystem.h"
#include "support/ConsoleCapture.h"
#include "support/ErrorCapture.h"

namespace {

using fftest::buildMolecule;

std::unique_ptr<Molecule> water() {
  return buildMolecule("water", {{"OK", "O", 0, 0, 0}, {"H", "H", 0.757f, 0.586f, 0}, {"H", "H", -0.757f, 0.586f, 0}},
                       {{0, 1, 1, false}, {0, 2, 1, false}});
}

double total(const std::vector<double>& charges) { return std::accumulate(charges.begin(), charges.end(), 0.0); }

class ChargeSolvers : public ::testing::Test {
 protected:
  fftest::ScopedTables tables;
  kvtest::ErrorCapture errors;
  kvtest::ConsoleCapture console{1};
};

}  // namespace

TEST_F(ChargeSolvers, DirectSolversConserveChargeAndMakeOxygenNegative) {
  for (auto build : {water, fftest::formaldehyde}) {
    std::vector<double> oxygen;
    for (auto solve : {&MolecularSystem::ChargeDistribution, &MolecularSystem::ChargeDistributionMatInv,
                       &MolecularSystem::ChargeDistributionIter}) {
      std::unique_ptr<Molecule> m = build();
      MolecularSystem s(m.get());
      (s.*solve)();
      oxygen.push_back(s.charges[m->getName() == "water" ? 0 : 1]);
      EXPECT_NEAR(0.0, total(s.charges), 1e-12) << m->getName();
      EXPECT_LT(oxygen.back(), -0.1) << m->getName();
    }
    EXPECT_NEAR(oxygen[1], oxygen[2], 1e-4) << "one bond-transfer solution, direct or iterated";
  }
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}
