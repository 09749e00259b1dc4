// Relaxation of atom positions under simple restraints, the last step of a geometry repair:
// bond lengths, ideal angles as 1-3 distances, the labelled hands as signed volumes, flat
// trigonal centres, marked double bonds as 1-4 distances, and a soft wall between atoms three or
// more bonds apart, minimised by conjugate gradients. It only has to untangle: the force field
// of the set-up chain refines the result.

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "construction/GeometryCheck.h"
#include "construction/GeometrySupport.h"
#include "math/Constants.h"
#include "model/Bond.h"
#include "model/Ring.h"

namespace geometry {

namespace {

constexpr double kDegree = kPiDouble / 180.0;
constexpr double kTetrahedralDeg = 109.4712;
constexpr double kTrigonalDeg = 120.0;
constexpr double kLinearDeg = 180.0;
// Volume of three unit bond vectors of a regular tetrahedral centre.
constexpr double kTetrahedralVolume = 0.7698004;
// Smallest distances between atoms three or more bonds apart (Angstrom): two heavy atoms, two
// hydrogens; each atom brings half of its own, so a heavy atom and a hydrogen get 2.15.
constexpr double kWallHeavy = 2.5;
constexpr double kWallHydrogen = 1.8;
constexpr double kPairMargin = 1.0;   // Angstrom beyond kWallHeavy kept in the wall pair list
constexpr double kBondWeight = 10.0;
constexpr double kAngleWeight = 5.0;
constexpr double kVolumeWeight = 1.0;
constexpr double kWallWeight = 5.0;
constexpr double kSideWeight = 5.0;
constexpr double kJitter = 0.05;               // Angstrom, breaks exact overlaps and flat traps
constexpr int kMaxSteps = 500;
// A layout from a scattered start has everything to untangle, and is relaxed to convergence.
constexpr int kMaxStepsFromScatter = 3000;
// Half the edge of the box a scattered start fills: this many Angstrom per cube root of the
// atom count, plus a margin.
constexpr double kScatterPerCubeRoot = 1.2;
constexpr double kScatterMargin = 1.0;
constexpr int kStepsBetweenChecks = 20;
constexpr double kGradientTolerance = 1e-2;   // largest gradient component
constexpr double kLargestStep = 0.3;           // Angstrom per line-search trial, largest atom move

int multipleBonds(const Atom* atom, int order) {
  int count = 0;
  for (const Bond* bond : atom->bonds)
    if (bond != nullptr && (bond->order == order || (order == 2 && bond->order == kAromaticOrder)))
      ++count;
  return count;
}

// Two neighbours along a triple bond or two double bonds.
bool isLinear(const Atom* atom) {
  return atom->bonds.size() == 2 && (multipleBonds(atom, 3) > 0 || multipleBonds(atom, 2) >= 2);
}

// Two or three neighbours and a double or aromatic bond (or an aromatic atom). A three-bonded
// sulfur or selenium keeps its lone pair (sulfoxide, sulfilimine): a pyramid.
bool isTrigonal(const Atom* atom) {
  const size_t degree = atom->bonds.size();
  if (degree == 3 && !atom->isAromatic && (atom->element == "S" || atom->element == "Se"))
    return false;
  return (degree == 2 || degree == 3) && !isLinear(atom) &&
         (multipleBonds(atom, 2) > 0 || atom->isAromatic);
}

// The restraints on a molecule's atoms and their relaxation.
class RestraintModel {
 public:
  RestraintModel(const Molecule& molecule, const AtomIndex& index, const std::vector<bool>& fixed);
  // Conjugate gradients for at most maxSteps steps; every few steps the positions go into the
  // atoms and mended() (when given) is asked whether that is enough.
  void relax(const Molecule& molecule, const std::function<bool()>& mended, int maxSteps);
  void store(const Molecule& molecule) const;
  // Movable atoms to random points of a box about the origin, from a fixed seed.
  void scatter(unsigned seed);
  double strain() const { return energy(x_, nullptr); }

 private:
  struct Distance {
    int i, j;
    double target, weight;
  };
  // Signed volume of (p1 - p0, p2 - p0, p3 - p0), held at target.
  struct Volume {
    int p[4];
    double target;
  };

  void addBondsAndAngles(const Molecule& molecule);
  void addVolumes();
  void addLabelledHand(size_t c, const Atom& centre);
  void addLonePairHand(size_t c, const Atom& centre);
  void addMarkedDoubleBonds(const Molecule& molecule);
  double bondTarget(const Atom* a, const Atom* b) const;
  double idealAngleDeg(const Molecule& molecule, const Atom* centre, const Atom* a,
                       const Atom* b) const;
  bool excluded(int i, int j) const;
  double energy(const std::vector<double>& x, std::vector<double>* gradient) const;
  // The pairs the walls may act on at x: every pair that is not excluded and lay closer than
  // the wall search distance plus kPairMargin where the list was made. The list stands while
  // no atom has moved half the margin from there, so no pair within the search distance is
  // missed; the relaxation's thousands of evaluations then walk a short list instead of
  // sorting all atoms into a grid each time.
  void refreshPairs(const std::vector<double>& x) const;

  const AtomIndex& index_;
  std::vector<Atom*> atoms_;
  std::vector<bool> movable_;
  std::vector<double> x_;
  std::vector<double> wall_;             // per atom: heavy or hydrogen wall share
  std::vector<std::vector<int> > near_;  // per atom: atoms one or two bonds away, sorted
  std::vector<Distance> distances_;
  std::vector<Volume> volumes_;
  mutable std::vector<std::pair<int, int> > pairs_;
  mutable std::vector<double> pairsMadeAt_;   // the positions the pair list was made from
};

RestraintModel::RestraintModel(const Molecule& molecule, const AtomIndex& index,
                               const std::vector<bool>& fixed)
    : index_(index),
      atoms_(molecule.atoms.size(), nullptr),
      movable_(molecule.atoms.size(), false),
      x_(3 * molecule.atoms.size(), 0.0),
      wall_(molecule.atoms.size(), 0.0),
      near_(molecule.atoms.size()) {
  std::minstd_rand jitter(12345);
  std::uniform_real_distribution<double> offset(-kJitter, kJitter);
  for (size_t i = 0; i < molecule.atoms.size(); ++i) {
    Atom* atom = molecule.atoms[i];
    if (atom == nullptr) continue;
    atoms_[i] = atom;
    movable_[i] = !(i < fixed.size() && fixed[i]);
    const Vec3 p = positionOf(atom);
    x_[3 * i] = p.x + (movable_[i] ? offset(jitter) : 0.0);
    x_[3 * i + 1] = p.y + (movable_[i] ? offset(jitter) : 0.0);
    x_[3 * i + 2] = p.z + (movable_[i] ? offset(jitter) : 0.0);
    wall_[i] = isHydrogen(atom) ? 0.5 * kWallHydrogen : 0.5 * kWallHeavy;
  }
  addBondsAndAngles(molecule);
  addVolumes();
  addMarkedDoubleBonds(molecule);
  for (std::vector<int>& list : near_) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
}

double RestraintModel::bondTarget(const Atom* a, const Atom* b) const {
  // A bond between two atoms that stay where they are has the length it has (a file's bond of
  // odd length, and the angles at its ends built on it).
  const int i = index_.of(a);
  const int j = index_.of(b);
  if (i >= 0 && j >= 0 && !movable_[i] && !movable_[j]) return norm(positionOf(a) - positionOf(b));
  for (const Bond* bond : a->bonds)
    if (farEnd(bond, a) == b) return bondLengthTarget(bond);
  return kFallbackBondLength;
}

double RestraintModel::idealAngleDeg(const Molecule& molecule, const Atom* centre,
                                     const Atom* a, const Atom* b) const {
  // Small rings have their own angles.
  size_t smallest = 0;
  for (int ringId : centre->ringIds) {
    if (ringId < 0 || static_cast<size_t>(ringId) >= molecule.rings.size()) continue;
    const Ring* ring = molecule.rings[ringId];
    if (ring == nullptr || ring->atomIds.size() > 5) continue;
    const auto has = [ring](const Atom* atom) {
      return std::find(ring->atomIds.begin(), ring->atomIds.end(), atom->id) != ring->atomIds.end();
    };
    if (has(a) && has(b) && (smallest == 0 || ring->atomIds.size() < smallest))
      smallest = ring->atomIds.size();
  }
  if (smallest >= 3) return 180.0 - 360.0 / static_cast<double>(smallest);
  if (isLinear(centre)) return kLinearDeg;
  if (isTrigonal(centre)) return kTrigonalDeg;
  return kTetrahedralDeg;
}

void RestraintModel::addBondsAndAngles(const Molecule& molecule) {
  for (size_t c = 0; c < atoms_.size(); ++c) {
    const Atom* centre = atoms_[c];
    if (centre == nullptr) continue;
    std::vector<const Atom*> ends;
    for (const Bond* bond : centre->bonds) {
      const Atom* other = farEnd(bond, centre);
      if (other != nullptr && index_.of(other) >= 0) ends.push_back(other);
    }
    for (size_t e = 0; e < ends.size(); ++e) {
      const int i = index_.of(ends[e]);
      if (static_cast<size_t>(i) > c)
        distances_.push_back({static_cast<int>(c), i, bondTarget(centre, ends[e]), kBondWeight});
      near_[c].push_back(i);
      for (size_t f = e + 1; f < ends.size(); ++f) {
        const int j = index_.of(ends[f]);
        near_[i].push_back(j);
        near_[j].push_back(i);
        double target;
        if (ends.size() > 4) {
          // Five or more neighbours: the shape the construction gave is kept.
          target = norm(positionOf(ends[e]) - positionOf(ends[f]));
        } else {
          const double l1 = bondTarget(centre, ends[e]);
          const double l2 = bondTarget(centre, ends[f]);
          const double angle = idealAngleDeg(molecule, centre, ends[e], ends[f]) * kDegree;
          target = std::sqrt(std::max(0.0, l1 * l1 + l2 * l2 - 2.0 * l1 * l2 * std::cos(angle)));
        }
        distances_.push_back({i, j, target, kAngleWeight});
      }
    }
  }
}

void RestraintModel::addVolumes() {
  for (size_t c = 0; c < atoms_.size(); ++c) {
    const Atom* centre = atoms_[c];
    if (centre == nullptr) continue;
    if ((centre->piCount == 1 || centre->piCount == 2) && centre->neighbours.size() == 4) {
      addLabelledHand(c, *centre);
      continue;
    }
    if (lonePairSlot(*centre) >= 0) {
      addLonePairHand(c, *centre);
      continue;
    }
    // A trigonal centre stays flat.
    if (centre->bonds.size() != 3 || !isTrigonal(centre)) continue;
    Volume v{{static_cast<int>(c), 0, 0, 0}, 0.0};
    int k = 1;
    for (const Bond* bond : centre->bonds) {
      const Atom* other = farEnd(bond, centre);
      v.p[k++] = other != nullptr ? index_.of(other) : -1;
    }
    if (v.p[1] >= 0 && v.p[2] >= 0 && v.p[3] >= 0) volumes_.push_back(v);
  }
}

void RestraintModel::addLabelledHand(size_t c, const Atom& centre) {
  // Every three of the four neighbours span the volume of a regular tetrahedron of the bond
  // lengths about the centre, with the sign of the label. Held by one three alone, a centre
  // whose rings pull it can come out nearly flat with its fourth neighbour (a hydrogen) pushed
  // through, and the force field afterwards relieves that strain by turning the centre over.
  for (int leftOut = 0; leftOut < 4; ++leftOut) {
    int read[3];
    int j = 0;
    for (int k = 0; k < 4; ++k)
      if (k != leftOut) read[j++] = k;
    Volume v{{static_cast<int>(c), 0, 0, 0}, kTetrahedralVolume};
    for (int k = 0; k < 3; ++k) {
      const Atom* n = centre.neighbours[read[k]];
      v.p[k + 1] = n != nullptr ? index_.of(n) : -1;
      if (v.p[k + 1] < 0) return;
      v.target *= bondTarget(&centre, n);
    }
    const double sign = doubleAtVolumeSign(read[0], read[1], read[2]);
    v.target *= centre.piCount == 2 ? sign : -sign;
    volumes_.push_back(v);
  }
}

void RestraintModel::addLonePairHand(size_t c, const Atom& centre) {
  // The three listed neighbours span the volume they would in a regular tetrahedron whose
  // fourth corner is the lone pair, with the sign of the label.
  HandReading reading;
  if (!readHand(centre, reading)) return;
  Volume v{{static_cast<int>(c), 0, 0, 0}, kTetrahedralVolume};
  for (int k = 0; k < 3; ++k) {
    const Atom* n = centre.neighbours[reading.read[k]];
    v.p[k + 1] = n != nullptr ? index_.of(n) : -1;
    if (v.p[k + 1] < 0) return;
    v.target *= bondTarget(&centre, n);
  }
  v.target *= centre.piCount == 2 ? reading.signForDoubleAt : -reading.signForDoubleAt;
  volumes_.push_back(v);
}

void RestraintModel::addMarkedDoubleBonds(const Molecule& molecule) {
  for (const Bond* bond : molecule.bonds) {
    if (bond == nullptr || !hasMarkedDihedral(*bond)) continue;
    const int i = index_.of(bond->dihedralAtom1);
    const int j = index_.of(bond->dihedralAtom2);
    if (i < 0 || j < 0) continue;
    // Both ends trigonal: the 1-4 distance of the written side.
    const double l1 = bondTarget(bond->atom1, bond->dihedralAtom1);
    const double l2 = bondTarget(bond->atom1, bond->atom2);
    const double l3 = bondTarget(bond->atom2, bond->dihedralAtom2);
    const double s = std::sin(60.0 * kDegree);
    const double c = std::cos(60.0 * kDegree);
    const double side = std::cos(bond->dihedral) >= 0.0 ? 1.0 : -1.0;
    const Vec3 first{-l1 * c, l1 * s, 0.0};
    const Vec3 second{l2 + l3 * c, side * l3 * s, 0.0};
    distances_.push_back({i, j, norm(second - first), kSideWeight});
  }
}

bool RestraintModel::excluded(int i, int j) const {
  const std::vector<int>& list = near_[i];
  return std::binary_search(list.begin(), list.end(), j);
}

double RestraintModel::energy(const std::vector<double>& x, std::vector<double>* gradient) const {
  if (gradient != nullptr) gradient->assign(x.size(), 0.0);
  auto at = [&x](int i) { return Vec3{x[3 * i], x[3 * i + 1], x[3 * i + 2]}; };
  auto push = [gradient](int i, const Vec3& g) {
    if (gradient == nullptr) return;
    (*gradient)[3 * i] += g.x;
    (*gradient)[3 * i + 1] += g.y;
    (*gradient)[3 * i + 2] += g.z;
  };
  double total = 0.0;
  auto spring = [&](int i, int j, double target, double weight, bool wallOnly) {
    if (!movable_[i] && !movable_[j]) return;   // nothing to gain
    const Vec3 d = at(i) - at(j);
    const double r = std::max(norm(d), 1e-9);
    const double stretch = r - target;
    if (wallOnly && stretch >= 0.0) return;
    total += weight * stretch * stretch;
    const Vec3 g = d * (2.0 * weight * stretch / r);
    push(i, g);
    push(j, g * -1.0);
  };
  for (const Distance& d : distances_) spring(d.i, d.j, d.target, d.weight, false);
  for (const Volume& v : volumes_) {
    const Vec3 a = at(v.p[1]) - at(v.p[0]);
    const Vec3 b = at(v.p[2]) - at(v.p[0]);
    const Vec3 c = at(v.p[3]) - at(v.p[0]);
    const double volume = dot(a, cross(b, c));
    const double miss = volume - v.target;
    total += kVolumeWeight * miss * miss;
    const double s = 2.0 * kVolumeWeight * miss;
    const Vec3 ga = cross(b, c) * s;
    const Vec3 gb = cross(c, a) * s;
    const Vec3 gc = cross(a, b) * s;
    push(v.p[1], ga);
    push(v.p[2], gb);
    push(v.p[3], gc);
    push(v.p[0], (ga + gb + gc) * -1.0);
  }
  refreshPairs(x);
  for (const std::pair<int, int>& pair : pairs_) {
    const int i = pair.first;
    const int j = pair.second;
    const Vec3 d = at(i) - at(j);
    const double r2 = dot(d, d);
    if (!(r2 < kWallHeavy * kWallHeavy)) continue;
    if (std::sqrt(r2) >= wall_[i] + wall_[j]) continue;
    spring(i, j, wall_[i] + wall_[j], kWallWeight, true);
  }
  if (gradient != nullptr)
    for (size_t i = 0; i < movable_.size(); ++i)
      if (!movable_[i]) (*gradient)[3 * i] = (*gradient)[3 * i + 1] = (*gradient)[3 * i + 2] = 0.0;
  return total;
}

void RestraintModel::refreshPairs(const std::vector<double>& x) const {
  if (pairsMadeAt_.size() == x.size()) {
    const double half = 0.5 * kPairMargin;
    double moved2 = 0.0;
    for (size_t k = 0; k + 2 < x.size(); k += 3) {
      const double dx = x[k] - pairsMadeAt_[k];
      const double dy = x[k + 1] - pairsMadeAt_[k + 1];
      const double dz = x[k + 2] - pairsMadeAt_[k + 2];
      moved2 = std::max(moved2, dx * dx + dy * dy + dz * dz);
      if (!(moved2 <= half * half)) break;   // also for a position that is not finite
    }
    if (moved2 <= half * half) return;
  }
  std::vector<Point3> points(atoms_.size());
  for (size_t i = 0; i < atoms_.size(); ++i) points[i] = {x[3 * i], x[3 * i + 1], x[3 * i + 2]};
  pairs_.clear();
  forEachPairWithin(points, kWallHeavy + kPairMargin, [&](size_t i, size_t j, double) {
    if (atoms_[i] == nullptr || atoms_[j] == nullptr) return;
    if (excluded(static_cast<int>(i), static_cast<int>(j))) return;
    pairs_.emplace_back(static_cast<int>(i), static_cast<int>(j));
  });
  pairsMadeAt_ = x;
}

void RestraintModel::scatter(unsigned seed) {
  std::minstd_rand random(seed);
  const double count = static_cast<double>(std::count(movable_.begin(), movable_.end(), true));
  const double half = kScatterPerCubeRoot * std::cbrt(count) + kScatterMargin;
  std::uniform_real_distribution<double> coordinate(-half, half);
  for (size_t i = 0; i < movable_.size(); ++i)
    if (movable_[i])
      for (int a = 0; a < 3; ++a) x_[3 * i + a] = coordinate(random);
}

// Conjugate gradients (Polak-Ribiere, restarted when not downhill) with a backtracking line
// search whose first trial moves no atom further than kLargestStep.
void RestraintModel::relax(const Molecule& molecule, const std::function<bool()>& mended,
                           int maxSteps) {
  std::vector<double> gradient;
  double e = energy(x_, &gradient);
  std::vector<double> direction(gradient.size());
  for (size_t k = 0; k < gradient.size(); ++k) direction[k] = -gradient[k];
  std::vector<double> trial(x_.size());
  std::vector<double> nextGradient;
  double lastAlpha = 1.0;
  for (int step = 0; step < maxSteps; ++step) {
    double largest = 0.0;
    double slope = 0.0;
    for (size_t k = 0; k < direction.size(); ++k) {
      largest = std::max(largest, std::fabs(direction[k]));
      slope += direction[k] * gradient[k];
    }
    if (largest < kGradientTolerance) break;
    if (slope >= 0.0) {
      for (size_t k = 0; k < direction.size(); ++k) direction[k] = -gradient[k];
      continue;
    }
    double alpha = std::min(2.0 * lastAlpha, kLargestStep / largest);
    double next = e;
    bool moved = false;
    for (int halving = 0; halving < 30; ++halving, alpha *= 0.5) {
      for (size_t k = 0; k < x_.size(); ++k) trial[k] = x_[k] + alpha * direction[k];
      next = energy(trial, nullptr);
      if (next <= e + 1e-4 * alpha * slope) {
        moved = true;
        break;
      }
    }
    if (!moved) break;
    lastAlpha = alpha;
    x_.swap(trial);
    energy(x_, &nextGradient);
    double numerator = 0.0;
    double denominator = 0.0;
    double gradientSize = 0.0;
    for (size_t k = 0; k < gradient.size(); ++k) {
      numerator += nextGradient[k] * (nextGradient[k] - gradient[k]);
      denominator += gradient[k] * gradient[k];
      gradientSize = std::max(gradientSize, std::fabs(nextGradient[k]));
    }
    const double beta = denominator > 0.0 ? std::max(0.0, numerator / denominator) : 0.0;
    for (size_t k = 0; k < direction.size(); ++k)
      direction[k] = -nextGradient[k] + beta * direction[k];
    gradient.swap(nextGradient);
    e = next;
    if (gradientSize < kGradientTolerance) break;
    // The force field of the chain refines what is left; the relaxation only has to untangle.
    if (mended && step % kStepsBetweenChecks == kStepsBetweenChecks - 1) {
      store(molecule);
      if (mended()) break;
    }
  }
}

void RestraintModel::store(const Molecule& molecule) const {
  for (size_t i = 0; i < molecule.atoms.size() && i < movable_.size(); ++i)
    if (movable_[i] && molecule.atoms[i] != nullptr)
      moveTo(molecule.atoms[i], {x_[3 * i], x_[3 * i + 1], x_[3 * i + 2]});
}

}  // namespace

void relaxUnderRestraints(Molecule& molecule, const AtomIndex& index,
                          const std::vector<bool>& fixed, const std::function<bool()>& mended) {
  RestraintModel model(molecule, index, fixed);
  model.relax(molecule, mended, kMaxSteps);
  model.store(molecule);
}

std::vector<RestrainedLayout> relaxedLayouts(Molecule& molecule, const AtomIndex& index,
                                             const std::vector<unsigned>& starts) {
  const std::vector<SSEVector4f> original = atomPositions(molecule);
  std::vector<RestrainedLayout> layouts;
  for (unsigned start : starts) {
    RestraintModel model(molecule, index, std::vector<bool>());
    if (start > 0) model.scatter(start);
    model.relax(molecule, std::function<bool()>(), start > 0 ? kMaxStepsFromScatter : kMaxSteps);
    model.store(molecule);
    layouts.push_back({atomPositions(molecule), model.strain()});
    placeAtoms(molecule, original);
  }
  return layouts;
}

}  // namespace geometry
