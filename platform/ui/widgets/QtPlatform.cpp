#include "platform/ui/widgets/QtPlatform.h"

#include "platform/ui/BusyScope.h"
#include "platform/ui/FontFamilies.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/QtCursorSource.h"
#include "platform/ui/widgets/QtShellOpener.h"

#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>

namespace ui {

namespace {

QCursor& customCursor() {
  static QCursor cursor;
  return cursor;
}

}  // namespace

void applyMousePointer(int pointer) {
  QCursor cursor;
  switch (pointer) {
    case kPointerHourglass:
      cursor = QCursor(Qt::WaitCursor);
      break;
    case kPointerNoDrop:
      cursor = QCursor(Qt::ForbiddenCursor);
      break;
    case kPointerCustom:
      cursor = customCursor();
      break;
    default:
      while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
      return;
  }
  if (QGuiApplication::overrideCursor())
    QGuiApplication::changeOverrideCursor(cursor);
  else
    QGuiApplication::setOverrideCursor(cursor);
}

void setCustomMousePointer(const QPixmap& picture, QPoint hotSpot) {
  customCursor() = QCursor(picture, hotSpot.x(), hotSpot.y());
  if (mousePointer() == kPointerCustom) applyMousePointer(kPointerCustom);
}

void installBusyScopeRules() {
  // Key codes live in QtGui and widgets in QtWidgets, so the busy scope learns here what Esc and
  // a popup are.
  setEscapeKeyTest([](const QEvent& e) {
    return (e.type() == QEvent::KeyPress || e.type() == QEvent::KeyRelease || e.type() == QEvent::ShortcutOverride) &&
           static_cast<const QKeyEvent&>(e).key() == Qt::Key_Escape;
  });
  setPopupOwner([](const QObject& o) -> QObject* {
    if (!o.isWidgetType()) return nullptr;
    const auto& w = static_cast<const QWidget&>(o);
    if (!w.isWindow() || (w.windowType() != Qt::Popup && w.windowType() != Qt::ToolTip)) return nullptr;
    // A completer's list has no parent; it hands its focus to the box it completes.
    QWidget* proxy = w.focusProxy();
    if (proxy && proxy != &w && !w.isAncestorOf(proxy)) return proxy;
    return w.parentWidget();
  });
}

void installQtPlatform(HelpOpener openHelp) {
  setPresenter(std::make_unique<QtMessagePresenter>(std::move(openHelp)));
  setMousePointerHook(&applyMousePointer);
  setShellOpener(std::make_unique<QtShellOpener>());
  setTwipsSource(screenTwipsSource());
  setCursorSource(std::make_unique<QtCursorSource>());
  setFontFamiliesSource([] { return QFontDatabase::families(); });
  installBusyScopeRules();
}

}  // namespace ui
