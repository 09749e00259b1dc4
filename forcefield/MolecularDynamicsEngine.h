#ifndef KV_FORCEFIELD_MOLECULARDYNAMICSENGINE_H
#define KV_FORCEFIELD_MOLECULARDYNAMICSENGINE_H

// Moves the atoms of a force-field system through time: position Verlet (Verlet) and velocity
// Verlet (VVerlet), both with optional SHAKE bond constraints and, when the system's
// preserveChirality is set, a snapshot that keeps the stereo centres intact. A run leaves the
// final configuration in the system's coordinates and the energies and temperature of the last
// step here. Nothing in the application starts a run.
//
// Units: time in femtoseconds, energies in kcal/mol, temperature in kelvin. Fixed atoms, and
// atoms whose mass is not positive, never move and keep zero velocity.

#include "math/SSEVector4f.h"

class MolecularSystem;

class MolecularDynamicsEngine {
 public:
  double timeStep = 1.0;   // fs
  bool useShake = false;   // SHAKE after every position update
  int numSteps = 1000;

  // Results of the last step.
  double totalEnergy = 0.0;
  double potentialEnergy = 0.0;
  double kineticEnergy = 0.0;
  double temperature = 0.0;

  // Sets x, y and z of the first n vectors to 0; w is left alone.
  void InitialVelocity(int n, SSEVector4f* v);
  // Both run numSteps steps of timeStep on the system; a null system does nothing.
  void Verlet(MolecularSystem* system);
  void VVerlet(MolecularSystem* system);
};

#endif
