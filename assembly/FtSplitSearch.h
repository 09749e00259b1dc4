#pragma once

// Comparison of two feature trees by a recursive split search: both trees are cut at a pair of
// edges (or one edge against a whole node), the parts on each side are compared recursively,
// and the best-scoring set of splits matches node groups of one tree to node groups of the
// other. Scores rest on how many nodes share each atom, on how evenly a split divides each
// tree and on the weight of the compared node sets. The trace goes to standard output,
// indented by the recursion depth. Defined in FeatureTreeCuts.cpp and
// FeatureTreeSplitSearch.cpp.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "assembly/FeatureTree.h"

class FeatureTreeOps;

// A directed cut of one tree at one edge: vs stays on the kept side, vt lies across the edge.
// A node cut has a node and nothing else.
class FtCut {
 public:
  FtCut() = default;
  // vt is the edge's other end from node (null when node is not an end or there is no edge).
  FtCut(FtNode* node, FtEdge* cutEdge);
  // Not reversed: vs = n1, vt = n2; reversed: the other way round.
  FtCut(FtEdge* cutEdge, bool isReversed);
  explicit FtCut(FtNode* node);

  bool operator==(const FtCut& other) const { return vs == other.vs && vt == other.vt; }
  // Undirected also accepts the swapped pair.
  bool isEqual(const FtCut& other, bool directed) const;

  FtNode* vs = nullptr;
  FtNode* vt = nullptr;
  FtEdge* edge = nullptr;
  FeatureTree* ft = nullptr;   // the tree of vs
  bool reversed = false;
};

// A pair of cuts, one in each tree.
class FtSplit {
 public:
  FtSplit(FtNode* node1, FtNode* node2);
  FtSplit(FtEdge* edge1, FtNode* node1, FtEdge* edge2, FtNode* node2);
  FtSplit(FtEdge* edge1, bool reversed1, FtNode* node2);
  FtSplit(FtNode* node1, FtEdge* edge2, bool reversed2);
  FtSplit(FtEdge* edge1, FtEdge* edge2, bool reversed1, bool reversed2);

  // Same trees, and the same cuts, or the same ends, or both sides swapped end for end.
  bool operator==(const FtSplit& other) const;

  FeatureTree* ft1 = nullptr;
  FeatureTree* ft2 = nullptr;
  FtCut cut1;
  FtCut cut2;
  FtNode* s1 = nullptr;
  FtNode* s2 = nullptr;
  FtNode* t1 = nullptr;
  FtNode* t2 = nullptr;

 private:
  void takeEnds();
};

class FtSplitSearch {
 public:
  using NodeList = std::vector<FtNode*>;
  using EdgeList = std::vector<FtEdge*>;
  // A matched pair of segments with its score.
  using Match = std::pair<float, std::pair<NodeList, NodeList> >;
  using Candidates = std::multimap<float, FtSplit>;

  // The trees are not owned; node and edge ids must be positions (FeatureTree::fixIds).
  FtSplitSearch(FeatureTree* first, FeatureTree* second);
  ~FtSplitSearch();
  FtSplitSearch(const FtSplitSearch&) = delete;
  FtSplitSearch& operator=(const FtSplitSearch&) = delete;

  // The best total score, and `matches` filled; -1.0 when a tree is null or empty.
  float runAlgorithm();
  // The recursive step from node a of tree 1 and node b of tree 2.
  float splitSearchCompare(FtNode* a, FtNode* b, const std::vector<FtSplit>& applied,
                           std::vector<FtSplit>& bestSplits, bool& leaf,
                           std::vector<Match>& found);
  // At most three candidate splits of the two segments, best first.
  std::vector<std::pair<FtSplit, float> > findSplits(FtNode* a, FtNode* b, const EdgeList& edges1,
                                                     const EdgeList& edges2,
                                                     const std::vector<FtSplit>& applied);
  // False for a split equal to a forbidden one; otherwise evaluated and inserted under its
  // score.
  bool insertIfNotForbidden(const FtSplit& split, Candidates& candidates,
                            const std::vector<FtSplit>& forbidden);
  // -1.0 when the split breaks the sides of the applied splits, else its score. The flags of
  // this and the two below change nothing; the search passes false.
  float evaluateSplit(const FtSplit& split, const std::vector<FtSplit>& applied, bool flag);
  bool isTopologyMaintaining(int appliedCount);
  float calculateSplitScore(const FtSplit& split, bool flag);
  float similarity(int side, bool flag);
  // 2 min(W1, W2) / (W1 + W2), W the summed atom weights (1 / nodes holding the atom) of each
  // list; 1.0 when both weigh nothing. The edges are not used.
  float directSimilarity(const NodeList& nodes1, const NodeList& nodes2, const EdgeList& edges1,
                         const EdgeList& edges2) const;
  // One trace line, indented by the depth.
  void DBG(const std::string& text) const;
  // One line per edge with its ends and its cut mark.
  std::string dumpCuts(const FeatureTreeOps* ops) const;

  FeatureTree* ft1;
  FeatureTree* ft2;
  std::unique_ptr<FeatureTreeOps> ops1;   // null for a null tree
  std::unique_ptr<FeatureTreeOps> ops2;
  std::vector<Match> matches;   // of the last run
  int depth = 0;
};

// Helpers of the comparison and its trace.
namespace FtAlgo {

// 1.0 when the sides differ by at most 2 nodes, else 1 - (d - 2) / (a + b - 2).
float balance(int a, int b);
int count(const std::vector<int>& values, int value);
bool contains(const std::vector<FtSplit>& list, const FtSplit& split);
bool contains(const std::vector<FtSplitSearch::Match>& list, const FtSplitSearch::Match& match);
// Appends unless an equal element is present.
void addToIfNew(std::vector<FtSplit>& list, const FtSplit& split);
void addToIfNew(std::vector<FtSplitSearch::Match>& list, const FtSplitSearch::Match& match);

std::string str(int value);
std::string strf(float value);
std::string dumpVect(const std::vector<int>& values);   // "[ 1 2 ]"
std::vector<int> nodeIds(const std::vector<FtNode*>& nodes);
std::string dumpNodes(const std::vector<FtNode*>& nodes);
std::string dumpSplit(const FtSplit& split);

}  // namespace FtAlgo
