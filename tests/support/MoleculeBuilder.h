#pragma once

// Builds a molecule from element symbols and (i, j, order) edges, without coordinates, for the
// tests of the model and of everything above it:
//
//   auto ethanol = kvtest::buildMolecule({"C", "C", "O"}, {{0, 1, 1}, {1, 2, 1}});
//
// Each atom is named by its bare element symbol (the way group files name the atoms that the
// chemical predicates look for) unless `numberedNames` asks for symbol plus 1-based position
// ("C1", "O2"). Element "R" gets type "DUM", the dummy end of a bond axis. Ids are list
// positions. A refused or malformed edge fails the calling test.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"

namespace kvtest {

using Edge = std::array<int, 3>;   // atom index, atom index, bond order

inline std::unique_ptr<Molecule> buildMolecule(const std::vector<std::string>& elements,
                                               const std::vector<Edge>& edges,
                                               bool numberedNames = false) {
  std::unique_ptr<Molecule> m(Builder::instance()->createMolecule());
  for (size_t i = 0; i < elements.size(); ++i) {
    Atom* a = Builder::instance()->createAtom();
    a->element = elements[i];
    a->name = numberedNames ? elements[i] + std::to_string(i + 1) : elements[i];
    if (elements[i] == "R") a->type = "DUM";
    m->addAtom(a);
  }
  for (const Edge& e : edges) {
    const int result = m->addBond(static_cast<unsigned>(e[0]), static_cast<unsigned>(e[1]), e[2]);
    EXPECT_EQ(1, result) << "edge " << e[0] << "-" << e[1] << " order " << e[2];
  }
  return m;
}

// Gives the molecule a position array with atom i at (i, 0, 0): tells entries apart after edits.
inline void setIndexPositions(Molecule& m) {
  m.positions.clear();
  for (size_t i = 0; i < m.atoms.size(); ++i)
    m.positions.emplace_back(static_cast<float>(i), 0.0f, 0.0f, 1.0f);
}

// Turns every labelled centre's hand over ("@@" to "@" and back), so that coordinates built for
// the labels show the other hand.
inline void turnLabels(Molecule& m) {
  for (Atom* a : m.atoms)
    if (a != nullptr && a->piCount != 0) a->piCount = 3 - a->piCount;
}

// Benzene with hydrogens: a six-ring of alternating bonds, one H on each carbon.
inline std::unique_ptr<Molecule> buildBenzene() {
  std::vector<std::string> elements(6, "C");
  elements.insert(elements.end(), 6, "H");
  std::vector<Edge> edges;
  for (int i = 0; i < 6; ++i) {
    edges.push_back({i, (i + 1) % 6, i % 2 == 0 ? 2 : 1});
    edges.push_back({i, i + 6, 1});
  }
  return buildMolecule(elements, edges);
}

}  // namespace kvtest
