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

bool isAromaticBond(const Bond* b) { return b->order == kAromaticOrder || b->isAromatic; }

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

namespace {

// Classes refined by the classes around each atom and the kinds of bonds to them, until no
// class splits. A refinement keeps the order of the classes it starts from: it only splits them.
std::vector<int> refineClasses(const Molecule& m,
                               const std::unordered_map<const Atom*, size_t>& atomAt,
                               std::vector<int> classes) {
  for (int round = 0; round < kMaxRefinements; ++round) {
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> described;
    for (const Atom* a : m.atoms) {
      std::vector<std::pair<int, int>> around;
      for (const Bond* b : a->bonds) {
        const auto o = atomAt.find(otherEnd(b, a));
        if (o != atomAt.end())
          around.emplace_back(isAromaticBond(b) ? kAromaticOrder : b->order, classes[o->second]);
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

// The sense of a centre's neighbours in the given order, as tetrahedralSense gives it; a null
// entry stands for the lone pair, opposite the mean direction of the bonds.
int handSense(const Atom* centre, const std::vector<const Atom*>& order) {
  if (order.size() != 4) return 0;
  const Vec middle = at(centre);
  Vec sum{0.0, 0.0, 0.0};
  for (const Bond* b : centre->bonds) sum = sum + unit(at(otherEnd(b, centre)) - middle);
  const Vec lone = middle - unit(sum);
  double p[4][3];
  for (size_t k = 0; k < 4; ++k) {
    const Vec v = order[k] == nullptr ? lone : at(order[k]);
    p[k][0] = v.x;
    p[k][1] = v.y;
    p[k][2] = v.z;
  }
  return tetrahedralSense(p);
}

// Whether the two neighbours of a double bond lie on the same side of it.
bool onSameSide(const Bond* d, const Atom* nearFirst, const Atom* nearSecond) {
  const Vec axis = unit(at(d->atom2) - at(d->atom1));
  Vec va = at(nearFirst) - at(d->atom1);
  Vec vb = at(nearSecond) - at(d->atom2);
  va = va - axis * dot(va, axis);
  vb = vb - axis * dot(vb, axis);
  return dot(va, vb) > 0.0;
}

// Rounds in which centres and double bonds whose equal-looking branches differ only in their
// own stereo (the middle carbon of a meso pentane-2,3,4-triol) are added; each round adds the
// next level of such nesting.
constexpr int kMaxStereoRounds = 4;

}   // namespace

std::vector<int> symmetryClasses(const Molecule& m) {
  std::unordered_map<const Atom*, size_t> atomAt;
  for (size_t i = 0; i < m.atoms.size(); ++i) atomAt[m.atoms[i]] = i;
  std::vector<std::tuple<std::string, int, int, size_t, bool>> first;
  for (const Atom* a : m.atoms)
    first.emplace_back(a->element, a->charge, a->isotope, a->bonds.size(), a->isAromatic);
  return refineClasses(m, atomAt, ranks(first));
}

SmilesStereo::SmilesStereo(const Molecule& molecule) : mol(molecule) {
  for (size_t i = 0; i < mol.atoms.size(); ++i) atomAt[mol.atoms[i]] = i;
  for (size_t i = 0; i < mol.bonds.size(); ++i) bondAt[mol.bonds[i]] = i;
  findShapes();
  // Most large molecules without stereo (long chains) end here, before any classes.
  if (shapedCentres.empty() && shapedDoubles.empty()) return;

  const std::vector<int> classes = symmetryClasses(mol);
  bridge = bridges(mol, atomAt, bondAt);
  findRingSystems();
  addCentres(classes, true);
  addDoubleBonds(classes);
  addStereoDistinct(classes);
}

// Atoms and double bonds of the right shape: an atom with two hydrogens, and a double-bond end
// with two, never qualify.
void SmilesStereo::findShapes() {
  auto hydrogens = [](const Atom* a) {
    int count = 0;
    for (const Bond* b : a->bonds) {
      const Atom* o = otherEnd(b, a);
      if (o != nullptr && o->element == "H" && o->bonds.size() == 1) ++count;
    }
    return count;
  };
  for (const Atom* a : mol.atoms) {
    const size_t n = a->bonds.size();
    const bool allSingle = std::all_of(a->bonds.begin(), a->bonds.end(), [](const Bond* b) {
      return b->order == 1 && !b->isAromatic;
    });
    const bool anyAromatic = std::any_of(a->bonds.begin(), a->bonds.end(), isAromaticBond);
    const std::string& e = a->element;
    // Sulfur and selenium keep a lone pair with three neighbours whatever their double bonds
    // (sulfoxide, selenoxide, sulfinamide, sulfonium); phosphorus and arsenic only as phosphines
    // and arsines.
    const bool chalcogen = e == "S" || e == "Se";
    const bool pnictogen = e == "P" || e == "As";
    bool lonePair = false;
    bool fits = false;
    if (e == "C") {
      fits = n == 4 && allSingle && a->charge == 0;
    } else if (e == "N") {
      fits = n == 4 && allSingle && a->charge == 1;
    } else if (chalcogen || pnictogen) {
      fits = !anyAromatic && (n == 4 || (n == 3 && (chalcogen || allSingle)));
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
  for (const Bond* b : mol.bonds) {
    if (b->order != 2 || isAromaticBond(b) || b->atom1 == nullptr || b->atom2 == nullptr) continue;
    if (endShaped(b->atom1, b) && endShaped(b->atom2, b)) shapedDoubles.push_back(b);
  }
}

// Ring systems: atoms joined by ring bonds share a root.
void SmilesStereo::findRingSystems() {
  systemOf.resize(mol.atoms.size());
  std::iota(systemOf.begin(), systemOf.end(), size_t{0});
  std::function<size_t(size_t)> find = [&](size_t i) {
    return systemOf[i] == i ? i : systemOf[i] = find(systemOf[i]);
  };
  for (const Bond* b : mol.bonds)
    if (isRingBond(b) && atomAt.count(b->atom1) && atomAt.count(b->atom2))
      systemOf[find(atomAt[b->atom1])] = find(atomAt[b->atom2]);
  for (size_t i = 0; i < systemOf.size(); ++i) systemOf[i] = find(i);
}

int SmilesStereo::classIn(const std::vector<int>& classes, const Atom* a) const {
  const auto i = atomAt.find(a);
  return i == atomAt.end() ? -1 : classes[i->second];
}

bool SmilesStereo::isRingBond(const Bond* b) const {
  const auto i = bondAt.find(b);
  return i != bondAt.end() && !bridge[i->second];
}

bool SmilesStereo::addCentres(const std::vector<int>& classes, bool withRingPairs) {
  auto classOf = [&](const Atom* a) { return classIn(classes, a); };
  bool added = false;
  // A centre whose only equal pair is two ring neighbours (the ring carbons of
  // 1,4-dimethylcyclohexane) has a hand only against another such centre of its ring system.
  std::unordered_map<size_t, std::vector<const Atom*>> ringCandidates;
  for (const auto& shaped : shapedCentres) {
    const Atom* a = shaped.first;
    const bool lonePair = shaped.second;
    if (centres.count(a) != 0) continue;
    std::vector<int> sorted;
    for (const Bond* b : a->bonds) sorted.push_back(classOf(otherEnd(b, a)));
    std::sort(sorted.begin(), sorted.end());
    const auto firstEqual = std::adjacent_find(sorted.begin(), sorted.end());
    if (firstEqual == sorted.end()) {
      centres[a] = lonePair;
      added = true;
      continue;
    }
    // One equal pair only, both reached through ring bonds.
    if (!withRingPairs || lonePair ||
        std::adjacent_find(firstEqual + 1, sorted.end()) != sorted.end() ||
        std::count(sorted.begin(), sorted.end(), *firstEqual) != 2)
      continue;
    int ringPair = 0;
    for (const Bond* b : a->bonds)
      if (classOf(otherEnd(b, a)) == *firstEqual && isRingBond(b)) ++ringPair;
    if (ringPair == 2) ringCandidates[systemOf[atomAt.at(a)]].push_back(a);
  }
  for (const auto& system : ringCandidates)
    if (system.second.size() >= 2)
      for (const Atom* a : system.second) centres[a] = false;
  return added;
}

// Double bonds: not aromatic, ends of C or N with one or two other neighbours over single
// bonds, two neighbours of an end differing, not in a ring of fewer than eight atoms.
bool SmilesStereo::addDoubleBonds(const std::vector<int>& classes) {
  auto classOf = [&](const Atom* a) { return classIn(classes, a); };
  auto endFits = [&](const Atom* end, const Bond* db) {
    std::vector<int> others;
    for (const Bond* b : end->bonds)
      if (b != db) others.push_back(classOf(otherEnd(b, end)));
    return others.size() == 1 || others[0] != others[1];
  };
  bool added = false;
  for (const Bond* b : shapedDoubles) {
    if (std::find(doubleBonds.begin(), doubleBonds.end(), b) != doubleBonds.end()) continue;
    if (!endFits(b->atom1, b) || !endFits(b->atom2, b)) continue;
    if (isRingBond(b) && shortCycleThrough(b, 6)) continue;
    doubleBonds.push_back(b);
    added = true;
  }
  // Kept in bond-list order, the order the marks are given in.
  std::sort(doubleBonds.begin(), doubleBonds.end(),
            [&](const Bond* x, const Bond* y) { return bondAt.at(x) < bondAt.at(y); });
  return added;
}

// Centres and double bonds whose two equal-looking neighbours differ in their own stereo: the
// classes are split by the hands of the centres and the sides of the double bonds found so far,
// and what then has all its neighbours different joins them. So the middle carbon of
// C[C@@H](O)[C@H](O)[C@H](C)O (meso, pseudo-asymmetric) carries a hand, and that of
// C[C@@H](O)[C@H](O)[C@@H](C)O (chiral, its branches alike) does not.
void SmilesStereo::addStereoDistinct(std::vector<int> classes) {
  for (int round = 0; round < kMaxStereoRounds; ++round) {
    std::vector<std::pair<int, int>> described;
    for (size_t i = 0; i < mol.atoms.size(); ++i) described.emplace_back(classes[i], 0);
    auto byClass = [&](const Atom* a, const Atom* b) {
      return classes[atomAt.at(a)] < classes[atomAt.at(b)];
    };
    for (const auto& centre : centres) {
      std::vector<const Atom*> order;
      for (const Bond* b : centre.first->bonds) order.push_back(otherEnd(b, centre.first));
      std::sort(order.begin(), order.end(), byClass);
      if (std::adjacent_find(order.begin(), order.end(), [&](const Atom* a, const Atom* b) {
            return !byClass(a, b);
          }) != order.end())
        continue;   // a ring centre with its equal pair: no order of its own
      if (centre.second) order.insert(order.begin(), nullptr);
      described[atomAt.at(centre.first)].second = handSense(centre.first, order);
    }
    for (const Bond* d : doubleBonds) {
      const Atom* highest[2] = {nullptr, nullptr};
      const Atom* ends[2] = {d->atom1, d->atom2};
      for (int e = 0; e < 2; ++e)
        for (const Bond* b : ends[e]->bonds) {
          const Atom* o = otherEnd(b, ends[e]);
          if (b != d && (highest[e] == nullptr || byClass(highest[e], o))) highest[e] = o;
        }
      if (highest[0] == nullptr || highest[1] == nullptr) continue;
      const int side = onSameSide(d, highest[0], highest[1]) ? 1 : -1;
      described[atomAt.at(d->atom1)].second = side;
      described[atomAt.at(d->atom2)].second = side;
    }
    // No hand or side split a class: nothing new can differ (the common case).
    const std::vector<int> seeded = ranks(described);
    if (countClasses(seeded) == countClasses(classes)) return;
    const std::vector<int> refined = refineClasses(mol, atomAt, seeded);
    const bool newCentres = addCentres(refined, false);
    const bool newDoubles = addDoubleBonds(refined);
    if (!newCentres && !newDoubles) return;
    classes = refined;
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
  const long lonePlaces = std::count(order.begin(), order.end(), nullptr);
  if (lonePlaces != (c->second ? 1 : 0)) return "";
  const int sense = handSense(centre, order);
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
    const bool cis = onSameSide(d, otherEnd(refX, x), otherEnd(refY, y));
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
