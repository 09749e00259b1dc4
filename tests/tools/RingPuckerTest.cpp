// Puckers of saturated rings of finished molecules: against measured gas-phase structures where
// they are well known, and against RDKit's MMFF94 computed at test time (installed with the other
// packages; the test fails when it is missing), the lowest of twenty relaxed conformers.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "math/Constants.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "tests/io/ToolProcess.h"
#include "tools/ChemistryTestSupport.h"

namespace {

const char* const kSystemPython = "/usr/bin/python3";
const double kDegree = kPiDouble / 180.0;

// Reads one SMILES a line and prints, for the molecule's smallest ring, the mean and largest
// absolute ring torsion (degrees), the mean ring angle (degrees) and the total puckering
// amplitude Q (Angstrom).
const char* const kMmffRings = R"(
import sys, math
from rdkit import Chem
from rdkit.Chem import AllChem
from rdkit.Chem import rdMolTransforms as T

def puckering(points):
    n = len(points)
    centre = [sum(p[k] for p in points) / n for k in range(3)]
    p = [[q[k] - centre[k] for k in range(3)] for q in points]
    r1 = [sum(p[j][k] * math.sin(2 * math.pi * j / n) for j in range(n)) for k in range(3)]
    r2 = [sum(p[j][k] * math.cos(2 * math.pi * j / n) for j in range(n)) for k in range(3)]
    normal = [r1[1] * r2[2] - r1[2] * r2[1], r1[2] * r2[0] - r1[0] * r2[2],
              r1[0] * r2[1] - r1[1] * r2[0]]
    length = math.sqrt(sum(c * c for c in normal))
    return math.sqrt(sum((sum(q[k] * normal[k] for k in range(3)) / length) ** 2 for q in p))

for line in sys.stdin:
    smiles = line.strip()
    if not smiles:
        continue
    mol = Chem.AddHs(Chem.MolFromSmiles(smiles))
    props = AllChem.MMFFGetMoleculeProperties(mol)
    best = None
    for conformer in AllChem.EmbedMultipleConfs(mol, 20, randomSeed=7):
        field = AllChem.MMFFGetMoleculeForceField(mol, props, confId=conformer)
        field.Minimize(maxIts=10000)
        energy = field.CalcEnergy()
        if best is None or energy < best[0]:
            best = (energy, conformer)
    ring = list(min(mol.GetRingInfo().AtomRings(), key=len))
    order = [ring[0]]
    while len(order) < len(ring):
        order.append(next(a.GetIdx() for a in mol.GetAtomWithIdx(order[-1]).GetNeighbors()
                          if a.GetIdx() in ring and a.GetIdx() not in order))
    conf = mol.GetConformer(best[1])
    n = len(order)
    torsions = [abs(T.GetDihedralDeg(conf, *[order[(i + k) % n] for k in range(4)]))
                for i in range(n)]
    angles = [T.GetAngleDeg(conf, *[order[(i + k) % n] for k in range(3)]) for i in range(n)]
    points = [list(conf.GetAtomPosition(i)) for i in order]
    print('%.3f %.3f %.3f %.4f' % (sum(torsions) / n, max(torsions), sum(angles) / n,
                                   puckering(points)))
)";

struct Pucker {
  double meanTorsion = NAN, largestTorsion = NAN, meanAngle = NAN, amplitude = NAN;
};

struct Vec {
  double x, y, z;
};
Vec operator-(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(const Vec& a, const Vec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(const Vec& a) { return std::sqrt(dot(a, a)); }

double torsionDegrees(const Vec& a, const Vec& b, const Vec& c, const Vec& d) {
  const Vec n1 = cross(b - a, c - b), n2 = cross(c - b, d - c);
  const Vec axis = c - b;
  return std::atan2(dot(cross(n1, n2), axis) / length(axis), dot(n1, n2)) / kDegree;
}

// The same figures for the molecule's smallest ring, from its atoms' positions in ring order.
// Every ring bond must be a bond of sound length, so a torn ring fails here, not as a pucker.
Pucker ourPucker(const Molecule& m) {
  Pucker out;
  const Ring* ring = nullptr;
  for (const Ring* r : m.rings)
    if (ring == nullptr || r->atomIds.size() < ring->atomIds.size()) ring = r;
  if (ring == nullptr) return out;
  std::vector<Vec> p;
  for (int id : ring->atomIds) {
    const SSEVector4f& q = m.positions[static_cast<size_t>(id)];
    p.push_back({q.x, q.y, q.z});
  }
  const size_t n = p.size();
  double torsions = 0.0, largest = 0.0, angles = 0.0;
  Vec centre{0, 0, 0}, r1{0, 0, 0}, r2{0, 0, 0};
  for (size_t i = 0; i < n; ++i) {
    const Vec &a = p[i], &b = p[(i + 1) % n], &c = p[(i + 2) % n], &d = p[(i + 3) % n];
    EXPECT_GT(length(b - a), 1.3);
    EXPECT_LT(length(b - a), 1.7);
    const double t = std::fabs(torsionDegrees(a, b, c, d));
    torsions += t;
    largest = std::max(largest, t);
    angles += std::acos(dot(a - b, c - b) / (length(a - b) * length(c - b))) / kDegree;
    centre = {centre.x + a.x / n, centre.y + a.y / n, centre.z + a.z / n};
  }
  for (size_t j = 0; j < n; ++j) {
    const Vec q = p[j] - centre;
    const double s = std::sin(2.0 * M_PI * j / n), c = std::cos(2.0 * M_PI * j / n);
    r1 = {r1.x + q.x * s, r1.y + q.y * s, r1.z + q.z * s};
    r2 = {r2.x + q.x * c, r2.y + q.y * c, r2.z + q.z * c};
  }
  const Vec normal = cross(r1, r2);
  double squares = 0.0;
  for (const Vec& q : p) {
    const double z = dot(q - centre, normal) / length(normal);
    squares += z * z;
  }
  out.meanTorsion = torsions / n;
  out.largestTorsion = largest;
  out.meanAngle = angles / n;
  out.amplitude = std::sqrt(squares);
  return out;
}

Pucker finishedPucker(const std::string& smiles) {
  std::unique_ptr<Molecule> m = kvtest::finishedMolecule(smiles);
  EXPECT_NE(nullptr, m) << smiles;
  return m == nullptr ? Pucker() : ourPucker(*m);
}

struct RingCase {
  const char* name;
  const char* smiles;
};

// Six-membered chairs and five-membered envelopes and twists. Cyclohexanone came out 6 degrees
// flatter than MMFF94, cyclopentanone and 1,1-dimethylcyclopentane flat and 2-pyrrolidinone all
// but flat, where MMFF94 twists them 30 to 40 degrees.
const RingCase kRings[] = {
    {"cyclohexane", "C1CCCCC1"},
    {"methylcyclohexane", "CC1CCCCC1"},
    {"tetrahydropyran", "C1CCOCC1"},
    {"piperidine", "C1CCNCC1"},
    {"1,4-dioxane", "C1COCCO1"},
    {"cyclohexanone", "O=C1CCCCC1"},
    {"cyclopentane", "C1CCCC1"},
    {"1,1-dimethylcyclopentane", "CC1(C)CCCC1"},
    {"tetrahydrofuran", "C1CCOC1"},
    {"cyclopentanone", "O=C1CCCC1"},
    {"2-pyrrolidinone", "O=C1CCCN1"},
};

}  // namespace

// Gas-phase electron diffraction: cyclohexane's ring torsions 54.9 to 55.9 degrees and its C-C-C
// angle 111.4 (the flattened chair had 49.7 and 113.1); cyclopentane's puckering amplitude 0.43 A
// and tetrahydrofuran's 0.38 to 0.40 (they had 0.17 and 0.32).
TEST(RingPucker, CyclohexaneCyclopentaneAndTetrahydrofuranPuckerAsMeasured) {
  const Pucker chair = finishedPucker("C1CCCCC1");
  EXPECT_NEAR(55.0, chair.meanTorsion, 1.5);
  EXPECT_NEAR(111.4, chair.meanAngle, 0.6);
  EXPECT_NEAR(0.43, finishedPucker("C1CCCC1").amplitude, 0.05);
  EXPECT_NEAR(0.39, finishedPucker("C1CCOC1").amplitude, 0.05);
}

TEST(RingPucker, SaturatedRingsFollowTheReferenceForceField) {
  std::ostringstream request;
  for (const RingCase& ring : kRings) request << ring.smiles << "\n";
  const iotest::ToolRun run = iotest::runProgram(kSystemPython, {"-c", kMmffRings}, request.str());
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::istringstream references(run.out);
  std::ostringstream table;
  double torsionErrors = 0.0;
  for (const RingCase& ring : kRings) {
    SCOPED_TRACE(ring.name);
    Pucker reference;
    ASSERT_TRUE(references >> reference.meanTorsion >> reference.largestTorsion >>
                reference.meanAngle >> reference.amplitude);
    const Pucker ours = finishedPucker(ring.smiles);
    table << ring.name << ": mean torsion " << ours.meanTorsion << " (MMFF94 "
          << reference.meanTorsion << "), largest " << ours.largestTorsion << " ("
          << reference.largestTorsion << "), angle " << ours.meanAngle << " ("
          << reference.meanAngle << ")\n";
    // Reached: mean torsions within 2 degrees of MMFF94's but for 1,1-dimethylcyclopentane
    // (4.1: its largest torsion 45 degrees against 38; its gem-dimethyl folds the ring more);
    // the mean angle within 0.8.
    EXPECT_NEAR(reference.meanTorsion, ours.meanTorsion, 4.5);
    EXPECT_NEAR(reference.largestTorsion, ours.largestTorsion, 7.5);
    EXPECT_NEAR(reference.meanAngle, ours.meanAngle, 1.0);
    torsionErrors += std::fabs(reference.meanTorsion - ours.meanTorsion);
  }
  // Reached: 1.3 degrees.
  EXPECT_LT(torsionErrors / (sizeof kRings / sizeof kRings[0]), 1.6) << table.str();
}
