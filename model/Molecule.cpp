#include "model/Molecule.h"

#include <algorithm>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Ring.h"
#include "model/Spheroid.h"

int Molecule::NumOfGroups = 0;
size_t Molecule::maxAtoms = 250000;

Molecule::~Molecule() {
  // Bonds and atoms go first: each hands its in-mesh spheroids to the mesh, which frees them,
  // so the mesh deleted last holds only spheroids no record owns.
  for (Bond* b : bonds) delete b;
  bonds.clear();
  for (Atom* a : atoms) delete a;
  atoms.clear();
  for (Ring* r : rings) delete r;
  rings.clear();
  for (RingCluster* c : ringClusters) delete c;
  ringClusters.clear();
  positions.clear();
  destroyMesh(mesh);
  mesh = nullptr;
}

int Molecule::clearMolecule() {
  atoms.clear();
  bonds.clear();
  numAtoms = 0;
  numBonds = 0;
  rings.clear();
  scenePosition.x = scenePosition.y = scenePosition.z = 0.0f;
  positions.clear();
  return 0;
}

Atom* Molecule::getFirstAtom(std::vector<Atom*>::iterator& it) {
  it = atoms.begin();
  return it != atoms.end() ? *it : nullptr;
}

Atom* Molecule::getNextAtom(std::vector<Atom*>::iterator& it) {
  if (it == atoms.end()) return nullptr;
  ++it;
  return it != atoms.end() ? *it : nullptr;
}

Bond* Molecule::getFirstBond(std::vector<Bond*>::iterator& it) {
  it = bonds.begin();
  return it != bonds.end() ? *it : nullptr;
}

Bond* Molecule::getNextBond(std::vector<Bond*>::iterator& it) {
  if (it == bonds.end()) return nullptr;
  ++it;
  return it != bonds.end() ? *it : nullptr;
}

std::string Molecule::getName() const { return names.empty() ? std::string() : names.front(); }

std::string Molecule::label() const {
  if (!names.empty() && !names.front().empty()) return names.front();
  if (!displayName.empty()) return displayName;
  if (!smiles.empty()) return smiles;
  return "unnamed";
}

Bond* Molecule::getBond(const Atom* a, const Atom* b) const {
  if (a == nullptr || b == nullptr) return nullptr;
  const size_t count = std::min<size_t>(numBonds, bonds.size());
  for (size_t i = 0; i < count; ++i) {
    const Bond* bond = bonds[i];
    if (bond->atom1 == nullptr || bond->atom2 == nullptr) continue;
    const int id1 = bond->atom1->id;
    const int id2 = bond->atom2->id;
    if ((id1 == a->id && id2 == b->id) || (id1 == b->id && id2 == a->id)) return bonds[i];
  }
  return nullptr;
}

Atom* Molecule::getAtomWithSerialNumber(int serial) const {
  const size_t count = std::min<size_t>(numAtoms, atoms.size());
  for (size_t i = 0; i < count; ++i) {
    if (atoms[i]->serialNumber == serial) return atoms[i];
  }
  return nullptr;
}

Atom* Molecule::findAtom(const std::string& groupIndex, const std::string& name) const {
  for (Atom* a : atoms) {
    if (a->groupIndex == groupIndex && a->name == name) return a;
  }
  return nullptr;
}

Atom* Molecule::findAtomIdName(const std::string& groupInstance, const std::string& name) const {
  for (Atom* a : atoms) {
    if (a->groupInstance == groupInstance && a->name == name) return a;
  }
  return nullptr;
}

int Molecule::getNumCenterAtoms() const {
  return static_cast<int>(
      std::count_if(atoms.begin(), atoms.end(), [](const Atom* a) { return a->isCentre; }));
}

void Molecule::addChainId(const std::string& chain) {
  if (std::find(chainIds.begin(), chainIds.end(), chain) == chainIds.end())
    chainIds.push_back(chain);
}

void Molecule::setGroupIndex(const std::string& groupIndex) {
  for (Atom* a : atoms) a->groupIndex = groupIndex;
  for (Bond* b : bonds) b->groupIndex = groupIndex;
}

void Molecule::deleteBondAxis(BondAxis* x) {
  if (x != nullptr && x->atom != nullptr) x->atom->deleteBondAxis(x);
}

void Molecule::nullAllSpheroids() {
  for (Bond* b : bonds) b->spheroid = nullptr;
  for (Atom* a : atoms) {
    a->sphere = nullptr;
    for (Ao* o : a->aos) o->spheroid = nullptr;
  }
}

Mesh* Molecule::detachMesh() {
  Mesh* detached = mesh;
  if (detached == nullptr) return nullptr;
  nullAllSpheroids();
  mesh = nullptr;
  return detached;
}

void Molecule::addRing(Ring* ring, bool listOnly) {
  if (ring == nullptr) return;
  ring->molecule = this;
  ring->id = static_cast<int>(numRings);
  if (!listOnly) {
    // Ids that are not list positions are passed over rather than followed out of the lists.
    for (int atomId : ring->atomIds) {
      if (atomId < 0 || static_cast<size_t>(atomId) >= atoms.size()) continue;
      atoms[static_cast<size_t>(atomId)]->inRing = true;
      atoms[static_cast<size_t>(atomId)]->ringIds.insert(ring->id);
    }
    for (int bondId : ring->bondIds) {
      if (bondId < 0 || static_cast<size_t>(bondId) >= bonds.size()) continue;
      bonds[static_cast<size_t>(bondId)]->inRing = true;
      bonds[static_cast<size_t>(bondId)]->ringIds.insert(ring->id);
    }
  }
  rings.push_back(ring);
  ++numRings;
}

void Molecule::setRings(std::vector<Ring*> newRings) {
  for (Ring* r : rings) delete r;
  rings.clear();
  numRings = 0;
  for (Ring* r : newRings) addRing(r, false);
}
