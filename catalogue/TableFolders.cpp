#include "catalogue/TableFolders.h"

#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"

std::vector<int32_t> FolderIdsOfVolume(jet::Database& db, int32_t VID) {
  auto rs = db.OpenRecordset(gErr->MsgLoad(kSqlVolumeFolders, QStringLiteral("?")), jet::RecordsetType::ForwardOnly,
                             {rt::Variant(VID)});
  const RecordsetCloser closer(rs);
  std::vector<int32_t> ids;
  while (!rs->IsEOF()) {
    ids.push_back(rs->Fields(0).Value().toInt());
    rs->MoveNext();
  }
  return ids;
}

void ForEachFolderOfVolume(jet::Database& db, int32_t VID, const std::function<void(const FolderRecord&)>& onRow) {
  auto rs = db.OpenRecordset(QStringLiteral("SELECT PID, Path, Parent FROM tblPATHS WHERE (VolumeID=?) ORDER BY PID;"),
                             jet::RecordsetType::ForwardOnly, {rt::Variant(VID)});
  const RecordsetCloser closer(rs);
  while (!rs->IsEOF()) {
    onRow({rs->Fields(0).Value().toInt(), rs->Fields(1).Value(), rs->Fields(2).Value()});
    rs->MoveNext();
  }
}
