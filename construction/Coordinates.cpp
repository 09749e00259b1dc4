// Three-dimensional coordinates from connectivity: chains grow breadth-first from seed atoms
// with table bond angles and trans dihedrals, rings are laid whole by the ring builder, and
// disconnected fragments are set side by side along +x.

#include <algorithm>
#include <cmath>
#include <deque>
#include <queue>
#include <vector>

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
// A bond that never received parameters has no length; a carbon-carbon single bond stands in,
// so its atoms do not end up on top of each other.
constexpr float kFallbackBondLength = 1.54f;
constexpr float kFragmentGap = 2.0f;         // Angstrom between fragments along +x
constexpr float kLinearTolerance = 0.01f;    // radians
constexpr float kShortReference = 0.01f;     // Angstrom

float placementLength(const Bond* bond) {
  if (bond->inRing) return kRingBondLength;
  const float length = static_cast<float>(bond->focalDistance);
  return length > 0.0f ? length : kFallbackBondLength;
}

// The other end of a bond seen from atom; null when atom is not one of its ends.
Atom* farEnd(const Bond* bond, const Atom* atom) {
  if (bond->atom1 == atom) return bond->atom2;
  if (bond->atom2 == atom) return bond->atom1;
  return nullptr;
}

// Bond angle end-centre-end in radians from the angle table, else the centre's default angle.
float lookUpAngle(const Atom* end, const Atom* centre, const Atom* other) {
  InputParameters* tables = InputParameters::instance();
  AngleParameters record;
  float degrees;
  if (tables->findAngle(end->type, centre->type, other->type, record) != 0)
    degrees = record.angle;
  else
    degrees = tables->findDefaultAngle(centre->element, centre->degree, centre->usedValence);
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

}  // namespace

void Molecule::createOptimumGeometry() {
  setupRingConnections();
  setupRingClusters();
  setConformationForRings();
  fillInitialDihedral();

  std::queue<Atom*> queue;
  int unplaced = 0;
  for (Atom* atom : atoms) {
    if (atom == nullptr) continue;
    if (atom->isPlaced)
      queue.push(atom);
    else
      ++unplaced;
  }

  std::vector<bool> built(rings.size(), false);
  bool firstSeed = true;
  // Each pass places a seed or takes an atom off the queue, so this bound is never reached on a
  // consistent graph; it only keeps a damaged one from looping.
  size_t guard = 4 * (atoms.size() + rings.size()) + 16;
  while (unplaced >= 1 && guard-- > 0) {
    if (queue.empty()) {
      Atom* seed = nullptr;
      // A ring with stereocentres first, so its puckers are laid down before anything else.
      int bestRing = -1;
      for (size_t r = 0; r < rings.size(); ++r) {
        if (rings[r] == nullptr || built[r] || rings[r]->piAtomCount <= 0) continue;
        if (bestRing < 0 || rings[r]->piAtomCount > rings[bestRing]->piAtomCount)
          bestRing = static_cast<int>(r);
      }
      if (bestRing >= 0)
        for (int atomId : rings[bestRing]->atomIds)
          if (atomId >= 0 && static_cast<size_t>(atomId) < atoms.size() && atoms[atomId] != nullptr &&
              !atoms[atomId]->isPlaced) {
            seed = atoms[atomId];
            break;
          }
      if (seed == nullptr && !rings.empty()) {
        size_t most = 0;
        for (Atom* atom : atoms)
          if (atom != nullptr && !atom->isPlaced && atom->ringIds.size() > most) {
            most = atom->ringIds.size();
            seed = atom;
          }
      }
      if (seed == nullptr)
        for (Atom* atom : atoms)
          if (atom != nullptr && !atom->isPlaced) {
            seed = atom;
            break;
          }
      if (seed == nullptr) break;   // the count was off: nothing is left to place

      if (firstSeed) {
        seed->position = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
        firstSeed = false;
      } else {
        SSEVector4f most = atoms[0] != nullptr ? atoms[0]->position : SSEVector4f();
        for (size_t i = 1; i < atoms.size(); ++i) {
          const Atom* atom = atoms[i];
          if (atom == nullptr || !atom->isPlaced || atom == seed) continue;
          most.x = std::max(most.x, atom->position.x);
          most.y = std::max(most.y, atom->position.y);
          most.z = std::max(most.z, atom->position.z);
        }
        seed->position = SSEVector4f(most.x + kFragmentGap, most.y, most.z, 1.0f);
      }
      seed->isPlaced = true;
      queue.push(seed);
      --unplaced;
    }

    Atom* front = queue.front();
    std::vector<int> ringOrder(front->ringIds.begin(), front->ringIds.end());
    auto piCountOf = [this](int ringId) {
      return ringId >= 0 && static_cast<size_t>(ringId) < rings.size() && rings[ringId] != nullptr
                 ? rings[ringId]->piAtomCount
                 : 0;
    };
    for (size_t i = 0; i < ringOrder.size(); ++i)
      for (size_t j = i + 1; j < ringOrder.size(); ++j)
        if (piCountOf(ringOrder[j]) > piCountOf(ringOrder[i])) std::swap(ringOrder[i], ringOrder[j]);

    for (int ringId : ringOrder) {
      if (ringId < 0 || static_cast<size_t>(ringId) >= rings.size() || rings[ringId] == nullptr || built[ringId])
        continue;
      Ring* ring = rings[ringId];
      unplaced -= createGeometryForRing(ring, queue);
      built[ringId] = true;
      for (int atomId : ring->atomIds)
        if (atomId >= 0 && static_cast<size_t>(atomId) < atoms.size() &&
            atoms[atomId] != nullptr && atoms[atomId]->piCount > 0)
          unplaced -= createCoorForNode(atoms[atomId], queue, {});
    }
    if (!queue.empty()) unplaced -= createCoorForNode(queue.front(), queue, {});
  }

  resetHydrogens();

  std::vector<SSEVector4f> packed(atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  for (size_t i = 0; i < atoms.size(); ++i) {
    Atom* atom = atoms[i];
    if (atom == nullptr) continue;
    const size_t slot =
        atom->id >= 0 && static_cast<size_t>(atom->id) < atoms.size() ? atom->id : i;
    packed[slot] = atom->position;
    if (atom->sphere != nullptr) atom->sphere->centre = atom->position;
  }
  positions.swap(packed);
}

int Molecule::createCoorForNode(Atom* atom, std::queue<Atom*>& queue, std::vector<int> bondIds) {
  if (atom == nullptr) return 0;
  UtilityEngine* utility = UtilityEngine::instance();
  std::deque<Bond*> placedBonds;
  std::deque<Bond*> openBonds;
  bool finished = true;

  for (Bond* bond : atom->bonds) {
    Atom* other = bond != nullptr ? farEnd(bond, atom) : nullptr;
    if (other == nullptr) continue;
    if (other->isPlaced)
      placedBonds.push_back(bond);
    else if (bondIds.empty())
      openBonds.push_back(bond);
  }
  if (!bondIds.empty()) {
    for (int bondId : bondIds) {
      if (bondId < 0 || static_cast<size_t>(bondId) >= bonds.size() || bonds[bondId] == nullptr) continue;
      Atom* other = farEnd(bonds[bondId], atom);
      // Only bonds of this atom whose far end still waits can be placed from here.
      if (other != nullptr && !other->isPlaced) openBonds.push_back(bonds[bondId]);
    }
    finished = atom->degree - static_cast<int>(placedBonds.size()) ==
               static_cast<int>(bondIds.size());
  }

  auto retire = [&]() {
    if (finished && !queue.empty() && queue.front() == atom) queue.pop();
  };
  if (openBonds.empty()) {
    retire();
    return 0;
  }

  int placedCount = 0;
  auto settle = [&](Bond* bond, Atom* newAtom, const SSEVector4f& where) {
    newAtom->position = where;
    newAtom->position.w = 1.0f;
    newAtom->isPlaced = true;
    placedBonds.push_back(bond);
    queue.push(newAtom);
    ++placedCount;
  };
  auto takeOpen = [&]() {
    Bond* bond = openBonds.front();
    openBonds.pop_front();
    return bond;
  };

  if (placedBonds.empty()) {
    Bond* bond = takeOpen();
    const SSEVector4f& a = atom->position;
    settle(bond, farEnd(bond, atom),
           SSEVector4f(a.x + placementLength(bond), a.y, a.z, 1.0f));
  }

  if (placedBonds.size() == 1 && !openBonds.empty()) {
    Bond* previous = placedBonds.front();
    Atom* far = farEnd(previous, atom);
    Bond* bond = takeOpen();
    Atom* newAtom = farEnd(bond, atom);
    if (previous->hasDihedral) {
      // The dihedral names the neighbour it is defined for: that one goes first.
      size_t turns = openBonds.size() + 1;
      while (turns-- > 0 && newAtom != previous->dihedralAtom1 &&
             newAtom != previous->dihedralAtom2 && !openBonds.empty()) {
        openBonds.push_back(bond);
        bond = takeOpen();
        newAtom = farEnd(bond, atom);
      }
    }
    const float angle = lookUpAngle(newAtom, atom, far);
    SSEVector4f d = direction3(far->position, atom->position);
    SSEVector4f direction;
    if (std::fabs(angle - kPi) < kLinearTolerance) {
      direction = -d;
      direction.normalize();
    } else {
      utility->calculateSecondAtom(d, direction, angle);
    }
    SSEVector4f candidate = placedAt(atom->position, direction, placementLength(bond));
    if (previous->hasDihedral) {
      const bool atomIsSecond = previous->atom2 == atom;
      Atom* reference = atomIsSecond ? previous->dihedralAtom1 : previous->dihedralAtom2;
      const float target = atomIsSecond ? previous->dihedral : -previous->dihedral;
      if (reference != nullptr && reference->isPlaced && reference != atom && reference != far)
        utility->generateCorrectDihedral(reference->position, far->position, atom->position,
                                         candidate, target);
    }
    settle(bond, newAtom, candidate);
  }

  while (placedBonds.size() >= 2 && !openBonds.empty()) {
    Bond* p1 = placedBonds.front();
    placedBonds.pop_front();
    placedBonds.push_back(p1);
    Bond* p2 = placedBonds.front();
    Bond* bond = takeOpen();
    Atom* newAtom = farEnd(bond, atom);
    Atom* r1 = farEnd(p1, atom);
    Atom* r2 = farEnd(p2, atom);
    const float a1 = lookUpAngle(newAtom, atom, r1);
    const float a2 = lookUpAngle(newAtom, atom, r2);
    SSEVector4f d1 = direction3(r1->position, atom->position);
    SSEVector4f d2 = direction3(r2->position, atom->position);
    SSEVector4f s1;
    SSEVector4f s2;
    if (d1.length() >= kShortReference && d2.length() >= kShortReference) {
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

    SSEVector4f direction;
    const int k1 = atom->getChiralNeighbourId(r1);
    const int k2 = atom->getChiralNeighbourId(r2);
    const int k3 = atom->getChiralNeighbourId(newAtom);
    const bool labelled = atom->piCount == 1 || atom->piCount == 2;   // other labels: none
    if (labelled && atom->degree == 4 && k1 >= 0 && k1 <= 3 && k2 >= 0 && k2 <= 3 && k3 >= 0 &&
        k3 <= 3) {
      SSEVector4f normal = d1 % d2;
      if (permutationParity(k1, k2, k3) > 0) normal = -normal;
      if (atom->piCount == 1)
        direction = s1.dot(normal) < 0.0f ? s1 : s2;
      else
        direction = s1.dot(normal) > 0.0f ? s1 : s2;
    } else {
      // Away from the neighbours already there.
      float closest1 = -1.0f;
      float closest2 = -1.0f;
      for (Bond* b : atom->bonds) {
        Atom* other = b != nullptr ? farEnd(b, atom) : nullptr;
        if (other == nullptr || !other->isPlaced) continue;
        SSEVector4f u = direction3(other->position, atom->position);
        u.normalize();
        closest1 = std::max(closest1, u.dot(s1));
        closest2 = std::max(closest2, u.dot(s2));
      }
      direction = closest2 > closest1 ? s1 : s2;
    }
    settle(bond, newAtom, placedAt(atom->position, direction, placementLength(bond)));
  }

  retire();
  return placedCount;
}

void Molecule::resetHydrogens() {
  for (Atom* atom : atoms) {
    if (atom == nullptr || !atom->hydrogensAdded || atom->degree == 1) continue;
    std::queue<Atom*> local;
    local.push(atom);
    int terminals = 0;
    for (Bond* bond : atom->bonds) {
      Atom* other = bond != nullptr ? farEnd(bond, atom) : nullptr;
      if (other == nullptr) continue;
      if (other->degree > 1) {
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
