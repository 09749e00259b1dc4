// Checks of atom positions: close pairs through a cell grid, the hand of labelled centres and
// the side of marked double bonds, judged from the coordinates alone.

#include "construction/GeometryCheck.h"
#include "construction/GeometrySupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <unordered_map>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

using namespace geometry;

namespace {

// Volumes of three unit bond vectors below this count as flat: a regular tetrahedron gives 0.77.
constexpr double kFlatVolume = 0.15;
// A marked double bond is on the written side when the cosine of its torsion has the written
// sign and at least this size (within 60 degrees of planar).
constexpr double kSideCosine = 0.5;
constexpr int64_t kCellRange = 1 << 19;   // cell indices are clamped to +-this per axis

bool finitePosition(const Atom* atom) {
  return std::isfinite(atom->position.x) && std::isfinite(atom->position.y) &&
         std::isfinite(atom->position.z);
}

bool shareBond(const Atom* a, const Atom* b) {
  for (const Bond* bond : a->bonds)
    if (bond != nullptr && ((bond->atom1 == a && bond->atom2 == b) ||
                            (bond->atom1 == b && bond->atom2 == a)))
      return true;
  return false;
}

int64_t cellIndex(double coordinate, double size) {
  const double cell = std::floor(coordinate / size);
  return static_cast<int64_t>(std::max<double>(-kCellRange, std::min<double>(kCellRange, cell)));
}

int64_t cellKey(int64_t ix, int64_t iy, int64_t iz) {
  const int64_t span = 2 * kCellRange + 1;
  return ((ix + kCellRange) * span + (iy + kCellRange)) * span + (iz + kCellRange);
}

// Torsion cosine a-b-c-d; 0 when three of the points are in line.
double torsionCosine(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d) {
  const Vec3 n1 = unit(cross(a - b, c - b));
  const Vec3 n2 = unit(cross(b - c, d - c));
  return dot(n1, n2);
}

Bond* bondBetween(const Atom* a, const Atom* b) {
  for (Bond* bond : a->bonds)
    if (bond != nullptr && (bond->atom1 == b || bond->atom2 == b)) return bond;
  return nullptr;
}

std::string atomLabel(const Atom* atom) { return atom->element + std::to_string(atom->id); }

std::string moleculeLabel(const Molecule& molecule) {
  const std::string name = molecule.getName();
  return "\"" + (name.empty() ? molecule.smiles : name) + "\"";
}

}  // namespace

void forEachPairWithin(const std::vector<Point3>& points, double limitAngstrom,
                       const std::function<void(size_t, size_t, double)>& visit) {
  if (!(limitAngstrom > 0.0) || !std::isfinite(limitAngstrom)) return;
  struct Entry {
    int64_t key;
    size_t index;
    int64_t cell[3];
  };
  std::vector<Entry> entries;
  entries.reserve(points.size());
  for (size_t i = 0; i < points.size(); ++i) {
    const Point3& p = points[i];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
    Entry entry{0, i, {cellIndex(p[0], limitAngstrom), cellIndex(p[1], limitAngstrom),
                       cellIndex(p[2], limitAngstrom)}};
    entry.key = cellKey(entry.cell[0], entry.cell[1], entry.cell[2]);
    entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.key < b.key || (a.key == b.key && a.index < b.index);
  });
  std::unordered_map<int64_t, size_t> firstInCell;
  firstInCell.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) firstInCell.emplace(entries[i].key, i);

  const double limit2 = limitAngstrom * limitAngstrom;
  for (const Entry& entry : entries) {
    const Point3& p = points[entry.index];
    for (int64_t dx = -1; dx <= 1; ++dx)
      for (int64_t dy = -1; dy <= 1; ++dy)
        for (int64_t dz = -1; dz <= 1; ++dz) {
          const int64_t key = cellKey(entry.cell[0] + dx, entry.cell[1] + dy, entry.cell[2] + dz);
          const auto found = firstInCell.find(key);
          if (found == firstInCell.end()) continue;
          for (size_t k = found->second; k < entries.size() && entries[k].key == key; ++k) {
            const size_t other = entries[k].index;
            if (other <= entry.index) continue;   // each pair once
            const Point3& q = points[other];
            const double d2 = (p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                              (p[2] - q[2]) * (p[2] - q[2]);
            if (d2 < limit2) visit(entry.index, other, std::sqrt(d2));
          }
        }
  }
}

std::vector<AtomPair> findClosePairs(const Molecule& molecule, double limitAngstrom) {
  std::vector<Atom*> present;
  std::vector<Point3> points;
  present.reserve(molecule.atoms.size());
  points.reserve(molecule.atoms.size());
  for (Atom* atom : molecule.atoms)
    if (atom != nullptr) {
      present.push_back(atom);
      points.push_back({atom->position.x, atom->position.y, atom->position.z});
    }
  std::vector<AtomPair> pairs;
  forEachPairWithin(points, limitAngstrom, [&](size_t i, size_t j, double distance) {
    if (!shareBond(present[i], present[j])) pairs.push_back({present[i], present[j], distance});
  });
  std::sort(pairs.begin(), pairs.end(), [](const AtomPair& a, const AtomPair& b) {
    return a.distanceAngstrom < b.distanceAngstrom;
  });
  return pairs;
}

bool readHand(const Atom& centre, HandReading& reading) {
  if (centre.neighbours.size() != 4) return false;
  int leftOut = 3;
  for (int k = 0; k < 4; ++k) {
    const Atom* n = centre.neighbours[k];
    if (n == nullptr) return false;
    if (n->element == "H") leftOut = k;
  }
  int j = 0;
  for (int k = 0; k < 4; ++k)
    if (k != leftOut) reading.read[j++] = k;
  // A regular tetrahedron whose neighbours stand as "@@" asks: seen from the first (+z), the
  // other three turn clockwise.
  static const Vec3 kDoubleAt[4] = {{0.0, 0.0, 1.0},
                                   {0.9428090, 0.0, -1.0 / 3.0},
                                   {-0.4714045, -0.8164966, -1.0 / 3.0},
                                   {-0.4714045, 0.8164966, -1.0 / 3.0}};
  const double volume = dot(kDoubleAt[reading.read[0]],
                            cross(kDoubleAt[reading.read[1]], kDoubleAt[reading.read[2]]));
  reading.signForDoubleAt = volume > 0.0 ? 1.0 : -1.0;
  return true;
}

int handednessInSpace(const Atom& centre) {
  HandReading reading;
  if (!readHand(centre, reading)) return 0;
  const Vec3 c = positionOf(&centre);
  Vec3 u[3];
  for (int k = 0; k < 3; ++k) {
    const Atom* n = centre.neighbours[reading.read[k]];
    if (!finitePosition(n)) return 0;
    u[k] = unit(positionOf(n) - c);
  }
  const double volume = dot(u[0], cross(u[1], u[2]));
  if (std::fabs(volume) < kFlatVolume) return 0;
  return volume * reading.signForDoubleAt > 0.0 ? 2 : 1;
}

std::vector<Atom*> findInvertedCentres(const Molecule& molecule) {
  std::vector<Atom*> inverted;
  for (Atom* atom : molecule.atoms) {
    if (atom == nullptr || (atom->piCount != 1 && atom->piCount != 2)) continue;
    if (atom->neighbours.size() != 4) continue;   // a lone pair's place is not recorded
    if (handednessInSpace(*atom) != atom->piCount) inverted.push_back(atom);
  }
  return inverted;
}

bool hasMarkedDihedral(const Bond& bond) {
  if (bond.order != 2 || !bond.hasDihedral || bond.atom1 == nullptr || bond.atom2 == nullptr ||
      bond.dihedralAtom1 == nullptr || bond.dihedralAtom2 == nullptr)
    return false;
  const Bond* first = bondBetween(bond.atom1, bond.dihedralAtom1);
  const Bond* second = bondBetween(bond.atom2, bond.dihedralAtom2);
  return first != nullptr && second != nullptr && first->smilesTag >= 0 &&
         second->smilesTag >= 0;
}

std::vector<Bond*> findFlippedDoubleBonds(const Molecule& molecule) {
  std::vector<Bond*> flipped;
  for (Bond* bond : molecule.bonds) {
    if (bond == nullptr || !hasMarkedDihedral(*bond)) continue;
    const double cosine =
        torsionCosine(positionOf(bond->dihedralAtom1), positionOf(bond->atom1),
                      positionOf(bond->atom2), positionOf(bond->dihedralAtom2));
    const double wanted = std::cos(static_cast<double>(bond->dihedral));
    if (cosine * (wanted >= 0.0 ? 1.0 : -1.0) < kSideCosine) flipped.push_back(bond);
  }
  return flipped;
}

std::string describeGeometryFault(const Molecule& molecule) {
  std::ostringstream line;
  line.setf(std::ios::fixed);
  line.precision(2);
  for (const Atom* atom : molecule.atoms)
    if (atom != nullptr && !finitePosition(atom)) {
      line << "Error: coordinates: atom " << atomLabel(atom) << " of " << moleculeLabel(molecule)
           << " has no finite position";
      return line.str();
    }
  const std::vector<AtomPair> close = findClosePairs(molecule, kMinimumNonBondedDistance);
  if (!close.empty()) {
    line << "Error: coordinates: atoms " << atomLabel(close[0].first) << " and "
         << atomLabel(close[0].second) << " of " << moleculeLabel(molecule) << " are "
         << close[0].distanceAngstrom << " Angstrom apart";
    return line.str();
  }
  const std::vector<Atom*> inverted = findInvertedCentres(molecule);
  if (!inverted.empty()) {
    line << "Error: coordinates: centre " << atomLabel(inverted[0]) << " of "
         << moleculeLabel(molecule) << " is not \"" << (inverted[0]->piCount == 1 ? "@" : "@@")
         << "\" as written";
    return line.str();
  }
  const std::vector<Bond*> flipped = findFlippedDoubleBonds(molecule);
  if (!flipped.empty()) {
    line << "Error: coordinates: double bond " << atomLabel(flipped[0]->atom1) << "="
         << atomLabel(flipped[0]->atom2) << " of " << moleculeLabel(molecule) << " is not "
         << (std::cos(flipped[0]->dihedral) >= 0.0f ? "cis" : "trans") << " as written";
    return line.str();
  }
  return std::string();
}
