#include "io/MoleculeEngine.h"

#include "model/Molecule.h"

MoleculeEngine* MoleculeEngine::Instance = nullptr;

MoleculeEngine* MoleculeEngine::instance() {
  if (Instance == nullptr) Instance = new MoleculeEngine();
  return Instance;
}

MoleculeEngine::~MoleculeEngine() { clear(); }

Molecule* MoleculeEngine::getFunctionalGroupByName(const std::string& name) const {
  for (Molecule* group : groups)
    if (group != nullptr && group->getName() == name) return group;
  return nullptr;
}

void MoleculeEngine::addMolecule(Molecule* molecule) {
  molecules.push_back(molecule);
  if (molecules.size() == 1) currentMolecule = molecule;
  ++addedCount;
}

void MoleculeEngine::clear() {
  // A molecule may stand in both lists (a template also kept as a molecule): delete it once.
  for (Molecule* m : molecules) delete m;
  for (Molecule* g : groups) {
    bool seen = false;
    for (Molecule* m : molecules) seen = seen || m == g;
    if (!seen) delete g;
  }
  molecules.clear();
  groups.clear();
  patterns.clear();
  if (currentMolecule != nullptr) currentMolecule = nullptr;
}
