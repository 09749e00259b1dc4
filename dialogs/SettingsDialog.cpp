#include "dialogs/SettingsDialog.h"

#include <QCheckBox>

#include "dialogs/DialogSupport.h"
#include "render/GraphicsEngine.h"

namespace {

void storeFlag(bool GraphicsEngine::*flag, const QCheckBox* box) {
  GraphicsEngine::instance()->*flag = box->isChecked();
}

// Each flag of the snapshot beside the renderer's flag it keeps, for copies both ways.
template <class Kept, class Engine, class Copy>
void pairFlags(Kept& kept, Engine& engine, Copy copy) {
  copy(kept.showFPS, engine.showFPS);
  copy(kept.lighting, engine.lighting);
  copy(kept.reservedFlags[0], engine.reservedFlags[1]);
  copy(kept.reservedFlags[1], engine.reservedFlags[2]);
  copy(kept.showAxes, engine.showAxes);
  copy(kept.transparency, engine.transparency);
  copy(kept.showNuclei, engine.showNuclei);
  copy(kept.showAtomicOrbitals, engine.showAtomicOrbitals);
  copy(kept.showMolecularOrbitals, engine.showMolecularOrbitals);
  copy(kept.showBondAxes, engine.showBondAxes);
  copy(kept.showAtomIDs, engine.showAtomIDs);
  copy(kept.showColorScale, engine.showColorScale);
}

}  // namespace

void SettingsDialog::Snapshot::takeFrom(const GraphicsEngine& engine) {
  pairFlags(*this, engine, [](bool& kept, const bool& flag) { kept = flag; });
}

void SettingsDialog::Snapshot::giveBack(GraphicsEngine& engine) const {
  pairFlags(*this, engine, [](const bool& kept, bool& flag) { flag = kept; });
}

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);   // connects the box slots by name
  keepTitleWhole(this);
  snapshot.takeFrom(*GraphicsEngine::instance());
  // A box whose state changes here writes the same value back through its slot.
  ui.RenderMolecularOrbitalsCheckBox->setChecked(snapshot.showMolecularOrbitals);
  ui.RenderAtomicOrbitalsCheckBox->setChecked(snapshot.showAtomicOrbitals);
  ui.RenderBondAxesCheckBox->setChecked(snapshot.showBondAxes);
  ui.RenderAtomIDsCheckBox->setChecked(snapshot.showAtomIDs);
  ui.ShowFPSCheckBox->setChecked(snapshot.showFPS);
  ui.LightingCheckBox->setChecked(snapshot.lighting);
  ui.TransparencyCheckBox->setChecked(snapshot.transparency);
  ui.ColorScaleCheckBox->setChecked(snapshot.showColorScale);
}

void SettingsDialog::on_OkButton_clicked() { done(0); }

void SettingsDialog::on_CancelButton_clicked() {
  snapshot.giveBack(*GraphicsEngine::instance());
  done(0);
}

void SettingsDialog::on_ShowFPSCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::showFPS, ui.ShowFPSCheckBox);
}

void SettingsDialog::on_LightingCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::lighting, ui.LightingCheckBox);
}

void SettingsDialog::on_RenderAtomicOrbitalsCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::showAtomicOrbitals, ui.RenderAtomicOrbitalsCheckBox);
}

void SettingsDialog::on_RenderMolecularOrbitalsCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::showMolecularOrbitals, ui.RenderMolecularOrbitalsCheckBox);
}

void SettingsDialog::on_RenderBondAxesCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::showBondAxes, ui.RenderBondAxesCheckBox);
}

void SettingsDialog::on_RenderAtomIDsCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::showAtomIDs, ui.RenderAtomIDsCheckBox);
}

void SettingsDialog::on_TransparencyCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::transparency, ui.TransparencyCheckBox);
}

void SettingsDialog::on_ColorScaleCheckBox_stateChanged(int) {
  storeFlag(&GraphicsEngine::showColorScale, ui.ColorScaleCheckBox);
}

void SettingsDialog::on_RenderShadowsCheckBox_stateChanged(int) {}

void SettingsDialog::on_RenderGridFloorCheckBox_stateChanged(int) {}

void SettingsDialog::on_RenderAxesCheckBox_stateChanged(int) {}

void SettingsDialog::on_RenderNucleiCheckBox_stateChanged(int) {}
