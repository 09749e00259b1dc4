#pragma once

// Helpers shared by the SMILES tests: reading to a graph, element counts and a comparable
// bond list, and the sample file.

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
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

// Each bond as (smaller element, larger element, order), sorted: equal for equal molecules.
inline std::vector<std::tuple<std::string, std::string, int> > bondList(const Molecule& m) {
  std::vector<std::tuple<std::string, std::string, int> > out;
  for (const Bond* b : m.bonds) {
    std::string x = b->atom1->element, y = b->atom2->element;
    if (y < x) std::swap(x, y);
    out.emplace_back(x, y, b->order);
  }
  std::sort(out.begin(), out.end());
  return out;
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

// The sample set; a missing file fails the calling test.
inline std::vector<SampleLine> sampleSmiles() {
  std::vector<SampleLine> lines;
  std::ifstream in(KV_TEST_DATA_DIR "/smiles-sample.smi");
  EXPECT_TRUE(in.good()) << "missing " << KV_TEST_DATA_DIR "/smiles-sample.smi";
  std::string line;
  while (std::getline(in, line)) {
    SampleLine s;
    SmilesParser::splitSmilesLine(line, s.smiles, s.name);
    if (!s.smiles.empty()) lines.push_back(s);
  }
  return lines;
}

}  // namespace smilestest
