#include "catalogue/mdlInfo.h"

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "platform/jet/Recordset.h"

namespace {

const QString kSource = QStringLiteral("frmMain");

double numberOr0(const rt::Variant& v) { return v.isNull() || v.isEmpty() ? 0.0 : v.toDouble(); }
int32_t countOr0(const rt::Variant& v) { return v.isNull() || v.isEmpty() ? 0 : v.toInt(); }

}  // namespace

std::shared_ptr<pCatInfo> CathInfo(int32_t CID, pInfoColl& cache) {
  try {
    if (cache.IDExists(CID, pInfoColl::Category))
      return std::dynamic_pointer_cast<pCatInfo>(cache.Item(CID, pInfoColl::Category));
    jet::Database& db = CommandDB();
    std::vector<CatItem> categories;
    fCatArraySub(CID, categories);
    categories.push_back({CID, fCatName(CID)});
    int32_t volumes = 0;
    int32_t files = 0;
    double bytes = 0;
    for (const CatItem& c : categories) {
      auto rs = db.OpenRecordset(gErr->MsgLoad(kSqlCategoryVolumeCount, c.CID), jet::RecordsetType::ForwardOnly);
      if (!rs->IsEOF()) volumes += countOr0(rs->Fields(QStringLiteral("VolCount")).Value());
      rs->Close();
      rs = db.OpenRecordset(gErr->MsgLoad(kSqlCategoryFileTotals, c.CID), jet::RecordsetType::ForwardOnly);
      if (!rs->IsEOF()) {
        files += countOr0(rs->Fields(QStringLiteral("FileCount")).Value());
        bytes += numberOr0(rs->Fields(QStringLiteral("SumFileSize")).Value());
      }
      rs->Close();
    }
    auto info = std::dynamic_pointer_cast<pCatInfo>(cache.Add(CID, pInfoColl::Category));
    info->Bytes = bytes;
    info->Files = files;
    info->Name = categories.back().CatName;
    info->Volumes = volumes;
    return info;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("CathInfo"));
  }
}

std::shared_ptr<pVolumeInfo> VolumeInfo(int32_t VID, pInfoColl& cache) {
  try {
    if (cache.IDExists(VID, pInfoColl::Volume))
      return std::dynamic_pointer_cast<pVolumeInfo>(cache.Item(VID, pInfoColl::Volume));
    std::shared_ptr<pVolumeInfo> info = fVolumeInfo(CommandDB(), VID);
    cache.AddInfo(info, pInfoColl::Volume);
    return info;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("VolumeInfo"));
  }
}

std::shared_ptr<pPathInfo> PathInfo(int32_t PID, pInfoColl& cache) {
  try {
    if (cache.IDExists(PID, pInfoColl::Folder))
      return std::dynamic_pointer_cast<pPathInfo>(cache.Item(PID, pInfoColl::Folder));
    // Put in first: a folder that is not found stays cached with zeros.
    auto info = std::dynamic_pointer_cast<pPathInfo>(cache.Add(PID, pInfoColl::Folder));
    auto rs = CommandDB().OpenRecordset(QStringLiteral("tblPATHS"), jet::RecordsetType::Table);
    rs->SetIndex(QStringLiteral("PrimaryKey"));
    rs->Seek(QStringLiteral("="), {rt::Variant(PID)});
    if (!rs->NoMatch()) {
      info->Bytes = numberOr0(rs->Fields(QStringLiteral("Size")).Value());
      info->Path = PathFullName(PID, rt::Null, true);
      info->Files = countOr0(rs->Fields(QStringLiteral("Files")).Value());
      const int32_t dirs = countOr0(rs->Fields(QStringLiteral("TotalDirs")).Value());
      if (dirs > 0) {
        info->TotalBytes = numberOr0(rs->Fields(QStringLiteral("TotalSize")).Value());
        info->TotalFiles = countOr0(rs->Fields(QStringLiteral("TotalFiles")).Value());
        info->TotalSubFolders = dirs;
        info->ExtendedInfo = true;
      }
    }
    rs->Close();
    return info;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("PathInfo"));
  }
}

void CatInfo2InfoData(const pCatInfo& info, std::vector<PropItem>& rows) {
  try {
    rows = {
        {QStringLiteral("Kategorie"), info.Name},
        {QStringLiteral("Volumes"), QString::number(info.Volumes)},
        {QStringLiteral("Dateien"), info.FilesString()},
        {QStringLiteral("Größe"), info.ByteString()},
    };
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("CatInfo2InfoData"));
  }
}

void PathInfo2InfoData(const pPathInfo& info, std::vector<PropItem>& rows) {
  try {
    rows = {
        {QStringLiteral("Pfad"), info.Path},
        {QStringLiteral("Dateien"), info.FilesString()},
        {QStringLiteral("Größe"), info.ByteString()},
    };
    if (info.ExtendedInfo) {
      rows.push_back({QString(20, QLatin1Char('-')), QString(50, QLatin1Char('-'))});
      rows.push_back({QStringLiteral("Gesamtgröße"), info.TotalByteString()});
      rows.push_back({QStringLiteral("Dateien gesamt"), info.TotalFilesString()});
      rows.push_back({QStringLiteral("Unterordner"), QString::number(info.TotalSubFolders)});
    }
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("PathInfo2InfoData"));
  }
}
