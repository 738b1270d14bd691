#include "platform/ui/MousePointer.h"

namespace ui {

namespace {
int gPointer = kPointerDefault;
std::function<void(int)>& hook() {
  static std::function<void(int)> h;
  return h;
}
}  // namespace

int mousePointer() { return gPointer; }

void setMousePointer(int pointer) {
  if (pointer == gPointer) return;
  gPointer = pointer;
  if (hook()) hook()(pointer);
}

void setMousePointerHook(std::function<void(int)> h) { hook() = std::move(h); }

}  // namespace ui
