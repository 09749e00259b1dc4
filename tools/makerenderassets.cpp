// makerenderassets: draws the renderer's pictures with Qt on the offscreen platform and writes
// them with the bitmap-font descriptor:
//   font.fnt, font.png   DejaVu Sans Mono, ASCII 32 to 126, white glyphs with coverage in alpha
//   cursor.png           the 3-D cursor, a white frame around a transparent square
//   scale.png            the bond colour ramp, h 0 at the top to 1 at the bottom
//
//   makerenderassets [OUTPUT_FOLDER [FONT_FILE]]   defaults: Resources and Debian's
//                                                  fonts-dejavu-core DejaVuSansMono.ttf
//
// Run it from the repository root and commit the output.

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "model/Spheroid.h"

namespace {

const char* const kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr int kPixelSize = 12;      // "FPS:" must fit the 27 pixels left of the frame rate
constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kPageWidth = 256;
constexpr int kSpacing = 2;         // empty pixels between glyph boxes on the page
constexpr int kCursorSide = 64;
constexpr int kCursorFrame = 3;     // pixels
constexpr int kScaleWidth = 43;
constexpr int kScaleHeight = 410;

struct GlyphBox {
  int code;
  QRect ink;   // relative to the pen on the baseline, y downwards; empty for a blank
  int advance;
  int x = 0, y = 0;   // top left on the page
};

int nextPowerOfTwo(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

bool save(const QImage& image, const std::string& path) {
  if (image.save(QString::fromStdString(path), "PNG")) return true;
  std::cerr << "makerenderassets: cannot write " << path << "\n";
  return false;
}

// Places the boxes row by row on a page kPageWidth wide; returns the page height used.
int placeGlyphs(std::vector<GlyphBox>& boxes) {
  int x = 0, y = 0, rowHeight = 0;
  for (GlyphBox& g : boxes) {
    if (x + g.ink.width() > kPageWidth) {
      x = 0;
      y += rowHeight + kSpacing;
      rowHeight = 0;
    }
    g.x = x;
    g.y = y;
    x += g.ink.width() + kSpacing;
    rowHeight = std::max(rowHeight, g.ink.height());
  }
  return y + rowHeight;
}

bool writeFont(const std::string& folder, const std::string& fontFile) {
  const int id = QFontDatabase::addApplicationFont(QString::fromStdString(fontFile));
  if (id < 0) {
    std::cerr << "makerenderassets: cannot load the font " << fontFile << "\n";
    return false;
  }
  const QString family = QFontDatabase::applicationFontFamilies(id).value(0);
  QFont font(family);
  font.setPixelSize(kPixelSize);
  font.setStyleStrategy(QFont::PreferAntialias);
  const QFontMetrics metrics(font);

  std::vector<GlyphBox> boxes;
  for (int c = kFirstChar; c <= kLastChar; ++c) {
    QRect ink = metrics.boundingRect(QChar(c));
    // One pixel around the ink keeps the antialiased edge inside the box.
    if (!ink.isEmpty()) ink.adjust(-1, -1, 1, 1);
    boxes.push_back({c, ink, metrics.horizontalAdvance(QChar(c))});
  }
  // The descriptor's offsets stay non-negative: glyphs reaching left of the pen or above the
  // line move every glyph right or down by the same amount.
  int padX = 0, padY = 0;
  for (const GlyphBox& g : boxes) {
    if (g.ink.isEmpty()) continue;
    padX = std::max(padX, -g.ink.left());
    padY = std::max(padY, -(g.ink.top() + metrics.ascent()));
  }
  const int pageHeight = nextPowerOfTwo(placeGlyphs(boxes));

  QImage page(kPageWidth, pageHeight, QImage::Format_ARGB32_Premultiplied);
  page.fill(Qt::black);
  QPainter painter(&page);
  painter.setFont(font);
  painter.setPen(Qt::white);
  for (const GlyphBox& g : boxes)
    if (!g.ink.isEmpty())
      painter.drawText(g.x - g.ink.left(), g.y - g.ink.top(), QString(QChar(g.code)));
  painter.end();
  // White everywhere; the drawn brightness is the coverage.
  QImage glyphs(kPageWidth, pageHeight, QImage::Format_ARGB32);
  for (int y = 0; y < pageHeight; ++y)
    for (int x = 0; x < kPageWidth; ++x)
      glyphs.setPixel(x, y, qRgba(255, 255, 255, qRed(page.pixel(x, y))));
  if (!save(glyphs, folder + "/font.png")) return false;

  std::ofstream out(folder + "/font.fnt");
  out << "info face=\"" << family.toStdString() << "\" size=" << kPixelSize
      << " bold=0 italic=0 charset=\"\" unicode=0 stretchH=100 smooth=1 aa=1 padding=0,0,0,0"
      << " spacing=" << kSpacing << "," << kSpacing << "\n";
  out << "common lineHeight=" << metrics.height() + padY << " base=" << metrics.ascent() + padY
      << " scaleW=" << kPageWidth << " scaleH=" << pageHeight << " pages=1 packed=0\n";
  out << "page id=0 file=\"font.png\"\n";
  out << "chars count=" << boxes.size() << "\n";
  for (const GlyphBox& g : boxes) {
    const bool blank = g.ink.isEmpty();
    out << "char id=" << g.code << " x=" << g.x << " y=" << g.y << " width=" << g.ink.width()
        << " height=" << g.ink.height() << " xoffset=" << (blank ? 0 : g.ink.left() + padX)
        << " yoffset=" << (blank ? 0 : g.ink.top() + metrics.ascent() + padY)
        << " xadvance=" << g.advance << " page=0 chnl=15\n";
  }
  out << "kernings count=0\n";
  out.close();
  if (!out) std::cerr << "makerenderassets: cannot write " << folder << "/font.fnt\n";
  return static_cast<bool>(out);
}

bool writeCursor(const std::string& folder) {
  QImage cursor(kCursorSide, kCursorSide, QImage::Format_ARGB32);
  cursor.fill(Qt::transparent);
  for (int y = 0; y < kCursorSide; ++y)
    for (int x = 0; x < kCursorSide; ++x) {
      const int edge = std::min(std::min(x, y), std::min(kCursorSide - 1 - x, kCursorSide - 1 - y));
      if (edge < kCursorFrame) cursor.setPixel(x, y, qRgba(255, 255, 255, 255));
    }
  return save(cursor, folder + "/cursor.png");
}

bool writeScale(const std::string& folder) {
  QImage scale(kScaleWidth, kScaleHeight, QImage::Format_ARGB32);
  for (int y = 0; y < kScaleHeight; ++y) {
    unsigned char rgb[3];
    Spheroid::rampColour(static_cast<float>(y) / (kScaleHeight - 1), false, rgb);
    for (int x = 0; x < kScaleWidth; ++x) scale.setPixel(x, y, qRgba(rgb[0], rgb[1], rgb[2], 255));
  }
  return save(scale, folder + "/scale.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string folder = argc > 1 ? argv[1] : "Resources";
  const std::string fontFile = argc > 2 ? argv[2] : kDefaultFont;
  const bool ok = writeFont(folder, fontFile) && writeCursor(folder) && writeScale(folder);
  return ok ? 0 : 1;
}
