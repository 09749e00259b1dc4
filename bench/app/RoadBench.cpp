// The road of one request in the running main window under Xvfb, each timed to the end of the
// frame that first draws the new molecule: File > Open of a protein PDB file from the moment
// its name is chosen (the dialog itself is left out), and a typed SMILES string of 50 heavy
// atoms from the click on "Load from SMILES". The view's own repaint timer is stopped, so the
// frame is the one drawn here. With software GL the figures are the CPU's.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include <chrono>

#include <benchmark/benchmark.h>

#include "app/KestavorGUI.h"
#include "app/Startup.h"
#include "io/MoleculeEngine.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "support/QtApplication.h"

namespace {

using Clock = std::chrono::steady_clock;

// HIV protease with its inhibitor and waters: 1,631 atoms in the file, about 3,400 with the
// hydrogens the reader adds.
const char* const kProtease = "/usr/share/pymol/data/tut/1hpv.pdb";
// A made-up drug-like molecule of 50 heavy atoms: amides, an ester, a sulfonamide, a
// piperazine, a pyridine and two benzene rings.
const char* const kFiftyHeavyAtoms =
    "CC(C)Cc1ccc(cc1)C(C)C(=O)NCC(=O)N1CCN(CC1)c1ccc(cc1)S(=O)(=O)NCc1cccnc1C(=O)OCCOC(C)=O";

// The program as main starts it, once per process, with the start-up glide over. Never
// destroyed, as the application object is not: a window torn down after it would crash.
KestavorGUI* runningWindow() {
  static KestavorGUI* window = nullptr;
  if (window == nullptr) {
    kvtest::ensureApplication();
    QDir::setCurrent(KV_SOURCE_DIR);
    prepareApplication(*qApp);
    window = startMainWindow({"Kestavor"}).release();
    GraphicsEngine::instance()->showFPS = false;
    const Clock::time_point end = Clock::now() + std::chrono::seconds(30);
    while (window->glWidget->inputLocked && Clock::now() < end)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    window->glWidget->repaintTimer->stop();
  }
  return window->glWidget->isValid() ? window : nullptr;
}

// Empties the scene and the Work Space between runs, as New does without its question.
void clearScene(KestavorGUI& window) {
  window.glWidget->createNewWorkspace();
  window.glWidget->updateGL();
  window.workSpaceTree->clear();
  GraphicsEngine::instance()->returnToHomeCamera = false;
  window.glWidget->inputLocked = false;
}

// The molecule handed over by the command is drawn by the next frame at the latest.
bool drawnByNextFrame(KestavorGUI& window) {
  window.glWidget->updateGL();
  return !GraphicsEngine::instance()->meshes.empty();
}

void BM_OpenProteinToItsFrame(benchmark::State& state) {
  KestavorGUI* window = runningWindow();
  if (window == nullptr) return state.SkipWithError("no GL context");
  size_t atoms = 0;
  for (auto _ : state) {
    Clock::time_point chosen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&answer, &chosen] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      answer.stop();
      dialog->selectFile(kProtease);
      chosen = Clock::now();
      static_cast<QDialog*>(dialog)->accept();
    });
    answer.start(1);
    window->ui.actionLoadFile->trigger();
    const bool drawn = drawnByNextFrame(*window);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - chosen).count());
    if (!drawn) return state.SkipWithError("1hpv.pdb missing or not drawn");
    atoms = MoleculeEngine::instance()->workspace.back()->atoms.size();
    clearScene(*window);
  }
  state.counters["atoms"] = static_cast<double>(atoms);
}
BENCHMARK(BM_OpenProteinToItsFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SmilesEntryToItsFrame(benchmark::State& state) {
  KestavorGUI* window = runningWindow();
  if (window == nullptr) return state.SkipWithError("no GL context");
  size_t heavyAtoms = 0;
  for (auto _ : state) {
    window->ui.smileEdit->setText(kFiftyHeavyAtoms);
    const Clock::time_point start = Clock::now();
    window->ui.smileButton->click();
    const bool drawn = drawnByNextFrame(*window);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (!drawn) return state.SkipWithError("the SMILES string was not drawn");
    heavyAtoms = 0;
    for (const Atom* a : MoleculeEngine::instance()->workspace.back()->atoms)
      heavyAtoms += a->element != "H";
    clearScene(*window);
  }
  state.counters["heavy_atoms"] = static_cast<double>(heavyAtoms);
}
BENCHMARK(BM_SmilesEntryToItsFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
