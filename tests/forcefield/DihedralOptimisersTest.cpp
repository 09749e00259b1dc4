// Simulated annealing of the torsion axes and steepest descent.
#include "forcefield/Minimization.h"
#include "forcefield/OptimiserFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class DihedralOptimisers : public fftest::OptimiserTest {};

bool sameBits(const std::vector<SSEVector4f>& a, const std::vector<SSEVector4f>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0;
}

}  // namespace

TEST_F(DihedralOptimisers, TwoAnnealingRunsAreBitIdenticalAndTurnTheMolecule) {
  auto molecule = fftest::alkane(6);
  MolecularSystem first(molecule.get()), second(molecule.get());
  ASSERT_GT(first.torsionAxisCount, 0);
  const std::vector<SSEVector4f> start = first.coordinates;
  Minimization minimization;
  minimization.maxSteps = 100;
  minimization.SimulatedAnnealingDihedral(&first);
  minimization.SimulatedAnnealingDihedral(&second);
  EXPECT_TRUE(sameBits(first.coordinates, second.coordinates));
  // The same system again from the same start gives the same result: the stream is reseeded.
  second.coordinates = start;
  minimization.SimulatedAnnealingDihedral(&second);
  EXPECT_TRUE(sameBits(first.coordinates, second.coordinates));
  // Only torsions turned: every bond length is kept.
  for (int b = 0; b < first.bondCount; ++b) {
    const SSEVector4f d0 = start[first.bondAtom1[b]] - start[first.bondAtom2[b]];
    const SSEVector4f d1 = first.coordinates[first.bondAtom1[b]] - first.coordinates[first.bondAtom2[b]];
    EXPECT_NEAR(d0.length(), d1.length(), 1e-4);
  }
  // Never above the start energy.
  MolecularSystem fresh(molecule.get());
  EXPECT_LE(first.NonBondedEnergy(), fresh.NonBondedEnergy() + 1e-9);
}

TEST_F(DihedralOptimisers, NoTorsionAxesOrFrozenOnesMeanNothingTurns) {
  setVerbosity(2);
  auto planar = fftest::formaldehyde();
  MolecularSystem flat(planar.get());
  ASSERT_EQ(0, flat.torsionAxisCount);
  const std::vector<SSEVector4f> flatStart = flat.coordinates;
  Minimization minimization;
  minimization.SimulatedAnnealingDihedral(&flat);
  minimization.SDDihedral(&flat);
  minimization.SimulatedAnnealingDihedral(nullptr);
  EXPECT_TRUE(sameBits(flatStart, flat.coordinates));
  EXPECT_TRUE(console.empty()) << "an immediate return, without output";

  setVerbosity(1);
  auto molecule = fftest::alkane(4);
  MolecularSystem system(molecule.get());
  const std::vector<SSEVector4f> start = system.coordinates;
  for (int t = 0; t < system.torsionAxisCount; ++t) system.torsionAxisFrozen[t] = true;
  minimization.SimulatedAnnealingDihedral(&system);
  EXPECT_TRUE(sameBits(start, system.coordinates));
  EXPECT_EQ((std::vector<std::string>{"Minimization using simulated annealing of dihedrals.",
                                      "Exit simulated annealing of dihedrals."}),
            console);
}

TEST_F(DihedralOptimisers, FixedAtomsStayWhereTheyAre) {
  auto molecule = fftest::alkane(5);
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.1f);
  const std::vector<SSEVector4f> start = system.coordinates;
  const std::vector<int> fixed = {0, 3, 7};
  for (int a : fixed) system.atomFixed[a] = true;
  Minimization minimization;
  minimization.maxSteps = 50;
  minimization.SimulatedAnnealingDihedral(&system);
  minimization.SteepestDescent(&system);
  minimization.SDDihedral(&system);
  for (int a : fixed) EXPECT_EQ(0.0f, (start[a] - system.coordinates[a]).length()) << a;
}

TEST_F(DihedralOptimisers, SteepestDescentRoutinesDoNotRaiseTheEnergy) {
  auto molecule = fftest::alkane(4);
  MolecularSystem system(molecule.get());
  fftest::distort(system.coordinates, 0.1f);
  const double before = system.EnergyForce();
  Minimization minimization;
  minimization.maxSteps = 100;
  const double best = minimization.SteepestDescent(&system);
  EXPECT_LT(best, before);
  EXPECT_NEAR(best, system.EnergyForce(), 1e-9);   // the best point is the one left


  auto single = fftest::buildMolecule("carbon", {{"CH3", "C", 0.0f, 0.0f, 0.0f}}, {});
  MolecularSystem lone(single.get());
  EXPECT_EQ(0.0, minimization.SteepestDescent(&lone));   // zero force: no NaN
  EXPECT_EQ(0.0f, lone.coordinates[0].x);
}
