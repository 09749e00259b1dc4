// The four small confirmation and error dialogs: their answers and results.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "dialogs/ConfirmationDialogs.h"
#include "support/ModalAnswer.h"
#include "support/QtApplication.h"

namespace {

// Runs the dialog modally, answers it with `act` and returns what exec() returned.
int run(QDialog& dialog, std::function<void(QWidget*)> act) {
  kvtest::answerNextModal(std::move(act));
  return dialog.exec();
}

void press(QWidget* modal, const char* name) {
  modal->findChild<QPushButton*>(name)->click();
}

class Confirmation : public ::testing::Test {
 protected:
  void SetUp() override { kvtest::ensureApplication(); }
};

TEST_F(Confirmation, NewDialogAnswersOnlyThroughItsField) {
  NewDialog yes, no, escaped;
  EXPECT_EQ(0, run(yes, [](QWidget* m) { press(m, "pushButton"); }));
  EXPECT_EQ(0, run(no, [](QWidget* m) { press(m, "pushButton_2"); }));
  EXPECT_EQ(0, run(escaped, [](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); }));
  EXPECT_TRUE(yes.answer && !no.answer && !escaped.answer);
}

TEST_F(Confirmation, ApplyTwistClosesWithItsAnswer) {
  const struct {
    const char* button;
    int result;
  } cases[] = {{"pushButton", 1}, {"pushButton_2", 0}, {"pushButton_3", 2}};
  for (const auto& c : cases) {
    ApplyTwistDialog dialog;
    EXPECT_EQ(c.result, run(dialog, [&c](QWidget* m) { press(m, c.button); })) << c.button;
    EXPECT_EQ(c.result, dialog.answer);
  }
  ApplyTwistDialog escaped;
  EXPECT_EQ(0, run(escaped, [](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); }));
  EXPECT_EQ(-1, escaped.answer);
}

TEST_F(Confirmation, ErrorDialogReportsTheHardwareAndReturnsMinusOne) {
  ErrorDialog dialog;
  EXPECT_EQ("ERROR! Your computer does not meet the minimum hardware requirements.",
            dialog.ui.label->text().toStdString());
  EXPECT_EQ(Qt::ApplicationModal, dialog.windowModality());
  EXPECT_EQ(-1, run(dialog, [](QWidget* m) { press(m, "pushButton"); }));
}

TEST_F(Confirmation, ExitDialogYesEndsTheEventLoopAndStaysOpen) {
  ExitDialog dialog;
  dialog.show();
  QTimer::singleShot(0, [&dialog] { dialog.ui.pushButton->click(); });
  EXPECT_EQ(0, QApplication::exec());
  EXPECT_TRUE(dialog.answer && dialog.isVisible());
}

}  // namespace
