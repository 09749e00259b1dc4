// Removing an edge from a feature tree and splitting a tree in two at an edge.

#include <algorithm>
#include <deque>
#include <iostream>

#include "assembly/FeatureTreeOps.h"
#include "math/UtilityEngine.h"

bool FeatureTreeOps::removeEdge(FtEdge* edge) {
  if (edge == nullptr) return false;
  auto describe = [edge](const char* what) {
    std::cout << what << edge << ": (" << edge->n1 << " -- " << edge->n2
              << ") from edges vector\n";
  };
  describe("  Dump PRE-Removed edge: ");
  dump(std::cout);
  const size_t before = edges.size();
  edges.erase(std::remove(edges.begin(), edges.end(), edge), edges.end());
  for (FtNode* n : nodes) n->edges.erase(std::remove(n->edges.begin(), n->edges.end(), edge),
                                         n->edges.end());
  for (size_t i = 0; i < edges.size(); ++i) edges[i]->id = static_cast<int>(i);
  updateNodeEdgeLists();
  const bool removed = edges.size() < before;
  if (removed) describe("  Removed edge: ");
  describe("  Dump POST-Removed edge: ");
  dump(std::cout);
  return removed;
}

void FeatureTreeOps::takeSide(FtNode* start, FeatureTree& part, std::set<const void*>& taken) {
  initSearchArrays();
  // Reached already from the other end: the removed edge lay on a cycle and this side is empty.
  if (!validNode(start) || !taken.insert(start).second) return;
  part.nodes.push_back(start);
  color[static_cast<size_t>(start->id)] = 1;
  std::deque<FtNode*> queue{start};
  while (!queue.empty()) {
    FtNode* u = queue.front();
    for (FtEdge* e : u->edges) {
      FtNode* w = u->getAdjacentNode_(e);
      if (!validNode(w)) continue;
      int& c = color[static_cast<size_t>(w->id)];
      if (c == 0 && taken.insert(w).second) {
        c = 1;
        taken.insert(e);
        part.nodes.push_back(w);
        part.edges.push_back(e);
        queue.push_back(w);
      } else if (c == 1) {
        // Not a tree: the edge closing the cycle stays with its two ends on this side.
        printError("Oh noes! FeatureTreeOps::split() error: Cycle found!!!");
        if (taken.insert(e).second) part.edges.push_back(e);
      }
    }
    queue.pop_front();
    color[static_cast<size_t>(u->id)] = 2;
  }
}

std::pair<FeatureTree, FeatureTree> FeatureTreeOps::splitDestructive(FtEdge* edge) {
  std::pair<FeatureTree, FeatureTree> result;
  if (edge == nullptr || edge->n1 == nullptr || edge->n2 == nullptr || !removeEdge(edge))
    return result;
  FtNode* first = edge->n1;
  FtNode* second = edge->n2;
  delete edge;

  // The two sides take this tree's objects; what neither reaches (other fragments) stays in
  // `rest`. All three free their objects once the copies are made.
  FeatureTree sideA, sideB, rest;
  std::set<const void*> taken;
  takeSide(second, sideB, taken);
  takeSide(first, sideA, taken);
  for (FtNode* n : nodes)
    if (taken.count(n) == 0) rest.nodes.push_back(n);
  for (FtEdge* e : edges)
    if (taken.count(e) == 0) rest.edges.push_back(e);
  nodes.clear();
  edges.clear();
  sideA.heldMolecules = ft->heldMolecules;
  sideB.heldMolecules = ft->heldMolecules;
  result.first = sideA;
  result.second = sideB;
  return result;
}

std::pair<FeatureTree, FeatureTree> FeatureTreeOps::split(FtEdge* edge) {
  const auto it = std::find(edges.begin(), edges.end(), edge);
  if (it == edges.end()) return std::pair<FeatureTree, FeatureTree>();
  // Copies get their positions as ids, so the edge is found by position, not by its old id.
  FeatureTree copy(*ft);
  FeatureTreeOps copyOps(&copy);
  return copyOps.splitDestructive(copy.edges[static_cast<size_t>(it - edges.begin())]);
}
