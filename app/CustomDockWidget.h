#pragma once

#include <QDockWidget>

class QHideEvent;

// The dock of the Library, Properties and Console panes. It tells the main window when it is
// hidden, so that the Window menu's check marks follow the docks.
class CustomDockWidget : public QDockWidget {
  Q_OBJECT

 public:
  CustomDockWidget();

  int type = 1;   // which dock: 1 Library, 2 Properties, 3 Console; set by the main window

 signals:
  void hideSignal(int type);

 protected:
  // Emits hideSignal(type) in place of the base handling.
  void hideEvent(QHideEvent* event) override;
};
