#include "platform/ui/CursorPosition.h"

namespace ui {

namespace {
std::unique_ptr<CursorSource>& slot() {
  static std::unique_ptr<CursorSource> s;
  return s;
}
}  // namespace

CursorSource* cursorSource() { return slot().get(); }

std::unique_ptr<CursorSource> setCursorSource(std::unique_ptr<CursorSource> source) {
  std::unique_ptr<CursorSource> old = std::move(slot());
  slot() = std::move(source);
  return old;
}

}  // namespace ui
