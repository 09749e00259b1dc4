// The main window's pick, automatic rotation, measure and edit buttons. They are connected when
// the window is built; the modes are not written yet, so the buttons only toggle so far.
#include "app/KestavorGUI.h"

void KestavorGUI::on_ViewButton_clicked() {}
void KestavorGUI::on_MeshButton_clicked() {}
void KestavorGUI::on_PieceButton_clicked() {}
void KestavorGUI::PickStateChanged(BUTTON_TYPE) {}

void KestavorGUI::on_AutoXButton_clicked(bool) {}
void KestavorGUI::on_AutoYButton_clicked(bool) {}
void KestavorGUI::on_AutoZButton_clicked(bool) {}

void KestavorGUI::on_MeasureDistanceButton_clicked() {}
void KestavorGUI::on_MeasureAngleButton_clicked() {}
void KestavorGUI::on_MeasureDihedButton_clicked() {}
void KestavorGUI::on_EnergyProfile_clicked() {}
void KestavorGUI::on_EditBondOrder_clicked() {}
void KestavorGUI::on_DeleteAButton_clicked() {}
void KestavorGUI::on_MakeAxisButton_clicked() {}
void KestavorGUI::on_DeleteBButton_clicked() {}
