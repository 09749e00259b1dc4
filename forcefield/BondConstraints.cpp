// Bond constraints (SHAKE) and the stereo-centre checks that keep each labelled centre's
// handedness during dynamics.
#include "forcefield/MolecularSystem.h"

#include "math/UtilityEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

const float kChiralPush = 20.0f;   // kcal/mol/A, added to each neighbour of a failing centre

struct Offset {
  double x, y, z;
  double length2() const { return x * x + y * y + z * z; }
};

Offset difference(const SSEVector4f& a, const SSEVector4f& b) {
  return {static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y,
          static_cast<double>(a.z) - b.z};
}

// The smallest |d0^2 - d^2| that single-precision positions can be trusted to reach: twice the
// length times the spacing of floats at the larger coordinate of the two atoms. A tighter
// relative tolerance (1e-12) is out of reach for floats, and without this floor every call would
// use up its passes on the round-off of the smallest coordinates.
double resolutionFloor(const SSEVector4f& a, const SSEVector4f& b, double length2) {
  const float largest = std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(a.z), std::fabs(b.x),
                                  std::fabs(b.y), std::fabs(b.z)});
  return 2.0 * std::sqrt(length2) * largest * std::numeric_limits<float>::epsilon();
}

// Moves p by factor * d, stored in single precision; true when a component changed.
bool shift(SSEVector4f& p, double factor, const Offset& d) {
  const SSEVector4f before = p;
  p.x = static_cast<float>(p.x + factor * d.x);
  p.y = static_cast<float>(p.y + factor * d.y);
  p.z = static_cast<float>(p.z + factor * d.z);
  return p.x != before.x || p.y != before.y || p.z != before.z;
}

// The handedness test of one centre, in single precision: with a_n the neighbours' offsets from
// the centre and N the unit normal of a_0 x a_1, label 1 needs N.a_2 >= 0 >= N.a_3 and label 2
// the reverse; any other positive label holds.
struct StereoTest {
  SSEVector4f arms[4];
  bool holds = true;

  StereoTest(const std::vector<SSEVector4f>& coordinates, const ChiralCenter& centre) {
    const int count = static_cast<int>(coordinates.size());
    if (centre.centre < 0 || centre.centre >= count) return;
    for (int n = 0; n < 4; ++n) {
      const int atom = centre.neighbours[n];
      if (atom < 0 || atom >= count) return;
      arms[n] = coordinates[atom] - coordinates[centre.centre];
      arms[n].w = 0.0f;
    }
    SSEVector4f normal = arms[0] % arms[1];
    normal.normalize();
    const float s2 = normal.dot(arms[2]);
    const float s3 = normal.dot(arms[3]);
    if (centre.label == 1) holds = s2 >= 0.0f && s3 <= 0.0f;
    if (centre.label == 2) holds = s2 <= 0.0f && s3 >= 0.0f;
  }
};

}  // namespace

void MolecularSystem::SHAKE(SSEVector4f* reference, SSEVector4f* positions) {
  if (!reference || !positions) return;
  const int count = std::min(constraintCount, static_cast<int>(constraintLength2.size()));
  int pass = 0;
  for (; pass < shakeMaxIterations; ++pass) {
    bool corrected = false;
    bool moved = false;
    for (int c = 0; c < count; ++c) {
      const int a = constraintAtom1[c];
      const int b = constraintAtom2[c];
      if (a < 0 || b < 0 || a >= atomCount || b >= atomCount) continue;
      if (atomFixed[a] && atomFixed[b]) continue;
      const double target2 = constraintLength2[c];
      const double current2 = difference(positions[a], positions[b]).length2();
      const double diff = target2 - current2;
      if (std::fabs(diff) <= std::max(target2 * shakeTolerance,
                                      resolutionFloor(positions[a], positions[b], current2)))
        continue;
      const Offset direction = difference(reference[a], reference[b]);
      const double direction2 = direction.length2();
      if (!(direction2 > 0.0)) continue;   // coincident reference atoms give no direction

      // The lighter atom moves more; a fixed atom not at all.
      double shareA = 0.5, shareB = 0.5;
      if (atomFixed[a] || atomFixed[b]) {
        shareA = atomFixed[a] ? 0.0 : 1.0;
        shareB = 1.0 - shareA;
      } else if (mass[a] + mass[b] > 0.0) {
        shareA = mass[b] / (mass[a] + mass[b]);
        shareB = mass[a] / (mass[a] + mass[b]);
      }
      const double g = 0.5 * diff / direction2;
      moved |= shift(positions[a], shareA * g, direction);
      moved |= shift(positions[b], -shareB * g, direction);
      corrected = true;
    }
    // A pass that stores no change would repeat itself: the single-precision positions cannot
    // come closer, so further passes (and the message) would only waste the limit.
    if (!corrected || !moved) return;
  }
  char line[96];
  std::snprintf(line, sizeof line, "SHAKE: Unable to achieve convergence within %5d steps.", pass);
  UtilityEngine::instance()->printToConsole(line);
}

bool MolecularSystem::checkChiralCenters() const {
  if (!checkChirality) return true;
  for (const ChiralCenter& centre : chiralCenters)
    if (centre.label > 0 && !StereoTest(coordinates, centre).holds) return false;
  return true;
}

void MolecularSystem::calChiralForces() {
  if (!checkChirality) return;
  for (ChiralCenter& centre : chiralCenters) {
    if (centre.label <= 0) continue;
    const StereoTest test(coordinates, centre);
    centre.satisfied = test.holds;
    if (test.holds) continue;
    // Each pair of neighbours is pushed within the plane of its own pair's normal: 0 and 2 one
    // way, 1 and 3 the other.
    for (int n = 0; n < 4; ++n) {
      const int pair = n < 2 ? 0 : 2;
      SSEVector4f normal = test.arms[pair] % test.arms[pair + 1];
      normal.normalize();
      SSEVector4f push = test.arms[n] % normal;
      push.normalize();
      const float sign = (n % 2 == 0) ? kChiralPush : -kChiralPush;
      const int atom = centre.neighbours[n];
      forceX[atom] += sign * push.x;
      forceY[atom] += sign * push.y;
      forceZ[atom] += sign * push.z;
    }
  }
}

void MolecularSystem::conserveStereoChem() {
  if (!checkChirality) return;
  for (ChiralCenter& centre : chiralCenters) {
    if (centre.label <= 0) continue;
    centre.satisfied = StereoTest(coordinates, centre).holds;
    if (centre.satisfied) continue;
    for (int n = 0; n < 4; ++n) {
      const int atom = centre.neighbours[n];
      if (!terminalAtom[atom]) continue;
      const SSEVector4f& c = coordinates[centre.centre];
      const SSEVector4f p = coordinates[atom];
      coordinates[atom] = SSEVector4f(2.0f * c.x - p.x, 2.0f * c.y - p.y, 2.0f * c.z - p.z, 1.0f);
      break;
    }
  }
}

void MolecularSystem::convertStereoChem(SSEVector4f& normal, SSEVector4f& a, SSEVector4f& b,
                                        SSEVector4f& c) {
  SSEVector4f unit = normal;
  unit.normalize();
  for (SSEVector4f* v : {&a, &b, &c}) {
    const float along = 2.0f * unit.dot(*v);
    v->x -= along * unit.x;
    v->y -= along * unit.y;
    v->z -= along * unit.z;
  }
  normal.x = -unit.x;
  normal.y = -unit.y;
  normal.z = -unit.z;
}
