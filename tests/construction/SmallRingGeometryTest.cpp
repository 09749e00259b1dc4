// Bond angles inside three- and four-membered rings: the force field takes them from the ring,
// not from the open-chain angle of the centre type, so that the optimised ring keeps its bonds
// at their table lengths.

#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/Minimization.h"
#include "forcefield/MolecularSystem.h"
#include "math/Constants.h"

namespace {


class SmallRingAngles : public ::testing::Test {
 protected:
  fftest::ScopedTables tables;
};

}  // namespace

TEST_F(SmallRingAngles, ReferencesComeFromTheRingNotFromTheCentreType) {
  // Equal table lengths: an equilateral triangle or a square, the 1-3 distance from the ring.
  const struct {
    int size;
    double angle, oneThree;
  } cases[] = {{3, 60.0, 1.54}, {4, 90.0, 1.54 * std::sqrt(2.0)}};
  for (const auto& c : cases) {
    auto molecule = fftest::cycloalkane(c.size, 1.54f);
    MolecularSystem system(molecule.get());
    int ringAngles = 0;
    for (int t = 0; t < system.angleCount; ++t) {
      if (system.angleAtom1[t] < c.size && system.angleAtom3[t] < c.size) {
        EXPECT_NEAR(c.angle, system.angleReference[t] * 180.0 / kPiDouble, 1e-3) << c.size;
        EXPECT_NEAR(c.oneThree, system.ureyBradleyLength[t], 1e-5) << c.size;
        EXPECT_EQ(55.0, system.angleForceConstant[t]);
        ++ringAngles;
      } else {   // hydrogen angles keep the table's value ("* CH2 *" 109.5)
        EXPECT_NEAR(109.5, system.angleReference[t] * 180.0 / kPiDouble, 1e-3) << c.size;
      }
    }
    EXPECT_EQ(c.size, ringAngles);
  }
}

// A six-ring's angles at its four-connected carbons are held to at most the tetrahedral angle
// (the table's "* CH2 *" here is 109.5); the hydrogens' angles keep the table's.
TEST_F(SmallRingAngles, SixRingsKeepTheTableAngleUpToTheTetrahedralOne) {
  auto molecule = fftest::cyclohexane();
  MolecularSystem system(molecule.get());
  int ringAngles = 0;
  for (int t = 0; t < system.angleCount; ++t) {
    const bool ring = system.atomTypes[system.angleAtom1[t]] != "H" &&
                      system.atomTypes[system.angleAtom3[t]] != "H";
    ringAngles += ring ? 1 : 0;
    EXPECT_NEAR(ring ? 109.4712 : 109.5, system.angleReference[t] * 180.0 / kPiDouble, 1e-3)
        << "angle " << t;
  }
  EXPECT_EQ(6, ringAngles);
}

TEST_F(SmallRingAngles, OptimisedSmallRingsKeepTheirBondLengths) {
  // Built too large, so the optimiser has to bring the ring in to the table length.
  for (int n : {3, 4}) {
    auto molecule = fftest::cycloalkane(n, 1.7f);
    MolecularSystem system(molecule.get());
    Minimization minimization;
    minimization.AdoptedBasisNewtonRaphson(&system);
    for (int k = 0; k < n; ++k)
      EXPECT_NEAR(1.54, (system.coordinates[k] - system.coordinates[(k + 1) % n]).length(), 0.02)
          << n << "-ring bond " << k;
  }
}
