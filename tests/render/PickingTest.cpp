#include <cmath>

#include <gtest/gtest.h>

#include "model/Spheroid.h"
#include "render/Mesh.h"
#include "tests/render/RendererFixture.h"

namespace {

const SSEVector4f kOrigin(0.0f, 0.0f, 0.0f, 1.0f);

// Meshes of molecules without atoms, with spheroids placed in them by hand; the ray looks down
// -z from the origin unless a test points it elsewhere.
class Picking : public kvtest::RendererFixture {
 protected:
  void SetUp() override {
    RendererFixture::SetUp();
    aim(kOrigin);
  }

  void aim(const SSEVector4f& origin) {
    engine.eyeRayOrigin = origin;
    engine.eyeRayDirection = SSEVector4f(0.0f, 0.0f, -1.0f, 0.0f);
  }

  Mesh* addMesh(float z) { return showEmptyMolecule(SSEVector4f(0.0f, 0.0f, z, 1.0f)); }

  // A tessellated atom sphere or a bond orbital with its long axis along x.
  Spheroid* add(Mesh* mesh, float a, float b, const SSEVector4f& centre) {
    const float focal = std::sqrt(a * a - b * b);
    auto* s = new Spheroid(a == b ? 1.0f : focal / a, b, a);
    s->rings = s->segments = a == b ? 8 : 0;
    s->kind = a == b ? SpheroidKind::AtomSphere : SpheroidKind::BondOrbital;
    s->centre = centre;
    s->focus1 = SSEVector4f(centre.x + focal, centre.y, centre.z, 1.0f);
    s->focus2 = SSEVector4f(centre.x - focal, centre.y, centre.z, 1.0f);
    s->meshSlot = mesh;
    mesh->spheroids.push_back(s);
    return s;
  }
};

}  // namespace

// Only the nearest hit in front of the ray origin counts; a miss leaves the result alone.
TEST_F(Picking, SphereIsHitAtItsNearestPointInFrontOfTheOrigin) {
  Mesh* mesh = addMesh(0.0f);
  Spheroid* s = add(mesh, 2.0f, 2.0f, SSEVector4f(0.0f, 0.0f, -10.0f, 1.0f));
  EXPECT_EQ(1, math.pickAllMeshSpheroids(MathEngine::AnyKind));
  EXPECT_TRUE(math.pickedSpheroid == s && math.pickedMesh == mesh && math.pickPoint.z == -8.0f);
  EXPECT_EQ(0, math.intersectRaySphere(add(mesh, 1.0f, 1.0f, SSEVector4f(3, 0, -5, 1))));
  EXPECT_EQ(0, math.intersectRaySphere(add(mesh, 1.0f, 1.0f, SSEVector4f(0, 0, 5, 1))));
  Spheroid* flat = add(mesh, 2.0f, 1.0f, SSEVector4f(0, 0, -2, 1));
  flat->b = 0.0f;
  EXPECT_EQ(0, math.intersectRaySpheroid(flat)) << "a zero semi-axis is not pickable";
  EXPECT_TRUE(math.pickedSpheroid == s && math.pickDistance == 8.0f);
  math.resetPick();
  aim(SSEVector4f(0.0f, 0.0f, -9.0f, 1.0f));
  EXPECT_EQ(1, math.intersectRaySphere(s));
  EXPECT_FLOAT_EQ(3.0f, math.pickDistance) << "from inside, the far side";
}

TEST_F(Picking, NucleusIsPickedAsIfItsRadiusWereAQuarterUnlessHidden) {
  add(addMesh(-5.0f), 0.05f, 0.05f, kOrigin);
  aim(SSEVector4f(0.2f, 0.0f, 0.0f, 1.0f));
  EXPECT_EQ(1, math.pickAllMeshSpheroids(SpheroidKind::AtomSphere));
  math.resetPick();
  engine.showNuclei = false;
  EXPECT_TRUE(math.pickAllMeshSpheroids(SpheroidKind::AtomSphere) == 0 &&
              math.pickedSpheroid == nullptr);
  engine.showNuclei = true;
  aim(SSEVector4f(0.3f, 0.0f, 0.0f, 1.0f));
  EXPECT_EQ(0, math.pickAllMeshSpheroids(SpheroidKind::AtomSphere));
}

TEST_F(Picking, NearerMeshWinsWhateverTheOrderAndATieKeepsTheFirstTested) {
  Mesh* farMesh = addMesh(-9.0f);
  Mesh* nearMesh = addMesh(-5.0f);
  Mesh* tied = addMesh(-5.0f);
  for (Mesh* m : {farMesh, nearMesh, tied}) add(m, 1.0f, 1.0f, kOrigin);
  EXPECT_EQ(3, math.pickAllMeshSpheroids(MathEngine::AnyKind));
  EXPECT_EQ(nearMesh, math.pickedMesh);
}

// A bond orbital 1.5 long and 0.8 wide is hit across its long axis and missed across its short
// one; turning its mesh a quarter about z swaps the two.
TEST_F(Picking, SpheroidIsHitWithinItsShapeInItsMeshPose) {
  Mesh* mesh = addMesh(-10.0f);
  Spheroid* s = add(mesh, 1.5f, 0.8f, kOrigin);
  EXPECT_EQ(1, math.pickAllMeshSpheroids(SpheroidKind::BondOrbital));
  EXPECT_NEAR(9.2f, math.pickDistance, 1e-5);
  const struct {
    float x, y;
    bool turned;
    int hit;
  } rays[] = {{1.2f, 0, false, 1}, {0, 1.2f, false, 0}, {1.2f, 0, true, 0}, {0, 1.2f, true, 1}};
  for (const auto& r : rays) {
    mesh->rotationMatrix = SSEMatrix4x4f();
    if (r.turned) mesh->rotationMatrix.createRotateZMatrix(1.5707963f);
    aim(SSEVector4f(r.x, r.y, 0, 1));
    EXPECT_EQ(r.hit, math.intersectRaySpheroid(s)) << r.x << "," << r.y << " turned " << r.turned;
  }
}
