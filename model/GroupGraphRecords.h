#pragma once

// The group-graph records: a molecule described as functional-group instances and the bonds
// between them. They live with the model because the factory makes them; their operations
// belong to the group-graph assembly, which sits above the model: they are declared here and
// defined in assembly/GroupGraph.cpp and assembly/GroupGraphAssembly.cpp (kv_assembly).

#include <string>
#include <vector>

#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class Atom;
class Bond;
class GroupEdge;
class GroupGraph;
class Molecule;
class Ring;

// One functional-group instance of a group graph.
class GroupNode {
 public:
  int id = -1;                    // position in the graph once added
  std::string instanceName;       // group name, "_" and a running number
  std::string groupName;          // library group to clone
  std::string label;              // list-file label; stamped as group index on the clone
  std::string variation;
  bool special = false;           // read from an "SFUN" line
  GroupGraph* owner = nullptr;
  std::vector<Atom*> atoms;       // not owned
  std::vector<Bond*> bonds;       // not owned
  std::vector<GroupEdge*> edges;  // incident edges, not owned
  bool visited = false;           // placed by the running assembly

  // Iteration with a caller-held iterator; null at the end. The adjacent-node pair returns,
  // for each incident edge, the end that is not this node.
  GroupEdge* getFirstGroupEdge(std::vector<GroupEdge*>::iterator& it);
  GroupEdge* getNextGroupEdge(std::vector<GroupEdge*>::iterator& it);
  GroupNode* getFirstAdjGroupNode(std::vector<GroupEdge*>::iterator& it);
  GroupNode* getNextAdjGroupNode(std::vector<GroupEdge*>::iterator& it);
  // Whether an incident edge joins a and b, in either direction.
  bool hasGroupEdge(const GroupNode* a, const GroupNode* b) const;
  bool hasGroupEdge(const GroupEdge* e) const;
  // Appends the edge to the incident list; false when the node already holds one between the
  // same two nodes.
  bool addCedges(GroupEdge* e);
  // Moves the sphere of every listed atom and the spheroid of every listed bond.
  void transformGroupNode(SSEMatrix4x4f* m);
  // Stores the variation and copies it onto every listed atom and bond.
  void setVariation(const std::string& text);

 private:
  GroupNode* otherEnd(const GroupEdge* e) const;
};

// One bond between two group instances, made at named dummy atoms of the two groups.
class GroupEdge {
 public:
  int id = -1;                    // position in the graph once added
  int order = 0;                  // 1, 2 or 3; set by the reader that fills the edge
  GroupNode* node1 = nullptr;
  GroupNode* node2 = nullptr;
  Bond* bond = nullptr;           // not owned
  GroupGraph* owner = nullptr;
  bool joined = false;            // set once assembly has made this bond
  std::string label1;             // node label and dummy-atom name of each end
  std::string atom1;
  std::string label2;
  std::string atom2;

  // Moves the spheroid of the edge's bond.
  void transformEdge(SSEMatrix4x4f* m);
};

// A molecule as group instances and the bonds between them. Owns its nodes, edges and rings.
class GroupGraph {
 public:
  int id = -1;
  Molecule* molecule = nullptr;   // the molecule the graph was derived from, not owned
  std::vector<GroupNode*> nodes;
  std::vector<GroupEdge*> edges;
  std::vector<Ring*> rings;
  int nodeCount = 0;
  int edgeCount = 0;
  int ringCount = 0;
  std::string name;

  GroupGraph() = default;
  ~GroupGraph();
  GroupGraph(const GroupGraph&) = delete;
  GroupGraph& operator=(const GroupGraph&) = delete;

  // Gives the node the next id and this graph as owner and appends it; 1 (0 for null).
  int addGroupNode(GroupNode* node);
  // 1 added; 0 (nothing changed) for a null or identical end or an end of another graph; -1
  // (nothing changed) when the two nodes are already joined.
  int addGroupEdge(GroupEdge* edge);
  // As above with a new edge of the given order; a refused edge is destroyed.
  int addGroupEdge(GroupNode* first, GroupNode* second, int order);
  // By node ids, an edge of order 1; 0 when either node is missing.
  int addGroupedge(int id1, int id2);
  GroupNode* getGroupNode(int nodeId) const;
  GroupNode* getGroupNode(const std::string& instanceName) const;
  // The first edge joining a and b in either direction, or null.
  GroupEdge* getGroupEdge(const GroupNode* a, const GroupNode* b) const;
  GroupNode* getFirstGroupNode(std::vector<GroupNode*>::iterator& it);
  GroupNode* getNextGroupNode(std::vector<GroupNode*>::iterator& it);
  GroupEdge* getFirstGroupEdge(std::vector<GroupEdge*>::iterator& it);
  GroupEdge* getNextGroupEdge(std::vector<GroupEdge*>::iterator& it);

  // The nodes reachable from start without passing exclude, breadth-first, and the edges by
  // which they were first reached (so the edge between start and exclude is never listed).
  void partGraph(GroupNode* exclude, GroupNode* start, std::vector<GroupNode*>* nodesOut,
                 std::vector<GroupEdge*>* edgesOut);
  void transformGroupGraph(SSEMatrix4x4f* m);
  // Moves the graph into the frame of the edge's bond (first node's atom at the origin, the bond
  // along +x) and turns the part on the second node's side about x; nothing without a bond.
  void rotateGroupsAboutEdge(GroupEdge* edge, float degrees);
  // The same on a position array (count entries, indexed by atom id) instead of the spheres.
  void rotateGroupsAboutEdge(GroupEdge* edge, float degrees, SSEVector4f* positions, int count);
  // The first bond of the first "DUM" atom of m that is either end of the edge, or null.
  Bond* findBondAxisToConnectTo(const GroupEdge* edge, Molecule* m) const;
  // Fills this empty graph from the group instance names of m's atoms; 1, or 0 (graph left
  // empty) when m has no group names or a connecting bond finds no node.
  int convertToGroupGraph(Molecule* m);
  // Clones each node's library group and joins the clones breadth-first from node 0; a new
  // molecule the caller owns, or null.
  Molecule* createMoleculeFromGroupGraph();
};
