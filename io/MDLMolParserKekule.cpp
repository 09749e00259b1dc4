// Kekule bond types for the aromatic bonds of a mol record: every aromatic atom that still
// lacks one bond of valence gets exactly one double bond within the aromatic bonds.

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "io/MDLMolParser.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace {

const int kQueryAromaticType = 4;
const long kSearchBudget = 200000;   // steps of the matching search before it gives up

// The neutral valence with the charge applied; 0 for elements with no fixed valence here.
int targetValence(const Atom* a) {
  const std::string& e = a->element;
  if (e == "C") return 4 - (a->charge < 0 ? -a->charge : a->charge);
  if (e == "N" || e == "P" || e == "As") return 3 + a->charge;
  if (e == "O" || e == "S" || e == "Se") return 2 + a->charge;
  if (e == "B") return 3 - a->charge;
  return 0;
}

struct Matching {
  std::vector<std::vector<std::pair<int, int> > > links;   // per atom: (neighbour, bond index)
  std::vector<int> partnerBond;                             // per atom, -1 while unmatched
  std::vector<bool> needsDouble;
  long steps = 0;

  // Matches every atom that needs a double bond, lowest index first, backtracking.
  bool solve(int from) {
    if (++steps > kSearchBudget) return false;
    const int n = static_cast<int>(needsDouble.size());
    while (from < n && (!needsDouble[from] || partnerBond[from] >= 0)) ++from;
    if (from == n) return true;
    for (const std::pair<int, int>& link : links[from]) {
      const int other = link.first;
      if (!needsDouble[other] || partnerBond[other] >= 0) continue;
      partnerBond[from] = partnerBond[other] = link.second;
      if (solve(from + 1)) return true;
      partnerBond[from] = partnerBond[other] = -1;
      if (steps > kSearchBudget) return false;
    }
    return false;
  }
};

// True when the atom closes a ring of five atoms over the given bonds.
bool inAromaticFiveRing(const Atom* start, const std::set<const Bond*>& bonds) {
  std::vector<const Atom*> path{start};
  std::function<bool()> extend = [&]() {
    const Atom* last = path.back();
    for (const Bond* bond : last->bonds) {
      if (bonds.count(bond) == 0) continue;
      const Atom* next = bond->atom1 == last ? bond->atom2 : bond->atom1;
      if (next == nullptr) continue;
      if (path.size() == 5) {
        if (next == start) return true;
        continue;
      }
      if (std::find(path.begin(), path.end(), next) != path.end()) continue;
      path.push_back(next);
      if (extend()) return true;
      path.pop_back();
    }
    return false;
  };
  return extend();
}

}  // namespace

std::vector<int> MDLMolParser::fileBondTypes(const Molecule* m) {
  std::vector<int> types;
  if (m == nullptr) return types;
  bool anyAromatic = false;
  for (const Bond* b : m->bonds) {
    types.push_back(b->order == kAromaticOrder ? kQueryAromaticType : b->order);
    anyAromatic = anyAromatic || b->order == kAromaticOrder;
  }
  if (!anyAromatic) return types;

  std::unordered_map<const Atom*, int> index;
  for (size_t i = 0; i < m->atoms.size(); ++i) index[m->atoms[i]] = static_cast<int>(i);
  const size_t n = m->atoms.size();
  std::vector<int> bondValence(n, 0);
  std::vector<bool> aromatic(n, false);
  Matching matching;
  matching.links.resize(n);
  for (size_t k = 0; k < m->bonds.size(); ++k) {
    const Bond* b = m->bonds[k];
    const auto first = index.find(b->atom1), second = index.find(b->atom2);
    if (first == index.end() || second == index.end()) return types;
    const bool isAromatic = b->order == kAromaticOrder;
    // An aromatic bond outside every ring is no ring system to put in Kekule form.
    if (isAromatic && !b->inRing) return types;
    bondValence[first->second] += isAromatic ? 1 : b->order;
    bondValence[second->second] += isAromatic ? 1 : b->order;
    if (!isAromatic) continue;
    aromatic[first->second] = aromatic[second->second] = true;
    matching.links[first->second].emplace_back(second->second, static_cast<int>(k));
    matching.links[second->second].emplace_back(first->second, static_cast<int>(k));
  }
  matching.needsDouble.assign(n, false);
  matching.partnerBond.assign(n, -1);
  for (size_t i = 0; i < n; ++i) {
    if (!aromatic[i]) continue;
    const int missing = targetValence(m->atoms[i]) - bondValence[i];
    // Pyrrole nitrogen, furan oxygen and a ring carbon with an exocyclic double bond lack
    // nothing; pyridine nitrogen and ring carbons lack one.
    if (missing != 0 && missing != 1) return types;   // valences this code does not know
    matching.needsDouble[i] = missing == 1;
  }
  if (!matching.solve(0)) return types;   // keep type 4: no Kekule structure fits

  for (size_t k = 0; k < m->bonds.size(); ++k)
    if (m->bonds[k]->order == kAromaticOrder) types[k] = 1;
  for (size_t i = 0; i < n; ++i)
    if (matching.partnerBond[i] >= 0) types[static_cast<size_t>(matching.partnerBond[i])] = 2;
  return types;
}

bool MDLMolParser::kekulizeAromaticBonds(Molecule* m) {
  if (m == nullptr) return false;
  std::vector<Bond*> aromatic;
  for (Bond* b : m->bonds)
    if (b->order == kAromaticOrder && b->atom1 != nullptr && b->atom2 != nullptr)
      aromatic.push_back(b);
  if (aromatic.empty()) return true;
  std::vector<Atom*> members;
  for (Bond* b : aromatic)
    for (Atom* a : {b->atom1, b->atom2})
      if (std::find(members.begin(), members.end(), a) == members.end()) members.push_back(a);
  for (size_t i = 0; i < m->atoms.size(); ++i) m->atoms[i]->id = static_cast<int>(i);
  for (Bond* b : aromatic) b->order = 1;
  // Pyrrole-like candidates: neutral nitrogens with two bonds, both aromatic; those of a
  // five-membered ring first, where the hydrogen of a purine or an indazole sits.
  std::vector<Atom*> pyrroleLike;
  for (Atom* a : members)
    if (a->element == "N" && a->charge == 0 && a->bonds.size() == 2) pyrroleLike.push_back(a);
  const std::set<const Bond*> aromaticSet(aromatic.begin(), aromatic.end());
  std::vector<Atom*> fiveRing, other;
  for (Atom* a : pyrroleLike) (inAromaticFiveRing(a, aromaticSet) ? fiveRing : other).push_back(a);
  pyrroleLike = fiveRing;
  pyrroleLike.insert(pyrroleLike.end(), other.begin(), other.end());

  // The failures of the tries are no news: only the outcome is reported, by the caller.
  const ErrorSink previous = setErrorSink([](const std::string&) {});
  auto attempt = [&](std::vector<const Atom*> withoutDouble) {
    for (Bond* b : aromatic) b->order = 1;
    for (Atom* a : members)
      a->isAromatic =
          std::find(withoutDouble.begin(), withoutDouble.end(), a) == withoutDouble.end();
    SmilesParser parser;
    return parser.kekulizeGraph(m);
  };
  bool done = attempt({});
  for (size_t k = 0; !done && k < pyrroleLike.size(); ++k) done = attempt({pyrroleLike[k]});
  // Two pyrrole-like nitrogens in one system (a porphyrin): pairs, while they are few.
  const size_t kMostPairedCandidates = 12;
  if (pyrroleLike.size() <= kMostPairedCandidates)
    for (size_t k = 0; !done && k < pyrroleLike.size(); ++k)
      for (size_t l = k + 1; !done && l < pyrroleLike.size(); ++l)
        done = attempt({pyrroleLike[k], pyrroleLike[l]});
  setErrorSink(previous);
  if (done) return true;
  for (Bond* b : aromatic) b->order = 1;
  for (Atom* a : members) a->isAromatic = false;
  return false;
}
