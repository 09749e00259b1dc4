#pragma once

// A mouse move with buttons held, delivered to the widget at once. QTest::mouseMove only moves
// the cursor, so a widget never sees the held buttons that drags and rubber bands need.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace kvtest {

inline void mouseMove(QWidget* widget, QPoint pos, Qt::MouseButtons held) {
  QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, held,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

}  // namespace kvtest
