#pragma once

// The set-up chain: what turns a molecule's graph into a finished molecule, run after every
// read, build and edit. Its steps run in one order, each the operation named beside it; a caller
// leaves out the steps its molecule does not need (a file that keeps its coordinates, a large
// PDB structure that is not optimised, an edit that keeps the rest of its geometry) and reads
// the result, which names the step that refused. The refusing step has already printed its one
// error line; a molecule the chain refused is never marked optimised.

#include <initializer_list>

class Molecule;

// The steps, in the order runSetupChain runs them.
enum class SetupStep : unsigned {
  None = 0,
  // Ring perception and atom typing (Molecule::findAllSmallestRings, findBestAtomType). The
  // valences and hydrogens before it are each reader's own.
  Perception = 1u << 0,
  Parameters = 1u << 1,     // IOEngine::setParameters
  Coordinates = 1u << 2,    // Molecule::createOptimumGeometry, for the atoms not yet placed
  Optimisation = 1u << 3,   // by SetupSteps::optimiser; it ends by rebuilding the spheroids
  Spheroids = 1u << 4,      // IOEngine::setCoordinates, when no optimisation ran
  // Dipole moment and energy correction from a force-field system, without optimising (the
  // internal-coordinates optimisation leaves both on the molecule itself).
  Dipole = 1u << 5,
  Naming = 1u << 6,         // the formula name (Molecule::makeName)
  Energies = 1u << 7        // total bond energy, then heat of formation
};

// "perception", "parameters", "coordinates", "optimisation", "spheroids", "dipole", "naming",
// "energies"; "none" for None.
const char* setupStepName(SetupStep step);

enum class Optimiser {
  ByOpenAxes,            // optimizeGeometryM(m, false): Cartesian while a "DUM" atom remains
  InternalCoordinates,   // optimizeGeometryM(m, true), open axes or not
  Cartesian,             // optimizeGeometryF
  SteepestDescent        // localMinimization
};

// Which steps run, and how.
class SetupSteps {
 public:
  SetupSteps() = default;   // no step
  SetupSteps(std::initializer_list<SetupStep> steps);
  // Every step but the dipole: a bare graph to a finished molecule.
  static SetupSteps all();

  SetupSteps with(SetupStep step) const;
  SetupSteps without(SetupStep step) const;
  bool has(SetupStep step) const;

  Optimiser optimiser = Optimiser::ByOpenAxes;
  // Perception and parameters only once no open bond axis ("DUM" atom) remains: a join or ring
  // closure that leaves axes open keeps the types and parameters its groups came with.
  bool typesOnlyWhenClosed = false;
  bool freshName = false;       // the names are cleared before the formula name
  // Molecule::isOptimized set once every step passed, as for coordinates read from a file or
  // kept through an edit (the internal-coordinates optimisation sets it itself).
  bool markOptimised = false;

 private:
  unsigned bits = 0;
};

struct [[nodiscard]] SetupResult {
  SetupStep refused = SetupStep::None;   // the step that refused; the later ones did not run
  bool ok() const { return refused == SetupStep::None; }
};

// Runs the chosen steps on the molecule, stopping at the first that refuses (the optimisation
// and the spheroids refuse positions that are no finished geometry: atoms on top of each other,
// a centre of the wrong hand, a bond shorter than its orbital allows).
[[nodiscard]] SetupResult runSetupChain(Molecule& molecule, const SetupSteps& steps);
