// The geometry-optimisation driver: annealing, ABNR and what it writes back into the molecule.
#include "forcefield/InternalCoordinates.h"
#include "forcefield/OptimiserFixture.h"

#include "model/Atom.h"

#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class Driver : public fftest::OptimiserTest {};

// Packs the atoms' positions into the molecule's position array, distorted.
void packDistorted(Molecule& molecule, float size) {
  molecule.positions.clear();
  for (Atom* atom : molecule.atoms) molecule.positions.push_back(atom->position);
  fftest::distort(molecule.positions, size);
}

}  // namespace

TEST_F(Driver, OptimisesAndWritesGeometryCorrectionAndDipoleBack) {
  auto molecule = fftest::ethane();
  packDistorted(*molecule, 0.15f);
  molecule->setAllAtomPositions();
  const double before = MolecularSystem(molecule.get()).EnergyForce();
  {
    InternalCoordinates driver(molecule.get());
    EXPECT_EQ(driver.system->rotatableBondCount, driver.geneCount);
    ASSERT_TRUE(driver.minimizeEnergy());
    // The positions written back are exactly the system's final float coordinates.
    for (int a = 0; a < driver.system->atomCount; ++a) {
      EXPECT_EQ(0.0f, (driver.system->coordinates[a] - molecule->positions[a]).length()) << a;
      EXPECT_EQ(0.0f, (molecule->atoms[a]->position - molecule->positions[a]).length()) << a;
      EXPECT_EQ(1.0f, molecule->positions[a].w);
    }
    EXPECT_LT(driver.system->lastGradient, 0.01);
  }
  MolecularSystem after(molecule.get());
  EXPECT_LT(after.EnergyForce(), before);
  EXPECT_EQ(-after.calEmag(), molecule->energyCorrection);
  EXPECT_NE(0.0f, molecule->energyCorrection);   // ethane has Emag rows in the fixture
  after.DipoleMoment();
  EXPECT_FLOAT_EQ(static_cast<float>(after.dipoleMagnitude), molecule->dipoleMoment);
}

TEST_F(Driver, OneAtomAndAMissingPositionArray) {
  auto single = fftest::buildMolecule("carbon", {{"CH3", "C", 1.0f, 2.0f, 3.0f}}, {});
  single->positions = {SSEVector4f(1.0f, 2.0f, 3.0f, 1.0f)};
  {
    InternalCoordinates driver(single.get());
    ASSERT_TRUE(driver.minimizeEnergy());
  }
  EXPECT_EQ(2.0f, single->positions[0].y);

  auto bare = fftest::ethane();
  bare->positions.clear();
  bare->energyCorrection = 7.0f;
  InternalCoordinates driver(bare.get());
  kvtest::ErrorCapture errors;
  EXPECT_FALSE(driver.minimizeEnergy());
  EXPECT_NE(std::string::npos, errors.text().find("no packed position")) << errors.text();
  EXPECT_EQ(7.0f, bare->energyCorrection);
}

TEST_F(Driver, EdgeRotationAlignsTheBondAndTurnsOnlyTheFarSide) {
  auto molecule = fftest::alkane(4);
  packDistorted(*molecule, 0.0f);
  InternalCoordinates driver(molecule.get());
  std::vector<SSEVector4f> points = molecule->positions;
  const SSEVector4f before03 = points[0] - points[3];
  driver.rotateAboutEdge(1, 2, 0.0f, points.data());
  EXPECT_NEAR(0.0f, points[1].length(), 1e-5);
  EXPECT_NEAR(0.0f, points[2].y, 1e-5);
  EXPECT_NEAR(0.0f, points[2].z, 1e-5);
  EXPECT_GT(points[2].x, 0.0f);
  EXPECT_NEAR(before03.length(), (points[0] - points[3]).length(), 1e-4);   // rigid so far
  const std::vector<SSEVector4f> aligned = points;
  driver.rotateAboutEdge(1, 2, 180.0f, points.data());
  EXPECT_NEAR(aligned[0].y, points[0].y, 1e-4);   // atom 0 sits on the near side
  EXPECT_NEAR(-aligned[3].y, points[3].y, 1e-4);  // atom 3 turned half way round

  std::vector<std::vector<float> > out;
  driver.geneCount = 4;
  driver.crossOver({1, 2, 3, 4}, {5, 6, 7, 8}, out);
  ASSERT_EQ(2u, out.size());
  EXPECT_EQ((std::vector<float>{1, 2, 7, 8}), out[0]);
  EXPECT_EQ((std::vector<float>{5, 6, 3, 4}), out[1]);
}

// A molecule of some hundreds of atoms gets the whole torsion search (100 sweeps) and a
// relaxation allowed thousands of force-field evaluations; a chain of 10,000 carbons
// (30,000 atoms, 10,000 axes), whose 100 sweeps would turn 3e10 atom positions, gets no torsion
// search and a relaxation of about a hundred evaluations, so that reading it ends.
TEST_F(Driver, OnlyVeryLargeMoleculesHaveTheirWorkBounded) {
  EXPECT_EQ(100, InternalCoordinates::torsionSearchSweeps(0, 5));
  EXPECT_EQ(100, InternalCoordinates::torsionSearchSweeps(60, 400));
  EXPECT_GE(InternalCoordinates::relaxationEvaluations(400), 7500);
  EXPECT_EQ(0, InternalCoordinates::torsionSearchSweeps(10000, 30000));
  EXPECT_EQ(100, InternalCoordinates::relaxationEvaluations(30000));
  EXPECT_EQ(20, InternalCoordinates::relaxationEvaluations(1000000));
}

TEST_F(Driver, ARelaxationItsBoundStoppedIsSettledAndKeepsTheTermsItWasGiven) {
  // A bound of one evaluation per atom stops the relaxation; the settling run after it leaves
  // the electrostatic terms out and must hand them back as it found them, on or off.
  struct Bound {
    double saved = InternalCoordinates::relaxationAtomEvaluations;
    Bound() { InternalCoordinates::relaxationAtomEvaluations = 1.0; }
    ~Bound() { InternalCoordinates::relaxationAtomEvaluations = saved; }
  } bound;
  for (bool electrostatics : {true, false}) {
    SCOPED_TRACE(electrostatics);
    auto molecule = fftest::alkane(8);
    packDistorted(*molecule, 0.2f);
    molecule->setAllAtomPositions();
    InternalCoordinates driver(molecule.get());
    driver.annealTorsions = false;
    driver.system->electrostaticsEnabled = electrostatics;
    ASSERT_TRUE(driver.minimizeEnergy());
    EXPECT_EQ(MolecularSystem::OptimiserStop::EvaluationLimit, driver.finalStop);
    EXPECT_EQ(electrostatics, driver.system->electrostaticsEnabled);
  }
}
