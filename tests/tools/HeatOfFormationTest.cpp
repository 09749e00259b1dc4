// Heats of formation from the bond table against experiment, on molecules the calibration never
// fits: the check part of the reference list (every fifth molecule in its order, see
// tools/calibration/README.md). Gas-phase standard enthalpies of formation at 298.15 K in kJ/mol,
// from the Active Thermochemical Tables, the G2/97 set and the API and Yaws compilations.

#include "ChemistryTestSupport.h"

#include "forcefield/RingStrain.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

const double kKjPerEv = 96.485;

struct Reference {
  const char* name;
  const char* smiles;
  double kjPerMol;
};

const std::vector<Reference> kCheckPart = {
    {"formaldehyde", "C=O", -109.16},
    {"methanethiol", "CS", -23.01},
    {"oxirane", "C1CO1", -52.68},
    {"vinyl fluoride", "C=CF", -142.5},
    {"ethanol", "CCO", -234.57},
    {"dichloromethane", "ClCCl", -94.68},
    {"carbon disulfide", "S=C=S", 117.15},
    {"1,3-butadiene", "C=CC=C", 110.04},
    {"isobutane", "CC(C)C", -135.36},
    {"methyl ethyl ether", "CCOC", -216.31},
    {"fluoroform", "FC(F)F", -695.85},
    {"pyrrole", "c1cc[nH]c1", 108.37},
    {"pyridine", "c1ccncc1", 140.58},
    {"o-cresol", "Cc1ccccc1O", -128.57},
    {"tert-butylamine", "CC(C)(C)N", -119.88},
    {"1,1,1-trifluoroethane", "CC(F)(F)F", -745.58},
    {"tert-butanethiol", "CC(C)(C)S", -109.29},
    {"oxalic acid", "O=C(O)C(=O)O", -721.4},
    {"methyl bromide", "CBr", -36.38},
    {"tetraethylene glycol", "OCCOCCOCCOCCO", -882.34},
    {"1-butanethiol", "CCCCS", -88.07},
    {"triethanolamine", "OCCN(CCO)CCO", -562.09},
    {"dibromodifluoromethane", "FC(F)(Br)Br", -384.5},
    {"methyl iodide", "CI", 14.96},
    {"3-pentanone", "CCC(=O)CC", -258.39},
    {"cyanogen bromide", "N#CBr", 180.75},
    {"cis-1,2-dimethylcyclopentane", "C[C@@H]1CCC[C@@H]1C", -129.54},
    {"2-methylhexane", "CCCCC(C)C", -194.72},
    {"trans-1,2-dimethylcyclopentane", "C[C@@H]1CCC[C@H]1C", -136.69},
    {"n-dodecane", "CCCCCCCCCCCC", -290.79},
    {"2,2-dimethylbutane", "CCC(C)(C)C", -184.68},
    {"1-pentyne", "C#CCCC", 144.35},
    {"cis-2-butene", "C/C=C\\C", -7.33},
    {"1-hexadecene", "C=CCCCCCCCCCCCCCC", -247.82},
    {"2-methylheptane", "CCCCCC(C)C", -215.35},
    {"ethylcyclopentane", "CCC1CCCC1", -127.07},
    {"2,3-dimethyl-1-butene", "C=C(C)C(C)C", -61.84},
    {"trans-1,3-dimethylcyclopentane", "C[C@H]1CC[C@H](C)C1", -133.59},
    {"trans-3-octene", "CC/C=C/CCCC", -94.6},
    {"cis-1,3-pentadiene", "C=C/C=C\\C", 82.78},
    {"cis-2-hexene", "C/C=C\\CCC", -48.37},
    {"cis-1,3-dimethylcyclopentane", "C[C@@H]1CC[C@H](C)C1", -135.86},
    {"2,2,4,4-tetramethylpentane", "CC(C)(C)CC(C)(C)C", -242.26},
    {"3-ethylpentane", "CCC(CC)CC", -189.33},
    {"cis-1,2-dimethylcyclohexane", "C[C@@H]1CCCC[C@@H]1C", -172.17},
    {"2,2,3,3-tetramethylbutane", "CC(C)(C)C(C)(C)C", -225.73},
    {"n-octylcyclopentane", "CCCCCCCCC1CCCC1", -250.7},
    {"3-methyl-1,2-butadiene", "C=C=C(C)C", 129.08},
    {"n-tetradecane", "CCCCCCCCCCCCCC", -332.05},
    {"cis-3-octene", "CC/C=C\\CCCC", -93.71},
    {"n-undecylcyclohexane", "CCCCCCCCCCCC1CCCCC1", -357.44},
    {"trans-2-butene", "C/C=C/C", -11.18},
    {"p-ethyltoluene", "CCc1ccc(C)cc1", -3.2},
    {"2-ethyl-1,3-dimethylbenzene", "CCc1c(C)cccc1C", -26.23},
    {"mesitylene", "Cc1cc(C)cc(C)c1", -15.9},
    {"chrysene", "c1ccc2c(c1)ccc1c3ccccc3ccc21", 262.9},
    {"n-decylbenzene", "CCCCCCCCCCc1ccccc1", -137.5},
    {"tert-butylbenzene", "CC(C)(C)c1ccccc1", -21.63},
    {"o-diethylbenzene", "CCc1ccccc1CC", -15.73},
    {"n-nonylbenzene", "CCCCCCCCCc1ccccc1", -116.8},
    {"1-ethyl-3,5-dimethylbenzene", "CCc1cc(C)cc(C)c1", -35.4},
};

// Every molecule within its bound of experiment and the mean within its own; the failure message
// lists each error.
void expectNearExperiment(const std::vector<Reference>& references, double moleculeBound,
                          double meanBound) {
  kvtest::expectHeatsNearExperiment(references, &Reference::kjPerMol, kKjPerEv, "kJ/mol",
                                    moleculeBound, meanBound);
}

// The check part lands near 7.6 kJ/mol over the molecules without three- and four-membered rings
// (10.2 before the ring-strain rows: the alkylcyclopentanes were about 20 too low). The largest
// errors are in molecules with bonds that no fitted molecule has (CF2Br2, tert-butyl-S and -N,
// pyrrole's ring nitrogen) and chrysene, whose four fused rings the bond rows price about 23 too
// high. The bound per molecule lies above those and below what one bond off by half an
// electronvolt gives (48 kJ/mol).
const double kMeanBound = 8.0;        // kJ/mol; was 11 before the ring-strain rows
const double kMoleculeBound = 45.0;   // kJ/mol

TEST(HeatOfFormation, CheckPartWithinTheCrossValidatedError) {
  std::ostringstream table;
  double sum = 0.0;
  int judged = 0;
  for (const Reference& reference : kCheckPart) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(reference.smiles);
    ASSERT_TRUE(molecule) << reference.smiles;
    // Three- and four-membered rings, whose strain rows no fitted molecule reaches, are judged
    // apart (RingsOfThreeToNineAtomsCarryTheirStrain).
    if (std::any_of(molecule->rings.begin(), molecule->rings.end(),
                    [](const Ring* ring) { return ring->atomIds.size() <= 4; }))
      continue;
    const double error = molecule->heatOfFormation * kKjPerEv - reference.kjPerMol;
    EXPECT_LE(std::fabs(error), kMoleculeBound) << reference.name;
    sum += std::fabs(error);
    ++judged;
    table << reference.name << ": " << error << " kJ/mol\n";
  }
  ASSERT_GE(judged, 40);
  EXPECT_LE(sum / judged, kMeanBound) << table.str();
}

// Rings of three to nine atoms: the cycloalkanes, gas-phase heats of formation at 298.15 K in
// kJ/mol (cyclopropane, cyclobutane and cyclohexane as in the reference data; cyclopentane,
// cycloheptane, cyclooctane and cyclononane, which the data lack, from the NIST compilation), and
// the alkylcycloalkanes of the check part. No fitted molecule has a ring of three, four or seven
// to nine atoms: those rows keep the experimental strain energies they start from, so here the
// ring is found, counted once and priced; the five- and six-ring rows are fitted, so here they
// are judged on molecules the fit never read.
const std::vector<Reference> kRingSizes = {
    {"cyclopropane", "C1CC1", 53.64},
    {"cyclobutane", "C1CCC1", 28.45},
    {"cyclopentane", "C1CCCC1", -76.4},
    {"cyclohexane", "C1CCCCC1", -122.08},
    {"cycloheptane", "C1CCCCCC1", -118.1},
    {"cyclooctane", "C1CCCCCCC1", -124.4},
    {"cyclononane", "C1CCCCCCCC1", -132.8},
    {"ethylcyclopentane", "CCC1CCCC1", -127.07},
    {"cis-1,2-dimethylcyclopentane", "C[C@@H]1CCC[C@@H]1C", -129.54},
    {"trans-1,3-dimethylcyclopentane", "C[C@H]1CC[C@H](C)C1", -133.59},
    {"n-octylcyclopentane", "CCCCCCCCC1CCCC1", -250.7},
    {"cis-1,2-dimethylcyclohexane", "C[C@@H]1CCCC[C@@H]1C", -172.17},
    {"n-undecylcyclohexane", "CCCCCCCCCCCC1CCCCC1", -357.44},
};

// Without a strain term the rings from five to nine atoms came out 25 to 52 kJ/mol too low, the
// three- and four-rings about 110 and the alkylcyclopentanes about 20; with it the mean is near
// 2 and the worst (cyclopentane, cis-1,2-dimethylcyclopentane) near 4.
const double kRingMeanBound = 3.0;       // kJ/mol
const double kRingMoleculeBound = 8.0;   // kJ/mol

TEST(HeatOfFormation, RingsOfThreeToNineAtomsCarryTheirStrain) {
  std::ostringstream table;
  double sum = 0.0;
  for (const Reference& reference : kRingSizes) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(reference.smiles);
    ASSERT_TRUE(molecule) << reference.smiles;
    ASSERT_EQ(1u, molecule->rings.size()) << reference.name;
    const double error = molecule->heatOfFormation * kKjPerEv - reference.kjPerMol;
    EXPECT_LE(std::fabs(error), kRingMoleculeBound) << reference.name;
    sum += std::fabs(error);
    table << reference.name << ": " << error << " kJ/mol\n";
  }
  EXPECT_LE(sum / kRingSizes.size(), kRingMeanBound) << table.str();
}

// A fused, bridged or spiro system is priced ring by ring over its independent smallest rings, so
// no ring is counted twice and no envelope ring is counted at all: decalin is two six-rings, not
// also the ten-ring around them, and bicyclo[2.2.2]octane two of its three six-rings (it was
// three). A ring held in a boat or envelope by a bridge across it adds its bridged row.
TEST(HeatOfFormation, FusedBridgedAndSpiroRingsCountEachSmallestRingOnce) {
  const struct {
    const char* name;
    const char* smiles;
    int fiveRings, sixRings, bridgedFive, bridgedSix;
  } cases[] = {
      {"decalin", "C1CCC2CCCCC2C1", 0, 2, 0, 0},
      {"norbornane", "C1CC2CCC1C2", 2, 0, 2, 0},
      {"bicyclo[2.2.2]octane", "C1CC2CCC1CC2", 0, 2, 0, 3},
      {"spiro[4.5]decane", "C1CCC2(C1)CCCCC2", 1, 1, 0, 0},
      {"indane", "c1ccc2c(c1)CCC2", 1, 0, 0, 0},
      {"tetralin", "c1ccc2c(c1)CCCC2", 0, 1, 0, 0},
  };
  const InputParameters& tables = *InputParameters::instance();
  const double five = tables.findRingStrain("RING", 5), six = tables.findRingStrain("RING", 6);
  const double bridgedFive = tables.findRingStrain("BRIDGED", 5);
  const double bridgedSix = tables.findRingStrain("BRIDGED", 6);
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(c.smiles);
    ASSERT_TRUE(molecule) << c.smiles;
    const ringstrain::RingTerms terms = ringstrain::ringTerms(*molecule);
    EXPECT_EQ(c.fiveRings, terms.rings(5)) << c.name;
    EXPECT_EQ(c.sixRings, terms.rings(6)) << c.name;
    EXPECT_EQ(c.bridgedFive, terms.counts[ringstrain::kBridged][5]) << c.name;
    EXPECT_EQ(c.bridgedSix, terms.counts[ringstrain::kBridged][6]) << c.name;
    EXPECT_NEAR(c.fiveRings * five + c.sixRings * six + c.bridgedFive * bridgedFive +
                    c.bridgedSix * bridgedSix,
                molecule->ringStrainEnergy, 1e-5)
        << c.name;
  }
}

// Small rings with double bonds in or at them, rings joined on one bond or atom, bridged rings and
// cages: gas-phase heats of formation at 298.15 K in kJ/mol (the G2/97 set where it has them,
// else the NIST compilation). The first seven set the rows of their features, so here those rows
// are found and priced; the others no row was set from. Cubane's tabulated values lie between
// about 603 and 622.
const std::vector<Reference> kStrainedRings = {
    {"cyclopropene", "C1=CC1", 276.98},
    {"cyclobutene", "C1=CCC1", 156.48},
    {"methylenecyclopropane", "C=C1CC1", 200.41},
    {"bicyclo[1.1.0]butane", "C1C2C1C2", 217.15},
    {"spiropentane", "C1CC21CC2", 185.35},
    {"norbornane", "C1CC2CCC1C2", -52.1},
    {"bicyclo[2.2.2]octane", "C1CC2CCC1CC2", -99.0},
    {"1-methylcyclopropene", "CC1=CC1", 243.5},
    {"methylcyclopropane", "CC1CC1", 24.3},
    {"1,1-dimethylcyclopropane", "CC1(C)CC1", -8.2},
    {"methylenecyclobutane", "C=C1CCC1", 121.6},
    {"bicyclo[2.1.0]pentane", "C1CC2CC12", 157.3},
    {"cubane", "C12C3C4C1C5C2C3C45", 622.2},
};

// Before these rows cyclopropene and 1-methylcyclopropene lay 106 kJ/mol too low,
// methylenecyclopropane 58, bicyclo[2.2.2]octane 32, bicyclobutane 30 and spiropentane 24 too low,
// cubane 90 too high. Now cubane, against the higher of its measured values, is the worst (about
// 20 low); the others lie within 8 (1,1-dimethylcyclopropane 7 high), the mean within 4.
const double kStrainedMeanBound = 5.0;       // kJ/mol
const double kStrainedMoleculeBound = 25.0;  // kJ/mol

TEST(HeatOfFormation, StrainedRingsCagesAndRingDoubleBondsNearExperiment) {
  expectNearExperiment(kStrainedRings, kStrainedMoleculeBound, kStrainedMeanBound);
}

// Common molecules whose bonds no reference molecule has, so that their rows are set by hand
// (tools/calibration/README.md, "Rows set by hand"). Gas-phase standard enthalpies of formation at
// 298.15 K in kJ/mol, NIST Chemistry WebBook (condensed-phase combustion with sublimation or
// vaporisation enthalpy). 4-Nitrotoluene is nitrobenzene's value plus the toluene-benzene difference
// of the reference data (ATcT 50.41 - 83.18), as no single measurement of it is used here.
const std::vector<Reference> kHandSetRows = {
    {"uracil", "O=c1cc[nH]c(=O)[nH]1", -302.9},        // NIST WebBook
    {"thymine", "Cc1c[nH]c(=O)[nH]c1=O", -328.7},      // NIST WebBook
    {"2-pyridone", "O=c1cccc[nH]1", -79.7},            // NIST WebBook
    {"nitrobenzene", "[O-][N+](=O)c1ccccc1", 67.5},    // NIST WebBook
    {"4-nitrotoluene", "Cc1ccc([N+](=O)[O-])cc1", 67.5 + 50.41 - 83.18},
    {"benzothiophene", "c1ccc2sccc2c1", 166.3},        // NIST WebBook
};

// Before these rows uracil lay 72 kJ/mol too high (its ring C-H bonds took the element row, 0.3 eV
// weaker than an alkene C-H), thymine 31, 2-pyridone 35, nitrobenzene 40 and 4-nitrotoluene 28 too
// high, benzothiophene 12 too low; now uracil's remaining 13 is the worst. The bound per molecule
// lies between that and one C-H bond priced by the element row (29 kJ/mol); the mean, near 3, is
// held below 6.
const double kHandSetMeanBound = 6.0;       // kJ/mol
const double kHandSetMoleculeBound = 20.0;  // kJ/mol

TEST(HeatOfFormation, MoleculesOfTheHandSetRowsNearExperiment) {
  expectNearExperiment(kHandSetRows, kHandSetMoleculeBound, kHandSetMeanBound);
}

// Every bond of the uracils, the xanthines and the pyridones finds a row of its own types: a bond
// that falls back to a super-type or element row (the ring C-H of uracil to "H C", the methylated
// urea carbonyl of 1,3-dimethyluracil to "C O") takes an energy no amide or alkene was priced with.
TEST(HeatOfFormation, UracilsXanthinesAndPyridonesFindTheirOwnBondRows) {
  const char* smilesList[] = {
      "O=c1cc[nH]c(=O)[nH]1",               // uracil
      "Cc1c[nH]c(=O)[nH]c1=O",              // thymine
      "Cn1ccc(=O)[nH]c1=O",                 // 1-methyluracil
      "Cn1ccc(=O)n(C)c1=O",                 // 1,3-dimethyluracil
      "Cn1cnc2c1c(=O)n(C)c(=O)n2C",         // caffeine
      "Cn1c(=O)c2[nH]cnc2n(C)c1=O",         // theophylline
      "O=c1cccc[nH]1",                      // 2-pyridone
      "Cn1ccccc1=O",                        // 1-methyl-2-pyridone
      "[O-][N+](=O)c1ccccc1",               // nitrobenzene
  };
  InputParameters& tables = *InputParameters::instance();
  for (const char* smiles : smilesList) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(smiles);
    ASSERT_TRUE(molecule) << smiles;
    for (const Bond* bond : molecule->bonds) {
      BondParameters row;
      EXPECT_EQ(1, tables.findBondParameters(bond->atom1->type, bond->atom2->type, bond->order,
                                             row))
          << smiles << ": " << bond->atom1->type << " " << bond->atom2->type << " "
          << bond->order;
    }
  }
}

// The methyls of 1- and 1,3-dimethyluracil replace an N-H of uracil: like N-methylating an amide
// (acetamide -238.3, N-methylacetamide about -248 kJ/mol, NIST WebBook) each moves the heat of
// formation by about ten. Pricing the methylated carbonyl by the element row moved it by 59.
TEST(HeatOfFormation, MethylatingUracilMovesItsHeatOfFormationLittle) {
  std::unique_ptr<Molecule> uracil = kvtest::finishedMolecule("O=c1cc[nH]c(=O)[nH]1");
  std::unique_ptr<Molecule> methyl = kvtest::finishedMolecule("Cn1ccc(=O)[nH]c1=O");
  std::unique_ptr<Molecule> dimethyl = kvtest::finishedMolecule("Cn1ccc(=O)n(C)c1=O");
  ASSERT_TRUE(uracil && methyl && dimethyl);
  const double step = 20.0 / kKjPerEv;   // eV; twice the amide's methylation step
  EXPECT_NEAR(uracil->heatOfFormation, methyl->heatOfFormation, step);
  EXPECT_NEAR(methyl->heatOfFormation, dimethyl->heatOfFormation, step);
}

// Phosgene is an acid chloride: its carbonyl carbon, once typed as a saturated carbon, took the
// wrong rows and landed about 100 kJ/mol too high.
TEST(HeatOfFormation, PhosgeneCarbonIsTypedAsAnAcidChloride) {
  std::unique_ptr<Molecule> phosgene = kvtest::finishedMolecule("O=C(Cl)Cl");
  ASSERT_TRUE(phosgene);
  for (const Atom* atom : phosgene->atoms)
    EXPECT_TRUE(atom->element != "C" || atom->type == "COCL") << atom->type;
}

}  // namespace
