// Heats of formation from the bond table against experiment, on molecules the calibration never
// fits: the check part of the reference list (every fifth molecule in its order, see
// tools/calibration/README.md). Gas-phase standard enthalpies of formation at 298.15 K in kJ/mol,
// from the Active Thermochemical Tables, the G2/97 set and the API and Yaws compilations.

#include "ChemistryTestSupport.h"

#include "model/Atom.h"
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

// The nested cross-validation of the fit gives 8.3 kJ/mol over the molecules without three- and
// four-membered rings. The check part lands near 10: more of its molecules have bonds that no
// fitted molecule has (pyridine's ring nitrogen, tert-butyl-S and -N, CF2Br2), and the model has
// no ring strain (alkylcyclopentanes about 20 too low) nor the extra resonance of four fused rings
// (chrysene about 40 too high). The bound per molecule lies above those and below what one bond
// off by half an electronvolt gives (48 kJ/mol).
const double kMeanBound = 11.0;       // kJ/mol
const double kMoleculeBound = 45.0;   // kJ/mol

bool hasSmallRing(const Molecule& molecule) {
  return std::any_of(molecule.rings.begin(), molecule.rings.end(),
                     [](const Ring* ring) { return ring->atomIds.size() <= 4; });
}

double heatOfFormation(const Molecule& molecule) { return molecule.heatOfFormation * kKjPerEv; }

TEST(HeatOfFormation, CheckPartWithinTheCrossValidatedError) {
  std::ostringstream table;
  double sum = 0.0;
  int judged = 0;
  for (const Reference& reference : kCheckPart) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(reference.smiles);
    ASSERT_TRUE(molecule) << reference.smiles;
    // The model has no strain term: three- and four-membered rings are judged apart.
    if (hasSmallRing(*molecule)) continue;
    const double error = heatOfFormation(*molecule) - reference.kjPerMol;
    EXPECT_LE(std::fabs(error), kMoleculeBound) << reference.name;
    sum += std::fabs(error);
    ++judged;
    table << reference.name << ": " << error << " kJ/mol\n";
  }
  ASSERT_GE(judged, 40);
  EXPECT_LE(sum / judged, kMeanBound) << table.str();
}

TEST(HeatOfFormation, MethyleneIncrementOfTheAlkanesHolds) {
  // Each CH2 added to a straight chain lowers the heat of formation by about 20.6 kJ/mol.
  std::unique_ptr<Molecule> dodecane = kvtest::finishedMolecule("CCCCCCCCCCCC");
  std::unique_ptr<Molecule> tetradecane = kvtest::finishedMolecule("CCCCCCCCCCCCCC");
  ASSERT_TRUE(dodecane && tetradecane);
  EXPECT_NEAR(-20.6, (heatOfFormation(*tetradecane) - heatOfFormation(*dodecane)) / 2.0, 1.0);
}

// Phosgene is an acid chloride: its carbonyl carbon, once typed as a saturated carbon, took the
// wrong rows and landed about 100 kJ/mol too high.
TEST(HeatOfFormation, PhosgeneCarbonIsTypedAsAnAcidChloride) {
  std::unique_ptr<Molecule> phosgene = kvtest::finishedMolecule("O=C(Cl)Cl");
  ASSERT_TRUE(phosgene);
  for (const Atom* atom : phosgene->atoms) {
    if (atom->element == "C") {
      EXPECT_EQ("COCL", atom->type);
    }
  }
}

// Bonds that reference molecules have (cumulated carbons of ketene and allene, cyano carbons,
// acyl fluoride carbons typed C, phosgene's acid-chloride carbon, crown-ether and ether oxygens)
// find a row of their own types rather than a super-type or element row.
TEST(HeatOfFormation, ReferenceBondKindsHaveExactRows) {
  struct Kind {
    const char* type1;
    const char* type2;
    int order;
  };
  const Kind kinds[] = {{"CEH2", "CO2", 2}, {"CEH1", "CO2", 2}, {"CE", "CO2", 2},
                        {"CO2", "S", 2},    {"C", "OK", 2},     {"CCN", "N", 3},
                        {"CCN", "CCN", 1},  {"CCN", "CL", 1},   {"BR", "CCN", 1},
                        {"CMH2", "OFER", 1}, {"CMH2", "OCRA", 1}, {"N", "OEM", 1},
                        {"COCL", "CL", 1},  {"COCL", "OCL", 2}};
  InputParameters* tables = InputParameters::instance();
  for (const Kind& kind : kinds) {
    BondParameters row;
    EXPECT_EQ(1, tables->findBondParameters(kind.type1, kind.type2, kind.order, row))
        << kind.type1 << "-" << kind.type2 << " order " << kind.order;
    EXPECT_FALSE(row.approximated) << kind.type1 << "-" << kind.type2;
    EXPECT_GT(row.bondEnergy, 0.0f) << kind.type1 << "-" << kind.type2;
  }
}

}  // namespace
