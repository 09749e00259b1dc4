#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "render/CameraLoader.h"
#include "support/ErrorCapture.h"
#include "tests/render/RendererFixture.h"

namespace {

using CameraFiles = kvtest::RendererFixture;

int readText(const std::string& text) {
  std::istringstream in(text);
  return CameraLoader::readCameras(in);
}

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST_F(CameraFiles, WrittenCamerasReadBackTheSameAfterThoseStored) {
  engine.storeCamera(new SSEVector4f(1.5f, -2.25f, -75.125f, 1.0f),
                     new Quaternion(0.7007f, 0.713f, 0.0f, 0.0f));
  engine.storeCamera(new SSEVector4f(1e-7f, 3e8f, -0.1f, 1.0f),
                     new Quaternion(0.5f, -0.5f, 0.5f, -0.5f));
  const std::string path = (folder() / "views.cam").string();
  ASSERT_TRUE(CameraLoader().writeFile(path));
  EXPECT_EQ(0u, fileText(path).find("p 1.5 -2.25 -75.125\nr 0.7007 0.713 0 0\n"));

  const SSEVector4f t0 = *engine.cameraTranslations[0], t1 = *engine.cameraTranslations[1];
  const Quaternion r1 = *engine.cameraRotations[1];
  CameraLoader loader(path);
  ASSERT_EQ(4u, engine.cameraTranslations.size()) << "appended after the two stored";
  ASSERT_EQ(4u, engine.cameraEyePositions.size());
  const SSEVector4f& back0 = *engine.cameraTranslations[2];
  const SSEVector4f& back1 = *engine.cameraTranslations[3];
  EXPECT_FLOAT_EQ(t0.z, back0.z);
  EXPECT_FLOAT_EQ(t1.x, back1.x);
  EXPECT_NEAR(t1.y, back1.y, 1.0f) << "six significant digits";
  EXPECT_EQ(r1.w, engine.cameraRotations[3]->w);
  EXPECT_EQ(r1.z, engine.cameraRotations[3]->z);
}

TEST_F(CameraFiles, LinesThatCannotMakeACameraAreSkipped) {
  const struct {
    const char* text;
    int cameras;
  } cases[] = {
      {"", 0},
      {"p 1 2 3\n", 0},                       // a translation alone stores nothing
      {"r 1 0 0 0\np 1 2 3\n", 0},            // a rotation before any translation
      {"pos 1 2 3\nrot 1 0 0 0\n", 1},        // only the first character counts
      {"p 1 2 3\nr 0 0 0 0\n", 0},            // a rotation of length zero
      {"p nan 2 3\nr 1 0 0 0\n", 0},          // no finite translation, so nothing to pair
      {"p 1 2 3\nr 1 inf 0 0\n", 0},
      {"p 1e999 2 3\nr 1 0 0 0\n", 0},        // beyond a float
      {"\n// comment\nx 1\np 1 2 3\n\nr 1 0 0 0\n", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.cameras, readText(c.text)) << c.text;
    EXPECT_EQ(static_cast<size_t>(c.cameras), engine.cameraRotations.size()) << c.text;
    engine.eraseAllCameras();
  }
}

TEST_F(CameraFiles, MissingNumbersReadAsZeroAndEveryCameraOwnsItsTranslation) {
  ASSERT_EQ(2, readText("p 4\nr 1\nr 0 1\n"));
  const SSEVector4f* first = engine.cameraTranslations[0];
  const SSEVector4f* second = engine.cameraTranslations[1];
  EXPECT_NE(first, second);
  EXPECT_EQ(4.0f, second->x);
  EXPECT_EQ(0.0f, second->z);
  EXPECT_EQ(1.0f, engine.cameraRotations[1]->x);
  EXPECT_EQ(0.0f, engine.cameraRotations[1]->w);
}

TEST_F(CameraFiles, EmptyNamesDoNothingAndFilesThatCannotBeUsedAreNamed) {
  engine.storeCamera(new SSEVector4f(1, 2, 3, 1), new Quaternion());
  kvtest::ErrorCapture errors;
  CameraLoader("");
  EXPECT_FALSE(CameraLoader().writeFile(""));
  EXPECT_TRUE(errors.lines.empty());

  CameraLoader((folder() / "missing.cam").string());
  EXPECT_FALSE(CameraLoader().writeFile((folder() / "no" / "such.cam").string()));
  ASSERT_EQ(2u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find("missing.cam\""));
  EXPECT_NE(std::string::npos, errors.lines[1].find("such.cam\""));
  EXPECT_EQ(1u, engine.cameraTranslations.size()) << "the stored cameras stay";

  engine.eraseAllCameras();
  const std::string path = (folder() / "none.cam").string();
  ASSERT_TRUE(CameraLoader().writeFile(path));
  EXPECT_EQ("", fileText(path));
}
