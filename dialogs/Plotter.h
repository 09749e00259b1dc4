#pragma once

#include <QMap>
#include <QPixmap>
#include <QPointF>
#include <QRect>
#include <QVector>
#include <QWidget>

#include <map>

class QToolButton;

// One view of the plot's axes: the ranges and the number of divisions of each.
class PlotSettings {
 public:
  // Moves both ranges by whole divisions; the spans stay.
  void scroll(int dx, int dy);
  // Widens both ranges outward to round steps, rewriting the division counts.
  void adjust();
  // Widens [min, max] outward to whole multiples of a step of 1, 2 or 5 times a power of ten
  // near a quarter of the span and sets numTicks to the steps between them (at least 4). An
  // empty span is first widened by one on each side; a range that is not finite is left alone.
  static void adjustAxis(double& min, double& max, int& numTicks);
  // This view with an empty span on either axis widened by one on each side, as it is drawn.
  PlotSettings widened() const;

  double spanX() const { return maxX - minX; }
  double spanY() const { return maxY - minY; }

  double minX = 0.0;
  double maxX = 10.0;
  double minY = 0.0;
  double maxY = 10.0;
  int numXTicks = 20;
  int numYTicks = 10;
};

// A plot window of (x, y) curves on a labelled grid: angle in degrees on x, energy in kcal/mol
// on y. Zooms with a dragged rubber band and keeps the zoom levels on a stack with two buttons
// to walk it; scrolls with the arrow keys and the wheel. C and S grow the cosine and sine
// demonstration curves. Curves are drawn in ascending id order, coloured by id modulo 6.
class Plotter : public QWidget {
  Q_OBJECT

 public:
  static constexpr int Margin = 52;   // pixels around the plot rectangle on every side

  explicit Plotter(QWidget* parent = nullptr);

  // The only zoom level becomes these settings; both zoom buttons hide.
  void setPlotSettings(const PlotSettings& settings);
  void setCurveData(int id, const QVector<QPointF>& points);
  // Removes the curve without redrawing: it stays visible until the next redraw.
  void clearCurve(int id);
  // Makes the points, ascending by x, curve 1 and resizes the window to its size hint. The two
  // numbers are not used.
  void updateCurve(std::map<float, float>& profile, float, float);
  const PlotSettings& currentSettings() const { return zoomStack[currentZoom]; }

  // The two axis titles and the boxes they are drawn in, each as large as its lines in the
  // widget's font: the x title under the values of the x axis, the y title above the y axis.
  QString axisTitle(Qt::Orientation axis) const;
  QRect axisTitleRect(Qt::Orientation axis) const;

  QSize minimumSizeHint() const override;
  // Margin pixels per division of the current zoom level.
  QSize sizeHint() const override;

  QToolButton* zoomInButton;
  QToolButton* zoomOutButton;
  QMap<int, QVector<QPointF> > curves;
  QVector<QPointF> sinePoints;
  float sineAngle = 0.0f;   // degrees
  QVector<QPointF> cosPoints;
  float cosAngle = 0.0f;    // degrees
  QVector<PlotSettings> zoomStack;   // never empty
  int currentZoom = 0;
  bool rubberBandShown = false;
  QRect rubberBand;   // widget pixels
  QPixmap pixmap;     // grid and curves, rebuilt on every change

 public slots:
  void zoomIn();
  void zoomOut();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QRect plotRect() const;
  void repaintRubberBandOutline();
  void zoomToRubberBand();
  void refreshPixmap();
  void drawGrid(QPainter* painter) const;
  void drawCurves(QPainter* painter) const;
  void scrollBy(int dx, int dy);
  // One more point of a demonstration curve (angles 1 to 360), stored under the id.
  void growDemonstration(QVector<QPointF>& points, float& angle, float (*wave)(float), int id);
};
