#pragma once

// The program's global objects. Start-up creates them, shut-down releases them in a fixed
// order; gErr lives in foundation/cuAppError.h.

#include "catalogue/MainWindowServices.h"
#include "catalogue/cuDAODatabase.h"
#include "catalogue/gRegOptions.h"

#include <QString>
#include <QStringList>

#include <memory>

extern std::unique_ptr<gRegOptions> gOptions;
extern std::unique_ptr<cuDAODatabase> gDB;
// Roots of the CD-ROM drives, in the order the system lists them.
extern QStringList gCDDrives;
// The folder last chosen for a new volume; empty at start.
extern QString gLastReadPath;
extern std::unique_ptr<MainWindowServices> gfrmMain;
