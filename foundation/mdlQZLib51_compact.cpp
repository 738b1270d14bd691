#include "foundation/mdlQZLib51_compact.h"

#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_libmsg.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Engine.h"
#include "platform/jet/JetError.h"
#include "platform/runtime/FileReplacement.h"
#include "platform/runtime/RaisedError.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSource = QStringLiteral("mdlLib");
constexpr double kReserve = 1048576.0;
// The drive whose free space is tested; "" for a share of another computer (not tested).
QString driveToTest(const QString& dbPath) {
  if (IsUncPath(dbPath) && GetUncServerName(dbPath).compare(GetComputerNameText(), Qt::CaseInsensitive) != 0)
    return QString();
  return GetDriveSpec(dbPath);
}

}  // namespace

CompactionSteps defaultCompactionSteps() {
  return {
      [](const QString& drive) { return GetDiskFreeSpaceValue(drive, 0); },
      [](const QString& source, const QString& target, const std::function<void()>& place) {
        jet::Engine::DBEngine().CompactDatabase(source, target, place);
      },
      rt::renameDurably,
  };
}

QString CompactDatabaseFile(const QString& dbPath, const QString& tempName) {
  return CompactDatabaseFile(dbPath, tempName, defaultCompactionSteps());
}

QString CompactDatabaseFile(const QString& dbPath, const QString& tempName, const CompactionSteps& steps) {
  const QString db = IsUncPath(dbPath) ? dbPath : QFileInfo(dbPath).absoluteFilePath();
  const QString tempPath = GetFolderPart(db, false, true) + tempName;
  const bool existed = FileExists(db);
  try {
    if (!existed) throw rt::RaisedError(jet::err::kFileNotFound, kSource, jet::errorText(jet::err::kFileNotFound, db));
    const double need = static_cast<double>(QFileInfo(db).size()) + kReserve;
    const QString drive = driveToTest(db);
    if (!drive.isEmpty()) {
      const double free = steps.freeSpace(drive);
      if (free != 0 && free <= need) return LibMessage(kLibMsgNoSpace, drive, FormatFileSize(need, 4, 1));
    }
    if (QFileInfo::exists(tempPath))
      return QStringLiteral("Die Temp-Datei '") + tempPath + QStringLiteral("' existiert bereits.") + kCrLf +
             QStringLiteral("Bitte manuell löschen!");
    // The copy takes the catalogue's place before the engine lets go of it: a program that
    // opened the old file in between would write into a file about to be replaced.
    steps.compact(db, tempPath, [&] { steps.replace(tempPath, db); });
    return QString();
  } catch (...) {
    const QString description = rt::currentError().description;
    const bool dbThere = QFileInfo::exists(db);
    const bool tempThere = QFileInfo::exists(tempPath);
    if (!dbThere && tempThere) {
      // The copy is complete when the replace step fails; it takes the database's place.
      try {
        rt::renameDurably(tempPath, db);
      } catch (const rt::RaisedError& e) {
        // The catalogue lives on under the temporary name the user is shown here.
        return description + kCrLf + e.description;
      }
      return description;
    }
    if (!dbThere && !tempThere) {
      // Only a file that was there at the start can have been lost on the way.
      return existed ? description + kCrLf + LibMessage(kLibMsgDatabaseLost, db) : description;
    }
    if (tempThere) QFile::remove(tempPath);
    return description;
  }
}
