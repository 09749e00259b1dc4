// Matching an atom's neighbourhood against the type rules, and a perceived ring against the
// basic ring templates.

#include "parameters/InputParameters.h"

#include "model/Bond.h"

namespace {

// Walks a sorted rule list against the sorted query list of the same size. Counts the explicit
// rule entries found in the query; "*" entries (always last) take whatever is left.
bool walkList(const std::vector<std::string>& rule, const std::vector<std::string>& query,
              int& count) {
  count = 0;
  size_t ri = 0;
  size_t qi = 0;
  while (true) {
    if (ri >= rule.size() || rule[ri] == "*")
      return true;
    if (qi >= query.size())
      return false;
    if (query[qi] != rule[ri]) {
      // Smaller query entries are passed over and left for the rule's "*" entries.
      size_t search = qi;
      while (search < query.size() && query[search] < rule[ri])
        ++search;
      if (search == query.size() || query[search] != rule[ri])
        return false;
      qi = search;
    }
    ++count;
    ++qi;
    ++ri;
  }
}

}  // namespace

bool InputParameters::findTypeRules(TypeRules query, int level, std::string& type) {
  int bestScore = -1;
  std::string bestType;
  for (const TypeRules* rule : typeRules) {
    if (rule->level != level || rule->main != query.main ||
        rule->single.size() != query.single.size() ||
        rule->double_.size() != query.double_.size() ||
        rule->triple.size() != query.triple.size() ||
        rule->aromatic.size() != query.aromatic.size())
      continue;
    int count = 0;
    if (!walkList(rule->double_, query.double_, count) ||
        !walkList(rule->triple, query.triple, count) ||
        !walkList(rule->aromatic, query.aromatic, count))
      continue;
    // The rule that names more single-bonded neighbours is the more specific one; among equals
    // the first in the table wins.
    int score = 0;
    if (!walkList(rule->single, query.single, score))
      continue;
    if (score > bestScore) {
      bestScore = score;
      bestType = rule->type;
    }
  }
  if (bestScore < 0)
    return false;
  type = bestType;
  return true;
}

bool InputParameters::findBasicRings(std::vector<std::string> names, std::vector<int> orders,
                                     bool substituted, BasicRings& out, int& start,
                                     bool aromatic) {
  const size_t n = names.size();
  if (n == 0 || orders.size() != n)
    return false;
  // A double and an aromatic bond count as equal; a single and an aromatic do not.
  auto sameOrder = [](int a, int b) {
    return a == b || (a == 2 && b == kAromaticOrder) || (a == kAromaticOrder && b == 2);
  };
  for (const BasicRings* ring : basicRings) {
    if (ring->aromatic != aromatic || ring->substituted != substituted ||
        ring->atomElements.size() != n || ring->bondOrders.size() != n)
      continue;
    // Forward rotations only: a ring read backwards is a different template.
    for (size_t k = 0; k < n; ++k) {
      bool match = true;
      for (size_t i = 0; i < n && match; ++i) {
        size_t j = (k + i) % n;
        match = names[j] == ring->atomElements[i] && sameOrder(ring->bondOrders[i], orders[j]);
      }
      if (match) {
        out = *ring;
        start = static_cast<int>(k);
        return true;
      }
    }
  }
  return false;
}
