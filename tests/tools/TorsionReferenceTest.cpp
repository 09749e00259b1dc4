// Full-turn torsion profiles against a reference force field computed at test time: RDKit's
// MMFF94 relaxed scan of the same dihedral (installed with the other packages; the test fails
// when it is missing). Each reference angle is the lowest energy of two scans walked from either
// side and of the mirror angle, since every molecule here is achiral; energies are relative to
// the lowest point, as the profiler's are. The first check is on molecules the torsion rows were
// fitted to, the second on molecules no row was fitted to.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "forcefield/MolecularSystem.h"
#include "support/StdoutCapture.h"
#include "tests/io/ToolProcess.h"
#include "tools/ChemistryTestSupport.h"

namespace {

const char* const kSystemPython = "/usr/bin/python3";

// Reads lines "SMILES i j k l starts push" (atoms from 0, hydrogens after the heavy atoms in their
// order, as both programs number them) and prints per line the 36 energies at 0, 10, ... 350
// degrees. Each of `starts` embedded conformers is walked both ways; before each relaxation every
// atom moves by up to `push` Angstrom at random (fixed seed), so that a relaxation does not stop on
// a saddle that the rigid turn left symmetric (ethyl methyl ether's syn form, its methyl eclipsed,
// stayed 7 kcal/mol too high without it).
const char* const kMmffScan = R"(
import sys, random
from rdkit import Chem
from rdkit.Chem import AllChem
from rdkit.Chem import rdMolTransforms
from rdkit.Geometry import Point3D

def scan(smiles, i, j, k, l, starts, push):
    shaker = random.Random(11)
    angles = list(range(0, 360, 10))
    best = {}
    for seed in range(starts):
        start = Chem.AddHs(Chem.MolFromSmiles(smiles))
        AllChem.EmbedMolecule(start, randomSeed=7 + seed)
        props = AllChem.MMFFGetMoleculeProperties(start)
        AllChem.MMFFGetMoleculeForceField(start, props).Minimize(maxIts=10000)
        for order in (angles, [0] + angles[:0:-1]):
            mol = Chem.Mol(start)
            conformer = mol.GetConformer()
            for a in order:
                rdMolTransforms.SetDihedralDeg(conformer, i, j, k, l, float(a))
                for n in range(mol.GetNumAtoms() if push > 0 else 0):
                    p = conformer.GetAtomPosition(n)
                    conformer.SetAtomPosition(n, Point3D(p.x + shaker.uniform(-push, push),
                                                         p.y + shaker.uniform(-push, push),
                                                         p.z + shaker.uniform(-push, push)))
                field = AllChem.MMFFGetMoleculeForceField(mol, props)
                field.MMFFAddTorsionConstraint(i, j, k, l, False, float(a), float(a), 1.0e4)
                field.Minimize(maxIts=10000)
                energy = AllChem.MMFFGetMoleculeForceField(mol, props).CalcEnergy()
                best[a] = min(best.get(a, 1.0e9), energy)
    turn = [min(best[a], best[(360 - a) % 360]) for a in angles]
    lowest = min(turn)
    return [e - lowest for e in turn]

for line in sys.stdin:
    fields = line.split()
    if len(fields) == 7:
        print(' '.join('%.4f' % e for e in
                       scan(fields[0], *map(int, fields[1:6]), float(fields[6]))))
)";

struct Rotor {
  const char* name;
  const char* smiles;
  int atoms[4];
};

// The rotors of the gas-phase conformational data whose turn no three-fold cosine describes, and
// 1-butene. N-methylacetamide has its own reference turn (TorsionProfileTest.cpp): a single
// relaxation per angle leaves MMFF94 on the wrong side of its nitrogen inversion near the top.
const Rotor kRotors[] = {
    {"butane", "CCCC", {0, 1, 2, 3}},
    {"ethanol", "CCO", {0, 1, 2, 8}},
    {"propene", "CC=C", {3, 0, 1, 2}},
    {"1,3-butadiene", "C=CC=C", {0, 1, 2, 3}},
    {"methyl vinyl ether", "C=COC", {0, 1, 2, 3}},
    {"biphenyl", "c1ccc(cc1)-c1ccccc1", {2, 3, 6, 7}},
    {"1-butene", "C=CCC", {0, 1, 2, 3}},
};

// Rotors of molecules no torsion row was fitted to: none is in the gas-phase conformational data
// or among the relaxed MMFF94 turns the rows were fitted to (1-butene, ethylbenzene, the carbonyl
// rotors with propanal and butanal, the esters, acids and amides of TorsionProfileTest.cpp; so the
// only aldehyde here is 2-methylpropanal). Their rows were set on other molecules, so these turns
// show how the table carries over. Each bound is the RMS reached (kcal/mol, in the comment) plus
// about 0.2.
struct UnfittedRotor {
  Rotor rotor;
  double boundRms;   // kcal/mol
};

const UnfittedRotor kUnfittedRotors[] = {
    // 0.76: its eclipsed forms 2.2 and 4.1 above the lowest form; MMFF94 3.6 and 5.1.
    {{"2-methylbutane", "CC(C)CC", {0, 1, 3, 4}}, 0.95},
    {{"pentane", "CCCCC", {0, 1, 2, 3}}, 0.6},                        // 0.38
    {{"1-propanol C-C-C-O", "CCCO", {0, 1, 2, 3}}, 0.6},              // 0.41
    {{"1-propanol C-C-O-H", "CCCO", {1, 2, 3, 11}}, 0.25},            // 0.06
    // 0.65: gauche lowest, anti 1.1 above; MMFF94 has anti lowest, gauche 0.4 above.
    {{"propylamine", "CCCN", {0, 1, 2, 3}}, 0.85},
    {{"1-pentene C-C-C-C", "CCCC=C", {0, 1, 2, 3}}, 0.6},             // 0.39
    // 1.24: syn 9.1 above anti, MMFF94 6.7.
    {{"ethyl methyl ether", "CCOC", {0, 1, 2, 3}}, 1.45},
    // 1.65: anti lowest with gauche 0.6 above and syn 6.8; MMFF94 has gauche lowest, anti 0.3
    // above and syn 3.4.
    {{"methyl ethyl sulfide", "CCSC", {0, 1, 2, 3}}, 1.85},
    {{"N-ethylformamide C-C-N-C", "CCNC=O", {0, 1, 2, 3}}, 0.55},     // 0.35
    // 0.94: a methyl eclipsing the double bond (0 degrees) 2.5 above the lowest form; MMFF94 0.5.
    {{"3-methyl-1-butene", "C=CC(C)C", {0, 1, 2, 3}}, 1.15},
    {{"isopropylbenzene", "CC(C)c1ccccc1", {0, 1, 3, 4}}, 0.3},       // 0.07
    {{"2-methylpropanal", "CC(C)C=O", {0, 1, 3, 4}}, 0.6},            // 0.41
    // Rotors about an oxygen on a double bond or a benzene ring, whose rows were set on phenol,
    // anisole and vinyl alcohol: phenols and aryl ethers planar, enols syn.
    // 0.12; its OH stood perpendicular before, 0.67 below planar (MMFF94: 3.5 above planar)
    {{"p-cresol", "Cc1ccc(O)cc1", {13, 5, 4, 3}}, 0.3},
    // 0.56: the perpendicular form 2.9 above planar, MMFF94 1.9; 11.5 before
    {{"4-methylanisole", "COc1ccc(C)cc1", {0, 1, 2, 3}}, 0.8},
    {{"(E)-1-propen-1-ol", "C/C=C/O", {9, 3, 2, 1}}, 0.65},           // 0.43
};

// Our relaxed scan, 0 to 350 by 10; empty when the molecule or the scan fails.
std::vector<double> ourTurn(const Rotor& rotor) {
  std::unique_ptr<Molecule> molecule = kvtest::finishedMolecule(rotor.smiles);
  if (!molecule) return {};
  kvtest::ConsoleCapture quiet(UtilityEngine::instance()->printLevel);
  kvtest::StdoutCapture table;
  MolecularSystem system(molecule.get());
  const int* a = rotor.atoms;
  std::map<float, float> profile;
  if (!system.isDihedral(a[0], a[1], a[2], a[3]) || !system.isRotatableBond(a[1], a[2])) return {};
  system.dihedralProfile(a[0], a[1], a[2], a[3], 0.0, 360.0, 10.0, profile);
  std::vector<double> turn;
  for (int degrees = 0; degrees < 360; degrees += 10) {
    const auto point = profile.find(static_cast<float>(degrees));
    if (point == profile.end()) return {};
    turn.push_back(point->second);
  }
  return turn;
}

// The lower of each angle and its mirror angle. A carbon bearing two like groups and the scanned
// bond (2-methylbutane's C2) is built with one of its two hands, and the turn of one hand is the
// other's mirrored; folded, the turn no longer depends on the hand the builder chose.
std::vector<double> mirrorFolded(const std::vector<double>& turn) {
  std::vector<double> folded(turn.size());
  for (size_t p = 0; p < turn.size(); ++p)
    folded[p] = std::min(turn[p], turn[(turn.size() - p) % turn.size()]);
  return folded;
}

double rmsBetween(const std::vector<double>& ours, const std::vector<double>& reference) {
  double squares = 0.0;
  for (size_t p = 0; p < ours.size(); ++p)
    squares += (ours[p] - reference[p]) * (ours[p] - reference[p]);
  return std::sqrt(squares / static_cast<double>(ours.size()));
}

// RDKit's turns of the rotors, 36 energies each, from `starts` conformers pushed by up to `push`
// Angstrom (the script above); fewer turns, with a failure, when the script fails.
std::vector<std::vector<double>> referenceTurns(const std::vector<Rotor>& rotors, int starts,
                                                double push) {
  std::ostringstream request;
  for (const Rotor& rotor : rotors)
    request << rotor.smiles << " " << rotor.atoms[0] << " " << rotor.atoms[1] << " "
            << rotor.atoms[2] << " " << rotor.atoms[3] << " " << starts << " " << push << "\n";
  const iotest::ToolRun run =
      iotest::runProgram(kSystemPython, {"-c", kMmffScan}, request.str());
  EXPECT_EQ(0, run.exitCode) << run.err;
  std::vector<std::vector<double>> turns;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream values(line);
    std::vector<double> turn;
    for (double e; values >> e;) turn.push_back(e);
    EXPECT_EQ(36u, turn.size()) << line;
    turns.push_back(turn);
  }
  return turns;
}

}  // namespace

TEST(TorsionReference, FullTurnsFollowTheReferenceForceField) {
  const std::vector<Rotor> rotors(std::begin(kRotors), std::end(kRotors));
  const std::vector<std::vector<double>> references = referenceTurns(rotors, 1, 0.0);
  ASSERT_EQ(rotors.size(), references.size());

  std::ostringstream report;
  double sum = 0.0, worst = 0.0;
  for (size_t r = 0; r < rotors.size(); ++r) {
    SCOPED_TRACE(rotors[r].name);
    ASSERT_EQ(36u, references[r].size());
    const std::vector<double> ours = ourTurn(rotors[r]);
    ASSERT_EQ(36u, ours.size());
    const double rms = rmsBetween(ours, references[r]);
    report << rotors[r].name << ": rms " << rms << " kcal/mol\n";
    sum += rms;
    worst = std::max(worst, rms);
  }
  EXPECT_LE(worst, 0.5) << report.str();
  EXPECT_LE(sum / rotors.size(), 0.3) << report.str();
}

TEST(TorsionReference, TurnsOfMoleculesOutsideTheFitFollowTheReferenceForceField) {
  std::vector<Rotor> rotors;
  for (const UnfittedRotor& unfitted : kUnfittedRotors) rotors.push_back(unfitted.rotor);
  // Three conformers pushed by 0.02 A: pentane's turn needs a second and third start to find
  // the lowest form of its other C-C-C-C dihedral at every angle.
  const std::vector<std::vector<double>> references = referenceTurns(rotors, 3, 0.02);
  ASSERT_EQ(rotors.size(), references.size());

  std::ostringstream report;
  std::vector<double> figures;
  for (size_t r = 0; r < rotors.size(); ++r) {
    ASSERT_EQ(36u, references[r].size()) << rotors[r].name;
    const std::vector<double> ours = ourTurn(rotors[r]);
    ASSERT_EQ(36u, ours.size()) << rotors[r].name;
    figures.push_back(rmsBetween(mirrorFolded(ours), references[r]));
    report << rotors[r].name << ": rms " << figures.back() << " kcal/mol\n";
  }
  double sum = 0.0;
  for (size_t r = 0; r < rotors.size(); ++r) {
    EXPECT_LE(figures[r], kUnfittedRotors[r].boundRms) << rotors[r].name << "\n" << report.str();
    sum += figures[r];
  }
  // Reached: 0.57 (0.61 before the phenol, aryl ether and enol rotors joined).
  EXPECT_LE(sum / rotors.size(), 0.7) << report.str();
}
