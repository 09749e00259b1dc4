#pragma once

// Measurements on atom positions and small counts on molecules, for the tests of the readers,
// the set-up chain and everything above them.

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace kvtest {

inline double distance(const Atom* a, const Atom* b) {
  const double dx = a->position.x - b->position.x;
  const double dy = a->position.y - b->position.y;
  const double dz = a->position.z - b->position.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Angle a-b-c in degrees.
inline double angleDeg(const Atom* a, const Atom* b, const Atom* c) {
  const double ux = a->position.x - b->position.x, uy = a->position.y - b->position.y,
               uz = a->position.z - b->position.z;
  const double vx = c->position.x - b->position.x, vy = c->position.y - b->position.y,
               vz = c->position.z - b->position.z;
  const double cosine = (ux * vx + uy * vy + uz * vz) /
                        std::sqrt((ux * ux + uy * uy + uz * uz) * (vx * vx + vy * vy + vz * vz));
  return std::acos(std::max(-1.0, std::min(1.0, cosine))) * 180.0 / M_PI;
}

// The largest difference, degrees, between the angles at a five- or six-connected centre and
// those of its ideal shape: a trigonal bipyramid (six right angles, three of 120, one straight)
// or an octahedron (twelve right angles, three straight); -1 for any other centre.
inline double polyhedronMisfitDeg(const Atom* centre) {
  const std::vector<Atom*> n = centre->getAdjacentAtoms();
  if (n.size() != 5 && n.size() != 6) return -1.0;
  std::vector<double> angles;
  for (size_t i = 0; i < n.size(); ++i)
    for (size_t j = i + 1; j < n.size(); ++j) angles.push_back(angleDeg(n[i], centre, n[j]));
  std::sort(angles.begin(), angles.end());
  const bool bipyramid = n.size() == 5;
  double worst = 0.0;
  for (size_t k = 0; k < angles.size(); ++k) {
    const double ideal = k < (bipyramid ? 6u : 12u) ? 90.0 : bipyramid && k < 9 ? 120.0 : 180.0;
    worst = std::max(worst, std::fabs(angles[k] - ideal));
  }
  return worst;
}

// Signed torsion a-b-c-d in degrees (IUPAC sign).
inline double torsionDeg(const Atom* a, const Atom* b, const Atom* c, const Atom* d) {
  auto sub = [](const Atom* p, const Atom* q) {
    return std::array<double, 3>{p->position.x - q->position.x, p->position.y - q->position.y,
                                 p->position.z - q->position.z};
  };
  auto cross = [](const std::array<double, 3>& x, const std::array<double, 3>& y) {
    return std::array<double, 3>{x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2],
                                 x[0] * y[1] - x[1] * y[0]};
  };
  auto dot = [](const std::array<double, 3>& x, const std::array<double, 3>& y) {
    return x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
  };
  const auto b1 = sub(b, a), b2 = sub(c, b), b3 = sub(d, c);
  const auto n2 = cross(b2, b3);
  return std::atan2(std::sqrt(dot(b2, b2)) * dot(b1, n2), dot(cross(b1, b2), n2)) * 180.0 / M_PI;
}

// Hydrogen atoms bonded to a.
inline int hydrogensOn(const Atom* a) {
  int count = 0;
  for (Bond* b : a->bonds) count += a->getAdjacentAtom(b)->element == "H" ? 1 : 0;
  return count;
}

inline int countElement(const Molecule& m, const std::string& element) {
  int count = 0;
  for (const Atom* a : m.atoms) count += a->element == element ? 1 : 0;
  return count;
}

}  // namespace kvtest
