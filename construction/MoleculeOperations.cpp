#include "construction/MoleculeOperations.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <random>

#include "assembly/FeatureTreeOps.h"
#include "construction/SetupChain.h"
#include "math/SSEVector4f.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "model/Spheroid.h"
#include "parameters/InputParameters.h"

namespace {

const float kClampLimit = 0.001f;
const float kBoxMargin = 2.0f;              // Angstrom

float clampSmall(float v) { return std::fabs(v) < kClampLimit ? 0.0f : v; }

SSEVector4f clamped(const SSEVector4f& p) {
  return SSEVector4f(clampSmall(p.x), clampSmall(p.y), clampSmall(p.z), 1.0f);
}

// The axis's dummy and real ends: the first end is real unless its type is "DUM".
bool axisEnds(Bond* axis, Atom*& dummy, Atom*& real) {
  if (axis->atom1 == nullptr || axis->atom2 == nullptr) return false;
  if (isDummy(axis->atom1)) {
    dummy = axis->atom1;
    real = axis->atom2;
  } else {
    real = axis->atom1;
    dummy = axis->atom2;
  }
  return isDummy(dummy) && !isDummy(real);
}

bool packedPosition(const Molecule* m, const Atom* a, SSEVector4f& out) {
  if (a->id < 0 || static_cast<size_t>(a->id) >= m->positions.size()) return false;
  out = m->positions[static_cast<size_t>(a->id)];
  return true;
}

// Moves real to the origin and turns the real-to-dummy direction onto +x.
struct AxisFrame {
  SSEVector4f origin;
  float cosYaw = 1.0f, sinYaw = 0.0f, cosPitch = 1.0f, sinPitch = 0.0f;

  AxisFrame(const SSEVector4f& real, const SSEVector4f& dummy) : origin(real) {
    float ux = dummy.x - real.x, uy = dummy.y - real.y, uz = dummy.z - real.z;
    const float length = std::sqrt(ux * ux + uy * uy + uz * uz);
    if (length > 0.0f) {
      ux /= length;
      uy /= length;
      uz /= length;
    }
    ux = clampSmall(ux);
    uy = clampSmall(uy);
    uz = clampSmall(uz);
    const float yaw = std::atan2(uz, ux);
    const float pitch = std::asin(std::max(-1.0f, std::min(1.0f, uy)));
    cosYaw = std::cos(yaw);
    sinYaw = std::sin(yaw);
    cosPitch = std::cos(pitch);
    sinPitch = std::sin(pitch);
  }

  SSEVector4f apply(const SSEVector4f& p) const {
    const float x = p.x - origin.x, y = p.y - origin.y, z = p.z - origin.z;
    const float x1 = x * cosYaw + z * sinYaw;   // about Y: the direction leaves the z axis
    const float z1 = -x * sinYaw + z * cosYaw;
    const float x2 = x1 * cosPitch + y * sinPitch;   // about Z: and the y axis
    const float y2 = -x1 * sinPitch + y * cosPitch;
    return SSEVector4f(x2, y2, z1, 1.0f);
  }
};

void growBox(float* box, float x, float y, float z, float r) {
  box[0] = std::min(box[0], x - r);
  box[1] = std::min(box[1], y - r);
  box[2] = std::min(box[2], z - r);
  box[3] = std::max(box[3], x + r);
  box[4] = std::max(box[4], y + r);
  box[5] = std::max(box[5], z + r);
}

void growBySpheroid(float* box, const Spheroid* s) {
  if (s == nullptr) return;
  const float dx = s->focus2.x - s->focus1.x, dy = s->focus2.y - s->focus1.y,
              dz = s->focus2.z - s->focus1.z;
  const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (length <= 0.0f) {
    growBox(box, s->centre.x, s->centre.y, s->centre.z, s->a);
    return;
  }
  const float k = s->a / length;
  growBox(box, s->centre.x + dx * k, s->centre.y + dy * k, s->centre.z + dz * k, 0.0f);
  growBox(box, s->centre.x - dx * k, s->centre.y - dy * k, s->centre.z - dz * k, 0.0f);
}

const int kVolumeRounds = 10;
const int kVolumePointsPerRound = 100000;

float distanceBetween(float x, float y, float z, const SSEVector4f& p) {
  const float dx = x - p.x, dy = y - p.y, dz = z - p.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Inside a spheroid: the distances to its two foci add up to at most the major axis, 2a.
bool insideSpheroid(const Spheroid* s, float x, float y, float z) {
  return s != nullptr &&
         distanceBetween(x, y, z, s->focus1) + distanceBetween(x, y, z, s->focus2) <= 2.0f * s->a;
}

bool insideMolecule(const Molecule* m, float x, float y, float z) {
  for (const Bond* b : m->bonds)
    if (insideSpheroid(b->spheroid, x, y, z)) return true;
  for (const Atom* a : m->atoms) {
    if (a->sphere != nullptr && distanceBetween(x, y, z, a->sphere->centre) <= a->sphere->a)
      return true;
    for (const Ao* o : a->aos)
      if (insideSpheroid(o->spheroid, x, y, z)) return true;
  }
  return false;
}

}  // namespace

Molecule* MoleculeOperations::joinMolecules(Molecule* first, Bond* axis1, Molecule* second,
                                            Bond* axis2) {
  if (first == nullptr || second == nullptr || axis1 == nullptr || axis2 == nullptr) return nullptr;
  if (first == second || axis1->order != axis2->order) return nullptr;
  Atom *dummy1 = nullptr, *real1 = nullptr, *dummy2 = nullptr, *real2 = nullptr;
  if (!axisEnds(axis1, dummy1, real1) || !axisEnds(axis2, dummy2, real2)) return nullptr;
  if (real1->molecule != first || real2->molecule != second) return nullptr;
  SSEVector4f r1, d1, r2, d2;
  if (!packedPosition(first, real1, r1) || !packedPosition(first, dummy1, d1) ||
      !packedPosition(second, real2, r2) || !packedPosition(second, dummy2, d2))
    return nullptr;

  const int order = axis1->order;
  const float distance = connectingBond(real1->type, real2->type, order).distance;

  const AxisFrame frame1(r1, d1);
  for (SSEVector4f& p : first->positions) p = clamped(frame1.apply(p));
  const AxisFrame frame2(r2, d2);
  for (SSEVector4f& p : second->positions) {
    const SSEVector4f q = frame2.apply(p);   // then half a turn about Z and out along x
    p = clamped(SSEVector4f(distance - q.x, -q.y, q.z, 1.0f));
  }

  first->deleteBond(axis1);
  first->deleteAtom(dummy1);
  second->deleteBond(axis2);
  second->deleteAtom(dummy2);
  first->update();
  second->update();
  int newReal2 = -1;
  // second is freed only once the join is complete, so on any failure the caller still owns it.
  if (first->GUIMerge(second, real2, newReal2) != 1) return nullptr;
  if (newReal2 < 0 || static_cast<size_t>(newReal2) >= first->atoms.size()) return nullptr;

  Bond* bond = createConnectingBond(real1, first->atoms[static_cast<size_t>(newReal2)], order);
  bond->isConnection = true;
  if (first->addBond(bond) != 1) {
    ErrorLine() << "Error: Failed to add bond " << real1->name << "-"
                << first->atoms[static_cast<size_t>(newReal2)]->name << " joining \""
                << first->label() << "\" and \"" << second->label() << "\"";
    delete bond;
    return nullptr;
  }
  // Types and parameters once every axis is closed; the energies in any case. A refusal leaves
  // second to the caller, which frees it with first, as after every other failure.
  SetupSteps steps{SetupStep::Perception, SetupStep::Parameters, SetupStep::Energies};
  steps.typesOnlyWhenClosed = true;
  if (!runSetupChain(*first, steps).ok()) return nullptr;
  delete second;
  return first;
}

bool MoleculeOperations::findUniqueRings(Molecule* molecule) {
  if (molecule == nullptr) return false;
  const std::list<std::vector<int> > cycles = FeatureTreeOps::getUniqueCycles(molecule);
  if (cycles.empty()) return false;
  std::vector<Ring*> rings;
  for (const std::vector<int>& cycle : cycles) {
    Ring* ring = Builder::instance()->createRing();
    ring->bondIds = cycle;
    for (int id : cycle) {
      if (id < 0 || static_cast<size_t>(id) >= molecule->bonds.size()) continue;
      const Bond* b = molecule->bonds[static_cast<size_t>(id)];
      for (const Atom* a : {b->atom1, b->atom2}) {
        if (a == nullptr) continue;
        if (std::find(ring->atomIds.begin(), ring->atomIds.end(), a->id) == ring->atomIds.end())
          ring->atomIds.push_back(a->id);
      }
    }
    rings.push_back(ring);
  }
  molecule->setRings(rings);
  return true;
}

void MoleculeOperations::calAttachedHydrogens(Molecule* molecule) {
  if (molecule == nullptr) return;
  for (Atom* a : molecule->atoms) {
    if (a->element == "H") continue;
    int count = 0;
    for (Bond* b : a->bonds) {
      const Atom* h = a->getAdjacentAtom(b);
      if (h != nullptr && h->element == "H" && h->statusFlag && h->bonds.size() == 1) ++count;
    }
    a->numImplicitH = count;
  }
}

float MoleculeOperations::calculateLength(Molecule* molecule) {
  if (molecule == nullptr) return 0.0f;
  float low[3] = {0.0f, 0.0f, 0.0f};
  float high[3] = {0.0f, 0.0f, 0.0f};
  for (const Atom* a : molecule->atoms) {
    if (a->sphere == nullptr) continue;
    const float c[3] = {a->sphere->centre.x, a->sphere->centre.y, a->sphere->centre.z};
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], c[k]);
      high[k] = std::max(high[k], c[k]);
    }
  }
  const float dx = high[0] - low[0], dy = high[1] - low[1], dz = high[2] - low[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float* MoleculeOperations::calculateBoundingBox(Molecule* molecule) {
  if (molecule == nullptr) return nullptr;
  float* box = static_cast<float*>(std::malloc(6 * sizeof(float)));
  if (box == nullptr) return nullptr;
  const float big = 1.0e30f;
  box[0] = box[1] = box[2] = big;
  box[3] = box[4] = box[5] = -big;
  for (const Bond* b : molecule->bonds) growBySpheroid(box, b->spheroid);
  for (const Atom* a : molecule->atoms) {
    if (a->sphere != nullptr)
      growBox(box, a->sphere->centre.x, a->sphere->centre.y, a->sphere->centre.z, a->sphere->a);
    for (const Ao* o : a->aos) growBySpheroid(box, o->spheroid);
  }
  if (box[0] > box[3]) {   // nothing to measure
    for (int k = 0; k < 6; ++k) box[k] = 0.0f;
  }
  for (int k = 0; k < 3; ++k) {
    box[k] -= kBoxMargin;
    box[k + 3] += kBoxMargin;
  }
  return box;
}

double MoleculeOperations::calVolume(Molecule* molecule) {
  float* box = calculateBoundingBox(molecule);
  if (box == nullptr) return 0.0;
  const double boxVolume = static_cast<double>(box[3] - box[0]) * (box[4] - box[1]) *
                           (box[5] - box[2]);
  std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(std::time(nullptr)));
  std::uniform_real_distribution<float> alongX(box[0], box[3]), alongY(box[1], box[4]),
      alongZ(box[2], box[5]);
  std::free(box);
  long inside = 0;
  long drawn = 0;
  double sum = 0.0;
  for (int round = 0; round < kVolumeRounds; ++round) {
    for (int k = 0; k < kVolumePointsPerRound; ++k) {
      const float x = alongX(generator), y = alongY(generator), z = alongZ(generator);
      if (insideMolecule(molecule, x, y, z)) ++inside;
    }
    drawn += kVolumePointsPerRound;
    sum += static_cast<double>(inside) / drawn * boxVolume;
  }
  return sum / kVolumeRounds;
}

bool MoleculeOperations::setValence(Molecule* molecule) {
  if (molecule == nullptr) return false;
  for (Atom* a : molecule->atoms) {
    int total = a->usedValence;
    if (a->statusFlag) {
      const std::string& n = a->name;
      if (n == "C") total = a->isAromatic ? 3 : 4;
      else if (n == "H") total = 1;
      else if (n == "B") total = a->isDiBorane() ? 4 : 3;
      else if (n == "N" || n == "P") total = 3;
      else if (n == "O") total = 2;
      else if (n == "S") total = a->isPartOfSulfates() ? 6 : (a->isPartOfSulfoxides() ? 4 : 2);
      else if (n == "I" || n == "Br" || n == "Cl" || n == "F") total = 1;
    }
    a->totalValence = total;
    if (total < a->usedValence) return false;
  }
  return true;
}

bool MoleculeOperations::addExplicitHydrogens(Molecule* molecule) {
  if (molecule == nullptr) return false;
  const std::vector<Atom*> present = molecule->atoms;
  for (Atom* a : present) {
    if (!a->statusFlag || a->name == "H") continue;
    const int missing = a->totalValence - a->usedValence;
    if (missing < 0) return false;
    for (int k = 0; k < missing; ++k) {
      Atom* h = Builder::instance()->createAtom();
      h->name = "H";
      h->element = "H";
      h->totalValence = 1;
      molecule->addAtom(h);
      if (molecule->addBond(a, h, 1) != 1) return false;
    }
  }
  calAttachedHydrogens(molecule);
  return true;
}

ConnectingBond connectingBond(const std::string& type1, const std::string& type2, int order) {
  ConnectingBond bond;
  BondParameters row;
  if (InputParameters::instance()->findBondParameters(type1, type2, order, row) != 0) {
    bond.semiMajorAxis = row.majorAxis;
    bond.distance = row.distance;
    bond.energy = row.bondEnergy;
  }
  return bond;
}

Bond* createConnectingBond(Atom* a, Atom* b, int order) {
  const std::string noType;
  const ConnectingBond row =
      connectingBond(a != nullptr ? a->type : noType, b != nullptr ? b->type : noType, order);
  const double half = row.distance / 2.0;
  const double major = row.semiMajorAxis;
  const double minorSquared = major * major - half * half;
  Bond* bond = Builder::instance()->createBond();
  bond->atom1 = a;
  bond->atom2 = b;
  bond->order = order;
  bond->focalDistance = row.distance;
  bond->semiMajorAxis = row.semiMajorAxis;
  bond->semiMinorAxis = minorSquared > 0.0 ? std::sqrt(minorSquared) : 0.0;
  bond->energy = row.energy;
  return bond;
}

bool compareMolecule(Molecule* a, Molecule* b) {
  if (a == nullptr || b == nullptr) return false;
  return a->numAtoms > b->numAtoms;
}

void MoleculeOperations::sortMoleculeVector(std::vector<Molecule*>* molecules) {
  if (molecules == nullptr) return;
  auto size = [](Molecule* m) {
    return m == nullptr ? 0 : static_cast<int>(m->numAtoms) - static_cast<int>(m->calculateNumBondAxes());
  };
  std::stable_sort(molecules->begin(), molecules->end(),
                   [&size](Molecule* a, Molecule* b) { return size(a) > size(b); });
}
