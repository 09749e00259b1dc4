// The relaxed torsion scan the dihedral profiler and kvtool --scan run (0 to 360 degrees by 10,
// 37 relaxations), on a 30-heavy-atom molecule finished by the SMILES reader and the set-up
// chain: an anisyl ethyl amide of a morpholinopropoxy benzoic acid, its N-ethyl bond scanned.

#include <benchmark/benchmark.h>

#include <iostream>
#include <map>
#include <memory>
#include <sstream>

#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

void BM_ThirtyHeavyAtomProfile(benchmark::State& state) {
  kvtest::ensureApplication();
  IOEngine::instance();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  UtilityEngine::instance()->printLevel = 0;
  std::unique_ptr<Molecule> molecule(
      SmilesParser().smilesToMol("COc1ccc(cc1)CCN(C)C(=O)c1ccc(cc1)OCCCN1CCOCC1"));
  if (!molecule) {
    state.SkipWithError("the SMILES reader gave no molecule");
    return;
  }
  // C8-C9-N10-C12 (atoms from 0): the amide nitrogen's ethyl bond.
  const int i = 8, j = 9, k = 10, l = 12;
  // The scan's own energy table goes to standard output, as the benchmark's report does.
  std::ostringstream table;
  std::streambuf* saved = std::cout.rdbuf(table.rdbuf());
  std::map<float, float> profile;
  for (auto _ : state) {
    state.PauseTiming();
    MolecularSystem system(molecule.get());
    if (!system.isRotatableBond(j, k)) {
      state.SkipWithError("the scanned bond is not rotatable");
      break;
    }
    state.ResumeTiming();
    system.dihedralProfile(i, j, k, l, 0.0, 360.0, 10.0, profile);
    benchmark::DoNotOptimize(profile.size());
    table.str("");
  }
  std::cout.rdbuf(saved);
  if (profile.size() != 37) state.SkipWithError("the scan gave no full profile");
  state.counters["atoms"] = static_cast<double>(molecule->numAtoms);
  state.counters["points"] = static_cast<double>(profile.size());
}
BENCHMARK(BM_ThirtyHeavyAtomProfile)->Unit(benchmark::kMillisecond);

}  // namespace
