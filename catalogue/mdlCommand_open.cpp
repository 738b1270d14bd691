#include "catalogue/mdlCommand_open.h"

#include "catalogue/mdlGlobals.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Recordset.h"
#include "platform/runtime/App.h"
#include "platform/ui/MessageBox.h"

#include <limits>

namespace {
const QString kSource = QStringLiteral("mdlCommand");
const QString kCrLf = QStringLiteral("\r\n");

[[noreturn]] void raiseRuntime(int32_t number, const QString& description) {
  throw rt::RaisedError(number, gErr->Projectname(), description);
}

}  // namespace

QString SystemDBPath() { return AddTrailingChar(rt::App::path(), QStringLiteral("/")) + rt::App::exeName() + ".mdw"; }

QString TemplatePath() {
  return AddTrailingChar(rt::App::path(), QStringLiteral("/")) + rt::App::exeName() + QStringLiteral(".") +
         QStringLiteral("db");
}

QString CatalogueStamp() { return XorScramble(QStringLiteral("RZKerbolith"), QStringLiteral("KOV1987")); }

bool DBOpen(const QString& Path, int32_t Exclusive) {
  try {
    if (!gDB) gErr->ErrRaise(-kMsgInitFailed);
    // Only close and keep the path: Init opens it once, in the mode asked for. Opening it here
    // in the previous mode would refuse a shared open after an exclusive session.
    gDB->setDBPathForInit(Path);
    bool ok = false;
    gDB->Init(SystemDBPath(), kCatalogueUser, kCataloguePassword, Exclusive, ok, !gOptions || gOptions->Exclusive());
    if (!ok) gErr->ErrRaise(-kMsgInitFailed);
    if (!VersionCheck(gDB->DB())) {
      gDB->setDBPath(QString());
      return false;
    }
    return true;
  } catch (...) {
    ShowOpenError(Path, rt::currentError());
    try {
      if (gDB) gDB->setDBPath(QString());
    } catch (...) {
    }
    return false;
  }
}

void ShowOpenError(const QString& path, const rt::RaisedError& error) {
  try {
    const QString text = gErr->MsgLoad(kMsgOpenFailed, path, rt::Null) + kCrLf + kCrLf +
                         gErr->MsgLoad(kMsgOpenFailedDetail, QString::number(error.number), error.description);
    gErr->MsgShow(0, ui::kCritical, rt::Null, rt::Null, text);
  } catch (...) {
  }
}

bool VersionCheck(const std::shared_ptr<jet::Database>& db, bool writeGuid) {
  try {
    if (!db) raiseRuntime(rt::kErrNoObject, QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt."));
    const std::shared_ptr<jet::Recordset> rs =
        db->OpenRecordset(QStringLiteral("tblVERSION"), jet::RecordsetType::Table);
    const RecordsetCloser closer(rs);
    if (rs->IsBOF() && rs->IsEOF()) gErr->ErrRaise(-kMsgVersionTableEmpty);
    rs->MoveFirst();
    // A catalogue from elsewhere may hold anything here: a part that is no 32-bit integer makes
    // the versions not comparable, rather than wrapping into an accepted number.
    const auto part = [&rs](const char* name) {
      const rt::Variant v = rs->Fields(QString::fromLatin1(name)).Value();
      if (v.type() != rt::Variant::Type::Long || v.toLong() < std::numeric_limits<int32_t>::min() ||
          v.toLong() > std::numeric_limits<int32_t>::max())
        gErr->ErrRaise(-kMsgVersionCompare);
      return static_cast<int32_t>(v.toLong());
    };
    const int32_t major = part("Major");
    const int32_t minor = part("Minor");
    const int32_t revision = part("Revision");
    const QString version = FormatVersionString(major, minor, revision, false);
    const QString expectedActual = gErr->MsgLoad(kMsgExpectedActual, kCatalogueVersion, version);
    switch (CompareVersionStrings(kCatalogueVersion, version)) {
      case 0:
        break;
      case 1:
        if (gErr->MsgShow(kMsgHigherVersion, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2, db->Name(),
                          expectedActual) == ui::kAnswerNo) {
          return false;
        }
        break;
      case 2:
        gErr->ErrRaise(-kMsgWrongVersion, QString(), QString(), QString(), db->Name(), expectedActual);
        break;
      default:
        gErr->ErrRaise(-kMsgVersionCompare);
    }
    const rt::Variant type = rs->Fields(QStringLiteral("Type")).Value();
    const QString stamp = type.isNull() ? QString() : type.toText();
    if (stamp.compare(CatalogueStamp(), Qt::CaseInsensitive) != 0) gErr->ErrRaise(-kMsgIncompatible);
    jet::Field guid = rs->Fields(QStringLiteral("GUID"));
    if (writeGuid && (guid.Value().isNull() || guid.Value().toText().isEmpty())) {
      rs->Edit();
      guid.SetValue(NewGuidString());
      rs->Update();
    }
    return true;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("VersionCheck"));
  }
}

void TableInfo(int32_t kind, QString& tableName, QString& keyField, bool bracketed) {
  static const struct {
    const char* table;
    const char* key;
  } kTables[] = {{"tblCATEGORIES", "CID"}, {"tblPATHS", "PID"},     {"tblVOLUMES", "VID"},
                 {"tblFILES", "FID"},      {"tblLOCATIONS", "LID"}, {"tblICONS", "IID"}};
  tableName.clear();
  keyField.clear();
  if (kind < 0 || kind >= static_cast<int32_t>(std::size(kTables))) return;
  tableName = QString::fromLatin1(kTables[kind].table);
  keyField = QString::fromLatin1(kTables[kind].key);
  if (bracketed) {
    tableName = EncloseIn(tableName, QStringLiteral("[]"));
    keyField = EncloseIn(keyField, QStringLiteral("[]"));
  }
}

int32_t NewKey(int32_t kind) {
  try {
    if (!gDB || !gDB->DB())
      raiseRuntime(rt::kErrNoObject, QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt."));
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("NewKey"));
  }
  return NewKey(*gDB->DB(), kind);
}

int32_t NewKey(jet::Database& db, int32_t kind) {
  try {
    QString t, k;
    TableInfo(kind, t, k, true);
    if (t.isEmpty())
      raiseRuntime(rt::kErrInvalidArgument, QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument."));
    const QString sql = QStringLiteral("SELECT Max(") + t + "." + k + QStringLiteral(") AS [TempSchlüssel] FROM ") + t +
                        QStringLiteral(" ORDER BY Last(") + t + "." + k + QStringLiteral(");");
    rt::Variant largest;
    {
      const std::shared_ptr<jet::Recordset> rs = db.OpenRecordset(sql, jet::RecordsetType::Snapshot);
      const RecordsetCloser closer(rs);
      largest = rs->Fields(QStringLiteral("TempSchlüssel")).Value();
    }
    if (largest.isNull()) return 1;
    const int64_t next = largest.toLong() + 1;
    if (next > std::numeric_limits<int32_t>::max()) raiseRuntime(rt::kErrOverflow, QStringLiteral("Überlauf."));
    return static_cast<int32_t>(next);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("NewKey"));
  }
}
