#include "catalogue/TableCategories.h"

#include "catalogue/mdlCommand_categories.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"

namespace {

const QString kTable = QStringLiteral("tblCATEGORIES");

}  // namespace

std::vector<CategoryRow> CategoryRows(jet::Database& db, CategoryOrder order) {
  auto rs = order == CategoryOrder::Stored
                ? db.OpenRecordset(kTable, jet::RecordsetType::Table)
                : db.OpenRecordset(BuildSelectSql(kTable, QString(), QStringLiteral("CatName"), false),
                                   jet::RecordsetType::ForwardOnly);
  const RecordsetCloser closer(rs);
  std::vector<CategoryRow> rows;
  while (!rs->IsEOF()) {
    rows.push_back({rs->Fields(QStringLiteral("CID")).Value().toInt(),
                    NzValue(rs->Fields(QStringLiteral("CatName")).Value(), QString()).toText(),
                    rs->Fields(QStringLiteral("Parent")).Value()});
    rs->MoveNext();
  }
  return rows;
}

std::vector<int32_t> CategoriesWithIcon(jet::Database& db) {
  auto rs = db.OpenRecordset(BuildSelectSql(kTable, QStringLiteral("[Icon] Is Not Null"), QString(), false),
                             jet::RecordsetType::ForwardOnly);
  const RecordsetCloser closer(rs);
  std::vector<int32_t> ids;
  while (!rs->IsEOF()) {
    ids.push_back(rs->Fields(QStringLiteral("CID")).Value().toInt());
    rs->MoveNext();
  }
  return ids;
}

std::optional<QByteArray> CategoryIconBytes(jet::Database& db, int32_t CID) {
  auto rs = SeekCategory(db, CID);
  const RecordsetCloser closer(rs);
  if (rs->NoMatch()) return std::nullopt;
  return LongBinaryValue(rs->Fields(QStringLiteral("Icon")));
}

bool CategoryIconStore(jet::Database& db, int32_t CID, const std::optional<QByteArray>& bytes) {
  auto rs = SeekCategory(db, CID);
  const RecordsetCloser closer(rs);
  if (rs->NoMatch()) return false;
  rs->Edit();
  if (bytes)
    SetLongBinaryValue(rs->Fields(QStringLiteral("Icon")), *bytes);
  else
    rs->Fields(QStringLiteral("Icon")).SetValue(rt::Null);
  rs->Update();
  return true;
}
