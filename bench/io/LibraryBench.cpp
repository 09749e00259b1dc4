// Loading the whole shipped library (groups, templates, molecules with their tree items), as
// start-up does.

#include <QApplication>
#include <QTreeWidgetItem>

#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "tests/support/QtApplication.h"

namespace {

void BM_LoadShippedLibrary(benchmark::State& state) {
  kvtest::ensureApplication();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  MoleculeEngine* library = MoleculeEngine::instance();
  IOEngine* engine = IOEngine::instance();
  size_t files = 0;
  for (auto _ : state) {
    library->clear();
    const int loaded = library->loadGroups(KV_SOURCE_DIR) + library->loadMolecules(KV_SOURCE_DIR);
    files = static_cast<size_t>(loaded);
    benchmark::DoNotOptimize(loaded);
    state.PauseTiming();
    for (QTreeWidgetItem* root : {engine->moleculeRoot, engine->groupRoot, engine->templateRoot})
      qDeleteAll(root->takeChildren());
    state.ResumeTiming();
  }
  state.counters["files"] = static_cast<double>(files);
  library->clear();
}
BENCHMARK(BM_LoadShippedLibrary)->Unit(benchmark::kMillisecond);

}  // namespace
