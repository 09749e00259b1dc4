// The bond-orbital geometry converter: every orbital it solves meets the angles it was given,
// the record text it writes, and the inputs it refuses.

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembly/BondOrbitalConverter.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"

namespace {

const double kTetrahedral = 109.4712;

// A carbon with a bond axis and three hydrogens, every pair of orbitals at the tetrahedral angle.
std::string methylInput() {
  std::ostringstream text;
  text << "text before #NAMES counts\nMETHYL\n#SMILES\nC\n#ATOMS\n1 C\n2 H\n3 H\n4 H\n"
       << "#BONDS\n1 1 0 5 0.5 0 0.25\n2 1 2 6 1.5 1.09 2.5\n3 1 3 6 1.5 1.09 2.5\n"
       << "4 1 4 6 1.5 1.09 2.5\n#ANGLES\n";
  for (const char* pair : {"1 2", "1 3", "1 4", "2 3", "2 4", "3 4"})
    text << pair << " " << kTetrahedral << "\n";
  text << "#AO\nao line\n#VALUES\nignored\n#CONTEXT\nctx\n#EMAG\n0\n#DATA\ndata line\n";
  return text.str();
}

double angleDeg(const std::vector<double>& a, const std::vector<double>& b) {
  const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  return std::acos(dot / std::hypot(a[0], a[1], a[2]) / std::hypot(b[0], b[1], b[2])) * 180.0 /
         M_PI;
}

class Converter : public ::testing::Test {
 protected:
  // Converts the text; keeps the output and its lines by section header.
  bool convert(const std::string& input) {
    std::istringstream in(input);
    std::stringstream out;
    const bool converted = orbitalconverter::convert(in, out);
    text = out.str();
    sections.clear();
    std::string current;
    for (const std::string& line : kvtest::linesOf(text)) {
      if (!line.empty() && line[0] == '#') current = line;
      else sections[current].push_back(line);
    }
    return converted;
  }
  // The positions written under "#ATOMS", in id order.
  std::vector<std::vector<double> > positions() {
    std::vector<std::vector<double> > out;
    for (const std::string& line : sections["#ATOMS"]) {
      std::istringstream fields(line);
      std::string id, name;
      std::vector<double> p(3);
      fields >> id >> name >> p[0] >> p[1] >> p[2];
      out.push_back(p);
    }
    return out;
  }

  std::string text;
  std::map<std::string, std::vector<std::string> > sections;
  kvtest::ErrorCapture errors;
};

TEST_F(Converter, SolvedOrbitalsMeetEveryGivenAngleAndAreWrittenAsRecords) {
  ASSERT_TRUE(convert(methylInput())) << errors.text();
  auto atoms = positions();
  ASSERT_EQ(4u, atoms.size());
  EXPECT_EQ((std::vector<double>{0, 0, 0}), atoms[0]);
  for (size_t h = 1; h < 4; ++h) {
    EXPECT_NEAR(1.09, std::hypot(atoms[h][0], atoms[h][1], atoms[h][2]), 1e-4);
    EXPECT_NEAR(kTetrahedral, angleDeg(atoms[h], {0, 1, 0}), 0.01);   // to the bond axis
    for (size_t k = h + 1; k < 4; ++k)
      EXPECT_NEAR(kTetrahedral, angleDeg(atoms[h], atoms[k]), 0.01);
  }
  // The xy orbital lies in the xy plane on +x; the third angle put the last hydrogen on the
  // other side of that plane from the one before it.
  EXPECT_GT(atoms[1][0], 0.0);
  EXPECT_NEAR(0.0, atoms[1][2], 1e-9);
  EXPECT_LT(atoms[2][2] * atoms[3][2], 0.0);

  // No targets, and an Emag of 0 is left out.
  EXPECT_EQ(8u, sections.size());
  EXPECT_EQ(0u, text.find("#NAMES\nMETHYL\n#SMILES\nC\n#VARIATION\nctx\n\n#ATOMS\n1 C 0 0 0 \n"));
  // Two-atom orbitals are numbered from 1 among themselves; the axis keeps its id.
  EXPECT_EQ((std::vector<std::string>{"1 1 2 6 1.5 2.5", "2 1 3 6 1.5 2.5", "3 1 4 6 1.5 2.5"}),
            sections["#BONDS"]);
  EXPECT_EQ((std::vector<std::string>{"1 1 5 90 0 0"}), sections["#BONDAXES"]);
  EXPECT_EQ((std::vector<std::string>{"data line", "", ""}), sections["#DATA"]);
}

TEST_F(Converter, UnsolvableInputFailsAndWritesNothing) {
  const std::string atoms = "#ATOMS\n1 C\n2 H\n3 H\n#BONDS\n";
  const std::string three = atoms + "1 1 0 0 0 0 0\n2 1 2 0 0 1 0\n3 1 3 0 0 1 0\n#ANGLES\n";
  for (const std::string& input : {
           atoms + "1 1 9 0 0 1 0\n",                      // no atom 9
           // An axis on no atom: nothing to place it from, and nothing to write it on.
           atoms + "1 0 2 0 0 1 0\n",
           three + "1 2 90\n1 3 90\n",                     // no angle to the xy orbital
           three + "1 2 180\n1 3 90\n2 3 90\n"}) {         // xy orbital along y
    errors.clear();
    EXPECT_FALSE(convert(input)) << input;
    EXPECT_TRUE(text.empty()) << input;
    EXPECT_EQ("Error: convert failed", errors.lines.at(errors.lines.size() - 1)) << input;
  }
  errors.clear();
  std::stringstream out;
  EXPECT_FALSE(orbitalconverter::convert("/no/such/orbitals.txt", out));
  EXPECT_EQ(std::vector<std::string>{"can not open file /no/such/orbitals.txt"}, errors.lines);
}

}  // namespace
