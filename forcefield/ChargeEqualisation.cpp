// Charge models that equalise the atoms' electronegativities: an iterative bond-transfer scheme
// and direct solutions through a dense inverse. Nothing in the application calls them; the
// charges it uses come from the bond moments (fillCharge).
#include "forcefield/Matrix.h"
#include "forcefield/MolecularSystem.h"

#include "math/UtilityEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kIterLimit = 500;
const double kIterTolerance = 1e-5;            // rms transfer, e
const double kScreening = 110271.546875;       // eta^2 r^2 scale of the screened coupling
const double kElectronicScale = 23.6;
const double kBondWeight[4] = {1.0, 1.0, 1.5, 2.0};   // by bond order; other orders weigh 1
const double kAngleWeight = 0.1;
const double kDihedralWeight = 0.01;

double distance(const MolecularSystem& s, int i, int j) {
  const SSEVector4f& a = s.coordinates[i];
  const SSEVector4f& b = s.coordinates[j];
  const double dx = static_cast<double>(a.x) - b.x, dy = static_cast<double>(a.y) - b.y,
               dz = static_cast<double>(a.z) - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double meanHardness(const MolecularSystem& s, int i, int j) {
  return 0.5 * (s.hardness[i] + s.hardness[j]);
}

// Bond coupling J; the screened coupling J' divides the r^2 eta^2 term by kScreening.
double coupling(const MolecularSystem& s, int i, int j, double screening = 1.0) {
  const double eta = meanHardness(s, i, j);
  const double r = distance(s, i, j);
  return eta / std::sqrt(1.0 + r * r * eta * eta / screening);
}

std::string formatted(const char* format, int index, double first, double second) {
  char line[64];
  std::snprintf(line, sizeof line, format, index, first, second);
  return line;
}

// The start charges of one solver run and its failure state: divisions and inversions go
// through it, and finish() puts the start charges back when one failed or a charge is not
// finite.
class SolverRun {
 public:
  SolverRun(MolecularSystem& s, const char* solverName)
      : system(s), name(solverName), start(s.charges) {}

  double divide(double numerator, double denominator) {
    if (denominator == 0.0 || !std::isfinite(denominator)) {
      failed = true;
      return 0.0;
    }
    return numerator / denominator;
  }
  void invert(matrix<double>& m) {
    if (!m.invert()) failed = true;
  }
  // True when the charges stand; else they are restored and the solver is named.
  bool finish() {
    for (double q : system.charges)
      if (!std::isfinite(q)) failed = true;
    if (!failed) return true;
    system.charges = start;
    ErrorLine() << "Error: MolecularSystem::" << name
                << ": zero denominator, singular matrix or charge not finite; start charges"
                   " restored";
    return false;
  }
  void restore() { system.charges = start; }

  bool failed = false;

 private:
  MolecularSystem& system;
  const char* name;
  std::vector<double> start;
};

// S_k: the sum over the bonds of atom k of the partner's charge over the bond length.
std::vector<double> bondPotentials(const MolecularSystem& s, SolverRun& run) {
  std::vector<double> sums(s.atomCount, 0.0);
  for (int b = 0; b < s.bondCount; ++b) {
    const int i = s.bondAtom1[b], j = s.bondAtom2[b];
    const double r = distance(s, i, j);
    sums[i] += run.divide(s.charges[j], r);
    sums[j] += run.divide(s.charges[i], r);
  }
  return sums;
}

void equalisingHardness(const MolecularSystem& s, int ref, double* out, SolverRun& run) {
  const std::vector<double> sums = bondPotentials(s, run);
  const double level = sums[ref] + s.negativity[ref] + s.hardness[ref] * s.charges[ref];
  for (int k = 0; k < s.atomCount; ++k)
    out[k] = s.charges[k] == 0.0 ? 0.0
                                 : (level - s.negativity[k] - sums[k]) / s.charges[k];
}

void equalisingNegativity(const MolecularSystem& s, int ref, double* out, SolverRun& run) {
  const std::vector<double> sums = bondPotentials(s, run);
  const double level = s.hardness[ref] * s.charges[ref] + sums[ref] + s.negativity[ref];
  for (int k = 0; k < s.atomCount; ++k)
    out[k] = level - (s.hardness[k] * s.charges[k] + sums[k]);
}

// Transfer system of pairs (a_p, b_p): B[p][s] as the bond-transfer solvers build it from the
// hardness eta and the coupling matrix K.
void fillTransferMatrix(matrix<double>& B, const std::vector<int>& first,
                        const std::vector<int>& second, const std::vector<double>& eta,
                        const matrix<double>& K) {
  const int count = static_cast<int>(first.size());
  for (int p = 0; p < count; ++p)
    for (int s = 0; s < count; ++s) {
      const int ap = first[p], bp = second[p], as = first[s], bs = second[s];
      B.at(p, s) = ((ap == bs) - (ap == as)) * eta[ap] - eta[bp] * ((bp == bs) - (bp == as)) +
                   K.at(ap, bs) + K.at(bp, as) - K.at(ap, as) - K.at(bp, bs);
    }
}

// Applies t = B^-1 (chi_b - chi_a) as transfers q_a -= t, q_b += t over the pairs.
void applyTransfers(MolecularSystem& s, const matrix<double>& inverse,
                    const std::vector<int>& first, const std::vector<int>& second,
                    const std::vector<double>& chi) {
  const int count = static_cast<int>(first.size());
  for (int p = 0; p < count; ++p) {
    double t = 0.0;
    for (int q = 0; q < count; ++q) t += inverse.at(p, q) * (chi[second[q]] - chi[first[q]]);
    s.charges[first[p]] -= t;
    s.charges[second[p]] += t;
  }
}

// Row 0 holds the total charge at zero; the diagonal is u - eta.
void setReferenceRows(matrix<double>& A, const std::vector<double>& u,
                      const std::vector<double>& eta) {
  const int n = static_cast<int>(u.size());
  for (int i = 0; i < n; ++i) {
    A.at(0, i) = 1.0;
    A.at(i, i) = u[i] - eta[i];
  }
  A.at(0, 0) = 1.0;
}

// The hardness and electronegativity that equalise every atom with atom 0 at the current charges.
void equalisingParameters(const MolecularSystem& s, std::vector<double>& eta,
                          std::vector<double>& chi, SolverRun& run) {
  equalisingHardness(s, 0, eta.data(), run);
  equalisingNegativity(s, 0, chi.data(), run);
}

// q = A^-1 c with c[0] = 0: row 0 of A holds the total charge at zero.
void solveReferenceSystem(MolecularSystem& s, matrix<double>& A, std::vector<double> c,
                          SolverRun& run) {
  run.invert(A);
  if (run.failed) return;
  c[0] = 0.0;
  for (int i = 0; i < s.atomCount; ++i) {
    double q = 0.0;
    for (int j = 0; j < s.atomCount; ++j) q += A.at(i, j) * c[j];
    s.charges[i] = q;
  }
}

}  // namespace

void MolecularSystem::ChargeDistributionIter() {
  SolverRun run(*this, "ChargeDistributionIter");
  std::vector<double> J(bondCount);
  for (int b = 0; b < bondCount; ++b) J[b] = coupling(*this, bondAtom1[b], bondAtom2[b]);
  std::vector<double> V(atomCount), t(bondCount);
  double rms = 0.0;
  bool achieved = false;
  for (int k = 0; k < kIterLimit && !run.failed; ++k) {
    for (int i = 0; i < atomCount; ++i) V[i] = hardness[i] * charges[i] + negativity[i];
    for (int b = 0; b < bondCount; ++b) {
      V[bondAtom1[b]] += J[b] * charges[bondAtom2[b]];
      V[bondAtom2[b]] += J[b] * charges[bondAtom1[b]];
    }
    double sum2 = 0.0;
    for (int b = 0; b < bondCount; ++b) {
      const int i = bondAtom1[b], j = bondAtom2[b];
      t[b] = run.divide(V[i] - V[j], 2.0 * J[b] - hardness[i] - hardness[j]);
      sum2 += t[b] * t[b];
    }
    for (int b = 0; b < bondCount; ++b) {
      charges[bondAtom1[b]] += t[b];
      charges[bondAtom2[b]] -= t[b];
    }
    rms = bondCount > 0 ? std::sqrt(sum2 / bondCount) : 0.0;
    if (k > 0 && rms < kIterTolerance) {
      char line[64];
      std::snprintf(line, sizeof line, "Charge Distribution Achieved in %5d steps.", k);
      UtilityEngine::instance()->printToConsole(line);
      achieved = true;
      break;
    }
  }
  if (!run.finish() || achieved) return;
  char line[80];
  std::snprintf(line, sizeof line, "Charge Distribution Not Achieved in %5d steps %12.5e",
                kIterLimit, rms);
  UtilityEngine::instance()->printToConsole(line);
  UtilityEngine::instance()->printToConsole("Restore Initial Charge Distribution.");
  run.restore();
}

void MolecularSystem::ChargeDistributionExcl() {
  std::vector<double> differences(atomCount, 0.0);
  auto add = [&](int a, int b, double weight) {
    differences[a] += weight * (negativity[b] - negativity[a]);
    differences[b] += weight * (negativity[a] - negativity[b]);
  };
  for (int b = 0; b < bondCount; ++b) {
    const int order = bondOrder[b];
    add(bondAtom1[b], bondAtom2[b], order >= 0 && order <= 3 ? kBondWeight[order] : 1.0);
  }
  for (int t = 0; t < angleCount; ++t) add(angleAtom1[t], angleAtom3[t], kAngleWeight);
  for (int d = 0; d < dihedralCount; ++d) add(dihedralAtom1[d], dihedralAtom4[d], kDihedralWeight);
  // The sums are left unused: this model never replaces the charges.
}

double MolecularSystem::Electronic() {
  double sum = 0.0;
  for (int e = 0; e < exclusionCount; ++e) {
    const int a = exclusionAtom1[e], b = std::abs(exclusionAtom2[e]);
    sum += coupling(*this, a, b, kScreening) * charges[a] * charges[b];
  }
  for (int i = 0; i < atomCount; ++i)
    for (int p = runStart(pairEnd, i); p <= pairEnd[i]; ++p) {
      const int j = pairList[p];
      if (j < 0) continue;   // 1-4 pairs are in the exclusion sum
      sum += coupling(*this, i, j, kScreening) * charges[i] * charges[j];
    }
  for (int i = 0; i < atomCount; ++i)
    sum += charges[i] * (0.5 * hardness[i] * charges[i] + negativity[i]);
  return kElectronicScale * sum;
}

namespace {

using Equaliser = void (*)(const MolecularSystem&, int, double*, SolverRun&);

void equalise(MolecularSystem& s, int ref, double* out, Equaliser fill, const char* name) {
  if (!out || ref < 0 || ref >= s.atomCount) {
    ErrorLine() << "Error: MolecularSystem::" << name << ": no atom " << ref;
    return;
  }
  SolverRun run(s, name);
  fill(s, ref, out, run);
  if (run.failed) ErrorLine() << "Error: MolecularSystem::" << name << ": bonded atoms coincide";
}

}  // namespace

void MolecularSystem::calHardness(int ref, double* out) {
  equalise(*this, ref, out, equalisingHardness, "calHardness");
}

void MolecularSystem::calNegativity(int ref, double* out) {
  equalise(*this, ref, out, equalisingNegativity, "calNegativity");
}

void MolecularSystem::ChargeDistribution() {
  if (atomCount == 0) return;
  SolverRun run(*this, "ChargeDistribution");
  charges.assign(atomCount, 0.0);
  std::vector<double> u(atomCount, 0.0), c(atomCount, 0.0);
  u[0] = hardness[0];
  for (int b = 0; b < bondCount && bondAtom1[b] <= 1; ++b) {
    u[bondAtom2[b]] = coupling(*this, bondAtom1[b], bondAtom2[b]);
    c[bondAtom2[b]] = negativity[bondAtom2[b]] - negativity[bondAtom1[b]];
  }
  matrix<double> A(atomCount);
  for (int b = 0; b < bondCount; ++b) {
    const int i = bondAtom1[b], j = bondAtom2[b];
    const double J = coupling(*this, i, j);
    A.at(i, j) = u[j] - J;
    A.at(j, i) = u[i] - J;
  }
  setReferenceRows(A, u, hardness);
  solveReferenceSystem(*this, A, c, run);
  run.finish();
}

void MolecularSystem::ChargeDistributionMatInv() {
  SolverRun run(*this, "ChargeDistributionMatInv");
  charges.assign(atomCount, 0.0);
  if (bondCount == 0) return;
  matrix<double> K(std::max(atomCount, 1));
  for (int b = 0; b < bondCount; ++b) {
    const double J = coupling(*this, bondAtom1[b], bondAtom2[b]);
    K.at(bondAtom1[b], bondAtom2[b]) = K.at(bondAtom2[b], bondAtom1[b]) = J;
  }
  matrix<double> B(bondCount);
  fillTransferMatrix(B, bondAtom1, bondAtom2, hardness, K);
  run.invert(B);
  if (!run.failed) applyTransfers(*this, B, bondAtom1, bondAtom2, negativity);
  run.finish();
}

void MolecularSystem::ChargeDistributionOpt() {
  if (atomCount == 0) return;
  SolverRun run(*this, "ChargeDistributionOpt");
  std::vector<double> eta(atomCount), chi(atomCount);
  equalisingParameters(*this, eta, chi, run);

  charges.assign(atomCount, 0.0);
  std::vector<double> u(atomCount, 0.0), c(atomCount, 0.0);
  u[0] = eta[0];
  for (int e = 0; e < exclusionCount; ++e) {
    const int a = exclusionAtom1[e], b = std::abs(exclusionAtom2[e]);
    if (a != 0 && b != 0) continue;
    const int k = a == 0 ? b : a;
    u[k] = run.divide(1.0, distance(*this, 0, k));
    c[k] = chi[k] - chi[0];
  }
  for (int i = 1; i < atomCount; ++i) {
    const double r = distance(*this, 0, i);
    if (r * r > pairListCutoff2) continue;
    u[i] = run.divide(1.0, r);
    c[i] = chi[i] - chi[0];
  }
  matrix<double> A(atomCount);
  for (int i = 0; i < atomCount; ++i)
    for (int j = 0; j < atomCount; ++j) A.at(i, j) = u[j];
  for (int e = 0; e < exclusionCount; ++e) {
    if (exclusionAtom2[e] < 0) continue;   // 1-4 pairs keep their plain entry
    const int a = exclusionAtom1[e], b = exclusionAtom2[e];
    const double inverse = run.divide(1.0, distance(*this, a, b));
    A.at(a, b) -= inverse;
    A.at(b, a) -= inverse;
  }
  setReferenceRows(A, u, eta);
  matrix<double> system(atomCount);
  std::copy(A.data, A.data + atomCount * atomCount, system.data);
  solveReferenceSystem(*this, A, c, run);
  if (!run.finish()) return;

  UtilityEngine* utility = UtilityEngine::instance();
  utility->printToConsole("Chemical Potential : ");
  for (int i = 0; i < atomCount; ++i) {
    double mu = chi[i];
    for (int j = 0; j < atomCount; ++j) mu += (i == 0 ? u[j] : u[j] - system.at(i, j)) * charges[j];
    utility->printToConsole(formatted("%5d %12.5f %12.5f", i, mu, charges[i]));
  }
}

void MolecularSystem::ChargeDistributionPairOpt() {
  if (atomCount == 0) return;
  SolverRun run(*this, "ChargeDistributionPairOpt");
  std::vector<double> eta(atomCount), chi(atomCount);
  equalisingParameters(*this, eta, chi, run);
  charges.assign(atomCount, 0.0);

  std::vector<int> first(exclusionCount), second(exclusionCount);
  matrix<double> K(atomCount);
  for (int e = 0; e < exclusionCount; ++e) {
    first[e] = exclusionAtom1[e];
    second[e] = std::abs(exclusionAtom2[e]);
    K.at(first[e], second[e]) = K.at(second[e], first[e]) =
        run.divide(1.0, distance(*this, first[e], second[e]));
  }
  // Only the first bond-count pairs form the transfer system; the others transfer nothing.
  const int size = std::min(bondCount, exclusionCount);
  if (size > 0 && !run.failed) {
    const std::vector<int> pairFirst(first.begin(), first.begin() + size);
    const std::vector<int> pairSecond(second.begin(), second.begin() + size);
    matrix<double> B(size);
    fillTransferMatrix(B, pairFirst, pairSecond, eta, K);
    run.invert(B);
    if (!run.failed) applyTransfers(*this, B, pairFirst, pairSecond, chi);
  }
  if (!run.finish()) return;

  UtilityEngine* utility = UtilityEngine::instance();
  utility->printToConsole("Chemical Potentials and charges from PairOpt:");
  for (int i = 0; i < atomCount; ++i) {
    double V = eta[i] * charges[i] + chi[i];
    for (int j = 0; j < atomCount; ++j) V += K.at(i, j) * charges[j];
    utility->printToConsole(formatted("%5d %12.5f %12.5f", i + 1, V, charges[i]));
  }
}
