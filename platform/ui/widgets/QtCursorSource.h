#pragma once

// The window system's pointer and windows behind the cursor-position seam.

#include "platform/ui/CursorPosition.h"

namespace ui {

class QtCursorSource : public CursorSource {
 public:
  std::optional<QPoint> screenPosition() override;
  std::optional<QPoint> toClient(quintptr window, QPoint screen) override;
  double twipsPerPixelX() override;
  double twipsPerPixelY() override;
};

}  // namespace ui
