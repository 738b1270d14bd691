#include "catalogue/mdlCommand_volumes.h"

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlGlobals.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "platform/jet/Database.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Recordset.h"
#include "platform/ui/MessageBox.h"
#include "platform/volumes/VolumeSystem.h"

namespace {

const QString kModule = QStringLiteral("mdlCommand");
const QString kCrLf = QStringLiteral("\r\n");

QString withSeparator(const QString& path) {
  return path.isEmpty() || path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

struct StoredVolume {
  int32_t vid = 0;
  QString name;
  QString path;
};

}  // namespace

// The stored volumes of the medium are read with bound values and compared here: no folder
// name ("Tom and Jerry", "[alt]", "50%_off", "O'Brien") ever becomes part of an SQL text or a
// Like pattern. Paths compare with their case, as the file system does.
bool VolumeCheck(jet::Database& db, const QString& path, const QString& serial, const rt::Variant& VID,
                 const std::function<void(int32_t)>& selectVolume) {
  try {
    QString sql = QStringLiteral("SELECT VID, VolumeName, VolumePath FROM tblVOLUMES WHERE VolumeSerial = ?");
    std::vector<rt::Variant> params{rt::Variant(serial)};
    if (!VID.isNull()) {
      sql += QStringLiteral(" AND VID <> ?");
      params.push_back(rt::Variant(VID.toInt()));
    }
    sql += QStringLiteral(" ORDER BY VID");
    std::vector<StoredVolume> stored;
    {
      auto rs = db.OpenRecordset(sql, jet::RecordsetType::Snapshot, params);
      for (; !rs->IsEOF(); rs->MoveNext())
        stored.push_back(
            {rs->Fields(0).Value().toInt(), rs->Fields(1).Value().toText(), rs->Fields(2).Value().toText()});
      rs->Close();
    }
    const QString wanted = withSeparator(path);

    // Test 1: a volume of the medium at or below the path.
    for (const StoredVolume& v : stored) {
      if (!withSeparator(v.path).startsWith(wanted)) continue;
      if (withSeparator(v.path) != wanted) {
        const QString text =
            gErr->MsgLoad(kMsgPathUnusable, path) + kCrLf + gErr->MsgLoad(kMsgVolumeInSubfolder, v.vid);
        ui::showMessageBox(text, ui::kCritical, gErr->AppName());
        return false;
      }
      if (selectVolume) selectVolume(v.vid);
      const QString text = gErr->MsgLoad(kMsgSerialConflict, serial) + kCrLf +
                           gErr->MsgLoad(kMsgSameSerialAndPath, v.name, path) + kCrLf + kCrLf +
                           gErr->MsgLoad(kMsgReadAnywayAsk);
      return ui::showMessageBox(text, ui::kYesNo + ui::kCritical + ui::kDefaultButton2, gErr->AppName()) !=
             ui::kAnswerNo;
    }
    // Test 2: a volume of the medium above the path.
    for (const StoredVolume& v : stored) {
      const QString above = withSeparator(v.path);
      if (above.isEmpty() || !wanted.startsWith(above)) continue;
      const QString text =
          gErr->MsgLoad(kMsgPathUnusable, path) + kCrLf + gErr->MsgLoad(kMsgVolumeInParentFolder, v.path, v.name);
      ui::showMessageBox(text, ui::kCritical, gErr->AppName());
      return false;
    }
    return true;
  } catch (const rt::RaisedError&) {
    gErr->ErrMsg(kModule, QStringLiteral("VolumeCheck"));
    return false;
  }
}

DriveInfoRec DriveInfo(const QString& path) {
  try {
    DriveInfoRec r;
    if (const auto info = GetVolumeInfo(path, false)) {
      r.VolumeLabel = (*info)[2];
      r.VolumeSerial = (*info)[0];
    }
    r.VolumeType = DriveGetType(path);
    r.VolumeTypeString = GetDriveTypeText(path);
    switch (r.VolumeType) {
      case volumes::kTypeRemovable:
      case volumes::kTypeCdRom:
        r.Computername = QStringLiteral("-");
        break;
      case volumes::kTypeRemote:
        r.Computername = GetUncServerName(path);
        break;
      default:
        r.Computername = GetComputerNameText();
        break;
    }
    return r;
  } catch (const rt::RaisedError&) {
    gErr->ErrReRaise(kModule, QStringLiteral("DriveInfo"));
  }
}

bool IsChangeableDrive(int32_t driveType) {
  return driveType == volumes::kTypeNoRoot || driveType == volumes::kTypeRemovable ||
         driveType == volumes::kTypeCdRom || driveType == volumes::kTypeRamDisk;
}

QString fVolumeTypeString(const int32_t& driveType) { return DriveTypeText(driveType); }

void fVolumeMove(int32_t VID, const rt::Variant& CatID, jet::Database* db) {
  try {
    auto rs = CommandDB(db).OpenRecordset(QStringLiteral("tblVOLUMES"), jet::RecordsetType::Table);
    rs->SetIndex(QStringLiteral("PrimaryKey"));
    rs->Seek(QStringLiteral("="), {rt::Variant(VID)});
    if (!rs->NoMatch()) {
      rs->Edit();
      rs->Fields(QStringLiteral("CatID")).SetValue(CatID);
      rs->Update();
    }
    rs->Close();
  } catch (...) {
    gErr->ErrReRaise(kModule, QStringLiteral("fVolumeMove"));
  }
}

int32_t fVolumeCount(jet::Database* db) {
  int32_t count = 0;
  try {
    if (!db || !db->IsOpen()) return 0;
    auto rs = db->OpenRecordset(QStringLiteral("SELECT Count(tblVOLUMES.VID) AS VolumeCount FROM tblVOLUMES;"),
                                jet::RecordsetType::ForwardOnly);
    if (!rs->IsEOF()) count = rs->Fields(QStringLiteral("VolumeCount")).Value().toInt();
    rs->Close();
  } catch (const rt::RaisedError&) {
    gErr->ErrMsg(kModule, QStringLiteral("fVolumeCount"));
  }
  return count;
}

// A volume without folder rows or without files gives zeros, not "no current record".
std::shared_ptr<pVolumeInfo> fVolumeInfo(jet::Database& db, const int32_t& VID) {
  try {
    auto info = std::make_shared<pVolumeInfo>();
    info->ID = VID;
    {
      auto rs = db.OpenRecordset(gErr->MsgLoad(kSqlVolumeFolderCount, VID), jet::RecordsetType::ForwardOnly);
      if (!rs->IsEOF()) {
        info->Name = rs->Fields(QStringLiteral("VolumeName")).Value().toText();
        info->Path = rs->Fields(QStringLiteral("VolumePath")).Value().toText();
        info->Folders = std::max(rs->Fields(QStringLiteral("Folders")).Value().toInt() - 1, 0);
      }
      rs->Close();
    }
    {
      auto rs = db.OpenRecordset(gErr->MsgLoad(kSqlVolumeFileTotals, VID), jet::RecordsetType::ForwardOnly);
      if (!rs->IsEOF()) {
        const rt::Variant files = rs->Fields(QStringLiteral("Files")).Value();
        info->Files = files.isNull() ? 0 : files.toInt();
        const rt::Variant bytes = rs->Fields(QStringLiteral("SumFileSize")).Value();
        info->Bytes = bytes.isNull() ? 0.0 : bytes.toDouble();
      }
      rs->Close();
    }
    if (info->Name.isEmpty() && info->Path.isEmpty()) {
      // No folder rows: the names still come from the volume row.
      auto rs = db.OpenRecordset(QStringLiteral("SELECT VolumeName, VolumePath FROM tblVOLUMES WHERE VID = ?"),
                                 jet::RecordsetType::ForwardOnly, {rt::Variant(VID)});
      if (!rs->IsEOF()) {
        info->Name = rs->Fields(0).Value().toText();
        info->Path = rs->Fields(1).Value().toText();
      }
      rs->Close();
    }
    return info;
  } catch (const rt::RaisedError&) {
    gErr->ErrReRaise(kModule, QStringLiteral("fVolumeInfo"));
  }
}

void fVolumeInfo2InfoData(const pVolumeInfo& info, std::vector<PropItem>& data) {
  try {
    data.assign(5, PropItem{});
    data[0] = {QStringLiteral("Name"), info.Name};
    data[1] = {QStringLiteral("Pfad"), info.Path};
    data[2] = {QStringLiteral("Ordner"), QString::number(info.Folders)};
    data[3] = {QStringLiteral("Dateien"), info.FilesString()};
    data[4] = {QStringLiteral("Größe"), info.ByteString()};
  } catch (const rt::RaisedError&) {
    gErr->ErrReRaise(kModule, QStringLiteral("fVolumeInfo2InfoData"));
  }
}

bool VolumeCheck(const QString& path, const QString& serial, const rt::Variant& VID) {
  std::shared_ptr<jet::Database> db = gDB ? gDB->DB() : nullptr;
  if (!db) {
    try {
      throw rt::RaisedError(jet::err::kObjectInvalid, QString(), QStringLiteral("Es ist kein Katalog geöffnet."));
    } catch (const rt::RaisedError&) {
      gErr->ErrMsg(kModule, QStringLiteral("VolumeCheck"));
    }
    return false;
  }
  return VolumeCheck(*db, path, serial, VID, [](int32_t vid) {
    if (gfrmMain) gfrmMain->pubVolumeSelect(vid);
  });
}

int32_t fVolumeCount() {
  if (!gDB || gDB->DBPath().isEmpty()) return 0;
  return fVolumeCount(gDB->DB().get());
}

std::shared_ptr<pVolumeInfo> fVolumeInfo(const int32_t& VID) {
  std::shared_ptr<jet::Database> db = gDB ? gDB->DB() : nullptr;
  if (!db) {
    try {
      throw rt::RaisedError(jet::err::kObjectInvalid, QString(), QStringLiteral("Es ist kein Katalog geöffnet."));
    } catch (const rt::RaisedError&) {
      gErr->ErrReRaise(kModule, QStringLiteral("fVolumeInfo"));
    }
  }
  return fVolumeInfo(*db, VID);
}
