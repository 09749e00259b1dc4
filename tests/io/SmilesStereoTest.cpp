// The stereo marks of the SMILES writer: the default string carries none; with marks on, the
// hands of centres and the sides of double bonds are read off the built positions, so a string
// read, built, written and read again builds the same stereoisomer, and RDKit reads the written
// string as the same isomer as the input (tests/data/stereo-molecules.smi; RDKit is installed
// with the other packages, and the test fails when it is missing).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "io/SmilesParser.h"
#include "io/SmilesStereo.h"
#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/FileFixture.h"
#include "support/TextLines.h"
#include "tests/io/ToolProcess.h"

namespace {

std::unique_ptr<Molecule> built(const std::string& smiles) {
  SmilesParser parser;
  return std::unique_ptr<Molecule>(parser.smilesToMol(smiles));
}

std::string stereoSmiles(Molecule* m) {
  SmilesWriter writer;
  writer.setStereo(true);
  std::string out;
  EXPECT_TRUE(writer.createSmilesFromMolecule(m, out));
  return out;
}

// Each centre as (its class, the sign of the volume of its neighbours taken in class order),
// each stereo double bond as (classes of its ends, whether the highest-class neighbours are
// cis), sorted: equal lists mean the same hands, whatever the order of the atom lists.
std::vector<std::vector<int>> hands(const Molecule& m) {
  const std::vector<int> classes = symmetryClasses(m);
  const SmilesStereo stereo(m);
  auto classOf = [&](const Atom* a) {
    return classes[std::find(m.atoms.begin(), m.atoms.end(), a) - m.atoms.begin()];
  };
  std::vector<std::vector<int>> out;
  for (const Atom* a : m.atoms) {
    if (!stereo.isStereoCentre(a)) continue;
    std::vector<std::pair<int, const Atom*>> around;
    for (Bond* b : a->bonds)
      around.emplace_back(classOf(a->getAdjacentAtom(b)), a->getAdjacentAtom(b));
    std::sort(around.begin(), around.end());
    // A lone-pair centre, and a ring centre whose two ring neighbours the graph cannot tell
    // apart, have no order of neighbours by class: the string written again compares them.
    const bool tied =
        std::adjacent_find(around.begin(), around.end(), [](const auto& l, const auto& r) {
          return l.first == r.first;
        }) != around.end();
    if (around.size() != 4 || tied) {
      out.push_back({classOf(a), 0});
      continue;
    }
    double p[4][3];
    for (size_t k = 0; k < 4; ++k) {
      p[k][0] = around[k].second->position.x;
      p[k][1] = around[k].second->position.y;
      p[k][2] = around[k].second->position.z;
    }
    out.push_back({classOf(a), tetrahedralSense(p)});
  }
  for (const Bond* b : m.bonds) {
    if (b->order != 2 || b->isAromatic) continue;
    const Atom* ends[2] = {b->atom1, b->atom2};
    const Atom* best[2] = {nullptr, nullptr};
    bool distinct = true;
    for (int e = 0; e < 2; ++e) {
      std::vector<std::pair<int, const Atom*>> around;
      for (Bond* c : ends[e]->bonds)
        if (c != b)
          around.emplace_back(classOf(ends[e]->getAdjacentAtom(c)), ends[e]->getAdjacentAtom(c));
      std::sort(around.begin(), around.end());
      if (around.empty() || around.size() > 2 ||
          (around.size() == 2 && around[0].first == around[1].first))
        distinct = false;
      else
        best[e] = around.back().second;
    }
    if (!distinct) continue;
    const Atom& x = *ends[0];
    const Atom& y = *ends[1];
    double axis[3] = {y.position.x - x.position.x, y.position.y - x.position.y,
                      y.position.z - x.position.z};
    double va[3] = {best[0]->position.x - x.position.x, best[0]->position.y - x.position.y,
                    best[0]->position.z - x.position.z};
    double vb[3] = {best[1]->position.x - y.position.x, best[1]->position.y - y.position.y,
                    best[1]->position.z - y.position.z};
    const double aa = axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2];
    const double ta = (va[0] * axis[0] + va[1] * axis[1] + va[2] * axis[2]) / aa;
    const double tb = (vb[0] * axis[0] + vb[1] * axis[1] + vb[2] * axis[2]) / aa;
    double cis = 0.0;
    for (int k = 0; k < 3; ++k) cis += (va[k] - ta * axis[k]) * (vb[k] - tb * axis[k]);
    const int lo = std::min(classOf(&x), classOf(&y)), hi = std::max(classOf(&x), classOf(&y));
    out.push_back({lo, hi, cis > 0.0 ? 1 : -1});
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Reads and builds `input`, writes it with marks, reads and builds the written string: the same
// hands and sides. The molecule read back lists its atoms in the written order, so writing it
// again must give the same string: this also covers the centres and bonds no order by class
// fixes. Returns the written string (empty when a step failed); `first` is the molecule built
// from the input.
std::string writtenBuildsTheSameHands(const std::string& input, std::unique_ptr<Molecule>& first) {
  first = built(input);
  EXPECT_NE(nullptr, first) << input;
  if (first == nullptr) return "";
  const std::string written = stereoSmiles(first.get());
  const std::unique_ptr<Molecule> second = built(written);
  EXPECT_NE(nullptr, second) << written;
  if (second == nullptr) return "";
  EXPECT_EQ(hands(*first), hands(*second)) << input << " written " << written;
  EXPECT_EQ(written, stereoSmiles(second.get())) << input;
  return written;
}

class StereoSmiles : public kvtest::FileFixture {
 protected:
  StereoSmiles() : kvtest::FileFixture("kv_stereo_") {}
};

TEST_F(StereoSmiles, DefaultStringCarriesNoMarks) {
  const std::unique_ptr<Molecule> m = built("N[C@@H](C)C(=O)O");
  ASSERT_NE(nullptr, m);
  SmilesWriter writer;
  std::string plain;
  ASSERT_TRUE(writer.createSmilesFromMolecule(m.get(), plain));
  EXPECT_EQ(std::string::npos, plain.find_first_of("@/\\")) << plain;
  EXPECT_NE(std::string::npos, stereoSmiles(m.get()).find('@'));
}

// Read, built, written with marks, read and built again: the same hands and sides. The inputs
// take centres at the root, in rings (closure digits among the neighbours), a sulfoxide with its
// lone pair, a quaternary nitrogen, and double bonds in a conjugated chain.
TEST_F(StereoSmiles, WrittenMarksBuildTheSameHands) {
  const char* const inputs[] = {
      "[C@@H](F)(Cl)Br",
      "OC[C@H]1O[C@@H](O)[C@H](O)[C@@H](O)[C@@H]1O",
      "C[C@]12CC[C@H]3[C@@H](CCC4=CC(=O)CC[C@]34C)[C@@H]1CC[C@@H]2O",
      "C[S@@](=O)c1ccccc1",
      "C[N@+](CC)(CCC)c1ccccc1",
      "C[C@H]1CC[C@H](C)CC1",
      "C/C=C\\C=C/C(=O)O",
      "Cl/C=C/[C@H](C)O",
  };
  for (const char* input : inputs) {
    std::unique_ptr<Molecule> first;
    writtenBuildsTheSameHands(input, first);
    ASSERT_NE(nullptr, first) << input;
    EXPECT_FALSE(hands(*first).empty()) << input;
  }
}

// Per line of `pairs` ("given written"), RDKit's verdict: "same given written canonical" when
// its canonical isomeric SMILES of the two agree, else "differs ...".
std::vector<std::string> rdkitVerdicts(const std::string& pairs) {
  const char* const compare = R"(
import sys
from rdkit import Chem, RDLogger
RDLogger.DisableLog('rdApp.*')
for line in open(sys.argv[1]):
    given, written = line.split()
    a = Chem.MolToSmiles(Chem.MolFromSmiles(given))
    m = Chem.MolFromSmiles(written)
    b = Chem.MolToSmiles(m) if m is not None else 'unreadable'
    print(('same ' if a == b else 'differs ') + given + ' ' + written + ' ' + b)
)";
  const iotest::ToolRun rdkit =
      iotest::runProgram("/usr/bin/python3", {"-c", compare, QString::fromStdString(pairs)});
  EXPECT_EQ(0, rdkit.exitCode) << rdkit.err;
  return kvtest::linesOf(rdkit.out);
}

// RDKit's canonical isomeric SMILES of each input and of the string written from the built
// molecule agree, for sixty drugs, sugars, steroids, amino acids and E/Z alkenes.
TEST_F(StereoSmiles, RdkitReadsTheWrittenStringAsTheInputIsomer) {
  const std::vector<std::string> lines =
      kvtest::linesOf(kvtest::readFile(KV_TEST_DATA_DIR "/stereo-molecules.smi"));
  ASSERT_GE(lines.size(), 50u);
  const std::string pairs = (folder / "pairs.txt").string();
  {
    std::ofstream out(pairs);
    for (const std::string& line : lines) {
      const std::string input = line.substr(0, line.find(' '));
      const std::unique_ptr<Molecule> m = built(input);
      ASSERT_NE(nullptr, m) << input;
      out << input << " " << stereoSmiles(m.get()) << "\n";
    }
  }
  const std::vector<std::string> results = rdkitVerdicts(pairs);
  EXPECT_EQ(lines.size(), results.size());
  for (const std::string& r : results) EXPECT_EQ(0u, r.rfind("same ", 0)) << r;
}

// Centres with a lone pair written first in the string (its place is after the first listed
// neighbour, so [S@](=O)(C)CC is C[S@@](=O)CC), selenoxides, and pseudo-asymmetric centres,
// whose two equal-looking branches are mirror images (r/s: the middle carbons of meso triols
// and pentitols, 1,3-disubstituted cyclobutanes and 1,4-cyclohexanes): the written string builds
// the same hands, writes itself again, and RDKit reads it as the input isomer. The chiral
// diastereomers, whose middle carbon is no centre, are written without its mark.
TEST_F(StereoSmiles, LonePairAndPseudoAsymmetricCentresKeepTheirHandsWritten) {
  const char* const inputs[] = {
      "[S@](=O)(C)CC",           "[S@@](=O)(C)CC",           "O=[S@@](C)CC",
      "[S@](=O)(C)c1ccccc1",     "[S@@]1(=O)CCC[C@H]1C",           "[S@@](=O)(N)C(C)(C)C",
      "CC(C)(C)[S@](N)=O",       "[S@](=O)(Nc1ccccc1)C(C)(C)C",
      "[S@+](C)(CC)c1ccccc1",    "C[S@@+](CC)c1ccccc1",
      "[Se@](=O)(C)c1ccccc1",    "C[Se@@](=O)c1ccccc1",      "[Se@@](=O)(CC)c1ccc(C)cc1",
      "C[C@@H](O)[C@@H](O)[C@H](C)O",       "C[C@@H](O)[C@H](O)[C@H](C)O",
      "OC[C@@H](O)[C@H](O)[C@@H](O)CO",     "OC[C@@H](O)[C@@H](O)[C@@H](O)CO",
      "C[C@H](Cl)[C@@H](F)[C@@H](C)Cl",     "C[C@@H](O)[C@H](O)[C@@H](C)O",
      "C[C@H]1C[C@@H](C)C1",     "C[C@H]1C[C@H](C)C1",       "O[C@H]1CC[C@@H](C(C)(C)C)CC1",
  };
  const std::string pairs = (folder / "pairs.txt").string();
  {
    std::ofstream out(pairs);
    for (const char* input : inputs) {
      std::unique_ptr<Molecule> first;
      out << input << " " << writtenBuildsTheSameHands(input, first) << "\n";
    }
  }
  const std::vector<std::string> results = rdkitVerdicts(pairs);
  EXPECT_EQ(sizeof inputs / sizeof inputs[0], results.size());
  for (const std::string& r : results) EXPECT_EQ(0u, r.rfind("same ", 0)) << r;
  // The chiral triol's middle carbon carries no hand; the meso one's does.
  auto centresWritten = [](const std::string& text) {
    int count = 0;
    for (size_t k = 0; k < text.size(); ++k)
      if (text[k] == '@' && (k == 0 || text[k - 1] != '@')) ++count;
    return count;
  };
  const std::unique_ptr<Molecule> chiral = built("C[C@@H](O)[C@H](O)[C@@H](C)O");
  const std::unique_ptr<Molecule> meso = built("C[C@@H](O)[C@@H](O)[C@H](C)O");
  ASSERT_TRUE(chiral != nullptr && meso != nullptr);
  EXPECT_EQ(2, centresWritten(stereoSmiles(chiral.get())));
  EXPECT_EQ(3, centresWritten(stereoSmiles(meso.get())));
}

}   // namespace
