// Ring perception and atom typing of long fused-ring chains: a linear acene with hydrogens,
// about 1,000 to 10,000 atoms, perceived and typed from scratch as a reader would.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"

namespace {

// Element valences, a few rule levels and the benzene template: enough for every step of the
// typing to run on every atom.
InputParameters& benchTables() {
  static InputParameters* tables = [] {
    InputParameters* made = new InputParameters(InputParameters::EmptyTables{});
    made->parseElementTable("H 1\nC 4\nN 3\nO 2\n");
    made->parseAtomTypeTable("H H H H 1.008 0.6 -0.02 1.2 2.2 6.4 0\n");
    made->parseTypeRulesTable(
        "LEVEL 1\nTYPE CA\nMAIN C\nAROMAT C C\nSINGLE H\n"
        "TYPE CF\nMAIN C\nAROMAT C C C\n"
        "TYPE CH3\nMAIN C\nSINGLE C H H H\n"
        "TYPE HX\nMAIN H\nSINGLE C\n"
        "LEVEL 2\nTYPE HA\nMAIN HX\nSINGLE CA\n"
        "TYPE HM\nMAIN HX\nSINGLE CH3\n"
        "LEVEL -1\nTYPE HAR\nMAIN HA\nSINGLE CAPH\n");
    made->parseBasicRingTable(
        "RING BENZENE\nISAROM TRUE\n"
        "ATOM C1 C CAPH\nATOM C2 C CAPH\nATOM C3 C CAPH\nATOM C4 C CAPH\nATOM C5 C CAPH\n"
        "ATOM C6 C CAPH\nAROMAT C1 C2  C2 C3  C3 C4  C4 C5  C5 C6  C6 C1\n");
    made->parseHybridTypeTable("CAPH CAPH CFUS\n");
    return made;
  }();
  return *tables;
}

// Kekule acene of `rings` rings: top and bottom chains joined by rungs at even positions,
// then completed with hydrogens. 6 * rings + 6 atoms.
std::unique_ptr<Molecule> buildAcene(int rings) {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  const int length = 2 * rings + 1;
  for (int i = 0; i < 2 * length; ++i) {
    Atom* a = Builder::instance()->createAtom();
    a->element = "C";
    a->name = "C";
    m->addAtom(a);
  }
  const auto top = [](int i) { return static_cast<unsigned>(i); };
  const auto bottom = [length](int i) { return static_cast<unsigned>(length + i); };
  for (int i = 0; i + 1 < length; ++i) {
    m->addBond(top(i), top(i + 1), i % 2 == 0 ? 2 : 1);
    m->addBond(bottom(i), bottom(i + 1), i % 2 == 0 ? 2 : 1);
  }
  for (int i = 0; i < length; i += 2) m->addBond(top(i), bottom(i), i == length - 1 ? 2 : 1);
  m->findValenceVector();
  m->fillTotalAndUsedValence();
  m->addMissingHydrogens();
  return m;
}

void BM_PerceiveAndTypeAcene(benchmark::State& state) {
  InputParameters* previous = InputParameters::swapInstance(&benchTables());
  const int rings = static_cast<int>((state.range(0) - 6) / 6);
  size_t atoms = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<Molecule> m = buildAcene(rings);
    atoms = m->atoms.size();
    state.ResumeTiming();
    m->findAllSmallestRings();
    m->findBestAtomType();
    benchmark::DoNotOptimize(m->rings.data());
    state.PauseTiming();
    if (m->numRings != static_cast<unsigned>(rings) || !m->rings.back()->aromatic ||
        m->atoms[1]->type != "CAPH") {
      state.SkipWithError("acene not perceived as fused aromatic six-rings");
      break;
    }
    m.reset();
    state.ResumeTiming();
  }
  state.counters["atoms"] = static_cast<double>(atoms);
  state.SetComplexityN(static_cast<int64_t>(atoms));
  InputParameters::swapInstance(previous);
}
BENCHMARK(BM_PerceiveAndTypeAcene)
    ->Arg(1002)
    ->Arg(2502)
    ->Arg(5004)
    ->Arg(10002)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
