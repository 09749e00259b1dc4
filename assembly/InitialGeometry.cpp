// First coordinates of a list-built molecule, bond by bond: each new atom is put at its bond
// length from an atom already placed, at the tabulated angles to that atom's placed neighbours.
// The work is done in a frame that puts the anchor at the origin, so every step moves the whole
// scratch array; the molecule's positions change only when every bond was placed.

#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "assembly/BondFrame.h"
#include "io/IOEngine.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

namespace {

const float kQuarterTurn = 1.5707964f;
// A new direction this close (radians) to a placed neighbour's is mirrored through the plane.
const float kCrowdedDirection = 0.1f;

class InitialGeometry {
 public:
  explicit InitialGeometry(Molecule& m)
      : molecule(m),
        positions(m.atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f)),
        placed(m.atoms.size(), false),
        processed(m.bonds.size(), false),
        queued(m.bonds.size(), false) {}

  bool run();

 private:
  bool placeStartBond(Bond* start);
  bool placeSecondBond(Bond* start, Bond* second);
  bool placeFurtherBond(Bond* bond);
  bool placeBesideTwo(Atom* anchor, Atom* newAtom, Atom* r1, Atom* r2, SSEVector4f& v);

  // The bond's parameters from its row; false, with the caller's message, when there is none.
  bool bondRow(const Atom* from, const Atom* to, int order, BondParameters& row) const;
  // The angle end1-centre-end3 in radians: the table's, else the centre's default.
  float angleAt(const Atom* end1, const Atom* centre, const Atom* end3) const;
  // Moves every entry so that origin is at (0, 0, 0) and towards lies on +x.
  void align(const Atom* origin, const Atom* towards);
  void moveAll(const SSEMatrix4x4f& m);
  void finish(Bond* bond, const BondParameters& row, Atom* newAtom);
  SSEVector4f& at(const Atom* a) { return positions[static_cast<size_t>(a->id)]; }

  Molecule& molecule;
  std::vector<SSEVector4f> positions;
  std::vector<bool> placed;
  std::vector<bool> processed;
  std::vector<bool> queued;
  std::deque<Bond*> queue;
};

bool InitialGeometry::bondRow(const Atom* from, const Atom* to, int order,
                              BondParameters& row) const {
  return InputParameters::instance()->findBondParameters(from->type, to->type, order, row) != 0;
}

float InitialGeometry::angleAt(const Atom* end1, const Atom* centre, const Atom* end3) const {
  InputParameters* tables = InputParameters::instance();
  AngleParameters row;
  const float degrees =
      tables->findAngle(end1->type, centre->type, end3->type, row) != 0
          ? row.angle
          : tables->findDefaultAngle(centre->element, centre->degree, centre->usedValence);
  return degrees * kPi / 180.0f;
}

void InitialGeometry::moveAll(const SSEMatrix4x4f& m) {
  for (SSEVector4f& p : positions) {
    p *= m;
    p.clamp();
  }
}

void InitialGeometry::align(const Atom* origin, const Atom* towards) {
  moveAll(assembly::bondFrame(at(origin), at(towards)));
}

void InitialGeometry::finish(Bond* bond, const BondParameters& row, Atom* newAtom) {
  bond->semiMajorAxis = row.majorAxis;
  bond->focalDistance = row.distance;
  bond->energy = row.bondEnergy;
  placed[static_cast<size_t>(newAtom->id)] = true;
  processed[static_cast<size_t>(bond->id)] = true;
  std::vector<Bond*> next;
  bond->getAdjBonds(next);
  for (Bond* b : next) {
    const size_t id = static_cast<size_t>(b->id);
    if (processed[id] || queued[id]) continue;
    queued[id] = true;
    queue.push_back(b);
  }
}

bool InitialGeometry::placeStartBond(Bond* start) {
  BondParameters row;
  if (!bondRow(start->atom1, start->atom2, start->order, row)) {
    ErrorLine() << "Error: Can not find bond parameters  " << start->atom1->type << "---"
                << start->atom2->type;
    return false;
  }
  at(start->atom1) = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  at(start->atom2) = SSEVector4f(row.distance, 0.0f, 0.0f, 1.0f);
  placed[static_cast<size_t>(start->atom1->id)] = true;
  finish(start, row, start->atom2);
  return true;
}

bool InitialGeometry::placeSecondBond(Bond* start, Bond* second) {
  Atom* shared = nullptr;
  for (Atom* end : {second->atom1, second->atom2})
    if (end == start->atom1 || end == start->atom2) shared = end;
  if (shared == nullptr) {
    printError("Error: Solution not found");
    return false;
  }
  Atom* newAtom = second->atom1 == shared ? second->atom2 : second->atom1;
  Atom* other = start->atom1 == shared ? start->atom2 : start->atom1;
  const float angle = angleAt(other, shared, newAtom);
  BondParameters row;
  if (!bondRow(shared, newAtom, second->order, row)) {
    ErrorLine() << "Error: Can not find bond parameters for types " << shared->type << "---"
                << newAtom->type;
    return false;
  }
  align(shared, other);
  at(newAtom) =
      SSEVector4f(row.distance * std::cos(angle), row.distance * std::sin(angle), 0.0f, 1.0f);
  finish(second, row, newAtom);
  return true;
}

bool InitialGeometry::placeBesideTwo(Atom* anchor, Atom* newAtom, Atom* r1, Atom* r2,
                                     SSEVector4f& v) {
  align(anchor, r1);
  SSEMatrix4x4f quarter;
  quarter.createRotateZMatrix(kQuarterTurn);
  moveAll(quarter);
  const SSEVector4f r2Now = at(r2);
  SSEMatrix4x4f intoPlane;
  intoPlane.createRotateYMatrix(std::atan2(r2Now.z, r2Now.x));
  moveAll(intoPlane);
  SSEVector4f u2 = at(r2);
  u2.w = 0.0f;
  u2.normalize();
  if (u2.x == 0.0f) {
    printError("Error: Solution is not possible");
    return false;
  }
  const float cos1 = std::cos(angleAt(r1, anchor, newAtom));
  const float cos2 = std::cos(angleAt(r2, anchor, newAtom));
  v = SSEVector4f((cos2 - cos1 * u2.y) / u2.x, cos1, 0.0f, 0.0f);
  // Two angles that cannot both be met leave the new atom in the plane of the references.
  const float radicand = 1.0f - v.x * v.x - v.y * v.y;
  if (radicand >= 0.0f) v.z = std::sqrt(radicand);
  for (Bond* b : anchor->bonds) {
    const Atom* n = anchor->getAdjacentAtom(b);
    if (n == nullptr || !placed[static_cast<size_t>(n->id)]) continue;
    SSEVector4f towards = at(n) - at(anchor);
    towards.w = 0.0f;
    towards.normalize();
    SSEVector4f unit = v;
    unit.normalize();
    if (std::acos(std::max(-1.0f, std::min(1.0f, unit.dot(towards)))) < kCrowdedDirection)
      v.z = -v.z;
  }
  return true;
}

bool InitialGeometry::placeFurtherBond(Bond* bond) {
  Atom* anchor = placed[static_cast<size_t>(bond->atom1->id)] ? bond->atom1 : bond->atom2;
  Atom* newAtom = anchor == bond->atom1 ? bond->atom2 : bond->atom1;
  std::vector<Atom*> references;
  for (Bond* b : anchor->bonds) {
    Atom* n = anchor->getAdjacentAtom(b);
    if (n != nullptr && placed[static_cast<size_t>(n->id)] && references.size() < 2)
      references.push_back(n);
  }
  if (references.empty()) {
    printError("Error: Solution is not possible");
    return false;
  }
  BondParameters row;
  SSEVector4f v;
  float angle = 0.0f;
  if (references.size() == 1) {
    align(anchor, references[0]);
    angle = angleAt(references[0], anchor, newAtom);
  } else if (!placeBesideTwo(anchor, newAtom, references[0], references[1], v)) {
    return false;
  }
  if (!bondRow(anchor, newAtom, bond->order, row)) {
    ErrorLine() << "Error: can not find bond parameters " << anchor->type << " - " << newAtom->type;
    return false;
  }
  if (references.size() == 1) {
    at(newAtom) =
        SSEVector4f(row.distance * std::cos(angle), row.distance * std::sin(angle), 0.0f, 1.0f);
  } else {
    const SSEVector4f p =
        UtilityEngine::instance()->findPointInDirection(&v, row.distance, &at(anchor));
    at(newAtom) = SSEVector4f(p.x, p.y, p.z, 1.0f);
  }
  finish(bond, row, newAtom);
  return true;
}

bool InitialGeometry::run() {
  Bond* start = molecule.bonds.front();
  for (Bond* b : molecule.bonds)
    if (isDummy(b->atom1) || isDummy(b->atom2)) {
      start = b;
      break;
    }
  if (!placeStartBond(start)) return false;
  if (!queue.empty()) {
    Bond* second = queue.front();
    queue.pop_front();
    if (!placeSecondBond(start, second)) return false;
  }
  while (!queue.empty()) {
    Bond* bond = queue.front();
    queue.pop_front();
    // A bond that closes a ring joins two atoms already placed: nothing is left to move.
    if (placed[static_cast<size_t>(bond->atom1->id)] &&
        placed[static_cast<size_t>(bond->atom2->id)]) {
      processed[static_cast<size_t>(bond->id)] = true;
      continue;
    }
    if (!placeFurtherBond(bond)) return false;
  }
  for (size_t i = 0; i < processed.size(); ++i)
    if (!processed[i]) {
      ErrorLine() << "Error: calculateInitialGeometry, bond " << i + 1
                  << " is not connected to the start bond";
      return false;
    }
  molecule.positions = positions;
  return true;
}

}  // namespace

bool IOEngine::calculateInitialGeometry(Molecule* molecule) {
  if (molecule == nullptr) return false;
  molecule->update();
  if (molecule->atoms.size() <= 1) {
    molecule->positions.assign(molecule->atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
    return setCoordinates(molecule);
  }
  if (molecule->bonds.empty()) {
    ErrorLine() << "Error: calculateInitialGeometry, " << molecule->atoms.size()
                << " atoms and no bond to start from";
    return false;
  }
  for (const Bond* b : molecule->bonds)
    if (b->atom1 == nullptr || b->atom2 == nullptr) return false;
  return InitialGeometry(*molecule).run();
}
