// The model work behind the view's changes: a join of two 25-heavy-atom groups and a delete-atom
// Apply on a 50-heavy-atom molecule, each from the graph copies to the finished molecule (set-up
// chain and optimisation included). Inputs are made from SMILES outside the timed loop.

#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "construction/MoleculeEdits.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "tests/support/QtApplication.h"

namespace {

// 25 heavy atoms: two benzene rings, an ester and a piperazine, ending in an ethyl group.
const char* const kGroup25 = "c1ccc(cc1)CCOC(=O)c2ccc(cc2)N3CCN(CC3)CC";
// 50 heavy atoms: the same motifs twice over, joined by a butyl chain.
const char* const kMolecule50 =
    "c1ccc(cc1)CCOC(=O)c2ccc(cc2)N3CCN(CC3)CCCCOC(=O)c4ccc(cc4)N5CCN(CC5)CCc6ccccc6";

using Owned = std::unique_ptr<Molecule>;

// The optimisers' lines and the table warnings stay out of the timing table.
class QuietScope {
 public:
  QuietScope()
      : savedOut(std::cout.rdbuf(sink.rdbuf())),
        savedErrors(setErrorSink([](const std::string&) {})),
        savedLevel(UtilityEngine::instance()->printLevel) {
    UtilityEngine::instance()->printLevel = 0;
  }
  ~QuietScope() {
    std::cout.rdbuf(savedOut);
    setErrorSink(savedErrors);
    UtilityEngine::instance()->printLevel = savedLevel;
  }
  QuietScope(const QuietScope&) = delete;
  QuietScope& operator=(const QuietScope&) = delete;

 private:
  std::ostringstream sink;
  std::streambuf* savedOut;
  ErrorSink savedErrors;
  int savedLevel;
};

Owned fromSmiles(const char* text) {
  kvtest::ensureApplication();
  SmilesParser parser;
  return Owned(parser.smilesToMol(text));
}

Atom* lastHydrogen(const Molecule& m) {
  for (auto it = m.atoms.rbegin(); it != m.atoms.rend(); ++it)
    if ((*it)->element == "H") return *it;
  return nullptr;
}

// The group with its last hydrogen made into an open bond axis.
Owned groupWithAxis() {
  Owned m = fromSmiles(kGroup25);
  lastHydrogen(*m)->editMark = 2;
  return Owned(rebuildWithNewBondAxes(m.get(), nullptr).molecule);
}

Bond* axisOf(const Molecule& m) {
  for (Bond* b : m.bonds)
    if (isDummy(b->atom1) || isDummy(b->atom2)) return b;
  return nullptr;
}

void BM_JoinTwoGroups(benchmark::State& state) {
  QuietScope quiet;
  Owned first = groupWithAxis();
  Owned second = groupWithAxis();
  for (auto _ : state) {
    const EditResult joined =
        joinAtBondAxes(first.get(), axisOf(*first), second.get(), axisOf(*second), nullptr);
    if (joined.outcome != EditOutcome::Rebuilt) state.SkipWithError("the join failed");
    delete joined.molecule;
  }
}
BENCHMARK(BM_JoinTwoGroups)->Unit(benchmark::kMillisecond);

void BM_DeleteAtomApply(benchmark::State& state) {
  QuietScope quiet;
  Owned molecule = fromSmiles(kMolecule50);
  molecule->atoms[0]->editMark = 1;   // a ring carbon: the ring opens into a chain
  for (auto _ : state) {
    const EditResult applied = rebuildWithoutMarkedAtoms(molecule.get(), nullptr);
    if (applied.outcome != EditOutcome::Rebuilt) state.SkipWithError("the Apply failed");
    delete applied.molecule;
  }
}
BENCHMARK(BM_DeleteAtomApply)->Unit(benchmark::kMillisecond);

}  // namespace
