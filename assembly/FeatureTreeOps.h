#pragma once

// Searches on one feature tree: biconnected components and the unique smallest cycles of each.

#include <deque>
#include <list>
#include <vector>

#include "assembly/FeatureTree.h"

class Molecule;

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
  int counter = 0;

  std::deque<FtEdge*> edgeStack;
  std::vector<std::vector<FtEdge*> > components;
  std::list<std::deque<FtEdge*> > uniqueCycles;

 private:
  void searchComponentsFrom(FtNode* start);
  bool validNode(const FtNode* n) const { return n != nullptr && n->id >= 0 && n->id < size; }
};
