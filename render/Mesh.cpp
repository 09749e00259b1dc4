#include "render/Mesh.h"

#include <algorithm>

#include "model/Spheroid.h"

int Mesh::GlobalID = 0;

namespace {
int releaseFromMesh(Mesh* mesh, Spheroid* s) { return mesh->removeSpheroid(s); }
void destroyWholeMesh(Mesh* mesh) { delete mesh; }
}  // namespace

Mesh::Mesh() : id(GlobalID++) {
  setSpheroidRelease(&releaseFromMesh);
  setMeshDestroy(&destroyWholeMesh);
}

Mesh::~Mesh() {
  for (Spheroid* s : spheroids) delete s;
  spheroids.clear();
  currentSpheroid = nullptr;
  for (SSEVector4f* p : activePoints) delete p;
  activePoints.clear();
  activeAtomIds.clear();
}

int Mesh::removeSpheroid(Spheroid* s) {
  auto it = std::find(spheroids.begin(), spheroids.end(), s);
  if (s == nullptr || it == spheroids.end()) return 0;
  // The buffer-object paths also move the later spheroids of the same buffer set down here;
  // the client-array path has no shared buffers to move.
  if (currentSpheroid == s) currentSpheroid = nullptr;
  spheroids.erase(it);
  delete s;
  return 1;
}

bool Mesh::removeAllSpheroids() {
  while (!spheroids.empty()) removeSpheroid(spheroids.front());
  currentSpheroid = nullptr;
  return true;
}
