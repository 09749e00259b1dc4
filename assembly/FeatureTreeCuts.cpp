// Cuts and splits of feature trees, the segment walks the comparison runs on one tree, and the
// small helpers of the comparison and its trace.

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <sstream>

#include "assembly/FeatureTreeOps.h"
#include "assembly/FtSplitSearch.h"
#include "math/UtilityEngine.h"

void requireFeatureTree(bool holds, const char* condition, const char* source) {
  if (holds) return;
  ErrorLine() << "Assertion failed: " << condition << " in " << source;
  std::abort();
}

FtCut::FtCut(FtNode* node, FtEdge* cutEdge)
    : vs(node), vt(node != nullptr ? node->getAdjacentNode_(cutEdge) : nullptr), edge(cutEdge),
      ft(node != nullptr ? node->ft : nullptr) {}

FtCut::FtCut(FtEdge* cutEdge, bool isReversed) : edge(cutEdge), reversed(isReversed) {
  if (cutEdge != nullptr) {
    vs = isReversed ? cutEdge->n2 : cutEdge->n1;
    vt = isReversed ? cutEdge->n1 : cutEdge->n2;
  }
  ft = vs != nullptr ? vs->ft : nullptr;
}

FtCut::FtCut(FtNode* node) : vs(node), ft(node != nullptr ? node->ft : nullptr) {}

bool FtCut::isEqual(const FtCut& other, bool directed) const {
  if (*this == other) return true;
  return !directed && vs == other.vt && vt == other.vs;
}

FtSplit::FtSplit(FtNode* node1, FtNode* node2) : cut1(node1), cut2(node2) { takeEnds(); }

FtSplit::FtSplit(FtEdge* edge1, FtNode* node1, FtEdge* edge2, FtNode* node2)
    : cut1(node1, edge1), cut2(node2, edge2) {
  takeEnds();
}

FtSplit::FtSplit(FtEdge* edge1, bool reversed1, FtNode* node2)
    : cut1(edge1, reversed1), cut2(node2) {
  takeEnds();
}

FtSplit::FtSplit(FtNode* node1, FtEdge* edge2, bool reversed2)
    : cut1(node1), cut2(edge2, reversed2) {
  takeEnds();
}

FtSplit::FtSplit(FtEdge* edge1, FtEdge* edge2, bool reversed1, bool reversed2)
    : cut1(edge1, reversed1), cut2(edge2, reversed2) {
  takeEnds();
}

void FtSplit::takeEnds() {
  ft1 = cut1.ft;
  ft2 = cut2.ft;
  s1 = cut1.vs;
  t1 = cut1.vt;
  s2 = cut2.vs;
  t2 = cut2.vt;
}

bool FtSplit::operator==(const FtSplit& other) const {
  if (ft1 != other.ft1 || ft2 != other.ft2) return false;
  if (cut1 == other.cut1 && cut2 == other.cut2) return true;
  if (s1 == other.s1 && t1 == other.t1 && s2 == other.s2 && t2 == other.t2) return true;
  return s1 == other.t1 && t1 == other.s1 && s2 == other.t2 && t2 == other.s2;
}

void FeatureTreeOps::computeNodeCounts() {
  atomCounts.clear();
  for (const FtNode* n : nodes) {
    std::vector<Atom*> distinct = n->atoms;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (Atom* a : distinct) ++atomCounts[a];
  }
}

std::vector<FtEdge*> FeatureTreeOps::bfsWithCuts(FtNode* start, std::vector<FtNode*>& segment,
                                                 int edgeSideValue, int nodeSideValue) {
  std::vector<FtEdge*> walked;
  const size_t nodeCount = nodes.size();
  const size_t edgeCount = edges.size();
  auto nodeIndex = [nodeCount](const FtNode* n) {
    return n != nullptr && n->id >= 0 && static_cast<size_t>(n->id) < nodeCount;
  };
  if (!nodeIndex(start)) return walked;
  cuts.resize(edgeCount, -1);
  edgeSide.resize(edgeCount, -1);
  nodeSide.resize(nodeCount, -1);
  std::vector<bool> reached(nodeCount, false);
  reached[static_cast<size_t>(start->id)] = true;
  std::deque<FtNode*> queue{start};
  while (!queue.empty()) {
    FtNode* u = queue.front();
    queue.pop_front();
    segment.push_back(u);
    nodeSide[static_cast<size_t>(u->id)] = nodeSideValue;
    for (FtEdge* e : u->edges) {
      if (e->id < 0 || static_cast<size_t>(e->id) >= edgeCount) continue;
      const size_t k = static_cast<size_t>(e->id);
      if (cuts[k] >= 0) {
        edgeSide[k] = edgeSideValue;
        continue;
      }
      FtNode* w = u->getAdjacentNode_(e);
      if (!nodeIndex(w) || reached[static_cast<size_t>(w->id)]) continue;
      reached[static_cast<size_t>(w->id)] = true;
      queue.push_back(w);
      walked.push_back(e);
    }
  }
  return walked;
}

void FeatureTreeOps::segmentTree(const FtCut& cut) {
  requireFeatureTree(cut.vs != nullptr, "cut.vs", "FeatureTreeOps");
  requireFeatureTree(cut.vs->ft == ft, "cut.vs->ft == ft", "FeatureTreeOps");
  requireFeatureTree(cut.vt == nullptr || cut.vt->ft == ft, "!cut.vt || cut.vt->ft == ft",
                     "FeatureTreeOps");
  cuts.resize(edges.size(), -1);
  const bool hasEdge =
      cut.edge != nullptr && cut.edge->id >= 0 && static_cast<size_t>(cut.edge->id) < cuts.size();
  const size_t k = hasEdge ? static_cast<size_t>(cut.edge->id) : 0;
  const int saved = hasEdge ? cuts[k] : -1;
  if (hasEdge) cuts[k] = static_cast<int>(edges.size());
  edgeSide.assign(edges.size(), -1);
  nodeSide.assign(nodes.size(), -1);
  std::vector<FtNode*> segment;
  bfsWithCuts(cut.vs, segment, 0, 0);
  if (hasEdge && cut.vt != nullptr) bfsWithCuts(cut.vt, segment, 1, 1);
  if (hasEdge) {
    cuts[k] = saved;
    edgeSide[k] = -1;
  }
}

namespace FtAlgo {

float balance(int a, int b) {
  const int d = std::abs(a - b);
  if (d <= 2) return 1.0f;
  const float result = 1.0f - static_cast<float>(d - 2) / static_cast<float>(a + b - 2);
  requireFeatureTree(result >= 0.0f, "b >= 0", "FtAlgo");
  return result;
}

int count(const std::vector<int>& values, int value) {
  return static_cast<int>(std::count(values.begin(), values.end(), value));
}

bool contains(const std::vector<FtSplit>& list, const FtSplit& split) {
  return std::find(list.begin(), list.end(), split) != list.end();
}

bool contains(const std::vector<FtSplitSearch::Match>& list, const FtSplitSearch::Match& match) {
  return std::find(list.begin(), list.end(), match) != list.end();
}

void addToIfNew(std::vector<FtSplit>& list, const FtSplit& split) {
  if (!contains(list, split)) list.push_back(split);
}

void addToIfNew(std::vector<FtSplitSearch::Match>& list, const FtSplitSearch::Match& match) {
  if (!contains(list, match)) list.push_back(match);
}

std::string str(int value) { return std::to_string(value); }

std::string strf(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string dumpVect(const std::vector<int>& values) {
  std::string text = "[ ";
  for (int v : values) text += std::to_string(v) + " ";
  return text + "]";
}

std::vector<int> nodeIds(const std::vector<FtNode*>& nodes) {
  std::vector<int> ids;
  ids.reserve(nodes.size());
  for (const FtNode* n : nodes) ids.push_back(n->id);
  return ids;
}

std::string dumpNodes(const std::vector<FtNode*>& nodes) { return dumpVect(nodeIds(nodes)); }

std::string dumpSplit(const FtSplit& split) {
  std::ostringstream out;
  out << "( " << split.s1 << " > " << split.t1 << " ) and ( " << split.s2 << " > " << split.t2
      << " ) edges [ " << split.cut1.edge << ", " << split.cut2.edge << " ]";
  return out.str();
}

}  // namespace FtAlgo
