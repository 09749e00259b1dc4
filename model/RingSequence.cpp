// Atom-id sequences against rings: find a short sequence in a ring either way round, rotate a
// ring list to start at it, extend a sequence of placed atoms along a ring, and a few
// predicates on id lists. Ring lists are read cyclically.

#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

// Position at which `sequence` runs forward through the cyclic `ring`, or -1.
int forwardPosition(const std::vector<int>& sequence, const std::vector<int>& ring) {
  const size_t n = ring.size();
  if (sequence.empty() || n == 0) return -1;
  for (size_t p = 0; p < n; ++p) {
    if (ring[p] != sequence[0]) continue;
    bool all = true;
    for (size_t i = 1; i < sequence.size() && all; ++i) all = ring[(p + i) % n] == sequence[i];
    if (all) return static_cast<int>(p);
  }
  return -1;
}

int wrap(int position, int size) { return ((position % size) + size) % size; }

bool placed(const Molecule& m, int atomId) {
  return atomId >= 0 && static_cast<size_t>(atomId) < m.atoms.size() &&
         m.atoms[static_cast<size_t>(atomId)]->isPlaced;
}

// Scores a ring for extending a two-atom sequence: 4 when the atom two steps on is placed, 3
// when only the next one is, else 0. p1 and p2 receive the two candidates' ring positions.
int scoreRing(const Molecule& m, const std::vector<int>& sequence, const std::vector<int>& ring,
              int& p1, int& p2) {
  const int n = static_cast<int>(ring.size());
  if (n == 0) return 0;
  const int forward = forwardPosition(sequence, ring);
  if (forward >= 0) {
    p1 = (forward + 2) % n;
    p2 = (p1 + 1) % n;
  } else {
    const std::vector<int> backwards(sequence.rbegin(), sequence.rend());
    const int reversed = forwardPosition(backwards, ring);
    if (reversed < 0) return 0;
    p1 = wrap(reversed - 1, n);
    p2 = wrap(p1 - 1, n);
  }
  int score = placed(m, ring[static_cast<size_t>(p1)]) ? 3 : 0;
  if (placed(m, ring[static_cast<size_t>(p2)])) score = 4;
  return score;
}

}  // namespace

bool Molecule::checkRingComponent(std::vector<int> sequence, std::vector<int> ring,
                                  int& position) {
  const size_t n = ring.size();
  position = static_cast<int>(n);
  if (sequence.empty()) return false;
  for (size_t p = 0; p < n; ++p) {
    if (ring[p] == sequence[0]) {
      position = static_cast<int>(p);
      break;
    }
  }
  if (static_cast<size_t>(position) == n) return false;
  for (size_t i = 1; i < sequence.size(); ++i)
    if (sequence[i] != ring[(static_cast<size_t>(position) + i) % n]) return false;
  return true;
}

bool Molecule::rearrangeRing(std::vector<int> sequence, std::vector<int>& ring) {
  const int n = static_cast<int>(ring.size());
  if (n == 0 || sequence.empty()) return false;
  std::vector<int> rotated(ring.size());
  const int forward = forwardPosition(sequence, ring);
  if (forward >= 0) {
    for (int i = 0; i < n; ++i) rotated[static_cast<size_t>(i)] = ring[static_cast<size_t>((forward + i) % n)];
    ring.swap(rotated);
    return true;
  }
  const std::vector<int> backwards(sequence.rbegin(), sequence.rend());
  const int reversed = forwardPosition(backwards, ring);
  if (reversed < 0) return false;
  const int first = (reversed + static_cast<int>(sequence.size()) - 1) % n;
  for (int i = 0; i < n; ++i) rotated[static_cast<size_t>(i)] = ring[static_cast<size_t>(wrap(first - i, n))];
  ring.swap(rotated);
  return true;
}

int Molecule::searchInRing(std::vector<int>& sequence) {
  int bestScore = 0;
  int bestRing = -1;
  std::vector<int> best = sequence;
  for (const Ring* ring : rings) {
    int p1 = 0;
    int p2 = 0;
    const int score = scoreRing(*this, sequence, ring->atomIds, p1, p2);
    if (score <= bestScore) continue;
    std::vector<int> candidate = sequence;
    if (score > 2) candidate.push_back(ring->atomIds[static_cast<size_t>(p1)]);
    if (score == 4) {
      candidate.push_back(ring->atomIds[static_cast<size_t>(p2)]);
      sequence = candidate;
      return ring->id;
    }
    best = candidate;
    bestScore = score;
    bestRing = ring->id;
  }
  sequence = best;
  return bestRing;
}

void Molecule::searchSequenceInRing(std::vector<int>& sequence, Ring* ring) {
  if (ring == nullptr) return;
  int p1 = 0;
  int p2 = 0;
  const int score = scoreRing(*this, sequence, ring->atomIds, p1, p2);
  if (score <= static_cast<int>(sequence.size())) return;
  const int atP1 = ring->atomIds[static_cast<size_t>(p1)];
  const int atP2 = ring->atomIds[static_cast<size_t>(p2)];
  if (score > 2) sequence.push_back(atP1);
  if (score > 3) sequence.push_back(atP2);
}

bool Molecule::checkAromaticity(std::vector<int>& ring) {
  const size_t n = ring.size();
  int multiple = 0;
  for (size_t i = 0; i < n; ++i) {
    const int a = ring[i];
    const int b = ring[(i + 1) % n];
    if (a >= 0 && b >= 0 && static_cast<size_t>(a) < atoms.size() &&
        static_cast<size_t>(b) < atoms.size()) {
      const Bond* bond = getBond(atoms[static_cast<size_t>(a)], atoms[static_cast<size_t>(b)]);
      if (bond != nullptr && bond->order >= 2) ++multiple;
    }
    if ((n <= 6 && multiple >= 1) || (n <= 8 && multiple >= 2)) return true;
  }
  return false;
}

bool Molecule::checkDuplicateRing(const int* first, const int* second, int count) const {
  if (count <= 0) return true;
  if (first == nullptr || second == nullptr) return false;
  for (int i = 0; i < count; ++i) {
    bool found = false;
    for (int j = 0; j < count && !found; ++j) found = first[i] == second[j];
    if (!found) return false;
  }
  return true;
}

bool Molecule::checkSingleRing(const int* ids, int count) const {
  if (count <= 0) return true;
  if (ids == nullptr) return false;
  for (int i = 0; i < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (ids[i] == ids[j]) return false;
  return true;
}
