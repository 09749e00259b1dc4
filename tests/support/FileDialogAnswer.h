#pragma once

// Answers a file dialog as a user does, by typing the name into its name field. selectFile now
// and then left the dialog's proposed name there: the dialog reads folders on a thread and
// selects its proposal when the folder arrives.

#include <QFileDialog>
#include <QLineEdit>
#include <QString>

namespace kvtest {

// A dialog without a name field (a native one) gets the name through selectFile.
inline void typeFileName(QFileDialog* dialog, const QString& path) {
  auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
  if (name != nullptr)
    name->setText(path);
  else
    dialog->selectFile(path);
}

}  // namespace kvtest
