// Large ring systems from SMILES to finished molecules, at a few sizes each, to show how the
// time grows with the atoms: chains of cyclohexanes joined 1,4 by single bonds (puckered rings
// whose links must not fold the chain onto itself), poly(p-xylylene) (benzene rings joined by
// ethylene bridges), and flat flakes of fused benzene rings (every ring fused to up to six
// others). The "atoms" counter gives the size with hydrogens; a molecule the chain refuses is an
// error of the benchmark.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "tests/support/QtApplication.h"
#include "tests/support/RingSystemSmiles.h"

namespace {

void setUpRingSystem(benchmark::State& state, const std::string& smiles) {
  kvtest::ensureApplication();
  InputParameters::instance();
  IOEngine::instance();
  UtilityEngine* utility = UtilityEngine::instance();
  const int printLevel = utility->printLevel;
  utility->printLevel = 0;
  utility->setConsoleSink([](const std::string&) {});
  SmilesParser parser;
  size_t atoms = 0;
  bool finished = true;
  for (auto _ : state) {
    std::unique_ptr<Molecule> m(parser.smilesToMol(smiles));
    finished = finished && m != nullptr;
    atoms = m != nullptr ? m->atoms.size() : 0;
  }
  utility->setConsoleSink(ConsoleSink());
  utility->printLevel = printLevel;
  if (!finished) {
    state.SkipWithError("the ring system was not finished");
    return;
  }
  state.counters["atoms"] = static_cast<double>(atoms);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * atoms));
}

}  // namespace

static void BM_CyclohexaneChain(benchmark::State& state) {
  setUpRingSystem(state, kvtest::cyclohexaneChainSmiles(static_cast<int>(state.range(0))));
}
// 25 rings: 402 atoms; 200 rings: 3,202 atoms.
BENCHMARK(BM_CyclohexaneChain)->Arg(25)->Arg(50)->Arg(100)->Arg(200)
    ->Unit(benchmark::kMillisecond);

static void BM_XylyleneChain(benchmark::State& state) {
  setUpRingSystem(state, kvtest::xylyleneChainSmiles(static_cast<int>(state.range(0))));
}
// 100 rings: 1,602 atoms; 800 rings: 12,802 atoms.
BENCHMARK(BM_XylyleneChain)->Arg(100)->Arg(200)->Arg(400)->Arg(800)
    ->Unit(benchmark::kMillisecond);

static void BM_GrapheneFlake(benchmark::State& state) {
  setUpRingSystem(state, kvtest::grapheneFlakeSmiles(static_cast<int>(state.range(0)),
                                                     static_cast<int>(state.range(1))));
}
// Rows by columns of carbons: C228H42 (94 rings), C592H68 (263 rings), C1224H98 (564 rings),
// C2440H140 (1,151 rings).
BENCHMARK(BM_GrapheneFlake)->Args({12, 19})->Args({16, 37})->Args({24, 51})->Args({40, 61})
    ->Unit(benchmark::kMillisecond);
