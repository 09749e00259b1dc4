#pragma once

// Gives the atoms and bonds of a molecule the spheroids a reader would: a sphere of the given
// radius on every atom and a bond orbital whose foci are the two nuclei, 20 rings by 20
// segments each (or the given count), all owned by their records. Shared by the spheroid tests
// and benchmarks.

#include <cmath>
#include <memory>
#include <vector>

#include "math/SSEVector4f.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"

namespace kvscene {

constexpr int kRings = 20;
constexpr float kAtomRadius = 0.3f;
// How far a bond orbital reaches past each nucleus, Angstrom.
constexpr float kBondOverhang = 0.3f;

inline void giveSpheroids(Molecule& m, const std::vector<SSEVector4f>& positions,
                          int rings = kRings) {
  for (size_t i = 0; i < m.atoms.size() && i < positions.size(); ++i) {
    Atom* atom = m.atoms[i];
    atom->position = positions[i];
    auto* sphere = new Spheroid(1.0f, kAtomRadius, kAtomRadius);
    sphere->rings = sphere->segments = rings;
    sphere->owner = atom;
    sphere->kind = SpheroidKind::AtomSphere;
    sphere->centre = positions[i];
    atom->sphere = sphere;
  }
  for (Bond* bond : m.bonds) {
    SSEVector4f d = bond->atom2->position - bond->atom1->position;
    const float half = 0.5f * d.length();
    const float a = half + kBondOverhang;
    const float b = std::sqrt(a * a - half * half);
    auto* orbital = new Spheroid(half / a, b, a);
    orbital->rings = orbital->segments = rings;
    orbital->owner = bond;
    orbital->kind = SpheroidKind::BondOrbital;
    bond->spheroid = orbital;
  }
}

// A chain of carbons, one per position, each bonded to the next; no coordinates set yet (give
// them with giveSpheroids).
inline std::unique_ptr<Molecule> carbonChain(size_t atoms) {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  for (size_t i = 0; i < atoms; ++i) {
    Atom* a = Builder::instance()->createAtom();
    a->element = "C";
    a->name = "C";
    m->addAtom(a);
    if (i > 0) m->addBond(static_cast<unsigned>(i - 1), static_cast<unsigned>(i), 1);
  }
  return m;
}

constexpr float kChainBond = 1.5f;   // Angstrom between neighbours of foldedChain

// Positions for a chain folded back and forth through a cube, so that a large molecule is
// compact as proteins are, rather than a rod running out of the view: consecutive atoms are
// neighbours on a grid kChainBond apart. side gets the cube's edge in atoms.
inline std::vector<SSEVector4f> foldedChain(int atoms, int& side) {
  side = 1;
  while (side * side * side < atoms) ++side;
  std::vector<SSEVector4f> positions;
  for (int i = 0; i < atoms; ++i) {
    const int layer = i / (side * side), inLayer = i % (side * side);
    const int row = inLayer / side;
    int column = inLayer % side;
    if ((layer * side + row) % 2 == 1) column = side - 1 - column;   // snake back on odd rows
    const int depth = layer % 2 == 1 ? side - 1 - row : row;
    positions.emplace_back(kChainBond * column, kChainBond * depth, kChainBond * layer);
  }
  return positions;
}

}  // namespace kvscene
