// What the view draws over the scene, read back from the pixels: bond-axis and atom labels,
// the colour scale, the edit symbols only in the ordinary path.
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Spheroid.h"
#include "support/MoleculeBuilder.h"
#include "tests/render/SpheroidScene.h"
#include "tests/view/ViewHost.h"

namespace {

using namespace kvview;

bool yellow(QRgb p) { return qRed(p) > 150 && qGreen(p) > 150 && qBlue(p) < 90; }
bool lit(QRgb p) { return qGray(p) > 40; }

// The pixels that pass the test within the area: how many, and the rectangle around them.
QRect found(const QImage& image, bool (*test)(QRgb), int& count, QRect area = QRect()) {
  if (area.isNull()) area = image.rect();
  QRect around;
  count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.valid(x, y) && test(image.pixel(x, y))) {
        ++count;
        around |= QRect(x, y, 1, 1);
      }
  return around;
}

// The yellow pixels, counted from the top left corner of the rectangle around them: a label's
// shape wherever it is drawn.
std::vector<QPoint> yellowShape(const QImage& image) {
  int count = 0;
  const QPoint corner = found(image, yellow, count).topLeft();
  std::vector<QPoint> shape;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (yellow(image.pixel(x, y))) shape.push_back(QPoint(x, y) - corner);
  return shape;
}

class ViewOverlay : public SettledView {
 protected:
  void SetUp() override {
    SettledView::SetUp();
    showKinds(false);   // only the overlay in the pixels
  }
  void TearDown() override {
    showKinds(true);
    engine.showAtomIDs = engine.showColorScale = false;
    ViewHost::TearDown();
  }
  void showKinds(bool on) {
    engine.showNuclei = engine.showAtomicOrbitals = engine.showMolecularOrbitals =
        engine.showBondAxes = on;
  }
  // A text as the overlay draws a label, alone in the window.
  std::vector<QPoint> labelShape(const char* text) {
    view->makeCurrent();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    engine.setOrthoProjection();
    glColor3f(1.0f, 1.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    engine.renderText(text, 100, 100);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    engine.restorePerspectiveProjection();
    return yellowShape(view->grabFrameBuffer());
  }
};

}  // namespace

TEST_F(ViewOverlay, BondAxisLabelsSitAtTheirAxesAndFollowTheirMolecules) {
  Mesh* one = show(kMethyl, alongRay(20.0f) + SSEVector4f(-4.0f, 0.0f, 0.0f, 0.0f));
  Mesh* two = show(kMethyl, alongRay(20.0f) + SSEVector4f(4.0f, 2.0f, 0.0f, 0.0f));
  Spheroid* axes[2] = {ofKind(one, SpheroidKind::OpenBondAxis),
                       ofKind(two, SpheroidKind::OpenBondAxis)};
  view->firstSelectedSpheroid = axes[0];
  view->secondSelectedSpheroid = axes[1];
  for (int round = 0; round < 2; ++round) {
    frame();
    int all = 0, near[2] = {0, 0};
    found(pixels(), yellow, all);
    for (int i = 0; i < 2; ++i) {
      // The pen at the axis' window point, the text below and to the right of it.
      const SSEVector4f w = windowPoint((i == 0 ? one : two)->getGlobalCenter(axes[i]));
      found(pixels(), yellow, near[i], QRect(int(w.x) - 2, kHeight - int(w.y) - 2, 24, 24));
      EXPECT_GT(near[i], 0) << "label " << i + 1 << ", round " << round;
    }
    EXPECT_EQ(all, near[0] + near[1]) << "no label elsewhere";
    one->position.y -= 3.0f;   // one molecule moves, the other turns
    two->setRotation(Quaternion(SSEVector4f(0.0f, 0.0f, 1.0f, 0.0f), 1.5f));
  }
}

// One atom in view, C with id 4; the four others lie beyond the far plane and get no label.
TEST_F(ViewOverlay, AnAtomIsLabelledWithElementAndNumberFromOne) {
  auto molecule = kvtest::buildMolecule({"C", "C", "C", "C", "C"}, {});
  const float far = -30000.0f;
  kvscene::giveSpheroids(*molecule, {SSEVector4f(0, 0, far), SSEVector4f(1, 0, far),
                                     SSEVector4f(2, 0, far), SSEVector4f(3, 0, far),
                                     SSEVector4f(0, 0, 0)});
  Molecule* m = molecule.release();
  view->handOverMolecule(m);
  frame();
  m->mesh->position =
      m->mesh->position + (alongRay(20.0f) - m->mesh->getGlobalCenter(m->atoms[4]->sphere));
  engine.showAtomIDs = true;
  frame();
  const std::vector<QPoint> drawn = yellowShape(pixels());
  EXPECT_EQ(labelShape("C5"), drawn);
  EXPECT_NE(labelShape("C4"), drawn) << "the shapes tell the labels apart";
}

TEST_F(ViewOverlay, TheHighDynamicRangePathDrawsNoEditSymbolAndNoColourScale) {
  // Meshes with buffer sets, as the path draws them.
  engine.renderMode = RenderMode::HighDynamicRange;
  Molecule* m = show(kEthanol, alongRay(20.0f))->molecule;
  m->atoms[0]->editMark = 1;
  view->atomsToDelete[m] = {m->atoms[0]};
  m->bonds[0]->deleteMark = 1;
  view->bondsToDelete[m] = {m->bonds[0]};
  engine.showColorScale = true;
  int drawn = 0;
  frame();
  found(pixels(), lit, drawn);
  EXPECT_GT(drawn, 0) << "the symbols and the scale in the ordinary path";
  view->hdrEnabled = true;
  frame();
  found(pixels(), lit, drawn);
  EXPECT_EQ(0, drawn);
}

TEST_F(ViewOverlay, TheColourScaleKeepsItsSizeAndCornerAtAnyWindowSize) {
  engine.showColorScale = true;
  for (const QSize size : {QSize(kWidth, kHeight), QSize(560, 520)}) {
    host->resize(size);
    QCoreApplication::processEvents();
    frame();
    int count = 0;
    EXPECT_EQ(QRect(size.width() - 25 - 43, 25, 43, 410), found(pixels(), lit, count));
  }
}
