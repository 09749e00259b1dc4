#pragma once

#include <QString>
#include <QTextEdit>

#include "math/UtilityEngine.h"

// The console pane: one numbered line per message, the number and ">   " in grey and the text
// in black. A process-wide singleton, so that code without a reference to the main window can
// print to it through UtilityEngine::printToConsole.
class ConsoleWidget : public QTextEdit {
  Q_OBJECT

 public:
  static ConsoleWidget* Instance;   // null until the first instance() call
  // The console, made without a parent on the first call; the Console dock owns it afterwards.
  static ConsoleWidget* instance();
  // A console sink (math/UtilityEngine.h) that prints each line through appendString.
  static ConsoleSink sink();

  ConsoleWidget();
  // The Console dock deletes the pane with the main window; the next instance() makes a new one.
  ~ConsoleWidget() override;

  // Prints one line from a zero-terminated 8-bit string (each byte one character). Lets no
  // events run and does not repaint; the caller does. A null string prints nothing.
  void addString(const char* text);

  int lineCounter = 1;   // the number of the next line; only grows

 public slots:
  // Prints one line, lets pending events run with user input held back, keeps the end of the
  // text in view and repaints at once. A text with line feeds is one numbered line.
  void appendString(QString text);

 private:
  // Inserts the grey number and marker at the end of the text, leaving the text colour black.
  void insertNumber();
};
