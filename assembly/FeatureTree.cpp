#include "assembly/FeatureTree.h"

#include <algorithm>
#include <map>

FtNode* FtNode::getAdjacentNode_(const FtEdge* e) const {
  if (e == nullptr) return nullptr;
  if (e->n1 == this) return e->n2;
  if (e->n2 == this) return e->n1;
  return nullptr;
}

bool FtNode::containsAtom(const Atom* a) const {
  return std::find(atoms.begin(), atoms.end(), a) != atoms.end();
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
    : nodes(std::move(other.nodes)), edges(std::move(other.edges)) {
  other.nodes.clear();
  other.edges.clear();
  for (FtNode* n : nodes) n->ft = this;
}

FeatureTree& FeatureTree::operator=(FeatureTree&& other) noexcept {
  if (this == &other) return *this;
  clearEdges();
  clearNodes();
  nodes.swap(other.nodes);
  edges.swap(other.edges);
  for (FtNode* n : nodes) n->ft = this;
  return *this;
}

void FeatureTree::clearNodes() {
  for (FtNode* n : nodes) delete n;
  nodes.clear();
}

void FeatureTree::clearEdges() {
  for (FtEdge* e : edges) delete e;
  edges.clear();
}
