#pragma once

// Finds the texts a window shows cut: every label, button, group-box title, tab and header
// section of a window and its children whose text, measured with the widget's own font, is
// wider (or, for labels, higher) than the part of the widget that is on screen. Each finding is
// one line naming the widget, its text and the pixels it needs and has, so a failing test says
// what to widen. Hidden widgets and widgets without text are skipped.

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>

#include <algorithm>
#include <string>
#include <vector>

namespace kvtest {

namespace wholetexts {

inline std::string describe(const QWidget* w, const QString& text, int needs, int has) {
  QString plain = text;
  plain.replace('\n', "\\n");
  return std::string(w->metaObject()->className()) + " " + w->objectName().toStdString() +
         " '" + plain.toStdString() + "': needs " + std::to_string(needs) + ", has " +
         std::to_string(has);
}

// The part of the widget that its ancestors up to its window leave on screen, in its own
// coordinates.
inline QRect shownRect(const QWidget* w) {
  QRect shown = w->rect();
  QPoint offset(0, 0);   // w's origin in the current ancestor's coordinates
  const QWidget* child = w;
  while (!child->isWindow() && child->parentWidget() != nullptr) {
    offset += child->pos();
    const QWidget* parent = child->parentWidget();
    shown &= parent->rect().translated(-offset);
    child = parent;
  }
  return shown;
}

// Text without the mnemonic marks, as it is drawn.
inline QString drawnText(QString text) {
  text.replace(QLatin1String("&&"), QLatin1String("\x01"));
  text.remove('&');
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

inline void checkLabel(const QLabel* label, std::vector<std::string>& cut) {
  const QString text = label->text();
  if (text.isEmpty() || Qt::mightBeRichText(text) || label->textFormat() == Qt::RichText) return;
  const QRect area = label->contentsRect()
                         .adjusted(label->margin(), label->margin(), -label->margin(),
                                   -label->margin()) &
                     shownRect(label);
  const QFontMetrics fm = label->fontMetrics();
  const QString drawn = label->buddy() != nullptr ? drawnText(text) : text;
  const QRect needed =
      label->wordWrap()
          ? fm.boundingRect(QRect(0, 0, std::max(area.width(), 1), 100000),
                            Qt::TextWordWrap | static_cast<int>(label->alignment()), drawn)
          : fm.boundingRect(QRect(0, 0, 100000, 100000), 0, drawn);
  if (needed.width() > area.width())
    cut.push_back(describe(label, text, needed.width(), area.width()));
  else if (needed.height() > area.height())
    cut.push_back(describe(label, text, needed.height(), area.height()) + " (height)");
}

inline void checkButton(const QAbstractButton* button, std::vector<std::string>& cut) {
  const QString text = drawnText(button->text());
  if (text.isEmpty()) return;
  const QRect shown = shownRect(button);
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  option.icon = button->icon();
  option.iconSize = button->iconSize();
  int needs = button->fontMetrics().horizontalAdvance(text);
  QRect room = shown;
  if (qobject_cast<const QCheckBox*>(button) != nullptr) {
    room &= button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
  } else if (qobject_cast<const QRadioButton*>(button) != nullptr) {
    room &= button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
  } else if (qobject_cast<const QPushButton*>(button) != nullptr) {
    room &= button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    if (!button->icon().isNull()) needs += button->iconSize().width() + 4;
  } else if (const auto* tool = qobject_cast<const QToolButton*>(button)) {
    if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull()) return;
    if (tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon && !tool->icon().isNull())
      needs += tool->iconSize().width() + 4;
  }
  if (needs > room.width()) cut.push_back(describe(button, text, needs, room.width()));
}

inline void checkGroupBox(const QGroupBox* box, std::vector<std::string>& cut) {
  if (box->title().isEmpty()) return;
  QStyleOptionGroupBox option;
  option.initFrom(box);
  option.text = box->title();
  option.lineWidth = 1;
  option.midLineWidth = 0;
  option.textAlignment = box->alignment();
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  if (box->isCheckable()) option.subControls |= QStyle::SC_GroupBoxCheckBox;
  const QRect label =
      box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
  const int needs = box->fontMetrics().horizontalAdvance(drawnText(box->title()));
  const int has = (label & shownRect(box)).width();
  if (needs > has) cut.push_back(describe(box, box->title(), needs, has));
}

inline void checkTabBar(const QTabBar* bar, std::vector<std::string>& cut) {
  const bool vertical = bar->shape() == QTabBar::RoundedWest || bar->shape() == QTabBar::RoundedEast ||
                        bar->shape() == QTabBar::TriangularWest ||
                        bar->shape() == QTabBar::TriangularEast;
  const QRect shown = shownRect(bar);
  for (int i = 0; i < bar->count(); ++i) {
    const QString text = drawnText(bar->tabText(i));
    if (text.isEmpty() || !bar->isTabVisible(i)) continue;
    QStyleOptionTab option;
    option.initFrom(bar);
    option.text = text;
    option.shape = bar->shape();
    const int space = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, bar);
    const int needs = bar->fontMetrics().horizontalAdvance(text) + space;
    const QRect tab = bar->tabRect(i) & shown;
    const int has = vertical ? tab.height() : tab.width();
    if (needs > has) cut.push_back(describe(bar, text, needs, has));
  }
}

inline void checkHeader(const QHeaderView* header, std::vector<std::string>& cut) {
  const QAbstractItemModel* model = header->model();
  if (model == nullptr || header->orientation() != Qt::Horizontal) return;
  const QRect shown = shownRect(header) & header->viewport()->geometry();
  const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  for (int section = 0; section < header->count(); ++section) {
    if (header->isSectionHidden(section)) continue;
    const QString text = model->headerData(section, Qt::Horizontal).toString();
    if (text.isEmpty()) continue;
    const QVariant font = model->headerData(section, Qt::Horizontal, Qt::FontRole);
    const QFontMetrics fm(font.isValid() ? font.value<QFont>() : header->font());
    const int needs = fm.horizontalAdvance(text) + 2 * margin;
    const int x = header->sectionViewportPosition(section) + header->viewport()->x();
    const QRect place = QRect(x, 0, header->sectionSize(section), header->height()) & shown;
    if (needs > place.width()) cut.push_back(describe(header, text, needs, place.width()));
  }
}

}  // namespace wholetexts

// One line per cut text of the window and its visible children.
inline std::vector<std::string> cutTexts(const QWidget* window) {
  using namespace wholetexts;
  std::vector<std::string> cut;
  std::vector<const QWidget*> widgets{window};
  for (const QWidget* child : window->findChildren<QWidget*>()) widgets.push_back(child);
  for (const QWidget* w : widgets) {
    if (!w->isVisible()) continue;
    if (const auto* label = qobject_cast<const QLabel*>(w))
      checkLabel(label, cut);
    else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
      checkButton(button, cut);
    else if (const auto* box = qobject_cast<const QGroupBox*>(w))
      checkGroupBox(box, cut);
    else if (const auto* bar = qobject_cast<const QTabBar*>(w))
      checkTabBar(bar, cut);
    else if (const auto* header = qobject_cast<const QHeaderView*>(w))
      checkHeader(header, cut);
  }
  return cut;
}

// The rows of a tree's column whose text is wider than the part of the column on screen.
inline std::vector<std::string> cutColumn(const QTreeView* tree, int column) {
  std::vector<std::string> cut;
  const QAbstractItemModel* model = tree->model();
  const QRect viewport = tree->viewport()->rect();
  const int margin = tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
  for (int row = 0; row < model->rowCount(); ++row) {
    const QModelIndex index = model->index(row, column);
    const QString text = index.data().toString();
    if (text.isEmpty()) continue;
    const QVariant font = index.data(Qt::FontRole);
    const QFontMetrics fm(font.isValid() ? font.value<QFont>() : tree->font());
    const QRect cell = tree->visualRect(index) & viewport;
    const int needs = fm.horizontalAdvance(text) + 2 * margin;
    if (needs > cell.width()) cut.push_back(wholetexts::describe(tree, text, needs, cell.width()));
  }
  return cut;
}

// The window's frame lies inside the available area of its screen.
inline bool insideScreen(const QWidget* window) {
  const QScreen* screen = window->screen();
  return screen != nullptr && screen->availableGeometry().contains(window->frameGeometry());
}

}  // namespace kvtest
