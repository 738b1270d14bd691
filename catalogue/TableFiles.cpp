#include "catalogue/TableFiles.h"

#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"

void ForEachFileOfFolder(jet::Database& db, int32_t PID, const std::function<void(const FileRecord&)>& onRow) {
  QString sql = gErr->MsgLoad(kSqlFolderFiles);
  sql.replace(QStringLiteral("#PathID#"), QStringLiteral("?"));
  auto rs = db.OpenRecordset(sql, jet::RecordsetType::ForwardOnly, {rt::Variant(PID)});
  const RecordsetCloser closer(rs);
  while (!rs->IsEOF()) {
    onRow({rs->Fields(0).Value().toText(), rs->Fields(1).Value(), rs->Fields(2).Value().toDouble(),
           rs->Fields(3).Value(), rs->Fields(4).Value().toInt()});
    rs->MoveNext();
  }
}
