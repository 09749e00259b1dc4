// Checks of atom positions: close pairs through a cell grid, the hand of labelled centres and
// the side of marked double bonds, judged from the coordinates alone.

#include "construction/GeometryCheck.h"
#include "parameters/CovalentRadii.h"
#include "construction/GeometrySupport.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"
#include "parameters/LookupMemo.h"
#include "parameters/ParameterRecords.h"

using namespace geometry;

namespace {

// Volumes of three unit bond vectors below this count as flat: a regular tetrahedron gives 0.77.
constexpr double kFlatVolume = 0.15;
// A marked double bond is on the written side when the cosine of its torsion has the written
// sign and at least this size (within 60 degrees of planar).
constexpr double kSideCosine = 0.5;
// The grid of the close-pair search has at most this many cells a point.
constexpr size_t kCellsPerPoint = 4;
constexpr int kGridAttempts = 60;
constexpr double kGridGrowth = 1.1;     // least growth of the cell edge per attempt

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

// True when a and b are both bonded to one atom (two bonds apart, as across an angle).
bool shareNeighbour(const Atom* a, const Atom* b) {
  for (const Bond* bond : a->bonds) {
    const Atom* middle = farEnd(bond, a);
    if (middle != nullptr && middle != b && shareBond(middle, b)) return true;
  }
  return false;
}

// Cells no smaller than the limit, so a close pair lies in neighbouring cells, and no more of
// them than a few per point, so a sparse or far-flung set costs no memory beyond its size.
// Returns the cell edge and the cell counts along the axes of the box low..high.
double cellSize(const double* low, const double* high, double limit, size_t points,
                size_t* cells) {
  const double budget = static_cast<double>(kCellsPerPoint * points);
  double size = limit;
  for (int attempt = 0; attempt < kGridAttempts; ++attempt) {
    double total = 1.0;
    for (int a = 0; a < 3; ++a) total *= std::floor((high[a] - low[a]) / size) + 1.0;
    if (total <= budget) break;
    size *= std::max(kGridGrowth, std::cbrt(total / budget));
  }
  for (int a = 0; a < 3; ++a) {
    const double along = std::floor((high[a] - low[a]) / size);
    cells[a] = std::isfinite(along) ? static_cast<size_t>(along) + 1 : 1;
  }
  return size;
}

// Torsion cosine a-b-c-d; 0 when three of the points are in line.
double torsionCosine(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d) {
  const Vec3 n1 = unit(cross(a - b, c - b));
  const Vec3 n2 = unit(cross(b - c, d - c));
  return dot(n1, n2);
}

std::string atomLabel(const Atom* atom) { return atom->element + std::to_string(atom->id); }

std::string moleculeLabel(const Molecule& molecule) {
  const std::string name = molecule.getName();
  return "\"" + (name.empty() ? molecule.smiles : name) + "\"";
}

std::string centreFault(const Molecule& molecule, const Atom* centre) {
  return "Error: coordinates: centre " + atomLabel(centre) + " of " + moleculeLabel(molecule) +
         " is not \"" + (centre->piCount == 1 ? "@" : "@@") + "\" as written";
}

}  // namespace

void forEachPairWithin(const std::vector<Point3>& points, double limitAngstrom,
                       const std::function<void(size_t, size_t, double)>& visit) {
  if (!(limitAngstrom > 0.0) || !std::isfinite(limitAngstrom)) return;
  std::vector<size_t> finite;
  finite.reserve(points.size());
  double low[3] = {0.0, 0.0, 0.0};
  double high[3] = {0.0, 0.0, 0.0};
  for (size_t i = 0; i < points.size(); ++i) {
    const Point3& p = points[i];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
    for (int a = 0; a < 3; ++a) {
      low[a] = finite.empty() ? p[a] : std::min(low[a], p[a]);
      high[a] = finite.empty() ? p[a] : std::max(high[a], p[a]);
    }
    finite.push_back(i);
  }
  if (finite.size() < 2) return;

  size_t cells[3];
  const double size = cellSize(low, high, limitAngstrom, finite.size(), cells);
  auto cellAlong = [&](const Point3& p, int a) {
    const double c = std::floor((p[a] - low[a]) / size);
    return std::isfinite(c) ? std::min(cells[a] - 1, static_cast<size_t>(std::max(0.0, c))) : 0;
  };

  // Counting sort of the points by cell.
  const size_t cellCount = cells[0] * cells[1] * cells[2];
  std::vector<size_t> start(cellCount + 1, 0);
  std::vector<size_t> cellOf(finite.size());
  for (size_t k = 0; k < finite.size(); ++k) {
    const Point3& p = points[finite[k]];
    cellOf[k] = (cellAlong(p, 0) * cells[1] + cellAlong(p, 1)) * cells[2] + cellAlong(p, 2);
    ++start[cellOf[k] + 1];
  }
  for (size_t c = 0; c < cellCount; ++c) start[c + 1] += start[c];
  std::vector<size_t> sorted(finite.size());
  std::vector<size_t> fill(start.begin(), start.end() - 1);
  for (size_t k = 0; k < finite.size(); ++k) sorted[fill[cellOf[k]]++] = finite[k];

  const double limit2 = limitAngstrom * limitAngstrom;
  for (size_t k = 0; k < finite.size(); ++k) {
    const size_t i = finite[k];
    const Point3& p = points[i];
    const size_t at[3] = {cellAlong(p, 0), cellAlong(p, 1), cellAlong(p, 2)};
    for (size_t x = at[0] > 0 ? at[0] - 1 : 0; x <= std::min(at[0] + 1, cells[0] - 1); ++x)
      for (size_t y = at[1] > 0 ? at[1] - 1 : 0; y <= std::min(at[1] + 1, cells[1] - 1); ++y)
        for (size_t z = at[2] > 0 ? at[2] - 1 : 0; z <= std::min(at[2] + 1, cells[2] - 1); ++z) {
          const size_t cell = (x * cells[1] + y) * cells[2] + z;
          for (size_t m = start[cell]; m < start[cell + 1]; ++m) {
            const size_t j = sorted[m];
            if (j <= i) continue;   // each pair once
            const Point3& q = points[j];
            const double d2 = (p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                              (p[2] - q[2]) * (p[2] - q[2]);
            if (d2 < limit2) visit(i, j, std::sqrt(d2));
          }
        }
  }
}

std::vector<AtomPair> findClosePairs(const Molecule& molecule, double limitAngstrom) {
  std::vector<Atom*> present;
  std::vector<Point3> points;
  present.reserve(molecule.atoms.size());
  points.reserve(molecule.atoms.size());
  // A bond axis's dummy end is no atom: ring closure brings it near the far end of the chain
  // before it is deleted.
  for (Atom* atom : molecule.atoms)
    if (atom != nullptr && !isDummy(atom)) {
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

int lonePairSlot(const Atom& centre) {
  if (centre.piCount != 1 && centre.piCount != 2) return -1;
  if (centre.neighbours.size() != 3 || centre.bonds.size() != 3) return -1;
  const std::string& e = centre.element;
  // Sulfur and selenium keep a lone pair with three neighbours whatever their double bonds
  // (sulfoxide, sulfilimine, sulfonium); phosphorus and arsenic only as phosphines.
  bool pyramidal = e == "S" || e == "Se";
  if (e == "P" || e == "As") {
    pyramidal = true;
    for (const Bond* bond : centre.bonds)
      if (bond != nullptr && bond->order != 1) pyramidal = false;
  }
  if (!pyramidal || centre.neighbours[0] == nullptr) return -1;
  // Right after the first listed neighbour. When the centre was written first, the lone pair
  // last would say the same: the two orders differ by an even permutation.
  return 1;
}

bool isHandedCentre(const Atom& centre) {
  if (centre.piCount != 1 && centre.piCount != 2) return false;
  return centre.neighbours.size() == 4 || lonePairSlot(centre) >= 0;
}

int stereoSlot(const Atom& centre, const Atom* neighbour) {
  const int listed = centre.getChiralNeighbourId(neighbour);
  if (listed < 0) return -1;
  const int lonePair = lonePairSlot(centre);
  return lonePair >= 0 && listed >= lonePair ? listed + 1 : listed;
}

bool readHand(const Atom& centre, HandReading& reading) {
  const int lonePair = lonePairSlot(centre);
  if (lonePair >= 0) {
    for (int k = 0; k < 3; ++k) {
      if (centre.neighbours[k] == nullptr) return false;
      reading.read[k] = k;
    }
    const int slot[3] = {lonePair == 0 ? 1 : 0, 2, 3};
    reading.signForDoubleAt = doubleAtVolumeSign(slot[0], slot[1], slot[2]);
    return true;
  }
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
  reading.signForDoubleAt = doubleAtVolumeSign(reading.read[0], reading.read[1], reading.read[2]);
  return true;
}

double doubleAtVolumeSign(int a, int b, int c) {
  // A regular tetrahedron whose neighbours stand as "@@" asks: seen from the first (+z), the
  // other three turn clockwise.
  static const Vec3 kDoubleAt[4] = {{0.0, 0.0, 1.0},
                                   {0.9428090, 0.0, -1.0 / 3.0},
                                   {-0.4714045, -0.8164966, -1.0 / 3.0},
                                   {-0.4714045, 0.8164966, -1.0 / 3.0}};
  if (a < 0 || b < 0 || c < 0 || a > 3 || b > 3 || c > 3) return 0.0;
  const double volume = dot(kDoubleAt[a], cross(kDoubleAt[b], kDoubleAt[c]));
  return volume > 1e-9 ? 1.0 : volume < -1e-9 ? -1.0 : 0.0;
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
    if (atom == nullptr || !isHandedCentre(*atom)) continue;
    if (handednessInSpace(*atom) != atom->piCount) inverted.push_back(atom);
  }
  return inverted;
}

namespace {

// Rings of fewer atoms than this hold a double bond cis whatever marks it carries.
constexpr size_t kSmallestRingWithTrans = 8;

bool inSmallRing(const Bond& bond) {
  if (!bond.inRing || bond.molecule == nullptr) return false;
  const std::vector<Ring*>& rings = bond.molecule->rings;
  for (int id : bond.ringIds)
    if (id >= 0 && static_cast<size_t>(id) < rings.size() && rings[id] != nullptr &&
        rings[id]->atomIds.size() < kSmallestRingWithTrans)
      return true;
  return false;
}

}  // namespace

bool hasMarkedDihedral(const Bond& bond) {
  if (bond.order != 2 || !bond.hasDihedral || bond.atom1 == nullptr || bond.atom2 == nullptr ||
      bond.dihedralAtom1 == nullptr || bond.dihedralAtom2 == nullptr)
    return false;
  // Marks on a double bond of a small ring say nothing: the ring fixes its side (a pyrroline's
  // C=N written with marks in a bilin).
  if (inSmallRing(bond)) return false;
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
  if (!inverted.empty()) return centreFault(molecule, inverted[0]);
  const std::vector<Bond*> flipped = findFlippedDoubleBonds(molecule);
  if (!flipped.empty()) {
    line << "Error: coordinates: double bond " << atomLabel(flipped[0]->atom1) << "="
         << atomLabel(flipped[0]->atom2) << " of " << moleculeLabel(molecule) << " is not "
         << (std::cos(flipped[0]->dihedral) >= 0.0f ? "cis" : "trans") << " as written";
    return line.str();
  }
  return std::string();
}

std::string describeInsideOutBridgehead(const Molecule& molecule) {
  const Atom* centre = findInsideOutBridgehead(molecule);
  return centre != nullptr ? centreFault(molecule, centre) : std::string();
}

namespace {

// expectedBondLength through a memo of the table's answers: a large molecule asks the same few
// questions once per bond.
double expectedLength(const Bond& bond, BondLookupMemo& table) {
  if (bond.atom1 == nullptr || bond.atom2 == nullptr || isDummy(bond.atom1) ||
      isDummy(bond.atom2))
    return 0.0;
  BondParameters row;
  if (!bond.atom1->type.empty() && !bond.atom2->type.empty() &&
      table.find(bond.atom1->type, bond.atom2->type, bond.order, row) != 0 &&
      row.distance > 0.0f)
    return row.distance;
  return radiusBondLength(bond.atom1->element, bond.atom2->element, bond.order);
}

}  // namespace

double expectedBondLength(const Bond& bond) {
  BondLookupMemo table(*InputParameters::instance());
  return expectedLength(bond, table);
}

std::string describeBondLengthFault(const Molecule& molecule, double toleranceAngstrom) {
  BondLookupMemo table(*InputParameters::instance());
  const Bond* worst = nullptr;
  double worstLength = 0.0;
  double worstTarget = 0.0;
  for (const Bond* bond : molecule.bonds) {
    if (bond == nullptr || bond->atom1 == nullptr || bond->atom2 == nullptr) continue;
    // A metal's bonds (hapto rings, chelates) have no length a table row could promise.
    if (bond->atom1->isMetalAtom() || bond->atom2->isMetalAtom()) continue;
    const double target = expectedLength(*bond, table);
    if (target <= 0.0 || !finitePosition(bond->atom1) || !finitePosition(bond->atom2)) continue;
    const double length = norm(positionOf(bond->atom1) - positionOf(bond->atom2));
    if (std::fabs(length - target) > toleranceAngstrom &&
        (worst == nullptr || std::fabs(length - target) > std::fabs(worstLength - worstTarget))) {
      worst = bond;
      worstLength = length;
      worstTarget = target;
    }
  }
  if (worst == nullptr) return std::string();
  std::ostringstream line;
  line.setf(std::ios::fixed);
  line.precision(2);
  line << "Error: coordinates: bond " << atomLabel(worst->atom1) << "-" << atomLabel(worst->atom2)
       << " of " << moleculeLabel(molecule) << " is " << worstLength
       << " Angstrom long, not about " << worstTarget;
  return line.str();
}

std::vector<AtomPair> findTangledPairs(const Molecule& molecule) {
  std::vector<AtomPair> tangled;
  for (const AtomPair& pair : findClosePairs(molecule, kFinishedFarPairDistance))
    if (pair.distanceAngstrom < kFinishedNonBondedDistance ||
        !shareNeighbour(pair.first, pair.second))
      tangled.push_back(pair);
  return tangled;
}

std::string describeChainFault(const Molecule& molecule, double bondToleranceAngstrom) {
  const std::string lengths = describeBondLengthFault(molecule, bondToleranceAngstrom);
  if (!lengths.empty()) return lengths;
  const std::vector<AtomPair> close = findTangledPairs(molecule);
  if (close.empty()) return std::string();
  std::ostringstream line;
  line.setf(std::ios::fixed);
  line.precision(2);
  line << "Error: coordinates: atoms " << atomLabel(close[0].first) << " and "
       << atomLabel(close[0].second) << " of " << moleculeLabel(molecule) << " are "
       << close[0].distanceAngstrom << " Angstrom apart";
  return line.str();
}

std::string describeFinishedFault(const Molecule& molecule, double bondToleranceAngstrom) {
  const std::string fault = describeGeometryFault(molecule);
  return fault.empty() ? describeChainFault(molecule, bondToleranceAngstrom) : fault;
}
