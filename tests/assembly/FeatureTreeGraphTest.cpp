// Feature-tree graphs: copies, splits, queries by atom and the text dumps.

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "assembly/FeatureTreeOps.h"
#include "model/Atom.h"
#include "model/Builder.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;

namespace {

// Every node and edge is the tree's own: ends, incident edges and neighbours all lie in it.
void expectSelfContained(const FeatureTree& tree) {
  const std::set<const FtNode*> nodes(tree.nodes.begin(), tree.nodes.end());
  const std::set<const FtEdge*> edges(tree.edges.begin(), tree.edges.end());
  EXPECT_EQ(tree.nodes.size(), nodes.size());
  for (const FtEdge* e : tree.edges) {
    EXPECT_EQ(1u, nodes.count(e->n1));
    EXPECT_EQ(1u, nodes.count(e->n2));
  }
  for (const FtNode* n : tree.nodes) {
    EXPECT_EQ(&tree, n->ft);
    for (const FtEdge* e : n->edges) EXPECT_EQ(1u, edges.count(e));
    for (const FtNode* m : n->neighbors) EXPECT_EQ(1u, nodes.count(m));
  }
}

TEST(FeatureTreeGraphs, CopiesOwnTheirNodesAndEdges) {
  auto m = buildMolecule({"C", "C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {2, 3, 1}});
  FeatureTree source = FeatureTreeOps::makeMolecularGraph(m.get());
  FeatureTree copy(source);
  expectSelfContained(copy);   // so nothing points back into the source
  ASSERT_EQ(4u, copy.nodes.size());
  ASSERT_EQ(4u, copy.edges.size());
  for (size_t i = 0; i < copy.nodes.size(); ++i) {
    EXPECT_EQ(source.nodes[i]->atoms, copy.nodes[i]->atoms);
    EXPECT_EQ(source.nodes[i]->neighbors.size(), copy.nodes[i]->neighbors.size());
  }

  // Appending numbers the new nodes and edges after the ones already there.
  copy.append(source);
  expectSelfContained(copy);
  ASSERT_EQ(8u, copy.nodes.size());
  EXPECT_EQ(7, copy.nodes[7]->id);
  EXPECT_EQ(5, copy.edges[5]->id);
  EXPECT_EQ(copy.nodes[6], copy.edges[7]->n1);   // edge 2-3 of the second half

  // A tree over a group graph keeps its stand-in molecule while any copy lives.
  FeatureTree kept;
  {
    GroupGraph graph;
    for (int i = 0; i < 3; ++i) {
      graph.nodes.push_back(Builder::instance()->createGroupNode());
      graph.nodes.back()->id = graph.nodeCount++;
    }
    for (int i = 0; i < 2; ++i) {
      graph.edges.push_back(Builder::instance()->createGroupEdge());
      graph.edges.back()->node1 = graph.nodes[static_cast<size_t>(i)];
      graph.edges.back()->node2 = graph.nodes[static_cast<size_t>(i) + 1];
      graph.edges.back()->order = 1;
      ++graph.edgeCount;
    }
    FeatureTree fromGraph = FeatureTreeOps::makeMolecularGraph(&graph);
    kept = fromGraph;
  }
  ASSERT_EQ(3u, kept.nodes.size());
  EXPECT_EQ("2", kept.nodes[2]->atoms.at(0)->name);
  EXPECT_EQ(2u, kept.edges.size());
}

TEST(FeatureTreeGraphs, SplittingAChainAtItsMiddleBondGivesEachNodeOnce) {
  auto m = buildMolecule({"C", "C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
  FeatureTree tree = FeatureTreeOps::makeMolecularGraph(m.get());
  FeatureTreeOps ops(&tree);
  auto kept = ops.split(tree.edges[1]);
  EXPECT_EQ(3u, tree.edges.size());   // split works on a copy
  auto parts = ops.splitDestructive(tree.edges[1]);
  EXPECT_TRUE(tree.nodes.empty());
  EXPECT_TRUE(tree.edges.empty());
  for (const auto* pair : {&kept, &parts}) {
    const FeatureTree& a = pair->first;
    const FeatureTree& b = pair->second;
    expectSelfContained(a);
    expectSelfContained(b);
    ASSERT_EQ(2u, a.nodes.size());
    ASSERT_EQ(2u, b.nodes.size());
    EXPECT_EQ(1u, a.edges.size());
    EXPECT_EQ(1u, b.edges.size());
    std::set<const Atom*> atoms;
    for (const FeatureTree* t : {&a, &b})
      for (const FtNode* n : t->nodes) atoms.insert(n->atoms.begin(), n->atoms.end());
    EXPECT_EQ(4u, atoms.size());
    EXPECT_EQ(m->atoms[1], a.nodes[0]->atoms.at(0));   // the first end's side
    EXPECT_EQ(m->atoms[2], b.nodes[0]->atoms.at(0));
  }
}

TEST(FeatureTreeGraphs, SplittingAGraphWithARingReportsTheCycleAndKeepsItsEdges) {
  kvtest::ErrorCapture errors;
  // A three-ring (atoms 0-2) with a tail atom 3 on atom 2; split at the tail bond.
  auto m = buildMolecule({"C", "C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {2, 3, 1}});
  FeatureTree tree = FeatureTreeOps::makeMolecularGraph(m.get());
  FeatureTreeOps ops(&tree);
  auto parts = ops.splitDestructive(tree.edges[3]);
  EXPECT_EQ(std::vector<std::string>{"Oh noes! FeatureTreeOps::split() error: Cycle found!!!"},
            errors.lines);
  expectSelfContained(parts.first);
  expectSelfContained(parts.second);
  EXPECT_EQ(3u, parts.first.nodes.size());
  EXPECT_EQ(3u, parts.first.edges.size());
  EXPECT_EQ(1u, parts.second.nodes.size());

  FtEdge stranger;
  EXPECT_FALSE(ops.removeEdge(&stranger));
  auto none = ops.splitDestructive(nullptr);
  EXPECT_TRUE(none.first.nodes.empty() && none.second.nodes.empty());
}

TEST(FeatureTreeGraphs, DumpsListEveryNodeEdgeAndAtom) {
  auto m = buildMolecule({"C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}});
  FeatureTree tree = FeatureTreeOps::makeMolecularGraph(m.get());
  tree.nodes[2]->atoms.push_back(m->atoms[0]);
  FeatureTreeOps ops(&tree);
  std::ostringstream address;
  address << static_cast<const void*>(&ops);
  std::ostringstream dump;
  ops.dump(dump);
  EXPECT_EQ("\n---- Dump of FeatureTree: " + address.str() +
                " ------------\n3 Nodes:\n------------\n"
                "Node 1: Edges [1]  Neighbors: <2> Atoms: {1}\n"
                "Node 2: Edges [1, 2]  Neighbors: <1, 3> Atoms: {2}\n"
                "Node 3: Edges [2]  Neighbors: <2> Atoms: {3, 1}\n"
                "2 Edges:\n------------\n"
                "Edge 1: 1 <--> 2\nEdge 2: 2 <--> 3\n",
            dump.str());

  // A file in a folder that does not exist is not written, and nothing fails.
  const std::filesystem::path missing = std::filesystem::temp_directory_path() /
                                        ("kv-no-folder-" + std::to_string(::getpid())) /
                                        "tree.dot";
  ops.dumpGraphVizFile(missing.string());
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

}  // namespace
