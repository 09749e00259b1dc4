// Mouse, wheel and keys after the glide home: what each drag moves and by how much,
// double-click picking, camera stepping, the keys that must do nothing, and Escape.
#include <QAbstractButton>
#include <QMessageBox>

#include "model/Spheroid.h"
#include "support/ModalAnswer.h"
#include "tests/view/ViewHost.h"

namespace {

using namespace kvview;
const QPoint kCentre(ViewHost::kWidth / 2, ViewHost::kHeight / 2);
using ViewInput = SettledView;

// Presses the button of the next message box; its title goes to `title`.
void answerNextBox(QMessageBox::StandardButton answer, QString* title = nullptr) {
  kvtest::answerNextModal([answer, title](QWidget* modal) {
    if (title != nullptr) *title = modal->windowTitle();
    static_cast<QMessageBox*>(modal)->button(answer)->click();
  });
}

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

TEST_F(ViewInput, DragsAndTheWheelMoveByFixedStepsPerEvent) {
  engine.globalTranslation.z = -75.0f;
  const SSEVector4f start = engine.globalTranslation;
  drag(Qt::MiddleButton, {kCentre, kCentre + QPoint(0, 90), kCentre + QPoint(0, 91)}, false);
  EXPECT_FLOAT_EQ(start.z - 2.0f, engine.globalTranslation.z) << "1.0 per event, however far";
  engine.globalTranslation.z = -75.0f;
  drag(Qt::RightButton, {kCentre, kCentre + QPoint(5, 0)}, false);
  EXPECT_FLOAT_EQ(0.375f, engine.globalTranslation.x - start.x) << "0.005 per unit of depth";

  // A molecule moves along the camera's axes, 0.5 long once the glide has rebuilt them.
  Mesh* mesh = show(kEthanol, SSEVector4f(0.0f, 10.0f, 40.0f));
  const SSEVector4f before = mesh->position;
  drag(Qt::MiddleButton, {kCentre, kCentre + QPoint(0, -40)}, false);
  EXPECT_FLOAT_EQ(0.5f, distance(before, mesh->position));
  mesh->position = before;
  drag(Qt::RightButton, {kCentre, kCentre + QPoint(10, 0)}, false);
  EXPECT_FLOAT_EQ(10 * 0.05f * 0.5f, distance(before, mesh->position));
  mesh->position = before;
  wheel(120);
  EXPECT_FLOAT_EQ(3.0f, distance(before, mesh->position)) << "one notch";
  EXPECT_GT(windowPoint(before).z, windowPoint(mesh->position).z) << "towards the camera";
}

TEST_F(ViewInput, ArrowsStepRoundTheStoredCameras) {
  call("storeCamera");
  QTest::keyClick(view, Qt::Key_Left);
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_FALSE(engine.cameraSlerpActive) << "one camera: nowhere to go";
  call("storeCamera");
  call("storeCamera");
  view->cameraIndex = 0;
  QTest::keyClick(view, Qt::Key_Left);
  EXPECT_TRUE(view->targetCameraIndex == 2 && engine.cameraSlerpActive);
  settle();
  EXPECT_TRUE(view->cameraIndex == 2 && !view->inputLocked);
}

// Outside bond-order editing (see EditingTest.cpp) 3 does nothing and 1 chooses the bond axis.
TEST_F(ViewInput, KeyThreeActsOnlyInBondOrderEditingAndKeyOneChoosesAnAxis) {
  show(kMethyl, SSEVector4f());
  QSignalSpy console(view, &GLWidget::emitConsoleString);
  QTest::keyClick(view, Qt::Key_3);
  EXPECT_EQ(0, console.count());
  QTest::keyClick(view, Qt::Key_1);   // the molecule's one bond axis
  ASSERT_NE(nullptr, view->firstSelectedSpheroid);
  EXPECT_EQ(SpheroidKind::OpenBondAxis, view->firstSelectedSpheroid->kind);
}

TEST_F(ViewInput, DoubleClickPicksAMoleculeAndOnEmptySpaceClearsTheSelections) {
  QSignalSpy pickState(view, &GLWidget::pickStateSignal);
  Mesh* mesh = show(kEthanol, alongRay(15.0f));
  Mesh* other = show(kEthanol, SSEVector4f(30.0f, 0.0f, 0.0f));
  other->currentSpheroid = other->spheroids.front();
  mouse(QEvent::MouseButtonDblClick, kCentre, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(mesh, engine.currentMesh);
  EXPECT_NE(nullptr, mesh->currentSpheroid) << "the hit spheroid is selected";
  EXPECT_EQ(PieceButton, pickState.takeLast().front().value<BUTTON_TYPE>());
  mouse(QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(mesh, engine.currentMesh);
  EXPECT_TRUE(mesh->currentSpheroid == nullptr && other->currentSpheroid == nullptr);
}

// The question's text is checked with the Quit command (tests/app/MainWindowTest.cpp).
TEST_F(ViewInput, EscapeAsksBeforeQuittingAndYesEndsTheProcessWithStatusOne) {
  QString asked;
  answerNextBox(QMessageBox::No, &asked);
  QTest::keyClick(view, Qt::Key_Escape);
  EXPECT_EQ("Confirm Quit?", asked);
  GTEST_FLAG_SET(death_test_style, "threadsafe");   // the child starts its own application
  EXPECT_EXIT(
      {
        answerNextBox(QMessageBox::Yes);
        QTest::keyClick(view, Qt::Key_Escape);
      },
      ::testing::ExitedWithCode(1), "");
}
