#pragma once

#include <QDialog>

#include "ui_SettingsDialog.h"

// The render settings: one check box per display option of the renderer, each writing its flag
// the moment it changes, so the view shows the change at its next paint. Nothing to apply;
// Ok closes the dialog with result 0.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialog(QWidget* parent = nullptr);

  Ui_SettingsDialogClass ui;

 private slots:
  void on_OkButton_clicked();
};
