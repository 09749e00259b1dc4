#include "dialogs/DialogSupport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include <QtGlobal>

// Outside any namespace, as the macro requires.
static void registerIconResources() { Q_INIT_RESOURCE(icons); }

void initIconResources() {
  static const bool registered = (registerIconResources(), true);
  (void)registered;
}

void keepTitleWhole(QWidget* window) {
  constexpr int kTitleBarFurniture = 150;   // icon, three buttons and their spacing, in pixels
  QFont bold = window->font();
  bold.setBold(true);
  const int title = QFontMetrics(bold).horizontalAdvance(window->windowTitle());
  window->setMinimumWidth(std::max(window->minimumWidth(), title + kTitleBarFurniture));
}

void keepInsideScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = window->frameGeometry(), client = window->geometry();
  const int extraWidth = frame.width() - client.width(), extraHeight = frame.height() - client.height();
  const QSize size = client.size().boundedTo(QSize(area.width() - extraWidth, area.height() - extraHeight));
  if (size != client.size()) window->resize(size);
  const int left = std::max(area.left(), std::min(frame.left(), area.right() + 1 - size.width() - extraWidth));
  const int top = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - size.height() - extraHeight));
  if (left != frame.left() || top != frame.top()) window->move(left, top);
}

QString filterExtension(const QString& filter) {
  const int star = filter.indexOf(QLatin1String("(*."));
  const int close = filter.indexOf(QLatin1Char(')'), star);
  if (star < 0 || close < 0) return QString();
  return filter.mid(star + 2, close - star - 2);
}

QString askSaveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                        const QString& filters) {
  QString chosenFilter;
  const QString chosen =
      QFileDialog::getSaveFileName(parent, caption, proposed, filters, &chosenFilter);
  if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty()) return chosen;
  return chosen + filterExtension(chosenFilter);
}
