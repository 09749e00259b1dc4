// The Window menu and the docks, the dialog commands, and the console pane inside the running
// window.

#include <QAbstractButton>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QThread>

#include <string>
#include <vector>

#include "app/ConsoleWidget.h"
#include "app/CustomDockWidget.h"
#include "dialogs/PeriodicTableDialog.h"
#include "math/UtilityEngine.h"
#include "support/ErrorCapture.h"
#include "support/ModalAnswer.h"
#include "support/TextLines.h"
#include "tests/app/RunningShell.h"
#include "tests/app/XClick.h"

namespace {

using kvshell::RunningShell;

TEST_F(RunningShell, WindowMenuFollowsTheDocksAndTheView) {
  start();
  const Ui_KestavorGUIClass& ui = window->ui;
  auto checks = [&ui] {
    std::string marks;
    for (const QAction* a : {ui.actionShowRenderWidget, ui.actionShowLibraryWidget,
                             ui.actionShowPropertiesWidget, ui.actionShowConsoleWidget})
      marks += a->isChecked() ? '1' : '0';
    return marks;
  };
  window->consoleDock->findChild<QAbstractButton*>("qt_dockwidget_closebutton")->click();
  EXPECT_FALSE(window->consoleDock->isVisible());
  EXPECT_EQ("1110", checks());
  window->DockWidgetClosed(0);
  window->DockWidgetClosed(4);
  EXPECT_EQ("1110", checks());
  ui.actionShowConsoleWidget->trigger();
  EXPECT_TRUE(window->consoleDock->isVisible());
  EXPECT_EQ("1111", checks());

  // Floating hides the dock on its way out of the window; the float notice checks it again.
  window->libraryDock->findChild<QAbstractButton*>("qt_dockwidget_floatbutton")->click();
  EXPECT_TRUE(window->libraryDock->isFloating());
  EXPECT_EQ("1111", checks());

  ui.actionShowRenderWidget->trigger();
  EXPECT_FALSE(window->glWidget->isVisible());
  EXPECT_EQ("0111", checks());
  ui.actionShowRenderWidget->trigger();
  EXPECT_TRUE(window->glWidget->isVisible());
  EXPECT_EQ("1111", checks());
}

TEST_F(RunningShell, DialogCommandsOpenTheirDialogs) {
  start();
  const struct {
    QAction* action;
    const char* dialog;
    std::function<void(QWidget*)> close;
  } commands[] = {
      {window->ui.actionEditSettings, "SettingsDialog",
       [](QWidget* m) { m->findChild<QPushButton*>("OkButton")->click(); }},
      {window->ui.actionAbout, "AboutDialog",
       [](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); }}};
  for (const auto& command : commands) {
    std::string opened;
    kvtest::answerNextModal([&opened, &command](QWidget* modal) {
      opened = modal->metaObject()->className();
      EXPECT_EQ(nullptr, modal->parentWidget());
      command.close(modal);
    });
    command.action->trigger();
    EXPECT_EQ(command.dialog, opened);
    for (const QWidget* top : QApplication::topLevelWidgets())
      EXPECT_NE(command.dialog, std::string(top->metaObject()->className()));
  }

  window->ui.actionPeriodic_Table->trigger();
  window->ui.actionPeriodic_Table->trigger();
  int shown = 0;
  for (const QWidget* top : QApplication::topLevelWidgets())
    shown += qobject_cast<const PeriodicTableDialog*>(top) != nullptr && top->isVisible();
  EXPECT_EQ(1, shown);
  EXPECT_TRUE(window->periodicTableDialog->isVisible());
}

TEST_F(RunningShell, ConsoleAndErrorLinesReachThePane) {
  kvtest::ErrorCapture errors;   // the window passes error lines on to the sink before it
  start();
  errors.clear();
  ASSERT_EQ(ConsoleWidget::Instance, window->console);
  EXPECT_TRUE(window->console->toPlainText().isEmpty());
  UtilityEngine::instance()->printToConsole("Created: ethanol CCO");
  ErrorLine() << "Error: Reader: bad line \"x\"";
  emit window->emitConsoleString("two\nlines");
  EXPECT_EQ((std::vector<std::string>{"1>   Created: ethanol CCO",
                                      "2>   Error: Reader: bad line \"x\"", "3>   two", "lines"}),
            kvtest::linesOf(window->console->toPlainText().toStdString()));
  EXPECT_EQ(std::vector<std::string>{"Error: Reader: bad line \"x\""}, errors.lines);
}

TEST_F(RunningShell, AMenuClickDuringALongPrintRunsAfterIt) {
  start();
  QMenuBar* bar = window->ui.menuBar;
  const QPoint title = bar->actionGeometry(window->ui.menuWindow->menuAction()).center();
  const QPoint local = bar->mapTo(window.get(), title);
  const QPoint onScreen = bar->mapToGlobal(title);
  ASSERT_TRUE(kvshell::sendXClick(window->winId(), local.x(), local.y(), onScreen.x(),
                                  onScreen.y()));
  bool openedDuringPrint = false;
  for (int line = 0; line < 40; ++line) {
    window->console->appendString(QString("Loading file %1").arg(line));
    QThread::msleep(10);   // the click arrives meanwhile
    openedDuringPrint = openedDuringPrint || QApplication::activePopupWidget() != nullptr;
  }
  EXPECT_FALSE(openedDuringPrint);
  EXPECT_TRUE(QTest::qWaitFor([this] {
    return QApplication::activePopupWidget() == window->ui.menuWindow;
  }));
  window->ui.menuWindow->hide();
}

}  // namespace
