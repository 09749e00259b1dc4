#pragma once

// GLWidget in a small host window, started as the application starts it: the start camera
// gliding home, drawing path 2. Frames are drawn by hand with a clock that moves 0.1 s a frame,
// so glides run the same on any machine; each frame's pixels are kept. One view lives as long as
// the process (the renderer keeps its GL resources in its context). Needs an X server.

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "render/TimeEngine.h"
#include "support/ConsoleCapture.h"
#include "support/QtApplication.h"
#include "tests/render/WindowPoint.h"
#include "view/GLWidget.h"

namespace kvview {

const char* const kEthanol = "KV_MOLECULES/Small/Ethanol.kv";
const char* const kMethyl = "KV_GROUPS/Alkyl/METHYL.kv";   // one open bond axis

// Keeps each frame's pixels, read back before the buffers are swapped.
class HostedView : public GLWidget {
 public:
  explicit HostedView(QWidget* parent) : GLWidget(parent) {}
  QImage lastFrame;   // top row first

 protected:
  void paintGL() override {
    GLWidget::paintGL();
    lastFrame = grabFrameBuffer();
  }
};

class ViewHost : public ::testing::Test {
 public:
  static constexpr int kWidth = 480;
  static constexpr int kHeight = 480;

 protected:
  void SetUp() override {
    kvtest::ensureApplication();
    QDir::setCurrent(KV_SOURCE_DIR);   // the pictures under Resources/
    static std::uint64_t ticks = 0;
    delete TimeEngine::Instance;   // an earlier test's clock
    TimeEngine::Instance = new TimeEngine([] { return ticks += 100000000; }, {1, 1});
    // The scene is empty: every test's TearDown takes what it showed off through the scene.
    engine.currentMesh = engine.previousMesh = nullptr;
    engine.renderMode = RenderMode::VertexArrays;
    engine.showFPS = engine.showCursor = false;   // nothing but the scene in the pixels
    engine.globalTranslation = SSEVector4f(0.0f, 0.0f, -238.099f, 1.0f);
    engine.setRotation(Quaternion(0.7007f, 0.713f, 0.0f, 0.0f));
    engine.returnToHomeCamera = true;
    math.measureMode = 0;
    math.pickMode = 1;
    static QWidget* window = nullptr;
    static HostedView* shown = nullptr;
    if (window == nullptr) {
      window = new QWidget;
      auto* layout = new QVBoxLayout(window);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(shown = new HostedView(window));
      shown->repaintTimer->stop();
    }
    host = window;
    view = hosted = shown;
    host->resize(kWidth, kHeight);
    host->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host) && view->isValid()) << "no GL context";
    view->inputLocked = true;
    view->pickState = ViewButton;
    view->autoRotateAxis = GLWidget::NoAutoRotation;
    view->hdrEnabled = false;
    view->cameraIndex = view->targetCameraIndex = -1;
  }

  void TearDown() override {
    view->createNewWorkspace();   // also forgets the bond axes and edit marks
    frame();
    // A molecule handed over after that purge was taken by the frame: it leaves as well.
    view->scene.clear();
    view->scene.purge(nullptr);
    library.clear();
  }

  void frame() { view->updateGL(); }
  // Frames until no camera glide runs; the last unlocks the input.
  void settle() {
    for (int i = 0; i < 100 && (engine.returnToHomeCamera || engine.cameraSlerpActive ||
                                engine.positionSlerpActive); ++i)
      frame();
  }
  QImage pixels() const { return hosted->lastFrame; }
  static Spheroid* ofKind(const Mesh* mesh, int kind) {
    for (Spheroid* s : mesh->spheroids)
      if (s->kind == kind) return s;
    return nullptr;
  }
  void call(const char* slot) { ASSERT_TRUE(QMetaObject::invokeMethod(view, slot)); }

  // A molecule of the library folders as read from its file, with coordinates and spheroids.
  static Molecule* read(const std::string& path) {
    Molecule* m = IOEngine::instance()->parseKvtFile(std::string(KV_SOURCE_DIR) + "/" + path);
    EXPECT_NE(nullptr, m) << path;
    return m;
  }
  // The molecule of the file on screen at the scene point, current.
  Mesh* show(const std::string& path, const SSEVector4f& at) {
    Molecule* m = read(path);
    m->scenePosition = at;
    view->handOverMolecule(m);
    frame();
    return m->mesh;
  }

  void mouse(QEvent::Type type, const QPoint& at, Qt::MouseButton button,
             Qt::MouseButtons held) {
    QMouseEvent event(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
  }
  // A press, a move to each further point, and the release unless the button stays down.
  void drag(Qt::MouseButton button, std::initializer_list<QPoint> path, bool release = true) {
    mouse(QEvent::MouseButtonPress, *path.begin(), button, button);
    for (const QPoint* p = path.begin() + 1; p != path.end(); ++p)
      mouse(QEvent::MouseMove, *p, Qt::NoButton, button);
    if (release) mouse(QEvent::MouseButtonRelease, *(path.end() - 1), button, Qt::NoButton);
  }

  // A press at the point and the release `slip` pixels away.
  void click(const QPoint& at, Qt::MouseButton button = Qt::LeftButton,
             const QPoint& slip = QPoint()) {
    mouse(QEvent::MouseButtonPress, at, button, button);
    mouse(QEvent::MouseButtonRelease, at + slip, button, Qt::NoButton);
  }
  // The window pixel (y from the top) where a spheroid of a mesh appears.
  QPoint pixelOf(const Mesh* mesh, const Spheroid* s) const {
    const SSEVector4f w = windowPoint(mesh->getGlobalCenter(s));
    return QPoint(static_cast<int>(std::lround(w.x)), kHeight - static_cast<int>(std::lround(w.y)));
  }

  void wheel(int delta) {
    const QPoint at(kWidth / 2, kHeight / 2);
    QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
  }
  // A drag from a library tree let go at the point, then a frame; false when the view refused
  // to take the drag in (then no drop follows).
  bool drop(const QString& command, const QPoint& at) {
    QMimeData text;
    text.setText(command);
    QDragEnterEvent enter(at, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    QDropEvent drop(at, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QApplication::sendEvent(view, &drop);
    frame();
    return enter.isAccepted();
  }

  // Where a scene point appears: window pixels with y from the bottom edge, and the depth.
  static SSEVector4f windowPoint(const SSEVector4f& p) {
    return kvscene::windowPoint(p, kWidth, kHeight);
  }
  // The point the distance out along the eye ray through a window point (y from the top).
  SSEVector4f alongRay(float distance, const QPoint& at = QPoint(kWidth / 2, kHeight / 2)) {
    engine.mouseX = at.x();
    engine.mouseY = kHeight - at.y();
    math.generateEyeRay();
    SSEVector4f direction = engine.eyeRayDirection;
    direction.normalize();
    const SSEVector4f& o = engine.eyeRayOrigin;
    return SSEVector4f(o.x + distance * direction.x, o.y + distance * direction.y,
                       o.z + distance * direction.z);
  }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
  MoleculeEngine& library = *MoleculeEngine::instance();
  QWidget* host = nullptr;
  GLWidget* view = nullptr;
  HostedView* hosted = nullptr;
};

// The view once the glide home has ended, as the user first meets it.
class SettledView : public ViewHost {
 protected:
  void SetUp() override {
    ViewHost::SetUp();
    settle();
  }
};

}  // namespace kvview
