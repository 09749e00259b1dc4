#include <memory>

#include <gtest/gtest.h>

#include "model/Builder.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"
#include "model/Ring.h"

// The molecule counter is process-wide; each test starts it where it needs and puts it back.
class MoleculeIds : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Builder::MoleculeID;
    Builder::MoleculeID = 0;
  }
  void TearDown() override { Builder::MoleculeID = saved_; }

 private:
  int saved_ = 0;
};

TEST_F(MoleculeIds, FirstIsZeroAndDeletedIdsAreNeverReused) {
  std::unique_ptr<Molecule> first(Builder::instance()->createMolecule());
  EXPECT_EQ(0, first->id);
  first.reset();
  std::unique_ptr<Molecule> second(Builder::instance()->createMolecule());
  EXPECT_EQ(1, second->id);
  std::unique_ptr<Molecule> copy(second->clone());
  EXPECT_EQ(2, copy->id);
  std::unique_ptr<Molecule> graph(second->copyGraph());
  EXPECT_EQ(3, graph->id);
  EXPECT_EQ(4, Builder::MoleculeID);
}

TEST(BuilderSingleton, InstanceIsCreatedOnceAndKept) {
  Builder* b = Builder::instance();
  EXPECT_EQ(b, Builder::instance());
  EXPECT_EQ(b, Builder::Instance);
}

TEST(BuilderRecords, NewRecordsCarryConstructorDefaults) {
  std::unique_ptr<Ring> ring(Builder::instance()->createRing());
  EXPECT_EQ(-1, ring->id);
  EXPECT_EQ(0, ring->conformation);
  EXPECT_EQ(0, ring->piAtomCount);
  EXPECT_FALSE(ring->aromatic);
  std::unique_ptr<GroupNode> node(Builder::instance()->createGroupNode());
  EXPECT_EQ(-1, node->id);
  EXPECT_EQ(nullptr, node->owner);
  EXPECT_FALSE(node->special);
  std::unique_ptr<GroupEdge> edge(Builder::instance()->createGroupEdge());
  EXPECT_EQ(-1, edge->id);
  EXPECT_EQ(nullptr, edge->node1);
  EXPECT_FALSE(edge->joined);
  std::unique_ptr<GroupGraph> graph(Builder::instance()->createGroupGraph());
  EXPECT_EQ(0, graph->nodeCount);
  // The graph owns what it lists up to its counts.
  graph->nodes.push_back(Builder::instance()->createGroupNode());
  graph->nodeCount = 1;
  graph->rings.push_back(Builder::instance()->createRing());
  graph->ringCount = 1;
}
