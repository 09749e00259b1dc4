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

#include "io/AssumedCharges.h"
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
  return SmilesParser::kekuleValence(a) - bondValenceSum(a) >= 1;
}

struct Edge {
  int to;
  Bond* bond;
};

// Maximum matching on one ring system by search: the atom with the fewest free partners is
// matched first, which makes the choices forced for every ordinary aromatic system. The search
// is depth first with its own stack (a chain of 20,000 phenyl rings is one system, 60,000 levels
// deep), the atoms are numbered by their place in the system and the free atoms are kept ordered
// by their free partners, so that a step costs time logarithmic in the system and nothing for
// the rest of the molecule.
class Matching {
 public:
  Matching(const std::vector<std::vector<Edge> >& edges, const std::vector<int>& members)
      : members_(members), partners_(members.size()), mate_(members.size(), kFree),
        freePartners_(members.size(), 0) {
    std::unordered_map<int, int> place;
    for (size_t k = 0; k < members.size(); ++k) place.emplace(members[k], static_cast<int>(k));
    for (size_t k = 0; k < members.size(); ++k)
      for (const Edge& e : edges[static_cast<size_t>(members[k])]) {
        const auto to = place.find(e.to);
        if (to != place.end()) partners_[k].push_back(to->second);
      }
    for (size_t k = 0; k < members.size(); ++k) {
      freePartners_[k] = static_cast<int>(partners_[k].size());
      freeByPartners_.insert({freePartners_[k], static_cast<int>(k)});
    }
  }

  // The mate of each member as a molecule atom index (-1 unmatched), in member order; the best
  // matching found when no perfect one exists.
  std::vector<int> solve() {
    run();
    if (bestOnStack_ >= 0) keepBest();
    std::vector<int> mates(members_.size(), -1);
    for (size_t k = 0; k < members_.size(); ++k)
      if (best_[k] >= 0) mates[k] = members_[static_cast<size_t>(best_[k])];
    return mates;
  }

 private:
  static constexpr int kFree = -1;
  static constexpr int kSingle = -2;   // left without a partner by the search
  enum class Entry { Stop, Fail, Pushed };

  // One level of the search: the atom it decides, the free atoms when it began, the matched
  // pairs above it, the next partner to try, and what it has set (a partner, kSingle or kFree).
  struct Frame {
    int pick;
    int freeAtoms;
    int matched;
    size_t next;
    bool singleTried;
    int chosen;
  };

  void run() {
    if (enter(0) != Entry::Pushed) return;
    while (!stack_.empty()) {
      Frame& f = stack_.back();
      if (f.chosen != kFree) undo(stack_.size() - 1);   // the level below found nothing
      bool descended = false;
      while (f.next < partners_[static_cast<size_t>(f.pick)].size()) {
        const int to = partners_[static_cast<size_t>(f.pick)][f.next++];
        if (mate_[static_cast<size_t>(to)] != kFree) continue;
        choose(f, to);
        const int matched = f.matched + 1;
        const Entry entry = enter(matched);   // f is not to be used after a push
        if (entry == Entry::Stop) return;
        if (entry == Entry::Pushed) {
          descended = true;
          break;
        }
        undo(stack_.size() - 1);
      }
      if (descended) continue;
      Frame& g = stack_.back();
      // No partner leads to a full matching: leave this atom single and match the rest, when
      // that can still beat the best found.
      if (!g.singleTried && g.matched + (g.freeAtoms - 1) / 2 > bestCount_) {
        g.singleTried = true;
        choose(g, kSingle);
        const Entry entry = enter(g.matched);
        if (entry == Entry::Stop) return;
        if (entry == Entry::Pushed) continue;
        undo(stack_.size() - 1);
      }
      stack_.pop_back();
    }
  }

  // Opens a level with `matched` pairs set: Stop when a matching as large as the system allows
  // was found or the step budget is spent, Fail when no atom is free or the best found cannot
  // be beaten from here.
  Entry enter(int matched) {
    if (matched > bestCount_) {
      bestCount_ = matched;
      bestOnStack_ = static_cast<int>(stack_.size());
    }
    if (bestCount_ == static_cast<int>(members_.size()) / 2 || ++steps_ > kMaxMatchingSteps)
      return Entry::Stop;
    if (freeByPartners_.empty()) return Entry::Fail;
    const int freeAtoms = static_cast<int>(freeByPartners_.size());
    if (matched + freeAtoms / 2 <= bestCount_) return Entry::Fail;
    stack_.push_back({freeByPartners_.begin()->second, freeAtoms, matched, 0, false, kFree});
    return Entry::Pushed;
  }

  void choose(Frame& f, int to) {
    f.chosen = to;
    take(f.pick);
    mate_[static_cast<size_t>(f.pick)] = to;
    if (to == kSingle) return;
    take(to);
    mate_[static_cast<size_t>(to)] = f.pick;
  }

  // Takes back what the level at `level` set. The best matching is the choices of the levels
  // below bestOnStack_; it is copied out before one of them changes.
  void undo(size_t level) {
    if (static_cast<int>(level) < bestOnStack_) keepBest();
    Frame& f = stack_[level];
    if (f.chosen != kSingle) {
      mate_[static_cast<size_t>(f.chosen)] = kFree;
      give(f.chosen);
    }
    mate_[static_cast<size_t>(f.pick)] = kFree;
    give(f.pick);
    f.chosen = kFree;
  }

  void keepBest() {
    best_.assign(members_.size(), -1);
    for (int level = 0; level < bestOnStack_; ++level) {
      const Frame& f = stack_[static_cast<size_t>(level)];
      if (f.chosen < 0) continue;
      best_[static_cast<size_t>(f.pick)] = f.chosen;
      best_[static_cast<size_t>(f.chosen)] = f.pick;
    }
    bestOnStack_ = -1;
  }

  // An atom leaves the free atoms, and its free partners have one free partner fewer; give is
  // the reverse.
  void take(int atom) {
    freeByPartners_.erase({freePartners_[static_cast<size_t>(atom)], atom});
    changeFreePartners(atom, -1);
  }
  void give(int atom) {
    changeFreePartners(atom, +1);
    freeByPartners_.insert({freePartners_[static_cast<size_t>(atom)], atom});
  }
  void changeFreePartners(int atom, int change) {
    for (int other : partners_[static_cast<size_t>(atom)]) {
      const size_t o = static_cast<size_t>(other);
      const bool free = mate_[o] == kFree;
      if (free) freeByPartners_.erase({freePartners_[o], other});
      freePartners_[o] += change;
      if (free) freeByPartners_.insert({freePartners_[o], other});
    }
  }

  const std::vector<int>& members_;
  std::vector<std::vector<int> > partners_;   // by place in the system
  std::vector<int> mate_;                     // partner's place, kFree or kSingle
  std::vector<int> freePartners_;             // free partners of each atom
  std::set<std::pair<int, int> > freeByPartners_;   // (free partners, place) of the free atoms
  std::vector<Frame> stack_;
  std::vector<int> best_;
  int bestCount_ = -1;
  int bestOnStack_ = -1;   // levels whose choices are the best matching while it is not copied
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
  if (molecule != nullptr) separateFiveBondNitrogens(*molecule);
}

void SmilesParser::separateAromaticNOxides(Molecule* molecule) {
  for (Atom* a : molecule->atoms) {
    if (a->element != "N" || !a->isAromatic || a->charge != 0) continue;
    for (Bond* b : a->bonds) {
      Atom* end = a->getAdjacentAtom(b);
      if (b->order != 2 || end == nullptr || end->element != "O" || end->bonds.size() != 1 ||
          end->charge != 0)
        continue;
      b->order = 1;
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
