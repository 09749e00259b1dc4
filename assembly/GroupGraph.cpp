// The group graph's structure: nodes, edges, lookups, the part beyond an edge, rigid moves of
// the groups, and the graph derived from a molecule's group instance names.

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <set>

#include "assembly/BondFrame.h"
#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace {


template <typename T>
T* firstOf(std::vector<T*>& list, typename std::vector<T*>::iterator& it) {
  it = list.begin();
  return it != list.end() ? *it : nullptr;
}

template <typename T>
T* nextOf(std::vector<T*>& list, typename std::vector<T*>::iterator& it) {
  if (it == list.end()) return nullptr;
  ++it;
  return it != list.end() ? *it : nullptr;
}

bool joins(const GroupEdge* e, const GroupNode* a, const GroupNode* b) {
  return e != nullptr &&
         ((e->node1 == a && e->node2 == b) || (e->node1 == b && e->node2 == a));
}

// The edge bond's end in the first node's group, and the other end.
bool pivotAndFar(const GroupEdge* edge, Atom*& pivot, Atom*& far) {
  const Bond* b = edge->bond;
  if (b->atom1 == nullptr || b->atom2 == nullptr) return false;
  const bool firstIsPivot =
      edge->node1 != nullptr && b->atom1->groupInstance == edge->node1->instanceName;
  pivot = firstIsPivot ? b->atom1 : b->atom2;
  far = firstIsPivot ? b->atom2 : b->atom1;
  return true;
}

}  // namespace

GroupEdge* GroupNode::getFirstGroupEdge(std::vector<GroupEdge*>::iterator& it) {
  return firstOf(edges, it);
}

GroupEdge* GroupNode::getNextGroupEdge(std::vector<GroupEdge*>::iterator& it) {
  return nextOf(edges, it);
}

GroupNode* GroupNode::otherEnd(const GroupEdge* e) const {
  if (e == nullptr) return nullptr;
  if (e->node1 == this) return e->node2;
  if (e->node2 == this) return e->node1;
  return nullptr;
}

GroupNode* GroupNode::getFirstAdjGroupNode(std::vector<GroupEdge*>::iterator& it) {
  return otherEnd(firstOf(edges, it));
}

GroupNode* GroupNode::getNextAdjGroupNode(std::vector<GroupEdge*>::iterator& it) {
  return otherEnd(nextOf(edges, it));
}

bool GroupNode::hasGroupEdge(const GroupNode* a, const GroupNode* b) const {
  return std::any_of(edges.begin(), edges.end(),
                     [a, b](const GroupEdge* e) { return joins(e, a, b); });
}

bool GroupNode::hasGroupEdge(const GroupEdge* e) const {
  return e != nullptr && hasGroupEdge(e->node1, e->node2);
}

bool GroupNode::addCedges(GroupEdge* e) {
  if (e == nullptr || hasGroupEdge(e)) return false;
  edges.push_back(e);
  return true;
}

void GroupNode::transformGroupNode(SSEMatrix4x4f* m) {
  if (m == nullptr) return;
  for (Atom* a : atoms)
    if (a != nullptr && a->sphere != nullptr) a->sphere->transformCenterAndFoci(m);
  for (Bond* b : bonds)
    if (b != nullptr && b->spheroid != nullptr) b->spheroid->transformCenterAndFoci(m);
}

void GroupNode::setVariation(const std::string& text) {
  variation = text;
  for (Atom* a : atoms)
    if (a != nullptr) a->variation = text;
  for (Bond* b : bonds)
    if (b != nullptr) b->variation = text;
}

void GroupEdge::transformEdge(SSEMatrix4x4f* m) {
  if (m != nullptr && bond != nullptr && bond->spheroid != nullptr)
    bond->spheroid->transformCenterAndFoci(m);
}

int GroupGraph::addGroupNode(GroupNode* node) {
  if (node == nullptr) return 0;
  node->id = nodeCount;
  node->owner = this;
  nodes.push_back(node);
  ++nodeCount;
  return 1;
}

int GroupGraph::addGroupEdge(GroupEdge* edge) {
  if (edge == nullptr || edge->node1 == nullptr || edge->node2 == nullptr ||
      edge->node1 == edge->node2 || edge->node1->owner != this || edge->node2->owner != this)
    return 0;
  if (edge->node1->hasGroupEdge(edge) || edge->node2->hasGroupEdge(edge)) return -1;
  edge->node1->addCedges(edge);
  edge->node2->addCedges(edge);
  edge->owner = this;
  edge->id = edgeCount;
  edges.push_back(edge);
  ++edgeCount;
  return 1;
}

int GroupGraph::addGroupEdge(GroupNode* first, GroupNode* second, int order) {
  if (first == nullptr || second == nullptr || first == second || first->owner != this ||
      second->owner != this)
    return 0;
  GroupEdge* edge = Builder::instance()->createGroupEdge();
  edge->node1 = first;
  edge->node2 = second;
  edge->order = order;
  const int result = addGroupEdge(edge);
  if (result != 1) delete edge;
  return result;
}

int GroupGraph::addGroupedge(int id1, int id2) {
  GroupNode* first = getGroupNode(id1);
  GroupNode* second = getGroupNode(id2);
  if (first == nullptr || second == nullptr || first == second) return 0;
  return addGroupEdge(first, second, 1);
}

GroupNode* GroupGraph::getGroupNode(int nodeId) const {
  if (nodeId < 0 || nodeId >= nodeCount || static_cast<size_t>(nodeId) >= nodes.size())
    return nullptr;
  return nodes[static_cast<size_t>(nodeId)];
}

GroupNode* GroupGraph::getGroupNode(const std::string& instanceName) const {
  for (GroupNode* n : nodes)
    if (n->instanceName == instanceName) return n;
  return nullptr;
}

GroupEdge* GroupGraph::getGroupEdge(const GroupNode* a, const GroupNode* b) const {
  for (GroupEdge* e : edges)
    if (joins(e, a, b)) return e;
  return nullptr;
}

GroupNode* GroupGraph::getFirstGroupNode(std::vector<GroupNode*>::iterator& it) {
  return firstOf(nodes, it);
}

GroupNode* GroupGraph::getNextGroupNode(std::vector<GroupNode*>::iterator& it) {
  return nextOf(nodes, it);
}

GroupEdge* GroupGraph::getFirstGroupEdge(std::vector<GroupEdge*>::iterator& it) {
  return firstOf(edges, it);
}

GroupEdge* GroupGraph::getNextGroupEdge(std::vector<GroupEdge*>::iterator& it) {
  return nextOf(edges, it);
}

void GroupGraph::partGraph(GroupNode* exclude, GroupNode* start, std::vector<GroupNode*>* nodesOut,
                           std::vector<GroupEdge*>* edgesOut) {
  if (start == nullptr || nodesOut == nullptr || edgesOut == nullptr) return;
  // Marked when queued: on a graph with a cycle a node reached along two paths is listed once.
  std::set<const GroupNode*> marked{start};
  std::deque<GroupNode*> queue{start};
  while (!queue.empty()) {
    GroupNode* n = queue.front();
    queue.pop_front();
    nodesOut->push_back(n);
    for (GroupEdge* e : n->edges) {
      GroupNode* m = e->node1 == n ? e->node2 : e->node1;
      if (m == nullptr || m == exclude || !marked.insert(m).second) continue;
      queue.push_back(m);
      edgesOut->push_back(e);
    }
  }
}

void GroupGraph::transformGroupGraph(SSEMatrix4x4f* m) {
  for (GroupNode* n : nodes) n->transformGroupNode(m);
  for (GroupEdge* e : edges) e->transformEdge(m);
}

void GroupGraph::rotateGroupsAboutEdge(GroupEdge* edge, float degrees) {
  Atom *pivot = nullptr, *far = nullptr;
  if (edge == nullptr || edge->bond == nullptr || !pivotAndFar(edge, pivot, far)) return;
  if (pivot->sphere == nullptr || far->sphere == nullptr) return;
  SSEMatrix4x4f frame = assembly::bondFrame(pivot->sphere->centre, far->sphere->centre);
  transformGroupGraph(&frame);
  std::vector<GroupNode*> part;
  std::vector<GroupEdge*> partEdges;
  partGraph(edge->node1, edge->node2, &part, &partEdges);
  SSEMatrix4x4f turn = assembly::turnAboutX(degrees * kPi / 180.0f);
  for (GroupNode* n : part) n->transformGroupNode(&turn);
  for (GroupEdge* e : partEdges) e->transformEdge(&turn);
}

void GroupGraph::rotateGroupsAboutEdge(GroupEdge* edge, float degrees, SSEVector4f* positions,
                                       int count) {
  Atom *pivot = nullptr, *far = nullptr;
  if (edge == nullptr || edge->bond == nullptr || positions == nullptr ||
      !pivotAndFar(edge, pivot, far))
    return;
  auto inRange = [count](const Atom* a) { return a != nullptr && a->id >= 0 && a->id < count; };
  if (!inRange(pivot) || !inRange(far)) return;
  const SSEMatrix4x4f frame = assembly::bondFrame(positions[pivot->id], positions[far->id]);
  for (int i = 0; i < count; ++i) positions[i] *= frame;
  std::vector<GroupNode*> part;
  std::vector<GroupEdge*> partEdges;
  partGraph(edge->node1, edge->node2, &part, &partEdges);
  const SSEMatrix4x4f turn = assembly::turnAboutX(degrees * kPi / 180.0f);
  std::set<int> turned;   // an atom listed by two nodes turns once
  for (const GroupNode* n : part)
    for (const Atom* a : n->atoms)
      if (inRange(a) && turned.insert(a->id).second) positions[a->id] *= turn;
}

int GroupGraph::convertToGroupGraph(Molecule* m) {
  if (m == nullptr) return 0;
  if (m->groups.empty()) {
    printError("Error: GroupGraph::convertToGroupGraph No groups (First use findGroups)");
    return 0;
  }
  std::map<std::string, std::vector<Atom*> > atomsOf;
  for (Atom* a : m->atoms)
    if (!a->groupInstance.empty()) atomsOf[a->groupInstance].push_back(a);
  std::map<std::string, std::vector<Bond*> > bondsOf;
  std::vector<Bond*> connecting;
  for (Bond* b : m->bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    if (b->atom1->groupInstance != b->atom2->groupInstance)
      connecting.push_back(b);
    else if (!b->groupInstance.empty())
      bondsOf[b->groupInstance].push_back(b);
  }

  const int firstNew = nodeCount;
  const int firstNewEdge = edgeCount;
  for (const auto& entry : atomsOf) {
    GroupNode* node = Builder::instance()->createGroupNode();
    node->instanceName = entry.first;
    node->groupName = entry.first.substr(0, entry.first.find('_'));
    node->atoms = entry.second;
    addGroupNode(node);
  }
  for (const auto& entry : bondsOf)
    if (GroupNode* node = getGroupNode(entry.first)) node->bonds = entry.second;

  for (Bond* b : connecting) {
    GroupEdge* edge = Builder::instance()->createGroupEdge();
    edge->node1 = getGroupNode(b->atom1->groupInstance);
    edge->node2 = getGroupNode(b->atom2->groupInstance);
    edge->bond = b;
    edge->order = b->order;
    const int added = addGroupEdge(edge);
    if (added == 1) continue;
    delete edge;
    if (added == -1) continue;   // the two groups are joined already
    // A connecting bond with an end outside every group: take back what this call made.
    const std::set<const GroupEdge*> made(edges.begin() + firstNewEdge, edges.end());
    for (size_t i = 0; i < static_cast<size_t>(firstNew); ++i) {
      std::vector<GroupEdge*>& incident = nodes[i]->edges;
      incident.erase(std::remove_if(incident.begin(), incident.end(),
                                    [&made](const GroupEdge* e) { return made.count(e) > 0; }),
                     incident.end());
    }
    for (size_t i = static_cast<size_t>(firstNewEdge); i < edges.size(); ++i) delete edges[i];
    for (size_t i = static_cast<size_t>(firstNew); i < nodes.size(); ++i) delete nodes[i];
    edges.resize(static_cast<size_t>(firstNewEdge));
    nodes.resize(static_cast<size_t>(firstNew));
    edgeCount = firstNewEdge;
    nodeCount = firstNew;
    return 0;
  }
  molecule = m;
  return 1;
}
