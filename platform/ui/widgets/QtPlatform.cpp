#include "platform/ui/widgets/QtPlatform.h"

#include "platform/ui/BusyScope.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/QtShellOpener.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>

namespace ui {

void applyMousePointer(int pointer) {
  if (pointer == kPointerHourglass) {
    if (QGuiApplication::overrideCursor())
      QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
    else
      QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    return;
  }
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void installQtPlatform(HelpOpener openHelp) {
  setPresenter(std::make_unique<QtMessagePresenter>(std::move(openHelp)));
  setMousePointerHook(&applyMousePointer);
  setShellOpener(std::make_unique<QtShellOpener>());
  setTwipsSource(screenTwipsSource());
  // Key codes live in QtGui, so the busy scope below the windows learns here what Esc is.
  setEscapeKeyTest([](const QEvent& e) {
    return (e.type() == QEvent::KeyPress || e.type() == QEvent::KeyRelease || e.type() == QEvent::ShortcutOverride) &&
           static_cast<const QKeyEvent&>(e).key() == Qt::Key_Escape;
  });
}

}  // namespace ui
