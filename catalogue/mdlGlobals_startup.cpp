#include "catalogue/mdlGlobals_startup.h"

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "platform/runtime/App.h"
#include "platform/volumes/VolumeSystem.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
const QString kModule = QStringLiteral("mdlGlobals");
}

QString GetCommandLineFile() { return GetCommandLineFile(QCoreApplication::arguments()); }

QString GetCommandLineFile(const QStringList& arguments) {
  // The shell has split and unquoted the arguments already; splitting the joined line again
  // would break quoted paths.
  if (arguments.size() < 2) return QString();
  const QString candidate = arguments.at(1);
  if (!candidate.contains(QLatin1Char('/'))) return QString();
  if (!FileExists(candidate)) return QString();
  return QFileInfo(candidate).absoluteFilePath();
}

void CheckFiles() {
  try {
    const QString path = SystemDBPath();
    if (!FileExists(path))
      gErr->ErrRaise(-kMsgRequiredFileMissing, QString(), QString(), QString(), path, gErr->AppName());
  } catch (...) {
    gErr->ErrReRaise(kModule, QStringLiteral("CheckFiles"));
  }
}

void CDCollection() {
  try {
    gCDDrives.clear();
    for (const volumes::OpticalDrive& d : volumes::VolumeSystem().opticalDrives())
      gCDDrives.append(d.root.isEmpty() ? d.device : d.root);
  } catch (...) {
    gErr->ErrReRaise(kModule, QStringLiteral("CDCollection"));
  }
}
