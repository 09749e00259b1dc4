#ifndef KV_FORCEFIELD_INTERNALCOORDINATES_H
#define KV_FORCEFIELD_INTERNALCOORDINATES_H

// The geometry-optimisation driver of the set-up pipeline: builds the force-field model of one
// molecule, anneals its torsions, relaxes all coordinates with adopted-basis Newton-Raphson and
// writes the geometry, the Emag energy correction and the dipole moment back into the molecule.
// Also holds a genetic search over torsion angles that no command reaches.

#include "forcefield/MolecularSystem.h"
#include "math/SSEVector4f.h"

#include <boost/random/linear_congruential.hpp>

#include <map>
#include <vector>

class Minimization;
class Molecule;

class InternalCoordinates {
public:
  explicit InternalCoordinates(Molecule* molecule);
  ~InternalCoordinates();
  InternalCoordinates(const InternalCoordinates&) = delete;
  InternalCoordinates& operator=(const InternalCoordinates&) = delete;

  // Optimises the molecule in place. False, with one line on standard error and the molecule
  // untouched, when it has no packed position per atom.
  bool minimizeEnergy();
  // Whether minimizeEnergy anneals the torsions before the relaxation. The annealing also turns
  // about ring bonds; a retry that must keep the ring puckers it is given relaxes alone.
  bool annealTorsions = true;
  // The total energy minimizeEnergy ended with (kcal/mol), the RMS gradient there and how the
  // relaxation that made the geometry ended.
  double finalEnergy = 0.0;
  double finalGradient = 0.0;
  MolecularSystem::OptimiserStop finalStop = MolecularSystem::OptimiserStop::NotRun;

  // Work bounds of minimizeEnergy. A molecule of some hundreds of atoms gets the whole torsion
  // search (100 sweeps) and thousands of force-field evaluations for its relaxation; above
  // that the sweeps and the evaluations are cut so that the work stays near 5e7 atom turns and
  // 3e6 atom evaluations (a 30,000-atom chain would otherwise turn atoms for hours).
  static int torsionSearchSweeps(int axisCount, int atomCount);
  static int relaxationEvaluations(int atomCount);
  // The atom evaluations relaxationEvaluations shares out (3e6); a test lowers it to reach the
  // bound with a small molecule, and puts it back.
  static double relaxationAtomEvaluations;

 private:
  void settleBondedTerms(Minimization& minimization);

 public:

  // Genetic search over the rotatable bonds (energies are the system's non-bonded energy).
  void initPopulation();
  void randomlyGenPop(std::vector<std::vector<float> >& population, int count);
  void calEnergy();
  void nextGen();
  void crossOver(std::vector<float> a, std::vector<float> b,
                 std::vector<std::vector<float> >& out);
  // Moves atom a to the origin and the a-b edge onto the x axis, then turns b's side of the bond
  // about x by the angle. positions holds one entry per atom.
  void rotateAboutEdge(int a, int b, float angleDegrees, SSEVector4f* positions);

  Molecule* molecule;
  int geneCount;
  std::vector<float> genes;
  int populationSize;
  std::vector<std::vector<float> > population;
  std::map<float, std::vector<float> > rankedPopulation;
  std::map<float, std::vector<float> > bestGenes;
  boost::random::minstd_rand rng;
  int firstGeneration;
  int stallCount;
  float currentBestEnergy;
  float bestEnergy;
  bool finished;
  int atomCount;
  int bondCount;
  int* rotatableBondAtom1;
  int* rotatableBondAtom2;
  SSEVector4f* positions;
  MolecularSystem* system;
};

#endif
