// The POV-Ray scene of a displayed molecule: its text, the orientation of the bond orbitals,
// the failures, and POV-Ray itself rendering it with the shipped include file.
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "parameters/InputParameters.h"
#include "support/ErrorCapture.h"
#include "support/FileFixture.h"
#include "support/MoleculeBuilder.h"
#include "tests/render/SpheroidScene.h"

namespace {

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

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
    SmilesParser parser;
    Molecule* m = parser.smilesToMol(smiles);
    if (m == nullptr) return nullptr;
    molecules.push_back(m);
    return m->renderMolecule() ? m : nullptr;
  }

  std::string exported(const Molecule* m, const std::string& name = "scene.pov") {
    const std::filesystem::path path = folder / name;
    EXPECT_TRUE(IOEngine::instance()->exportMoleculeToPovray(m, path.string()));
    return readText(path);
  }
};

// Tilt and turn of the one bond orbital of a two-atom molecule whose second atom lies along
// the given direction from the first.
class PovrayBondAngles : public PovrayExport {
 protected:
  // No bond charges: nothing is read from the real tables.
  void SetUp() override {
    PovrayExport::SetUp();
    previous = InputParameters::swapInstance(&emptyTables);
  }
  void TearDown() override {
    InputParameters::swapInstance(previous);
    PovrayExport::TearDown();
  }
  std::vector<std::string> bondOrbitalFields(const SSEVector4f& direction) {
    auto m = kvtest::buildMolecule({"C", "C"}, {{0, 1, 1}});
    kvscene::giveSpheroids(*m, {SSEVector4f(1.0f, 2.0f, 3.0f),
                                SSEVector4f(1.0f, 2.0f, 3.0f) + 1.5f * direction});
    EXPECT_TRUE(m->renderMolecule());
    const std::string text = exported(m.get());
    std::smatch match;
    const std::regex line(R"(object \{ MakeMO\( ([^,]+), ([^,]+), <[^>]+>, ([^,]+), 0, ([^,]+), )");
    EXPECT_TRUE(std::regex_search(text, match, line)) << text;
    return {match[3], match[4]};
  }

  InputParameters emptyTables{InputParameters::EmptyTables{}};
  InputParameters* previous = nullptr;
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

TEST_F(PovrayExport, MoleculeWithoutBondsGivesAnEmptyMerge) {
  auto neon = kvtest::buildMolecule({"Ne"}, {});
  kvscene::giveSpheroids(*neon, {SSEVector4f(0.0f, 0.0f, 0.0f)});
  ASSERT_TRUE(neon->renderMolecule());
  const std::string text = exported(neon.get());
  EXPECT_NE(std::string::npos, text.find("#declare MOs = \nmerge {\n}\n\n"));
  EXPECT_EQ(1, countOf(text, "MakeAO("));
}

TEST_F(PovrayExport, FailuresAreReportedAndLeaveAnExistingSceneWhole) {
  const std::filesystem::path old = folder / "old.pov";
  std::ofstream(old) << "old scene\n";
  auto bare = kvtest::buildMolecule({"C"}, {});
  kvtest::ErrorCapture errors;
  EXPECT_FALSE(IOEngine::instance()->exportMoleculeToPovray(bare.get(), old.string()));
  EXPECT_FALSE(IOEngine::instance()->exportMoleculeToPovray(nullptr, old.string()));
  EXPECT_EQ("old scene\n", readText(old));

  kvscene::giveSpheroids(*bare, {SSEVector4f(0.0f, 0.0f, 0.0f)});
  ASSERT_TRUE(bare->renderMolecule());
  const std::string unwritable = (folder / "no-such-folder" / "scene.pov").string();
  EXPECT_FALSE(IOEngine::instance()->exportMoleculeToPovray(bare.get(), unwritable));
  ASSERT_EQ(3u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find(old.string()));
  EXPECT_NE(std::string::npos, errors.lines[2].find(unwritable));
}

TEST_F(PovrayBondAngles, TiltAndTurnFollowTheBondAxis) {
  const struct {
    SSEVector4f direction;
    const char* tilt;
    const char* turn;
  } cases[] = {
      {SSEVector4f(1.0f, 0.0f, 0.0f, 0.0f), "0", "-0"},     // the minus of a negated zero shows
      {SSEVector4f(-1.0f, 0.0f, 0.0f, 0.0f), "0", "-180"},
      {SSEVector4f(0.0f, 1.0f, 0.0f, 0.0f), "90", "-0"},    // x and z clamped to exact zeros
      {SSEVector4f(0.0f, 0.0f, 1.0f, 0.0f), "0", "-90"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> fields = bondOrbitalFields(c.direction);
    ASSERT_EQ(2u, fields.size());
    EXPECT_EQ(c.tilt, fields[0]) << c.direction.x << c.direction.y << c.direction.z;
    EXPECT_EQ(c.turn, fields[1]) << c.direction.x << c.direction.y << c.direction.z;
  }
}

// POV-Ray reads the scene with the include file from "Resources/" below its working folder and
// draws a picture with the molecule on the background.
TEST_F(PovrayExport, PovrayRendersEthaneAndBenzeneWithTheShippedInclude) {
  std::filesystem::create_directories(folder / "Resources");
  std::filesystem::copy_file(std::filesystem::path(KV_SOURCE_DIR) / "Resources/molecule_pov.inc",
                             folder / "Resources/molecule_pov.inc");
  for (const char* smiles : {"CC", "c1ccccc1"}) {
    Molecule* m = displayed(smiles);
    ASSERT_NE(nullptr, m) << smiles;
    exported(m);
    const std::string command = "cd '" + folder.string() +
                                "' && povray +Iscene.pov +Oscene.png +W160 +H120 +FN -D "
                                "</dev/null >povray.log 2>&1";
    ASSERT_EQ(0, std::system(command.c_str())) << smiles << ": " << readText(folder / "povray.log");
    QImage picture(QString::fromStdString((folder / "scene.png").string()));
    ASSERT_FALSE(picture.isNull()) << smiles;
    const QRgb corner = picture.pixel(0, 0);
    int differing = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) differing += picture.pixel(x, y) != corner;
    EXPECT_GT(differing, 100) << smiles << ": the molecule shows on the background";
  }
}
