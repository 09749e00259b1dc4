// Chirality labels and double-bond sides read from the coordinates a file gives.

#include "construction/HandsFromCoordinates.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "construction/GeometryCheck.h"
#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

// A double bond twisted so far that the cosine of its dihedral lies within this of 0 shows no
// side.
constexpr double kLeastSideCosine = 0.5;
// The height (Angstrom) a wedge gives its far end while a drawn centre is read, and the least
// volume (cubic Angstrom) of the tetrahedron of a drawn centre's neighbours that shows a hand.
constexpr float kWedgeRise = 1.0f;
constexpr double kLeastDrawnVolume = 0.05;
// Double bonds in rings of fewer atoms than this are cis by the ring alone.
constexpr size_t kSmallestRingWithTrans = 8;

Atom* otherEnd(const Bond* bond, const Atom* atom) {
  if (bond == nullptr) return nullptr;
  return bond->atom1 == atom ? bond->atom2 : bond->atom1;
}

Bond* bondTo(const Atom* from, const Atom* to) {
  for (Bond* b : from->bonds)
    if (otherEnd(b, from) == to) return b;
  return nullptr;
}

// Classes of atoms the graph cannot tell apart: element, charge and bond count, refined by the
// classes of the neighbours and the orders of the bonds to them until the count stops growing.
std::map<const Atom*, int> symmetryClasses(const Molecule& molecule) {
  std::vector<const Atom*> atoms;
  for (const Atom* a : molecule.atoms)
    if (a != nullptr) atoms.push_back(a);
  std::map<const Atom*, int> klass;
  {
    std::map<std::pair<std::string, std::pair<int, size_t> >, int> first;
    for (const Atom* a : atoms) {
      const auto key = std::make_pair(a->element, std::make_pair(a->charge, a->bonds.size()));
      first.emplace(key, static_cast<int>(first.size()));
      klass[a] = first[key];
    }
  }
  size_t count = 0;
  for (size_t round = 0; round <= atoms.size(); ++round) {
    std::map<std::pair<int, std::vector<std::pair<int, int> > >, int> next;
    std::map<const Atom*, int> refined;
    for (const Atom* a : atoms) {
      std::vector<std::pair<int, int> > around;
      for (const Bond* b : a->bonds) {
        const Atom* n = otherEnd(b, a);
        if (n != nullptr) around.emplace_back(klass[n], b->order);
      }
      std::sort(around.begin(), around.end());
      const auto key = std::make_pair(klass[a], around);
      next.emplace(key, static_cast<int>(next.size()));
      refined[a] = next[key];
    }
    klass.swap(refined);
    if (next.size() == count) break;
    count = next.size();
  }
  return klass;
}

bool takesFourHands(const std::string& e) {
  return e == "C" || e == "Si" || e == "Ge" || e == "N" || e == "P" || e == "As" || e == "B" ||
         e == "S" || e == "Se";
}

// Three neighbours and a lone pair, as the hand reading counts them.
bool takesThreeHands(const Atom& centre) {
  const std::string& e = centre.element;
  if (e == "S" || e == "Se") return true;
  if (e != "P" && e != "As") return false;
  for (const Bond* b : centre.bonds)
    if (b == nullptr || b->order != 1) return false;
  return true;
}

// Two substituents of one class make no centre, unless both are ring bonds of the centre: a
// ring atom's two ring branches may look alike and still hold cis and trans apart.
bool hasFourDifferentSubstituents(const Atom& centre, const std::vector<Atom*>& around,
                                  std::map<const Atom*, int>& klass) {
  for (size_t i = 0; i < around.size(); ++i)
    for (size_t j = i + 1; j < around.size(); ++j) {
      if (klass[around[i]] != klass[around[j]]) continue;
      const Bond* bi = bondTo(&centre, around[i]);
      const Bond* bj = bondTo(&centre, around[j]);
      if (bi == nullptr || bj == nullptr || !bi->inRing || !bj->inRing) return false;
    }
  return true;
}

// The sign of the volume of the tetrahedron of four points (+1, -1, or 0 when nearly flat).
int tetrahedronSign(const std::vector<Atom*>& p) {
  double v[3][3];
  for (int k = 0; k < 3; ++k) {
    v[k][0] = p[k + 1]->position.x - p[0]->position.x;
    v[k][1] = p[k + 1]->position.y - p[0]->position.y;
    v[k][2] = p[k + 1]->position.z - p[0]->position.z;
  }
  const double det = v[0][0] * (v[1][1] * v[2][2] - v[1][2] * v[2][1]) -
                     v[0][1] * (v[1][0] * v[2][2] - v[1][2] * v[2][0]) +
                     v[0][2] * (v[1][0] * v[2][1] - v[1][1] * v[2][0]);
  return det > kLeastDrawnVolume ? 1 : det < -kLeastDrawnVolume ? -1 : 0;
}

// With drawn, a centre with four drawn neighbours is read from the tetrahedron they span (a
// drawing puts all four about the centre in the plane, so no three of them need show the hand
// alone); four neighbours standing as "@@" asks span a positive volume.
bool labelCentre(Atom& centre, std::map<const Atom*, int>& klass, bool drawn = false) {
  if (!centre.isPlaced || !takesFourHands(centre.element)) return false;
  const size_t n = centre.bonds.size();
  if (n != 4 && !(n == 3 && takesThreeHands(centre))) return false;
  // Placed neighbours in bond order; an added hydrogen, which has no position yet, last.
  std::vector<Atom*> placed, added;
  for (const Bond* b : centre.bonds) {
    Atom* other = otherEnd(b, &centre);
    if (other == nullptr) return false;
    (other->isPlaced ? placed : added).push_back(other);
  }
  if (added.size() > 1 || (n == 3 && !added.empty())) return false;
  std::vector<Atom*> around = placed;
  around.insert(around.end(), added.begin(), added.end());
  if (!hasFourDifferentSubstituents(centre, around, klass)) return false;

  if (drawn && around.size() == 4 && added.empty()) {
    const int sign = tetrahedronSign(around);
    if (sign == 0) return false;
    centre.neighbours = around;
    centre.piCount = sign > 0 ? 2 : 1;
    return true;
  }
  const std::vector<Atom*> keptNeighbours = centre.neighbours;
  const int keptLabel = centre.piCount;
  centre.neighbours = around;
  centre.piCount = 2;
  // The reading leaves out the one hydrogen; a centre without one reads its first three.
  const int hand = handednessInSpace(centre);
  if (hand == 0) {
    centre.neighbours = keptNeighbours;
    centre.piCount = keptLabel;
    return false;
  }
  centre.piCount = hand;
  return true;
}

bool inSmallRing(const Molecule& molecule, const Bond& bond) {
  if (!bond.inRing) return false;
  for (int id : bond.ringIds)
    if (id >= 0 && static_cast<size_t>(id) < molecule.rings.size() &&
        molecule.rings[id] != nullptr && molecule.rings[id]->atomIds.size() < kSmallestRingWithTrans)
      return true;
  return false;
}

// The substituent of a double bond's end that the side is read from: a placed one, when the end
// carries one or two that differ; null when the end shows no side.
Atom* sideReference(const Atom* end, const Atom* partner, std::map<const Atom*, int>& klass) {
  std::vector<Atom*> others;
  for (const Bond* b : end->bonds) {
    Atom* other = otherEnd(b, end);
    if (other == nullptr) return nullptr;
    if (other == partner) continue;
    if (b->order != 1) return nullptr;   // a cumulated or crossed end
    others.push_back(other);
  }
  if (others.empty() || others.size() > 2) return nullptr;
  if (others.size() == 2 && klass[others[0]] == klass[others[1]]) return nullptr;
  for (Atom* other : others)
    if (other->isPlaced) return other;
  return nullptr;
}

double torsionCosineOf(const Atom* a, const Atom* b, const Atom* c, const Atom* d) {
  auto vec = [](const Atom* from, const Atom* to) {
    return std::vector<double>{to->position.x - from->position.x, to->position.y - from->position.y,
                               to->position.z - from->position.z};
  };
  auto cross = [](const std::vector<double>& u, const std::vector<double>& v) {
    return std::vector<double>{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
  };
  auto dot = [](const std::vector<double>& u, const std::vector<double>& v) {
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  };
  const std::vector<double> n1 = cross(vec(a, b), vec(b, c));
  const std::vector<double> n2 = cross(vec(b, c), vec(c, d));
  const double norms = std::sqrt(dot(n1, n1) * dot(n2, n2));
  return norms > 1e-12 ? dot(n1, n2) / norms : 0.0;
}

bool labelDoubleBond(const Molecule& molecule, Bond& bond, std::map<const Atom*, int>& klass) {
  if (bond.order != 2 || bond.atom1 == nullptr || bond.atom2 == nullptr) return false;
  if (!bond.atom1->isPlaced || !bond.atom2->isPlaced || inSmallRing(molecule, bond)) return false;
  Atom* first = sideReference(bond.atom1, bond.atom2, klass);
  Atom* second = sideReference(bond.atom2, bond.atom1, klass);
  if (first == nullptr || second == nullptr) return false;
  const double cosine = torsionCosineOf(first, bond.atom1, bond.atom2, second);
  if (std::fabs(cosine) < kLeastSideCosine) return false;
  Bond* firstBond = bondTo(bond.atom1, first);
  Bond* secondBond = bondTo(bond.atom2, second);
  if (firstBond == nullptr || secondBond == nullptr) return false;
  bond.dihedralAtom1 = first;
  bond.dihedralAtom2 = second;
  bond.dihedral = cosine > 0.0 ? 0.0f : kPi;
  bond.hasDihedral = true;
  // The side counts as marked, as a slash on each of the two bonds would mark it.
  if (firstBond->smilesTag < 0) firstBond->smilesTag = 0;
  if (secondBond->smilesTag < 0) secondBond->smilesTag = 0;
  return true;
}

}  // namespace

HandCount labelHandsFromCoordinates(Molecule& molecule) {
  HandCount count;
  std::map<const Atom*, int> klass = symmetryClasses(molecule);
  for (Atom* atom : molecule.atoms)
    if (atom != nullptr && labelCentre(*atom, klass)) ++count.centres;
  for (Bond* bond : molecule.bonds)
    if (bond != nullptr && labelDoubleBond(molecule, *bond, klass)) ++count.doubleBonds;
  return count;
}

HandCount labelHandsFromDrawing(Molecule& molecule, const std::vector<DrawnWedge>& wedges) {
  HandCount count;
  std::map<const Atom*, int> klass = symmetryClasses(molecule);
  const int atoms = static_cast<int>(molecule.atoms.size());
  std::map<int, std::vector<const DrawnWedge*> > byCentre;
  for (const DrawnWedge& w : wedges)
    if (w.centre >= 0 && w.centre < atoms && w.neighbour >= 0 && w.neighbour < atoms &&
        w.direction != 0)
      byCentre[w.centre].push_back(&w);
  for (const auto& entry : byCentre) {
    Atom* centre = molecule.atoms[entry.first];
    if (centre == nullptr) continue;
    // The raised ends stand a bond's height above or below the centre while it is read.
    std::vector<std::pair<Atom*, float> > kept;
    for (const DrawnWedge* w : entry.second) {
      Atom* end = molecule.atoms[w->neighbour];
      if (end == nullptr || bondTo(centre, end) == nullptr) continue;
      kept.emplace_back(end, end->position.z);
      end->position.z = centre->position.z + kWedgeRise * static_cast<float>(w->direction);
    }
    if (!kept.empty() && labelCentre(*centre, klass, true)) ++count.centres;
    for (auto k = kept.rbegin(); k != kept.rend(); ++k) k->first->position.z = k->second;
  }
  return count;
}
