// The optimiser's settings and adopted-basis Newton-Raphson: steepest-descent steps until a
// small basis of past points is collected, then Newton steps within the space those points span
// plus a move against the gradient left over.
#include "forcefield/Minimization.h"

#include "forcefield/MolecularSystem.h"
#include "math/UtilityEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <vector>

namespace {

const char* const kHeader = "Step        Function      Gradient";

std::string formatRow(int step, double energy, double gradient) {
  char line[64];
  std::snprintf(line, sizeof line, "%6d %12.5f %12.5f", step, energy, gradient);
  return line;
}

double dotProduct(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

// One point of the history: coordinates and gradient in the 3N space, energy, RMS gradient.
struct Point {
  std::vector<double> x, g;
  double energy = 0.0;
  double rmsGradient = 0.0;
};

void writeCoordinates(MolecularSystem* system, const std::vector<double>& x) {
  for (int a = 0; a < system->atomCount; ++a)
    system->coordinates[a] = SSEVector4f(static_cast<float>(x[3 * a]),
                                         static_cast<float>(x[3 * a + 1]),
                                         static_cast<float>(x[3 * a + 2]), 1.0f);
}

void evaluate(MolecularSystem* system, Point& point) {
  point.energy = system->EnergyForce();
  const int n = 3 * system->atomCount;
  for (int a = 0; a < system->atomCount; ++a) {
    point.g[3 * a] = -system->forceX[a];
    point.g[3 * a + 1] = -system->forceY[a];
    point.g[3 * a + 2] = -system->forceZ[a];
  }
  point.rmsGradient = std::sqrt(dotProduct(point.g, point.g)) /
                      std::max(std::sqrt(static_cast<double>(n)), 1e-10);
}

}  // namespace

Minimization::Minimization()
    : maxSteps(200),
      sdStepSize(2.2),
      sdTolerance(0.001),
      basisSize(5),
      initialStepSize(0.02),
      stepTolerance(0.0),
      eigenvalueThreshold(0.0005),
      stepLimit(1.0),
      gradientChangeTolerance(0.0),
      maxEnergyRise(0.1),
      gradientTolerance(0.001),
      energyTolerance(0.0),
      maxStepsSinceReference(100),
      maxEvaluations(-1) {}

double Minimization::AdoptedBasisNewtonRaphson(MolecularSystem* system) { return ABNR(system); }

namespace {

// Why a run of adopted-basis Newton-Raphson stopped before convergence; the numbers are the codes
// the optimiser has always used for them.
enum class StopReason {
  None = 0,
  StepTooShort = 2,           // the step length fell below stepTolerance
  EnergyUnchanged = 3,        // |dE| at most energyTolerance (a step below float resolution)
  NoDescentForTooLong = 4,    // more than maxStepsSinceReference steps without a descent
  CoordinatesUnchanged = 6,   // the largest relative coordinate change below its tolerance
};

// What the basis update leaves to do next.
enum class NextMove { SteepestDescentStep, NewtonStep };

// One run of adopted-basis Newton-Raphson. The history lives in M + 2 slots addressed by
// index: the basis list (most recent first), the reference slot (the current point) and the
// new slot (where the next trial point goes).
class AbnrRun {
public:
  AbnrRun(Minimization& minimization, MolecularSystem* optimised)
      : settings(minimization), system(optimised), n(3 * optimised->atomCount),
        M(std::max(settings.basisSize, 1)), slots(M + 2), basis(M), reference(M), trial(M + 1),
        dX(M, std::vector<double>(n)), dG(M, std::vector<double>(n)), b(M), coefficients(M),
        eigenvalues(M), work(M), matrixBlock(static_cast<size_t>(M) * M),
        vectorBlock(static_cast<size_t>(M) * M), matrix(M), vectors(M), direction(n), step(n) {
    for (Point& p : slots) {
      p.x.assign(n, 0.0);
      p.g.assign(n, 0.0);
    }
    for (int j = 0; j < M; ++j) {
      basis[j] = j;
      matrix[j] = matrixBlock.data() + static_cast<size_t>(j) * M;
      vectors[j] = vectorBlock.data() + static_cast<size_t>(j) * M;
    }
  }

  double run() {
    start();
    for (;;) {
      if (makeSteepestDescentStep) steepestDescentStep();
      makeSteepestDescentStep = true;
      const double L = limitStep();
      if (!(L > 0.0)) {
        if (newtonMode) {
          newtonMode = false;
          continue;
        }
        break;   // no step left to take: the reference point is the result
      }
      evaluateTrialPoint();
      StopReason reason = testNewPoint();   // also sets dE
      const bool descent = dE <= settings.maxEnergyRise;
      const double projection = dotProduct(direction, slots[trial].g);
      updateStepLength(descent, projection, L);
      if (std::fabs(dE) <= settings.energyTolerance) reason = StopReason::EnergyUnchanged;
      if (L < settings.stepTolerance) reason = StopReason::StepTooShort;
      if (converged(reason)) {
        endedAtTest = true;
        stopReason = reason;
        break;
      }
      if (updateBasis(descent) == NextMove::SteepestDescentStep) continue;
      if (!newtonStep()) break;
    }
    return finish();
  }

private:
  // Start coordinates into the reference slot, its evaluation, and the opening lines.
  void start() {
    system->refreshPairList();
    for (int a = 0; a < system->atomCount; ++a) {
      slots[reference].x[3 * a] = system->coordinates[a].x;
      slots[reference].x[3 * a + 1] = system->coordinates[a].y;
      slots[reference].x[3 * a + 2] = system->coordinates[a].z;
    }
    s = std::max(10.0 * settings.stepTolerance, settings.initialStepSize);
    countedEvaluation(slots[reference]);
    if (verbosity > 0) utility->printToConsole("Minimization using Adopted-Basis Newton Raphson.");
    if (verbosity >= 2) {
      utility->printToConsole(kHeader);
      utility->printToConsole(formatRow(0, slots[reference].energy, slots[reference].rmsGradient));
    }
  }

  // A step of length s against the reference gradient.
  void steepestDescentStep() {
    const Point& ref = slots[reference];
    direction = ref.g;
    const double norm = std::max(std::sqrt(static_cast<double>(n)) * ref.rmsGradient, 1e-10);
    for (int i = 0; i < n; ++i) step[i] = s * direction[i] / norm;
  }

  // Caps a Newton step at the step limit and places the trial point; returns the step length.
  double limitStep() {
    double L = std::sqrt(dotProduct(step, step));
    if (newtonMode && L > settings.stepLimit) {
      const double scale = 0.99 * settings.stepLimit / L;
      for (double& v : step) v *= scale;
      L = std::sqrt(dotProduct(step, step));
    }
    for (int i = 0; i < n; ++i) slots[trial].x[i] = slots[reference].x[i] - step[i];
    return L;
  }

  void evaluateTrialPoint() {
    Point& next = slots[trial];
    ++stepCount;
    writeCoordinates(system, next.x);
    countedEvaluation(next);
    if (verbosity >= 2) utility->printToConsole(formatRow(stepCount, next.energy, next.rmsGradient));
  }

  // The stops judged before the step length changes; a later one replaces an earlier one.
  StopReason testNewPoint() {
    const Point& ref = slots[reference];
    const Point& next = slots[trial];
    StopReason reason = StopReason::None;
    dE = next.energy - ref.energy;
    if (stepCount + 1 - referenceStep > settings.maxStepsSinceReference)
      reason = StopReason::NoDescentForTooLong;
    // The relative coordinate change is judged only against a positive tolerance (a division
    // per coordinate and step otherwise spent on a test that cannot stop the run).
    if (!(settings.gradientChangeTolerance > 0.0)) return reason;
    double largestChange = 0.0;
    for (int i = 0; i < n; ++i) {
      if (std::fabs(ref.x[i]) <= 1e-6) continue;
      largestChange = std::max(largestChange, std::fabs(next.x[i] - ref.x[i]) / std::fabs(ref.x[i]));
    }
    if (largestChange < settings.gradientChangeTolerance) reason = StopReason::CoordinatesUnchanged;
    return reason;
  }

  void updateStepLength(bool descent, double projection, double L) {
    if (!newtonMode) {
      if (descent) {
        s *= 1.2 * std::pow(1.6, sdFailures);
        sdFailures = 0;
      } else {
        ++sdFailures;
        s *= 0.5;
      }
    } else if (descent) {
      s *= projection > 0.0 ? 1.5 : 0.9;
    } else if (s > 0.5 * L) {
      s *= 0.8;
    }
    s = std::max(s, 0.0);
  }

  void countedEvaluation(Point& point) {
    evaluate(system, point);
    if (settings.maxEvaluations > 0) --settings.maxEvaluations;
  }

  // Converged, stopped for a reason, out of evaluations or out of steps: a run still far from
  // convergence at maxSteps goes on up to twice as many.
  bool converged(StopReason reason) const {
    const Point& next = slots[trial];
    return next.rmsGradient < settings.gradientTolerance || reason != StopReason::None ||
           settings.maxEvaluations == 0 ||
           (stepCount >= settings.maxSteps &&
            (next.rmsGradient <= 10.0 * settings.gradientTolerance ||
             stepCount >= 2 * settings.maxSteps));
  }

  // A descent makes the new point the reference; otherwise the new point joins the basis by
  // energy, and repeated failures fall back to steepest descent.
  NextMove updateBasis(bool descent) {
    if (descent) {
      referenceStep = stepCount + 1;
      if (basisLength < M) ++basisLength;
      const int recycled = basis[basisLength - 1];
      for (int j = basisLength - 1; j > 0; --j) basis[j] = basis[j - 1];
      basis[0] = reference;
      reference = trial;
      trial = recycled;
      failures = 0;
      return NextMove::NewtonStep;
    }
    const Point& next = slots[trial];
    int insertAt = basisLength;
    for (int j = 0; j < basisLength; ++j)
      if (slots[basis[j]].energy > next.energy) {
        insertAt = j;
        break;
      }
    if (basisLength < M) {
      ++basisLength;
      if (insertAt >= basisLength) insertAt = basisLength - 1;
      failures = 0;
      newtonMode = true;
    }
    ++failures;
    if (failures > 1) newtonMode = false;
    if (insertAt >= basisLength) {
      if (newtonMode) basisLength /= 2;
      newtonMode = false;
      return NextMove::SteepestDescentStep;   // the trial slot is reused
    }
    const int recycled = basis[basisLength - 1];
    for (int j = basisLength - 1; j > insertAt; --j) basis[j] = basis[j - 1];
    basis[insertAt] = trial;
    trial = recycled;
    return newtonMode ? NextMove::NewtonStep : NextMove::SteepestDescentStep;
  }

  // The Newton-Raphson step within the space the basis spans, plus a move of length s against
  // the gradient left over. False when the basis matrix cannot be diagonalised.
  bool newtonStep() {
    const Point& r = slots[reference];
    for (int j = 0; j < basisLength; ++j) {
      const Point& p = slots[basis[j]];
      for (int i = 0; i < n; ++i) {
        dX[j][i] = p.x[i] - r.x[i];
        dG[j][i] = p.g[i] - r.g[i];
      }
      b[j] = dotProduct(dX[j], r.g);
    }
    for (int j = 0; j < basisLength; ++j) {
      matrix[j][j] = dotProduct(dX[j], dG[j]);
      for (int l = 0; l < j; ++l) {
        // Both products in one pass, each summed in index order.
        double jl = 0.0, lj = 0.0;
        const double *gj = dG[j].data(), *xl = dX[l].data(), *gl = dG[l].data(),
                     *xj = dX[j].data();
        for (int i = 0; i < n; ++i) {
          jl += gj[i] * xl[i];
          lj += gl[i] * xj[i];
        }
        const double h = 0.5 * (jl + lj);
        matrix[j][l] = matrix[l][j] = h;
      }
    }
    int size = basisLength, job = 11, rows = basisLength, ier = 0;
    settings.Diagonalization(matrix.data(), size, job, eigenvalues.data(), vectors.data(), rows,
                             work.data(), ier);
    if (ier != 0) {
      ErrorLine() << "ABNR: Error in diagonalization. IER = " << ier;
      endedAtTest = false;   // the last accepted point is the result
      diagonalisationFailed = true;
      return false;
    }
    std::fill(coefficients.begin(), coefficients.end(), 0.0);
    const double largest = eigenvalues[basisLength - 1];
    if (largest < 0.0) {
      newtonMode = false;
      return true;
    }
    for (int e = 0; e < basisLength; ++e) {
      const double lambda = eigenvalues[e];
      if (lambda / std::max(std::fabs(largest), 1e-10) <= settings.eigenvalueThreshold) continue;
      double q = 0.0;
      for (int j = 0; j < basisLength; ++j) q += b[j] * vectors[j][e];
      const double divisor = std::fabs(lambda) < 1e-10 ? (lambda < 0 ? -1e-10 : 1e-10) : lambda;
      for (int j = 0; j < basisLength; ++j) coefficients[j] += q * vectors[j][e] / divisor;
    }
    direction = r.g;
    for (int j = 0; j < basisLength; ++j)
      for (int i = 0; i < n; ++i) direction[i] -= coefficients[j] * dG[j][i];
    const double norm = std::max(std::sqrt(dotProduct(direction, direction)), 1e-10);
    for (int i = 0; i < n; ++i) step[i] = s * direction[i] / norm;
    for (int j = 0; j < basisLength; ++j)
      for (int i = 0; i < n; ++i) step[i] += coefficients[j] * dX[j][i];
    newtonMode = true;
    makeSteepestDescentStep = false;
    return true;
  }

  // The result point into the system, and the closing lines.
  double finish() {
    const Point* result = &slots[reference];
    if (endedAtTest && slots[trial].energy < slots[reference].energy) result = &slots[trial];
    writeCoordinates(system, result->x);
    system->lastEnergy = result->energy;
    system->lastGradient = result->rmsGradient;
    system->lastStop = stopOf(*result);
    // The forces are left as the result point's evaluation gave them.
    if (result != &slots[trial] && stepCount > 0) system->EnergyForce();

    if (verbosity > 0) {
      std::printf("Minimum%5d%15.3e%15.3e%15.3e\n", stepCount, result->energy,
                  result->rmsGradient, dE);
      std::fflush(stdout);
      char line[64];
      std::snprintf(line, sizeof line, "Minimization finished in %5d steps.", stepCount);
      utility->printToConsole(line);
      utility->printToConsole(kHeader);
      utility->printToConsole(formatRow(stepCount, result->energy, result->rmsGradient));
    }
    return result->energy;
  }

  // Converged at the optimiser's own acceptance level, or what ended the run short of it.
  MolecularSystem::OptimiserStop stopOf(const Point& result) const {
    using Stop = MolecularSystem::OptimiserStop;
    if (diagonalisationFailed) return Stop::Failed;
    if (result.rmsGradient <= 10.0 * settings.gradientTolerance) return Stop::Converged;
    if (!endedAtTest) return Stop::Stalled;
    switch (stopReason) {
      case StopReason::NoDescentForTooLong: return Stop::NoDescent;
      case StopReason::None: break;
      default: return Stop::Stalled;
    }
    return settings.maxEvaluations == 0 ? Stop::EvaluationLimit : Stop::StepLimit;
  }

  Minimization& settings;
  MolecularSystem* system;
  UtilityEngine* utility = UtilityEngine::instance();
  const int verbosity = UtilityEngine::instance()->printLevel;
  const int n;   // 3 x atoms
  const int M;   // basis size

  std::vector<Point> slots;
  std::vector<int> basis;
  int basisLength = 0;
  int reference, trial;

  // Per basis point: coordinate and gradient differences to the reference, projected gradient;
  // the basis matrix with its eigen-decomposition and the step coefficients.
  std::vector<std::vector<double>> dX, dG;
  std::vector<double> b, coefficients, eigenvalues, work;
  std::vector<double> matrixBlock, vectorBlock;
  std::vector<double*> matrix, vectors;
  std::vector<double> direction, step;

  double s = 0.0;   // step length
  int stepCount = 0, referenceStep = 1;
  bool newtonMode = false;
  int sdFailures = 0, failures = 0;
  double dE = 0.0;                       // energy change of the last evaluated step
  bool endedAtTest = false;              // ended on the tests, not for want of a step
  StopReason stopReason = StopReason::None;   // the reason the tests ended on
  bool diagonalisationFailed = false;
  bool makeSteepestDescentStep = true;   // false after a Newton step was made
};

}  // namespace

double Minimization::ABNR(MolecularSystem* system) {
  if (system == nullptr) return 0.0;
  const int n = 3 * system->atomCount;
  if (n == 0) {
    // Nothing to move: the energy of the empty system, which has no gradient.
    system->lastEnergy = system->EnergyForce();
    system->lastGradient = 0.0;
    system->lastStop = MolecularSystem::OptimiserStop::Converged;
    return system->lastEnergy;
  }
  if (basisSize > n) basisSize = n;
  return AbnrRun(*this, system).run();
}

const char* MolecularSystem::describeStop(OptimiserStop stop) {
  switch (stop) {
    case OptimiserStop::NotRun: return "not run";
    case OptimiserStop::Converged: return "converged";
    case OptimiserStop::StepLimit: return "step limit reached";
    case OptimiserStop::EvaluationLimit: return "evaluation limit reached";
    case OptimiserStop::NoDescent: return "too many steps without descent";
    case OptimiserStop::Stalled: return "no step left to take";
    case OptimiserStop::Failed: return "diagonalisation failed";
  }
  return "";
}
