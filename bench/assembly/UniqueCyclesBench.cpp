// Unique smallest cycles of fused ring systems: a linear chain of fused six-rings (acenes) and a
// square patch of a honeycomb sheet, each at about 100 and 1,000 atoms.

#include <benchmark/benchmark.h>

#include <memory>
#include <utility>
#include <vector>

#include "assembly/FeatureTreeOps.h"
#include "model/Atom.h"
#include "model/Builder.h"
#include "model/Molecule.h"

namespace {

std::unique_ptr<Molecule> carbonGraph(int atomCount,
                                      const std::vector<std::pair<int, int> >& bonds) {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  for (int i = 0; i < atomCount; ++i) {
    Atom* a = Builder::instance()->createAtom();
    a->element = "C";
    a->name = "C";
    m->addAtom(a);
  }
  for (const auto& b : bonds)
    m->addBond(static_cast<unsigned>(b.first), static_cast<unsigned>(b.second), 1);
  return m;
}

// n six-rings fused in a line: two rails of 2n + 1 atoms joined by n + 1 rungs.
std::unique_ptr<Molecule> acene(int rings) {
  const int rail = 2 * rings + 1;
  std::vector<std::pair<int, int> > bonds;
  for (int i = 0; i + 1 < rail; ++i) {
    bonds.push_back({i, i + 1});
    bonds.push_back({rail + i, rail + i + 1});
  }
  for (int i = 0; i < rail; i += 2) bonds.push_back({i, rail + i});
  return carbonGraph(2 * rail, bonds);
}

// A honeycomb patch on a brick-wall lattice: rows x columns atoms, every atom bonded to its
// row neighbours, and rungs between rows at alternating columns.
std::unique_ptr<Molecule> honeycomb(int rows, int columns) {
  std::vector<std::pair<int, int> > bonds;
  auto at = [columns](int r, int c) { return r * columns + c; };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      if (c + 1 < columns) bonds.push_back({at(r, c), at(r, c + 1)});
      if (r + 1 < rows && (r + c) % 2 == 0) bonds.push_back({at(r, c), at(r + 1, c)});
    }
  return carbonGraph(rows * columns, bonds);
}

void runUniqueCycles(benchmark::State& state, Molecule& m) {
  size_t cycles = 0;
  for (auto _ : state) {
    const auto found = FeatureTreeOps::getUniqueCycles(&m);
    cycles = found.size();
    benchmark::DoNotOptimize(cycles);
  }
  state.counters["atoms"] = static_cast<double>(m.atoms.size());
  state.counters["cycles"] = static_cast<double>(cycles);
}

// 24 rings: 98 atoms; 250 rings: 1,002 atoms.
void BM_UniqueCyclesAcene(benchmark::State& state) {
  const std::unique_ptr<Molecule> m = acene(static_cast<int>(state.range(0)));
  runUniqueCycles(state, *m);
}
BENCHMARK(BM_UniqueCyclesAcene)->Arg(24)->Arg(250)->Unit(benchmark::kMillisecond);

// 10 x 10 and 32 x 32 atoms.
void BM_UniqueCyclesHoneycomb(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::unique_ptr<Molecule> m = honeycomb(side, side);
  runUniqueCycles(state, *m);
}
BENCHMARK(BM_UniqueCyclesHoneycomb)->Arg(10)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace
