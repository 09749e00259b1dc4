#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <QImage>
#include <gtest/gtest.h>

#include "model/Spheroid.h"
#include "render/Font.h"
#include "support/ErrorCapture.h"

namespace {

void readFont(const std::string& text, Font& font) {
  std::istringstream in(text);
  FontFactory::readDescriptor(in, font);
}

std::vector<TextQuad2D> layout(const Font& font, const char* text, int x, int y) {
  std::vector<TextQuad2D> quads;
  font.layoutText(text, x, y, quads);
  return quads;
}

const std::string kDescriptor = R"(info face="Test" size=12
common lineHeight=15 base=12 scaleW=256 scaleH=64 pages=1
page id=0 file="elsewhere.png"
char id=70 x=10 y=20 width=6 height=9 xoffset=1 yoffset=3 xadvance=7 page=0
char id=80 x=30 y=20 width=5 height=9 xoffset=-2 yoffset=3 xadvance=7 page=0
char id=83 x=40 y=20 width=6 height=9 xoffset=1 yoffset=3 xadvance=7 page=0
char id=58 x=50 y=20 width=3 height=7 xoffset=2 yoffset=5 xadvance=7 page=0
char id=300 x=1 y=1 width=1 height=1 xoffset=1 yoffset=1 xadvance=1 page=0
char id=65 width=70000 xoffset=-40000 xadvance=abc
kernings count=1
char id=66 xadvance=9
)";

}  // namespace

TEST(FontDescriptor, ReadsFieldsClampsValuesAndIgnoresWideIdsAndKerningTail) {
  Font font;
  readFont(kDescriptor, font);
  EXPECT_EQ(15, font.lineHeight);
  EXPECT_EQ(256, font.scaleW);
  EXPECT_EQ(64, font.scaleH);
  EXPECT_EQ(-2, font.glyphs['P'].xoffset);
  // id 300 lies outside the table: neither its low byte (44) nor glyph 0 take its values.
  EXPECT_EQ(0, font.glyphs[300 % 256].xadvance);
  EXPECT_EQ(0, font.glyphs[0].xadvance);
  EXPECT_EQ(65535, font.glyphs['A'].width);
  EXPECT_EQ(-32768, font.glyphs['A'].xoffset);
  EXPECT_EQ(0, font.glyphs['A'].xadvance) << "a value without digits reads as 0";
  EXPECT_EQ(0, font.glyphs['B'].xadvance) << "nothing after the kernings line is read";
}

TEST(FontDescriptor, LinesOfAnyLengthAreReadWhole) {
  Font font;
  readFont("char" + std::string(5000, ' ') + "id=66 xadvance=9\n", font);
  EXPECT_EQ(9, font.glyphs['B'].xadvance);
}

TEST(FontDescriptor, PageIsTheImageNamedLikeTheDescriptor) {
  const std::pair<const char*, const char*> cases[] = {
      {"Resources/font.fnt", "Resources/font"},
      {"./Resources/font.fnt", "./Resources/font"},
      {"fonts.v2/small", "fonts.v2/small"},
      {"dir/.fnt", "dir/.fnt"},
      {"font", "font"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, FontFactory::baseNameOf(c.first)) << c.first;

  const std::string path = ::testing::TempDir() + "/kv_font_page_test.fnt";
  std::ofstream(path) << kDescriptor;
  Font* font = FontFactory::instance()->loadDescriptor(path.c_str());
  ASSERT_NE(nullptr, font);
  EXPECT_EQ(::testing::TempDir() + "/kv_font_page_test.png", font->pagePath())
      << "the page line's \"elsewhere.png\" is not used";
  delete font;
  std::remove(path.c_str());
}

TEST(FontDescriptor, MissingDescriptorIsNamedAndGivesNoFont) {
  kvtest::ErrorCapture errors;
  EXPECT_EQ(nullptr, FontFactory::instance()->loadDescriptor("/nonexistent/font.fnt"));
  ASSERT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find("\"/nonexistent/font.fnt\""));
}

TEST(TextLayout, GlyphQuadsFollowThePenAndTheLineTop) {
  Font font;
  readFont(kDescriptor, font);
  const std::vector<TextQuad2D> quads = layout(font, "FPS:", 565, 480);
  ASSERT_EQ(16u, quads.size());
  // "F": box 6 x 9 at (10, 20) of a 256 x 64 page, one pixel right of the pen, 3 below the top.
  const TextQuad2D expected[4] = {{10 / 256.0f, 20 / 64.0f, 566, 477},
                                  {16 / 256.0f, 20 / 64.0f, 572, 477},
                                  {16 / 256.0f, 29 / 64.0f, 572, 468},
                                  {10 / 256.0f, 29 / 64.0f, 566, 468}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(expected[i].u, quads[i].u) << "corner " << i;
    EXPECT_FLOAT_EQ(expected[i].v, quads[i].v) << "corner " << i;
    EXPECT_FLOAT_EQ(expected[i].x, quads[i].x) << "corner " << i;
    EXPECT_FLOAT_EQ(expected[i].y, quads[i].y) << "corner " << i;
  }
  EXPECT_FLOAT_EQ(565 + 7 - 2, quads[4].x) << "xoffset -2 starts two pixels left of the pen";
  EXPECT_FLOAT_EQ(565 + 14 + 1, quads[8].x);
  EXPECT_FLOAT_EQ(565 + 21 + 2, quads[12].x);
  EXPECT_FLOAT_EQ(480 - 5 - 7, quads[14].y);
}

TEST(TextLayout, UndefinedCharacterGivesAnEmptyQuadAndNoAdvance) {
  Font font;
  readFont(kDescriptor, font);
  const std::vector<TextQuad2D> quads = layout(font, "F~F", 0, 100);
  ASSERT_EQ(12u, quads.size());
  for (int i = 4; i < 8; ++i) {
    EXPECT_FLOAT_EQ(7.0f, quads[i].x);
    EXPECT_FLOAT_EQ(100.0f, quads[i].y);
  }
  EXPECT_FLOAT_EQ(quads[0].x + 7, quads[8].x);
  EXPECT_TRUE(layout(font, "", 0, 0).empty());
}

// The committed pictures: the font covers ASCII 32 to 126 inside its page, with non-negative
// offsets and no ink outside the glyph boxes; the cursor is a frame; the scale is the ramp.
TEST(RenderAssets, ShippedFontCursorAndScaleAreWhatTheRendererExpects) {
  const std::string resources = std::string(KV_SOURCE_DIR) + "/Resources/";
  Font* font = FontFactory::instance()->loadDescriptor((resources + "font.fnt").c_str());
  ASSERT_NE(nullptr, font);
  QImage page(QString::fromStdString(font->pagePath()));
  ASSERT_EQ(font->scaleW, page.width());
  ASSERT_EQ(font->scaleH, page.height());
  std::vector<bool> inBox(static_cast<size_t>(page.width() * page.height()), false);
  for (int c = 32; c <= 126; ++c) {
    const Glyph& g = font->glyphs[c];
    EXPECT_GT(g.xadvance, 0) << "char " << c;
    EXPECT_GE(g.xoffset, 0) << "char " << c;
    EXPECT_GE(g.yoffset, 0) << "char " << c;
    EXPECT_LE(g.x + g.width, font->scaleW) << "char " << c;
    EXPECT_LE(g.y + g.height, font->scaleH) << "char " << c;
    EXPECT_EQ(c != ' ', g.width > 0) << "char " << c;
    for (int y = g.y; y < g.y + g.height && y < page.height(); ++y)
      for (int x = g.x; x < g.x + g.width && x < page.width(); ++x)
        inBox[static_cast<size_t>(y * page.width() + x)] = true;
  }
  int ink = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QRgb p = page.pixel(x, y);
      if (qAlpha(p) == 0) continue;
      ++ink;
      EXPECT_TRUE(inBox[static_cast<size_t>(y * page.width() + x)]) << x << "," << y;
      EXPECT_EQ(qRgb(255, 255, 255), qRgb(qRed(p), qGreen(p), qBlue(p))) << "glyphs are white";
    }
  EXPECT_GT(ink, 500);
  delete font;

  QImage cursor(QString::fromStdString(resources + "cursor.png"));
  ASSERT_EQ(QSize(64, 64), cursor.size());
  EXPECT_EQ(0, qAlpha(cursor.pixel(32, 32)));
  EXPECT_GT(qAlpha(cursor.pixel(0, 32)), 0);

  QImage scale(QString::fromStdString(resources + "scale.png"));
  ASSERT_EQ(QSize(43, 410), scale.size());
  for (int row : {0, 205, 409}) {
    unsigned char rgb[3];
    Spheroid::rampColour(row / 409.0f, false, rgb);
    EXPECT_EQ(qRgb(rgb[0], rgb[1], rgb[2]), scale.pixel(21, row)) << "row " << row;
  }
}
