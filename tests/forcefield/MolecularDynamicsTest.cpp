// The Verlet integrators: fixed and massless atoms, SHAKE and step counts.

#include <cmath>

#include <gtest/gtest.h>

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularDynamicsEngine.h"
#include "forcefield/MolecularSystem.h"
#include "support/ConsoleCapture.h"

namespace {

using Integrator = void (MolecularDynamicsEngine::*)(MolecularSystem*);
const Integrator kIntegrators[] = {&MolecularDynamicsEngine::Verlet, &MolecularDynamicsEngine::VVerlet};

// Butane with its first carbon pulled 0.3 A away, so the forces are far from zero.
std::unique_ptr<Molecule> distortedButane() {
  std::unique_ptr<Molecule> m = fftest::alkane(4);
  m->atoms[0]->position.x -= 0.3f;
  return m;
}

bool samePositions(const std::vector<SSEVector4f>& a, const std::vector<SSEVector4f>& b) {
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z) return false;
  return true;
}

class Dynamics : public ::testing::Test {
 protected:
  void SetUp() override { engine.numSteps = 200; }
  fftest::ScopedTables tables;
  MolecularDynamicsEngine engine;
  kvtest::ConsoleCapture console{1};
};

}  // namespace

TEST_F(Dynamics, FixedAndMasslessAtomsNeverMove) {
  auto m = distortedButane();
  for (Integrator run : kIntegrators) {
    MolecularSystem s(m.get());
    ASSERT_GT(std::fabs(s.EnergyForce() - MolecularSystem(fftest::alkane(4).get()).EnergyForce()), 1.0);
    const std::vector<SSEVector4f> start = s.coordinates;
    s.atomFixed.assign(s.atomCount, true);
    (engine.*run)(&s);
    EXPECT_TRUE(samePositions(start, s.coordinates));
    EXPECT_EQ(0.0, engine.temperature);
    EXPECT_EQ(engine.potentialEnergy, engine.totalEnergy);

    MolecularSystem massless(m.get());
    massless.mass[0] = 0.0;
    (engine.*run)(&massless);
    EXPECT_EQ(start[0].x, massless.coordinates[0].x);
    EXPECT_NE(start[1].x, massless.coordinates[1].x) << "the others do move";
    EXPECT_TRUE(std::isfinite(engine.totalEnergy));
  }
  std::unique_ptr<Molecule> empty(Builder::instance()->createMolecule());
  MolecularSystem none(empty.get());
  engine.VVerlet(&none);
  EXPECT_EQ(0.0, engine.temperature);
}

TEST_F(Dynamics, ShakeKeepsEveryBondAtItsReferenceLength) {
  for (Integrator run : kIntegrators) {
    auto m = distortedButane();
    MolecularSystem s(m.get());
    engine.useShake = true;
    (engine.*run)(&s);
    for (int c = 0; c < s.constraintCount; ++c) {
      const SSEVector4f d = s.coordinates[s.constraintAtom1[c]] - s.coordinates[s.constraintAtom2[c]];
      EXPECT_NEAR(std::sqrt(s.constraintLength2[c]), d.length(), 1e-6) << "constraint " << c;
    }
    EXPECT_GT(engine.kineticEnergy, 0.0);
  }
  EXPECT_TRUE(console.lines.empty()) << console.lines.front();
}
