#include "foundation/widgets/WindowCommand.h"

#include "foundation/cuAppError.h"
#include "platform/ui/BusyScope.h"

bool RunCommand(const QString& source, const QString& procedure, const std::function<void()>& command,
                const std::function<void()>& cancel, QObject* window) {
  if (ui::BusyScope::active() && !ui::BusyScope::isOwnDialog(window)) return false;
  ui::BusyScope busy(window, cancel);
  try {
    command();
    return true;
  } catch (...) {
    gErr->ErrMsg(source, procedure);
    return false;
  }
}
