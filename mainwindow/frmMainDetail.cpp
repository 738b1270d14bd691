#include "mainwindow/frmMainDetail.h"

#include "catalogue/TableFiles.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeView.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/jet/JetSqlText.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>

#include <cmath>

namespace {

const QString kSource = QStringLiteral("frmMain");
constexpr int kSortRole = Qt::UserRole + 10;

// A row of the file list: names and descriptions in the catalogue's text order, sizes and
// dates by their stored values (the texts "10,0 KB" and "2,0 KB" or "03.01.21" and
// "02.02.20" would sort wrongly).
class FileItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() ? std::max(0, treeWidget()->sortColumn()) : 0;
    if (column == 1 || column == 2) {
      const double a = data(column, kSortRole).toDouble();
      const double b = other.data(column, kSortRole).toDouble();
      if (a != b) return a < b;
      return jet::compareText(text(0), other.text(0)) < 0;
    }
    return jet::compareText(text(column), other.text(column)) < 0;
  }
};

// "dd.mm.yy" of an OLE date without going through the time zone rules.
QString shortDate(const rt::Variant& value) {
  if (value.isNull() || value.isEmpty()) return QString();
  const double days = std::floor(value.toDouble());
  return QDate(1899, 12, 30).addDays(static_cast<qint64>(days)).toString(QStringLiteral("dd.MM.yy"));
}

// One lock per fill of the list, released however the fill ends.
class RedrawLock {
 public:
  explicit RedrawLock(QWidget* w) : locked_(LockWindowRedraw(w)) {}
  ~RedrawLock() {
    if (locked_) LockWindowRedraw(nullptr);
  }
  RedrawLock(const RedrawLock&) = delete;
  RedrawLock& operator=(const RedrawLock&) = delete;

 private:
  bool locked_;
};

}  // namespace

frmMainDetail::frmMainDetail(frmMain& window) : w_(window), cache_(std::make_unique<pInfoColl>()) {
  QTreeWidget* files = w_.picFolder->LVFiles;
  files->setSortingEnabled(false);
  files->setSelectionMode(QAbstractItemView::SingleSelection);
  files->header()->setSectionsClickable(true);
  files->header()->setSortIndicatorShown(true);
  files->header()->setSortIndicator(0, Qt::AscendingOrder);
  connect(files->header(), &QHeaderView::sectionClicked, this, &frmMainDetail::LVFiles_ColumnClick);
  // A click on a row: the file can be opened.
  connect(files, &QTreeWidget::itemClicked, this, [this] { enableRun(true); });

  // The View menu's information entries (the frame lays the panes out again by itself).
  const char* const entries[] = {"mMainView_CategoryInfo", "mMainView_VolumeInfo", "mMainView_FolderInfo"};
  for (int kind = 0; kind < 3; ++kind)
    connect(menuItem(entries[kind]), &QAction::triggered, this, [this, kind] { ViewInfo_Click(kind); });

  bindPanes();
}

frmMainDetail::~frmMainDetail() = default;

QAction* frmMainDetail::menuItem(const char* name) const { return w_.findChild<QAction*>(QString::fromLatin1(name)); }

bool frmMainDetail::checked(const char* name) const {
  const QAction* a = menuItem(name);
  return a && a->isChecked();
}

void frmMainDetail::enableRun(bool on) {
  runOffered_ = on;
  if (QAction* run = menuItem("TB_Run")) run->setEnabled(on);
}

void frmMainDetail::NodeClick(QTreeWidgetItem* Node) {
  // A click that arrives after the catalogue has gone (closing, shutting down) shows nothing.
  if (!gDB || !gDB->DB()) return;
  ui::HourglassScope busy;
  try {
    // What was typed into the pane shown so far is checked and written while that pane is
    // still the visible one.
    CommitPending();
    QWidget* pane = nullptr;
    const int32_t type = Tree::NodeType(Node);
    switch (type) {
      case 0:
        pane = w_.picCategory;
        break;
      case 1:
        pane = w_.picVolume;
        break;
      case 2:
        pane = w_.picFolder;
        break;
      default:
        // A volume's placeholder leaves the pane as it was.
        return;
    }
    // Hide the others first, so that two panes never show at once.
    for (QWidget* p : {static_cast<QWidget*>(w_.picCategory), static_cast<QWidget*>(w_.picVolume),
                       static_cast<QWidget*>(w_.picFolder)})
      if (p != pane && !p->isHidden()) p->hide();
    if (pane->isHidden()) pane->show();
    if (type == 0) {
      w_.picCategory->setInfoVisible(checked("mMainView_CategoryInfo"));
      ShowCat(Node);
    } else if (type == 1) {
      w_.picVolume->setInfoVisible(checked("mMainView_VolumeInfo"));
      ShowVolume(Node);
    } else {
      w_.picFolder->setInfoVisible(checked("mMainView_FolderInfo"));
      ShowPath(Node);
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("NodeClick"));
  }
}

void frmMainDetail::ShowCat(QTreeWidgetItem* Node) {
  ui::HourglassScope hourglass;
  try {
    if (!Node) Node = w_.Tree1->SelectedItem();
    if (Node) {
      const int32_t CID = ui::itemKey(Node).mid(1).toInt();
      catRefused_ = false;
      CategoryPane& pane = *w_.picCategory;
      if (datCat_.Open(*gDB->DB(), QStringLiteral("tblCATEGORIES"), CID)) {
        const bool ownIcon = !datCat_.Value(QStringLiteral("Icon")).isNull();
        QString key = ownIcon ? Tree::Prefix_KeyUserIcon() + QString::number(CID) : Tree::IconKey(12);
        // An icon the tree could not read (a damaged picture) shows as the standard one.
        if (!w_.Tree1->ImageList().contains(key)) key = Tree::IconKey(12);
        pane.CatIcon->setPixmap(w_.Tree1->ImageList().pixmap(key));
        pane.CatIconEdit->setEnabled(true);
        pane.CatIconDelete->setEnabled(ownIcon);
        if (checked("mMainView_CategoryInfo")) CatProperties(CID);
      } else {
        // No record to change: the pane shows empty fields and offers no icon command.
        pane.CatIcon->clear();
        pane.CatIconEdit->setEnabled(false);
        pane.CatIconDelete->setEnabled(false);
        pane.LVCategoryInfo->clear();
      }
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("ShowCat"));
  }
  hourglass.end();
  w_.pubStatus(QString());
  enableRun(false);
}

void frmMainDetail::ShowVolume(QTreeWidgetItem* Node) {
  try {
    if (!Node) Node = w_.Tree1->SelectedItem();
    if (Node) {
      const int32_t VID = ui::itemKey(Node).mid(1).toInt();
      volRefused_ = false;
      datVol_.Open(*gDB->DB(), QStringLiteral("tblVOLUMES"), VID);
      showVolumeFacts();
      if (datVol_.HasCurrent() && checked("mMainView_VolumeInfo")) VolumeProperties(VID);
      if (!datVol_.HasCurrent()) w_.picVolume->LVVolumeInfo->clear();
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("ShowVolume"));
  }
  enableRun(false);
}

// The pane's controls that are no bound field: the type text, the location, the browse button.
void frmMainDetail::showVolumeFacts() {
  VolumePane& pane = *w_.picVolume;
  const bool current = datVol_.HasCurrent();
  pane.VolumeLocID->setEnabled(current);
  pane.cmdVolumeBrowse->setEnabled(current);
  if (!current) {
    pane.VolumeTypeString->clear();
    if (pane.VolumeLocID->count() > 0) pane.VolumeLocID->setCurrentIndex(0);
    locChanged_ = false;
    return;
  }
  pane.VolumeTypeString->setText(fVolumeTypeString(NzValue(datVol_.Value(QStringLiteral("VolumeType")), 0).toInt()));
  if (pane.VolumeLocID->count() > 0) {
    const rt::Variant loc = datVol_.Value(QStringLiteral("LocID"));
    if (loc.isNull() || ListSelectItem(pane.VolumeLocID, loc.toInt(), 0) < 0) pane.VolumeLocID->setCurrentIndex(0);
  }
  // The selection is the stored one, not an edit.
  locChanged_ = false;
}

void frmMainDetail::ShowPath(QTreeWidgetItem* Node) {
  if (!Node) Node = w_.Tree1->SelectedItem();
  if (!Node) return;
  QTreeWidget* list = w_.picFolder->LVFiles;
  try {
    const int32_t PID = ui::itemTag(Node).toInt();
    ui::HourglassScope busy;
    RedrawLock lock(list);
    list->clear();
    const int32_t mode = gOptions ? gOptions->IconMode() : 0;
    QList<QTreeWidgetItem*> rows;
    try {
      ForEachFileOfFolder(*gDB->DB(), PID, [&](const FileRecord& file) {
        const QString& name = file.Filename;
        const rt::Variant& date = file.DateTime;
        const double size = file.Filesize;
        const rt::Variant& desc = file.Desc;
        const int32_t FID = file.FID;
        auto* item = new FileItem(QStringList{name, FormatBytesShort(size), shortDate(date),
                                              desc.isNull() ? QStringLiteral("-") : desc.toText()});
        ui::setItemKey(item, QStringLiteral("A") + QString::number(FID));
        ui::setItemTag(item, FID);
        item->setData(1, kSortRole, size);
        item->setData(2, kSortRole, date.toDouble());
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setIcon(0, fileIcons_.Icon(fileIcons_.FileIconKey(name, mode)));
        rows.append(item);
      });
    } catch (...) {
      // The rows read so far stay in the list.
      list->addTopLevelItems(rows);
      sortFiles();
      throw;
    }
    list->addTopLevelItems(rows);
    sortFiles();
    enableRun(list->topLevelItemCount() > 0);
    if (list->topLevelItemCount() > 0) list->setCurrentItem(list->topLevelItem(0));
    if (checked("mMainView_FolderInfo")) FolderProperties(PID);
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("ShowPath"));
  }
}

QString frmMainDetail::FileIconKey(const QString& FileName) {
  return fileIcons_.FileIconKey(FileName, gOptions ? gOptions->IconMode() : 0);
}

void frmMainDetail::sortFiles() {
  QTreeWidget* list = w_.picFolder->LVFiles;
  list->sortItems(sortColumn_, Qt::AscendingOrder);
  list->header()->setSortIndicator(sortColumn_, Qt::AscendingOrder);
}

void frmMainDetail::LVFiles_ColumnClick(int column) {
  Command(QStringLiteral("LVFiles_ColumnClick"), [this, column] {
    try {
      // Always ascending: a second click on the same column changes nothing.
      sortColumn_ = column;
      sortFiles();
    } catch (...) {
      // Sorting is a convenience.
    }
  });
}

void frmMainDetail::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kSource, procedure, command);
}

void frmMainDetail::FindEnableUpdate() {
  try {
    QAction* find = menuItem("mMainEdit_Find");
    find->setEnabled(false);
    if (QAction* button = menuItem("TB_Find")) button->setEnabled(find->isEnabled());
    w_.picCategory->hide();
    w_.picVolume->hide();
    w_.picFolder->hide();
  } catch (...) {
    // The view is emptied as far as it goes.
  }
}
