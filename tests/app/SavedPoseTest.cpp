// A molecule saved from the running program sits where its file put it, in every format: the
// view draws it about its centre and at a place of its own, which no writer may take for the
// molecule's coordinates. Needs an X server.

#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "io/MoleculeEngine.h"
#include "model/Molecule.h"
#include "support/TextLines.h"
#include "tests/app/RunningShell.h"

namespace {

using Point = std::array<double, 3>;

// Benzoate far from the origin, as a ligand sits in its pocket.
const char* const kLigand =
    "HETATM    1 C1   BZO A   1      21.390 -15.000   8.000  1.00  0.00           C\n"
    "HETATM    2 C2   BZO A   1      20.695 -13.796   8.000  1.00  0.00           C\n"
    "HETATM    3 C3   BZO A   1      19.305 -13.796   8.000  1.00  0.00           C\n"
    "HETATM    4 C4   BZO A   1      18.610 -15.000   8.000  1.00  0.00           C\n"
    "HETATM    5 C5   BZO A   1      19.305 -16.204   8.000  1.00  0.00           C\n"
    "HETATM    6 C6   BZO A   1      20.695 -16.204   8.000  1.00  0.00           C\n"
    "HETATM    7 C7   BZO A   1      22.890 -15.000   8.000  1.00  0.00           C\n"
    "HETATM    8 O1   BZO A   1      23.500 -13.950   8.000  1.00  0.00           O\n"
    "HETATM    9 O2   BZO A   1      23.500 -16.050   8.000  1.00  0.00           O\n"
    "END\n";

double number(const std::string& text) { return std::stod(text); }

// The heavy atoms of each format, in file order, from their own columns.
std::vector<Point> pdbHeavyAtoms(const std::string& text) {
  std::vector<Point> out;
  for (const std::string& line : kvtest::linesOf(text))
    if ((line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0) && line.size() >= 78 &&
        line.substr(76, 2) != " H")
      out.push_back({number(line.substr(30, 8)), number(line.substr(38, 8)),
                     number(line.substr(46, 8))});
  return out;
}

std::vector<Point> molHeavyAtoms(const std::string& text) {
  const std::vector<std::string> lines = kvtest::linesOf(text);
  std::vector<Point> out;
  const int count = std::stoi(lines.at(3).substr(0, 3));
  for (int i = 0; i < count; ++i) {
    const std::string& line = lines.at(4 + static_cast<size_t>(i));
    if (line.substr(31, 2) == "H ") continue;
    out.push_back({number(line.substr(0, 10)), number(line.substr(10, 10)),
                   number(line.substr(20, 10))});
  }
  return out;
}

std::vector<Point> kvHeavyAtoms(const std::string& text) {
  std::vector<Point> out;
  bool atoms = false;
  for (const std::string& line : kvtest::linesOf(text)) {
    if (!line.empty() && line[0] == '#') {
      atoms = line == "#ATOMS";
      continue;
    }
    if (!atoms) continue;
    std::istringstream fields(line);
    std::vector<std::string> f{std::istream_iterator<std::string>(fields),
                               std::istream_iterator<std::string>()};
    if (f.size() < 14 || f[0] == "H") continue;
    out.push_back({number(f[11]), number(f[12]), number(f[13])});
  }
  return out;
}

double largestShift(const std::vector<Point>& a, const std::vector<Point>& b) {
  EXPECT_EQ(a.size(), b.size());
  double largest = 0.0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    largest = std::max(largest, std::sqrt(std::pow(a[i][0] - b[i][0], 2) +
                                          std::pow(a[i][1] - b[i][1], 2) +
                                          std::pow(a[i][2] - b[i][2], 2)));
  return largest;
}

class SavedPose : public kvshell::RunningShell {
 protected:
  QString path(const char* name) const { return folder.filePath(name); }
  // Saves the molecule on screen in the three formats.
  void saveAll(const char* stem) {
    for (const char* extension : {".pdb", ".mol", ".kv"})
      run(window->ui.actionSaveFile, path((std::string(stem) + extension).c_str()));
  }
  std::string saved(const std::string& name) const {
    return kvtest::readFile(path(name.c_str()).toStdString());
  }
  QTemporaryDir folder;
};

}  // namespace

TEST_F(SavedPose, ALigandReadAndSavedKeepsItsPlaceInEveryFormat) {
  startSettled();
  std::ofstream(path("ligand.pdb").toStdString()) << kLigand;
  run(window->ui.actionLoadFile, path("ligand.pdb"));
  ASSERT_TRUE(framesShow(1));
  saveAll("saved");
  const std::vector<Point> read = pdbHeavyAtoms(kLigand);
  ASSERT_EQ(9u, read.size());
  EXPECT_LT(largestShift(read, pdbHeavyAtoms(saved("saved.pdb"))), 0.002);
  EXPECT_LT(largestShift(read, molHeavyAtoms(saved("saved.mol"))), 0.002);
  EXPECT_LT(largestShift(read, kvHeavyAtoms(saved("saved.kv"))), 0.002);
}

// A library molecule, built from groups, dropped into the view: its files agree with each other.
TEST_F(SavedPose, ALibraryMoleculeGivesTheSamePlaceInEveryFormat) {
  startSettled();
  ASSERT_FALSE(MoleculeEngine::instance()->molecules.empty());
  window->glWidget->addMoleculeFromLibrary("M0", QPoint(window->glWidget->width() / 2, 60));
  ASSERT_TRUE(framesShow(1));
  saveAll("library");
  const std::vector<Point> pdb = pdbHeavyAtoms(saved("library.pdb"));
  ASSERT_FALSE(pdb.empty());
  EXPECT_LT(largestShift(pdb, molHeavyAtoms(saved("library.mol"))), 0.002);
  EXPECT_LT(largestShift(pdb, kvHeavyAtoms(saved("library.kv"))), 0.002);
}
