// Spheroid geometry of whole molecules: tessellation and placement of every atom sphere and
// bond orbital, then the pairwise clip planes and the clipped copies; and the ray pick of one
// click over such a molecule.
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "tests/render/SpheroidScene.h"
#include "view/Scene.h"

namespace {

// A zig-zag chain of carbons, 1.54 Angstrom apart, every fifth atom lifted out of the plane so
// that the bonds do not all lie in one plane.
struct Chain {
  std::unique_ptr<Molecule> molecule;
  std::vector<SSEVector4f> positions;
};

Chain makeChain(int atoms) {
  Chain chain;
  chain.molecule = kvscene::carbonChain(static_cast<size_t>(atoms));
  for (int i = 0; i < atoms; ++i)
    chain.positions.emplace_back(1.26f * i, 0.89f * (i % 2), 0.4f * (i % 5 == 0), 1.0f);
  return chain;
}

// Empty tables: the bond charges are 0 and no table is read inside the timing.
InputParameters& emptyTables() {
  static InputParameters tables{InputParameters::EmptyTables{}};
  InputParameters::swapInstance(&tables);
  return tables;
}

// The molecule's mesh from now on: the mesh owns the spheroids, and detachMesh hands it back.
void placeAll(Molecule& m, Mesh& mesh) {
  m.mesh = &mesh;
  for (Atom* a : m.atoms) {
    a->sphere->createTransformedGeometry();
    mesh.addSpheroid(a->sphere);
  }
  for (Bond* b : m.bonds) {
    b->spheroid->createTransformedGeometry();
    mesh.addSpheroid(b->spheroid);
  }
}

void run(benchmark::State& state, bool clip) {
  emptyTables();
  Chain chain = makeChain(static_cast<int>(state.range(0)));
  size_t spheroids = 0;
  for (auto _ : state) {
    kvscene::giveSpheroids(*chain.molecule, chain.positions);
    auto* mesh = new Mesh();
    placeAll(*chain.molecule, *mesh);
    if (clip) {
      mesh->calculateAllClipPlanes();
      mesh->applyClipPlanes();
    }
    spheroids = mesh->spheroids.size();
    benchmark::DoNotOptimize(mesh->spheroids.data());
    delete chain.molecule->detachMesh();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * spheroids));
}

void BM_BuildAndPlaceSpheroids(benchmark::State& state) { run(state, false); }
void BM_BuildPlaceAndClipSpheroids(benchmark::State& state) { run(state, true); }

// One click: the eye ray, straight down -z onto the middle atom of the chain, against every
// atom sphere and bond orbital of its mesh, as the view picks on a mouse press. The chain is on
// screen as the view shows a molecule: its mesh built, clipped and centred by the scene.
void BM_PickOneClick(benchmark::State& state) {
  emptyTables();
  Chain chain = makeChain(static_cast<int>(state.range(0)));
  kvscene::giveSpheroids(*chain.molecule, chain.positions);
  Molecule* molecule = chain.molecule.release();
  Scene scene;   // owns the molecule from here on
  const Mesh* mesh = scene.add(molecule);
  GraphicsEngine* engine = GraphicsEngine::instance();
  const SSEVector4f target =
      mesh->getGlobalCenter(molecule->atoms[molecule->atoms.size() / 2]->sphere);
  engine->eyeRayOrigin = SSEVector4f(target.x, target.y, 50.0f, 1.0f);
  engine->eyeRayDirection = SSEVector4f(0.0f, 0.0f, -1.0f, 0.0f);
  MathEngine* math = MathEngine::instance();
  int hits = 0;
  for (auto _ : state) {
    math->resetPick();
    hits = math->pickAllMeshSpheroids(MathEngine::AnyKind);
    benchmark::DoNotOptimize(math->pickedSpheroid);
  }
  if (hits == 0) state.SkipWithError("the ray hit nothing");
  scene.remove(molecule);
  scene.purge(nullptr);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

}  // namespace

BENCHMARK(BM_BuildAndPlaceSpheroids)->Arg(100)->Arg(1000)->Arg(1500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildPlaceAndClipSpheroids)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickOneClick)->Arg(100)->Arg(1500)->Unit(benchmark::kMicrosecond);
