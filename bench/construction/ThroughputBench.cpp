// SMILES to a finished, optimised three-dimensional molecule: the throughput over a fixed set of
// 100 drug-like molecules and salts (PubChem records, tests/data/pubchem-druglike-100.smi), the
// kind of molecule that is slowest to set up (a large flexible one with many rotatable bonds and
// benzyl ethers that fold onto each other), and the slow inputs kept in
// fuzz/regressions/smiles_chain, each answered (finished or refused) well within a second.

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
// the chain refuses is an error of the benchmark.
void setUpAll(benchmark::State& state, const std::vector<std::string>& input,
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
  for (auto _ : state) {
    finished = 0;
    for (const std::string& s : input) {
      std::unique_ptr<Molecule> m(parser.smilesToMol(s));
      if (m != nullptr) ++finished;
    }
  }
  if (mustFinish && finished != input.size())
    state.SkipWithError("a molecule of the set was not finished");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  utility->setConsoleSink(ConsoleSink());
  utility->printLevel = printLevel;
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
