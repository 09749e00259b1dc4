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

namespace {

const double kPi = 3.14159265358979323846;

// A ring of n CH2 carbons (n = 3 or 4) with side `side`, flat in z = 0, with two hydrogens on
// each carbon above and below the plane, pointing outward.
std::unique_ptr<Molecule> cycloalkane(int n, float side) {
  std::vector<fftest::AtomRow> atoms;
  std::vector<fftest::BondRow> bonds;
  const float radius = side / (2.0f * std::sin(static_cast<float>(kPi) / n));
  for (int k = 0; k < n; ++k) {
    const float angle = 2.0f * static_cast<float>(kPi) * k / n;
    atoms.push_back({"CH2", "C", radius * std::cos(angle), radius * std::sin(angle), 0.0f});
    bonds.push_back({k, (k + 1) % n, 1, true});
  }
  for (int k = 0; k < n; ++k) {
    const float angle = 2.0f * static_cast<float>(kPi) * k / n;
    const float x = (radius + 0.6f) * std::cos(angle), y = (radius + 0.6f) * std::sin(angle);
    for (float z : {0.9f, -0.9f}) {
      atoms.push_back({"H", "H", x, y, z});
      bonds.push_back({k, static_cast<int>(atoms.size()) - 1, 1, false});
    }
  }
  return fftest::buildMolecule(n == 3 ? "cyclopropane" : "cyclobutane", atoms, bonds);
}

double ringBondLength(const MolecularSystem& system, int a, int b) {
  const SSEVector4f& p = system.coordinates[a];
  const SSEVector4f& q = system.coordinates[b];
  const double dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

class SmallRingAngles : public ::testing::Test {
 protected:
  fftest::ScopedTables tables;
};

}  // namespace

TEST_F(SmallRingAngles, ReferencesComeFromTheRingNotFromTheCentreType) {
  auto three = cycloalkane(3, 1.54f);
  MolecularSystem triangle(three.get());
  int ringAngles = 0;
  for (int t = 0; t < triangle.angleCount; ++t) {
    const bool inRing = triangle.angleAtom1[t] < 3 && triangle.angleAtom3[t] < 3;
    if (inRing) {
      // Three equal table lengths: an equilateral triangle, and the 1-3 distance is the bond.
      EXPECT_NEAR(60.0, triangle.angleReference[t] * 180.0 / kPi, 1e-3);
      EXPECT_NEAR(1.54, triangle.ureyBradleyLength[t], 1e-5);
      EXPECT_EQ(55.0, triangle.angleForceConstant[t]);
      ++ringAngles;
    } else {
      // Hydrogen angles keep the table's value ("* CH2 *" 109.5).
      EXPECT_NEAR(109.5, triangle.angleReference[t] * 180.0 / kPi, 1e-3);
    }
  }
  EXPECT_EQ(3, ringAngles);

  auto four = cycloalkane(4, 1.54f);
  MolecularSystem square(four.get());
  ringAngles = 0;
  for (int t = 0; t < square.angleCount; ++t)
    if (square.angleAtom1[t] < 4 && square.angleAtom3[t] < 4) {
      EXPECT_NEAR(90.0, square.angleReference[t] * 180.0 / kPi, 1e-3);
      EXPECT_NEAR(1.54 * std::sqrt(2.0), square.ureyBradleyLength[t], 1e-5);
      ++ringAngles;
    }
  EXPECT_EQ(4, ringAngles);
}

TEST_F(SmallRingAngles, OpenChainsAndSixRingsKeepTheTableAngle) {
  std::vector<std::unique_ptr<Molecule> > molecules;
  molecules.push_back(fftest::alkane(4));
  molecules.push_back(fftest::cyclohexane());
  for (const auto& molecule : molecules) {
    MolecularSystem system(molecule.get());
    for (int t = 0; t < system.angleCount; ++t)
      EXPECT_NEAR(109.5, system.angleReference[t] * 180.0 / kPi, 1e-3)
          << molecule->getName() << " angle " << t;
  }
}

TEST_F(SmallRingAngles, OptimisedSmallRingsKeepTheirBondLengths) {
  // Built too large, so the optimiser has to bring the ring in to the table length.
  for (int n : {3, 4}) {
    auto molecule = cycloalkane(n, 1.7f);
    MolecularSystem system(molecule.get());
    Minimization minimization;
    minimization.AdoptedBasisNewtonRaphson(&system);
    for (int k = 0; k < n; ++k)
      EXPECT_NEAR(1.54, ringBondLength(system, k, (k + 1) % n), 0.02) << n << "-ring bond " << k;
  }
}
