// The POV-Ray scene of a displayed molecule: its text, the orientation of the bond orbitals,
// the failures, and POV-Ray itself rendering it with the shipped include file.
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "model/Molecule.h"
#include "render/Mesh.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/MoleculeBuilder.h"
#include "support/TextLines.h"
#include "tests/render/SpheroidScene.h"

namespace {

int countOf(const std::string& text, const std::string& piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

class PovrayExport : public kvtest::FileFixture {
 protected:
  PovrayExport() : FileFixture("kv_povray_") {}

  // A molecule from SMILES through the whole set-up chain, displayed.
  Molecule* displayed(const std::string& smiles) {
    Molecule* m = SmilesParser().smilesToMol(smiles);
    if (m == nullptr) return nullptr;
    molecules.push_back(m);
    return m->renderMolecule() ? m : nullptr;
  }

  std::string exported(const Molecule* m) {
    const std::filesystem::path path = folder / "scene.pov";
    EXPECT_TRUE(IOEngine::instance()->exportMoleculeToPovray(m, path.string()));
    return kvtest::readFile(path.string());
  }
};

}  // namespace

TEST_F(PovrayExport, EthaneSceneHasTheIncludeCameraAndOneLinePerSpheroid) {
  Molecule* ethane = displayed("CC");
  ASSERT_NE(nullptr, ethane);
  const std::string text = exported(ethane);
  EXPECT_EQ(0u, text.find("#include \"Resources/molecule_pov.inc\"\n\n"
                          "camera { location <0, 0, 10> up y right <-1.33, 0, 0> look_at -z } \n"));
  EXPECT_NE(std::string::npos, text.find("\n#declare NUs = \nunion {\n}\n\n#declare AOs = "));
  EXPECT_EQ(8, countOf(text, "object { MakeAO( "));
  EXPECT_EQ(7, countOf(text, "object { MakeMO( "));
  EXPECT_NE(std::string::npos, text.find("\trotate z*0\n\trotate x*0\n\trotate y*0\n}\n"))
      << "an unrotated mesh";
  EXPECT_NE(std::string::npos, text.find("object { molecule \n\trotate 360*clock*y\n}\n\n"));
}

TEST_F(PovrayExport, FailuresAreReportedAndLeaveAnExistingSceneWhole) {
  const std::filesystem::path old = folder / "old.pov";
  std::ofstream(old) << "old scene\n";
  auto neon = kvtest::buildMolecule({"Ne"}, {});   // no mesh yet
  const std::string unwritable = (folder / "no-such-folder" / "scene.pov").string();
  kvtest::ErrorCapture errors;
  EXPECT_FALSE(IOEngine::instance()->exportMoleculeToPovray(neon.get(), old.string()));
  kvscene::giveSpheroids(*neon, {SSEVector4f(0.0f, 0.0f, 0.0f)});
  ASSERT_TRUE(neon->renderMolecule());
  EXPECT_FALSE(IOEngine::instance()->exportMoleculeToPovray(neon.get(), unwritable));
  EXPECT_EQ("old scene\n", kvtest::readFile(old.string()));
  ASSERT_EQ(2u, errors.lines.size());
  EXPECT_EQ("Error: exportMoleculeToPovray: no displayed molecule to write to \"" + old.string() +
                "\"",
            errors.lines[0]);
  EXPECT_TRUE(kvtest::textThenReason(
      errors.lines[1], "Error: exportMoleculeToPovray: cannot write the scene \"" + unwritable + "\""))
      << errors.lines[1];
  EXPECT_NE(std::string::npos, exported(neon.get()).find("#declare MOs = \nmerge {\n}\n\n"))
      << "no bonds: an empty merge";
}

// Tilt and turn of the one bond orbital of a two-atom molecule whose second atom lies along
// each direction from the first.
TEST_F(PovrayExport, TiltAndTurnFollowTheBondAxis) {
  const struct {
    SSEVector4f direction;
    const char* tilt;
    const char* turn;
  } cases[] = {
      {SSEVector4f(1.0f, 0.0f, 0.0f, 0.0f), "0", "-0"},     // the minus of a negated zero shows
      {SSEVector4f(-1.0f, 0.0f, 0.0f, 0.0f), "0", "-180"},
      {SSEVector4f(0.0f, 1.0f, 0.0f, 0.0f), "90", "-0"},    // x and z clamped to exact zeros
  };
  const std::regex line(R"(object \{ MakeMO\( [^,]+, [^,]+, <[^>]+>, ([^,]+), 0, ([^,]+), )");
  for (const auto& c : cases) {
    auto m = kvtest::buildMolecule({"C", "C"}, {{0, 1, 1}});
    const SSEVector4f start(1.0f, 2.0f, 3.0f);
    kvscene::giveSpheroids(*m, {start, start + 1.5f * c.direction});
    ASSERT_TRUE(m->renderMolecule());
    const std::string text = exported(m.get());
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, line)) << text;
    EXPECT_EQ(c.tilt, match.str(1)) << c.direction.x << c.direction.y;
    EXPECT_EQ(c.turn, match.str(2)) << c.direction.x << c.direction.y;
  }
}

// POV-Ray reads the scene with the include file from "Resources/" below its working folder and
// draws a picture with the molecule on the background.
TEST_F(PovrayExport, PovrayRendersBenzeneWithTheShippedInclude) {
  std::filesystem::create_directories(folder / "Resources");
  std::filesystem::copy_file(std::filesystem::path(KV_SOURCE_DIR) / "Resources/molecule_pov.inc",
                             folder / "Resources/molecule_pov.inc");
  Molecule* m = displayed("c1ccccc1");
  ASSERT_NE(nullptr, m);
  exported(m);
  const std::string command = "cd '" + folder.string() +
                              "' && povray +Iscene.pov +Oscene.png +W160 +H120 +FN -D "
                              "</dev/null >povray.log 2>&1";
  ASSERT_EQ(0, std::system(command.c_str())) << kvtest::readFile((folder / "povray.log").string());
  QImage picture(QString::fromStdString((folder / "scene.png").string()));
  ASSERT_FALSE(picture.isNull());
  const QRgb corner = picture.pixel(0, 0);
  int differing = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) differing += picture.pixel(x, y) != corner;
  EXPECT_GT(differing, 100) << "the molecule shows on the background";
}
