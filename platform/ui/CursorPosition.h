#pragma once

// Where the mouse pointer is, and how screen points map into a window. The program installs a
// source backed by the window system; tests install one with fixed answers.

#include <QPoint>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace ui {

class CursorSource {
 public:
  virtual ~CursorSource() = default;
  // The pointer in screen pixels; nullopt when there is no screen to ask.
  virtual std::optional<QPoint> screenPosition() = 0;
  // A screen point in the client coordinates of the window with this handle; nullopt when there
  // is no such window.
  virtual std::optional<QPoint> toClient(quintptr window, QPoint screen) = 0;
  // Twips per pixel of the screen in x and in y: 1440 / logical DPI (15 at 96 DPI).
  virtual double twipsPerPixelX() = 0;
  virtual double twipsPerPixelY() = 0;
};

// The installed source, or nullptr while none is installed.
CursorSource* cursorSource();
// Installs a source (nullptr removes it) and returns the previous one.
std::unique_ptr<CursorSource> setCursorSource(std::unique_ptr<CursorSource> source);

}  // namespace ui
