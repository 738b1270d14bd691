#pragma once

// Reaching the modal windows a command opens, and typing into them.

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Runs act on the modal window of that class as soon as it is shown (checked every 10 ms, for
// at most a minute).
template <class W>
void whenModal(std::function<void(W&)> act) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
    if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(*w);
    } else if (++*tries > 6000) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(10);
}

// Key presses for each character, also for those no key of the test keyboard carries.
inline void typeText(QWidget* w, const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() < 128)
      QTest::keyClick(w, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}
