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
      maxStepsSinceReference(100) {}

double Minimization::AdoptedBasisNewtonRaphson(MolecularSystem* system) { return ABNR(system); }

double Minimization::ABNR(MolecularSystem* system) {
  if (system == nullptr) return 0.0;
  UtilityEngine* utility = UtilityEngine::instance();
  const int verbosity = utility->printLevel;
  const int n = 3 * system->atomCount;
  if (n == 0) {
    // Nothing to move: the energy of the empty system, which has no gradient.
    system->lastEnergy = system->EnergyForce();
    system->lastGradient = 0.0;
    return system->lastEnergy;
  }
  if (basisSize > n) basisSize = n;
  const int M = std::max(basisSize, 1);

  std::vector<Point> slots(M + 2);
  for (Point& p : slots) {
    p.x.assign(n, 0.0);
    p.g.assign(n, 0.0);
  }
  std::vector<int> basis(M);
  for (int j = 0; j < M; ++j) basis[j] = j;
  int basisLength = 0;
  int reference = M, trial = M + 1;
  for (int a = 0; a < system->atomCount; ++a) {
    slots[reference].x[3 * a] = system->coordinates[a].x;
    slots[reference].x[3 * a + 1] = system->coordinates[a].y;
    slots[reference].x[3 * a + 2] = system->coordinates[a].z;
  }
  double s = std::max(10.0 * stepTolerance, initialStepSize);
  evaluate(system, slots[reference]);
  const double startEnergy = slots[reference].energy;
  if (verbosity > 0) utility->printToConsole("Minimization using Adopted-Basis Newton Raphson.");
  if (verbosity >= 2) {
    utility->printToConsole(kHeader);
    utility->printToConsole(formatRow(0, startEnergy, slots[reference].rmsGradient));
  }

  // Per basis point: coordinate and gradient differences to the reference, projected gradient.
  std::vector<std::vector<double>> dX(M, std::vector<double>(n)), dG(M, std::vector<double>(n));
  std::vector<double> b(M), coefficients(M), eigenvalues(M), work(M);
  std::vector<double> matrixBlock(static_cast<size_t>(M) * M), vectorBlock(static_cast<size_t>(M) * M);
  std::vector<double*> matrix(M), vectors(M);
  for (int j = 0; j < M; ++j) {
    matrix[j] = matrixBlock.data() + static_cast<size_t>(j) * M;
    vectors[j] = vectorBlock.data() + static_cast<size_t>(j) * M;
  }
  std::vector<double> direction(n), step(n);

  int stepCount = 0, referenceStep = 1;
  bool newtonMode = false;
  int sdFailures = 0, failures = 0;
  double dE = 0.0;
  bool endedAtTest = false;   // the run ended on the convergence tests, not for want of a step
  bool computeStep = true;    // steepest-descent step vector to be made at the top of the loop

  for (;;) {
    Point& ref = slots[reference];
    Point& next = slots[trial];
    // Step vector.
    if (computeStep) {
      direction = ref.g;
      const double norm = std::max(std::sqrt(static_cast<double>(n)) * ref.rmsGradient, 1e-10);
      for (int i = 0; i < n; ++i) step[i] = s * direction[i] / norm;
    }
    computeStep = true;
    // Trial point.
    double L = std::sqrt(dotProduct(step, step));
    if (newtonMode && L > stepLimit) {
      const double scale = 0.99 * stepLimit / L;
      for (double& v : step) v *= scale;
      L = std::sqrt(dotProduct(step, step));
    }
    for (int i = 0; i < n; ++i) next.x[i] = ref.x[i] - step[i];
    if (!(L > 0.0)) {
      if (newtonMode) {
        newtonMode = false;
        continue;
      }
      break;   // no step left to take: the reference point is the result
    }
    ++stepCount;
    writeCoordinates(system, next.x);
    evaluate(system, next);
    if (verbosity >= 2) utility->printToConsole(formatRow(stepCount, next.energy, next.rmsGradient));

    // Tests on the new point.
    int reason = 0;
    dE = next.energy - ref.energy;
    if (stepCount + 1 - referenceStep > maxStepsSinceReference) reason = 4;
    double largestChange = 0.0;
    for (int i = 0; i < n; ++i) {
      if (std::fabs(ref.x[i]) <= 1e-6) continue;
      largestChange = std::max(largestChange, std::fabs(next.x[i] - ref.x[i]) / std::fabs(ref.x[i]));
    }
    if (largestChange < gradientChangeTolerance) reason = 6;
    const bool descent = dE <= maxEnergyRise;
    const double projection = dotProduct(direction, next.g);

    // Step length.
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
    if (std::fabs(dE) <= energyTolerance) reason = 3;
    if (L < stepTolerance) reason = 2;

    if (next.rmsGradient < gradientTolerance || reason != 0 ||
        (stepCount >= maxSteps &&
         (next.rmsGradient <= 10.0 * gradientTolerance || stepCount >= 2 * maxSteps))) {
      endedAtTest = true;
      break;
    }

    // Basis update.
    if (descent) {
      referenceStep = stepCount + 1;
      if (basisLength < M) ++basisLength;
      const int recycled = basis[basisLength - 1];
      for (int j = basisLength - 1; j > 0; --j) basis[j] = basis[j - 1];
      basis[0] = reference;
      reference = trial;
      trial = recycled;
      failures = 0;
    } else {
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
        continue;   // the trial slot is reused
      }
      const int recycled = basis[basisLength - 1];
      for (int j = basisLength - 1; j > insertAt; --j) basis[j] = basis[j - 1];
      basis[insertAt] = trial;
      trial = recycled;
      if (!newtonMode) continue;
    }

    // Newton-Raphson step in the adopted basis.
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
        const double h = 0.5 * (dotProduct(dG[j], dX[l]) + dotProduct(dG[l], dX[j]));
        matrix[j][l] = matrix[l][j] = h;
      }
    }
    int size = basisLength, job = 11, rows = basisLength, ier = 0;
    Diagonalization(matrix.data(), size, job, eigenvalues.data(), vectors.data(), rows,
                    work.data(), ier);
    if (ier != 0) {
      ErrorLine() << "ABNR: Error in diagonalization. IER = " << ier;
      endedAtTest = false;   // the last accepted point is the result
      break;
    }
    std::fill(coefficients.begin(), coefficients.end(), 0.0);
    const double largest = eigenvalues[basisLength - 1];
    if (largest < 0.0) {
      newtonMode = false;
      continue;
    }
    for (int e = 0; e < basisLength; ++e) {
      const double lambda = eigenvalues[e];
      if (lambda / std::max(std::fabs(largest), 1e-10) <= eigenvalueThreshold) continue;
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
    computeStep = false;
  }

  const Point* result = &slots[reference];
  if (endedAtTest && slots[trial].energy < slots[reference].energy) result = &slots[trial];
  writeCoordinates(system, result->x);
  system->lastEnergy = result->energy;
  system->lastGradient = result->rmsGradient;
  // The forces are left as the result point's evaluation gave them.
  if (result != &slots[trial] && stepCount > 0) system->EnergyForce();

  if (verbosity > 0) {
    std::printf("Minimum%5d%15.3e%15.3e%15.3e\n", stepCount, result->energy, result->rmsGradient,
                dE);
    std::fflush(stdout);
    char line[64];
    std::snprintf(line, sizeof line, "Minimization finished in %5d steps.", stepCount);
    utility->printToConsole(line);
    utility->printToConsole(kHeader);
    utility->printToConsole(formatRow(stepCount, result->energy, result->rmsGradient));
  }
  return result->energy;
}
