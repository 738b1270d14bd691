#include "windows/maintenance/frmLocList.h"

#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_records.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "platform/jet/Recordset.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MousePointer.h"
#include "windows/maintenance/frmLocEdit.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kName = QStringLiteral("frmLocList");
constexpr int kHelpContext = 80;
constexpr int kMsgDeleteUnused = 135;
constexpr int kMsgDeleteUsed = 167;
constexpr int kMsgNotDeleted = 168;
constexpr int kSqlReleaseVolumes = 508;
constexpr int kKeyLocation = 4;

QString itemKey(int32_t lid) { return QStringLiteral("A") + QString::number(lid); }
int32_t itemId(const QTreeWidgetItem* item) { return item->data(0, Qt::UserRole).toInt(); }

int32_t volumeCount(int32_t lid) {
  return GetRecordCount(nullptr, *gDB->DB(), QStringLiteral("tblVOLUMES"),
                        QStringLiteral("[LocID]=") + QString::number(lid));
}

// An empty description is stored as Null, never as an empty text.
rt::Variant descriptionValue(const QString& text) { return text.isEmpty() ? rt::Variant() : rt::Variant(text); }

// Closes the record set however the block is left.
struct RecordsetCloser {
  std::shared_ptr<jet::Recordset>& rs;
  ~RecordsetCloser() {
    try {
      if (rs && rs->IsOpen()) rs->Close();
    } catch (...) {
    }
  }
};

}  // namespace

frmLocList::frmLocList(QWidget* owner) : QDialog(owner) {
  setObjectName(kName);
  setWindowTitle(QStringLiteral("Lagerorte"));
  LV = new QTreeWidget(this);
  LV->setObjectName(QStringLiteral("LV"));
  LV->setColumnCount(3);
  LV->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Beschreibung"), QStringLiteral("Verwendet")});
  LV->setRootIsDecorated(false);
  LV->setUniformRowHeights(true);
  LV->setSelectionMode(QAbstractItemView::SingleSelection);
  LV->header()->setStretchLastSection(false);
  LV->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(LV);

  kLV = new QMenu(this);
  kLV->setObjectName(QStringLiteral("kLV"));
  kLV_Add = kLV->addAction(QStringLiteral("&Hinzufügen"), this, &frmLocList::CmdAdd);
  kLV_Edit = kLV->addAction(QStringLiteral("&Ändern"), this, &frmLocList::Edit);
  kLV_Delete = kLV->addAction(QStringLiteral("&Löschen"), this,
                              [this] { Command(QStringLiteral("Delete"), [this] { Delete(); }); });

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { fHelpOpen(this, kHelpContext); });
  resize(480, 300);
  SetFormFont(this);
  LVFill();
  FitColumns();
}

void frmLocList::LVFill() {
  std::shared_ptr<jet::Recordset> rs;
  RecordsetCloser closer{rs};
  try {
    const QString sql = BuildSelectSql(QStringLiteral("tblLOCATIONS"), QString(), QStringLiteral("LocName"), false);
    rs = gDB->DB()->OpenRecordset(sql, jet::RecordsetType::ForwardOnly);
    while (!rs->IsEOF()) {
      const int32_t lid = rs->Fields(QStringLiteral("lID")).Value().toInt();
      auto* item = new QTreeWidgetItem(LV);
      item->setText(0, rs->Fields(QStringLiteral("LocName")).Value().toText());
      item->setText(1, rs->Fields(QStringLiteral("LocDescription")).Value().toText());
      item->setText(2, QString::number(volumeCount(lid)));
      item->setData(0, Qt::UserRole, lid);
      item->setData(0, Qt::UserRole + 1, itemKey(lid));
      rs->MoveNext();
    }
  } catch (...) {
    gErr->ErrMsg(kName, QStringLiteral("LVFill"));
  }
}

void frmLocList::FitColumns() {
  try {
    AutoSizeListViewColumn(LV, 1, false);
    FitListViewColumn(LV, 2, true);
  } catch (...) {
  }
}

void frmLocList::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FitColumns();
}

QTreeWidgetItem* frmLocList::Selected() const {
  QTreeWidgetItem* item = LV->currentItem();
  return item && item->isSelected() ? item : nullptr;
}

void frmLocList::LV_MouseUp(const QPoint& globalPos) {
  const bool selected = Selected() != nullptr;
  kLV_Edit->setEnabled(selected);
  kLV_Delete->setEnabled(selected);
  kLV->popup(globalPos);
}

bool frmLocList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LV->viewport() && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) LV_MouseUp(mouse->globalPosition().toPoint());
  }
  return QDialog::eventFilter(watched, event);
}

void frmLocList::CmdAdd() {
  std::shared_ptr<jet::Recordset> rs;
  RecordsetCloser closer{rs};
  Command(QStringLiteral("Add"), [&] {
    auto editor = std::make_unique<frmLocEdit>(this);
    editor->exec();
    if (editor->chkCancel() != 0) return;
    const QString name = editor->LocName->text();
    const QString description = editor->LocDescription->toPlainText();
    const int32_t lid = NewKey(kKeyLocation);
    rs = gDB->DB()->OpenRecordset(QStringLiteral("tblLOCATIONS"), jet::RecordsetType::Table);
    rs->AddNew();
    rs->Fields(QStringLiteral("lID")).SetValue(lid);
    rs->Fields(QStringLiteral("LocName")).SetValue(name);
    rs->Fields(QStringLiteral("LocDescription")).SetValue(descriptionValue(description));
    rs->Update();
    edited_ = 1;
    auto* item = new QTreeWidgetItem(LV);
    item->setText(0, name);
    item->setText(1, description);
    item->setText(2, QStringLiteral("0"));
    item->setData(0, Qt::UserRole, lid);
    item->setData(0, Qt::UserRole + 1, itemKey(lid));
    LV->clearSelection();
    LV->setCurrentItem(item);
    item->setSelected(true);
    FitColumns();
  });
}

void frmLocList::Edit() {
  QTreeWidgetItem* item = Selected();
  if (!item) return;
  std::shared_ptr<jet::Recordset> rs;
  RecordsetCloser closer{rs};
  Command(QStringLiteral("Edit"), [&] {
    const int32_t lid = itemId(item);
    auto editor = std::make_unique<frmLocEdit>(this);
    editor->LocName->setText(item->text(0));
    editor->LocDescription->setPlainText(item->text(1));
    editor->exec();
    if (editor->chkCancel() != 0) return;
    const QString name = editor->LocName->text();
    const QString description = editor->LocDescription->toPlainText();
    rs = gDB->DB()->OpenRecordset(QStringLiteral("tblLOCATIONS"), jet::RecordsetType::Table);
    rs->SetIndex(QStringLiteral("PrimaryKey"));
    rs->Seek(QStringLiteral("="), {lid});
    // A location another user deleted meanwhile: nothing to change.
    if (rs->NoMatch()) return;
    rs->Edit();
    rs->Fields(QStringLiteral("LocName")).SetValue(name);
    rs->Fields(QStringLiteral("LocDescription")).SetValue(descriptionValue(description));
    rs->Update();
    edited_ = 1;
    item->setText(0, name);
    item->setText(1, description);
  });
}

// Releasing the volumes and deleting the record happen in one transaction: a failed delete
// must not leave the volumes without their location while the location stays.
void frmLocList::Delete() {
  QTreeWidgetItem* item = Selected();
  if (!item) return;
  const std::shared_ptr<jet::Workspace> ws = gDB->WS();
  bool inTransaction = false;
  try {
    const int32_t lid = itemId(item);
    const int32_t used = volumeCount(lid);
    const QString question =
        used < 1 ? gErr->MsgLoad(kMsgDeleteUnused, item->text(0)) : gErr->MsgLoad(kMsgDeleteUsed, used, item->text(0));
    if (gErr->MsgShow(0, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2, rt::Null, rt::Null, question) !=
        ui::kAnswerYes)
      return;
    ui::HourglassScope hourglass;
    ws->BeginTrans();
    inTransaction = true;
    QString sql = gErr->MsgLoad(kSqlReleaseVolumes);
    sql.replace(QStringLiteral("#LOCID#"), QString::number(lid));
    gDB->DB()->Execute(sql, jet::dbFailOnError);
    const bool deleted =
        DeleteRecordBySeek(*gDB->DB(), QStringLiteral("tblLOCATIONS"), lid, QStringLiteral("PrimaryKey"));
    ws->CommitTrans();
    inTransaction = false;
    if (!deleted) {
      gErr->MsgShow(kMsgNotDeleted, ui::kCritical);
      return;
    }
    edited_ = 1;
    delete item;
    if (LV->topLevelItemCount() > 0) {
      LV->setCurrentItem(LV->topLevelItem(0));
      LV->topLevelItem(0)->setSelected(true);
    }
  } catch (...) {
    if (inTransaction) {
      try {
        ws->Rollback();
      } catch (...) {
      }
    }
    gErr->ErrMsg(kName, QStringLiteral("Delete"));
  }
}

void frmLocList::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kName, procedure, command, {}, this);
}
