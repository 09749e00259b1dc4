// The small text formats: camera files, font descriptors and the bond-orbital geometry text.

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "assembly/BondOrbitalConverter.h"
#include "fuzz/FuzzEntries.h"
#include "render/CameraLoader.h"
#include "render/Font.h"
#include "render/GraphicsEngine.h"

namespace fuzzentries {

namespace {

// The coordinates of the converter's "#ATOMS" lines ("id name x y z") must be numbers.
std::string checkConvertedAtoms(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  bool atoms = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '#') {
      atoms = line == "#ATOMS";
      continue;
    }
    if (!atoms) continue;
    std::istringstream fields(line);
    std::string id, name, x, y, z;
    if (!(fields >> id >> name >> x >> y >> z)) return "short atom line \"" + line + "\"";
    for (const std::string* value : {&x, &y, &z})
      if (!std::isfinite(std::strtod(value->c_str(), nullptr)))
        return "atom line \"" + line + "\" holds a coordinate that is not a number";
  }
  return std::string();
}

}  // namespace

std::string cameraFile(const std::string& input) {
  GraphicsEngine* engine = GraphicsEngine::instance();
  engine->eraseAllCameras();
  std::istringstream in(input);
  CameraLoader::readCameras(in);
  std::string fault;
  for (size_t i = 0; i < engine->cameraRotations.size() && fault.empty(); ++i) {
    const Quaternion& r = *engine->cameraRotations[i];
    if (!finite(*engine->cameraTranslations[i]) || !finite(*engine->cameraEyePositions[i]) ||
        !std::isfinite(r.w) || !std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z))
      fault = "camera " + std::to_string(i) + " is not finite";
  }
  engine->eraseAllCameras();
  return fault;
}

std::string fontDescriptor(const std::string& input) {
  std::istringstream in(input);
  Font font;
  FontFactory::readDescriptor(in, font);
  // Every character once: what the renderer would lay out from this font.
  char text[Font::GlyphCount];
  for (int c = 1; c < Font::GlyphCount; ++c) text[c - 1] = static_cast<char>(c);
  text[Font::GlyphCount - 1] = '\0';
  std::vector<TextQuad2D> quads;
  font.layoutText(text, 0, 0, quads);
  for (const TextQuad2D& q : quads)
    if (!std::isfinite(q.u) || !std::isfinite(q.v) || !std::isfinite(q.x) || !std::isfinite(q.y))
      return "a glyph quad is not finite";
  return std::string();
}

std::string orbitalText(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  if (!orbitalconverter::convert(in, out)) return std::string();
  return checkConvertedAtoms(out.str());
}

}  // namespace fuzzentries
