// Distances, angles and dihedral angles between the atoms picked in the measure modes.
#include "view/GLWidget.h"

// Picking atoms for a measurement is not built yet, so no mesh holds points to measure.
void GLWidget::calculateDistance() {}
void GLWidget::calculateAngle() {}
void GLWidget::calculateDihed() {}
