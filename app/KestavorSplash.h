#pragma once

#include <QSplashScreen>

#include "ui_KestavorSplash.h"

// A start-up splash window: the splash picture, a text line and a progress bar driven by three
// slots. Start-up does not show it; it is ready for a start-up that wants one.
class KestavorSplash : public QSplashScreen {
  Q_OBJECT

 public:
  explicit KestavorSplash(QWidget* parent = nullptr);

  Ui_KestavorSplashClass ui;

 public slots:
  // One step more; raises the window and repaints it at once.
  void updateProgress();
  void setMinimumProgress(uint i);
  void setMaximumProgress(uint i);
};
