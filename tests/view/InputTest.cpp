// Mouse, wheel and keys on the view after the start-up glide: what each drag moves and by how
// much, double-click picking, camera stepping, the keys that must do nothing, and Escape.
#include <QtTest/QTest>

#include <cmath>

#include "model/Spheroid.h"
#include "tests/view/ViewHost.h"

namespace {

using kvview::ViewHost;
const char* const kEthanol = "KV_MOLECULES/Small/Ethanol.kv";
const QPoint kCentre(ViewHost::kWidth / 2, ViewHost::kHeight / 2);

class ViewInput : public ViewHost {
 protected:
  void SetUp() override {
    ViewHost::SetUp();
    settle();
  }
  // Each event of a drag by the button through the points, without the release.
  void move(Qt::MouseButton button, std::initializer_list<QPoint> path) {
    mouse(QEvent::MouseButtonPress, *path.begin(), button, button);
    for (const QPoint* p = path.begin() + 1; p != path.end(); ++p)
      mouse(QEvent::MouseMove, *p, Qt::NoButton, button);
  }
};

float distance(const SSEVector4f& a, const SSEVector4f& b) { return (a - b).length(); }

}  // namespace

TEST_F(ViewInput, ALeftDragWithoutAMoleculeTurnsTheSceneOnlyInViewState) {
  for (int state : {ViewButton, MeshButton, PieceButton}) {
    view->pickState = state;
    engine.setRotation(Quaternion());
    drag(Qt::LeftButton, {kCentre, kCentre + QPoint(30, 20)});
    EXPECT_EQ(state == ViewButton, engine.globalRotation.w < 0.9999f) << state;
  }
}

TEST_F(ViewInput, MiddleAndRightDragsMoveByFixedStepsPerEvent) {
  engine.globalTranslation.z = -75.0f;
  const SSEVector4f start = engine.globalTranslation;
  move(Qt::MiddleButton, {kCentre, kCentre + QPoint(0, 90), kCentre + QPoint(0, 91)});
  EXPECT_FLOAT_EQ(start.z - 2.0f, engine.globalTranslation.z) << "1.0 per event, however far";
  engine.globalTranslation.z = -75.0f;
  move(Qt::RightButton, {kCentre, kCentre + QPoint(5, 0)});
  EXPECT_FLOAT_EQ(0.005f * 75.0f, std::fabs(engine.globalTranslation.x - start.x));

  Mesh* mesh = show(kEthanol, SSEVector4f(0.0f, 10.0f, 40.0f));
  const SSEVector4f before = mesh->position;
  move(Qt::MiddleButton, {kCentre, kCentre + QPoint(0, -40)});
  EXPECT_FLOAT_EQ(0.5f, distance(before, mesh->position)) << "the view axis, 0.5 long";
  mesh->position = before;
  move(Qt::RightButton, {kCentre, kCentre + QPoint(10, 0)});
  EXPECT_FLOAT_EQ(10 * 0.05f * 0.5f, distance(before, mesh->position));
}

TEST_F(ViewInput, OneWheelNotchMovesTheMoleculeThreeUnitsTowardsTheCamera) {
  Mesh* mesh = show(kEthanol, SSEVector4f(0.0f, 10.0f, 40.0f));
  const SSEVector4f before = mesh->position;
  QWheelEvent notch(QPointF(kCentre), QPointF(view->mapToGlobal(kCentre)), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &notch);
  EXPECT_FLOAT_EQ(3.0f, distance(before, mesh->position));
  EXPECT_GT(windowPoint(before).z, windowPoint(mesh->position).z) << "nearer the camera";
}

TEST_F(ViewInput, ArrowsStepRoundTheStoredCameras) {
  call("storeCamera");
  QTest::keyClick(view, Qt::Key_Left);
  EXPECT_FALSE(engine.cameraSlerpActive) << "one camera: nowhere to go";
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_FALSE(engine.cameraSlerpActive);
  call("storeCamera");
  call("storeCamera");
  view->cameraIndex = 0;
  QTest::keyClick(view, Qt::Key_Left);
  EXPECT_EQ(2, view->targetCameraIndex);
  EXPECT_TRUE(engine.cameraSlerpActive);
  settle();
  EXPECT_EQ(2, view->cameraIndex);
  EXPECT_FALSE(view->inputLocked);
}

TEST_F(ViewInput, KeyThreeOutsideBondOrderEditingDoesNothing) {
  Mesh* mesh = show("KV_GROUPS/Alkyl/METHYL.kv", SSEVector4f());
  QSignalSpy console(view, &GLWidget::emitConsoleString);
  QTest::keyClick(view, Qt::Key_3);
  EXPECT_TRUE(view->firstSelectedSpheroid == nullptr && view->secondSelectedSpheroid == nullptr);
  EXPECT_EQ(0, console.count());
  QTest::keyClick(view, Qt::Key_1);   // the same molecule's one bond axis
  ASSERT_NE(nullptr, view->firstSelectedSpheroid);
  EXPECT_EQ(2, view->firstSelectedSpheroid->kind);
  EXPECT_EQ(mesh, view->firstSelectedSpheroid->meshSlot);
  math.measureMode = 6;
  QTest::keyClick(view, Qt::Key_3);
  EXPECT_EQ(3, view->editBondOrder);
  EXPECT_EQ("Changing bond orders to order: 3", console.takeFirst().front().toString());
}

TEST_F(ViewInput, DoubleClickPicksAMoleculeAndOnEmptySpaceClearsTheSelections) {
  QSignalSpy pickState(view, &GLWidget::pickStateSignal);
  Mesh* mesh = show(kEthanol, alongCentreRay(15.0f));
  Mesh* other = show(kEthanol, SSEVector4f(30.0f, 0.0f, 0.0f));
  other->currentSpheroid = other->spheroids.front();
  mouse(QEvent::MouseButtonDblClick, kCentre, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(mesh, engine.currentMesh);
  ASSERT_NE(nullptr, mesh->currentSpheroid) << "the hit spheroid is selected";
  EXPECT_EQ(PieceButton, pickState.takeLast().front().value<BUTTON_TYPE>());
  mouse(QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(mesh, engine.currentMesh);
  EXPECT_EQ(nullptr, mesh->currentSpheroid);
  EXPECT_EQ(nullptr, other->currentSpheroid);
}

TEST_F(ViewInput, EscapeAsksBeforeQuittingAndYesEndsTheProcessWithStatusOne) {
  answerNextBox(QMessageBox::No);
  QTest::keyClick(view, Qt::Key_Escape);
  EXPECT_EQ("Confirm Quit?|Are you sure you want to quit? Any unsaved work will be lost.",
            *boxText);
  GTEST_FLAG_SET(death_test_style, "threadsafe");   // the child starts its own application
  EXPECT_EXIT(
      {
        answerNextBox(QMessageBox::Yes);
        QTest::keyClick(view, Qt::Key_Escape);
      },
      ::testing::ExitedWithCode(1), "");
}
