// Closing the rings that the "RING" lines of a molecule list file ask for, one pair of open
// ends at a time, through the ring closure.

#include <algorithm>
#include <cmath>
#include <vector>

#include "assembly/RingClosure.h"
#include "construction/MoleculeOperations.h"
#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace {

RingClosure::ClosingBondParameters closingBondFor(const Atom* end1, const Atom* end2, int order) {
  const ConnectingBond row = connectingBond(end1->type, end2->type, order);
  const float c = row.distance * 0.5f;
  RingClosure::ClosingBondParameters p;
  p.eccentricity = c / row.semiMajorAxis;
  p.semiMajorAxis = row.semiMajorAxis;
  p.semiMinorAxis = std::sqrt(std::max(0.0f, row.semiMajorAxis * row.semiMajorAxis - c * c));
  p.focalDistance = row.distance;
  p.energy = row.energy;
  return p;
}

bool holds(const std::vector<Bond*>& bonds, const Bond* bond) {
  return std::find(bonds.begin(), bonds.end(), bond) != bonds.end();
}

}  // namespace

bool IOEngine::closeRings(Molecule* m, std::vector<std::vector<Bond*>>& rings) {
  for (const std::vector<Bond*>& pair : rings) {
    Bond* b1 = pair.size() == 2 ? pair[0] : nullptr;
    Bond* b2 = pair.size() == 2 ? pair[1] : nullptr;
    // Membership is checked before anything is read: a bond an earlier closure deleted (two
    // pairs naming one dummy) must not be touched.
    const bool present = m != nullptr && b1 != nullptr && b2 != nullptr && holds(m->bonds, b1) &&
                         holds(m->bonds, b2);
    if (b1 == nullptr || b2 == nullptr || (present && b1->order != b2->order)) {
      printError("Error: GLWidget::closeRing, NULL value passed");
      return false;
    }
    if (!present) return false;
    const Atom* r1 = RingClosure::realEndOf(b1);
    const Atom* r2 = RingClosure::realEndOf(b2);
    if (r1 == nullptr || r2 == nullptr || r1->molecule != m || r2->molecule != m) return false;

    // The closure twists the spheroids of a relaxed chain; a chain the optimisation refuses is
    // not closed.
    SetupSteps relax{SetupStep::Optimisation};
    relax.optimiser = Optimiser::Cartesian;
    if (!runSetupChain(*m, relax).ok()) return false;
    RingClosure closure(m, b1, b2, false);
    if (!closure.initializeRingClosure()) return false;
    closure.closingBondParameters = closingBondFor(r1, r2, b1->order);
    std::vector<float> lengths;
    std::vector<float> angles;
    std::vector<float> dihedrals;
    if (!closure.calTransVector(lengths, angles, dihedrals) ||
        !closure.creatRingConformation(lengths, angles, dihedrals))
      return false;

    Molecule* closed = closure.getMolecule();
    std::vector<SSEVector4f> positions(closed->atoms.size());
    for (const Atom* atom : closed->atoms)
      if (atom->id >= 0 && static_cast<size_t>(atom->id) < positions.size())
        positions[static_cast<size_t>(atom->id)] = RingClosure::centreOf(atom);
    closed->positions.swap(positions);
  }
  return true;
}
