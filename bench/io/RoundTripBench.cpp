// The round-trip set of the obabel tests (tests/data/obabel-roundtrip.smi): SMILES to finished
// molecules through the whole set-up chain, as kvtool runs it, and finished molecules to mol
// records with their aromatic rings in Kekule form.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/SmilesFiles.h"
#include "io/IOEngine.h"
#include "io/MDLMolParser.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

void ensureApplication() {
  kvtest::ensureApplication();
  IOEngine::instance();
  UtilityEngine::instance()->printLevel = 0;
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
}

const std::vector<std::string>& roundTripSmiles() {
  static const std::vector<std::string> lines =
      benchdata::smilesOfFile(KV_TEST_DATA_DIR "/obabel-roundtrip.smi");
  return lines;
}

void BM_SmilesToFinishedMolecule(benchmark::State& state) {
  ensureApplication();
  const std::vector<std::string>& input = roundTripSmiles();
  SmilesParser parser;
  for (auto _ : state)
    for (const std::string& s : input) {
      std::unique_ptr<Molecule> m(parser.smilesToMol(s));
      benchmark::DoNotOptimize(m.get());
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}
BENCHMARK(BM_SmilesToFinishedMolecule);

void BM_FinishedMoleculeToMolRecord(benchmark::State& state) {
  ensureApplication();
  std::vector<std::unique_ptr<Molecule> > molecules;
  SmilesParser parser;
  for (const std::string& s : roundTripSmiles()) {
    std::unique_ptr<Molecule> m(parser.smilesToMol(s));
    if (m != nullptr) molecules.push_back(std::move(m));
  }
  MDLMolParser writer;
  std::string text;
  for (auto _ : state)
    for (const auto& m : molecules) {
      writer.formatMDLMol(m.get(), text);
      benchmark::DoNotOptimize(text.data());
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * molecules.size()));
}
BENCHMARK(BM_FinishedMoleculeToMolRecord);

}  // namespace
