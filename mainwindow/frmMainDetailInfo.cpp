// The information lists of the three panes: totals computed once per record and kept in the
// window's cache until a catalogue is opened or the view refreshed.
#include "catalogue/mdlGlobals.h"
#include "catalogue/mdlInfo.h"
#include "catalogue/widgets/Tree.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainDetail.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QAction>
#include <QLabel>
#include <QTreeWidget>

#include <optional>

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

}  // namespace

void frmMainDetail::NewInfoCache() { cache_ = std::make_unique<pInfoColl>(); }

void frmMainDetail::refreshInfo(int32_t message, const char* procedure, const std::function<void()>& fill) {
  std::optional<ui::HourglassScope> hourglass;
  try {
    const QString text = ShortenTextToWidth(gErr->MsgLoad(message), w_.SBPanel1->width(), QFontMetrics(w_.TextFont()));
    w_.pubStatus(text);
    hourglass.emplace();
    fill();
  } catch (...) {
    gErr->ErrMsg(kSource, QString::fromLatin1(procedure));
  }
  try {
    w_.pubStatus(QString());
  } catch (...) {
    // The status text is only a hint.
  }
  hourglass.reset();
}

void frmMainDetail::CatProperties(int32_t CID) {
  refreshInfo(kMsgReadingCategoryInfo, "CatProperties",
              [&] { CatInfo2ListView(*CathInfo(CID, *cache_), w_.picCategory->LVCategoryInfo); });
}

void frmMainDetail::VolumeProperties(int32_t VID) {
  refreshInfo(kMsgReadingVolumeInfo, "VolumeProperties",
              [&] { VolumeInfo2ListView(*VolumeInfo(VID, *cache_), w_.picVolume->LVVolumeInfo); });
}

void frmMainDetail::FolderProperties(int32_t PID) {
  refreshInfo(kMsgReadingFolderInfo, "FolderProperties",
              [&] { PathInfo2ListView(*PathInfo(PID, *cache_), w_.picFolder->LVFolderInfo); });
}

void frmMainDetail::CatInfo2ListView(const pCatInfo& info, QTreeWidget* list) {
  try {
    fill(list, {{QStringLiteral("Volumes"), QString::number(info.Volumes)},
                {QStringLiteral("Dateien"), info.FilesString()},
                {QStringLiteral("Größe"), info.ByteString()}});
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("CatInfo2ListView"));
  }
}

void frmMainDetail::VolumeInfo2ListView(const pVolumeInfo& info, QTreeWidget* list) {
  try {
    fill(list, {{QStringLiteral("Ordner"), QString::number(info.Folders)},
                {QStringLiteral("Dateien"), info.FilesString()},
                {QStringLiteral("Größe"), info.ByteString()}});
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("VolumeInfo2ListView"));
  }
}

void frmMainDetail::PathInfo2ListView(const pPathInfo& info, QTreeWidget* list) {
  try {
    // The list shows the rows the Info command shows.
    std::vector<PropItem> rows;
    PathInfo2InfoData(info, rows);
    fill(list, rows);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("PathInfo2ListView"));
  }
}

void frmMainDetail::ViewInfo_Click(int kind) {
  static const char* const entries[] = {"mMainView_CategoryInfo", "mMainView_VolumeInfo", "mMainView_FolderInfo"};
  static const char* const procedures[] = {"ViewCategoryInfo", "ViewVolumeInfo", "ViewFolderInfo"};
  Command(QString::fromLatin1(procedures[kind]), [this, kind] {
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
  });
}
