#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

class Texture;

// One character of a bitmap font: its box in the page image (y from the image's top) and its
// placement relative to the pen (y downwards). The offsets are signed: the text format allows
// glyphs that reach left of the pen or above the line.
struct Glyph {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::int16_t xoffset = 0;
  std::int16_t yoffset = 0;
  std::uint16_t xadvance = 0;
  std::uint16_t page = 0;
};

// One corner of a glyph quad: texture coordinates and window position (y upwards).
struct TextQuad2D {
  float u, v, x, y;
};

// A bitmap font read from a descriptor in the BMFont text format, with one page image.
class Font {
 public:
  static constexpr int GlyphCount = 256;

  std::string path;       // the descriptor's path as given
  std::string baseName;   // the path without the extension of its last component
  std::ifstream stream;   // the descriptor, read through and kept open with the font
  std::uint16_t lineHeight = 0;
  std::uint16_t base = 0;
  std::uint16_t scaleW = 0;   // page image size in pixels
  std::uint16_t scaleH = 0;
  std::uint16_t pages = 0;
  Glyph glyphs[GlyphCount];   // by character code; all zero until a "char" line sets one
  Texture* page = nullptr;    // owned

  Font() = default;
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // baseName + ".png": the page is always the image named like the descriptor, whatever its
  // page line says.
  std::string pagePath() const { return baseName + ".png"; }

  // Appends four corners per byte of text (top left, top right, bottom right, bottom left),
  // the pen starting at x and the line's top at y. An undefined character gives an empty quad
  // and does not move the pen; kerning is not applied.
  void layoutText(const char* text, int x, int y, std::vector<TextQuad2D>& quads) const;
  // One GL_QUADS batch of the corners, per character bottom left, bottom right, top right,
  // top left. Binds nothing.
  static void drawQuads(const std::vector<TextQuad2D>& quads);
};

class FontFactory {
 public:
  static FontFactory* Instance;   // null until the first instance() call; never destroyed
  static FontFactory* instance();

  // The font of the descriptor with its page image (needs a current GL context). Null, with one
  // line on the error channel, when the descriptor cannot be opened; a page image that cannot
  // be read gives a page of zero size.
  Font* createFont(const char* path);
  // The descriptor alone, without the page image; null when it cannot be opened.
  Font* loadDescriptor(const char* path);
  // Reads the "common" and "char" lines into the font, to the "kernings" line or the end.
  static void readDescriptor(std::istream& in, Font& font);
  // The path without the extension of its last component (fileExtension): "./Resources/font.fnt"
  // gives "./Resources/font".
  static std::string baseNameOf(const std::string& path);

 private:
  FontFactory() = default;
};

// A fixed string compiled once into a GL display list, replayed every frame with the font's
// page bound by the caller.
class RenderString {
 public:
  Font* font;   // not owned
  int x;        // window pixels, y upwards from the bottom edge; y is the line's top
  int y;
  unsigned int displayList = 0;
  std::string text;

  // Needs a current GL context: makes the list and builds it. A string without a font
  // compiles an empty list.
  RenderString(const char* text, Font* font, int x, int y);
  ~RenderString();
  RenderString(const RenderString&) = delete;
  RenderString& operator=(const RenderString&) = delete;

  void buildList();
};
