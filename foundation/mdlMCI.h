#pragma once

// Opening and closing the tray of an optical drive.

#include <QString>

// drive: the mount point of the drive's disc, its device node, or empty for the first optical
// drive. Any failure (no such drive, no tray, a busy disc) is ignored.
void CDTrayOpen(const QString& drive);
void CDTrayClose(const QString& drive);
