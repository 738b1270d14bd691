#include "windows/maintenance/frmSystemIcons.h"

#include "catalogue/TableIcons.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/widgets/FileDialog.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "platform/runtime/RaisedError.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "windows/maintenance/ThumbNail.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QTreeWidget>

#include <optional>

namespace {

const QString kName = QStringLiteral("frmSystemIcons");
constexpr int kHelpContext = 110;
// IIDs from here on are the program's own icons, below it the drive types.
constexpr int32_t kFirstOtherIcon = 10;
// The colour the lists and the tree treat as transparent in pictures without an alpha channel;
// the renderer's back colour.
constexpr uint32_t kMaskColour = 0xC0C0C0;

QString itemKey(int32_t IID) { return QStringLiteral("A") + QString::number(IID); }

// 16 x 16, the mask colour transparent in pictures that carry no transparency.
QPixmap listPixmap(const QImage& image) {
  QPixmap pixmap = QPixmap::fromImage(
      image.size() == QSize(16, 16) ? image : image.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  if (!image.hasAlphaChannel()) pixmap.setMask(pixmap.createMaskFromColor(QColor(0xC0, 0xC0, 0xC0)));
  return pixmap;
}

// Stands for a stored icon that cannot be read, so the row can still be repaired.
QPixmap damagedPixmap() {
  QPixmap p(16, 16);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setPen(QPen(QColor(0xC0, 0x00, 0x00), 1));
  g.drawRect(2, 2, 11, 11);
  g.drawLine(4, 4, 11, 11);
  g.drawLine(11, 4, 4, 11);
  return p;
}

// An item without a picture keeps its text in line with the others.
QIcon noIcon() {
  QPixmap p(16, 16);
  p.fill(Qt::transparent);
  return QIcon(p);
}

}  // namespace

frmSystemIcons::frmSystemIcons(QWidget* owner) : QDialog(owner) {
  setObjectName(kName);
  setWindowTitle(QStringLiteral("System-Icons"));
  Label1 = new QLabel(QStringLiteral("Laufwerke"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(QStringLiteral("Sonstige"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(Label2, 0, 1);
  for (int i = 0; i < 2; ++i) {
    auto* lv = new QTreeWidget(this);
    lv->setObjectName(QStringLiteral("LV_%1").arg(i));
    lv->setColumnCount(1);
    lv->setHeaderLabels({i == 0 ? Label1->text() : Label2->text()});
    lv->setRootIsDecorated(false);
    lv->setUniformRowHeights(true);
    lv->setIconSize(QSize(16, 16));
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    // The one column spans the list.
    lv->header()->setStretchLastSection(true);
    lv->viewport()->installEventFilter(this);
    layout->addWidget(lv, 1, i);
    LV[static_cast<size_t>(i)] = lv;
  }
  Label1->setBuddy(LV[0]);
  Label2->setBuddy(LV[1]);

  ThumbNail1 = new ThumbNail(this);
  ThumbNail1->setObjectName(QStringLiteral("ThumbNail1"));
  ThumbNail1->setAppearance(0);
  ThumbNail1->setBorderStyle(0);
  ThumbNail1->setBackColor(kMaskColour);
  ThumbNail1->setFixedSize(16, 16);
  // It only renders the chosen file; nothing to see.
  ThumbNail1->hide();

  kLV = new QMenu(this);
  kLV->setObjectName(QStringLiteral("kLV"));
  kLV_Edit = kLV->addAction(QStringLiteral("&Icon ändern"), this, &frmSystemIcons::IconEdit);
  kLV_Default = kLV->addAction(QStringLiteral("&Auf Standard zurücksetzen"), this, &frmSystemIcons::IconDefault);

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { fHelpOpen(this, kHelpContext); });
  resize(480, 320);
  SetFormFont(this);
  VolumeTypesFill();
}

void frmSystemIcons::VolumeTypesFill() {
  try {
    for (const IconRow& row : IconRows(*gDB->DB(), IconOrder::ByOrder)) {
      const int32_t IID = row.IID;
      const QString key = itemKey(IID);
      bool hasIcon = false;
      try {
        const std::optional<Picture> picture = PictureOfFieldBytes(row.Icon);
        if (picture && !picture->isEmpty()) {
          il_.add(key, listPixmap(picture->image()));
          hasIcon = true;
        }
      } catch (const rt::RaisedError& e) {
        // A damaged picture must not hide this row and the ones after it: the row stays
        // listed, with a mark, so that its standard icon can be put back.
        if (!isPictureError(e)) throw;
        il_.add(key, damagedPixmap());
        hasIcon = true;
      }
      auto* item = new QTreeWidgetItem(LV[IID >= kFirstOtherIcon ? 1 : 0]);
      item->setText(0, row.FriendlyName);
      ui::setItemKey(item, key);
      ui::setItemTag(item, IID);
      item->setIcon(0, hasIcon ? QIcon(il_.pixmap(key)) : noIcon());
    }
  } catch (...) {
    gErr->ErrMsg(kName, QStringLiteral("VolumeTypesFill"));
  }
}

void frmSystemIcons::ILAddIcon(const QString& key, const QImage& picture) {
  try {
    if (il_.contains(key)) il_.remove(key);
    il_.add(key, listPixmap(picture));
  } catch (...) {
    gErr->ErrMsg(kName, QStringLiteral("ILAddIcon"));
  }
}

void frmSystemIcons::RefreshListIcons() {
  for (QTreeWidget* lv : LV) {
    for (int i = 0; i < lv->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = lv->topLevelItem(i);
      const QString key = ui::itemKey(item);
      item->setIcon(0, il_.contains(key) ? QIcon(il_.pixmap(key)) : noIcon());
    }
  }
}

QTreeWidgetItem* frmSystemIcons::Selected() const {
  QTreeWidgetItem* item = LV[static_cast<size_t>(current_)]->currentItem();
  return item && item->isSelected() ? item : nullptr;
}

void frmSystemIcons::LV_MouseUp(int index, const QPoint& globalPos) {
  current_ = index;
  kLV->popup(globalPos);
}

bool frmSystemIcons::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    for (int i = 0; i < 2; ++i)
      if (watched == LV[static_cast<size_t>(i)]->viewport() && mouse->button() == Qt::RightButton)
        LV_MouseUp(i, mouse->globalPosition().toPoint());
  }
  return QDialog::eventFilter(watched, event);
}

void frmSystemIcons::IconEdit() {
  QTreeWidgetItem* item = Selected();
  if (!item) return;
  Command(QStringLiteral("IconEdit"), [&] {
    const int32_t IID = ui::itemTag(item).toInt();
    const QString file = FileDialog().GetOpenFileName(gOptions->LastIconDir(), QString(), gErr->MsgLoad(kMsgIconTitle),
                                                      gErr->MsgLoad(kMsgIconFilter), this, 0);
    if (file.isEmpty()) return;
    gOptions->setLastIconDir(GetFolderPart(file, true, true));
    // Rendered at the tree's size, fitted and centred; a file that is no picture raises here,
    // before the catalogue is touched.
    ThumbNail1->LoadPicture(file);
    const Picture icon = Picture::fromImage(ThumbNail1->TransparentImage(), PictureType::Icon);
    // Stored first: the list shows no icon the catalogue does not hold.
    const bool stored = IconStore(*gDB->DB(), IID, PictureFieldBytes(icon, false));
    if (stored) {
      edited_ = 1;
      ILAddIcon(ui::itemKey(item), icon.image());
    }
    RefreshListIcons();
  });
}

void frmSystemIcons::IconDefault() {
  QTreeWidgetItem* item = Selected();
  if (!item) return;
  Command(QStringLiteral("IconDefault"), [&] {
    const int32_t IID = ui::itemTag(item).toInt();
    std::optional<Picture> standard;
    // Read before anything is written: an unreadable standard picture stores nothing.
    const bool stored = IconRestoreDefault(*gDB->DB(), IID, [&standard](const std::optional<QByteArray>& bytes) {
      standard = PictureOfFieldBytes(bytes);
    });
    if (stored) {
      edited_ = 1;
      if (standard && !standard->isEmpty())
        ILAddIcon(ui::itemKey(item), standard->image());
      else
        il_.remove(ui::itemKey(item));
    }
    RefreshListIcons();
  });
}

void frmSystemIcons::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kName, procedure, command, {}, this);
}
