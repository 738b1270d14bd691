#include "catalogue/TableIcons.h"

#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"

namespace {

const QString kTable = QStringLiteral("tblICONS");

// Seeks the icon and, when it is there, applies change to it in one edit. False when the row
// is gone; a change that raises leaves nothing half-written pending.
bool editIcon(jet::Database& db, int32_t IID, const std::function<void(jet::Recordset&)>& change) {
  auto rs = db.OpenRecordset(kTable, jet::RecordsetType::Table);
  const RecordsetCloser closer(rs);
  rs->SetIndex(QStringLiteral("Primarykey"));
  rs->Seek(QStringLiteral("="), {rt::Variant(IID)});
  if (rs->NoMatch()) return false;
  rs->Edit();
  change(*rs);
  rs->Update();
  return true;
}

}  // namespace

std::vector<IconRow> IconRows(jet::Database& db, IconOrder order) {
  auto rs = order == IconOrder::Stored
                ? db.OpenRecordset(kTable, jet::RecordsetType::Table)
                : db.OpenRecordset(BuildSelectSql(kTable, QString(), QStringLiteral("Order"), false),
                                   jet::RecordsetType::ForwardOnly);
  const RecordsetCloser closer(rs);
  std::vector<IconRow> rows;
  while (!rs->IsEOF()) {
    rows.push_back({rs->Fields(QStringLiteral("IID")).Value().toInt(),
                    rs->Fields(QStringLiteral("FriendlyName")).Value().toText(),
                    LongBinaryValue(rs->Fields(QStringLiteral("Icon")))});
    rs->MoveNext();
  }
  return rows;
}

bool IconStore(jet::Database& db, int32_t IID, const QByteArray& bytes) {
  return editIcon(db, IID,
                  [&bytes](jet::Recordset& rs) { SetLongBinaryValue(rs.Fields(QStringLiteral("Icon")), bytes); });
}

bool IconRestoreDefault(jet::Database& db, int32_t IID,
                        const std::function<void(const std::optional<QByteArray>&)>& check) {
  return editIcon(db, IID, [&check](jet::Recordset& rs) {
    jet::Field standard = rs.Fields(QStringLiteral("DefaultIcon"));
    check(LongBinaryValue(standard));
    rs.Fields(QStringLiteral("Icon")).SetValue(standard.Value());
  });
}
