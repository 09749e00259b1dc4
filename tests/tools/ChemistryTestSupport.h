#pragma once

// Finished molecules for the chemistry checks: the application's SMILES reader with the whole
// set-up chain, its console lines swallowed.

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "model/Molecule.h"
#include "support/ConsoleCapture.h"
#include "support/QtApplication.h"

namespace kvtest {

// The molecule as the application finishes it; null when the reader refuses the SMILES.
inline std::unique_ptr<Molecule> finishedMolecule(const std::string& smiles) {
  ensureApplication();
  IOEngine::instance();
  ConsoleCapture quiet(UtilityEngine::instance()->printLevel);
  return std::unique_ptr<Molecule>(SmilesParser().smilesToMol(smiles));
}

// Every molecule of `references` within `moleculeBound` of its measured heat of formation (the
// member `measured`, in the unit `perEv` turns electron volts into) and the mean error within
// `meanBound`; the failure message lists each error.
template <typename Reference>
void expectHeatsNearExperiment(const std::vector<Reference>& references,
                               double Reference::*measured, double perEv, const char* unit,
                               double moleculeBound, double meanBound) {
  std::ostringstream table;
  double sum = 0.0;
  for (const Reference& reference : references) {
    std::unique_ptr<Molecule> molecule = finishedMolecule(reference.smiles);
    ASSERT_TRUE(molecule) << reference.smiles;
    const double error = molecule->heatOfFormation * perEv - reference.*measured;
    EXPECT_LE(std::fabs(error), moleculeBound) << reference.name;
    sum += std::fabs(error);
    table << reference.name << ": " << error << " " << unit << "\n";
  }
  EXPECT_LE(sum / static_cast<double>(references.size()), meanBound) << table.str();
}

}  // namespace kvtest
