// Condensing a molecule into a feature tree: ring systems, branching chain atoms, terminal atoms
// folded into their neighbours, and empty hub nodes where several nodes share an atom.
// Whatever would otherwise follow pointer order (the atoms of a node, the members of a binding
// site) is ordered by id, so one molecule gives one tree, and one set of dumps, run after run.

#include <algorithm>
#include <iostream>
#include <string>
#include <utility>

#include "assembly/FeatureTreeOps.h"
#include "model/Atom.h"

namespace {

using BindingSites = std::map<std::set<FtNode*>, FtNode*>;

bool atomBefore(const Atom* a, const Atom* b) {
  return a->id != b->id ? a->id < b->id : std::less<const Atom*>()(a, b);
}

bool nodeBefore(const FtNode* a, const FtNode* b) {
  return a->id != b->id ? a->id < b->id : std::less<const FtNode*>()(a, b);
}

// The distinct atoms of the nodes, ordered by id.
std::vector<Atom*> unionOfAtoms(const std::vector<FtNode*>& nodes) {
  std::vector<Atom*> atoms;
  for (const FtNode* n : nodes) atoms.insert(atoms.end(), n->atoms.begin(), n->atoms.end());
  std::sort(atoms.begin(), atoms.end(), atomBefore);
  atoms.erase(std::unique(atoms.begin(), atoms.end()), atoms.end());
  return atoms;
}

// The distinct ends of the edges, ordered by id.
template <typename Edges>
std::vector<FtNode*> endsOf(const Edges& edges) {
  std::vector<FtNode*> ends;
  for (const FtEdge* e : edges)
    for (FtNode* end : {e->n1, e->n2})
      if (end != nullptr) ends.push_back(end);
  std::sort(ends.begin(), ends.end(), nodeBefore);
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  return ends;
}

bool shareAtom(const FtNode* a, const FtNode* b) {
  for (const Atom* atom : a->atoms)
    if (b->containsAtom(atom)) return true;
  return false;
}

FtNode* newNode(FeatureTree* tree, int id, std::vector<Atom*> atoms) {
  FtNode* n = new FtNode(tree);
  n->id = id;
  n->atoms = std::move(atoms);
  return n;
}

// Appends a node with id = its position.
FtNode* appendNode(FeatureTree* tree, FtNode* n) {
  n->id = static_cast<int>(tree->nodes.size());
  n->ft = tree;
  tree->nodes.push_back(n);
  return n;
}

// Appends an edge with id = its position.
FtEdge* appendEdge(FeatureTree* tree, FtNode* a, FtNode* b) {
  FtEdge* e = new FtEdge();
  e->id = static_cast<int>(tree->edges.size());
  e->n1 = a;
  e->n2 = b;
  tree->edges.push_back(e);
  return e;
}

// The tree's nodes and edges go; `nodes` take their place, without edges.
void replaceContents(FeatureTree* tree, std::vector<FtNode*> nodes) {
  tree->clearEdges();
  tree->clearNodes();
  tree->nodes = std::move(nodes);
}

// The end two edges share: with both ends shared, the second end of a.
FtNode* sharedEnd(const FtEdge* a, const FtEdge* b) {
  auto isEndOfB = [b](const FtNode* n) { return n != nullptr && (b->n1 == n || b->n2 == n); };
  if (isEndOfB(a->n2)) return a->n2;
  if (isEndOfB(a->n1)) return a->n1;
  return nullptr;
}

FtNode* otherEnd(const FtEdge* e, const FtNode* end) { return e->n1 == end ? e->n2 : e->n1; }

const Atom* atomOf(const FtNode* n) { return n->atoms.empty() ? nullptr : n->atoms.front(); }

}  // namespace

FeatureTree::FeatureTree(Molecule* molecule) { append(FeatureTreeOps::makeFeatureTree(molecule)); }

FeatureTree FeatureTreeOps::makeFeatureTree(Molecule* molecule) {
  FeatureTree tree;
  FeatureTreeOps ops(&tree);
  ops.createFeatureTree(molecule);
  tree.fixIds();
  return tree;
}

void FeatureTreeOps::addCommonAtomEdges() {
  int next = 0;
  for (size_t i = 0; i < nodes.size(); ++i)
    for (size_t j = i + 1; j < nodes.size(); ++j) {
      if (!shareAtom(nodes[i], nodes[j]) || findEdge(nodes[i], nodes[j]) != nullptr) continue;
      FtEdge* e = new FtEdge();
      e->id = next++;
      e->n1 = nodes[i];
      e->n2 = nodes[j];
      edges.push_back(e);
    }
  updateNodeEdgeLists();
}

void FeatureTreeOps::makeCycleGraph() {
  std::vector<FtNode*> cycleNodes;
  for (const std::deque<FtEdge*>& walk : uniqueCycles) {
    std::vector<Atom*> atoms;
    for (const FtNode* n : endsOf(walk))
      if (!n->atoms.empty()) atoms.push_back(n->atoms.front());
    cycleNodes.push_back(newNode(ft, static_cast<int>(cycleNodes.size()), atoms));
  }
  uniqueCycles.clear();   // its walks run over the edges about to go
  replaceContents(ft, cycleNodes);
  addCommonAtomEdges();

  initSearchArrays();
  bool cyclic = false;
  for (FtNode* n : nodes) {
    const size_t walks = findCycles(n).size();
    std::cout << "NumCycles for Cycle-Graph node " << n << ": " << walks << std::endl;
    if (walks > 0) cyclic = true;
  }
  if (cyclic) {
    std::cout << "Cycle-Graph is cyclic.  Decomposing...\n";
    computeBiConnected();
    std::vector<FtNode*> merged;
    for (const std::vector<FtEdge*>& component : components) {
      const int id = static_cast<int>(merged.size());
      merged.push_back(newNode(ft, id, unionOfAtoms(endsOf(component))));
    }
    init();   // components and the edge stack point at the edges about to go
    replaceContents(ft, merged);
    addCommonAtomEdges();
  } else if (nodes.size() != edges.size() + 1) {
    std::cout << "Cycle-graph is not cyclic and not a tree! Decomposing to single node...\n";
    std::vector<Atom*> atoms = unionOfAtoms(nodes);
    replaceContents(ft, {newNode(ft, 0, atoms)});
  }
}

FtNode* FeatureTreeOps::getBindingSite(std::set<FtNode*> members, BindingSites& sites) {
  if (members.empty()) return nullptr;
  if (members.size() == 1) return *members.begin();
  auto known = sites.find(members);
  if (known != sites.end()) return known->second;

  FtNode* hub = appendNode(ft, new FtNode(ft));
  std::cout << "Adding a new Empty node binding site: \n";
  sites[members] = hub;
  std::vector<FtEdge*> inside;
  for (FtEdge* e : edges)
    if (members.count(e->n1) != 0 && members.count(e->n2) != 0) inside.push_back(e);
  for (FtEdge* e : inside) {
    removeEdge(e);
    delete e;
  }
  std::vector<FtNode*> ordered(members.begin(), members.end());
  std::sort(ordered.begin(), ordered.end(), nodeBefore);
  for (FtNode* n : ordered) {
    std::cout << "  Node: " << n << std::endl;
    appendEdge(ft, n, hub);
  }
  return hub;
}

namespace {

// The steps of createFeatureTree after the ring systems, on the tree T of `ops` and the
// molecular graph G.
class Condensation {
 public:
  Condensation(FeatureTreeOps& treeOps, FeatureTree& molecularGraph)
      : ops(treeOps), tree(treeOps.ft), graph(molecularGraph) {}

  // Every chain atom with more than one neighbour that no ring node holds gets a node, joined
  // to the node (or binding site) of each neighbour.
  void addChainNodes() {
    std::vector<std::pair<FtNode*, const FtNode*> > added;   // T node, its G node
    for (const FtNode* g : graph.nodes) {
      if (g->atoms.empty() || g->neighbors.size() <= 1 || ops.containsAtom(atomOf(g))) continue;
      FtNode* copy = g->clone();
      copy->edges.clear();
      copy->neighbors.clear();
      added.emplace_back(appendNode(tree, copy), g);
    }
    for (const auto& entry : added) {
      FtNode* n = entry.first;
      for (const FtNode* w : entry.second->neighbors) {
        if (atomOf(w) == nullptr) continue;
        FtNode* site = ops.getBindingSite(ops.findAtomSet(atomOf(w)), sites);
        if (site == nullptr || ops.findEdge(n, site) != nullptr) continue;
        n->edges.push_back(appendEdge(tree, n, site));
      }
    }
    ops.dumpGraphVizFile("dot/zzzCollectedIncNonLeafPreUpdate.dot");
    ops.updateNodeEdgeLists();
    ops.dumpGraphVizFile("dot/zzzCollectedIncNonLeaf.dot");
  }

  // A terminal atom joins every node that holds its neighbour.
  void foldLeaves() {
    for (const FtNode* g : graph.nodes) {
      if (g->edges.size() != 1 || g->atoms.empty()) continue;
      const FtNode* w = g->getAdjacentNode_(g->edges.front());
      if (w == nullptr || atomOf(w) == nullptr) continue;
      for (FtNode* holder : ops.findAtomSet(atomOf(w))) holder->atoms.push_back(g->atoms.front());
    }
    ops.dumpGraphVizFile("dot/zzzzLeafNodes.dot");
  }

  // A bond between two nodes that no node or edge accounts for becomes an edge between their
  // binding sites, unless one joins them already: a chain atom on a ring-fusion atom is joined
  // to the fusion atom's hub when its node is made, and the hub holds no atom, so the bond still
  // looks unaccounted for here.
  void addUnaccountedEdges() {
    for (const FtEdge* bond : graph.edges) {
      if (bond->n1 == nullptr || bond->n2 == nullptr) continue;
      const Atom* a = atomOf(bond->n1);
      const Atom* b = atomOf(bond->n2);
      if (a == nullptr || b == nullptr || ops.edgeIsAccountedFor(a, b)) continue;
      FtNode* siteA = ops.getBindingSite(ops.findAtomSet(a), sites);
      FtNode* siteB = ops.getBindingSite(ops.findAtomSet(b), sites);
      if (siteA == nullptr || siteB == nullptr || ops.findEdge(siteA, siteB) != nullptr) continue;
      std::cout << "Found unaccounted-for edge in original graph: " << bond->n1 << " -- "
                << bond->n2 << std::endl;
      appendEdge(tree, siteA, siteB);
    }
    ops.updateNodeEdgeLists();
    ops.dumpGraphVizFile("dot/zzzzzAllEdges.dot");
  }

  // Three nodes joined in a triangle become a star around a new hub.
  void fixTriangles() {
    const size_t count = tree->edges.size();
    for (size_t i = 0; i < count; ++i)
      for (size_t j = i + 1; j < count; ++j) {
        FtEdge* first = tree->edges[i];
        FtEdge* second = tree->edges[j];
        FtNode* c = sharedEnd(first, second);
        if (c == nullptr) continue;
        FtNode* x = otherEnd(first, c);
        FtNode* y = otherEnd(second, c);
        FtEdge* third = ops.findEdge(x, y);
        if (third == nullptr || third == first || third == second) continue;
        std::cout << "ERROR: Found 3-cycle!\n";
        FtNode* hub = appendNode(tree, new FtNode(tree));
        third->n1 = c;
        third->n2 = hub;
        first->n1 = x;
        first->n2 = hub;
        second->n1 = y;
        second->n2 = hub;
      }
    ops.updateNodeEdgeLists();
    ops.dumpGraphVizFile("dot/zzzzzzFixCycles.dot");
  }

 private:
  FeatureTreeOps& ops;
  FeatureTree* tree;
  FeatureTree& graph;
  BindingSites sites;   // one map serves the whole construction
};

}  // namespace

void FeatureTreeOps::createFeatureTree(Molecule* molecule) {
  FeatureTree graph = makeMolecularGraph(molecule);
  FeatureTreeOps graphOps(&graph);
  graphOps.dumpGraphVizFile("dot/graph.dot");
  graphOps.computeBiConnected();

  // Ring systems: the cycle graph of every component that holds a cycle.
  std::vector<FeatureTree> ringSystems;
  for (size_t k = 0; k < graphOps.components.size(); ++k) {
    FeatureTree part(graphOps.components[k]);
    FeatureTreeOps partOps(&part);
    partOps.findUniqueCycles();
    if (partOps.uniqueCycles.empty()) continue;
    partOps.dumpGraphVizFile("dot/com" + std::to_string(k) + ".dot");
    partOps.makeCycleGraph();
    ringSystems.push_back(part);
  }
  for (const FeatureTree& system : ringSystems) ft->append(system);
  updateNodeEdgeLists();
  addCommonAtomEdges();
  dumpGraphVizFile("dot/zzPreNonLeaf.dot");

  Condensation steps(*this, graph);
  steps.addChainNodes();
  steps.foldLeaves();
  steps.addUnaccountedEdges();
  steps.fixTriangles();
}
