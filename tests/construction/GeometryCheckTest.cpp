// Checks of atom positions (close pairs, the hand of labelled centres) and the repair of a
// constructed geometry, on graphs built by hand.

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "construction/GeometryCheck.h"
#include "construction/SetupFixture.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::distance;

namespace {

class GeometryChecks : public setuptest::SetupTest {};

void put(Atom* atom, double x, double y, double z) {
  atom->position = SSEVector4f(static_cast<float>(x), static_cast<float>(y),
                               static_cast<float>(z), 1.0f);
}

// A carbon with four neighbours at the corners of a regular tetrahedron, listed so that seen
// from the first the other three turn clockwise: "@@".
std::unique_ptr<Molecule> labelledCentre(int label) {
  auto m = buildMolecule({"C", "F", "Cl", "Br", "H"},
                         {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}});
  const double corners[5][3] = {{0.0, 0.0, 0.0},        {0.0, 0.0, 1.4},     {1.32, 0.0, -0.47},
                                {-0.66, -1.14, -0.47}, {-0.51, 0.89, -0.36}};
  for (int i = 0; i < 5; ++i) put(m->atoms[i], corners[i][0], corners[i][1], corners[i][2]);
  m->atoms[0]->neighbours = {m->atoms[1], m->atoms[2], m->atoms[3], m->atoms[4]};
  m->atoms[0]->piCount = label;
  return m;
}

void mirror(Molecule& m) {
  for (Atom* a : m.atoms) a->position.x = -a->position.x;
}

// trans-Decalin built by the construction, both fusion carbons labelled as built.
std::unique_ptr<Molecule> labelledDecalin() {
  auto m = setuptest::prepare(
      buildMolecule(std::vector<std::string>(10, "C"),
                    {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1},
                     {4, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 9, 1}, {9, 5, 1}}));
  for (int fusion : {4, 5}) {
    Atom* centre = m->atoms[fusion];
    centre->neighbours = centre->getAdjacentAtoms();
    centre->piCount = handednessInSpace(*centre);
  }
  return m;
}

}  // namespace

TEST(ClosePairs, TheCellGridFindsWhatAllPairsFind) {
  std::minstd_rand random(7);
  std::uniform_real_distribution<double> coordinate(-6.0, 6.0);
  for (double limit : {0.7, 2.5}) {
    std::vector<Point3> points(400);
    for (Point3& p : points) p = {coordinate(random), coordinate(random), coordinate(random)};
    // Points on cell faces and at a coincident spot.
    points[0] = {0.0, 0.0, 0.0};
    points[1] = {limit, -limit, 2.0 * limit};
    points[2] = {limit - 1e-9, -limit, 2.0 * limit};
    points[3] = points[0];
    points[4] = {NAN, 0.0, 0.0};
    std::set<std::pair<size_t, size_t> > grid;
    forEachPairWithin(points, limit, [&](size_t i, size_t j, double d) {
      EXPECT_LT(i, j);
      EXPECT_LT(d, limit);
      EXPECT_TRUE(grid.emplace(i, j).second) << "pair twice";
    });
    std::set<std::pair<size_t, size_t> > all;
    for (size_t i = 0; i < points.size(); ++i)
      for (size_t j = i + 1; j < points.size(); ++j) {
        const double dx = points[i][0] - points[j][0], dy = points[i][1] - points[j][1],
                     dz = points[i][2] - points[j][2];
        if (std::sqrt(dx * dx + dy * dy + dz * dz) < limit) all.emplace(i, j);
      }
    EXPECT_FALSE(all.empty());
    EXPECT_EQ(all, grid) << "limit " << limit;
  }
}

TEST_F(GeometryChecks, StackedAtomsFailTheChainNamingThem) {
  auto m = buildMolecule({"C", "C", "O"}, {{0, 1, 1}});
  m->names = {"probe"};
  setuptest::engine()->setParameters(m.get());
  m->positions = {SSEVector4f(0.0f, 0.0f, 0.0f), SSEVector4f(1.54f, 0.0f, 0.0f),
                  SSEVector4f(0.3f, 0.0f, 0.0f)};
  kvtest::ErrorCapture errors;
  EXPECT_FALSE(setuptest::engine()->setCoordinates(m.get()));
  EXPECT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos,
            errors.text().find(
                "Error: coordinates: atoms C0 and O2 of \"probe\" are 0.30 Angstrom apart"))
      << errors.text();
  // Apart, they are fine; a bond may be as short as it likes.
  errors.clear();
  m->positions[2] = SSEVector4f(-0.8f, 0.0f, 0.0f);
  m->positions[1] = SSEVector4f(0.2f, 0.0f, 0.0f);
  EXPECT_TRUE(setuptest::engine()->setCoordinates(m.get()));
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
}

TEST_F(GeometryChecks, TheHandIsReadFromTheCoordinates) {
  auto m = labelledCentre(2);
  EXPECT_EQ(2, handednessInSpace(*m->atoms[0]));
  EXPECT_TRUE(findInvertedCentres(*m).empty());
  // A hydrogen pushed through to the side of the others springs back in an optimisation: the
  // hand is read from the rest.
  put(m->atoms[4], 0.1, -0.2, 0.4);
  EXPECT_EQ(2, handednessInSpace(*m->atoms[0]));
  mirror(*m);
  EXPECT_EQ(1, handednessInSpace(*m->atoms[0]));
  ASSERT_EQ(1u, findInvertedCentres(*m).size());
  EXPECT_NE(std::string::npos, describeGeometryFault(*m).find("centre C0 of"));
  // Flat: no hand.
  for (Atom* a : m->atoms) a->position.z = 0.0f;
  put(m->atoms[1], 0.0, -1.4, 0.0);
  EXPECT_EQ(0, handednessInSpace(*m->atoms[0]));
}

TEST_F(GeometryChecks, RepairTurnsInvertedCentresBackAndLeavesFixedAtoms) {
  // A centre with four free branches swaps two of them.
  auto m = labelledCentre(1);
  std::vector<double> lengths;
  for (const Bond* b : m->bonds) lengths.push_back(distance(b->atom1, b->atom2));
  std::vector<bool> allFixed(m->atoms.size(), true);
  repairGeometry(*m, allFixed, kMinimumNonBondedDistance);
  EXPECT_EQ(2, handednessInSpace(*m->atoms[0]));   // nothing may move
  repairGeometry(*m, {}, kMinimumNonBondedDistance);
  EXPECT_EQ(1, handednessInSpace(*m->atoms[0]));
  for (size_t i = 0; i < m->bonds.size(); ++i)
    EXPECT_NEAR(lengths[i], distance(m->bonds[i]->atom1, m->bonds[i]->atom2), 0.1);

  // A fusion carbon of trans-decalin asked to be cis: with three ring neighbours it goes
  // through the plane of them, and the other fusion carbon keeps its hand.
  auto decalin = labelledDecalin();
  ASSERT_TRUE(findInvertedCentres(*decalin).empty());
  decalin->atoms[4]->piCount = 3 - decalin->atoms[4]->piCount;
  repairGeometry(*decalin, {}, kMinimumNonBondedDistance);
  EXPECT_TRUE(findInvertedCentres(*decalin).empty());
  EXPECT_TRUE(findClosePairs(*decalin, 1.0).empty());
  for (const Bond* b : decalin->bonds)
    EXPECT_LT(distance(b->atom1, b->atom2), 1.8) << b->getName();
}

TEST_F(GeometryChecks, LayoutsUnderRestraintsHoldEveryLabelledCentreWhole) {
  // trans-Decalin with its atoms thrown into a small box. Every layout that comes back has the
  // labelled fusion carbons as written and nothing stacked, and the atoms stay where they were.
  // The least strained one has bonds near their lengths and both fusion carbons tetrahedral with
  // the hydrogen on its own side, not pushed through the plane of the three carbons.
  auto decalin = labelledDecalin();
  std::minstd_rand random(3);
  std::uniform_real_distribution<double> coordinate(-1.5, 1.5);
  for (Atom* a : decalin->atoms) put(a, coordinate(random), coordinate(random), coordinate(random));
  const SSEVector4f before = decalin->atoms[7]->position;
  const std::vector<std::vector<SSEVector4f> > layouts = soundLayouts(*decalin, {0, 1, 2, 3});
  EXPECT_EQ(before.x, decalin->atoms[7]->position.x);
  ASSERT_FALSE(layouts.empty());
  // Last to first, so that the least strained layout stays in the atoms for the checks after.
  for (size_t k = layouts.size(); k-- > 0;) {
    ASSERT_EQ(decalin->atoms.size(), layouts[k].size());
    for (size_t i = 0; i < layouts[k].size(); ++i) decalin->atoms[i]->position = layouts[k][i];
    EXPECT_TRUE(findInvertedCentres(*decalin).empty());
    EXPECT_TRUE(findClosePairs(*decalin, kMinimumNonBondedDistance).empty());
  }
  for (const Bond* b : decalin->bonds)
    EXPECT_NEAR(b->focalDistance, distance(b->atom1, b->atom2), 0.1) << b->getName();
  for (int fusion : {4, 5}) {
    const Atom* centre = decalin->atoms[fusion];
    const Atom* hydrogen = nullptr;
    SSEVector4f carbons(0.0f, 0.0f, 0.0f, 0.0f);
    for (const Atom* n : centre->getAdjacentAtoms()) {
      if (n->element == "H")
        hydrogen = n;
      else
        carbons = carbons + n->position * (1.0f / 3.0f);
    }
    ASSERT_NE(nullptr, hydrogen);
    SSEVector4f out = centre->position - carbons;
    SSEVector4f toHydrogen = hydrogen->position - centre->position;
    out.w = toHydrogen.w = 0.0f;
    EXPECT_GT(out.dot(toHydrogen), 0.0f) << "hydrogen of carbon " << fusion << " pushed through";
    for (const Atom* a : centre->getAdjacentAtoms())
      for (const Atom* b : centre->getAdjacentAtoms()) {
        if (a < b) {
          EXPECT_NEAR(109.5, kvtest::angleDeg(a, centre, b), 8.0);
        }
      }
  }
}

TEST_F(GeometryChecks, AtomsThreeOrMoreBondsApartUnderOneAndAHalfAngstromAreTangled) {
  // A zig-zag pentane skeleton and a lone carbon; each case moves one atom near another. Atoms
  // that close and three or more bonds apart (or in two fragments) have passed through each
  // other; across an angle only stacked atoms count.
  const double base[6][3] = {{0.0, 0.0, 0.0}, {1.26, 0.89, 0.0}, {2.52, 0.0, 0.0},
                             {3.78, 0.89, 0.0}, {5.04, 0.0, 0.0}, {20.0, 0.0, 0.0}};
  const struct {
    int moved;
    int near;
    double distance;
    bool tangled;
  } cases[] = {{4, 0, 1.2, true},  {3, 0, 1.4, true},  {5, 2, 1.3, true},
               {2, 0, 1.2, false}, {2, 0, 0.9, true},  {3, 0, 1.6, false}};
  for (const auto& c : cases) {
    auto m = buildMolecule(std::vector<std::string>(6, "C"),
                           {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
    for (int i = 0; i < 6; ++i) put(m->atoms[i], base[i][0], base[i][1], base[i][2]);
    put(m->atoms[c.moved], base[c.near][0], base[c.near][1], base[c.near][2] + c.distance);
    const std::vector<AtomPair> tangled = findTangledPairs(*m);
    ASSERT_EQ(c.tangled ? 1u : 0u, tangled.size()) << c.moved << " near " << c.near;
    if (c.tangled) {
      EXPECT_EQ(std::set<Atom*>({m->atoms[c.moved], m->atoms[c.near]}),
                std::set<Atom*>({tangled[0].first, tangled[0].second}));
    }
  }
}

TEST_F(GeometryChecks, TheChainsRepairPullsApartMoleculesLaidIntoEachOther) {
  // Two waters, a hydrogen of one 1.2 Angstrom from the oxygen of the other: no stack, no
  // overlap of heavy atoms, nothing the construction's repair looks at, but no finished molecule.
  auto m = setuptest::prepare(
      buildMolecule({"O", "H", "H", "O", "H", "H"}, {{0, 1, 1}, {0, 2, 1}, {3, 4, 1}, {3, 5, 1}}),
      false);
  m->names = {"two waters"};
  const double at[6][3] = {{0.0, 0.0, 0.0}, {0.96, 0.0, 0.0},  {-0.24, 0.93, 0.0},
                           {2.16, 0.0, 0.0}, {3.12, 0.0, 0.0}, {1.92, 0.93, 0.0}};
  for (int i = 0; i < 6; ++i) put(m->atoms[i], at[i][0], at[i][1], at[i][2]);
  EXPECT_NE(std::string::npos,
            describeChainFault(*m).find(
                "Error: coordinates: atoms H1 and O3 of \"two waters\" are 1.20 Angstrom apart"))
      << describeChainFault(*m);
  repairGeometry(*m, {}, kFinishedNonBondedDistance);
  EXPECT_TRUE(findTangledPairs(*m).empty());
  EXPECT_GE(distance(m->atoms[1], m->atoms[3]), 1.5);
  for (const Bond* b : m->bonds) EXPECT_NEAR(0.96, distance(b->atom1, b->atom2), 0.1);
}
