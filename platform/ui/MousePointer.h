#pragma once

// The application-wide mouse pointer is one state, not a stack: 0 default, 11 hourglass.

#include <functional>

namespace ui {

inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

int mousePointer();
void setMousePointer(int pointer);

// The window layer installs the hook that changes the real cursor.
void setMousePointerHook(std::function<void(int)> hook);

// Sets the hourglass for its lifetime and resets the pointer to default when it ends.
class BusyPointer {
 public:
  BusyPointer() { setMousePointer(kPointerHourglass); }
  ~BusyPointer() { setMousePointer(kPointerDefault); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace ui
