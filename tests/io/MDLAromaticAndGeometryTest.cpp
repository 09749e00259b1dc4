// Mol records as other toolkits write them: aromatic bond type 4 without a Kekule form, with and
// without hydrogens; records whose coordinates no molecule can have; isotopes and the header
// and closing lines of the writer.

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/MDLMolParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/TextLines.h"

namespace {

const std::string kData = KV_TEST_DATA_DIR;

std::string formulaOf(const Molecule& m) {
  std::map<std::string, int> counts;
  for (const Atom* a : m.atoms) ++counts[a->element];
  std::string out;
  for (const char* e : {"C", "H", "N", "O", "S"})
    if (counts[e] > 0) out += e + (counts[e] > 1 ? std::to_string(counts[e]) : "");
  return out;
}

class MDLRecords : public kvtest::FileFixture {
 protected:
  MDLRecords() : kvtest::FileFixture("mdl_records_") {}

  // One record from text; the molecule is freed in TearDown.
  Molecule* readRecord(const std::string& text) {
    const std::string path = (folder / "record.mol").string();
    std::ofstream(path) << text;
    kvtest::ErrorCapture errorLog;
    Molecule* m = parser.parseMDLMolFile(path);
    errors = errorLog.text();
    if (m != nullptr) molecules.push_back(m);
    return m;
  }

  MDLMolParser parser;
  std::string errors;
};

TEST_F(MDLRecords, AromaticBondTypeGivesHeteroaromaticsTheirHydrogens) {
  // RDKit's records of aromatic molecules, not put in Kekule form, each without and with its
  // hydrogens, and adenine without (tests/data/mdl-aromatic-type4.sdf).
  std::vector<Molecule*> read;
  int count = 0;
  kvtest::ErrorCapture errorLog;
  ASSERT_TRUE(parser.parseSDFile((kData + "/mdl-aromatic-type4.sdf").c_str(), read, count));
  molecules.insert(molecules.end(), read.begin(), read.end());
  ASSERT_EQ(15u, read.size()) << errorLog.text();
  const std::map<std::string, std::string> expected = {
      {"pyrrole", "C4H5N"},  {"furan", "C4H4O"},        {"thiophene", "C4H4S"},
      {"imidazole", "C3H4N2"}, {"indole", "C8H7N"},     {"caffeine", "C8H10N4O2"},
      {"2-pyridone", "C5H5NO"}, {"adenine", "C5H5N5"}};
  for (const Molecule* m : read) {
    const std::string name = m->names.front();
    const std::string base = name.substr(0, name.find(' '));
    ASSERT_EQ(1u, expected.count(base)) << name;
    EXPECT_EQ(expected.at(base), formulaOf(*m)) << name;
    // Adenine's ring hydrogen sits on a nitrogen of the five-membered ring.
    if (base == "adenine") {
      for (const Atom* a : m->atoms) {
        if (a->element != "N" || !a->inRing || kvtest::hydrogensOn(a) != 1) continue;
        bool fiveRing = false;
        for (const Ring* r : m->rings)
          fiveRing = fiveRing || (r->atomIds.size() == 5 &&
                                  std::count(r->atomIds.begin(), r->atomIds.end(), a->id) > 0);
        EXPECT_TRUE(fiveRing) << name;
      }
    }
    // Every ring nitrogen that carries a hydrogen carries one, and no carbon two: the rings
    // stay unsaturated.
    for (const Atom* a : m->atoms) {
      if (!a->inRing) continue;
      if (a->element == "N" || a->element == "C") {
        EXPECT_LE(kvtest::hydrogensOn(a), 1) << name;
      }
    }
  }
}

TEST_F(MDLRecords, ExplicitHydrogensAreAllTheAtomHas) {
  // Pyrrole with its hydrogens, the N-H line dropped: the file says the nitrogen has none, and
  // no carbon gets a second one.
  const std::string text = R"(pyrrole without NH
     RDKit          3D

  9  9  0  0  0  0  0  0  0  0999 V2000
    0.3167    1.1314   -0.3481 C   0  0  0  0  0  0  0  0  0  0  0  0
    1.1479   -0.0086   -0.4619 C   0  0  0  0  0  0  0  0  0  0  0  0
    0.3892   -1.1055   -0.1192 C   0  0  0  0  0  0  0  0  0  0  0  0
   -0.8702   -0.6671    0.1973 N   0  0  0  0  0  0  0  0  0  0  0  0
   -0.9240    0.6956    0.0606 C   0  0  0  0  0  0  0  0  0  0  0  0
    0.6300    2.1600   -0.4800 H   0  0  0  0  0  0  0  0  0  0  0  0
    2.2100   -0.0200   -0.6900 H   0  0  0  0  0  0  0  0  0  0  0  0
    0.7300   -2.1300   -0.0900 H   0  0  0  0  0  0  0  0  0  0  0  0
   -1.8200    1.3000    0.2100 H   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  4  0
  2  3  4  0
  3  4  4  0
  4  5  4  0
  5  1  4  0
  1  6  1  0
  2  7  1  0
  3  8  1  0
  5  9  1  0
M  END
)";
  Molecule* m = readRecord(text);
  ASSERT_NE(nullptr, m) << errors;
  EXPECT_EQ("C4H4N", formulaOf(*m));
  for (const Atom* a : m->atoms) {
    if (a->element == "N") {
      EXPECT_EQ(0, kvtest::hydrogensOn(a));
    }
  }
}

// Ethanol's heavy atoms with the coordinates given; bonds C1-C2, C2-O3.
std::string ethanol(const char* c1, const char* c2, const char* o3, const char* extra = nullptr) {
  std::string text = "ethanol\n     test           3D\n\n";
  text += extra != nullptr ? "  4  2  0  0  0  0  0  0  0  0999 V2000\n"
                           : "  3  2  0  0  0  0  0  0  0  0999 V2000\n";
  for (const char* xyz : {c1, c2, o3})
    text += std::string(xyz) + (xyz == o3 ? " O" : " C") + "   0  0  0  0  0  0  0  0  0  0  0  0\n";
  if (extra != nullptr)
    text += std::string(extra) + " C   0  0  0  0  0  0  0  0  0  0  0  0\n";
  text += "  1  2  1  0\n  2  3  1  0\nM  END\n";
  return text;
}

TEST_F(MDLRecords, ImplausibleCoordinatesAreRefusedNamingAtomsAndLine) {
  const char* c1 = "   -1.2000    0.0000    0.0000";
  const char* c2 = "    0.3000    0.0000    0.0000";
  const char* o3 = "    0.8000    1.3000    0.0000";
  ASSERT_NE(nullptr, readRecord(ethanol(c1, c2, o3))) << errors;
  EXPECT_EQ("C2H6O", formulaOf(*molecules.back()));

  EXPECT_EQ(nullptr, readRecord(ethanol("99999.9000    0.0000    0.0000", c2, o3)));
  EXPECT_NE(std::string::npos, errors.find("between atoms C1 and C2")) << errors;
  EXPECT_NE(std::string::npos, errors.find("line 8 of")) << errors;

  // Everything a thousand times too large.
  EXPECT_EQ(nullptr, readRecord(ethanol("-1200.0000    0.0000    0.0000",
                                        "  300.0000    0.0000    0.0000",
                                        "  800.0000 1300.0000    0.0000")));
  EXPECT_NE(std::string::npos, errors.find("too long for a bond")) << errors;

  // A fourth atom on top of the oxygen.
  EXPECT_EQ(nullptr, readRecord(ethanol(c1, c2, o3, "    0.8000    1.3000    0.0500")));
  EXPECT_NE(std::string::npos, errors.find("atom C4 on line 8 of")) << errors;
  EXPECT_NE(std::string::npos, errors.find("lies on atom O3 of line 7")) << errors;
  // In a drawing too, where bonded atoms may overlap.
  EXPECT_EQ(nullptr, readRecord(ethanol(c1, c2, o3, "    0.8000    1.3500    0.0000")));
  EXPECT_NE(std::string::npos, errors.find("atom C4 on line 8 of")) << errors;
}

TEST_F(MDLRecords, IsotopesHeaderAndSdClosingAreWritten) {
  const std::string text = ethanol("   -1.2000    0.0000    0.0000", "    0.3000    0.0000    0.0000",
                                   "    0.8000    1.3000    0.0000");
  std::string labelled = text;
  labelled.insert(labelled.find("M  END"), "M  ISO  1   1  13\n");
  Molecule* m = readRecord(labelled);
  ASSERT_NE(nullptr, m) << errors;
  EXPECT_EQ(13, m->atoms[0]->isotope);
  const std::string path = (folder / "one.sdf").string();
  ASSERT_TRUE(parser.writeMDLMolFile(m, path.c_str()));
  const std::vector<std::string> lines = kvtest::linesOf(kvtest::readFile(path));
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ("3D", lines[1].substr(20, 2));
  EXPECT_EQ("$$$$", lines.back());
  bool isotopeLine = false;
  for (const std::string& line : lines) isotopeLine = isotopeLine || line == "M  ISO  1   1  13";
  EXPECT_TRUE(isotopeLine) << kvtest::readFile(path);
}

}  // namespace
