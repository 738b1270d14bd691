#pragma once

// The application-wide mouse pointer is one state, not a stack, and the one owner of what the
// screen shows as the pointer: 0 default, 11 hourglass, 12 no-drop sign, 99 the custom
// picture the window layer was given (a drag icon).

#include <functional>

namespace ui {

inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;
inline constexpr int kPointerNoDrop = 12;
inline constexpr int kPointerCustom = 99;

int mousePointer();
void setMousePointer(int pointer);

// The window layer installs the hook that changes the real cursor.
void setMousePointerHook(std::function<void(int)> hook);

// The hourglass for the lifetime of a scope: a long operation shows it and goes back to the
// default pointer at its end, also when an error ends it.
class HourglassScope {
 public:
  HourglassScope() { setMousePointer(kPointerHourglass); }
  ~HourglassScope() {
    if (!ended_) setMousePointer(kPointerDefault);
  }
  HourglassScope(const HourglassScope&) = delete;
  HourglassScope& operator=(const HourglassScope&) = delete;

  // The default pointer before the scope ends, e.g. for the operation's closing message.
  void end() {
    ended_ = true;
    setMousePointer(kPointerDefault);
  }

 private:
  bool ended_ = false;
};

}  // namespace ui
