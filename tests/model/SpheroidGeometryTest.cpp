#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "parameters/InputParameters.h"
#include "support/EmptyTables.h"
#include "support/MoleculeBuilder.h"
#include "tests/render/SpheroidScene.h"
#include "support/ErrorCapture.h"

namespace {


std::unique_ptr<Spheroid> tessellated(float e, float b, float a, int rings) {
  std::unique_ptr<Spheroid> s(new Spheroid(e, b, a));
  s->rings = s->segments = rings;
  return s;
}

SSEVector4f vertexOf(const Spheroid& s, int i) {
  return SSEVector4f(s.vertices[3 * i], s.vertices[3 * i + 1], s.vertices[3 * i + 2]);
}

void expectNear(const SSEVector4f& expected, const SSEVector4f& actual, float tolerance = 1e-5f) {
  EXPECT_NEAR(expected.x, actual.x, tolerance);
  EXPECT_NEAR(expected.y, actual.y, tolerance);
  EXPECT_NEAR(expected.z, actual.z, tolerance);
}

std::string colourOf(const Spheroid& s, int vertex) {
  const unsigned char* c = s.colours + 4 * vertex;
  return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]) + "," +
         std::to_string(c[3]);
}

// Empty tables: every bond charge is 0.
using EmptyTables = kvtest::EmptyTablesTest;

}  // namespace

// Counts follow the rings; every vertex lies on the surface, the poles and the first ring where
// they belong, and only the cap quads collapse.
TEST(SpheroidTessellation, CountsFollowRingsAndVerticesSitOnTheSurface) {
  const int cases[][3] = {{10, 92, 400}, {20, 382, 1600}, {4, 14, 64}};
  for (const auto& c : cases) {
    const int R = c[0];
    SCOPED_TRACE(std::to_string(R) + " rings");
    auto s = tessellated(0.6f, 1.6f, 2.0f, R);
    ASSERT_TRUE(s->createGeometry());
    EXPECT_EQ(c[1], s->numVertices);
    EXPECT_EQ(c[2], s->numIndices);
    EXPECT_TRUE(s->inMesh && s->indexRange[0] == 0 && s->indexRange[1] == c[2]);
    for (int i = 0; i < s->numIndices; ++i) ASSERT_LT(s->indices[i], s->numVertices);
    expectNear(SSEVector4f(0, 0, 2.0f), vertexOf(*s, 0));
    expectNear(SSEVector4f(0, 0, -2.0f), vertexOf(*s, s->numVertices - 1));
    expectNear(SSEVector4f(1.6f * std::sin(kPi / R), 0, 2.0f * std::cos(kPi / R)), vertexOf(*s, 1));
    for (int i = 0; i < s->numVertices; ++i) {
      const SSEVector4f v = vertexOf(*s, i);
      EXPECT_NEAR(1.0f, (v.x * v.x + v.y * v.y) / (1.6f * 1.6f) + v.z * v.z / 4.0f, 1e-5f) << i;
    }
    int capQuads = 0;
    for (int q = 0; q < s->numIndices; q += 4)
      if (s->indices[q] == s->indices[q + 3]) ++capQuads;
    EXPECT_EQ(2 * R, capQuads);
  }
}

TEST(SpheroidTessellation, UnequalOrUnusableCountsAreRefusedWithAMessage) {
  auto s = tessellated(0.6f, 1.6f, 2.0f, 10);
  s->segments = 12;
  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(s->createGeometry());
  const std::string err = errorLog.text();
  EXPECT_EQ(0u, err.find("Error: Spheroid::createGeometry"));
  EXPECT_NE(std::string::npos, err.find("\"12\""));
  EXPECT_EQ(nullptr, s->vertices);
  EXPECT_FALSE(s->inMesh);
  for (int rings : {0, 1, Spheroid::MaxRings + 1}) {
    s->rings = s->segments = rings;
    EXPECT_FALSE(s->createGeometry()) << rings;
  }
  s->rings = s->segments = Spheroid::MaxRings;   // the largest that 16-bit indices allow
  EXPECT_TRUE(s->createGeometry());
}

TEST(SpheroidFoci, GeometryRecomputesEccentricityAndFoci) {
  auto s = tessellated(0.1f, 1.6f, 2.0f, 10);
  ASSERT_TRUE(s->createGeometry());
  EXPECT_NEAR(0.6f, s->e, 1e-6f);
  EXPECT_NEAR(1.2f, s->focalDistance, 1e-6f);
  expectNear(SSEVector4f(0, 0, 1.2f), s->focus1);
  expectNear(SSEVector4f(0, 0, -1.2f), s->focus2);
  auto sphere = tessellated(1.0f, 0.7f, 0.7f, 10);
  ASSERT_TRUE(sphere->createGeometry());
  EXPECT_FLOAT_EQ(0.0f, sphere->e);
  expectNear(sphere->centre, sphere->focus1);
  expectNear(sphere->centre, sphere->focus2);
}

// A sphere takes its atom's colour, an orbital sphere its atom's, a bond axis the colour of
// its order; a sphere without owner and a bond axis of an odd order are neutral grey.
TEST(SpheroidColours, SpheresAndBondAxesTakeTheirOwnersColour) {
  auto m = kvtest::buildMolecule({"O", "R", "Cl", "Br", "Xx", "Nb", "cl"}, {{0, 1, 2}});
  Ao orbital;
  orbital.atom = m->atoms[0];
  const std::string grey = std::to_string(Spheroid::NeutralGrey);
  const std::string neutral = grey + "," + grey + "," + grey + ",255";
  struct Case {
    int kind;
    void* owner;
    int bondOrder;
    std::string colour;
  };
  const int sphere = SpheroidKind::AtomSphere;
  const int orbitalSphere = SpheroidKind::AtomicOrbital;
  const int axis = SpheroidKind::OpenBondAxis;
  const Case cases[] = {{sphere, m->atoms[2], 2, "0,255,0,255"},
                        {sphere, m->atoms[3], 2, "165,42,42,255"},
                        {sphere, m->atoms[4], 2, "255,255,255,255"},
                        {sphere, m->atoms[5], 2, "255,32,147,255"},
                        {sphere, m->atoms[6], 2, "0,255,0,255"},
                        {orbitalSphere, &orbital, 2, "240,0,0,255"},
                        {sphere, nullptr, 2, neutral},
                        {axis, m->bonds[0], 2, "255,255,0,255"},
                        {axis, m->bonds[0], 9, neutral}};
  for (const auto& c : cases) {
    m->bonds[0]->order = c.bondOrder;
    auto s = c.kind == axis ? tessellated(0.5f, 0.6f, 1.0f, 6) : tessellated(1.0f, 0.5f, 0.5f, 6);
    s->kind = c.kind;
    s->owner = c.owner;
    ASSERT_TRUE(s->createGeometry());
    for (int i = 0; i < s->numVertices; ++i)
      ASSERT_EQ(c.colour, colourOf(*s, i)) << "kind " << c.kind << ", case " << (&c - cases);
  }
}

TEST_F(EmptyTables, BondWithoutChargeIsColouredByShapeAlone) {
  auto m = kvtest::buildMolecule({"C", "C"}, {{0, 1, 1}});
  auto s = tessellated(0.5f, 0.6f, 1.0f, 10);
  s->kind = SpheroidKind::BondOrbital;
  s->owner = m->bonds[0];
  ASSERT_TRUE(s->createGeometry());
  // With Q = 0, h = K / A; at a pole t = a, so K = a.
  const float area = s->calculateSurfaceArea();
  unsigned char expected[3];
  Spheroid::rampColour(1.0f / area, false, expected);
  EXPECT_EQ(0, std::memcmp(expected, s->colours, 3));
  // A small h is close to red with a value near 1.
  EXPECT_GE(s->colours[0], 230);
  EXPECT_LE(s->colours[2], 10);
  s->altColour = true;
  ASSERT_TRUE(s->createGeometry());
  EXPECT_EQ(expected[1], s->colours[0]);
  EXPECT_EQ(expected[0], s->colours[1]);
}

TEST(SpheroidColours, RampCoversTheHueCircleAndDarkens) {
  unsigned char rgb[3];
  Spheroid::rampColour(0.0f, false, rgb);
  EXPECT_EQ(255, rgb[0]);
  EXPECT_EQ(0, rgb[1]);
  Spheroid::rampColour(1.0f / 3.0f, false, rgb);   // green sector, value 5/6
  EXPECT_EQ(0, rgb[0]);
  EXPECT_NEAR(212, rgb[1], 1);
  Spheroid::rampColour(1.0f, false, rgb);   // back to red at half value
  EXPECT_EQ(127, rgb[0]);
  Spheroid::rampColour(-3.0f, false, rgb);   // out of range: clamped, never past a byte
  EXPECT_EQ(255, rgb[0]);
}

TEST_F(EmptyTables, BondOrbitalHasItsFirstFocusOnTheAnchorAtom) {
  auto m = kvtest::buildMolecule({"C", "O"}, {{0, 1, 1}});
  kvscene::giveSpheroids(*m, {SSEVector4f(1, 2, 3), SSEVector4f(1.6f, 2.8f, 3.0f)});
  Spheroid* sphere1 = m->atoms[0]->sphere;
  Spheroid* sphere2 = m->atoms[1]->sphere;
  Spheroid* bondOrbital = m->bonds[0]->spheroid;
  ASSERT_TRUE(bondOrbital->createTransformedGeometry());
  expectNear(sphere1->centre, bondOrbital->focus1, 1e-4f);
  expectNear(sphere2->centre, bondOrbital->focus2, 1e-4f);
  expectNear(SSEVector4f(1.3f, 2.4f, 3.0f), bondOrbital->centre, 1e-4f);
  // The focus2 pole, where the ramp starts, lies beyond atom 2.
  const SSEVector4f pole = vertexOf(*bondOrbital, bondOrbital->numVertices - 1);
  EXPECT_NEAR(1.0f + kvscene::kBondOverhang, (pole - sphere1->centre).length(), 1e-4f);

  m->bonds[0]->momentTerm = 1.0f;   // a positive moment anchors the orbital on atom 2
  ASSERT_TRUE(bondOrbital->createTransformedGeometry());
  expectNear(sphere2->centre, bondOrbital->focus1, 1e-4f);
  expectNear(sphere1->centre, bondOrbital->focus2, 1e-4f);
}

TEST(SpheroidPlacement, SpheresMoveToTheirCentreAndBondAxesKeepTheirPlace) {
  auto sphere = tessellated(1.0f, 0.5f, 0.5f, 8);
  sphere->centre = SSEVector4f(3, -1, 2);
  ASSERT_TRUE(sphere->createTransformedGeometry());
  expectNear(SSEVector4f(3, -1, 2.5f), vertexOf(*sphere, 0));
  expectNear(SSEVector4f(3, -1, 2), sphere->centre);

  auto axis = tessellated(0.6f, 0.8f, 1.0f, 8);
  axis->kind = SpheroidKind::OpenBondAxis;
  axis->focus1 = SSEVector4f(0, 0, 0);
  axis->focus2 = SSEVector4f(0, 1.2f, 0);
  axis->centre = SSEVector4f(0, 0.6f, 0);
  ASSERT_TRUE(axis->createTransformedGeometry());
  expectNear(SSEVector4f(0, 0, 0), axis->focus1, 1e-5f);
  expectNear(SSEVector4f(0, 1.2f, 0), axis->focus2, 1e-5f);
  expectNear(SSEVector4f(0, -0.4f, 0), vertexOf(*axis, 0), 1e-5f);   // local +z pole to -d
}

TEST(SpheroidTransforms, TranslationMovesCentreAndKeepsNormals) {
  auto s = tessellated(0.6f, 0.8f, 1.0f, 10);
  ASSERT_TRUE(s->createGeometry());
  s->transformNormals();   // clamped directions from the centre
  std::vector<float> normals(s->normals, s->normals + 3 * s->numVertices);
  SSEMatrix4x4f shift;
  shift.m[12] = 1.5f;
  shift.m[13] = -2.0f;
  shift.m[14] = 0.25f;
  s->transformGeometry(&shift);
  expectNear(SSEVector4f(1.5f, -2.0f, 0.25f), s->centre);
  for (int i = 0; i < 3 * s->numVertices; ++i) EXPECT_NEAR(normals[i], s->normals[i], 1e-5f);
  EXPECT_NEAR(1.5f, s->vertices[0], 1e-6f);
}

TEST(SpheroidArea, AnalyticAreaOfASpheroidAndOfASphere) {
  Spheroid s(0.0f, 1.0f, 2.0f);
  EXPECT_NEAR(21.48f, s.calculateSurfaceArea(), 0.01f);
  Spheroid sphere(1.0f, 0.5f, 0.5f);
  EXPECT_NEAR(kPi, sphere.calculateSurfaceArea(), 1e-5f);   // 4 pi r^2, not a division by 0
}

// A clone keeps id, shape and display flags but neither kind nor geometry; the low-level clone
// copies the geometry and clip planes too and takes over the owner's reference.
TEST(SpheroidCopies, ClonesKeepTheIdAndTheLowLevelOneTheGeometry) {
  auto m = kvtest::buildMolecule({"C", "C"}, {{0, 1, 1}});
  Bond* bond = m->bonds[0];
  Spheroid* s = new Spheroid(0.6f, 0.8f, 1.0f);
  std::unique_ptr<Spheroid> original(s);
  s->rings = s->segments = 6;
  s->kind = SpheroidKind::BondOrbital;
  s->altColour = true;
  s->owner = bond;
  bond->spheroid = s;
  std::unique_ptr<Spheroid> plain(s->clone(nullptr));
  EXPECT_TRUE(plain->id == s->id && plain->altColour && plain->rings == 6);
  EXPECT_EQ(SpheroidKind::Unset, plain->kind);
  EXPECT_EQ(nullptr, plain->vertices);

  ASSERT_TRUE(s->createGeometry());
  s->clipPoints.push_back(new SSEVector4f(0, 0, 0.5f));
  s->clipNormals.push_back(new SSEVector4f(0, 0, -1.0f, 0.0f));
  Spheroid* copy = s->lowLevelClone();
  EXPECT_EQ(copy, bond->spheroid);
  EXPECT_TRUE(s->id == copy->id && s->numVertices == copy->numVertices);
  EXPECT_NE(s->vertices, copy->vertices);
  EXPECT_EQ(0, std::memcmp(s->indices, copy->indices, 2 * s->numIndices));
  ASSERT_EQ(1u, copy->clipPoints.size());
  EXPECT_NE(s->clipPoints[0], copy->clipPoints[0]);
  EXPECT_EQ(~0u, copy->bufferIds[0]);
  bond->spheroid = nullptr;
  delete copy;
}

// Each kind names the field of its owner record that holds it; an orbital is not its atom's
// sphere, and a kind without a record of its own (unset, or unknown in a file) names none.
TEST(SpheroidOwnership, TheOwnerSlotIsTheRecordFieldOfTheKind) {
  auto m = kvtest::buildMolecule({"C", "C"}, {{0, 1, 1}});
  Atom* atom = m->atoms[0];
  Bond* bond = m->bonds[0];
  Ao orbital;
  orbital.atom = atom;
  const struct {
    int kind;
    void* owner;
    Spheroid** slot;
  } cases[] = {{SpheroidKind::AtomSphere, atom, &atom->sphere},
               {SpheroidKind::AtomicOrbital, &orbital, &orbital.spheroid},
               {SpheroidKind::OpenBondAxis, bond, &bond->spheroid},
               {SpheroidKind::BondOrbital, bond, &bond->spheroid},
               {SpheroidKind::Unset, atom, nullptr},
               {SpheroidKind::BondOrbital + 1, bond, nullptr},
               {SpheroidKind::AtomSphere, nullptr, nullptr}};
  for (const auto& c : cases) {
    Spheroid s(1.0f, 0.5f, 0.5f);
    s.kind = c.kind;
    s.owner = c.owner;
    EXPECT_EQ(c.slot, s.ownerSlot()) << "kind " << c.kind << ", case " << (&c - cases);
  }
}

// Without a mesh every record frees its own spheroids; the sanitizer build checks for leaks and
// double frees.
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
  m->atoms[1]->deleteBondAxis(axis);
  EXPECT_FALSE(m->atoms[1]->hasBondAxis);
  EXPECT_TRUE(m->deleteBond(m->bonds[0]));

  // Dropping the references leaves the spheroids to whoever holds them.
  auto other = kvtest::buildMolecule({"C"}, {});
  std::unique_ptr<Spheroid> sphere(new Spheroid(1.0f, 0.7f, 0.7f));
  other->atoms[0]->sphere = sphere.get();
  other->nullAllSpheroids();
  EXPECT_EQ(nullptr, other->atoms[0]->sphere);
}

namespace {

// A mesh as the model sees it: lists the spheroids it took and frees those it is handed back.
class ListingHolder : public SpheroidHolder {
 public:
  std::vector<Spheroid*> listed;
  int handedBack = 0;
  ~ListingHolder() override {
    for (Spheroid* s : listed) delete s;
  }
  Spheroid* take(Spheroid* s) {
    s->meshSlot = this;
    listed.push_back(s);
    return s;
  }
  int removeSpheroid(Spheroid* s) override {
    auto it = std::find(listed.begin(), listed.end(), s);
    if (it == listed.end()) return 0;
    ++handedBack;
    listed.erase(it);
    delete s;
    return 1;
  }
};

}  // namespace

// Who frees a spheroid is read from the spheroid alone: the holder in its meshSlot, else its
// record, however many holders exist; the sanitizer build checks that each is freed once.
TEST(SpheroidOwnership, ASpheroidGoesBackToTheHolderThatTookItElseItsRecordFreesIt) {
  ListingHolder holder;
  auto m = kvtest::buildMolecule({"C", "O"}, {{0, 1, 2}});
  m->atoms[0]->sphere = holder.take(new Spheroid(1.0f, 0.7f, 0.7f));
  // A copy for clipping names the holder that does not list it: its record frees it.
  m->atoms[1]->sphere = new Spheroid(1.0f, 0.6f, 0.6f);
  m->atoms[1]->sphere->meshSlot = &holder;
  m->bonds[0]->spheroid = new Spheroid(0.5f, 0.6f, 1.0f);   // no holder took it
  Spheroid* kept = holder.take(new Spheroid(0.2f, 0.2f, 0.2f));   // no record points to it
  m.reset();
  EXPECT_EQ(1, holder.handedBack);
  EXPECT_EQ(std::vector<Spheroid*>{kept}, holder.listed);
}

// A detached mesh keeps the spheroids; the molecule then frees none of them.
TEST(SpheroidOwnership, DetachingTheMeshLeavesItsSpheroidsToIt) {
  auto m = kvtest::buildMolecule({"C"}, {});
  EXPECT_EQ(nullptr, m->detachMesh());
  ListingHolder holder;
  m->atoms[0]->sphere = holder.take(new Spheroid(1.0f, 0.7f, 0.7f));
  m->mesh = reinterpret_cast<Mesh*>(&holder);   // only compared and handed back, never used
  EXPECT_EQ(reinterpret_cast<Mesh*>(&holder), m->detachMesh());
  EXPECT_TRUE(m->mesh == nullptr && m->atoms[0]->sphere == nullptr);
  m.reset();
  EXPECT_EQ(0, holder.handedBack);
  EXPECT_EQ(1u, holder.listed.size());
}
