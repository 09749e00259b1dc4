#include "io/SmilesStereo.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <string>
#include <tuple>
#include <unordered_set>
#include <utility>

#include "io/SmilesWriter.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

struct Vec {
  double x, y, z;
};
Vec operator-(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(const Vec& a, const Vec& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(const Vec& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(const Vec& a, const Vec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec at(const Atom* a) { return {a->position.x, a->position.y, a->position.z}; }
Vec unit(const Vec& v) {
  const double n = std::sqrt(dot(v, v));
  return n > 0.0 ? v * (1.0 / n) : v;
}

bool isAromaticBond(const Bond* b) { return b->order == 9 || b->isAromatic; }

Atom* otherEnd(const Bond* b, const Atom* a) { return b->atom1 == a ? b->atom2 : b->atom1; }

// Ranks of descriptions: equal descriptions share a rank, ranks count from 0 in sorted order.
template <typename T>
std::vector<int> ranks(const std::vector<T>& descriptions) {
  std::vector<size_t> order(descriptions.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return descriptions[a] < descriptions[b]; });
  std::vector<int> rank(descriptions.size(), 0);
  int r = 0;
  for (size_t k = 0; k < order.size(); ++k) {
    if (k > 0 && descriptions[order[k - 1]] < descriptions[order[k]]) ++r;
    rank[order[k]] = r;
  }
  return rank;
}

// Rounds of refinement at most: substituents that differ only farther out than this many bonds
// count as alike. Bounds the work on long chains and proteins, where every round sorts all atoms.
constexpr int kMaxRefinements = 40;

int countClasses(const std::vector<int>& classes) {
  return classes.empty() ? 0 : *std::max_element(classes.begin(), classes.end()) + 1;
}

// Bonds that lie on no cycle, found in one depth-first walk (low links), by bond position.
std::vector<bool> bridges(const Molecule& m, const std::unordered_map<const Atom*, size_t>& atomAt,
                          const std::unordered_map<const Bond*, size_t>& bondAt) {
  const size_t n = m.atoms.size();
  std::vector<bool> bridge(m.bonds.size(), false);
  std::vector<int> entry(n, -1), low(n, 0);
  int clock = 0;
  struct Frame {
    size_t atom;
    const Bond* via;
    size_t next;
  };
  for (size_t start = 0; start < n; ++start) {
    if (entry[start] >= 0) continue;
    std::vector<Frame> stack{{start, nullptr, 0}};
    entry[start] = low[start] = clock++;
    while (!stack.empty()) {
      Frame& f = stack.back();
      const Atom* a = m.atoms[f.atom];
      if (f.next < a->bonds.size()) {
        const Bond* b = a->bonds[f.next++];
        if (b == f.via) continue;
        const auto o = atomAt.find(otherEnd(b, a));
        if (o == atomAt.end()) continue;
        const size_t v = o->second;
        if (entry[v] < 0) {
          entry[v] = low[v] = clock++;
          stack.push_back({v, b, 0});
        } else {
          low[f.atom] = std::min(low[f.atom], entry[v]);
        }
        continue;
      }
      const Frame done = f;
      stack.pop_back();
      if (stack.empty()) break;
      const size_t parent = stack.back().atom;
      low[parent] = std::min(low[parent], low[done.atom]);
      if (low[done.atom] > entry[parent]) {
        const auto bi = bondAt.find(done.via);
        if (bi != bondAt.end()) bridge[bi->second] = true;
      }
    }
  }
  return bridge;
}

// True when the two ends of a bond are joined by another path of at most `edges` bonds.
bool shortCycleThrough(const Bond* b, int edges) {
  std::vector<const Atom*> frontier{b->atom1}, seen{b->atom1};
  for (int depth = 0; depth < edges && !frontier.empty(); ++depth) {
    std::vector<const Atom*> next;
    for (const Atom* a : frontier)
      for (const Bond* c : a->bonds) {
        if (c == b) continue;
        const Atom* o = otherEnd(c, a);
        if (o == b->atom2) return true;
        if (std::find(seen.begin(), seen.end(), o) != seen.end()) continue;
        seen.push_back(o);
        next.push_back(o);
      }
    frontier.swap(next);
  }
  return false;
}

}   // namespace

int tetrahedralSense(const double p[4][3]) {
  const Vec p0{p[0][0], p[0][1], p[0][2]};
  const Vec a = Vec{p[1][0], p[1][1], p[1][2]} - p0;
  const Vec b = Vec{p[2][0], p[2][1], p[2][2]} - p0;
  const Vec c = Vec{p[3][0], p[3][1], p[3][2]} - p0;
  const double volume = dot(a, cross(b, c));
  if (std::fabs(volume) < 1e-9) return 0;
  return volume < 0.0 ? 1 : -1;   // anticlockwise from the first point gives a negative volume
}

std::vector<int> symmetryClasses(const Molecule& m) {
  std::unordered_map<const Atom*, size_t> atomAt;
  for (size_t i = 0; i < m.atoms.size(); ++i) atomAt[m.atoms[i]] = i;
  std::vector<std::tuple<std::string, int, int, size_t, bool>> first;
  for (const Atom* a : m.atoms)
    first.emplace_back(a->element, a->charge, a->isotope, a->bonds.size(), a->isAromatic);
  std::vector<int> classes = ranks(first);
  for (int round = 0; round < kMaxRefinements; ++round) {
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> described;
    for (const Atom* a : m.atoms) {
      std::vector<std::pair<int, int>> around;
      for (const Bond* b : a->bonds) {
        const auto o = atomAt.find(otherEnd(b, a));
        if (o != atomAt.end())
          around.emplace_back(isAromaticBond(b) ? 9 : b->order, classes[o->second]);
      }
      std::sort(around.begin(), around.end());
      described.emplace_back(classes[atomAt.at(a)], around);
    }
    std::vector<int> refined = ranks(described);
    const bool same = countClasses(refined) == countClasses(classes);
    classes.swap(refined);
    if (same) break;
  }
  return classes;
}

SmilesStereo::SmilesStereo(const Molecule& molecule) : mol(molecule) {
  std::unordered_map<const Atom*, size_t> atomAt;
  std::unordered_map<const Bond*, size_t> bondAt;
  for (size_t i = 0; i < mol.atoms.size(); ++i) atomAt[mol.atoms[i]] = i;
  for (size_t i = 0; i < mol.bonds.size(); ++i) bondAt[mol.bonds[i]] = i;

  // Atoms and double bonds of the right shape, before any classes: an atom with two hydrogens,
  // and a double-bond end with two, never qualify. Most large molecules without stereo (long
  // chains) end here.
  auto hydrogens = [](const Atom* a) {
    int count = 0;
    for (const Bond* b : a->bonds) {
      const Atom* o = otherEnd(b, a);
      if (o != nullptr && o->element == "H" && o->bonds.size() == 1) ++count;
    }
    return count;
  };
  std::vector<std::pair<const Atom*, bool>> shapedCentres;   // with the lone-pair flag
  for (const Atom* a : mol.atoms) {
    const size_t n = a->bonds.size();
    const bool allSingle = std::all_of(a->bonds.begin(), a->bonds.end(), [](const Bond* b) {
      return b->order == 1 && !b->isAromatic;
    });
    const bool anyAromatic = std::any_of(a->bonds.begin(), a->bonds.end(), isAromaticBond);
    bool lonePair = false;
    bool fits = false;
    if (a->element == "C") {
      fits = n == 4 && allSingle && a->charge == 0;
    } else if (a->element == "N") {
      fits = n == 4 && allSingle && a->charge == 1;
    } else if (a->element == "P" || a->element == "S") {
      fits = !anyAromatic && (n == 4 || (n == 3 && (a->element == "S" || allSingle)));
      lonePair = n == 3;
      if (n == 4 && a->charge != 0) fits = false;
    }
    if (fits && hydrogens(a) <= 1) shapedCentres.emplace_back(a, lonePair);
  }
  auto endShaped = [&](const Atom* end, const Bond* db) {
    if (end->element != "C" && end->element != "N") return false;
    size_t others = 0;
    for (const Bond* b : end->bonds) {
      if (b == db) continue;
      if (b->order != 1 || isAromaticBond(b)) return false;
      ++others;
    }
    return others >= 1 && others <= 2 && hydrogens(end) <= 1;
  };
  std::vector<const Bond*> shapedDoubles;
  for (const Bond* b : mol.bonds) {
    if (b->order != 2 || isAromaticBond(b) || b->atom1 == nullptr || b->atom2 == nullptr) continue;
    if (endShaped(b->atom1, b) && endShaped(b->atom2, b)) shapedDoubles.push_back(b);
  }
  if (shapedCentres.empty() && shapedDoubles.empty()) return;

  const std::vector<int> classes = symmetryClasses(mol);
  const std::vector<bool> bridge = bridges(mol, atomAt, bondAt);
  auto classOf = [&](const Atom* a) {
    const auto i = atomAt.find(a);
    return i == atomAt.end() ? -1 : classes[i->second];
  };
  auto isRingBond = [&](const Bond* b) {
    const auto i = bondAt.find(b);
    return i != bondAt.end() && !bridge[i->second];
  };

  // Ring systems: atoms joined by ring bonds share a root.
  std::vector<size_t> root(mol.atoms.size());
  std::iota(root.begin(), root.end(), size_t{0});
  std::function<size_t(size_t)> find = [&](size_t i) {
    return root[i] == i ? i : root[i] = find(root[i]);
  };
  for (const Bond* b : mol.bonds)
    if (isRingBond(b) && atomAt.count(b->atom1) && atomAt.count(b->atom2))
      root[find(atomAt[b->atom1])] = find(atomAt[b->atom2]);

  // Centres. One whose only equal pair is two ring neighbours (the ring carbons of
  // 1,4-dimethylcyclohexane) has a hand only against another such centre of its ring system.
  std::unordered_map<size_t, std::vector<const Atom*>> ringCandidates;
  for (const auto& shaped : shapedCentres) {
    const Atom* a = shaped.first;
    const bool lonePair = shaped.second;
    std::vector<int> around;
    for (const Bond* b : a->bonds) around.push_back(classOf(otherEnd(b, a)));
    std::vector<int> sorted = around;
    std::sort(sorted.begin(), sorted.end());
    const auto firstEqual = std::adjacent_find(sorted.begin(), sorted.end());
    if (firstEqual == sorted.end()) {
      centres[a] = lonePair;
      continue;
    }
    // One equal pair only, both reached through ring bonds.
    if (lonePair || std::adjacent_find(firstEqual + 1, sorted.end()) != sorted.end() ||
        std::count(sorted.begin(), sorted.end(), *firstEqual) != 2)
      continue;
    int ringPair = 0;
    for (const Bond* b : a->bonds)
      if (classOf(otherEnd(b, a)) == *firstEqual && isRingBond(b)) ++ringPair;
    if (ringPair == 2) ringCandidates[find(atomAt.at(a))].push_back(a);
  }
  for (const auto& system : ringCandidates)
    if (system.second.size() >= 2)
      for (const Atom* a : system.second) centres[a] = false;

  // Double bonds: not aromatic, ends of C or N with one or two other neighbours over single
  // bonds, two neighbours of an end differing, not in a ring of fewer than eight atoms.
  auto endFits = [&](const Atom* end, const Bond* db) {
    std::vector<int> others;
    for (const Bond* b : end->bonds)
      if (b != db) others.push_back(classOf(otherEnd(b, end)));
    return others.size() == 1 || others[0] != others[1];
  };
  for (const Bond* b : shapedDoubles) {
    if (!endFits(b->atom1, b) || !endFits(b->atom2, b)) continue;
    if (isRingBond(b) && shortCycleThrough(b, 6)) continue;
    doubleBonds.push_back(b);
  }
}

bool SmilesStereo::hasLonePair(const Atom* atom) const {
  const auto c = centres.find(atom);
  return c != centres.end() && c->second;
}

const char* SmilesStereo::chirality(const Atom* centre,
                                    const std::vector<const Atom*>& order) const {
  const auto c = centres.find(centre);
  if (c == centres.end() || order.size() != 4) return "";
  const Vec middle = at(centre);
  Vec lone = middle;
  if (c->second) {
    Vec sum{0.0, 0.0, 0.0};
    for (const Bond* b : centre->bonds) sum = sum + unit(at(otherEnd(b, centre)) - middle);
    lone = middle - unit(sum);
  }
  double p[4][3];
  int lonePlaces = 0;
  for (size_t k = 0; k < 4; ++k) {
    const Atom* a = order[k];
    if (a == nullptr) ++lonePlaces;
    const Vec v = a == nullptr ? lone : at(a);
    p[k][0] = v.x;
    p[k][1] = v.y;
    p[k][2] = v.z;
  }
  if (lonePlaces != (c->second ? 1 : 0)) return "";
  const int sense = tetrahedralSense(p);
  if (sense == 0) return "";
  return sense > 0 ? "@" : "@@";
}

void SmilesStereo::assignDirections(const std::vector<const Bond*>& markable) {
  upOfSecond.clear();
  if (doubleBonds.empty()) return;
  const std::unordered_set<const Bond*> inTree(markable.begin(), markable.end());
  std::unordered_set<const Atom*> doubleEnds;
  for (const Bond* d : doubleBonds) {
    doubleEnds.insert(d->atom1);
    doubleEnds.insert(d->atom2);
  }
  auto isMarkable = [&](const Bond* b) {
    return b->order == 1 && !isAromaticBond(b) && inTree.count(b) != 0;
  };
  auto isDoubleEnd = [&](const Atom* a) { return doubleEnds.count(a) != 0; };
  // Whether the far end of a marked bond lies up from `end`.
  auto upFrom = [&](const Bond* b, const Atom* end) {
    const bool second = upOfSecond.at(b);
    return b->atom1 == end ? second : !second;
  };
  auto setUp = [&](const Bond* b, const Atom* end, bool up) {
    upOfSecond[b] = b->atom1 == end ? up : !up;
  };
  auto pick = [&](const std::vector<const Bond*>& bonds) {
    for (const Bond* b : bonds)
      if (upOfSecond.count(b)) return b;
    return bonds.front();
  };
  for (const Bond* d : doubleBonds) {
    const Atom* x = d->atom1;
    const Atom* y = d->atom2;
    std::vector<const Bond*> atX, atY;
    for (const Bond* b : x->bonds)
      if (b != d && isMarkable(b)) atX.push_back(b);
    for (const Bond* b : y->bonds)
      if (b != d && isMarkable(b)) atY.push_back(b);
    if (atX.empty() || atY.empty()) continue;
    const Bond* refX = pick(atX);
    const Bond* refY = pick(atY);
    const Atom* a = otherEnd(refX, x);
    const Atom* b = otherEnd(refY, y);
    const Vec axis = unit(at(y) - at(x));
    Vec va = at(a) - at(x);
    Vec vb = at(b) - at(y);
    va = va - axis * dot(va, axis);
    vb = vb - axis * dot(vb, axis);
    const bool cis = dot(va, vb) > 0.0;
    bool upA = true;
    if (upOfSecond.count(refX))
      upA = upFrom(refX, x);
    else if (upOfSecond.count(refY))
      upA = cis ? upFrom(refY, y) : !upFrom(refY, y);
    const bool upB = cis ? upA : !upA;
    if (upOfSecond.count(refY) && upFrom(refY, y) != upB) continue;   // a conflict: left as is
    if (!upOfSecond.count(refX)) setUp(refX, x, upA);
    if (!upOfSecond.count(refY)) setUp(refY, y, upB);
    // The other neighbour of an end that is itself on a stereo double bond takes the opposite
    // side now, so that the double bond next along the chain starts from this frame.
    for (const Bond* o : atX)
      if (o != refX && !upOfSecond.count(o) && isDoubleEnd(otherEnd(o, x))) setUp(o, x, !upA);
    for (const Bond* o : atY)
      if (o != refY && !upOfSecond.count(o) && isDoubleEnd(otherEnd(o, y))) setUp(o, y, !upB);
  }
}

char SmilesStereo::direction(const Bond* bond, const Atom* first) const {
  const auto d = upOfSecond.find(bond);
  if (d == upOfSecond.end()) return 0;
  const bool upOfOther = bond->atom1 == first ? d->second : !d->second;
  return upOfOther ? '/' : '\\';
}
