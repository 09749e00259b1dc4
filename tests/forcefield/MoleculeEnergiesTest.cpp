// Total bond energy, heat of formation and the bond-energy report.
#include "forcefield/ForceFieldFixture.h"
#include "support/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kvtest::linesOf;

namespace {

std::unique_ptr<Molecule> methane() {
  auto m = fftest::buildMolecule(
      "methane",
      {{"CH3", "C", 0, 0, 0}, {"H", "H", 1.09f, 0, 0}, {"H", "H", -0.36f, 1.03f, 0},
       {"H", "H", -0.36f, -0.51f, 0.89f}, {"H", "H", -0.36f, -0.51f, -0.89f}},
      {{0, 1, 1, false}, {0, 2, 1, false}, {0, 3, 1, false}, {0, 4, 1, false}});
  for (Bond* b : m->bonds) b->energy = 4.25f;
  m->energyCorrection = 0.5f;
  return m;
}

}  // namespace

TEST(MoleculeEnergies, MethaneTotalAtomicSumAndHeatOfFormation) {
  auto m = methane();
  EXPECT_FLOAT_EQ(16.5f, m->calTotalBondEnergy());
  EXPECT_FLOAT_EQ(16.5f, m->totalBondEnergy);
  m->calHeatOfFormation();
  EXPECT_NEAR(16.465152, m->atomicEnergySum, 1e-5);
  EXPECT_NEAR(-0.034848, m->heatOfFormation, 1e-5);
  // An element written "cl" is not in the table.
  m->atoms[1]->element = "cl";
  m->calHeatOfFormation();
  EXPECT_NEAR(16.465152 - 2.259353, m->atomicEnergySum, 1e-5);
}

TEST(MoleculeEnergies, HexachlorobenzeneAndTheBoronCage) {
  std::vector<fftest::AtomRow> atoms;
  for (int i = 0; i < 6; ++i) atoms.push_back({"CK", "C", float(i), 0, 0});
  for (int i = 0; i < 6; ++i) atoms.push_back({"CL", "Cl", float(i), 1, 0});
  auto c6cl6 = fftest::buildMolecule("C6Cl6", atoms, {{0, 6, 1, false}});
  c6cl6->bonds[0]->energy = 99.0f;
  c6cl6->energyCorrection = 3.0f;
  EXPECT_FLOAT_EQ(52.5713f, c6cl6->calTotalBondEnergy());
  EXPECT_EQ(3.0f, c6cl6->energyCorrection);

  std::vector<fftest::AtomRow> borons(10, {"B", "B", 0, 0, 0});
  auto cage = fftest::buildMolecule("B10", borons, {{0, 1, 1, false}, {1, 2, 1, false}});
  cage->bonds[0]->energy = 3.0f;
  cage->bonds[1]->energy = 2.0f;
  cage->energyCorrection = 0.25f;
  cage->numRings = 8;
  const float first = cage->calTotalBondEnergy();
  EXPECT_NEAR(5.0 - (0.25 - 1.39057), first, 1e-5);
  EXPECT_EQ(first, cage->calTotalBondEnergy());   // computing twice gives the same number
  EXPECT_EQ(0.25f, cage->energyCorrection);
  cage->numRings = 7;
  EXPECT_FLOAT_EQ(4.75f, cage->calTotalBondEnergy());
}

TEST(MoleculeEnergies, ReportHeadingsTotalsAndBondRows) {
  auto m = fftest::buildMolecule(
      "methanol fragment",
      {{"CH3", "C", 0, 0, 0}, {"OK", "O", 1.43f, 0, 0}, {"DUM", "R", -1, 0, 0},
       {"H", "H", 0, 1, 0}},
      {{0, 1, 1, false}, {0, 2, 1, false}, {0, 3, 9, false}});
  m->smiles = "CO";
  m->bonds[0]->focalDistance = 1.43;
  m->bonds[0]->energy = 4.1f;
  m->bonds[2]->focalDistance = 1.0;
  m->bonds[2]->energy = 8.4f;
  m->bonds[2]->isApproximated = true;
  // Choose the element energies' sum so that the heat of formation is -0.034848.
  m->totalBondEnergy = 7.42774f + 2.582527f + 2.259353f + 0.034848f;
  std::vector<std::string> lines = linesOf(m->getListOfBondEnegries());
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(0u, lines[4].find("Total Bond Energy    12.3045"));
  lines[4] = "(total)";
  const std::vector<std::string> expected = {
      "", "", "#####  methanol fragment   CO  #####", "", "(total)", "",
      "TOTAL GAS PHASE HEAT OF FORMATION AT STANDARD CONDITIONS",
      "    -------------------------",
      "                     -0.034848(ev)", "", "",
      " BOND DISTANCES (Angstrom) AND ENERGIES (ev)",
      "    -------------------------",
      "Bond            \tOrder   \tDistance                           Energy",
      "C1--O2          \t1       \t1.430000        \t4.100000",
      // The bond to the dummy atom is left out; the aromatic order shows as A, approximated as *.
      "C1--H4          \tA       \t1.000000        \t8.400000*", "", "",
      "         BOND ANGLES (Degree)",
      "    -------------------------",
      "Angle           \tDegree          ",
      // C1 has three neighbours; only the O2-H4 pair has no dummy atom.
      "O2--C1--H4\t90.000000       ",
  };
  EXPECT_EQ(expected, lines);
}

TEST(MoleculeEnergies, ReportMarksApproximatedParameters) {
  auto m = methane();
  m->totalBondEnergy = 12.5f;
  m->hasApproximatedParameters = true;
  const std::vector<std::string> lines = linesOf(m->getListOfBondEnegries());
  ASSERT_GT(lines.size(), 8u);
  EXPECT_EQ("Total Bond Energy    12.5(ev)*", lines[4]);
  EXPECT_EQ('*', lines[8].back());
}
