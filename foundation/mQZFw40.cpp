#include "foundation/mQZFw40.h"

#include "platform/ui/MessagePump.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <thread>

void Wait(int32_t ms, bool pump) {
  if (ms <= 0) return;
  try {
    if (!pump) {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      return;
    }
    // A monotonic clock: neither midnight nor a change of the system time disturbs the wait.
    QElapsedTimer clock;
    clock.start();
    constexpr qint64 kStepMs = 5;
    while (clock.elapsed() < ms) {
      ui::pumpMessages();
      const qint64 left = ms - clock.elapsed();
      if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kStepMs)));
    }
  } catch (...) {
    // A wait has nothing to report; an error in a handler run by the pump ends it early.
  }
}
