#include "assembly/FeatureTree.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <unordered_map>

FtNode* FtNode::getAdjacentNode_(const FtEdge* e) const {
  if (e == nullptr) return nullptr;
  if (e->n1 == this) return e->n2;
  if (e->n2 == this) return e->n1;
  return nullptr;
}

bool FtNode::containsAtom(const Atom* a) const {
  return std::find(atoms.begin(), atoms.end(), a) != atoms.end();
}

FtNode::FtNode(const FtNode& other)
    : id(other.id), ft(other.ft), atoms(other.atoms), neighbors(other.neighbors),
      edges(other.edges) {
  for (FtEdge* e : edges) {
    if (e == nullptr) continue;
    if (e->n1 == &other) {
      std::cout << "Remaping node n1: " << static_cast<const void*>(&other) << " to "
                << static_cast<const void*>(this) << std::endl;
      e->n1 = this;
    }
    if (e->n2 == &other) {
      std::cout << "Remaping node n2: " << static_cast<const void*>(&other) << " to "
                << static_cast<const void*>(this) << std::endl;
      e->n2 = this;
    }
  }
}

FtNode* FtNode::clone() const {
  FtNode* copy = new FtNode(ft);
  copy->id = id;
  copy->atoms = atoms;
  copy->neighbors = neighbors;
  copy->edges = edges;
  return copy;
}

void FtNode::updateNeighbors() {
  neighbors.clear();
  for (const FtEdge* e : edges) {
    FtNode* other = getAdjacentNode_(e);
    if (other != nullptr) neighbors.push_back(other);
  }
}

FeatureTree::FeatureTree(const std::vector<FtEdge*>& sourceEdges) {
  // Ordered by id, not by address, so that the same molecule always lists its cycles alike.
  auto byId = [](const FtNode* a, const FtNode* b) {
    return a->id != b->id ? a->id < b->id : std::less<const FtNode*>()(a, b);
  };
  std::map<const FtNode*, FtNode*, decltype(byId)> copies(byId);
  for (const FtEdge* e : sourceEdges) {
    if (e == nullptr) continue;
    if (e->n1 != nullptr) copies.emplace(e->n1, nullptr);
    if (e->n2 != nullptr) copies.emplace(e->n2, nullptr);
  }
  for (auto& entry : copies) {
    FtNode* n = new FtNode(this);
    n->id = entry.first->id;
    n->atoms = entry.first->atoms;
    entry.second = n;
    nodes.push_back(n);
  }
  for (const FtEdge* source : sourceEdges) {
    if (source == nullptr) continue;
    FtEdge* e = new FtEdge();
    e->id = source->id;
    if (source->n1 != nullptr) e->n1 = copies[source->n1];
    if (source->n2 != nullptr) e->n2 = copies[source->n2];
    if (e->n1 != nullptr) e->n1->edges.push_back(e);
    if (e->n2 != nullptr && e->n2 != e->n1) e->n2->edges.push_back(e);
    edges.push_back(e);
  }
  for (FtNode* n : nodes) n->updateNeighbors();
}

FeatureTree::~FeatureTree() {
  clearEdges();
  clearNodes();
}

FeatureTree::FeatureTree(FeatureTree&& other) noexcept
    : nodes(std::move(other.nodes)), edges(std::move(other.edges)),
      heldMolecules(std::move(other.heldMolecules)) {
  other.nodes.clear();
  other.edges.clear();
  other.heldMolecules.clear();
  for (FtNode* n : nodes) n->ft = this;
}

FeatureTree& FeatureTree::operator=(FeatureTree&& other) noexcept {
  if (this == &other) return *this;
  clearEdges();
  clearNodes();
  nodes.swap(other.nodes);
  edges.swap(other.edges);
  heldMolecules.swap(other.heldMolecules);
  other.heldMolecules.clear();
  for (FtNode* n : nodes) n->ft = this;
  return *this;
}

FeatureTree::FeatureTree(const FeatureTree& other) { append(other); }

FeatureTree& FeatureTree::operator=(const FeatureTree& other) {
  if (this == &other) return *this;
  clearEdges();
  clearNodes();
  heldMolecules.clear();
  append(other);
  return *this;
}

void FeatureTree::append(const FeatureTree& other) {
  // Copies of the lists: other may be this tree.
  const std::vector<FtNode*> sourceNodes = other.nodes;
  const std::vector<FtEdge*> sourceEdges = other.edges;
  const size_t nodeBase = nodes.size();
  const size_t edgeBase = edges.size();
  std::unordered_map<const FtNode*, FtNode*> nodeCopies;
  std::unordered_map<const FtEdge*, FtEdge*> edgeCopies;
  for (size_t i = 0; i < sourceNodes.size(); ++i) {
    FtNode* copy = sourceNodes[i]->clone();
    copy->id = static_cast<int>(nodeBase + i);
    copy->ft = this;
    nodeCopies[sourceNodes[i]] = copy;
    nodes.push_back(copy);
  }
  for (size_t i = 0; i < sourceEdges.size(); ++i) {
    FtEdge* copy = new FtEdge(*sourceEdges[i]);
    copy->id = static_cast<int>(edgeBase + i);
    edgeCopies[sourceEdges[i]] = copy;
    edges.push_back(copy);
  }
  auto nodeOf = [&nodeCopies](const FtNode* n) -> FtNode* {
    auto it = nodeCopies.find(n);
    return it == nodeCopies.end() ? nullptr : it->second;
  };
  for (size_t i = nodeBase; i < nodes.size(); ++i) {
    FtNode* n = nodes[i];
    std::list<FtNode*> neighbors;
    for (const FtNode* m : n->neighbors)
      if (FtNode* copy = nodeOf(m)) neighbors.push_back(copy);
    n->neighbors.swap(neighbors);
    std::vector<FtEdge*> incident;
    for (const FtEdge* e : n->edges) {
      auto it = edgeCopies.find(e);
      if (it != edgeCopies.end()) incident.push_back(it->second);
    }
    n->edges.swap(incident);
  }
  for (size_t i = edgeBase; i < edges.size(); ++i) {
    edges[i]->n1 = nodeOf(edges[i]->n1);
    edges[i]->n2 = nodeOf(edges[i]->n2);
  }
  if (&other != this)
    heldMolecules.insert(heldMolecules.end(), other.heldMolecules.begin(),
                         other.heldMolecules.end());
}

void FeatureTree::fixIds() {
  for (size_t i = 0; i < nodes.size(); ++i) nodes[i]->id = static_cast<int>(i);
  for (size_t i = 0; i < edges.size(); ++i) edges[i]->id = static_cast<int>(i);
}

void FeatureTree::clearNodes() {
  for (FtNode* n : nodes) delete n;
  nodes.clear();
}

void FeatureTree::clearEdges() {
  for (FtEdge* e : edges) delete e;
  edges.clear();
}
