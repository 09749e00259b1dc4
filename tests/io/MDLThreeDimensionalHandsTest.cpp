// Three-dimensional SD records without hydrogens, written by RDKit from embedded conformers of
// chiral molecules and their mirror images (tests/data/mdl-chiral-3d.sdf): the finished molecule
// keeps every hand and every double-bond side the file shows, and its heavy atoms stay close to
// where the file put them. The same molecules drawn flat with wedges take the drawn hands.

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "construction/GeometryCheck.h"
#include "io/MDLMolParser.h"
#include "io/PDBParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/AtomGeometry.h"
#include "support/ErrorCapture.h"
#include "support/QtApplication.h"

namespace {

const std::string kData = KV_TEST_DATA_DIR;

using Point = std::array<double, 3>;

Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross(const Point& a, const Point& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Point unit(const Point& a) {
  const double n = std::sqrt(dot(a, a));
  return {a[0] / n, a[1] / n, a[2] / n};
}

// One record as the file gives it: heavy-atom positions and bonds (0-based atom numbers).
struct Record {
  std::string name;
  std::vector<Point> atoms;
  std::vector<std::array<int, 3> > bonds;   // first, second, type
  std::vector<int> wedgedCentres;            // first atoms of bonds with stereo 1 or 6
};

std::vector<Record> readRecords(const std::string& path) {
  std::vector<Record> records;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    Record r;
    r.name = line;
    std::getline(in, line);
    std::getline(in, line);
    if (!std::getline(in, line)) break;
    const int atoms = std::stoi(line.substr(0, 3));
    const int bonds = std::stoi(line.substr(3, 3));
    for (int i = 0; i < atoms && std::getline(in, line); ++i)
      r.atoms.push_back({std::stod(line.substr(0, 10)), std::stod(line.substr(10, 10)),
                         std::stod(line.substr(20, 10))});
    for (int i = 0; i < bonds && std::getline(in, line); ++i)
    {
      r.bonds.push_back({std::stoi(line.substr(0, 3)) - 1, std::stoi(line.substr(3, 3)) - 1,
                         std::stoi(line.substr(6, 3))});
      const int stereo = line.size() >= 12 ? std::stoi(line.substr(9, 3)) : 0;
      if (stereo == 1 || stereo == 6) r.wedgedCentres.push_back(r.bonds.back()[0]);
    }
    while (std::getline(in, line) && line.find("$$$$") == std::string::npos) {
    }
    records.push_back(r);
  }
  return records;
}

Point positionOf(const Atom* a) { return {a->position.x, a->position.y, a->position.z}; }

// The volume of the unit vectors from a centre to its first three heavy neighbours.
double handVolume(const std::vector<Point>& at, int centre, const std::vector<int>& around) {
  const Point u = unit(minus(at[around[0]], at[centre]));
  const Point v = unit(minus(at[around[1]], at[centre]));
  const Point w = unit(minus(at[around[2]], at[centre]));
  return dot(u, cross(v, w));
}

double torsionCosine(const std::vector<Point>& at, int a, int b, int c, int d) {
  const Point n1 = cross(minus(at[b], at[a]), minus(at[c], at[b]));
  const Point n2 = cross(minus(at[c], at[b]), minus(at[d], at[c]));
  return dot(n1, n2) / std::sqrt(dot(n1, n1) * dot(n2, n2));
}

// Root-mean-square distance of two equally long point lists after the best rigid superposition
// (the largest eigenvalue of the quaternion matrix, found by power iteration).
double alignedRmsd(std::vector<Point> a, std::vector<Point> b) {
  const double n = static_cast<double>(a.size());
  Point ca{0, 0, 0}, cb{0, 0, 0};
  for (size_t i = 0; i < a.size(); ++i)
    for (int k = 0; k < 3; ++k) {
      ca[k] += a[i][k] / n;
      cb[k] += b[i][k] / n;
    }
  double s[3][3] = {{0}};
  double squares = 0.0;
  for (size_t i = 0; i < a.size(); ++i) {
    a[i] = minus(a[i], ca);
    b[i] = minus(b[i], cb);
    squares += dot(a[i], a[i]) + dot(b[i], b[i]);
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) s[j][k] += a[i][j] * b[i][k];
  }
  const double m[4][4] = {
      {s[0][0] + s[1][1] + s[2][2], s[1][2] - s[2][1], s[2][0] - s[0][2], s[0][1] - s[1][0]},
      {s[1][2] - s[2][1], s[0][0] - s[1][1] - s[2][2], s[0][1] + s[1][0], s[2][0] + s[0][2]},
      {s[2][0] - s[0][2], s[0][1] + s[1][0], -s[0][0] + s[1][1] - s[2][2], s[1][2] + s[2][1]},
      {s[0][1] - s[1][0], s[2][0] + s[0][2], s[1][2] + s[2][1], -s[0][0] - s[1][1] + s[2][2]}};
  double q[4] = {1.0, 0.3, 0.2, 0.1};
  double lambda = 0.0;
  for (int iteration = 0; iteration < 5000; ++iteration) {
    double next[4] = {0, 0, 0, 0};
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) next[j] += (m[j][k] + (j == k ? squares : 0.0)) * q[k];
    const double norm = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2] +
                                  next[3] * next[3]);
    for (int j = 0; j < 4; ++j) q[j] = next[j] / norm;
    lambda = norm - squares;
  }
  return std::sqrt(std::max(0.0, (squares - 2.0 * lambda) / n));
}

bool inSmallRing(const Record& r, int a, int b) {
  // A path from a to b of at most six more bonds, not using the bond itself.
  std::vector<int> depth(r.atoms.size(), -1);
  std::vector<int> front = {a};
  depth[a] = 0;
  while (!front.empty()) {
    std::vector<int> next;
    for (int x : front)
      for (const auto& bond : r.bonds) {
        int y = bond[0] == x ? bond[1] : bond[1] == x ? bond[0] : -1;
        if (y < 0 || (x == a && y == b) || depth[y] >= 0) continue;
        depth[y] = depth[x] + 1;
        if (y == b) return depth[y] <= 6;
        next.push_back(y);
      }
    front = next;
  }
  return false;
}

// Single bonds outside rings between atoms that each have another heavy neighbour.
int rotatableBonds(const Record& r) {
  std::vector<int> degree(r.atoms.size(), 0);
  for (const auto& bond : r.bonds) {
    ++degree[bond[0]];
    ++degree[bond[1]];
  }
  int count = 0;
  for (const auto& bond : r.bonds)
    count += bond[2] == 1 && degree[bond[0]] > 1 && degree[bond[1]] > 1 &&
                     !inSmallRing(r, bond[0], bond[1])
                 ? 1
                 : 0;
  return count;
}

// The records of an SD file as the program reads them, owned, with the error lines of the read.
struct ReadSdFile {
  explicit ReadSdFile(const std::string& path) {
    MDLMolParser parser;
    std::vector<Molecule*> read;
    int count = 0;
    kvtest::ErrorCapture errorLog;
    parsed = parser.parseSDFile(path.c_str(), read, count);
    errors = errorLog.text();
    for (Molecule* m : read) molecules.emplace_back(m);
  }
  bool parsed = false;
  std::string errors;
  std::vector<std::unique_ptr<Molecule> > molecules;
};

}  // namespace

TEST(MDLThreeDimensionalHands, RecordsWithoutHydrogensKeepTheirHandsAndShape) {
  kvtest::ensureApplication();
  const std::string path = kData + "/mdl-chiral-3d.sdf";
  const std::vector<Record> records = readRecords(path);
  const ReadSdFile program(path);
  ASSERT_TRUE(program.parsed) << program.errors;
  ASSERT_EQ(records.size(), program.molecules.size()) << program.errors;

  int centres = 0, doubleBonds = 0;
  for (size_t r = 0; r < records.size(); ++r) {
    const Record& file = records[r];
    const Molecule& m = *program.molecules[r];
    ASSERT_EQ(file.name, m.names.front());
    std::vector<Point> finished;
    for (size_t i = 0; i < file.atoms.size(); ++i) finished.push_back(positionOf(m.atoms[i]));

    // Every atom with four bonds (or sulfur and phosphorus with three) and three heavy
    // neighbours that the file shows clearly pyramidal; amine nitrogens invert freely.
    for (size_t c = 0; c < file.atoms.size(); ++c) {
      const Atom* atom = m.atoms[c];
      const bool pyramidal = atom->bonds.size() == 4 ||
                             (atom->bonds.size() == 3 && (atom->element == "S" ||
                                                          atom->element == "P"));
      if (!pyramidal) continue;
      std::vector<int> heavy;
      for (const auto& bond : file.bonds)
        if (bond[0] == static_cast<int>(c) || bond[1] == static_cast<int>(c))
          heavy.push_back(bond[0] == static_cast<int>(c) ? bond[1] : bond[0]);
      if (heavy.size() < 3) continue;
      const double before = handVolume(file.atoms, static_cast<int>(c), heavy);
      if (std::fabs(before) < 0.3) continue;
      ++centres;
      EXPECT_GT(before * handVolume(finished, static_cast<int>(c), heavy), 0.0)
          << file.name << ": centre " << atom->element << c + 1 << " turned over";
    }

    // Double bonds outside small rings whose two ends each carry a heavy substituent.
    for (const auto& bond : file.bonds) {
      if (bond[2] != 2 || inSmallRing(file, bond[0], bond[1])) continue;
      int ends[2] = {-1, -1};
      for (int side = 0; side < 2; ++side)
        for (const auto& other : file.bonds) {
          const int end = bond[side], partner = bond[1 - side];
          const int next = other[0] == end ? other[1] : other[1] == end ? other[0] : -1;
          if (next >= 0 && next != partner && ends[side] < 0) ends[side] = next;
        }
      if (ends[0] < 0 || ends[1] < 0) continue;
      const double before = torsionCosine(file.atoms, ends[0], bond[0], bond[1], ends[1]);
      if (std::fabs(before) < 0.5) continue;
      ++doubleBonds;
      EXPECT_GT(before * torsionCosine(finished, ends[0], bond[0], bond[1], ends[1]), 0.0)
          << file.name << ": double bond " << bond[0] + 1 << "=" << bond[1] + 1 << " flipped";
    }

    // The force field relaxes the file's conformer, it does not rebuild it: each ring system
    // keeps its shape (chains may turn to other rotamers).
    std::vector<int> system(file.atoms.size(), -1);
    int systems = 0;
    for (size_t a = 0; a < file.atoms.size(); ++a) {
      if (system[a] >= 0) continue;
      std::vector<int> stack = {static_cast<int>(a)};
      bool ringAtom = false;
      for (const auto& bond : file.bonds)
        ringAtom = ringAtom || ((bond[0] == static_cast<int>(a) || bond[1] == static_cast<int>(a)) &&
                                inSmallRing(file, bond[0], bond[1]));
      if (!ringAtom) continue;
      system[a] = systems;
      while (!stack.empty()) {
        const int x = stack.back();
        stack.pop_back();
        for (const auto& bond : file.bonds) {
          const int y = bond[0] == x ? bond[1] : bond[1] == x ? bond[0] : -1;
          if (y < 0 || system[y] >= 0 || !inSmallRing(file, x, y)) continue;
          system[y] = systems;
          stack.push_back(y);
        }
      }
      ++systems;
    }
    for (int k = 0; k < systems; ++k) {
      std::vector<Point> before, after;
      for (size_t a = 0; a < file.atoms.size(); ++a)
        if (system[a] == k) {
          before.push_back(file.atoms[a]);
          after.push_back(finished[a]);
        }
      EXPECT_LT(alignedRmsd(before, after), 0.3) << file.name << ": ring system " << k;
    }
    if (rotatableBonds(file) == 0) {
      EXPECT_LT(alignedRmsd(file.atoms, finished), 0.5) << file.name;
    }
  }
  // The data hold many centres and both sides of double bonds.
  EXPECT_GT(centres, 100);
  EXPECT_GT(doubleBonds, 4);
}

TEST(MDLThreeDimensionalHands, OnlyCentresAndDoubleBondsWithDifferentSubstituentsAreLabelled) {
  kvtest::ensureApplication();
  const std::string path = kData + "/mdl-chiral-3d.sdf";
  const ReadSdFile program(path);
  ASSERT_TRUE(program.parsed) << program.errors;
  // Centres and sided double bonds as a chemist counts them: the isopropyl and gem-dimethyl
  // carbons, methylene groups, the amine nitrogens and the trisubstituted end of citral with its
  // two methyls are none; the sulfoxide sulfur, the ammonium nitrogen and the phosphine are.
  const std::map<std::string, std::pair<int, int> > expected = {
      {"glucose", {5, 0}},      {"alanine", {1, 0}},     {"cholesterol", {8, 0}},
      {"camphor", {2, 0}},      {"menthol", {3, 0}},     {"sulfoxide", {1, 0}},
      {"ammonium", {1, 0}},     {"phosphine", {1, 0}},   {"halothane", {1, 0}},
      {"tartaric", {2, 0}},     {"citral", {0, 1}},      {"stilbeneZ", {1, 1}},
      {"cis-azobenzene", {0, 1}}, {"E-cyclooctene", {0, 1}}};
  size_t checked = 0;
  for (const auto& m : program.molecules) {
    const auto found = expected.find(m->names.front());
    if (found == expected.end()) continue;
    ++checked;
    int centres = 0, sides = 0;
    for (const Atom* a : m->atoms) centres += a->piCount != 0 ? 1 : 0;
    for (const Bond* b : m->bonds) sides += hasMarkedDihedral(*b) ? 1 : 0;
    EXPECT_EQ(found->second.first, centres) << found->first;
    EXPECT_EQ(found->second.second, sides) << found->first;
  }
  EXPECT_EQ(expected.size(), checked);
}

TEST(MDLThreeDimensionalHands, ADrawingWithoutWedgesGivesNoLabels) {
  kvtest::ensureApplication();
  // (S)-alanine drawn flat, without wedges: the plane shows no hand.
  const std::string record =
      "alanine\n\n\n  6  5  0  0  0  0  0  0  0  0999 V2000\n"
      "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
      "    1.2990    0.7500    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
      "    1.2990    2.2500    0.0000 N   0  0  0  0  0  0  0  0  0  0  0  0\n"
      "    2.5981    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
      "    2.5981   -1.5000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
      "    3.8971    0.7500    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
      "  1  2  1  0\n  2  3  1  0\n  2  4  1  0\n  4  5  2  0\n  4  6  1  0\nM  END\n";
  std::stringstream in(record);
  MDLMolParser parser;
  kvtest::ErrorCapture errorLog;
  std::unique_ptr<Molecule> m(parser.parseMDLMolFile(in));
  ASSERT_NE(nullptr, m) << errorLog.text();
  for (const Atom* a : m->atoms) EXPECT_EQ(0, a->piCount) << a->name;
}

TEST(MDLThreeDimensionalHands, WedgesOfADrawingGiveItsHands) {
  kvtest::ensureApplication();
  // The same molecules drawn flat by RDKit with wedges and hashes, atoms in the same order as
  // the records in depth.
  const std::vector<Record> depth = readRecords(kData + "/mdl-chiral-3d.sdf");
  const std::string path = kData + "/mdl-chiral-drawn.sdf";
  const std::vector<Record> drawings = readRecords(path);
  const ReadSdFile program(path);
  ASSERT_TRUE(program.parsed) << program.errors;
  ASSERT_EQ(drawings.size(), program.molecules.size()) << program.errors;
  int compared = 0;
  for (size_t r = 0; r < drawings.size(); ++r) {
    const Record& drawing = drawings[r];
    ASSERT_EQ(depth[r].name, drawing.name);
    std::vector<Point> finished;
    for (size_t i = 0; i < drawing.atoms.size(); ++i) finished.push_back(positionOf(program.molecules[r]->atoms[i]));
    for (int c : drawing.wedgedCentres) {
      std::vector<int> heavy;
      for (const auto& bond : drawing.bonds)
        if (bond[0] == c || bond[1] == c) heavy.push_back(bond[0] == c ? bond[1] : bond[0]);
      if (heavy.size() < 3) continue;
      ++compared;
      EXPECT_GT(handVolume(depth[r].atoms, c, heavy) * handVolume(finished, c, heavy), 0.0)
          << drawing.name << ": centre " << c + 1;
    }
  }
  EXPECT_GT(compared, 80);
}

TEST(MDLThreeDimensionalHands, FileAtomsOfAHydrogenFreeCentreStayWhereTheFilePutThem) {
  kvtest::ensureApplication();
  // Halothane without hydrogens as PDB HETATM records, which the reader builds on without
  // optimising: the halogens of the CHFCl centre, terminal atoms of an atom that takes a
  // hydrogen, are not placed again with it.
  const char* pdb =
      "HETATM    1  F1  UNL     1       0.854  -1.200   0.999  1.00  0.00           F\n"
      "HETATM    2  C1  UNL     1       0.706  -0.321  -0.032  1.00  0.00           C\n"
      "HETATM    3 CL1  UNL     1       2.011   0.894   0.089  1.00  0.00          CL\n"
      "HETATM    4  C2  UNL     1      -0.679   0.321  -0.010  1.00  0.00           C\n"
      "HETATM    5  F2  UNL     1      -0.879   1.046   1.120  1.00  0.00           F\n"
      "HETATM    6  F3  UNL     1      -0.822   1.179  -1.056  1.00  0.00           F\n"
      "HETATM    7 BR1  UNL     1      -2.062  -1.052  -0.146  1.00  0.00          BR\n"
      "CONECT    1    2\nCONECT    2    3    4\nCONECT    4    5    6    7\nEND\n";
  const std::vector<Point> file = {{0.854, -1.200, 0.999}, {0.706, -0.321, -0.032},
                                   {2.011, 0.894, 0.089},  {-0.679, 0.321, -0.010},
                                   {-0.879, 1.046, 1.120}, {-0.822, 1.179, -1.056},
                                   {-2.062, -1.052, -0.146}};
  const char* names[] = {"F1", "C1", "CL1", "C2", "F2", "F3", "BR1"};
  kvtest::ErrorCapture errorLog;
  std::istringstream in(pdb);
  std::vector<Molecule*> out;
  PDBParser parser;
  parser.parsePDBFile(in, out);
  std::vector<std::unique_ptr<Molecule> > owned(out.begin(), out.end());
  ASSERT_EQ(1u, out.size()) << errorLog.text();
  for (size_t i = 0; i < file.size(); ++i) {
    const Atom* atom = nullptr;
    for (const Atom* a : out[0]->atoms)
      if (a->name == names[i]) atom = a;
    ASSERT_NE(nullptr, atom) << names[i];
    const Point at = positionOf(atom);
    EXPECT_LT(std::sqrt(dot(minus(at, file[i]), minus(at, file[i]))), 1e-3) << names[i];
  }
}
