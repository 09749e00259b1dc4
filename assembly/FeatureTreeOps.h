#pragma once

// Searches on one feature tree: biconnected components and the unique smallest cycles of each;
// edits, splits, queries by atom and text dumps of the tree.

#include <deque>
#include <functional>
#include <iosfwd>
#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "assembly/FeatureTree.h"

class FtCut;
class GroupGraph;
class Molecule;

// Ends the process (abort) with "Assertion failed: <condition> in <source>" on the error channel
// when a feature-tree invariant is broken; built in every configuration.
void requireFeatureTree(bool holds, const char* condition, const char* source);

class FeatureTreeOps {
 public:
  // The tree is not owned; every node's owner is set to it.
  explicit FeatureTreeOps(FeatureTree* tree);

  // The unique smallest cycles of every biconnected component of the molecule, each as the
  // ids of its bonds in walk order (consecutive bonds share an atom, the last closes back to
  // the first). Atom ids must be list positions. An acyclic molecule gives an empty list.
  static std::list<std::vector<int> > getUniqueCycles(Molecule* molecule);
  // One node per atom (id = atom id), one edge per bond (id = bond id), in list order.
  static FeatureTree makeMolecularGraph(Molecule* molecule);
  // The same over a stand-in molecule with one atom per group node (named by the node's id)
  // and one bond per group edge of the edge's order; the tree keeps that molecule alive.
  static FeatureTree makeMolecularGraph(GroupGraph* graph);

  // The feature tree of the molecule: an empty tree, createFeatureTree, then fixIds.
  static FeatureTree makeFeatureTree(Molecule* molecule);

  // Feature-tree construction (FeatureTreeConstruction.cpp). Condenses the molecule into this
  // (empty) tree: a node per ring system and per branching chain atom, terminal atoms folded
  // into their neighbours' nodes, empty hub nodes where an atom is shared by several nodes, and
  // edges wherever two nodes touch. Each stage writes a GraphViz file under "dot/" when that
  // folder exists and traces its decisions on standard output.
  void createFeatureTree(Molecule* molecule);
  // Replaces the tree (after findUniqueCycles) by its cycle graph: a node per unique cycle,
  // joined where cycles share atoms; a cyclic arrangement collapses per biconnected component,
  // anything else that is not a tree into one node.
  void makeCycleGraph();
  // Joins every pair of nodes that share an atom and are not joined yet.
  void addCommonAtomEdges();
  // The node standing for a set of nodes: null for none, the node itself for one, otherwise a
  // hub node (made once per set and kept in `sites`) joined to each member, whose edges among
  // themselves are removed.
  FtNode* getBindingSite(std::set<FtNode*> members,
                         std::map<std::set<FtNode*>, FtNode*>& sites);

  // The comparison's view of this tree (FeatureTreeCuts.cpp). atomCounts: per atom, the
  // number of nodes holding it.
  void computeNodeCounts();
  // Breadth-first over uncut edges from start; every node reached is appended to segment and
  // gets nodeSideValue, every cut edge met gets edgeSideValue. The edges walked. Node and edge
  // ids must be positions.
  std::vector<FtEdge*> bfsWithCuts(FtNode* start, std::vector<FtNode*>& segment,
                                   int edgeSideValue, int nodeSideValue);
  // Sides of the tree cut at the cut's edge: 0 for vs's side, 1 for vt's, -1 elsewhere.
  void segmentTree(const FtCut& cut);

  void init();
  void initSearchArrays();
  // Fills components: the edges of each biconnected component; a bridge is one of one edge.
  void computeBiConnected();
  // Fills uniqueCycles: per node its shortest simple cycles through it, each kept once.
  void findUniqueCycles();
  // Closed walks through root found by a breadth-first search, one per non-tree edge.
  std::list<std::deque<FtEdge*> > findCycles(FtNode* root);
  void updateNodeEdgeLists();
  FtEdge* findEdge(int id) const;
  FtEdge* findEdge(const FtNode* a, const FtNode* b) const;

  // Queries by atom: the nodes whose atoms hold it, the first of them, whether there is one.
  std::set<FtNode*> findAtomSet(const Atom* atom) const;
  FtNode* findAtom(const Atom* atom) const;
  bool containsAtom(const Atom* atom) const;
  // True when one node holds both atoms, or an edge joins a node holding one to a node holding
  // the other.
  bool edgeIsAccountedFor(const Atom* a, const Atom* b) const;
  // n x n bytes (n the node count), 1 at [id1 * n + id2] and [id2 * n + id1] for every edge whose
  // end ids lie in [0, n); the caller frees it with delete[]. Null for an empty tree.
  unsigned char* makeAdjacencyMatrix() const;

  // Takes the edge out of the lists (the object is not deleted), renumbers the edge ids and
  // rebuilds the node lists; dumps before and after on standard output. True when it was there.
  bool removeEdge(FtEdge* edge);
  // Removes and deletes the edge, then hands the nodes and edges on the second end's side to
  // the second tree and the rest reached from the first end to the first; this tree is left
  // empty. Two empty trees when an end is null or the edge is not in this tree.
  std::pair<FeatureTree, FeatureTree> splitDestructive(FtEdge* edge);
  // The same on a copy of the tree, at the edge in the same list position; this tree is kept.
  std::pair<FeatureTree, FeatureTree> split(FtEdge* edge);

  void dump(std::ostream& out) const;
  void dumpGraphViz(std::ostream& out) const;
  // Writes the GraphViz text to the path; a file that cannot be opened is silently skipped.
  void dumpGraphVizFile(const std::string& path) const;
  // Kept for callers of the older interface; writes nothing.
  void dumpUniqueCycles(int level) const;

  FeatureTree* ft;
  std::vector<FtNode*>& nodes;
  std::vector<FtEdge*>& edges;

  int size = 0;
  std::vector<bool> visited;
  std::vector<int> order;
  std::vector<int> parent;
  std::vector<int> low;
  std::vector<FtEdge*> parentEdge;
  std::vector<int> color;   // 0 white, 1 grey, 2 black
  std::vector<int> branch;  // per node: the root's neighbour its search path leaves by
  int counter = 0;

  std::deque<FtEdge*> edgeStack;
  std::vector<std::vector<FtEdge*> > components;
  std::list<std::deque<FtEdge*> > uniqueCycles;

  // Working state of the tree comparison: -1 (uncut) per edge, a side per edge and per node.
  std::vector<int> cuts;
  std::vector<int> edgeSide;
  std::vector<int> nodeSide;
  std::map<Atom*, int> atomCounts;

 private:
  void searchComponentsFrom(FtNode* start);
  // Breadth-first search from root filling order (distance), parent, parentEdge and branch;
  // calls onClosure(u, e, w) for every edge e from u that meets a node w already queued.
  void searchFrom(FtNode* root, const std::function<void(FtNode*, FtEdge*, FtNode*)>& onClosure);
  // The parent edges from the root down to u, then e, then those from w up to the root.
  std::deque<FtEdge*> closedWalk(FtNode* u, FtEdge* e, FtNode* w) const;
  // Moves start and every node and edge reached from it that is not yet taken into part.
  void takeSide(FtNode* start, FeatureTree& part, std::set<const void*>& taken);
  bool validNode(const FtNode* n) const { return n != nullptr && n->id >= 0 && n->id < size; }
};
