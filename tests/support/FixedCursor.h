#pragma once

// A mouse pointer at a set place (or none), one window with a set origin, and set twips per
// pixel.

#include "platform/ui/CursorPosition.h"

#include <optional>

class FixedCursor : public ui::CursorSource {
 public:
  FixedCursor() = default;
  explicit FixedCursor(std::optional<QPoint> at) : pos(at) {}

  std::optional<QPoint> pos;
  quintptr window = 7;
  QPoint windowOrigin{40, 10};
  double twipsX = 15, twipsY = 15;

  std::optional<QPoint> screenPosition() override { return pos; }
  std::optional<QPoint> toClient(quintptr w, QPoint p) override {
    if (w != window) return std::nullopt;
    return p - windowOrigin;
  }
  double twipsPerPixelX() override { return twipsX; }
  double twipsPerPixelY() override { return twipsY; }
};
