// Groups of screening and public sets that once came out finished with wrong bonds: delocalised
// anions, oxo and thio anions, nitroso groups, phosphazenes, ylides and five-coordinate
// phosphorus, rings of tetrahedral sulfur and phosphorus, and arsenic compounds. Lengths are
// judged against MMFF94 (RDKit) and measured structures.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "forcefield/MolecularSystem.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/AtomGeometry.h"
#include "support/QtApplication.h"

namespace {

std::unique_ptr<Molecule> read(const std::string& smiles) {
  kvtest::ensureApplication();
  SmilesParser parser;
  return std::unique_ptr<Molecule>(parser.smilesToMol(smiles));
}

bool isPair(const Bond* b, const std::string& first, const std::string& second) {
  const std::string& e1 = b->atom1->element;
  const std::string& e2 = b->atom2->element;
  return (e1 == first && e2 == second) || (e1 == second && e2 == first);
}

// One kind of bond of a molecule: its two elements, its order (0 for any) and, when the group
// has a terminal atom, that the second element is terminal (one neighbour).
struct BondCase {
  const char* smiles;
  const char* first;
  const char* second;
  int order;
  bool secondTerminal;
  double length;   // Angstrom
};

// Every bond of the kind within the tolerance of its length; returns how many there were.
int expectLengths(const BondCase& c, double tolerance) {
  std::unique_ptr<Molecule> m = read(c.smiles);
  EXPECT_NE(nullptr, m) << c.smiles;
  if (m == nullptr) return 0;
  int seen = 0;
  for (const Bond* b : m->bonds) {
    if (!isPair(b, c.first, c.second) || (c.order != 0 && b->order != c.order)) continue;
    const Atom* end = b->atom2->element == c.second ? b->atom2 : b->atom1;
    if (c.secondTerminal && end->getAdjacentAtoms().size() != 1) continue;
    EXPECT_NEAR(c.length, kvtest::distance(b->atom1, b->atom2), tolerance)
        << c.smiles << ": " << b->atom1->element << b->atom1->id << "-" << b->atom2->element
        << b->atom2->id << " order " << b->order;
    ++seen;
  }
  return seen;
}

int aromaticBonds(const Molecule& m) {
  return static_cast<int>(std::count_if(m.bonds.begin(), m.bonds.end(),
                                        [](const Bond* b) { return b->order == kAromaticOrder; }));
}

}  // namespace

TEST(AnionsAndRareGroups, DelocalisedAnionBondsTakeTheirMeasuredLengths) {
  // MMFF94 lengths after its own optimisation; the salts' crystal structures agree within 0.02.
  // The C-O- of a carboxylate, phenolate or enolate was 0.08 to 0.17 A long, the S-O- of a
  // sulfonate and the P=O of a phosphate anion 0.05 off.
  const BondCase cases[] = {
      {"CC(=O)[O-]", "C", "O", 0, true, 1.262},
      {"O=C([O-])c1ccccc1", "C", "O", 0, true, 1.272},
      {"[O-]c1ccccc1", "C", "O", 1, true, 1.275},
      {"CC(=C)[O-]", "C", "O", 1, true, 1.258},
      {"CS(=O)(=O)[O-]", "S", "O", 0, true, 1.461},
      {"[O-]S(=O)(=O)C1=CC=CC=C1", "S", "O", 0, true, 1.461},
      {"CP(=O)([O-])[O-]", "P", "O", 0, true, 1.524},
      {"COP(=O)([O-])OC", "P", "O", 0, true, 1.508},
      {"C[N+](=O)[O-]", "N", "O", 0, true, 1.224},
      {"[N+](=O)([O-])NC(=N)Nc1cc(c(c(c1)OC)OC)OC", "N", "O", 0, true, 1.224},
      {"[O-][As](=O)([O-])[O-]", "As", "O", 0, true, 1.69}};
  for (const BondCase& c : cases) EXPECT_GE(expectLengths(c, 0.03), 1) << c.smiles;
}

TEST(AnionsAndRareGroups, BondsWithoutTheirOwnRowOnceCameOutShort) {
  // Thiosulfate's S=S was 1.75 A, perchlorate's Cl-O 1.70, a nitroso N=O 1.15 to 1.16, the
  // ring P-N of hexachlorocyclotriphosphazene 1.49, the P=C of Ph3P=CH2 1.57, an
  // iminophosphorane's P=N 1.48 and parathion's P=S 1.84; the N-O of pyridine N-oxide was 1.45
  // and of an amine oxide 1.46, as long as a hydroxylamine's. Measured lengths: thiosulfate salts
  // 1.97-2.01, perchlorate salts 1.44, nitrosobenzene 1.21, N-nitrosodimethylamine N=O 1.235
  // and N-N 1.344, N-nitroso hydroxylamines 1.24-1.27, (NPCl2)3 1.58, Ph3P=CH2 1.66, N-acyl
  // iminophosphoranes 1.60-1.62, thiophosphate esters 1.91-1.93, pyridine N-oxide 1.29,
  // trimethylamine oxide 1.38.
  const BondCase cases[] = {
      {"[O-]S([O-])(=O)=S", "S", "S", 2, true, 1.99},
      {"[O-][Cl+3]([O-])([O-])[O-]", "Cl", "O", 1, true, 1.44},
      {"O=Nc1ccccc1", "N", "O", 2, true, 1.21},
      {"CN(C)N=O", "N", "O", 2, true, 1.235},
      {"CN(C)N=O", "N", "N", 1, false, 1.344},
      {"ON(N=O)C1=CC=CC=C1", "N", "O", 2, true, 1.25},
      {"ON(N=O)C1=C2C=CC=CC2=CC=C1", "N", "O", 2, true, 1.25},
      {"ClP1(=NP(=NP(=N1)(Cl)Cl)(Cl)Cl)Cl", "P", "N", 0, false, 1.58},
      {"C=P(c1ccccc1)(c1ccccc1)c1ccccc1", "C", "P", 2, false, 1.66},
      {"P(=NC(=O)C)(c1ccccc1)(c2ccccc2)c3ccccc3", "P", "N", 2, false, 1.61},
      {"CCOP(=S)(OCC)Oc1ccc(cc1)[N+](=O)[O-]", "P", "S", 2, true, 1.93},
      {"Cc1cccc[n+]1[O-]", "N", "O", 1, true, 1.29},
      {"C[N+](C)(C)[O-]", "N", "O", 1, true, 1.38}};
  for (const BondCase& c : cases) EXPECT_GE(expectLengths(c, 0.04), 1) << c.smiles;
}

TEST(AnionsAndRareGroups, FiveAndSixConnectedCentresAreBipyramidsAndOctahedra) {
  // PCl5 was typed as a phosphine, one bond pulled to 1.84 A; typed as a bipyramid its bonds came
  // out 2.18-2.20 A, since the 1-3 distance of every Cl-P-Cl angle was built from the row's first
  // angle (120) while the angle term held the axial-equatorial ones at 90. The construction laid
  // out no bipyramid or octahedron: Cr(CO)6 ended with angles of 69-146 degrees; SF6 and AsF5,
  // typed as a sulfide and an arsine, with 66-139 and 81-133, and SF6 with a dipole of 1.4 D.
  // Measured: PCl5 2.02 (equatorial) and 2.12-2.14 (axial), PF5 1.53 and 1.58, Fe(CO)5
  // 1.81-1.83, Cr(CO)6 1.92, SF6 1.56, AsF5 1.66 and 1.71.
  const struct {
    const char* smiles;
    const char* centre;
    double shortest, longest;   // Angstrom
  } cases[] = {{"ClP(Cl)(Cl)(Cl)Cl", "P", 2.00, 2.14},
               {"FP(F)(F)(F)F", "P", 1.52, 1.60},
               {"[O+]#[C-][Fe]([C-]#[O+])([C-]#[O+])([C-]#[O+])[C-]#[O+]", "Fe", 1.78, 1.95},
               {"[O+]#[C-][Cr]([C-]#[O+])([C-]#[O+])([C-]#[O+])([C-]#[O+])[C-]#[O+]", "Cr", 1.88,
                1.96},
               {"FS(F)(F)(F)(F)F", "S", 1.54, 1.58},
               {"F[As](F)(F)(F)F", "As", 1.65, 1.72}};
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> m = read(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    const Atom* centre = nullptr;
    for (const Atom* a : m->atoms)
      if (a->element == c.centre) centre = a;
    ASSERT_NE(nullptr, centre) << c.smiles;
    for (const Atom* n : centre->getAdjacentAtoms()) {
      EXPECT_GE(kvtest::distance(centre, n), c.shortest) << c.smiles;
      EXPECT_LE(kvtest::distance(centre, n), c.longest) << c.smiles;
    }
    const double misfit = kvtest::polyhedronMisfitDeg(centre);
    EXPECT_GE(misfit, 0.0) << c.smiles << ": neither five- nor six-connected";
    EXPECT_LE(misfit, 2.0) << c.smiles;
    // Every angle and its 1-3 distance at the reference it is nearest: no angle energy is left.
    MolecularSystem system(m.get());
    EXPECT_NEAR(0.0, system.EFAngle(), 0.01) << c.smiles;
    EXPECT_NEAR(0.0, m->dipoleMoment, 0.05) << c.smiles << ": the bond moments cancel";
  }
}

TEST(AnionsAndRareGroups, RingsThroughTetrahedralPhosphorusOrSulfurAreNotAromatic) {
  // A ring phosphorus or sulfur with more bonds than its lowest valence and a substituent is
  // tetrahedral: the cyclophosphazene and the 1-methyl-1,2,6-thiadiazine ring were made aromatic
  // on their six electrons. 2,1,3-Benzothiadiazole, drawn with N=S=N or aromatic, stays aromatic
  // (ten electrons over both rings), and so do thiophene and pyridine.
  const struct {
    const char* smiles;
    int aromaticBonds;
  } cases[] = {{"ClP1(=NP(=NP(=N1)(Cl)Cl)(Cl)Cl)Cl", 0},
               {"CS1=NC(c2ccccc2)=CC(c2ccccc2)=N1", 12},
               {"S(=O)(=O)(Nc1ccc(cc1)OC)c2c3c(ccc2)N=S=N3", 16},
               {"c1ccc2nsnc2c1", 10},
               {"c1ccsc1", 5},
               {"c1ccncc1", 6}};
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> m = read(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    EXPECT_EQ(c.aromaticBonds, aromaticBonds(*m)) << c.smiles;
  }
}

TEST(AnionsAndRareGroups, RingsThroughASulfoneOrPhosphineOxideTakeNoHeteroaromaticTypes) {
  // A pseudosaccharin (3-amino-1,2-benzisothiazole 1,1-dioxide, ten of them in a screening set),
  // thiophene 1,1-dioxide and a phosphole oxide are no heteroaromatics, yet the five-ring
  // templates typed their sulfur as thiophene's: the S=O bonds came out 1.30 A. Measured: the
  // sulfonyl S=O of saccharin and of sulfolene 1.42-1.44, the P=O of phosphole oxides 1.48-1.49;
  // the angles of the small ring press the two unsaturated rings' 0.03-0.05 A shorter.
  const struct {
    const char* smiles;
    const char* hetero;       // the ring's hypervalent atom
    const char* type;         // the type it keeps
    double shortest, longest;   // its X=O bonds, Angstrom
  } cases[] = {{"O=S1(=O)N=C(NC)c2ccccc21", "S", "SSO2", 1.40, 1.46},
               {"O=S1(=O)C=CC=C1", "S", "SSO2", 1.38, 1.46},
               {"O=P1(C)C=CC=C1", "P", "PO", 1.42, 1.52}};
  for (const auto& c : cases) {
    std::unique_ptr<Molecule> m = read(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    for (const Atom* a : m->atoms) {
      if (a->element != c.hetero) continue;
      EXPECT_EQ(c.type, a->type) << c.smiles;
      for (const Atom* o : a->getAdjacentAtoms()) {
        if (o->element != "O") continue;
        EXPECT_GE(kvtest::distance(a, o), c.shortest) << c.smiles;
        EXPECT_LE(kvtest::distance(a, o), c.longest) << c.smiles;
      }
    }
  }
}

TEST(AnionsAndRareGroups, ArsenicCompoundsAreTypedWithTheirMeasuredLengths) {
  // Arsines, arsonic and arsinic acids, arsanilic acid, roxarsone, an arsonic anhydride,
  // arsenobetaine, arsenate, arsenic trichloride, an arsenoso and an arseno compound from the
  // NCI set: all were refused for want of an arsenic type. Hydrogens as RDKit gives them;
  // As(III)-C 1.96 (Ph3As), As(V)-C 1.90-1.93, As=O 1.65-1.67, As-OH 1.71 (arsonic acids),
  // 1.78 (arsenous acid), As-Cl 2.165, As=As 2.24 A.
  const struct {
    const char* smiles;
    int hydrogens;
    const char* type;
  } molecules[] = {{"C1=CC=C(C=C1)[As](C2=CC=CC=C2)C3=CC=CC=C3", 15, "AS"},
                   {"CC1=CC=C(C=C1)[As](C2=CC=C(C)C=C2)C3=CC=C(C)C=C3", 21, "AS"},
                   {"C[As](C)(O)=O", 7, "AS4"},
                   {"NC1=CC=C(C=C1)[As](O)(O)=O", 8, "AS4"},
                   {"OC1=CC=C(C=C1[N+]([O-])=O)[As](O)(O)=O", 6, "AS4"},
                   {"O[As](=O)(O[As](O)(=O)C1=CC=CC=C1)C2=CC=CC=C2", 12, "AS4"},
                   {"C[As+](C)(C)CC(=O)[O-]", 11, "AS4"},
                   {"[O-][As](=O)([O-])[O-]", 0, "AS4"},
                   {"Cl[As](Cl)Cl", 0, "AS"},
                   {"O[As]=O", 1, "AS"},
                   {"NC1=CC(=CC=C1O)[As]=O", 6, "AS"},
                   {"NC1=CC(=CC=C1O)[As]=[As]C2=CC=C(O)C(=C2)N", 12, "AS"}};
  const struct {
    const char* type;
    const char* other;   // neighbour element
    int order;
    int otherHydrogens;   // -1: any
    double length;
  } lengths[] = {{"AS", "C", 1, -1, 1.96}, {"AS4", "C", 1, -1, 1.92}, {"AS4", "O", 2, 0, 1.66},
                 {"AS4", "O", 1, 1, 1.71}, {"AS", "O", 1, 1, 1.78},   {"AS", "O", 2, 0, 1.65},
                 {"AS", "Cl", 1, -1, 2.165}, {"AS", "As", 2, -1, 2.24}};
  for (const auto& c : molecules) {
    std::unique_ptr<Molecule> m = read(c.smiles);
    ASSERT_NE(nullptr, m) << c.smiles;
    EXPECT_EQ(c.hydrogens, kvtest::countElement(*m, "H")) << c.smiles;
    for (const Atom* as : m->atoms) {
      if (as->element != "As") continue;
      EXPECT_EQ(c.type, as->type) << c.smiles;
      for (const Bond* b : as->bonds) {
        const Atom* other = b->atom1 == as ? b->atom2 : b->atom1;
        for (const auto& l : lengths) {
          if (as->type != l.type || other->element != l.other || b->order != l.order ||
              (l.otherHydrogens >= 0 && kvtest::hydrogensOn(other) != l.otherHydrogens))
            continue;
          EXPECT_NEAR(l.length, kvtest::distance(as, other), 0.04)
              << c.smiles << ": As-" << other->element << other->id;
        }
      }
    }
  }
}
