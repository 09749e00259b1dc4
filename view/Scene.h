#pragma once

#include <functional>

class Mesh;
class Molecule;

// What is on screen: the molecules of the scene, listed in MoleculeEngine::workspace, and their
// meshes, listed in GraphicsEngine::meshes in drawing order. The scene owns those molecules (the
// lists only name them); a molecule owns its mesh, and the mesh owns the spheroids the
// molecule's atoms and bonds point to. Scene is the only code that writes the two lists: adding
// one, removing one, clearing and purging are the only ways on and off the screen, and the view,
// the main window (through the view), the tests and the benchmarks all go through them. Only
// the renderer's destructor, and its removeMesh that the program never calls, take a mesh off
// the list besides.
//
// A Scene keeps no list of its own, so every Scene object is a door to the same screen: the view
// has one (GLWidget::scene), and tests and benchmarks without a view make their own.
//
// Meshes are GL objects, so they die only where the view's context is current: a removed
// molecule is deleted at once, its mesh is flagged and left listed until the purge (the next
// frame's, or at once in a command outside a frame). Its records let go of the mesh's spheroids
// before the molecule is deleted, so that the mesh deleted later touches nothing of the
// molecule.
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
