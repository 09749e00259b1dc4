#include "view/Scene.h"

#include <algorithm>
#include <deque>

#include "construction/MoleculeOperations.h"
#include "io/MoleculeEngine.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"

namespace {
constexpr float kMeshMargin = 2.0f;   // added to a molecule's length to give its mesh size
}  // namespace

Mesh* Scene::add(Molecule* molecule) {
  molecule->renderMolecule();
  Mesh* mesh = molecule->mesh;
  mesh->centerLocalCoords();
  mesh->position.x = molecule->scenePosition.x;
  mesh->position.y = molecule->scenePosition.y;
  mesh->position.z = molecule->scenePosition.z;
  mesh->molecule = molecule;
  MoleculeOperations operations;
  mesh->size = operations.calculateLength(molecule) + kMeshMargin;
  GraphicsEngine::instance()->meshes.push_back(mesh);
  MoleculeEngine::instance()->workspace.push_back(molecule);
  return mesh;
}

void Scene::remove(Molecule* molecule) {
  if (molecule == nullptr) return;
  std::deque<Molecule*>& workspace = MoleculeEngine::instance()->workspace;
  const auto placed = std::find(workspace.begin(), workspace.end(), molecule);
  if (placed != workspace.end()) workspace.erase(placed);
  retire(molecule);
}

void Scene::clear() {
  std::deque<Molecule*> leaving;
  leaving.swap(MoleculeEngine::instance()->workspace);
  for (Molecule* molecule : leaving) retire(molecule);
  // A mesh whose molecule already left waits for the purge as well.
  for (Mesh* mesh : GraphicsEngine::instance()->meshes) mesh->deleteMesh();
  purgeRequested = true;
}

void Scene::purge(const std::function<void(Mesh*)>& forget) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  std::vector<Mesh*>& meshes = engine->meshes;
  for (auto it = meshes.begin(); it != meshes.end();) {
    Mesh* mesh = *it;
    if (!mesh->deleteFlag) {
      ++it;
      continue;
    }
    if (mesh == engine->currentMesh) engine->setCurrentMesh(nullptr);
    if (forget) forget(mesh);
    delete mesh;
    it = meshes.erase(it);
  }
  purgeRequested = false;
}

void Scene::retire(Molecule* molecule) {
  Mesh* mesh = molecule->detachMesh();
  delete molecule;
  if (mesh == nullptr) return;
  mesh->molecule = nullptr;
  mesh->deleteMesh();
  purgeRequested = true;
}
