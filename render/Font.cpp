#include <GL/gl.h>

#include <cstdlib>
#include <fstream>
#include <limits>

#include "math/FileNames.h"
#include "math/UtilityEngine.h"
#include "render/Font.h"
#include "render/Texture.h"

FontFactory* FontFactory::Instance = nullptr;

FontFactory* FontFactory::instance() {
  if (Instance == nullptr) Instance = new FontFactory();
  return Instance;
}

namespace {

// The leading integer of a value, clamped into [low, high]; a value without digits reads as 0.
template <typename Field>
Field clampedValue(const std::string& text) {
  const long long raw = std::strtoll(text.c_str(), nullptr, 10);
  const long long low = std::numeric_limits<Field>::min();
  const long long high = std::numeric_limits<Field>::max();
  return static_cast<Field>(raw < low ? low : (raw > high ? high : raw));
}

// Keys and values of a "common" or "char" line, split at blanks and "=", in order.
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> tokens;
  UtilityEngine::instance()->tokenize(line, tokens, " \t\r=");
  return tokens;
}

void readCommon(const std::vector<std::string>& tokens, Font& font) {
  for (size_t i = 1; i + 1 < tokens.size(); i += 2) {
    const std::string& key = tokens[i];
    const auto value = clampedValue<std::uint16_t>(tokens[i + 1]);
    if (key == "lineHeight") font.lineHeight = value;
    else if (key == "base") font.base = value;
    else if (key == "scaleW") font.scaleW = value;
    else if (key == "scaleH") font.scaleH = value;
    else if (key == "pages") font.pages = value;
  }
}

// Values before the line's "id" go to glyph 0; an id outside 0..255 sends the values after it
// nowhere, so a font for a wider character set loads its first 256 glyphs.
void readChar(const std::vector<std::string>& tokens, Font& font) {
  Glyph* glyph = &font.glyphs[0];
  for (size_t i = 1; i + 1 < tokens.size(); i += 2) {
    const std::string& key = tokens[i];
    const std::string& value = tokens[i + 1];
    if (key == "id") {
      const long long id = clampedValue<std::int32_t>(value);
      glyph = id >= 0 && id < Font::GlyphCount ? &font.glyphs[id] : nullptr;
      continue;
    }
    if (glyph == nullptr) continue;
    if (key == "x") glyph->x = clampedValue<std::uint16_t>(value);
    else if (key == "y") glyph->y = clampedValue<std::uint16_t>(value);
    else if (key == "width") glyph->width = clampedValue<std::uint16_t>(value);
    else if (key == "height") glyph->height = clampedValue<std::uint16_t>(value);
    else if (key == "xoffset") glyph->xoffset = clampedValue<std::int16_t>(value);
    else if (key == "yoffset") glyph->yoffset = clampedValue<std::int16_t>(value);
    else if (key == "xadvance") glyph->xadvance = clampedValue<std::uint16_t>(value);
    else if (key == "page") glyph->page = clampedValue<std::uint16_t>(value);
  }
}

}  // namespace

Font::~Font() { delete page; }

std::string FontFactory::baseNameOf(const std::string& path) {
  return path.substr(0, path.size() - fileExtension(path).size());
}

void FontFactory::readDescriptor(std::istream& in, Font& font) {
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<std::string> tokens = fields(line);
    if (tokens.empty()) continue;
    if (tokens[0] == "common") readCommon(tokens, font);
    else if (tokens[0] == "char") readChar(tokens, font);
    else if (tokens[0] == "kernings") break;   // kerning pairs are not used
  }
}

Font* FontFactory::loadDescriptor(const char* path) {
  const std::string name = path != nullptr ? path : "";
  auto* font = new Font();
  if (!name.empty()) font->stream.open(name);
  if (!font->stream.is_open()) {
    ErrorLine() << "Error: FontFactory: cannot open the font descriptor \"" << name << "\"";
    delete font;
    return nullptr;
  }
  font->path = name;
  font->baseName = baseNameOf(name);
  readDescriptor(font->stream, *font);
  return font;
}

Font* FontFactory::createFont(const char* path) {
  Font* font = loadDescriptor(path);
  if (font != nullptr) font->page = TextureFactory::instance()->createFromPNG(font->pagePath().c_str());
  return font;
}

void Font::layoutText(const char* text, int x, int y, std::vector<TextQuad2D>& quads) const {
  if (text == nullptr) return;
  // A descriptor without a "common" line leaves the page size 0; 1 keeps the coordinates finite.
  const float w = scaleW > 0 ? scaleW : 1.0f;
  const float h = scaleH > 0 ? scaleH : 1.0f;
  float pen = static_cast<float>(x);
  const float top = static_cast<float>(y);
  for (const char* c = text; *c != '\0'; ++c) {
    const Glyph& g = glyphs[static_cast<unsigned char>(*c)];
    const float left = pen + g.xoffset, right = left + g.width;
    const float upper = top - g.yoffset, lower = upper - g.height;
    const float u0 = g.x / w, u1 = (g.x + g.width) / w;
    const float v0 = g.y / h, v1 = (g.y + g.height) / h;
    quads.push_back({u0, v0, left, upper});
    quads.push_back({u1, v0, right, upper});
    quads.push_back({u1, v1, right, lower});
    quads.push_back({u0, v1, left, lower});
    pen += g.xadvance;
  }
}

void Font::drawQuads(const std::vector<TextQuad2D>& quads) {
  glBegin(GL_QUADS);
  for (size_t i = 0; i + 3 < quads.size(); i += 4)
    for (size_t corner : {3u, 2u, 1u, 0u}) {
      const TextQuad2D& q = quads[i + corner];
      glTexCoord2f(q.u, q.v);
      glVertex2f(q.x, q.y);
    }
  glEnd();
}

RenderString::RenderString(const char* textIn, Font* fontIn, int xIn, int yIn)
    : font(fontIn), x(xIn), y(yIn), text(textIn != nullptr ? textIn : "") {
  displayList = glGenLists(1);
  buildList();
}

RenderString::~RenderString() {
  if (displayList != 0) glDeleteLists(displayList, 1);
}

void RenderString::buildList() {
  if (displayList == 0) return;
  std::vector<TextQuad2D> quads;
  if (font != nullptr) font->layoutText(text.c_str(), x, y, quads);
  glNewList(displayList, GL_COMPILE);
  Font::drawQuads(quads);
  glEndList();
}
