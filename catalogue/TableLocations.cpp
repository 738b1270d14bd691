#include "catalogue/TableLocations.h"

#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/TransactionScope.h"

namespace {

const QString kTable = QStringLiteral("tblLOCATIONS");

rt::Variant descriptionValue(const QString& text) { return text.isEmpty() ? rt::Variant() : rt::Variant(text); }

}  // namespace

std::vector<LocationRow> LocationRows(jet::Database& db, LocationOrder order) {
  const QString sort = order == LocationOrder::ByName ? QStringLiteral("LocName") : QStringLiteral("LID");
  auto rs = db.OpenRecordset(BuildSelectSql(kTable, QString(), sort, false), jet::RecordsetType::ForwardOnly);
  const RecordsetCloser closer(rs);
  std::vector<LocationRow> rows;
  while (!rs->IsEOF()) {
    rows.push_back({rs->Fields(QStringLiteral("lID")).Value().toInt(),
                    rs->Fields(QStringLiteral("LocName")).Value().toText(),
                    rs->Fields(QStringLiteral("LocDescription")).Value().toText()});
    rs->MoveNext();
  }
  return rows;
}

int32_t LocationVolumeCount(jet::Database& db, int32_t lID) {
  auto rs = db.OpenRecordset(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE LocID=?"),
                             jet::RecordsetType::Snapshot, {rt::Variant(lID)});
  const RecordsetCloser closer(rs);
  return rs->Fields(0).Value().toInt();
}

void LocationAdd(jet::Database& db, int32_t lID, const QString& name, const QString& description) {
  auto rs = db.OpenRecordset(kTable, jet::RecordsetType::Table);
  const RecordsetCloser closer(rs);
  rs->AddNew();
  rs->Fields(QStringLiteral("lID")).SetValue(lID);
  rs->Fields(QStringLiteral("LocName")).SetValue(name);
  rs->Fields(QStringLiteral("LocDescription")).SetValue(descriptionValue(description));
  rs->Update();
}

bool LocationUpdate(jet::Database& db, int32_t lID, const QString& name, const QString& description) {
  auto rs = db.OpenRecordset(kTable, jet::RecordsetType::Table);
  const RecordsetCloser closer(rs);
  rs->SetIndex(QStringLiteral("PrimaryKey"));
  rs->Seek(QStringLiteral("="), {lID});
  if (rs->NoMatch()) return false;
  rs->Edit();
  rs->Fields(QStringLiteral("LocName")).SetValue(name);
  rs->Fields(QStringLiteral("LocDescription")).SetValue(descriptionValue(description));
  rs->Update();
  return true;
}

bool LocationDelete(jet::Workspace& ws, jet::Database& db, int32_t lID) {
  jet::TransactionScope transaction(ws);
  QString sql = gErr->MsgLoad(kSqlReleaseVolumes);
  sql.replace(QStringLiteral("#LOCID#"), QStringLiteral("?"));
  db.Execute(sql, jet::dbFailOnError, {rt::Variant(lID)});
  const bool deleted = DeleteRecordBySeek(db, kTable, lID, QStringLiteral("PrimaryKey"));
  transaction.Commit();
  return deleted;
}
