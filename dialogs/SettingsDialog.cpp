#include "dialogs/SettingsDialog.h"

#include <QCheckBox>

#include "dialogs/DialogSupport.h"
#include "render/GraphicsEngine.h"

namespace {

// Each box and the renderer flag it shows and writes.
struct FlagBox {
  QCheckBox* Ui_SettingsDialogClass::*box;
  bool GraphicsEngine::*flag;
};

using Form = Ui_SettingsDialogClass;
const FlagBox kFlagBoxes[] = {
    {&Form::RenderMolecularOrbitalsCheckBox, &GraphicsEngine::showMolecularOrbitals},
    {&Form::RenderAtomicOrbitalsCheckBox, &GraphicsEngine::showAtomicOrbitals},
    {&Form::RenderBondAxesCheckBox, &GraphicsEngine::showBondAxes},
    {&Form::RenderAtomIDsCheckBox, &GraphicsEngine::showAtomIDs},
    {&Form::ShowFPSCheckBox, &GraphicsEngine::showFPS},
    {&Form::LightingCheckBox, &GraphicsEngine::lighting},
    {&Form::TransparencyCheckBox, &GraphicsEngine::transparency},
    {&Form::ColorScaleCheckBox, &GraphicsEngine::showColorScale},
};

}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
  keepTitleWhole(this);
  GraphicsEngine* engine = GraphicsEngine::instance();
  for (const FlagBox& row : kFlagBoxes) {
    QCheckBox* box = ui.*row.box;
    box->setChecked(engine->*row.flag);
    connect(box, &QCheckBox::stateChanged, this,
            [box, flag = row.flag] { GraphicsEngine::instance()->*flag = box->isChecked(); });
  }
}

void SettingsDialog::on_OkButton_clicked() { done(0); }
