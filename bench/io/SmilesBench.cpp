// SMILES to graphs and back: the sample set of the SMILES tests (chains, rings, fused and spiro
// systems, aromatics, charges, stereo marks, mixtures), read with perception but without the
// set-up chain, and written again.

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/SmilesFiles.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

namespace {

// Isotope lines are left out: the element table has no row for "13C", and its error lines on
// every pass would be timed with the rest.
const std::vector<std::string>& benchSmiles() {
  // Isotope-labelled entries left out.
  static const std::vector<std::string> lines = benchdata::smilesOfFile(
      KV_TEST_DATA_DIR "/smiles-sample.smi",
      [](const std::string& smiles) { return smiles.find("[13") == std::string::npos; });
  return lines;
}

void BM_SmilesToGraph(benchmark::State& state) {
  const std::vector<std::string>& input = benchSmiles();
  InputParameters::instance();
  SmilesParser parser;
  for (auto _ : state)
    for (const std::string& s : input) {
      std::unique_ptr<Molecule> m(parser.smilesToGraph(s));
      benchmark::DoNotOptimize(m.get());
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_SmilesToGraph);

void BM_MoleculeToSmiles(benchmark::State& state) {
  std::vector<std::unique_ptr<Molecule> > molecules;
  SmilesParser parser;
  for (const std::string& s : benchSmiles()) molecules.emplace_back(parser.smilesToGraph(s));
  SmilesWriter writer;
  std::string out;
  for (auto _ : state)
    for (const auto& m : molecules) {
      writer.createSmilesFromMolecule(m.get(), out);
      benchmark::DoNotOptimize(out.data());
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * molecules.size()));
}
BENCHMARK(BM_MoleculeToSmiles);

// One long alkane chain with a ring every tenth atom: the cost of size, not of variety.
void BM_LongChainToGraph(benchmark::State& state) {
  std::string smiles;
  for (int i = 0; i < state.range(0) / 10; ++i) smiles += "C1CCCC1CCCCC";
  SmilesParser parser;
  InputParameters::instance();
  for (auto _ : state) {
    std::unique_ptr<Molecule> m(parser.smilesToGraph(smiles));
    benchmark::DoNotOptimize(m.get());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LongChainToGraph)->Arg(100)->Arg(1000);

}  // namespace
