// The two singletons the set-up chain sits on: the file singleton's construction and its
// shared log stream, and the molecule library's lists.

#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include "construction/SetupFixture.h"
#include "forcefield/ForceFieldLog.h"
#include "io/MoleculeEngine.h"
#include "model/Builder.h"

TEST(IOEngineSingleton, StartsWithThreeRootsAndEmptyCounters) {
  IOEngine* engine = setuptest::engine();
  ASSERT_EQ(engine, IOEngine::instance());
  for (QTreeWidgetItem* root : {engine->moleculeRoot, engine->groupRoot, engine->templateRoot}) {
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(QString("Root"), root->text(0));
  }
  EXPECT_EQ(engine->moleculeRoot, engine->moleculeFolder);
  EXPECT_EQ(engine->groupRoot, engine->groupFolder);
  EXPECT_EQ(engine->templateRoot, engine->templateFolder);
  EXPECT_NE(nullptr, engine->arcBall);
}

TEST(IOEngineSingleton, ErrorIsTheForceFieldLogAndDiscardsLines) {
  EXPECT_EQ(&forceFieldLog(), &IOEngine::error);
  IOEngine::error << "Cannot find parameters for X Y 1" << std::endl;   // goes nowhere, no crash
}

TEST(MoleculeEngineLists, FindsTheFirstGroupOfAnExactName) {
  MoleculeEngine* library = MoleculeEngine::instance();
  library->clear();
  Molecule* first = Builder::instance()->createMolecule();
  first->names.push_back("METHYL");
  Molecule* second = Builder::instance()->createMolecule();
  second->names.push_back("METHYL");
  library->groups.push_back(first);
  library->groups.push_back(second);
  library->patterns = library->groups;
  EXPECT_EQ(first, library->getFunctionalGroupByName("METHYL"));
  EXPECT_EQ(nullptr, library->getFunctionalGroupByName("Methyl"));
  EXPECT_EQ(nullptr, library->getFunctionalGroupByName(""));
  library->clear();
  EXPECT_TRUE(library->groups.empty());
  EXPECT_TRUE(library->patterns.empty());
}

TEST(MoleculeEngineLists, TheFirstAddedMoleculeBecomesCurrent) {
  MoleculeEngine* library = MoleculeEngine::instance();
  library->clear();
  const int before = library->addedCount;
  Molecule* a = Builder::instance()->createMolecule();
  Molecule* b = Builder::instance()->createMolecule();
  library->addMolecule(a);
  library->addMolecule(b);
  EXPECT_EQ(a, library->currentMolecule);
  EXPECT_EQ(before + 2, library->addedCount);
  library->clear();   // frees both
  EXPECT_TRUE(library->molecules.empty());
}
