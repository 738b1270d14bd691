#include "foundation/widgets/WindowCommand.h"

#include "foundation/cuAppError.h"
#include "platform/ui/BusyScope.h"

bool RunCommand(const QString& source, const QString& procedure, const std::function<void()>& command,
                const std::function<void()>& cancel) {
  if (ui::BusyScope::active()) return false;
  ui::BusyScope busy(nullptr, cancel);
  try {
    command();
    return true;
  } catch (...) {
    gErr->ErrMsg(source, procedure);
    return false;
  }
}
