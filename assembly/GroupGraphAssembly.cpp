// Assembly of a molecule from a group graph: each node's library group is cloned and joined to
// the growing molecule at the dummy atoms its edge names, breadth-first from node 0.

#include <deque>
#include <map>
#include <set>

#include "construction/MoleculeOperations.h"
#include "construction/SetupChain.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"

namespace {

// The label a second node shares with an earlier one, or empty. The dummy atoms of two nodes
// with one label cannot be told apart, so such a graph is not assembled.
bool sharedLabel(const std::vector<GroupNode*>& nodes, std::string& label) {
  std::set<std::string> seen;
  for (const GroupNode* n : nodes)
    if (!seen.insert(n->label).second) {
      label = n->label;
      return true;
    }
  return false;
}

// A fresh copy of the node's library group, carrying its instance name and label; null when
// the library has no such group.
Molecule* cloneGroupOf(const GroupNode* node) {
  Molecule* group = MoleculeEngine::instance()->getFunctionalGroupByName(node->groupName);
  if (group == nullptr) return nullptr;
  Molecule* copy = group->clone(node->instanceName);
  if (copy != nullptr) copy->setGroupIndex(node->label);
  return copy;
}

}  // namespace

Bond* GroupGraph::findBondAxisToConnectTo(const GroupEdge* edge, Molecule* m) const {
  if (edge == nullptr || m == nullptr) return nullptr;
  for (const Atom* a : m->atoms) {
    if (a->type != "DUM") continue;
    const bool firstEnd = a->groupIndex == edge->label1 && a->name == edge->atom1;
    const bool secondEnd = a->groupIndex == edge->label2 && a->name == edge->atom2;
    if (firstEnd || secondEnd) return a->bonds.empty() ? nullptr : a->bonds.front();
  }
  return nullptr;
}

Molecule* GroupGraph::createMoleculeFromGroupGraph() {
  if (nodes.empty()) {
    printError("Error: createMoleculeFromGroupGraph, No group node ");
    return nullptr;
  }
  std::string label;
  if (sharedLabel(nodes, label)) {
    ErrorLine() << "Error: createMoleculeFromGroupGraph, two group nodes share the label \""
                << label << "\"";
    return nullptr;
  }
  // Marks of an earlier run are cleared, so a graph assembled twice gives the same molecule.
  for (GroupNode* n : nodes) n->visited = false;
  for (GroupEdge* e : edges) e->joined = false;

  Molecule* result = nullptr;
  std::map<const GroupNode*, GroupNode*> parent;
  std::deque<GroupNode*> queue{nodes.front()};
  while (!queue.empty()) {
    GroupNode* node = queue.front();
    queue.pop_front();
    if (node->visited) continue;
    Molecule* clone = cloneGroupOf(node);
    if (clone == nullptr) {
      delete result;
      return nullptr;
    }
    if (result == nullptr) {
      result = clone;
    } else {
      GroupEdge* edge = getGroupEdge(parent[node], node);
      Bond* axis1 = findBondAxisToConnectTo(edge, result);
      Bond* axis2 = findBondAxisToConnectTo(edge, clone);
      MoleculeOperations operations;
      if (axis1 == nullptr || axis2 == nullptr ||
          operations.joinMolecules(result, axis1, clone, axis2) == nullptr) {
        delete clone;
        delete result;
        return nullptr;
      }
      // Open axes remain until the last join, so this is mostly the Cartesian optimisation.
      if (!runSetupChain(*result, SetupSteps{SetupStep::Optimisation}).ok()) {
        ErrorLine() << "Error: createMoleculeFromGroupGraph, \"" << name
                    << "\" has no sound geometry after joining \"" << node->instanceName << "\"";
        delete result;
        return nullptr;
      }
      edge->joined = true;
    }
    result->groups.push_back(node->instanceName);
    // A neighbour reached again from a later node takes that node as its parent.
    for (GroupEdge* e : node->edges) {
      GroupNode* next = e->node1 == node ? e->node2 : e->node1;
      if (next == nullptr || next->visited) continue;
      queue.push_back(next);
      parent[next] = node;
    }
    node->visited = true;
  }
  result->names.clear();
  result->names.push_back(name);
  return result;
}
