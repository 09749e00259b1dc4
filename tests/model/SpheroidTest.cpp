#include <memory>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "support/MoleculeBuilder.h"

TEST(SpheroidShape, FociOnTheLongAxisAndASphereHasThemAtTheCentre) {
  Spheroid prolate(0.6f, 0.8f, 1.0f);
  EXPECT_FLOAT_EQ(0.6f, prolate.focus1.z);
  EXPECT_FLOAT_EQ(-0.6f, prolate.focus2.z);
  prolate.computeE();
  EXPECT_NEAR(0.6f, prolate.e, 1e-6f);
  // Equal axes whatever e was given: a sphere, whose eccentricity computes to 0.
  Spheroid sphere(0.3f, 0.7f, 0.7f);
  EXPECT_FLOAT_EQ(1.0f, sphere.e);
  EXPECT_FLOAT_EQ(0.0f, sphere.focus1.z);
  EXPECT_FLOAT_EQ(0.0f, sphere.focus2.z);
  sphere.computeE();
  EXPECT_FLOAT_EQ(0.0f, sphere.e);
}

TEST(SpheroidIds, ConstructionsTakeConsecutiveIdsAndClonesKeepTheirs) {
  Spheroid first(1.0f, 1.0f, 1.0f);
  Spheroid second;
  EXPECT_EQ(first.id + 1, second.id);
  first.altColour = true;
  first.rings = first.segments = 20;
  first.kind = 3;
  std::unique_ptr<Spheroid> copy(first.clone(nullptr));
  EXPECT_EQ(first.id, copy->id);
  EXPECT_TRUE(copy->altColour);
  EXPECT_EQ(20, copy->rings);
  EXPECT_EQ(-1, copy->kind);
  EXPECT_EQ(nullptr, copy->vertices);
}

// Without a mesh every record frees its own spheroids; the sanitizer build checks for leaks.
TEST(SpheroidOwnership, RecordsFreeSpheroidsWhenNoMeshHoldsThem) {
  auto m = kvtest::buildMolecule({"C", "O"}, {{0, 1, 2}});
  m->atoms[0]->sphere = new Spheroid(1.0f, 0.7f, 0.7f);
  m->atoms[1]->sphere = new Spheroid(1.0f, 0.6f, 0.6f);
  m->atoms[1]->sphere->inMesh = true;   // geometry made, but no mesh took it
  m->bonds[0]->spheroid = new Spheroid(0.5f, 0.6f, 1.0f);
  Ao* orbital = new Ao();
  orbital->spheroid = new Spheroid(0.4f, 0.5f, 0.9f);
  m->atoms[0]->addAo(orbital);
  BondAxis* axis = new BondAxis();
  axis->spheroid = new Spheroid(0.4f, 0.5f, 0.9f);
  m->atoms[1]->addBondAxis(axis);
  EXPECT_TRUE(m->atoms[1]->hasBondAxis);
  m->atoms[1]->deleteBondAxis(axis);
  EXPECT_FALSE(m->atoms[1]->hasBondAxis);
  EXPECT_EQ(0, m->atoms[1]->numBondAxes);
  EXPECT_TRUE(m->deleteBond(m->bonds[0]));
}

TEST(SpheroidOwnership, NullAllSpheroidsDropsReferencesOnly) {
  auto m = kvtest::buildMolecule({"C", "O"}, {{0, 1, 2}});
  std::unique_ptr<Spheroid> sphere(new Spheroid(1.0f, 0.7f, 0.7f));
  m->atoms[0]->sphere = sphere.get();
  m->nullAllSpheroids();
  EXPECT_EQ(nullptr, m->atoms[0]->sphere);
  m.reset();   // a second free of the sphere would show in the sanitizer build
}
