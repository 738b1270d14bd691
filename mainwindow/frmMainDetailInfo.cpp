// The information lists of the three panes: totals computed once per record and kept in the
// window's cache until a catalogue is opened or the view refreshed.
#include "mainwindow/frmMainDetail.h"

#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QAction>
#include <QLabel>
#include <QTreeWidget>

namespace {

const QString kSource = QStringLiteral("frmMain");

void addRow(QTreeWidget* list, const QString& label, const QString& value) {
  list->addTopLevelItem(new QTreeWidgetItem(QStringList{label, value}));
}

void fill(QTreeWidget* list, const std::vector<PropItem>& rows) {
  list->clear();
  for (const PropItem& row : rows) addRow(list, row.Name, row.Value);
  AutoSizeListViewColumn(list, 1, true);
  FitListViewColumn(list, 2, true);
}

// The separator row before a folder's totals.
PropItem separator() { return {QString(20, QLatin1Char('-')), QString(50, QLatin1Char('-'))}; }

double number(const rt::Variant& v) { return NzValue(v, 0).toDouble(); }

}  // namespace

void frmMainDetail::NewInfoCache() { cache_ = std::make_unique<pInfoColl>(); }

void frmMainDetail::refreshInfo(int32_t message, const char* procedure, const std::function<void()>& fill) {
  try {
    const QString text = ShortenTextToWidth(gErr->MsgLoad(message), w_.SBPanel1->width(), QFontMetrics(w_.TextFont()));
    w_.pubStatus(text);
    ui::setMousePointer(ui::kPointerHourglass);
    fill();
  } catch (...) {
    gErr->ErrMsg(kSource, QString::fromLatin1(procedure));
  }
  try {
    w_.pubStatus(QString());
  } catch (...) {
    // The status text is only a hint.
  }
  ui::setMousePointer(ui::kPointerDefault);
}

void frmMainDetail::CatProperties(int32_t CID) {
  refreshInfo(186, "CatProperties", [&] { CatInfo2ListView(*CathInfo(CID), w_.picCategory->LVCategoryInfo); });
}

void frmMainDetail::VolumeProperties(int32_t VID) {
  refreshInfo(187, "VolumeProperties", [&] { VolumeInfo2ListView(*VolumeInfo(VID), w_.picVolume->LVVolumeInfo); });
}

void frmMainDetail::FolderProperties(int32_t PID) {
  refreshInfo(171, "FolderProperties", [&] { PathInfo2ListView(*PathInfo(PID), w_.picFolder->LVFolderInfo); });
}

std::shared_ptr<pCatInfo> frmMainDetail::CathInfo(int32_t CID) {
  try {
    if (cache_->IDExists(CID, pInfoColl::Category))
      return std::static_pointer_cast<pCatInfo>(cache_->Item(CID, pInfoColl::Category));
    std::vector<CatItem> cats;
    fCatArraySub(CID, cats);
    const QString name = fCatName(CID);
    cats.push_back({CID, name});
    int32_t volumes = 0;
    int32_t files = 0;
    double bytes = 0;
    jet::Database& db = *gDB->DB();
    for (const CatItem& cat : cats) {
      // Each category counts the volumes filed directly under it.
      auto rs = db.OpenRecordset(gErr->MsgLoad(505, cat.CID), jet::RecordsetType::ForwardOnly);
      if (!rs->IsEOF()) volumes += NzValue(rs->Fields(QStringLiteral("VolCount")).Value(), 0).toInt();
      rs->Close();
      rs = db.OpenRecordset(gErr->MsgLoad(506, cat.CID), jet::RecordsetType::ForwardOnly);
      if (!rs->IsEOF()) {
        files += NzValue(rs->Fields(QStringLiteral("FileCount")).Value(), 0).toInt();
        bytes += number(rs->Fields(QStringLiteral("SumFileSize")).Value());
      }
      rs->Close();
    }
    auto info = std::static_pointer_cast<pCatInfo>(cache_->Add(CID, pInfoColl::Category));
    info->Bytes = bytes;
    info->Files = files;
    info->Name = name;
    info->Volumes = volumes;
    return info;
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("CathInfo"));
  }
  return nullptr;
}

std::shared_ptr<pVolumeInfo> frmMainDetail::VolumeInfo(int32_t VID) {
  try {
    if (cache_->IDExists(VID, pInfoColl::Volume))
      return std::static_pointer_cast<pVolumeInfo>(cache_->Item(VID, pInfoColl::Volume));
    std::shared_ptr<pVolumeInfo> info = fVolumeInfo(VID);
    cache_->AddInfo(info, pInfoColl::Volume);
    return info;
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("VolumeInfo"));
  }
  return nullptr;
}

std::shared_ptr<pPathInfo> frmMainDetail::PathInfo(int32_t PID) {
  try {
    if (cache_->IDExists(PID, pInfoColl::Folder))
      return std::static_pointer_cast<pPathInfo>(cache_->Item(PID, pInfoColl::Folder));
    // Cached first: a folder that is not found stays cached with zeros.
    auto info = std::static_pointer_cast<pPathInfo>(cache_->Add(PID, pInfoColl::Folder));
    auto rs = gDB->DB()->OpenRecordset(QStringLiteral("tblPATHS"), jet::RecordsetType::Table);
    rs->SetIndex(QStringLiteral("PrimaryKey"));
    rs->Seek(QStringLiteral("="), {rt::Variant(PID)});
    if (!rs->NoMatch()) {
      info->ID = PID;
      info->Bytes = number(rs->Fields(QStringLiteral("Size")).Value());
      info->Path = PathFullName(PID, rt::Null, true);
      info->Files = NzValue(rs->Fields(QStringLiteral("Files")).Value(), 0).toInt();
      const int32_t dirs = NzValue(rs->Fields(QStringLiteral("TotalDirs")).Value(), 0).toInt();
      if (dirs > 0) {
        info->TotalBytes = number(rs->Fields(QStringLiteral("TotalSize")).Value());
        info->TotalFiles = NzValue(rs->Fields(QStringLiteral("TotalFiles")).Value(), 0).toInt();
        info->TotalSubFolders = dirs;
        info->ExtendedInfo = true;
      }
    }
    rs->Close();
    return info;
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("PathInfo"));
  }
  return nullptr;
}

void frmMainDetail::CatInfo2ListView(const pCatInfo& info, QTreeWidget* list) {
  try {
    fill(list, {{QStringLiteral("Volumes"), QString::number(info.Volumes)},
                {QStringLiteral("Dateien"), info.FilesString()},
                {QStringLiteral("Größe"), info.ByteString()}});
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("CatInfo2ListView"));
  }
}

void frmMainDetail::VolumeInfo2ListView(const pVolumeInfo& info, QTreeWidget* list) {
  try {
    fill(list, {{QStringLiteral("Ordner"), QString::number(info.Folders)},
                {QStringLiteral("Dateien"), info.FilesString()},
                {QStringLiteral("Größe"), info.ByteString()}});
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("VolumeInfo2ListView"));
  }
}

namespace {

std::vector<PropItem> pathRows(const pPathInfo& info) {
  std::vector<PropItem> rows{{QStringLiteral("Pfad"), info.Path},
                             {QStringLiteral("Dateien"), info.FilesString()},
                             {QStringLiteral("Größe"), info.ByteString()}};
  if (info.ExtendedInfo) {
    rows.push_back(separator());
    rows.push_back({QStringLiteral("Gesamtgröße"), info.TotalByteString()});
    rows.push_back({QStringLiteral("Dateien gesamt"), info.TotalFilesString()});
    rows.push_back({QStringLiteral("Unterordner"), QString::number(info.TotalSubFolders)});
  }
  return rows;
}

}  // namespace

void frmMainDetail::PathInfo2ListView(const pPathInfo& info, QTreeWidget* list) {
  try {
    fill(list, pathRows(info));
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("PathInfo2ListView"));
  }
}

void frmMainDetail::CatInfo2InfoData(const pCatInfo& info, std::vector<PropItem>& rows) {
  try {
    rows = {{QStringLiteral("Kategorie"), info.Name},
            {QStringLiteral("Volumes"), QString::number(info.Volumes)},
            {QStringLiteral("Dateien"), info.FilesString()},
            {QStringLiteral("Größe"), info.ByteString()}};
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("CatInfo2InfoData"));
  }
}

void frmMainDetail::PathInfo2InfoData(const pPathInfo& info, std::vector<PropItem>& rows) {
  try {
    rows = pathRows(info);
  } catch (...) {
    gErr->ErrRaise(0, kSource, QStringLiteral("PathInfo2InfoData"));
  }
}

void frmMainDetail::ViewInfo_Click(int kind) {
  static const char* const entries[] = {"mMainView_CategoryInfo", "mMainView_VolumeInfo", "mMainView_FolderInfo"};
  static const char* const procedures[] = {"ViewCategoryInfo", "ViewVolumeInfo", "ViewFolderInfo"};
  try {
    if (!w_.isVisible()) return;
    // The check mark has turned with the click; the option follows it.
    const bool on = checked(entries[kind]);
    if (gOptions) {
      if (kind == 0) gOptions->setViewCategoryInfo(on);
      if (kind == 1) gOptions->setViewVolumeInfo(on);
      if (kind == 2) gOptions->setViewFolderInfo(on);
    }
    QWidget* panes[] = {w_.picCategory, w_.picVolume, w_.picFolder};
    if (panes[kind]->isHidden()) return;
    if (kind == 0) w_.picCategory->setInfoVisible(on);
    if (kind == 1) w_.picVolume->setInfoVisible(on);
    if (kind == 2) w_.picFolder->setInfoVisible(on);
    QTreeWidgetItem* node = w_.Tree1->SelectedItem();
    if (!on || !node || Tree::NodeType(node) != kind) return;
    const int32_t id = ui::itemTag(node).toInt();
    if (kind == 0) CatProperties(id);
    if (kind == 1) VolumeProperties(id);
    if (kind == 2) FolderProperties(id);
  } catch (...) {
    gErr->ErrMsg(kSource, QString::fromLatin1(procedures[kind]));
  }
}
