#include "platform/ui/MessagePump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace ui {

void pumpMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void pumpMessagesThrottled() {
  static QElapsedTimer timer;
  if (timer.isValid() && timer.elapsed() < 30) return;
  timer.start();
  pumpMessages();
}

}  // namespace ui
