// Atom typing: refine every atom's type from its bare element, level by level, against the type
// rules; type whole rings against the basic ring templates; refine once more with the negative
// levels when a ring matched.

#include <algorithm>
#include <iostream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "parameters/InputParameters.h"
#include "parameters/LookupMemo.h"

namespace {

// An atom whose chemistry the tables cannot describe: an element without a row in the element
// table, or more bonds than its largest valence allows (a formal charge counted as extra
// room). Such an atom is reported and keeps its bare element as type, since any rule that
// happened to match its neighbour count would give it a type it cannot have.
bool isUndescribable(const Atom* a, InputParameters& tables, const std::string& molecule) {
  if (a->element == "R") return false;
  ElementParameters row;
  if (a->element.empty() || tables.findElementParameters(a->element, row) != 1) {
    ErrorLine() << "Error: atom typing: no element row for \"" << a->element << "\" in molecule \""
                << molecule << "\"";
    return true;
  }
  int largest = 0;
  for (int v : row.valences) largest = std::max(largest, v);
  if (largest <= 0) return false;   // valences that say "never add hydrogens" set no limit
  for (Bond* b : a->bonds) {
    const Atom* other = a->getAdjacentAtom(b);
    std::string symbol = other != nullptr ? other->element : std::string();
    UtilityEngine::instance()->toUpper(symbol);
    if (symbol == "FE" || symbol == "CR" || symbol == "NI" || symbol == "VA") ++largest;
  }
  const int bonded = bondValenceSum(a);
  const int room = largest + (a->charge < 0 ? -a->charge : a->charge);
  if (bonded > room) {
    ErrorLine() << "Error: atom typing: bond orders sum to " << bonded << " on atom \"" << a->name
                << "\" of element \"" << a->element << "\" in molecule \"" << molecule << "\"";
    return true;
  }
  return false;
}

class TypingRun {
 public:
  TypingRun(Molecule& m, InputParameters& tables) : m_(m), tables_(tables), rules_(tables) {}

  void run() {
    const size_t n = m_.atoms.size();
    skip_.assign(n, false);
    const std::string label = m_.label();
    for (size_t i = 0; i < n; ++i) {
      Atom* a = m_.atoms[i];
      if (a->element == "R") {
        a->type = "DUM";
      } else {
        a->type = a->element;
        UtilityEngine::instance()->toUpper(a->type);
      }
      skip_[i] = isUndescribable(a, tables_, label);
    }
    aromaticRings_.assign(n, 0);
    for (const Ring* ring : m_.rings)
      if (ring != nullptr && ring->aromatic && validRing(*ring))
        for (int id : ring->atomIds) ++aromaticRings_[static_cast<size_t>(id)];
    for (int level = 1; level <= tables_.maxTypeRuleLevel; ++level)
      if (!applyLevel(level)) break;

    int matchedRings = 0;
    for (Ring* ring : m_.rings)
      if (typeRing(*ring)) ++matchedRings;
    for (const std::pair<int, int>& update : pendingUpdates_)
      m_.bonds[static_cast<size_t>(update.first)]->order = update.second;

    // The ring levels also refine aromatic rings that no template knows: their rules name the
    // ring carbons the positive levels leave bare (the two beside the oxygen of pyrylium).
    const bool aromaticRing = std::any_of(m_.rings.begin(), m_.rings.end(),
                                          [](const Ring* r) { return r != nullptr && r->aromatic; });
    if (matchedRings > 0 || aromaticRing) {
      for (int level = -1; level >= tables_.minTypeRuleLevel; --level)
        if (!applyLevel(level)) break;
    }
    for (Atom* a : m_.atoms) {
      if (a->type != "CAPH") continue;
      for (Bond* b : a->bonds) {
        const Atom* other = a->getAdjacentAtom(b);
        if (other != nullptr && other->isMetalAtom()) {
          a->type = "CCPH";
          break;
        }
      }
    }
  }

 private:
  // One rule level on the types the level started with: every atom sees those, and the new
  // types are set once all atoms are judged. True when some atom matched a rule. An atom whose
  // type no rule of the level starts from is passed over without building its query.
  bool applyLevel(int level) {
    std::unordered_set<std::string> mains;
    for (const TypeRules* rule : tables_.typeRules)
      if (rule->level == level) mains.insert(rule->main);
    UtilityEngine* utility = UtilityEngine::instance();
    std::vector<std::pair<size_t, std::string> > matches;
    for (size_t i = 0; i < m_.atoms.size(); ++i) {
      Atom* a = m_.atoms[i];
      if (skip_[i] || mains.count(a->type) == 0) continue;
      TypeRules& query = query_;
      query.main = a->type;
      for (Bond* b : a->bonds) {
        const int other = indexOf(a->getAdjacentAtom(b));
        if (other < 0) continue;
        const std::string& type = m_.atoms[static_cast<size_t>(other)]->type;
        switch (b->order) {
          case 1: query.single.push_back(type); break;
          case 2: query.double_.push_back(type); break;
          case 3: query.triple.push_back(type); break;
          case kAromaticOrder: query.aromatic.push_back(type); break;
          default: break;
        }
      }
      utility->sortStringVector(query.single);
      utility->sortStringVector(query.double_);
      utility->sortStringVector(query.triple);
      utility->sortStringVector(query.aromatic);
      std::string type;
      if (rules_.find(query, level, type)) matches.emplace_back(i, type);
      query.single.clear();
      query.double_.clear();
      query.triple.clear();
      query.aromatic.clear();
    }
    for (auto& match : matches) m_.atoms[match.first]->type = std::move(match.second);
    return !matches.empty();
  }

  // The atom's list position; ids are positions once the molecule is renumbered, anything else
  // is looked up.
  int indexOf(const Atom* a) const {
    if (a == nullptr) return -1;
    const int id = a->id;
    if (id >= 0 && static_cast<size_t>(id) < m_.atoms.size() && m_.atoms[static_cast<size_t>(id)] == a)
      return id;
    if (positions_.empty())
      for (size_t i = m_.atoms.size(); i-- > 0;) positions_[m_.atoms[i]] = static_cast<int>(i);
    const auto found = positions_.find(a);
    return found == positions_.end() ? -1 : found->second;
  }

  bool validRing(const Ring& ring) const {
    for (int id : ring.atomIds)
      if (id < 0 || static_cast<size_t>(id) >= m_.atoms.size()) return false;
    for (int id : ring.bondIds)
      if (id < 0 || static_cast<size_t>(id) >= m_.bonds.size()) return false;
    return true;
  }

  // A ring template types the atoms of the ring it describes, matched on elements and ring
  // bonds alone. A template of a ring that is not aromatic leaves alone an atom that also lies
  // in another, aromatic ring (the junction of indane or indanone is no alkene carbon), and no
  // template gives a carbon a type of the other hybridisation (the carbonyl carbon of
  // indanone is no methylene).
  bool templateFits(size_t idx, const std::string& templateType, bool aromaticTemplate) {
    const int otherAromatic = aromaticRings_[idx] - (typedRingAromatic_ ? 1 : 0);
    if (!aromaticTemplate && otherAromatic > 0) return false;
    const Atom* a = m_.atoms[idx];
    if (a->element != "C") return true;
    AtomTypeParameters row;
    if (tables_.findAtomTypeParameters(templateType, row) != 1) return true;
    const bool tetrahedral = a->bonds.size() == 4;
    if (row.stype == "CSP3") return tetrahedral;
    if (row.stype == "CSP2") return a->bonds.size() == 3;
    return true;
  }

  void setRingAtomType(int atomId, const std::string& templateType, bool hybrid,
                       bool aromaticTemplate) {
    const size_t idx = static_cast<size_t>(atomId);
    if (skip_[idx] || !templateFits(idx, templateType, aromaticTemplate)) return;
    Atom* a = m_.atoms[idx];
    std::string type = templateType;
    HybridAtomTypes rule;
    if (hybrid && tables_.findHyridType(a->type, templateType, rule) == 1) type = rule.resultType;
    a->type = type;
  }

  // Types one ring by the plain templates, then by the substituted ones. True when any matched.
  bool typeRing(const Ring& ring) {
    const size_t n = ring.atomIds.size();
    if (n != ring.bondIds.size()) {
      ErrorLine() << "This is NOT a ring!";
      return false;
    }
    if (n == 0 || !validRing(ring)) return false;
    // The five-ring templates would give a thiophene or isothiazole 1,1-dioxide the thiophene's
    // types, and its S=O bonds the length of none (1.30 A against 1.43): its sulfur keeps its
    // sulfone type and the ring its chain types.
    if (ring.holdsHypervalentAtom()) return false;
    const int size = static_cast<int>(n);
    std::vector<std::string> names(n);
    std::vector<int> orders(n);
    for (size_t k = 0; k < n; ++k) {
      names[k] = m_.atoms[static_cast<size_t>(ring.atomIds[k])]->element;
      orders[k] = m_.bonds[static_cast<size_t>(ring.bondIds[k])]->order;
    }
    // An aromatic ring around a lone-pair donor (pyrrole, furan, thiophene, imidazole) is typed
    // by its plain templates in Kekule form: the aromatic bonds alone do not tell which
    // nitrogen of imidazole carries the hydrogen.
    bool aromatic = ring.aromatic;
    typedRingAromatic_ = ring.aromatic;
    if (aromatic && kekuleAroundDonors(ring, orders)) aromatic = false;
    // Reversed bond k again joins reversed atoms k and k+1.
    std::vector<int> reversedOrders(n);
    for (size_t k = 0; k + 1 < n; ++k) reversedOrders[k] = orders[n - 2 - k];
    reversedOrders[n - 1] = orders[n - 1];

    bool matched = false;
    BasicRings tmpl;
    int start = 0;
    if (tables_.findBasicRings(names, orders, false, tmpl, start, aromatic)) {
      matched = true;
      for (int k = 0; k < size && k < static_cast<int>(tmpl.atomTypes.size()); ++k) {
        const int p = (k + start) % size;
        setRingAtomType(ring.atomIds[static_cast<size_t>(p)],
                        tmpl.atomTypes[static_cast<size_t>(k)], true, tmpl.aromatic);
        if (tmpl.hasUpdate && k < static_cast<int>(tmpl.newBondOrders.size()))
          pendingUpdates_.emplace_back(ring.bondIds[static_cast<size_t>(p)],
                                       tmpl.newBondOrders[static_cast<size_t>(k)]);
      }
    } else if (tables_.findBasicRings(reversed(names), reversedOrders, false, tmpl, start,
                                      aromatic)) {
      matched = true;
      applyReversed(ring, tmpl, start, true);
    }

    // Substituted pass: each ring atom is named by its first substituent that is no hydrogen.
    std::vector<std::string> substituents(n);
    for (size_t k = 0; k < n; ++k) {
      const Atom* a = m_.atoms[static_cast<size_t>(ring.atomIds[k])];
      const int before = ring.atomIds[(k + n - 1) % n];
      const int after = ring.atomIds[(k + 1) % n];
      substituents[k] = a->type;
      for (Bond* b : a->bonds) {
        const Atom* other = a->getAdjacentAtom(b);
        const int idx = indexOf(other);
        if (idx < 0 || idx == before || idx == after || other->type == "H") continue;
        substituents[k] = other->type;
        break;
      }
    }
    if (tables_.findBasicRings(substituents, orders, true, tmpl, start, aromatic)) {
      matched = true;
      for (int k = 0; k < size && k < static_cast<int>(tmpl.atomTypes.size()); ++k)
        setRingAtomType(ring.atomIds[static_cast<size_t>((k + start) % size)],
                        tmpl.atomTypes[static_cast<size_t>(k)], false, tmpl.aromatic);
    } else if (tables_.findBasicRings(reversed(substituents), reversedOrders, true, tmpl, start,
                                      aromatic)) {
      matched = true;
      applyReversed(ring, tmpl, start, false);
    }
    return matched;
  }

  // Orders of a Kekule form of an aromatic ring that holds lone-pair donors: the bonds at a
  // donor are single, the others alternate from the first donor on, no atom taking two double
  // bonds (an exocyclic one counts). False, orders untouched, when the ring has no donor.
  bool kekuleAroundDonors(const Ring& ring, std::vector<int>& orders) const {
    const size_t n = ring.atomIds.size();
    size_t first = n;
    std::vector<bool> donor(n, false);
    std::vector<bool> hasDouble(n, false);
    for (size_t k = 0; k < n; ++k) {
      const Atom* a = m_.atoms[static_cast<size_t>(ring.atomIds[k])];
      donor[k] = a->givesPiPair();
      hasDouble[k] = a->hasDoubleBond();
      if (donor[k] && first == n) first = k;
    }
    if (first == n) return false;
    std::vector<int> kekule(n, 1);
    for (size_t step = 0; step < n; ++step) {
      const size_t k = (first + step) % n;
      const size_t next = (k + 1) % n;
      if (donor[k] || donor[next] || hasDouble[k] || hasDouble[next]) continue;
      kekule[k] = 2;
      hasDouble[k] = true;
      hasDouble[next] = true;
    }
    orders = kekule;
    return true;
  }

  static std::vector<std::string> reversed(const std::vector<std::string>& names) {
    return std::vector<std::string>(names.rbegin(), names.rend());
  }

  // A match found on the reversed lists, mapped back onto the ring: template atom k lies at
  // ring position (n - start - 1 - k), and template bond k on the ring bond below it.
  void applyReversed(const Ring& ring, const BasicRings& tmpl, int start, bool plain) {
    const int size = static_cast<int>(ring.atomIds.size());
    const int origin = size - start - 1;
    for (int k = 0; k < size && k < static_cast<int>(tmpl.atomTypes.size()); ++k) {
      const int p = (((origin - k) % size) + size) % size;
      setRingAtomType(ring.atomIds[static_cast<size_t>(p)],
                      tmpl.atomTypes[static_cast<size_t>(k)], plain, tmpl.aromatic);
      if (plain && tmpl.hasUpdate && k < static_cast<int>(tmpl.newBondOrders.size())) {
        const int bond = p == 0 ? size - 1 : p - 1;
        pendingUpdates_.emplace_back(ring.bondIds[static_cast<size_t>(bond)],
                                     tmpl.newBondOrders[static_cast<size_t>(k)]);
      }
    }
  }

  Molecule& m_;
  InputParameters& tables_;
  TypeRuleMemo rules_;
  // First list position of each atom, made when an atom's id is not its position.
  mutable std::unordered_map<const Atom*, int> positions_;
  TypeRules query_;   // the query being built, its lists kept for their capacity
  std::vector<bool> skip_;
  std::vector<int> aromaticRings_;   // per atom, the aromatic rings it lies in
  bool typedRingAromatic_ = false;   // whether the ring being typed is one of them
  std::vector<std::pair<int, int> > pendingUpdates_;
};

}  // namespace

void Molecule::findBestAtomType() {
  TypingRun(*this, *InputParameters::instance()).run();
}
