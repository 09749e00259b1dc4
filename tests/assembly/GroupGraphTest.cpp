// Group graphs: edges and lookups, the part beyond an edge, assembly of a molecule from the
// library groups, the graph derived back from a molecule, and turning groups about an edge.

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AssemblyFixture.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "support/MoleculeBuilder.h"

namespace {

GroupNode* addNode(GroupGraph& g, const std::string& label, const std::string& group, int n) {
  GroupNode* node = Builder::instance()->createGroupNode();
  node->label = label;
  node->groupName = group;
  node->instanceName = group + "_" + std::to_string(n);
  g.addGroupNode(node);
  return node;
}

int addEdge(GroupGraph& g, GroupNode* a, const std::string& atomA, GroupNode* b,
            const std::string& atomB) {
  GroupEdge* e = Builder::instance()->createGroupEdge();
  e->node1 = a;
  e->node2 = b;
  e->label1 = a->label;
  e->atom1 = atomA;
  e->label2 = b->label;
  e->atom2 = atomB;
  e->order = 1;
  const int added = g.addGroupEdge(e);
  if (added != 1) delete e;
  return added;
}

// Methyl (A) - methylene (B) - methyl (C): propane.
std::unique_ptr<GroupGraph> propaneGraph() {
  std::unique_ptr<GroupGraph> g(Builder::instance()->createGroupGraph());
  g->name = "Propane";
  GroupNode* a = addNode(*g, "A", "METHYL", 1);
  GroupNode* b = addNode(*g, "B", "METHYLENE", 2);
  GroupNode* c = addNode(*g, "C", "METHYL", 3);
  EXPECT_EQ(1, addEdge(*g, a, "DUM1", b, "DUM1"));
  EXPECT_EQ(1, addEdge(*g, b, "DUM2", c, "DUM1"));
  return g;
}

class GroupGraphs : public kvtest::AssemblyTest {};

TEST_F(GroupGraphs, RefusedEdgesLeaveTheNodesAndPartsListEachNodeOnce) {
  auto g = propaneGraph();
  GroupNode* a = g->getGroupNode(0);
  GroupNode* b = g->getGroupNode(1);
  GroupNode* c = g->getGroupNode(2);
  EXPECT_EQ(-1, addEdge(*g, b, "X", a, "Y"));
  EXPECT_EQ(0, addEdge(*g, a, "X", a, "Y"));
  GroupGraph other;
  EXPECT_EQ(0, g->addGroupEdge(a, addNode(other, "S", "METHYL", 1), 1));
  EXPECT_EQ(0, g->addGroupedge(0, 7));
  EXPECT_EQ(1u, a->edges.size());
  EXPECT_EQ(2u, b->edges.size());
  EXPECT_EQ(nullptr, g->getGroupEdge(a, c));

  std::vector<GroupNode*> part;
  std::vector<GroupEdge*> edges;
  g->partGraph(a, b, &part, &edges);
  EXPECT_EQ((std::vector<GroupNode*>{b, c}), part);
  EXPECT_EQ((std::vector<GroupEdge*>{g->getGroupEdge(b, c)}), edges);

  // Closed into a triangle by ids (order 1): from A every node once, by two edges.
  ASSERT_EQ(1, g->addGroupedge(2, 0));
  EXPECT_EQ(1, g->getGroupEdge(a, c)->order);
  part.clear();
  edges.clear();
  g->partGraph(nullptr, a, &part, &edges);
  EXPECT_EQ(3u, part.size());
  EXPECT_EQ(2u, edges.size());
}

TEST_F(GroupGraphs, AssemblyJoinsTheGroupsBreadthFirstAndAgainAlike) {
  ASSERT_EQ(3, loadSmallLibrary()) << errors.text();
  auto g = propaneGraph();
  std::unique_ptr<Molecule> propane(g->createMoleculeFromGroupGraph());
  ASSERT_TRUE(propane) << errors.text();
  EXPECT_EQ((std::vector<std::string>{"Propane"}), propane->names);
  EXPECT_EQ((std::vector<std::string>{"METHYL_1", "METHYLENE_2", "METHYL_3"}), propane->groups);
  int carbons = 0, hydrogens = 0;
  for (const Atom* a : propane->atoms) {
    EXPECT_NE("DUM", a->type);
    carbons += a->element == "C" ? 1 : 0;
    hydrogens += a->element == "H" ? 1 : 0;
  }
  EXPECT_EQ(3, carbons);
  EXPECT_EQ(8, hydrogens);
  for (const GroupEdge* e : g->edges) EXPECT_TRUE(e->joined);

  std::unique_ptr<Molecule> again(g->createMoleculeFromGroupGraph());
  ASSERT_TRUE(again);
  EXPECT_EQ(propane->atoms.size(), again->atoms.size());
  EXPECT_EQ(propane->groups, again->groups);

  // One node: a clone of the library group under the graph's name.
  GroupGraph single;
  single.name = "Lone";
  addNode(single, "A", "CARBONYL", 1);
  std::unique_ptr<Molecule> lone(single.createMoleculeFromGroupGraph());
  ASSERT_TRUE(lone);
  EXPECT_EQ((std::vector<std::string>{"Lone"}), lone->names);
  EXPECT_EQ((std::vector<std::string>{"CARBONYL_1"}), lone->groups);
  EXPECT_EQ(library->getFunctionalGroupByName("CARBONYL")->atoms.size(), lone->atoms.size());
}

TEST_F(GroupGraphs, AssemblyRefusesEmptyAmbiguousAndUnknownGraphs) {
  ASSERT_EQ(3, loadSmallLibrary());
  GroupGraph empty;
  EXPECT_EQ(nullptr, empty.createMoleculeFromGroupGraph());
  EXPECT_EQ(std::vector<std::string>{"Error: createMoleculeFromGroupGraph, No group node "},
            errors.lines);

  auto unknown = propaneGraph();
  unknown->getGroupNode(2)->groupName = "NO_SUCH_GROUP";
  EXPECT_EQ(nullptr, unknown->createMoleculeFromGroupGraph());

  auto twins = propaneGraph();
  twins->getGroupNode(2)->label = "A";
  errors.clear();
  EXPECT_EQ(nullptr, twins->createMoleculeFromGroupGraph());
  EXPECT_EQ(1u, errors.lines.size());
}

// A join whose molecule the set-up chain refuses ends the assembly with no molecule: here the
// methylene's second open end carries an orbital whose major axis is shorter than half its
// focal distance, from which no spheroid is built once the joined pair is optimised.
TEST_F(GroupGraphs, AssemblyStopsAtAJoinTheChainRefuses) {
  ASSERT_EQ(3, loadSmallLibrary());
  Molecule* methylene = library->getFunctionalGroupByName("METHYLENE");
  ASSERT_TRUE(methylene);
  Atom* dummy = nullptr;
  for (Atom* a : methylene->atoms)
    if (a->name == "DUM2") dummy = a;
  ASSERT_TRUE(dummy != nullptr && dummy->bonds.size() == 1);
  Bond* open = dummy->bonds.front();
  open->semiMajorAxis = 0.01;
  open->focalDistance = 1.0;
  auto g = propaneGraph();
  errors.clear();
  EXPECT_EQ(nullptr, g->createMoleculeFromGroupGraph());
  const std::vector<std::string> expected{
      "Error: major axis of bond is less than focal length",
      "Error: createMoleculeFromGroupGraph, \"Propane\" has no sound geometry after joining "
      "\"METHYLENE_2\""};
  EXPECT_EQ(expected, errors.lines);
  for (const GroupEdge* e : g->edges) EXPECT_FALSE(e->joined);
}

TEST_F(GroupGraphs, DerivedGraphFollowsTheGroupInstanceNames) {
  // Atoms 0-1 in G_1, atom 2 in H_2, atom 3 in no group.
  auto m = kvtest::buildMolecule({"C", "C", "O", "N"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
  GroupGraph none;
  EXPECT_EQ(0, none.convertToGroupGraph(m.get()));
  EXPECT_EQ(std::vector<std::string>{
                "Error: GroupGraph::convertToGroupGraph No groups (First use findGroups)"},
            errors.lines);

  m->groups = {"G_1", "H_2"};
  m->atoms[0]->groupInstance = m->atoms[1]->groupInstance = "G_1";
  m->atoms[2]->groupInstance = "H_2";
  m->bonds[0]->groupInstance = "G_1";
  GroupGraph mixed;
  EXPECT_EQ(0, mixed.convertToGroupGraph(m.get()));   // bond 2-3 leads to no group
  EXPECT_TRUE(mixed.nodeCount == 0 && mixed.nodes.empty() && mixed.edges.empty());

  m->atoms[3]->groupInstance = "H_2";
  GroupGraph g;
  ASSERT_EQ(1, g.convertToGroupGraph(m.get()));
  ASSERT_EQ(2, g.nodeCount);
  EXPECT_EQ("G", g.nodes[0]->groupName);
  EXPECT_EQ(2u, g.nodes[0]->atoms.size());
  EXPECT_EQ(std::vector<Bond*>{m->bonds[0]}, g.nodes[0]->bonds);
  ASSERT_EQ(1, g.edgeCount);
  EXPECT_EQ(m->bonds[1], g.edges[0]->bond);
}

TEST_F(GroupGraphs, TurningAboutAnEdgeMovesOnlyTheFarSide) {
  ASSERT_EQ(3, loadSmallLibrary());
  std::unique_ptr<Molecule> propane(propaneGraph()->createMoleculeFromGroupGraph());
  ASSERT_TRUE(propane);
  GroupGraph g;
  ASSERT_EQ(1, g.convertToGroupGraph(propane.get()));
  GroupEdge* edge = g.edges.front();
  std::vector<SSEVector4f> positions = propane->positions;

  // No turn: the first node's end of the bond at the origin, the other end on +x.
  g.rotateGroupsAboutEdge(edge, 0.0f);
  const bool firstIsPivot = edge->bond->atom1->groupInstance == edge->node1->instanceName;
  const SSEVector4f pivot = (firstIsPivot ? edge->bond->atom1 : edge->bond->atom2)->sphere->centre;
  const SSEVector4f far = (firstIsPivot ? edge->bond->atom2 : edge->bond->atom1)->sphere->centre;
  EXPECT_NEAR(0.0f, pivot.length(), 1e-3f);
  EXPECT_NEAR(far.x, far.length(), 2e-3f);
  EXPECT_GT(far.x, 1.0f);

  // Half a turn mirrors the far side through the x axis; the array form turns a copy alike.
  std::vector<SSEVector4f> before;
  for (const Atom* a : propane->atoms) before.push_back(a->sphere->centre);
  g.rotateGroupsAboutEdge(edge, 180.0f);
  g.rotateGroupsAboutEdge(edge, 180.0f, positions.data(), static_cast<int>(positions.size()));
  std::vector<GroupNode*> part;
  std::vector<GroupEdge*> partEdges;
  g.partGraph(edge->node1, edge->node2, &part, &partEdges);
  std::set<const Atom*> farSide;
  for (const GroupNode* n : part) farSide.insert(n->atoms.begin(), n->atoms.end());
  ASSERT_FALSE(farSide.empty());
  for (const Atom* a : propane->atoms) {
    const SSEVector4f& was = before[static_cast<size_t>(a->id)];
    const SSEVector4f expected = farSide.count(a) ? SSEVector4f(was.x, -was.y, -was.z) : was;
    EXPECT_NEAR(0.0f, (a->sphere->centre - expected).length(), 2e-3f) << a->name;
    EXPECT_NEAR(0.0f, (positions[static_cast<size_t>(a->id)] - expected).length(), 2e-3f);
  }
}

}  // namespace
