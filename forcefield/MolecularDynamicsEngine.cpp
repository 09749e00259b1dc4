#include "forcefield/MolecularDynamicsEngine.h"

#include "forcefield/MolecularSystem.h"
#include "math/UtilityEngine.h"

#include <vector>

namespace {

const double kAcceleration = 0.0004186799924355;   // (kcal/mol/A) / amu -> A/fs^2
const double kKinetic = 2388.458984375;             // amu A^2/fs^2 -> kcal/mol
const double kTemperature = 335.71173095703125;     // kcal/mol per atom -> K

using Vectors = std::vector<SSEVector4f>;

bool moves(const MolecularSystem& s, int i) { return !s.atomFixed[i] && s.mass[i] > 0.0; }

double force(const MolecularSystem& s, int i, int axis) {
  return axis == 0 ? s.forceX[i] : axis == 1 ? s.forceY[i] : s.forceZ[i];
}

float& component(SSEVector4f& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// The configuration kept when the system preserves its stereo centres: the reference is taken
// once; afterwards a configuration with the reference's stereo result and a lower energy than
// the reference energy replaces it, and so does the first one that repairs a failing reference.
class StereoSnapshot {
 public:
  explicit StereoSnapshot(MolecularSystem& s) : system(s), on(s.preserveChirality) {}

  // The reference configuration is the current one; its energy may come later.
  void takeReference() {
    if (!on) return;
    ok = system.checkChiralCenters();
    kept = system.coordinates;
  }
  void setReferenceEnergy(double energy) { referenceEnergy = energy; }
  void test(double energy) {
    if (!on) return;
    const bool holds = system.checkChiralCenters();
    if (holds == ok && energy < referenceEnergy) {
      kept = system.coordinates;
    } else if (!ok && holds) {
      kept = system.coordinates;
      ok = true;
    }
  }
  void restore() {
    if (on) system.coordinates = kept;
  }

 private:
  MolecularSystem& system;
  bool on;
  bool ok = true;
  double referenceEnergy = 0.0;
  Vectors kept;
};

// Kinetic energy of the moving atoms; the temperature divides by all atoms, fixed ones too.
void kineticReport(MolecularDynamicsEngine& engine, const MolecularSystem& s,
                   const Vectors& velocities) {
  double sum = 0.0;
  for (int i = 0; i < s.atomCount; ++i) {
    if (!moves(s, i)) continue;
    const SSEVector4f& v = velocities[i];
    sum += s.mass[i] * (static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                        static_cast<double>(v.z) * v.z);
  }
  engine.kineticEnergy = 0.5 * kKinetic * sum;
  engine.totalEnergy = engine.kineticEnergy + engine.potentialEnergy;
  engine.temperature = s.atomCount > 0 ? engine.kineticEnergy * kTemperature / s.atomCount : 0.0;
}

bool usable(const MolecularSystem* s) {
  if (s) return true;
  printError("Error: MolecularDynamicsEngine: no system");
  return false;
}

}  // namespace

void MolecularDynamicsEngine::InitialVelocity(int n, SSEVector4f* v) {
  for (int i = 0; v && i < n; ++i) v[i].x = v[i].y = v[i].z = 0.0f;
}

void MolecularDynamicsEngine::Verlet(MolecularSystem* system) {
  if (!usable(system)) return;
  MolecularSystem& s = *system;
  const int n = s.atomCount;
  const double dt = timeStep;
  Vectors velocities(n), next(n), previous(n);
  InitialVelocity(n, velocities.data());
  StereoSnapshot snapshot(s);

  if (useShake) s.SHAKE(s.coordinates.data(), s.coordinates.data());
  potentialEnergy = s.EnergyForce();
  // First step from rest: next = r + v dt + F/(2m) dt^2.
  for (int i = 0; i < n; ++i) {
    next[i] = s.coordinates[i];
    if (!moves(s, i)) continue;
    for (int axis = 0; axis < 3; ++axis)
      component(next[i], axis) = static_cast<float>(
          component(s.coordinates[i], axis) + component(velocities[i], axis) * dt +
          0.5 * force(s, i, axis) / s.mass[i] * dt * dt * kAcceleration);
  }
  if (useShake) s.SHAKE(s.coordinates.data(), next.data());
  kineticReport(*this, s, velocities);
  snapshot.takeReference();

  // next = 2 r - previous + F/m dt^2; the velocities sum the accelerations.
  auto stepBody = [&]() {
    for (int i = 0; i < n; ++i) {
      next[i] = s.coordinates[i];
      if (!moves(s, i)) continue;
      for (int axis = 0; axis < 3; ++axis) {
        const double acceleration = force(s, i, axis) / s.mass[i] * kAcceleration;
        component(next[i], axis) = static_cast<float>(
            2.0 * component(s.coordinates[i], axis) - component(previous[i], axis) +
            acceleration * dt * dt);
        component(velocities[i], axis) =
            static_cast<float>(component(velocities[i], axis) + acceleration * dt);
      }
    }
    if (useShake) s.SHAKE(s.coordinates.data(), next.data());
    kineticReport(*this, s, velocities);
  };

  previous = s.coordinates;
  s.coordinates = next;
  potentialEnergy = s.EnergyForce();
  snapshot.setReferenceEnergy(potentialEnergy);
  stepBody();
  for (int step = 2; step <= numSteps; ++step) {
    previous = s.coordinates;
    s.coordinates = next;
    potentialEnergy = s.EnergyForce();
    snapshot.test(potentialEnergy);
    stepBody();
  }
  snapshot.restore();
}

void MolecularDynamicsEngine::VVerlet(MolecularSystem* system) {
  if (!usable(system)) return;
  MolecularSystem& s = *system;
  const int n = s.atomCount;
  const double dt = timeStep;
  Vectors velocities(n), before(n);
  std::vector<double> previousForces(static_cast<size_t>(n) * 3, 0.0);
  InitialVelocity(n, velocities.data());
  StereoSnapshot snapshot(s);

  if (useShake) s.SHAKE(s.coordinates.data(), s.coordinates.data());
  potentialEnergy = s.EnergyForce();
  snapshot.takeReference();
  snapshot.setReferenceEnergy(potentialEnergy);
  auto keepForces = [&]() {
    for (int i = 0; i < n; ++i)
      for (int axis = 0; axis < 3; ++axis) previousForces[i * 3 + axis] = force(s, i, axis);
  };
  keepForces();
  kineticReport(*this, s, velocities);

  for (int step = 1; step <= numSteps; ++step) {
    before = s.coordinates;
    for (int i = 0; i < n; ++i) {
      if (!moves(s, i)) continue;
      for (int axis = 0; axis < 3; ++axis)
        component(s.coordinates[i], axis) = static_cast<float>(
            component(s.coordinates[i], axis) + component(velocities[i], axis) * dt +
            0.5 * force(s, i, axis) / s.mass[i] * dt * dt * kAcceleration);
    }
    if (useShake) s.SHAKE(before.data(), s.coordinates.data());
    potentialEnergy = s.EnergyForce();
    snapshot.test(potentialEnergy);
    for (int i = 0; i < n; ++i) {
      if (!moves(s, i)) continue;
      for (int axis = 0; axis < 3; ++axis)
        component(velocities[i], axis) = static_cast<float>(
            component(velocities[i], axis) +
            (force(s, i, axis) + previousForces[i * 3 + axis]) / (2.0 * s.mass[i]) * dt *
                kAcceleration);
    }
    kineticReport(*this, s, velocities);
    keepForces();
  }
  snapshot.restore();
}
