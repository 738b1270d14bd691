#pragma once

// Answers the modal windows a command opens, one after the other: each step gets the next
// modal window that comes up (checked by its object name) and acts on it. Steps left over
// when the script ends are failures.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

// A program shut down by an earlier test of the same process asked the event loop to end, and
// every nested loop (a modal window's exec) would then end at once: one round through the
// application's own loop clears that request.
inline void reopenEventLoops() {
  QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

class ModalScript {
 public:
  ModalScript() {
    reopenEventLoops();
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }
  ~ModalScript() {
    timer_.stop();
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " modal window(s) never came, the first "
                                << steps_.front().name.toStdString();
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  // The next modal window must be named name; act runs on it.
  ModalScript& then(const QString& name, std::function<void(QWidget*)> act) {
    steps_.push_back({name, std::move(act)});
    return *this;
  }
  bool done() const { return steps_.empty(); }

 private:
  struct Step {
    QString name;
    std::function<void(QWidget*)> act;
  };
  void poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last_ || steps_.empty() || !modal->isVisible()) return;
    last_ = modal;
    Step step = std::move(steps_.front());
    steps_.pop_front();
    EXPECT_EQ(modal->objectName(), step.name);
    // The step may open windows of its own: run it outside this timer's slot.
    QTimer::singleShot(0, modal, [modal, act = std::move(step.act)] { act(modal); });
  }

  QTimer timer_;
  std::deque<Step> steps_;
  QPointer<QWidget> last_;
};
