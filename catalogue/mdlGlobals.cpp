#include "catalogue/mdlGlobals.h"

std::unique_ptr<gRegOptions> gOptions;
std::unique_ptr<cuDAODatabase> gDB;
QStringList gCDDrives;
QString gLastReadPath;
std::unique_ptr<MainWindowServices> gfrmMain;
