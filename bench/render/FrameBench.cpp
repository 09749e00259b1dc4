// One frame of the passes alone (no animation, no mesh building), as the view paints it, for a
// molecule of 100 and of 1,500 atoms in drawing paths 2 (client arrays), 1 (buffer objects)
// and 3 (high dynamic range). Runs under Xvfb; with software GL the figures are the CPU's.
#include <vector>

#include <benchmark/benchmark.h>

#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "tests/render/GLFrame.h"
#include "tests/render/SpheroidScene.h"
#include "view/Scene.h"

namespace {

constexpr int kWidth = 640;   // the view's start size
constexpr int kHeight = 480;
// Spheroid tessellation the set-up gives molecules above 100 atoms.
constexpr int kLargeMoleculeRings = 16;

void BM_Frame(benchmark::State& state) {
  const int path = static_cast<int>(state.range(0));
  const int atoms = static_cast<int>(state.range(1));
  if (kvframe::currentContext(kWidth, kHeight) == nullptr) {
    state.SkipWithError("no GL context");
    return;
  }
  InputParameters tables{InputParameters::EmptyTables{}};
  InputParameters* previous = InputParameters::swapInstance(&tables);
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->renderMode = static_cast<RenderMode>(path);
  int side = 0;
  Molecule* m = kvscene::carbonChain(static_cast<size_t>(atoms)).release();
  kvscene::giveSpheroids(*m, kvscene::foldedChain(atoms, side),
                         atoms > 100 ? kLargeMoleculeRings : kvscene::kRings);
  Scene scene;   // owns the molecule from here on
  if (scene.add(m)->spheroids.size() != m->atoms.size() + m->bonds.size())
    state.SkipWithError("no whole mesh");
  // Far enough back that the whole cube fits the view.
  engine->globalTranslation =
      SSEVector4f(0.0f, 0.0f, -(3.0f * kvscene::kChainBond * side + 5.0f), 1.0f);
  for (auto _ : state) kvframe::drawFrame();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * m->mesh->spheroids.size()));
  scene.remove(m);
  scene.purge(nullptr);   // frees the buffer sets in the path that made them
  engine->renderMode = RenderMode::VertexArrays;
  InputParameters::swapInstance(previous);
}

}  // namespace

BENCHMARK(BM_Frame)
    ->ArgNames({"path", "atoms"})
    ->ArgsProduct({{2, 1, 3}, {100, 1500}})
    ->Unit(benchmark::kMillisecond);
