#pragma once

#include <QMainWindow>
#include <QString>

#include <string>
#include <vector>

#include "app/CustomTreeWidget.h"
#include "dialogs/DihedralDialog.h"
#include "math/UtilityEngine.h"
#include "ui_KestavorGUI.h"
#include "view/GLWidget.h"

class ConsoleWidget;
class CustomDockWidget;
class Molecule;
class PeriodicTableDialog;
class QButtonGroup;
class QCloseEvent;
class QResizeEvent;
class QShowEvent;
class QTreeWidgetItem;
struct FileType;
struct TreeEntry;

// The program's only main window: the form's menus, tool bars and tool buttons, the 3-D view in
// the central widget, the library tabs with their trees, and the Library, Properties and
// Console docks. The window layout is kept in the settings store between runs.
//
// Bodies by topic: construction, settings and quitting (KestavorGUI.cpp); the Window menu, the
// notifications of the view and the docks and the three dialog commands
// (KestavorGUIWindow.cpp); the file, SMILES and selection commands (KestavorGUIFiles.cpp); the
// pick, rotation, measure and edit buttons (KestavorGUIModes.cpp).
class KestavorGUI : public QMainWindow {
  Q_OBJECT

 public:
  // The settings store's names and keys, and the version of the stored dock and tool-bar state.
  static constexpr const char* SettingsOrganisation = "Kestavor INC";
  static constexpr const char* SettingsApplication = "Kestavor";
  static constexpr int WindowStateVersion = 23;

  explicit KestavorGUI(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  // Stores the layout, then frees the view and the periodic table; the console pane goes with
  // its dock, so the console and error lines go back to their default channels first.
  ~KestavorGUI() override;

  Ui_KestavorGUIClass ui;
  GLWidget* glWidget = nullptr;
  CustomTreeWidget* propertiesTree = nullptr;
  CustomTreeWidget* moleculeTree = nullptr;
  CustomTreeWidget* groupTree = nullptr;
  CustomTreeWidget* workSpaceTree = nullptr;
  CustomTreeWidget templateTree;   // shown in the Template page
  ConsoleWidget* console = nullptr;
  CustomDockWidget* libraryDock = nullptr;
  CustomDockWidget* propertiesDock = nullptr;
  CustomDockWidget* consoleDock = nullptr;
  QButtonGroup* pickButtonGroup = nullptr;         // View, Mesh, Piece; exclusive
  QButtonGroup* autoRotateButtonGroup = nullptr;   // AutoX, AutoY, AutoZ; not exclusive
  PeriodicTableDialog* periodicTableDialog = nullptr;
  DihedralDialog dihedralDialog;

  void readSettings();
  // "geometry", "GL/geometry" and "SavedWindowState".
  void writeSettings();
  // Stores the layout and asks "Confirm Quit?"; on Yes tells the event loop to quit and returns
  // true. Asked once per quit: after a Yes it answers true at once.
  bool confirmQuit();
  // The eight measure and edit buttons' shared step, after a click toggled `button`: enters its
  // mode or leaves it (an edit mode only when the view's question was not answered Resume).
  void handleMeasureButton(QToolButton* button);
  // "Create New Workspace?": true only for Yes.
  bool confirmNew();
  // "Apply Twist?": 1 Yes, 0 No, 2 Cancel or closed. Nothing asks it yet.
  int confirmApplyTwist();

  // The line that ends a list load: the molecule count and the time taken, in hours, minutes
  // and seconds.
  static std::string loadTimingLine(size_t molecules, long long milliseconds);
  // The name Save writes: a name without an extension gets the selected filter's ("*.mol"
  // gives ".mol") through the file-type table, ".kv" when the filter names none Save takes.
  static QString savedFileName(const QString& chosen, const QString& selectedFilter);

 signals:
  void emitConsoleString(QString s);

 public slots:
  // No object of the form is called TwistButton: the by-name connection is refused with the
  // class library's warning and the slot stays unconnected.
  void on_TwistButton_clicked();
  void on_actionPeriodic_Table_triggered();
  void on_MoleculeTabWidget_currentChanged(int index);
  void on_PieceButton_clicked();
  void on_ViewButton_clicked();
  void on_MeshButton_clicked();
  void on_AutoZButton_clicked(bool checked);
  void on_AutoYButton_clicked(bool checked);
  void on_AutoXButton_clicked(bool checked);
  void on_MeasureDistanceButton_clicked();
  void on_MeasureAngleButton_clicked();
  void on_MeasureDihedButton_clicked();
  void on_EnergyProfile_clicked();
  void on_EditBondOrder_clicked();
  void Menu_Quit();
  void Menu_ImportOBJ();
  void Menu_ExportOBJ();
  void Menu_ExportPovray();
  void Menu_ExportSavedCameras();
  void Menu_ImportSavedCameras();
  void Menu_EditSettings();
  void Menu_Load();
  void Menu_Save();
  void Menu_New();
  void Menu_Help();
  void Menu_About();
  void Menu_RenderWidgetToggle();
  void Menu_PropertiesWidgetToggle();
  void Menu_LibraryWidgetToggle();
  void Menu_ConsoleWidgetToggle();
  void Menu_ButtonToolbarToggle();
  void Menu_SmilesToolbarToggle();
  void Menu_LoadDirectory();
  void Menu_ExportScreenshot();
  void RenderWidgetClosed();
  // t: the dock's kind, 1 Library, 2 Properties, 3 Console; anything else changes nothing.
  void DockWidgetClosed(int t);
  void PropertiesDockWidgetChangeFloating(bool b);
  void LibraryDockWidgetChangeFloating(bool b);
  void ConsoleDockWidgetChangeFloating(bool b);
  void PickStateChanged(BUTTON_TYPE b);
  void MoleculeCreated(std::string s);
  void MoleculeCreated(Molecule* m);
  void MoleculeSelected(Molecule* m);
  void handleMoleculeListDoubleClick(QTreeWidgetItem* item, int column);

 protected:
  // Closes only after a Yes to the quit question.
  void closeEvent(QCloseEvent* event) override;
  // A window grown larger than its screen is brought back inside it.
  void resizeEvent(QResizeEvent* event) override;
  // The first show of a first start sizes the Library and Properties docks to their texts.
  void showEvent(QShowEvent* event) override;
  // Keeps the Window menu's ticks on what the view, the docks and the tool bars show.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void on_DeleteBButton_clicked();
  void on_MakeAxisButton_clicked();
  void on_DeleteAButton_clicked();
  void on_smilesBox_activated(QString text);
  void on_smileEdit_returnPressed();
  void on_smileButton_clicked();

 private:
  // Steps of the construction.
  void buildCentralView();
  void buildDocks();
  void buildTrees();
  void buildToolBars();
  void connectActions();
  void connectNotifications();
  // Console lines to the pane; error lines to the pane as well as where they went before.
  void installConsole();
  // Cuts every signal that reaches this window from its children and the application, so
  // nothing calls into it while its base class tears the widgets down.
  void detachIncomingSignals();
  // A list tree's double-clicks to the view and its requests to the properties tree.
  void connectListTree(CustomTreeWidget* tree);

  // The loading road (KestavorGUIFiles.cpp). The point 30 units along the eye ray through the
  // centre of the view, where a loaded or typed molecule is placed.
  SSEVector4f placementPoint();
  // A molecule read alone: on screen at the point, a clone in the history, a Work Space item,
  // the console line naming the file's kind.
  void showLoadedMolecule(Molecule* molecule, const SSEVector4f& at, const std::string& kind);
  // The molecules of one file or folder: the first on screen at the point, all in the history,
  // under a folder item of the Work Space; PDB molecules of several parts get part items.
  // `announce` is printed after each molecule when it is not empty.
  void showLoadedList(const std::vector<Molecule*>& molecules, const std::string& folderName,
                      const SSEVector4f& at, bool withParts, const std::string& announce);
  // Each reads the file with the reader of its type's row (io/FileTypes.h). A file of one
  // molecule (mol, own file), named by kind in the console line.
  void loadOneMolecule(const FileType& type, const std::string& path, const SSEVector4f& at,
                       const std::string& kind);
  void loadPdbFile(const FileType& type, const std::string& path, const SSEVector4f& at);
  // SD files (smiles false) and SMILES files. The first molecule goes where the view looks when
  // the reading is done: the user may turn the view meanwhile.
  void loadListFile(const FileType& type, const std::string& path, bool smiles);
  // True, after a console line naming the file being loaded, while a load of many molecules
  // runs: the window answers the user between its molecules, and `command` (New, Open, the
  // folder import, the SMILES entry) would read, build or clear molecules inside it.
  bool refusedDuringLoad(const std::string& command);
  std::string loadingFile;   // the file or folder a load of many molecules reads; empty if none
  // Makes the Work Space tab current, which shows its label rows in the properties. A load
  // does so before its first console line: the line lets the view's next frame take the new
  // molecule, and its rows must not be replaced by the labels afterwards.
  void showWorkSpace();
  // Work Space items: one of the text and entry; a history entry "H<index>#<name>" of the
  // molecule, with a ticked part item per PDB part when it has two or more and withParts.
  static QTreeWidgetItem* workSpaceItem(const std::string& text, const TreeEntry& entry);
  static QTreeWidgetItem* historyEntryItem(const Molecule& molecule, size_t index, bool withParts);

  // Each Window action and the part of the window it shows and hides.
  struct WindowPart {
    QAction* action;
    QWidget* shown;
  };
  std::vector<WindowPart> windowParts() const;
  // Ticks each Window action when its part is not hidden.
  void syncWindowTicks();
  // Makes the window no larger than its screen's available area and moves it inside.
  void fitInsideScreen();
  void arrangeFirstStartDocks();
  // The label column of the properties is as wide as its longest label, 120 pixels at least.
  void fitPropertyLabels();

  bool fitQueued = false;
  bool firstStartLayout = false;   // no stored dock and tool-bar state was restored

  // Save's report of a name it wrote nothing to: a console line and a warning box.
  void refuseSave(const QString& path, const std::string& reason);

  bool quitConfirmed = false;
  ErrorSink previousErrorSink;
};
