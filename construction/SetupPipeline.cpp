// The set-up chain every reader and every edit runs: table parameters onto atoms and bonds,
// optimisation (internal coordinates or Cartesian), and the atom spheres and bond spheroids
// rebuilt from the packed positions.

#include "io/IOEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "parameters/CovalentRadii.h"
#include "construction/GeometryCheck.h"
#include "construction/GeometrySupport.h"
#include "forcefield/InternalCoordinates.h"
#include "forcefield/Minimization.h"
#include "forcefield/MolecularSystem.h"
#include "math/Constants.h"
#include "math/SSEMatrix4x4f.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/BondSpheroid.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "parameters/InputParameters.h"
#include "parameters/LookupMemo.h"
#include "parameters/ParameterRecords.h"

namespace {

// Bond moment (Debye) per bond length (Angstrom) to the moment term the force field reads.
constexpr float kMomentTermFactor = 4.802813f;
// Molecules above this many atoms get coarser spheres and spheroids.
constexpr unsigned int kFineTessellationMaxAtoms = 100;
constexpr int kFineTessellation = 20;
constexpr int kCoarseTessellation = 16;
constexpr int kBondAxisTessellation = 4;
constexpr float kDummyRadius = 0.001f;
constexpr float kZeroRadiusSphere = 0.05f;
// Two nuclei closer than this (Angstrom) give a bond with no direction.
constexpr double kCoincidentDistance = 1e-6;

// Copies one bond-table record onto a bond; the moment term only when asked.
void applyBondRecord(Bond* bond, const BondParameters& record, bool withMoment) {
  bond->focalDistance = record.distance;
  bond->energy = record.bondEnergy;
  bond->semiMajorAxis = record.majorAxis;
  bond->isApproximated = record.approximated;
  const float a = record.majorAxis;
  const float halfD = record.distance / 2.0f;
  const float squared = a * a - halfD * halfD;
  bond->semiMinorAxis = squared > 0.0f ? std::sqrt(squared) : 0.0f;
  if (withMoment && record.distance != 0.0f)
    bond->momentTerm = record.bondMoment / record.distance * kMomentTermFactor;
}

SSEVector4f packedPosition(const Molecule* molecule, const Atom* atom) {
  if (atom == nullptr || atom->id < 0 ||
      static_cast<size_t>(atom->id) >= molecule->positions.size())
    return atom != nullptr ? atom->position : SSEVector4f();
  return molecule->positions[atom->id];
}

}  // namespace

void IOEngine::setParameters(Molecule* molecule) {
  if (molecule == nullptr) return;
  InputParameters* tables = InputParameters::instance();

  const size_t atomCount = molecule->atoms.size();
  for (size_t i = 0; i < atomCount; ++i) {
    Atom* atom = molecule->atoms[i];
    if (atom == nullptr) continue;
    AtomTypeParameters record;
    if (tables->findAtomTypeParameters(atom->type, record) != 0) {
      atom->element = record.element;
      atom->mass = record.mass;
      atom->radius = static_cast<float>(record.radius * kBohrToAngstrom);
      atom->superType = record.stype;
      atom->piElectrons = static_cast<int>(record.piElectrons);
    } else {
      ErrorLine() << "Cannot find parameters for atom type " << atom->type << " in molecule \""
                  << molecule->label() << "\"";
    }
  }

  bool approximated = false;
  BondLookupMemo bondTable(*tables);
  for (Bond* bond : molecule->bonds) {
    if (bond == nullptr || bond->atom1 == nullptr || bond->atom2 == nullptr) continue;
    BondParameters record;
    if (bondTable.find(bond->atom1->type, bond->atom2->type, bond->order, record) != 0) {
      applyBondRecord(bond, record, true);
      approximated = approximated || record.approximated;
      continue;
    }
    ErrorLine() << "Cannot find parameters for " << bond->atom1->type << " " << bond->atom2->type
                << " " << bond->order << " in molecule \"" << molecule->label() << "\"";
    // The carbon-carbon single bond stands in for the energy; the length comes from the two
    // atoms' covalent radii, since a 1.53 Angstrom P-Br or S=S bond is no geometry at all.
    BondParameters fallback;
    if (bondTable.find("CH3", "CH3", 1, fallback) != 0) {
      const double length =
          radiusBondLength(bond->atom1->element, bond->atom2->element, bond->order);
      if (length > 0.0 && fallback.distance > 0.0f) {
        fallback.majorAxis =
            static_cast<float>(fallback.majorAxis * length / fallback.distance);
        fallback.distance = static_cast<float>(length);
        fallback.approximated = true;
      }
      applyBondRecord(bond, fallback, false);
      approximated = approximated || fallback.approximated;
    }
  }
  molecule->hasApproximatedParameters = approximated;
}

namespace {

// A new sphere for the atom at its position; the old one is freed unless a mesh holds it.
void rebuildAtomSphere(Atom* atom, int tessellation) {
  float radius = atom->radius;
  if (isDummy(atom))
    radius = kDummyRadius;
  else if (radius == 0.0f)
    radius = kZeroRadiusSphere;
  Spheroid* sphere = new Spheroid(1.0f, radius, radius);
  sphere->rings = tessellation;
  sphere->segments = tessellation;
  sphere->owner = atom;
  sphere->kind = SpheroidKind::AtomSphere;
  sphere->focus1 = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  sphere->focus2 = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  sphere->centre = SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f);
  SSEMatrix4x4f move = translationMatrix(atom->position);
  sphere->transformCenterAndFoci(&move);
  // A sphere that a mesh took belongs to the mesh; one that no mesh took is ours to free.
  if (atom->sphere != nullptr && atom->sphere->meshSlot == nullptr) delete atom->sphere;
  atom->sphere = sphere;
}

// A new spheroid for the bond between p1 and p2, its axes scaled to the bond's length. False
// (bond untouched) when the scaled major axis would be shorter than half the length.
bool rebuildBondSpheroid(Bond* bond, const SSEVector4f& p1, const SSEVector4f& p2,
                         int tessellation) {
  SSEVector4f delta = p2 - p1;
  delta.w = 0.0f;
  const double distance = delta.length();
  const double c = distance / 2.0;

  double a;
  double b;
  float e;
  if (distance < kCoincidentDistance) {
    // Coincident nuclei: no direction and no length to scale by. The bond keeps its stored
    // axes and length (so the next run can still scale), and its spheroid is a small sphere
    // on the shared point instead of a NaN shape.
    a = bond->semiMajorAxis > 0.0 ? bond->semiMajorAxis : kZeroRadiusSphere;
    b = a;
    e = 0.0f;
  } else {
    a = bond->focalDistance > 0.0 ? bond->semiMajorAxis * distance / bond->focalDistance
                                   : bond->semiMajorAxis;
    if (c > a) {
      ErrorLine() << "Error: major axis of bond is less than focal length";
      return false;
    }
    b = std::sqrt(a * a - c * c);
    e = static_cast<float>(c / a);
    bond->semiMajorAxis = a;
    bond->semiMinorAxis = b;
    bond->focalDistance = distance;
  }

  Spheroid* spheroid = buildBondSpheroid(bond, p1, p2, a, b, c, e);
  if (isDummy(bond->atom1) || isDummy(bond->atom2)) {
    spheroid->kind = SpheroidKind::OpenBondAxis;
    spheroid->rings = kBondAxisTessellation;
    spheroid->segments = kBondAxisTessellation;
    bond->isBondAxis = true;
  } else {
    spheroid->kind = SpheroidKind::BondOrbital;
    spheroid->rings = tessellation;
    spheroid->segments = tessellation;
  }

  if (bond->spheroid != nullptr && bond->spheroid->meshSlot == nullptr) delete bond->spheroid;
  bond->spheroid = spheroid;
  return true;
}

// Atom positions into the packed array, slot = atom id.
void packPositions(Molecule* molecule) {
  molecule->positions.resize(molecule->atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  for (size_t i = 0; i < molecule->atoms.size(); ++i) {
    const Atom* atom = molecule->atoms[i];
    if (atom == nullptr) continue;
    const size_t slot = atom->id >= 0 && static_cast<size_t>(atom->id) < molecule->atoms.size()
                            ? static_cast<size_t>(atom->id)
                            : i;
    molecule->positions[slot] = atom->position;
    molecule->positions[slot].w = 1.0f;
  }
}

// What one optimisation leaves in the molecule, kept while others are tried.
struct OptimisedGeometry {
  bool done = false;
  double energy = 0.0;
  double gradient = 0.0;
  MolecularSystem::OptimiserStop stop = MolecularSystem::OptimiserStop::NotRun;
  std::vector<SSEVector4f> positions;
  float energyCorrection = 0.0f;
  float dipoleMoment = 0.0f;
};

OptimisedGeometry runInternalCoordinates(Molecule* molecule, bool anneal) {
  InternalCoordinates driver(molecule);
  driver.annealTorsions = anneal;
  OptimisedGeometry result;
  result.done = driver.minimizeEnergy();
  result.energy = driver.finalEnergy;
  result.gradient = driver.finalGradient;
  result.stop = driver.finalStop;
  result.positions = molecule->positions;
  result.energyCorrection = molecule->energyCorrection;
  result.dipoleMoment = molecule->dipoleMoment;
  return result;
}

// The bond tolerance a result is judged by: a relaxation its bound of work stopped is held to
// the tighter one.
double bondTolerance(const OptimisedGeometry& result) {
  return result.stop == MolecularSystem::OptimiserStop::EvaluationLimit
             ? kBoundedBondLengthTolerance
             : kBondLengthTolerance;
}

void restore(Molecule* molecule, const OptimisedGeometry& result) {
  molecule->positions = result.positions;
  molecule->setAllAtomPositions();
  molecule->energyCorrection = result.energyCorrection;
  molecule->dipoleMoment = result.dipoleMoment;
}

// The molecule carries whether its geometry converged; a console line says when it did not,
// since the energies that follow are those of that geometry.
void markConvergence(Molecule* molecule, MolecularSystem::OptimiserStop stop, double gradient) {
  molecule->isUnconverged = stop != MolecularSystem::OptimiserStop::Converged;
  if (!molecule->isUnconverged) return;
  char rms[32];
  std::snprintf(rms, sizeof rms, "%.4f", gradient);
  UtilityEngine::instance()->printToConsole(
      "The geometry of " + molecule->label() + " did not converge (" +
      MolecularSystem::describeStop(stop) + ", RMS gradient " + rms +
      " kcal/mol/A): its energies are those of that geometry.");
}

// Layouts under restraints tried when no quicker start keeps the labels: batches of this many
// scattered starts, until one gives a sound result.
constexpr unsigned kLayoutsPerBatch = 6;
constexpr unsigned kLayoutBatches = 4;
// Each layout costs a restrained relaxation and an optimisation, both growing with the square
// of the atoms; a large molecule whose labels no layout keeps would otherwise take seconds to
// be refused. Molecules of up to 70 atoms get every start of every batch, larger ones fewer,
// and every molecule the first few (the built geometry relaxed under restraints first).
constexpr unsigned kLayoutStarts = kLayoutsPerBatch * kLayoutBatches + 1;
constexpr unsigned kFewestLayoutStarts = 3;
constexpr double kLayoutWork = kLayoutStarts * 70.0 * 70.0;

unsigned layoutStarts(const Molecule& molecule) {
  const double atoms = static_cast<double>(std::max<size_t>(molecule.atoms.size(), 1));
  const double starts = std::floor(kLayoutWork / (atoms * atoms));
  return static_cast<unsigned>(
      std::max<double>(kFewestLayoutStarts, std::min<double>(kLayoutStarts, starts)));
}

// Optimisations for a molecule whose first one ended with a centre turned over, a double bond
// flipped, atoms too close or a bond far from its length. The first run anneals the torsions, which also turns about ring
// bonds: a ring torn open that way can close again mirrored. And a ring system built in puckers
// that contradict its labels keeps them only under strain, which the relaxation relieves by
// turning a centre over. So each start here is relaxed alone: the built geometry when it was
// sound, the result mended by rigid moves and restraints, then layouts of the whole molecule
// relaxed under restraints from the built geometry and from scattered starts. The sound result
// of least energy is kept. When the force field undoes the written form from every start, the
// first sound layout under restraints stands; with none, a result is left for the final check to
// report.
OptimisedGeometry optimiseKeepingLabels(Molecule* molecule, const OptimisedGeometry& first,
                                        const std::vector<SSEVector4f>& built) {
  OptimisedGeometry best;
  OptimisedGeometry last = first;
  OptimisedGeometry restrained;   // the first sound layout under restraints
  OptimisedGeometry labelFault;   // the first result with a centre, double bond or overlap wrong
  auto tryFrom = [&](const std::vector<SSEVector4f>& start) {
    molecule->positions = start;
    molecule->setAllAtomPositions();
    last = runInternalCoordinates(molecule, false);
    if (!last.done) return;
    const bool labelsKept = describeGeometryFault(*molecule).empty();
    if (labelsKept && describeChainFault(*molecule, bondTolerance(last)).empty() &&
        (!best.done || last.energy < best.energy))
      best = last;
    else if (!labelsKept && labelFault.positions.empty())
      labelFault = last;
  };
  // A built ring closes with bonds of any length; only overlaps and labels make a bad start.
  molecule->positions = built;
  molecule->setAllAtomPositions();
  if (describeGeometryFault(*molecule).empty()) tryFrom(built);
  if (!best.done) {
    restore(molecule, first);
    repairGeometry(*molecule, std::vector<bool>(), kFinishedNonBondedDistance);
    packPositions(molecule);
    tryFrom(molecule->positions);
  }
  unsigned startsLeft = layoutStarts(*molecule);
  for (unsigned batch = 0; batch < kLayoutBatches && !best.done && startsLeft > 0; ++batch) {
    molecule->positions = built;
    molecule->setAllAtomPositions();
    // The first batch also relaxes the built geometry itself.
    std::vector<unsigned> starts;
    for (unsigned k = batch == 0 ? 0 : 1; k <= kLayoutsPerBatch && startsLeft > 0; ++k) {
      starts.push_back(batch * kLayoutsPerBatch + k);
      --startsLeft;
    }
    for (const std::vector<SSEVector4f>& layout : soundLayouts(*molecule, starts)) {
      geometry::placeAtoms(*molecule, layout);
      packPositions(molecule);
      if (restrained.positions.empty() && describeFinishedFault(*molecule).empty())
        restrained.positions = molecule->positions;
      tryFrom(molecule->positions);
    }
  }
  if (best.done) return best;
  // The force field itself leaves the written form (a cis azobenzene whose nitrogens invert to
  // trans, a crowded Z double bond): the least strained layout that holds every label, relaxed
  // under the restraints, is the molecule.
  if (!restrained.positions.empty()) {
    restrained.done = true;
    restrained.energy = first.energy;
    restrained.energyCorrection = first.energyCorrection;
    restrained.dipoleMoment = first.dipoleMoment;
    return restrained;
  }
  // Nothing sound: a result that holds the labels only with a bond torn long says less about
  // the cause than one with the label given up, so that one is reported when there is one.
  return labelFault.positions.empty() ? first : labelFault;
}

}  // namespace

namespace {

// Positions into the atoms, new atom spheres and bond spheroids; false when a bond's spheroid
// could not be built.
bool rebuildSpheroids(Molecule* molecule) {
  const int tessellation = molecule->atoms.size() <= kFineTessellationMaxAtoms
                               ? kFineTessellation
                               : kCoarseTessellation;
  for (Atom* atom : molecule->atoms) {
    if (atom == nullptr) continue;
    atom->position = packedPosition(molecule, atom);
    rebuildAtomSphere(atom, tessellation);
  }
  bool allBuilt = true;
  for (Bond* bond : molecule->bonds) {
    if (bond == nullptr || bond->atom1 == nullptr || bond->atom2 == nullptr) continue;
    // A bond that fails keeps its values and spheroid; the rest are rebuilt.
    if (!rebuildBondSpheroid(bond, packedPosition(molecule, bond->atom1),
                             packedPosition(molecule, bond->atom2), tessellation))
      allBuilt = false;
  }
  return allBuilt;
}

}  // namespace

bool IOEngine::setCoordinates(Molecule* molecule) {
  if (molecule == nullptr) return false;
  const bool allBuilt = rebuildSpheroids(molecule);
  // Positions with atoms on top of each other or a centre of the wrong hand are no finished
  // molecule, whatever made them.
  const std::string fault = describeGeometryFault(*molecule);
  if (!fault.empty()) {
    printError(fault);
    return false;
  }
  return allBuilt;
}

bool IOEngine::optimizeGeometryM(Molecule* molecule, bool internalOnly) {
  if (molecule == nullptr) return false;
  // Labels no geometry holds are refused before any work; the molecule keeps its built
  // positions and gets its spheroids, as every refused one does.
  const std::string impossible = describeInsideOutBridgehead(*molecule);
  if (!impossible.empty()) {
    rebuildSpheroids(molecule);
    printError(impossible);
    return false;
  }
  if (!internalOnly)
    for (Atom* atom : molecule->atoms)
      if (isDummy(atom)) return optimizeGeometryF(molecule);

  const std::vector<SSEVector4f> built = molecule->positions;
  molecule->setAllAtomPositions();
  OptimisedGeometry result = runInternalCoordinates(molecule, true);
  bool sound = false;   // a refused driver leaves setCoordinates below to say why
  if (result.done) {
    const bool labelsKept = describeGeometryFault(*molecule).empty();
    sound = labelsKept && describeChainFault(*molecule, bondTolerance(result)).empty();
    // A relaxation its bound of work stopped with the labels kept but bonds off their lengths is
    // not started again: every other start would be relaxed under the same bound, each at the
    // cost of the first, and end no nearer.
    const bool bounded = result.stop == MolecularSystem::OptimiserStop::EvaluationLimit;
    if (!sound && !(bounded && labelsKept)) {
      result = optimiseKeepingLabels(molecule, result, built);
      restore(molecule, result);
    }
  }
  // A molecule the driver refused (no packed positions) is not called optimised.
  if (result.done) {
    molecule->isOptimized = true;
    markConvergence(molecule, result.stop, result.gradient);
  }
  // Bonds far from their lengths are checked before the spheroids take the positions' lengths;
  // a first result judged sound above needs no second look.
  if (sound) return rebuildSpheroids(molecule);
  const std::string lengths =
      result.done ? describeChainFault(*molecule, bondTolerance(result)) : std::string();
  const bool spheroids = setCoordinates(molecule);
  if (!lengths.empty()) {
    printError(result.stop == MolecularSystem::OptimiserStop::EvaluationLimit
                   ? lengths + ": not finished, the optimisation stopped at its bound of work"
                   : lengths);
    return false;
  }
  return spheroids;
}

namespace {

// Energy report lines of the Cartesian runs, on standard output.
void reportEnergies(MolecularSystem& system, const char* when) {
  const double bond = system.EFBond();
  const double total = system.EnergyForce();
  std::cout << when << total << "\tBond : " << bond << std::endl;
}

// Copies the system's coordinates back into the packed positions, for the atoms counted when
// the system was built (never past either array).
void copyBack(const MolecularSystem& system, Molecule* molecule, size_t atomCount) {
  const size_t count = std::min({atomCount, system.coordinates.size(),
                                 molecule->positions.size()});
  for (size_t i = 0; i < count; ++i) molecule->positions[i] = system.coordinates[i];
}

bool runCartesian(IOEngine* engine, Molecule* molecule, bool steepest) {
  const size_t atomCount = molecule->atoms.size();
  std::cout << "\n++++++++++++++ " << molecule->getName() << " ++++++++++++++\n";
  MolecularSystem* system = new MolecularSystem(molecule);
  reportEnergies(*system, "Energy before Minimization ");
  Minimization minimization;
  if (steepest)
    minimization.SteepestDescent(system);
  else
    minimization.AdoptedBasisNewtonRaphson(system);
  molecule->energyCorrection = -system->calEmag();
  if (!steepest) markConvergence(molecule, system->lastStop, system->lastGradient);
  reportEnergies(*system, "Energy after Minimization ");
  copyBack(*system, molecule, atomCount);
  if (!steepest) molecule->setAllAtomPositions();
  const bool built = engine->setCoordinates(molecule);
  delete system;
  return built;
}

}  // namespace

bool IOEngine::optimizeGeometryF(Molecule* molecule) {
  if (molecule == nullptr) return false;
  return runCartesian(this, molecule, false);
}

bool IOEngine::localMinimization(Molecule* molecule) {
  if (molecule == nullptr) return false;
  return runCartesian(this, molecule, true);
}

void IOEngine::calProperty(Molecule* molecule) {
  if (molecule == nullptr) return;
  MolecularSystem* system = new MolecularSystem(molecule);
  system->DipoleMoment();
  molecule->dipoleMoment = static_cast<float>(system->dipoleMagnitude);
  molecule->hasDipoleMoment = true;
  delete system;
}
