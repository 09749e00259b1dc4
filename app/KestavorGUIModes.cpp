// The main window's pick, automatic rotation, measure and edit buttons. The state they switch
// lives in the renderer and picking singletons, the view and the view's arc-ball; the buttons
// only write it.
#include <QButtonGroup>
#include <QDebug>

#include "app/KestavorGUI.h"
#include "io/IOEngine.h"
#include "math/ArcBallController.h"
#include "render/GraphicsEngine.h"
#include "render/MathEngine.h"
#include "render/Mesh.h"

namespace {

using Form = Ui_KestavorGUIClass;

// Arc-ball modes: the drag turns the whole view, or one molecule or piece.
constexpr int kArcBallTurnsView = 1;
constexpr int kArcBallTurnsMolecule = 2;
constexpr int kNoMeasureMode = 0;

// The eight measure and edit buttons, the mode each switches on, the developer trace of its
// click, and for an edit mode the view's exit, which asks whether to apply the edits.
struct ModeButton {
  QToolButton* Form::*button;
  int mode;
  const char* trace;   // null: the button prints none
  bool (GLWidget::*exit)();
};

const ModeButton kModeButtons[] = {
    {&Form::MeasureDistanceButton, GLWidget::DistanceMode, "Measure Distance Button clicked.",
     nullptr},
    {&Form::MeasureAngleButton, GLWidget::AngleMode, "Measure Angle Button clicked.", nullptr},
    {&Form::MeasureDihedButton, GLWidget::DihedralMode, nullptr, nullptr},
    {&Form::EnergyProfile, GLWidget::ProfileMode, "Energy Profile Button clicked.", nullptr},
    {&Form::EditBondOrder, GLWidget::BondOrderMode, "EditBondOrder Button clicked.",
     &GLWidget::exitEditBondOrderMode},
    {&Form::DeleteAButton, GLWidget::DeleteAtomMode, "Detele Atom Button clicked.",
     &GLWidget::exitDeleteAtomMode},
    {&Form::MakeAxisButton, GLWidget::MakeAxisMode, "Make Bond-Axis Button clicked.",
     &GLWidget::exitMakeAxisMode},
    {&Form::DeleteBButton, GLWidget::DeleteBondMode, "Delete Bond Button clicked.",
     &GLWidget::exitDeleteBondMode},
};

void setArcBallMode(int mode) { IOEngine::instance()->arcBall->mode = mode; }

void clearSelectedSpheroids() {
  const GraphicsEngine* engine = GraphicsEngine::instance();
  for (int i = 0; i < static_cast<int>(engine->meshes.size()); ++i)
    engine->getMesh(i)->currentSpheroid = nullptr;
}

// A click that leaves no rotation button checked stops the rotation; one that checks a button
// unchecks the other two.
void chooseAutoRotation(GLWidget* view, QButtonGroup* group, QAbstractButton* clicked,
                        bool checked, int axis) {
  view->buildCameraAxes();
  if (!checked) {
    view->autoRotateAxis = GLWidget::NoAutoRotation;
    return;
  }
  view->autoRotateAxis = axis;
  for (QAbstractButton* other : group->buttons())
    if (other != clicked) other->setChecked(false);
}

}  // namespace

void KestavorGUI::on_TwistButton_clicked() {}

void KestavorGUI::on_ViewButton_clicked() {
  if (MathEngine::instance()->measureMode != kNoMeasureMode) return;
  GraphicsEngine* engine = GraphicsEngine::instance();
  glWidget->buildCameraAxes();
  clearSelectedSpheroids();
  glWidget->pickState = ViewButton;
  engine->clearActivePointsFromCurrentMesh();
  engine->setCurrentMesh(nullptr);
  engine->meshPickActive = false;
  setArcBallMode(kArcBallTurnsView);
}

// Runs in every mode: entering a measure mode turns the Mesh pick on through it.
void KestavorGUI::on_MeshButton_clicked() {
  glWidget->buildCameraAxes();
  MathEngine::instance()->pickMode = 1;
  GraphicsEngine::instance()->meshPickActive = true;
  clearSelectedSpheroids();
  glWidget->pickState = MeshButton;
  setArcBallMode(kArcBallTurnsMolecule);
}

void KestavorGUI::on_PieceButton_clicked() {
  if (MathEngine::instance()->measureMode != kNoMeasureMode) return;
  glWidget->buildCameraAxes();
  MathEngine::instance()->pickMode = 2;
  GraphicsEngine::instance()->meshPickActive = true;
  glWidget->pickState = PieceButton;
  setArcBallMode(kArcBallTurnsMolecule);
}

// The view has set its pick state already; only the buttons and the pick follow it.
void KestavorGUI::PickStateChanged(BUTTON_TYPE b) {
  QToolButton* const buttons[] = {ui.ViewButton, ui.MeshButton, ui.PieceButton};
  if (b != ViewButton && b != MeshButton && b != PieceButton) return;
  buttons[b]->setChecked(true);
  MathEngine::instance()->pickMode = b == PieceButton ? 2 : 1;
  GraphicsEngine::instance()->meshPickActive = b != ViewButton;
  setArcBallMode(b == ViewButton ? kArcBallTurnsView : kArcBallTurnsMolecule);
}

void KestavorGUI::on_AutoXButton_clicked(bool checked) {
  chooseAutoRotation(glWidget, autoRotateButtonGroup, ui.AutoXButton, checked,
                     GLWidget::AutoRotateX);
}

void KestavorGUI::on_AutoYButton_clicked(bool checked) {
  chooseAutoRotation(glWidget, autoRotateButtonGroup, ui.AutoYButton, checked,
                     GLWidget::AutoRotateY);
}

void KestavorGUI::on_AutoZButton_clicked(bool checked) {
  chooseAutoRotation(glWidget, autoRotateButtonGroup, ui.AutoZButton, checked,
                     GLWidget::AutoRotateZ);
}

void KestavorGUI::on_MeasureDistanceButton_clicked() {
  handleMeasureButton(ui.MeasureDistanceButton);
}
void KestavorGUI::on_MeasureAngleButton_clicked() { handleMeasureButton(ui.MeasureAngleButton); }
void KestavorGUI::on_MeasureDihedButton_clicked() { handleMeasureButton(ui.MeasureDihedButton); }
void KestavorGUI::on_EnergyProfile_clicked() { handleMeasureButton(ui.EnergyProfile); }
void KestavorGUI::on_EditBondOrder_clicked() { handleMeasureButton(ui.EditBondOrder); }
void KestavorGUI::on_DeleteAButton_clicked() { handleMeasureButton(ui.DeleteAButton); }
void KestavorGUI::on_MakeAxisButton_clicked() { handleMeasureButton(ui.MakeAxisButton); }
void KestavorGUI::on_DeleteBButton_clicked() { handleMeasureButton(ui.DeleteBButton); }

// The click has already toggled the button: checked, its mode is entered; unchecked, it is
// left, unless an edit mode's question was answered with Resume.
void KestavorGUI::handleMeasureButton(QToolButton* button) {
  const ModeButton* clicked = nullptr;
  for (const ModeButton& row : kModeButtons)
    if (ui.*row.button == button) clicked = &row;
  if (clicked == nullptr) return;
  if (clicked->trace != nullptr) qDebug() << clicked->trace;
  qDebug() << "Handling measure mode button: " << button;
  for (const ModeButton& row : kModeButtons) {
    if (&row == clicked) continue;
    (ui.*row.button)->setChecked(false);
    (ui.*row.button)->setEnabled(false);
  }
  // Only the profile mode keeps the profiler: its own dihedral is picked in it.
  if (button != ui.EnergyProfile) dihedralDialog.reSet();

  QToolButton* const pickAndJoin[] = {ui.ViewButton, ui.MeshButton, ui.PieceButton,
                                      ui.JoinButton};
  MathEngine* math = MathEngine::instance();
  if (button->isChecked()) {
    qDebug() << "Measure mode enabled.";
    setArcBallMode(kArcBallTurnsMolecule);
    math->measureMode = clicked->mode;
    if (button == ui.EditBondOrder) glWidget->enterEditBondOrderMode();
    on_MeshButton_clicked();
    PickStateChanged(MeshButton);
    for (QToolButton* other : pickAndJoin) other->setEnabled(false);
  } else if (clicked->exit != nullptr && !(glWidget->*clicked->exit)()) {
    button->setChecked(true);   // Resume: the mode goes on
  } else {
    math->measureMode = kNoMeasureMode;
    for (QToolButton* other : pickAndJoin) other->setEnabled(true);
    for (const ModeButton& row : kModeButtons) (ui.*row.button)->setEnabled(true);
    if (button == ui.EnergyProfile) {
      dihedralDialog.reSet();
      dihedralDialog.hideDialog();
    }
  }
  if (Mesh* current = GraphicsEngine::instance()->currentMesh) current->clearActivePoints();
}
