#include "parameters/Topology.h"

void Topology::setTopology(unsigned int atoms, unsigned int bonds) {
  atomCount = atoms;
  bondCount = bonds;
  atomNames.assign(atoms, std::vector<std::string>());
  atomData.assign(atoms, 0);
  bondData1.assign(bonds, 0);
  bondData2.assign(bonds, 0);
  bondData3.assign(bonds, 0);
}

unsigned int Topology::getTopAtomId(std::string name) const {
  for (unsigned int a = 0; a < atomCount && a < atomNames.size(); ++a)
    if (!atomNames[a].empty() && atomNames[a][0] == name) return a;
  return atomCount;
}
