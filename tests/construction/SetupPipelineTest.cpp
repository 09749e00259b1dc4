// The set-up chain: table parameters onto atoms and bonds, spheres and spheroids from the packed
// positions, and the two optimisation paths.

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "construction/SetupFixture.h"
#include "forcefield/ForceFieldFixture.h"
#include "model/Spheroid.h"
#include "support/MoleculeBuilder.h"
#include "support/ErrorCapture.h"
#include "support/StdoutCapture.h"

using kvtest::buildMolecule;
using kvtest::distance;

namespace {

// The force-field fixture's few-row tables (with "DUM" and the "CH3"-"CH3" row) swapped in.
class SetupPipeline : public ::testing::Test {
 protected:
  void SetUp() override { engine = setuptest::engine(); }
  fftest::ScopedTables tables;
  IOEngine* engine = nullptr;
};

void placeAt(Molecule& m, int atom, float x, float y, float z) {
  if (m.positions.size() != m.atoms.size())
    m.positions.assign(m.atoms.size(), SSEVector4f(0.0f, 0.0f, 0.0f, 1.0f));
  m.positions[atom] = SSEVector4f(x, y, z, 1.0f);
}

// Two typed atoms joined by one bond, at the given distance along direction (dx, dy, dz).
std::unique_ptr<Molecule> typedPair(const char* type1, const char* type2, float length,
                                    float dx = 1.0f, float dy = 0.0f, float dz = 0.0f) {
  auto m = buildMolecule({"C", "C"}, {{0, 1, 1}});
  m->atoms[0]->type = type1;
  m->atoms[1]->type = type2;
  placeAt(*m, 0, 0.0f, 0.0f, 0.0f);
  placeAt(*m, 1, dx * length, dy * length, dz * length);
  return m;
}

}  // namespace

TEST_F(SetupPipeline, AtomParametersComeFromTheTypeTable) {
  auto m = buildMolecule({"X", "C"}, {});
  m->atoms[0]->type = "NOSUCHTYPE";
  m->atoms[0]->radius = 0.0f;
  m->atoms[0]->mass = 3.5f;
  m->atoms[1]->type = "CH3";
  engine->setParameters(m.get());
  EXPECT_EQ("X", m->atoms[0]->element);   // unknown type: the atom keeps its fields
  EXPECT_EQ(3.5f, m->atoms[0]->mass);
  EXPECT_NEAR(1.40 * 0.529, m->atoms[1]->radius, 1e-5);   // Bohr to Angstrom
  EXPECT_EQ("CSP3", m->atoms[1]->superType);
  EXPECT_NEAR(12.01115f, m->atoms[1]->mass, 1e-4);

  placeAt(*m, 1, 3.0f, 0.0f, 0.0f);
  ASSERT_TRUE(engine->setCoordinates(m.get()));
  EXPECT_EQ(0.05f, m->atoms[0]->sphere->a);   // a zero radius still shows a small sphere
  EXPECT_EQ(m->atoms[1]->radius, m->atoms[1]->sphere->a);
  EXPECT_EQ(3.0f, m->atoms[1]->sphere->centre.x);
}

TEST_F(SetupPipeline, BondParametersAndTheMissingRowFallback) {
  auto known = typedPair("H", "CH3", 1.10974f);
  engine->setParameters(known.get());
  const Bond* b = known->bonds[0];
  EXPECT_NEAR(1.10974, b->focalDistance, 1e-5);
  EXPECT_NEAR(1.6492 * 0.529, b->semiMajorAxis, 1e-4);
  EXPECT_NEAR(std::sqrt(b->semiMajorAxis * b->semiMajorAxis - 0.25 * 1.10974 * 1.10974),
              b->semiMinorAxis, 1e-4);
  EXPECT_NEAR(0.37 / 1.10974 * 4.802813, std::fabs(b->momentTerm), 1e-4);
  EXPECT_FALSE(known->hasApproximatedParameters);

  auto unknown = typedPair("OK", "NTRO", 1.5f);
  unknown->bonds[0]->momentTerm = 0.75f;
  engine->setParameters(unknown.get());
  const Bond* u = unknown->bonds[0];
  // The CH3-CH3 single bond's energy, at the length of the O and N covalent radii, its axis
  // scaled with it.
  EXPECT_NEAR(0.63 + 0.71, u->focalDistance, 1e-5);
  EXPECT_NEAR(2.0 * 0.529 * 1.34 / 1.54, u->semiMajorAxis, 1e-4);
  EXPECT_NEAR(3.60f, u->energy, 1e-5);
  EXPECT_TRUE(unknown->hasApproximatedParameters);
  EXPECT_EQ(0.75f, u->momentTerm);             // its moment term is left alone
}

TEST_F(SetupPipeline, TessellationFollowsTheAtomCount) {
  for (unsigned count : {100u, 101u}) {
    auto m = buildMolecule(std::vector<std::string>(count, "C"), {});
    kvtest::setIndexPositions(*m);
    ASSERT_TRUE(engine->setCoordinates(m.get()));
    const int expected = count <= 100 ? 20 : 16;
    EXPECT_EQ(expected, m->atoms[0]->sphere->rings) << count;
    EXPECT_EQ(expected, m->atoms[count - 1]->sphere->segments) << count;
  }
}

TEST_F(SetupPipeline, BondSpheroidsRunAlongTheBondWithFociOnTheNuclei) {
  auto m = typedPair("CH3", "CH3", 1.54f, 0.36f, 0.48f, 0.8f);
  engine->setParameters(m.get());
  ASSERT_TRUE(engine->setCoordinates(m.get()));
  const Spheroid* s = m->bonds[0]->spheroid;
  ASSERT_NE(nullptr, s);
  EXPECT_TRUE(s->kind == SpheroidKind::BondOrbital && s->rings == 20);
  EXPECT_NEAR(1.54 / (2.0 * 2.0 * 0.529), s->e, 1e-5);   // at the table distance nothing scales
  const Atom* a1 = m->atoms[0];
  const Atom* a2 = m->atoms[1];
  auto near = [](const SSEVector4f& p, const SSEVector4f& q) { return (p - q).length() < 1e-4; };
  EXPECT_TRUE((near(s->focus1, a1->position) && near(s->focus2, a2->position)) ||
              (near(s->focus1, a2->position) && near(s->focus2, a1->position)));
  const SSEVector4f mid = (a1->position + a2->position) * 0.5f;
  EXPECT_TRUE(near(s->centre, mid));

  // A bond straight up has zero yaw and a quarter-turn pitch.
  auto up = typedPair("CH3", "CH3", 1.54f, 0.0f, 1.0f, 0.0f);
  engine->setParameters(up.get());
  ASSERT_TRUE(engine->setCoordinates(up.get()));
  EXPECT_NEAR(0.0f, up->bonds[0]->orientation[1], 1e-6);
  EXPECT_NEAR(1.5707963f, up->bonds[0]->orientation[2], 1e-6);
}

TEST_F(SetupPipeline, CoincidentNucleiGiveNoNaNAndLaterRunsKeepTheRatioOfAxisToLength) {
  auto m = typedPair("CH3", "CH3", 0.0f);
  engine->setParameters(m.get());
  ASSERT_TRUE(engine->setCoordinates(m.get()));
  const Spheroid* s = m->bonds[0]->spheroid;
  ASSERT_NE(nullptr, s);
  EXPECT_TRUE(std::isfinite(s->a) && std::isfinite(s->b) && std::isfinite(s->e) &&
              std::isfinite(s->centre.x) && std::isfinite(s->focus1.x) &&
              std::isfinite(s->focus2.z));
  EXPECT_NEAR(1.54, m->bonds[0]->focalDistance, 1e-5);   // still scalable next time
  placeAt(*m, 1, 1.54f, 0.0f, 0.0f);
  ASSERT_TRUE(engine->setCoordinates(m.get()));
  EXPECT_NEAR(2.0 * 0.529, m->bonds[0]->semiMajorAxis, 1e-5);
  placeAt(*m, 1, 1.80f, 0.0f, 0.0f);
  ASSERT_TRUE(engine->setCoordinates(m.get()));
  EXPECT_NEAR(1.80, m->bonds[0]->focalDistance, 1e-5);
  EXPECT_NEAR(2.0 * 0.529 / 1.54, m->bonds[0]->semiMajorAxis / m->bonds[0]->focalDistance, 1e-6);
}

TEST_F(SetupPipeline, AnOverstretchedBondFailsWithoutStoppingTheOthers) {
  // Three carbons in a row; the first bond stretched past twice its major axis.
  auto m = buildMolecule({"C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}});
  for (Atom* a : m->atoms) a->type = "CH3";
  engine->setParameters(m.get());
  m->bonds[0]->focalDistance = 1.0;   // so the scaled axis grows slower than the length
  m->bonds[0]->semiMajorAxis = 0.4;
  m->positions = {SSEVector4f(0.0f, 0.0f, 0.0f), SSEVector4f(1.54f, 0.0f, 0.0f),
                  SSEVector4f(3.08f, 0.0f, 0.0f)};
  kvtest::ErrorCapture errorLog;
  EXPECT_FALSE(engine->setCoordinates(m.get()));
  EXPECT_NE(std::string::npos,
            errorLog.text().find("Error: major axis of bond is less than focal length"));
  EXPECT_EQ(nullptr, m->bonds[0]->spheroid);   // the failing bond keeps what it had
  ASSERT_NE(nullptr, m->bonds[1]->spheroid);   // the bond after it is still rebuilt
  EXPECT_NEAR(1.54, m->bonds[1]->focalDistance, 1e-5);
}

TEST_F(SetupPipeline, ABondAxisIsCoarseTakesTheCartesianPathAndLeavesTheFlag) {
  // A methyl group with an open valence: three hydrogens and a dummy on the carbon.
  auto m = fftest::buildMolecule("methyl",
                                 {{"CH3", "C", 0.0f, 0.0f, 0.0f},
                                  {"H", "H", 0.363f, 1.027f, 0.0f},
                                  {"H", "H", 0.363f, -0.513f, 0.889f},
                                  {"H", "H", 0.363f, -0.513f, -0.889f},
                                  {"DUM", "R", -2.1153f, 0.0f, 0.0f}},
                                 {{0, 1, 1, false}, {0, 2, 1, false}, {0, 3, 1, false},
                                  {0, 4, 1, false}});
  engine->setParameters(m.get());
  m->positions.clear();
  for (Atom* a : m->atoms) m->positions.push_back(a->position);
  ASSERT_TRUE(engine->setCoordinates(m.get()));
  EXPECT_EQ(0.001f, m->atoms[4]->sphere->a);   // a dummy's sphere whatever its radius
  const Spheroid* axis = m->bonds[3]->spheroid;   // an axis is small and coarse
  EXPECT_TRUE(axis->kind == SpheroidKind::OpenBondAxis && axis->rings == 4 && axis->segments == 4);
  kvtest::StdoutCapture progress;
  EXPECT_TRUE(engine->optimizeGeometryM(m.get(), false));
  const std::string out = progress.text();
  EXPECT_NE(std::string::npos, out.find("\n++++++++++++++ methyl ++++++++++++++\n"));
  EXPECT_NE(std::string::npos, out.find("Energy after Minimization "));
  EXPECT_FALSE(m->isOptimized);
  EXPECT_TRUE(m->bonds[3]->isBondAxis);

  EXPECT_TRUE(engine->optimizeGeometryM(m.get(), true));
  EXPECT_TRUE(m->isOptimized);
}

TEST_F(SetupPipeline, OptimisedEthaneHasTheTableBondLengths) {
  auto m = fftest::ethane();
  for (Atom* a : m->atoms) a->isPlaced = false;
  engine->setParameters(m.get());
  m->createOptimumGeometry();
  kvtest::StdoutCapture quiet;
  EXPECT_TRUE(engine->optimizeGeometryM(m.get(), false));
  EXPECT_TRUE(m->isOptimized);
  for (const Bond* b : m->bonds) {
    const bool carbonCarbon = b->atom1->type == "CH3" && b->atom2->type == "CH3";
    EXPECT_NEAR(carbonCarbon ? 1.54 : 1.10974, distance(b->atom1, b->atom2), 0.01)
        << b->getName();
  }
}

TEST_F(SetupPipeline, NullMoleculesAreRefused) {
  engine->setParameters(nullptr);
  EXPECT_FALSE(engine->setCoordinates(nullptr));
  EXPECT_FALSE(engine->optimizeGeometryM(nullptr, true));
  EXPECT_FALSE(engine->optimizeGeometryF(nullptr));
  EXPECT_FALSE(engine->localMinimization(nullptr));
  engine->calProperty(nullptr);
}
