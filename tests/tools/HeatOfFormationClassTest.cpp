// Heats of formation of classes of molecules whose bond, Emag or ring-strain rows were set or
// refitted by hand (tools/calibration/README.md, "Rows set by hand"): each class holds the
// molecules its rows were set from and molecules that set nothing, and is judged as a whole.
// Gas-phase standard enthalpies of formation at 298.15 K in kcal/mol (ATcT, the G2/97 set and the
// NIST Chemistry WebBook).

#include "ChemistryTestSupport.h"

#include "forcefield/RingStrain.h"
#include "math/Constants.h"
#include "model/Atom.h"

#include <cmath>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Reference {
  const char* name;
  const char* smiles;
  double kcalPerMol;
};

// Every molecule of the class within its bound and the mean within its own; the failure message
// lists each error.
void expectClassNearExperiment(const std::vector<Reference>& references, double moleculeBound,
                               double meanBound) {
  kvtest::expectHeatsNearExperiment(references, &Reference::kcalPerMol,
                                    kKcalPerMolPerElectronVolt, "kcal/mol",
                                    moleculeBound, meanBound);
}

}  // namespace

// The sulfonyl S=O rows were priced like the sulfoxide's: dimethyl sulfone lay 16 kcal/mol high,
// and every sulfone and sulfate with it. Set from dimethyl sulfone; the others set nothing.
TEST(HeatOfFormationClass, SulfonesAndSulfates) {
  expectClassNearExperiment({{"dimethyl sulfone", "CS(C)(=O)=O", -89.2},
                             {"diethyl sulfone", "CCS(=O)(=O)CC", -102.6},
                             {"dimethyl sulfate", "COS(=O)(=O)OC", -164.2},
                             {"dimethyl sulfoxide", "CS(C)=O", -36.2}},
                            3.0, 2.0);
}

// Fluorines on one carbon hold each other's lone pairs (an Emag term per F-C-F angle): with bond
// energies alone CF4 lay 13 kcal/mol high and fluoroform 7. The term and the C-F rows were fitted
// to the fluoromethanes of the reference data; fluoroform, 1,1,1-trifluoroethane and CF2Br2 are
// in its check part, and the others are in no reference list.
TEST(HeatOfFormationClass, FluoroAndChlorofluoroMethanesAndEthanes) {
  expectClassNearExperiment({{"tetrafluoromethane", "FC(F)(F)F", -223.0},
                             {"difluoromethane", "FCF", -108.1},
                             {"fluoroform", "FC(F)F", -166.6},
                             {"1,1,1-trifluoroethane", "CC(F)(F)F", -178.2},
                             {"hexafluoroethane", "FC(F)(F)C(F)(F)F", -321.2},
                             {"chlorotrifluoromethane", "FC(F)(F)Cl", -169.2},
                             {"dichlorodifluoromethane", "FC(F)(Cl)Cl", -117.9},
                             {"dibromodifluoromethane", "FC(F)(Br)Br", -91.9}},
                            5.5, 2.5);
}

// The aryl C-Cl and C-Br rows no fitted molecule reaches: chlorobenzene lay 4.7 kcal/mol high and
// each further chlorine added as much again, bromobenzene 11.5 high. Set from chlorobenzene and
// bromobenzene; the dichlorobenzenes set nothing.
TEST(HeatOfFormationClass, ArylHalides) {
  expectClassNearExperiment({{"chlorobenzene", "Clc1ccccc1", 12.4},
                             {"o-dichlorobenzene", "Clc1ccccc1Cl", 7.2},
                             {"m-dichlorobenzene", "Clc1cccc(Cl)c1", 6.1},
                             {"p-dichlorobenzene", "Clc1ccc(Cl)cc1", 5.4},
                             {"bromobenzene", "Brc1ccccc1", 25.2},
                             {"fluorobenzene", "Fc1ccccc1", -27.6},
                             {"iodobenzene", "Ic1ccccc1", 38.7}},
                            2.5, 1.5);
}

// Ammonia's N-H, aniline's C-N and the tertiary amine's CH2-N rows no fitted molecule reaches:
// ammonia lay 5 kcal/mol high, aniline 4 high and triethylamine 5 low. Triethanolamine (the check
// part) shares triethylamine's row; the other amines have fitted rows of their own.
TEST(HeatOfFormationClass, Amines) {
  expectClassNearExperiment({{"ammonia", "N", -11.0},
                             {"methylamine", "CN", -5.5},
                             {"dimethylamine", "CNC", -4.4},
                             {"trimethylamine", "CN(C)C", -5.7},
                             {"ethylamine", "CCN", -11.3},
                             {"diethylamine", "CCNCC", -17.3},
                             {"triethylamine", "CCN(CC)CC", -22.1},
                             {"triethanolamine", "OCCN(CCO)CCO", -134.3},
                             {"aniline", "Nc1ccccc1", 20.8}},
                            2.5, 1.5);
}

// Formaldehyde's rows, which only formaldehyde (a check molecule) has, take acetaldehyde's fitted
// aldehyde C-H and C=O energies; formaldehyde lay 6.6 kcal/mol low.
TEST(HeatOfFormationClass, Aldehydes) {
  expectClassNearExperiment({{"formaldehyde", "C=O", -26.0},
                             {"acetaldehyde", "CC=O", -39.7},
                             {"propanal", "CCC=O", -45.5},
                             {"butanal", "CCCC=O", -49.25},
                             {"benzaldehyde", "O=Cc1ccccc1", -8.8}},
                            2.0, 1.5);
}

// Glycine's CH2-COOH bond took the acetic-acid row and lay 7 kcal/mol low; its own row is set from
// glycine. Alanine's CH-COOH bond has a row of its own.
TEST(HeatOfFormationClass, AminoAcids) {
  expectClassNearExperiment({{"glycine", "NCC(=O)O", -93.3},
                             {"alanine", "CC(N)C(=O)O", -111.4}},
                            3.0, 2.0);
}

// A double bond in a bridged ring and a bridged four-ring strain beyond their rings: norbornadiene
// lay 21 kcal/mol low, bicyclo[1.1.1]pentane 14 and norbornene 8. Set from norbornene and
// bicyclo[1.1.1]pentane; norbornadiene and bicyclo[2.2.2]octene set nothing.
TEST(HeatOfFormationClass, StrainedBicycles) {
  expectClassNearExperiment({{"norbornene", "C1=CC2CCC1C2", 20.7},
                             {"norbornadiene", "C1=CC2C=CC1C2", 57.4},
                             {"bicyclo[1.1.1]pentane", "C1C2CC1C2", 49.6},
                             {"bicyclo[2.2.2]octene", "C1=CC2CCC1CC2", 4.6},
                             {"norbornane", "C1CC2CCC1C2", -12.4}},
                            3.5, 2.0);
}

// A sulfur strains a small ring less than a carbon does: thiirane lay 5.8 kcal/mol high and
// thietane 4.9. Set from those two; methylthiirane and tetrahydrothiophene set nothing.
TEST(HeatOfFormationClass, SmallSulfurRings) {
  expectClassNearExperiment({{"thiirane", "C1CS1", 19.6},
                             {"methylthiirane", "CC1CS1", 10.9},
                             {"thietane", "C1CSC1", 14.6},
                             {"tetrahydrothiophene", "C1CCSC1", -8.1}},
                            2.5, 1.5);
}

// The rows that price these features are found: a double bond in a bridged ring counts besides
// its ring's ENDO, once per double bond; a ring sulfur counts in its smallest ring, and never in
// an aromatic ring or outside rings.
TEST(HeatOfFormationClass, BridgedDoubleBondsAndRingSulfurAreCounted) {
  const struct {
    const char* smiles;
    int bridgedEndoFive, thiaThree, thiaFour;
  } cases[] = {
      {"C1=CC2CCC1C2", 1, 0, 0},    // norbornene
      {"C1=CC2C=CC1C2", 2, 0, 0},   // norbornadiene
      {"C1=CCCC1", 0, 0, 0},        // cyclopentene: no bridge
      {"C1CS1", 0, 1, 0},           // thiirane
      {"C1CSC1", 0, 0, 1},          // thietane
      {"c1ccsc1", 0, 0, 0},         // thiophene: aromatic
      {"CSC", 0, 0, 0},             // dimethyl sulfide: no ring
  };
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(c.smiles);
    ASSERT_TRUE(molecule) << c.smiles;
    const ringstrain::RingTerms terms = ringstrain::ringTerms(*molecule);
    EXPECT_EQ(c.bridgedEndoFive, terms.counts[ringstrain::kBridgedEndo][5]) << c.smiles;
    EXPECT_EQ(c.thiaThree, terms.counts[ringstrain::kThia][3]) << c.smiles;
    EXPECT_EQ(c.thiaFour, terms.counts[ringstrain::kThia][4]) << c.smiles;
  }
}

// A bare proton or hydride ion is no hydrogen atom: it took the atom's 52.1 kcal/mol. The gas-phase
// values at 298 K are 365.7 kcal/mol (1530 kJ/mol) and about 34.7 (145 kJ/mol); the neutral atom
// keeps its own.
TEST(HeatOfFormationClass, HydrogenIonsTakeTheirOwnHeatsOfFormation) {
  expectClassNearExperiment(
      {{"proton", "[H+]", 365.7}, {"hydride", "[H-]", 34.7}, {"hydrogen atom", "[H]", 52.1}}, 0.2,
      0.2);
  // Hydrogen in any other molecule is priced by its bonds as before.
  std::unique_ptr<Molecule> hydrogen = kvtest::finishedMolecule("[H][H]");
  ASSERT_TRUE(hydrogen);
  EXPECT_NEAR(0.0, hydrogen->heatOfFormation * kKcalPerMolPerElectronVolt, 3.0);
}

// The additive scheme prices bonds, angles and torsions by their atom types and rings by their
// sizes, never by their shape: cis and trans isomers get one heat of formation.
TEST(HeatOfFormationClass, CisAndTransIsomersShareTheirHeatOfFormation) {
  const char* pairs[][2] = {{"C/C=C\\C", "C/C=C/C"},
                            {"Cl/C=C\\Cl", "Cl/C=C/Cl"},
                            {"C[C@@H]1CCCC[C@@H]1C", "C[C@@H]1CCCC[C@H]1C"}};
  for (const auto& pair : pairs) {
    std::unique_ptr<Molecule> cis = kvtest::finishedMolecule(pair[0]);
    std::unique_ptr<Molecule> trans = kvtest::finishedMolecule(pair[1]);
    ASSERT_TRUE(cis && trans) << pair[0];
    EXPECT_FLOAT_EQ(cis->heatOfFormation, trans->heatOfFormation) << pair[0];
  }
}
