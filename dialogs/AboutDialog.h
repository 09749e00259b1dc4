#pragma once

#include <QDialog>

#include "ui_AboutDialog.h"

// The about box: the splash picture, the product name and version and the contact lines on a
// white background. No buttons; Escape and the window's close control close it.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  Ui_AboutDialogClass ui;
};
