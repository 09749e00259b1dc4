// The whole set-up chain (perception, typing, bond parameters, coordinates from connectivity,
// internal-coordinates optimisation, spheres and spheroids) on molecules built in code: chains,
// ring systems, steroid-like fused systems and a drug-sized mixed molecule.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <array>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "math/UtilityEngine.h"
#include "parameters/InputParameters.h"
#include "tests/support/QtApplication.h"

namespace {

using Edge = std::array<int, 3>;

struct Graph {
  std::vector<std::string> elements;
  std::vector<Edge> edges;

  int add(const std::string& element) {
    elements.push_back(element);
    return static_cast<int>(elements.size()) - 1;
  }
  void bond(int a, int b, int order = 1) { edges.push_back({a, b, order}); }
  // A ring of `size` carbons (Kekule double bonds when aromatic); returns its first atom.
  int ring(int size, bool aromatic) {
    const int first = static_cast<int>(elements.size());
    for (int i = 0; i < size; ++i) add("C");
    for (int i = 0; i < size; ++i)
      bond(first + i, first + (i + 1) % size, aromatic && i % 2 == 0 ? 2 : 1);
    return first;
  }
  int heavyAtoms() const { return static_cast<int>(elements.size()); }
};

// A chain of n heavy atoms, every fifth an ether oxygen.
Graph chain(int n) {
  Graph g;
  int previous = -1;
  for (int i = 0; i < n; ++i) {
    const int atom = g.add(i % 5 == 4 && i + 1 < n ? "O" : "C");
    if (previous >= 0) g.bond(previous, atom);
    previous = atom;
  }
  return g;
}

// Benzene and cyclohexane rings joined in a row by single bonds, with a methoxy on each.
Graph ringSystem(int heavy) {
  Graph g;
  int previous = -1;
  for (int k = 0; g.heavyAtoms() + 8 <= heavy || k == 0; ++k) {
    const int first = g.ring(6, k % 2 == 0);
    if (previous >= 0) g.bond(previous, first);
    const int o = g.add("O");
    g.bond(first + 2, o);
    g.bond(o, g.add("C"));
    previous = first + 4;
  }
  return g;
}

// Steroid-like cores (three fused six-rings and a five-ring, 17 carbons, with a hydroxyl and
// two methyls) joined by two-carbon linkers.
Graph steroids(int heavy) {
  Graph g;
  int previous = -1;
  do {
    const int a = g.ring(6, false);   // ring A: a .. a+5
    const int b0 = g.heavyAtoms();    // ring B shares a+4, a+5
    for (int i = 0; i < 4; ++i) g.add("C");
    g.bond(a + 4, b0);
    g.bond(b0, b0 + 1);
    g.bond(b0 + 1, b0 + 2);
    g.bond(b0 + 2, b0 + 3);
    g.bond(b0 + 3, a + 5);
    const int c0 = g.heavyAtoms();    // ring C shares b0+1, b0+2
    for (int i = 0; i < 4; ++i) g.add("C");
    g.bond(b0 + 1, c0);
    g.bond(c0, c0 + 1);
    g.bond(c0 + 1, c0 + 2);
    g.bond(c0 + 2, c0 + 3);
    g.bond(c0 + 3, b0 + 2);
    const int d0 = g.heavyAtoms();    // ring D (five) shares c0+1, c0+2
    for (int i = 0; i < 3; ++i) g.add("C");
    g.bond(c0 + 1, d0);
    g.bond(d0, d0 + 1);
    g.bond(d0 + 1, d0 + 2);
    g.bond(d0 + 2, c0 + 2);
    const int o = g.add("O");
    g.bond(a + 1, o);
    g.bond(a + 5, g.add("C"));
    g.bond(c0 + 2, g.add("C"));
    if (previous >= 0) {
      const int l1 = g.add("C");
      const int l2 = g.add("C");
      g.bond(previous, l1);
      g.bond(l1, l2);
      g.bond(l2, a + 2);
    }
    previous = d0 + 1;
  } while (g.heavyAtoms() + 21 <= heavy);
  return g;
}

// About 50 heavy atoms: aromatic rings, an amide, a piperidine-like ring and ether chains.
Graph drugLike() {
  Graph g = ringSystem(24);
  const int amideC = g.add("C");
  const int amideO = g.add("O");
  const int amideN = g.add("N");
  g.bond(g.heavyAtoms() - 4, amideC);
  g.bond(amideC, amideO, 2);
  g.bond(amideC, amideN);
  const int ring = g.heavyAtoms();
  g.ring(6, false);
  g.bond(amideN, ring);
  Graph tail = chain(14);
  const int offset = g.heavyAtoms();
  for (const std::string& e : tail.elements) g.add(e);
  for (const Edge& e : tail.edges) g.bond(e[0] + offset, e[1] + offset, e[2]);
  g.bond(ring + 3, offset);
  const int aromatic = g.ring(6, true);
  g.bond(offset + 13, aromatic);
  return g;
}

std::unique_ptr<Molecule> build(const Graph& g) {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  m->names.push_back("bench");
  for (const std::string& e : g.elements) {
    Atom* a = Builder::instance()->createAtom();
    a->element = e;
    a->name = e;
    m->addAtom(a);
  }
  for (const Edge& e : g.edges)
    m->addBond(static_cast<unsigned>(e[0]), static_cast<unsigned>(e[1]), e[2]);
  return m;
}

// Element-level bond rows, so every bond of these molecules has a length.
const char* kElementBondRows = R"(C  C  1 2.0000 1.54000 3.60 0.00
C  C  2 1.8000 1.34000 6.30 0.00
C  H  1 1.6492 1.10974 4.16 0.37
O  H  1 1.5500 0.96000 4.80 1.50
N  H  1 1.5800 1.01000 4.00 1.30
C  O  1 1.9000 1.43000 3.70 0.70
C  O  2 1.5000 1.22000 7.50 2.30
C  N  1 1.9500 1.47000 3.00 0.20
)";

InputParameters* benchTables() {
  static InputParameters* tables = [] {
    InputParameters::instance();
    auto* t = new InputParameters(InputParameters::EmptyTables{});
    t->loadTables(InputParameters::resourcePrefix);
    t->parseBondTable(kElementBondRows);
    InputParameters::swapInstance(t);
    UtilityEngine::instance()->printLevel = 0;   // no optimiser lines in the timing table
    return t;
  }();
  return tables;
}

IOEngine* engine() {
  kvtest::ensureApplication();
  return IOEngine::instance();
}

void runChain(benchmark::State& state, const Graph& g) {
  benchTables();
  engine();
  // The optimisers report on standard output; keep it out of the timing table.
  std::ostringstream sink;
  std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
  const ErrorSink savedErrors = setErrorSink([](const std::string&) {});
  const SetupSteps steps = SetupSteps::all().without(SetupStep::Perception);
  size_t atoms = 0;
  for (auto _ : state) {
    std::unique_ptr<Molecule> m = build(g);
    m->perceive();
    if (!runSetupChain(*m, steps).ok()) state.SkipWithError("the set-up chain refused");
    atoms = m->atoms.size();
    benchmark::DoNotOptimize(m.get());
    sink.str(std::string());
  }
  std::cout.rdbuf(saved);
  setErrorSink(savedErrors);
  state.counters["heavy"] = g.heavyAtoms();
  state.counters["atoms"] = static_cast<double>(atoms);
}

void BM_SetupChain_Chain(benchmark::State& state) {
  runChain(state, chain(static_cast<int>(state.range(0))));
}
void BM_SetupChain_Rings(benchmark::State& state) {
  runChain(state, ringSystem(static_cast<int>(state.range(0))));
}
void BM_SetupChain_Steroids(benchmark::State& state) {
  runChain(state, steroids(static_cast<int>(state.range(0))));
}
void BM_SetupChain_DrugLike(benchmark::State& state) { runChain(state, drugLike()); }

// Coordinates alone, without the optimisation, for the same ring systems.
void BM_Coordinates_Rings(benchmark::State& state) {
  benchTables();
  IOEngine* io = engine();
  const Graph g = ringSystem(static_cast<int>(state.range(0)));
  std::unique_ptr<Molecule> m = build(g);
  m->perceive();
  const ErrorSink saved = setErrorSink([](const std::string&) {});
  io->setParameters(m.get());
  setErrorSink(saved);
  const SetupSteps steps{SetupStep::Coordinates, SetupStep::Spheroids};
  for (auto _ : state) {
    for (Atom* a : m->atoms) a->isPlaced = false;
    if (!runSetupChain(*m, steps).ok()) state.SkipWithError("the coordinates were refused");
    benchmark::DoNotOptimize(m->positions.data());
  }
  state.counters["heavy"] = g.heavyAtoms();
}

}  // namespace

BENCHMARK(BM_SetupChain_Chain)->Arg(10)->Arg(30)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetupChain_Rings)->Arg(10)->Arg(30)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetupChain_Steroids)->Arg(20)->Arg(42)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetupChain_DrugLike)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Coordinates_Rings)->Arg(30)->Arg(300)->Unit(benchmark::kMicrosecond);
