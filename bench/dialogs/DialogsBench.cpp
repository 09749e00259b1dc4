// The dihedral profiler's Plot command (relaxed scan, listing, spline and plot) on butane and on
// a 30-heavy-atom molecule, and one redraw of a full-width plot.

#include <QPointF>
#include <QVector>

#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include <benchmark/benchmark.h>

#include "dialogs/DihedralDialog.h"
#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

// The scan writes its energy table to standard output; the benchmark's own report goes there
// too, so the table is dropped only while a benchmark runs.
class QuietStandardOutput {
 public:
  QuietStandardOutput() : saved(std::cout.rdbuf(sink.rdbuf())) {}
  ~QuietStandardOutput() { std::cout.rdbuf(saved); }

 private:
  std::ostringstream sink;
  std::streambuf* saved;
};

// A launched profiler on a graph copy of the molecule, at the first dihedral of the system whose
// middle bond is its rotatable bond number `bond`.
void launch(DihedralDialog& dialog, const std::string& smiles, int bond) {
  IOEngine::instance();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  UtilityEngine::instance()->printLevel = 0;
  SmilesParser parser;
  std::unique_ptr<Molecule> m(parser.smilesToMol(smiles));
  if (m == nullptr) return;
  MolecularSystem system(m.get());
  if (bond >= system.rotatableBondCount) return;
  const int j = system.rotatableBondAtom1[bond], k = system.rotatableBondAtom2[bond];
  for (int d = 0; d < system.dihedralCount; ++d) {
    if (system.dihedralAtom2[d] == j && system.dihedralAtom3[d] == k) {
      dialog.launchDihedralDialog(m->copyGraph(), system.dihedralAtom1[d], j, k,
                                  system.dihedralAtom4[d], "0.0");
      return;
    }
  }
}

void runPlot(benchmark::State& state, const std::string& smiles, int bond) {
  QuietStandardOutput quiet;
  kvtest::ensureApplication();
  DihedralDialog dialog;
  launch(dialog, smiles, bond);
  if (dialog.molecule == nullptr) {
    state.SkipWithError("no rotatable dihedral");
    return;
  }
  for (auto _ : state) {
    dialog.ui.plotButton->click();
    benchmark::DoNotOptimize(dialog.energyProfile.size());
  }
  state.counters["points"] = static_cast<double>(dialog.energyProfile.size());
  state.counters["atoms"] = static_cast<double>(dialog.molecule->numAtoms);
}

// The default scan, 0 to 360 degrees by 10: 37 relaxed points about C2-C3.
void BM_ButaneDefaultScan(benchmark::State& state) { runPlot(state, "CCCC", 1); }
BENCHMARK(BM_ButaneDefaultScan)->Unit(benchmark::kMillisecond);

// 30 heavy atoms (an anisyl ethyl amide of a morpholinopropoxy benzoic acid), the amide's
// N-ethyl bond scanned.
void BM_ThirtyHeavyAtomScan(benchmark::State& state) {
  runPlot(state, "COc1ccc(cc1)CCN(C)C(=O)c1ccc(cc1)OCCCN1CCOCC1", 3);
}
BENCHMARK(BM_ThirtyHeavyAtomScan)->Unit(benchmark::kMillisecond);

// One redraw of grid and curve at the size a reset profiler shows: 36 by 10 divisions, 1872 by
// 520 pixels, a 361-point curve.
void BM_PlotRedraw(benchmark::State& state) {
  kvtest::ensureApplication();
  Plotter plotter;
  PlotSettings settings;
  settings.maxX = 360;
  settings.maxY = 8;
  settings.numXTicks = 36;
  plotter.setPlotSettings(settings);
  plotter.resize(plotter.sizeHint());
  QVector<QPointF> curve;
  for (int degree = 0; degree <= 360; ++degree)
    curve.append(QPointF(degree, 4.0 + 4.0 * std::cos(3.0 * degree * kPiDouble / 180.0)));
  for (auto _ : state) {
    plotter.setCurveData(1, curve);
    benchmark::DoNotOptimize(plotter.pixmap.cacheKey());
  }
  state.counters["width"] = plotter.width();
}
BENCHMARK(BM_PlotRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
