// Heats of formation from the bond table against experiment. The values are gas-phase standard
// enthalpies of formation at 298.15 K in kJ/mol from the NIST Chemistry WebBook (thermochemical
// data compiled from Pedley, Naylor and Kirby, "Thermochemical Data of Organic Compounds", and
// the JANAF tables), typed in here. A table edit that breaks the chemistry moves the mean
// absolute error past the bound and fails.

#include "ChemistryTestSupport.h"

#include "parameters/InputParameters.h"

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

// Acyclic alkanes (NIST gas phase).
const std::vector<Reference> kAlkanes = {
    {"methane", "C", -74.6},          {"ethane", "CC", -84.0},
    {"propane", "CCC", -104.7},       {"n-butane", "CCCC", -125.6},
    {"isobutane", "CC(C)C", -134.2},  {"n-pentane", "CCCCC", -146.9},
    {"neopentane", "CC(C)(C)C", -168.1}, {"n-hexane", "CCCCCC", -166.9},
    {"n-heptane", "CCCCCCC", -187.6}, {"n-octane", "CCCCCCCC", -208.5},
};

// Other classes without three- or four-membered rings (NIST gas phase).
const std::vector<Reference> kVaried = {
    {"cyclopentane", "C1CCCC1", -76.4},   {"cyclohexane", "C1CCCCC1", -123.4},
    {"ethylene", "C=C", 52.4},            {"propene", "CC=C", 20.0},
    {"isobutene", "CC(C)=C", -16.9},      {"1,3-butadiene", "C=CC=C", 110.0},
    {"acetylene", "C#C", 228.2},          {"propyne", "CC#C", 184.9},
    {"benzene", "c1ccccc1", 82.9},        {"toluene", "Cc1ccccc1", 50.1},
    {"ethylbenzene", "CCc1ccccc1", 29.9}, {"p-xylene", "Cc1ccc(C)cc1", 18.0},
    {"water", "O", -241.8},               {"methanol", "CO", -201.0},
    {"ethanol", "CCO", -234.8},           {"1-propanol", "CCCO", -255.1},
    {"2-propanol", "CC(C)O", -272.6},     {"dimethyl ether", "COC", -184.1},
    {"diethyl ether", "CCOCC", -252.1},   {"phenol", "Oc1ccccc1", -96.4},
    {"acetaldehyde", "CC=O", -166.2},     {"acetone", "CC(C)=O", -217.1},
    {"2-butanone", "CCC(C)=O", -238.5},   {"acetic acid", "CC(=O)O", -432.8},
    {"methyl acetate", "COC(C)=O", -411.9}, {"ethyl acetate", "CCOC(C)=O", -443.6},
    {"ammonia", "N", -45.9},              {"methylamine", "CN", -23.0},
    {"dimethylamine", "CNC", -18.5},      {"trimethylamine", "CN(C)C", -23.6},
    {"ethylamine", "CCN", -47.5},         {"acetonitrile", "CC#N", 74.0},
    {"pyridine", "c1ccncc1", 140.4},      {"chloromethane", "CCl", -81.9},
    {"dichloromethane", "ClCCl", -95.5},  {"chlorobenzene", "Clc1ccccc1", 52.0},
    {"hydrogen sulfide", "S", -20.6},     {"methanethiol", "CS", -22.9},
    {"dimethyl sulfide", "CSC", -37.4},   {"acetamide", "CC(N)=O", -238.3},
};

// Mean absolute error of the reported heats of formation, with one line per molecule for the
// failure message.
double meanAbsoluteError(const std::vector<Reference>& set, std::string& table) {
  std::ostringstream out;
  double sum = 0.0;
  for (const Reference& reference : set) {
    std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(reference.smiles);
    if (!molecule) {
      ADD_FAILURE() << reference.smiles << " not read";
      continue;
    }
    const double computed = molecule->heatOfFormation * kKjPerEv;
    sum += std::fabs(computed - reference.kjPerMol);
    out << reference.name << ": " << computed << " kJ/mol, experiment " << reference.kjPerMol << "\n";
  }
  table = out.str();
  return set.empty() ? 0.0 : sum / set.size();
}

TEST(HeatOfFormation, AcyclicAlkanesWithinFourKilojoulesOnAverage) {
  std::string table;
  EXPECT_LE(meanAbsoluteError(kAlkanes, table), 4.0) << table;
}

TEST(HeatOfFormation, VariedMoleculesWithinEightKilojoulesOnAverage) {
  std::vector<Reference> all = kVaried;
  all.insert(all.end(), kAlkanes.begin(), kAlkanes.end());
  ASSERT_GE(all.size(), 40u);
  std::string table;
  EXPECT_LE(meanAbsoluteError(all, table), 8.0) << table;
}

TEST(HeatOfFormation, MethyleneIncrementOfTheAlkanesHolds) {
  // Each CH2 added to a straight chain lowers the heat of formation by about 20.6 kJ/mol.
  std::unique_ptr<Molecule> hexane = kvtest::finishedMolecule("CCCCCC");
  std::unique_ptr<Molecule> heptane = kvtest::finishedMolecule("CCCCCCC");
  ASSERT_TRUE(hexane && heptane);
  EXPECT_NEAR(-20.6, (heptane->heatOfFormation - hexane->heatOfFormation) * kKjPerEv, 2.0);
}

// Aromatic five-membered rings: their carbon-heteroatom rows start from the single bond of the
// same types, so each ring lands near experiment (NIST gas phase).
TEST(HeatOfFormation, FiveMemberedHeteroaromaticsWithinTwentyKilojoules) {
  const std::vector<Reference> rings = {{"pyrrole", "c1cc[nH]c1", 108.2},
                                        {"furan", "c1ccoc1", -34.8},
                                        {"thiophene", "c1ccsc1", 115.0},
                                        {"indole", "c1ccc2[nH]ccc2c1", 156.6}};
  std::string table;
  EXPECT_LE(meanAbsoluteError(rings, table), 20.0) << table;
}

// Phosgene is an acid chloride: it shares the acyl chloride rows, and a carbonyl carbon that fell
// back to the saturated type lands about 100 kJ/mol too high (NIST gas phase).
TEST(HeatOfFormation, AcidChloridesIncludingPhosgeneWithinTenKilojoules) {
  const std::vector<Reference> chlorides = {{"phosgene", "O=C(Cl)Cl", -219.1},
                                            {"acetyl chloride", "CC(=O)Cl", -242.8}};
  std::string table;
  EXPECT_LE(meanAbsoluteError(chlorides, table), 10.0) << table;
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
