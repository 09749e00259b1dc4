// Trigonal bipyramids and octahedra turned onto the neighbours a centre already has.

#include "construction/Polyhedra.h"

#include <cmath>
#include <limits>

namespace geometry {

namespace {

// An orthonormal frame whose first axis is `first` and whose second lies in the plane of `first`
// and `second`; false when the two are parallel.
bool frameOf(const Vec3& first, const Vec3& second, Vec3 (&axes)[3]) {
  axes[0] = unit(first);
  axes[1] = unit(second - axes[0] * dot(second, axes[0]));
  if (norm(axes[1]) < 0.5) return false;
  axes[2] = cross(axes[0], axes[1]);
  return true;
}

// A direction at right angles to d.
Vec3 perpendicular(const Vec3& d) {
  const Vec3 away = std::fabs(d.x) < 0.9 ? Vec3{1.0, 0.0, 0.0} : Vec3{0.0, 1.0, 0.0};
  return cross(d, away);
}

// The turn that takes frame `from` onto frame `to`, applied to v.
Vec3 turned(const Vec3 (&from)[3], const Vec3 (&to)[3], const Vec3& v) {
  return to[0] * dot(v, from[0]) + to[1] * dot(v, from[1]) + to[2] * dot(v, from[2]);
}

// The vertices each placed direction takes (the nearest one still free, in order), and how far
// they lie from them (the sum of 1 - cosine).
double assign(const std::vector<Vec3>& vertices, const std::vector<Vec3>& placed,
              std::vector<bool>& taken) {
  taken.assign(vertices.size(), false);
  double misfit = 0.0;
  for (const Vec3& d : placed) {
    int best = -1;
    for (size_t v = 0; v < vertices.size(); ++v)
      if (!taken[v] && (best < 0 || dot(vertices[v], d) > dot(vertices[best], d)))
        best = static_cast<int>(v);
    if (best < 0) return std::numeric_limits<double>::max();
    taken[best] = true;
    misfit += 1.0 - dot(vertices[best], d);
  }
  return misfit;
}

}  // namespace

std::vector<Vec3> polyhedronVertices(int degree) {
  if (degree == 6)
    return {{1.0, 0.0, 0.0}, {-1.0, 0.0, 0.0}, {0.0, 1.0, 0.0},
            {0.0, -1.0, 0.0}, {0.0, 0.0, 1.0}, {0.0, 0.0, -1.0}};
  if (degree == 5) {
    const double s = std::sqrt(3.0) / 2.0;
    return {{0.0, 0.0, 1.0}, {0.0, 0.0, -1.0}, {1.0, 0.0, 0.0}, {-0.5, s, 0.0}, {-0.5, -s, 0.0}};
  }
  return {};
}

std::vector<Vec3> freePolyhedronDirections(int degree, const std::vector<Vec3>& placed) {
  const std::vector<Vec3> ideal = polyhedronVertices(degree);
  if (ideal.empty() || placed.empty() || placed.size() >= ideal.size()) return {};
  std::vector<Vec3> directions;
  for (const Vec3& d : placed) {
    if (!(norm(d) > 1e-6)) return {};
    directions.push_back(unit(d));
  }
  // The second placed direction fixes the turn about the first; a lone one leaves it free.
  const Vec3 second = directions.size() > 1 ? directions[1] : perpendicular(directions[0]);
  Vec3 target[3];
  if (!frameOf(directions[0], second, target) &&
      !frameOf(directions[0], perpendicular(directions[0]), target))
    return {};

  // Every pair of vertices for the first two directions (a vertex at right angles for a lone
  // one); the turn that leaves the placed directions nearest their vertices wins.
  double best = std::numeric_limits<double>::max();
  std::vector<Vec3> bestVertices;
  std::vector<bool> bestTaken, taken;
  for (size_t a = 0; a < ideal.size(); ++a)
    for (size_t b = 0; b < ideal.size(); ++b) {
      if (a == b) continue;
      if (directions.size() == 1 && std::fabs(dot(ideal[a], ideal[b])) > 1e-6) continue;
      Vec3 source[3];
      if (!frameOf(ideal[a], ideal[b], source)) continue;
      std::vector<Vec3> vertices;
      for (const Vec3& v : ideal) vertices.push_back(turned(source, target, v));
      const double misfit = assign(vertices, directions, taken);
      if (misfit < best - 1e-9) {
        best = misfit;
        bestVertices = vertices;
        bestTaken = taken;
      }
    }
  std::vector<Vec3> free;
  for (size_t v = 0; v < bestVertices.size(); ++v)
    if (!bestTaken[v]) free.push_back(bestVertices[v]);
  return free;
}

}  // namespace geometry
