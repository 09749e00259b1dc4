// Three-dimensional coordinates from connectivity: chains grow breadth-first from seed atoms
// with table bond angles and trans dihedrals, rings are laid whole by the ring builder, and
// disconnected fragments are set side by side along +x. What the greedy walk cannot get right
// (bridged cages, crowded centres, a labelled centre the ring puckers could not honour) is
// mended at the end by the restrained clean-up of GeometryRepair.cpp.

#include <algorithm>
#include <cmath>
#include <deque>
#include <queue>
#include <set>
#include <unordered_set>
#include <vector>

#include "construction/GeometryCheck.h"
#include "construction/GeometrySupport.h"
#include "construction/Polyhedra.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "model/Spheroid.h"
#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

namespace {

constexpr float kRingBondLength = 1.3941f;   // Angstrom, every ring bond during construction
constexpr float kFragmentGap = 2.0f;         // Angstrom between fragments along +x
constexpr double kStackedDistance = 0.3;     // Angstrom
constexpr float kLinearTolerance = 0.01f;    // radians
constexpr float kShortReference = 0.01f;     // Angstrom
// Half the tetrahedral angle, radians: each of the two free directions of a four-bonded centre
// stands this far from the bisector opposite its two placed neighbours.
constexpr float kHalfTetrahedral = 0.9553166f;
constexpr float kLinearDegrees = 180.0f;
constexpr float kTrigonalDegrees = 120.0f;
constexpr float kTetrahedralDegrees = 109.47f;
// Two mirror directions closer than this (unit vectors) count as one point.
constexpr float kMinimumMirrorGap = 1.0f;
// Cosines of the two mirror directions with the nearest placed neighbour closer than this leave
// the choice open.
constexpr float kEqualCloseness = 1e-3f;

float placementLength(const Bond* bond) {
  if (bond->inRing) return kRingBondLength;
  // A bond without parameters takes a stand-in, so its atoms do not end up on top of each other.
  return static_cast<float>(geometry::bondLengthTarget(bond));
}

using geometry::farEnd;
using geometry::isHydrogen;

bool validIndex(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

geometry::Vec3 toVec3(const SSEVector4f& v) { return {v.x, v.y, v.z}; }

// Bond angle end-centre-end in radians from the angle table, else the centre's default angle.
float lookUpAngle(const Atom* end, const Atom* centre, const Atom* other) {
  InputParameters* tables = InputParameters::instance();
  AngleParameters record;
  float degrees;
  if (tables->findAngle(end->type, centre->type, other->type, record) != 0) {
    degrees = record.angle;
  } else {
    degrees = tables->findDefaultAngle(centre->element, centre->degree, centre->usedValence);
    // The default is linear for any centre with more valence than bonds, which suits carbon
    // dioxide; the chlorine of perchlorate would put two oxygens on one point.
    if (degrees >= kLinearDegrees && centre->degree >= 3 && !centre->isMetalAtom())
      degrees = centre->degree == 3 ? kTrigonalDegrees : kTetrahedralDegrees;
  }
  return static_cast<float>(degrees / 180.0 * kPi);
}

SSEVector4f direction3(const SSEVector4f& to, const SSEVector4f& from) {
  SSEVector4f d = to - from;
  d.w = 0.0f;
  return d;
}

SSEVector4f placedAt(const SSEVector4f& origin, const SSEVector4f& direction, float length) {
  return SSEVector4f(origin.x + direction.x * length, origin.y + direction.y * length,
                     origin.z + direction.z * length, 1.0f);
}

// Parity of the permutation (k1, k2, k3, m) of (0, 1, 2, 3), m the index missing from the first
// three: +1 even, -1 odd, 0 when an index repeats.
int permutationParity(int k1, int k2, int k3) {
  if (k1 == k2 || k1 == k3 || k2 == k3) return 0;
  const int m = 6 - k1 - k2 - k3;
  const int p[4] = {k1, k2, k3, m};
  int inversions = 0;
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j)
      if (p[i] > p[j]) ++inversions;
  return inversions % 2 == 0 ? 1 : -1;
}

// The two free directions of a four-bonded centre whose placed neighbours lie along the unit
// vectors d1 and d2: both at half the tetrahedral angle from the bisector opposite them, one on
// each side of their plane.
void tetrahedralPair(const SSEVector4f& d1, const SSEVector4f& d2, SSEVector4f& s1,
                     SSEVector4f& s2) {
  SSEVector4f bisector = -(d1 + d2);
  bisector.w = 0.0f;
  bisector.normalize();
  SSEVector4f normal = d1 % d2;
  normal.normalize();
  if (bisector.length() == 0.0f || normal.length() == 0.0f) return;   // collinear: keep the pair
  const float along = std::cos(kHalfTetrahedral);
  const float across = std::sin(kHalfTetrahedral);
  s1 = bisector * along + normal * across;
  s2 = bisector * along - normal * across;
}

// The placement of the unplaced neighbours of one atom: its bonds split into those whose far end
// is placed and those still open, and the three cases of how many references there are.
class NodePlacement {
 public:
  NodePlacement(Molecule& molecule, Atom* atom, std::queue<Atom*>& queue)
      : molecule_(molecule), atom_(atom), queue_(queue) {}

  // Sorts the atom's bonds; a non-empty id list restricts the open ones to those bonds.
  void collect(const std::vector<int>& bondIds);
  bool hasOpen() const { return !open_.empty(); }
  size_t referenceCount() const { return placed_.size(); }
  int count() const { return count_; }

  // A fragment seed: its first neighbour goes along +x.
  void placeAlongX();
  // One reference: table angle to it and the bond's dihedral.
  void placeFromOneReference();
  // Two or more references: the two mirror directions at table angles, chosen by the label or
  // away from the neighbours already there.
  void placeFromTwoReferences();
  // A five- or six-connected centre that sees all its bonds: every open neighbour at once, on
  // the free vertices of its bipyramid or octahedron. False (nothing placed) for any other, and
  // when nothing is open.
  bool placeOnPolyhedron();
  // Takes the atom off the queue's front when it is finished.
  void retire();

 private:
  Bond* takeOpen();
  void settle(Bond* bond, Atom* newAtom, const SSEVector4f& where);
  // The normal of the one ring of this atom when that ring is puckered, fused to no other, laid
  // whole and holds a reference atom.
  bool puckeredRingNormal(const Atom* r1, const Atom* r2, geometry::Vec3& normal) const;
  SSEVector4f chooseMirror(const SSEVector4f& d1, const SSEVector4f& d2, const SSEVector4f& s1,
                           const SSEVector4f& s2, const Atom* r1, const Atom* r2,
                           const Atom* newAtom) const;

  Molecule& molecule_;
  Atom* atom_;
  std::queue<Atom*>& queue_;
  std::deque<Bond*> placed_;
  std::deque<Bond*> open_;
  bool finished_ = true;
  int count_ = 0;
};

void NodePlacement::collect(const std::vector<int>& bondIds) {
  for (Bond* bond : atom_->bonds) {
    Atom* other = bond != nullptr ? farEnd(bond, atom_) : nullptr;
    if (other == nullptr) continue;
    if (other->isPlaced)
      placed_.push_back(bond);
    else if (bondIds.empty())
      open_.push_back(bond);
  }
  if (bondIds.empty()) return;
  for (int bondId : bondIds) {
    if (bondId < 0 || static_cast<size_t>(bondId) >= molecule_.bonds.size() ||
        molecule_.bonds[bondId] == nullptr)
      continue;
    Atom* other = farEnd(molecule_.bonds[bondId], atom_);
    // Only bonds of this atom whose far end still waits can be placed from here.
    if (other != nullptr && !other->isPlaced) open_.push_back(molecule_.bonds[bondId]);
  }
  finished_ = atom_->degree - static_cast<int>(placed_.size()) == static_cast<int>(bondIds.size());
}

Bond* NodePlacement::takeOpen() {
  Bond* bond = open_.front();
  open_.pop_front();
  return bond;
}

void NodePlacement::settle(Bond* bond, Atom* newAtom, const SSEVector4f& where) {
  newAtom->position = where;
  newAtom->position.w = 1.0f;
  newAtom->isPlaced = true;
  placed_.push_back(bond);
  queue_.push(newAtom);
  ++count_;
}

void NodePlacement::retire() {
  if (finished_ && !queue_.empty() && queue_.front() == atom_) queue_.pop();
}

void NodePlacement::placeAlongX() {
  Bond* bond = takeOpen();
  const SSEVector4f& a = atom_->position;
  settle(bond, farEnd(bond, atom_), SSEVector4f(a.x + placementLength(bond), a.y, a.z, 1.0f));
}

void NodePlacement::placeFromOneReference() {
  UtilityEngine* utility = UtilityEngine::instance();
  Bond* previous = placed_.front();
  Atom* far = farEnd(previous, atom_);
  Bond* bond = takeOpen();
  Atom* newAtom = farEnd(bond, atom_);
  if (previous->hasDihedral) {
    // The dihedral names the neighbour it is defined for: that one goes first.
    size_t turns = open_.size() + 1;
    while (turns-- > 0 && newAtom != previous->dihedralAtom1 &&
           newAtom != previous->dihedralAtom2 && !open_.empty()) {
      open_.push_back(bond);
      bond = takeOpen();
      newAtom = farEnd(bond, atom_);
    }
  }
  const float angle = lookUpAngle(newAtom, atom_, far);
  SSEVector4f d = direction3(far->position, atom_->position);
  SSEVector4f direction;
  if (std::fabs(angle - kPi) < kLinearTolerance) {
    direction = -d;
    direction.normalize();
  } else {
    utility->calculateSecondAtom(d, direction, angle);
  }
  SSEVector4f candidate = placedAt(atom_->position, direction, placementLength(bond));
  if (previous->hasDihedral) {
    const bool atomIsSecond = previous->atom2 == atom_;
    Atom* reference = atomIsSecond ? previous->dihedralAtom1 : previous->dihedralAtom2;
    const float target = atomIsSecond ? previous->dihedral : -previous->dihedral;
    if (reference != nullptr && reference->isPlaced && reference != atom_ && reference != far)
      utility->generateCorrectDihedral(reference->position, far->position, atom_->position,
                                       candidate, target);
  }
  settle(bond, newAtom, candidate);
}

void NodePlacement::placeFromTwoReferences() {
  Bond* p1 = placed_.front();
  placed_.pop_front();
  placed_.push_back(p1);
  Bond* p2 = placed_.front();
  Bond* bond = takeOpen();
  Atom* newAtom = farEnd(bond, atom_);
  Atom* r1 = farEnd(p1, atom_);
  Atom* r2 = farEnd(p2, atom_);
  const float a1 = lookUpAngle(newAtom, atom_, r1);
  const float a2 = lookUpAngle(newAtom, atom_, r2);
  SSEVector4f d1 = direction3(r1->position, atom_->position);
  SSEVector4f d2 = direction3(r2->position, atom_->position);
  SSEVector4f s1;
  SSEVector4f s2;
  UtilityEngine* utility = UtilityEngine::instance();
  const bool bothLong = d1.length() >= kShortReference && d2.length() >= kShortReference;
  if (bothLong) {
    d1.normalize();
    d2.normalize();
    utility->calculateThirdAtom(d1, d2, s1, s2, a1, a2);
  } else if (d1.length() >= kShortReference) {
    utility->calculateSecondAtom(d1, s1, a1);
    s2 = s1;
  } else {
    utility->calculateSecondAtom(d2, s2, a2);
    s1 = s2;
  }
  // Table angles that cannot all hold at once (125, 117 and 117 degrees at a quaternary carbon
  // sum to 359) fold the two mirror directions into the plane of the references, and the third
  // and fourth neighbour of a four-bonded centre would share one point. Such a centre takes the
  // tetrahedral pair instead; a metal may be square planar and stays as it is.
  if (bothLong && atom_->degree == 4 && (s1 - s2).length() < kMinimumMirrorGap &&
      !atom_->isMetalAtom())
    tetrahedralPair(d1, d2, s1, s2);
  const SSEVector4f direction = chooseMirror(d1, d2, s1, s2, r1, r2, newAtom);
  settle(bond, newAtom, placedAt(atom_->position, direction, placementLength(bond)));
}

bool NodePlacement::placeOnPolyhedron() {
  // Angles of 90 and 180 degrees are no pair of table angles the mirror steps could lay out.
  const size_t degree = placed_.size() + open_.size();
  if ((degree != 5 && degree != 6) || atom_->degree != static_cast<int>(degree) ||
      placed_.empty() || open_.empty())
    return false;
  std::vector<geometry::Vec3> placed;
  for (const Bond* bond : placed_)
    placed.push_back(geometry::positionOf(farEnd(bond, atom_)) - geometry::positionOf(atom_));
  const std::vector<geometry::Vec3> free =
      geometry::freePolyhedronDirections(static_cast<int>(degree), placed);
  if (free.size() != open_.size()) return false;
  for (const geometry::Vec3& d : free) {
    Bond* bond = takeOpen();
    const SSEVector4f direction(static_cast<float>(d.x), static_cast<float>(d.y),
                                static_cast<float>(d.z), 0.0f);
    settle(bond, farEnd(bond, atom_), placedAt(atom_->position, direction, placementLength(bond)));
  }
  return true;
}

SSEVector4f NodePlacement::chooseMirror(const SSEVector4f& d1, const SSEVector4f& d2,
                                        const SSEVector4f& s1, const SSEVector4f& s2,
                                        const Atom* r1, const Atom* r2,
                                        const Atom* newAtom) const {
  // Places among the four of a labelled centre, a lone pair counted as the fourth.
  const int k1 = stereoSlot(*atom_, r1);
  const int k2 = stereoSlot(*atom_, r2);
  const int k3 = stereoSlot(*atom_, newAtom);
  const bool handed = isHandedCentre(*atom_) && (atom_->degree == 4 || lonePairSlot(*atom_) >= 0);
  if (handed && k1 >= 0 && k1 <= 3 && k2 >= 0 && k2 <= 3 && k3 >= 0 && k3 <= 3) {
    SSEVector4f normal = d1 % d2;
    if (permutationParity(k1, k2, k3) > 0) normal = -normal;
    if (atom_->piCount == 1) return s1.dot(normal) < 0.0f ? s1 : s2;
    return s1.dot(normal) > 0.0f ? s1 : s2;
  }
  // Away from the neighbours already there.
  float closest1 = -1.0f;
  float closest2 = -1.0f;
  for (Bond* b : atom_->bonds) {
    Atom* other = b != nullptr ? farEnd(b, atom_) : nullptr;
    if (other == nullptr || !other->isPlaced) continue;
    SSEVector4f u = direction3(other->position, atom_->position);
    u.normalize();
    closest1 = std::max(closest1, u.dot(s1));
    closest2 = std::max(closest2, u.dot(s2));
  }
  // Two ring neighbours alone leave both directions equally far; on a puckered ring of its own a
  // heavy substituent goes equatorial, since axial links fold a chain of rings back onto itself.
  // Fused and bridged rings keep the rule above: their shape, not a pucker, sets the sides.
  if (std::fabs(closest1 - closest2) < kEqualCloseness && !isHydrogen(newAtom)) {
    geometry::Vec3 normal;
    if (puckeredRingNormal(r1, r2, normal)) {
      const double lean1 = std::fabs(geometry::dot(normal, toVec3(s1)));
      const double lean2 = std::fabs(geometry::dot(normal, toVec3(s2)));
      if (lean1 != lean2) return lean1 < lean2 ? s1 : s2;
    }
  }
  return closest2 > closest1 ? s1 : s2;
}

bool NodePlacement::puckeredRingNormal(const Atom* r1, const Atom* r2,
                                       geometry::Vec3& normal) const {
  if (atom_->ringIds.size() != 1) return false;
  for (int ringId : atom_->ringIds) {
    if (!validIndex(ringId, molecule_.rings.size()) || molecule_.rings[ringId] == nullptr)
      continue;
    const Ring* ring = molecule_.rings[ringId];
    if (!ring->neighbourRings.empty()) continue;
    float angle = 0.0f;
    float torsion = 0.0f;
    molecule_.calculateStandardRing(angle, torsion, static_cast<int>(ring->atomIds.size()),
                                    ring->aromatic || ring->isAromatic());
    if (torsion == 0.0f) continue;
    std::vector<geometry::Vec3> points;
    bool holdsReferences = false;
    for (int atomId : ring->atomIds) {
      const Atom* member = validIndex(atomId, molecule_.atoms.size()) ? molecule_.atoms[atomId]
                                                                       : nullptr;
      if (member == nullptr || !member->isPlaced) {
        points.clear();
        break;
      }
      points.push_back(geometry::positionOf(member));
      holdsReferences = holdsReferences || member == r1 || member == r2;
    }
    if (points.empty() || !holdsReferences) continue;
    normal = geometry::unit(geometry::polygonNormal(points));
    if (geometry::norm(normal) > 0.0) return true;
  }
  return false;
}

// The next seed when the queue ran dry: the first unplaced atom of the unbuilt ring with the
// most labelled atoms, else the unplaced atom in the most rings, else the first unplaced atom.
Atom* chooseSeed(const Molecule& molecule, const std::vector<bool>& built) {
  int bestRing = -1;
  for (size_t r = 0; r < molecule.rings.size(); ++r) {
    const Ring* ring = molecule.rings[r];
    if (ring == nullptr || built[r] || ring->piAtomCount <= 0) continue;
    if (bestRing < 0 || ring->piAtomCount > molecule.rings[bestRing]->piAtomCount)
      bestRing = static_cast<int>(r);
  }
  if (bestRing >= 0)
    for (int atomId : molecule.rings[bestRing]->atomIds)
      if (validIndex(atomId, molecule.atoms.size()) && molecule.atoms[atomId] != nullptr &&
          !molecule.atoms[atomId]->isPlaced)
        return molecule.atoms[atomId];
  Atom* seed = nullptr;
  if (!molecule.rings.empty()) {
    size_t most = 0;
    for (Atom* atom : molecule.atoms)
      if (atom != nullptr && !atom->isPlaced && atom->ringIds.size() > most) {
        most = atom->ringIds.size();
        seed = atom;
      }
  }
  if (seed != nullptr) return seed;
  for (Atom* atom : molecule.atoms)
    if (atom != nullptr && !atom->isPlaced) return atom;
  return nullptr;
}

// Component-wise maxima over atom 0 and every other placed atom but the one left out.
SSEVector4f placedMaxima(const Molecule& molecule, const Atom* leftOut) {
  SSEVector4f most = molecule.atoms[0] != nullptr ? molecule.atoms[0]->position : SSEVector4f();
  for (size_t i = 1; i < molecule.atoms.size(); ++i) {
    const Atom* atom = molecule.atoms[i];
    if (atom == nullptr || !atom->isPlaced || atom == leftOut) continue;
    most.x = std::max(most.x, atom->position.x);
    most.y = std::max(most.y, atom->position.y);
    most.z = std::max(most.z, atom->position.z);
  }
  return most;
}

// A fragment grows from its seed in every direction, so one seeded beyond the largest x of the
// earlier fragments can still reach back into them (a salt's counter-ion did). Once built it
// moves along +x until all of it lies the gap beyond that x.
void moveFragmentBeyond(Atom* seed, float frontierX) {
  std::vector<Atom*> fragment{seed};
  std::unordered_set<const Atom*> seen{seed};
  float lowest = seed->position.x;
  for (size_t i = 0; i < fragment.size(); ++i)
    for (Bond* bond : fragment[i]->bonds) {
      Atom* other = bond != nullptr ? farEnd(bond, fragment[i]) : nullptr;
      if (other == nullptr || !seen.insert(other).second) continue;
      fragment.push_back(other);
      lowest = std::min(lowest, other->position.x);
    }
  const float shift = frontierX + kFragmentGap - lowest;
  if (shift <= 0.0f) return;
  for (Atom* atom : fragment) atom->position.x += shift;
}

// One pass of the driver on the queue's front F: the unbuilt rings through F (most labelled
// atoms first), each followed by the neighbours of its labelled atoms, then F's own neighbours.
// Returns the number of atoms placed.
int buildFromFront(Molecule& molecule, std::queue<Atom*>& queue, std::vector<bool>& built) {
  Atom* front = queue.front();
  std::vector<int> ringOrder(front->ringIds.begin(), front->ringIds.end());
  auto piCountOf = [&molecule](int ringId) {
    return validIndex(ringId, molecule.rings.size()) && molecule.rings[ringId] != nullptr
               ? molecule.rings[ringId]->piAtomCount
               : 0;
  };
  for (size_t i = 0; i < ringOrder.size(); ++i)
    for (size_t j = i + 1; j < ringOrder.size(); ++j)
      if (piCountOf(ringOrder[j]) > piCountOf(ringOrder[i])) std::swap(ringOrder[i], ringOrder[j]);

  int placed = 0;
  for (int ringId : ringOrder) {
    if (!validIndex(ringId, molecule.rings.size()) || molecule.rings[ringId] == nullptr ||
        built[ringId])
      continue;
    Ring* ring = molecule.rings[ringId];
    placed += molecule.createGeometryForRing(ring, queue);
    built[ringId] = true;
    for (int atomId : ring->atomIds)
      if (validIndex(atomId, molecule.atoms.size()) && molecule.atoms[atomId] != nullptr &&
          molecule.atoms[atomId]->piCount > 0)
        placed += molecule.createCoorForNode(molecule.atoms[atomId], queue, {});
  }
  if (!queue.empty()) placed += molecule.createCoorForNode(queue.front(), queue, {});
  return placed;
}

}  // namespace

void Molecule::createOptimumGeometry() {
  setupRingConnections();
  setupRingClusters();
  setConformationForRings();
  fillInitialDihedral();

  std::queue<Atom*> queue;
  int unplaced = 0;
  std::vector<bool> arrivedPlaced(atoms.size(), false);
  for (size_t i = 0; i < atoms.size(); ++i) {
    Atom* atom = atoms[i];
    if (atom == nullptr) continue;
    arrivedPlaced[i] = atom->isPlaced;
    if (atom->isPlaced)
      queue.push(atom);
    else
      ++unplaced;
  }

  std::vector<bool> built(rings.size(), false);
  Atom* fragmentSeed = nullptr;   // the seed of the fragment being built, after the first
  float frontierX = 0.0f;         // largest x before that fragment
  bool firstSeed = true;
  // Each pass places a seed or takes an atom off the queue, so this bound is never reached on a
  // consistent graph; it only keeps a damaged one from looping.
  size_t guard = 4 * (atoms.size() + rings.size()) + 16;
  while (unplaced >= 1 && guard-- > 0) {
    if (queue.empty()) {
      if (fragmentSeed != nullptr) moveFragmentBeyond(fragmentSeed, frontierX);
      Atom* seed = chooseSeed(*this, built);
      if (seed == nullptr) break;   // the count was off: nothing is left to place
      if (firstSeed) {
        seed->position = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
        firstSeed = false;
      } else {
        const SSEVector4f most = placedMaxima(*this, seed);
        seed->position = SSEVector4f(most.x + kFragmentGap, most.y, most.z, 1.0f);
        fragmentSeed = seed;
        frontierX = most.x;
      }
      seed->isPlaced = true;
      queue.push(seed);
      --unplaced;
    }
    unplaced -= buildFromFront(*this, queue, built);
  }
  if (fragmentSeed != nullptr) moveFragmentBeyond(fragmentSeed, frontierX);

  // Positions that arrived in depth are kept; a drawing's (every z 0) give only a start.
  bool arrivedInDepth = false;
  for (size_t i = 0; i < atoms.size(); ++i)
    if (arrivedPlaced[i] && atoms[i] != nullptr && atoms[i]->position.z != 0.0f)
      arrivedInDepth = true;
  resetHydrogens(arrivedInDepth ? arrivedPlaced : std::vector<bool>());
  // Hydrogens merely too close are left to the force field that follows; atoms nearly on top
  // of each other give it no direction to push them apart.
  repairGeometry(*this, arrivedPlaced, kStackedDistance);

  std::vector<SSEVector4f> packed(atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  for (size_t i = 0; i < atoms.size(); ++i) {
    Atom* atom = atoms[i];
    if (atom == nullptr) continue;
    const size_t slot = validIndex(atom->id, atoms.size()) ? atom->id : i;
    packed[slot] = atom->position;
    if (atom->sphere != nullptr) atom->sphere->centre = atom->position;
  }
  positions.swap(packed);
}

int Molecule::createCoorForNode(Atom* atom, std::queue<Atom*>& queue, std::vector<int> bondIds) {
  if (atom == nullptr) return 0;
  NodePlacement node(*this, atom, queue);
  node.collect(bondIds);
  if (node.hasOpen()) {
    if (node.referenceCount() == 0) node.placeAlongX();
    if (!node.placeOnPolyhedron()) {
      if (node.referenceCount() == 1 && node.hasOpen()) node.placeFromOneReference();
      while (node.referenceCount() >= 2 && node.hasOpen()) node.placeFromTwoReferences();
    }
  }
  node.retire();
  return node.count();
}

void Molecule::resetHydrogens(const std::vector<bool>& kept) {
  // By list position, as the caller took them.
  std::set<const Atom*> keptAtoms;
  for (size_t i = 0; i < atoms.size() && i < kept.size(); ++i)
    if (kept[i]) keptAtoms.insert(atoms[i]);
  auto wasKept = [&keptAtoms](const Atom* atom) { return keptAtoms.count(atom) > 0; };
  for (Atom* atom : atoms) {
    if (atom == nullptr || !atom->hydrogensAdded || atom->degree == 1) continue;
    std::queue<Atom*> local;
    local.push(atom);
    int terminals = 0;
    for (Bond* bond : atom->bonds) {
      Atom* other = bond != nullptr ? farEnd(bond, atom) : nullptr;
      if (other == nullptr) continue;
      // A heavy end the file placed (the halogen of a CHFCl centre) is no hydrogen to re-place.
      if (other->degree > 1 || wasKept(other)) {
        local.push(other);
      } else {
        other->isPlaced = false;
        ++terminals;
      }
    }
    if (terminals > 0) createCoorForNode(atom, local, {});
  }
}

void Molecule::fillInitialDihedral() {
  auto reference = [](Atom* end, Atom* other) -> Atom* {
    Atom* fallback = nullptr;
    for (Bond* bond : end->bonds) {
      Atom* next = bond != nullptr ? farEnd(bond, end) : nullptr;
      if (next == nullptr || next == other) continue;
      if (next->degree != 1) return next;
      if (fallback == nullptr) fallback = next;
    }
    return fallback;
  };
  for (Bond* bond : bonds) {
    if (bond == nullptr || bond->hasDihedral || bond->atom1 == nullptr || bond->atom2 == nullptr)
      continue;
    if (bond->atom1->degree == 1 || bond->atom2->degree == 1) continue;
    Atom* first = reference(bond->atom1, bond->atom2);
    Atom* second = reference(bond->atom2, bond->atom1);
    if (first == nullptr || second == nullptr) continue;
    bond->dihedralAtom1 = first;
    bond->dihedralAtom2 = second;
    bond->dihedral = kPi;
    bond->hasDihedral = true;
  }
}
