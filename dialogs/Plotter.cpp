#include "dialogs/Plotter.h"

#include <QColor>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>

#include "dialogs/DialogSupport.h"
#include "math/DataFolder.h"

namespace {

// Curve colours by id modulo 6; the energy profile is curve 1.
const Qt::GlobalColor kCurveColours[6] = {Qt::red, Qt::blue, Qt::green,
                                          Qt::cyan, Qt::magenta, Qt::yellow};
constexpr int kSmallestBand = 4;   // pixels; a smaller rubber band zooms nothing
constexpr float kDemonstrationEnd = 360.0f;   // degrees
// The demonstration curves convert with 3.14, not pi, and in single precision.
float demoSine(float degrees) { return std::sin(degrees * 3.14f / 180.0f); }
float demoCosine(float degrees) { return std::cos(degrees * 3.14f / 180.0f); }

void widenEmptySpan(double& min, double& max) {
  if (min == max) {
    min -= 1.0;
    max += 1.0;
  }
}

}  // namespace

void PlotSettings::scroll(int dx, int dy) {
  const PlotSettings view = widened();
  if (numXTicks != 0) {
    const double stepX = view.spanX() / numXTicks;
    minX += dx * stepX;
    maxX += dx * stepX;
  }
  if (numYTicks != 0) {
    const double stepY = view.spanY() / numYTicks;
    minY += dy * stepY;
    maxY += dy * stepY;
  }
}

void PlotSettings::adjust() {
  adjustAxis(minX, maxX, numXTicks);
  adjustAxis(minY, maxY, numYTicks);
}

void PlotSettings::adjustAxis(double& min, double& max, int& numTicks) {
  widenEmptySpan(min, max);
  if (!std::isfinite(min) || !std::isfinite(max) || !(max > min)) return;
  const double grossStep = (max - min) * 0.25;
  double step = std::pow(10.0, std::floor(std::log10(grossStep)));
  if (5.0 * step < grossStep)
    step *= 5.0;
  else if (2.0 * step < grossStep)
    step *= 2.0;
  numTicks = static_cast<int>(std::ceil(max / step) - std::floor(min / step));
  if (numTicks < 4) numTicks = 4;
  min = std::floor(min / step) * step;
  max = std::ceil(max / step) * step;
}

PlotSettings PlotSettings::widened() const {
  PlotSettings view = *this;
  widenEmptySpan(view.minX, view.maxX);
  widenEmptySpan(view.minY, view.maxY);
  return view;
}

Plotter::Plotter(QWidget* parent) : QWidget(parent) {
  initIconResources();
  setWindowTitle(tr("Energy Profile Plot"));
  setWindowIcon(QIcon(":/KestavorGUI/Resources/icon.png"));
  setBackgroundRole(QPalette::Light);
  setAutoFillBackground(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setFocusPolicy(Qt::StrongFocus);

  // Read from the working directory, beside the other run-time pictures; a missing file gives
  // a button without an icon.
  zoomInButton = new QToolButton(this);
  zoomInButton->setIcon(QIcon(QString::fromStdString(dataPath("Resources/zoomin.png"))));
  zoomInButton->adjustSize();
  connect(zoomInButton, &QToolButton::clicked, this, &Plotter::zoomIn);
  zoomOutButton = new QToolButton(this);
  zoomOutButton->setIcon(QIcon(QString::fromStdString(dataPath("Resources/zoomout.png"))));
  zoomOutButton->adjustSize();
  connect(zoomOutButton, &QToolButton::clicked, this, &Plotter::zoomOut);

  setPlotSettings(PlotSettings());
}

void Plotter::setPlotSettings(const PlotSettings& settings) {
  zoomStack.clear();
  zoomStack.append(settings);
  currentZoom = 0;
  zoomInButton->hide();
  zoomOutButton->hide();
  refreshPixmap();
}

void Plotter::zoomOut() {
  if (currentZoom <= 0) return;
  --currentZoom;
  zoomOutButton->setEnabled(currentZoom > 0);
  zoomInButton->setEnabled(true);
  zoomInButton->show();
  refreshPixmap();
}

void Plotter::zoomIn() {
  if (currentZoom >= zoomStack.count() - 1) return;
  ++currentZoom;
  zoomInButton->setEnabled(currentZoom < zoomStack.count() - 1);
  zoomOutButton->setEnabled(true);
  zoomOutButton->show();
  refreshPixmap();
}

void Plotter::setCurveData(int id, const QVector<QPointF>& points) {
  curves[id] = points;
  refreshPixmap();
}

void Plotter::clearCurve(int id) { curves.remove(id); }

void Plotter::updateCurve(std::map<float, float>& profile, float, float) {
  QVector<QPointF> points;
  points.reserve(static_cast<int>(profile.size()));
  for (const auto& entry : profile) points.append(QPointF(entry.first, entry.second));
  setCurveData(1, points);
  resize(sizeHint());
  keepInsideScreen(this);   // 36 divisions ask for more pixels than most screens have
}

QSize Plotter::minimumSizeHint() const { return QSize(6 * Margin, 4 * Margin); }

QSize Plotter::sizeHint() const {
  if (zoomStack.isEmpty()) return QSize(24 * Margin, 16 * Margin);
  const PlotSettings& settings = currentSettings();
  return QSize(settings.numXTicks * Margin, settings.numYTicks * Margin);
}

QString Plotter::axisTitle(Qt::Orientation axis) const {
  return axis == Qt::Horizontal ? tr("Angle\n(degree)") : tr("Energy\n(kcal/mol)");
}

QRect Plotter::axisTitleRect(Qt::Orientation axis) const {
  const QRect rect = plotRect();
  const QFontMetrics metrics = fontMetrics();
  const QSize size = metrics.size(0, axisTitle(axis));
  if (axis == Qt::Horizontal) {
    // 25 pixels right of the middle of the plot, under the values of the x axis.
    const int centre = (rect.left() + rect.right()) / 2 + 25;
    const int top = std::min(rect.bottom() + 5 + metrics.height(), height() - size.height());
    return QRect(centre - size.width() / 2, top, size.width(), size.height());
  }
  // Above the y axis at the window's left edge, clear of the values beside the axis.
  return QRect(4, std::max(0, rect.top() - 4 - size.height()), size.width(), size.height());
}

QRect Plotter::plotRect() const {
  return QRect(Margin, Margin, width() - 2 * Margin, height() - 2 * Margin);
}

void Plotter::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  painter.drawPixmap(0, 0, pixmap);
  if (rubberBandShown) painter.drawRect(rubberBand.normalized().adjusted(0, 0, -1, -1));
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().dark().color();
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
  }
}

void Plotter::resizeEvent(QResizeEvent*) {
  const int x = width() - (zoomInButton->width() + zoomOutButton->width() + 10);
  zoomInButton->move(x, 5);
  zoomOutButton->move(x + zoomInButton->width() + 5, 5);
  refreshPixmap();
}

void Plotter::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !plotRect().contains(event->pos())) return;
  rubberBandShown = true;
  rubberBand.setTopLeft(event->pos());
  rubberBand.setBottomRight(event->pos());
  repaintRubberBandOutline();
  setCursor(Qt::CrossCursor);
}

void Plotter::mouseMoveEvent(QMouseEvent* event) {
  if (!rubberBandShown) return;
  repaintRubberBandOutline();
  rubberBand.setBottomRight(event->pos());
  repaintRubberBandOutline();
}

void Plotter::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !rubberBandShown) return;
  rubberBandShown = false;
  repaintRubberBandOutline();
  unsetCursor();
  zoomToRubberBand();
}

void Plotter::zoomToRubberBand() {
  QRect band = rubberBand.normalized();
  if (band.width() < kSmallestBand || band.height() < kSmallestBand) return;
  band.translate(-Margin, -Margin);
  const PlotSettings previous = currentSettings().widened();
  const double dx = previous.spanX() / (width() - 2 * Margin);
  const double dy = previous.spanY() / (height() - 2 * Margin);
  PlotSettings settings;
  settings.minX = previous.minX + dx * band.left();
  settings.maxX = previous.minX + dx * band.right();
  settings.minY = previous.maxY - dy * band.bottom();
  settings.maxY = previous.maxY - dy * band.top();
  settings.adjust();
  zoomStack.resize(currentZoom + 1);
  zoomStack.append(settings);
  zoomIn();
}

void Plotter::repaintRubberBandOutline() {
  const QRect band = rubberBand.normalized();
  update(band.left(), band.top(), band.width(), 1);
  update(band.left(), band.top(), 1, band.height());
  update(band.left(), band.bottom(), band.width(), 1);
  update(band.right(), band.top(), 1, band.height());
}

void Plotter::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Plus: zoomIn(); break;
    case Qt::Key_Minus: zoomOut(); break;
    case Qt::Key_C: growDemonstration(cosPoints, cosAngle, demoCosine, 1); break;
    case Qt::Key_S: growDemonstration(sinePoints, sineAngle, demoSine, 0); break;
    case Qt::Key_Left: scrollBy(-1, 0); break;
    case Qt::Key_Right: scrollBy(+1, 0); break;
    case Qt::Key_Down: scrollBy(0, -1); break;
    case Qt::Key_Up: scrollBy(0, +1); break;
    default: QWidget::keyPressEvent(event);
  }
}

void Plotter::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  const bool horizontal = delta.x() != 0 && delta.y() == 0;
  // Eighths of a degree; one step per 15 degrees, truncated toward zero.
  const int steps = (horizontal ? delta.x() : delta.y()) / 8 / 15;
  if (horizontal)
    scrollBy(steps, 0);
  else
    scrollBy(0, steps);
}

void Plotter::scrollBy(int dx, int dy) {
  zoomStack[currentZoom].scroll(dx, dy);
  refreshPixmap();
}

void Plotter::growDemonstration(QVector<QPointF>& points, float& angle, float (*wave)(float),
                                int id) {
  if (angle < kDemonstrationEnd) {
    angle += 1.0f;
    points.append(QPointF(angle, wave(angle)));
  }
  setCurveData(id, points);
}

void Plotter::refreshPixmap() {
  pixmap = QPixmap(size());
  pixmap.fill(palette().color(backgroundRole()));
  QPainter painter(&pixmap);
  painter.setPen(palette().color(foregroundRole()));
  painter.setBackground(palette().brush(backgroundRole()));
  painter.setFont(font());
  drawGrid(&painter);
  drawCurves(&painter);
  update();
}

void Plotter::drawGrid(QPainter* painter) const {
  const QRect rect = plotRect();
  if (!rect.isValid()) return;
  const PlotSettings settings = currentSettings().widened();
  painter->drawText(axisTitleRect(Qt::Horizontal), Qt::AlignCenter, axisTitle(Qt::Horizontal));
  painter->drawText(axisTitleRect(Qt::Vertical), Qt::AlignCenter, axisTitle(Qt::Vertical));
  const int labelHeight = painter->fontMetrics().height();
  for (int i = 0; settings.numXTicks > 0 && i <= settings.numXTicks; ++i) {
    const int x = rect.left() + (i * (rect.width() - 1) / settings.numXTicks);
    const double value = settings.minX + (i * settings.spanX() / settings.numXTicks);
    painter->drawLine(x, rect.top(), x, rect.bottom());
    painter->drawLine(x, rect.bottom(), x, rect.bottom() + 5);
    painter->drawText(x - 50, rect.bottom() + 5, 100, labelHeight, Qt::AlignCenter | Qt::AlignTop,
                      QString::number(value, 'g', 6));
  }
  for (int j = 0; settings.numYTicks > 0 && j <= settings.numYTicks; ++j) {
    const int y = rect.bottom() - (j * (rect.height() - 1) / settings.numYTicks);
    const double value = settings.minY + (j * settings.spanY() / settings.numYTicks);
    painter->drawLine(rect.left(), y, rect.right(), y);
    painter->drawText(rect.left() - Margin, y - 10, Margin - 5, 20,
                      Qt::AlignRight | Qt::AlignVCenter, QString::asprintf("%8.2f", value));
  }
  painter->drawRect(rect.adjusted(0, 0, -1, -1));
}

void Plotter::drawCurves(QPainter* painter) const {
  const QRect rect = plotRect();
  if (!rect.isValid()) return;
  const PlotSettings settings = currentSettings().widened();
  painter->setClipRect(rect.adjusted(0, 0, -1, -1));
  for (auto curve = curves.constBegin(); curve != curves.constEnd(); ++curve) {
    QPolygonF line;
    line.reserve(curve.value().size());
    for (const QPointF& point : curve.value()) {
      const double dx = point.x() - settings.minX, dy = point.y() - settings.minY;
      line << QPointF(rect.left() + dx * (rect.width() - 1) / settings.spanX(),
                      rect.bottom() - dy * (rect.height() - 1) / settings.spanY());
    }
    painter->setPen(kCurveColours[static_cast<unsigned int>(curve.key()) % 6]);
    painter->drawPolyline(line);
  }
}
