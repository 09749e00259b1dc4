// Coordinates from connectivity: chains, rings, fused systems, stereocentres and fragments,
// built from graphs that went through the shipped perception and typing.

#include <cmath>

#include <gtest/gtest.h>

#include "construction/SetupFixture.h"
#include "model/Ring.h"
#include "parameters/ParameterRecords.h"
#include "support/AtomGeometry.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;
using kvtest::angleDeg;
using kvtest::distance;
using kvtest::torsionDeg;

class Coordinates : public setuptest::SetupTest {};

namespace {

std::unique_ptr<Molecule> construct(const std::vector<std::string>& elements,
                                    const std::vector<kvtest::Edge>& edges) {
  return setuptest::prepare(buildMolecule(elements, edges));
}

std::vector<kvtest::Edge> ringEdges(int size, int order = 1) {
  std::vector<kvtest::Edge> edges;
  for (int i = 0; i < size; ++i) edges.push_back({i, (i + 1) % size, order});
  return edges;
}

Atom* ringAtom(Molecule& m, const Ring* ring, int k) {
  const int n = static_cast<int>(ring->atomIds.size());
  return m.atoms[ring->atomIds[((k % n) + n) % n]];
}

}  // namespace

TEST_F(Coordinates, OneAtomEndsAtTheOrigin) {
  auto m = buildMolecule({"Cl"}, {});
  setuptest::engine();
  m->createOptimumGeometry();
  ASSERT_EQ(1u, m->positions.size());
  EXPECT_EQ(0.0f, m->positions[0].length());
}

TEST_F(Coordinates, EveryAtomIsPlacedOnceWithFinitePositions) {
  // Isobutanol with an ester side: branches, a carbonyl and terminal atoms.
  auto m = construct({"C", "C", "C", "C", "O", "C", "O", "O"},
                     {{0, 1, 1}, {1, 2, 1}, {1, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 2},
                      {5, 7, 1}});
  ASSERT_EQ(m->atoms.size(), m->positions.size());
  for (size_t i = 0; i < m->atoms.size(); ++i) {
    EXPECT_TRUE(m->atoms[i]->isPlaced);
    EXPECT_TRUE(std::isfinite(m->positions[i].x) && std::isfinite(m->positions[i].y) &&
                std::isfinite(m->positions[i].z));
    for (size_t j = 0; j < i; ++j)
      EXPECT_GT(distance(m->atoms[i], m->atoms[j]), 0.5) << i << " and " << j << " overlap";
  }
}

TEST_F(Coordinates, ChainBondsTakeTheirTableLengthAndTransDihedralsAndALinearCentreStaysLinear) {
  auto m = construct({"C", "C", "C", "C"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
  for (const Bond* b : m->bonds)
    EXPECT_NEAR(b->focalDistance, distance(b->atom1, b->atom2), 1e-3) << b->getName();
  const Bond* middle = m->getBond(m->atoms[1], m->atoms[2]);
  ASSERT_TRUE(middle->hasDihedral);
  EXPECT_NEAR(180.0, std::fabs(torsionDeg(m->atoms[0], m->atoms[1], m->atoms[2], m->atoms[3])),
              1.0);
  // Carbon dioxide: the default angle of a centre with more used valence than bonds is 180.
  auto co2 = construct({"O", "C", "O"}, {{0, 1, 2}, {1, 2, 2}});
  EXPECT_NEAR(180.0, angleDeg(co2->atoms[0], co2->atoms[1], co2->atoms[2]), 0.1);
}

TEST_F(Coordinates, APlacedAtomAndADihedralSetBeforehandAreKept) {
  auto m = setuptest::prepare(
      buildMolecule({"C", "C", "C", "C"}, {{0, 1, 1}, {1, 2, 2}, {2, 3, 1}}), false);
  Bond* middle = m->getBond(m->atoms[1], m->atoms[2]);
  middle->dihedralAtom1 = m->atoms[0];
  middle->dihedralAtom2 = m->atoms[3];
  middle->dihedral = 0.0f;   // cis
  middle->hasDihedral = true;
  m->atoms[1]->position = SSEVector4f(5.0f, -3.0f, 2.0f, 1.0f);
  m->atoms[1]->isPlaced = true;
  m->createOptimumGeometry();
  EXPECT_EQ(0.0f, middle->dihedral);
  EXPECT_NEAR(0.0, torsionDeg(m->atoms[0], m->atoms[1], m->atoms[2], m->atoms[3]), 1.0);
  EXPECT_EQ(0.0f, (m->atoms[1]->position - SSEVector4f(5.0f, -3.0f, 2.0f, 1.0f)).length());
  EXPECT_NEAR(m->getBond(m->atoms[0], m->atoms[1])->focalDistance,
              distance(m->atoms[0], m->atoms[1]), 1e-3);
}

// Three-rings and benzene are flat regular polygons, cyclohexane a crown whose torsions
// alternate in sign; six-rings take the ring bond length. A saturated four-membered ring is the
// square folded 25 degrees about a diagonal: the angles at the diagonal's ends close to 87.3,
// the other two stay 90, and the torsions alternate at 17.4.
TEST_F(Coordinates, RingsAreRegularPolygonsOrCrowns) {
  const struct {
    int size;
    bool benzene;
    double angle, torsion, angleSpread;
  } cases[] = {{3, false, 60.0, 0.0, 0.1}, {4, false, 88.66, 17.41, 1.45},
               {6, true, 120.0, 0.0, 0.1}, {6, false, 109.47, 60.0, 0.1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "ring of " << c.size << (c.benzene ? " aromatic" : ""));
    auto m = setuptest::prepare(c.benzene ? kvtest::buildBenzene()
                              : buildMolecule(std::vector<std::string>(c.size, "C"),
                                              ringEdges(c.size)));
    ASSERT_EQ(1u, m->rings.size());
    const Ring* ring = m->rings[0];
    auto at = [&](int k) { return ringAtom(*m, ring, k); };
    double previous = 0.0;
    for (int k = 0; k < c.size; ++k) {
      if (c.size == 6) {
        EXPECT_NEAR(1.3941, distance(at(k), at(k + 1)), 1e-3);
      }
      EXPECT_NEAR(c.angle, angleDeg(at(k - 1), at(k), at(k + 1)), c.angleSpread);
      if (c.size < 4) continue;
      const double t = torsionDeg(at(k), at(k + 1), at(k + 2), at(k + 3));
      EXPECT_NEAR(c.torsion, std::fabs(t), 0.5);
      if (c.torsion > 0.0 && k > 0) {
        EXPECT_LT(t * previous, 0.0) << "torsions alternate in sign";
      }
      previous = t;
    }
    if (c.size == 4) {
      // Opposite corners alike: one pair closed to 87.3, the other at 90.
      const double first = angleDeg(at(3), at(0), at(1)), second = angleDeg(at(0), at(1), at(2));
      EXPECT_NEAR(first, angleDeg(at(1), at(2), at(3)), 0.1);
      EXPECT_NEAR(second, angleDeg(at(2), at(3), at(0)), 0.1);
      EXPECT_NEAR(87.3, std::min(first, second), 0.3);
      EXPECT_NEAR(90.0, std::max(first, second), 0.3);
    }
  }
}

// Cyclopentane is laid as an envelope: a flat ring is a saddle of the force field with no force
// out of its plane, where a symmetric ring (1,1-dimethylcyclopentane) stayed. Four atoms keep the
// pentagon's plane, its angle at the two away from the flap; the flap stands out of it, both its
// bonds whole. Furan, without a four-connected atom, stays flat.
TEST_F(Coordinates, SaturatedFiveRingsAreEnvelopesAndFlatFiveRingsStayFlat) {
  auto cyclopentane = setuptest::prepare(buildMolecule(std::vector<std::string>(5, "C"),
                                                       ringEdges(5)));
  auto furan = setuptest::prepare(buildMolecule(
      {"O", "C", "C", "C", "C"}, {{0, 1, 1}, {1, 2, 2}, {2, 3, 1}, {3, 4, 2}, {4, 0, 1}}));
  for (Molecule* m : {cyclopentane.get(), furan.get()}) {
    ASSERT_EQ(1u, m->rings.size());
    const Ring* ring = m->rings[0];
    auto at = [&](int k) { return ringAtom(*m, ring, k); };
    int flat = 0, pentagonAngles = 0;
    for (int k = 0; k < 5; ++k) {
      EXPECT_NEAR(1.3941, distance(at(k), at(k + 1)), 1e-3) << k;
      const double t = torsionDeg(at(k), at(k + 1), at(k + 2), at(k + 3));
      if (std::fabs(t) < 0.5) {
        ++flat;
      } else {
        EXPECT_GT(std::fabs(t), 10.0) << k;
      }
      if (std::fabs(angleDeg(at(k - 1), at(k), at(k + 1)) - 108.0) < 0.1) ++pentagonAngles;
    }
    const bool envelope = m == cyclopentane.get();
    EXPECT_EQ(envelope ? 1 : 5, flat);
    EXPECT_EQ(envelope ? 3 : 5, pentagonAngles);
  }
}

TEST_F(Coordinates, TwoWatersStandSideBySideAlongX) {
  auto m = construct({"O", "O"}, {});
  ASSERT_EQ(6u, m->atoms.size());   // two oxygens with their hydrogens
  // The second fragment lies wholly 2 A beyond the first along x (its seed once went 2 A beyond
  // and its second hydrogen reached back behind it), its seed at the first's largest y and z.
  const Atom* secondSeed = m->atoms[1];
  float maxX = -1e9f, maxY = -1e9f, maxZ = -1e9f, minSecondX = 1e9f;
  for (const Atom* a : m->atoms) {
    bool inSecond = a == secondSeed;
    for (const Bond* b : secondSeed->bonds) inSecond = inSecond || b->atom1 == a || b->atom2 == a;
    if (inSecond) {
      minSecondX = std::min(minSecondX, a->position.x);
      continue;
    }
    maxX = std::max(maxX, a->position.x);
    maxY = std::max(maxY, a->position.y);
    maxZ = std::max(maxZ, a->position.z);
  }
  EXPECT_NEAR(maxX + 2.0f, minSecondX, 1e-4);
  EXPECT_NEAR(maxY, secondSeed->position.y, 1e-4);
  EXPECT_NEAR(maxZ, secondSeed->position.z, 1e-4);
}

// A label outside 1 and 2 counts as none.
TEST_F(Coordinates, MirrorLabelsGiveMirrorImages) {
  auto build = [](int label) {
    auto m = setuptest::prepare(
        buildMolecule({"C", "F", "Cl", "Br", "I"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}}),
        false);
    m->atoms[0]->neighbours = {m->atoms[1], m->atoms[2], m->atoms[3], m->atoms[4]};
    m->atoms[0]->piCount = label;
    m->createOptimumGeometry();
    return m;
  };
  auto one = build(1);
  auto two = build(2);
  // Same first two neighbours, the third and fourth swap sides: the signed volume flips.
  auto volume = [](Molecule& m) {
    return torsionDeg(m.atoms[1], m.atoms[0], m.atoms[2], m.atoms[3]);
  };
  EXPECT_NEAR(volume(*one), -volume(*two), 0.5);
  EXPECT_GT(std::fabs(volume(*one)), 60.0);
  auto none = build(0);
  auto outside = build(7);
  for (int i = 0; i < 5; ++i)
    EXPECT_LT((none->positions[i] - outside->positions[i]).length(), 1e-5f) << i;
}

TEST_F(Coordinates, FourBondedCentresStayTetrahedralWhereTheirAnglesCannotAllHold) {
  // Neopentanol with every angle at its quaternary carbon 120 degrees (any three of them lie in
  // one plane), and dimethyl sulfone without angle rows, whose sulfur's default angle is linear.
  // Both once put two neighbours of the centre on one point.
  struct Case {
    std::vector<std::string> elements;
    std::vector<kvtest::Edge> edges;
    int centre;
    const char* angleRows;   // ahead of the shipped ones; null: no angle rows at all
  };
  const Case cases[] = {
      {{"O", "C", "C", "C", "C", "C"},
       {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {2, 4, 1}, {2, 5, 1}}, 2, "*  C  *  120.0\n"},
      {{"C", "S", "O", "O", "C"}, {{0, 1, 1}, {1, 2, 2}, {1, 3, 2}, {1, 4, 1}}, 1, nullptr}};
  for (const Case& c : cases) {
    InputParameters tables{InputParameters::EmptyTables{}};
    if (c.angleRows != nullptr) tables.parseAngleTable(c.angleRows);
    tables.loadTables(InputParameters::resourcePrefix);
    tables.parseBondTable(setuptest::elementBondRows());
    if (c.angleRows == nullptr) {
      for (AngleParameters* row : tables.angleParameters) delete row;
      tables.angleParameters.clear();
    }
    InputParameters* previous = InputParameters::swapInstance(&tables);
    auto m = construct(c.elements, c.edges);
    InputParameters::swapInstance(previous);

    const Atom* centre = m->atoms[c.centre];
    const std::vector<Atom*> n = centre->getAdjacentAtoms();
    ASSERT_EQ(4u, n.size());
    for (size_t i = 0; i < 4; ++i)
      for (size_t j = i + 1; j < 4; ++j)
        EXPECT_GT(angleDeg(n[i], centre, n[j]), 90.0) << c.elements[c.centre] << " " << i << j;
  }
}

TEST_F(Coordinates, FiveAndSixConnectedCentresAreBuiltAsBipyramidsAndOctahedra) {
  // The mirror steps lay out angles of one table value; a centre of PCl5 or SF6 came out with
  // angles from 66 to 139 degrees before the force field ever ran. As built, before any
  // optimisation, they are the ideal bipyramid or octahedron. A neighbour that carries more
  // atoms (the phenyl of PhPCl4) is a reference the polyhedron turns to.
  const struct {
    std::vector<std::string> elements;
    std::vector<kvtest::Edge> edges;
  } cases[] = {
      {{"P", "Cl", "Cl", "Cl", "Cl", "Cl"}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {0, 5, 1}}},
      {{"S", "F", "F", "F", "F", "F", "F"},
       {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {0, 4, 1}, {0, 5, 1}, {0, 6, 1}}},
      {{"Cl", "Cl", "P", "Cl", "Cl", "C", "C", "C", "C", "C", "C"},
       {{0, 2, 1}, {1, 2, 1}, {2, 3, 1}, {2, 4, 1}, {2, 5, 1}, {5, 6, 2}, {6, 7, 1}, {7, 8, 2},
        {8, 9, 1}, {9, 10, 2}, {10, 5, 1}}}};
  for (const auto& c : cases) {
    auto m = construct(c.elements, c.edges);
    const Atom* centre = nullptr;
    for (const Atom* a : m->atoms)
      if (a->degree >= 5) centre = a;
    ASSERT_NE(nullptr, centre) << c.elements.size();
    const double misfit = kvtest::polyhedronMisfitDeg(centre);
    EXPECT_GE(misfit, 0.0) << centre->element;
    EXPECT_LE(misfit, 0.5) << centre->element;
  }
}
