#ifndef KV_TESTS_FORCEFIELD_OPTIMISERFIXTURE_H
#define KV_TESTS_FORCEFIELD_OPTIMISERFIXTURE_H

// What the optimiser tests share: the fixture tables, a console capture at verbosity 0, and a
// fixed distortion of a molecule's coordinates.

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularSystem.h"
#include "math/UtilityEngine.h"
#include "support/ConsoleCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace fftest {

class OptimiserTest : public ::testing::Test {
protected:
  void setVerbosity(int level) { UtilityEngine::instance()->printLevel = level; }

  ScopedTables tables;
  kvtest::ConsoleCapture capture{0};
  std::vector<std::string>& console = capture.lines;
};

// Moves every atom by a fixed pseudo-random offset of up to about `size` Angstrom per axis.
inline void distort(std::vector<SSEVector4f>& points, float size) {
  for (size_t a = 0; a < points.size(); ++a) {
    points[a].x += size * static_cast<float>(static_cast<int>((a * 37 + 5) % 11) - 5) / 5.0f;
    points[a].y += size * static_cast<float>(static_cast<int>((a * 53 + 2) % 13) - 6) / 6.0f;
    points[a].z += size * static_cast<float>(static_cast<int>((a * 29 + 7) % 7) - 3) / 3.0f;
  }
}

// The RMS gradient of the system at its coordinates.
inline double rmsGradient(MolecularSystem& system) {
  system.EnergyForce();
  double sum = 0.0;
  for (int a = 0; a < system.atomCount; ++a)
    sum += system.forceX[a] * system.forceX[a] + system.forceY[a] * system.forceY[a] +
           system.forceZ[a] * system.forceZ[a];
  return system.atomCount ? std::sqrt(sum / (3.0 * system.atomCount)) : 0.0;
}

}  // namespace fftest

#endif
