// Ring closure of a list-built chain of n methylene groups through IOEngine::closeRings (six and
// twelve ring atoms), and one genetic twist search (20 generations of 1,000) on a six-atom path.
// The chain is assembled once; each closure works on a fresh clone made outside the timing.

#include <QApplication>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "assembly/GA.h"
#include "assembly/RingClosure.h"
#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

const char* kMethylene = R"(TYPE  ALKYL
FUNC METHYLENE Methylene
ATOM C1 CH4
ATOM DUM1 DUM
ATOM DUM2 DUM
SINGLE C1 DUM1 C1 DUM2
)";

// n methylene groups in a row with both chain ends open; null when the library cannot build it.
std::unique_ptr<Molecule> openChain(int n) {
  kvtest::ensureApplication();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  IOEngine* engine = IOEngine::instance();
  MoleculeEngine* library = MoleculeEngine::instance();
  if (library->getFunctionalGroupByName("METHYLENE") == nullptr) {
    std::istringstream groups(kMethylene);
    engine->loadGroups(groups, &library->groups);
  }
  std::string text = "MOLE Chain\n";
  for (int i = 1; i <= n; ++i) text += "FUNC N" + std::to_string(i) + " METHYLENE\n";
  for (int i = 1; i < n; ++i)
    text += "SINGLE N" + std::to_string(i) + ".DUM2 N" + std::to_string(i + 1) + ".DUM1\n";
  std::istringstream in(text);
  return std::unique_ptr<Molecule>(engine->parseMoleculeFile(in));
}

// The bonds of the molecule's dummy atoms, as one pair of open ends.
std::vector<std::vector<Bond*>> openEnds(Molecule& m) {
  std::vector<Bond*> ends;
  for (Atom* a : m.atoms)
    if (isDummy(a) && a->bonds.size() == 1) ends.push_back(a->bonds.front());
  return {ends};
}

}  // namespace

static void BM_CloseRing(benchmark::State& state) {
  const std::unique_ptr<Molecule> chain = openChain(static_cast<int>(state.range(0)));
  if (chain == nullptr) {
    state.SkipWithError("the open chain could not be assembled");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<Molecule> m(chain->clone());
    std::vector<std::vector<Bond*>> pairs = openEnds(*m);
    state.ResumeTiming();
    if (!IOEngine::instance()->closeRings(m.get(), pairs)) {
      state.SkipWithError("the ring was not closed");
      break;
    }
    state.PauseTiming();
    m.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CloseRing)->Arg(6)->Arg(12)->Unit(benchmark::kMillisecond);

static void BM_TwistSearch(benchmark::State& state) {
  const std::unique_ptr<Molecule> chain = openChain(6);
  if (chain == nullptr) {
    state.SkipWithError("the open chain could not be assembled");
    return;
  }
  const std::vector<Bond*> ends = openEnds(*chain).front();
  RingClosure closure(chain.get(), ends.size() == 2 ? ends[0] : nullptr,
                      ends.size() == 2 ? ends[1] : nullptr, false);
  if (!closure.initializeRingClosure()) {
    state.SkipWithError("the path could not be found");
    return;
  }
  size_t solutions = 0;
  for (auto _ : state) {
    GA search(&closure);
    search.runGA();
    solutions = search.solutions.size();
  }
  state.counters["solutions"] = static_cast<double>(solutions);
}
BENCHMARK(BM_TwistSearch)->Unit(benchmark::kMillisecond);
