#include "foundation/mdlMCI.h"

#include "platform/ui/CdTray.h"

void CDTrayOpen(const QString& drive) { ui::cdTray().move(drive, ui::TrayAction::Open); }

void CDTrayClose(const QString& drive) { ui::cdTray().move(drive, ui::TrayAction::Close); }
