// Ring closure on the packed positions: the shortest path between two open ends, the
// corrections that make it a regular ring (or the ring template of its size), and the closing.

#include "assembly/RingClosure.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "construction/SetupChain.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "model/Spheroid.h"
#include "construction/MoleculeOperations.h"
#include "parameters/InputParameters.h"

namespace {

const float kDegreesPerRadian = 180.0f / kPi;
const int kUnreached = 10000;
// Interior angles up to this (radians) belong to rings of at most five atoms: kept planar.
const float kLargestPlanarAngle = 1.910612f;
const float kTetrahedralAngle = 1.9106119871f;   // 109.47 degrees
const double kHalfTetrahedral = 0.9553059935569763;

struct Vec3 {
  double x, y, z;
};

Vec3 toVec3(const SSEVector4f& v) { return {v.x, v.y, v.z}; }
Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The signed dihedral (radians) of the bond v seen from u at its start and w at its end:
// c1 = u x v against c2 = w x v, negative when c1 points away from w. False when either end
// lies on the bond's line.
bool signedDihedral(const Vec3& u, const Vec3& v, const Vec3& w, double& radians) {
  const Vec3 c1 = cross(u, v);
  const Vec3 c2 = cross(w, v);
  const double n1 = dot(c1, c1);
  const double n2 = dot(c2, c2);
  if (n1 < 1e-10 || n2 < 1e-10) return false;
  const double c = dot(c1, c2) / (std::sqrt(n1) * std::sqrt(n2));
  radians = c >= 1.0 ? 0.0 : c <= -1.0 ? static_cast<double>(kPi) : std::acos(c);
  if (dot(c1, w) * std::sqrt(dot(v, v)) < 0.0) radians = -radians;
  return true;
}

// The angle (radians) at b between a and c.
float bendAngle(const SSEVector4f& a, const SSEVector4f& b, const SSEVector4f& c) {
  SSEVector4f ba = a - b;
  SSEVector4f bc = c - b;
  ba.normalize();
  bc.normalize();
  return std::acos(std::max(-1.0f, std::min(1.0f, ba.dot(bc))));
}

// Target angle and dihedral (radians) of a regular ring of n atoms: planar for rings of up to
// five atoms and for 4k + 2 pi electrons, else puckered with tetrahedral angles, the dihedral
// measured on an ideal piece of that ring.
void regularRingTargets(int n, int piElectrons, float& angle, float& dihedral) {
  const float interior = kPi - 2.0f * kPi / static_cast<float>(n);
  angle = interior;
  dihedral = 0.0f;
  if (interior <= kLargestPlanarAngle || piElectrons % 4 == 2) return;
  angle = kTetrahedralAngle;
  const double s = std::sin(kHalfTetrahedral) / std::sin(static_cast<double>(interior) / 2.0);
  if (s == 1.0) return;
  const double z = std::sqrt(std::max(0.0, 1.0 - s * s));
  const double ca = std::cos(static_cast<double>(interior));
  const double sa = std::sin(static_cast<double>(interior));
  double radians = 0.0;
  if (signedDihedral({s * ca, s * sa, z}, {-s, 0.0, -z}, {-s * ca, s * sa, -z}, radians))
    dihedral = static_cast<float>(radians);
}

// The path as it stands: bond lengths, inner angles (radians) and the dihedral about each bond,
// the dummies of the two open ends standing in for the atoms beyond the path's ends.
struct Dihedral {
  bool defined = false;
  double radians = 0.0;
};
struct PathGeometry {
  std::vector<float> lengths;
  std::vector<float> angles;
  std::vector<Dihedral> dihedrals;
};

PathGeometry measurePath(const std::vector<Atom*>& atoms, const Bond* openEnd1,
                         const Bond* openEnd2) {
  std::vector<SSEVector4f> p;
  for (const Atom* a : atoms) p.push_back(RingClosure::centreOf(a));
  const size_t n = p.size();
  PathGeometry path;
  for (size_t i = 0; i + 1 < n; ++i) path.lengths.push_back((p[i + 1] - p[i]).length());
  for (size_t i = 0; i + 2 < n; ++i) path.angles.push_back(bendAngle(p[i], p[i + 1], p[i + 2]));
  const SSEVector4f first = RingClosure::centreOf(RingClosure::dummyOf(openEnd1));
  const SSEVector4f last = RingClosure::centreOf(RingClosure::dummyOf(openEnd2));
  for (size_t i = 0; i + 1 < n; ++i) {
    const Vec3 prev = toVec3(i == 0 ? first : p[i - 1]);
    const Vec3 next = toVec3(i + 2 < n ? p[i + 2] : last);
    const Vec3 a = toVec3(p[i]);
    const Vec3 b = toVec3(p[i + 1]);
    Dihedral d;
    d.defined = signedDihedral(prev - a, b - a, next - b, d.radians);
    path.dihedrals.push_back(d);
  }
  return path;
}

}  // namespace

RingClosure::RingClosure(Molecule* m, Bond* end1, Bond* end2, bool copy) {
  if (m == nullptr || end1 == nullptr || end2 == nullptr) return;
  molecule = m;
  openEnd1 = end1;
  openEnd2 = end2;
  workOnCopy = copy;
  molecule->update();
  numAtoms = static_cast<int>(molecule->atoms.size());
  numBonds = static_cast<int>(molecule->bonds.size());
}

RingClosure::~RingClosure() = default;

SSEVector4f RingClosure::centreOf(const Atom* atom) {
  return atom->sphere != nullptr ? atom->sphere->centre : atom->position;
}

Atom* RingClosure::dummyOf(const Bond* openEnd) {
  return isDummy(openEnd->atom1) ? openEnd->atom1 : openEnd->atom2;
}

Atom* RingClosure::realEndOf(const Bond* openEnd) {
  return isDummy(openEnd->atom1) ? openEnd->atom2 : openEnd->atom1;
}

bool RingClosure::initializeRingClosure() {
  if (molecule == nullptr || openEnd1 == nullptr || openEnd2 == nullptr ||
      openEnd1->atom1 == nullptr || openEnd1->atom2 == nullptr || openEnd2->atom1 == nullptr ||
      openEnd2->atom2 == nullptr) {
    printError("Error:  RingClosure::initializeRingClosure NULL values");
    return false;
  }
  if (numAtoms < 3) return false;
  onPathAtom.assign(static_cast<size_t>(numAtoms), 0);
  onPathBond.assign(static_cast<size_t>(numBonds), 0);
  movedAtom.assign(static_cast<size_t>(numAtoms), 0);
  movedBond.assign(static_cast<size_t>(numBonds), 0);

  const int endA = realEndOf(openEnd1)->id;
  const int endB = realEndOf(openEnd2)->id;
  const int bondA = openEnd1->id;
  const int bondB = openEnd2->id;
  openEnd1 = openEnd2 = nullptr;
  if (workOnCopy) {
    workingCopy.reset(molecule->clone());
    molecule = workingCopy.get();
  }
  hasRings = MoleculeOperations().findUniqueRings(molecule);

  // Ids are list positions since construction; an end that is not there is no end at all.
  const auto& atoms = molecule->atoms;
  const auto& bonds = molecule->bonds;
  auto outside = [](int id, size_t size) { return id < 0 || static_cast<size_t>(id) >= size; };
  if (outside(endA, atoms.size()) || outside(endB, atoms.size()) || outside(bondA, bonds.size()) ||
      outside(bondB, bonds.size())) {
    printError("Error:  RingClosure::initializeRingClosure NULL values");
    return false;
  }
  const Atom* a = atoms[static_cast<size_t>(endA)];
  const Atom* b = atoms[static_cast<size_t>(endB)];
  if (a->inRing && b->inRing)
    printError("Error: RingClosure::RingClosure. Ring closure is not possible");
  // A path that starts in a ring grows out of it.
  const bool startAtA = a->inRing;
  startAtom = startAtA ? endA : endB;
  endAtom = startAtA ? endB : endA;
  openEnd1 = bonds[static_cast<size_t>(startAtA ? bondA : bondB)];
  openEnd2 = bonds[static_cast<size_t>(startAtA ? bondB : bondA)];

  initializeDijkstra();
  if (!findShortestPath()) return false;   // the ends are not connected
  std::vector<Atom*> walk;
  for (int id = endAtom; id != -1 && walk.size() <= atoms.size();
       id = previous[static_cast<size_t>(id)])
    walk.push_back(atoms[static_cast<size_t>(id)]);
  pathAtoms.assign(walk.rbegin(), walk.rend());
  pathLength = static_cast<int>(pathAtoms.size());
  pathBonds.clear();
  for (size_t k = 0; k + 1 < pathAtoms.size(); ++k)
    pathBonds.push_back(molecule->getBond(pathAtoms[k], pathAtoms[k + 1]));
  markPath();
  return true;
}

void RingClosure::initializeDijkstra() {
  searchSize = molecule != nullptr ? static_cast<int>(molecule->atoms.size()) : 0;
  distance.assign(static_cast<size_t>(searchSize), kUnreached);
  previous.assign(static_cast<size_t>(searchSize), -1);
  done.assign(static_cast<size_t>(searchSize), false);
  if (startAtom >= 0 && startAtom < searchSize) distance[static_cast<size_t>(startAtom)] = 0;
}

int RingClosure::extractMin() {
  int best = -1;
  int bound = kUnreached - 1;   // unreached atoms are never picked
  for (int i = 0; i < searchSize; ++i)
    if (!done[static_cast<size_t>(i)] && distance[static_cast<size_t>(i)] < bound) {
      bound = distance[static_cast<size_t>(i)];
      best = i;
    }
  return best;
}

bool RingClosure::findShortestPath() {
  for (int settled = 0; settled < searchSize; ++settled) {
    const int current = extractMin();
    if (current < 0) break;
    done[static_cast<size_t>(current)] = true;
    Atom* atom = molecule->atoms[static_cast<size_t>(current)];
    const int reach = distance[static_cast<size_t>(current)] + 1;
    for (Bond* bond : atom->bonds) {
      const Atom* next = atom->getAdjacentAtom(bond);
      if (next == nullptr || next->id < 0 || next->id >= searchSize) continue;
      if (distance[static_cast<size_t>(next->id)] <= reach) continue;
      distance[static_cast<size_t>(next->id)] = reach;
      previous[static_cast<size_t>(next->id)] = current;
      if (next->id == endAtom) return true;
    }
  }
  printError("Error: RingClosure::findShortestPath, no Min");
  return false;
}

void RingClosure::partitionMolecule(Atom* atom, bool* visited) {
  if (atom == nullptr || visited == nullptr || molecule == nullptr) return;
  const size_t count = molecule->atoms.size();
  // An explicit stack: a long chain must not run the call stack out.
  std::vector<Atom*> stack{atom};
  while (!stack.empty()) {
    Atom* current = stack.back();
    stack.pop_back();
    if (current->id < 0 || static_cast<size_t>(current->id) >= count) continue;
    if (visited[current->id]) continue;
    visited[current->id] = true;
    for (Bond* bond : current->bonds)
      if (Atom* next = current->getAdjacentAtom(bond)) stack.push_back(next);
  }
}

bool RingClosure::calTransVector(std::vector<float>& lengths, std::vector<float>& angles,
                                 std::vector<float>& dihedrals) {
  const int n = pathLength;
  if (n < 3 || openEnd1 == nullptr || openEnd2 == nullptr) return false;
  int piElectrons = 0;
  for (const Atom* a : pathAtoms) piElectrons += a->piElectrons;
  float targetAngle = 0.0f;
  float targetDihedral = 0.0f;
  regularRingTargets(n, piElectrons, targetAngle, targetDihedral);

  const PathGeometry path = measurePath(pathAtoms, openEnd1, openEnd2);
  for (float length : path.lengths) lengths.push_back(path.lengths.front() - length);
  for (float angle : path.angles) angles.push_back((targetAngle - angle) * kDegreesPerRadian);
  // The targets alternate in sign along the path, so a puckered ring comes out as a chair.
  double target = targetDihedral;
  for (const Dihedral& current : path.dihedrals) {
    dihedrals.push_back(current.defined
                            ? static_cast<float>((target - current.radians) * kDegreesPerRadian)
                            : 0.0f);
    if (current.defined) target = -target;
  }
  return true;
}

bool RingClosure::calTransMatrix(std::vector<float>& lengths, std::vector<float>& angles,
                                 std::vector<float>& dihedrals) {
  CyclicTemplates ring;
  if (!InputParameters::instance()->findCyclicTemplates("RING", pathLength, ring) ||
      pathLength < 3 || !ring.bondLengths || !ring.bondAngles || !ring.torsions ||
      openEnd1 == nullptr || openEnd2 == nullptr) {
    printError("Error: RingClosure:: Cannot find template!");
    return false;
  }
  const PathGeometry path = measurePath(pathAtoms, openEnd1, openEnd2);
  for (size_t i = 0; i < path.lengths.size(); ++i)
    lengths.push_back(ring.bondLengths[i] - path.lengths[i]);
  for (size_t i = 0; i < path.angles.size(); ++i)
    angles.push_back(ring.bondAngles[i] - path.angles[i] * kDegreesPerRadian);
  for (size_t i = 0; i < path.dihedrals.size(); ++i) {
    const Dihedral& current = path.dihedrals[i];
    float entry = 0.0f;
    if (current.defined) {
      entry = ring.torsions[i] - static_cast<float>(current.radians) * kDegreesPerRadian;
      if (entry > 180.0f) entry -= 360.0f;
      if (entry < -180.0f) entry += 360.0f;
    }
    dihedrals.push_back(entry);
  }
  return true;
}

bool RingClosure::creatRingConformation(std::vector<float>& lengths, std::vector<float>& angles,
                                        std::vector<float>& dihedrals) {
  if (molecule == nullptr || pathLength < 2 || openEnd1 == nullptr || openEnd2 == nullptr)
    return false;
  std::vector<SSEVector4f>& p = molecule->positions;
  const size_t count = molecule->atoms.size();
  for (const Atom* a : pathAtoms)
    if (a->id < 0 || static_cast<size_t>(a->id) >= count) return false;
  // A molecule without a packed array of its own is moved from where its atoms are drawn.
  if (p.size() != count) {
    p.clear();
    for (const Atom* a : molecule->atoms) p.push_back(centreOf(a));
  }
  std::unique_ptr<bool[]> moved(new bool[count]);

  UtilityEngine* utility = UtilityEngine::instance();
  for (size_t i = 0; i + 1 < pathAtoms.size(); ++i) {
    const float twist = i < dihedrals.size() ? dihedrals[i] / kDegreesPerRadian : 0.0f;
    // A bond without a twist keeps its length and angle too.
    if (twist == 0.0f) continue;
    Atom* a = pathAtoms[i];
    Atom* b = pathAtoms[i + 1];
    std::fill(moved.get(), moved.get() + count, false);
    moved[a->id] = true;
    partitionMolecule(b, moved.get());
    moved[a->id] = false;

    const SSEVector4f pa = p[static_cast<size_t>(a->id)];
    SSEVector4f axis = p[static_cast<size_t>(b->id)] - pa;
    axis.w = 0.0f;
    axis.normalize();
    axis.clamp();
    SSEVector4f bendAxis(0.0f, 0.0f, 0.0f, 0.0f);
    if (i > 0) {
      bendAxis = (p[static_cast<size_t>(pathAtoms[i - 1]->id)] - pa) %
                 (p[static_cast<size_t>(b->id)] - pa);
      bendAxis.normalize();
      bendAxis.clamp();
    }
    // The dihedral as measured here shrinks when the far side turns right-handed about a->b:
    // turning by the correction itself would move it away from its target (on hexane the
    // closing bond came out 5 A long), so the far side turns by minus the correction.
    utility->rotateAboutAxis(p.data(), b->id, static_cast<int>(count), axis.x, axis.y, axis.z,
                             -twist, moved.get());
    const float stretch = i < lengths.size() ? lengths[i] : 0.0f;
    for (size_t k = 0; k < count; ++k)
      if (moved[k]) {
        p[k].x += axis.x * stretch;
        p[k].y += axis.y * stretch;
        p[k].z += axis.z * stretch;
      }
    const float bend = i > 0 && i - 1 < angles.size() ? angles[i - 1] / kDegreesPerRadian : 0.0f;
    if (bend != 0.0f)
      utility->rotateAboutAxis(p.data(), a->id, static_cast<int>(count), bendAxis.x, bendAxis.y,
                               bendAxis.z, bend, moved.get());
  }
  Bond* closing = addClosingBond(removeOpenEnds());
  if (closing == nullptr) return false;
  addClosureRing(closing);
  // The spheroids follow the twisted positions; a ring whose atoms came too close is refused.
  return runSetupChain(*molecule, {SetupStep::Spheroids, SetupStep::Naming, SetupStep::Energies})
      .ok();
}

Molecule* RingClosure::getMolecule() {
  if (!workOnCopy || molecule == nullptr) return molecule;
  return molecule->clone();
}

float RingClosure::getDistanceLF() {
  if (pathAtoms.empty()) return 0.0f;
  return (centreOf(pathAtoms.back()) - centreOf(pathAtoms.front())).length();
}

void RingClosure::markPath() {
  const size_t atomCount = std::max(static_cast<size_t>(numAtoms), molecule->atoms.size());
  const size_t bondCount = std::max(static_cast<size_t>(numBonds), molecule->bonds.size());
  onPathAtom.assign(atomCount, 0);
  onPathBond.assign(bondCount, 0);
  for (const Atom* a : pathAtoms)
    if (a->id >= 0 && static_cast<size_t>(a->id) < atomCount)
      onPathAtom[static_cast<size_t>(a->id)] = 1;
  for (const Bond* b : pathBonds)
    if (b != nullptr && b->id >= 0 && static_cast<size_t>(b->id) < bondCount)
      onPathBond[static_cast<size_t>(b->id)] = 1;
}

bool RingClosure::isPathAtom(const Atom* atom) const {
  return atom != nullptr && atom->id >= 0 && static_cast<size_t>(atom->id) < onPathAtom.size() &&
         onPathAtom[static_cast<size_t>(atom->id)] != 0;
}

bool RingClosure::isPathBond(const Bond* bond) const {
  return bond != nullptr && bond->id >= 0 && static_cast<size_t>(bond->id) < onPathBond.size() &&
         onPathBond[static_cast<size_t>(bond->id)] != 0;
}

int RingClosure::removeOpenEnds() {
  const int order = openEnd1->order;
  Atom* dummy1 = dummyOf(openEnd1);
  Atom* dummy2 = dummyOf(openEnd2);
  molecule->deleteBond(openEnd1);
  if (openEnd2 != openEnd1) molecule->deleteBond(openEnd2);
  openEnd1 = openEnd2 = nullptr;
  // An open end that leads to no dummy must not take a path atom with it.
  if (!isPathAtom(dummy1)) molecule->deleteAtom(dummy1);
  if (dummy2 != dummy1 && !isPathAtom(dummy2)) molecule->deleteAtom(dummy2);
  molecule->update();
  markPath();
  return order;
}

Bond* RingClosure::addClosingBond(int order) {
  Bond* closing = Builder::instance()->createBond();
  closing->atom1 = pathAtoms.front();
  closing->atom2 = pathAtoms.back();
  closing->order = order;
  closing->semiMajorAxis = closingBondParameters.semiMajorAxis;
  closing->semiMinorAxis = closingBondParameters.semiMinorAxis;
  closing->focalDistance = closingBondParameters.focalDistance;
  closing->energy = closingBondParameters.energy;
  closing->isConnection = true;
  if (molecule->addBond(closing) != 1) {
    delete closing;
    printError("Error: CRing::twistMolecule, adding bond failed");
    return nullptr;
  }
  // The closing bond belongs to the ring now: side-group walks stop at it as at any path bond.
  if (static_cast<size_t>(closing->id) >= onPathBond.size())
    onPathBond.resize(static_cast<size_t>(closing->id) + 1, 0);
  onPathBond[static_cast<size_t>(closing->id)] = 1;
  return closing;
}

void RingClosure::addClosureRing(Bond* closing) {
  Ring* ring = Builder::instance()->createRing();
  for (const Atom* a : pathAtoms) ring->atomIds.push_back(a->id);
  for (size_t k = 0; k + 1 < pathAtoms.size(); ++k)
    if (const Bond* b = molecule->getBond(pathAtoms[k], pathAtoms[k + 1]))
      ring->bondIds.push_back(b->id);
  ring->bondIds.push_back(closing->id);
  ring->isClosure = true;
  molecule->addRing(ring, false);
}
