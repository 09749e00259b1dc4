#pragma once

// A plain undirected graph over a molecule's atoms and bonds: the layer under the unique-cycle
// search and, later, feature-tree condensation and comparison.

#include <list>
#include <vector>

class Atom;
class FeatureTree;
class FtNode;

// One edge; owned by the tree that lists it. Built from a molecule, id is the bond's id.
class FtEdge {
 public:
  int id = -1;
  FtNode* n1 = nullptr;   // null where the bond lacks an atom
  FtNode* n2 = nullptr;
};

// One node; owned by its tree. Built from a molecule, id is the atom's id.
class FtNode {
 public:
  int id = -1;
  FeatureTree* ft = nullptr;      // owner
  std::vector<Atom*> atoms;       // not owned
  std::list<FtNode*> neighbors;   // rebuilt from edges by updateNeighbors
  std::vector<FtEdge*> edges;     // incident edges, not owned

  FtNode() = default;
  explicit FtNode(FeatureTree* owner) : ft(owner) {}

  // The other end of e, or null when this node is neither end.
  FtNode* getAdjacentNode_(const FtEdge* e) const;
  bool containsAtom(const Atom* a) const;
  void updateNeighbors();
};

// Owns its nodes and edges.
class FeatureTree {
 public:
  std::vector<FtNode*> nodes;
  std::vector<FtEdge*> edges;

  FeatureTree() = default;
  // A new graph over edges of another tree: one node per distinct end, in ascending id order,
  // keeping ids and atoms; one edge per given edge, in the given order, keeping its id.
  explicit FeatureTree(const std::vector<FtEdge*>& sourceEdges);
  ~FeatureTree();
  FeatureTree(FeatureTree&& other) noexcept;
  FeatureTree& operator=(FeatureTree&& other) noexcept;
  FeatureTree(const FeatureTree&) = delete;
  FeatureTree& operator=(const FeatureTree&) = delete;

  void clearNodes();
  void clearEdges();
};
