// Functional-group matching against the whole shipped library, and feature-tree construction,
// on one hundred drug-like molecules. The molecules are parsed (graph and perception only) and
// the library loaded outside the timed loops. Both run in a scratch working folder that has the
// dump folders and no "dot" folder, as a developer's run would.

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>
#include <system_error>
#include <vector>

#include <benchmark/benchmark.h>

#include "DrugLikeMolecules.h"
#include "assembly/FeatureTreeOps.h"
#include "construction/MoleculeOperations.h"
#include "io/MoleculeEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

// Takes the trace lines the assembly code prints, formatting them but keeping nothing.
class DiscardingBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The parsed molecules and the scratch working folder, made on first use; at exit the previous
// working directory comes back and the folder and its dumps go.
class Workload {
 public:
  Workload() : previous(std::filesystem::current_path()) {
    kvtest::ensureApplication();
    UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
    folder = std::filesystem::temp_directory_path() /
             ("kvgroupbench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "Unmatched");
    std::filesystem::create_directories(folder / "UnMatched");
    std::filesystem::current_path(folder);
    MoleculeEngine::instance()->loadGroups(KV_SOURCE_DIR);
    SmilesParser parser;
    for (const std::string& line : drugLikeMolecules()) {
      std::string smiles, name;
      SmilesParser::splitSmilesLine(line, smiles, name);
      std::unique_ptr<Molecule> m(parser.smilesToGraph(smiles));
      if (m == nullptr) continue;
      m->names.assign(1, name);
      molecules.push_back(std::move(m));
    }
  }
  ~Workload() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(folder, ignored);
  }
  Workload(const Workload&) = delete;
  Workload& operator=(const Workload&) = delete;

  std::vector<std::unique_ptr<Molecule> > molecules;

 private:
  std::filesystem::path previous;
  std::filesystem::path folder;
};

Workload& workload() {
  static Workload w;
  return w;
}

void reportPerMolecule(benchmark::State& state, size_t molecules) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * molecules));
  state.counters["molecules"] = static_cast<double>(molecules);
  state.counters["per_molecule"] =
      benchmark::Counter(static_cast<double>(state.iterations() * molecules),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FindFunctionalGroups(benchmark::State& state) {
  Workload& w = workload();
  MoleculeOperations ops;
  size_t grouped = 0;
  for (auto _ : state) {
    grouped = 0;
    for (const auto& m : w.molecules) {
      std::unique_ptr<Molecule> result(ops.findFunctionalGroups(m.get()));
      if (result != nullptr) ++grouped;
    }
  }
  reportPerMolecule(state, w.molecules.size());
  state.counters["grouped"] = static_cast<double>(grouped);
}
BENCHMARK(BM_FindFunctionalGroups)->Unit(benchmark::kMillisecond);

void BM_MakeFeatureTree(benchmark::State& state) {
  Workload& w = workload();
  DiscardingBuffer discard;
  std::streambuf* previous = std::cout.rdbuf(&discard);
  size_t nodes = 0;
  for (auto _ : state) {
    nodes = 0;
    for (const auto& m : w.molecules)
      nodes += FeatureTreeOps::makeFeatureTree(m.get()).nodes.size();
  }
  std::cout.rdbuf(previous);
  reportPerMolecule(state, w.molecules.size());
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_MakeFeatureTree)->Unit(benchmark::kMillisecond);

}  // namespace
