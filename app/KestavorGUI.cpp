// The main window's construction, its stored layout and the quit question.
#include "app/KestavorGUI.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "app/ConsoleWidget.h"
#include "app/CustomDockWidget.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/PeriodicTableDialog.h"
#include "io/IOEngine.h"
#include "io/TreeEntry.h"

namespace {

// A first start opens at this corner, with this share of the screen, moved back inside the
// screen where it would reach past it.
const QPoint kFirstStartCorner(200, 200);
constexpr double kFirstStartShareOfScreen = 0.85;
constexpr int kViewMinimumSide = 450;
constexpr int kSideDockMinimumHeight = 200;
constexpr int kSideDockMinimumWidth = 271;
constexpr int kConsoleMinimumHeight = 100;
constexpr int kButtonIconSide = 44;
constexpr int kLibraryIconSide = 32;
constexpr int kMoleculeColumnWidth = 195;
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

// The available area of the screen that holds most of the window, else the primary screen's.
QRect availableArea(const QWidget* window) {
  QScreen* screen = QGuiApplication::screenAt(window->geometry().center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

// The client rectangle made no larger than the area leaves room for, with the frame around it,
// then moved as little as it takes to lie inside the area.
QRect fittedInside(const QRect& client, const QRect& area, const QMargins& frame) {
  if (!area.isValid()) return client;
  const int width = std::min(client.width(), area.width() - frame.left() - frame.right());
  const int height = std::min(client.height(), area.height() - frame.top() - frame.bottom());
  const int left = std::max(area.left() + frame.left(),
                            std::min(client.left(), area.right() + 1 - frame.right() - width));
  const int top = std::max(area.top() + frame.top(),
                           std::min(client.top(), area.bottom() + 1 - frame.bottom() - height));
  return QRect(left, top, width, height);
}

// The widest text of a column over all items, folded or not.
int widestText(QTreeWidget* tree, int column) {
  int widest = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    const QVariant font = (*it)->data(column, Qt::FontRole);   // else the tree's own is drawn
    const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : tree->font());
    widest = std::max(widest, metrics.horizontalAdvance((*it)->text(column)));
  }
  return widest;
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
  // A stored layout may have hidden a tool bar: from here on every tick shows what is shown.
  for (const WindowPart& part : windowParts()) part.shown->installEventFilter(this);
  syncWindowTicks();
}

std::vector<KestavorGUI::WindowPart> KestavorGUI::windowParts() const {
  return {{ui.actionShowRenderWidget, glWidget},
          {ui.actionShowLibraryWidget, libraryDock},
          {ui.actionShowPropertiesWidget, propertiesDock},
          {ui.actionShowConsoleWidget, consoleDock},
          {ui.actionShowButtonToolbar, ui.toolBar},
          {ui.actionShowSmilesToolbar, ui.toolBar_2}};
}

void KestavorGUI::syncWindowTicks() {
  // Hidden by itself, not merely with the window: a minimised window keeps its ticks.
  for (const WindowPart& part : windowParts()) part.action->setChecked(!part.shown->isHidden());
}

bool KestavorGUI::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::Hide) syncWindowTicks();
  return QMainWindow::eventFilter(watched, event);
}

void KestavorGUI::fitInsideScreen() {
  const QRect frame = frameGeometry(), client = geometry();
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
  const QRect fitted = fittedInside(client, availableArea(this), margins);
  if (fitted != client) setGeometry(fitted);
}

void KestavorGUI::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Whatever made the window grow, it is brought back inside the screen once the growth is over.
  const QRect area = availableArea(this);
  if (fitQueued || !area.isValid()) return;
  if (frameGeometry().width() <= area.width() && frameGeometry().height() <= area.height()) return;
  fitQueued = true;
  QTimer::singleShot(0, this, [this] {
    fitQueued = false;
    fitInsideScreen();
  });
}

void KestavorGUI::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (event->spontaneous() || !firstStartLayout) return;
  firstStartLayout = false;
  layout()->activate();   // the docks in their places first
  arrangeFirstStartDocks();
}

void KestavorGUI::arrangeFirstStartDocks() {
  // The Library is as wide as its longest name and as high as its tab titles; the Properties
  // below it take the rest of the column; the view keeps the remaining space.
  QTabBar* tabs = ui.MoleculeTabWidget->tabBar();
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, groupTree);
  int treeWidth = kPropertiesColumnWidth;
  for (CustomTreeWidget* tree : {moleculeTree, groupTree, &templateTree}) {
    const int last = tree->columnCount() - 1;
    int width = 2 * tree->frameWidth() + scrollBar + tree->indentation() + 12;
    for (int column = 0; column < last; ++column) width += tree->columnWidth(column);
    treeWidth = std::max(treeWidth, width + widestText(tree, last));
  }
  const int libraryWidth = std::min(tabs->sizeHint().width() + treeWidth + 8, width() / 3);
  const int titleHeight = libraryDock->height() - ui.MoleculeTabWidget->height();
  const int libraryHeight = tabs->sizeHint().height() + titleHeight + 8;
  resizeDocks({libraryDock, propertiesDock}, {libraryWidth, libraryWidth}, Qt::Horizontal);
  resizeDocks({consoleDock}, {consoleDock->minimumSizeHint().height() + titleHeight},
              Qt::Vertical);
  const int column = libraryDock->height() + propertiesDock->height();
  resizeDocks({libraryDock, propertiesDock}, {libraryHeight, column - libraryHeight},
              Qt::Vertical);
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
  // The Library and Properties column runs down to the status bar; the Console lies under the
  // view only, which leaves the column the height the Library's tab titles need.
  setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
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
  for (CustomTreeWidget* tree : {groupTree, &templateTree}) {
    // The structure column holds a picture: as wide as one (or as its title), so the names
    // beside it show whole; a folder's name spans both columns.
    tree->setColumnWidth(0, std::max(tree->indentation() + kLibraryIconSide + 12,
                                     tree->header()->sectionSizeHint(0)));
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
      if ((*it)->childCount() > 0 || treeEntryOf(*it).kind == TreeEntry::Kind::Folder)
        (*it)->setFirstColumnSpanned(true);
  }
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
  // The box lists what was typed, newest first, and the SMILES command keeps that list itself.
  // It never completes a typed text from it: after a long chain, CCCC and Enter is butane.
  ui.smilesBox->setCompleter(nullptr);
  ui.smilesBox->setInsertPolicy(QComboBox::NoInsert);
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
  const QRect area = availableArea(this);
  QRect stored = settings.value(QStringLiteral("geometry")).toRect();
  if (!stored.isValid()) {   // none stored, or a value of another kind
    const QSize share = area.isValid() ? area.size() * kFirstStartShareOfScreen : QSize(1024, 768);
    stored = QRect(kFirstStartCorner, share.expandedTo(minimumSizeHint()));
  }
  // The stored rectangle is the client area, so it is put back as the client area: moving the
  // frame there would creep the window down by its title bar on every start. A layout stored
  // larger than the screen, or off it, comes back inside it.
  setGeometry(fittedInside(stored, area, QMargins()));
  firstStartLayout =
      !restoreState(settings.value(QStringLiteral("SavedWindowState")).toByteArray(),
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
  for (const WindowPart& part : windowParts()) part.shown->removeEventFilter(this);
  // Closing the window in QWidget's destructor hides the docks (hideSignal) and announces the
  // last window closed; the tab widget reports its pages going. None may reach this window then.
  QObject::disconnect(QCoreApplication::instance(), nullptr, this, nullptr);
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
  QObject::disconnect(&templateTree, nullptr, this, nullptr);
}

void KestavorGUI::fitPropertyLabels() {
  propertiesTree->resizeColumnToContents(0);
  if (propertiesTree->columnWidth(0) < kPropertiesColumnWidth)
    propertiesTree->setColumnWidth(0, kPropertiesColumnWidth);
}
