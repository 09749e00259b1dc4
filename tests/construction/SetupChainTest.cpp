// The set-up chain's one entry: steps left out do not run, a refusal stops the chain, names the
// step, leaves its error line and never a molecule marked optimised, and the modifiers (types
// kept while axes are open, a fresh name, the mark) do what the readers and edits rely on.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "support/ErrorCapture.h"
#include "support/QtApplication.h"

namespace {

using Owned = std::unique_ptr<Molecule>;

// A perceived, typed graph without coordinates, as the SMILES reader hands it to the chain.
Owned graphOf(const char* smiles) {
  kvtest::ensureApplication();
  return Owned(SmilesParser().smilesToGraph(smiles));
}

Owned finished(const char* smiles) {
  kvtest::ensureApplication();
  return Owned(SmilesParser().smilesToMol(smiles));
}

// A finished molecule whose last atom is moved to 0.3 Angstrom from the first, which it shares
// no bond with.
Owned stacked(const char* smiles) {
  Owned m = finished(smiles);
  if (m == nullptr) return m;
  SSEVector4f& last = m->positions.back();
  last = m->positions.front();
  last.x += 0.3f;
  return m;
}

}  // namespace

TEST(SetupChain, ARefusalNamesItsStepStopsTheChainAndLeavesNothingMarkedOptimised) {
  SetupSteps keptCoordinates{SetupStep::Spheroids, SetupStep::Naming, SetupStep::Energies};
  keptCoordinates.markOptimised = true;
  SetupSteps optimised = SetupSteps::all().without(SetupStep::Perception);
  optimised.markOptimised = true;
  const struct {
    const char* what;
    Owned molecule;
    SetupSteps steps;
    SetupStep refused;
    const char* line;   // part of the refusing step's own line
  } cases[] = {
      {"kept coordinates with two atoms stacked", stacked("CCO"), keptCoordinates,
       SetupStep::Spheroids, "Angstrom apart"},
      // Labels no geometry holds: the trans-bridged tropine puts a bridgehead's hydrogen inside.
      {"an inside-out bridgehead", graphOf("CN1[C@@H]2CC[C@@H]1CC(C2)O"), optimised,
       SetupStep::Optimisation, "as written"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.molecule) << c.what;
    Molecule& m = *c.molecule;
    m.isOptimized = true;   // as a library entry or a copy of one may come
    const std::vector<std::string> names = m.names;
    const float bondEnergy = m.totalBondEnergy;
    kvtest::ErrorCapture errors;
    const SetupResult result = runSetupChain(m, c.steps);
    EXPECT_EQ(c.refused, result.refused) << c.what;
    EXPECT_FALSE(result.ok()) << c.what;
    ASSERT_FALSE(errors.lines.empty()) << c.what;
    EXPECT_NE(std::string::npos, errors.lines.front().find(c.line)) << errors.text();
    EXPECT_FALSE(m.isOptimized) << c.what;
    EXPECT_EQ(names, m.names) << c.what << ": naming ran after the refusal";
    EXPECT_EQ(bondEnergy, m.totalBondEnergy) << c.what << ": energies ran after the refusal";
  }
}

TEST(SetupChain, StepsLeftOutDoNotRun) {
  // A file that keeps its coordinates: spheroids only, and marked finished.
  Owned kept = finished("CC(=O)N");
  ASSERT_TRUE(kept);
  kept->isOptimized = false;
  kept->positions[0].x += 0.2f;   // off the optimum, where nothing but an optimisation moves it
  const std::vector<SSEVector4f> before = kept->positions;
  const std::vector<std::string> names = kept->names;
  SetupSteps spheroids{SetupStep::Spheroids};
  spheroids.markOptimised = true;
  kvtest::ErrorCapture errors;
  ASSERT_TRUE(runSetupChain(*kept, spheroids).ok()) << errors.text();
  EXPECT_TRUE(kept->isOptimized);
  EXPECT_EQ(names, kept->names);
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].x, kept->positions[i].x) << i;
    EXPECT_EQ(before[i].x, kept->atoms[i]->sphere->centre.x) << i;
  }

  // A graph run through everything but the optimisation gets built, not optimised, positions.
  Owned built = graphOf("OCC(=O)O");
  ASSERT_TRUE(built);
  const SetupSteps noOptimisation = SetupSteps::all()
                                        .without(SetupStep::Perception)
                                        .without(SetupStep::Optimisation);
  ASSERT_TRUE(runSetupChain(*built, noOptimisation).ok()) << errors.text();
  EXPECT_FALSE(built->isOptimized);
  ASSERT_EQ(built->atoms.size(), built->positions.size());
  EXPECT_EQ(std::vector<std::string>{"C2H4O3"}, built->names);
  EXPECT_NE(0.0f, built->totalBondEnergy);
}

TEST(SetupChain, OpenAxesKeepTheirTypesAndNamesAreAppendedOrFresh) {
  kvtest::ensureApplication();
  Owned ethyl(IOEngine::instance()->parseKvtFile(std::string(KV_SOURCE_DIR) +
                                                 "/KV_GROUPS/Alkyl/ETHYL.kv"));
  ASSERT_TRUE(ethyl);
  Atom* carbon = ethyl->atoms[0];
  ASSERT_EQ("C", carbon->element);
  carbon->type = "NH2";   // not what typing gives a carbon
  SetupSteps retype{SetupStep::Perception, SetupStep::Parameters, SetupStep::Naming};
  retype.typesOnlyWhenClosed = true;
  const std::vector<std::string> names = ethyl->names;
  ASSERT_TRUE(runSetupChain(*ethyl, retype).ok());
  EXPECT_EQ("NH2", carbon->type) << "an open axis keeps the group's types";
  ASSERT_EQ(names.size() + 1, ethyl->names.size());
  EXPECT_EQ(names.front(), ethyl->names.front()) << "the formula is appended";

  retype.typesOnlyWhenClosed = false;
  retype.freshName = true;
  ASSERT_TRUE(runSetupChain(*ethyl, retype).ok());
  EXPECT_NE("NH2", carbon->type);
  EXPECT_EQ(std::vector<std::string>{"C2H5"}, ethyl->names);
}

TEST(SetupChain, TheDipoleStepMeasuresWithoutMovingAnAtom) {
  Owned m = finished("CO");
  ASSERT_TRUE(m);
  m->dipoleMoment = 0.0f;
  const std::vector<SSEVector4f> before = m->positions;
  ASSERT_TRUE(runSetupChain(*m, SetupSteps{SetupStep::Dipole}).ok());
  EXPECT_GT(m->dipoleMoment, 0.5f);   // methanol: about 1.7 D
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(before[i].y, m->positions[i].y) << i;
}
