// The main window and its dialogs on a 1280 x 1024 screen with the shipped font: every window
// inside the screen, every text whole, the view the largest part of the main window; a long
// SMILES, a stored over-size layout and hidden tool bars; the boxes opened over their windows.
// Needs an X server.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolBar>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/CustomDockWidget.h"
#include "app/KestavorGUI.h"
#include "io/SmilesParser.h"
#include "model/Molecule.h"
#include "support/ErrorCapture.h"
#include "support/ModalAnswer.h"
#include "support/WholeTexts.h"
#include "tests/app/RunningShell.h"

namespace {

using kvshell::RunningShell;
using kvshell::storedSettings;

int area(const QWidget* w) { return w->isVisible() ? w->width() * w->height() : 0; }

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The view is on screen, inside the window, and no smaller than its minimum.
void expectViewShown(const KestavorGUI& w) {
  const QRect view(w.glWidget->mapToGlobal(QPoint(0, 0)), w.glWidget->size());
  EXPECT_TRUE(w.glWidget->isVisible());
  EXPECT_TRUE(w.screen()->availableGeometry().contains(view));
  EXPECT_GE(w.glWidget->width(), 450);
}

TEST_F(RunningShell, FirstStartFitsTheScreenWithEveryTextWholeAndTheViewLargest) {
  start();
  ASSERT_EQ(QSize(1280, 1024), window->screen()->availableGeometry().size());
  EXPECT_TRUE(kvtest::insideScreen(window.get()));
  expectViewShown(*window);
  for (const QWidget* part : std::initializer_list<const QWidget*>{
           window->libraryDock, window->propertiesDock, window->consoleDock, window->ui.toolBar,
           window->ui.toolBar_2})
    EXPECT_GT(area(window->glWidget), area(part)) << part->objectName().toStdString();
  // Every page of the library, with the rows each puts into the properties.
  for (int page = 0; page < window->ui.MoleculeTabWidget->count(); ++page) {
    window->ui.MoleculeTabWidget->setCurrentIndex(page);
    EXPECT_EQ("", joined(kvtest::cutTexts(window.get()))) << "page " << page;
    EXPECT_EQ("", joined(kvtest::cutColumn(window->propertiesTree, 0))) << "page " << page;
  }
  // The SMILES box takes what the row leaves, and never less than a short SMILES needs.
  EXPECT_GE(window->ui.smilesBox->width(), 200);
}

TEST_F(RunningShell, ALongSmilesLeavesTheWindowInsideTheScreenAndItsBoxOverTheWindow) {
  start();
  const QSize before = window->size();
  const int boxWidth = window->ui.smilesBox->width();
  std::string smiles = "C";
  while (smiles.size() < 2000) smiles += "C(C)";
  smiles += "(";   // unclosed, so the reader refuses it at once
  kvtest::ErrorCapture errors;
  std::string shown;
  const QWidget* parent = nullptr;
  kvtest::answerNextModal([&shown, &parent](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) shown = box->text().toStdString();
    parent = modal->parentWidget();
    modal->close();
  });
  enter(smiles.c_str());
  EXPECT_EQ("This smiles can not be parsed", shown);
  EXPECT_EQ(window.get(), parent);
  // The reader's line and its closing " Parsing failed" line.
  ASSERT_EQ(2u, errors.lines.size());
  EXPECT_EQ(0u, errors.lines[1].find(" Parsing failed")) << errors.lines[1];
  QTest::qWait(50);   // any growth of the layout happens on its next turn

  EXPECT_EQ(before, window->size());
  EXPECT_EQ(boxWidth, window->ui.smilesBox->width());
  EXPECT_TRUE(kvtest::insideScreen(window.get()));
  expectViewShown(*window);
  // The entry is in the list; the list opens inside the screen too.
  ASSERT_EQ(1, window->ui.smilesBox->count());
  window->ui.smilesBox->showPopup();
  QWidget* popup = window->ui.smilesBox->view()->window();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(popup));
  EXPECT_TRUE(window->screen()->availableGeometry().contains(popup->frameGeometry()));
  window->ui.smilesBox->hidePopup();

  // Typed again into the edit it scrolls; the window stays.
  window->ui.smileEdit->setText(QString::fromStdString(smiles));
  QTest::qWait(50);
  EXPECT_EQ(before, window->size());

  window->ui.smileEdit->clear();
  window.reset();
  start();
  EXPECT_TRUE(kvtest::insideScreen(window.get()));
  expectViewShown(*window);
}

TEST_F(RunningShell, AStoredOverSizeLayoutComesBackInsideTheScreenWithTicksOnWhatIsShown) {
  start();
  window->ui.toolBar->hide();
  window->ui.toolBar_2->hide();
  const QByteArray state = window->saveState(KestavorGUI::WindowStateVersion);
  window.reset();
  QSettings stored = storedSettings();
  stored.setValue("geometry", QRect(200, 200, 20777, 694));
  stored.setValue("SavedWindowState", state);
  stored.sync();

  start();
  EXPECT_TRUE(kvtest::insideScreen(window.get()));
  expectViewShown(*window);
  Ui_KestavorGUIClass& ui = window->ui;
  EXPECT_TRUE(ui.toolBar->isHidden() && ui.toolBar_2->isHidden());
  EXPECT_FALSE(ui.actionShowButtonToolbar->isChecked());
  EXPECT_FALSE(ui.actionShowSmilesToolbar->isChecked());
  EXPECT_TRUE(ui.actionShowLibraryWidget->isChecked() && ui.actionShowRenderWidget->isChecked());

  // The menu shows a tool bar and ticks it; a tool bar hidden another way loses its tick.
  ui.actionShowButtonToolbar->trigger();
  EXPECT_TRUE(ui.toolBar->isVisible() && ui.actionShowButtonToolbar->isChecked());
  ui.toolBar_2->toggleViewAction()->trigger();
  EXPECT_TRUE(ui.toolBar_2->isVisible() && ui.actionShowSmilesToolbar->isChecked());
  ui.toolBar->toggleViewAction()->trigger();
  EXPECT_FALSE(ui.actionShowButtonToolbar->isChecked());
  window->propertiesDock->toggleViewAction()->trigger();
  EXPECT_FALSE(ui.actionShowPropertiesWidget->isChecked());
  window->propertiesDock->toggleViewAction()->trigger();
  EXPECT_TRUE(ui.actionShowPropertiesWidget->isChecked());

  // A stored window that lies off the screen comes back onto it.
  window.reset();
  storedSettings().setValue("geometry", QRect(3000, -500, 1000, 800));
  start();
  EXPECT_TRUE(kvtest::insideScreen(window.get()));
  EXPECT_EQ(QSize(1000, 800), window->size());
}

TEST_F(RunningShell, SettingsAboutProfilerAndPlotShowEveryTextWholeInsideTheScreen) {
  start();
  for (QAction* command : {window->ui.actionEditSettings, window->ui.actionAbout}) {
    std::string cut = "not opened";
    kvtest::answerNextModal([&cut](QWidget* modal) {
      cut = joined(kvtest::cutTexts(modal));
      EXPECT_TRUE(kvtest::insideScreen(modal));
      modal->close();
    });
    command->trigger();
    EXPECT_EQ("", cut) << command->text().toStdString();
  }

  SmilesParser parser;
  std::unique_ptr<Molecule> butane(parser.smilesToMol("CCCC"));
  ASSERT_NE(nullptr, butane);
  DihedralDialog& profiler = window->dihedralDialog;
  profiler.launchDihedralDialog(butane->copyGraph(), 0, 1, 2, 3, " 60.0");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&profiler));
  EXPECT_EQ("", joined(kvtest::cutTexts(&profiler)));
  EXPECT_TRUE(kvtest::insideScreen(&profiler));
  QFont bold = profiler.font();
  bold.setBold(true);
  EXPECT_GT(profiler.width(), QFontMetrics(bold).horizontalAdvance(profiler.windowTitle()) + 100);

  profiler.reSet();   // 36 divisions: the plot asks for 1872 x 520 pixels
  profiler.launchDihedralDialog(butane->copyGraph(), 0, 1, 2, 3, " 60.0");
  profiler.ui.plotButton->click();
  Plotter& plot = profiler.plotter;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&plot));
  EXPECT_EQ(QSize(1872, 520), plot.sizeHint());
  EXPECT_TRUE(kvtest::insideScreen(&plot));
  for (Qt::Orientation axis : {Qt::Horizontal, Qt::Vertical}) {
    const QRect box = plot.axisTitleRect(axis);
    const QRect needed = plot.fontMetrics().boundingRect(box, Qt::AlignCenter, plot.axisTitle(axis));
    EXPECT_TRUE(box.contains(needed) && plot.rect().contains(box))
        << plot.axisTitle(axis).toStdString();
  }
  profiler.reSet();
}

}  // namespace
