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

TEST(EigenSolver, RandomSymmetricMatricesGiveAscendingValuesAndOrthonormalVectors) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-5.0, 5.0);
  Minimization minimization;
  for (int n = 1; n <= 9; ++n) {
    for (int trial = 0; trial < 5; ++trial) {
      Square a(n), original(n), z(n);
      for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) a.rows[i][j] = a.rows[j][i] = value(random);
      original.block = a.block;
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
          for (int k = 0; k < n; ++k) product += original.rows[i][k] * z.rows[k][p];
          EXPECT_NEAR(lambda[p] * z.rows[i][p], product, 1e-9);
        }
      }
    }
  }
}

TEST(EigenSolver, DegenerateValuesAndModeCodes) {
  Minimization minimization;
  // A diagonal matrix with a repeated value: the values come out sorted, vectors stay unit.
  double packed[] = {0.0, 3.0, 0.0, -1.0, 0.0, 0.0, 3.0};   // one-based lower triangle
  double d[4] = {0}, wk[8] = {0};
  double zBlock[4][4] = {};
  double* z[4] = {zBlock[0], zBlock[1], zBlock[2], zBlock[3]};
  int n = 3, job = 2, iz = 3, ier = -1;
  minimization.EIGRS(packed, n, job, d, z, iz, wk, ier);
  EXPECT_EQ(0, ier);
  EXPECT_DOUBLE_EQ(-1.0, d[1]);
  EXPECT_DOUBLE_EQ(3.0, d[2]);
  EXPECT_DOUBLE_EQ(3.0, d[3]);
  EXPECT_LT(wk[1], 1.0);   // the performance index of a good decomposition

  double again[] = {0.0, 2.0, 1.0, 2.0};
  job = 4;   // not a mode: reported, then taken as values and vectors
  n = 2;
  minimization.EIGRS(again, n, job, d, z, iz, wk, ier);
  EXPECT_EQ(66, ier);
  EXPECT_NEAR(1.0, d[1], 1e-12);
  EXPECT_NEAR(3.0, d[2], 1e-12);
  double third[] = {0.0, 2.0, 1.0, 2.0};
  job = 1;
  iz = 1;   // too few eigenvector rows: values only
  minimization.EIGRS(third, n, job, d, z, iz, wk, ier);
  EXPECT_EQ(67, ier);
  EXPECT_NEAR(3.0, d[2], 1e-12);
}

TEST_F(Abnr, TakesDistortedEthaneAndCyclohexaneToAMinimum) {
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
    // The returned energy, lastEnergy, lastGradient and the coordinates agree.
    EXPECT_EQ(after, system.lastEnergy);
    EXPECT_DOUBLE_EQ(after, system.EnergyForce());
    EXPECT_NEAR(system.lastGradient, fftest::rmsGradient(system), 1e-9);
    for (const SSEVector4f& p : system.coordinates) EXPECT_EQ(1.0f, p.w);
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
  EXPECT_EQ(1.0f, system.coordinates[0].x);
  EXPECT_EQ(3.0f, system.coordinates[0].z);

  kvtest::ErrorCapture errors;
  MolecularSystem empty(nullptr);
  EXPECT_EQ(0.0, minimization.ABNR(&empty));
  EXPECT_EQ(0.0, minimization.ABNR(nullptr));
  EXPECT_NE(std::string::npos, errors.text().find("No molecule")) << errors.text();
}

TEST_F(Abnr, ARunFromAMinimumStaysThere) {
  auto molecule = fftest::ethane();
  MolecularSystem system(molecule.get());
  Minimization minimization;
  minimization.maxSteps = 500;
  minimization.gradientTolerance = 1e-4;
  const double first = minimization.ABNR(&system);
  ASSERT_LT(system.lastGradient, 1e-4);
  const std::vector<SSEVector4f> minimum = system.coordinates;
  minimization.gradientTolerance = 0.001;
  setVerbosity(1);
  const double second = minimization.ABNR(&system);
  EXPECT_NEAR(first, second, 1e-5);
  EXPECT_LT(system.lastGradient, 0.001);
  EXPECT_TRUE(allFinite(system));
  for (size_t a = 0; a < minimum.size(); ++a)
    EXPECT_NEAR(minimum[a].x, system.coordinates[a].x, 1e-3);
  EXPECT_EQ(4u, console.size());
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
  EXPECT_EQ(0u, console[1].find("Minimization finished in "));
  EXPECT_EQ(" steps.", console[1].substr(console[1].size() - 7));
  EXPECT_EQ("Step        Function      Gradient", console[2]);
  EXPECT_EQ(32u, console[3].size());   // "%6d %12.5f %12.5f"
  const int steps = std::stoi(console[1].substr(25, 5));
  EXPECT_GT(steps, 0);

  run(2);
  // Heading, header, the start row, one row per step, and the three closing lines.
  ASSERT_EQ(static_cast<size_t>(steps) + 6, console.size());
  EXPECT_EQ("Step        Function      Gradient", console[1]);
  EXPECT_EQ("     0", console[2].substr(0, 6));
  EXPECT_EQ("     1", console[3].substr(0, 6));
}

TEST_F(Abnr, RunsOnPastTheStepLimitWhileFarFromConvergence) {
  auto molecule = fftest::cyclohexane();
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.2f);
  const double start = system.EnergyForce();
  Minimization minimization;
  minimization.maxSteps = 3;
  setVerbosity(1);
  const double end = minimization.ABNR(&system);
  ASSERT_EQ(4u, console.size());
  const int steps = std::stoi(console[1].substr(25, 5));
  // Still far from convergence at the limit, so it went on, but never past twice the limit.
  EXPECT_GT(system.lastGradient, 10.0 * minimization.gradientTolerance);
  EXPECT_GT(steps, minimization.maxSteps);
  EXPECT_LE(steps, 2 * minimization.maxSteps);
  EXPECT_LT(end, start);
  EXPECT_NEAR(end, system.EnergyForce(), 1e-3);
}

TEST_F(Abnr, StopsWhenItsEvaluationsAreSpent) {
  auto molecule = fftest::cyclohexane();
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.2f);
  const double start = system.EnergyForce();
  Minimization minimization;
  minimization.maxSteps = 500;
  minimization.maxEvaluations = 6;   // the start point and five steps
  setVerbosity(1);
  const double end = minimization.ABNR(&system);
  ASSERT_EQ(4u, console.size());
  EXPECT_EQ(5, std::stoi(console[1].substr(25, 5)));
  EXPECT_EQ(0, minimization.maxEvaluations);
  EXPECT_LT(end, start);
  EXPECT_GT(system.lastGradient, 10.0 * minimization.gradientTolerance);
  // A run with nothing left evaluates its start and one step, and ends there.
  console.clear();
  minimization.ABNR(&system);
  ASSERT_EQ(4u, console.size());
  EXPECT_EQ(1, std::stoi(console[1].substr(25, 5)));
}
