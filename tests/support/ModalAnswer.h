#pragma once

// Answers the next modal window from inside its own event loop: a short timer waits for
// QApplication::activeModalWidget() and hands it to `answer`, which must close it. Arm it just
// before the call that runs the modal loop.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kvtest {

inline void answerNextModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    timer->stop();
    timer->deleteLater();
    answer(modal);
  });
  timer->start();
}

// The same for the next message box only: modal windows of other kinds (a file dialog another
// answer is waiting for) are left alone.
inline void answerNextMessageBox(std::function<void(QMessageBox*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    timer->stop();
    timer->deleteLater();
    answer(box);
  });
  timer->start();
}

}  // namespace kvtest
