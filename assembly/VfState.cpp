#include "assembly/VfState.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "assembly/VfGraph.h"
#include "math/UtilityEngine.h"

int GroupCount = 0;

void vfFatal(const char* message) {
  printError(message);
  std::exit(1);
}

namespace {

bool sameElement(std::string a, std::string b) {
  UtilityEngine* utility = UtilityEngine::instance();
  utility->toUpper(a);
  utility->toUpper(b);
  return a == "DUM" || b == "DUM" || a == b;
}

// Which terminal class the next pair is drawn from.
enum class Terminal { Both, Out, In, Any };

bool inClass(Terminal c, int in, int out) {
  switch (c) {
    case Terminal::Both: return in != 0 && out != 0;
    case Terminal::Out: return out != 0;
    case Terminal::In: return in != 0;
    case Terminal::Any: return true;
  }
  return true;
}

}  // namespace

VfState::VfState(VfGraph* pattern, VfGraph* target)
    : g1(pattern), g2(target), size1(pattern != nullptr ? pattern->nodeCount : 0),
      size2(target != nullptr ? target->nodeCount : 0) {
  try {
    arrays = std::make_shared<Arrays>();
    const size_t n1 = static_cast<size_t>(size1);
    const size_t n2 = static_cast<size_t>(size2);
    arrays->core1.assign(n1, -1);
    arrays->in1.assign(n1, 0);
    arrays->out1.assign(n1, 0);
    arrays->core2.assign(n2, -1);
    arrays->in2.assign(n2, 0);
    arrays->out2.assign(n2, 0);
  } catch (const std::bad_alloc&) {
    vfFatal("Out of memory");
  }
  core1 = arrays->core1.data();
  in1 = arrays->in1.data();
  out1 = arrays->out1.data();
  core2 = arrays->core2.data();
  in2 = arrays->in2.data();
  out2 = arrays->out2.data();
}

VfState::VfState(const VfState& other)
    : g1(other.g1), g2(other.g2), size1(other.size1), size2(other.size2), core1(other.core1),
      core2(other.core2), in1(other.in1), out1(other.out1), in2(other.in2), out2(other.out2),
      coreLen(other.coreLen), origCoreLen(other.coreLen), addedNode1(-1),
      t1bothLen(other.t1bothLen), t2bothLen(other.t2bothLen), t1inLen(other.t1inLen),
      t1outLen(other.t1outLen), t2inLen(other.t2inLen), t2outLen(other.t2outLen),
      arrays(other.arrays) {}

VfState* VfState::clone() const {
  VfState* copy = new (std::nothrow) VfState(*this);
  if (copy == nullptr) vfFatal("Out of memory");
  return copy;
}

void VfState::clear() {
  arrays.reset();
  core1 = core2 = in1 = out1 = in2 = out2 = nullptr;
  g1 = g2 = nullptr;
  size1 = size2 = 0;
}

bool VfState::isDead() const {
  return size1 > size2 || t1bothLen > t2bothLen || t1outLen > t2outLen || t1inLen > t2inLen;
}

bool VfState::nextPair(int* n1, int* n2, int prev1, int prev2) const {
  if (prev1 < 0) prev1 = 0;
  prev2 = prev2 < 0 ? 0 : prev2 + 1;
  Terminal c = Terminal::Any;
  if (t1bothLen > coreLen && t2bothLen > coreLen)
    c = Terminal::Both;
  else if (t1outLen > coreLen && t2outLen > coreLen)
    c = Terminal::Out;
  else if (t1inLen > coreLen && t2inLen > coreLen)
    c = Terminal::In;
  while (prev1 < size1 && (core1[prev1] != -1 || !inClass(c, in1[prev1], out1[prev1]))) {
    ++prev1;
    prev2 = 0;
  }
  while (prev2 < size2 && (core2[prev2] != -1 || !inClass(c, in2[prev2], out2[prev2]))) ++prev2;
  if (prev1 >= size1 || prev2 >= size2) return false;
  *n1 = prev1;
  *n2 = prev2;
  return true;
}

bool VfState::isNodePairMatch(int n1, int n2) const {
  const size_t i = static_cast<size_t>(n1);
  const size_t j = static_cast<size_t>(n2);
  return sameElement(g1->element[i], g2->element[j]) && g1->bondCount[i] == g2->bondCount[j];
}

bool VfState::countNeighbours(const VfGraph* g, const VfGraph* other, int node, int otherNode,
                              const int* core, const int* in, const int* out,
                              int counts[3]) const {
  // The graphs keep both directions of a bond in one list, so the out and in edges of a node
  // are the same edges: one pass checks both.
  const int edgeCount = g->getOutCount(node);
  for (int k = 0; k < edgeCount; ++k) {
    int label = 0;
    const int neighbour = g->getOutEdge(node, k, &label);
    const int image = core[neighbour];
    if (image != -1) {
      int otherLabel = 0;
      if (!other->hasEdge(otherNode, image, &otherLabel) || otherLabel != label) return false;
    } else {
      if (in[neighbour] != 0) ++counts[0];
      if (out[neighbour] != 0) ++counts[1];
      if (in[neighbour] == 0 && out[neighbour] == 0) ++counts[2];
    }
  }
  return true;
}

bool VfState::isFeasiblePair(int n1, int n2) const {
  if (n1 < 0 || n1 >= size1 || n2 < 0 || n2 >= size2 || core1[n1] != -1 || core2[n2] != -1)
    vfFatal("Error: isFeasiblePair");
  // A claimed atom belongs to one group only.
  if (g2->hasGroup[static_cast<size_t>(n2)] || !isNodePairMatch(n1, n2)) return false;
  int pattern[3] = {0, 0, 0};   // in-terminal, out-terminal, new
  int target[3] = {0, 0, 0};
  // Edges among mapped nodes must exist on both sides with equal labels: the match is induced.
  if (!countNeighbours(g1, g2, n1, n2, core1, in1, out1, pattern)) return false;
  if (!countNeighbours(g2, g1, n2, n1, core2, in2, out2, target)) return false;
  return pattern[0] <= target[0] && pattern[1] <= target[1] && pattern[2] <= target[2];
}

void VfState::stamp(const VfGraph* g, int node, int* in, int* out, int& inLen, int& outLen,
                    int& bothLen) const {
  if (in[node] == 0) {
    in[node] = coreLen;
    ++inLen;
    if (out[node] != 0) ++bothLen;
  }
  if (out[node] == 0) {
    out[node] = coreLen;
    ++outLen;
    if (in[node] != 0) ++bothLen;
  }
  // In and out neighbours are the same nodes: each gets both stamps where it lacks them.
  const int edgeCount = g->getOutCount(node);
  for (int k = 0; k < edgeCount; ++k) {
    const int other = g->getOutEdge(node, k);
    if (in[other] == 0) {
      in[other] = coreLen;
      ++inLen;
      if (out[other] != 0) ++bothLen;
    }
    if (out[other] == 0) {
      out[other] = coreLen;
      ++outLen;
      if (in[other] != 0) ++bothLen;
    }
  }
}

void VfState::addPair(int n1, int n2) {
  if (n1 < 0 || n1 >= size1 || n2 < 0 || n2 >= size2 || coreLen >= size1 || coreLen >= size2)
    vfFatal("Error: addPair");
  ++coreLen;
  addedNode1 = n1;
  stamp(g1, n1, in1, out1, t1inLen, t1outLen, t1bothLen);
  stamp(g2, n2, in2, out2, t2inLen, t2outLen, t2bothLen);
  core1[n1] = n2;
  core2[n2] = n1;
}

void VfState::unstamp(const VfGraph* g, int node, int* in, int* out) const {
  if (in[node] == coreLen) in[node] = 0;
  if (out[node] == coreLen) out[node] = 0;
  const int edgeCount = g->getOutCount(node);
  for (int k = 0; k < edgeCount; ++k) {
    const int other = g->getOutEdge(node, k);
    if (in[other] == coreLen) in[other] = 0;
    if (out[other] == coreLen) out[other] = 0;
  }
}

void VfState::backTrack() {
  if (addedNode1 < 0 || coreLen - origCoreLen != 1) vfFatal("Error: Backtrack");
  const int n1 = addedNode1;
  const int n2 = core1[n1];
  unstamp(g1, n1, in1, out1);
  unstamp(g2, n2, in2, out2);
  core1[n1] = -1;
  core2[n2] = -1;
  coreLen = origCoreLen;
  addedNode1 = -1;
}

bool VfState::getMatchingGroup(int* c1, int* c2, const std::string& name) {
  const std::string base = name.substr(0, name.find('_'));
  int pairs = 0;
  for (int i = 0; i < size1; ++i) {
    if (core1[i] == -1) continue;
    c1[pairs] = i;
    c2[pairs] = core1[i];
    ++pairs;
  }
  for (int k = 0; k < pairs; ++k)
    if (g2->hasGroup[static_cast<size_t>(c2[k])]) return false;
  for (int k = 0; k < pairs; ++k) {
    const size_t p = static_cast<size_t>(c1[k]);
    const size_t t = static_cast<size_t>(c2[k]);
    g2->hasGroup[t] = true;
    g2->groupName[t] = name;
    g2->groupBase[t] = base;
    g2->type[t] = g1->type[p];
    g2->atomName[t] = g1->atomName[p];
  }
  g2->groups.push_back(name);
  // The group's own bond orders replace the molecule's: a Kekule ring gets the group's form.
  for (int a = 0; a < pairs; ++a)
    for (int b = 0; b < pairs; ++b) {
      if (a == b || !g1->hasEdge(c1[a], c1[b]) || !g2->hasEdge(c2[a], c2[b])) continue;
      const int order = g1->getActualBondOrder(c1[a], c1[b]);
      g2->setActualBondOrder(c2[a], c2[b], order);
      g2->setActualBondOrder(c2[b], c2[a], order);
    }
  return true;
}

bool match(VfState* state, int* count, int* c1, int* c2, std::string& name) {
  if (state->isGoal()) {
    ++*count;
    const int number = GroupCount++;
    name += "_" + std::to_string(number);
    state->getMatchingGroup(c1, c2, name);
    return false;
  }
  if (state->isDead()) return false;
  int n1 = -1;
  int n2 = -1;
  while (state->nextPair(&n1, &n2, n1, n2)) {
    if (!state->isFeasiblePair(n1, n2)) continue;
    VfState* next = state->clone();
    next->addPair(n1, n2);
    const bool found = match(next, count, c1, c2, name);
    next->backTrack();
    delete next;
    if (found) return true;
  }
  return false;
}

int match(VfState* start, std::string& name) {
  if (start == nullptr) return 0;
  const size_t n = static_cast<size_t>(std::max(start->size1, start->size2));
  std::vector<int> c1;
  std::vector<int> c2;
  try {
    c1.assign(n, 0);
    c2.assign(n, 0);
  } catch (const std::bad_alloc&) {
    vfFatal("Out of memory");
  }
  int count = 0;
  match(start, &count, c1.data(), c2.data(), name);
  return count;
}
