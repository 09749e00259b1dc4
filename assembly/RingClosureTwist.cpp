// Ring-closure twist routines: they turn whole side groups of the path on the spheroids (atom
// spheres, orbitals and bond orbitals) instead of editing the packed positions.

#include "assembly/RingClosure.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "assembly/BondFrame.h"
#include "construction/MoleculeOperations.h"
#include "io/SmilesWriter.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace {

const float kRadiansPerDegree = kPi / 180.0f;
const float kFailedDistance = -10000.0f;

void transformAtom(Atom* atom, SSEMatrix4x4f* m) {
  if (atom->sphere != nullptr) atom->sphere->transformCenterAndFoci(m);
  for (Ao* orbital : atom->aos)
    if (orbital->spheroid != nullptr) orbital->spheroid->transformCenterAndFoci(m);
}

void transformBond(Bond* bond, SSEMatrix4x4f* m) {
  if (bond != nullptr && bond->spheroid != nullptr) bond->spheroid->transformCenterAndFoci(m);
}

// Where an open end is drawn: its orbital's centre, or the middle of its two atoms.
SSEVector4f centreOfBond(const Bond* bond) {
  if (bond->spheroid != nullptr) return bond->spheroid->centre;
  return (RingClosure::centreOf(bond->atom1) + RingClosure::centreOf(bond->atom2)) * 0.5f;
}

// The last neighbour of atom, in bond order, that is neither of the two excluded atoms nor a
// hydrogen; the frame origin when there is none.
SSEVector4f reliefReference(const Atom* atom, const Atom* not1, const Atom* not2) {
  SSEVector4f reference(0.0f, 0.0f, 0.0f, 1.0f);
  for (Bond* bond : atom->bonds) {
    const Atom* n = atom->getAdjacentAtom(bond);
    if (n != nullptr && n != not1 && n != not2 && n->element != "H")
      reference = RingClosure::centreOf(n);
  }
  return reference;
}

}  // namespace

void RingClosure::rotateNode(Atom* node, SSEMatrix4x4f* matrix) {
  if (node == nullptr || matrix == nullptr || molecule == nullptr) return;
  movedAtom.assign(molecule->atoms.size(), 0);
  movedBond.assign(molecule->bonds.size(), 0);
  auto marked = [](std::vector<int>& marks, int id) {
    return id < 0 || static_cast<size_t>(id) >= marks.size() || marks[static_cast<size_t>(id)] != 0;
  };
  auto mark = [](std::vector<int>& marks, int id) {
    if (id >= 0 && static_cast<size_t>(id) < marks.size()) marks[static_cast<size_t>(id)] = 1;
  };
  transformAtom(node, matrix);
  mark(movedAtom, node->id);
  // Breadth first over everything hanging off the node; path atoms and bonds stop the walk.
  std::deque<std::pair<Bond*, Atom*>> queue;   // a bond and the atom it was reached from
  for (Bond* bond : node->bonds)
    if (!isPathBond(bond) && !marked(movedBond, bond->id)) queue.emplace_back(bond, node);
  while (!queue.empty()) {
    Bond* bond = queue.front().first;
    const Atom* from = queue.front().second;
    queue.pop_front();
    if (isPathBond(bond) || marked(movedBond, bond->id)) continue;
    transformBond(bond, matrix);
    mark(movedBond, bond->id);
    for (Atom* atom : {bond->atom1, bond->atom2}) {
      if (atom == nullptr || isPathAtom(atom) || marked(movedAtom, atom->id)) continue;
      transformAtom(atom, matrix);
      mark(movedAtom, atom->id);
    }
    Atom* far = bond->atom1 == from ? bond->atom2 : bond->atom1;
    if (far == nullptr) continue;
    for (Bond* next : far->bonds)
      if (!isPathBond(next) && !marked(movedBond, next->id)) queue.emplace_back(next, far);
  }
}

bool RingClosure::twistRingNodes(std::vector<float> twistDeg, float& endToEnd) {
  const int n = pathLength;
  if (n < 2 || static_cast<int>(twistDeg.size()) < n - 2) {
    endToEnd = kFailedDistance;
    return false;
  }
  std::vector<SSEVector4f> q;
  for (const Atom* a : pathAtoms) q.push_back(centreOf(a));
  for (int k = 0; k + 2 < n; ++k) {
    const float theta = twistDeg[static_cast<size_t>(k)] * kRadiansPerDegree;
    if (!(theta > 0.0f)) continue;
    const SSEMatrix4x4f frame =
        assembly::bondFrame(q[static_cast<size_t>(k)], q[static_cast<size_t>(k) + 1]);
    for (SSEVector4f& point : q) point *= frame;
    const SSEMatrix4x4f turn = assembly::turnAboutX(theta);
    for (size_t j = static_cast<size_t>(k) + 2; j < q.size(); ++j) q[j] *= turn;
  }
  endToEnd = (q.front() - q.back()).length();
  return true;
}

void RingClosure::moveTail(int firstAtom, int firstBond, SSEMatrix4x4f matrix) {
  for (int j = firstAtom; j < pathLength; ++j)
    rotateNode(pathAtoms[static_cast<size_t>(j)], &matrix);
  for (int j = firstBond; j + 1 < pathLength; ++j)
    transformBond(pathBonds[static_cast<size_t>(j)], &matrix);
}

bool RingClosure::fixTwist(Atom* pivot, Atom* turned, Atom* target, Bond* openEnd,
                           Molecule* onMolecule) {
  if (pivot == nullptr || turned == nullptr || target == nullptr || openEnd == nullptr ||
      onMolecule == nullptr || openEnd->atom1 == nullptr || openEnd->atom2 == nullptr) {
    printError("Error: CRing::fixTwist, NULL value passed ");
    return false;
  }
  SSEMatrix4x4f frame = assembly::bondFrame(centreOf(pivot), centreOf(turned));
  onMolecule->transformCenterAndFoci(&frame);
  float best = (centreOfBond(openEnd) - centreOf(target)).length();
  float bestAngle = 0.0f;
  // The trial angles step in the matrix builder's unit, radians, as they always have.
  for (int t = 1; t < 360; ++t) {
    SSEMatrix4x4f turn = assembly::turnAboutX(static_cast<float>(t));
    rotateNode(turned, &turn);
    const float d = (centreOfBond(openEnd) - centreOf(target)).length();
    if (d < best) {
      best = d;
      bestAngle = static_cast<float>(t);
    }
    SSEMatrix4x4f back = assembly::turnAboutX(-static_cast<float>(t));
    rotateNode(turned, &back);
  }
  SSEMatrix4x4f turn = assembly::turnAboutX(bestAngle);
  rotateNode(turned, &turn);
  return true;
}

bool RingClosure::twistMolecule(std::vector<float> twistDeg) {
  const int n = pathLength;
  if (molecule == nullptr || n < 3 || static_cast<int>(twistDeg.size()) != n - 2 ||
      openEnd1 == nullptr || openEnd2 == nullptr) {
    printError("Error: RingClosure::twistMolecule, no twist angles");
    return false;
  }
  for (int k = 0; k + 2 < n; ++k) {
    const float theta = twistDeg[static_cast<size_t>(k)] * kRadiansPerDegree;
    if (!(theta > 0.0f)) continue;
    SSEMatrix4x4f frame = assembly::bondFrame(centreOf(pathAtoms[static_cast<size_t>(k)]),
                                              centreOf(pathAtoms[static_cast<size_t>(k) + 1]));
    molecule->transformCenterAndFoci(&frame);
    moveTail(k + 1, k + 1, assembly::turnAboutX(theta));
  }
  fixTwist(pathAtoms[1], pathAtoms[0], pathAtoms.back(), openEnd1, molecule);
  fixTwist(pathAtoms[static_cast<size_t>(n) - 2], pathAtoms.back(), pathAtoms[0], openEnd2,
           molecule);

  Bond* closing = addClosingBond(removeOpenEnds());
  if (closing == nullptr) return false;
  molecule->totalBondEnergy += closing->energy;
  attachClosingSpheroid(closing);
  if (hasRings) reliefTurn(closing);

  SmilesWriter writer;
  std::string smiles;
  if (writer.createSmilesFromMolecule(molecule, smiles)) molecule->smiles = smiles;
  molecule->names.clear();
  molecule->makeName();
  addClosureRing(closing);
  return true;
}

bool RingClosure::twistMolecule(std::vector<float>& lengths, std::vector<float>& angles,
                                std::vector<float>& dihedrals) {
  const int n = pathLength;
  if (molecule == nullptr || n < 3 || openEnd1 == nullptr || openEnd2 == nullptr) return false;
  auto atom = [this](int k) { return centreOf(pathAtoms[static_cast<size_t>(k)]); };
  for (int k = 0; k + 2 < n && static_cast<size_t>(k) < angles.size(); ++k) {
    if (angles[static_cast<size_t>(k)] == 0.0f) continue;
    SSEMatrix4x4f frame =
        assembly::frameAlong(atom(k + 1), (atom(k) - atom(k + 1)) % (atom(k + 2) - atom(k + 1)));
    molecule->transformCenterAndFoci(&frame);
    moveTail(k + 2, k + 1,
             assembly::turnAboutX(angles[static_cast<size_t>(k)] * kRadiansPerDegree));
  }
  for (int k = 0; k + 1 < n && static_cast<size_t>(k) < lengths.size(); ++k) {
    if (lengths[static_cast<size_t>(k)] == 0.0f) continue;
    SSEMatrix4x4f frame = assembly::bondFrame(atom(k), atom(k + 1));
    molecule->transformCenterAndFoci(&frame);
    moveTail(k + 1, k + 1,
             translationMatrix(SSEVector4f(lengths[static_cast<size_t>(k)], 0.0f, 0.0f, 1.0f)));
  }
  for (int k = 0; k + 1 < n && static_cast<size_t>(k) < dihedrals.size(); ++k) {
    if (dihedrals[static_cast<size_t>(k)] == 0.0f) continue;
    SSEMatrix4x4f frame = assembly::bondFrame(atom(k), atom(k + 1));
    molecule->transformCenterAndFoci(&frame);
    // Against the correction's sign, as in creatRingConformation: the measured dihedral shrinks
    // under a right-handed turn about the bond.
    moveTail(k + 1, k + 1,
             assembly::turnAboutX(-dihedrals[static_cast<size_t>(k)] * kRadiansPerDegree));
  }
  Bond* closing = addClosingBond(removeOpenEnds());
  if (closing == nullptr) return false;
  molecule->totalBondEnergy += closing->energy;
  attachClosingSpheroid(closing);
  MoleculeOperations().findUniqueRings(molecule);
  return true;
}

void RingClosure::attachClosingSpheroid(Bond* closing) {
  const ClosingBondParameters& p = closingBondParameters;
  Spheroid* spheroid = new Spheroid(p.eccentricity, p.semiMinorAxis, p.semiMajorAxis);
  spheroid->rings = 20;
  spheroid->segments = 20;
  spheroid->owner = closing;
  spheroid->kind = SpheroidKind::BondOrbital;
  spheroid->altColour = closingColourFlag != 0;
  const SSEVector4f first = centreOf(pathAtoms.front());
  const SSEVector4f last = centreOf(pathAtoms.back());
  SSEVector4f d = last - first;
  d.w = 0.0f;
  d.clamp();
  d.normalize();
  // The long axis from z onto x, then tilted and swung onto the bond, then moved to its middle.
  SSEMatrix4x4f place;
  place.createRotateYMatrix(-kPi / 2.0f);
  SSEMatrix4x4f tilt;
  tilt.createRotateZMatrix(std::asin(std::max(-1.0f, std::min(1.0f, d.y))));
  place *= tilt;
  SSEMatrix4x4f swing;
  swing.createRotateYMatrix(-std::atan2(d.z, d.x));
  place *= swing;
  spheroid->transformCenterAndFoci(&place);
  SSEVector4f middle = (first + last) * 0.5f;
  middle.clamp();
  SSEMatrix4x4f move = translationMatrix(middle);
  spheroid->transformCenterAndFoci(&move);
  if (closing->spheroid != nullptr && closing->spheroid->meshSlot == nullptr)
    delete closing->spheroid;
  closing->spheroid = spheroid;
}

void RingClosure::reliefTurn(Bond* closing) {
  Atom* a0 = pathAtoms[0];
  Atom* a1 = pathAtoms[1];
  Atom* a2 = pathAtoms[2];
  Atom* last = pathAtoms.back();
  SSEMatrix4x4f frame = assembly::bondFrame(centreOf(a0), centreOf(a1));
  molecule->transformCenterAndFoci(&frame);
  const SSEVector4f referenceA = reliefReference(a0, a1, last);
  const SSEVector4f referenceB = reliefReference(a1, a0, a2);
  float best = 0.0f;
  float bestAngle = 0.0f;
  // Trial turns 0, 10, ..., 350 in the matrix builder's unit, radians, as they always have.
  for (int t = 0; t < 360; t += 10) {
    const SSEMatrix4x4f turn = assembly::turnAboutX(static_cast<float>(t));
    const float score =
        (centreOf(last) * turn - referenceA).length() + (centreOf(a2) * turn - referenceB).length();
    if (score > best) {
      best = score;
      bestAngle = static_cast<float>(t);
    }
  }
  SSEMatrix4x4f turn = assembly::turnAboutX(bestAngle);
  moveTail(2, 2, turn);
  transformBond(closing, &turn);
}
