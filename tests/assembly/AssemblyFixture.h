#pragma once

// Tests of the group-graph assembly and the list files: the application object and the file
// singleton in place, an empty library and empty trees, the console silenced and the error
// lines captured; everything put back afterwards. `loadSmallLibrary` reads three groups
// (a methyl, a methylene and a carbonyl with open ends) from a group list into the library;
// `readMolecule` assembles a molecule block from it.

#include <QTreeWidgetItem>

#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "support/ErrorCapture.h"
#include "support/QtApplication.h"

namespace kvtest {

inline const char* smallGroupList() {
  return "TYPE  ALKYL\n"
         "FUNC METHYL Methyl\nATOM C1 CH4\nATOM DUM1 DUM\nSINGLE C1 DUM1\n"
         "FUNC METHYLENE Methylene\nATOM C1 CH4\nATOM DUM1 DUM\nATOM DUM2 DUM\n"
         "SINGLE C1 DUM1 C1 DUM2\n"
         "TYPE  OXYGEN\n"
         "FUNC CARBONYL Carbonyl\nATOM C1 C\nATOM O1 O\nATOM DUM1 DUM\nATOM DUM2 DUM\n"
         "DOUBLE C1 O1\nSINGLE C1 DUM1 C1 DUM2\n";
}

class AssemblyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureApplication();
    engine = IOEngine::instance();
    library = MoleculeEngine::instance();
    library->clear();
    for (QTreeWidgetItem* root : {engine->moleculeRoot, engine->groupRoot, engine->templateRoot})
      for (QTreeWidgetItem* child : root->takeChildren()) delete child;
    UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
    InputParameters::instance();   // what loading the tables reports is not the test's
    errors.clear();
  }
  void TearDown() override {
    library->clear();
    UtilityEngine::instance()->setConsoleSink(ConsoleSink());
  }

  int loadSmallLibrary() {
    std::istringstream in(smallGroupList());
    return engine->loadGroups(in, &library->groups);
  }
  // A molecule block of a list file, assembled from the library.
  std::unique_ptr<Molecule> readMolecule(const std::string& text) {
    std::istringstream in(text);
    return std::unique_ptr<Molecule>(engine->parseMoleculeFile(in));
  }
  static int dummies(const Molecule& m) {
    int count = 0;
    for (const Atom* a : m.atoms) count += isDummy(a) ? 1 : 0;
    return count;
  }

  IOEngine* engine = nullptr;
  MoleculeEngine* library = nullptr;
  ErrorCapture errors;
};

}  // namespace kvtest
