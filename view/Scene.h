#pragma once

#include <functional>

class Mesh;
class Molecule;

// What is on screen: the molecules of the scene (MoleculeEngine::workspace, which owns them)
// and their meshes (GraphicsEngine::meshes, in drawing order). A molecule owns its mesh, and
// the mesh owns the spheroids the molecule's atoms and bonds point to. Adding one, removing one
// and clearing are the only ways on and off the scene; the view, the main window (through the
// view), the tests and the benchmarks all go through them.
//
// Meshes are GL objects, so they die only inside a frame: a removed molecule is deleted at once,
// its mesh is flagged and left listed until the next frame's purge. Its records let go of the
// mesh's spheroids before the molecule is deleted, so that the mesh deleted later touches
// nothing of the molecule.
class Scene {
 public:
  // Set while a mesh waits for the purge; the overlays draw no label then.
  bool purgeRequested = false;

  // Builds the molecule's mesh, centred on its local coordinates and placed at its
  // scenePosition, and lists the molecule and the mesh; the mesh is returned. A mesh that cannot
  // be built whole keeps what was built: the molecule still enters the scene, so it is not lost.
  Mesh* add(Molecule* molecule);
  // Takes the molecule off the list and deletes it; its mesh waits for the purge.
  void remove(Molecule* molecule);
  // Deletes every molecule of the scene; every mesh waits for the purge.
  void clear();
  // Deletes the meshes flagged for deletion, calling forget with each first (for pointers into
  // it held elsewhere); a flagged current mesh stops being current.
  void purge(const std::function<void(Mesh*)>& forget);

 private:
  // The molecule deleted, its mesh flagged; it is on no list any more.
  void retire(Molecule* molecule);
};
