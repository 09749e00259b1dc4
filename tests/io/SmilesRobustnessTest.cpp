// Real molecules through the reader and perception: aromatic strings read as the molecules they
// stand for, a second spelling gives the same graph, bracket atoms keep the hydrogens written,
// isotopes keep their element, five-bond nitrogen reads as its charge-separated form.

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SmilesTestSupport.h"
#include "support/ErrorCapture.h"
#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"

namespace {

using smilestest::graph;

struct Line {
  std::string smiles;
  std::string other;     // "-" when there is none
  std::string formula;   // Hill order, then one sign per unit of charge
};

std::vector<Line> readLines(const std::string& file) {
  std::ifstream in(std::string(KV_TEST_DATA_DIR) + "/" + file);
  EXPECT_TRUE(in.good()) << file;
  std::vector<Line> lines;
  for (std::string text; std::getline(in, text);) {
    if (text.empty() || text[0] == '#') continue;
    std::istringstream words(text);
    Line line;
    words >> line.smiles >> line.other >> line.formula;
    lines.push_back(line);
  }
  return lines;
}

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

// Every line: the formula, no atom left with its bare element as type where the second
// spelling has a real one, and the same types from both spellings.
void checkFile(const std::string& file) {
  const std::vector<Line> lines = readLines(file);
  ASSERT_FALSE(lines.empty());
  for (const Line& line : lines) {
    SCOPED_TRACE(line.smiles);
    auto m = graph(line.smiles);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(line.formula, hill(*m));
    if (line.other == "-") continue;
    auto other = graph(line.other);
    ASSERT_NE(nullptr, other) << line.other;
    EXPECT_EQ(hill(*other), hill(*m)) << line.other;
    EXPECT_EQ(sortedTypes(*other), sortedTypes(*m)) << line.other;
    EXPECT_EQ(aromaticRings(*other), aromaticRings(*m)) << line.other;
  }
}

}  // namespace

TEST(SmilesRobustness, AromaticStringsReadAsTheirKekuleForms) { checkFile("robust-aromatic.smi"); }

TEST(SmilesRobustness, ValencesOfBracketsIsotopesAndFiveBondNitrogen) {
  checkFile("robust-valence.smi");
}

TEST(SmilesRobustness, AromaticityIsStableAcrossARereading) {
  for (const char* s : {"C1cn1", "c1ccoc1", "c1cc[nH]c1", "c1ccncc1", "O=c1cc[nH]cc1",
                        "c1ccc2ccccc2c1", "c1ccc2cccc-2cc1", "C1=CC=CC=C1"}) {
    SCOPED_TRACE(s);
    auto first = graph(s);
    ASSERT_NE(nullptr, first);
    std::string written;
    SmilesWriter writer;
    ASSERT_TRUE(writer.createSmilesFromMolecule(first.get(), written));
    auto second = graph(written);
    ASSERT_NE(nullptr, second) << written;
    EXPECT_EQ(hill(*first), hill(*second)) << written;
    EXPECT_EQ(aromaticRings(*first), aromaticRings(*second)) << written;
    EXPECT_EQ(sortedTypes(*first), sortedTypes(*second)) << written;
  }
}

// Graphs no molecule has are refused with the reader's one line quoting the input, never
// completed into another molecule (c1cccn1 became a 2H-pyrrole, C(C)(C)(C)(C)C a C6H15); their
// valid neighbours still read.
TEST(SmilesRobustness, OverValentAtomsAndRingsWithoutKekuleFormAreRefused) {
  InputParameters::instance();   // the tables report their own lines before the capture
  for (const char* s : {"C(C)(C)(C)(C)C", "FF(F)F", "[CH5]", "C[H]C", "[C-](C)(C)(C)C",
                        "[O+](C)(C)(C)C", "B(F)(F)(F)F", "c1cccc1", "c1cccn1", "c", "cc1ccccc1",
                        "c1ccc2ccccc2c1c"}) {
    kvtest::ErrorCapture capture;
    EXPECT_EQ(nullptr, graph(s)) << s;
    ASSERT_EQ(1u, capture.lines.size()) << s << "\n" << capture.text();
    EXPECT_EQ(0u, capture.lines[0].find("Error: SmilesParser: ")) << capture.lines[0];
    EXPECT_NE(std::string::npos, capture.lines[0].find("\"" + std::string(s) + "\"")) << s;
  }
  const std::map<std::string, std::string> valid = {{"[B-](F)(F)(F)F", "BF4-"},
                                                    {"C[N+](C)(C)C", "C4H12N+"},
                                                    {"[cH-]1cccc1", "C5H5-"},
                                                    {"c1cc[nH]c1", "C4H5N"},
                                                    {"c1ccc2cc3cc4cc5cc6ccccc6cc5cc4cc3cc2c1",
                                                     "C26H16"}};
  for (const auto& v : valid) {
    kvtest::ErrorCapture capture;
    auto m = graph(v.first);
    ASSERT_NE(nullptr, m) << v.first << "\n" << capture.text();
    EXPECT_EQ(v.second, hill(*m)) << v.first;
  }
}
