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
// Widest reference of a ring angle at a four-connected atom (radians): the tetrahedral angle in
// a six-membered ring, 105 degrees in a five-membered one (cyclopentane's ring angles average
// 104.4 by electron diffraction).
const double kTetrahedralAngle = 1.9106332;
const double kPuckeredFiveRingAngle = 105.0 * kPiDouble / 180.0;
// A reference angle this close to 180 degrees (radians) is straight; the table's 180 arrives as
// the single-precision pi.
const double kStraightReferenceTolerance = 1e-6;
const float kDebyePerElectronAngstrom = 4.802813f;
const double kChargeScale = 1.08;
// Halogens on one saturated carbon polarise each other: the field of each C-X dipole opposes the
// others', so each bond keeps less of its moment than alone, the more the more polarisable the
// two halogens are. A C-X bond keeps 1 / (1 + k * sum over its geminal halogens Y of
// alpha_X * alpha_Y), with the atoms' polarisabilities (A^3) below. The C-H bonds of such a
// carbon are polarised the other way from an alkane's: each takes a moment with its hydrogen at
// the negative end, fluorine's share of it scaled by its smaller polarisability. Both constants
// were fitted, with the sp3 carbon-halogen rows, on the geminal polyhalides of the dipole data
// (dichloromethane, chloroform, 1,1-dichloroethane, 2,2-dichloropropane, CF2Cl2, CHFCl2, CF2Br2
// and the rest); dibromomethane, diiodomethane, bromochloromethane, bromoform and difluoromethane
// set nothing. With whole moments dichloromethane gave 2.33 D (measured 1.60) and diiodomethane
// 2.06 (1.08).
const double kGeminalInduction = 0.0118;           // per A^6
const double kGeminalHydrogenMoment = -0.47;       // Debye, positive with the hydrogen positive
double halogenPolarisability(const std::string& element) {
  if (element == "F") return 0.557;
  if (element == "Cl") return 2.18;
  if (element == "Br") return 3.05;
  if (element == "I") return 5.35;
  return 0.0;
}
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

// Neighbours of an atom in the system's neighbour runs.
std::vector<int> neighboursOf(const MolecularSystem& system, int atom) {
  std::vector<int> out;
  if (atom < 0 || atom >= system.atomCount) return out;
  const int start = atom == 0 ? 0 : system.neighbourEnd[atom - 1] + 1;
  for (int p = start; p <= system.neighbourEnd[atom]; ++p) out.push_back(system.neighbours[p]);
  return out;
}

// The five-membered ring end1-centre-end3-b-a through the angle, as its atoms in ring order with
// the centre first; empty when the angle lies in no such ring.
std::vector<int> fiveRingThroughAngle(const MolecularSystem& system, int end1, int centre,
                                      int end3) {
  for (int a : neighboursOf(system, end1)) {
    if (a == centre || a == end3) continue;
    for (int b : neighboursOf(system, end3)) {
      if (b == centre || b == end1 || b == a) continue;
      if (system.getBondId(a, b) >= 0) return {centre, end3, b, a, end1};
    }
  }
  return {};
}

// True when the ends of the angle are joined by a path of four bonds that avoids the centre: the
// angle lies inside a six-membered ring.
bool sixRingThroughAngle(const MolecularSystem& system, int end1, int centre, int end3) {
  for (int a : neighboursOf(system, end1)) {
    if (a == centre || a == end3) continue;
    for (int b : neighboursOf(system, a)) {
      if (b == centre || b == end1 || b == end3) continue;
      for (int c : neighboursOf(system, b)) {
        if (c == centre || c == a || c == end1 || c == end3) continue;
        if (system.getBondId(c, end3) >= 0) return true;
      }
    }
  }
  return false;
}

// True when the ends of the torsion i-j-k-l are bonded or share a neighbour other than j and k:
// the torsion runs round a four- or five-membered ring.
bool smallRingTorsion(const MolecularSystem& system, int i, int j, int k, int l) {
  if (system.getBondId(i, l) >= 0) return true;
  for (int a : neighboursOf(system, i))
    if (a != j && a != k && system.getBondId(a, l) >= 0) return true;
  return false;
}

bool hasMultipleBond(const MolecularSystem& system, int atom) {
  for (int n : neighboursOf(system, atom)) {
    const int bond = system.getBondId(atom, n);
    if (bond >= 0 && (system.bondOrder[bond] == 2 || system.bondOrder[bond] == kAromaticOrder))
      return true;
  }
  return false;
}

// The element and neighbour count of every atom of the system.
struct RingAtoms {
  const std::vector<std::string>& elements;
  const std::vector<int>& degree;
};

// A flat five-membered ring: no ring atom with four neighbours and every ring carbon with a
// double or aromatic bond (a cyclopentadiene's CH2 folds its own angle shut and keeps the table's).
bool flatFiveRing(const MolecularSystem& system, const RingAtoms& atoms,
                  const std::vector<int>& ring) {
  for (int atom : ring) {
    if (atoms.degree[atom] > 3) return false;
    if (atoms.elements[atom] == "C" && !hasMultipleBond(system, atom)) return false;
  }
  return true;
}

// Own angle of an atom inside a flat five-membered ring, in degrees, before the ring is closed:
// a carbon 108, the divalent heteroatoms their measured ring angles (thiophene's sulphur near 92,
// furan's oxygen near 106), a two-connected nitrogen about 104.5 and a nitrogen with three
// neighbours about 107.5. A ring neighbour that is a two-connected nitrogen or an oxygen opens
// the angle by a few degrees, as at C2 of imidazole and oxazole and at N1 of pyrazole.
double fiveRingOwnAngle(const RingAtoms& atoms, const std::vector<int>& ring, size_t k) {
  const int atom = ring[k];
  const std::string& element = atoms.elements[atom];
  double angle = 108.0;
  if (element == "S")
    angle = 92.0;
  else if (element == "SE")
    angle = 88.0;
  else if (element == "O")
    angle = 105.0;
  else if (element == "N")
    angle = atoms.degree[atom] == 2 ? 104.5 : 107.5;
  for (int side : {ring[(k + 1) % ring.size()], ring[(k + ring.size() - 1) % ring.size()]}) {
    if (atoms.elements[side] == "N" && atoms.degree[side] == 2) angle += 2.5;
    if (atoms.elements[side] == "O") angle += 2.0;
  }
  return angle;
}

// Interior angle at ring[0] of a flat five-membered ring, in degrees. The angles of a flat
// pentagon add to 540: the heteroatoms keep their own angles and the carbons share the rest in
// proportion to theirs (a ring without carbons scales all its angles alike).
double fiveRingInteriorAngle(const RingAtoms& atoms, const std::vector<int>& ring) {
  double fixed = 0.0, carbons = 0.0;
  for (size_t k = 0; k < ring.size(); ++k)
    (atoms.elements[ring[k]] == "C" ? carbons : fixed) += fiveRingOwnAngle(atoms, ring, k);
  const double own = fiveRingOwnAngle(atoms, ring, 0);
  if (carbons <= 0.0) return own * 540.0 / fixed;
  if (atoms.elements[ring[0]] != "C") return own;
  return own * (540.0 - fixed) / carbons;
}

// Charge separation of a bond moment over a distance; a zero distance carries no charge.
float bondCharge(float moment, float distance) {
  if (!(std::fabs(distance) > 1e-6f)) return 0.0f;
  return moment / (kDebyePerElectronAngstrom * distance);
}

}  // namespace

MolecularSystem::MolecularSystem(Molecule* molecule) {
  if (!molecule) {
    ErrorLine() << "Error: Can not create MolecularSystem. \nNo molecule";
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

  markRingContacts();
  SetupImproperList();
  setupChiralCenters(molecule);
  fillCharge();
  fillSeparatedCharges(*molecule);
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
  separatedCharges.assign(atomCount, 0.0);
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
  piRingSingleBond = findPiRingSingleBonds(molecule);
  assignDihedralParameters(name);
  setupCumuleneTwists();
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
  ureyBradleyLength2.assign(angleCount, 0.0);
  ureyBradleyLength3.assign(angleCount, 0.0);
  std::vector<bool> inFlatFiveRing(static_cast<size_t>(angleCount), false);
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
    // The table's angle of a centre type is its open-chain angle. Inside a three-membered ring
    // the three bond lengths fix the angle, and inside a four-membered ring it is near a right
    // angle; an open-chain reference there (and the 1-3 distance built from it) would stretch
    // the ring bonds far past their table lengths. Inside a flat five-membered ring the angle
    // is the ring's own share of a closed pentagon. At a four-connected atom of a puckered ring
    // the open-chain angle is too wide: a chain's C-C-C (112 degrees at CH2) held the ring
    // angles of cyclohexane at 113 and its torsions at 50 (measured 111.4 and 55), and made
    // puckering a five-membered ring cost more than it gains, so cyclopentane came out nearly
    // flat. A six-membered ring's angle there is held to at most the tetrahedral angle, a
    // five-membered ring's to at most a puckered pentagon's.
    const int ring = smallRingThroughAngle(*this, angleAtom1[t], centre, angleAtom3[t]);
    const int bond1 = getBondId(centre, angleAtom1[t]);
    const int bond2 = getBondId(centre, angleAtom3[t]);
    if (ring == 3 && bond1 >= 0 && bond2 >= 0 && bondLength[bond1] > 1e-6 &&
        bondLength[bond2] > 1e-6) {
      const double r1 = bondLength[bond1];
      const double r2 = bondLength[bond2];
      const double r3 = bondLength[getBondId(angleAtom1[t], angleAtom3[t])];
      const double cosine = (r1 * r1 + r2 * r2 - r3 * r3) / (2.0 * r1 * r2);
      angleReference[t] = std::acos(std::max(-1.0, std::min(1.0, cosine)));
      angleReference2[t] = angleReference3[t] = 0.0;
    } else if (ring == 4) {
      angleReference[t] = 0.5 * kPi;
      angleReference2[t] = angleReference3[t] = 0.0;
    } else if (ring == 0) {
      const std::vector<int> five = fiveRingThroughAngle(*this, angleAtom1[t], centre, angleAtom3[t]);
      if (!five.empty() && flatFiveRing(*this, RingAtoms{atomElements, atomDegree}, five)) {
        angleReference[t] = fiveRingInteriorAngle(RingAtoms{atomElements, atomDegree}, five) * kPi / 180.0;
        angleReference2[t] = angleReference3[t] = 0.0;
        inFlatFiveRing[t] = true;
      } else if (atomDegree[centre] == 4) {
        const double limit = !five.empty() ? kPuckeredFiveRingAngle
                             : sixRingThroughAngle(*this, angleAtom1[t], centre, angleAtom3[t])
                                 ? kTetrahedralAngle
                                 : 0.0;
        if (angleReference[t] > limit && limit > 0.0) {
          angleReference[t] = limit;
          angleReference2[t] = angleReference3[t] = 0.0;
        }
      }
    }
  }

  openExocyclicAngles(inFlatFiveRing);

  for (int t = 0; t < angleCount; ++t) {
    if (angleForceConstant[t] < 1e-10) continue;
    const int bond1 = getBondId(angleCentre[t], angleAtom1[t]);
    const int bond2 = getBondId(angleCentre[t], angleAtom3[t]);
    if (bond1 < 0 || bond2 < 0) continue;
    const double r1 = bondLength[bond1];
    const double r2 = bondLength[bond2];
    auto oneThree = [r1, r2](double angle) {
      const double radicand = r1 * r1 + r2 * r2 - 2.0 * r1 * r2 * std::cos(angle);
      return radicand < 1e-10 ? 0.0 : std::sqrt(radicand);
    };
    ureyBradleyLength[t] = oneThree(angleReference[t]);
    // A bipyramid's axial-equatorial angle is held at 90 degrees by the angle term; a 1-3
    // distance from the row's first angle (120) pulled PCl5's bonds out to 2.2 A (2.02-2.12).
    if (angleReference2[t] > 0.0) ureyBradleyLength2[t] = oneThree(angleReference2[t]);
    if (angleReference3[t] > 0.0) ureyBradleyLength3[t] = oneThree(angleReference3[t]);
    ureyBradleyForceConstant[t] = kAngleForceConstant;
  }
}

std::vector<std::vector<int>> MolecularSystem::anglesByCentre() const {
  std::vector<std::vector<int>> anglesAt(static_cast<size_t>(atomCount));
  for (int t = 0; t < angleCount; ++t) anglesAt[static_cast<size_t>(angleCentre[t])].push_back(t);
  return anglesAt;
}

// At a three-connected atom of a flat five-membered ring the three angles lie in one plane and
// add to 360 degrees. The angles that lie in no ring (the substituent's, or the one between two
// fused rings) take what the ring angles leave, shared evenly; their open-chain 120 would press
// the small ring angle shut.
void MolecularSystem::openExocyclicAngles(const std::vector<bool>& inFlatFiveRing) {
  const std::vector<std::vector<int>> anglesAt = anglesByCentre();
  for (int centre = 0; centre < atomCount; ++centre) {
    const std::vector<int>& angles = anglesAt[static_cast<size_t>(centre)];
    if (atomDegree[centre] != 3 || angles.size() != 3) continue;
    double fixedSum = 0.0;
    int fiveRingAngles = 0;
    std::vector<int> open;
    for (int t : angles) {
      if (angleForceConstant[t] < 1e-10) { open.clear(); fiveRingAngles = 0; break; }
      if (inFlatFiveRing[t]) {
        ++fiveRingAngles;
        fixedSum += angleReference[t];
      } else if (smallRingThroughAngle(*this, angleAtom1[t], centre, angleAtom3[t]) != 0 ||
                 sixRingThroughAngle(*this, angleAtom1[t], centre, angleAtom3[t])) {
        fixedSum += angleReference[t];
      } else {
        open.push_back(t);
      }
    }
    if (fiveRingAngles == 0 || open.empty()) continue;
    const double share = (2.0 * kPi - fixedSum) / static_cast<double>(open.size());
    if (share < 0.5 * kPi || share > kPi) continue;
    for (int t : open) {
      angleReference[t] = share;
      angleReference2[t] = angleReference3[t] = 0.0;
    }
  }
}

// True when the angle end1-centre-end3 is held straight: a force constant and every reference at
// 180 degrees (a nitrile's or an alkyne's carbon, an allene's middle carbon).
bool MolecularSystem::heldStraight(int end1, int centre, int end3,
                                   const std::vector<std::vector<int>>& anglesAt) const {
  auto straight = [](double reference) {
    return reference == 0.0 || std::fabs(reference - kPiWidened) < kStraightReferenceTolerance;
  };
  for (int t : anglesAt[static_cast<size_t>(centre)]) {
    const bool same = (angleAtom1[t] == end1 && angleAtom3[t] == end3) ||
                      (angleAtom1[t] == end3 && angleAtom3[t] == end1);
    if (!same) continue;
    return angleForceConstant[t] >= 1e-10 && angleReference[t] != 0.0 &&
           straight(angleReference[t]) && straight(angleReference2[t]) &&
           straight(angleReference3[t]);
  }
  return false;
}

void MolecularSystem::assignDihedralParameters(const std::string& moleculeName) {
  InputParameters* params = InputParameters::instance();
  const std::vector<std::vector<int>> anglesAt = anglesByCentre();
  for (int d = 0; d < dihedralCount; ++d) {
    // A torsion one of whose angles is held straight has no plane on that side: its angle turns
    // through every value as the end atom passes near the axis, and its force grows as one over
    // the distance from the axis. H-C-C#N kept acetonitrile's optimisation from converging with
    // a force of hundreds of kcal/mol/A on a sound geometry. Such a torsion takes no terms.
    if (heldStraight(dihedralAtom1[d], dihedralAtom2[d], dihedralAtom3[d], anglesAt) ||
        heldStraight(dihedralAtom2[d], dihedralAtom3[d], dihedralAtom4[d], anglesAt))
      continue;
    const std::string& t1 = atomTypes[dihedralAtom1[d]];
    const std::string& t2 = atomTypes[dihedralAtom2[d]];
    const std::string& t3 = atomTypes[dihedralAtom3[d]];
    const std::string& t4 = atomTypes[dihedralAtom4[d]];
    // A single bond of a ring that holds six pi electrons (2-pyridone, uracil, chromone,
    // coumarin, quinazolinone) is twisted as hard as an aromatic ring bond: its pi system is
    // one with the ring's double bonds, not the weak conjugation of an open-chain diene.
    const int axis = getBondId(dihedralAtom2[d], dihedralAtom3[d]);
    const bool piRing = axis >= 0 && static_cast<size_t>(axis) < piRingSingleBond.size() &&
                        piRingSingleBond[static_cast<size_t>(axis)] != 0;
    const unsigned int order = piRing ? 9u : static_cast<unsigned int>(dihedralBondOrder[d]);
    std::vector<DihedralParameters> terms;
    // The pair rows of a bond were fitted to open-chain turns together with the van der Waals
    // contact of the torsion's ends: butane's C-C rows leave its syn barrier to the clash of the
    // methyls and favour the eclipsed turn themselves. Round a five-membered ring the ends are
    // 1-3 neighbours, round a four-membered ring 1-2 neighbours, whose contact is excluded, so
    // those rows would hold the ring flat (cyclopentanone came out planar, cyclobutane flat with
    // an inversion barrier of 0.04 kcal/mol); such a torsion takes its axis's terms alone.
    const bool axisOnly = order == 1 && smallRingTorsion(*this, dihedralAtom1[d], dihedralAtom2[d],
                                                         dihedralAtom3[d], dihedralAtom4[d]);
    const int found = axisOnly ? params->findDihedralAxisTerms(t2, t3, order, terms)
                               : params->findDihedralTerms(t1, t2, t3, t4, order, terms);
    if (found) {
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

double MolecularSystem::geminalHalogenMomentShare(const std::string& halogen,
                                                  const std::vector<std::string>& geminal) {
  const double own = halogenPolarisability(halogen);
  double sum = 0.0;
  for (const std::string& other : geminal) sum += own * halogenPolarisability(other);
  return 1.0 / (1.0 + kGeminalInduction * sum);
}

double MolecularSystem::geminalHydrogenMoment(const std::vector<std::string>& halogens) {
  if (halogens.size() < 2) return 0.0;
  double weight = 0.0;
  for (const std::string& halogen : halogens)
    weight += std::min(1.0, halogenPolarisability(halogen) / halogenPolarisability("Cl"));
  return kGeminalHydrogenMoment * weight / static_cast<double>(halogens.size());
}

bool MolecularSystem::isHalogen(const std::string& element) {
  return halogenPolarisability(element) > 0.0;
}

void MolecularSystem::fillCharge() {
  InputParameters* params = InputParameters::instance();
  for (int a = 0; a < atomCount; ++a) {
    AtomTypeParameters record;
    if (!params->findAtomTypeParameters(atomTypes[a], record))
      ErrorLine() << "CANNOT FIND THE PARAMETERS FOR ATOM : " << a;
  }
  // The halogens of each saturated carbon (four neighbours).
  std::vector<std::vector<int>> halogens(atomCount);
  std::vector<int> degree(atomCount, 0);
  for (int b = 0; b < bondCount; ++b) {
    ++degree[bondAtom1[b]];
    ++degree[bondAtom2[b]];
    if (isHalogen(atomElements[bondAtom2[b]])) halogens[bondAtom1[b]].push_back(bondAtom2[b]);
    if (isHalogen(atomElements[bondAtom1[b]])) halogens[bondAtom2[b]].push_back(bondAtom1[b]);
  }
  // The share a carbon-halogen bond keeps of its moment; 1 for every other bond.
  auto share = [this, &halogens, &degree](int first, int second) {
    for (int pass = 0; pass < 2; ++pass) {
      const int carbon = pass == 0 ? first : second;
      const int halogen = pass == 0 ? second : first;
      if (atomElements[carbon] != "C" || degree[carbon] != 4 || !isHalogen(atomElements[halogen]))
        continue;
      std::vector<std::string> geminal;
      for (int other : halogens[carbon])
        if (other != halogen) geminal.push_back(atomElements[other]);
      return geminalHalogenMomentShare(atomElements[halogen], geminal);
    }
    return 1.0;
  };
  BondLookupMemo bondTable(*params);
  for (int b = 0; b < bondCount; ++b) {
    const int first = bondAtom1[b];
    const int second = bondAtom2[b];
    if (atomTypes[first] == "DUM" || atomTypes[second] == "DUM") continue;
    BondParameters record;
    if (bondTable.find(atomTypes[first], atomTypes[second], bondOrder[b], record) == 0) continue;
    const float separation = bondCharge(record.bondMoment, record.distance);
    const double scale = kChargeScale * share(first, second);
    charges[first] += scale * separation;
    charges[second] -= scale * separation;
    // The C-H bond of a carbon holding two or more halogens.
    const bool hydrogenFirst = atomElements[first] == "H";
    const int hydrogen = hydrogenFirst ? first : second;
    const int carbon = hydrogenFirst ? second : first;
    if (atomElements[hydrogen] == "H" && atomElements[carbon] == "C" && degree[carbon] == 4 &&
        halogens[carbon].size() >= 2) {
      std::vector<std::string> elements;
      for (int halogen : halogens[carbon]) elements.push_back(atomElements[halogen]);
      const double extra =
          kChargeScale * bondCharge(static_cast<float>(geminalHydrogenMoment(elements)),
                                    record.distance);
      charges[hydrogen] += extra;
      charges[carbon] -= extra;
    }
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
