// One energy-and-forces evaluation for zig-zag alkanes of about 20, 200 and 2,000 atoms
// (C6H14, C66H134, C666H1334), built in code with the test fixture's small parameter tables.
// The pair list is built before the timed loop; a chain keeps the pairs inside the cutoff
// growing linearly with the atom count.
#include "forcefield/MolecularSystem.h"
#include "forcefield/ForceFieldFixture.h"

#include <benchmark/benchmark.h>

static void BM_EnergyForce(benchmark::State& state) {
  fftest::ScopedTables tables;
  auto molecule = fftest::alkane(static_cast<int>(state.range(0)));
  MolecularSystem system(molecule.get());
  for (auto _ : state) benchmark::DoNotOptimize(system.EnergyForce());
  state.counters["atoms"] = system.atomCount;
  state.counters["pairs"] = system.pairCount;
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EnergyForce)->Arg(6)->Arg(66)->Arg(666)->Unit(benchmark::kMicrosecond);
