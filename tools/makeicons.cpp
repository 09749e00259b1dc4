// makeicons: draws the application's pictures with Qt on the offscreen platform:
//   icon.png             64 x 64, the window icon every window shares
//   splash.png           336 x 115, the splash screen's and the about box's picture
//   the tool buttons     44 x 44 each, under the file names the main window's form uses
//   zoomin.png, zoomout.png   24 x 24, the energy plot's zoom buttons (read from disk at run
//                        time; the others are embedded through Resources/icons.qrc)
//
//   makeicons [OUTPUT_FOLDER [FONT_FILE]]   defaults: Resources and Debian's fonts-dejavu-core
//                                           DejaVuSans-Bold.ttf
//
// Run it from the repository root and commit the output.

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRadialGradient>

#include <cmath>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "math/Constants.h"

namespace {

const char* const kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr int kToolSide = 44;
constexpr int kIconSide = 64;
constexpr int kZoomSide = 24;
constexpr int kSplashWidth = 336;
constexpr int kSplashHeight = 115;

const QColor kCarbon(90, 96, 110);
const QColor kOxygen(215, 40, 40);
const QColor kNitrogen(60, 90, 220);
const QColor kHydrogen(235, 235, 240);
const QColor kBondOrbital(120, 170, 230, 150);
const QColor kInk(40, 48, 64);
const QColor kAccent(230, 120, 20);
const QColor kRemove(205, 25, 25);

QString fontFamily;   // the family of the loaded font file

// A shaded sphere: lit from the upper left.
void atom(QPainter& p, QPointF centre, double radius, const QColor& colour) {
  QRadialGradient shade(centre + QPointF(-radius * 0.35, -radius * 0.35), radius * 1.3);
  shade.setColorAt(0.0, colour.lighter(175));
  shade.setColorAt(0.55, colour);
  shade.setColorAt(1.0, colour.darker(190));
  p.setPen(QPen(colour.darker(220), 0.8));
  p.setBrush(shade);
  p.drawEllipse(centre, radius, radius);
}

void stick(QPainter& p, QPointF a, QPointF b, double width, const QColor& colour = kInk) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(a, b);
}

// A bond orbital: a translucent ellipse whose long axis joins the two nuclei.
void orbital(QPainter& p, QPointF a, QPointF b, double halfWidth) {
  const QPointF middle = (a + b) / 2.0;
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double halfLength = std::sqrt(dx * dx + dy * dy) / 2.0 + halfWidth * 0.6;
  p.save();
  p.translate(middle);
  p.rotate(std::atan2(dy, dx) * 180.0 / kPiDouble);
  p.setPen(QPen(kBondOrbital.darker(150), 0.8));
  p.setBrush(kBondOrbital);
  p.drawEllipse(QPointF(0, 0), halfLength, halfWidth);
  p.restore();
}

void arrowHead(QPainter& p, QPointF tip, double angleDeg, double size, const QColor& colour) {
  const double a = angleDeg * kPiDouble / 180.0;
  QPainterPath head;
  head.moveTo(tip);
  head.lineTo(tip - QPointF(std::cos(a - 0.45), std::sin(a - 0.45)) * size);
  head.lineTo(tip - QPointF(std::cos(a + 0.45), std::sin(a + 0.45)) * size);
  head.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(head);
}

void letter(QPainter& p, const QRectF& box, const QString& text, int pixelSize,
            const QColor& colour = kInk) {
  QFont font(fontFamily);
  font.setPixelSize(pixelSize);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(box, Qt::AlignCenter, text);
}

// A red cross over the point: the delete buttons.
void cross(QPainter& p, QPointF centre, double half) {
  p.setPen(QPen(kRemove, 4.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
  p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

// Three atoms in a bent chain, the picture most buttons build on.
void smallMolecule(QPainter& p, QPointF a, QPointF b, QPointF c) {
  stick(p, a, b, 3.0);
  stick(p, b, c, 3.0);
  atom(p, a, 6.0, kOxygen);
  atom(p, b, 7.0, kCarbon);
  atom(p, c, 6.0, kNitrogen);
}

// The automatic rotation buttons: a circular arrow around the axis letter.
void rotationIcon(QPainter& p, const QString& axis) {
  const QRectF ring(7, 7, 30, 30);
  p.setPen(QPen(kNitrogen, 3.0, Qt::SolidLine, Qt::FlatCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(ring, 100 * 16, 290 * 16);
  const double end = (100.0 + 290.0) * kPiDouble / 180.0;
  const QPointF tip(22 + 15 * std::cos(end), 22 - 15 * std::sin(end));
  arrowHead(p, tip, 90.0 - (100.0 + 290.0) + 180.0, 8.0, kNitrogen);
  letter(p, QRectF(0, 0, kToolSide, kToolSide), axis, 16);
}

void viewIcon(QPainter& p) {
  QPainterPath eye;
  eye.moveTo(4, 22);
  eye.quadTo(22, 2, 40, 22);
  eye.quadTo(22, 42, 4, 22);
  p.setPen(QPen(kInk, 2.5));
  p.setBrush(QColor(250, 250, 252));
  p.drawPath(eye);
  atom(p, QPointF(22, 22), 8.0, kNitrogen);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(QPointF(22, 22), 3.5, 3.5);
}

void selectionBox(QPainter& p, const QRectF& box) {
  p.setPen(QPen(kAccent, 2.0, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(box);
}

void meshIcon(QPainter& p) {
  smallMolecule(p, QPointF(11, 30), QPointF(22, 15), QPointF(33, 30));
  selectionBox(p, QRectF(3, 6, 38, 32));
}

void pieceIcon(QPainter& p) {
  smallMolecule(p, QPointF(11, 30), QPointF(22, 15), QPointF(33, 30));
  selectionBox(p, QRectF(24, 21, 17, 18));
}

void joinIcon(QPainter& p) {
  stick(p, QPointF(8, 14), QPointF(8, 30), 3.0);
  atom(p, QPointF(8, 14), 5.5, kCarbon);
  atom(p, QPointF(8, 30), 5.5, kOxygen);
  stick(p, QPointF(36, 14), QPointF(36, 30), 3.0);
  atom(p, QPointF(36, 14), 5.5, kCarbon);
  atom(p, QPointF(36, 30), 5.5, kNitrogen);
  p.setPen(QPen(kAccent, 2.5));
  p.drawLine(QPointF(14, 22), QPointF(19, 22));
  p.drawLine(QPointF(25, 22), QPointF(30, 22));
  arrowHead(p, QPointF(21, 22), 0.0, 6.0, kAccent);
  arrowHead(p, QPointF(23, 22), 180.0, 6.0, kAccent);
}

void distanceIcon(QPainter& p) {
  atom(p, QPointF(9, 30), 6.5, kCarbon);
  atom(p, QPointF(35, 30), 6.5, kOxygen);
  p.setPen(QPen(kAccent, 2.0));
  p.drawLine(QPointF(11, 13), QPointF(33, 13));
  arrowHead(p, QPointF(8, 13), 180.0, 6.0, kAccent);
  arrowHead(p, QPointF(36, 13), 0.0, 6.0, kAccent);
}

void angleIcon(QPainter& p) {
  smallMolecule(p, QPointF(9, 33), QPointF(22, 12), QPointF(35, 33));
  p.setPen(QPen(kAccent, 2.0));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(12, 2, 20, 20), 238 * 16, 64 * 16);
}

void dihedralIcon(QPainter& p) {
  const QPointF a(7, 34), b(16, 14), c(28, 30), d(37, 10);
  stick(p, a, b, 2.5);
  stick(p, b, c, 2.5);
  stick(p, c, d, 2.5);
  atom(p, a, 4.5, kOxygen);
  atom(p, b, 5.5, kCarbon);
  atom(p, c, 5.5, kCarbon);
  atom(p, d, 4.5, kNitrogen);
  p.setPen(QPen(kAccent, 2.0));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(14, 12, 16, 20), 30 * 16, 120 * 16);
}

void energyIcon(QPainter& p) {
  p.setPen(QPen(kInk, 2.0));
  p.drawLine(QPointF(5, 4), QPointF(5, 39));
  p.drawLine(QPointF(5, 39), QPointF(40, 39));
  QPainterPath curve;
  for (int i = 0; i <= 32; ++i) {
    const double x = 7 + i, y = 24 - 12 * std::cos(i * 2.0 * kPiDouble / 16.0);
    if (i == 0)
      curve.moveTo(x, y);
    else
      curve.lineTo(x, y);
  }
  p.setPen(QPen(kNitrogen, 2.5));
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
}

void bondOrderIcon(QPainter& p) {
  stick(p, QPointF(10, 18), QPointF(34, 18), 2.5);
  stick(p, QPointF(10, 26), QPointF(34, 26), 2.5);
  atom(p, QPointF(9, 22), 7.0, kCarbon);
  atom(p, QPointF(35, 22), 7.0, kOxygen);
  letter(p, QRectF(14, 26, 16, 18), "2", 13, kAccent);
}

void deleteAtomIcon(QPainter& p) {
  atom(p, QPointF(22, 22), 12.0, kCarbon);
  cross(p, QPointF(22, 22), 11.0);
}

void bondAxisIcon(QPainter& p) {
  stick(p, QPointF(14, 30), QPointF(28, 16), 3.0);
  atom(p, QPointF(13, 31), 9.0, kCarbon);
  orbital(p, QPointF(24, 20), QPointF(36, 8), 4.5);
}

void deleteBondIcon(QPainter& p) {
  orbital(p, QPointF(9, 22), QPointF(35, 22), 6.0);
  atom(p, QPointF(8, 22), 6.0, kCarbon);
  atom(p, QPointF(36, 22), 6.0, kCarbon);
  cross(p, QPointF(22, 22), 8.0);
}

void applicationIcon(QPainter& p) {
  const QPointF o(32, 18), c1(16, 44), c2(48, 44);
  orbital(p, c1, o, 8.0);
  orbital(p, o, c2, 8.0);
  orbital(p, c1, c2, 8.0);
  atom(p, o, 10.0, kOxygen);
  atom(p, c1, 10.0, kCarbon);
  atom(p, c2, 10.0, kNitrogen);
}

void splashPicture(QPainter& p) {
  QLinearGradient band(0, 0, 0, kSplashHeight);
  band.setColorAt(0.0, QColor(255, 255, 255));
  band.setColorAt(1.0, QColor(226, 234, 246));
  p.fillRect(QRect(0, 0, kSplashWidth, kSplashHeight), band);
  // A small chain with its bond orbitals on the left.
  const std::vector<QPointF> chain = {QPointF(22, 80), QPointF(44, 40), QPointF(70, 78),
                                      QPointF(92, 36)};
  for (size_t i = 0; i + 1 < chain.size(); ++i) orbital(p, chain[i], chain[i + 1], 8.0);
  atom(p, chain[0], 10.0, kOxygen);
  atom(p, chain[1], 11.0, kCarbon);
  atom(p, chain[2], 11.0, kCarbon);
  atom(p, chain[3], 10.0, kNitrogen);
  atom(p, QPointF(30, 24), 6.0, kHydrogen);
  stick(p, QPointF(34, 29), QPointF(40, 35), 2.0);
  letter(p, QRectF(112, 18, 220, 46), "Kestavor", 38);
  letter(p, QRectF(112, 62, 220, 22), "2.0", 18, kAccent);
  letter(p, QRectF(112, 86, 220, 20), "Molecular modelling", 13, kInk.lighter(160));
}

void zoomIcon(QPainter& p, bool in) {
  p.setPen(QPen(kInk, 2.2));
  p.setBrush(QColor(235, 242, 255));
  p.drawEllipse(QPointF(10, 10), 7.5, 7.5);
  p.setPen(QPen(kInk, 3.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 16), QPointF(22, 22));
  p.setPen(QPen(kInk, 2.0));
  p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
  if (in) p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
}

struct Picture {
  const char* file;
  int width, height;
  std::function<void(QPainter&)> draw;
};

std::vector<Picture> pictures() {
  const int t = kToolSide;
  return {
      {"icon.png", kIconSide, kIconSide, applicationIcon},
      {"splash.png", kSplashWidth, kSplashHeight, splashPicture},
      {"autoxbutton.png", t, t, [](QPainter& p) { rotationIcon(p, "X"); }},
      {"autoybutton.png", t, t, [](QPainter& p) { rotationIcon(p, "Y"); }},
      {"autozbutton.png", t, t, [](QPainter& p) { rotationIcon(p, "Z"); }},
      {"viewbutton.png", t, t, viewIcon},
      {"meshbutton.png", t, t, meshIcon},
      {"piecebutton.png", t, t, pieceIcon},
      {"joinbutton.png", t, t, joinIcon},
      {"measuredistance.png", t, t, distanceIcon},
      {"measureangle.png", t, t, angleIcon},
      {"measuredihedral.png", t, t, dihedralIcon},
      {"energy.png", t, t, energyIcon},
      {"editbondorders.png", t, t, bondOrderIcon},
      {"deleteAbutton.png", t, t, deleteAtomIcon},
      {"makeBondAxisButton.png", t, t, bondAxisIcon},
      {"deletBbutton.png", t, t, deleteBondIcon},
      {"zoomin.png", kZoomSide, kZoomSide, [](QPainter& p) { zoomIcon(p, true); }},
      {"zoomout.png", kZoomSide, kZoomSide, [](QPainter& p) { zoomIcon(p, false); }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string folder = argc > 1 ? argv[1] : "Resources";
  const char* fontFile = argc > 2 ? argv[2] : kDefaultFont;
  const int fontId = QFontDatabase::addApplicationFont(fontFile);
  if (fontId < 0 || QFontDatabase::applicationFontFamilies(fontId).isEmpty()) {
    std::cerr << "makeicons: cannot load the font " << fontFile << "\n";
    return 1;
  }
  fontFamily = QFontDatabase::applicationFontFamilies(fontId).first();

  for (const Picture& picture : pictures()) {
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    picture.draw(painter);
    painter.end();
    const std::string path = folder + "/" + picture.file;
    if (!image.save(QString::fromStdString(path), "PNG")) {
      std::cerr << "makeicons: cannot write " << path << "\n";
      return 1;
    }
  }
  return 0;
}
