// The main window's construction, its stored layout and the quit question.
#include "app/KestavorGUI.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QSettings>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

#include <vector>

#include "app/ConsoleWidget.h"
#include "app/CustomDockWidget.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/PeriodicTableDialog.h"
#include "io/IOEngine.h"

namespace {

const QRect kFirstStartGeometry(200, 200, 400, 400);
constexpr int kViewMinimumSide = 450;
constexpr int kSideDockMinimumHeight = 200;
constexpr int kSideDockMinimumWidth = 271;
constexpr int kConsoleMinimumHeight = 100;
constexpr int kButtonIconSide = 44;
constexpr int kLibraryIconSide = 32;
constexpr int kMoleculeColumnWidth = 195;
constexpr int kGroupColumnWidth = 180;
constexpr int kPropertiesColumnWidth = 120;
constexpr int kFunctionalGroupsPage = 1;

QFont shellFont(int pointSize) {
  QFont font(QStringLiteral("MS Shell Dlg 2"), pointSize, QFont::Bold);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

// Moves the library items the loaders hung under a root into the tree; the root stays, empty.
void takeLibraryItems(QTreeWidgetItem* root, QTreeWidget* tree) {
  if (root != nullptr) tree->addTopLevelItems(root->takeChildren());
}

void placeInPage(QWidget* page, QWidget* tree) {
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tree);
}

}  // namespace

KestavorGUI::KestavorGUI(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags) {
  initIconResources();
  ui.setupUi(this);
  buildCentralView();
  periodicTableDialog = new PeriodicTableDialog(this);
  buildDocks();
  buildTrees();
  buildToolBars();
  // The form connected the tab slot by name, so it runs here once for the page.
  ui.MoleculeTabWidget->setCurrentIndex(kFunctionalGroupsPage);
  ui.toolBar->setWindowTitle(tr("Button Toolbar"));
  ui.toolBar_2->setWindowTitle(tr("SMILES Toolbar"));
  readSettings();
  for (QAction* shown : {ui.actionShowLibraryWidget, ui.actionShowConsoleWidget,
                         ui.actionShowPropertiesWidget, ui.actionShowRenderWidget,
                         ui.actionShowButtonToolbar, ui.actionShowSmilesToolbar}) {
    shown->setCheckable(true);
    shown->setChecked(true);
  }
  for (QWidget* shown : std::initializer_list<QWidget*>{glWidget, libraryDock, propertiesDock,
                                                        consoleDock})
    shown->setVisible(true);
  ui.centralWidget->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
  connectActions();
  connectNotifications();
  ui.menuBar->setFont(shellFont(8));
}

KestavorGUI::~KestavorGUI() {
  detachIncomingSignals();
  writeSettings();
  setConsoleSink(nullptr);
  setErrorSink(previousErrorSink);
  delete glWidget;
  glWidget = nullptr;
  delete periodicTableDialog;
  periodicTableDialog = nullptr;
}

void KestavorGUI::buildCentralView() {
  auto* layout = new QVBoxLayout(ui.centralWidget);
  glWidget = new GLWidget(ui.centralWidget);
  glWidget->setMinimumSize(kViewMinimumSide, kViewMinimumSide);
  setMouseTracking(true);
  glWidget->setMouseTracking(true);
  layout->addWidget(glWidget);
}

void KestavorGUI::buildDocks() {
  libraryDock = new CustomDockWidget;
  libraryDock->setObjectName(QStringLiteral("LibraryDockWidget"));
  libraryDock->setWindowTitle(tr("Library"));
  libraryDock->type = 1;
  libraryDock->setMinimumSize(kSideDockMinimumWidth, kSideDockMinimumHeight);
  libraryDock->setWidget(ui.MoleculeTabWidget);
  libraryDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

  console = ConsoleWidget::instance();
  consoleDock = new CustomDockWidget;
  consoleDock->type = 3;
  consoleDock->setObjectName(QStringLiteral("ConsoleDockWidget"));
  consoleDock->setWindowTitle(tr("Console"));
  consoleDock->setWidget(console);
  console->setMinimumHeight(kConsoleMinimumHeight);
  consoleDock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  addDockWidget(Qt::BottomDockWidgetArea, consoleDock);
  console->setReadOnly(true);
  console->setVisible(true);
  installConsole();

  propertiesTree = new CustomTreeWidget;
  propertiesDock = new CustomDockWidget;
  propertiesDock->type = 2;
  propertiesDock->setObjectName(QStringLiteral("PropertiesDockWidget"));
  propertiesDock->setWindowTitle(tr("Properties"));
  propertiesDock->setMinimumSize(kSideDockMinimumWidth, kSideDockMinimumHeight);
  propertiesDock->setWidget(propertiesTree);
  propertiesDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  addDockWidget(Qt::LeftDockWidgetArea, libraryDock);
  addDockWidget(Qt::LeftDockWidgetArea, propertiesDock);
}

void KestavorGUI::installConsole() {
  setConsoleSink(ConsoleWidget::sink());
  // An error may come from inside a frame or a load; the pane prints it without letting events
  // run, so no second frame or command can start there.
  previousErrorSink = setErrorSink(nullptr);
  setErrorSink([previous = previousErrorSink](const std::string& line) {
    previous(line);
    if (ConsoleWidget::Instance != nullptr) ConsoleWidget::Instance->addString(line.c_str());
  });
}

void KestavorGUI::buildTrees() {
  moleculeTree = new CustomTreeWidget;
  groupTree = new CustomTreeWidget;
  workSpaceTree = new CustomTreeWidget;
  for (CustomTreeWidget* tree :
       {propertiesTree, moleculeTree, groupTree, workSpaceTree, &templateTree})
    tree->setMouseTracking(true);
  for (CustomTreeWidget* tree : {groupTree, &templateTree}) {
    tree->setIconSize(QSize(kLibraryIconSide, kLibraryIconSide));
    tree->setHeaderLabels({tr("Structure"), tr("NAMES")});
    tree->setColumnWidth(0, kGroupColumnWidth);
    tree->type = 1;
  }
  moleculeTree->setHeaderLabels({tr("Name")});
  moleculeTree->setColumnWidth(0, kMoleculeColumnWidth);
  moleculeTree->type = 0;
  workSpaceTree->setHeaderLabels({tr("NAMES")});
  workSpaceTree->type = 2;
  propertiesTree->setHeaderLabels({tr("Name"), tr("Value")});
  propertiesTree->setColumnWidth(0, kPropertiesColumnWidth);

  IOEngine* io = IOEngine::instance();
  takeLibraryItems(io->moleculeRoot, moleculeTree);
  takeLibraryItems(io->groupRoot, groupTree);
  takeLibraryItems(io->templateRoot, &templateTree);
  placeInPage(ui.MoleculeTab, moleculeTree);
  placeInPage(ui.FunctionalGroupTab, groupTree);
  placeInPage(ui.TemplateTab, &templateTree);
  placeInPage(ui.HistoryTab, workSpaceTree);
}

void KestavorGUI::buildToolBars() {
  const std::vector<QToolButton*> rotation{ui.AutoXButton, ui.AutoYButton, ui.AutoZButton};
  const std::vector<QToolButton*> pick{ui.ViewButton, ui.MeshButton, ui.PieceButton};
  const std::vector<QToolButton*> measure{ui.MeasureDistanceButton, ui.MeasureAngleButton,
                                          ui.MeasureDihedButton, ui.EnergyProfile};
  const std::vector<QToolButton*> edit{ui.EditBondOrder, ui.DeleteAButton, ui.MakeAxisButton,
                                       ui.DeleteBButton};
  QToolBar* buttons = ui.toolBar;
  buttons->setIconSize(QSize(kButtonIconSide, kButtonIconSide));
  const std::vector<QToolButton*> join{ui.JoinButton};
  for (const std::vector<QToolButton*>* group : {&rotation, &pick, &join, &measure, &edit}) {
    if (group != &rotation) buttons->addSeparator();
    for (QToolButton* button : *group) buttons->addWidget(button);
  }
  ui.toolBar_2->addWidget(ui.smileButton);
  ui.toolBar_2->addWidget(ui.smilesBox);
  ui.smilesBox->setLineEdit(ui.smileEdit);
  ui.toolBar_2->addSeparator();

  for (const std::vector<QToolButton*>* modes : {&measure, &edit})
    for (QToolButton* mode : *modes) {
      mode->setCheckable(true);
      mode->setChecked(false);
    }
  for (const std::vector<QToolButton*>* group : {&rotation, &pick})
    for (QToolButton* button : *group) button->setCheckable(true);
  ui.ViewButton->setChecked(true);

  pickButtonGroup = new QButtonGroup(this);
  for (QToolButton* button : pick) pickButtonGroup->addButton(button);
  pickButtonGroup->setExclusive(true);
  autoRotateButtonGroup = new QButtonGroup(this);
  for (QToolButton* button : rotation) autoRotateButtonGroup->addButton(button);
  autoRotateButtonGroup->setExclusive(false);
}

void KestavorGUI::readSettings() {
  QSettings settings(SettingsOrganisation, SettingsApplication);
  QRect stored = settings.value(QStringLiteral("geometry"), kFirstStartGeometry).toRect();
  if (!stored.isValid()) stored = kFirstStartGeometry;   // a value of another kind
  // The stored rectangle is the client area, so it is put back as the client area: moving the
  // frame there would creep the window down by its title bar on every start.
  setGeometry(stored);
  restoreState(settings.value(QStringLiteral("SavedWindowState")).toByteArray(),
               WindowStateVersion);
}

void KestavorGUI::writeSettings() {
  QSettings settings(SettingsOrganisation, SettingsApplication);
  settings.setValue(QStringLiteral("geometry"), geometry());
  settings.setValue(QStringLiteral("GL/geometry"), glWidget->geometry());
  settings.setValue(QStringLiteral("SavedWindowState"), saveState(WindowStateVersion));
}

bool KestavorGUI::confirmQuit() {
  if (!quitConfirmed) {
    writeSettings();
    const QMessageBox::StandardButton answer = QMessageBox::warning(
        this, tr("Confirm Quit?"), tr("Are you sure you want to quit? Any unsaved work will be lost."),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    if (answer != QMessageBox::Yes) return false;
    quitConfirmed = true;
  }
  QCoreApplication::quit();
  return true;
}

void KestavorGUI::Menu_Quit() { confirmQuit(); }

void KestavorGUI::closeEvent(QCloseEvent* event) {
  if (!confirmQuit()) event->ignore();
}

void KestavorGUI::detachIncomingSignals() {
  // Closing the window in QWidget's destructor hides the docks (hideSignal) and announces the
  // last window closed; the tab widget reports its pages going. None may reach this window then.
  QObject::disconnect(QCoreApplication::instance(), nullptr, this, nullptr);
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
  QObject::disconnect(&templateTree, nullptr, this, nullptr);
}
