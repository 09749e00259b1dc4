#include "dialogs/AboutDialog.h"

#include "dialogs/DialogSupport.h"

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
}
