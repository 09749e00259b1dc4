#include "app/CustomDockWidget.h"

CustomDockWidget::CustomDockWidget() : QDockWidget(nullptr) {}

void CustomDockWidget::hideEvent(QHideEvent*) { emit hideSignal(type); }
