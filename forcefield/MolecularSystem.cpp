// Construction of the force-field system: copying the molecule, looking up the parameters and
// assigning the partial charges.
#include "forcefield/MolecularSystem.h"

#include "forcefield/ForceFieldLog.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/CovalentRadii.h"
#include "parameters/InputParameters.h"
#include "parameters/LookupMemo.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <unordered_map>

namespace {

const double kBondForceConstant = 100.0;    // kcal/mol/A^2
const double kAngleForceConstant = 55.0;    // kcal/mol/rad^2, also the Urey-Bradley constant
const float kDebyePerElectronAngstrom = 4.802813f;
const double kChargeScale = 1.08;
// Used when even the "CH3"-"CH3" row is missing, so that no bond is pulled to zero length.
const double kFallbackBondLengthAngstrom = 1.53;

// Size of the smallest ring through the angle end1-centre-end3: 3 when the two ends are bonded,
// 4 when they share a neighbour besides the centre, else 0.
int smallRingThroughAngle(const MolecularSystem& system, int end1, int centre, int end3) {
  if (system.getBondId(end1, end3) >= 0) return 3;
  if (end1 < 0 || end1 >= system.atomCount || end3 < 0 || end3 >= system.atomCount) return 0;
  const int start = end1 == 0 ? 0 : system.neighbourEnd[end1 - 1] + 1;
  for (int p = start; p <= system.neighbourEnd[end1]; ++p) {
    const int shared = system.neighbours[p];
    if (shared != centre && system.getBondId(shared, end3) >= 0) return 4;
  }
  return 0;
}

// Charge separation of a bond moment over a distance; a zero distance carries no charge.
float bondCharge(float moment, float distance) {
  if (!(std::fabs(distance) > 1e-6f)) return 0.0f;
  return moment / (kDebyePerElectronAngstrom * distance);
}

}  // namespace

MolecularSystem::MolecularSystem(Molecule* molecule) {
  if (!molecule) {
    ErrorLine() << "Error: Can not create MolecularSystem. No molecule";
    return;
  }
  copyMolecule(molecule);
  constraintCount = bondCount;

  SortBonds();
  SetupAngleList();
  SetupDihedralList();
  dihedralPhase.assign(dihedralCount, 0.0);
  dihedralPeriodicity.assign(dihedralCount, 0.0);
  dihedralBarrier.assign(dihedralCount, 0.0);
  SetupExclsionList();
  SetupNonbondedList();

  assignParameters(molecule);

  SetupImproperList();
  setupChiralCenters(molecule);
  fillCharge();
  chargeStep = 0.2;
  numericalStep = 1e-6;
  setupConstraints();
  SetupRotationAxis();

  for (int a = 0; a < atomCount; ++a) molecule->atoms[a]->partialCharge = charges[a];
}

void MolecularSystem::copyMolecule(Molecule* molecule) {
  // Atoms are indexed by list position; bonds find their atoms through this map, so a bond
  // whose atom is not in the molecule is reported and left out instead of indexing wildly.
  std::unordered_map<const Atom*, int> index;
  const int count = static_cast<int>(molecule->atoms.size());
  for (int a = 0; a < count; ++a)
    if (molecule->atoms[a]) index[molecule->atoms[a]] = a;
  if (static_cast<int>(index.size()) != count) {
    ErrorLine() << "Error: MolecularSystem: null or repeated atom in molecule \""
                << molecule->getName() << "\"";
    return;   // an empty system is safer than a half-mapped one
  }
  atomCount = count;

  for (Bond* bond : molecule->bonds) {
    if (!bond) continue;
    const auto first = index.find(bond->atom1);
    const auto second = index.find(bond->atom2);
    if (first == index.end() || second == index.end() || first->second == second->second) {
      ErrorLine() << "Error: MolecularSystem: bond with a foreign or repeated atom in \""
                  << molecule->getName() << "\"";
      continue;
    }
    bondAtom1.push_back(first->second);
    bondAtom2.push_back(second->second);
    bondOrder.push_back(bond->order);
    bondInRing.push_back(bond->inRing);
  }
  bondCount = static_cast<int>(bondAtom1.size());

  atomTypes.assign(atomCount, std::string());
  atomElements.assign(atomCount, std::string());
  atomDegree.assign(atomCount, 0);
  atomUsedValence.assign(atomCount, 0);
  atomFixed.assign(atomCount, false);
  terminalAtom.assign(atomCount, false);
  coordinates.assign(atomCount, SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  const bool packed = molecule->positions.size() == molecule->atoms.size();
  for (int a = 0; a < atomCount; ++a) {
    const Atom* atom = molecule->atoms[a];
    atomTypes[a] = atom->type;
    atomElements[a] = atom->element;
    atomDegree[a] = atom->degree;
    atomUsedValence[a] = atom->usedValence;
    atomFixed[a] = atom->isPosFix;
    terminalAtom[a] = atom->degree == 1;
    const SSEVector4f& p = packed ? molecule->positions[a] : atom->position;
    coordinates[a] = SSEVector4f(p.x, p.y, p.z, 1.0f);
  }

  charges.assign(atomCount, 0.0);
  forceX.assign(atomCount, 0.0);
  forceY.assign(atomCount, 0.0);
  forceZ.assign(atomCount, 0.0);
  mass.assign(atomCount, 1.0);
  vdwEpsilon.assign(atomCount, 0.0);
  vdwRadius.assign(atomCount, 0.0);
  negativity.assign(atomCount, 0.0);
  hardness.assign(atomCount, 0.0);
  fragmentCount = 1;
  fragmentLastAtom.assign(1, atomCount - 1);
}

void MolecularSystem::assignParameters(Molecule* molecule) {
  const std::string name = molecule->getName();
  assignAtomParameters(name);
  assignBondParameters(name);
  assignAngleParameters();
  assignDihedralParameters(name);
}

void MolecularSystem::assignAtomParameters(const std::string& moleculeName) {
  InputParameters* params = InputParameters::instance();
  for (int a = 0; a < atomCount; ++a) {
    AtomTypeParameters record;
    if (params->findAtomTypeParameters(atomTypes[a], record)) {
      mass[a] = record.mass;
      vdwRadius[a] = record.vdwR;
      vdwEpsilon[a] = record.vdwSig;
      negativity[a] = record.negativity;
      hardness[a] = record.hardness;
    } else {
      forceFieldLog() << moleculeName << "CANNOT FIND THE PARAMETERS FOR ATOM : " << a << "\n";
      mass[a] = 1.0;
      vdwRadius[a] = vdwEpsilon[a] = negativity[a] = hardness[a] = 0.0;
    }
  }
}

void MolecularSystem::assignBondParameters(const std::string& moleculeName) {
  BondLookupMemo bondTable(*InputParameters::instance());
  bondForceConstant.assign(bondCount, kBondForceConstant);
  bondLength.assign(bondCount, 0.0);
  for (int b = 0; b < bondCount; ++b) {
    const std::string& type1 = atomTypes[bondAtom1[b]];
    const std::string& type2 = atomTypes[bondAtom2[b]];
    BondParameters record;
    if (bondTable.find(type1, type2, bondOrder[b], record) != 0) {
      bondLength[b] = record.distance;
      continue;
    }
    forceFieldLog() << moleculeName << "CANNOT FIND THE PARAMETERS FOR BOND : " << type1 << "--"
                    << type2 << " Order : " << bondOrder[b] << "\n";
    // The two elements' covalent radii give the length; a carbon-carbon bond only when an
    // element has none.
    const double radii = radiusBondLength(atomElements[bondAtom1[b]], atomElements[bondAtom2[b]],
                                          bondOrder[b]);
    BondParameters fallback;
    if (radii > 0.0)
      bondLength[b] = radii;
    else if (bondTable.find("CH3", "CH3", 1, fallback) != 0 && fallback.distance > 0.0f)
      bondLength[b] = fallback.distance;
    else
      bondLength[b] = kFallbackBondLengthAngstrom;
  }
}

void MolecularSystem::assignAngleParameters() {
  InputParameters* params = InputParameters::instance();
  angleForceConstant.assign(angleCount, 0.0);
  angleReference.assign(angleCount, 0.0);
  angleReference2.assign(angleCount, 0.0);
  angleReference3.assign(angleCount, 0.0);
  ureyBradleyForceConstant.assign(angleCount, 0.0);
  ureyBradleyLength.assign(angleCount, 0.0);
  for (int t = 0; t < angleCount; ++t) {
    const int centre = angleCentre[t];
    AngleParameters record;
    if (params->findAngle(atomTypes[angleAtom1[t]], atomTypes[centre], atomTypes[angleAtom3[t]],
                          record)) {
      const float degrees = record.angle >= 0.0f ? record.angle : -record.angle;
      angleReference[t] = static_cast<float>(degrees * kPi / 180.0f);
      angleForceConstant[t] = record.angle >= 0.0f ? kAngleForceConstant : 0.0;
      angleReference2[t] = static_cast<float>(record.value5 * kPi / 180.0f);
      angleReference3[t] = static_cast<float>(record.value6 * kPi / 180.0f);
    } else {
      const float degrees = params->findDefaultAngle(atomElements[centre], atomDegree[centre],
                                                     atomUsedValence[centre]);
      angleReference[t] = static_cast<float>(degrees * kPi / 180.0f);
      angleForceConstant[t] = kAngleForceConstant;
    }

    if (angleForceConstant[t] < 1e-10) continue;
    const int bond1 = getBondId(centre, angleAtom1[t]);
    const int bond2 = getBondId(centre, angleAtom3[t]);
    if (bond1 < 0 || bond2 < 0) continue;
    const double r1 = bondLength[bond1];
    const double r2 = bondLength[bond2];
    // The table's angle of a centre type is its open-chain angle. Inside a three-membered ring
    // the three bond lengths fix the angle, and inside a four-membered ring it is near a right
    // angle; an open-chain reference there (and the 1-3 distance built from it) would stretch
    // the ring bonds far past their table lengths.
    const int ring = smallRingThroughAngle(*this, angleAtom1[t], centre, angleAtom3[t]);
    if (ring == 3 && r1 > 1e-6 && r2 > 1e-6) {
      const double r3 = bondLength[getBondId(angleAtom1[t], angleAtom3[t])];
      const double cosine = (r1 * r1 + r2 * r2 - r3 * r3) / (2.0 * r1 * r2);
      angleReference[t] = std::acos(std::max(-1.0, std::min(1.0, cosine)));
      angleReference2[t] = angleReference3[t] = 0.0;
    } else if (ring == 4) {
      angleReference[t] = 0.5 * kPi;
      angleReference2[t] = angleReference3[t] = 0.0;
    }
    const double radicand = r1 * r1 + r2 * r2 - 2.0 * r1 * r2 * std::cos(angleReference[t]);
    ureyBradleyLength[t] = radicand < 1e-10 ? 0.0 : std::sqrt(radicand);
    ureyBradleyForceConstant[t] = kAngleForceConstant;
  }
}

void MolecularSystem::assignDihedralParameters(const std::string& moleculeName) {
  InputParameters* params = InputParameters::instance();
  for (int d = 0; d < dihedralCount; ++d) {
    const std::string& t1 = atomTypes[dihedralAtom1[d]];
    const std::string& t2 = atomTypes[dihedralAtom2[d]];
    const std::string& t3 = atomTypes[dihedralAtom3[d]];
    const std::string& t4 = atomTypes[dihedralAtom4[d]];
    std::vector<DihedralParameters> terms;
    if (params->findDihedralTerms(t1, t2, t3, t4, static_cast<unsigned int>(dihedralBondOrder[d]),
                                  terms)) {
      dihedralPhase[d] = terms[0].phase;
      dihedralPeriodicity[d] = terms[0].periodicity;
      dihedralBarrier[d] = terms[0].barrier;
      for (size_t t = 1; t < terms.size(); ++t) {
        dihedralTermOf.push_back(d);
        dihedralTermPhase.push_back(terms[t].phase);
        dihedralTermPeriodicity.push_back(terms[t].periodicity);
        dihedralTermBarrier.push_back(terms[t].barrier);
      }
    } else {
      forceFieldLog() << moleculeName << "CANNOT FIND THE PARAMETERS FOR DIHEDRAL : " << t1
                      << "--" << t2 << "--" << t3 << "--" << t4 << "\n";
      dihedralPhase[d] = dihedralPeriodicity[d] = dihedralBarrier[d] = 0.0;
    }
  }
}

void MolecularSystem::setupConstraints() {
  constraintAtom1 = bondAtom1;
  constraintAtom2 = bondAtom2;
  constraintLength2.assign(constraintCount, 0.0);
  for (int c = 0; c < constraintCount; ++c) constraintLength2[c] = bondLength[c] * bondLength[c];
  shakeMaxIterations = 100;
  shakeTolerance = 1e-12;
}

void MolecularSystem::fillCharge() {
  InputParameters* params = InputParameters::instance();
  for (int a = 0; a < atomCount; ++a) {
    AtomTypeParameters record;
    if (!params->findAtomTypeParameters(atomTypes[a], record))
      ErrorLine() << "CANNOT FIND THE PARAMETERS FOR ATOM : " << a;
  }
  BondLookupMemo bondTable(*params);
  for (int b = 0; b < bondCount; ++b) {
    const int first = bondAtom1[b];
    const int second = bondAtom2[b];
    if (atomTypes[first] == "DUM" || atomTypes[second] == "DUM") continue;
    BondParameters record;
    if (bondTable.find(atomTypes[first], atomTypes[second], bondOrder[b], record) == 0) continue;
    const float separation = bondCharge(record.bondMoment, record.distance);
    charges[first] += kChargeScale * separation;
    charges[second] -= kChargeScale * separation;
  }
}

void MolecularSystem::findCharge() {
  InputParameters* params = InputParameters::instance();
  std::vector<std::string> elements(atomCount);
  for (int a = 0; a < atomCount; ++a) {
    AtomTypeParameters record;
    if (params->findAtomTypeParameters(atomTypes[a], record))
      elements[a] = record.element;
    else
      ErrorLine() << "CANNOT FIND THE PARAMETERS FOR ATOM : " << a;
  }
  for (int b = 0; b < bondCount; ++b) {
    const int first = bondAtom1[b];
    const int second = bondAtom2[b];
    if (atomTypes[first] == "DUM" || atomTypes[second] == "DUM") continue;
    BondMomentParameters record;
    if (!params->findBondMomentParameters(elements[first], elements[second], bondOrder[b],
                                          record)) {
      ErrorLine() << "Cannot find this bond " << elements[first] << " " << elements[second];
      continue;
    }
    // The table keeps the moment's sign for either orientation; the caller applies it.
    const float sign = elements[first] == record.type1 ? 1.0f : -1.0f;
    const float separation = bondCharge(sign * record.moment, record.distance);
    charges[first] += separation;
    charges[second] -= separation;
  }
  // Angle and dihedral ends with a hydrogen only check that their pair has a moment row: the
  // weight of such pairs is zero, so they change no charge.
  auto checkPair = [&](int a, int b, const char* what) {
    if (atomTypes[a] == "DUM" || atomTypes[b] == "DUM") return;
    if (elements[a] != "H" && elements[b] != "H") return;
    BondMomentParameters record;
    if (!params->findBondMomentParameters(elements[a], elements[b], 1, record))
      ErrorLine() << "Cannot find this " << what << ".";
  };
  for (int t = 0; t < angleCount; ++t) checkPair(angleAtom1[t], angleAtom3[t], "angle");
  for (int d = 0; d < dihedralCount; ++d) checkPair(dihedralAtom1[d], dihedralAtom4[d], "dihedral");
}
