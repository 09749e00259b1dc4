// The molecule operations that run the functional-group matcher and the dumps: they belong to
// MoleculeOperations (construction/) but call into this library.

#include <memory>
#include <string>
#include <vector>

#include "assembly/FeatureTreeOps.h"
#include "assembly/VfGraph.h"
#include "assembly/VfState.h"
#include "construction/MoleculeOperations.h"
#include "io/MoleculeEngine.h"
#include "model/GroupGraphRecords.h"
#include "model/Molecule.h"
#include "model/Ring.h"

namespace {

// Runs one candidate against the target graph; the count of complete matches.
int matchCandidate(Molecule* candidate, VfGraph& target, std::string name) {
  VfGraph pattern(candidate);
  VfState start(&pattern, &target);
  return match(&start, name);
}

bool fitsInto(const Molecule* candidate, const Molecule* molecule) {
  return candidate != nullptr && candidate->atoms.size() <= molecule->atoms.size();
}

}  // namespace

bool MoleculeOperations::matchMolecule(Molecule* molecule, std::vector<Molecule*>* candidates,
                                       std::map<std::string, int>& counts) {
  if (molecule == nullptr || candidates == nullptr) return false;
  sortMoleculeVector(candidates);
  VfGraph target(molecule);
  for (Molecule* candidate : *candidates) {
    if (!fitsInto(candidate, molecule)) continue;
    if (matchCandidate(candidate, target, candidate->smiles) > 0) {
      ++counts[candidate->getName()];
      return true;
    }
  }
  return false;
}

Molecule* MoleculeOperations::findFunctionalGroups(Molecule* molecule) {
  if (molecule == nullptr) return nullptr;
  VfGraph target(molecule);
  for (Molecule* pattern : MoleculeEngine::instance()->patterns)
    if (fitsInto(pattern, molecule)) matchCandidate(pattern, target, pattern->getName());
  std::unique_ptr<Molecule> grouped(target.createMolecule());
  if (target.hasAllGroups()) return grouped.release();
  if (grouped != nullptr) {
    const std::string name = molecule->getName();
    grouped->printUnmatchedParts(name);
    grouped->printMatchedParts(name);
  }
  molecule->printMainMolecule("UnMatched/");
  return nullptr;
}

int MoleculeOperations::findUniqueRings(GroupGraph* graph) {
  if (graph == nullptr) return 0;
  // The group-level molecule: one atom per node, named by the node's id, one bond per edge.
  FeatureTree levels = FeatureTreeOps::makeMolecularGraph(graph);
  if (levels.heldMolecules.empty()) return 0;
  Molecule* groupLevel = levels.heldMolecules.front().get();
  if (!graph->name.empty()) groupLevel->names.push_back(graph->name);
  groupLevel->printMoleculeInfo();
  if (!findUniqueRings(groupLevel)) return 0;
  // The rings move to the graph, which owns them from here on.
  for (int i = 0; i < graph->ringCount && static_cast<size_t>(i) < graph->rings.size(); ++i)
    delete graph->rings[static_cast<size_t>(i)];
  graph->rings = groupLevel->rings;
  groupLevel->rings.clear();
  groupLevel->numRings = 0;
  for (Ring* r : graph->rings) r->molecule = nullptr;
  graph->ringCount = static_cast<int>(graph->rings.size());
  return 1;
}
