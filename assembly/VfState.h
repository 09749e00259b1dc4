#pragma once

// The VF2 state-space search for the induced subgraph isomorphisms of a pattern graph (a
// functional group) in a target graph (a molecule). A state is one partial mapping; the states
// along one search path share their mapping and terminal-set arrays and carry only counters, so
// a search step costs one small allocation and backTrack undoes its stamps in place.

#include <memory>
#include <string>
#include <vector>

class VfGraph;

// The running number of complete matches in this process; never reset.
extern int GroupCount;

// Ends the process with status 1 after the message on the error channel: an allocation failure
// ("Out of memory") or an index outside a graph, which the search itself never produces.
[[noreturn]] void vfFatal(const char* message);

class VfState {
 public:
  // The empty mapping of pattern into target.
  VfState(VfGraph* pattern, VfGraph* target);
  // Shares the arrays; the copy's own pair, if it adds one, is undone by its backTrack.
  VfState(const VfState& other);
  VfState& operator=(const VfState&) = delete;
  ~VfState() = default;
  VfState* clone() const;
  // Lets go of the arrays and forgets both graphs.
  void clear();

  // The next candidate pair after (prev1, prev2), -1 for none: the pattern node stays fixed
  // while every target node of the same terminal class is tried in index order.
  bool nextPair(int* n1, int* n2, int prev1 = -1, int prev2 = -1) const;
  bool isFeasiblePair(int n1, int n2) const;
  bool isNodePairMatch(int n1, int n2) const;
  void addPair(int n1, int n2);
  void backTrack();
  bool isGoal() const { return coreLen == size1; }
  bool isDead() const;
  // Stamps the complete mapping into the target under `name`; false, stamping nothing, when a
  // target node is claimed already. c1 and c2 receive the matched pattern and target indices.
  bool getMatchingGroup(int* c1, int* c2, const std::string& name);
  // States using this state's arrays, this one included; 0 after clear.
  long shareCount() const { return arrays.use_count(); }

  VfGraph* g1 = nullptr;   // pattern
  VfGraph* g2 = nullptr;   // target
  int size1 = 0;
  int size2 = 0;

  // Shared arrays: the image of each node (-1 none) and the core length at which a node entered
  // the in or out terminal set (0 not in it).
  int* core1 = nullptr;
  int* core2 = nullptr;
  int* in1 = nullptr;
  int* out1 = nullptr;
  int* in2 = nullptr;
  int* out2 = nullptr;

  int coreLen = 0;
  int origCoreLen = 0;
  int addedNode1 = -1;
  int t1bothLen = 0;
  int t2bothLen = 0;
  int t1inLen = 0;
  int t1outLen = 0;
  int t2inLen = 0;
  int t2outLen = 0;

 private:
  struct Arrays {
    std::vector<int> core1, core2, in1, out1, in2, out2;
  };
  std::shared_ptr<Arrays> arrays;

  // Stamps node (and its neighbours) at the current core length where not stamped yet.
  void stamp(const VfGraph* g, int node, int* in, int* out, int& inLen, int& outLen,
             int& bothLen) const;
  void unstamp(const VfGraph* g, int node, int* in, int* out) const;
  // Counts the unmapped neighbours of node in the in set, the out set and neither; false when
  // a mapped neighbour has no edge of the same label on the other side.
  bool countNeighbours(const VfGraph* g, const VfGraph* other, int node, int otherNode,
                       const int* core, const int* in, const int* out, int counts[3]) const;
};

// Counts every match of the state's pattern in its target and stamps each one whose atoms are
// all free. Each complete match appends "_" and the next GroupCount to `name`, so a pattern
// matched twice in one call gives its second match the lengthened name.
int match(VfState* start, std::string& name);
// The recursive step; returns false so that every match is enumerated.
bool match(VfState* state, int* count, int* c1, int* c2, std::string& name);
