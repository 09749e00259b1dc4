// The one place the set-up steps run in order.

#include "construction/SetupChain.h"

#include <algorithm>

#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
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
  if (steps.has(SetupStep::Coordinates)) molecule.createOptimumGeometry();
  if (steps.has(SetupStep::Optimisation)) {
    if (!optimise(io, molecule, steps.optimiser)) return refuse(molecule, SetupStep::Optimisation);
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
