#ifndef KV_TESTS_FORCEFIELD_FORCEFIELDFIXTURE_H
#define KV_TESTS_FORCEFIELD_FORCEFIELDFIXTURE_H

// Small typed molecules with hand-set coordinates and a few-row parameter set, so the force-field
// tests depend neither on perception and typing nor on the shipped tables. Also used by the
// force-field benchmark; free of GoogleTest.

#include "math/Constants.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace fftest {

// Columns: TYPE BTYPE STYPE ELEMENT MASS Radius vdw-sig vdw-r Negativity Hardness PI Valence.
inline const char* atomTypeRows() {
  return R"(H     H     H     H   1.00797  0.70 -0.020 1.20 7.17 6.42 0 1
CH3   CH3   CSP3  C   12.01115 1.40 -0.080 1.90 5.80 5.00 0 4
CH2   CH2   CSP3  C   12.01115 1.40 -0.080 1.90 5.80 5.00 0 4
CK    CK    CSP2  C   12.01115 1.35 -0.090 1.85 6.00 5.10 1 4
OK    OK    OSP2  O   15.9994  1.20 -0.120 1.70 8.90 6.10 1 2
CE    CE    CSP2  C   12.01115 1.35 -0.090 1.85 6.00 5.10 1 4
NTRO  NTRO  NSP2  N   14.0067  1.30 -0.200 1.80 7.30 5.90 1 3
ON    ON    OSP2  O   15.9994  1.20 -0.120 1.70 8.90 6.10 1 2
DUM   DUM   DUM   R   0.0      1.00  0.000 0.00 0.00 0.00 0 1
CY    CY    CSP   C   12.01115 1.38 -0.085 1.88 6.20 5.20 2 4
)";
}

// Columns: ATOM1 ATOM2 order major-axis(Bohr) distance(A) energy(eV) moment(Debye).
inline const char* bondRows() {
  return R"(H    CH3  1 1.6492 1.10974 4.16 0.37
CH3  CH3  1 2.0000 1.54000 3.60 0.00
H    CH2  1 1.6500 1.11000 4.10 0.30
CH2  CH2  1 2.0000 1.54000 3.60 0.00
CH3  CH2  1 2.0000 1.54000 3.60 0.05
CK   OK   2 1.5000 1.22000 7.50 2.30
H    CK   1 1.6000 1.10000 4.20 0.40
H    CE   1 1.6000 1.09000 4.30 0.30
CE   CE   2 1.8000 1.34000 6.30 0.00
NTRO ON   2 1.5000 1.22000 6.00 1.00
NTRO ON   1 1.6000 1.30000 4.00 0.50
CH3  NTRO 1 2.0000 1.48000 3.00 0.60
CY   CY   3 1.6500 1.20000 8.50 0.00
CH3  CY   1 1.9500 1.46000 3.80 0.30
CE   CY   2 1.7000 1.31000 6.50 0.00
CY   CY   2 1.7000 1.28000 6.50 0.00
)";
}

// Columns: ATOM1 CENTRE ATOM3 ANGLE [further angles]; "*" rows are a centre's default.
inline const char* angleRows() {
  return R"(H    CH3  H    109.5
*    CH3  *    109.5
*    CH2  *    109.5
H    CK   H    116.0
*    CK   *    122.0
*    CE   *    120.0
ON   NTRO ON   125.0
*    NTRO *    117.0
*    CY   *    180.0
)";
}

// Barriers are raised above the shipped ones so that the torsion forces are far from zero.
inline const char* dihedralRows() {
  return R"(AXIS * * 1 3 0.0   1.40
AXIS * * 2 2 180.0 5.20
)";
}

inline const char* emagRows() {
  return R"(BOND
CH3 CH3 1 0.050
H   CH3 1 0.010
ANGLE
H   CH3 CH3 0.002
DIHEDRAL
H   CH3 CH3 H 1 0.001
)";
}

// Puts the fixture tables in place of the process-wide ones for the life of the object.
class ScopedTables {
public:
  ScopedTables() : tables_(InputParameters::EmptyTables{}) {
    tables_.parseAtomTypeTable(atomTypeRows());
    tables_.parseBondTable(bondRows());
    tables_.parseAngleTable(angleRows());
    tables_.parseDihedralTable(dihedralRows());
    tables_.parseEmagTable(emagRows());
    previous_ = InputParameters::swapInstance(&tables_);
  }
  ~ScopedTables() { InputParameters::swapInstance(previous_); }
  ScopedTables(const ScopedTables&) = delete;
  ScopedTables& operator=(const ScopedTables&) = delete;
  InputParameters& tables() { return tables_; }

private:
  InputParameters tables_;
  InputParameters* previous_ = nullptr;
};

struct AtomRow {
  const char* type;
  const char* element;
  float x, y, z;
};
struct BondRow {
  int first, second, order;
  bool inRing;
};

inline std::unique_ptr<Molecule> buildMolecule(const std::string& name,
                                               const std::vector<AtomRow>& atoms,
                                               const std::vector<BondRow>& bonds) {
  std::unique_ptr<Molecule> molecule(Builder::instance()->createMolecule());
  molecule->names.push_back(name);
  for (const AtomRow& row : atoms) {
    Atom* atom = Builder::instance()->createAtom();
    atom->type = row.type;
    atom->element = row.element;
    atom->name = row.element + std::to_string(molecule->atoms.size() + 1);
    atom->position = SSEVector4f(row.x, row.y, row.z, 1.0f);
    molecule->addAtom(atom);
  }
  for (const BondRow& row : bonds) {
    molecule->addBond(static_cast<unsigned>(row.first), static_cast<unsigned>(row.second),
                      row.order);
    molecule->bonds.back()->inRing = row.inRing;
  }
  return molecule;
}

// Hydrogens of a tetrahedral carbon at c whose heavy neighbour lies along -axis (unit x, y or z
// direction sign), placed on a cone about +axis; phase turns them about the axis.
inline void addMethylHydrogens(std::vector<AtomRow>& atoms, std::vector<BondRow>& bonds,
                               int carbon, float cx, float sign, float phaseDeg) {
  const float along = 0.363f, radial = 1.027f;
  for (int h = 0; h < 3; ++h) {
    const float angle = (phaseDeg + 120.0f * h) * kPi / 180.0f;
    atoms.push_back({"H", "H", cx + sign * along, radial * std::cos(angle),
                     radial * std::sin(angle)});
    bonds.push_back({carbon, static_cast<int>(atoms.size()) - 1, 1, false});
  }
}

inline std::unique_ptr<Molecule> ethane() {
  std::vector<AtomRow> atoms = {{"CH3", "C", 0.0f, 0.0f, 0.0f}, {"CH3", "C", 1.54f, 0.0f, 0.0f}};
  std::vector<BondRow> bonds = {{0, 1, 1, false}};
  addMethylHydrogens(atoms, bonds, 0, 0.0f, -1.0f, 0.0f);
  addMethylHydrogens(atoms, bonds, 1, 1.54f, 1.0f, 60.0f);
  return buildMolecule("ethane", atoms, bonds);
}

// A zig-zag chain of n carbons (n >= 2) with its hydrogens: n = 4 is butane, and 6, 66 and 666
// give about 20, 200 and 2,000 atoms.
inline std::unique_ptr<Molecule> alkane(int n) {
  std::vector<AtomRow> atoms;
  std::vector<BondRow> bonds;
  const float step = 1.26f, rise = 0.89f;
  for (int c = 0; c < n; ++c) {
    const bool end = c == 0 || c == n - 1;
    atoms.push_back({end ? "CH3" : "CH2", "C", step * c, (c % 2) ? rise : 0.0f, 0.0f});
    if (c > 0) bonds.push_back({c - 1, c, 1, false});
  }
  for (int c = 0; c < n; ++c) {
    const float x = step * c;
    const float out = (c % 2) ? 1.0f : -1.0f;   // away from the chain
    const float y = (c % 2) ? rise : 0.0f;
    for (float side : {-1.0f, 1.0f}) {
      atoms.push_back({"H", "H", x, y + out * 0.63f, side * 0.89f});
      bonds.push_back({c, static_cast<int>(atoms.size()) - 1, 1, false});
    }
    if (c == 0 || c == n - 1) {
      atoms.push_back({"H", "H", x + (c == 0 ? -1.03f : 1.03f), y + out * 0.36f, 0.0f});
      bonds.push_back({c, static_cast<int>(atoms.size()) - 1, 1, false});
    }
  }
  return buildMolecule("alkane", atoms, bonds);
}

// A ring of n CH2 carbons with bonds of `side` A, its carbons alternately `pucker` A above and
// below the plane z = 0, each with two hydrogens, one on either side, pointing outward.
inline std::unique_ptr<Molecule> cycloalkane(int n, float side, float pucker = 0.0f) {
  std::vector<AtomRow> atoms;
  std::vector<BondRow> bonds;
  const float radius = side / (2.0f * std::sin(kPi / n));
  for (int k = 0; k < n; ++k) {
    const float angle = 2.0f * kPi * k / n;
    atoms.push_back({"CH2", "C", radius * std::cos(angle), radius * std::sin(angle),
                     (k % 2) ? -pucker : pucker});
    bonds.push_back({k, (k + 1) % n, 1, true});
  }
  for (int k = 0; k < n; ++k) {
    const float angle = 2.0f * kPi * k / n;
    const float x = (radius + 0.6f) * std::cos(angle), y = (radius + 0.6f) * std::sin(angle);
    for (float z : {0.9f, -0.9f}) {
      atoms.push_back({"H", "H", x, y, z});
      bonds.push_back({k, static_cast<int>(atoms.size()) - 1, 1, false});
    }
  }
  return buildMolecule("cycloalkane", atoms, bonds);
}

inline std::unique_ptr<Molecule> cyclohexane() {
  std::vector<AtomRow> atoms;
  std::vector<BondRow> bonds;
  const float radius = 1.45f;
  for (int k = 0; k < 6; ++k) {
    const float angle = 60.0f * k * kPi / 180.0f;
    atoms.push_back({"CH2", "C", radius * std::cos(angle), radius * std::sin(angle),
                     (k % 2) ? -0.25f : 0.25f});
    bonds.push_back({k, (k + 1) % 6, 1, true});
  }
  for (int k = 0; k < 6; ++k) {
    const float angle = 60.0f * k * kPi / 180.0f;
    const float up = (k % 2) ? -1.0f : 1.0f;
    const float cx = radius * std::cos(angle), cy = radius * std::sin(angle);
    const float cz = up * 0.25f;
    atoms.push_back({"H", "H", cx, cy, cz + up * 1.09f});   // axial
    atoms.push_back({"H", "H", cx + 1.03f * std::cos(angle), cy + 1.03f * std::sin(angle),
                     cz - up * 0.36f});                      // equatorial
    bonds.push_back({k, static_cast<int>(atoms.size()) - 2, 1, false});
    bonds.push_back({k, static_cast<int>(atoms.size()) - 1, 1, false});
  }
  return buildMolecule("cyclohexane", atoms, bonds);
}

inline std::unique_ptr<Molecule> formaldehyde() {
  return buildMolecule("formaldehyde",
                       {{"CK", "C", 0.0f, 0.0f, 0.0f}, {"OK", "O", 1.22f, 0.0f, 0.0f},
                        {"H", "H", -0.55f, 0.94f, 0.0f}, {"H", "H", -0.55f, -0.94f, 0.0f}},
                       {{0, 1, 2, false}, {0, 2, 1, false}, {0, 3, 1, false}});
}

inline std::unique_ptr<Molecule> ethene() {
  return buildMolecule("ethene",
                       {{"CE", "C", 0.0f, 0.0f, 0.0f}, {"CE", "C", 1.34f, 0.0f, 0.0f},
                        {"H", "H", -0.55f, 0.94f, 0.0f}, {"H", "H", -0.55f, -0.94f, 0.0f},
                        {"H", "H", 1.89f, 0.94f, 0.0f}, {"H", "H", 1.89f, -0.94f, 0.0f}},
                       {{0, 1, 2, false}, {0, 2, 1, false}, {0, 3, 1, false},
                        {1, 4, 1, false}, {1, 5, 1, false}});
}

// A four-carbon chain whose two inner angles are `bendDeg`, bent in two planes at right angles,
// with three hydrogens on each end: 2-butyne (types CY, held straight by the table) or, with
// `alkyne` false, butane's carbons forced towards a straight line (CH2, tetrahedral in the
// table). The bonds are a little long, so bond and 1-3 terms push too.
inline std::unique_ptr<Molecule> straightenedChain(double bendDeg, bool alkyne) {
  using Point = std::array<double, 3>;
  const double bend = bendDeg * kPiDouble / 180.0, outer = 1.50, inner = alkyne ? 1.25 : 1.58;
  // C2 at the origin, C3 along x; C1 bent off in the xy plane, C4 in the xz plane.
  const Point c1 = {outer * std::cos(bend), outer * std::sin(bend), 0.0};
  const Point c2 = {0.0, 0.0, 0.0}, c3 = {inner, 0.0, 0.0};
  const Point c4 = {inner - outer * std::cos(bend), 0.0, outer * std::sin(bend)};
  const char* centre = alkyne ? "CY" : "CH2";
  std::vector<AtomRow> atoms;
  auto add = [&atoms](const char* type, const char* element, const Point& p) {
    atoms.push_back({type, element, static_cast<float>(p[0]), static_cast<float>(p[1]),
                     static_cast<float>(p[2])});
  };
  add("CH3", "C", c1);
  add(centre, "C", c2);
  add(centre, "C", c3);
  add("CH3", "C", c4);
  std::vector<BondRow> bonds = {{0, 1, 1, false}, {1, 2, alkyne ? 3 : 1, false}, {2, 3, 1, false}};
  // Hydrogens 1.09 A out on a cone of 109.5 degrees about the bond from the carbon's neighbour;
  // p and q are unit vectors at right angles to that bond d and to each other.
  auto addHydrogens = [&](int carbon, const Point& c, const Point& from, double phase) {
    Point d = {c[0] - from[0], c[1] - from[1], c[2] - from[2]};
    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (double& v : d) v /= length;
    Point p = std::fabs(d[2]) < 0.9 ? Point{-d[1], d[0], 0.0} : Point{0.0, -d[2], d[1]};
    const double lp = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    for (double& v : p) v /= lp;
    const Point q = {d[1] * p[2] - d[2] * p[1], d[2] * p[0] - d[0] * p[2],
                     d[0] * p[1] - d[1] * p[0]};
    const double along = 1.09 * std::cos(70.5 * kPiDouble / 180.0);
    const double radial = 1.09 * std::sin(70.5 * kPiDouble / 180.0);
    for (int h = 0; h < 3; ++h) {
      const double turn = phase + h * 2.0 * kPiDouble / 3.0;
      Point at;
      for (int a = 0; a < 3; ++a)
        at[a] = c[a] + along * d[a] + radial * (std::cos(turn) * p[a] + std::sin(turn) * q[a]);
      add("H", "H", at);
      bonds.push_back({carbon, static_cast<int>(atoms.size()) - 1, 1, false});
    }
  };
  addHydrogens(0, c1, c2, 0.3);
  addHydrogens(3, c4, c3, 1.1);
  return buildMolecule(alkyne ? "2-butyne" : "straightened butane", atoms, bonds);
}

// H2C=C=CH2 and its longer kin: `centres` straight carbons (CY) along x between two CH2 ends
// (CE), joined by double bonds, the far end's hydrogens turned by `twistDeg` about the chain.
// One centre is allene, two butatriene.
inline std::unique_ptr<Molecule> cumulene(int centres, double twistDeg) {
  const double twist = twistDeg * kPiDouble / 180.0;
  const float bond = 1.31f, back = 0.55f, out = 0.94f;
  const float last = bond * static_cast<float>(centres + 1);
  std::vector<AtomRow> atoms = {{"CE", "C", 0.0f, 0.0f, 0.0f}};
  std::vector<BondRow> bonds;
  for (int c = 1; c <= centres + 1; ++c) {
    atoms.push_back({c <= centres ? "CY" : "CE", "C", bond * static_cast<float>(c), 0.0f, 0.0f});
    bonds.push_back({c - 1, c, 2, false});
  }
  for (float side : {1.0f, -1.0f}) {
    atoms.push_back({"H", "H", -back, side * out, 0.0f});
    bonds.push_back({0, static_cast<int>(atoms.size()) - 1, 1, false});
    atoms.push_back({"H", "H", last + back, side * out * static_cast<float>(std::cos(twist)),
                     side * out * static_cast<float>(std::sin(twist))});
    bonds.push_back({centres + 1, static_cast<int>(atoms.size()) - 1, 1, false});
  }
  return buildMolecule(centres == 1 ? "allene" : "cumulene", atoms, bonds);
}

// CH3-NO2 with one N=O and one N-O bond.
inline std::unique_ptr<Molecule> nitromethane() {
  std::vector<AtomRow> atoms = {{"NTRO", "N", 0.0f, 0.0f, 0.0f},
                                 {"ON", "O", 0.65f, 1.05f, 0.0f},
                                 {"ON", "O", 0.65f, -1.10f, 0.0f},
                                 {"CH3", "C", -1.48f, 0.0f, 0.0f}};
  std::vector<BondRow> bonds = {{0, 1, 2, false}, {0, 2, 1, false}, {0, 3, 1, false}};
  addMethylHydrogens(atoms, bonds, 3, -1.48f, -1.0f, 30.0f);
  return buildMolecule("nitromethane", atoms, bonds);
}

}  // namespace fftest

#endif
