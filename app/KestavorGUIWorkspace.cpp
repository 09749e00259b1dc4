// A new workspace, the help page and the two questions of the main window.
#include <QButtonGroup>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLayout>
#include <QMessageBox>
#include <QUrl>

#include "app/ConsoleWidget.h"
#include "app/KestavorGUI.h"
#include "math/DataFolder.h"
#include "math/UtilityEngine.h"
#include "render/MathEngine.h"

namespace {

constexpr int kFunctionalGroupsPage = 1;
constexpr int kWorkSpaceKind = 2;
const char* const kHelpPage = "Help/index.html";

}  // namespace

bool KestavorGUI::confirmNew() {
  return QMessageBox::warning(
             this, tr("Create New Workspace?"),
             tr("Are you sure you want to open a new workspace and lose all unsaved work?"),
             QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton) == QMessageBox::Yes;
}

int KestavorGUI::confirmApplyTwist() {
  const QMessageBox::StandardButton answer = QMessageBox::warning(
      this, tr("Apply Twist?"),
      tr("Would you like to apply this twist operation?\n\nPress Yes to apply the twist "
         "operation.\nPress No to change twist amount.\nPress Cancel to abort the twist "
         "operation."),
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoButton);
  if (answer == QMessageBox::Yes) return 1;
  return answer == QMessageBox::No ? 0 : 2;
}

void KestavorGUI::Menu_New() {
  if (refusedDuringLoad("New") || !confirmNew()) return;
  if (QTreeWidgetItem* current = workSpaceTree->currentItem()) current->setSelected(false);
  dihedralDialog.reSet();
  dihedralDialog.hideDialog();
  // The marks are forgotten, not applied: unchecking a mode button by code runs no exit question.
  glWidget->clearAllEditModeData();
  MathEngine::instance()->measureMode = 0;
  // An exclusive group keeps its checked button checked; it lets go while the group is open.
  pickButtonGroup->setExclusive(false);
  const Ui_KestavorGUIClass& form = ui;
  for (QToolButton* mode :
       {form.ViewButton, form.MeshButton, form.PieceButton, form.JoinButton,
        form.MeasureDistanceButton, form.MeasureAngleButton, form.MeasureDihedButton,
        form.EnergyProfile, form.EditBondOrder, form.DeleteAButton, form.MakeAxisButton,
        form.DeleteBButton}) {
    mode->setEnabled(true);
    mode->setChecked(false);
  }
  pickButtonGroup->setExclusive(true);
  console->clear();

  // The old tree goes with its items; it must not report them to the properties on its way.
  workSpaceTree->blockSignals(true);
  delete workSpaceTree;
  workSpaceTree = new CustomTreeWidget;
  workSpaceTree->setMouseTracking(true);
  connectListTree(workSpaceTree);
  for (int i = 0; i < moleculeTree->topLevelItemCount(); ++i)
    moleculeTree->topLevelItem(i)->setExpanded(false);
  ui.MoleculeTabWidget->setCurrentIndex(kFunctionalGroupsPage);
  groupTree->setCurrentItem(groupTree->topLevelItem(0));
  ui.HistoryTab->layout()->addWidget(workSpaceTree);
  workSpaceTree->type = kWorkSpaceKind;
  workSpaceTree->setHeaderLabels({tr("SMILES")});

  console->lineCounter = 1;
  glWidget->createNewWorkspace();
  console->lineCounter = 1;
}

void KestavorGUI::Menu_Help() {
  // Below the folder the library came from; the page need not exist for the desktop to be asked.
  const QString path = QFileInfo(QString::fromStdString(dataPath(kHelpPage))).absoluteFilePath();
  const QUrl page = QUrl::fromLocalFile(path);
  if (!QDesktopServices::openUrl(page)) printError("Help File Launch Failed");
}
