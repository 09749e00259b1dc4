#pragma once

// Finished molecules for the chemistry checks: the application's SMILES reader with the whole
// set-up chain, its console lines swallowed.

#include <memory>
#include <string>

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

}  // namespace kvtest
