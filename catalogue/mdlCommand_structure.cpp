#include "catalogue/mdlCommand_structure.h"

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pInfoColl.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/TransactionScope.h"
#include "platform/jet/Workspace.h"
#include "platform/ui/BusyScope.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MessagePump.h"

namespace {

const QString kSource = QStringLiteral("mdlCommand");
const QString kCategories = QStringLiteral("tblCATEGORIES");
const QString kVolumes = QStringLiteral("tblVOLUMES");

void executeDelete(jet::Database& db, const QString& table, const QString& keyField, int32_t key) {
  db.Execute(BuildDeleteSql(table, keyField + QLatin1Char('=') + QString::number(key)), jet::dbFailOnError);
  ui::pumpMessages();
  ui::pumpMessages();
}

}  // namespace

rt::Variant NewCatParent(const std::optional<int32_t>& selectedCID, const rt::Variant& selectedParentCID, bool asSub) {
  if (!selectedCID) return rt::Null;
  if (asSub) return rt::Variant(*selectedCID);
  if (selectedParentCID.isNull() || selectedParentCID.isEmpty()) return rt::Null;
  return rt::Variant(selectedParentCID.toInt());
}

int32_t NewCatSave(const QString& CatName, const QString& CatDescription, const rt::Variant& Parent) {
  std::shared_ptr<jet::Recordset> rs;
  try {
    const int32_t cid = NewKey(kKeyCID);
    rs = CommandDB().OpenRecordset(kCategories, jet::RecordsetType::Table);
    rs->AddNew();
    rs->Fields(QStringLiteral("CID")).SetValue(cid);
    rs->Fields(QStringLiteral("CatName")).SetValue(CatName);
    rs->Fields(QStringLiteral("CatDescription")).SetValue(NullIfEmpty(CatDescription, false));
    if (!Parent.isNull()) rs->Fields(QStringLiteral("Parent")).SetValue(Parent.toInt());
    rs->Update();
    rs->Close();
    return cid;
  } catch (...) {
    try {
      if (rs) rs->Close();
    } catch (...) {
      // The error that brought us here is the one to report.
    }
    gErr->ErrReRaise(kSource, QStringLiteral("NewCatSave"));
  }
}

bool CatPickNeeded(int32_t CatID) {
  try {
    return CatID != 0 || GetRecordCount(nullptr, CommandDB(), kCategories, QString()) > 0;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("CatPickNeeded"));
  }
}

bool DeleteVolumeRecord(int32_t VID, int32_t categoryCID, pInfoColl* cache) {
  try {
    jet::Database& db = CommandDB();
    // Before the deletion: the chain of categories is read from the catalogue.
    std::vector<CatItem> ancestors;
    if (categoryCID > 0 && cache && cache->Count(pInfoColl::Category) > 0) fCatArrayParent(categoryCID, ancestors, &db);
    if (!DeleteRecordBySeek(db, kVolumes, VID, QStringLiteral("PrimaryKey"))) return false;
    if (cache) {
      if (cache->Count(pInfoColl::Volume) > 0) cache->Remove(VID, pInfoColl::Volume);
      cache->Clear(pInfoColl::Folder);
      if (categoryCID > 0 && cache->Count(pInfoColl::Category) > 0) {
        cache->Remove(categoryCID, pInfoColl::Category);
        for (const CatItem& item : ancestors) cache->Remove(item.CID, pInfoColl::Category);
      }
    }
    return true;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("DeleteVolumeRecord"));
  }
}

void DeleteVolumeErrMsg(const QString& source, const QString& procedure) {
  if (rt::currentError().number == jet::err::kTooManyLocks)
    gErr->MsgShow(kMsgVolumeDeleteLockLimit, ui::kCritical);
  else
    gErr->ErrMsg(source, procedure);
}

CatDeleteContent DeleteCatContent(int32_t CID) {
  try {
    CatDeleteContent content;
    fCatArraySub(CID, content.subCategories);
    fCatVolumeCount(CID, content.volumes);
    return content;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("DeleteCatContent"));
  }
}

QString DeleteCatQuestion(const QString& CatName, bool hasChildNodes, const CatDeleteContent& content) {
  if (!hasChildNodes) return gErr->MsgLoad(kMsgCategoryDeleteAsk, CatName);
  const QString counts = gErr->MsgLoad(kMsgCategoryContent, static_cast<int32_t>(content.subCategories.size()),
                                       static_cast<int32_t>(content.volumes.size()));
  return gErr->MsgLoad(kMsgCategoryDeleteAllAsk, CatName, counts);
}

bool DeleteCatNeedsConfirmation(bool extendedWarnings, bool hasChildNodes, const CatDeleteContent& content) {
  return extendedWarnings && hasChildNodes && content.subCategories.size() + content.volumes.size() > 0;
}

bool DeleteCatConfirmed(const QString& answer) {
  return !answer.isEmpty() && answer.compare(QStringLiteral("JA"), Qt::CaseInsensitive) == 0;
}

void DeleteCatRecords(int32_t CID, const CatDeleteContent& content, pInfoColl* cache) {
  try {
    jet::Database& db = CommandDB();
    const std::shared_ptr<jet::Workspace> ws = gDB->WS();
    std::vector<CatItem> ancestors;
    fCatArrayParent(CID, ancestors, &db);
    {
      // The pumps below run inside the transaction: no other command may start meanwhile.
      ui::BusyScope busy;
      jet::TransactionScope transaction(*ws);
      for (const int32_t vid : content.volumes) executeDelete(db, kVolumes, QStringLiteral("[VID]"), vid);
      for (auto it = content.subCategories.rbegin(); it != content.subCategories.rend(); ++it)
        executeDelete(db, kCategories, QStringLiteral("[CID]"), it->CID);
      executeDelete(db, kCategories, QStringLiteral("[CID]"), CID);
      transaction.Commit();
    }
    if (cache) {
      if (cache->Count(pInfoColl::Category) > 0) {
        cache->Remove(CID, pInfoColl::Category);
        for (const CatItem& item : content.subCategories) cache->Remove(item.CID, pInfoColl::Category);
        for (const CatItem& item : ancestors) cache->Remove(item.CID, pInfoColl::Category);
      }
      if (cache->Count(pInfoColl::Volume) > 0)
        for (const int32_t vid : content.volumes) cache->Remove(vid, pInfoColl::Volume);
      cache->Clear(pInfoColl::Folder);
    }
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("DeleteCatRecords"));
  }
}
