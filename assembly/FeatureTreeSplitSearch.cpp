// The recursive split search that compares two feature trees.

#include <algorithm>
#include <iostream>
#include <sstream>

#include "assembly/FeatureTreeOps.h"
#include "assembly/FtSplitSearch.h"

using FtAlgo::dumpNodes;
using FtAlgo::dumpSplit;
using FtAlgo::strf;

namespace {

// Splits explored at each level of the search.
const size_t kTopSplits = 3;

// Marks the edge cut (mark >= 0) or uncut (-1) in its tree's operations.
void markCut(FeatureTreeOps* ops, const FtEdge* e, int mark) {
  if (e == nullptr || e->id < 0 || static_cast<size_t>(e->id) >= ops->cuts.size()) return;
  ops->cuts[static_cast<size_t>(e->id)] = mark;
}

}  // namespace

FtSplitSearch::FtSplitSearch(FeatureTree* first, FeatureTree* second) : ft1(first), ft2(second) {
  if (ft1 != nullptr) ops1.reset(new FeatureTreeOps(ft1));
  if (ft2 != nullptr) ops2.reset(new FeatureTreeOps(ft2));
  if (ops1) ops1->computeNodeCounts();
  if (ops2) ops2->computeNodeCounts();
}

FtSplitSearch::~FtSplitSearch() = default;

void FtSplitSearch::DBG(const std::string& text) const {
  std::string indent;
  for (int i = 0; i < depth; ++i) indent += "  ";
  std::cout << indent << text << std::endl;
}

std::string FtSplitSearch::dumpCuts(const FeatureTreeOps* ops) const {
  requireFeatureTree(ops->cuts.size() == ops->edges.size(), "ops->cuts.size() == ops->edges.size()",
                     "FtAlgo");
  std::ostringstream out;
  for (size_t k = 0; k < ops->edges.size(); ++k) {
    const FtEdge* e = ops->edges[k];
    out << "    " << e->id << " [ " << e->n1 << " > " << e->n2 << " ]: " << ops->cuts[k] << "\n";
  }
  return out.str();
}

float FtSplitSearch::directSimilarity(const NodeList& nodes1, const NodeList& nodes2,
                                      const EdgeList&, const EdgeList&) const {
  auto weight = [](const FeatureTreeOps* ops, const NodeList& nodes) {
    double w = 0.0;
    for (const FtNode* n : nodes)
      for (Atom* a : n->atoms) {
        auto it = ops->atomCounts.find(a);
        if (it != ops->atomCounts.end() && it->second > 0) w += 1.0 / it->second;
      }
    return w;
  };
  const double w1 = weight(ops1.get(), nodes1);
  const double w2 = weight(ops2.get(), nodes2);
  if (w1 + w2 == 0.0) return 1.0f;
  return static_cast<float>(2.0 * std::min(w1, w2) / (w1 + w2));
}

float FtSplitSearch::similarity(int side, bool) {
  NodeList nodes1, nodes2;
  EdgeList edges1, edges2;
  auto collect = [side](const FeatureTreeOps* ops, NodeList& nodes, EdgeList& edges) {
    for (size_t k = 0; k < ops->nodes.size() && k < ops->nodeSide.size(); ++k)
      if (ops->nodeSide[k] == side) nodes.push_back(ops->nodes[k]);
    for (size_t k = 0; k < ops->edges.size() && k < ops->edgeSide.size(); ++k)
      if (ops->edgeSide[k] == side) edges.push_back(ops->edges[k]);
  };
  collect(ops1.get(), nodes1, edges1);
  collect(ops2.get(), nodes2, edges2);
  return directSimilarity(nodes1, nodes2, edges1, edges2);
}

float FtSplitSearch::calculateSplitScore(const FtSplit&, bool flag) {
  const float side0 = similarity(0, flag);
  const float side1 = similarity(1, flag);
  const float balance1 =
      FtAlgo::balance(FtAlgo::count(ops1->nodeSide, 0), FtAlgo::count(ops1->nodeSide, 1));
  const float balance2 =
      FtAlgo::balance(FtAlgo::count(ops2->nodeSide, 0), FtAlgo::count(ops2->nodeSide, 1));
  const double balanceTerm = static_cast<double>(0.6f) * (balance1 + balance2) / 2.0;
  return static_cast<float>(balanceTerm + 0.4 * (side0 + side1));
}

bool FtSplitSearch::isTopologyMaintaining(int appliedCount) {
  if (appliedCount <= 0) return true;
  for (const FeatureTreeOps* ops : {ops1.get(), ops2.get()}) {
    std::vector<int> sideOfCut(static_cast<size_t>(appliedCount), -1);
    for (size_t k = 0; k < ops->cuts.size() && k < ops->edgeSide.size(); ++k) {
      const int c = ops->cuts[k];
      if (c < 0 || c >= appliedCount) continue;
      int& seen = sideOfCut[static_cast<size_t>(c)];
      const int side = ops->edgeSide[k];
      if (seen != -1 && side != -1 && seen != side) return false;
      if (seen == -1) seen = side;
    }
  }
  return true;
}

float FtSplitSearch::evaluateSplit(const FtSplit& split, const std::vector<FtSplit>& applied,
                                   bool flag) {
  ops1->segmentTree(split.cut1);
  ops2->segmentTree(split.cut2);
  if (!isTopologyMaintaining(static_cast<int>(applied.size()))) return -1.0f;
  return calculateSplitScore(split, flag);
}

bool FtSplitSearch::insertIfNotForbidden(const FtSplit& split, Candidates& candidates,
                                         const std::vector<FtSplit>& forbidden) {
  if (FtAlgo::contains(forbidden, split)) return false;
  candidates.emplace(evaluateSplit(split, forbidden, false), split);
  return true;
}

std::vector<std::pair<FtSplit, float> > FtSplitSearch::findSplits(
    FtNode* a, FtNode* b, const EdgeList& edges1, const EdgeList& edges2,
    const std::vector<FtSplit>& applied) {
  Candidates candidates;
  // The last index on each side stands for no edge there.
  for (size_t i = 0; i <= edges1.size(); ++i)
    for (size_t j = 0; j <= edges2.size(); ++j) {
      const bool first = i < edges1.size();
      const bool second = j < edges2.size();
      if (first && second) {
        insertIfNotForbidden(FtSplit(edges1[i], edges2[j], false, false), candidates, applied);
        insertIfNotForbidden(FtSplit(edges1[i], edges2[j], false, true), candidates, applied);
      } else if (first) {
        insertIfNotForbidden(FtSplit(edges1[i], false, b), candidates, applied);
        insertIfNotForbidden(FtSplit(edges1[i], true, b), candidates, applied);
      } else if (second) {
        insertIfNotForbidden(FtSplit(a, edges2[j], false), candidates, applied);
        insertIfNotForbidden(FtSplit(a, edges2[j], true), candidates, applied);
      }
    }
  DBG("findSplits: TOP " + FtAlgo::str(static_cast<int>(kTopSplits)) + " foundSplits:");
  // Highest score first; among equal scores the later inserted first.
  std::vector<std::pair<FtSplit, float> > best;
  for (auto it = candidates.rbegin(); it != candidates.rend() && best.size() < kTopSplits; ++it) {
    DBG("  " + dumpSplit(it->second) + ": " + strf(it->first));
    best.emplace_back(it->second, it->first);
  }
  return best;
}

float FtSplitSearch::splitSearchCompare(FtNode* a, FtNode* b, const std::vector<FtSplit>& applied,
                                        std::vector<FtSplit>& bestSplits, bool& leaf,
                                        std::vector<Match>& found) {
  NodeList segment1, segment2;
  const EdgeList edges1 = ops1->bfsWithCuts(a, segment1, 0, 0);
  const EdgeList edges2 = ops2->bfsWithCuts(b, segment2, 0, 0);
  const float directSim = directSimilarity(segment1, segment2, edges1, edges2);
  DBG(" Subtrees: " + dumpNodes(segment1) + " <--> " + dumpNodes(segment2) +
      " - directSim: " + strf(directSim));

  if (segment1.size() > 1 && segment2.size() > 1 && directSim >= 0.1f) {
    const std::vector<std::pair<FtSplit, float> > candidates =
        findSplits(a, b, edges1, edges2, applied);
    DBG("findSplits returned : " + FtAlgo::str(static_cast<int>(candidates.size())) +
        " splits at depth: " + FtAlgo::str(depth));
    if (!candidates.empty()) {
      ++depth;
      const std::vector<FtSplit> below = applied;
      float best = -1.0f;
      for (const auto& candidate : candidates) {
        const FtSplit& split = candidate.first;
        DBG("Applying split: " + dumpSplit(split));
        markCut(ops1.get(), split.cut1.edge, static_cast<int>(ops1->edges.size()));
        markCut(ops2.get(), split.cut2.edge, static_cast<int>(ops2->edges.size()));
        std::vector<FtSplit> leftSplits, rightSplits;
        std::vector<Match> leftMatches, rightMatches;
        bool leftLeaf = false;
        bool rightLeaf = false;
        const float left =
            splitSearchCompare(split.s1, split.s2, below, leftSplits, leftLeaf, leftMatches);
        float right = 0.0f;   // a node cut leaves no second side
        if (split.t1 != nullptr && split.t2 != nullptr)
          right =
              splitSearchCompare(split.t1, split.t2, below, rightSplits, rightLeaf, rightMatches);
        markCut(ops1.get(), split.cut1.edge, -1);
        markCut(ops2.get(), split.cut2.edge, -1);
        if (left + right > best) {
          DBG("  New maxScore: from split: " + strf(left + right) + ", old maxScore: " +
              strf(best));
          bestSplits.assign(1, split);
          for (const FtSplit& s : leftSplits) FtAlgo::addToIfNew(bestSplits, s);
          for (const FtSplit& s : rightSplits) FtAlgo::addToIfNew(bestSplits, s);
          found.clear();
          for (const Match& m : leftMatches) FtAlgo::addToIfNew(found, m);
          for (const Match& m : rightMatches) FtAlgo::addToIfNew(found, m);
          best = left + right;
        }
      }
      --depth;
      leaf = false;
      return best;
    }
  }
  found.emplace_back(directSim, std::make_pair(segment1, segment2));
  leaf = true;
  return directSim;
}

float FtSplitSearch::runAlgorithm() {
  matches.clear();
  if (ft1 == nullptr || ft2 == nullptr || ft1->nodes.empty() || ft2->nodes.empty()) return -1.0f;
  depth = 0;
  std::vector<FtSplit> bestSplits;
  bool leaf = false;
  const float score =
      splitSearchCompare(ft1->nodes.front(), ft2->nodes.front(), {}, bestSplits, leaf, matches);
  DBG("Best matching: " + strf(score) + " -  contains: " +
      FtAlgo::str(static_cast<int>(bestSplits.size())) + " splits");
  for (const FtSplit& split : bestSplits) DBG("  Split nodes: " + dumpSplit(split));
  DBG("Matches:");
  for (const Match& m : matches)
    DBG("  " + dumpNodes(m.second.first) + " <---> " + dumpNodes(m.second.second) +
        " - score: " + strf(m.first));
  return score;
}
