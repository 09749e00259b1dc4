// The geometry optimisation every load and edit waits for: the internal-coordinate driver
// (force-field model, torsion annealing, ABNR, write-back) on zig-zag alkanes of 10, 30, 50 and
// 100 carbons (32 to 302 atoms), built in code with the fixture tables and distorted by a fixed
// pattern so that every run does the same work. The driver's own standard-output lines are kept.
#include "forcefield/ForceFieldFixture.h"
#include "forcefield/InternalCoordinates.h"
#include "forcefield/MolecularSystem.h"
#include "math/UtilityEngine.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

std::unique_ptr<Molecule> distortedAlkane(int carbons) {
  auto molecule = fftest::alkane(carbons);
  molecule->positions.clear();
  for (size_t a = 0; a < molecule->atoms.size(); ++a) {
    SSEVector4f p = molecule->atoms[a]->position;
    p.x += 0.03f * static_cast<float>(static_cast<int>((a * 37 + 5) % 11) - 5);
    p.y += 0.03f * static_cast<float>(static_cast<int>((a * 53 + 2) % 13) - 6);
    p.z += 0.03f * static_cast<float>(static_cast<int>((a * 29 + 7) % 7) - 3);
    molecule->positions.push_back(p);
  }
  molecule->setAllAtomPositions();
  return molecule;
}

void BM_DriverOptimisation(benchmark::State& state) {
  fftest::ScopedTables tables;
  UtilityEngine::instance()->printLevel = 0;
  double gradient = 0.0;
  int atoms = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto molecule = distortedAlkane(static_cast<int>(state.range(0)));
    state.ResumeTiming();
    InternalCoordinates driver(molecule.get());
    driver.minimizeEnergy();
    gradient = driver.system->lastGradient;
    atoms = driver.system->atomCount;
  }
  state.counters["atoms"] = atoms;
  state.counters["rmsGradient"] = gradient;
}

}  // namespace

BENCHMARK(BM_DriverOptimisation)->Arg(10)->Arg(30)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);
