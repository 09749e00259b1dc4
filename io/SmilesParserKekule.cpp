// From lower-case SMILES atoms to a Kekule graph, and the clean-ups a written graph needs
// before perception: charge-separated five-bond nitrogen, fixed hydrogens on bracket atoms.
//
// Lower-case atoms say "this atom is in an aromatic ring", not how many pi electrons it gives.
// Ring perception and valence completion count electrons from bond orders, so the reader hands
// them the alternating single and double bonds a Kekule string would have: furan reads as
// furan, not as tetrahydrofuran, and a lower-case string and its Kekule spelling give the same
// graph, the same types and the same hydrogens.

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

// Search steps allowed per ring system before the matching settles for the best one found; a
// real aromatic system is matched in about one step per atom.
const long kMaxMatchingSteps = 200000;

// True when the atom's written bonds (hydrogens of a bracket count included) leave one valence
// unit for a ring double bond: c, pyridine-like n, [nH+], [o+]; not [nH], o, s, n(C).
bool needsDoubleBond(const Atom* a) {
  int used = 0;
  for (const Bond* b : a->bonds) used += valenceOfOrder(b->order);
  return SmilesParser::kekuleValence(a) - used >= 1;
}

struct Edge {
  int to;
  Bond* bond;
};

// Maximum matching on one ring system by search: the atom with the fewest free partners is
// matched first, which makes the choices forced for every ordinary aromatic system. The system's
// atoms are numbered by their place in it, so that the search costs nothing for the rest of a
// molecule that holds thousands of ring systems.
class Matching {
 public:
  Matching(const std::vector<std::vector<Edge> >& edges, const std::vector<int>& members)
      : members_(members), local_(members.size()), mate_(members.size(), kFree), best_(mate_) {
    std::unordered_map<int, int> place;
    for (size_t k = 0; k < members.size(); ++k) place.emplace(members[k], static_cast<int>(k));
    for (size_t k = 0; k < members.size(); ++k)
      for (const Edge& e : edges[static_cast<size_t>(members[k])]) {
        const auto to = place.find(e.to);
        if (to != place.end()) local_[k].push_back(to->second);
      }
  }

  // The mate of each member as a molecule atom index (-1 unmatched), in member order; the best
  // found when no perfect matching exists.
  std::vector<int> solve() {
    bestCount_ = -1;
    search(0);
    std::vector<int> mates(members_.size(), -1);
    for (size_t k = 0; k < members_.size(); ++k)
      if (best_[k] >= 0 && best_[k] != kSingle) mates[k] = members_[static_cast<size_t>(best_[k])];
    return mates;
  }

 private:
  static const int kFree = -1;
  static const int kSingle = -2;   // left without a partner by the search

  // True when the search is to stop: a matching as large as the system allows was found, or
  // the step budget is spent.
  bool search(int matched) {
    if (matched > bestCount_) {
      bestCount_ = matched;
      best_ = mate_;
    }
    if (bestCount_ == static_cast<int>(members_.size()) / 2 || ++steps_ > kMaxMatchingSteps)
      return true;
    int pick = -1;
    int fewest = 0;
    int freeAtoms = 0;
    for (size_t a = 0; a < local_.size(); ++a) {
      if (mate_[a] != kFree) continue;
      ++freeAtoms;
      int free = 0;
      for (int to : local_[a])
        if (mate_[static_cast<size_t>(to)] == kFree) ++free;
      if (pick < 0 || free < fewest) {
        pick = static_cast<int>(a);
        fewest = free;
      }
    }
    if (pick < 0 || matched + freeAtoms / 2 <= bestCount_) return false;
    const size_t p = static_cast<size_t>(pick);
    for (int to : local_[p]) {
      if (mate_[static_cast<size_t>(to)] != kFree) continue;
      mate_[p] = to;
      mate_[static_cast<size_t>(to)] = pick;
      if (search(matched + 1)) return true;
      mate_[p] = kFree;
      mate_[static_cast<size_t>(to)] = kFree;
    }
    // No partner leads to a full matching: leave this atom single and match the rest, when
    // that can still beat the best found.
    if (matched + (freeAtoms - 1) / 2 <= bestCount_) return false;
    mate_[p] = kSingle;
    const bool stop = search(matched);
    mate_[p] = kFree;
    return stop;
  }

  const std::vector<int>& members_;
  std::vector<std::vector<int> > local_;   // partners by place in the system
  std::vector<int> mate_;                  // partner's place, kFree or kSingle
  std::vector<int> best_;
  int bestCount_ = -1;
  long steps_ = 0;
};

}  // namespace

int SmilesParser::kekuleValence(const Atom* atom) {
  const std::string& e = atom->element;
  if (e == "C") return 4 - std::abs(atom->charge);
  if (e == "N" || e == "P") return 3 + atom->charge;
  if (e == "O" || e == "S") return 2 + atom->charge;
  if (e == "B") return 3 + atom->charge;
  return 0;
}

namespace {

// The bonds between two atoms that need a double bond, written without a symbol (":" counts as
// none), as edges by atom index.
std::vector<std::vector<Edge> > matchableBonds(const Molecule* molecule,
                                               const std::vector<char>& candidate,
                                               const std::set<const Bond*>& written) {
  const size_t n = molecule->atoms.size();
  std::vector<std::vector<Edge> > edges(n);
  for (Bond* b : molecule->bonds) {
    if (b->order != 1 || written.count(b) != 0 || b->atom1 == nullptr || b->atom2 == nullptr)
      continue;
    const int i = b->atom1->id;
    const int j = b->atom2->id;
    if (i < 0 || j < 0 || static_cast<size_t>(i) >= n || static_cast<size_t>(j) >= n) continue;
    if (molecule->atoms[static_cast<size_t>(i)] != b->atom1 ||
        molecule->atoms[static_cast<size_t>(j)] != b->atom2)
      continue;
    if (!candidate[static_cast<size_t>(i)] || !candidate[static_cast<size_t>(j)]) continue;
    edges[static_cast<size_t>(i)].push_back({j, b});
    edges[static_cast<size_t>(j)].push_back({i, b});
  }
  return edges;
}

// The candidate atoms reached from start over the edges, marked seen.
std::vector<int> ringSystem(size_t start, const std::vector<std::vector<Edge> >& edges,
                            std::vector<char>& seen) {
  std::vector<int> members{static_cast<int>(start)};
  seen[start] = 1;
  for (size_t head = 0; head < members.size(); ++head)
    for (const Edge& e : edges[static_cast<size_t>(members[head])])
      if (!seen[static_cast<size_t>(e.to)]) {
        seen[static_cast<size_t>(e.to)] = 1;
        members.push_back(e.to);
      }
  return members;
}

}  // namespace

bool SmilesParser::kekulize(Molecule* molecule) {
  const size_t n = molecule->atoms.size();
  std::vector<char> candidate(n, 0);
  for (size_t i = 0; i < n; ++i) {
    Atom* a = molecule->atoms[i];
    candidate[i] = a->isAromatic && needsDoubleBond(a) ? 1 : 0;
  }
  const std::vector<std::vector<Edge> > edges = matchableBonds(molecule, candidate, writtenBonds);

  // Each ring system on its own, so that one that cannot be matched does not hold up the rest.
  std::vector<char> seen(n, 0);
  int unmatched = 0;
  const Atom* firstUnmatched = nullptr;
  for (size_t start = 0; start < n; ++start) {
    if (!candidate[start] || seen[start]) continue;
    const std::vector<int> members = ringSystem(start, edges, seen);
    Matching matching(edges, members);
    const std::vector<int> mate = matching.solve();
    for (size_t k = 0; k < members.size(); ++k) {
      const int a = members[k];
      const int partner = mate[k];
      if (partner < 0) {
        if (firstUnmatched == nullptr) firstUnmatched = molecule->atoms[static_cast<size_t>(a)];
        ++unmatched;
        continue;
      }
      if (partner < a) continue;
      for (const Edge& e : edges[static_cast<size_t>(a)])
        if (e.to == partner) e.bond->order = 2;
    }
  }
  for (Atom* a : molecule->atoms) {
    a->isAromatic = false;
    a->piElectrons = 0;
  }
  if (unmatched == 0) return true;
  return fail("aromatic atom " + firstUnmatched->name + " has no double bond in any Kekule form" +
              (unmatched > 1 ? " (" + std::to_string(unmatched) + " such atoms)" : ""));
}

bool SmilesParser::checkValences(const Molecule* molecule) const {
  for (const Atom* a : molecule->atoms) {
    if (a->allowedValences.empty()) continue;
    const int largest = *std::max_element(a->allowedValences.begin(), a->allowedValences.end());
    // Zero: no element row; -1: an element that never gets hydrogens (the metals) sets no limit.
    if (largest <= 0) continue;
    const int used = a->getValence();
    if (used > largest)
      return fail("atom " + a->name + " uses valence " + std::to_string(used) + ", more than " +
                  a->element + " allows (" + std::to_string(largest) + ")");
  }
  return true;
}

void SmilesParser::separateCharges(Molecule* molecule) {
  for (Atom* a : molecule->atoms) {
    if (a->element != "N" || a->charge != 0) continue;
    int used = 0;
    for (const Bond* b : a->bonds) used += valenceOfOrder(b->order);
    if (used != 5) continue;
    for (Bond* b : a->bonds) {
      Atom* end = a->getAdjacentAtom(b);
      if (end == nullptr || end->bonds.size() != 1 || end->charge != 0) continue;
      const bool oxygenLike = (end->element == "O" || end->element == "S") && b->order == 2;
      const bool nitrogenLike = end->element == "N" && (b->order == 2 || b->order == 3);
      if (!oxygenLike && !nitrogenLike) continue;
      b->order -= 1;
      a->charge = 1;
      end->charge = -1;
      break;
    }
  }
}

void SmilesParser::fixBracketValences(Molecule* molecule) {
  for (Atom* a : molecule->atoms)
    if (!a->statusFlag) a->allowedValences = {a->getValence()};
}
