// Chemistry the SMILES reader must get right: aromatic five-membered heterocycles, cumulated
// double bonds, saturated atoms in fused rings; aromatic strings read as the molecules they stand
// for, a second spelling gives the same graph, bracket atoms keep the hydrogens written, five-bond
// nitrogen reads as its charge-separated form, and graphs no molecule has are refused.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"
#include "SmilesTestSupport.h"
#include "io/MDLMolParser.h"
#include "io/SmilesParser.h"
#include "support/ConsoleCapture.h"
#include "support/QtApplication.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"

namespace {

using kvtest::hydrogensOn;
using smilestest::graph;

// The formula in Hill order, then one sign per unit of charge.
std::string hill(const Molecule& m) {
  std::map<std::string, int> counts = smilestest::formula(m);
  const int charge = counts["charge"];
  counts.erase("charge");
  std::string out;
  auto put = [&](const std::string& e) {
    auto it = counts.find(e);
    if (it == counts.end()) return;
    out += e + (it->second > 1 ? std::to_string(it->second) : "");
    counts.erase(it);
  };
  if (counts.count("C") != 0) {
    put("C");
    put("H");
  }
  while (!counts.empty()) put(counts.begin()->first);
  out += std::string(static_cast<size_t>(std::abs(charge)), charge > 0 ? '+' : '-');
  return out;
}

std::vector<std::string> sortedTypes(const Molecule& m) {
  std::vector<std::string> types;
  for (const Atom* a : m.atoms) types.push_back(a->type);
  std::sort(types.begin(), types.end());
  return types;
}

int aromaticRings(const Molecule& m) {
  int count = 0;
  for (const Ring* r : m.rings) count += r->aromatic ? 1 : 0;
  return count;
}

// Every line of a data file ("SMILES other-spelling-or-- formula"): the formula, and the same
// formula, types and aromatic rings from the second spelling.
void checkFile(const std::string& file) {
  std::ifstream in(std::string(KV_TEST_DATA_DIR) + "/" + file);
  ASSERT_TRUE(in.good()) << file;
  int lines = 0;
  for (std::string text; std::getline(in, text);) {
    if (text.empty() || text[0] == '#') continue;
    std::string smiles, other, formula;
    std::istringstream(text) >> smiles >> other >> formula;
    SCOPED_TRACE(smiles);
    ++lines;
    auto m = graph(smiles);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(formula, hill(*m));
    if (other == "-") continue;
    auto second = graph(other);
    ASSERT_NE(nullptr, second) << other;
    EXPECT_EQ(hill(*second), hill(*m)) << other;
    EXPECT_EQ(sortedTypes(*second), sortedTypes(*m)) << other;
    EXPECT_EQ(aromaticRings(*second), aromaticRings(*m)) << other;
  }
  EXPECT_GT(lines, 0) << file;
}

}  // namespace

TEST(FiveRings, HeteroaromaticRingsAreAromaticAndKeepTheirHydrogens) {
  struct Expect {
    const char* smiles;
    size_t atoms;   // hydrogens included
    const char* firstTypes;
  };
  const Expect cases[] = {
      {"c1cc[nH]c1", 10, "CPYR CPYR CPYR NPYR CPYR"},
      {"c1ccoc1", 9, "CPYR CPYR CPYR OE CPYR"},
      {"c1cnc[nH]1", 9, "CPYR CPYR NIMD CPYR NPYR"},
      {"C1=CNC=C1", 10, "CPYR CPYR NPYR CPYR CPYR"},   // Kekule input, hydrogen implied
      {"c1ccc2[nH]ccc2c1", 16, "CAH1 CAH1 CAH1 CA NIND CPYR CPYR CA CAH1"},
  };
  for (const Expect& c : cases) {
    auto m = graph(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    EXPECT_EQ(c.atoms, m->atoms.size()) << c.smiles;
    bool fiveAromatic = false;
    for (const Ring* r : m->rings)
      if (r->atomIds.size() == 5) fiveAromatic = r->aromatic;
    EXPECT_TRUE(fiveAromatic) << c.smiles;
    std::string types;
    for (const Atom* a : m->atoms)
      if (a->element != "H") types += (types.empty() ? "" : " ") + a->type;
    EXPECT_EQ(c.firstTypes, types) << c.smiles;
  }
  // Oxazole, thiazole and purine read aromatic. No ring template knows oxazole or thiazole, yet
  // the later rule levels still type their ring carbons: none is left a bare "C".
  for (const char* s : {"c1cocn1", "c1cscn1", "c1ncc2[nH]cnc2n1"}) {
    auto m = graph(s);
    ASSERT_NE(nullptr, m) << s;
    for (const Ring* r : m->rings) EXPECT_TRUE(r->aromatic) << s;
    for (const Atom* a : m->atoms) EXPECT_NE("C", a->type) << s << " " << a->name;
  }
}

TEST(FiveRings, SaturatedRingAtomsKeepRingsNonAromatic) {
  // Fluorene: the CH2 ring keeps its single bonds; both benzene rings stay aromatic.
  auto fluorene = graph("C1c2ccccc2-c2ccccc21");
  ASSERT_NE(nullptr, fluorene);
  ASSERT_EQ(3u, fluorene->rings.size());
  for (const Ring* r : fluorene->rings) {
    EXPECT_EQ(r->atomIds.size() == 6, r->aromatic);
    if (r->atomIds.size() != 5) continue;
    // The five-ring's own bonds (not shared with a benzene ring) stay single.
    for (int id : r->bondIds) {
      const Bond* b = fluorene->bonds[static_cast<size_t>(id)];
      EXPECT_TRUE(b->ringIds.size() != 1 || b->order == 1) << b->getName();
    }
  }
  EXPECT_EQ(2, hydrogensOn(fluorene->atoms[0]));
  EXPECT_NE("CEH1", fluorene->atoms[0]->type);
  // Cyclopentadiene, 4H-pyran, 1,4-dioxin (eight electrons), pyrrolidine: not aromatic.
  for (const char* s : {"C1=CC=CC1", "C1C=COC=C1", "C1=COC=CO1", "C1CCNC1"}) {
    auto m = graph(s);
    ASSERT_NE(nullptr, m) << s;
    for (const Ring* r : m->rings) EXPECT_FALSE(r->aromatic) << s;
  }
}

TEST(Cumulenes, CentralCarbonIsSp) {
  for (const char* s : {"C=C=C", "C=C=O", "S=C=S", "O=C=S", "O=C=O"}) {
    auto m = graph(s);
    ASSERT_NE(nullptr, m) << s;
    EXPECT_EQ("CO2", m->atoms[1]->type) << s;
    EXPECT_EQ(0, hydrogensOn(m->atoms[1])) << s;
  }
  // A plain alkene keeps its sp2 type.
  auto propene = graph("C=CC");
  ASSERT_NE(nullptr, propene);
  EXPECT_NE("CO2", propene->atoms[1]->type);
}

TEST(SmilesRobustness, AromaticStringsReadAsTheirKekuleForms) { checkFile("robust-aromatic.smi"); }

TEST(SmilesRobustness, ValencesOfBracketsIsotopesAndFiveBondNitrogen) {
  checkFile("robust-valence.smi");
}

// An aromatic nitrogen written with a double bond to oxygen reads as the N-oxide
// [n+][O-]: pyridine, 2-picoline and 4-nitroquinoline N-oxides, minoxidil (these were refused as
// rings without a Kekule form). A five-ring one that has no Kekule form then either is refused.
TEST(SmilesRobustness, AromaticNOxidesWrittenWithADoubleBondReadChargeSeparated) {
  const std::pair<const char*, const char*> same[] = {
      {"O=n1ccccc1", "[O-][n+]1ccccc1"},
      {"c1ccn(=O)cc1", "[O-][n+]1ccccc1"},
      {"Cc1ccccn1=O", "Cc1cccc[n+]1[O-]"},
      {"O=n1ccc([N+](=O)[O-])c2ccccc12", "[O-][n+]1ccc([N+](=O)[O-])c2ccccc12"},
      {"Nc1cc(N2CCCCC2)nc(N)n1=O", "Nc1cc(N2CCCCC2)nc(N)[n+]1[O-]"}};
  for (const auto& p : same) smilestest::expectSameGraph(p.first, p.second);
  InputParameters::instance();
  kvtest::ErrorCapture capture;
  EXPECT_EQ(nullptr, graph("O=n1nc(C)cc1"));
  ASSERT_EQ(2u, capture.lines.size()) << capture.text();
  EXPECT_EQ(0u, capture.lines[0].find("Error: SmilesParser: ")) << capture.lines[0];
}

// Graphs no molecule has are refused with the reader's line quoting the input, never
// completed into another molecule (c1cccn1 became a 2H-pyrrole, C(C)(C)(C)(C)C a C6H15); their
// valid neighbours still read.
TEST(SmilesRobustness, OverValentAtomsAndRingsWithoutKekuleFormAreRefused) {
  InputParameters::instance();   // the tables report their own lines before the capture
  for (const char* s : {"C(C)(C)(C)(C)C", "FF(F)F", "[CH5]", "C[H]C", "[C-](C)(C)(C)C",
                        "[O+](C)(C)(C)C", "B(F)(F)(F)F", "c1cccc1", "c1cccn1", "c", "cc1ccccc1",
                        "c1ccc2ccccc2c1c"}) {
    kvtest::ErrorCapture capture;
    EXPECT_EQ(nullptr, graph(s)) << s;
    ASSERT_EQ(2u, capture.lines.size()) << s << "\n" << capture.text();
    EXPECT_EQ(0u, capture.lines[0].find("Error: SmilesParser: ")) << capture.lines[0];
    EXPECT_NE(std::string::npos, capture.lines[0].find("\"" + std::string(s) + "\"")) << s;
    EXPECT_EQ(0u, capture.lines[1].find(" Parsing failed")) << capture.lines[1];
  }
  const std::map<std::string, std::string> valid = {
      {"[B-](F)(F)(F)F", "BF4-"}, {"C[N+](C)(C)C", "C4H12N+"}, {"[cH-]1cccc1", "C5H5-"},
      {"c1ccc2cc3cc4cc5cc6ccccc6cc5cc4cc3cc2c1", "C26H16"}};
  for (const auto& v : valid) {
    kvtest::ErrorCapture capture;
    auto m = graph(v.first);
    ASSERT_NE(nullptr, m) << v.first << "\n" << capture.text();
    EXPECT_EQ(v.second, hill(*m)) << v.first;
  }
}

// Octa-alanine stops at the optimiser's step limit short of convergence (RMS gradient near
// 0.09): the molecule, and its copies, carry the mark and one console line says so; benzene
// converges and says nothing.
TEST(Optimisation, AGeometryStoppedShortOfConvergenceIsMarkedAndSaid) {
  kvtest::ensureApplication();   // the set-up's file singleton makes widgets' icons
  kvtest::ConsoleCapture console(0);
  auto said = [&console] {
    std::vector<std::string> lines;
    for (const std::string& line : console.lines)
      if (line.find("converge") != std::string::npos) lines.push_back(line);
    return lines;
  };
  SmilesParser parser;
  std::unique_ptr<Molecule> benzene(parser.smilesToMol("c1ccccc1"));
  ASSERT_NE(nullptr, benzene);
  EXPECT_FALSE(benzene->isUnconverged);
  EXPECT_TRUE(said().empty());
  std::unique_ptr<Molecule> peptide(parser.smilesToMol(
      "CC(N)C(=O)NC(C)C(=O)NC(C)C(=O)NC(C)C(=O)NC(C)C(=O)NC(C)C(=O)NC(C)C(=O)NC(C)C(=O)O"));
  ASSERT_NE(nullptr, peptide);
  EXPECT_TRUE(peptide->isUnconverged);
  ASSERT_EQ(1u, said().size());
  EXPECT_NE(std::string::npos,
            said()[0].find("did not converge (step limit reached, RMS gradient 0."));
  EXPECT_TRUE(std::unique_ptr<Molecule>(peptide->clone())->isUnconverged);
  EXPECT_TRUE(std::unique_ptr<Molecule>(peptide->copyGraph())->isUnconverged);
}

namespace {

// Optimiser steps of the molecule made last, and whether a line said it did not converge.
int optimiserSteps(kvtest::ConsoleCapture& console, bool& said) {
  int total = 0;
  said = false;
  for (const std::string& line : console.lines) {
    const std::string finished = "Minimization finished in";
    if (line.compare(0, finished.size(), finished) == 0)
      total += std::atoi(line.c_str() + finished.size());
    said = said || line.find("did not converge") != std::string::npos;
  }
  console.lines.clear();
  return total;
}

// The molecule made last converged, said nothing of not converging, and took between 1 and
// mostSteps optimiser steps.
void expectConvergedWithin(kvtest::ConsoleCapture& console, const Molecule& m, int mostSteps,
                           const std::string& what) {
  bool said = false;
  const int taken = optimiserSteps(console, said);
  EXPECT_FALSE(m.isUnconverged) << what;
  EXPECT_FALSE(said) << what;
  EXPECT_GT(taken, 0) << what;
  EXPECT_LE(taken, mostSteps) << what;
}

}  // namespace

// Nitriles, alkynes, diynes and allenes: a torsion about their straight-held centres once pushed
// hundreds of kcal/mol/A as an end atom passed its axis, and a straight chain's 1-3 terms came and
// went as rounding put it on and off the line; such molecules stopped short of convergence, or
// took 500 to 2,000 steps. They converge now, in about the steps of their saturated kin, from
// SMILES and from a propyne relaxed elsewhere (MMFF94).
TEST(Optimisation, StraightCentresConvergeInTheUsualNumberOfSteps) {
  kvtest::ensureApplication();
  kvtest::ConsoleCapture console(1);
  const struct {
    const char* smiles;
    int mostSteps;   // butane and butane-1,4-diol take 80
  } cases[] = {{"CC#N", 150},       {"CC#CC", 150},      {"CC#C", 150},
               {"C#CC#C", 150},     {"CC#CC#CC", 150},   {"CCCCC#N", 150},
               {"C=C=C", 150},      {"CC=C=CC", 150},    {"C#CC(O)(C)C", 150},
               {"OCC#CCO", 300},    {"COC(=O)C#CC(=O)OC", 300}};
  SmilesParser parser;
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> m(parser.smilesToMol(c.smiles));
    ASSERT_NE(nullptr, m) << c.smiles;
    expectConvergedWithin(console, *m, c.mostSteps, c.smiles);
  }
  std::istringstream propyne(R"(CC#C
     RDKit          3D

  7  6  0  0  0  0  0  0  0  0999 V2000
   -0.8478    0.3235   -0.1714 C   0  0  0  0  0  0  0  0  0  0  0  0
    0.4503   -0.1718    0.2878 C   0  0  0  0  0  0  0  0  0  0  0  0
    1.5154   -0.5782    0.6646 C   0  0  0  0  0  0  0  0  0  0  0  0
   -1.5929   -0.4778   -0.1691 H   0  0  0  0  0  0  0  0  0  0  0  0
   -0.7759    0.7174   -1.1897 H   0  0  0  0  0  0  0  0  0  0  0  0
   -1.2100    1.1259    0.4783 H   0  0  0  0  0  0  0  0  0  0  0  0
    2.4608   -0.9389    0.9990 H   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  1  0
  2  3  3  0
  1  4  1  0
  1  5  1  0
  1  6  1  0
  3  7  1  0
M  END
)");
  std::unique_ptr<Molecule> read(MDLMolParser().parseMDLMolFile(propyne));
  ASSERT_NE(nullptr, read);
  expectConvergedWithin(console, *read, 150, "propyne from a mol file");
}

// A chain of cumulated double bonds lays the planes of its two ends across each other when it
// has an odd number of straight centres (allenes, ketenimines, carbodiimides) and flat when it
// has an even number (butatrienes). With no term through the straight centres, allenes came out
// flat or wherever their start put them (propadiene 0 degrees, 1,3-diphenylallene 60, a
// carbodiimide cis); each is held now, and converges in the steps of its kin.
TEST(Optimisation, CumulatedDoubleBondsCrossOrFlattenTheirEndPlanes) {
  kvtest::ensureApplication();
  kvtest::ConsoleCapture console(1);
  const struct {
    const char* smiles;
    int i, j, k, l;   // a substituent of one end, the two ends, a substituent of the other end
    bool crossed;
    int mostSteps;    // 1,3-diphenylpropane takes 474, diethyl fumarate 259, butane 80
  } cases[] = {{"C=C=C", 3, 0, 2, 5, true, 150},
               {"CC=C=CC", 0, 1, 3, 4, true, 150},
               {"C(=C=Cc1ccccc1)c1ccccc1", 9, 0, 2, 3, true, 500},
               {"CCOC(=O)C=C=CC(=O)OCC", 3, 5, 7, 8, true, 500},
               {"CN=C=NC", 0, 1, 3, 4, true, 150},
               {"C=C=NC", 4, 0, 2, 3, true, 150},
               {"C=C=C=C=C", 5, 0, 4, 7, true, 150},
               {"C=C=C=C", 4, 0, 3, 6, false, 150},
               {"CC=C=C=CC", 0, 1, 4, 5, false, 150}};
  SmilesParser parser;
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> m(parser.smilesToMol(c.smiles));
    ASSERT_NE(nullptr, m) << c.smiles;
    expectConvergedWithin(console, *m, c.mostSteps, c.smiles);
    const double twist = std::fabs(
        kvtest::torsionDeg(m->atoms[c.i], m->atoms[c.j], m->atoms[c.k], m->atoms[c.l]));
    if (c.crossed)
      EXPECT_NEAR(90.0, twist, 3.0) << c.smiles;
    else
      EXPECT_NEAR(0.0, std::min(twist, 180.0 - twist), 3.0) << c.smiles;
  }
  // Propadiene drawn flat sits on the top of its twist, where no force turns it; it is turned
  // before the optimisation.
  std::istringstream flat(R"(propadiene
     drawn          2D

  7  6  0  0  0  0  0  0  0  0999 V2000
    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0
    1.3100    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0
    2.6200    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0
   -0.5500    0.9400    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
   -0.5500   -0.9400    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
    3.1700    0.9400    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
    3.1700   -0.9400    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  2  0
  2  3  2  0
  1  4  1  0
  1  5  1  0
  3  6  1  0
  3  7  1  0
M  END
)");
  std::unique_ptr<Molecule> read(MDLMolParser().parseMDLMolFile(flat));
  ASSERT_NE(nullptr, read);
  expectConvergedWithin(console, *read, 150, "propadiene drawn flat");
  EXPECT_NEAR(90.0, std::fabs(kvtest::torsionDeg(read->atoms[3], read->atoms[0], read->atoms[2],
                                                  read->atoms[5])),
              3.0);
}
