#include "assembly/FeatureTreeOps.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <set>
#include <string>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"

FeatureTreeOps::FeatureTreeOps(FeatureTree* tree)
    : ft(tree), nodes(tree->nodes), edges(tree->edges), cuts(tree->edges.size(), -1),
      nodeSide(tree->nodes.size(), -1) {
  for (FtNode* n : nodes) n->ft = tree;
}

FeatureTree FeatureTreeOps::makeMolecularGraph(Molecule* molecule) {
  FeatureTree tree;
  if (molecule == nullptr) return tree;
  for (Atom* a : molecule->atoms) {
    FtNode* n = new FtNode(&tree);
    n->id = a->id;
    n->atoms.push_back(a);
    tree.nodes.push_back(n);
  }
  auto nodeOf = [&tree](const Atom* a) -> FtNode* {
    if (a == nullptr || a->id < 0 || static_cast<size_t>(a->id) >= tree.nodes.size()) return nullptr;
    return tree.nodes[static_cast<size_t>(a->id)];
  };
  for (Bond* b : molecule->bonds) {
    FtEdge* e = new FtEdge();
    e->id = b->id;
    e->n1 = nodeOf(b->atom1);
    e->n2 = nodeOf(b->atom2);
    if (e->n1 != nullptr) e->n1->edges.push_back(e);
    if (e->n2 != nullptr && e->n2 != e->n1) e->n2->edges.push_back(e);
    tree.edges.push_back(e);
  }
  for (FtNode* n : tree.nodes) n->updateNeighbors();
  return tree;
}

FeatureTree FeatureTreeOps::makeMolecularGraph(GroupGraph* graph) {
  if (graph == nullptr) return FeatureTree();
  std::shared_ptr<Molecule> standIn(Builder::instance()->createMolecule());
  for (const GroupNode* n : graph->nodes) {
    Atom* a = Builder::instance()->createAtom();
    a->name = std::to_string(n->id);
    standIn->addAtom(a);
  }
  auto atomFor = [&standIn](const GroupNode* n) -> Atom* {
    if (n == nullptr || n->id < 0 || static_cast<size_t>(n->id) >= standIn->atoms.size())
      return nullptr;
    return standIn->atoms[static_cast<size_t>(n->id)];
  };
  for (const GroupEdge* e : graph->edges) {
    Bond* b = Builder::instance()->createBond();
    b->order = e->order;
    b->atom1 = atomFor(e->node1);
    b->atom2 = atomFor(e->node2);
    // An edge whose end is not one of this graph's nodes gets no bond, so no edge.
    if (standIn->addBond(b) != 1) delete b;
  }
  FeatureTree tree = makeMolecularGraph(standIn.get());
  tree.heldMolecules.push_back(standIn);
  return tree;
}

void FeatureTreeOps::init() {
  visited.clear();
  order.clear();
  parent.clear();
  low.clear();
  parentEdge.clear();
  color.clear();
  edgeStack.clear();
  components.clear();
}

void FeatureTreeOps::initSearchArrays() {
  int largest = -1;
  for (const FtNode* n : nodes) largest = std::max(largest, n->id);
  size = std::max(static_cast<int>(nodes.size()), largest + 1);
  const size_t n = static_cast<size_t>(size);
  visited.assign(n, false);
  order.assign(n, -1);
  parent.assign(n, -1);
  low.assign(n, INT_MAX);
  parentEdge.assign(n, nullptr);
  color.assign(n, 0);
  counter = 0;
}

void FeatureTreeOps::computeBiConnected() {
  init();
  initSearchArrays();
  // Every connected part is searched: a mixture has rings in each of its molecules.
  for (FtNode* n : nodes)
    if (validNode(n) && !visited[static_cast<size_t>(n->id)]) searchComponentsFrom(n);
}

// Depth-first search with an explicit stack (long chains would exhaust the call stack).
void FeatureTreeOps::searchComponentsFrom(FtNode* start) {
  struct Frame {
    FtNode* node;
    size_t next;
  };
  auto visit = [this](FtNode* v) {
    const size_t i = static_cast<size_t>(v->id);
    visited[i] = true;
    order[i] = counter;
    low[i] = counter;
    ++counter;
  };
  std::vector<Frame> stack;
  visit(start);
  stack.push_back({start, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    FtNode* v = top.node;
    const size_t vi = static_cast<size_t>(v->id);
    if (top.next < v->edges.size()) {
      FtEdge* e = v->edges[top.next++];
      FtNode* w = v->getAdjacentNode_(e);
      if (!validNode(w) || e == parentEdge[vi]) continue;
      const size_t wi = static_cast<size_t>(w->id);
      if (visited[wi]) {
        if (order[wi] < order[vi]) {   // a back edge to an ancestor; seen once from below
          edgeStack.push_front(e);
          low[vi] = std::min(low[vi], order[wi]);
        }
        continue;
      }
      edgeStack.push_front(e);
      parent[wi] = v->id;
      parentEdge[wi] = e;
      visit(w);
      stack.push_back({w, 0});
      continue;
    }
    stack.pop_back();
    if (stack.empty()) break;
    FtNode* p = stack.back().node;
    const size_t pi = static_cast<size_t>(p->id);
    if (low[vi] >= order[pi]) {
      std::vector<FtEdge*> component;
      FtEdge* closing = parentEdge[vi];
      while (!edgeStack.empty()) {
        FtEdge* e = edgeStack.front();
        edgeStack.pop_front();
        component.push_back(e);
        if (e == closing) break;
      }
      components.push_back(component);
    }
    low[pi] = std::min(low[pi], low[vi]);
  }
}

namespace {

// A non-tree edge e met from u at the queued node w: it closes a walk through the search root.
struct Closure {
  FtNode* u;
  FtEdge* e;
  FtNode* w;
};

}  // namespace

void FeatureTreeOps::searchFrom(FtNode* root,
                                const std::function<void(FtNode*, FtEdge*, FtNode*)>& onClosure) {
  std::fill(color.begin(), color.end(), 0);
  std::fill(order.begin(), order.end(), -1);
  std::fill(parent.begin(), parent.end(), -1);
  std::fill(parentEdge.begin(), parentEdge.end(), nullptr);
  branch.assign(static_cast<size_t>(size), -1);
  std::deque<FtNode*> queue;
  const size_t ri = static_cast<size_t>(root->id);
  color[ri] = 1;
  order[ri] = 0;
  queue.push_back(root);
  while (!queue.empty()) {
    FtNode* u = queue.front();
    const size_t ui = static_cast<size_t>(u->id);
    for (FtEdge* e : u->edges) {
      FtNode* w = u->getAdjacentNode_(e);
      if (!validNode(w)) continue;
      const size_t wi = static_cast<size_t>(w->id);
      if (color[wi] == 0) {
        color[wi] = 1;
        order[wi] = order[ui] + 1;
        parent[wi] = u->id;
        parentEdge[wi] = e;
        branch[wi] = u == root ? w->id : branch[ui];
        queue.push_back(w);
      } else if (color[wi] == 1) {
        onClosure(u, e, w);
      }
    }
    queue.pop_front();
    color[ui] = 2;
  }
}

std::deque<FtEdge*> FeatureTreeOps::closedWalk(FtNode* u, FtEdge* e, FtNode* w) const {
  auto pathToRoot = [this](FtNode* from) {
    std::deque<FtEdge*> path;   // edges from `from` up to the root
    FtNode* n = from;
    for (int guard = 0; validNode(n) && guard < size; ++guard) {
      FtEdge* up = parentEdge[static_cast<size_t>(n->id)];
      if (up == nullptr) break;
      path.push_back(up);
      n = n->getAdjacentNode_(up);
    }
    return path;
  };
  std::deque<FtEdge*> walk;
  const std::deque<FtEdge*> up = pathToRoot(u);
  walk.insert(walk.end(), up.rbegin(), up.rend());
  walk.push_back(e);
  const std::deque<FtEdge*> down = pathToRoot(w);
  walk.insert(walk.end(), down.begin(), down.end());
  return walk;
}

std::list<std::deque<FtEdge*> > FeatureTreeOps::findCycles(FtNode* root) {
  std::list<std::deque<FtEdge*> > walks;
  if (!validNode(root)) return walks;
  std::vector<Closure> closures;
  searchFrom(root, [&closures](FtNode* u, FtEdge* e, FtNode* w) { closures.push_back({u, e, w}); });
  for (const Closure& c : closures) walks.push_back(closedWalk(c.u, c.e, c.w));
  return walks;
}

namespace {

bool containsAll(const std::deque<FtEdge*>& walk, const std::deque<FtEdge*>& kept) {
  for (const FtEdge* e : kept)
    if (std::find(walk.begin(), walk.end(), e) == walk.end()) return false;
  return true;
}

}  // namespace

void FeatureTreeOps::findUniqueCycles() {
  initSearchArrays();
  uniqueCycles.clear();
  for (FtNode* root : nodes) {
    if (!validNode(root)) continue;
    // Only the shortest closed walks through the root are built: building every one costs the
    // ring count times the walk length per root, cubic on a long fused ladder.
    std::vector<Closure> shortest;
    int shortestLength = INT_MAX;
    searchFrom(root, [&](FtNode* u, FtEdge* e, FtNode* w) {
      // Two branches that leave the root by the same edge share their first stretch: that walk
      // is a ring with a tail run twice, not a ring through the root.
      if (u != root && branch[static_cast<size_t>(u->id)] == branch[static_cast<size_t>(w->id)])
        return;
      const int length = order[static_cast<size_t>(u->id)] + order[static_cast<size_t>(w->id)] + 1;
      if (length < shortestLength) {
        shortestLength = length;
        shortest.clear();
      }
      if (length == shortestLength) shortest.push_back({u, e, w});
    });
    for (const Closure& c : shortest) {
      std::deque<FtEdge*> walk = closedWalk(c.u, c.e, c.w);
      const bool known = std::any_of(uniqueCycles.begin(), uniqueCycles.end(),
                                     [&walk](const std::deque<FtEdge*>& kept) {
                                       return kept.size() == walk.size() && containsAll(walk, kept);
                                     });
      if (!known) uniqueCycles.push_back(walk);
    }
  }
}

std::list<std::vector<int> > FeatureTreeOps::getUniqueCycles(Molecule* molecule) {
  std::list<std::vector<int> > result;
  if (molecule == nullptr) return result;
  FeatureTree graph = makeMolecularGraph(molecule);
  FeatureTreeOps ops(&graph);
  ops.computeBiConnected();
  for (const std::vector<FtEdge*>& component : ops.components) {
    if (component.size() < 2) continue;   // a bridge holds no cycle
    FeatureTree part(component);
    FeatureTreeOps partOps(&part);
    partOps.findUniqueCycles();
    for (const std::deque<FtEdge*>& walk : partOps.uniqueCycles) {
      std::vector<int> ids;
      ids.reserve(walk.size());
      for (const FtEdge* e : walk) ids.push_back(e->id);
      result.push_back(ids);
    }
  }
  return result;
}

void FeatureTreeOps::updateNodeEdgeLists() {
  for (FtNode* n : nodes) n->edges.clear();
  for (FtEdge* e : edges) {
    if (e->n1 != nullptr) e->n1->edges.push_back(e);
    if (e->n2 != nullptr && e->n2 != e->n1) e->n2->edges.push_back(e);
  }
  for (FtNode* n : nodes) n->updateNeighbors();
}

FtEdge* FeatureTreeOps::findEdge(int id) const {
  for (FtEdge* e : edges)
    if (e->id == id) return e;
  return nullptr;
}

FtEdge* FeatureTreeOps::findEdge(const FtNode* a, const FtNode* b) const {
  for (FtEdge* e : edges)
    if ((e->n1 == a && e->n2 == b) || (e->n1 == b && e->n2 == a)) return e;
  return nullptr;
}

std::set<FtNode*> FeatureTreeOps::findAtomSet(const Atom* atom) const {
  std::set<FtNode*> found;
  for (FtNode* n : nodes)
    if (n->containsAtom(atom)) found.insert(n);
  return found;
}

FtNode* FeatureTreeOps::findAtom(const Atom* atom) const {
  for (FtNode* n : nodes)
    if (n->containsAtom(atom)) return n;
  return nullptr;
}

bool FeatureTreeOps::containsAtom(const Atom* atom) const { return findAtom(atom) != nullptr; }

bool FeatureTreeOps::edgeIsAccountedFor(const Atom* a, const Atom* b) const {
  for (const FtNode* n : nodes)
    if (n->containsAtom(a) && n->containsAtom(b)) return true;
  auto holds = [](const FtNode* n, const Atom* atom) {
    return n != nullptr && n->containsAtom(atom);
  };
  for (const FtEdge* e : edges)
    if ((holds(e->n1, a) && holds(e->n2, b)) || (holds(e->n1, b) && holds(e->n2, a))) return true;
  return false;
}

unsigned char* FeatureTreeOps::makeAdjacencyMatrix() const {
  const size_t n = nodes.size();
  if (n == 0) return nullptr;
  unsigned char* matrix = new unsigned char[n * n]();
  auto inRange = [n](const FtNode* node) {
    return node != nullptr && node->id >= 0 && static_cast<size_t>(node->id) < n;
  };
  for (const FtEdge* e : edges) {
    if (!inRange(e->n1) || !inRange(e->n2)) continue;
    const size_t i = static_cast<size_t>(e->n1->id);
    const size_t j = static_cast<size_t>(e->n2->id);
    matrix[i * n + j] = 1;
    matrix[j * n + i] = 1;
  }
  return matrix;
}
