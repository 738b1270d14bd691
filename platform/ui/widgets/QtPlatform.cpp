#include "platform/ui/widgets/QtPlatform.h"

#include "platform/ui/MousePointer.h"
#include "platform/ui/ShellOpen.h"
#include "platform/ui/Twips.h"
#include "platform/ui/widgets/QtShellOpener.h"

#include <QCursor>
#include <QGuiApplication>

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
}

}  // namespace ui
