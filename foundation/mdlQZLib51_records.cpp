#include "foundation/mdlQZLib51_records.h"

#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/JetError.h"
#include "platform/runtime/RaisedError.h"

namespace {

const QString kSeekEqual = QStringLiteral("=");

// The field name as the record set knows it: callers may pass it bracketed or bare.
QString fieldKey(const QString& fieldName) {
  const QString b = EncloseIn(fieldName, QStringLiteral("[]"));
  return b.mid(1, b.size() - 2);
}

}  // namespace

int32_t GetRecordCount(const std::shared_ptr<jet::Recordset>& recordset, jet::Database& db, const QString& table,
                       const QString& criterion) {
  std::shared_ptr<jet::Recordset> rs = recordset;
  if (!rs) rs = db.OpenRecordset(BuildSelectSql(table, criterion, QString(), false), jet::RecordsetType::Snapshot);
  // Only a set opened here is closed here; the caller's stays open on its last record.
  const RecordsetCloser closer(recordset ? nullptr : rs);
  try {
    rs->MoveLast();
  } catch (const rt::RaisedError& e) {
    if (e.number == jet::err::kNoCurrentRecord) return 0;
    throw;
  }
  return static_cast<int32_t>(rs->RecordCount());
}

std::optional<QByteArray> LongBinaryValue(const jet::Field& field) {
  if (field.Value().isNull()) return std::nullopt;
  return field.GetChunk(0, field.FieldSize());
}

void SetLongBinaryValue(jet::Field field, const QByteArray& bytes) {
  field.SetValue(rt::Null);
  field.AppendChunk(bytes);
}

bool DeleteRecordBySeek(jet::Database& db, const QString& table, int32_t key, const QString& indexName) {
  const std::shared_ptr<jet::Recordset> rs = db.OpenRecordset(table, jet::RecordsetType::Table);
  const RecordsetCloser closer(rs);
  rs->SetIndex(indexName);
  rs->Seek(kSeekEqual, {rt::Variant(key)});
  if (rs->NoMatch()) return false;
  rs->Delete();
  return true;
}

rt::Variant LookupFieldValue(jet::Database& db, const QString& table, const QString& userCriterion,
                             const QString& fieldName) {
  const QString criteria = EscapePipeForSql(BuildCriteria(userCriterion));
  const std::shared_ptr<jet::Recordset> rs = db.OpenRecordset(table, jet::RecordsetType::Snapshot);
  const RecordsetCloser closer(rs);
  rs->FindFirst(criteria);
  if (rs->NoMatch()) return rt::Null;
  if (fieldName.isEmpty()) return rt::Variant(true);
  return rs->Fields(fieldKey(fieldName)).Value();
}

bool SeekFieldValue(jet::Database& db, const QString& table, const QString& indexName, const rt::Variant& key,
                    rt::Variant& value, const QString& fieldName) {
  value = rt::Null;
  try {
    const std::shared_ptr<jet::Recordset> rs = db.OpenRecordset(table, jet::RecordsetType::Table);
    const RecordsetCloser closer(rs);
    rs->SetIndex(indexName);
    if (rs->RecordCount() <= 0) return false;
    rs->Seek(kSeekEqual, {key});
    if (rs->NoMatch()) return false;
    if (!fieldName.isEmpty()) value = rs->Fields(fieldKey(fieldName)).Value();
    return true;
  } catch (...) {
    // The readers built on this take "not found" for any failure.
    value = rt::Null;
    return false;
  }
}
