#pragma once

// The group-graph records: a molecule described as functional-group instances and the bonds
// between them. They live with the model because the factory makes them; their operations
// belong to the group-graph assembly, which sits above the model and defines them there.

#include <string>
#include <vector>

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
  bool visited = false;
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
  std::string label1;
  std::string atom1;
  std::string label2;
  std::string atom2;
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
};
