// A molecule's mesh without GL: building it in the client-array path, clipping its bond
// orbitals, centring, and who frees each spheroid. The sanitizer build turns a spheroid freed
// twice or never into a failure.
#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/BufferObjects.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "support/EmptyTables.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"
#include "tests/render/SpheroidScene.h"
#include "view/Scene.h"

namespace {

// Water-like: O in the middle, two H at about 104 degrees, all with spheroids.
constexpr size_t kWaterSpheroids = 5;   // three atom spheres and two bond orbitals
std::unique_ptr<Molecule> shownWater() {
  auto m = kvtest::buildMolecule({"O", "H", "H"}, {{0, 1, 1}, {0, 2, 1}});
  kvscene::giveSpheroids(*m, {SSEVector4f(0, 0, 0), SSEVector4f(0.96f, 0, 0),
                              SSEVector4f(-0.23f, 0.93f, 0)});
  return m;
}

Spheroid* ball(float radius) {
  auto* s = new Spheroid(1.0f, radius, radius);
  s->rings = s->segments = 10;
  return s;
}

using MeshOfMolecule = kvtest::EmptyTablesTest;

}  // namespace

TEST_F(MeshOfMolecule, ClientArrayPathKeepsArraysMakesNoBuffersAndRemovesOnlyListedSpheroids) {
  ASSERT_EQ(RenderMode::VertexArrays, GraphicsEngine::instance()->renderMode);
  Mesh mesh;
  Spheroid* s = ball(0.8f);
  ASSERT_EQ(1, mesh.addSpheroid(s));
  EXPECT_NE(nullptr, s->vertices);
  EXPECT_EQ(400, s->indexRange[1]);
  EXPECT_TRUE(mesh.vertexBuffers.empty());
  Spheroid bad(0.6f, 0.8f, 1.0f);
  bad.rings = 10;   // segments 0
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(0, mesh.addSpheroid(&bad));
  EXPECT_EQ(1u, mesh.spheroids.size());

  EXPECT_EQ(0, mesh.removeSpheroid(&bad));
  EXPECT_EQ(0, mesh.removeSpheroid(nullptr));
  mesh.currentSpheroid = s;
  EXPECT_NE(0, mesh.removeSpheroid(s));
  EXPECT_TRUE(mesh.spheroids.empty());
  EXPECT_EQ(nullptr, mesh.currentSpheroid);   // no pointer to a freed spheroid stays behind
}

TEST_F(MeshOfMolecule, RenderingASmallMoleculeClipsItsBondsAndKeepsOwnersValid) {
  auto m = shownWater();
  ASSERT_TRUE(m->renderMolecule());
  Mesh* mesh = m->mesh;
  ASSERT_EQ(5u, mesh->spheroids.size());
  const std::set<Spheroid*> listed(mesh->spheroids.begin(), mesh->spheroids.end());
  for (Atom* a : m->atoms) {
    EXPECT_EQ(1u, listed.count(a->sphere));
    EXPECT_TRUE(a->inMesh);
  }
  for (Bond* b : m->bonds) {
    ASSERT_EQ(1u, listed.count(b->spheroid));
    // Bonds sharing the oxygen cut each other; atom nuclei take no part.
    EXPECT_EQ(1u, b->spheroid->clipPoints.size());
    EXPECT_LT(b->spheroid->numVertices, 382);
  }
  EXPECT_TRUE(m->atoms[0]->sphere->clipPoints.empty());
}

// A spheroid with geometry that no mesh lists is freed by its record.
TEST_F(MeshOfMolecule, TearingDownFreesEachSpheroidOnceWhateverHoldsIt) {
  for (int way = 0; way < 3; ++way) {
    auto m = shownWater();
    ASSERT_TRUE(m->renderMolecule());
    if (way == 0) {   // one spheroid no record owns: only the mesh frees it
      ASSERT_EQ(1, m->mesh->addSpheroid(ball(0.2f)));
    } else if (way == 1) {   // the mesh let go of an atom's sphere, which another replaces
      Spheroid* loose = ball(0.3f);
      loose->inMesh = true;   // geometry made, never added
      EXPECT_NE(0, m->mesh->removeSpheroid(m->atoms[0]->sphere));
      m->atoms[0]->sphere = loose;
    } else {   // the view deletes the mesh first
      delete m->detachMesh();
    }
  }
}

TEST_F(MeshOfMolecule, DeletingRecordsTakesTheirSpheroidsOutOfTheMeshButNotTheClones) {
  auto m = shownWater();
  ASSERT_TRUE(m->renderMolecule());
  std::unique_ptr<Molecule> copy(m->clone());
  ASSERT_TRUE(copy != nullptr && copy->mesh == nullptr && copy->atoms[2]->sphere != nullptr);
  EXPECT_FALSE(copy->atoms[2]->sphere->inMesh);
  Mesh* mesh = m->mesh;
  Spheroid* hydrogen = m->atoms[2]->sphere;
  ASSERT_NE(hydrogen, copy->atoms[2]->sphere);
  ASSERT_TRUE(m->deleteAtom(m->atoms[2]));   // its sphere and the O-H bond's spheroid go
  EXPECT_EQ(3u, mesh->spheroids.size());
  EXPECT_EQ(0, std::count(mesh->spheroids.begin(), mesh->spheroids.end(), hydrogen));
  ASSERT_TRUE(m->deleteBond(m->bonds[0]));
  EXPECT_EQ(2u, mesh->spheroids.size());
  EXPECT_EQ(5u, copy->atoms.size() + copy->bonds.size());
}

TEST_F(MeshOfMolecule, MissingSpheroidStopsRenderingWithAMessage) {
  auto m = shownWater();
  delete m->bonds[1]->spheroid;
  m->bonds[1]->spheroid = nullptr;
  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(m->renderMolecule());
  EXPECT_EQ("Error: renderMolecule, no spheroid \n", errorLog.text());
  EXPECT_EQ(4u, m->mesh->spheroids.size());
}

// The pairwise clip-plane search stops above 100 atoms; a chain's bonds share atoms, so every
// bond of a clipped chain is cut by its neighbours.
TEST_F(MeshOfMolecule, ClipPlanesUpToAHundredAtomsOnly) {
  for (const int atoms : {100, 101}) {
    std::vector<SSEVector4f> positions;
    for (int i = 0; i < atoms; ++i) positions.emplace_back(1.5f * i, 0.3f * (i % 2), 0.0f);
    auto m = kvscene::carbonChain(static_cast<size_t>(atoms));
    kvscene::giveSpheroids(*m, positions);
    ASSERT_TRUE(m->renderMolecule());
    for (const Bond* b : m->bonds)
      EXPECT_EQ(atoms <= 100, !b->spheroid->clipPoints.empty()) << atoms << " atoms";
  }
}

// Centring moves the drawn geometry together with the centres and foci that picking, labels
// and the scene export read, so they stay on the atoms as drawn.
TEST_F(MeshOfMolecule, CentringPutsTheMeanCentreAtTheOriginOnce) {
  auto m = shownWater();
  ASSERT_TRUE(m->renderMolecule());
  Mesh* mesh = m->mesh;
  auto meanCentre = [mesh]() {
    SSEVector4f sum(0.0f, 0.0f, 0.0f, 0.0f);
    for (const Spheroid* s : mesh->spheroids) sum += s->centre;
    return (1.0f / mesh->spheroids.size()) * sum;
  };
  EXPECT_LT(meanCentre().length(), 1e-5f);
  const Spheroid* oxygen = m->atoms[0]->sphere;
  // Vertex 0 is the sphere's top pole, one radius above its centre.
  EXPECT_NEAR(oxygen->centre.x, oxygen->vertices[0], 1e-5f);
  EXPECT_NEAR(oxygen->centre.z + kvscene::kAtomRadius, oxygen->vertices[2], 1e-5f);
  const Spheroid* bond = m->bonds[0]->spheroid;
  EXPECT_LT((0.5f * (bond->focus1 + bond->focus2) - bond->centre).length(), 1e-5f);
  EXPECT_LT((bond->focus1 - oxygen->centre).length(), 1e-5f) << "the focus sits on its nucleus";

  const SSEVector4f before = oxygen->centre;
  const float vertexBefore = oxygen->vertices[1];
  mesh->centerLocalCoords();
  EXPECT_LT((oxygen->centre - before).length(), 1e-6f);
  EXPECT_NEAR(vertexBefore, oxygen->vertices[1], 1e-6f);
}

TEST(BufferObjects, ClientArrayPathCountsWithoutGL) {
  ASSERT_EQ(RenderMode::VertexArrays, GraphicsEngine::instance()->renderMode);
  VertexBufferObject vertices;
  std::vector<float> data(3 * 7999, 0.0f);
  EXPECT_TRUE(vertices.addMeshData(7999, data.data()));
  EXPECT_TRUE(vertices.addMeshData(1, data.data()));
  EXPECT_FALSE(vertices.addMeshData(1, data.data()));
  IndexBufferObject indices;
  std::uint16_t three[] = {0, 1, 2};
  EXPECT_TRUE(indices.addMeshData(100, 3, three));
  EXPECT_EQ(100, three[0]);   // the offset is added in the caller's array
  EXPECT_EQ(102, three[2]);
}

// Removing a shown molecule's mesh frees the mesh and its spheroids once; the molecule, still
// alive, is left without dangling pointers and can be deleted afterwards.
TEST_F(MeshOfMolecule, RemovingAMeshFreesItAndLetsItsMoleculeGo) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  Scene scene;
  Molecule* other = shownWater().release();
  Molecule* shown = shownWater().release();
  ASSERT_EQ(kWaterSpheroids, scene.add(other)->spheroids.size());
  ASSERT_EQ(kWaterSpheroids, scene.add(shown)->spheroids.size());
  engine->currentMesh = engine->previousMesh = shown->mesh;
  engine->removeMesh(shown->mesh);
  EXPECT_EQ(std::vector<Mesh*>{other->mesh}, engine->meshes);
  EXPECT_TRUE(engine->currentMesh == nullptr && engine->previousMesh == nullptr);
  EXPECT_EQ(nullptr, shown->mesh);
  EXPECT_TRUE(shown->atoms[0]->sphere == nullptr && shown->bonds[1]->spheroid == nullptr);
  engine->removeMesh(nullptr);
  EXPECT_EQ(1u, engine->meshes.size());
  scene.clear();   // deletes both molecules, the one without its mesh as well
  scene.purge(nullptr);
  EXPECT_TRUE(engine->meshes.empty());
}

// The singleton goes with what it lists; the math singleton is cut loose from it, and the next
// instance() is a fresh engine that the math singleton reads again.
TEST_F(MeshOfMolecule, DeletingTheRendererFreesItsMeshesAndCamerasAndANewOneTakesOver) {
  Scene scene;
  Molecule* shown = shownWater().release();
  GraphicsEngine* old = GraphicsEngine::instance();
  ASSERT_EQ(kWaterSpheroids, scene.add(shown)->spheroids.size());
  old->currentMesh = shown->mesh;
  old->storeCamera(new SSEVector4f(1.0f, 2.0f, 3.0f, 1.0f), new Quaternion());
  old->windowWidth = 333;
  GraphicsEngine::deleteInstance();
  EXPECT_EQ(nullptr, GraphicsEngine::Instance);
  EXPECT_EQ(nullptr, shown->mesh);
  EXPECT_EQ(nullptr, MathEngine::instance()->viewportWidth);
  GraphicsEngine* fresh = GraphicsEngine::instance();
  EXPECT_TRUE(fresh->meshes.empty() && fresh->cameraTranslations.empty());
  EXPECT_EQ(640u, *MathEngine::instance()->viewportWidth);
  scene.remove(shown);
}
