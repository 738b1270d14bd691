#include "platform/ui/BusyScope.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records every event type that reaches it.
class Receiver : public QObject {
 public:
  using QObject::QObject;
  bool event(QEvent* e) override {
    seen.push_back(e->type());
    return true;
  }
  std::vector<QEvent::Type> seen;
};

// Without a GUI the scope still judges events by type and by the receiver's parent chain.
TEST(BusyScopeCore, InputReachesOnlyTheAllowedObjectsOtherEventsPass) {
  QObject window;
  Receiver inside(&window);
  Receiver outside;
  const QEvent::Type input[] = {QEvent::MouseButtonPress, QEvent::Wheel,       QEvent::KeyPress,
                                QEvent::Shortcut,         QEvent::ContextMenu, QEvent::Drop};
  {
    ui::BusyScope busy(&window);
    for (QEvent::Type t : input) {
      QEvent a(t), b(t);
      QCoreApplication::sendEvent(&inside, &a);
      QCoreApplication::sendEvent(&outside, &b);
    }
    QEvent user(QEvent::User);
    QCoreApplication::sendEvent(&outside, &user);
  }
  EXPECT_EQ(inside.seen.size(), std::size(input));
  EXPECT_EQ(outside.seen, std::vector<QEvent::Type>{QEvent::User});
  QEvent press(QEvent::MouseButtonPress);
  QCoreApplication::sendEvent(&outside, &press);
  EXPECT_EQ(outside.seen.back(), QEvent::MouseButtonPress);
}

}  // namespace
