// Ring strain: the ring counts of small ring systems and their place in the heat of formation.

#include "forcefield/ForceFieldFixture.h"
#include "forcefield/RingStrain.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// Carbon skeletons with the bond orders the energy model sees, rings perceived from the graph.
std::unique_ptr<Molecule> skeleton(int atoms, const std::vector<std::array<int, 3> >& bonds) {
  std::vector<fftest::AtomRow> rows(atoms, {"CH2", "C", 0.0f, 0.0f, 0.0f});
  std::vector<fftest::BondRow> edges;
  for (const std::array<int, 3>& bond : bonds) edges.push_back({bond[0], bond[1], bond[2], true});
  std::unique_ptr<Molecule> molecule = fftest::buildMolecule("skeleton", rows, edges);
  molecule->findAllSmallestRings();
  return molecule;
}

std::vector<std::array<int, 3> > cycle(int from, int size, int order) {
  std::vector<std::array<int, 3> > bonds;
  for (int k = 0; k < size; ++k) bonds.push_back({from + k, from + (k + 1) % size, order});
  return bonds;
}

TEST(RingTerms, EachSmallestRingOfAFusedOrBridgedSystemCountsOnce) {
  // Decalin: two six-rings, not the ten-ring around them.
  std::vector<std::array<int, 3> > decalin = cycle(0, 6, 1);
  for (const std::array<int, 3>& bond :
       std::vector<std::array<int, 3> >{{0, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 9, 1}, {9, 1, 1}})
    decalin.push_back(bond);
  ringstrain::RingTerms terms = ringstrain::ringTerms(*skeleton(10, decalin));
  EXPECT_EQ(2, terms.ringsOfSize[6]);
  EXPECT_EQ(0, terms.ringsOfSize[5] + terms.ringsOfSize[7] + terms.ringsOfSize[8]);

  // Norbornane: C1 and C4 bridged by C7, so two five-rings (the six-ring is not a smallest ring).
  std::vector<std::array<int, 3> > norbornane = cycle(0, 6, 1);
  norbornane.push_back({0, 6, 1});
  norbornane.push_back({6, 3, 1});
  terms = ringstrain::ringTerms(*skeleton(7, norbornane));
  EXPECT_EQ(2, terms.ringsOfSize[5]);
  EXPECT_EQ(0, terms.ringsOfSize[6]);

  // Indane: an aromatic six-ring carries no strain row; the five-ring through its aromatic bond
  // does.
  std::vector<std::array<int, 3> > indane = cycle(0, 6, 9);
  for (const std::array<int, 3>& bond :
       std::vector<std::array<int, 3> >{{0, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 1, 1}})
    indane.push_back(bond);
  terms = ringstrain::ringTerms(*skeleton(9, indane));
  EXPECT_EQ(1, terms.ringsOfSize[5]);
  EXPECT_EQ(0, terms.ringsOfSize[6]);
}

TEST(RingTerms, FullyAromaticRingsAndLargeRingsCarryNoStrainRow) {
  // Naphthalene: both rings aromatic, and no envelope ring of ten atoms.
  std::vector<std::array<int, 3> > naphthalene = cycle(0, 6, 9);
  for (const std::array<int, 3>& bond : std::vector<std::array<int, 3> >{
           {0, 6, 9}, {6, 7, 9}, {7, 8, 9}, {8, 9, 9}, {9, 1, 9}})
    naphthalene.push_back(bond);
  ringstrain::RingTerms terms = ringstrain::ringTerms(*skeleton(10, naphthalene));
  for (int size = ringstrain::kSmallestStrainedRing; size <= ringstrain::kLargestStrainedRing;
       ++size)
    EXPECT_EQ(0, terms.ringsOfSize[size]) << size;
  // A ring of twelve atoms is past the strained sizes.
  terms = ringstrain::ringTerms(*skeleton(12, cycle(0, 12, 1)));
  for (int size = ringstrain::kSmallestStrainedRing; size <= ringstrain::kLargestStrainedRing;
       ++size)
    EXPECT_EQ(0, terms.ringsOfSize[size]) << size;
  // Cyclohexene's one double bond makes it a ring with bonds that are not aromatic.
  std::vector<std::array<int, 3> > cyclohexene = cycle(0, 6, 1);
  cyclohexene[0][2] = 2;
  EXPECT_EQ(1, ringstrain::ringTerms(*skeleton(6, cyclohexene)).ringsOfSize[6]);
}

TEST(RingTerms, TheHeatOfFormationAddsTheRingEnergyAndTheBondTotalDoesNot) {
  fftest::ScopedTables tables;
  tables.tables().parseRingStrainTable("RING 5 0.25\nRING 6 0.01\n");
  auto heatMinusBonds = [](Molecule& molecule) {
    for (Bond* bond : molecule.bonds) bond->energy = 3.5f;
    const float total = molecule.calTotalBondEnergy();
    EXPECT_FLOAT_EQ(3.5f * molecule.bonds.size(), total);   // the bond sum as reported
    molecule.calHeatOfFormation();
    return molecule.heatOfFormation - (molecule.atomicEnergySum - molecule.totalBondEnergy);
  };
  std::vector<std::array<int, 3> > norbornane = cycle(0, 6, 1);
  norbornane.push_back({0, 6, 1});
  norbornane.push_back({6, 3, 1});
  std::unique_ptr<Molecule> bicycle = skeleton(7, norbornane);
  EXPECT_NEAR(0.5, heatMinusBonds(*bicycle), 1e-5);
  EXPECT_NEAR(0.5, bicycle->ringStrainEnergy, 1e-6);

  // Decalin's two six-rings at 0.01 eV each.
  std::vector<std::array<int, 3> > decalin = cycle(0, 6, 1);
  for (const std::array<int, 3>& bond :
       std::vector<std::array<int, 3> >{{0, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 9, 1}, {9, 1, 1}})
    decalin.push_back(bond);
  EXPECT_NEAR(0.02, heatMinusBonds(*skeleton(10, decalin)), 1e-5);

  std::unique_ptr<Molecule> chain = fftest::alkane(6);
  EXPECT_EQ(0.0f, heatMinusBonds(*chain));
}

}  // namespace
