// Smallest-ring perception: peel chains and metals off the graph, search the smallest rings
// through every bond of the remaining core breadth-first, keep each cycle once, then decide
// which rings are aromatic.

#include <algorithm>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

struct Neighbour {
  int atom;   // list position of the atom at the other end
  int bond;   // list position of the bond
};

// The bond graph by list positions, each atom's neighbours in its bond order. A bond whose end
// is not in the molecule's lists is left out, so a half-built graph cannot send the search
// outside the arrays.
class RingGraph {
 public:
  explicit RingGraph(const Molecule& m) : adjacency(m.atoms.size()) {
    std::unordered_map<const Atom*, int> atomIndex;
    std::unordered_map<const Bond*, int> bondIndex;
    atomIndex.reserve(m.atoms.size());
    bondIndex.reserve(m.bonds.size());
    for (size_t i = 0; i < m.atoms.size(); ++i) atomIndex.emplace(m.atoms[i], static_cast<int>(i));
    for (size_t i = 0; i < m.bonds.size(); ++i) bondIndex.emplace(m.bonds[i], static_cast<int>(i));
    for (size_t i = 0; i < m.atoms.size(); ++i) {
      for (Bond* b : m.atoms[i]->bonds) {
        const auto other = atomIndex.find(m.atoms[i]->getAdjacentAtom(b));
        const auto bond = bondIndex.find(b);
        if (other == atomIndex.end() || bond == bondIndex.end()) continue;
        adjacency[i].push_back({other->second, bond->second});
      }
    }
    parent.assign(m.atoms.size(), -1);
    visited.assign(m.atoms.size(), 0);
    markBridges(m.bonds.size());
  }

  int bondBetween(int a, int b) const {
    for (const Neighbour& n : adjacency[static_cast<size_t>(a)])
      if (n.atom == b) return n.bond;
    return -1;
  }

  // Breadth-first search per bond of start; only the first step may enter a peeled atom. Every
  // closing atom of the first level that reaches start again gives one ring. A bridge, a bond
  // on no cycle, leads nowhere back: without that rule a chain of phenyl rings searched the
  // whole chain beyond each ring's link, once per ring.
  void smallestRings(int start, const bool* peeled, std::vector<std::vector<int> >& found) {
    for (const Neighbour& first : adjacency[static_cast<size_t>(start)]) {
      if (bridge[static_cast<size_t>(first.bond)]) continue;
      // Only the entries the last search touched are reset: a full clear per bond would make
      // the perception quadratic in the atom count.
      for (int t : touched) {
        visited[static_cast<size_t>(t)] = 0;
        parent[static_cast<size_t>(t)] = -1;
      }
      touched.clear();
      mark(start);
      mark(first.atom);
      current.assign(1, first.atom);
      next.clear();
      size_t head = 0;
      bool closed = false;
      int level = 0;
      while (true) {
        if (head == current.size()) {
          if (closed) break;
          current.swap(next);
          next.clear();
          head = 0;
          ++level;
          if (current.empty()) break;
        }
        const int x = current[head++];
        for (const Neighbour& y : adjacency[static_cast<size_t>(x)]) {
          if (bridge[static_cast<size_t>(y.bond)]) continue;
          if (level > 0 && y.atom == start) {
            std::vector<int> ring;
            ring.reserve(static_cast<size_t>(level) + 2);
            int walk = x;
            for (int step = 0; step < level && walk >= 0; ++step) {
              ring.push_back(walk);
              walk = parent[static_cast<size_t>(walk)];
            }
            ring.push_back(first.atom);
            ring.push_back(start);
            found.push_back(ring);
            closed = true;
          } else if (!visited[static_cast<size_t>(y.atom)] && !peeled[y.atom]) {
            mark(y.atom);
            parent[static_cast<size_t>(y.atom)] = x;
            next.push_back(y.atom);
          }
        }
      }
    }
  }

  std::vector<std::vector<Neighbour> > adjacency;

 private:
  // Bridges by the depth-first numbering: the bond to a child is a bridge when nothing below
  // the child reaches back above it. Iterative, so that a chain of a hundred thousand atoms
  // needs no deep stack.
  void markBridges(size_t bondCount) {
    bridge.assign(bondCount, 0);
    const size_t n = adjacency.size();
    std::vector<int> order(n, -1), low(n, 0);
    struct Frame {
      int atom, viaBond;
      size_t next;
    };
    std::vector<Frame> stack;
    int counter = 0;
    for (size_t root = 0; root < n; ++root) {
      if (order[root] >= 0) continue;
      order[root] = low[root] = counter++;
      stack.push_back({static_cast<int>(root), -1, 0});
      while (!stack.empty()) {
        Frame& top = stack.back();
        const size_t a = static_cast<size_t>(top.atom);
        if (top.next < adjacency[a].size()) {
          const Neighbour& e = adjacency[a][top.next++];
          if (e.bond == top.viaBond) continue;
          const size_t b = static_cast<size_t>(e.atom);
          if (order[b] < 0) {
            order[b] = low[b] = counter++;
            stack.push_back({e.atom, e.bond, 0});
          } else {
            low[a] = std::min(low[a], order[b]);
          }
          continue;
        }
        const int via = top.viaBond;
        stack.pop_back();
        if (stack.empty()) continue;
        const size_t up = static_cast<size_t>(stack.back().atom);
        low[up] = std::min(low[up], low[a]);
        if (low[a] > order[up]) bridge[static_cast<size_t>(via)] = 1;
      }
    }
  }

  std::vector<char> bridge;   // by bond position
  void mark(int atom) {
    visited[static_cast<size_t>(atom)] = 1;
    touched.push_back(atom);
  }

  std::vector<int> parent;
  std::vector<char> visited;
  std::vector<int> touched;
  std::vector<int> current;
  std::vector<int> next;
};

// One spelling per cycle: rotated to its smallest id, read in the direction whose second id is
// smaller. Two candidates are the same cycle exactly when their spellings are equal.
std::vector<int> cycleKey(const std::vector<int>& ring) {
  const size_t n = ring.size();
  if (n == 0) return ring;
  const size_t p = static_cast<size_t>(std::min_element(ring.begin(), ring.end()) - ring.begin());
  const bool forward = ring[(p + 1) % n] <= ring[(p + n - 1) % n];
  std::vector<int> key(n);
  for (size_t i = 0; i < n; ++i) key[i] = forward ? ring[(p + i) % n] : ring[(p + n - i) % n];
  return key;
}

// For each core atom with exactly two core neighbours and no metal neighbour, the number of
// the path of such atoms it lies on (the first atom's index); -1 for any other atom. A metal
// is peeled but still entered as the first step of a search, so a search from its neighbour
// finds the rings through it, which the other atoms of the path do not.
std::vector<int> twoNeighbourPaths(const RingGraph& graph, const bool* peeled,
                                   const std::vector<int>& degree, const std::vector<char>& metal) {
  const size_t n = degree.size();
  auto onPath = [&](size_t a) {
    if (peeled[a] || degree[a] != 2) return false;
    for (const Neighbour& next : graph.adjacency[a])
      if (metal[static_cast<size_t>(next.atom)]) return false;
    return true;
  };
  std::vector<int> pathOf(n, -1);
  std::vector<int> stack;
  for (size_t first = 0; first < n; ++first) {
    if (!onPath(first) || pathOf[first] >= 0) continue;
    pathOf[first] = static_cast<int>(first);
    stack.assign(1, static_cast<int>(first));
    while (!stack.empty()) {
      const size_t a = static_cast<size_t>(stack.back());
      stack.pop_back();
      for (const Neighbour& next : graph.adjacency[a]) {
        const size_t b = static_cast<size_t>(next.atom);
        if (!onPath(b) || pathOf[b] >= 0) continue;
        pathOf[b] = static_cast<int>(first);
        stack.push_back(next.atom);
      }
    }
  }
  return pathOf;
}

}  // namespace

void Molecule::findAllSmallestRings() {
  for (Ring* r : rings) delete r;
  rings.clear();
  numRings = 0;

  RingGraph graph(*this);
  const size_t n = atoms.size();
  std::vector<int> degree(n);
  // std::vector<bool> has no contiguous storage to hand out as bool*.
  std::unique_ptr<bool[]> peeled(new bool[n > 0 ? n : 1]());
  std::vector<int> queue;
  queue.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    degree[i] = static_cast<int>(graph.adjacency[i].size());
    if (degree[i] == 1 || atoms[i]->isMetalAtom()) {
      peeled[i] = true;
      queue.push_back(static_cast<int>(i));
    }
  }
  for (size_t head = 0; head < queue.size(); ++head) {
    for (const Neighbour& nb : graph.adjacency[static_cast<size_t>(queue[head])]) {
      const size_t y = static_cast<size_t>(nb.atom);
      --degree[y];
      if (degree[y] < 2 && !peeled[y]) {
        peeled[y] = true;
        queue.push_back(nb.atom);
      }
    }
  }

  for (Atom* a : atoms) {
    a->ringIds.clear();
    a->inRing = false;
  }
  for (Bond* b : bonds) {
    b->ringIds.clear();
    b->inRing = false;
  }

  // Core atoms with two core neighbours form paths between branch atoms. A search from any
  // atom of a path runs along it to the branch atom at either end and goes on from there
  // alike, so every atom of a path finds the same rings: the first one searches for all. A
  // macrocycle of 80,000 atoms is then one search instead of 80,000 searches round it.
  std::vector<char> metal(n, 0);
  for (size_t i = 0; i < n; ++i) metal[i] = atoms[i]->isMetalAtom() ? 1 : 0;
  const std::vector<int> pathOf = twoNeighbourPaths(graph, peeled.get(), degree, metal);
  std::vector<char> pathSearched(n, 0);
  std::set<std::vector<int> > registered;
  std::vector<std::vector<int> > candidates;
  for (size_t i = 0; i < n; ++i) {
    if (peeled[i] || degree[i] <= 1 || atoms[i]->isMetalAtom()) continue;
    if (pathOf[i] >= 0) {
      if (pathSearched[static_cast<size_t>(pathOf[i])]) continue;
      pathSearched[static_cast<size_t>(pathOf[i])] = 1;
    }
    candidates.clear();
    graph.smallestRings(static_cast<int>(i), peeled.get(), candidates);
    for (const std::vector<int>& candidate : candidates) {
      if (!registered.insert(cycleKey(candidate)).second) continue;
      Ring* ring = new Ring();
      int piAtoms = 0;
      const size_t size = candidate.size();
      for (size_t k = 1; k <= size; ++k) {
        const int a = candidate[k - 1];
        const int bond = graph.bondBetween(a, candidate[k % size]);
        Atom* atom = atoms[static_cast<size_t>(a)];
        atom->inRing = true;
        ring->atomIds.push_back(a);
        if (bond >= 0) {
          bonds[static_cast<size_t>(bond)]->inRing = true;
          ring->bondIds.push_back(bond);
        }
        if (atom->piCount > 0) ++piAtoms;
      }
      ring->piAtomCount = piAtoms;
      addRing(ring, false);
    }
  }

  populatePiElectrons();
  for (Ring* r : rings) {
    if (!r->aromatic && r->atomIds.size() <= 9) r->checkAromaticityPi();
  }
  for (Atom* a : atoms) {
    a->isAromatic = std::any_of(a->ringIds.begin(), a->ringIds.end(), [this](int ringId) {
      return ringId >= 0 && static_cast<size_t>(ringId) < rings.size() && rings[static_cast<size_t>(ringId)]->aromatic;
    });
  }
}

void Molecule::findSmallestRingForAtom(Atom* start, bool* peeled,
                                       std::vector<std::vector<int> >& found) {
  if (start == nullptr || peeled == nullptr) return;
  const auto it = std::find(atoms.begin(), atoms.end(), start);
  if (it == atoms.end()) return;
  RingGraph graph(*this);
  graph.smallestRings(static_cast<int>(it - atoms.begin()), peeled, found);
}

bool Molecule::isNewRing(std::vector<int> ring) const {
  if (ring.empty()) return true;
  const size_t n = ring.size();
  for (const Ring* r : rings) {
    if (r->atomIds.size() != n) continue;
    const auto at = std::find(r->atomIds.begin(), r->atomIds.end(), ring[0]);
    if (at == r->atomIds.end()) continue;
    const size_t p = static_cast<size_t>(at - r->atomIds.begin());
    bool same = true;
    bool opposite = true;
    for (size_t i = 1; i < n && (same || opposite); ++i) {
      if (ring[i] != r->atomIds[(p + i) % n]) same = false;
      if (ring[i] != r->atomIds[(p + n - i) % n]) opposite = false;
    }
    if (same || opposite) return false;
  }
  return true;
}

namespace {

bool oxygenGroup(const std::string& e) { return e == "O" || e == "S" || e == "Se" || e == "Te"; }
bool nitrogenGroup(const std::string& e) { return e == "N" || e == "P" || e == "As"; }

// A ring atom whose lone pair can join the ring's pi system: neutral nitrogen or phosphorus with
// at most three single bonds, neutral oxygen or sulfur with at most two, an anionic nitrogen with
// two, an anionic carbon with three (cyclopentadienide).
bool hasLonePairForRing(const Atom* a) {
  const int bonds = static_cast<int>(a->bonds.size());
  if (a->charge == 0) return (nitrogenGroup(a->element) && bonds <= 3) || (oxygenGroup(a->element) && bonds <= 2);
  if (a->charge == -1) return (nitrogenGroup(a->element) && bonds <= 2) || (a->element == "C" && bonds <= 3);
  return false;
}

// Pi electrons of an atom already flagged aromatic by a reader or an earlier run. A lone-pair
// donor gives two: neutral nitrogen with three bonds (pyrrole NH), neutral oxygen and sulfur,
// the anions. A nitrogen with two bonds is pyridine-like (one) unless an earlier run found it to
// be a donor still waiting for its hydrogen; that can only be in a five-membered ring: a
// two-bond nitrogen of six-membered rings only is always pyridine-like, whatever a run on
// unfinished bond orders (a PDB ligand before its orders are repaired) left behind.
int aromaticPiElectrons(const Atom* a, bool onlySixRings) {
  const int bonds = static_cast<int>(a->bonds.size());
  if (a->element == "N" && a->charge == 0 && bonds == 2)
    return (a->piElectrons == 2 && !onlySixRings) ? 2 : 1;
  if (a->element == "N" && a->charge == 0) return bonds >= 3 ? 2 : 1;
  if (a->charge == 0 && oxygenGroup(a->element)) return 2;
  if (a->charge == -1 && (a->element == "N" || a->element == "C")) return 2;
  if (a->charge == 1 && a->element == "C") return 0;
  return 1;
}

}  // namespace

void Molecule::populatePiElectrons() {
  for (Atom* a : atoms) {
    if (a->isAromatic) {
      bool onlySixRings = !a->ringIds.empty();
      for (int ringId : a->ringIds)
        if (ringId < 0 || static_cast<size_t>(ringId) >= rings.size() ||
            rings[static_cast<size_t>(ringId)]->atomIds.size() != 6)
          onlySixRings = false;
      a->piElectrons = aromaticPiElectrons(a, onlySixRings);
      continue;
    }
    int sum = 0;
    bool aromaticBond = false;
    for (const Bond* b : a->bonds) {
      if (b->order > 3) {
        sum = 1;
        aromaticBond = true;
        break;
      }
      if (b->order == 2 || b->order == 3) sum += b->order - 1;
    }
    // Only a ring atom can give its lone pair to a ring.
    if (sum == 0 && !aromaticBond && a->inRing && hasLonePairForRing(a)) sum = 2;
    a->piElectrons = sum;
  }
}
