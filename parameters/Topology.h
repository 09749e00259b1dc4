#ifndef KV_PARAMETERS_TOPOLOGY_H
#define KV_PARAMETERS_TOPOLOGY_H

// A holder of per-atom and per-bond index tables with a lookup of atoms by name, the companion
// of the older type-table reader (Parameters). Nothing in the application fills or reads it.

#include <cstdint>
#include <string>
#include <vector>

class Topology {
 public:
  unsigned int atomCount = 0;
  unsigned int bondCount = 0;
  std::vector<std::string> names;
  // Per atom its names; the first is the one getTopAtomId compares. Empty until filled.
  std::vector<std::vector<std::string>> atomNames;
  std::vector<std::int32_t> atomData;   // one entry per atom
  std::vector<std::int32_t> bondData1, bondData2, bondData3;   // one entry per bond each

  // Records both counts and sizes the tables: per-atom names empty, the other entries 0.
  void setTopology(unsigned int atoms, unsigned int bonds);
  // Index of the first atom whose first name is the given one; atomCount when none is.
  unsigned int getTopAtomId(std::string name) const;
};

#endif
