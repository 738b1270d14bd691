#pragma once

// Start-up and shut-down of the program. The window positions (gFormPos) live in cuFormPos.h.

#include "catalogue/MainWindowServices.h"
#include "foundation/widgets/cuFormPos.h"

#include <functional>
#include <memory>

// Creates and shows the main window (it lives above this layer).
using MainWindowFactory = std::function<std::unique_ptr<MainWindowServices>()>;

// Creates the global objects, shows the main window and opens the first catalogue. False when
// start-up failed: the error was shown, everything released, and the program is to end.
bool Main(const MainWindowFactory& NewMainWindow);

// Unloads every window (newest first, going on past one that stays), releases the globals in
// their fixed order, resets the pointer and ends the event loop. Errors are ignored.
void AppShutdown();
