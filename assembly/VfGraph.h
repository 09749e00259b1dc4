#pragma once

// The matching graph of one molecule for the functional-group search: one node per atom that is
// not a bond-axis dummy, labelled with element, type, name and bond count, and one pair of
// directed edges per bond between such atoms, labelled 4 for a ring bond and the bond order
// otherwise. Matches found by VfState stamp group names, types, names and bond orders into it,
// and createMolecule builds the grouped molecule from the stamped graph.

#include <string>
#include <vector>

#include "math/SSEVector4f.h"

class Molecule;

class VfGraph {
 public:
  static constexpr int RingBondLabel = 4;

  // Copies the labels of the molecule's atoms; the molecule is not kept.
  explicit VfGraph(Molecule* molecule);
  VfGraph(const VfGraph&) = delete;
  VfGraph& operator=(const VfGraph&) = delete;

  // Bonds are stored in both directions, so the in and out forms answer alike. A node or edge
  // index outside the graph ends the process with status 1.
  int getInCount(int node) const;
  int getOutCount(int node) const;
  int getInEdge(int node, int edge) const;
  int getInEdge(int node, int edge, int* label) const;
  int getOutEdge(int node, int edge) const;
  int getOutEdge(int node, int edge, int* label) const;
  // Whether `from` has an out edge to `to`; the label is written when asked for and found.
  bool hasEdge(int from, int to, int* label = nullptr) const;
  // The bond order stored on the edge from -> to, 0 without one; setting has no effect then.
  int getActualBondOrder(int from, int to) const;
  void setActualBondOrder(int from, int to, int order);

  // True when every node carries a group name (also for an empty graph).
  bool hasAllGroups() const;
  // A new molecule from the stamped graph, owned by the caller; null when an atom or a bond is
  // refused outright.
  Molecule* createMolecule() const;

  int nodeCount = 0;
  // Per node, nodeCount entries each.
  std::vector<std::string> element;
  std::vector<std::string> type;
  std::vector<std::string> atomName;
  std::vector<SSEVector4f> position;
  std::vector<bool> hasGroup;            // named already, or claimed by a match
  std::vector<std::string> groupName;    // full group instance name
  std::vector<std::string> groupBase;    // the instance name up to its first "_"
  std::vector<int> bondCount;            // every bond, bond axes included
  // The graph is kept as a directed one with every bond in both directions, so a node's in
  // lists equal its out lists.
  std::vector<int> inCount;                   // the bonds that are not bond axes
  std::vector<std::vector<int> > inEdges;     // neighbour node per non-axis bond, bond order
  std::vector<std::vector<int> > inAttr;      // edge labels
  std::vector<int> outCount;
  std::vector<std::vector<int> > outEdges;
  std::vector<std::vector<int> > outAttr;
  std::vector<std::vector<int> > bondOrders;  // real orders per out edge, overwritten by matches

  std::vector<std::string> groups;   // the names of the matches stamped in, in match order
  std::string name;                  // the molecule's name
  std::string smiles;

 private:
  void checkNode(int node, const char* where) const;
  void checkEdge(const std::vector<std::vector<int> >& edges, int node, int edge) const;
  int edgePosition(int from, int to) const;
};
