#pragma once

// A plain undirected graph over a molecule's atoms and bonds: the layer under the unique-cycle
// search, feature-tree condensation and comparison.

#include <iosfwd>
#include <list>
#include <memory>
#include <vector>

class Atom;
class FeatureTree;
class FtNode;
class Molecule;

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
  // Copies every field, then points the ends of the copied edges that were `other` at the copy,
  // with a trace line on standard output for each.
  FtNode(const FtNode& other);
  FtNode& operator=(const FtNode&) = delete;

  // A new node with the same id, owner, atoms, neighbours and edges; nothing is re-pointed.
  FtNode* clone() const;

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
  // Molecules made only for this graph, whose atoms the nodes point at; shared with copies.
  std::vector<std::shared_ptr<Molecule> > heldMolecules;

  FeatureTree() = default;
  // A new graph over edges of another tree: one node per distinct end, in ascending id order,
  // keeping ids and atoms; one edge per given edge, in the given order, keeping its id.
  explicit FeatureTree(const std::vector<FtEdge*>& sourceEdges);
  // The feature tree of the molecule (FeatureTreeOps::makeFeatureTree), appended into this
  // empty tree.
  explicit FeatureTree(Molecule* molecule);
  ~FeatureTree();
  FeatureTree(FeatureTree&& other) noexcept;
  FeatureTree& operator=(FeatureTree&& other) noexcept;
  // A copy owns new nodes and edges: an empty tree, then append.
  FeatureTree(const FeatureTree& other);
  FeatureTree& operator=(const FeatureTree& other);

  // Adds copies of other's nodes and edges; their ids continue after this tree's counts, and
  // their neighbours, edges and ends are re-pointed to the copies (references that lead out of
  // other are dropped).
  void append(const FeatureTree& other);
  // Every node's and edge's id becomes its position.
  void fixIds();
  void clearNodes();
  void clearEdges();
};

// Nodes, edges and atoms print as their id plus 1; a null pointer prints "Nil".
std::ostream& operator<<(std::ostream& out, const FtNode& node);
std::ostream& operator<<(std::ostream& out, const FtNode* node);
std::ostream& operator<<(std::ostream& out, const FtEdge& edge);
std::ostream& operator<<(std::ostream& out, const FtEdge* edge);
std::ostream& operator<<(std::ostream& out, const Atom* atom);
