// The bond-orbital geometry converter: every orbital it solves meets the angles it was given,
// the record text it writes, and the inputs it refuses.

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembly/BondOrbitalConverter.h"
#include "support/ErrorCapture.h"
#include "support/TextLines.h"

namespace fs = std::filesystem;

namespace {

const double kTetrahedral = 109.4712;

// A carbon with a bond axis and three hydrogens, every pair of orbitals at the tetrahedral angle.
std::string methylInput(double xyAngle = kTetrahedral) {
  std::ostringstream text;
  text << "text before #NAMES counts\nMETHYL\n#SMILES\nC\n#ATOMS\n1 C\n2 H\n3 H\n4 H\n"
       << "#BONDS\n1 1 0 5 0.5 0 0.25\n2 1 2 6 1.5 1.09 2.5\n3 1 3 6 1.5 1.09 2.5\n"
       << "4 1 4 6 1.5 1.09 2.5\n#ANGLES\n1 2 " << xyAngle << "\n";
  for (const char* pair : {"1 3", "1 4", "2 3", "2 4", "3 4"})
    text << pair << " " << kTetrahedral << "\n";
  text << "#AO\nao line\n#VALUES\nignored\n#CONTEXT\nctx\n#EMAG\n0\n#DATA\ndata line\n";
  return text.str();
}

class Converter : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
  // Converts the text; the output's lines by section header ("#ATOMS" -> its lines).
  bool convert(const std::string& input) {
    path = fs::temp_directory_path() / ("kvconvert-" + std::to_string(::getpid()) + ".txt");
    { std::ofstream(path) << input; }
    std::stringstream out;
    const bool converted = orbitalconverter::convert(path.string().c_str(), out);
    text = out.str();
    sections.clear();
    std::string current;
    for (const std::string& line : kvtest::linesOf(text)) {
      if (!line.empty() && line[0] == '#') current = line;
      else sections[current].push_back(line);
    }
    return converted;
  }
  // Positions of the atoms written under "#ATOMS", by id.
  std::map<int, std::vector<double> > positions() {
    std::map<int, std::vector<double> > out;
    for (const std::string& line : sections["#ATOMS"]) {
      std::istringstream fields(line);
      int id = 0;
      std::string name;
      double x = 0, y = 0, z = 0;
      fields >> id >> name >> x >> y >> z;
      out[id] = {x, y, z};
    }
    return out;
  }

  fs::path path;
  std::string text;
  std::map<std::string, std::vector<std::string> > sections;
  kvtest::ErrorCapture errors;
};

double angleDeg(const std::vector<double>& a, const std::vector<double>& b) {
  const double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
  const double la = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  const double lb = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
  return std::acos(dot / (la * lb)) * 180.0 / M_PI;
}

TEST_F(Converter, SolvedOrbitalsMeetEveryGivenAngle) {
  ASSERT_TRUE(convert(methylInput())) << errors.text();
  auto atoms = positions();
  ASSERT_EQ(4u, atoms.size());
  EXPECT_EQ((std::vector<double>{0, 0, 0}), atoms[1]);
  const std::vector<double> yAxis{0, 1, 0};   // the bond axis
  for (int h = 2; h <= 4; ++h) {
    EXPECT_NEAR(1.09, std::sqrt(atoms[h][0] * atoms[h][0] + atoms[h][1] * atoms[h][1] +
                                atoms[h][2] * atoms[h][2]),
                1e-4);
    EXPECT_NEAR(kTetrahedral, angleDeg(atoms[h], yAxis), 0.01) << h;
    for (int k = h + 1; k <= 4; ++k) EXPECT_NEAR(kTetrahedral, angleDeg(atoms[h], atoms[k]), 0.01);
  }
  // The xy orbital lies in the xy plane on +x; the third angle put the last hydrogen on the
  // other side of that plane from the one before it.
  EXPECT_GT(atoms[2][0], 0.0);
  EXPECT_NEAR(0.0, atoms[2][2], 1e-9);
  EXPECT_LT(atoms[3][2] * atoms[4][2], 0.0);
}

TEST_F(Converter, RecordTextHasItsSectionsInOrder) {
  ASSERT_TRUE(convert(methylInput()));
  std::vector<std::string> headers;
  for (const std::string& line : kvtest::linesOf(text))
    if (!line.empty() && line[0] == '#') headers.push_back(line);
  EXPECT_EQ((std::vector<std::string>{"#NAMES", "#SMILES", "#VARIATION", "#ATOMS", "#AO", "#BONDS",
                                      "#BONDAXES", "#DATA"}),
            headers);   // no targets; an Emag of 0 is left out
  EXPECT_EQ((std::vector<std::string>{"METHYL"}), sections["#NAMES"]);
  EXPECT_EQ((std::vector<std::string>{"ctx", ""}), sections["#VARIATION"]);
  EXPECT_EQ("1 C 0 0 0 ", sections["#ATOMS"].at(0));
  // Two-atom orbitals are numbered from 1 among themselves; the axis keeps its id.
  EXPECT_EQ((std::vector<std::string>{"1 1 2 6 1.5 2.5", "2 1 3 6 1.5 2.5", "3 1 4 6 1.5 2.5"}),
            sections["#BONDS"]);
  EXPECT_EQ((std::vector<std::string>{"1 1 5 90 0 0"}), sections["#BONDAXES"]);
  EXPECT_EQ((std::vector<std::string>{"data line", "", ""}), sections["#DATA"]);
}

TEST_F(Converter, AnXyAngleAboveAHalfTurnLiesOnNegativeX) {
  ASSERT_TRUE(convert("#ATOMS\n1 C\n2 H\n#BONDS\n1 1 0 0 0 0 0\n2 1 2 0 0 1.0 0\n"
                      "#ANGLES\n1 2 250\n#EMAG\n1.5\n#TARGETS\nt\n"));
  auto atoms = positions();
  EXPECT_LT(atoms[2][0], -0.9);
  EXPECT_NEAR(std::cos(250.0 * M_PI / 180.0), atoms[2][1], 1e-6);
  EXPECT_EQ((std::vector<std::string>{"1.5"}), sections["#EMAG"]);
  EXPECT_EQ((std::vector<std::string>{"t", ""}), sections["#TARGETS"]);
}

TEST_F(Converter, UnsolvableInputFailsAndWritesNothing) {
  const std::string atoms = "#ATOMS\n1 C\n2 H\n3 H\n";
  const struct {
    std::string input;
    std::string lastError;
  } cases[] = {
      {atoms, "Error: convert failed"},                                         // no orbital
      {atoms + "#BONDS\n1 1 9 0 0 1 0\n", "Error: convert failed"},             // no atom 9
      {atoms + "#BONDS\n1 0 2 0 0 1 0\n", "Error: convert failed"},             // axis, no atom
      {atoms + "#BONDS\n1 1 2 0 0 1 0\n#ANGLES\n1 4 90\n", "Error: convert failed"},
      {atoms + "#BONDS\n1 1 2 0 0 1 0\n2 1 3 0 0 1 0\n", "Error: convert failed"},   // no angle
      {atoms + "#BONDS\n1 1 0 0 0 0 0\n2 1 2 0 0 1 0\n3 1 3 0 0 1 0\n#ANGLES\n1 2 90\n1 3 90\n",
       "Error: convert failed"},                                                // no xy angle
      {atoms + "#BONDS\n1 1 0 0 0 0 0\n2 1 2 0 0 1 0\n3 1 3 0 0 1 0\n#ANGLES\n1 2 180\n1 3 90\n"
               "2 3 90\n",
       "Error: convert failed"},                                                // xy along y
  };
  for (const auto& c : cases) {
    errors.clear();
    EXPECT_FALSE(convert(c.input)) << c.input;
    EXPECT_TRUE(text.empty()) << c.input;
    ASSERT_FALSE(errors.lines.empty()) << c.input;
    EXPECT_EQ(c.lastError, errors.lines.back()) << c.input;
  }
  errors.clear();
  std::stringstream out;
  EXPECT_FALSE(orbitalconverter::convert("/no/such/orbitals.txt", out));
  EXPECT_EQ(std::vector<std::string>{"can not open file /no/such/orbitals.txt"}, errors.lines);
}

}  // namespace
