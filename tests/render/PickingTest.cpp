#include <cmath>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/Spheroid.h"
#include "render/Mesh.h"
#include "tests/render/RendererFixture.h"

namespace {

// Meshes and spheroids placed by hand; the ray looks down -z from the origin unless a test
// points it elsewhere.
class Picking : public kvtest::RendererFixture {
 protected:
  void SetUp() override {
    RendererFixture::SetUp();
    aim(SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f), SSEVector4f(0.0f, 0.0f, -1.0f, 0.0f));
  }
  void TearDown() override {
    for (Mesh* m : owned) delete m;
    RendererFixture::TearDown();
  }

  void aim(const SSEVector4f& origin, const SSEVector4f& direction) {
    engine.eyeRayOrigin = origin;
    engine.eyeRayDirection = direction;
  }

  Mesh* addMesh(const SSEVector4f& position) {
    auto* mesh = new Mesh();
    mesh->position = position;
    owned.push_back(mesh);
    engine.meshes.push_back(mesh);
    return mesh;
  }

  // A tessellated sphere of the given kind at a point of the mesh.
  Spheroid* addSphere(Mesh* mesh, float radius, const SSEVector4f& centre, int kind = 0) {
    auto* s = new Spheroid(1.0f, radius, radius);
    s->rings = s->segments = 8;
    return place(mesh, s, centre, kind);
  }

  // A bond orbital whose long axis (semi-axis a) runs along x of the mesh.
  Spheroid* addSpheroid(Mesh* mesh, float a, float b, const SSEVector4f& centre) {
    const float focal = std::sqrt(a * a - b * b);
    auto* s = new Spheroid(focal / a, b, a);
    s->focus1 = SSEVector4f(centre.x + focal, centre.y, centre.z, 1.0f);
    s->focus2 = SSEVector4f(centre.x - focal, centre.y, centre.z, 1.0f);
    return place(mesh, s, centre, 3);
  }

  Spheroid* place(Mesh* mesh, Spheroid* s, const SSEVector4f& centre, int kind) {
    s->centre = centre;
    s->kind = kind;
    s->meshSlot = mesh;
    mesh->spheroids.push_back(s);
    return s;
  }

  std::vector<Mesh*> owned;
};

const SSEVector4f kOrigin(0.0f, 0.0f, 0.0f, 1.0f);
constexpr double kPi = 3.14159265358979323846;

}  // namespace

TEST_F(Picking, OrthographicProjectionMapsTheWindowCornersOntoTheUnitSquare) {
  math.createOrthographicProjection(0.0f, 640.0f, 0.0f, 480.0f);
  const SSEVector4f low = SSEVector4f(0, 0, 0, 1) * engine.orthoMatrix;
  const SSEVector4f high = SSEVector4f(640, 480, 0, 1) * engine.orthoMatrix;
  EXPECT_FLOAT_EQ(-1.0f, low.x);
  EXPECT_FLOAT_EQ(-1.0f, low.y);
  EXPECT_FLOAT_EQ(1.0f, high.x);
  EXPECT_FLOAT_EQ(1.0f, high.y);
}

TEST_F(Picking, EyeRayThroughTheWindowCentreOfTheHomeCameraLooksDownMinusZ) {
  engine.globalTranslation = SSEVector4f(0.0f, -10.0f, -75.0f, 1.0f);
  engine.mouseX = 320;
  engine.mouseY = 240;
  math.generateEyeRay();
  EXPECT_NEAR(0.0f, engine.eyeRayDirection.x, 1e-5);
  EXPECT_NEAR(0.0f, engine.eyeRayDirection.y, 1e-5);
  EXPECT_NEAR(-1.0f, engine.eyeRayDirection.z, 1e-5);
  EXPECT_NEAR(10.0f, engine.eyeRayOrigin.y, 1e-4) << "the camera's translation is undone";
  EXPECT_NEAR(74.9f, engine.eyeRayOrigin.z, 1e-3);
  // The right edge of the window lies 35 degrees off the axis.
  engine.mouseX = 640;
  math.generateEyeRay();
  EXPECT_NEAR(std::sin(35.0 * kPi / 180.0), engine.eyeRayDirection.x, 1e-4);
}

TEST_F(Picking, SphereAheadIsHitAtItsNearSide) {
  Spheroid* s = addSphere(addMesh(kOrigin), 2.0f, SSEVector4f(0.0f, 0.0f, -10.0f, 1.0f));
  EXPECT_EQ(1, math.pickAllMeshSpheroids(-1));
  EXPECT_EQ(s, math.pickedSpheroid);
  EXPECT_EQ(s->meshSlot, math.pickedMesh);
  EXPECT_FLOAT_EQ(8.0f, math.pickDistance);
  EXPECT_FLOAT_EQ(-8.0f, math.pickPoint.z);
}

TEST_F(Picking, NucleusIsPickedAsIfItsRadiusWereAQuarter) {
  Mesh* mesh = addMesh(SSEVector4f(0.2f, 0.0f, -5.0f, 1.0f));
  addSphere(mesh, 0.05f, kOrigin);
  EXPECT_EQ(1, math.pickAllMeshSpheroids(0)) << "0.2 from the centre, inside 0.25";
  math.resetPick();
  mesh->position.x = 0.3f;
  EXPECT_EQ(0, math.pickAllMeshSpheroids(0));
}

TEST_F(Picking, HiddenKindsAndOtherKindsAreNotTested) {
  Mesh* mesh = addMesh(kOrigin);
  addSphere(mesh, 1.0f, SSEVector4f(0, 0, -5, 1), 0);
  addSpheroid(mesh, 2.0f, 1.0f, SSEVector4f(0, 0, -9, 1));
  engine.showNuclei = false;
  EXPECT_EQ(0, math.pickAllMeshSpheroids(0));
  EXPECT_EQ(nullptr, math.pickedSpheroid);
  EXPECT_EQ(1, math.pickAllMeshSpheroids(-1));
  EXPECT_EQ(3, math.pickedSpheroid->kind);
  mesh->spheroids[1]->isVisible = false;
  math.resetPick();
  EXPECT_EQ(0, math.pickAllMeshSpheroids(-1));
}

TEST_F(Picking, MissAndHitsBehindTheOriginLeaveThePickResult) {
  Mesh* mesh = addMesh(kOrigin);
  Spheroid* ahead = addSphere(mesh, 1.0f, SSEVector4f(0, 0, -20, 1));
  Spheroid* aside = addSphere(mesh, 1.0f, SSEVector4f(3, 0, -5, 1));
  Spheroid* behind = addSphere(mesh, 1.0f, SSEVector4f(0, 0, 5, 1));
  Spheroid* flat = addSpheroid(mesh, 2.0f, 1.0f, SSEVector4f(0, 0, -2, 1));
  flat->b = 0.0f;
  ASSERT_EQ(1, math.intersectRaySphere(ahead));
  EXPECT_EQ(0, math.intersectRaySphere(aside));
  EXPECT_EQ(0, math.intersectRaySphere(behind));
  EXPECT_EQ(0, math.intersectRaySpheroid(flat)) << "a zero semi-axis is not pickable";
  EXPECT_EQ(ahead, math.pickedSpheroid);
  EXPECT_FLOAT_EQ(19.0f, math.pickDistance);
}

TEST_F(Picking, InsideASphereTheHitIsItsFarSide) {
  Spheroid* s = addSphere(addMesh(kOrigin), 3.0f, SSEVector4f(0, 0, -1, 1));
  EXPECT_EQ(1, math.intersectRaySphere(s));
  EXPECT_FLOAT_EQ(4.0f, math.pickDistance);
}

TEST_F(Picking, NearerMeshWinsInEitherOrderAndATieKeepsTheFirstTested) {
  for (bool nearFirst : {true, false}) {
    engine.meshes.clear();
    math.resetPick();
    Mesh* nearMesh = addMesh(SSEVector4f(0, 0, -5, 1));
    Mesh* farMesh = addMesh(SSEVector4f(0, 0, -9, 1));
    if (!nearFirst) std::swap(engine.meshes[0], engine.meshes[1]);
    addSphere(nearMesh, 1.0f, kOrigin);
    addSphere(farMesh, 1.0f, kOrigin);
    EXPECT_EQ(2, math.pickAllMeshSpheroids(-1));
    EXPECT_EQ(nearMesh, math.pickedMesh) << "near mesh listed first: " << nearFirst;
  }
  engine.meshes.clear();
  math.resetPick();
  Mesh* first = addMesh(SSEVector4f(0, 0, -5, 1));
  Mesh* second = addMesh(SSEVector4f(0, 0, -5, 1));
  addSphere(first, 1.0f, kOrigin);
  addSphere(second, 1.0f, kOrigin);
  math.pickAllMeshSpheroids(-1);
  EXPECT_EQ(first, math.pickedMesh);
}

// A bond orbital 1.5 long and 0.8 wide: hit across its long axis, missed across its short one;
// turning the mesh a quarter about z swaps the two.
TEST_F(Picking, SpheroidIsHitWithinItsShapeInTheMeshPose) {
  Mesh* mesh = addMesh(SSEVector4f(0, 0, -10, 1));
  Spheroid* s = addSpheroid(mesh, 1.5f, 0.8f, kOrigin);
  EXPECT_EQ(1, math.intersectRaySpheroid(s));
  EXPECT_NEAR(9.2f, math.pickDistance, 1e-5);
  const struct {
    float x, y;
    bool turned;
    int hit;
  } rays[] = {{1.2f, 0, false, 1}, {0, 1.2f, false, 0}, {1.2f, 0, true, 0}, {0, 1.2f, true, 1}};
  for (const auto& r : rays) {
    mesh->rotationMatrix = SSEMatrix4x4f();
    if (r.turned) mesh->rotationMatrix.createRotateZMatrix(static_cast<float>(kPi / 2));
    math.resetPick();
    aim(SSEVector4f(r.x, r.y, 0, 1), SSEVector4f(0, 0, -1, 0));
    EXPECT_EQ(r.hit, math.intersectRaySpheroid(s)) << r.x << "," << r.y << " turned " << r.turned;
  }
}

TEST_F(Picking, MeshTestMarksEveryHitSpheroidInPieceMode) {
  Mesh* mesh = addMesh(kOrigin);
  Spheroid* nearS = addSphere(mesh, 1.0f, SSEVector4f(0, 0, -5, 1));
  Spheroid* farS = addSphere(mesh, 1.0f, SSEVector4f(0, 0, -9, 1));
  Spheroid* off = addSphere(mesh, 1.0f, SSEVector4f(5, 0, -9, 1));
  math.pickMode = 2;
  EXPECT_TRUE(math.intersectRayMesh(mesh));
  EXPECT_TRUE(nearS->isPicked && farS->isPicked);
  EXPECT_FALSE(off->isPicked);
  EXPECT_EQ(nearS, math.pickedSpheroid);
}

// Either singleton may be asked for first; the math one must end up pointing at the one renderer
// (each CTest entry is its own process, so this test starts from neither).
TEST(MathSingleton, PointsAtTheOneRendererWhicheverIsMadeFirst) {
  MathEngine* math = MathEngine::instance();
  EXPECT_EQ(&GraphicsEngine::instance()->windowWidth, math->viewportWidth);
  EXPECT_EQ(&GraphicsEngine::instance()->eyeRayDirection, math->eyeRayDirection);
}
