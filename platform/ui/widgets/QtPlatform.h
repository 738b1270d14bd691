#pragma once

// Puts the Qt implementations behind the platform/ui seams: message boxes, the mouse pointer,
// the pointer's position, shell open, the screen's twips and its fonts, and what the busy scope
// needs to know of keys and popups. The program calls this once at start-up, after QApplication
// exists.

#include "platform/ui/widgets/QtMessagePresenter.h"

#include <QPixmap>
#include <QPoint>

namespace ui {

void installQtPlatform(HelpOpener openHelp);

// The part of it the busy scope below the windows needs: which key is Esc, and which window a
// popup (a completer's list, a menu, a tool tip) belongs to.
void installBusyScopeRules();

// Makes the real cursor follow the pointer state: one override cursor for the hourglass, the
// no-drop sign and the custom picture; none for the default.
void applyMousePointer(int pointer);

// The picture the custom pointer shows, with its hot spot (a drag icon).
void setCustomMousePointer(const QPixmap& picture, QPoint hotSpot);

}  // namespace ui
