#include <algorithm>
#include <map>
#include <unordered_map>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "model/Spheroid.h"

namespace {

using AtomMap = std::unordered_map<const Atom*, Atom*>;

Atom* mapped(const AtomMap& map, const Atom* source) {
  if (source == nullptr) return nullptr;
  auto it = map.find(source);
  return it != map.end() ? it->second : nullptr;
}

// Each copy's neighbour list becomes the copies of the source's neighbours, in order; an entry
// outside the molecule has no copy and is dropped.
void remapNeighbours(const std::vector<Atom*>& sources, const AtomMap& map) {
  for (const Atom* source : sources) {
    Atom* copy = mapped(map, source);
    if (copy == nullptr) continue;
    copy->neighbours.clear();
    for (const Atom* n : source->neighbours) {
      Atom* m = mapped(map, n);
      if (m != nullptr) copy->neighbours.push_back(m);
    }
  }
}

void copyRings(const Molecule& source, Molecule* copy) {
  const size_t count = std::min<size_t>(source.numRings, source.rings.size());
  for (size_t i = 0; i < count; ++i) {
    Ring* ring = Builder::instance()->createRing();
    *ring = *source.rings[i];
    copy->addRing(ring, true);
  }
}

// Entry i of the copy is the source's entry for the atom the copy's atom i was made from.
void copyPositions(const Molecule& source, const std::vector<Atom*>& sourceAtoms, Molecule* copy) {
  if (source.positions.empty()) return;
  copy->positions.assign(copy->atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  for (size_t i = 0; i < sourceAtoms.size() && i < copy->positions.size(); ++i) {
    const int old = sourceAtoms[i]->id;
    copy->positions[i] = (old >= 0 && static_cast<size_t>(old) < source.positions.size())
                             ? source.positions[static_cast<size_t>(old)]
                             : sourceAtoms[i]->position;
  }
}

// The molecule's fields both copies carry: names, SMILES, energies, the merge offset and the
// PDB and parameter flags.
void copyRecordFields(const Molecule& source, Molecule* copy) {
  copy->names = source.names;
  copy->smiles = source.smiles;
  copy->totalBondEnergy = source.totalBondEnergy;
  copy->heatOfFormation = source.heatOfFormation;
  copy->atomicEnergySum = source.atomicEnergySum;
  copy->dipoleMoment = source.dipoleMoment;
  copy->hasDipoleMoment = source.hasDipoleMoment;
  copy->mergeOffset = source.mergeOffset;
  copy->pdbFlag = source.pdbFlag;
  copy->isFromPdb = source.isFromPdb;
  copy->hasApproximatedParameters = source.hasApproximatedParameters;
  copy->isUnconverged = source.isUnconverged;
}

}  // namespace

// Atoms are matched by identity, not by id, so a source with stale ids still copies right.
// groupInstance: null for clone() (fresh names from the counter), else the one name for all.
static Molecule* cloneMolecule(Molecule& source, const std::string* groupInstance) {
  Molecule* copy = Builder::instance()->createMolecule();
  std::map<std::string, std::string> renamed;
  if (groupInstance == nullptr) {
    for (const std::string& g : source.groups) {
      const std::string::size_type cut = g.find('_');
      const std::string base = cut == std::string::npos ? g : g.substr(0, cut);
      const int n = Molecule::NumOfGroups++;
      const std::string fresh = base + "_" + std::to_string(n);
      copy->groups.push_back(fresh);
      renamed[g] = fresh;
    }
  }
  auto newName = [&](const std::string& old) {
    if (groupInstance != nullptr) return *groupInstance;
    auto it = renamed.find(old);
    return it != renamed.end() ? it->second : std::string();
  };

  AtomMap map;
  for (const Atom* a : source.atoms) {
    Atom* c = groupInstance != nullptr ? a->clone(copy, *groupInstance) : a->clone(copy);
    c->groupInstance = newName(a->groupInstance);
    if (groupInstance == nullptr && c->isSpecial) copy->specialAtom = c;
    copy->addAtom(c);
    map[a] = c;
  }
  remapNeighbours(source.atoms, map);

  for (const Bond* b : source.bonds) {
    Atom* end1 = mapped(map, b->atom1);
    Atom* end2 = mapped(map, b->atom2);
    Atom* dihedral1 = mapped(map, b->dihedralAtom1);
    Atom* dihedral2 = mapped(map, b->dihedralAtom2);
    const bool dihedralOk =
        !b->hasDihedral || ((b->dihedralAtom1 == nullptr || dihedral1 != nullptr) &&
                            (b->dihedralAtom2 == nullptr || dihedral2 != nullptr));
    if (end1 == nullptr || end2 == nullptr || !dihedralOk) {
      delete copy;
      return nullptr;
    }
    Bond* c = groupInstance != nullptr ? b->clone(copy, *groupInstance) : b->clone(copy);
    c->groupInstance = newName(b->groupInstance);
    c->atom1 = end1;
    c->atom2 = end2;
    c->dihedralAtom1 = dihedral1;
    c->dihedralAtom2 = dihedral2;
    if (c->spheroid != nullptr && (end1->type == "DUM" || end2->type == "DUM"))
      c->spheroid->kind = SpheroidKind::OpenBondAxis;
    if (copy->addBond(c) != 1) {
      // A bond the source held twice between the same atoms: the copy keeps one.
      delete c;
    }
  }

  copyRecordFields(source, copy);
  copy->displayName = source.displayName;
  copy->sfunc = source.sfunc;
  copy->energyCorrection = source.energyCorrection;
  copy->ringStrainEnergy = source.ringStrainEnergy;
  copy->hasUpdateRules = source.hasUpdateRules;
  copy->replaceFrom = source.replaceFrom;
  copy->replaceTo = source.replaceTo;
  copy->updateFrom = source.updateFrom;
  copy->updateTo = source.updateTo;
  copy->isTreeClicked = source.isTreeClicked;
  copy->isOptimized = source.isOptimized;
  copyPositions(source, source.atoms, copy);
  for (const std::string& chain : source.chainIds) copy->addChainId(chain);
  copyRings(source, copy);
  return copy;
}

Molecule* Molecule::clone() { return cloneMolecule(*this, nullptr); }

Molecule* Molecule::clone(const std::string& groupInstance) {
  return cloneMolecule(*this, &groupInstance);
}

Molecule* Molecule::copyGraph() {
  Molecule* copy = Builder::instance()->createMolecule();
  AtomMap map;
  const size_t atomCount = std::min<size_t>(numAtoms, atoms.size());
  for (size_t i = 0; i < atomCount; ++i) {
    const Atom* a = atoms[i];
    Atom* c = Builder::instance()->createAtom();
    c->copyRecordFields(*a);
    c->groupInstance = a->groupInstance;
    copy->addAtom(c);
    map[a] = c;
  }
  const std::vector<Atom*> copied(atoms.begin(), atoms.begin() + static_cast<long>(atomCount));
  remapNeighbours(copied, map);

  const size_t bondCount = std::min<size_t>(numBonds, bonds.size());
  for (size_t i = 0; i < bondCount; ++i) {
    const Bond* b = bonds[i];
    Bond* c = Builder::instance()->createBond();
    c->atom1 = mapped(map, b->atom1);
    c->atom2 = mapped(map, b->atom2);
    c->dihedralAtom1 = mapped(map, b->dihedralAtom1);
    c->dihedralAtom2 = mapped(map, b->dihedralAtom2);
    c->copyRecordFields(*b);
    c->dihedral = b->dihedral;
    c->groupInstance = b->groupInstance;
    c->groupIndex = b->groupIndex;
    c->hasDihedral = b->hasDihedral && c->dihedralAtom1 != nullptr && c->dihedralAtom2 != nullptr;
    c->isAromatic = b->isAromatic;
    // A bond whose ends are not both in the atom list cannot be copied; it is dropped.
    if (copy->addBond(c) != 1) delete c;
  }
  copyRings(*this, copy);

  copyRecordFields(*this, copy);
  copy->groups = groups;
  copyPositions(*this, copied, copy);
  for (const std::string& chain : chainIds) copy->addChainId(chain);
  return copy;
}

std::string Molecule::makeName() {
  std::map<std::string, int> counts;   // std::string order: "Br" < "C" < "Cl" < "H"
  for (const Atom* a : atoms) {
    if (a->element != "R") ++counts[a->element];
  }
  std::string formula;
  for (const auto& entry : counts) {
    formula += entry.first;
    if (entry.second > 1) formula += std::to_string(entry.second);
  }
  names.push_back(formula);
  return formula;
}
