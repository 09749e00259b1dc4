#pragma once

#include <deque>
#include <string>
#include <vector>

class Molecule;

// The process-wide store of the molecules kept outside the view's meshes: the molecule library,
// the functional groups followed by the templates, the molecules placed in the scene and the
// history of molecules created or loaded. It owns the molecules of `molecules` and `groups`.
// Those of `workspace` belong to the view's Scene (view/Scene.h), the only code that adds to or
// takes from that list and that deletes them (one removed, or all at a new workspace); those of
// `history` are deleted by the view's new-workspace command.
// The library loading members live with the loaders in kv_io.
class MoleculeEngine {
 public:
  static MoleculeEngine* instance();   // made on the first call, never destroyed

  std::vector<Molecule*> molecules;    // index = "M" item data
  std::vector<Molecule*> groups;       // groups then templates; index = "F" item data
  Molecule* currentMolecule = nullptr; // the first molecule added through addMolecule
  std::deque<Molecule*> workspace;     // molecules placed in the scene, the scene's
  std::deque<Molecule*> history;       // index = "H" item data, not owned
  std::vector<Molecule*> patterns;     // every group and template once more, never owned
  int addedCount = 0;                  // addMolecule calls

  // Library loading (io/LibraryLoading.cpp, kv_io): "KV_GROUPS" (kind 1) then "KV_TEMPLATES"
  // (kind 2) into `groups`, and "KV_MOLECULES" (kind 0) into `molecules`, each below the
  // working directory; they return the number of files loaded.
  int loadGroups();
  int loadMolecules();
  // The same below another folder (tests, tools): root + "/KV_GROUPS" and so on.
  int loadGroups(const std::string& root);
  int loadMolecules(const std::string& root);

  // The first group whose name equals `name` exactly (case-sensitive), else null.
  Molecule* getFunctionalGroupByName(const std::string& name) const;
  void addMolecule(Molecule* molecule);
  // Deletes the molecules of `molecules` and `groups` and empties those lists and `patterns`.
  void clear();

  MoleculeEngine(const MoleculeEngine&) = delete;
  MoleculeEngine& operator=(const MoleculeEngine&) = delete;

 private:
  MoleculeEngine() = default;
  ~MoleculeEngine();

  static MoleculeEngine* Instance;
};
