// The main window's file, SMILES and selection commands. They are connected when the window is
// built; the loading, saving and selection work is not written yet, so they do nothing so far.
#include "app/KestavorGUI.h"

void KestavorGUI::Menu_Load() {}
void KestavorGUI::Menu_LoadDirectory() {}
void KestavorGUI::Menu_Save() {}
void KestavorGUI::Menu_ExportScreenshot() {}
void KestavorGUI::Menu_ExportPovray() {}
void KestavorGUI::Menu_ImportOBJ() {}
void KestavorGUI::Menu_ExportOBJ() {}
void KestavorGUI::Menu_ExportSavedCameras() {}
void KestavorGUI::Menu_ImportSavedCameras() {}
void KestavorGUI::Menu_New() {}
void KestavorGUI::Menu_Help() {}

void KestavorGUI::on_smilesBox_activated(QString) {}
void KestavorGUI::on_smileEdit_returnPressed() {}
void KestavorGUI::on_smileButton_clicked() {}

void KestavorGUI::on_MoleculeTabWidget_currentChanged(int) {}
void KestavorGUI::MoleculeCreated(std::string) {}
void KestavorGUI::MoleculeCreated(Molecule*) {}
void KestavorGUI::MoleculeSelected(Molecule*) {}
void KestavorGUI::handleMoleculeListDoubleClick(QTreeWidgetItem*, int) {}
