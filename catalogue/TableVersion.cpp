#include "catalogue/TableVersion.h"

#include "foundation/mdlQZLib51_records.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"

namespace {

std::shared_ptr<jet::Recordset> firstVersionRecord(jet::Database& db) {
  auto rs = db.OpenRecordset(QStringLiteral("tblVERSION"), jet::RecordsetType::Table);
  rs->MoveFirst();
  return rs;
}

}  // namespace

VersionRecord VersionRecordOf(jet::Database& db) {
  auto rs = firstVersionRecord(db);
  const RecordsetCloser closer(rs);
  return {rs->Fields(QStringLiteral("Major")).Value(), rs->Fields(QStringLiteral("Minor")).Value(),
          rs->Fields(QStringLiteral("Revision")).Value(), rs->Fields(QStringLiteral("GUID")).Value()};
}

void VersionGuidWrite(jet::Database& db, const QString& guid) {
  auto rs = firstVersionRecord(db);
  const RecordsetCloser closer(rs);
  rs->Edit();
  rs->Fields(QStringLiteral("GUID")).SetValue(rt::Variant(guid));
  rs->Update();
}

int64_t TableRowCount(jet::Database& db, const QString& table) {
  auto rs = db.OpenRecordset(QStringLiteral("SELECT Count(*) FROM ") + table, jet::RecordsetType::Snapshot);
  const RecordsetCloser closer(rs);
  return rs->Fields(0).Value().toLong();
}
