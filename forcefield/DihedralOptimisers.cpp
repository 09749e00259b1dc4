// Steepest descent on the free atoms, and the two routines in torsion space: simulated annealing
// of the torsion axes on the non-bonded energy, and steepest descent along the torsional forces.
#include "forcefield/Minimization.h"

#include "forcefield/MolecularSystem.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"

#include <boost/random/linear_congruential.hpp>
#include <boost/random/uniform_real.hpp>
#include <boost/random/variate_generator.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// One unit in the last place above the double nearest to 9.94.
const double kAcceptanceDivisor = 9.940000000000001;
const int kMaxSweepsWithoutImprovement = 500;

// The side of torsion axis t that turns: reachable from its first atom without passing the
// second, never a fixed atom.
void rotatingGroup(const MolecularSystem& system, int t, std::vector<int>& mark) {
  mark.assign(system.atomCount, 0);
  const int first = system.torsionAxisAtom1[t], second = system.torsionAxisAtom2[t];
  if (first < 0 || second < 0 || first >= system.atomCount || second >= system.atomCount) return;
  mark[second] = 1;
  system.MolecularPartition(first, second, mark.data());
  mark[second] = 0;
  for (int a = 0; a < system.atomCount; ++a)
    if (system.atomFixed[a]) mark[a] = 0;
}

// The rotating groups of every torsion axis, each found when first asked for: the bonds, the axes
// and the fixed atoms stay while a torsion-space routine runs, and only the coordinates move.
class RotatingGroups {
public:
  explicit RotatingGroups(const MolecularSystem& turned)
      : system(turned), groups(static_cast<size_t>(std::max(turned.torsionAxisCount, 0))) {}
  std::vector<int>& of(int t) {
    std::vector<int>& group = groups[static_cast<size_t>(t)];
    if (group.empty()) rotatingGroup(system, t, group);
    return group;
  }

private:
  const MolecularSystem& system;
  std::vector<std::vector<int>> groups;   // empty until found (a found one has atomCount marks)
};

// RMS force over the free atoms, the divisor counting every atom.
double freeAtomRmsForce(const MolecularSystem& system) {
  double sum = 0.0;
  for (int a = 0; a < system.atomCount; ++a) {
    if (system.atomFixed[a]) continue;
    sum += system.forceX[a] * system.forceX[a] + system.forceY[a] * system.forceY[a] +
           system.forceZ[a] * system.forceZ[a];
  }
  return std::sqrt(sum / (3.0 * system.atomCount));
}

}  // namespace

void Minimization::SimulatedAnnealingDihedral(MolecularSystem* system) {
  if (system == nullptr || system->torsionAxisCount < 1) return;
  UtilityEngine* utility = UtilityEngine::instance();
  const int verbosity = utility->printLevel;
  if (verbosity > 0) utility->printToConsole("Minimization using simulated annealing of dihedrals.");

  std::vector<SSEVector4f> best = system->coordinates;
  std::vector<SSEVector4f> accepted = system->coordinates;
  int withoutImprovement = 0;
  boost::random::minstd_rand generator(42);
  generator.seed(31529);
  boost::variate_generator<boost::random::minstd_rand&, boost::uniform_real<double> > draw(
      generator, boost::uniform_real<double>(0.0, 10.0));
  RotatingGroups groups(*system);

  double previousEnergy = 0.0, bestEnergy = 0.0;
  bool stoppedEarly = false;
  for (int sweep = 0; sweep < maxSteps; ++sweep) {
    const double energy = system->NonBondedEnergy();
    if (sweep == 0) {
      previousEnergy = bestEnergy = energy;
    } else if (energy - previousEnergy > 0.0) {
      const double u = draw();
      if (std::exp(-(energy - previousEnergy) / kAcceptanceDivisor) <= u / 10.0) {
        ++withoutImprovement;
        system->coordinates = accepted;
      } else {
        accepted = system->coordinates;
      }
      previousEnergy = energy;   // also after a rejection: the next sweep compares with this one
    } else {
      accepted = system->coordinates;
      if (energy < bestEnergy) {
        best = system->coordinates;
        bestEnergy = energy;
        withoutImprovement = 0;
      } else {
        ++withoutImprovement;
      }
      previousEnergy = energy;
    }
    if (withoutImprovement > kMaxSweepsWithoutImprovement) {
      system->coordinates = best;
      stoppedEarly = true;
      break;
    }
    for (int t = 0; t < system->torsionAxisCount; ++t) {
      if (system->torsionAxisFrozen[t]) continue;
      const double angle = draw();
      system->RotateGroup(system->torsionAxisAtom1[t], system->torsionAxisAtom2[t],
                          groups.of(t).data(), angle);
    }
  }
  if (!stoppedEarly) {
    const double energy = system->NonBondedEnergy();
    if (energy < bestEnergy) best = system->coordinates;
    system->coordinates = best;
  }
  if (verbosity > 0) utility->printToConsole("Exit simulated annealing of dihedrals.");
}

double Minimization::SteepestDescent(MolecularSystem* system) {
  if (system == nullptr) return 0.0;
  if (system->atomCount == 0) return system->EnergyForce();
  double s = sdStepSize;
  std::vector<SSEVector4f> best = system->coordinates;
  double previousRms = 0.0, bestRms = 0.0, bestEnergy = 0.0;
  bool converged = false;
  for (int iteration = 0; iteration < maxSteps; ++iteration) {
    const double energy = system->EnergyForce();
    const double rms = freeAtomRmsForce(*system);
    if (iteration == 0) {
      previousRms = bestRms = rms;
      bestEnergy = energy;
    } else {
      if (rms - previousRms > 0.0) {
        s *= 0.5;
      } else {
        s *= 1.2;
        if (rms < bestRms) {
          best = system->coordinates;
          bestRms = rms;
          bestEnergy = energy;
        }
      }
      previousRms = rms;
    }
    const double move = rms <= 1e-10 ? s / 1e-10 : s / rms;
    if (bestRms < sdTolerance) {
      converged = true;
      break;
    }
    for (int a = 0; a < system->atomCount; ++a) {
      if (system->atomFixed[a]) continue;
      SSEVector4f& p = system->coordinates[a];
      p.x = static_cast<float>(p.x + move * system->forceX[a]);
      p.y = static_cast<float>(p.y + move * system->forceY[a]);
      p.z = static_cast<float>(p.z + move * system->forceZ[a]);
    }
  }
  if (!converged) {
    const double energy = system->EnergyForce();
    const double rms = freeAtomRmsForce(*system);
    if (rms < bestRms) {
      best = system->coordinates;
      bestRms = rms;
      bestEnergy = energy;
    }
    system->coordinates = best;
  }
  std::printf("OPTMZ%15.3f%15.3f%15.3e\n", bestEnergy, bestRms, s);
  std::fflush(stdout);
  return bestEnergy;
}

void Minimization::SDDihedral(MolecularSystem* system) {
  if (system == nullptr || system->torsionAxisCount < 1) return;
  UtilityEngine* utility = UtilityEngine::instance();
  const int verbosity = utility->printLevel;
  double s = sdStepSize;
  if (verbosity > 0) utility->printToConsole("Minimization using SD of dihedrals.");
  std::vector<SSEVector4f> best = system->coordinates;
  RotatingGroups groups(*system);
  double previousEnergy = 0.0, bestEnergy = 0.0;
  for (int iteration = 0; iteration < maxSteps; ++iteration) {
    const double energy = system->EnergyForce();
    system->DihedralGradient();
    double sum = 0.0;
    for (int t = 0; t < system->torsionAxisCount; ++t)
      if (!system->torsionAxisFrozen[t])
        sum += system->torsionAxisGradient[t] * system->torsionAxisGradient[t];
    const double rms = std::sqrt(sum / system->torsionAxisCount);
    const double scale = rms <= 1e-10 ? s / 1e-10 : s / rms;
    double dE;
    if (iteration == 0) {
      dE = sdTolerance + 0.1;
      previousEnergy = bestEnergy = energy;
    } else {
      dE = energy - previousEnergy;
      if (dE <= 0.0) {
        s *= 1.2;
        if (energy < bestEnergy) {
          best = system->coordinates;
          bestEnergy = energy;
        }
      } else {
        s *= 0.5;
      }
      previousEnergy = energy;
    }
    if (std::fabs(dE) < sdTolerance) {
      if (verbosity > 0) utility->printToConsole("Exit SD of dihedrals.");
      return;
    }
    for (int t = 0; t < system->torsionAxisCount; ++t) {
      if (system->torsionAxisFrozen[t]) continue;
      system->RotateGroup(system->torsionAxisAtom1[t], system->torsionAxisAtom2[t],
                          groups.of(t).data(),
                          scale * system->torsionAxisGradient[t] * 180.0 / kPiWidened);
    }
  }
  const double energy = system->EnergyForce();
  system->DihedralGradient();
  if (energy < bestEnergy) best = system->coordinates;
  system->coordinates = best;
  if (verbosity > 0) utility->printToConsole("Exit SD of dihedrals.");
}
