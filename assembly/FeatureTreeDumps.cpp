// Text forms of feature trees: node, edge and atom output, the plain dump and the GraphViz dump.

#include <fstream>
#include <ostream>

#include "assembly/FeatureTreeOps.h"
#include "model/Atom.h"

std::ostream& operator<<(std::ostream& out, const FtNode& node) { return out << node.id + 1; }

std::ostream& operator<<(std::ostream& out, const FtNode* node) {
  if (node == nullptr) return out << "Nil";
  return out << *node;
}

std::ostream& operator<<(std::ostream& out, const FtEdge& edge) { return out << edge.id + 1; }

std::ostream& operator<<(std::ostream& out, const FtEdge* edge) {
  if (edge == nullptr) return out << "Nil";
  return out << *edge;
}

std::ostream& operator<<(std::ostream& out, const Atom* atom) {
  if (atom == nullptr) return out << "Nil";
  return out << atom->id + 1;
}

namespace {

template <typename List>
void writeSeparated(std::ostream& out, const List& items) {
  bool firstItem = true;
  for (const auto* item : items) {
    if (!firstItem) out << ", ";
    out << item;
    firstItem = false;
  }
}

}  // namespace

void FeatureTreeOps::dump(std::ostream& out) const {
  out << "\n---- Dump of FeatureTree: " << static_cast<const void*>(this) << " ------------\n"
      << nodes.size() << " Nodes:\n------------\n";
  for (const FtNode* n : nodes) {
    out << "Node " << n << ": Edges [";
    writeSeparated(out, n->edges);
    out << "]  Neighbors: <";
    // A neighbour equal to the last one ends the list, wherever it stands.
    for (const FtNode* m : n->neighbors) {
      out << m;
      if (m != n->neighbors.back()) out << ", ";
    }
    out << "> Atoms: {";
    writeSeparated(out, n->atoms);
    out << "}\n";
  }
  out << edges.size() << " Edges:\n------------\n";
  for (const FtEdge* e : edges) out << "Edge " << e << ": " << e->n1 << " <--> " << e->n2 << "\n";
}

void FeatureTreeOps::dumpGraphViz(std::ostream& out) const {
  out << " digraph G {\n"
      << " splines=true;\n"
      << " overlap=false;\n"
      << " node [style=filled, fillcolor=grey35, fontsize=10, shape=circle, width=0.5] ";
  for (const FtNode* n : nodes) {
    out << " " << n
        << "  [ label=< <TABLE border=\"0\" > <TR color=\"white\"><TD> <FONT color=\"white\" "
           "POINT-SIZE=\"24\" > "
        << n << "</FONT> </TD> </TR> <TR color=\"black\"> <TD bgcolor=\"grey90\" > ";
    for (size_t i = 0; i < n->atoms.size(); ++i) {
      out << n->atoms[i] << " ";
      if (i + 1 < n->atoms.size()) out << " ";
    }
    out << "</TD></TR> </TABLE> > ];\n";
  }
  out << "edge [len=1.5];\n";
  for (const FtEdge* e : edges)
    out << e->n1 << " -> " << e->n2 << " [ label= \"" << e << "\" ];\n";
  out << "}\n";
}

void FeatureTreeOps::dumpGraphVizFile(const std::string& path) const {
  std::ofstream file(path, std::ios::out | std::ios::trunc);
  if (!file) return;
  dumpGraphViz(file);
}

void FeatureTreeOps::dumpUniqueCycles(int) const {}
