#include <cstdio>
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

}  // namespace

TEST_F(CameraFiles, WrittenCamerasReadBackTheSameAfterThoseStored) {
  engine.storeCamera(new SSEVector4f(1.5f, -2.25f, -75.125f, 1), new Quaternion(0.7007f, 0.713f, 0, 0));
  engine.storeCamera(new SSEVector4f(1e-7f, 3e8f, -0.1f, 1), new Quaternion(0.5f, -0.5f, 0.5f, -0.5f));
  const std::string path = tempPath("views.cam");
  ASSERT_TRUE(CameraLoader().writeFile(path));
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  EXPECT_EQ(0u, text.str().find("p 1.5 -2.25 -75.125\nr 0.7007 0.713 0 0\np 1e-07 3e+08 -0.1\n"));

  CameraLoader loader(path);
  ASSERT_EQ(4u, engine.cameraTranslations.size()) << "appended after the two stored";
  ASSERT_EQ(4u, engine.cameraEyePositions.size());
  for (size_t i = 0; i < 2; ++i) {
    const SSEVector4f &t = *engine.cameraTranslations[i], &back = *engine.cameraTranslations[i + 2];
    const Quaternion &r = *engine.cameraRotations[i], &rBack = *engine.cameraRotations[i + 2];
    EXPECT_TRUE(t.x == back.x && t.y == back.y && t.z == back.z) << "camera " << i;
    EXPECT_TRUE(r == rBack) << "camera " << i;
  }
  std::remove(path.c_str());
}

TEST_F(CameraFiles, LinesThatCannotMakeACameraAreSkipped) {
  const struct {
    const char* text;
    int cameras;
  } cases[] = {
      {"p 1 2 3\n", 0},                  // a translation alone stores nothing
      {"r 1 0 0 0\np 1 2 3\n", 0},       // a rotation before any translation
      {"pos 1 2 3\nrot 1 0 0 0\n", 1},   // only the first character counts
      {"p 1 2 3\nr 0 0 0 0\n", 0},       // a rotation of length zero
      {"p nan 2 3\nr 1 0 0 0\n", 0},     // no finite translation, so nothing to pair
      {"p 1 2 3\nr 1 inf 0 0\n", 0},
      {"p 1e999 2 3\nr 1 0 0 0\n", 0},   // beyond a float
      {"p 1 2 3\nr 1e38 0 0 1e38\n", 0}, // a rotation that overflows when normalised
      {"\nx 1\np 1 2 3\n\nr 1 0 0 0\n", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.cameras, readText(c.text)) << c.text;
    EXPECT_EQ(static_cast<size_t>(c.cameras), engine.cameraRotations.size()) << c.text;
    engine.eraseAllCameras();
  }
  // Missing numbers read as 0; two rotations after one "p" make two cameras, each with its own
  // translation.
  ASSERT_EQ(2, readText("p 4\nr 1\nr 0 1\n"));
  EXPECT_NE(engine.cameraTranslations[0], engine.cameraTranslations[1]);
  EXPECT_TRUE(engine.cameraTranslations[1]->x == 4 && engine.cameraTranslations[1]->z == 0);
  EXPECT_TRUE(engine.cameraRotations[1]->x == 1 && engine.cameraRotations[1]->w == 0);
}

TEST_F(CameraFiles, EmptyNamesDoNothingAndFilesThatCannotBeUsedAreNamed) {
  engine.storeCamera(new SSEVector4f(1, 2, 3, 1), new Quaternion());
  kvtest::ErrorCapture errors;
  CameraLoader("");
  EXPECT_FALSE(CameraLoader().writeFile(""));
  CameraLoader("/nonexistent/missing.cam");
  EXPECT_FALSE(CameraLoader().writeFile("/nonexistent/folder/such.cam"));
  EXPECT_EQ("Error: CameraLoader: cannot open the camera file \"/nonexistent/missing.cam\"\n"
            "Error: CameraLoader: cannot write the camera file \"/nonexistent/folder/such.cam\"\n",
            errors.text());
  EXPECT_EQ(1u, engine.cameraTranslations.size()) << "the stored cameras stay";
  engine.eraseAllCameras();
  const std::string path = tempPath("none.cam");
  ASSERT_TRUE(CameraLoader().writeFile(path));
  EXPECT_EQ(std::char_traits<char>::eof(), std::ifstream(path).peek()) << "an empty file";
  std::remove(path.c_str());
}
