#pragma once

// Helpers shared by the geometry checks and repairs of construction/ (GeometryCheck.cpp,
// GeometryRepair.cpp, GeometryRestraints.cpp): vectors in double precision, atom list
// positions, and the restrained relaxation. Not for use outside construction/.

#include <cmath>
#include <functional>
#include <unordered_map>
#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace geometry {

// A bond that never received parameters has no length; a carbon-carbon single bond stands in.
constexpr double kFallbackBondLength = 1.54;   // Angstrom

// The length a bond should have: its parameters' length, else the stand-in.
inline double bondLengthTarget(const Bond* bond) {
  return bond->focalDistance > 0.0 ? bond->focalDistance : kFallbackBondLength;
}

struct Vec3 {
  double x = 0.0, y = 0.0, z = 0.0;
};
inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline Vec3 unit(const Vec3& a) {
  const double length = norm(a);
  return length > 1e-12 ? a * (1.0 / length) : Vec3{};
}

// The normal of a closed polygon through the points in order (the sum of the cross products of
// its sides about their centroid): its direction follows the turn of the polygon, its length is
// twice the area of a flat one. A bent ring gives the normal of its mean plane.
inline Vec3 polygonNormal(const std::vector<Vec3>& points) {
  Vec3 centre;
  if (points.empty()) return centre;
  for (const Vec3& p : points) centre = centre + p;
  centre = centre * (1.0 / static_cast<double>(points.size()));
  Vec3 normal;
  for (size_t k = 0; k < points.size(); ++k)
    normal = normal + cross(points[k] - centre, points[(k + 1) % points.size()] - centre);
  return normal;
}

inline Vec3 positionOf(const Atom* atom) {
  return {atom->position.x, atom->position.y, atom->position.z};
}
inline void moveTo(Atom* atom, const Vec3& p) {
  atom->position.x = static_cast<float>(p.x);
  atom->position.y = static_cast<float>(p.y);
  atom->position.z = static_cast<float>(p.z);
}

// The other end of a bond seen from atom; null when atom is not one of its ends.
inline Atom* farEnd(const Bond* bond, const Atom* atom) {
  if (bond == nullptr) return nullptr;
  if (bond->atom1 == atom) return bond->atom2;
  if (bond->atom2 == atom) return bond->atom1;
  return nullptr;
}

inline bool isHydrogen(const Atom* atom) { return atom->element == "H"; }

// The atoms' positions in list order (a missing atom gives the origin), and back into the atoms.
inline std::vector<SSEVector4f> atomPositions(const Molecule& molecule) {
  std::vector<SSEVector4f> positions;
  positions.reserve(molecule.atoms.size());
  for (const Atom* atom : molecule.atoms)
    positions.push_back(atom != nullptr ? atom->position : SSEVector4f());
  return positions;
}
inline void placeAtoms(Molecule& molecule, const std::vector<SSEVector4f>& positions) {
  for (size_t i = 0; i < molecule.atoms.size() && i < positions.size(); ++i)
    if (molecule.atoms[i] != nullptr) molecule.atoms[i]->position = positions[i];
}

// List positions of the molecule's atoms, so nothing here depends on the ids being tidy.
class AtomIndex {
 public:
  explicit AtomIndex(const Molecule& molecule) {
    for (size_t i = 0; i < molecule.atoms.size(); ++i)
      if (molecule.atoms[i] != nullptr) slots_.emplace(molecule.atoms[i], i);
  }
  int of(const Atom* atom) const {
    const auto found = slots_.find(atom);
    return found == slots_.end() ? -1 : static_cast<int>(found->second);
  }

 private:
  std::unordered_map<const Atom*, size_t> slots_;
};

// Relaxes the atom positions under restraints: bond lengths, ideal angles as 1-3 distances, the
// labelled hands as signed volumes, flat trigonal centres, marked double bonds as 1-4 distances
// and a soft wall between atoms three or more bonds apart. Atoms flagged in fixed do not move.
// Every few steps the positions go into the atoms and mended() is asked whether that is enough.
void relaxUnderRestraints(Molecule& molecule, const AtomIndex& index,
                          const std::vector<bool>& fixed, const std::function<bool()>& mended);

// A layout of the whole molecule relaxed under the restraints to convergence: one position per
// atom (list order) and the restraint energy it ended with.
struct RestrainedLayout {
  std::vector<SSEVector4f> positions;
  double strain = 0.0;
};
// One layout per start: start 0 relaxes the atoms' positions, any other spreads the atoms at
// random through a box of the molecule's size, with the start as the seed. Nothing is held fixed;
// the atoms keep their positions.
std::vector<RestrainedLayout> relaxedLayouts(Molecule& molecule, const AtomIndex& index,
                                             const std::vector<unsigned>& starts);

}  // namespace geometry
