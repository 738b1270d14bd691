#include "windows/capture/frmVolumeNewPre.h"

#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlMCI.h"
#include "foundation/mdlQZFramework.h"
#include "foundation/widgets/WindowCommand.h"
#include "platform/volumes/VolumeSystem.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QString kSource = QStringLiteral("frmVolumeNewPre");
}

QString OpticalDriveRoot(const QString& entry) {
  try {
    for (const volumes::OpticalDrive& d : volumes::VolumeSystem().opticalDrives())
      if ((d.device == entry || d.root == entry) && !d.root.isEmpty()) return d.root;
  } catch (...) {
    // Without the drive list the entry is all there is.
  }
  return entry;
}

frmVolumeNewPre::frmVolumeNewPre(QWidget* parent)
    : QDialog(parent),
      lstCD_(new QListWidget(this)),
      cmdCD_(new QPushButton(QStringLiteral("&OK"), this)),
      cmdOpen_(new QPushButton(QStringLiteral("&Öffnen"), this)),
      cmdClose_(new QPushButton(QStringLiteral("&Schließen"), this)),
      cmdChoosePath_(new QPushButton(QStringLiteral("&Pfad auswählen"), this)) {
  setObjectName(QStringLiteral("frmVolumeNewPre"));
  setWindowTitle(QStringLiteral("Quelle wählen"));
  lstCD_->setObjectName(QStringLiteral("lstCD"));
  cmdCD_->setObjectName(QStringLiteral("cmdCD"));
  cmdOpen_->setObjectName(QStringLiteral("cmdOpen"));
  cmdClose_->setObjectName(QStringLiteral("cmdClose"));
  cmdChoosePath_->setObjectName(QStringLiteral("cmdChoosePath"));
  cmdOpen_->setToolTip(QStringLiteral("Laufwerksschublade öffnen"));
  cmdClose_->setToolTip(QStringLiteral("Laufwerksschublade schließen"));
  // Enter chooses a folder; no other button takes it.
  for (QPushButton* b : {cmdCD_, cmdOpen_, cmdClose_}) b->setAutoDefault(false);
  cmdChoosePath_->setDefault(true);

  auto* frame1 = new QGroupBox(QStringLiteral("CD/DVD"), this);
  frame1->setObjectName(QStringLiteral("Frame1"));
  auto* driveButtons = new QVBoxLayout;
  driveButtons->addWidget(cmdCD_);
  driveButtons->addWidget(cmdOpen_);
  driveButtons->addWidget(cmdClose_);
  driveButtons->addStretch();
  auto* drives = new QHBoxLayout(frame1);
  drives->addWidget(lstCD_, 1);
  drives->addLayout(driveButtons);
  lstCD_->setMinimumWidth(160);
  lstCD_->setFixedHeight(5 * lstCD_->fontMetrics().height() + 8);

  auto* frame2 = new QGroupBox(QStringLiteral("... oder ..."), this);
  frame2->setObjectName(QStringLiteral("Frame2"));
  auto* other = new QHBoxLayout(frame2);
  other->addStretch();
  other->addWidget(cmdChoosePath_);
  other->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame1);
  layout->addWidget(frame2);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(lstCD_, &QListWidget::itemSelectionChanged, this, &frmVolumeNewPre::lstCD_SelectionChanged);
  connect(cmdCD_, &QPushButton::clicked, this, &frmVolumeNewPre::cmdCD_Click);
  connect(cmdChoosePath_, &QPushButton::clicked, this, &frmVolumeNewPre::cmdChoosePath_Click);
  connect(cmdOpen_, &QPushButton::clicked, this, [this] { cmdTray_Click(true); });
  connect(cmdClose_, &QPushButton::clicked, this, [this] { cmdTray_Click(false); });
  Form_Load();
}

void frmVolumeNewPre::Form_Load() {
  try {
    SetFormFont(this);
    int selected = -1;
    for (const QString& drive : gCDDrives) {
      lstCD_->addItem(drive);
      if (selected < 0 && drive.compare(gLastReadPath, Qt::CaseInsensitive) == 0) selected = lstCD_->count() - 1;
    }
    if (lstCD_->count() > 0) lstCD_->setCurrentRow(selected < 0 ? 0 : selected);
    lstCD_SelectionChanged();
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("Form_Load"));
  }
}

void frmVolumeNewPre::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!placed_) {
    placed_ = true;
    PlaceUnderPointer();
  }
}

// The centre of the OK button goes under the pointer, but the whole window stays on the
// screen: near an edge the button would otherwise lie out of reach.
void frmVolumeNewPre::PlaceUnderPointer() {
  try {
    int32_t x = 0;
    int32_t y = 0;
    if (!MousePositionGet(0, x, y, false, false)) return;
    if (layout()) layout()->activate();
    const QPoint pointer(x, y);
    const QPoint centre = cmdCD_->mapTo(this, cmdCD_->rect().center());
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    QRect frame(pointer - centre - frameOffset, frameGeometry().size());
    if (QScreen* screen = QGuiApplication::screenAt(pointer) ? QGuiApplication::screenAt(pointer)
                                                             : QGuiApplication::primaryScreen()) {
      const QRect avail = screen->availableGeometry();
      if (frame.right() > avail.right()) frame.moveRight(avail.right());
      if (frame.bottom() > avail.bottom()) frame.moveBottom(avail.bottom());
      if (frame.left() < avail.left()) frame.moveLeft(avail.left());
      if (frame.top() < avail.top()) frame.moveTop(avail.top());
    }
    move(frame.topLeft());
  } catch (...) {
    // The window then stays where the system put it.
  }
}

void frmVolumeNewPre::lstCD_SelectionChanged() {
  const bool any = lstCD_->currentItem() && lstCD_->currentItem()->isSelected();
  cmdOpen_->setEnabled(any);
  cmdClose_->setEnabled(any);
}

void frmVolumeNewPre::cmdCD_Click() {
  Command(QStringLiteral("cmdCD_Click"), [this] {
    QListWidgetItem* item = lstCD_->currentItem();
    if (!item || !item->isSelected()) return;
    result_ = OpticalDriveRoot(item->text());
    chkCancel_ = 0;
    accept();
  });
}

void frmVolumeNewPre::cmdChoosePath_Click() {
  Command(QStringLiteral("cmdChoosePath_Click"), [this] {
    result_.clear();
    chkCancel_ = 0;
    accept();
  });
}

void frmVolumeNewPre::cmdTray_Click(bool open) {
  Command(QStringLiteral("cmdTray_Click"), [this, open] {
    try {
      QListWidgetItem* item = lstCD_->currentItem();
      if (!item || !item->isSelected()) return;
      if (open)
        CDTrayOpen(item->text());
      else
        CDTrayClose(item->text());
    } catch (...) {
      // A tray that does not move is no error worth a box.
    }
  });
}

void frmVolumeNewPre::reject() {
  result_.clear();
  chkCancel_ = 1;
  QDialog::reject();
}

void frmVolumeNewPre::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kSource, procedure, command, {}, this);
}
