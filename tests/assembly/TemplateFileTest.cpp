// Template files written from residues: a residue the set-up chain refuses is not written.

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"
#include "support/FileFixture.h"

namespace {

class TemplateFiles : public kvtest::FileFixture {
 protected:
  TemplateFiles() : FileFixture("kv_templates_") {}

  // L-alanine finished from SMILES; with `turned` its alpha carbon's label is turned over
  // afterwards, so that the coordinates show the other hand.
  static std::unique_ptr<Molecule> alanine(bool turned) {
    std::unique_ptr<Molecule> m(SmilesParser().smilesToMol("N[C@@H](C)C(=O)O"));
    if (m != nullptr && turned) kvtest::turnLabels(*m);
    return m;
  }
};

TEST_F(TemplateFiles, AResidueTheChainRefusesIsNotWritten) {
  kvtest::ErrorCapture errors;
  auto sound = alanine(false);
  ASSERT_TRUE(sound);
  const std::string written = (folder / "sound.kv").string();
  IOEngine::instance()->addMoleculeToTemplates(sound.get(), written.c_str());
  EXPECT_TRUE(errors.lines.empty()) << errors.text();
  EXPECT_TRUE(std::filesystem::is_regular_file(written));

  auto turned = alanine(true);
  ASSERT_TRUE(turned);
  const std::string refused = (folder / "turned.kv").string();
  IOEngine::instance()->addMoleculeToTemplates(turned.get(), refused.c_str());
  EXPECT_FALSE(std::filesystem::exists(refused));
  ASSERT_EQ(2u, errors.lines.size()) << errors.text();
  EXPECT_NE(std::string::npos, errors.lines[0].find("as written")) << errors.text();
  EXPECT_EQ("Error: addMoleculeToTemplates, \"" + turned->label() +
                "\" has no sound geometry; \"" + refused + "\" is not written",
            errors.lines[1]);
}

}  // namespace
