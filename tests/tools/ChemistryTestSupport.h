#ifndef KV_TESTS_TOOLS_CHEMISTRYTESTSUPPORT_H
#define KV_TESTS_TOOLS_CHEMISTRYTESTSUPPORT_H

// Finished molecules for the chemistry checks: the application's SMILES reader with the whole
// set-up chain, under one offscreen application object that is never destroyed.

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <string>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"

namespace kvtest {

inline void ensureChemistryApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tools_chemistry_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  IOEngine::instance();
}

// The molecule as the application finishes it; null when the reader refuses the SMILES.
inline std::unique_ptr<Molecule> finishedMolecule(const std::string& smiles) {
  ensureChemistryApplication();
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  SmilesParser parser;
  std::unique_ptr<Molecule> molecule(parser.smilesToMol(smiles));
  UtilityEngine::instance()->setConsoleSink(nullptr);
  return molecule;
}

}  // namespace kvtest

#endif
