// 1,000 velocity-Verlet steps of hexadecane (C16H34, 50 atoms), built in code with the test
// fixture's small parameter tables; each run starts again from the built geometry at rest.
#include "forcefield/ForceFieldFixture.h"
#include "forcefield/MolecularDynamicsEngine.h"
#include "forcefield/MolecularSystem.h"

#include <benchmark/benchmark.h>

static void BM_VVerlet(benchmark::State& state) {
  fftest::ScopedTables tables;
  auto molecule = fftest::alkane(16);
  MolecularSystem system(molecule.get());
  const std::vector<SSEVector4f> start = system.coordinates;
  MolecularDynamicsEngine engine;
  engine.numSteps = 1000;
  engine.useShake = state.range(0) != 0;
  for (auto _ : state) {
    system.coordinates = start;
    engine.VVerlet(&system);
    benchmark::DoNotOptimize(engine.totalEnergy);
  }
  state.counters["atoms"] = system.atomCount;
  state.SetItemsProcessed(state.iterations() * engine.numSteps);
}
BENCHMARK(BM_VVerlet)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
