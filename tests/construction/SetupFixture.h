#pragma once

// Shared helpers of the set-up chain tests: one application object per test binary (the file
// singleton's tree roots are widgets' items), the shipped perception in the MDL reader's
// order, and fuller tables.

#include <QApplication>

#include <memory>

#include <gtest/gtest.h>

#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "support/AtomGeometry.h"
#include "support/QtApplication.h"

namespace setuptest {

inline IOEngine* engine() {
  kvtest::ensureApplication();
  return IOEngine::instance();
}

// Perception (valences, rings, hydrogens and types, as the MDL reader runs them), then the set-up
// chain's parameters and, unless `build` is false, its coordinates from the connectivity.
inline std::unique_ptr<Molecule> prepare(std::unique_ptr<Molecule> m, bool build = true) {
  m->perceive();
  engine();
  SetupSteps steps{SetupStep::Parameters};
  if (build) steps = steps.with(SetupStep::Coordinates);
  EXPECT_TRUE(runSetupChain(*m, steps).ok());
  return m;
}

// Element-level bond rows: the lookup falls back to element symbols, so these give every common
// bond a length. Columns: ATOM1 ATOM2 order major-axis(Bohr) distance(A) energy(eV) moment(D).
inline const char* elementBondRows() {
  return R"(C  C  1 2.0000 1.54000 3.60 0.00
C  C  2 1.8000 1.34000 6.30 0.00
C  C  3 1.6500 1.20000 8.50 0.00
C  H  1 1.6492 1.10974 4.16 0.37
O  H  1 1.5500 0.96000 4.80 1.50
N  H  1 1.5800 1.01000 4.00 1.30
C  O  1 1.9000 1.43000 3.70 0.70
C  O  2 1.5000 1.22000 7.50 2.30
C  N  1 1.9500 1.47000 3.00 0.20
C  F  1 1.8000 1.35000 4.90 1.40
C  CL 1 2.2000 1.77000 3.40 1.50
C  BR 1 2.4000 1.94000 2.90 1.40
C  I  1 2.6000 2.14000 2.30 1.20
)";
}

// The shipped tables with the element bond rows added, in place of the process-wide tables
// for the life of the object.
class ScopedTables {
 public:
  ScopedTables() : tables_(InputParameters::EmptyTables{}) {
    InputParameters::instance();   // registers the embedded resources
    tables_.loadTables(InputParameters::resourcePrefix);
    tables_.parseBondTable(elementBondRows());
    previous_ = InputParameters::swapInstance(&tables_);
  }
  ~ScopedTables() { InputParameters::swapInstance(previous_); }
  ScopedTables(const ScopedTables&) = delete;
  ScopedTables& operator=(const ScopedTables&) = delete;

 private:
  InputParameters tables_;
  InputParameters* previous_ = nullptr;
};

// A test with the fuller tables and the application object in place.
class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::ensureApplication(); }
  ScopedTables tables_;
};

}  // namespace setuptest
