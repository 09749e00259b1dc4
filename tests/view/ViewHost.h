#pragma once

// The view's GUI tests run GLWidget in a small host window, started as the application starts
// it: the start camera (translation (0, 0, -238.099), rotation (0.7007, 0.713, 0, 0)) gliding
// home, drawing path 2. Frames are drawn by hand, one per frame() call, with a clock that moves
// 100 ms per frame, so glides and rotations run the same on any machine; each frame's pixels
// are kept. Needs an X server.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest/QTest>

#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "io/IOEngine.h"
#include "io/MoleculeEngine.h"
#include "math/UtilityEngine.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"
#include "render/TimeEngine.h"
#include "support/ConsoleCapture.h"
#include "support/QtApplication.h"
#include "view/GLWidget.h"

namespace kvview {

constexpr std::uint64_t kFrameNanoseconds = 100000000;   // 0.1 s of clock per frame

// The view keeping a copy of every frame it draws, read back before the buffers are swapped.
class HostedView : public GLWidget {
 public:
  explicit HostedView(QWidget* parent) : GLWidget(parent) {}
  QImage lastFrame;

 protected:
  void paintGL() override {
    GLWidget::paintGL();
    glFinish();
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
    TimeEngine::Instance =
        new TimeEngine([] { return ticks += kFrameNanoseconds; }, TimeEngine::Timebase{1, 1});
    engine.meshes.clear();
    engine.currentMesh = engine.previousMesh = nullptr;
    engine.eraseAllCameras();
    engine.renderMode = 2;
    engine.showFPS = engine.showCursor = false;   // nothing but the scene in the pixels
    engine.globalTranslation = SSEVector4f(0.0f, 0.0f, -238.099f, 1.0f);
    engine.setRotation(Quaternion(0.7007f, 0.713f, 0.0f, 0.0f));
    engine.returnToHomeCamera = true;
    math.measureMode = 0;
    math.pickMode = 1;
    host.reset(new QWidget);
    auto* layout = new QVBoxLayout(host.get());
    layout->setContentsMargins(0, 0, 0, 0);
    hosted = new HostedView(host.get());
    view = hosted;
    layout->addWidget(view);
    view->repaintTimer->stop();
    host->resize(kWidth, kHeight);
    host->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(view->isValid()) << "no GL context";
    ASSERT_EQ(kWidth, static_cast<int>(engine.windowWidth));
  }

  void TearDown() override {
    view->createNewWorkspace();
    frame();
    MoleculeEngine::instance()->clear();
    host.reset();
  }

  void frame() { view->updateGL(); }

  // Frames until no camera glide runs; the view unlocks its input on the last.
  void settle() {
    for (int i = 0; i < 100 && (engine.returnToHomeCamera || engine.cameraSlerpActive ||
                                engine.positionSlerpActive);
         ++i)
      frame();
  }

  // A molecule of the library folders, as read from its file (coordinates and spheroids).
  static Molecule* read(const std::string& path) {
    Molecule* m = IOEngine::instance()->parseKvtFile(std::string(KV_SOURCE_DIR) + "/" + path);
    EXPECT_NE(nullptr, m) << path;
    return m;
  }

  // A molecule on screen at a scene position, current; its mesh is returned.
  Mesh* show(const std::string& path, const SSEVector4f& at) {
    Molecule* m = read(path);
    m->scenePosition = at;
    view->handOverMolecule(m);
    frame();
    return m->mesh;
  }

  // Sends a mouse event of the type with the button that changes and the buttons held.
  void mouse(QEvent::Type type, const QPoint& at, Qt::MouseButton button,
             Qt::MouseButtons held) {
    QMouseEvent event(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
  }
  // A press, one move per point, and the release, all with the one button.
  void drag(Qt::MouseButton button, std::initializer_list<QPoint> path) {
    const QPoint* point = path.begin();
    mouse(QEvent::MouseButtonPress, *point, button, button);
    for (++point; point != path.end(); ++point)
      mouse(QEvent::MouseMove, *point, Qt::NoButton, button);
    mouse(QEvent::MouseButtonRelease, *(path.end() - 1), button, Qt::NoButton);
  }

  // Presses the button of the next modal message box as soon as it shows; its title and text
  // go to boxText.
  void answerNextBox(QMessageBox::StandardButton answer) {
    auto text = std::make_shared<QString>();
    QTimer* poll = new QTimer(host.get());
    QObject::connect(poll, &QTimer::timeout, [poll, answer, text] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      *text = box->windowTitle() + "|" + box->text();
      poll->stop();
      box->button(answer)->click();
    });
    poll->start(10);
    boxText = text;
  }

  // A slot of the view, private as its connections are.
  void call(const char* slot) { ASSERT_TRUE(QMetaObject::invokeMethod(view, slot)); }

  // Where a scene point appears: x from the left and y from the bottom edge in window pixels,
  // as GL counts them, and the depth (0 near, 1 far).
  SSEVector4f windowPoint(const SSEVector4f& scenePoint) const {
    SSEMatrix4x4f camera;
    engine.globalRotation.toMatrix(&camera);
    SSEMatrix4x4f move;
    move.m[12] = engine.globalTranslation.x;
    move.m[13] = engine.globalTranslation.y;
    move.m[14] = engine.globalTranslation.z;
    camera *= move;
    const SSEVector4f clip = (scenePoint * camera) * engine.projectionMatrix;
    return SSEVector4f((clip.x / clip.w + 1.0f) * 0.5f * kWidth,
                       (clip.y / clip.w + 1.0f) * 0.5f * kHeight, (clip.z / clip.w + 1.0f) * 0.5f);
  }
  // The point the distance out along the eye ray through the window centre.
  SSEVector4f alongCentreRay(float distance) {
    engine.mouseX = kWidth / 2;
    engine.mouseY = kHeight / 2;
    math.generateEyeRay();
    SSEVector4f direction = engine.eyeRayDirection;
    direction.normalize();
    const SSEVector4f& o = engine.eyeRayOrigin;
    return SSEVector4f(o.x + distance * direction.x, o.y + distance * direction.y,
                       o.z + distance * direction.z);
  }

  // Window pixels of the last frame, top row first.
  QImage pixels() const { return hosted->lastFrame; }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
  MoleculeEngine& library = *MoleculeEngine::instance();
  std::unique_ptr<QWidget> host;
  GLWidget* view = nullptr;
  HostedView* hosted = nullptr;
  std::shared_ptr<QString> boxText;
};

}  // namespace kvview
