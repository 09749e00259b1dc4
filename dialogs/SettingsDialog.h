#pragma once

#include <QDialog>

#include "ui_SettingsDialog.h"

class GraphicsEngine;

// The render settings: one check box per display option of the renderer, each writing its flag
// the moment it changes, so the view shows the change at its next paint. Nothing to apply;
// Ok closes the dialog with result 0.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialog(QWidget* parent = nullptr);

  // The renderer's display flags as they were when the dialog was built.
  struct Snapshot {
    bool showFPS = false;
    bool lighting = false;
    bool reservedFlags[2] = {false, false};   // the renderer's second and third reserved flags
    bool showAxes = false;
    bool transparency = false;
    bool showNuclei = false;
    bool showAtomicOrbitals = false;
    bool showMolecularOrbitals = false;
    bool showBondAxes = false;
    bool showAtomIDs = false;
    bool showColorScale = false;

    void takeFrom(const GraphicsEngine& engine);
    void giveBack(GraphicsEngine& engine) const;
  };

  Ui_SettingsDialogClass ui;
  Snapshot snapshot;

 private slots:
  void on_OkButton_clicked();
  // The form offers no Cancel button; this puts all twelve flags of the snapshot back and
  // closes the dialog with result 0.
  void on_CancelButton_clicked();
  // Each box stores 1 in its renderer flag while it is ticked, else 0 (read from the box; the
  // state argument is not used).
  void on_ShowFPSCheckBox_stateChanged(int state);
  void on_LightingCheckBox_stateChanged(int state);
  void on_RenderAtomicOrbitalsCheckBox_stateChanged(int state);
  void on_RenderMolecularOrbitalsCheckBox_stateChanged(int state);
  void on_RenderBondAxesCheckBox_stateChanged(int state);
  void on_RenderAtomIDsCheckBox_stateChanged(int state);
  void on_TransparencyCheckBox_stateChanged(int state);
  void on_ColorScaleCheckBox_stateChanged(int state);
  // The form has no boxes of these names: nothing reaches them.
  void on_RenderShadowsCheckBox_stateChanged(int state);
  void on_RenderGridFloorCheckBox_stateChanged(int state);
  void on_RenderAxesCheckBox_stateChanged(int state);
  void on_RenderNucleiCheckBox_stateChanged(int state);
};
