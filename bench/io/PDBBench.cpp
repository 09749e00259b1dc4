// A whole PDB read: an HIV protease with its inhibitor and waters (1,631 atoms in the file,
// about 3,400 with hydrogens) through residue bonding, perception, set-up and energies.

#include <QApplication>

#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "io/IOEngine.h"
#include "io/PDBParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

const char* kProtease = "/usr/share/pymol/data/tut/1hpv.pdb";

}  // namespace

static void BM_ReadProteasePDB(benchmark::State& state) {
  kvtest::ensureApplication();
  IOEngine::instance();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  size_t atoms = 0;
  for (auto _ : state) {
    PDBParser parser;
    std::vector<Molecule*> out;
    parser.parsePDBFile(kProtease, out);
    if (out.empty()) {
      state.SkipWithError("1hpv.pdb missing or unreadable");
      break;
    }
    atoms = out[0]->atoms.size();
    for (Molecule* m : out) delete m;
  }
  state.counters["atoms"] = static_cast<double>(atoms);
  UtilityEngine::instance()->setConsoleSink(ConsoleSink());
}
BENCHMARK(BM_ReadProteasePDB)->Unit(benchmark::kMillisecond);
