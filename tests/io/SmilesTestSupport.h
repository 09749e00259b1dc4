#pragma once

// Helpers shared by the SMILES tests: reading to a graph, element counts, a comparable bond list,
// a graph comparison, writing, and the sample files.

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "io/SmilesParser.h"
#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace smilestest {

inline std::unique_ptr<Molecule> graph(const std::string& smiles) {
  SmilesParser parser;
  return std::unique_ptr<Molecule>(parser.smilesToGraph(smiles));
}

// "C2H6O" style counts over every atom, hydrogens included, charges summed apart.
inline std::map<std::string, int> formula(const Molecule& m) {
  std::map<std::string, int> counts;
  for (const Atom* a : m.atoms) ++counts[a->element];
  int charge = 0;
  for (const Atom* a : m.atoms) charge += a->charge;
  counts["charge"] = charge;
  return counts;
}

// Each bond as (smaller element, larger element, order), sorted: equal for equal molecules. A
// bond is aromatic (order 9) when its order is 9 or its flag is set, whichever its reader left,
// so that Kekule and aromatic forms of one ring compare equal.
inline std::vector<std::tuple<std::string, std::string, int> > bondList(const Molecule& m) {
  std::vector<std::tuple<std::string, std::string, int> > out;
  for (const Bond* b : m.bonds) {
    std::string x = b->atom1->element, y = b->atom2->element;
    if (y < x) std::swap(x, y);
    out.emplace_back(x, y, b->order == kAromaticOrder || b->isAromatic ? kAromaticOrder : b->order);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Atom classes of the two molecules refined together: element, charge and isotope first, then
// the classes and bond kinds around each atom, until no class splits. Equal sorted classes for
// molecules with the same connectivity, bond orders and aromatic bonds; a bond is aromatic when
// its order is 9 or its flag is set, whichever its reader left.
inline bool sameGraph(const Molecule& a, const Molecule& b) {
  if (a.atoms.size() != b.atoms.size() || a.bonds.size() != b.bonds.size()) return false;
  const Molecule* both[2] = {&a, &b};
  std::map<std::string, int> names;   // one naming for both, so classes compare
  auto nameOf = [&names](const std::string& key) {
    return names.emplace(key, static_cast<int>(names.size())).first->second;
  };
  std::vector<int> classes[2];
  std::map<const Atom*, size_t> index[2];
  for (int m = 0; m < 2; ++m)
    for (const Atom* x : both[m]->atoms) {
      index[m][x] = classes[m].size();
      classes[m].push_back(nameOf(x->element + " " + std::to_string(x->charge) + " " +
                                  std::to_string(x->isotope)));
    }
  size_t distinct = 0;
  for (size_t round = 0; round <= a.atoms.size(); ++round) {
    std::vector<int> next[2];
    for (int m = 0; m < 2; ++m)
      for (const Atom* x : both[m]->atoms) {
        std::vector<std::pair<int, int> > around;
        for (const Bond* bond : x->bonds) {
          const Atom* y = bond->atom1 == x ? bond->atom2 : bond->atom1;
          const int kind =
              bond->order == kAromaticOrder || bond->isAromatic ? kAromaticOrder : bond->order;
          around.emplace_back(kind, classes[m][index[m].at(y)]);
        }
        std::sort(around.begin(), around.end());
        std::string key = std::to_string(classes[m][index[m][x]]) + ":";
        for (const auto& n : around) key += " " + std::to_string(n.first) + "/" + std::to_string(n.second);
        next[m].push_back(nameOf(key));
      }
    const std::set<int> seen(next[0].begin(), next[0].end());
    classes[0].swap(next[0]);
    classes[1].swap(next[1]);
    if (seen.size() == distinct) break;
    distinct = seen.size();
  }
  std::sort(classes[0].begin(), classes[0].end());
  std::sort(classes[1].begin(), classes[1].end());
  return classes[0] == classes[1];
}

// Both strings read, to the same graph.
inline void expectSameGraph(const std::string& smiles, const std::string& expected) {
  auto m = graph(smiles);
  auto reference = graph(expected);
  ASSERT_TRUE(m != nullptr && reference != nullptr) << smiles << " " << expected;
  EXPECT_TRUE(sameGraph(*reference, *m)) << smiles << " " << expected;
}

inline std::string write(Molecule& m) {
  SmilesWriter writer;
  std::string out;
  EXPECT_TRUE(writer.createSmilesFromMolecule(&m, out));
  return out;
}

struct SampleLine {
  std::string smiles;
  std::string name;
};

// The "SMILES name" lines of a file in the test data; a missing file fails the calling test.
inline std::vector<SampleLine> sampleSmiles(const std::string& file = "smiles-sample.smi") {
  std::vector<SampleLine> lines;
  const std::string path = std::string(KV_TEST_DATA_DIR) + "/" + file;
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << "missing " << path;
  std::string line;
  while (std::getline(in, line)) {
    SampleLine s;
    SmilesParser::splitSmilesLine(line, s.smiles, s.name);
    if (!s.smiles.empty()) lines.push_back(s);
  }
  return lines;
}

}  // namespace smilestest
