// Ring puckers from stereocentres: before any atom is placed, every saturated ring gets one of
// its two puckers so that the labelled centres on it come out with the configuration their
// labels ask for and fused rings agree with each other. The ring builder turns the choice into
// the sign of the first ring torsion.

#include <algorithm>
#include <queue>
#include <vector>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

int wrap(int index, int size) { return ((index % size) + size) % size; }

bool isFlatRing(const Ring* ring) { return ring->aromatic || ring->isAromatic(); }

int positionInRing(const Ring* ring, int atomId) {
  for (size_t k = 0; k < ring->atomIds.size(); ++k)
    if (ring->atomIds[k] == atomId) return static_cast<int>(k);
  return -1;
}

void negate(std::vector<int>& marks) {
  for (int& mark : marks) mark = -mark;
}

}  // namespace

namespace {

// Marks of the two substituents of every labelled centre of a ring, one face +1 and the other
// -1. `exchanged` swaps the two label cases (the rule used when carrying a pucker over).
std::vector<int> buildMarks(Molecule* molecule, Ring* ring, bool exchanged) {
  std::vector<int> marks(molecule->atoms.size(), 0);
  for (size_t k = 0; k < ring->atomIds.size(); ++k) {
    const int id = ring->atomIds[k];
    if (id < 0 || static_cast<size_t>(id) >= molecule->atoms.size()) continue;
    Atom* atom = molecule->atoms[id];
    if (atom == nullptr || atom->piCount < 1 || atom->neighbours.size() < 4) continue;
    const int label = atom->piCount;
    if (label != 1 && label != 2) continue;   // other labels mark nothing
    std::vector<Atom*> nb = atom->neighbours;
    molecule->rearrangeChiralCenter(ring, atom, nb);
    if (nb[2] == nullptr || nb[3] == nullptr) continue;
    const bool even = k % 2 == 0;
    bool firstUp = (even && label == 2) || (!even && label == 1);
    if (exchanged) firstUp = !firstUp;
    const int i2 = nb[2]->id;
    const int i3 = nb[3]->id;
    if (i2 < 0 || i3 < 0 || static_cast<size_t>(i2) >= marks.size() ||
        static_cast<size_t>(i3) >= marks.size())
      continue;
    marks[i2] = firstUp ? 1 : -1;
    marks[i3] = firstUp ? -1 : 1;
  }
  return marks;
}

int markOf(const std::vector<int>& marks, int atomId) {
  return atomId >= 0 && static_cast<size_t>(atomId) < marks.size() ? marks[atomId] : 0;
}

}  // namespace

void Molecule::setConformationForRings() {
  for (Ring* ring : rings)
    if (ring != nullptr) ring->conformation = 0;
  for (RingCluster* cluster : ringClusters) {
    if (cluster == nullptr) continue;
    Ring* central = getCentralRing(cluster);
    if (central != nullptr) calculateConstrainedConformation(central);
    for (Ring* ring : cluster->rings)
      if (ring != nullptr && ring->conformation < 1) calculateConstrainedConformation(ring);

    std::vector<bool> visited(cluster->rings.size(), false);
    for (size_t pass = 0; pass <= cluster->rings.size(); ++pass) {
      int handled = 0;
      for (size_t i = 0; i < cluster->rings.size(); ++i) {
        Ring* ring = cluster->rings[i];
        if (ring == nullptr || visited[i] || ring->conformation <= 0) continue;
        visited[i] = true;
        calculateNeighbourConformation(ring);
        ++handled;
      }
      if (handled == 0) break;
    }
  }
}

void Molecule::rearrangeChiralCenter(Ring* ring, Atom* centre, std::vector<Atom*>& nb) {
  if (ring == nullptr || centre == nullptr || ring->atomIds.size() <= 3 || nb.size() < 4) return;
  const int n = static_cast<int>(ring->atomIds.size());
  const int k = positionInRing(ring, centre->id);
  if (k < 0) return;
  const int previous = ring->atomIds[wrap(k - 1, n)];
  const int next = ring->atomIds[wrap(k + 1, n)];
  auto indexOf = [&](int atomId) {
    for (size_t i = 0; i < nb.size(); ++i)
      if (nb[i] != nullptr && nb[i]->id == atomId) return static_cast<int>(i);
    return -1;
  };
  int swaps = 0;
  const int p = indexOf(previous);
  if (p > 0) {
    std::swap(nb[0], nb[p]);
    ++swaps;
  }
  int q = indexOf(next);
  if (q != 1) {
    if (q < 0) q = 0;
    std::swap(nb[1], nb[q]);
    ++swaps;
  }
  if (swaps % 2 == 1) std::swap(nb[2], nb[3]);
}

void Molecule::calculateConstrainedConformation(Ring* ring) {
  if (ring == nullptr || ring->piAtomCount == 0) return;
  std::vector<int> marks = buildMarks(this, ring, false);
  ring->conformation = 1;
  const int first = checkCompatabilityWithNeighbours(ring, marks);
  negate(marks);
  ring->conformation = 2;
  const int second = checkCompatabilityWithNeighbours(ring, marks);
  if (first && second)
    ring->conformation = 0;
  else if (first)
    ring->conformation = 1;
  else
    ring->conformation = 2;
}

int Molecule::checkCompatabilityWithNeighbours(Ring* ring, std::vector<int>& marks) {
  if (ring == nullptr || ring->conformation < 1 || isFlatRing(ring)) return 1;
  for (int neighbourId : ring->neighbourRings) {
    if (neighbourId < 0 || static_cast<size_t>(neighbourId) >= rings.size()) continue;
    Ring* other = rings[neighbourId];
    if (other == nullptr) continue;
    const int n = static_cast<int>(other->atomIds.size());
    auto inRing = [&](int position) {
      return positionInRing(ring, other->atomIds[wrap(position, n)]) >= 0;
    };
    int start = -1;
    for (int i = 0; i < n && start < 0; ++i)
      if (!inRing(i)) start = i;
    if (start < 0) continue;   // every atom shared: no side to compare
    std::vector<int> shared;
    for (int i = 0; i < n; ++i)
      if (inRing(start + i)) shared.push_back(wrap(start + i, n));
    const int m = static_cast<int>(shared.size());
    if (m == 2 && (other->conformation < 1 || isFlatRing(other))) continue;
    if (m != 2 && m != 3) continue;

    const int before = other->atomIds[wrap(shared.front() - 1, n)];
    const int after = other->atomIds[wrap(shared.back() + 1, n)];
    const int markBefore = markOf(marks, before);
    const int markAfter = markOf(marks, after);
    if (markBefore == 0 || markAfter == 0) continue;
    if (m == 2 && before != after && markBefore == 1 && markAfter == 1) return 0;
    if (m == 3) {
      if (markBefore == -1 || markAfter == -1) return 0;
      continue;   // both +1
    }
    if (other->conformation == 0 || before == after || n < 6) continue;

    const int k = positionInRing(ring, other->atomIds[shared.front()]);
    bool flag = markBefore != markAfter;   // (+1, -1) or (-1, +1); (-1, -1) gives false
    if ((k % 2 == 0 && ring->conformation == 1) || (k % 2 == 1 && ring->conformation == 2))
      flag = !flag;
    int expected;
    if (shared.front() % 2 == 1)
      expected = flag ? 1 : 2;
    else
      expected = flag ? 2 : 1;
    if (other->conformation != expected) return 0;
  }
  return 1;
}

void Molecule::calculateNeighbourConformation(Ring* ring) {
  if (ring == nullptr || isFlatRing(ring) || ring->conformation == 0) return;
  std::vector<int> marks = buildMarks(this, ring, true);
  if (ring->conformation == 2) negate(marks);
  setConformationofNeighbours(ring, marks);
}

void Molecule::setConformationofNeighbours(Ring* ring, std::vector<int>& marks) {
  if (ring == nullptr || ring->conformation == 0 || isFlatRing(ring)) return;
  for (int neighbourId : ring->neighbourRings) {
    if (neighbourId < 0 || static_cast<size_t>(neighbourId) >= rings.size()) continue;
    Ring* other = rings[neighbourId];
    if (other == nullptr || other->conformation != 0 || isFlatRing(other)) continue;
    const int n = static_cast<int>(other->atomIds.size());

    // Shared atoms as (atom id, position in the neighbour ring).
    std::vector<std::pair<int, int> > shared;
    for (int atomId : ring->atomIds) {
      const int position = positionInRing(other, atomId);
      if (position >= 0) shared.emplace_back(atomId, position);
    }
    const int m = static_cast<int>(shared.size());
    if (m != 2 && m != 3) continue;
    std::sort(shared.begin(), shared.end());
    const int f = shared[0].second;
    const int g = shared[1].second;
    int before;
    int after;
    int direction;
    if (f >= g) {
      after = other->atomIds[wrap(f + 1, n)];
      before = other->atomIds[wrap(g - 1, n)];
      direction = 0;
    } else {
      before = other->atomIds[wrap(g + 1, n)];
      after = other->atomIds[wrap(f - 1, n)];
      direction = 1;
    }
    const int markBefore = markOf(marks, before);
    const int markAfter = markOf(marks, after);
    if (before != after && markBefore == 1 && markAfter == 1) continue;
    if (m == 3 && (markBefore != 1 || markAfter != 1)) continue;
    if (before == after || n < 6) continue;

    const int k = positionInRing(ring, other->atomIds[f]);
    // A +1 substituent on either side sets the flag; the rest (no mark, or only -1 marks,
    // which stand on the other face) leave it clear.
    bool flag = markAfter == 1 || markBefore == 1;
    if ((k % 2 == 0 && ring->conformation == 1) || (k % 2 == 1 && ring->conformation == 2))
      flag = !flag;
    if (f % 2 == 1)
      other->conformation = direction == 1 ? (flag ? 1 : 2) : (flag ? 2 : 1);
    else
      other->conformation = direction == 1 ? (flag ? 2 : 1) : (flag ? 1 : 2);
  }
}

void Molecule::generateStructureFromConnectivity() {
  fillInitialDihedral();
  setupRingConnections();
  setupRingClusters();
  setConformationForRings();
}

void Molecule::fillChiralNeighbours() {
  for (Atom* atom : atoms) {
    if (atom == nullptr) continue;
    atom->neighbours = atom->getAdjacentAtoms();
    std::sort(atom->neighbours.begin(), atom->neighbours.end(),
              [](const Atom* x, const Atom* y) { return x->id < y->id; });
  }
}

int Molecule::rebuildChiralH() {
  int placed = 0;
  for (Atom* atom : atoms) {
    if (atom == nullptr || atom->piCount == 0 || atom->degree != 4) continue;
    for (Atom* other : atom->getAdjacentAtoms()) {
      if (other == nullptr || other->element != "H" || other->degree != 1) continue;
      other->isPlaced = false;
      std::queue<Atom*> own;
      placed += createCoorForNode(atom, own, {});
      if (other->id >= 0 && static_cast<size_t>(other->id) < positions.size())
        positions[other->id] = other->position;
      break;
    }
  }
  return placed;
}

int Molecule::solvedAtomsInRing(Atom* atom) {
  int most = 0;
  if (atom == nullptr) return 0;
  for (int ringId : atom->ringIds) {
    if (ringId < 0 || static_cast<size_t>(ringId) >= rings.size() || rings[ringId] == nullptr)
      continue;
    int count = 0;
    for (int atomId : rings[ringId]->atomIds)
      if (atomId >= 0 && static_cast<size_t>(atomId) < atoms.size() && atoms[atomId] != nullptr &&
          atoms[atomId]->isPlaced)
        ++count;
    most = std::max(most, count);
  }
  return most;
}

void Molecule::rearangeUnsolvedAtomsInRing(Atom* atom, std::queue<Bond*>& queue) {
  std::vector<std::pair<int, Bond*> > scored;
  while (!queue.empty()) {
    Bond* bond = queue.front();
    queue.pop();
    Atom* other = bond == nullptr ? nullptr : bond->atom1 == atom ? bond->atom2 : bond->atom1;
    scored.emplace_back(solvedAtomsInRing(other), bond);
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const std::pair<int, Bond*>& x, const std::pair<int, Bond*>& y) {
                     return x.first > y.first;
                   });
  for (const auto& entry : scored) queue.push(entry.second);
}

void Molecule::fixComplicatedRings() {
  for (Atom* atom : atoms)
    if (atom != nullptr) atom->isPlaced = false;
  for (Atom* atom : atoms) {
    if (atom == nullptr || atom->ringIds.size() <= 2) continue;
    for (int ringId : atom->ringIds) {
      if (ringId < 0 || static_cast<size_t>(ringId) >= rings.size() || rings[ringId] == nullptr)
        continue;
      for (int atomId : rings[ringId]->atomIds)
        if (atomId >= 0 && static_cast<size_t>(atomId) < atoms.size() && atoms[atomId] != nullptr)
          atoms[atomId]->isPlaced = true;
    }
  }
}

void Molecule::fillRingCoordinates(std::vector<int>) {}
