// The Verlet integrators under SHAKE.

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

class Dynamics : public ::testing::Test {
 protected:
  void SetUp() override { engine.numSteps = 200; }
  fftest::ScopedTables tables;
  MolecularDynamicsEngine engine;
  kvtest::ConsoleCapture console{1};
};

}  // namespace

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
