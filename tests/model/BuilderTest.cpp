#include <memory>

#include <gtest/gtest.h>

#include "model/Builder.h"
#include "model/Molecule.h"

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
