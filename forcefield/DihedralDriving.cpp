// Measuring a dihedral, setting it rigidly, holding it while the rest relaxes, and the relaxed
// torsion scan of the dihedral energy profiler. Angles here are degrees, except the radians of
// calculateDihedralAngle.
#include "forcefield/MolecularSystem.h"

#include "forcefield/Minimization.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <vector>

namespace {

const float kTwoPiF = 6.2831855f;

struct Vec {
  float x, y, z;
};
Vec minus(const SSEVector4f& a, const SSEVector4f& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(const Vec& a, const Vec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float length(const Vec& a) { return std::sqrt(dot(a, a)); }

// The dihedral of four points in [0, 2 pi), positive when, looking along rj->rk, the near bond
// ri-rj turns clockwise to cover the far bond rk-rl (the torsion energy term signs it alike);
// false when three of them are collinear (the normal shorter than minimumNormal).
bool dihedralOf(const SSEVector4f& ri, const SSEVector4f& rj, const SSEVector4f& rk,
                const SSEVector4f& rl, float minimumNormal, float& phi) {
  const Vec e1 = minus(ri, rj), e2 = minus(rk, rj), e3 = minus(rl, rk);
  const Vec c1 = cross(e1, e2), c2 = cross(e2, e3);
  const float l1 = length(c1), l2 = length(c2);
  if (!(l1 >= minimumNormal) || !(l2 >= minimumNormal) || l1 == 0.0f || l2 == 0.0f) return false;
  float cosine = dot(c1, c2) / (l1 * l2);
  cosine = std::min(1.0f, std::max(-1.0f, cosine));
  phi = kPi - std::acos(cosine);
  // c1 is the near plane's normal turned over (e1 runs from rj to ri).
  if (dot(c1, e3) > 0.0f) phi = -phi;
  if (phi < 0.0f) phi += kTwoPiF;
  return true;
}

}  // namespace

bool MolecularSystem::isDihedral(int i, int j, int k, int l) const {
  for (int d = 0; d < dihedralCount; ++d) {
    const int a = dihedralAtom1[d], b = dihedralAtom2[d], c = dihedralAtom3[d],
              e = dihedralAtom4[d];
    if ((a == i && b == j && c == k && e == l) || (a == l && b == k && c == j && e == i))
      return true;
  }
  return false;
}

float MolecularSystem::calculateDihedralAngle(int i, int j, int k, int l) const {
  for (int a : {i, j, k, l})
    if (a < 0 || a >= atomCount) return 0.0f;
  float phi = 0.0f;
  if (!dihedralOf(coordinates[i], coordinates[j], coordinates[k], coordinates[l], 0.0f, phi))
    return 0.0f;
  return phi;
}

void MolecularSystem::setRotation(int i, int j, int k, int l, double targetDegrees) {
  for (int a : {i, j, k, l})
    if (a < 0 || a >= atomCount) return;
  if (!std::isfinite(targetDegrees) || j == k) return;
  std::vector<int> mark(atomCount, 0);
  mark[j] = 1;
  MolecularPartition(k, j, mark.data());
  mark[j] = 0;
  float phi = 0.0f;
  if (!dihedralOf(coordinates[i], coordinates[j], coordinates[k], coordinates[l], 0.001f, phi))
    return;
  // A right-handed turn of the k side about j->k raises the dihedral by the same angle.
  RotateGroup(j, k, mark.data(), targetDegrees - phi * 180.0 / static_cast<double>(kPi));
}

void MolecularSystem::turnCumulatedEnds() {
  std::vector<int> mark(static_cast<size_t>(atomCount), 0);
  for (const CumulatedChain& chain : cumulatedChains) {
    const size_t t = chain.firstTwist;
    const int i = cumuleneTwistAtom1[t], l = cumuleneTwistAtom4[t];
    std::fill(mark.begin(), mark.end(), 0);
    mark[static_cast<size_t>(chain.nextToOther)] = 1;
    MolecularPartition(chain.other, chain.nextToOther, mark.data());
    mark[static_cast<size_t>(chain.nextToOther)] = 0;
    // A chain in a ring turns with the whole ring: it is left as it is.
    if (mark[static_cast<size_t>(chain.end)] == 1) continue;
    float phi = 0.0f;
    if (!dihedralOf(coordinates[i], coordinates[chain.end], coordinates[chain.other],
                    coordinates[l], 0.001f, phi))
      continue;
    // The nearest minimum: 90 or 270 degrees for crossed end planes, 0, 180 or 360 for flat
    // ones (a flat start turns to 90).
    const double degrees = phi * 180.0 / static_cast<double>(kPi);
    const double offset = chain.crossed ? 90.0 : 0.0;
    const double target = offset + 180.0 * std::floor((degrees - offset) / 180.0 + 0.5);
    // A right-handed turn of the far side about end->other raises the dihedral alike.
    RotateGroup(chain.end, chain.other, mark.data(), target - degrees);
  }
}

void MolecularSystem::resetDihedralAngles() {
  if (constrainedDihedrals.size() != constraintTargets.size()) return;
  for (size_t c = 0; c < constrainedDihedrals.size(); ++c) {
    const int d = constrainedDihedrals[c];
    if (d < 0 || d >= dihedralCount) continue;
    setRotation(dihedralAtom1[d], dihedralAtom2[d], dihedralAtom3[d], dihedralAtom4[d],
                constraintTargets[c]);
  }
}

void MolecularSystem::checkDihedralDeviations() {
  if (constrainedDihedrals.size() != constraintTargets.size()) return;
  for (size_t c = 0; c < constrainedDihedrals.size(); ++c) {
    const int d = constrainedDihedrals[c];
    if (d < 0 || d >= dihedralCount) continue;
    const float angle = calculateDihedralAngle(dihedralAtom1[d], dihedralAtom2[d],
                                               dihedralAtom3[d], dihedralAtom4[d]);
    std::cout << "Selected Dihedral Angle: " << angle * 180.0f / kPi << "\t"
              << constraintTargets[c] << std::endl;
  }
}

namespace {

// Freezes the torsion axis of the j-k bond (the last match); its index, or -1.
int freezeAxis(MolecularSystem& system, int j, int k) {
  int axis = -1;
  for (int t = 0; t < system.torsionAxisCount; ++t) {
    const int a = system.torsionAxisAtom1[t], b = system.torsionAxisAtom2[t];
    if ((a == j && b == k) || (a == k && b == j)) axis = t;
  }
  if (axis >= 0) system.torsionAxisFrozen[axis] = true;
  return axis;
}

// The first dihedral of the list with these atoms in either direction, as a restraint list.
std::vector<int> restraintFor(const MolecularSystem& system, int i, int j, int k, int l) {
  for (int d = 0; d < system.dihedralCount; ++d) {
    const int a = system.dihedralAtom1[d], b = system.dihedralAtom2[d],
              c = system.dihedralAtom3[d], e = system.dihedralAtom4[d];
    if ((a == i && b == j && c == k && e == l) || (a == l && b == k && c == j && e == i))
      return {d};
  }
  return {};
}

bool validAtoms(const MolecularSystem& system, int i, int j, int k, int l) {
  for (int a : {i, j, k, l})
    if (a < 0 || a >= system.atomCount) return false;
  return true;
}

}  // namespace

bool MolecularSystem::setRelaxedRotation(int i, int j, int k, int l, double targetDegrees) {
  if (!validAtoms(*this, i, j, k, l) || !std::isfinite(targetDegrees)) {
    ErrorLine() << "Error: setRelaxedRotation: \"" << i << " " << j << " " << k << " " << l << " "
                << targetDegrees << "\"";
    return false;
  }
  Minimization minimization;
  minimization.maxSteps = scanRelaxationSteps;
  setRotation(i, j, k, l, targetDegrees);
  freezeAxis(*this, j, k);
  constrainedDihedrals = restraintFor(*this, i, j, k, l);
  const bool restraintsWereOn = dihedralConstraintsEnabled;
  dihedralConstraintsEnabled = true;
  constraintTargets.assign(1, static_cast<float>(targetDegrees));
  minimization.AdoptedBasisNewtonRaphson(this);
  if (dihedralConstraintsEnabled) checkDihedralDeviations();
  constrainedDihedrals.clear();
  constraintTargets.clear();
  dihedralConstraintsEnabled = restraintsWereOn;
  return true;
}

MolecularSystem::ScanResult MolecularSystem::rotationPES(int i, int j, int k, int l,
                                                         double startDegrees, double endDegrees,
                                                         double stepDegrees,
                                                         std::map<float, float>& profile) {
  unconvergedScanAngles.clear();
  auto reject = [&](const char* why) {
    ErrorLine() << "Error: rotationPES: " << why << " \"" << startDegrees << " " << endDegrees
                << " " << stepDegrees << "\"";
    return ScanResult::Rejected;
  };
  if (!validAtoms(*this, i, j, k, l)) return reject("atom index out of range");
  if (!std::isfinite(startDegrees) || !std::isfinite(endDegrees) || !std::isfinite(stepDegrees))
    return reject("non-finite angle");
  if (stepDegrees == 0.0) return reject("zero step");
  const double intervals = (endDegrees - startDegrees) / stepDegrees;
  if (intervals < 0.0) return reject("step against the range");
  if (!(intervals < static_cast<double>(maxScanPoints))) return reject("too many points");
  const int n = static_cast<int>(intervals - 1.0);
  if (n <= 0) return ScanResult::EmptyRange;

  Minimization minimization;
  minimization.maxSteps = scanRelaxationSteps;
  UtilityEngine* utility = UtilityEngine::instance();
  const int savedVerbosity = utility->printLevel;
  utility->printLevel = 1;

  setRotation(i, j, k, l, startDegrees);
  const int axis = freezeAxis(*this, j, k);
  constrainedDihedrals = restraintFor(*this, i, j, k, l);
  const bool restraintsWereOn = dihedralConstraintsEnabled;
  dihedralConstraintsEnabled = true;
  const std::vector<SSEVector4f> scanStart = coordinates;

  std::vector<float> angles;
  double accumulated = startDegrees;
  for (int p = 0; p <= n; ++p) {
    accumulated += stepDegrees;
    angles.push_back(static_cast<float>(accumulated));
  }

  // The points in scan order: the list's angles from the start, then the end when the steps
  // stop short of it.
  std::vector<double> points(1, startDegrees);
  for (int p = 0; p <= n; ++p) points.push_back(angles[p]);
  if (std::fabs(endDegrees - points.back()) > 0.1) points.push_back(endDegrees);

  struct Relaxed {
    std::vector<SSEVector4f> coordinates;
    double energy = 0.0;
    OptimiserStop stop = OptimiserStop::Converged;
  };
  auto relaxFrom = [&](const std::vector<SSEVector4f>& from, double angle) {
    coordinates = from;
    setRotation(i, j, k, l, angle);
    constraintTargets.assign(1, static_cast<float>(angle));
    minimization.AdoptedBasisNewtonRaphson(this);
    return Relaxed{coordinates, EnergyForce(), lastStop};
  };
  // Every point relaxes from the scan's start turned to its angle, so the other torsions start
  // where the molecule had them; from there one relaxation can end in a higher basin than its
  // neighbours found (1-pentene's anti point lay 2.3 kcal/mol above 170 and 190 degrees). So a
  // point is also relaxed from the point before it, turned on, and keeps the lower of the two;
  // a scan over whole turns ends at its first point, so its last point is the first one reached
  // again from the point before it, and both ends keep the lower of the two.
  const double turns = (points.back() - points.front()) / 360.0;
  const bool wholeTurns =
      points.size() > 2 && std::round(turns) != 0.0 && std::fabs(turns - std::round(turns)) < 1e-6;
  std::vector<Relaxed> relaxed;
  relaxed.reserve(points.size());
  for (size_t p = 0; p < points.size(); ++p) {
    const bool closing = wholeTurns && p + 1 == points.size();
    Relaxed fromStart = closing ? relaxed.front() : relaxFrom(scanStart, points[p]);
    relaxed.push_back(std::move(fromStart));
    if (p == 0) continue;
    Relaxed on = relaxFrom(relaxed[p - 1].coordinates, points[p]);
    if (on.energy < relaxed[p].energy) relaxed[p] = std::move(on);
  }
  if (wholeTurns) relaxed.front() = relaxed.back();

  for (size_t p = 0; p < points.size(); ++p) {
    const float key = static_cast<float>(points[p]);
    coordinates = relaxed[p].coordinates;
    constraintTargets.assign(1, key);
    if (relaxed[p].stop != OptimiserStop::Converged) unconvergedScanAngles.push_back(key);
    if (dihedralConstraintsEnabled) checkDihedralDeviations();
    profile[key] = static_cast<float>(EnergyForce());
    const double torsion = EFDihedral();
    const double vanDerWaals = EVDW();
    const double electrostatic = Eelec();
    const double total = EnergyForce();
    std::cout << key << "\t" << total << "\t" << electrostatic << "\t" << vanDerWaals << "\t"
              << torsion << std::endl;
  }

  dihedralConstraintsEnabled = restraintsWereOn;
  coordinates = scanStart;
  float lowest = std::numeric_limits<float>::max();
  for (const auto& entry : profile) lowest = std::min(lowest, entry.second);
  for (auto& entry : profile) entry.second -= lowest;
  if (axis >= 0) torsionAxisFrozen[axis] = false;
  utility->printLevel = savedVerbosity;
  return ScanResult::Done;
}

bool MolecularSystem::isRotatableBond(int j, int k) const {
  const size_t count = std::min({static_cast<size_t>(std::max(rotatableBondCount, 0)),
                                 rotatableBondAtom1.size(), rotatableBondAtom2.size()});
  for (size_t r = 0; r < count; ++r) {
    const int a = rotatableBondAtom1[r], b = rotatableBondAtom2[r];
    if ((a == j && b == k) || (a == k && b == j)) return true;
  }
  return false;
}

MolecularSystem::ScanResult MolecularSystem::dihedralProfile(int i, int j, int k, int l,
                                                             double startDegrees,
                                                             double endDegrees,
                                                             double stepDegrees,
                                                             std::map<float, float>& profile) {
  profile.clear();
  setRotation(i, j, k, l, startDegrees);
  return rotationPES(i, j, k, l, startDegrees, endDegrees, stepDegrees, profile);
}
