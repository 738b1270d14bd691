#include "platform/ui/widgets/QtCursorSource.h"

#include "platform/ui/Twips.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWindow>

namespace ui {

std::optional<QPoint> QtCursorSource::screenPosition() {
  if (!QGuiApplication::primaryScreen()) return std::nullopt;
  return QCursor::pos();
}

std::optional<QPoint> QtCursorSource::toClient(quintptr window, QPoint screen) {
  for (QWindow* w : QGuiApplication::allWindows())
    if (w->handle() && w->winId() == window) return w->mapFromGlobal(screen);
  return std::nullopt;
}

double QtCursorSource::twipsPerPixelX() { return ui::twipsPerPixelX(); }
double QtCursorSource::twipsPerPixelY() { return ui::twipsPerPixelY(); }

}  // namespace ui
