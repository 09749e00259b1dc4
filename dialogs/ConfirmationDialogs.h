#pragma once

// Four small ready-made modal dialogs with fixed texts: a twist question, the hardware error
// report, a quit question and a new-workspace question. The application asks its live
// questions with message boxes; these are kept as components with fixed results.

#include <QDialog>

#include "ui_ApplyTwistDialog.h"
#include "ui_ErrorDialog.h"
#include "ui_ExitDialog.h"
#include "ui_NewDialog.h"

class QKeyEvent;

// "Apply Twist?": Yes closes with 1, No with 0, Cancel with 2; the answer is the same number.
class ApplyTwistDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ApplyTwistDialog(QWidget* parent = nullptr);

  Ui_ApplyTwistDialogClass ui;
  int answer = -1;   // -1 until a button is pressed; Escape leaves it

 private slots:
  void on_pushButton_clicked();
  void on_pushButton_2_clicked();
  void on_pushButton_3_clicked();

 private:
  void answerWith(int value);
};

// The hardware report; OK closes with -1.
class ErrorDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ErrorDialog(QWidget* parent = nullptr);

  Ui_ErrorDialogClass ui;

 private slots:
  void on_pushButton_clicked();
};

// "Confirm Quit?", fixed in size. Yes asks the event loop to quit and leaves the dialog open
// until it does; No, the N key and Escape close with 0; the Y key ends the process at once with
// status 0, without closing windows or writing settings. Other keys do nothing, so Return and
// Enter press no button.
class ExitDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ExitDialog(QWidget* parent = nullptr);

  Ui_ExitDialogClass ui;
  bool answer = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void on_pushButton_clicked();
  void on_pushButton_2_clicked();
};

// "Create New Workspace?": both buttons close with 0, so the caller reads the answer.
class NewDialog : public QDialog {
  Q_OBJECT

 public:
  explicit NewDialog(QWidget* parent = nullptr);

  Ui_NewDialogClass ui;
  bool answer = false;

 private slots:
  void on_pushButton_clicked();
  void on_pushButton_2_clicked();
};
