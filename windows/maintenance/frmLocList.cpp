#include "windows/maintenance/frmLocList.h"

#include "catalogue/TableLocations.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_window.h"
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
constexpr int kKeyLocation = 4;

QString itemKey(int32_t lid) { return QStringLiteral("A") + QString::number(lid); }
int32_t itemId(const QTreeWidgetItem* item) { return item->data(0, Qt::UserRole).toInt(); }

int32_t volumeCount(int32_t lid) { return LocationVolumeCount(*gDB->DB(), lid); }

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
  kLV_Delete = kLV->addAction(QStringLiteral("&Löschen"), this, [this] { Delete(); });

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { fHelpOpen(this, kHelpContext); });
  resize(480, 300);
  SetFormFont(this);
  LVFill();
  FitColumns();
}

void frmLocList::LVFill() {
  try {
    for (const LocationRow& row : LocationRows(*gDB->DB(), LocationOrder::ByName)) {
      const int32_t lid = row.lID;
      auto* item = new QTreeWidgetItem(LV);
      item->setText(0, row.LocName);
      item->setText(1, row.LocDescription);
      item->setText(2, QString::number(volumeCount(lid)));
      item->setData(0, Qt::UserRole, lid);
      item->setData(0, Qt::UserRole + 1, itemKey(lid));
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
  Command(QStringLiteral("Add"), [&] {
    auto editor = std::make_unique<frmLocEdit>(this);
    editor->exec();
    if (editor->chkCancel() != 0) return;
    const QString name = editor->LocName->text();
    const QString description = editor->LocDescription->toPlainText();
    const int32_t lid = NewKey(kKeyLocation);
    LocationAdd(*gDB->DB(), lid, name, description);
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
  Command(QStringLiteral("Edit"), [&] {
    const int32_t lid = itemId(item);
    auto editor = std::make_unique<frmLocEdit>(this);
    editor->LocName->setText(item->text(0));
    editor->LocDescription->setPlainText(item->text(1));
    editor->exec();
    if (editor->chkCancel() != 0) return;
    const QString name = editor->LocName->text();
    const QString description = editor->LocDescription->toPlainText();
    // A location another user deleted meanwhile: nothing to change.
    if (!LocationUpdate(*gDB->DB(), lid, name, description)) return;
    edited_ = 1;
    item->setText(0, name);
    item->setText(1, description);
  });
}

void frmLocList::Delete() {
  QTreeWidgetItem* item = Selected();
  if (!item) return;
  Command(QStringLiteral("Delete"), [&] {
    const int32_t lid = itemId(item);
    const int32_t used = volumeCount(lid);
    const QString question = used < 1 ? gErr->MsgLoad(kMsgLocationDeleteAsk, item->text(0))
                                      : gErr->MsgLoad(kMsgLocationInUseDeleteAsk, used, item->text(0));
    if (gErr->MsgShow(0, ui::kYesNo + ui::kExclamation + ui::kDefaultButton2, rt::Null, rt::Null, question) !=
        ui::kAnswerYes)
      return;
    ui::HourglassScope hourglass;
    const bool deleted = LocationDelete(*gDB->WS(), *gDB->DB(), lid);
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
  });
}

void frmLocList::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kName, procedure, command, {}, this);
}
