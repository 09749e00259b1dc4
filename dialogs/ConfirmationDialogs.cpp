#include "dialogs/ConfirmationDialogs.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <cstdlib>

#include "dialogs/DialogSupport.h"

ApplyTwistDialog::ApplyTwistDialog(QWidget* parent) : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
}

void ApplyTwistDialog::answerWith(int value) {
  answer = value;
  done(value);
}

void ApplyTwistDialog::on_pushButton_clicked() { answerWith(1); }
void ApplyTwistDialog::on_pushButton_2_clicked() { answerWith(0); }
void ApplyTwistDialog::on_pushButton_3_clicked() { answerWith(2); }

ErrorDialog::ErrorDialog(QWidget* parent) : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
}

void ErrorDialog::on_pushButton_clicked() { done(-1); }

ExitDialog::ExitDialog(QWidget* parent) : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
}

void ExitDialog::on_pushButton_clicked() {
  answer = true;
  QCoreApplication::quit();
}

void ExitDialog::on_pushButton_2_clicked() {
  answer = false;
  done(0);
}

void ExitDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Y: std::exit(0);
    case Qt::Key_N:
    case Qt::Key_Escape: done(0); break;
    default: break;   // swallowed
  }
}

NewDialog::NewDialog(QWidget* parent) : QDialog(parent, titleBarOnly()) {
  initIconResources();
  ui.setupUi(this);
}

void NewDialog::on_pushButton_clicked() {
  answer = true;
  done(0);
}

void NewDialog::on_pushButton_2_clicked() {
  answer = false;
  done(0);
}
