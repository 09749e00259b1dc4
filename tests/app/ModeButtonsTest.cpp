// The pick, rotation, measure and edit buttons of the running main window, and the dihedral
// profiler reached through the view: four carbons picked in the profile mode, a plot and a
// twisted copy in the scene. Needs an X server.

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "forcefield/MolecularSystem.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/ArcBallController.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GraphicsEngine.h"
#include "render/Mesh.h"
#include "support/ModalAnswer.h"
#include "tests/app/RunningShell.h"
#include "tests/render/WindowPoint.h"

namespace {

constexpr double kRadToDeg = 57.29577951308232;

class ModeButtons : public kvshell::RunningShell {
 protected:
  void SetUp() override {
    RunningShell::SetUp();
    start();
    // Clicks in the view count only once the start glide has ended.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->glWidget->inputLocked; }, 30000));
  }

  // Butane from SMILES (carbons 0 to 3), current in the scene 20 units out on the eye ray
  // through the middle of the view.
  Mesh* showButane() {
    Molecule* butane = SmilesParser().smilesToMol("CCCC");
    EXPECT_NE(nullptr, butane);
    if (butane == nullptr) return nullptr;
    engine.mouseX = static_cast<int>(engine.windowWidth / 2);
    engine.mouseY = static_cast<int>(engine.windowHeight / 2);
    MathEngine::instance()->generateEyeRay();
    SSEVector4f along = engine.eyeRayDirection;
    along.normalize();
    const SSEVector4f& o = engine.eyeRayOrigin;
    butane->scenePosition = SSEVector4f(o.x + 20 * along.x, o.y + 20 * along.y, o.z + 20 * along.z);
    window->glWidget->handOverMolecule(butane);
    EXPECT_TRUE(QTest::qWaitFor([butane] { return butane->mesh != nullptr; }));
    return butane->mesh;
  }

  void clickAt(const Mesh* mesh, const Spheroid* s) {
    const int width = static_cast<int>(engine.windowWidth);
    const int height = static_cast<int>(engine.windowHeight);
    const SSEVector4f w = kvscene::windowPoint(mesh->getGlobalCenter(s), width, height);
    const QPoint at(static_cast<int>(std::lround(w.x)),
                    height - static_cast<int>(std::lround(w.y)));   // y from the top
    QTest::mouseClick(window->glWidget, Qt::LeftButton, Qt::NoModifier, at);
  }

  // Answers the next question by the button with this text and returns its title.
  static void answerWith(const char* buttonText, std::string& title) {
    kvtest::answerNextModal([buttonText, &title](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(nullptr, box);
      title = box->windowTitle().toStdString();
      for (QAbstractButton* b : box->buttons())
        if (b->text() == buttonText) b->click();
    });
  }

  GraphicsEngine& engine = *GraphicsEngine::instance();
  MathEngine& math = *MathEngine::instance();
  MoleculeEngine& library = *MoleculeEngine::instance();
};

TEST_F(ModeButtons, EachModeLocksThePickButtonsAndOnlyTheProfileModeKeepsTheProfiler) {
  const Ui_KestavorGUIClass& ui = window->ui;
  const struct {
    QToolButton* button;
    int mode;
  } modes[] = {{ui.MeasureDistanceButton, 1}, {ui.MeasureAngleButton, 2},
               {ui.MeasureDihedButton, 4},    {ui.EnergyProfile, 5},
               {ui.EditBondOrder, 6},         {ui.DeleteAButton, 7},
               {ui.MakeAxisButton, 8},        {ui.DeleteBButton, 9}};
  QToolButton* const pickAndJoin[] = {ui.ViewButton, ui.MeshButton, ui.PieceButton, ui.JoinButton};
  std::unique_ptr<Molecule> butane(SmilesParser().smilesToMol("CCCC"));
  ASSERT_NE(nullptr, butane);
  DihedralDialog& profiler = window->dihedralDialog;
  for (const auto& entered : modes) {
    SCOPED_TRACE(entered.mode);
    profiler.launchDihedralDialog(butane->copyGraph(), 0, 1, 2, 3, " 60.0");
    profiler.plotter.show();
    entered.button->click();
    EXPECT_EQ(entered.mode, math.measureMode);
    EXPECT_TRUE(ui.MeshButton->isChecked());
    EXPECT_EQ(2, IOEngine::instance()->arcBall->mode);
    for (const QToolButton* b : pickAndJoin) EXPECT_FALSE(b->isEnabled());
    for (const auto& other : modes) {
      const bool on = other.button->isEnabled() && other.button->isChecked();
      EXPECT_EQ(other.button == entered.button, on);
    }
    EXPECT_EQ(entered.mode == 5, profiler.molecule != nullptr && profiler.plotter.isVisible());
    window->on_ViewButton_clicked();
    window->on_PieceButton_clicked();
    EXPECT_EQ(MeshButton, window->glWidget->pickState);
    EXPECT_EQ(1, math.pickMode);

    entered.button->click();
    EXPECT_EQ(0, math.measureMode);
    for (const QToolButton* b : pickAndJoin) EXPECT_TRUE(b->isEnabled());
    for (const auto& other : modes)
      EXPECT_TRUE(other.button->isEnabled() && !other.button->isChecked());
    EXPECT_TRUE(ui.MeshButton->isChecked());
    EXPECT_TRUE(profiler.molecule == nullptr && !profiler.plotter.isVisible());
  }
}

TEST_F(ModeButtons, LeavingBondOrderEditingAsksOnlyAfterEditsAndResumeStaysInTheMode) {
  Mesh* mesh = showButane();
  ASSERT_NE(nullptr, mesh);
  QToolButton* editing = window->ui.EditBondOrder;
  kvshell::ShownBoxes boxes;
  editing->click();
  editing->click();
  EXPECT_EQ(0, boxes.count);
  EXPECT_EQ(0, math.measureMode);

  editing->click();
  QTest::keyClick(window->glWidget, Qt::Key_2);
  Bond* middle = nullptr;   // C2-C3
  for (Bond* b : mesh->molecule->bonds)
    if ((b->atom1->id == 1 && b->atom2->id == 2) || (b->atom1->id == 2 && b->atom2->id == 1))
      middle = b;
  ASSERT_NE(nullptr, middle);
  clickAt(mesh, middle->spheroid);
  ASSERT_EQ(2, middle->order);
  mesh->activeAtomIds = {0, 1};
  mesh->activePoints = {new SSEVector4f, new SSEVector4f};
  std::string asked;
  answerWith("Resume", asked);
  editing->click();
  EXPECT_EQ("Confirm Bond Order Changes?", asked);
  EXPECT_TRUE(editing->isChecked());
  EXPECT_EQ(6, math.measureMode);
  EXPECT_TRUE(mesh->activePoints.empty() && mesh->activeAtomIds.empty());
  EXPECT_FALSE(window->ui.DeleteAButton->isEnabled() || window->ui.ViewButton->isEnabled());

  answerWith("Discard", asked);
  editing->click();
  EXPECT_FALSE(editing->isChecked());
  EXPECT_EQ(0, math.measureMode);
  EXPECT_EQ(1, middle->order);
  EXPECT_EQ(2, boxes.count);
}

TEST_F(ModeButtons, RotationButtonsKeepOneAxisAndThePickFollowsTheView) {
  const Ui_KestavorGUIClass& ui = window->ui;
  const struct {
    QToolButton* button;
    int axis;
    const char* checked;   // X, Y, Z
  } clicks[] = {{ui.AutoXButton, 20, "100"}, {ui.AutoYButton, 21, "010"},
                {ui.AutoYButton, 19, "000"}, {ui.AutoZButton, 22, "001"},
                {ui.AutoXButton, 20, "100"}, {ui.AutoXButton, 19, "000"}};
  for (const auto& c : clicks) {
    c.button->click();
    EXPECT_EQ(c.axis, window->glWidget->autoRotateAxis);
    std::string marks;
    for (const QToolButton* b : {ui.AutoXButton, ui.AutoYButton, ui.AutoZButton})
      marks += b->isChecked() ? '1' : '0';
    EXPECT_EQ(c.checked, marks);
  }

  ArcBallController& arcBall = *IOEngine::instance()->arcBall;
  ui.MeshButton->click();
  window->PickStateChanged(PieceButton);   // the view chose the piece itself
  EXPECT_TRUE(ui.PieceButton->isChecked() && !ui.MeshButton->isChecked());
  EXPECT_EQ(2, math.pickMode);
  EXPECT_EQ(MeshButton, window->glWidget->pickState);
  ui.ViewButton->click();
  EXPECT_EQ(ViewButton, window->glWidget->pickState);
  EXPECT_FALSE(engine.meshPickActive);
  EXPECT_EQ(1, arcBall.mode);
}

TEST_F(ModeButtons, FourCarbonsPickedInTheProfileModeArePlottedAndTwistedIntoTheScene) {
  Mesh* mesh = showButane();
  ASSERT_NE(nullptr, mesh);
  window->ui.EnergyProfile->click();
  for (size_t carbon = 0; carbon < 4; ++carbon)
    clickAt(mesh, mesh->molecule->atoms[carbon]->sphere);
  DihedralDialog& profiler = window->dihedralDialog;
  ASSERT_TRUE(profiler.isVisible());
  EXPECT_EQ("1 2 3 4", (profiler.ui.idEdit_1->text() + " " + profiler.ui.idEdit_2->text() + " " +
                        profiler.ui.idEdit_3->text() + " " + profiler.ui.idEdit_4->text())
                           .toStdString());

  profiler.ui.plotButton->click();
  EXPECT_TRUE(profiler.plotter.isVisible());
  EXPECT_EQ(361, profiler.plotter.curves.value(1).size());   // the spline, every degree

  profiler.ui.dihedralEdit->setText("120");
  const size_t history = library.history.size();
  profiler.ui.drawButton->click();
  EXPECT_EQ(history + 1, library.history.size());
  ASSERT_TRUE(QTest::qWaitFor([this] { return library.workspace.size() == 2; }));
  Molecule* twisted = library.workspace.back();
  EXPECT_EQ(twisted->mesh, engine.currentMesh);
  MolecularSystem system(twisted);
  EXPECT_NEAR(120.0, system.calculateDihedralAngle(0, 1, 2, 3) * kRadToDeg, 1.0);
}

}  // namespace
