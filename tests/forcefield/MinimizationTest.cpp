// Adopted-basis Newton-Raphson and its symmetric eigen-solver.
#include "forcefield/Minimization.h"
#include "forcefield/OptimiserFixture.h"

#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using fftest::OptimiserTest;
class Abnr : public OptimiserTest {};

struct Square {
  explicit Square(int n) : block(static_cast<size_t>(n) * n), rows(n) {
    for (int i = 0; i < n; ++i) rows[i] = block.data() + static_cast<size_t>(i) * n;
  }
  std::vector<double> block;
  std::vector<double*> rows;
};

bool allFinite(const MolecularSystem& system) {
  for (const SSEVector4f& p : system.coordinates)
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  return std::isfinite(system.lastEnergy) && std::isfinite(system.lastGradient);
}

}  // namespace

TEST(EigenSolver, SymmetricMatricesGiveAscendingValuesAndOrthonormalVectors) {
  // Random matrices of orders 1 to 9, and ones with repeated values.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-5.0, 5.0);
  std::vector<std::vector<std::vector<double>>> matrices = {
      {{3, 0, 0}, {0, -1, 0}, {0, 0, 3}}, {{2, 0}, {0, 2}}, {{2, 1, 1}, {1, 2, 1}, {1, 1, 2}}};
  for (int n = 1; n <= 9; ++n)
    for (int trial = 0; trial < 5; ++trial) {
      std::vector<std::vector<double>> m(n, std::vector<double>(n));
      for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) m[i][j] = m[j][i] = value(random);
      matrices.push_back(m);
    }
  Minimization minimization;
  for (const auto& original : matrices) {
    const int n = static_cast<int>(original.size());
    Square a(n), z(n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) a.rows[i][j] = original[i][j];
    std::vector<double> lambda(n), work(n);
    int size = n, job = 11, rows = n, ier = -1;
    minimization.Diagonalization(a.rows.data(), size, job, lambda.data(), z.rows.data(), rows,
                                 work.data(), ier);
    ASSERT_EQ(0, ier);
    EXPECT_TRUE(std::is_sorted(lambda.begin(), lambda.end())) << "n " << n;
    for (int p = 0; p < n; ++p) {
      for (int q = 0; q < n; ++q) {
        double overlap = 0.0;
        for (int i = 0; i < n; ++i) overlap += z.rows[i][p] * z.rows[i][q];
        EXPECT_NEAR(p == q ? 1.0 : 0.0, overlap, 1e-10);
      }
      for (int i = 0; i < n; ++i) {   // column p is an eigenvector of lambda p
        double product = 0.0;
        for (int k = 0; k < n; ++k) product += original[i][k] * z.rows[k][p];
        EXPECT_NEAR(lambda[p] * z.rows[i][p], product, 1e-9);
      }
    }
  }
}

TEST_F(Abnr, TakesDistortedEthaneAndCyclohexaneToAMinimumWhereItStays) {
  std::vector<std::unique_ptr<Molecule>> molecules;
  molecules.push_back(fftest::ethane());
  molecules.push_back(fftest::cyclohexane());
  for (auto& molecule : molecules) {
    MolecularSystem system(molecule.get());
    fftest::distort(system.coordinates, 0.15f);
    const double before = system.EnergyForce();
    ASSERT_GT(fftest::rmsGradient(system), 1.0);   // far from the minimum, so the test can fail
    Minimization minimization;
    minimization.maxSteps = 500;
    const double after = minimization.AdoptedBasisNewtonRaphson(&system);
    EXPECT_LT(after, before) << molecule->getName();
    EXPECT_LT(system.lastGradient, 0.01) << molecule->getName();
    EXPECT_EQ(MolecularSystem::OptimiserStop::Converged, system.lastStop);
    // The returned energy, lastEnergy, lastGradient and the coordinates agree.
    EXPECT_EQ(after, system.lastEnergy);
    EXPECT_DOUBLE_EQ(after, system.EnergyForce());
    EXPECT_NEAR(system.lastGradient, fftest::rmsGradient(system), 1e-9);
    // A run from the minimum stays there.
    const std::vector<SSEVector4f> minimum = system.coordinates;
    EXPECT_NEAR(after, minimization.ABNR(&system), 1e-5);
    EXPECT_LT(system.lastGradient, 0.01);
    for (size_t a = 0; a < minimum.size(); ++a)
      EXPECT_NEAR(0.0f, (minimum[a] - system.coordinates[a]).length(), 1e-3) << a;
  }
}

TEST_F(Abnr, OneAtomLowersTheBasisToThreeAndGivesNoNaN) {
  auto single = fftest::buildMolecule("carbon", {{"CH3", "C", 1.0f, 2.0f, 3.0f}}, {});
  MolecularSystem system(single.get());
  Minimization minimization;
  const double energy = minimization.ABNR(&system);
  EXPECT_EQ(3, minimization.basisSize);
  EXPECT_EQ(0.0, energy);
  EXPECT_TRUE(allFinite(system));
  EXPECT_EQ(3.0f, system.coordinates[0].z);

  kvtest::ErrorCapture errors;
  MolecularSystem empty(nullptr);
  EXPECT_EQ(0.0, minimization.ABNR(&empty));
  EXPECT_EQ(0.0, minimization.ABNR(nullptr));
  EXPECT_NE(std::string::npos, errors.text().find("No molecule")) << errors.text();
}

TEST_F(Abnr, ConsoleOutputFollowsTheVerbosity) {
  auto run = [this](int level) {
    console.clear();
    setVerbosity(level);
    auto molecule = fftest::ethane();
    MolecularSystem system(molecule.get());
    fftest::distort(system.coordinates, 0.1f);
    Minimization minimization;
    minimization.ABNR(&system);
  };
  run(0);
  EXPECT_TRUE(console.empty());

  run(1);
  ASSERT_EQ(4u, console.size());
  EXPECT_EQ("Minimization using Adopted-Basis Newton Raphson.", console[0]);
  EXPECT_EQ("Step        Function      Gradient", console[2]);
  const int steps = std::stoi(console[1].substr(25, 5));
  EXPECT_GT(steps, 0);

  run(2);
  // Heading, header, the start row, one row per step, and the three closing lines.
  EXPECT_EQ(static_cast<size_t>(steps) + 6, console.size());
}

TEST_F(Abnr, RunsOnPastTheStepLimitWhileFarFromConvergenceButStopsWhenItsEvaluationsAreSpent) {
  auto molecule = fftest::cyclohexane();
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.2f);
  const std::vector<SSEVector4f> distorted = system.coordinates;
  const double start = system.EnergyForce();
  setVerbosity(1);
  auto stepsOfARun = [&](Minimization& minimization) {
    console.clear();
    const double end = minimization.ABNR(&system);
    EXPECT_LT(end, start);
    EXPECT_NEAR(end, system.EnergyForce(), 1e-3);
    EXPECT_GT(system.lastGradient, 10.0 * minimization.gradientTolerance);   // still far
    EXPECT_EQ(4u, console.size());
    return console.size() > 1 ? std::stoi(console[1].substr(25, 5)) : -1;
  };
  Minimization limited;
  limited.maxSteps = 3;
  const int steps = stepsOfARun(limited);
  EXPECT_GT(steps, limited.maxSteps);
  EXPECT_LE(steps, 2 * limited.maxSteps);
  // Stopped, not converged: the run says which limit ended it.
  EXPECT_EQ(MolecularSystem::OptimiserStop::StepLimit, system.lastStop);

  system.coordinates = distorted;
  Minimization budget;
  budget.maxSteps = 500;
  budget.maxEvaluations = 6;   // the start point and five steps
  EXPECT_EQ(5, stepsOfARun(budget));
  EXPECT_EQ(0, budget.maxEvaluations);
  EXPECT_EQ(MolecularSystem::OptimiserStop::EvaluationLimit, system.lastStop);
}
