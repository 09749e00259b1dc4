#include "model/GroupGraphRecords.h"

#include "model/Ring.h"

GroupGraph::~GroupGraph() {
  for (int i = 0; i < nodeCount && static_cast<size_t>(i) < nodes.size(); ++i) delete nodes[i];
  for (int i = 0; i < edgeCount && static_cast<size_t>(i) < edges.size(); ++i) delete edges[i];
  for (int i = 0; i < ringCount && static_cast<size_t>(i) < rings.size(); ++i) delete rings[i];
  nodes.clear();
  edges.clear();
  rings.clear();
}
