// The one place the set-up steps run in order.

#include "construction/SetupChain.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "construction/GeometryCheck.h"
#include "construction/OpenCageHands.h"
#include "forcefield/InternalCoordinates.h"
#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Molecule.h"

namespace {

unsigned bitOf(SetupStep step) { return static_cast<unsigned>(step); }

bool optimise(IOEngine& io, Molecule& molecule, Optimiser optimiser) {
  switch (optimiser) {
    case Optimiser::InternalCoordinates:
      return io.optimizeGeometryM(&molecule, true);
    case Optimiser::Cartesian:
      return io.optimizeGeometryF(&molecule);
    case Optimiser::SteepestDescent:
      return io.localMinimization(&molecule);
    case Optimiser::ByOpenAxes:
      break;
  }
  return io.optimizeGeometryM(&molecule, false);
}

void storeDipole(Molecule& molecule) {
  MolecularSystem system(&molecule);
  system.DipoleMoment();
  molecule.dipoleMoment = static_cast<float>(system.dipoleMagnitude);
  molecule.hasDipoleMoment = true;
  molecule.energyCorrection = -system.calEmag();
}

// One trial build of a copy of a molecule whose open cage centres are being chosen: built and
// optimised once, as the chain first does; the force-field energy of the result, or infinity
// when it holds a fault. The chain's further starts for a faulty result are left out: a
// configuration that needs them is not the least strained one. The error lines of a trial are
// not the molecule's: they go nowhere.
double trialEnergy(Molecule& molecule) {
  const ErrorSink kept = setErrorSink([](const std::string&) {});
  molecule.createOptimumGeometry();
  molecule.setAllAtomPositions();
  InternalCoordinates driver(&molecule);
  driver.annealTorsions = true;
  bool done = driver.minimizeEnergy();
  molecule.setAllAtomPositions();
  done = done && describeFinishedFault(molecule).empty();
  setErrorSink(kept);
  if (!done || !std::isfinite(driver.finalEnergy)) return std::numeric_limits<double>::infinity();
  return driver.finalEnergy;
}

bool nothingPlaced(const Molecule& molecule) {
  return std::none_of(molecule.atoms.begin(), molecule.atoms.end(),
                      [](const Atom* atom) { return atom != nullptr && atom->isPlaced; });
}

SetupResult refuse(Molecule& molecule, SetupStep step) {
  molecule.isOptimized = false;
  return SetupResult{step};
}

}  // namespace

const char* setupStepName(SetupStep step) {
  switch (step) {
    case SetupStep::None: return "none";
    case SetupStep::Perception: return "perception";
    case SetupStep::Parameters: return "parameters";
    case SetupStep::Coordinates: return "coordinates";
    case SetupStep::Optimisation: return "optimisation";
    case SetupStep::Spheroids: return "spheroids";
    case SetupStep::Dipole: return "dipole";
    case SetupStep::Naming: return "naming";
    case SetupStep::Energies: return "energies";
  }
  return "none";
}

SetupSteps::SetupSteps(std::initializer_list<SetupStep> steps) {
  for (SetupStep step : steps) bits |= bitOf(step);
}

SetupSteps SetupSteps::all() {
  return SetupSteps{SetupStep::Perception, SetupStep::Parameters, SetupStep::Coordinates,
                    SetupStep::Optimisation, SetupStep::Spheroids,  SetupStep::Naming,
                    SetupStep::Energies};
}

SetupSteps SetupSteps::with(SetupStep step) const {
  SetupSteps more = *this;
  more.bits |= bitOf(step);
  return more;
}

SetupSteps SetupSteps::without(SetupStep step) const {
  SetupSteps fewer = *this;
  fewer.bits &= ~bitOf(step);
  return fewer;
}

bool SetupSteps::has(SetupStep step) const { return (bits & bitOf(step)) != 0; }

SetupResult runSetupChain(Molecule& molecule, const SetupSteps& steps) {
  IOEngine& io = *IOEngine::instance();
  const bool open = steps.typesOnlyWhenClosed &&
                    std::any_of(molecule.atoms.begin(), molecule.atoms.end(), isDummy);
  if (steps.has(SetupStep::Perception) && !open) {
    molecule.findAllSmallestRings();
    molecule.findBestAtomType();
  }
  if (steps.has(SetupStep::Parameters) && !open) io.setParameters(&molecule);
  // A molecule built whole whose rings cannot take every hand of the centres it leaves open gets
  // the hands of its least strained possible form for the build, and its own (open) labels back
  // after the optimisation.
  OpenHandsKept openHands;
  if (steps.has(SetupStep::Coordinates) && steps.has(SetupStep::Optimisation) &&
      nothingPlaced(molecule) &&
      std::none_of(molecule.atoms.begin(), molecule.atoms.end(), isDummy))
    openHands = chooseOpenCageHands(molecule, trialEnergy);
  if (steps.has(SetupStep::Coordinates)) molecule.createOptimumGeometry();
  if (steps.has(SetupStep::Optimisation)) {
    bool optimised = optimise(io, molecule, steps.optimiser);
    const bool chosen = openHands.changed() && !openHands.onlyPossibleForm;
    restoreOpenHands(openHands);
    // Should the chosen form still be refused, the molecule is built as it came.
    if (!optimised && chosen) {
      for (Atom* atom : molecule.atoms)
        if (atom != nullptr) atom->isPlaced = false;
      molecule.createOptimumGeometry();
      optimised = optimise(io, molecule, steps.optimiser);
    }
    if (!optimised) return refuse(molecule, SetupStep::Optimisation);
    const std::string openFault = describeOpenHandsFault(molecule, openHands);
    if (!openFault.empty()) {
      printError(openFault);
      return refuse(molecule, SetupStep::Optimisation);
    }
  } else if (steps.has(SetupStep::Spheroids) && !io.setCoordinates(&molecule)) {
    return refuse(molecule, SetupStep::Spheroids);
  }
  if (steps.has(SetupStep::Dipole)) storeDipole(molecule);
  if (steps.has(SetupStep::Naming)) {
    if (steps.freshName) molecule.names.clear();
    molecule.makeName();
  }
  if (steps.has(SetupStep::Energies)) {
    molecule.calTotalBondEnergy();
    molecule.calHeatOfFormation();
  }
  if (steps.markOptimised) molecule.isOptimized = true;
  return SetupResult{};
}
