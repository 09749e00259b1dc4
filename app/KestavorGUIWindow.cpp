// The main window's wiring, the Window menu, the notifications from the view and the docks, and
// the three dialog commands.
#include <QAction>
#include <QToolBar>
#include <QTreeWidget>

#include "app/ConsoleWidget.h"
#include "app/CustomDockWidget.h"
#include "app/KestavorGUI.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/PeriodicTableDialog.h"
#include "dialogs/SettingsDialog.h"

namespace {

// A menu command and the main window's slot it runs.
struct ActionSlot {
  QAction* Ui_KestavorGUIClass::*action;
  void (KestavorGUI::*slot)();
};

using Form = Ui_KestavorGUIClass;
// Load Plugin has no command: connectActions connects it to a slot the class does not have, which
// Qt refuses with a warning. The Periodic Table action is connected by name when the form is
// built.
const ActionSlot kActionSlots[] = {
    {&Form::actionShowRenderWidget, &KestavorGUI::Menu_RenderWidgetToggle},
    {&Form::actionNew, &KestavorGUI::Menu_New},
    {&Form::actionLoadFile, &KestavorGUI::Menu_Load},
    {&Form::actionShowLibraryWidget, &KestavorGUI::Menu_LibraryWidgetToggle},
    {&Form::actionShowPropertiesWidget, &KestavorGUI::Menu_PropertiesWidgetToggle},
    {&Form::actionShowConsoleWidget, &KestavorGUI::Menu_ConsoleWidgetToggle},
    {&Form::actionEditSettings, &KestavorGUI::Menu_EditSettings},
    {&Form::actionSaveFile, &KestavorGUI::Menu_Save},
    {&Form::actionImportOBJ, &KestavorGUI::Menu_ImportOBJ},
    {&Form::actionExportOBJ, &KestavorGUI::Menu_ExportOBJ},
    {&Form::actionQuit, &KestavorGUI::Menu_Quit},
    {&Form::actionExportSavedCameras, &KestavorGUI::Menu_ExportSavedCameras},
    {&Form::actionImportDirectory, &KestavorGUI::Menu_LoadDirectory},
    {&Form::actionView_Help_File, &KestavorGUI::Menu_Help},
    {&Form::actionAbout, &KestavorGUI::Menu_About},
    {&Form::actionImportSavedCameras, &KestavorGUI::Menu_ImportSavedCameras},
    {&Form::actionScreenshot, &KestavorGUI::Menu_ExportScreenshot},
    {&Form::actionExportPov, &KestavorGUI::Menu_ExportPovray},
    {&Form::actionShowButtonToolbar, &KestavorGUI::Menu_ButtonToolbarToggle},
    {&Form::actionShowSmilesToolbar, &KestavorGUI::Menu_SmilesToolbarToggle},
};

}  // namespace

void KestavorGUI::connectActions() {
  for (const ActionSlot& row : kActionSlots)
    connect(ui.*row.action, &QAction::triggered, this, row.slot);
  connect(ui.actionLoad_Plugin, SIGNAL(triggered()), this, SLOT(Menu_LoadPlugin()));
  // The view's camera commands are private slots, reached by name.
  connect(ui.actionReset_Camera, SIGNAL(triggered()), glWidget, SLOT(resetCamera()));
  connect(ui.actionShow_All_Molecules, SIGNAL(triggered()), glWidget,
          SLOT(moveCameraToAllMolecules()));
  connect(ui.actionSave_Camera, SIGNAL(triggered()), glWidget, SLOT(storeCamera()));
}

void KestavorGUI::connectNotifications() {
  // The view prints its own console lines; only the window's signal goes to the pane here.
  connect(this, &KestavorGUI::emitConsoleString, console, &ConsoleWidget::appendString);
  for (CustomTreeWidget* tree : {moleculeTree, groupTree, workSpaceTree, &templateTree})
    connectListTree(tree);
  connect(ui.JoinButton, SIGNAL(clicked()), glWidget, SLOT(initJoinMolecules()));
  connect(glWidget, &GLWidget::hasBeenHidden, this, &KestavorGUI::RenderWidgetClosed);
  for (CustomDockWidget* dock : {consoleDock, libraryDock, propertiesDock})
    connect(dock, &CustomDockWidget::hideSignal, this, &KestavorGUI::DockWidgetClosed);
  connect(glWidget, qOverload<std::string>(&GLWidget::moleculeCreated), this,
          qOverload<std::string>(&KestavorGUI::MoleculeCreated));
  connect(glWidget, qOverload<Molecule*>(&GLWidget::moleculeCreated), this,
          qOverload<Molecule*>(&KestavorGUI::MoleculeCreated));
  connect(propertiesDock, &QDockWidget::topLevelChanged, this,
          &KestavorGUI::PropertiesDockWidgetChangeFloating);
  connect(libraryDock, &QDockWidget::topLevelChanged, this,
          &KestavorGUI::LibraryDockWidgetChangeFloating);
  connect(consoleDock, &QDockWidget::topLevelChanged, this,
          &KestavorGUI::ConsoleDockWidgetChangeFloating);
  connect(glWidget, &GLWidget::pickStateSignal, this, &KestavorGUI::PickStateChanged);
  connect(glWidget, &GLWidget::moleculeSelected, this, &KestavorGUI::MoleculeSelected);
  connect(glWidget, &GLWidget::launchPlotter, &dihedralDialog,
          &DihedralDialog::launchDihedralDialog);
  connect(&dihedralDialog, SIGNAL(drawTwistedMolecule(Molecule*)), glWidget,
          SLOT(drawTwistedMolecule(Molecule*)));
  connect(glWidget, &GLWidget::resetEnergyPlotter, &dihedralDialog, &DihedralDialog::reSet);
}

void KestavorGUI::connectListTree(CustomTreeWidget* tree) {
  connect(tree, &CustomTreeWidget::updateProperties, propertiesTree,
          &CustomTreeWidget::updatePropertiesSlot);
  // After the rows are in: their labels show whole.
  connect(tree, &CustomTreeWidget::updateProperties, this, [this] { fitPropertyLabels(); });
  connect(tree, &QTreeWidget::itemDoubleClicked, this, &KestavorGUI::handleMoleculeListDoubleClick);
}

void KestavorGUI::Menu_RenderWidgetToggle() {
  glWidget->setVisible(ui.actionShowRenderWidget->isChecked());
}

void KestavorGUI::Menu_LibraryWidgetToggle() {
  libraryDock->setVisible(ui.actionShowLibraryWidget->isChecked());
}

void KestavorGUI::Menu_PropertiesWidgetToggle() {
  propertiesDock->setVisible(ui.actionShowPropertiesWidget->isChecked());
}

void KestavorGUI::Menu_ConsoleWidgetToggle() {
  consoleDock->setVisible(ui.actionShowConsoleWidget->isChecked());
}

void KestavorGUI::Menu_ButtonToolbarToggle() {
  ui.toolBar->setVisible(ui.actionShowButtonToolbar->isChecked());
}

void KestavorGUI::Menu_SmilesToolbarToggle() {
  ui.toolBar_2->setVisible(ui.actionShowSmilesToolbar->isChecked());
}

void KestavorGUI::RenderWidgetClosed() { ui.actionShowRenderWidget->setChecked(false); }

void KestavorGUI::DockWidgetClosed(int t) {
  switch (t) {
    case 1: ui.actionShowLibraryWidget->setChecked(false); break;
    case 2: ui.actionShowPropertiesWidget->setChecked(false); break;
    case 3: ui.actionShowConsoleWidget->setChecked(false); break;
    default: break;
  }
}

// A dock floated or docked again is shown, whatever it reported while it moved.
void KestavorGUI::LibraryDockWidgetChangeFloating(bool) {
  ui.actionShowLibraryWidget->setChecked(true);
}

void KestavorGUI::PropertiesDockWidgetChangeFloating(bool) {
  ui.actionShowPropertiesWidget->setChecked(true);
}

void KestavorGUI::ConsoleDockWidgetChangeFloating(bool) {
  ui.actionShowConsoleWidget->setChecked(true);
}

void KestavorGUI::on_actionPeriodic_Table_triggered() { periodicTableDialog->setVisible(true); }

// exec() shows the dialog itself. Shown before, it would stay a plain window: a window that
// is already visible does not become modal, and the main window would go on taking input.
// Both dialogs open over the main window: a modal window without a parent may open behind a
// maximised main window and hold the input there, out of sight.
void KestavorGUI::Menu_EditSettings() {
  SettingsDialog dialog(this);
  dialog.exec();
}

void KestavorGUI::Menu_About() {
  AboutDialog dialog(this);
  dialog.exec();
}
