#include <cmath>
#include <memory>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "model/Spheroid.h"
#include "support/ErrorCapture.h"

namespace {

using SpheroidPtr = std::unique_ptr<Spheroid>;

SpheroidPtr sphereAt(float radius, const SSEVector4f& centre) {
  SpheroidPtr s(new Spheroid(1.0f, radius, radius));
  s->rings = s->segments = 20;
  s->centre = centre;
  s->createTransformedGeometry();
  return s;
}

// A bond orbital with its foci on the two nuclei, placed like an open bond axis so that no bond
// record is needed: focus1 lands on n1 and focus2 on n2.
SpheroidPtr orbitalBetween(const SSEVector4f& n1, const SSEVector4f& n2, float overhang) {
  const float half = 0.5f * (n2 - n1).length();
  const float a = half + overhang;
  const float b = std::sqrt(a * a - half * half);
  SpheroidPtr s(new Spheroid(half / a, b, a));
  s->rings = s->segments = 20;
  s->kind = SpheroidKind::OpenBondAxis;
  s->focus1 = n1;
  s->focus2 = n2;
  s->centre = (n1 + n2) * 0.5f;
  s->createTransformedGeometry();
  s->kind = SpheroidKind::BondOrbital;
  return s;
}

// No vertex of s lies on the cut side of any plane it recorded.
void expectNothingBeyondItsPlanes(Spheroid& s) {
  for (size_t plane = 0; plane < s.clipPoints.size(); ++plane) {
    s.clipPlanePoint = *s.clipPoints[plane];
    s.clipPlaneNormal = *s.clipNormals[plane];
    for (int i = 0; i < s.numVertices; ++i) {
      const SSEVector4f v(s.vertices[3 * i], s.vertices[3 * i + 1], s.vertices[3 * i + 2]);
      ASSERT_NE(-1, s.classifyClipPoint(&v)) << "vertex " << i << ", plane " << plane;
    }
  }
}

}  // namespace

// Spheres never clip themselves or each other; a far sphere or a bond without a common
// nucleus records no plane.
TEST(SpheroidClipping, PairsThatDoNotMeetRecordNoPlane) {
  SpheroidPtr sphere = sphereAt(0.7f, SSEVector4f(0, 0, 0));
  SpheroidPtr near = sphereAt(0.7f, SSEVector4f(0.5f, 0, 0));
  SpheroidPtr far = sphereAt(0.3f, SSEVector4f(10, 10, 0));
  SpheroidPtr bond = orbitalBetween(SSEVector4f(-1.2f, 0, 0), SSEVector4f(0, 0, 0), 0.3f);
  SpheroidPtr apart = orbitalBetween(SSEVector4f(0.5f, 0.5f, 0), SSEVector4f(1.5f, 0.5f, 0), 0.3f);
  const std::pair<Spheroid*, Spheroid*> pairs[] = {
      {sphere.get(), sphere.get()}, {sphere.get(), near.get()}, {sphere.get(), nullptr},
      {far.get(), bond.get()}, {bond.get(), apart.get()}};
  for (const auto& pair : pairs) EXPECT_EQ(0, pair.first->calculateClipPlane(pair.second));
  for (const Spheroid* s : {sphere.get(), near.get(), far.get(), bond.get(), apart.get()}) {
    EXPECT_TRUE(s->clipPoints.empty());
    EXPECT_FALSE(s->isClipped);
  }
}

TEST(SphereClipping, SphereOnAFocusCutsTheSpheroidOnItsCentreSide) {
  // a = 1.5, b = 1: focal distance sqrt(1.25) = 1.118.
  SpheroidPtr orbital = orbitalBetween(SSEVector4f(-1.118034f, 0, 0), SSEVector4f(1.118034f, 0, 0),
                                       1.5f - 1.118034f);
  ASSERT_NEAR(1.0f, orbital->b, 1e-4f);
  SpheroidPtr sphere = sphereAt(0.7f, orbital->focus1);
  ASSERT_EQ(2, sphere->calculateClipPlane(orbital.get()));
  ASSERT_EQ(1u, orbital->clipPoints.size());
  EXPECT_TRUE(orbital->isClipped);
  EXPECT_TRUE(sphere->clipPoints.empty());
  // The circle where the sphere meets the spheroid, s from the centre toward the focus.
  const float k = 1.0f / 2.25f, D = 1.118034f, r2 = 0.49f;
  const float s1 = (std::sqrt(4 * D * D - 4 * (1 - k) * (1 + D * D - r2)) - 2 * D) / (2 * (1 - k));
  ASSERT_GT(s1, -1.5f);
  ASSERT_LT(s1, 1.5f);
  const SSEVector4f& p = *orbital->clipPoints[0];
  EXPECT_NEAR(0.997f * s1, p.x, 1e-4f);   // on the focus side of the centre
  EXPECT_NEAR(0.0f, p.y, 1e-6f);
  const SSEVector4f& n = *orbital->clipNormals[0];
  EXPECT_NEAR(1.0f, n.x, 1e-5f);   // toward the spheroid's centre: that side stays
  ASSERT_TRUE(orbital->applyClipPlanes());
  expectNothingBeyondItsPlanes(*orbital);
  // The cap around the focus is gone: nothing is left near the sphere's far side.
  for (int i = 0; i < orbital->numVertices; ++i)
    ASSERT_GE(orbital->vertices[3 * i], 0.997f * s1 - 1e-3f);
}

TEST(SphereClipping, AskingTheSpheroidFirstIsAnErrorNotAnExit) {
  SpheroidPtr orbital = orbitalBetween(SSEVector4f(-1, 0, 0), SSEVector4f(1, 0, 0), 0.3f);
  SpheroidPtr sphere = sphereAt(0.5f, SSEVector4f(-1, 0, 0));
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(-1, orbital->calculateClipPlane(sphere.get()));
  const std::string err = errorLog.text();
  EXPECT_EQ(0u, err.find("You clipped in the wrong order. Must use "
                         "sphere->calculateClipPlane(spheroid) ... (spheroid \""));
  EXPECT_EQ(1u, errorLog.lines.size());
  EXPECT_TRUE(orbital->clipPoints.empty());
}

TEST(SpheroidClipping, BondsSharingANucleusEachKeepTheirFarNucleus) {
  const SSEVector4f shared(0, 0, 0);
  const SSEVector4f left(-1.5f, 0, 0);
  const SSEVector4f upper(0.5f, 1.4f, 0);   // about 109 degrees from the first bond
  SpheroidPtr first = orbitalBetween(left, shared, 0.35f);
  SpheroidPtr second = orbitalBetween(shared, upper, 0.35f);
  ASSERT_EQ(3, first->calculateClipPlane(second.get()));
  ASSERT_EQ(1u, first->clipPoints.size());
  ASSERT_EQ(1u, second->clipPoints.size());
  // One plane, opposite normals.
  EXPECT_NEAR(first->clipNormals[0]->x, -second->clipNormals[0]->x, 1e-5f);
  EXPECT_NEAR(first->clipNormals[0]->y, -second->clipNormals[0]->y, 1e-5f);
  // The plane passes through the shared nucleus's neighbourhood, between the two axes.
  first->clipPlanePoint = *first->clipPoints[0];
  first->clipPlaneNormal = *first->clipNormals[0];
  EXPECT_EQ(1, first->classifyClipPoint(&left));
  EXPECT_EQ(-1, first->classifyClipPoint(&upper));
  second->clipPlanePoint = *second->clipPoints[0];
  second->clipPlaneNormal = *second->clipNormals[0];
  EXPECT_EQ(1, second->classifyClipPoint(&upper));

  const int before = first->numVertices;
  ASSERT_TRUE(first->applyClipPlanes());
  ASSERT_TRUE(second->applyClipPlanes());
  EXPECT_LT(first->numVertices, before);
  expectNothingBeyondItsPlanes(*first);
  expectNothingBeyondItsPlanes(*second);
}

TEST(SpheroidClipping, CollinearBondsAreCutAcrossTheAxis) {
  SpheroidPtr first = orbitalBetween(SSEVector4f(-1.2f, 0, 0), SSEVector4f(0, 0, 0), 0.3f);
  SpheroidPtr second = orbitalBetween(SSEVector4f(0, 0, 0), SSEVector4f(1.2f, 0, 0), 0.3f);
  ASSERT_EQ(3, first->calculateClipPlane(second.get()));
  ASSERT_EQ(1u, first->clipNormals.size());
  EXPECT_NEAR(-1.0f, first->clipNormals[0]->x, 1e-4f);   // first keeps the -x side
  EXPECT_NEAR(0.0f, first->clipPoints[0]->x, 1e-3f);
}

TEST(SpheroidClipping, PlaneThroughTheMiddleHalvesTheSurface) {
  SpheroidPtr s(new Spheroid(0.6f, 0.8f, 1.0f));
  s->rings = s->segments = 40;
  ASSERT_TRUE(s->createGeometry());
  const float whole = s->calculateClippedSurfaceArea();
  s->clipPoints.push_back(new SSEVector4f(0, 0, 0));
  s->clipNormals.push_back(new SSEVector4f(0, 0, 1.0f, 0.0f));
  ASSERT_TRUE(s->applyClipPlanes());
  expectNothingBeyondItsPlanes(*s);
  EXPECT_NEAR(0.5f * whole, s->calculateClippedSurfaceArea(), 0.01f * whole);
  // A second plane that keeps everything left changes nothing.
  const int vertices = s->numVertices;
  s->clipPoints.push_back(new SSEVector4f(0, 0, -5.0f));
  s->clipNormals.push_back(new SSEVector4f(0, 0, 1.0f, 0.0f));
  ASSERT_TRUE(s->applyClipPlanes());
  EXPECT_EQ(vertices, s->numVertices);
  // A plane beyond the spheroid cuts it all away without harm.
  s->clipPoints.push_back(new SSEVector4f(0, 0, 5.0f));
  s->clipNormals.push_back(new SSEVector4f(0, 0, 1.0f, 0.0f));
  ASSERT_TRUE(s->applyClipPlanes());
  EXPECT_EQ(0, s->numVertices);
  EXPECT_EQ(0, s->numIndices);
  EXPECT_FLOAT_EQ(0.0f, s->calculateClippedSurfaceArea());
}
