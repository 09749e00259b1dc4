// Whole frames of the view as the user sees them (paint and buffer swap) under Xvfb: the scene
// with atom labels for a molecule of 100 atoms, and the frame that takes a 1,500-atom molecule
// over and builds its mesh. With software GL the figures are the CPU's.
#include <QDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <benchmark/benchmark.h>

#include "io/MoleculeEngine.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/QtApplication.h"
#include "tests/render/SpheroidScene.h"
#include "view/GLWidget.h"

namespace {

constexpr int kSide = 480;
constexpr int kLargeMoleculeRings = 16;   // the set-up's tessellation above 100 atoms

// The camera far enough back for a folded chain of the size, no glide running.
void placeCamera(int atoms) {
  int side = 0;
  kvscene::foldedChain(atoms, side);
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->returnToHomeCamera = false;
  engine->setRotation(Quaternion());
  engine->globalTranslation =
      SSEVector4f(0.0f, 0.0f, -(3.0f * kvscene::kChainBond * side + 5.0f), 1.0f);
}

// The view in a shown window, frames drawn only when asked for; null without GL. One view for
// the process, as in the application: the renderer keeps its GL resources in its context.
GLWidget* shownView() {
  static GLWidget* view = nullptr;
  if (view == nullptr) {
    kvtest::ensureApplication();
    QDir::setCurrent(KV_SOURCE_DIR);
    auto* host = new QWidget;
    auto* layout = new QVBoxLayout(host);
    layout->addWidget(view = new GLWidget(host));
    view->repaintTimer->stop();
    host->resize(kSide, kSide);
    host->show();
    QCoreApplication::processEvents();
  }
  return view->isValid() ? view : nullptr;
}

// A carbon chain of the size with its spheroids, ready to be handed over.
Molecule* foldedMolecule(int atoms) {
  int side = 0;
  Molecule* m = kvscene::carbonChain(static_cast<size_t>(atoms)).release();
  kvscene::giveSpheroids(*m, kvscene::foldedChain(atoms, side),
                         atoms > 100 ? kLargeMoleculeRings : kvscene::kRings);
  return m;
}

void BM_FrameWithAtomLabels(benchmark::State& state) {
  GLWidget* view = shownView();
  if (view == nullptr) return state.SkipWithError("no GL context");
  placeCamera(100);
  view->handOverMolecule(foldedMolecule(100));
  view->updateGL();
  GraphicsEngine::instance()->showAtomIDs = true;
  for (auto _ : state) view->updateGL();
  GraphicsEngine::instance()->showAtomIDs = false;
  view->createNewWorkspace();
  view->updateGL();
}
BENCHMARK(BM_FrameWithAtomLabels)->Unit(benchmark::kMillisecond);

void BM_FrameTakingOverLargeMolecule(benchmark::State& state) {
  GLWidget* view = shownView();
  if (view == nullptr) return state.SkipWithError("no GL context");
  for (auto _ : state) {
    state.PauseTiming();
    placeCamera(1500);
    view->handOverMolecule(foldedMolecule(1500));
    state.ResumeTiming();
    view->updateGL();
    state.PauseTiming();
    view->createNewWorkspace();   // its mesh goes with the next frame's purge
    view->updateGL();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FrameTakingOverLargeMolecule)->Unit(benchmark::kMillisecond);

}  // namespace
