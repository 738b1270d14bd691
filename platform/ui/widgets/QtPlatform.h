#pragma once

// Puts the Qt implementations behind the platform/ui seams: message boxes, the mouse pointer,
// the pointer's position, shell open, the screen's twips and its fonts. The program calls this once at start-up, after
// QApplication exists.

#include "platform/ui/widgets/QtMessagePresenter.h"

#include <QPixmap>
#include <QPoint>

namespace ui {

void installQtPlatform(HelpOpener openHelp);

// Makes the real cursor follow the pointer state: one override cursor for the hourglass, the
// no-drop sign and the custom picture; none for the default.
void applyMousePointer(int pointer);

// The picture the custom pointer shows, with its hot spot (a drag icon).
void setCustomMousePointer(const QPixmap& picture, QPoint hotSpot);

}  // namespace ui
