// SMILES to a finished, optimised three-dimensional molecule: the throughput over a fixed set of
// 100 drug-like molecules and salts (PubChem records, tests/data/pubchem-druglike-100.smi), the
// kind of molecule that is slowest to set up (a large flexible one with many rotatable bonds and
// benzyl ethers that fold onto each other), the slow inputs kept in
// fuzz/regressions/smiles_chain and a small set of hard molecules (metal sandwiches, cages,
// macrocycles), each answered (finished or refused) well within a second, and
// large ring systems at a few sizes each, to show how the time grows with the atoms: chains of
// cyclohexanes joined 1,4 by single bonds (puckered rings whose links must not fold the chain
// onto itself), poly(p-xylylene) (benzene rings joined by ethylene bridges), and flat flakes of
// fused benzene rings (every ring fused to up to six others), with their atom counts.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/SmilesFiles.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "tests/support/QtApplication.h"
#include "tests/support/RingSystemSmiles.h"

namespace {

const std::vector<std::string>& drugLikeSmiles() {
  static const std::vector<std::string> lines =
      benchdata::smilesOfFile(KV_TEST_DATA_DIR "/pubchem-druglike-100.smi");
  return lines;
}

// The kept slow inputs of the SMILES chain, one SMILES per file.
std::vector<std::string> keptSlowInputs() {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(
           std::filesystem::path(KV_SOURCE_DIR) / "fuzz" / "regressions" / "smiles_chain", error))
    if (entry.is_regular_file() && (entry.path().filename().string().rfind("timeout-", 0) == 0 ||
                                    entry.path().filename().string().rfind("slow-", 0) == 0))
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<std::string> out;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

// Every SMILES of input through the whole chain once per iteration; with mustFinish, a molecule
// the chain refuses is an error of the benchmark. Returns the atoms of the molecules finished in
// the last iteration, hydrogens included.
size_t setUpAll(benchmark::State& state, const std::vector<std::string>& input,
                bool mustFinish = true) {
  kvtest::ensureApplication();
  InputParameters::instance();
  IOEngine::instance();
  UtilityEngine* utility = UtilityEngine::instance();
  const int printLevel = utility->printLevel;
  utility->printLevel = 0;
  utility->setConsoleSink([](const std::string&) {});
  SmilesParser parser;
  size_t finished = 0;
  size_t atoms = 0;
  for (auto _ : state) {
    finished = 0;
    atoms = 0;
    for (const std::string& s : input) {
      std::unique_ptr<Molecule> m(parser.smilesToMol(s));
      if (m == nullptr) continue;
      ++finished;
      atoms += m->atoms.size();
    }
  }
  if (mustFinish && finished != input.size())
    state.SkipWithError("a molecule of the set was not finished");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  utility->setConsoleSink(ConsoleSink());
  utility->printLevel = printLevel;
  return atoms;
}

// One ring system through the whole chain; the "atoms" counter gives its size.
void setUpRingSystem(benchmark::State& state, const std::string& smiles) {
  state.counters["atoms"] = static_cast<double>(setUpAll(state, {smiles}));
}

}  // namespace

static void BM_DrugLikeSmilesToFinished3D(benchmark::State& state) {
  setUpAll(state, drugLikeSmiles());
}
BENCHMARK(BM_DrugLikeSmilesToFinished3D)->Unit(benchmark::kMillisecond);

static void BM_SlowestKindFlexibleGlycoside(benchmark::State& state) {
  // 48 heavy atoms, 100 with hydrogens, 27 torsion axes.
  setUpAll(state,
           {"NCCCCCOCC1OC(OCCc2c[nH]c3ccccc23)C(OCc2ccccc2)C(OCc2ccccc2)C1OCc1ccccc1"});
}
BENCHMARK(BM_SlowestKindFlexibleGlycoside)->Unit(benchmark::kMillisecond);

static void BM_KeptSlowSmilesInputs(benchmark::State& state) {
  // One refused (its labels fit no layout), the others finished.
  setUpAll(state, keptSlowInputs(), false);
}
BENCHMARK(BM_KeptSlowSmilesInputs)->Unit(benchmark::kMillisecond);

static void BM_HardSmilesFinishedOrRefused(benchmark::State& state) {
  // Organometallic sandwiches written with a bond from the metal to every ring carbon, cages and
  // macrocycles (tests/data/hard-smiles.smi); some are refused, each answered well within a
  // second.
  setUpAll(state, benchdata::smilesOfFile(KV_TEST_DATA_DIR "/hard-smiles.smi"), false);
}
BENCHMARK(BM_HardSmilesFinishedOrRefused)->Unit(benchmark::kMillisecond);

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
