#ifndef KV_FORCEFIELD_MINIMIZATION_H
#define KV_FORCEFIELD_MINIMIZATION_H

// The optimiser of the force-field model: a plain value class with the settings of the
// optimisation routines, made on the caller's stack, which may overwrite maxSteps before calling
// a routine. Every routine works in place on the system's coordinates.
//
// Bodies: Minimization.cpp (adopted-basis Newton-Raphson), EigenSolver.cpp (the symmetric
// eigen-solver it uses), DihedralOptimisers.cpp (steepest descent and the dihedral routines).

class MolecularSystem;

class Minimization {
public:
  Minimization();

  int maxSteps;                    // ABNR (up to twice this), steepest descent, annealing sweeps
  double sdStepSize;               // initial step of both steepest-descent routines
  double sdTolerance;              // their convergence limit
  int basisSize;                   // most past points ABNR keeps; lowered to 3 x atoms and kept
  double initialStepSize;          // ABNR start step, Angstrom in the 3N-dimensional space
  double stepTolerance;            // ABNR stops on a shorter step
  double eigenvalueThreshold;      // smallest eigenvalue, relative to the largest, ABNR uses
  double stepLimit;                // longest Newton-Raphson step
  double gradientChangeTolerance;  // ABNR stops when the largest relative coordinate change is below
  double maxEnergyRise;            // a step that raises the energy by at most this is a descent
  double gradientTolerance;        // ABNR convergence limit on the RMS gradient
  double energyTolerance;          // ABNR stops when a step changes the energy by at most this
  int maxStepsSinceReference;      // ABNR stops after more steps than this without a descent
  int maxEvaluations;              // force-field evaluations ABNR may still make; -1: no limit

  // Adopted-basis Newton-Raphson on all coordinates; returns the final energy (kcal/mol) and
  // leaves it and its RMS gradient in lastEnergy and lastGradient. A null or empty system gives 0.
  double AdoptedBasisNewtonRaphson(MolecularSystem* system);
  double ABNR(MolecularSystem* system);

  // Random turns of the torsion axes, accepted by a Metropolis rule on the non-bonded energy;
  // run-to-run identical. Returns at once for a system without torsion axes.
  void SimulatedAnnealingDihedral(MolecularSystem* system);
  // Moves the free atoms along the forces; returns the best energy found.
  double SteepestDescent(MolecularSystem* system);
  // Steepest descent in torsion space.
  void SDDihedral(MolecularSystem* system);

  // Eigen-decomposition of a symmetric n x n matrix held as zero-based rows. Eigenvalues
  // ascending; eigenvector j is column j of eigenvectors. wk needs n elements. jobn as EIGRS.
  // ier 0 on success, 128 + index when the iteration did not converge.
  void Diagonalization(double** a, int& n, int& jobn, double* eigenvalues, double** eigenvectors,
                       int& iz, double* wk, int& ier);
  // The solver family on one-based arrays (element 0 is never read). EIGRS: jobn >= 10 takes the
  // matrix in full n x n storage, below 10 packed lower-triangular by rows; jobn % 10 is 0 values
  // only, 1 values and vectors, 2 also a performance index in wk[1], 3 the index only (wk then
  // needs n (n + 1) / 2 + 1 elements). 66: bad mode (taken as 1); 67: iz < n (no vectors).
  void EIGRS(double* a, int& n, int& jobn, double* d, double** z, int& iz, double* wk, int& ier);
  void EHOUSS(double* a, int& n, double* d, double* e);
  void EQRT2S(double* d, double* e, int& n, double** z, int& iz, int& ier);
  void EHOBKS(double* a, int& n, int& m1, int& m2, double** z, int& iz);

  // The magnitude of a with the sign of b (negative when b < 0).
  static double SIGN(double a, double b) { return b < 0 ? -(a < 0 ? -a : a) : (a < 0 ? -a : a); }
  static int SIGN(int a, int b) { return b < 0 ? -(a < 0 ? -a : a) : (a < 0 ? -a : a); }
};

#endif
