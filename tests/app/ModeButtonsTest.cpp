// The pick, rotation, measure and edit buttons of the running main window, and the dihedral
// profiler reached through the view. Needs an X server.

#include <QMessageBox>
#include <QTest>

#include <cmath>
#include <memory>
#include <string>

#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/ArcBallController.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/ModalAnswer.h"
#include "tests/app/RunningShell.h"
#include "tests/render/WindowPoint.h"

namespace {

class ModeButtons : public kvshell::RunningShell {
 protected:
  void SetUp() override {
    RunningShell::SetUp();
    startSettled();   // the view takes clicks once the start glide has brought the camera home
  }

  // Butane (carbons 0 to 3) on screen, 20 units in front of the home camera.
  Mesh* showButane() {
    Molecule* butane = SmilesParser().smilesToMol("CCCC");
    butane->scenePosition = SSEVector4f(0.0f, 10.0f, 55.0f, 1.0f);
    window->glWidget->handOverMolecule(butane);
    EXPECT_TRUE(QTest::qWaitFor([butane] { return butane->mesh != nullptr; }));
    return butane->mesh;
  }

  void clickAt(const Mesh* mesh, const Spheroid* s) {
    const int height = static_cast<int>(engine.windowHeight);
    const SSEVector4f w = kvscene::windowPoint(mesh->getGlobalCenter(s),
                                               static_cast<int>(engine.windowWidth), height);
    QTest::mouseClick(window->glWidget, Qt::LeftButton, Qt::NoModifier,
                      QPoint(std::lround(w.x), height - std::lround(w.y)));
  }

  // Answers the next question with the button of this text.
  static void answerWith(const char* buttonText) {
    kvtest::answerNextModal([buttonText](QWidget* modal) {
      for (QAbstractButton* b : qobject_cast<QMessageBox*>(modal)->buttons())
        if (b->text() == buttonText) b->click();
    });
  }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
};

TEST_F(ModeButtons, EachModeLocksThePickButtonsAndOnlyTheProfileModeKeepsTheProfiler) {
  const Ui_KestavorGUIClass& ui = window->ui;
  const std::pair<QToolButton*, int> modes[] = {
      {ui.MeasureDistanceButton, 1}, {ui.MeasureAngleButton, 2}, {ui.MeasureDihedButton, 4},
      {ui.EnergyProfile, 5},         {ui.EditBondOrder, 6},      {ui.DeleteAButton, 7},
      {ui.MakeAxisButton, 8},        {ui.DeleteBButton, 9}};
  QToolButton* const pickAndJoin[] = {ui.ViewButton, ui.MeshButton, ui.PieceButton, ui.JoinButton};
  std::unique_ptr<Molecule> butane(SmilesParser().smilesToMol("CCCC"));
  DihedralDialog& profiler = window->dihedralDialog;
  for (const auto& entered : modes) {
    SCOPED_TRACE(entered.second);
    profiler.launchDihedralDialog(butane->copyGraph(), 0, 1, 2, 3, " 60.0");
    profiler.plotter.show();
    entered.first->click();
    EXPECT_EQ(entered.second, math.measureMode);
    EXPECT_TRUE(ui.MeshButton->isChecked());
    for (const QToolButton* b : pickAndJoin) EXPECT_FALSE(b->isEnabled());
    for (const auto& other : modes)
      EXPECT_EQ(other == entered, other.first->isEnabled() && other.first->isChecked());
    EXPECT_EQ(entered.second == 5, profiler.molecule != nullptr && profiler.plotter.isVisible());
    window->on_ViewButton_clicked();
    window->on_PieceButton_clicked();
    EXPECT_TRUE(window->glWidget->pickState == MeshButton && math.pickMode == 1);

    entered.first->click();
    EXPECT_EQ(0, math.measureMode);
    for (const QToolButton* b : pickAndJoin) EXPECT_TRUE(b->isEnabled());
    for (const auto& other : modes)
      EXPECT_TRUE(other.first->isEnabled() && !other.first->isChecked());
    EXPECT_TRUE(ui.MeshButton->isChecked());
    EXPECT_TRUE(profiler.molecule == nullptr && !profiler.plotter.isVisible());
  }
}

// The question itself is checked on the view (tests/view/EditingTest.cpp).
TEST_F(ModeButtons, ResumeAfterBondOrderEditsStaysInTheModeAndDiscardLeavesIt) {
  Mesh* mesh = showButane();
  ASSERT_NE(nullptr, mesh);
  QToolButton* editing = window->ui.EditBondOrder;
  editing->click();
  QTest::keyClick(window->glWidget, Qt::Key_2);
  Bond* bond = mesh->molecule->bonds.front();
  clickAt(mesh, bond->spheroid);
  ASSERT_EQ(2, bond->order);
  mesh->activeAtomIds = {0, 1};
  mesh->activePoints = {new SSEVector4f, new SSEVector4f};
  answerWith("Resume");
  editing->click();
  EXPECT_TRUE(editing->isChecked() && !window->ui.DeleteAButton->isEnabled() &&
              math.measureMode == 6);
  EXPECT_TRUE(mesh->activePoints.empty() && mesh->activeAtomIds.empty());
  answerWith("Discard");
  editing->click();
  EXPECT_TRUE(!editing->isChecked() && math.measureMode == 0 && bond->order == 1);
}

TEST_F(ModeButtons, RotationButtonsKeepOneAxisAndThePickFollowsTheView) {
  const Ui_KestavorGUIClass& ui = window->ui;
  const struct {
    QToolButton* button;
    int axis;
    const char* checked;   // X, Y, Z
  } clicks[] = {{ui.AutoXButton, 20, "100"}, {ui.AutoYButton, 21, "010"},
                {ui.AutoYButton, 19, "000"}, {ui.AutoZButton, 22, "001"}};
  for (const auto& c : clicks) {
    c.button->click();
    EXPECT_EQ(c.axis, window->glWidget->autoRotateAxis);
    std::string marks;
    for (const QToolButton* b : {ui.AutoXButton, ui.AutoYButton, ui.AutoZButton})
      marks += b->isChecked() ? '1' : '0';
    EXPECT_EQ(c.checked, marks);
  }

  window->PickStateChanged(PieceButton);   // the view chose the piece itself
  EXPECT_TRUE(ui.PieceButton->isChecked() && math.pickMode == 2);
  ui.ViewButton->click();
  EXPECT_TRUE(window->glWidget->pickState == ViewButton && !engine.meshPickActive);
  EXPECT_EQ(1, IOEngine::instance()->arcBall->mode);
}

// The scan and the twist themselves are checked on the dialog (tests/dialogs).
TEST_F(ModeButtons, FourCarbonsPickedInTheProfileModeAreTwistedIntoTheScene) {
  Mesh* mesh = showButane();
  ASSERT_NE(nullptr, mesh);
  window->ui.EnergyProfile->click();
  for (size_t carbon = 0; carbon < 4; ++carbon)
    clickAt(mesh, mesh->molecule->atoms[carbon]->sphere);
  DihedralDialog& profiler = window->dihedralDialog;
  ASSERT_TRUE(profiler.isVisible());
  EXPECT_EQ("1 2 3 4", QStringList({profiler.ui.idEdit_1->text(), profiler.ui.idEdit_2->text(),
                                    profiler.ui.idEdit_3->text(), profiler.ui.idEdit_4->text()})
                           .join(' ').toStdString());

  profiler.ui.dihedralEdit->setText("120");
  profiler.ui.drawButton->click();
  const MoleculeEngine& library = *MoleculeEngine::instance();
  EXPECT_EQ(1u, library.history.size());
  ASSERT_TRUE(QTest::qWaitFor([&library] { return library.workspace.size() == 2; }));
  Molecule* twisted = library.workspace.back();
  EXPECT_EQ(twisted->mesh, engine.currentMesh);
  EXPECT_NEAR(120.0, MolecularSystem(twisted).calculateDihedralAngle(0, 1, 2, 3) * 180 / M_PI, 1.0);
}

}  // namespace
