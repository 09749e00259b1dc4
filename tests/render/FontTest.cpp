#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <QImage>
#include <gtest/gtest.h>

#include "model/Spheroid.h"
#include "render/Font.h"
#include "support/ErrorCapture.h"
#include "support/WorkingFolder.h"

namespace {

// F, P (reaching 2 pixels left of the pen), S and ":" on a 256 x 64 page; then lines that try
// the reader: an id beyond the table, values out of range on a line longer than 511
// characters, and a glyph after the kernings.
const std::string kDescriptor = R"(info face="Test" size=12
common lineHeight=15 base=12 scaleW=256 scaleH=64 pages=1
page id=0 file="elsewhere.png"
char id=70 x=10 y=20 width=6 height=9 xoffset=1 yoffset=3 xadvance=7 page=0
char id=80 x=30 y=20 width=5 height=9 xoffset=-2 yoffset=3 xadvance=7 page=0
char id=83 x=40 y=20 width=6 height=9 xoffset=1 yoffset=3 xadvance=7 page=0
char id=58 x=50 y=20 width=3 height=7 xoffset=2 yoffset=5 xadvance=7 page=0
char id=300 x=1 y=1 width=1 height=1 xoffset=1 yoffset=1 xadvance=1 page=0
)" + std::string("char") + std::string(600, ' ') + R"(id=65 width=70000 xoffset=-40000 xadvance=abc
kernings count=1
char id=66 xadvance=9
)";

void readFont(const std::string& text, Font& font) {
  std::istringstream in(text);
  FontFactory::readDescriptor(in, font);
}

}  // namespace

TEST(FontDescriptor, ReadsGlyphsClampedAndSkipsWideIdsAndTheKerningTail) {
  Font font;
  readFont(kDescriptor, font);
  EXPECT_EQ(64, font.scaleH);
  EXPECT_EQ(-2, font.glyphs['P'].xoffset);
  EXPECT_TRUE(font.glyphs[300 % 256].xadvance == 0 && font.glyphs[0].xadvance == 0)
      << "id 300 changes no glyph";
  EXPECT_TRUE(font.glyphs['A'].width == 65535 && font.glyphs['A'].xoffset == -32768);
  EXPECT_EQ(0, font.glyphs['A'].xadvance) << "a value without digits reads as 0";
  EXPECT_EQ(0, font.glyphs['B'].xadvance) << "nothing after the kernings line is read";
}

TEST(FontDescriptor, PageIsTheImageNamedLikeTheDescriptorWhateverItsPageLineSays) {
  EXPECT_EQ("./Resources/font", FontFactory::baseNameOf("./Resources/font.fnt"));
  EXPECT_EQ("fonts.v2/small", FontFactory::baseNameOf("fonts.v2/small"));
  kvtest::WorkingFolder folder;
  folder.write("fonts/page.fnt", kDescriptor);
  std::unique_ptr<Font> font(FontFactory::instance()->loadDescriptor("fonts/page.fnt"));
  ASSERT_NE(nullptr, font);
  EXPECT_EQ("fonts/page.png", font->pagePath());

  kvtest::ErrorCapture errors;
  EXPECT_EQ(nullptr, FontFactory::instance()->loadDescriptor("/nonexistent/font.fnt"));
  ASSERT_EQ(1u, errors.lines.size());
  EXPECT_NE(std::string::npos, errors.lines[0].find("\"/nonexistent/font.fnt\""));
}

TEST(TextLayout, GlyphQuadsFollowThePenAndTheLineTop) {
  Font font;
  readFont(kDescriptor, font);
  std::vector<TextQuad2D> quads;
  font.layoutText("FPS:~F", 565, 480, quads);
  ASSERT_EQ(24u, quads.size());
  // "F": box 6 x 9 at (10, 20), one pixel right of the pen, three below the line's top.
  const TextQuad2D f[4] = {{10 / 256.0f, 20 / 64.0f, 566, 477}, {16 / 256.0f, 20 / 64.0f, 572, 477},
                           {16 / 256.0f, 29 / 64.0f, 572, 468}, {10 / 256.0f, 29 / 64.0f, 566, 468}};
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(f[i].u == quads[i].u && f[i].v == quads[i].v && f[i].x == quads[i].x &&
                f[i].y == quads[i].y)
        << "corner " << i;
  EXPECT_EQ(565 + 7 - 2, quads[4].x) << "xoffset -2 starts two pixels left of the pen";
  EXPECT_TRUE(quads[12].x == 565 + 21 + 2 && quads[14].y == 480 - 5 - 7);
  // "~" is undefined: an empty quad at the pen, which stays where it is for the next "F".
  EXPECT_TRUE(quads[16].x == quads[18].x && quads[16].y == quads[18].y);
  EXPECT_EQ(565 + 28 + 1, quads[20].x);
}

// The committed pictures: every printable ASCII glyph inside the page with non-negative
// offsets, ink only inside glyph boxes, white; the cursor a frame; the scale the bond ramp.
TEST(RenderAssets, ShippedFontCursorAndScaleAreWhatTheRendererExpects) {
  const std::string resources = std::string(KV_SOURCE_DIR) + "/Resources/";
  Font* font = FontFactory::instance()->loadDescriptor((resources + "font.fnt").c_str());
  ASSERT_NE(nullptr, font);
  QImage page(QString::fromStdString(font->pagePath()));
  ASSERT_EQ(QSize(font->scaleW, font->scaleH), page.size());
  QImage boxes(page.size(), QImage::Format_Mono);
  boxes.fill(0);
  for (int c = 32; c <= 126; ++c) {
    const Glyph& g = font->glyphs[c];
    EXPECT_TRUE(g.xadvance > 0 && g.xoffset >= 0 && g.yoffset >= 0 && (c == ' ') == (g.width == 0))
        << "char " << c;
    EXPECT_TRUE(g.x + g.width <= font->scaleW && g.y + g.height <= font->scaleH) << "char " << c;
    for (int y = g.y; y < g.y + g.height; ++y)
      for (int x = g.x; x < g.x + g.width; ++x) boxes.setPixel(x, y, 1);
  }
  int ink = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QRgb p = page.pixel(x, y);
      if (qAlpha(p) == 0) continue;
      ++ink;
      EXPECT_TRUE(boxes.pixelIndex(x, y) == 1 && (p & 0xffffff) == 0xffffff) << x << "," << y;
    }
  EXPECT_GT(ink, 500);
  delete font;

  const QImage cursor(QString::fromStdString(resources + "cursor.png"));
  EXPECT_TRUE(cursor.size() == QSize(64, 64) && qAlpha(cursor.pixel(32, 32)) == 0 &&
              qAlpha(cursor.pixel(0, 32)) == 255);
  const QImage scale(QString::fromStdString(resources + "scale.png"));
  ASSERT_EQ(QSize(43, 410), scale.size());
  for (int row : {0, 205, 409}) {
    unsigned char rgb[3];
    Spheroid::rampColour(row / 409.0f, false, rgb);
    EXPECT_EQ(qRgb(rgb[0], rgb[1], rgb[2]), scale.pixel(21, row)) << "row " << row;
  }
}
