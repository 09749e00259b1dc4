#include "app/ConsoleWidget.h"

#include <QColor>
#include <QTextCursor>

namespace {

const QColor kNumberColour(127, 127, 127, 255);
const QColor kTextColour(0, 0, 0, 255);

}  // namespace

ConsoleWidget* ConsoleWidget::Instance = nullptr;

ConsoleWidget* ConsoleWidget::instance() {
  if (Instance == nullptr) Instance = new ConsoleWidget();
  return Instance;
}

ConsoleSink ConsoleWidget::sink() {
  return [](const std::string& line) { instance()->appendString(QString::fromStdString(line)); };
}

ConsoleWidget::ConsoleWidget() : QTextEdit(nullptr) {}

ConsoleWidget::~ConsoleWidget() {
  if (Instance == this) Instance = nullptr;
}

void ConsoleWidget::insertNumber() {
  // Always at the end: a click in the pane moves the text cursor, and a line inserted there
  // would split an older one.
  moveCursor(QTextCursor::End);
  setTextColor(kNumberColour);
  insertPlainText(QString::number(lineCounter) + ">   ");
  setTextColor(kTextColour);
}

void ConsoleWidget::appendString(QString text) {
  insertNumber();
  insertPlainText(text + "\n");
  ++lineCounter;
  // Progress shows line by line during long loads; a click meanwhile waits for the load to end.
  processPendingEvents();
  moveCursor(QTextCursor::End);
  repaint();
}

void ConsoleWidget::addString(const char* text) {
  if (text == nullptr) return;
  insertNumber();
  insertPlainText(QString::fromLatin1(text));
  append(QString());
  ++lineCounter;
}
