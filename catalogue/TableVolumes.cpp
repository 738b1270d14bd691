#include "catalogue/TableVolumes.h"

#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetSqlText.h"
#include "platform/jet/Recordset.h"

#include <QDateTime>

namespace {

const QString kTable = QStringLiteral("tblVOLUMES");

QString textOf(const rt::Variant& v) { return NzValue(v, QString()).toText(); }

VolumeRow rowOf(jet::Recordset& rs) {
  return {rs.Fields(QStringLiteral("VID")).Value().toInt(), textOf(rs.Fields(QStringLiteral("VolumeName")).Value()),
          textOf(rs.Fields(QStringLiteral("VolumePath")).Value()), rs.Fields(QStringLiteral("VolumeType")).Value(),
          rs.Fields(QStringLiteral("CatID")).Value()};
}

std::vector<VolumeRow> rowsOf(const std::shared_ptr<jet::Recordset>& rs) {
  const RecordsetCloser closer(rs);
  std::vector<VolumeRow> rows;
  while (!rs->IsEOF()) {
    rows.push_back(rowOf(*rs));
    rs->MoveNext();
  }
  return rows;
}

std::shared_ptr<jet::Recordset> seekVolume(jet::Database& db, int32_t VID) {
  auto rs = db.OpenRecordset(kTable, jet::RecordsetType::Table);
  rs->SetIndex(QStringLiteral("PrimaryKey"));
  rs->Seek(QStringLiteral("="), {rt::Variant(VID)});
  return rs;
}

}  // namespace

std::vector<VolumeRow> VolumeRows(jet::Database& db, VolumeOrder order) {
  if (order == VolumeOrder::Stored) return rowsOf(db.OpenRecordset(kTable, jet::RecordsetType::Table));
  const QString sort = order == VolumeOrder::ById ? QStringLiteral("VID") : QStringLiteral("VolumeName");
  return rowsOf(db.OpenRecordset(BuildSelectSql(kTable, QString(), sort, false), jet::RecordsetType::ForwardOnly));
}

std::vector<VolumeRow> VolumesFound(jet::Database& db, int32_t VID, int32_t LocID, const QString& NamePart) {
  QString criterion;
  rt::Variant value;
  if (VID > 0) {
    criterion = QStringLiteral("[VID]=?");
    value = VID;
  } else if (LocID >= 1) {
    criterion = QStringLiteral("[LocID]=?");
    value = LocID;
  } else if (NamePart.isEmpty()) {
    return {};
  } else {
    const QString pattern = QStringLiteral("*") + NamePart + QStringLiteral("*");
    const jet::LikePattern check(pattern);
    criterion = QStringLiteral("[VolumeName] Like ?");
    value = pattern;
  }
  return rowsOf(db.OpenRecordset(BuildSelectSql(kTable, criterion, QStringLiteral("VolumeName"), false),
                                 jet::RecordsetType::ForwardOnly, {value}));
}

std::optional<VolumeRow> VolumeOfId(jet::Database& db, int32_t VID) {
  auto rs = seekVolume(db, VID);
  const RecordsetCloser closer(rs);
  if (rs->NoMatch()) return std::nullopt;
  return rowOf(*rs);
}

void VolumeAdd(jet::Database& db, const NewVolume& volume) {
  auto rs = db.OpenRecordset(kTable, jet::RecordsetType::Table);
  const RecordsetCloser closer(rs);
  rs->AddNew();
  rs->Fields(QStringLiteral("VID")).SetValue(volume.VID);
  const std::pair<const char*, const rt::Variant*> fields[] = {{"VolumeSerial", &volume.VolumeSerial},
                                                               {"VolumeLabel", &volume.VolumeLabel},
                                                               {"VolumeType", &volume.VolumeType},
                                                               {"VolumeName", &volume.VolumeName},
                                                               {"VolumePath", &volume.VolumePath},
                                                               {"Description", &volume.Description},
                                                               {"Memo", &volume.Memo},
                                                               {"Computername", &volume.Computername},
                                                               {"EditDate", &volume.EditDate}};
  for (const auto& [name, value] : fields) rs->Fields(QString::fromLatin1(name)).SetValue(*value);
  // Only a given category or location is written.
  if (!volume.CatID.isNull()) rs->Fields(QStringLiteral("CatID")).SetValue(volume.CatID);
  if (!volume.LocID.isNull()) rs->Fields(QStringLiteral("LocID")).SetValue(volume.LocID);
  rs->Update();
}

bool VolumeRelocate(jet::Database& db, int32_t VID, const QString& path, const QString& serial, const QString& label,
                    const QString& computername, int32_t type) {
  auto rs = seekVolume(db, VID);
  const RecordsetCloser closer(rs);
  if (rs->NoMatch()) return false;
  rs->Edit();
  rs->Fields(QStringLiteral("VolumePath")).SetValue(rt::Variant(path));
  rs->Fields(QStringLiteral("VolumeSerial")).SetValue(NullIfEmpty(rt::Variant(serial), false));
  rs->Fields(QStringLiteral("VolumeLabel")).SetValue(NullIfEmpty(rt::Variant(label), false));
  rs->Fields(QStringLiteral("Computername")).SetValue(NullIfEmpty(rt::Variant(computername), false));
  rs->Fields(QStringLiteral("VolumeType")).SetValue(rt::Variant(type));
  rs->Fields(QStringLiteral("EditDate")).SetValue(rt::Variant::fromDateTime(QDateTime::currentDateTime()));
  rs->Update();
  return true;
}
