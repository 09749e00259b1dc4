#include "assembly/VfGraph.h"

#include <map>
#include <memory>
#include <new>

#include "assembly/VfState.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"

namespace {

const char* const kDummyType = "DUM";

// The part of a group instance name before its first "_": "PHENYL_3" belongs to "PHENYL".
std::string baseOf(const std::string& instance) { return instance.substr(0, instance.find('_')); }

}  // namespace

VfGraph::VfGraph(Molecule* molecule) {
  if (molecule == nullptr) return;
  try {
    name = molecule->getName();
    smiles = molecule->smiles;
    molecule->calculateNumBondAxes();
    // Node indices follow the atom order, dummies left out.
    std::map<const Atom*, int> nodeOf;
    for (const Atom* a : molecule->atoms)
      if (a->type != kDummyType) nodeOf.emplace(a, static_cast<int>(nodeOf.size()));
    nodeCount = static_cast<int>(nodeOf.size());
    const size_t n = static_cast<size_t>(nodeCount);
    element.reserve(n);
    type.reserve(n);
    atomName.reserve(n);
    position.reserve(n);
    groupName.reserve(n);
    groupBase.reserve(n);
    bondCount.assign(n, 0);
    outEdges.assign(n, std::vector<int>());
    outAttr.assign(n, std::vector<int>());
    bondOrders.assign(n, std::vector<int>());
    for (const Atom* a : molecule->atoms) {
      auto self = nodeOf.find(a);
      if (self == nodeOf.end()) continue;
      const size_t i = static_cast<size_t>(self->second);
      element.push_back(a->element);
      type.push_back(a->type);
      atomName.push_back(a->name);
      const size_t id = static_cast<size_t>(a->id);
      position.push_back(a->id >= 0 && id < molecule->positions.size()
                             ? molecule->positions[id]
                             : SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
      groupName.push_back(a->groupInstance);
      groupBase.push_back(a->groupName);
      hasGroup.push_back(!a->groupInstance.empty());
      for (Bond* b : a->bonds) {
        ++bondCount[i];
        // An open valence counts towards the atom's bonds but gives no edge: a bond flagged as
        // an axis, or one whose far end is a dummy (groups built by hand carry no flag).
        auto other = nodeOf.find(a->getAdjacentAtom(b));
        if (b->isBondAxis || other == nodeOf.end()) continue;
        outEdges[i].push_back(other->second);
        outAttr[i].push_back(b->inRing ? RingBondLabel : b->order);
        bondOrders[i].push_back(b->order);
      }
    }
    // Every bond is stored in both directions: what leaves a node also enters it.
    inEdges = outEdges;
    inAttr = outAttr;
    for (const std::vector<int>& edges : outEdges)
      outCount.push_back(static_cast<int>(edges.size()));
    inCount = outCount;
  } catch (const std::bad_alloc&) {
    vfFatal("Out of memory");
  }
}

void VfGraph::checkNode(int node, const char* where) const {
  if (node < 0 || node >= nodeCount) vfFatal(where);
}

void VfGraph::checkEdge(const std::vector<std::vector<int> >& edges, int node, int edge) const {
  if (node < 0 || node >= nodeCount || edge < 0 ||
      edge >= static_cast<int>(edges[static_cast<size_t>(node)].size()))
    vfFatal("Error: getOutEdge");
}

int VfGraph::getInCount(int node) const {
  checkNode(node, "Error: getInCount");
  return inCount[static_cast<size_t>(node)];
}

int VfGraph::getOutCount(int node) const {
  checkNode(node, "Error: getOutCount");
  return outCount[static_cast<size_t>(node)];
}

int VfGraph::getInEdge(int node, int edge) const { return getInEdge(node, edge, nullptr); }

int VfGraph::getInEdge(int node, int edge, int* label) const {
  checkEdge(inEdges, node, edge);
  if (label != nullptr) *label = inAttr[static_cast<size_t>(node)][static_cast<size_t>(edge)];
  return inEdges[static_cast<size_t>(node)][static_cast<size_t>(edge)];
}

int VfGraph::getOutEdge(int node, int edge) const { return getOutEdge(node, edge, nullptr); }

int VfGraph::getOutEdge(int node, int edge, int* label) const {
  checkEdge(outEdges, node, edge);
  if (label != nullptr) *label = outAttr[static_cast<size_t>(node)][static_cast<size_t>(edge)];
  return outEdges[static_cast<size_t>(node)][static_cast<size_t>(edge)];
}

int VfGraph::edgePosition(int from, int to) const {
  if (from < 0 || from >= nodeCount) return -1;
  const std::vector<int>& list = outEdges[static_cast<size_t>(from)];
  for (size_t k = 0; k < list.size(); ++k)
    if (list[k] == to) return static_cast<int>(k);
  return -1;
}

bool VfGraph::hasEdge(int from, int to, int* label) const {
  const int k = edgePosition(from, to);
  if (k < 0) return false;
  if (label != nullptr) *label = outAttr[static_cast<size_t>(from)][static_cast<size_t>(k)];
  return true;
}

int VfGraph::getActualBondOrder(int from, int to) const {
  const int k = edgePosition(from, to);
  return k < 0 ? 0 : bondOrders[static_cast<size_t>(from)][static_cast<size_t>(k)];
}

void VfGraph::setActualBondOrder(int from, int to, int order) {
  const int k = edgePosition(from, to);
  if (k >= 0) bondOrders[static_cast<size_t>(from)][static_cast<size_t>(k)] = order;
}

bool VfGraph::hasAllGroups() const {
  for (const std::string& g : groupName)
    if (g.empty()) return false;
  return true;
}

Molecule* VfGraph::createMolecule() const {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  for (int i = 0; i < nodeCount; ++i) {
    const size_t k = static_cast<size_t>(i);
    Atom* a = Builder::instance()->createAtom();
    a->element = element[k];
    a->type = type[k];
    a->name = atomName[k];
    a->groupInstance = groupName[k];
    a->groupName = baseOf(groupName[k]);
    a->inGroup = !groupName[k].empty();
    a->isMatched = a->inGroup;
    a->position = position[k];
    if (!m->addAtom(a)) {
      delete a;
      return nullptr;
    }
  }
  m->positions = position;
  for (int i = 0; i < nodeCount; ++i) {
    const size_t k = static_cast<size_t>(i);
    for (size_t e = 0; e < outEdges[k].size(); ++e) {
      Bond* b = Builder::instance()->createBond();
      b->atom1 = m->atoms[k];
      b->atom2 = m->atoms[static_cast<size_t>(outEdges[k][e])];
      b->order = bondOrders[k][e];
      b->inRing = outAttr[k][e] == RingBondLabel;
      // The second direction of every bond is refused as a duplicate.
      const int added = m->addBond(b);
      if (added != 1) delete b;
      if (added == 0) return nullptr;
    }
  }
  for (Bond* b : m->bonds) {
    b->matchFlag = true;
    if (b->atom1->groupInstance == b->atom2->groupInstance)
      b->groupInstance = b->atom1->groupInstance;
    else
      b->isConnection = true;
  }
  m->groups.insert(m->groups.end(), groups.begin(), groups.end());
  m->names.push_back(name);
  m->smiles = smiles;
  return m.release();
}
