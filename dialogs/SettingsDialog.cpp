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

const FlagBox kFlagBoxes[] = {
    {&Ui_SettingsDialogClass::RenderMolecularOrbitalsCheckBox, &GraphicsEngine::showMolecularOrbitals},
    {&Ui_SettingsDialogClass::RenderAtomicOrbitalsCheckBox, &GraphicsEngine::showAtomicOrbitals},
    {&Ui_SettingsDialogClass::RenderBondAxesCheckBox, &GraphicsEngine::showBondAxes},
    {&Ui_SettingsDialogClass::RenderAtomIDsCheckBox, &GraphicsEngine::showAtomIDs},
    {&Ui_SettingsDialogClass::ShowFPSCheckBox, &GraphicsEngine::showFPS},
    {&Ui_SettingsDialogClass::LightingCheckBox, &GraphicsEngine::lighting},
    {&Ui_SettingsDialogClass::TransparencyCheckBox, &GraphicsEngine::transparency},
    {&Ui_SettingsDialogClass::ColorScaleCheckBox, &GraphicsEngine::showColorScale},
};

}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
  GraphicsEngine* engine = GraphicsEngine::instance();
  for (const FlagBox& row : kFlagBoxes) {
    QCheckBox* box = ui.*row.box;
    box->setChecked(engine->*row.flag);
    connect(box, &QCheckBox::stateChanged, this,
            [box, flag = row.flag] { GraphicsEngine::instance()->*flag = box->isChecked(); });
  }
}

void SettingsDialog::on_OkButton_clicked() { done(0); }
