// What the view draws over the scene, read back from the pixels: bond-axis and atom labels,
// the colour scale, the edit symbols only in the ordinary path; and the camera's screen axes.
#include <QtTest/QTest>

#include <cmath>
#include <functional>

#include "model/Spheroid.h"
#include "support/MoleculeBuilder.h"
#include "tests/render/SpheroidScene.h"
#include "tests/view/ViewHost.h"

namespace {

using kvview::ViewHost;
const char* const kMethyl = "KV_GROUPS/Alkyl/METHYL.kv";
const char* const kEthanol = "KV_MOLECULES/Small/Ethanol.kv";

bool yellow(QRgb p) { return qRed(p) > 150 && qGreen(p) > 150 && qBlue(p) < 90; }
bool lit(QRgb p) { return QColor(p).value() > 40; }

int count(const QImage& image, const QRect& area, bool (*test)(QRgb)) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.valid(x, y) && test(image.pixel(x, y))) ++n;
  return n;
}

// The smallest rectangle around the lit pixels; null when none is lit.
QRect litArea(const QImage& image) {
  QRect area;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (lit(image.pixel(x, y))) area |= QRect(x, y, 1, 1);
  return area;
}

QImage yellowMask(QImage image);

class ViewOverlay : public ViewHost {
 protected:
  void SetUp() override {
    ViewHost::SetUp();
    settle();
    // Only what the overlay draws shows in the pixels.
    engine.showNuclei = engine.showAtomicOrbitals = engine.showMolecularOrbitals =
        engine.showBondAxes = false;
  }
  void TearDown() override {
    engine.showNuclei = engine.showAtomicOrbitals = engine.showMolecularOrbitals =
        engine.showBondAxes = true;
    engine.showAtomIDs = engine.showColorScale = false;
    ViewHost::TearDown();
  }
  // Where a label drawn at the window point of a scene point lies: its pen at the point, its
  // line's top at the point's height; in image rows, top first.
  QRect labelArea(const SSEVector4f& scenePoint) const {
    const SSEVector4f w = windowPoint(scenePoint);
    return QRect(static_cast<int>(w.x) - 2, kHeight - static_cast<int>(w.y) - 2, 24, 24);
  }
  // A label as the overlay draws it, with its pen at the window point, alone in the window.
  QImage labelMask(const char* text, const SSEVector4f& w) {
    view->makeCurrent();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    engine.setOrthoProjection();
    glColor3f(1.0f, 1.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    engine.renderText(text, static_cast<int>(w.x), static_cast<int>(w.y));
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    engine.restorePerspectiveProjection();
    glFinish();
    return yellowMask(view->grabFrameBuffer());
  }
};

QImage yellowMask(QImage image) {
  image = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, yellow(image.pixel(x, y)) ? 0xffffffff : 0xff000000);
  return image;
}

// Equal within a shift of a pixel either way: the test projects in single precision.
bool sameText(const QImage& a, const QImage& b) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (a.copy(a.rect().translated(dx, dy)) == b) return true;
  return false;
}

Spheroid* bondAxis(const Mesh* mesh) {
  for (Spheroid* s : mesh->spheroids)
    if (s->kind == 2) return s;
  ADD_FAILURE() << "no bond axis";
  return nullptr;
}

}  // namespace

TEST_F(ViewOverlay, BondAxisLabelsSitAtTheirAxesAndFollowTheirMolecules) {
  Mesh* one = show(kMethyl, alongCentreRay(20.0f) + SSEVector4f(-4.0f, 0.0f, 0.0f, 0.0f));
  Mesh* two = show(kMethyl, alongCentreRay(20.0f) + SSEVector4f(4.0f, 2.0f, 0.0f, 0.0f));
  view->firstSelectedSpheroid = bondAxis(one);
  view->secondSelectedSpheroid = bondAxis(two);
  for (int step = 0; step < 2; ++step) {
    frame();
    const QImage image = pixels();
    const QRect at1 = labelArea(one->getGlobalCenter(view->firstSelectedSpheroid));
    const QRect at2 = labelArea(two->getGlobalCenter(view->secondSelectedSpheroid));
    ASSERT_FALSE(at1.intersects(at2));
    const int in1 = count(image, at1, yellow), in2 = count(image, at2, yellow);
    EXPECT_GT(in1, 0) << step;
    EXPECT_GT(in2, 0) << step;
    EXPECT_EQ(in1 + in2, count(image, image.rect(), yellow)) << "no label elsewhere";
    one->position.y -= 3.0f;   // move one molecule and turn the other for the next round
    two->setRotation(Quaternion(SSEVector4f(0.0f, 0.0f, 1.0f, 0.0f), 1.5f));
  }
}

// One atom in view, C with id 4; the other four lie beyond the far plane and get no label.
TEST_F(ViewOverlay, AnAtomIsLabelledWithElementAndNumberFromOne) {
  auto molecule = kvtest::buildMolecule({"C", "C", "C", "C", "C"}, {});
  const float far = -30000.0f;
  kvscene::giveSpheroids(*molecule, {SSEVector4f(0, 0, far), SSEVector4f(1, 0, far),
                                     SSEVector4f(2, 0, far), SSEVector4f(3, 0, far),
                                     SSEVector4f(0, 0, 0)});
  Molecule* m = molecule.release();
  view->handOverMolecule(m);
  frame();
  Mesh* mesh = m->mesh;
  const SSEVector4f target = alongCentreRay(20.0f);
  mesh->position = mesh->position + (target - mesh->getGlobalCenter(m->atoms[4]->sphere));
  engine.showAtomIDs = true;
  frame();
  const QImage drawn = yellowMask(pixels());
  const SSEVector4f w = windowPoint(target);
  EXPECT_TRUE(sameText(drawn, labelMask("C5", w)));
  EXPECT_FALSE(sameText(drawn, labelMask("C4", w))) << "the comparison tells labels apart";
}

TEST_F(ViewOverlay, TheHighDynamicRangePathDrawsNoEditSymbolAndNoColourScale) {
  engine.renderMode = 3;   // meshes with buffer sets, as the path draws them
  Mesh* mesh = show(kEthanol, alongCentreRay(20.0f));
  Molecule* m = mesh->molecule;
  m->atoms[0]->editMark = 1;
  view->atomsToDelete[m] = {m->atoms[0]};
  m->bonds[0]->deleteMark = 1;
  view->bondsToDelete[m] = {m->bonds[0]};
  engine.showColorScale = true;
  frame();
  EXPECT_GT(count(pixels(), QRect(0, 0, kWidth, kHeight), lit), 0) << "drawn in path 2";
  view->hdrEnabled = true;
  frame();
  EXPECT_EQ(0, count(pixels(), QRect(0, 0, kWidth, kHeight), lit));
}

TEST_F(ViewOverlay, TheColourScaleKeepsItsSizeAndCornerAtAnyWindowSize) {
  engine.showColorScale = true;
  for (const QSize size : {QSize(kWidth, kHeight), QSize(560, 520)}) {
    host->resize(size);
    QCoreApplication::processEvents();
    frame();
    EXPECT_EQ(QRect(size.width() - 25 - 43, 25, 43, 410), litArea(pixels())) << size.width();
  }
}

TEST_F(ViewOverlay, EveryRebuildLeavesHalfLongPerpendicularAxesAlongTheCamera) {
  const QPoint centre(kWidth / 2, kHeight / 2);
  const std::pair<const char*, std::function<void()>> rebuilds[] = {
      {"glide home", [&] { view->createNewWorkspace(); settle(); }},
      {"left drag", [&] { drag(Qt::LeftButton, {centre, centre + QPoint(1, 0)}); }},
      {"delete", [&] { show(kEthanol, SSEVector4f()); QTest::keyClick(view, Qt::Key_Delete); }},
  };
  for (const auto& rebuild : rebuilds) {
    SCOPED_TRACE(rebuild.first);
    view->pickState = ViewButton;
    view->cameraRight = SSEVector4f(0.2f, 0.0f, 0.0f);
    view->cameraView = SSEVector4f(0.0f, 0.0f, -0.2f);
    rebuild.second();
    EXPECT_NEAR(0.5f, view->cameraRight.length(), 1e-4f);
    EXPECT_NEAR(0.5f, view->cameraView.length(), 1e-4f);
    EXPECT_NEAR(0.0f, view->cameraRight.dot(view->cameraView), 1e-4f);
  }
  // The eye looks down its -z axis: in the scene that is the camera's rotation undone.
  const Quaternion turned(SSEVector4f(0.6f, 0.8f, 0.0f, 0.0f), 0.9f);
  engine.setRotation(turned);
  view->buildCameraAxes();
  SSEMatrix4x4f back;
  turned.inverse().toMatrix(&back);
  const SSEVector4f expected = SSEVector4f(0.0f, 0.0f, -0.5f, 0.0f) * back;
  EXPECT_NEAR(0.0f, (view->cameraView - expected).length(), 1e-3f);
}
