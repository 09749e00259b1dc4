#include "render/CameraLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "math/UtilityEngine.h"
#include "render/GraphicsEngine.h"

namespace {

// No view stands further than this from the molecule, and a rotation this large would overflow
// when it is normalised and applied.
constexpr double kLargestCameraNumber = 1.0e9;

// The numbers after the first word, as many as asked for: a missing or unreadable one is 0.
// False when one is not finite or beyond kLargestCameraNumber.
bool readNumbers(const std::vector<std::string>& tokens, float* values, int count) {
  for (int i = 0; i < count; ++i) {
    const size_t at = static_cast<size_t>(i) + 1;
    const double value = at < tokens.size() ? std::strtod(tokens[at].c_str(), nullptr) : 0.0;
    if (!(std::fabs(value) <= kLargestCameraNumber)) return false;
    values[i] = static_cast<float>(value);
  }
  return true;
}

}  // namespace

CameraLoader::CameraLoader(std::string name) : fileName(std::move(name)) { loadFile(); }

void CameraLoader::loadFile() {
  if (fileName.empty()) return;
  std::ifstream in(fileName);
  if (!in) {
    ErrorLine() << "Error: CameraLoader: cannot open the camera file \"" << fileName << "\"";
    return;
  }
  readCameras(in);
}

int CameraLoader::readCameras(std::istream& in) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  SSEVector4f translation;
  bool haveTranslation = false;
  int stored = 0;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> tokens;
    UtilityEngine::instance()->tokenize(line, tokens, " \t\r");
    if (tokens.empty()) continue;
    float v[4];
    if (tokens[0][0] == 'p') {
      if (!readNumbers(tokens, v, 3)) continue;
      translation = SSEVector4f(v[0], v[1], v[2], 1.0f);
      haveTranslation = true;
    } else if (tokens[0][0] == 'r') {
      if (!haveTranslation || !readNumbers(tokens, v, 4)) continue;
      if (v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f && v[3] == 0.0f) continue;
      // Each camera owns its translation, also when two rotations follow one "p" line.
      engine->storeCamera(new SSEVector4f(translation), new Quaternion(v[0], v[1], v[2], v[3]));
      ++stored;
    }
  }
  return stored;
}

bool CameraLoader::writeFile(std::string name) {
  fileName = std::move(name);
  if (fileName.empty()) return false;
  const GraphicsEngine* engine = GraphicsEngine::instance();
  std::ostringstream text;
  const size_t count = std::min(engine->cameraTranslations.size(), engine->cameraRotations.size());
  for (size_t i = 0; i < count; ++i) {
    const SSEVector4f& t = *engine->cameraTranslations[i];
    const Quaternion& r = *engine->cameraRotations[i];
    text << "p " << t.x << " " << t.y << " " << t.z << "\n";
    text << "r " << r.w << " " << r.x << " " << r.y << " " << r.z << "\n";
  }
  if (!writeWholeFile(fileName, text.str())) {
    ErrorLine() << "Error: CameraLoader: cannot write the camera file \"" << fileName << "\"";
    return false;
  }
  return true;
}
