#include "app/KestavorSplash.h"

#include "dialogs/DialogSupport.h"

KestavorSplash::KestavorSplash(QWidget* parent) : QSplashScreen(QPixmap()) {
  if (parent != nullptr) setParent(parent, windowFlags());
  initIconResources();
  ui.setupUi(this);
  ui.progress->setValue(0);
}

void KestavorSplash::updateProgress() {
  ui.progress->setValue(ui.progress->value() + 1);
  raise();
  repaint();
}

void KestavorSplash::setMinimumProgress(uint i) { ui.progress->setMinimum(static_cast<int>(i)); }

void KestavorSplash::setMaximumProgress(uint i) { ui.progress->setMaximum(static_cast<int>(i)); }
