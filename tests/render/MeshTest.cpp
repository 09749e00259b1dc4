#include <memory>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/MoleculeBuilder.h"

namespace {

// What adding a spheroid to a mesh in the client-array path leaves behind.
Spheroid* placeInMesh(Mesh* mesh, Spheroid* s, void* owner, int kind) {
  s->owner = owner;
  s->kind = kind;
  s->meshSlot = mesh;
  s->inMesh = true;
  mesh->spheroids.push_back(s);
  return s;
}

// Ethanol's heavy atoms with a sphere per atom and a spheroid per bond, all shown in the mesh.
std::unique_ptr<Molecule> shownMolecule() {
  auto m = kvtest::buildMolecule({"C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}});
  m->mesh = new Mesh();
  m->mesh->molecule = m.get();
  for (Atom* a : m->atoms) {
    a->sphere = placeInMesh(m->mesh, new Spheroid(1.0f, 0.7f, 0.7f), a, 0);
    a->inMesh = true;
  }
  for (Bond* b : m->bonds) {
    b->spheroid = placeInMesh(m->mesh, new Spheroid(0.5f, 0.6f, 1.0f), b, 3);
    b->inMesh = true;
  }
  return m;
}

}  // namespace

TEST(MeshRemoveSpheroid, UnlistedSpheroidIsLeftAloneAndListedOneIsFreed) {
  Mesh mesh;
  Spheroid stranger(1.0f, 1.0f, 1.0f);
  EXPECT_EQ(0, mesh.removeSpheroid(&stranger));
  EXPECT_EQ(0, mesh.removeSpheroid(nullptr));
  Spheroid* s = placeInMesh(&mesh, new Spheroid(1.0f, 1.0f, 1.0f), nullptr, 0);
  mesh.currentSpheroid = s;
  EXPECT_NE(0, mesh.removeSpheroid(s));
  EXPECT_TRUE(mesh.spheroids.empty());
  EXPECT_EQ(nullptr, mesh.currentSpheroid);   // no pointer to a freed spheroid stays behind
}

// Three ways a shown molecule is torn down; the sanitizer build turns any spheroid freed twice or
// never into a failure. A spheroid with geometry that no mesh lists is freed by its record.
TEST(MeshOwnership, TearingDownFreesEachSpheroidOnceWhateverHoldsIt) {
  for (int way = 0; way < 3; ++way) {
    auto m = shownMolecule();
    if (way == 0) {   // one spheroid no record owns any more: only the mesh frees it
      placeInMesh(m->mesh, new Spheroid(1.0f, 0.2f, 0.2f), nullptr, 1);
    } else if (way == 1) {   // the mesh let go of an atom's sphere, which another replaces
      Spheroid* loose = new Spheroid(1.0f, 0.3f, 0.3f);
      loose->inMesh = true;   // geometry made, never added
      EXPECT_NE(0, m->mesh->removeSpheroid(m->atoms[0]->sphere));
      m->atoms[0]->sphere = loose;
    } else {   // the view deletes the mesh first
      m->nullAllSpheroids();
      delete m->mesh;
      m->mesh = nullptr;
    }
    m.reset();
  }
}

TEST(MeshOwnership, DeletingRecordsTakesTheirSpheroidsOutOfTheMesh) {
  auto m = shownMolecule();
  Mesh* mesh = m->mesh;
  Spheroid* oxygenSphere = m->atoms[2]->sphere;
  ASSERT_TRUE(m->deleteAtom(m->atoms[2]));   // its sphere and the C-O bond's spheroid go
  EXPECT_EQ(3u, mesh->spheroids.size());
  for (Spheroid* s : mesh->spheroids) EXPECT_NE(oxygenSphere, s);
  ASSERT_TRUE(m->deleteBond(m->bonds[0]));
  EXPECT_EQ(2u, mesh->spheroids.size());
  m.reset();
}

TEST(MeshOwnership, CloneOfAShownMoleculeOwnsSeparateSpheroids) {
  auto m = shownMolecule();
  std::unique_ptr<Molecule> copy(m->clone());
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(nullptr, copy->mesh);
  ASSERT_NE(nullptr, copy->atoms[0]->sphere);
  EXPECT_FALSE(copy->atoms[0]->sphere->inMesh);
  EXPECT_NE(m->atoms[0]->sphere, copy->atoms[0]->sphere);
  m.reset();
  copy.reset();
}
