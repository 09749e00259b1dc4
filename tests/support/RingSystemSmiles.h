#pragma once

// SMILES of large ring systems of any size, for the tests and benchmarks of coordinate
// construction: chains of rings joined by single bonds, chains of benzene rings joined by
// ethylene bridges, and flat flakes of fused benzene rings.
//
//   kvtest::cyclohexaneChainSmiles(2)   // "C1CCC(CC1)C1CCC(CC1)", bicyclohexyl
//   kvtest::grapheneFlakeSmiles(4, 7)   // C28H14, eight fused rings

#include <string>
#include <utility>
#include <vector>

namespace kvtest {

// Cyclohexanes joined 1,4 by single bonds: C(6n)H(10n+2).
inline std::string cyclohexaneChainSmiles(int rings) {
  std::string smiles;
  for (int i = 0; i < rings; ++i) smiles += "C1CCC(CC1)";
  return smiles;
}

// Poly(p-xylylene), -[CH2-C6H4-CH2]-, of n benzene rings, a hydrogen on each end: C(8n)H(8n+2).
inline std::string xylyleneChainSmiles(int rings) {
  std::string smiles;
  for (int i = 0; i < rings; ++i) smiles += "Cc1ccc(cc1)C";
  return smiles;
}

// A graph of aromatic carbons as SMILES: a depth-first walk from atom 0 over the neighbours in
// their listed order, every bond the walk does not take written as a ring closure. Empty when
// the graph is not connected or needs more than 99 ring closures open at once.
inline std::string aromaticCarbonSmiles(const std::vector<std::vector<int> >& neighbours) {
  const int n = static_cast<int>(neighbours.size());
  if (n == 0) return std::string();
  // The walk: parent and children of every atom, children in the order they were found.
  std::vector<int> parent(n, -2);
  std::vector<std::vector<int> > children(n);
  std::vector<std::pair<int, size_t> > walk{{0, 0}};
  parent[0] = -1;
  int reached = 1;
  while (!walk.empty()) {
    const int atom = walk.back().first;
    const size_t next = walk.back().second++;
    if (next == neighbours[atom].size()) {
      walk.pop_back();
      continue;
    }
    const int other = neighbours[atom][next];
    if (parent[other] != -2) continue;
    parent[other] = atom;
    children[atom].push_back(other);
    walk.push_back({other, 0});
    ++reached;
  }
  if (reached != n) return std::string();

  // Written in the order of the walk; a closure opens at the end written first.
  std::vector<bool> written(n, false);
  std::vector<std::vector<std::pair<int, int> > > pending(n);   // (far atom, digit)
  std::vector<bool> digitInUse(100, false);
  std::string smiles;
  bool overflow = false;
  auto writeAtom = [&](int atom) {
    smiles += 'c';
    std::vector<int> freed;
    for (int other : neighbours[atom]) {
      if (other == parent[atom] || parent[other] == atom) continue;
      int digit = -1;
      if (written[other]) {
        for (const std::pair<int, int>& open : pending[other])
          if (open.first == atom) digit = open.second;
        freed.push_back(digit);
      } else {
        for (int d = 1; d < 100 && digit < 0; ++d)
          if (!digitInUse[d]) digit = d;
        if (digit < 0) {
          overflow = true;
          return;
        }
        digitInUse[digit] = true;
        pending[atom].push_back({other, digit});
      }
      smiles += digit < 10 ? std::to_string(digit) : "%" + std::to_string(digit);
    }
    for (int digit : freed) digitInUse[digit] = false;
    written[atom] = true;
  };
  // Each frame: an atom, the next of its children to write, and whether a branch closes after it.
  struct Frame {
    int atom;
    size_t next;
    bool inBranch;
  };
  std::vector<Frame> frames{{0, 0, false}};
  writeAtom(0);
  while (!frames.empty() && !overflow) {
    Frame& frame = frames.back();
    const std::vector<int>& kids = children[frame.atom];
    if (frame.next == kids.size()) {
      if (frame.inBranch) smiles += ')';
      frames.pop_back();
      continue;
    }
    const int child = kids[frame.next++];
    const bool branch = frame.next < kids.size();
    if (branch) smiles += '(';
    frames.push_back({child, 0, branch});
    writeAtom(child);
  }
  return overflow ? std::string() : smiles;
}

// A flat flake of fused benzene rings: `rows` zigzag rows of `columns` carbons, neighbours in a
// row bonded, and carbon j of row r bonded to carbon j of row r + 1 when r + j is even (the
// honeycomb drawn as a brick wall). With an even number of rows and an odd number of columns
// every carbon has two or three carbon neighbours, and a hydrogen on every carbon of the edge:
// rows x columns carbons in rows - 1 rows of rings, alternately (columns - 1) / 2 and
// (columns - 3) / 2 rings long.
inline std::string grapheneFlakeSmiles(int rows, int columns) {
  if (rows < 2 || columns < 3) return std::string();
  std::vector<std::vector<int> > neighbours(static_cast<size_t>(rows) * columns);
  auto id = [columns](int r, int j) { return r * columns + j; };
  auto join = [&neighbours](int a, int b) {
    neighbours[a].push_back(b);
    neighbours[b].push_back(a);
  };
  for (int r = 0; r < rows; ++r)
    for (int j = 0; j < columns; ++j) {
      if (j + 1 < columns) join(id(r, j), id(r, j + 1));
      if (r + 1 < rows && (r + j) % 2 == 0) join(id(r, j), id(r + 1, j));
    }
  return aromaticCarbonSmiles(neighbours);
}

}  // namespace kvtest
