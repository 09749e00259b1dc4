// Ring geometry during coordinate construction: which rings share a bond, the fused ring
// systems, and one ring laid down whole as a planar polygon or a puckered crown from the ring
// atoms already placed.

#include <algorithm>
#include <cmath>
#include <queue>
#include <vector>

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
  for (size_t i = 0; i < rings.size(); ++i)
    for (size_t j = i + 1; j < rings.size(); ++j)
      if (rings[i] != nullptr && rings[j] != nullptr && checkConnectedRings(rings[i], rings[j])) {
        rings[i]->neighbourRings.push_back(static_cast<int>(j));
        rings[j]->neighbourRings.push_back(static_cast<int>(i));
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
  auto atomAt = [&](int k) { return atoms[ring->atomIds[wrap(k, n)]]; };
  // The bond between ring atoms k and k + 1, as an index into the bond list (-1 when missing).
  // Found from the atoms, so it does not depend on how the ring lists its bonds.
  auto ringBond = [&](int k) {
    const Bond* bond = getBond(atomAt(k), atomAt(k + 1));
    const auto found = std::find(bonds.begin(), bonds.end(), bond);
    return bond != nullptr && found != bonds.end() ? static_cast<int>(found - bonds.begin())
                                                   : -1;
  };

  int s = 0;
  std::vector<int> bondList;
  for (int i = 0; i < n; ++i) {
    Atom* a = atomAt(i);
    Atom* b = atomAt(i + 1);
    Atom* c = atomAt(i + 2);
    if (a->isPlaced && b->isPlaced && c->isPlaced) {
      bondList.clear();
      s = i;
      break;
    }
    if (a->isPlaced && b->isPlaced && !c->isPlaced && bondList.size() != 1) {
      // The walk goes on from b: its next ring atom is placed from it with the usual rules.
      bondList.assign(1, ringBond(i + 1));
      s = i;
    } else if (a->isPlaced && !b->isPlaced && (bondList.empty() || isStereocentre(a))) {
      bondList.push_back(ringBond(i - 1));
      bondList.push_back(ringBond(i));
      s = i - 1;
    }
  }
  s = wrap(s, n);

  const bool thirdWasPlaced = atomAt(s + 2)->isPlaced;
  int placedHere = 0;
  if (!bondList.empty()) placedHere = createCoorForNode(atomAt(s + 1), queue, bondList);

  float angle = 0.0f;
  float tau = 0.0f;
  calculateInitialDihedralForRing(ring, angle, tau);
  if (ring->conformation == 1 || ring->conformation == 0)
    tau = std::fabs(tau);
  else if (ring->conformation == 2)
    tau = -std::fabs(tau);

  UtilityEngine* utility = UtilityEngine::instance();
  const int s1 = wrap(s + 1, n);
  const int s2 = wrap(s + 2, n);
  ringPositions[s1] = atomAt(s + 1)->position;
  if (atomAt(s)->isPlaced) {
    ringPositions[s] = atomAt(s)->position;
  } else {
    // The anchor's neighbour could not be placed from the chain (a broken ring record):
    // start the ring along +x from the anchor instead of from a stale point.
    ringPositions[s] = ringPositions[s1] + SSEVector4f(kRingBondLength, 0.0f, 0.0f, 0.0f);
  }

  // Third point: the ring angle at s + 1, in the plane of the atom already placed there.
  SSEVector4f u = ringPositions[s] - ringPositions[s1];
  u.w = 0.0f;
  SSEVector4f third;
  bool haveThird = false;
  if (atomAt(s + 2)->isPlaced) {
    SSEVector4f v = atomAt(s + 2)->position - ringPositions[s1];
    v.w = 0.0f;
    SSEVector4f axis = u % v;
    axis.normalize();
    if (axis.length() > 0.0f) {
      float row0[3], row1[3], row2[3];
      float* rows[3] = {row0, row1, row2};
      utility->arbitraryRotationAxis(axis.x, axis.y, axis.z, angle, rows);
      third = SSEVector4f(ringPositions[s1].x + row0[0] * u.x + row0[1] * u.y + row0[2] * u.z,
                          ringPositions[s1].y + row1[0] * u.x + row1[1] * u.y + row1[2] * u.z,
                          ringPositions[s1].z + row2[0] * u.x + row2[1] * u.y + row2[2] * u.z,
                          1.0f);
      haveThird = true;
    }
  }
  if (!haveThird) {
    // No third atom to take the plane from (or it lies on the line): any plane will do.
    SSEVector4f direction;
    utility->calculateSecondAtom(u, direction, angle);
    third = ringPositions[s1] + direction * kRingBondLength;
    third.w = 1.0f;
  }
  ringPositions[s2] = third;
  // The chain rules placed the third atom just now with a table angle; a ring closes only with
  // its own angle, so the atom moves to the ring's point in the same plane, on the same side.
  // A stereocentre in the middle keeps what its label chose.
  if (!thirdWasPlaced && atomAt(s + 2)->isPlaced && !isStereocentre(atomAt(s + 1)))
    atomAt(s + 2)->position = third;

  if (s % 2 == 1) tau = -tau;
  for (int k = 3; k < n; ++k) {
    const int j = s + k - 3;
    const SSEVector4f& pj = ringPositions[wrap(j, n)];
    const SSEVector4f& pj1 = ringPositions[wrap(j + 1, n)];
    const SSEVector4f& pj2 = ringPositions[wrap(j + 2, n)];
    SSEVector4f back = pj1 - pj2;
    back.w = 0.0f;
    SSEVector4f direction;
    utility->calculateSecondAtom(back, direction, angle);
    SSEVector4f candidate = pj2 + direction * kRingBondLength;
    candidate.w = 1.0f;
    utility->generateCorrectDihedral(pj, pj1, pj2, candidate, tau);
    ringPositions[wrap(j + 3, n)] = candidate;
    tau = -tau;
  }
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
        double t = cosine >= 1.0 ? 0.0 : cosine <= -1.0 ? 3.14159265358979 : std::acos(cosine);
        if (p[0] * b3[0] + p[1] * b3[1] + p[2] * b3[2] > 0.0) t = -t;
        torsion = static_cast<float>(t);
      }
    }
  }
  angle = chosen * 180.0f / kPi;
  dihedral = torsion * 180.0f / kPi;
}
