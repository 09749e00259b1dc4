// Repair of a constructed geometry. The greedy construction lays rings and chains one after
// another from local rules, so a bridged cage (bicyclo[2.2.2]octane needs boats where the ring
// builder lays chairs), a fused ring system whose puckers contradict a label, or two branches
// grown into each other can end with atoms on top of each other or a centre of the wrong hand.
// Such a result is first turned over where that is a rigid move (two branches of a centre
// swapped, a centre reflected through the plane of its three ring neighbours, one side of a
// double bond turned about it), then relaxed under restraints (GeometryRestraints.cpp). The
// force field of the set-up chain refines the result afterwards. For a molecule whose
// optimisation still turns a centre over, whole layouts relaxed under the restraints (also from
// scattered starts) give the chain new places to start from.

#include <algorithm>
#include <vector>

#include "construction/GeometryCheck.h"
#include "construction/GeometrySupport.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

using namespace geometry;

namespace {

constexpr double kCrowdedDistance = 1.0;       // Angstrom: heavy atoms closer call for a repair
constexpr double kOpenBondFactor = 1.5;        // a bond longer than this times its length is open

// Half a turn about the line through origin along the unit vector axis.
Vec3 halfTurn(const Vec3& p, const Vec3& origin, const Vec3& axis) {
  const Vec3 offset = p - origin;
  return origin + axis * (2.0 * dot(axis, offset)) - offset;
}

// The atoms on root's side of the bond centre-root, root included; empty when that side
// reaches centre again (the bond is in a ring) or holds an atom that must not move.
std::vector<Atom*> branchFrom(const Molecule& molecule, const AtomIndex& index,
                              const std::vector<bool>& fixed, Atom* centre, Atom* root) {
  std::vector<bool> seen(molecule.atoms.size(), false);
  const int rootSlot = index.of(root);
  const int centreSlot = index.of(centre);
  if (rootSlot < 0 || centreSlot < 0) return {};
  seen[rootSlot] = true;
  seen[centreSlot] = true;
  std::vector<Atom*> branch{root};
  for (size_t i = 0; i < branch.size(); ++i) {
    Atom* atom = branch[i];
    const int slot = index.of(atom);
    if (slot < static_cast<int>(fixed.size()) && fixed[slot]) return {};
    for (Bond* bond : atom->bonds) {
      Atom* other = farEnd(bond, atom);
      if (other == nullptr) continue;
      if (other == centre && atom != root) return {};
      const int otherSlot = index.of(other);
      if (otherSlot < 0 || seen[otherSlot]) continue;
      seen[otherSlot] = true;
      branch.push_back(other);
    }
  }
  return branch;
}

bool isFixed(const AtomIndex& index, const std::vector<bool>& fixed, const Atom* atom) {
  const int slot = index.of(atom);
  return slot < 0 || (static_cast<size_t>(slot) < fixed.size() && fixed[slot]);
}

// The branches of a centre that may move (smallest first) and its neighbours in rings.
void splitNeighbours(const Molecule& molecule, const AtomIndex& index,
                     const std::vector<bool>& fixed, Atom* centre,
                     std::vector<std::vector<Atom*> >& branches,
                     std::vector<Atom*>& ringNeighbours) {
  for (Bond* bond : centre->bonds) {
    Atom* other = farEnd(bond, centre);
    if (other == nullptr) continue;
    std::vector<Atom*> branch = branchFrom(molecule, index, fixed, centre, other);
    if (branch.empty())
      ringNeighbours.push_back(other);
    else
      branches.push_back(branch);
  }
  std::sort(branches.begin(), branches.end(),
            [](const std::vector<Atom*>& a, const std::vector<Atom*>& b) {
              return a.size() < b.size();
            });
}

// Gives a centre of the wrong hand the other one by a rigid move: its two smallest free
// branches swap places (half a turn about their bisector keeps each branch's own centres), or,
// with three ring neighbours, the centre and its one branch go to their mirror points through
// the plane of those neighbours (half a turn about a line in that plane).
void turnCentreOver(const Molecule& molecule, const AtomIndex& index,
                    const std::vector<bool>& fixed, Atom* centre) {
  if (isFixed(index, fixed, centre)) return;
  const Vec3 c = positionOf(centre);
  std::vector<std::vector<Atom*> > branches;
  std::vector<Atom*> ringNeighbours;
  splitNeighbours(molecule, index, fixed, centre, branches, ringNeighbours);
  if (branches.size() >= 2) {
    const Vec3 u1 = unit(positionOf(branches[0].front()) - c);
    const Vec3 u2 = unit(positionOf(branches[1].front()) - c);
    Vec3 axis = unit(u1 + u2);
    if (norm(axis) == 0.0) axis = unit(cross(u1, Vec3{0.0, 0.0, 1.0}));
    if (norm(axis) == 0.0) axis = unit(cross(u1, Vec3{0.0, 1.0, 0.0}));
    for (int b = 0; b < 2; ++b)
      for (Atom* atom : branches[b]) moveTo(atom, halfTurn(positionOf(atom), c, axis));
    return;
  }
  if (ringNeighbours.size() != 3) return;
  const Vec3 r0 = positionOf(ringNeighbours[0]);
  const Vec3 normal =
      unit(cross(positionOf(ringNeighbours[1]) - r0, positionOf(ringNeighbours[2]) - r0));
  if (norm(normal) == 0.0) return;
  const Vec3 foot = c - normal * dot(normal, c - r0);
  Vec3 along;
  if (!branches.empty()) {
    const Vec3 v = positionOf(branches[0].front()) - c;
    along = unit(v - normal * dot(normal, v));
  }
  if (norm(along) == 0.0) along = unit(cross(normal, Vec3{1.0, 0.0, 0.0}));
  if (norm(along) == 0.0) along = unit(cross(normal, Vec3{0.0, 1.0, 0.0}));
  moveTo(centre, halfTurn(c, foot, along));
  if (!branches.empty())
    for (Atom* atom : branches[0]) moveTo(atom, halfTurn(positionOf(atom), foot, along));
}

// Centres of the list that cannot swap two branches: their hand hangs on their ring system.
size_t boundCentres(const Molecule& molecule, const AtomIndex& index,
                    const std::vector<bool>& fixed, const std::vector<Atom*>& centres) {
  size_t bound = 0;
  for (Atom* centre : centres) {
    std::vector<std::vector<Atom*> > branches;
    std::vector<Atom*> ringNeighbours;
    splitNeighbours(molecule, index, fixed, centre, branches, ringNeighbours);
    if (branches.size() < 2) ++bound;
  }
  return bound;
}

// Every atom to its mirror point through the plane x = mean x.
void mirrorMolecule(Molecule& molecule) {
  double mean = 0.0;
  size_t count = 0;
  for (const Atom* atom : molecule.atoms)
    if (atom != nullptr) {
      mean += atom->position.x;
      ++count;
    }
  if (count == 0) return;
  mean /= static_cast<double>(count);
  for (Atom* atom : molecule.atoms)
    if (atom != nullptr) atom->position.x = static_cast<float>(2.0 * mean - atom->position.x);
}

// Gives inverted centres their written hand by rigid moves. A bridgehead cannot swap branches
// and cannot be reflected through its cage; when the construction built a cage the wrong way
// round (a quinuclidine bridgehead's hydrogen then points into the cage), the whole molecule is
// mirrored, which gives every centre the other hand, so that the centres to turn over are the
// ones that were right before and can swap branches. That is done only when nothing is fixed
// and it leaves fewer bound centres wrong.
void mendCentres(Molecule& molecule, const AtomIndex& index, const std::vector<bool>& fixed) {
  std::vector<Atom*> inverted = findInvertedCentres(molecule);
  if (inverted.empty()) return;
  const bool free = std::none_of(fixed.begin(), fixed.end(), [](bool f) { return f; });
  const size_t bound = boundCentres(molecule, index, fixed, inverted);
  if (free && bound > 0) {
    mirrorMolecule(molecule);
    std::vector<Atom*> mirrored = findInvertedCentres(molecule);
    if (boundCentres(molecule, index, fixed, mirrored) < bound)
      inverted.swap(mirrored);
    else
      mirrorMolecule(molecule);
  }
  // A move can change the hand of a ring neighbour, so each centre is looked at again first.
  for (Atom* centre : inverted)
    if (handednessInSpace(*centre) != centre->piCount)
      turnCentreOver(molecule, index, fixed, centre);
}

// Turns one free side of a marked double bond half a turn about the bond.
void turnDoubleBondOver(const Molecule& molecule, const AtomIndex& index,
                        const std::vector<bool>& fixed, Bond* bond) {
  std::vector<Atom*> side = branchFrom(molecule, index, fixed, bond->atom1, bond->atom2);
  Atom* pivot = bond->atom1;
  if (side.empty()) {
    side = branchFrom(molecule, index, fixed, bond->atom2, bond->atom1);
    pivot = bond->atom2;
  }
  if (side.empty()) return;
  const Vec3 origin = positionOf(pivot);
  const Vec3 axis = unit(positionOf(side.front()) - origin);
  if (norm(axis) == 0.0) return;
  for (Atom* atom : side) moveTo(atom, halfTurn(positionOf(atom), origin, axis));
}

// Bonds stretched far beyond their length: a ring the construction could not close (a
// morphinan written from its ketone ring end had one at 4.8 Angstrom, and the optimisation
// closed it by turning two centres over).
bool isOpen(const Bond* bond) {
  return norm(positionOf(bond->atom1) - positionOf(bond->atom2)) >
         kOpenBondFactor * bondLengthTarget(bond);
}

// Faults a repair can remove: centres and double bonds on the wrong side, bonds left open,
// heavy atoms overlapping, and any two atoms closer than closeLimit. The set-up chain's repair
// (closeLimit at the finished distance) also counts the atoms its final check calls tangled:
// three or more bonds apart and passed through each other. What lies between fixed atoms only
// (a file's odd bond, two stacked atoms of a file) cannot be mended and is not counted; the
// final check reports it.
size_t faultCount(const Molecule& molecule, const AtomIndex& index, const std::vector<bool>& fixed,
                  double closeLimit) {
  const bool anyFixed = std::any_of(fixed.begin(), fixed.end(), [](bool f) { return f; });
  auto movable = [&](const Atom* a, const Atom* b) {
    return !anyFixed || !isFixed(index, fixed, a) || !isFixed(index, fixed, b);
  };
  size_t faults = findInvertedCentres(molecule).size() + findFlippedDoubleBonds(molecule).size();
  for (const Bond* bond : molecule.bonds)
    if (bond != nullptr && bond->atom1 != nullptr && bond->atom2 != nullptr &&
        movable(bond->atom1, bond->atom2) && isOpen(bond))
      ++faults;
  for (const AtomPair& pair : findClosePairs(molecule, std::max(closeLimit, kCrowdedDistance)))
    if (movable(pair.first, pair.second) &&
        (pair.distanceAngstrom < closeLimit ||
         (!isHydrogen(pair.first) && !isHydrogen(pair.second))))
      ++faults;
  if (closeLimit >= kFinishedNonBondedDistance)
    for (const AtomPair& pair : findTangledPairs(molecule))
      if (pair.distanceAngstrom >= std::max(closeLimit, kCrowdedDistance) &&
          movable(pair.first, pair.second))
        ++faults;
  return faults;
}

}  // namespace

void repairGeometry(Molecule& molecule, const std::vector<bool>& fixed, double closeLimitAngstrom) {
  const AtomIndex index(molecule);
  const size_t before = faultCount(molecule, index, fixed, closeLimitAngstrom);
  if (before == 0) return;
  const std::vector<SSEVector4f> original = atomPositions(molecule);

  mendCentres(molecule, index, fixed);
  for (Bond* bond : findFlippedDoubleBonds(molecule))
    turnDoubleBondOver(molecule, index, fixed, bond);
  auto mended = [&]() { return faultCount(molecule, index, fixed, closeLimitAngstrom) == 0; };
  if (!mended()) relaxUnderRestraints(molecule, index, fixed, mended);
  // A repair that made things worse is dropped.
  if (faultCount(molecule, index, fixed, closeLimitAngstrom) > before)
    placeAtoms(molecule, original);
}

std::vector<std::vector<SSEVector4f> > soundLayouts(Molecule& molecule,
                                                    const std::vector<unsigned>& starts) {
  const AtomIndex index(molecule);
  const std::vector<SSEVector4f> original = atomPositions(molecule);
  std::vector<RestrainedLayout> layouts = relaxedLayouts(molecule, index, starts);
  std::stable_sort(layouts.begin(), layouts.end(),
                   [](const RestrainedLayout& a, const RestrainedLayout& b) {
                     return a.strain < b.strain;
                   });
  std::vector<std::vector<SSEVector4f> > sound;
  for (const RestrainedLayout& layout : layouts) {
    placeAtoms(molecule, layout.positions);
    if (describeGeometryFault(molecule).empty()) sound.push_back(layout.positions);
  }
  placeAtoms(molecule, original);
  return sound;
}
