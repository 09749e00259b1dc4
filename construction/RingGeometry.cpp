// Ring geometry during coordinate construction: which rings share a bond, the fused ring
// systems, and one ring laid down whole as a planar polygon, an envelope or a puckered crown
// from the ring atoms already placed.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <queue>
#include <unordered_map>
#include <vector>

#include "construction/GeometrySupport.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

constexpr float kTetrahedral = 1.910612f;        // radians, 109.47 degrees
constexpr float kHalfTetrahedral = 0.955306f;
constexpr float kRingBondLength = 1.3941f;       // Angstrom
// A new ring point nearer than this (Angstrom) to a placed atom it is not bonded to overlaps it.
constexpr float kOverlapDistance = 1.2f;
// The other pucker must fit better by this much (squared Angstrom) to be taken.
constexpr float kMisfitMargin = 0.01f;
// The other pucker must put the substituents this much nearer the ring plane (sum of |cos|).
constexpr double kLeanMargin = 0.1;
constexpr int kNeighbourhoodBonds = 3;
constexpr int kTurnSteps = 12;   // trial turns of a ring's free atoms, 30 degrees apart
// Out-of-plane turn of the flap of a five-membered ring built as an envelope (radians, 30
// degrees): ring torsions near 20 degrees, about half a relaxed cyclopentane's pucker.
constexpr float kEnvelopeFlap = 0.5235988f;
// Fold of a saturated four-membered ring about the diagonal through the last atom's neighbours
// (radians, 25 degrees): a flat square is a saddle whose out-of-plane gradient is zero, so an
// optimisation started from it never leaves it; folded, it relaxes to the pucker.
constexpr float kFourRingFold = 0.4363323f;

int wrap(int index, int size) { return ((index % size) + size) % size; }

// Only the labels 1 and 2 name a configuration; any other value counts as no label.
bool isStereocentre(const Atom* atom) { return atom->piCount == 1 || atom->piCount == 2; }

// Torsion p1-p2-p3-p4 in radians, with the same sign convention as the dihedral fitting of
// the utility engine, so a measured value can be handed back to it as a target.
float measureTorsion(const SSEVector4f& p1, const SSEVector4f& p2, const SSEVector4f& p3,
                     const SSEVector4f& p4) {
  SSEVector4f b1 = p1 - p2;
  SSEVector4f b2 = p3 - p2;
  SSEVector4f b3 = p4 - p3;
  b1.w = b2.w = b3.w = 0.0f;
  SSEVector4f u = b1 % b2;
  SSEVector4f v = b2 % b3;
  u.normalize();
  v.normalize();
  if (u.length() == 0.0f || v.length() == 0.0f) return 0.0f;
  const float cosine = u.dot(v);
  float torsion;
  if (cosine > 1.0f)
    torsion = kPi;
  else if (cosine < -1.0f)
    torsion = 0.0f;
  else
    torsion = kPi - std::acos(cosine);
  if (u.dot(b3) < 0.0f) torsion = -torsion;
  return torsion;
}

// A ring's atoms by cyclic ring position.
struct RingView {
  Molecule& molecule;
  Ring* ring;
  int n;
  Atom* atomAt(int k) const { return molecule.atoms[ring->atomIds[wrap(k, n)]]; }
  // The bond between ring atoms k and k + 1, as an index into the bond list (-1 when missing).
  // Found from the atoms, so it does not depend on how the ring lists its bonds.
  int bondIndex(int k) const {
    const Atom* a = atomAt(k);
    const Atom* b = atomAt(k + 1);
    for (Bond* bond : a->bonds) {
      if (bond == nullptr || (bond->atom1 != b && bond->atom2 != b)) continue;
      if (bond->id >= 0 && static_cast<size_t>(bond->id) < molecule.bonds.size() &&
          molecule.bonds[bond->id] == bond)
        return bond->id;
      const auto found = std::find(molecule.bonds.begin(), molecule.bonds.end(), bond);
      return found != molecule.bonds.end() ? static_cast<int>(found - molecule.bonds.begin()) : -1;
    }
    return -1;
  }
};

// The anchor s of a ring walk: ring atoms s and s + 1 are placed (or s + 1 gets its ring
// neighbours from the chain rules through the bonds left in bondList) and s + 2 follows.
int findRingAnchor(const RingView& view, std::vector<int>& bondList) {
  int s = 0;
  for (int i = 0; i < view.n; ++i) {
    Atom* a = view.atomAt(i);
    Atom* b = view.atomAt(i + 1);
    Atom* c = view.atomAt(i + 2);
    if (a->isPlaced && b->isPlaced && c->isPlaced) {
      bondList.clear();
      s = i;
      break;
    }
    if (a->isPlaced && b->isPlaced && !c->isPlaced && bondList.size() != 1) {
      // The walk goes on from b: its next ring atom is placed from it with the usual rules.
      // A labelled a is the middle of the anchor instead: the ring is laid through its other
      // ring neighbour, which its label placed, so the ring follows the hand and not the
      // other way round.
      bondList.assign(1, view.bondIndex(i + 1));
      s = isStereocentre(a) ? i - 1 : i;
    } else if (a->isPlaced && !b->isPlaced && (bondList.empty() || isStereocentre(a))) {
      bondList.push_back(view.bondIndex(i - 1));
      bondList.push_back(view.bondIndex(i));
      s = i - 1;
    }
  }
  return wrap(s, view.n);
}

// p turned by angle (radians) about the line through origin along the unit vector axis.
SSEVector4f turnedAbout(const SSEVector4f& p, const SSEVector4f& origin, const SSEVector4f& axis,
                        float angle) {
  float row0[3], row1[3], row2[3];
  float* rows[3] = {row0, row1, row2};
  UtilityEngine::instance()->arbitraryRotationAxis(axis.x, axis.y, axis.z, angle, rows);
  const SSEVector4f v = p - origin;
  return SSEVector4f(origin.x + row0[0] * v.x + row0[1] * v.y + row0[2] * v.z,
                     origin.y + row1[0] * v.x + row1[1] * v.y + row1[2] * v.z,
                     origin.z + row2[0] * v.x + row2[1] * v.y + row2[2] * v.z, 1.0f);
}

// Ring points s, s + 1 and s + 2: the first two where their atoms are, the third at the ring
// angle at s + 1 in the plane of the atom already placed there. Returns the third point.
SSEVector4f layAnchor(const RingView& view, int s, float angle,
                      std::vector<SSEVector4f>& points) {
  UtilityEngine* utility = UtilityEngine::instance();
  const int s1 = wrap(s + 1, view.n);
  const int s2 = wrap(s + 2, view.n);
  points[s1] = view.atomAt(s + 1)->position;
  if (view.atomAt(s)->isPlaced) {
    points[s] = view.atomAt(s)->position;
  } else {
    // The anchor's neighbour could not be placed from the chain (a broken ring record):
    // start the ring along +x from the anchor instead of from a stale point.
    points[s] = points[s1] + SSEVector4f(kRingBondLength, 0.0f, 0.0f, 0.0f);
  }
  SSEVector4f u = points[s] - points[s1];
  u.w = 0.0f;
  SSEVector4f third;
  bool haveThird = false;
  if (view.atomAt(s + 2)->isPlaced) {
    SSEVector4f v = view.atomAt(s + 2)->position - points[s1];
    v.w = 0.0f;
    SSEVector4f axis = u % v;
    axis.normalize();
    if (axis.length() > 0.0f) {
      third = turnedAbout(points[s], points[s1], axis, angle);
      haveThird = true;
    }
  }
  if (!haveThird) {
    // No third atom to take the plane from (or it lies on the line): any plane will do.
    SSEVector4f direction;
    utility->calculateSecondAtom(u, direction, angle);
    third = points[s1] + direction * kRingBondLength;
    third.w = 1.0f;
  }
  points[s2] = third;
  return third;
}

// Ring points s + 3 .. s + n - 1, each at the ring angle and at torsion tau (alternating in sign)
// to the three before it.
void layCrown(int s, float angle, float tau, std::vector<SSEVector4f>& points) {
  UtilityEngine* utility = UtilityEngine::instance();
  const int n = static_cast<int>(points.size());
  for (int k = 3; k < n; ++k) {
    const int j = s + k - 3;
    const SSEVector4f& pj = points[wrap(j, n)];
    const SSEVector4f& pj1 = points[wrap(j + 1, n)];
    const SSEVector4f& pj2 = points[wrap(j + 2, n)];
    SSEVector4f back = pj1 - pj2;
    back.w = 0.0f;
    SSEVector4f direction;
    utility->calculateSecondAtom(back, direction, angle);
    SSEVector4f candidate = pj2 + direction * kRingBondLength;
    candidate.w = 1.0f;
    utility->generateCorrectDihedral(pj, pj1, pj2, candidate, tau);
    points[wrap(j + 3, n)] = candidate;
    tau = -tau;
  }
}

// A five-membered ring with a four-connected atom puckers, but a flat one is a saddle of the
// force field whose forces have no component out of the plane: a symmetric ring built flat
// stays flat (1,1-dimethylcyclopentane did, 4 kcal/mol above its envelope). Rings without such
// an atom (aromatic rings, flat five-membered heterocycles) stay flat.
// A four-membered ring without a double or aromatic bond: it puckers.
bool puckeredFourRing(const RingView& view) {
  if (view.n != 4 || view.ring->aromatic || view.ring->isAromatic()) return false;
  for (int k = 0; k < view.n; ++k)
    for (const Bond* bond : view.atomAt(k)->bonds)
      if (bond != nullptr && bond->order != 1) return false;
  return true;
}

bool puckeredFiveRing(const RingView& view) {
  if (view.n != 5 || view.ring->aromatic || view.ring->isAromatic()) return false;
  for (int k = 0; k < view.n; ++k)
    if (view.atomAt(k)->bonds.size() == 4) return true;
  return false;
}

// Turns ring point k out of the plane of its neighbours' points, about the line through them,
// so the ring becomes an envelope with k as its flap; bond lengths to both stay.
void liftFlap(int k, float flap, std::vector<SSEVector4f>& points) {
  const int n = static_cast<int>(points.size());
  const SSEVector4f& before = points[wrap(k - 1, n)];
  SSEVector4f axis = points[wrap(k + 1, n)] - before;
  axis.w = 0.0f;
  axis.normalize();
  if (axis.length() == 0.0f) return;
  points[k] = turnedAbout(points[k], before, axis, flap);
}

// Placed atoms up to three bonds from the ring, the ring's own atoms included: the only ones
// a new ring point can collide with while the rest of the molecule is still being built.
std::vector<const Atom*> placedAtomsNear(const RingView& view) {
  std::vector<const Atom*> frontier;
  std::vector<const Atom*> seen;
  auto visit = [&seen](const Atom* atom) {
    if (std::find(seen.begin(), seen.end(), atom) != seen.end()) return false;
    seen.push_back(atom);
    return true;
  };
  for (int k = 0; k < view.n; ++k)
    if (visit(view.atomAt(k))) frontier.push_back(view.atomAt(k));
  for (int depth = 0; depth < kNeighbourhoodBonds; ++depth) {
    std::vector<const Atom*> next;
    for (const Atom* atom : frontier)
      for (const Bond* bond : atom->bonds) {
        if (bond == nullptr) continue;
        const Atom* other = bond->atom1 == atom ? bond->atom2 : bond->atom1;
        if (other != nullptr && visit(other)) next.push_back(other);
      }
    frontier.swap(next);
  }
  std::vector<const Atom*> placed;
  for (const Atom* atom : seen)
    if (atom->isPlaced) placed.push_back(atom);
  return placed;
}

// How badly ring points disagree with the atoms placed already: each placed ring atom's
// squared distance from its point, and each new point's squared overlap with a placed atom it
// is not bonded to.
float ringMisfit(const RingView& view, const std::vector<SSEVector4f>& points,
                 const std::vector<const Atom*>& nearby) {
  float misfit = 0.0f;
  for (int k = 0; k < view.n; ++k) {
    const Atom* atom = view.atomAt(k);
    if (atom->isPlaced) {
      const SSEVector4f d = atom->position - points[k];
      misfit += d.dot(d);
      continue;
    }
    for (const Atom* other : nearby) {
      if (other == atom || bondBetween(atom, other) != nullptr) continue;
      SSEVector4f d = other->position - points[k];
      const float gap = kOverlapDistance - d.length();
      if (gap > 0.0f) misfit += gap * gap;
    }
  }
  return misfit;
}

// The placed ring atoms as one cyclic run first .. last of at least three atoms, with unplaced
// atoms after it; false otherwise.
bool placedRun(const RingView& view, int& first, int& last) {
  int placed = 0;
  int starts = 0;
  for (int k = 0; k < view.n; ++k) {
    if (!view.atomAt(k)->isPlaced) continue;
    ++placed;
    if (!view.atomAt(k - 1)->isPlaced) {
      ++starts;
      first = k;
    }
  }
  if (starts != 1 || placed < 3 || placed >= view.n) return false;
  last = wrap(first + placed - 1, view.n);
  return true;
}

// A ring that shares three or more atoms with rings laid before it (norbornane's second
// five-ring shares a bent run of three with the first) is laid from them as if it were alone,
// and its new atoms can fall on the old ones. Turning them about the axis through the ends of
// the shared run keeps their bonds to those ends; the turn that fits the placed atoms best is
// taken, none when nothing is gained.
void turnFreeAtoms(const RingView& view, std::vector<SSEVector4f>& points,
                   const std::vector<const Atom*>& nearby) {
  int first = 0;
  int last = 0;
  if (!placedRun(view, first, last)) return;
  const SSEVector4f origin = view.atomAt(first)->position;
  SSEVector4f axis = view.atomAt(last)->position - origin;
  axis.w = 0.0f;
  axis.normalize();
  if (axis.length() == 0.0f) return;
  float best = ringMisfit(view, points, nearby);
  std::vector<SSEVector4f> bestPoints = points;
  for (int step = 1; step < kTurnSteps; ++step) {
    std::vector<SSEVector4f> turned = points;
    const float angle = kTwoPi * static_cast<float>(step) / static_cast<float>(kTurnSteps);
    for (int k = 0; k < view.n; ++k)
      if (!view.atomAt(k)->isPlaced) turned[k] = turnedAbout(points[k], origin, axis, angle);
    const float misfit = ringMisfit(view, turned, nearby);
    if (misfit + kMisfitMargin < best) {
      best = misfit;
      bestPoints.swap(turned);
    }
  }
  points.swap(bestPoints);
}

// The ring points of a flat ring fitted to all its placed atoms: the regular polygon turned and
// moved onto them in their mean plane. Laid from three placed atoms alone, a fused ring takes
// their small errors over and hands them on, enlarged, to the rings laid from it: a graphene
// flake of a thousand carbons came apart that way, with bonds hundreds of Angstrom long. False,
// points untouched, with fewer than three placed atoms or when they lie on a line.
bool fitFlatRing(const RingView& view, std::vector<SSEVector4f>& points) {
  using geometry::Vec3;
  std::vector<int> placed;
  std::vector<Vec3> at;
  for (int k = 0; k < view.n; ++k)
    if (view.atomAt(k)->isPlaced) {
      placed.push_back(k);
      at.push_back(geometry::positionOf(view.atomAt(k)));
    }
  if (placed.size() < 3) return false;
  const Vec3 normal = geometry::unit(geometry::polygonNormal(at));
  if (geometry::norm(normal) == 0.0) return false;

  // The polygon turns anticlockwise about +z, the placed atoms about the normal: in the frame
  // e1, e2 = normal x e1 both turn the same way, and one rotation about the normal fits them.
  const double step = 2.0 * kPi / view.n;
  const double radius = kRingBondLength / (2.0 * std::sin(kPi / view.n));
  auto corner = [&](int k) {
    return Vec3{radius * std::cos(step * k), radius * std::sin(step * k), 0.0};
  };
  Vec3 centre;
  Vec3 cornerCentre;
  for (size_t i = 0; i < placed.size(); ++i) {
    centre = centre + at[i];
    cornerCentre = cornerCentre + corner(placed[i]);
  }
  centre = centre * (1.0 / placed.size());
  cornerCentre = cornerCentre * (1.0 / placed.size());
  const Vec3 e1 = geometry::unit(at[0] - centre - normal * geometry::dot(at[0] - centre, normal));
  const Vec3 e2 = geometry::cross(normal, e1);
  double along = 0.0;
  double across = 0.0;
  for (size_t i = 0; i < placed.size(); ++i) {
    const Vec3 c = corner(placed[i]) - cornerCentre;
    const double x = geometry::dot(at[i] - centre, e1);
    const double y = geometry::dot(at[i] - centre, e2);
    along += c.x * x + c.y * y;
    across += c.x * y - c.y * x;
  }
  const double turn = std::atan2(across, along);
  const double cosine = std::cos(turn);
  const double sine = std::sin(turn);
  for (int k = 0; k < view.n; ++k) {
    const Vec3 c = corner(k) - cornerCentre;
    const Vec3 p = centre + e1 * (cosine * c.x - sine * c.y) + e2 * (sine * c.x + cosine * c.y);
    points[k] = SSEVector4f(static_cast<float>(p.x), static_cast<float>(p.y),
                            static_cast<float>(p.z), 1.0f);
  }
  return true;
}

// How far the heavy substituents already on a ring's placed atoms stand from its mean plane:
// the sum of |cos| of their bonds with the ring normal, small when they are equatorial.
double axialLean(const RingView& view, const std::vector<SSEVector4f>& points) {
  using geometry::Vec3;
  std::vector<Vec3> ringPoints;
  for (const SSEVector4f& p : points) ringPoints.push_back(Vec3{p.x, p.y, p.z});
  const Vec3 normal = geometry::unit(geometry::polygonNormal(ringPoints));
  double lean = 0.0;
  for (int k = 0; k < view.n; ++k) {
    const Atom* atom = view.atomAt(k);
    if (!atom->isPlaced) continue;
    for (const Bond* bond : atom->bonds) {
      const Atom* other = geometry::farEnd(bond, atom);
      if (other == nullptr || !other->isPlaced || geometry::isHydrogen(other) ||
          other == view.atomAt(k - 1) || other == view.atomAt(k + 1))
        continue;
      lean += std::fabs(geometry::dot(
          normal, geometry::unit(geometry::positionOf(other) - ringPoints[k])));
    }
  }
  return lean;
}

}  // namespace

int Molecule::checkConnectedRings(Ring* a, Ring* b) {
  if (a == nullptr || b == nullptr) return 0;
  const int na = static_cast<int>(a->atomIds.size());
  const int nb = static_cast<int>(b->atomIds.size());
  if (na < 2 || nb < 2) return 0;
  for (int i = 0; i < na; ++i) {
    const int x = a->atomIds[i];
    const int y = a->atomIds[(i + 1) % na];
    for (int j = 0; j < nb; ++j) {
      const int p = b->atomIds[j];
      const int q = b->atomIds[(j + 1) % nb];
      if ((p == x && q == y) || (p == y && q == x)) return 1;
    }
  }
  return 0;
}

void Molecule::setupRingConnections() {
  for (Ring* ring : rings)
    if (ring != nullptr) ring->neighbourRings.clear();
  // Two rings share a bond when both hold the same two atoms next to each other. Keyed by that
  // pair, each ring meets only the rings through its own bonds: asking every pair of rings
  // (checkConnectedRings) took a flake of 2,700 rings some 3.6 million questions.
  std::unordered_map<uint64_t, std::vector<int> > ringsOfPair;
  for (size_t i = 0; i < rings.size(); ++i) {
    if (rings[i] == nullptr || rings[i]->atomIds.size() < 2) continue;
    const std::vector<int>& ids = rings[i]->atomIds;
    for (size_t k = 0; k < ids.size(); ++k) {
      const uint32_t x = static_cast<uint32_t>(ids[k]);
      const uint32_t y = static_cast<uint32_t>(ids[(k + 1) % ids.size()]);
      const uint64_t key = (static_cast<uint64_t>(std::min(x, y)) << 32) | std::max(x, y);
      std::vector<int>& holders = ringsOfPair[key];
      if (holders.empty() || holders.back() != static_cast<int>(i))
        holders.push_back(static_cast<int>(i));
    }
  }
  std::vector<std::vector<int> > neighbours(rings.size());
  for (const auto& entry : ringsOfPair)
    for (size_t a = 0; a < entry.second.size(); ++a)
      for (size_t b = a + 1; b < entry.second.size(); ++b) {
        neighbours[entry.second[a]].push_back(entry.second[b]);
        neighbours[entry.second[b]].push_back(entry.second[a]);
      }
  // In ascending ids, as the pairs of rings in id order would list them.
  for (size_t i = 0; i < rings.size(); ++i) {
    if (rings[i] == nullptr) continue;
    std::vector<int>& list = neighbours[i];
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    rings[i]->neighbourRings = list;
  }
}

void Molecule::findRingCluster(RingCluster* cluster, Ring* ring, std::vector<bool>& visited) {
  if (cluster == nullptr || ring == nullptr || ring->id < 0 ||
      static_cast<size_t>(ring->id) >= visited.size() || visited[ring->id])
    return;
  cluster->rings.push_back(ring);
  visited[ring->id] = true;
  for (int neighbourId : ring->neighbourRings)
    if (neighbourId >= 0 && static_cast<size_t>(neighbourId) < rings.size() && !visited[neighbourId])
      findRingCluster(cluster, rings[neighbourId], visited);
}

void Molecule::setupRingClusters() {
  // The clusters of an earlier run point at rings that perception may have replaced since.
  for (RingCluster* cluster : ringClusters) delete cluster;
  ringClusters.clear();
  // The cluster walk indexes its flags by ring id: make sure the ids are the list positions.
  for (size_t i = 0; i < rings.size(); ++i)
    if (rings[i] != nullptr) rings[i]->id = static_cast<int>(i);
  std::vector<bool> visited(rings.size(), false);
  for (size_t i = 0; i < rings.size(); ++i) {
    if (rings[i] == nullptr || visited[i]) continue;
    RingCluster* cluster = new RingCluster();
    findRingCluster(cluster, rings[i], visited);
    ringClusters.push_back(cluster);
  }
}

Ring* Molecule::getCentralRing(RingCluster* cluster) {
  if (cluster == nullptr) return nullptr;
  Ring* central = nullptr;
  for (Ring* ring : cluster->rings)
    if (ring != nullptr &&
        (central == nullptr || ring->neighbourRings.size() > central->neighbourRings.size()))
      central = ring;
  return central;
}

int Molecule::createGeometryForRing(Ring* ring, std::queue<Atom*>& queue) {
  if (ring == nullptr || ring->atomIds.size() < 3) return 0;
  for (int atomId : ring->atomIds)
    if (atomId < 0 || static_cast<size_t>(atomId) >= atoms.size() || atoms[atomId] == nullptr) return 0;
  bool anyPlaced = false;
  for (int atomId : ring->atomIds) anyPlaced = anyPlaced || atoms[atomId]->isPlaced;
  if (!anyPlaced) return 0;   // built later, from an atom the chain placement reaches

  std::vector<SSEVector4f> ringPositions;
  int count = createStandardRing(ring, queue, ringPositions);
  for (size_t k = 0; k < ring->atomIds.size() && k < ringPositions.size(); ++k) {
    Atom* atom = atoms[ring->atomIds[k]];
    if (atom->isPlaced) continue;
    atom->position = ringPositions[k];
    atom->position.w = 1.0f;
    atom->isPlaced = true;
    queue.push(atom);
    ++count;
  }
  return count;
}

int Molecule::createStandardRing(Ring* ring, std::queue<Atom*>& queue,
                                 std::vector<SSEVector4f>& ringPositions) {
  const int n = static_cast<int>(ring->atomIds.size());
  ringPositions.assign(n, SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  if (n < 3) return 0;
  const RingView view{*this, ring, n};

  // A flat ring with three or more atoms placed (a fused aromatic ring, a small ring of a cage)
  // is fitted to all of them.
  float flatAngle = 0.0f;
  float flatTorsion = 0.0f;
  calculateStandardRing(flatAngle, flatTorsion, n, ring->aromatic || ring->isAromatic());
  if (flatTorsion == 0.0f && fitFlatRing(view, ringPositions)) {
    turnFreeAtoms(view, ringPositions, placedAtomsNear(view));
    return 0;
  }

  std::vector<int> bondList;
  const int s = findRingAnchor(view, bondList);
  const bool thirdWasPlaced = view.atomAt(s + 2)->isPlaced;
  int placedHere = 0;
  if (!bondList.empty()) placedHere = createCoorForNode(view.atomAt(s + 1), queue, bondList);

  float angle = 0.0f;
  float tau = 0.0f;
  calculateInitialDihedralForRing(ring, angle, tau);
  if (ring->conformation == 1 || ring->conformation == 0)
    tau = std::fabs(tau);
  else if (ring->conformation == 2)
    tau = -std::fabs(tau);

  const SSEVector4f third = layAnchor(view, s, angle, ringPositions);
  // The chain rules placed the third atom just now with a table angle; a ring closes only with
  // its own angle, so the atom moves to the ring's point in the same plane, on the same side.
  // A stereocentre in the middle keeps what its label chose.
  if (!thirdWasPlaced && view.atomAt(s + 2)->isPlaced && !isStereocentre(view.atomAt(s + 1)))
    view.atomAt(s + 2)->position = third;

  if (s % 2 == 1) tau = -tau;
  layCrown(s, angle, tau, ringPositions);
  // The last point laid is the flap; only an atom not yet placed takes it.
  const int flap = wrap(s + 4, n);
  if (tau == 0.0f && puckeredFiveRing(view) && !view.atomAt(flap)->isPlaced)
    liftFlap(flap, ring->conformation == 2 ? -kEnvelopeFlap : kEnvelopeFlap, ringPositions);
  const int fold = wrap(s + 3, n);
  if (tau == 0.0f && puckeredFourRing(view) && !view.atomAt(fold)->isPlaced)
    liftFlap(fold, ring->conformation == 2 ? -kFourRingFold : kFourRingFold, ringPositions);
  const std::vector<const Atom*> nearby = placedAtomsNear(view);
  if (tau != 0.0f) {
    // The pucker the labels asked for can disagree with what fused and bridged rings placed
    // already: in adamantane it puts a ring atom on top of its neighbour's other ring neighbour.
    // The other pucker is taken when it fits the placed atoms clearly better.
    // When the fit leaves the choice open and no label asks for a pucker, a ring fused to no
    // other takes the one that puts the substituents already there equatorial: axial links fold
    // a chain of 1,4-linked cyclohexanes back onto itself within a few rings.
    std::vector<SSEVector4f> flipped = ringPositions;
    layCrown(s, angle, -tau, flipped);
    const float keptMisfit = ringMisfit(view, ringPositions, nearby);
    const float flippedMisfit = ringMisfit(view, flipped, nearby);
    if (flippedMisfit + kMisfitMargin < keptMisfit ||
        (ring->conformation == 0 && ring->neighbourRings.empty() &&
         !(keptMisfit + kMisfitMargin < flippedMisfit) &&
         axialLean(view, flipped) + kLeanMargin < axialLean(view, ringPositions)))
      ringPositions.swap(flipped);
  }
  turnFreeAtoms(view, ringPositions, nearby);
  return placedHere;
}

void Molecule::calculateInitialDihedralForRing(Ring* ring, float& angle, float& dihedral) {
  const int n = static_cast<int>(ring->atomIds.size());
  const bool planar = ring->aromatic || ring->isAromatic();
  calculateStandardRing(angle, dihedral, n, planar);
  angle = angle * kPi / 180.0f;
  dihedral = dihedral * kPi / 180.0f;
  if (planar || n < 4) return;

  auto atomAt = [&](int k) { return atoms[ring->atomIds[wrap(k, n)]]; };
  // The sign from a run of four ring atoms already placed.
  for (int i = 0; i < n; ++i) {
    if (!(atomAt(i)->isPlaced && atomAt(i + 1)->isPlaced && atomAt(i + 2)->isPlaced &&
          atomAt(i + 3)->isPlaced))
      continue;
    const float torsion = measureTorsion(atomAt(i)->position, atomAt(i + 1)->position,
                                         atomAt(i + 2)->position, atomAt(i + 3)->position);
    const float product = torsion * dihedral;
    if (product != 0.0f) {
      const bool agree = product > 0.0f;
      if ((i % 2 == n % 2) != agree) dihedral = -dihedral;
    }
    return;
  }

  // Otherwise the side that stays farther from the substituents already on the third atom.
  for (int i = 0; i < n; ++i) {
    Atom* a = atomAt(i);
    Atom* b = atomAt(i + 1);
    Atom* c = atomAt(i + 2);
    if (!(a->isPlaced && b->isPlaced && c->isPlaced)) continue;
    const float current = dihedral;
    float nearPlus = kPi;
    float nearMinus = kPi;
    const bool same = i % 2 == n % 2;
    for (Bond* bond : c->bonds) {
      if (bond == nullptr) continue;
      Atom* x = bond->atom1 == c ? bond->atom2 : bond->atom1;
      if (x == nullptr || x == b || !x->isPlaced) continue;
      const float torsion = measureTorsion(a->position, b->position, c->position, x->position);
      nearPlus = std::fmin(nearPlus, std::fabs(current - torsion));
      nearMinus = std::fmin(nearMinus, std::fabs(-current - torsion));
      if (nearPlus > nearMinus)
        dihedral = same ? current : -current;
      else
        dihedral = same ? -current : current;
    }
  }
}

void Molecule::calculateStandardRing(float& angle, float& dihedral, int size, bool planar) {
  dihedral = 0.0f;
  if (size <= 2) {
    angle = kTetrahedral;
    return;
  }
  const float polygon = kPi - kTwoPi / static_cast<float>(size);
  float chosen = polygon;
  float torsion = 0.0f;
  if (polygon > kTetrahedral && !planar) {
    chosen = kTetrahedral;
    // A crown: atoms alternately above and below the mean plane, projections a regular n-gon.
    const double r = std::sin(kHalfTetrahedral) / std::sin(polygon / 2.0);
    if (r < 1.0) {
      const double h = std::sqrt(1.0 - r * r);
      const double cp = std::cos(polygon);
      const double sp = std::sin(polygon);
      const double b1[3] = {r * cp, r * sp, h};
      const double b2[3] = {-r, 0.0, -h};
      const double b3[3] = {r * cp, -r * sp, h};
      auto cross = [](const double* x, const double* y, double* out) {
        out[0] = x[1] * y[2] - x[2] * y[1];
        out[1] = x[2] * y[0] - x[0] * y[2];
        out[2] = x[0] * y[1] - x[1] * y[0];
      };
      double p[3], q[3];
      cross(b1, b2, p);
      cross(b2, b3, q);
      const double pp = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
      const double qq = q[0] * q[0] + q[1] * q[1] + q[2] * q[2];
      if (pp >= 1e-10 && qq >= 1e-10) {
        const double cosine = (p[0] * q[0] + p[1] * q[1] + p[2] * q[2]) / std::sqrt(pp * qq);
        double t = cosine >= 1.0 ? 0.0 : cosine <= -1.0 ? kPiDouble : std::acos(cosine);
        if (p[0] * b3[0] + p[1] * b3[1] + p[2] * b3[2] > 0.0) t = -t;
        torsion = static_cast<float>(t);
      }
    }
  }
  angle = chosen * 180.0f / kPi;
  dihedral = torsion * 180.0f / kPi;
}
