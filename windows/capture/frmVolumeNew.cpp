#include "windows/capture/frmVolumeNew.h"

#include "catalogue/TableVolumes.h"
#include "catalogue/mdlCommand_open.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/pReader.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/FileDialog.h"
#include "foundation/widgets/WindowCommand.h"
#include "platform/jet/JetError.h"
#include "platform/jet/TransactionScope.h"
#include "platform/jet/Workspace.h"
#include "platform/ui/MessageBox.h"
#include "windows/capture/frmVolumeNewPre.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kSource = QStringLiteral("frmVolumeNew");
constexpr int kHelpContext = 120;

// "c:\" of the old defaults: the user's home folder here.
QString defaultReadPath() { return QDir::homePath() + QLatin1Char('/'); }

// The first letter of every word upper case, the others lower case ("MEINE CD" -> "Meine Cd").
QString properCase(const QString& text) {
  QString result = text.toLower();
  bool wordStart = true;
  for (QChar& c : result) {
    if (c.isSpace()) {
      wordStart = true;
    } else if (wordStart) {
      c = c.toUpper();
      wordStart = false;
    }
  }
  return result;
}

QLineEdit* readOnlyField(QWidget* parent, const char* name, const QString& toolTip) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setToolTip(toolTip);
  // Only the path chooser fills page 0: a typed path would skip the drive checks.
  edit->setReadOnly(true);
  return edit;
}

}  // namespace

frmVolumeNew::frmVolumeNew(QWidget* parent) : QDialog(parent), stack_(new QStackedWidget(this)) {
  setObjectName(QStringLiteral("frmVolumeNew"));
  setWindowTitle(QStringLiteral("Neues Volume"));
  setProperty("HelpContextID", kHelpContext);
  BuildPages();
  Form_Load();
}

frmVolumeNew::~frmVolumeNew() {
  // Unload: the two skip switches are kept for the next volume, saved or not.
  try {
    if (gOptions) {
      gOptions->setOnReadSkipHidden(chkSkipHidden_->isChecked());
      gOptions->setOnReadSkipSystem(chkSkipSystem_->isChecked());
    }
  } catch (...) {
    // Nothing to report while the window goes.
  }
  m_Reader.reset();
}

void frmVolumeNew::BuildPages() {
  // Page 0: the path and the facts of its drive.
  auto* page0 = new QWidget;
  volumePath_ = readOnlyField(page0, "VolumePath", QString());
  cmdBrowse_ = new QPushButton(QStringLiteral("..."), page0);
  cmdBrowse_->setObjectName(QStringLiteral("cmdBrowse"));
  cmdBrowse_->setToolTip(QStringLiteral("Backend wählen"));
  auto* frame2 = new QGroupBox(QStringLiteral("Erweitere Informationen"), page0);
  frame2->setObjectName(QStringLiteral("Frame2"));
  computername_ = readOnlyField(frame2, "Computername", QStringLiteral("Name des Computers"));
  volumeSerial_ = readOnlyField(frame2, "VolumeSerial", QStringLiteral("Seriennummer des Laufwerks"));
  volumeLabel_ = readOnlyField(frame2, "VolumeLabel", QStringLiteral("Name des Laufwerks"));
  volumeTypeString_ = readOnlyField(frame2, "VolumeTypeString", QStringLiteral("Typ des Laufwerks"));
  auto* facts = new QFormLayout(frame2);
  facts->addRow(QStringLiteral("Computername"), computername_);
  facts->addRow(QStringLiteral("Seriennummer"), volumeSerial_);
  facts->addRow(QStringLiteral("Laufwerksname"), volumeLabel_);
  facts->addRow(QStringLiteral("Typ"), volumeTypeString_);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(volumePath_, 1);
  pathRow->addWidget(cmdBrowse_);
  auto* l0 = new QVBoxLayout(page0);
  l0->addWidget(new QLabel(QStringLiteral("Pfad des Volumes"), page0));
  l0->addLayout(pathRow);
  l0->addWidget(frame2);
  l0->addStretch();

  // Page 1: name, description, storage location.
  auto* page1 = new QWidget;
  volumeName_ = new QLineEdit(page1);
  volumeName_->setObjectName(QStringLiteral("VolumeName"));
  volumeName_->setToolTip(QStringLiteral("Anzeigename des Volumes"));
  volumeName_->setMaxLength(255);
  description_ = new QLineEdit(page1);
  description_->setObjectName(QStringLiteral("Description"));
  description_->setToolTip(QStringLiteral("Kurzbeschreibung"));
  description_->setMaxLength(255);
  cmbLoc_ = new QComboBox(page1);
  cmbLoc_->setObjectName(QStringLiteral("cmbLoc"));
  auto* l1 = new QVBoxLayout(page1);
  l1->addWidget(new QLabel(QStringLiteral("Name des Volumes"), page1));
  l1->addWidget(volumeName_);
  l1->addWidget(new QLabel(QStringLiteral("Beschreibung"), page1));
  l1->addWidget(description_);
  l1->addWidget(new QLabel(QStringLiteral("Lagerort"), page1));
  l1->addWidget(cmbLoc_);
  l1->addStretch();

  // Page 2: the memo.
  auto* page2 = new QWidget;
  memo_ = new QPlainTextEdit(page2);
  memo_->setObjectName(QStringLiteral("Memo"));
  memo_->setTabChangesFocus(true);
  auto* l2 = new QVBoxLayout(page2);
  l2->addWidget(new QLabel(QStringLiteral("Memo"), page2));
  l2->addWidget(memo_, 1);

  // Page 3: the reading switches, the closing words and the status line.
  auto* page3 = new QWidget;
  chkSkipHidden_ = new QCheckBox(QStringLiteral("Versteckte Dateien/Ordner übergehen"), page3);
  chkSkipHidden_->setObjectName(QStringLiteral("chkOnReadSkipHidden"));
  chkSkipSystem_ = new QCheckBox(QStringLiteral("System-Dateien/-Ordner übergehen"), page3);
  chkSkipSystem_->setObjectName(QStringLiteral("chkOnReadSkipSystem"));
  chkFileRead_ = new QCheckBox(QStringLiteral("Alle Dateien auf Lesbarkeit prüfen"), page3);
  chkFileRead_->setObjectName(QStringLiteral("chkFileRead"));
  chkFileRead_->setToolTip(QStringLiteral("Alle Dateien werden testweise geöffnet, um die Lesbarkeit sicherzustellen"));
  chkCompleteFile_ = new QCheckBox(QStringLiteral("Dateien komplett einlesen (zeitaufwändig!)"), page3);
  chkCompleteFile_->setObjectName(QStringLiteral("chkCompleteFile"));
  chkCompleteFile_->setToolTip(QStringLiteral("Dateien kompett oder die ersten 32 KB einlesen"));
  chkCompleteFile_->hide();
  lbl1_ = new QLabel(
      QStringLiteral("Damit sind alle Informationen erfasst, die nötig sind, um das neue Volume anzulegen."), page3);
  lbl1_->setObjectName(QStringLiteral("lbl1"));
  lbl1_->setWordWrap(true);
  lbl2_ = new QLabel(QStringLiteral("Klicken Sie auf <Speichern>, um das Volume anzulegen und die Daten einzulesen."),
                     page3);
  lbl2_->setObjectName(QStringLiteral("lbl2"));
  lbl2_->setWordWrap(true);
  lblStatus_ = new QLabel(page3);
  lblStatus_->setObjectName(QStringLiteral("lblStatus"));
  lblStatus_->setTextFormat(Qt::PlainText);
  lblStatus_->setWordWrap(true);
  lblStatus_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblStatus_->setMinimumHeight(3 * lblStatus_->fontMetrics().lineSpacing());
  lblStatus_->hide();
  auto* indent = new QHBoxLayout;
  indent->addSpacing(20);
  indent->addWidget(chkCompleteFile_);
  auto* l3 = new QVBoxLayout(page3);
  l3->addWidget(chkSkipHidden_);
  l3->addWidget(chkSkipSystem_);
  l3->addWidget(chkFileRead_);
  l3->addLayout(indent);
  l3->addSpacing(12);
  l3->addWidget(lbl1_);
  l3->addWidget(lbl2_);
  l3->addWidget(lblStatus_);
  l3->addStretch();

  pages_ = {page0, page1, page2, page3};
  for (int i = 0; i < kPages; ++i) {
    pages_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("fraPage%1").arg(i));
    stack_->addWidget(pages_[static_cast<size_t>(i)]);
  }

  // The button bar: three buttons side by side, centred as a group.
  auto* picCommand = new QWidget(this);
  picCommand->setObjectName(QStringLiteral("picCommand"));
  cmdPrevious_ = new QPushButton(QStringLiteral("&Zurück"), picCommand);
  cmdPrevious_->setObjectName(QStringLiteral("cmdPrevious"));
  cmdNext_ = new QPushButton(QStringLiteral("&Weiter"), picCommand);
  cmdNext_->setObjectName(QStringLiteral("cmdNext"));
  cmdCancel_ = new QPushButton(QStringLiteral("&Abbrechen"), picCommand);
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  // No button takes Enter: Enter in the name must not save.
  for (QPushButton* b : {cmdBrowse_, cmdPrevious_, cmdNext_, cmdCancel_}) b->setAutoDefault(false);
  auto* bar = new QHBoxLayout(picCommand);
  bar->setSpacing(0);
  bar->addStretch();
  bar->addWidget(cmdPrevious_);
  bar->addWidget(cmdNext_);
  bar->addWidget(cmdCancel_);
  bar->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(stack_, 1);
  layout->addWidget(picCommand);
  setMinimumWidth(460);

  connect(cmdNext_, &QPushButton::clicked, this, &frmVolumeNew::cmdNext_Click);
  connect(cmdPrevious_, &QPushButton::clicked, this, &frmVolumeNew::cmdPrevious_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmVolumeNew::cmdCancel_Click);
  connect(cmdBrowse_, &QPushButton::clicked, this, &frmVolumeNew::cmdBrowse_Click);
  connect(chkFileRead_, &QCheckBox::clicked, this, &frmVolumeNew::chkFileRead_Click);
}

void frmVolumeNew::Form_Load() {
  // Errors ignored: a wizard without locations or options still works.
  SetFormFont(this);
  try {
    fLocFillCombo(cmbLoc_);
  } catch (...) {
  }
  if (gOptions) {
    chkSkipHidden_->setChecked(gOptions->OnReadSkipHidden());
    chkSkipSystem_->setChecked(gOptions->OnReadSkipSystem());
  }
  GotoPage(0);
}

void frmVolumeNew::GotoPage(int page) {
  try {
    if (page < 0 || page >= kPages) return;
    stack_->setCurrentIndex(page);
    if (page == kPages - 1) {
      cmdNext_->setText(QStringLiteral("&Speichern"));
    } else {
      cmdNext_->setEnabled(true);
      cmdNext_->setText(QStringLiteral("&Weiter"));
    }
    if (page == 0) {
      if (isVisible()) cmdNext_->setFocus();
      cmdPrevious_->setEnabled(false);
    } else {
      cmdPrevious_->setEnabled(true);
    }
    page_ = page;
    if (!isVisible()) return;
    switch (page) {
      case 0:
        if (cmdBrowse_->isEnabled())
          cmdBrowse_->setFocus();
        else
          volumePath_->setFocus();
        break;
      case 1:
        volumeName_->setFocus();
        break;
      case 2:
        memo_->setFocus();
        break;
      default:
        break;
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("GotoPage"));
  }
}

void frmVolumeNew::cmdNext_Click() {
  Command(QStringLiteral("cmdNext"), [this] {
    if (page_ == kPages - 1)
      CmdSave();
    else
      GotoPage(page_ + 1);
  });
}

void frmVolumeNew::cmdPrevious_Click() {
  Command(QStringLiteral("cmdPrevious"), [this] { GotoPage(page_ - 1); });
}

void frmVolumeNew::chkFileRead_Click() {
  Command(QStringLiteral("chkFileRead"), [this] { chkCompleteFile_->setVisible(chkFileRead_->isChecked()); });
}

void frmVolumeNew::cmdBrowse_Click() {
  Command(QStringLiteral("cmdBrowse"), [this] { pubGetPath(); });
}

void frmVolumeNew::cmdCancel_Click() {
  // During a read Cancel stops it: the read is the command that runs.
  if (reading_) {
    if (m_Reader) m_Reader->Cancel();
    return;
  }
  Command(QStringLiteral("cmdCancel"), [this] {
    chkCancel_ = 1;
    QDialog::reject();
  });
}

void frmVolumeNew::reject() { cmdCancel_Click(); }

void frmVolumeNew::Status(const QString& text) { lblStatus_->setText(text); }

frmVolumeNew::PathFacts frmVolumeNew::pathFacts() const {
  return {volumePath_->text(),       computername_->text(), volumeSerial_->text(), volumeLabel_->text(),
          volumeTypeString_->text(), volumeType_,           volumeName_->text()};
}

void frmVolumeNew::setPathFacts(const PathFacts& facts) {
  volumePath_->setText(facts.path);
  computername_->setText(facts.computer);
  volumeSerial_->setText(facts.serial);
  volumeLabel_->setText(facts.label);
  volumeTypeString_->setText(facts.typeText);
  volumeType_ = facts.type;
  volumeName_->setText(facts.name);
}

bool frmVolumeNew::pubGetPath() {
  try {
    return GetPath();
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("pubGetPath"));
  }
}

bool frmVolumeNew::GetPath() {
  const PathFacts before = pathFacts();
  try {
    if (!gLastReadPath.isEmpty() && !FolderExists(gLastReadPath)) gLastReadPath.clear();
    if (gLastReadPath.isEmpty()) gLastReadPath = defaultReadPath();

    QString path;
    if (!gCDDrives.isEmpty() && !GetPathEx(path)) return false;
    if (path.isEmpty()) {
      // Over the wizard once it is up, else over the window that opened it.
      QWidget* owner = isVisible() || !parentWidget() ? this : parentWidget();
      path = FileDialog().BrowseForFolder(gErr->MsgLoad(kMsgChooseVolumePath), gLastReadPath, owner, true);
      if (path.isEmpty()) return false;
    }
    if (!CheckDriveReady(path, QStringLiteral("Laufwerksüberprüfung"))) return false;
    // A drive without its disc shows as its device: nothing there to read.
    if (!FolderExists(path)) {
      gErr->MsgShow(kMsgVolumeUnavailable, ui::kExclamation, path);
      return false;
    }
    path = AddTrailingChar(path, QStringLiteral("/"));
    gLastReadPath = GetDriveSpec(path);

    volumePath_->setText(path);
    SetExtendedInfo();
    if (!VolumeCheck(path, volumeSerial_->text(), rt::Null)) {
      // The refused path must not stay behind for "Speichern".
      setPathFacts(before);
      return false;
    }
    if (path == GetDriveSpec(path)) volumeName_->setText(properCase(volumeLabel_->text()));
    return true;
  } catch (...) {
    setPathFacts(before);
    gErr->ErrReRaise(kSource, QStringLiteral("GetPath"));
  }
}

bool frmVolumeNew::GetPathEx(QString& path) {
  try {
    frmVolumeNewPre chooser(this);
    chooser.exec();
    if (chooser.chkCancel() != 0) return false;
    path = chooser.pubResult();
    return true;
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("GetPathEx"));
  }
  return false;
}

void frmVolumeNew::SetExtendedInfo() {
  try {
    const DriveInfoRec info = DriveInfo(volumePath_->text());
    volumeSerial_->setText(info.VolumeSerial);
    volumeLabel_->setText(info.VolumeLabel);
    volumeType_ = QString::number(info.VolumeType);
    volumeTypeString_->setText(info.VolumeTypeString);
    computername_->setText(info.Computername);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("SetExtendedInfo"));
  }
}

bool frmVolumeNew::CheckRecord() {
  try {
    if (volumeName_->text().isEmpty()) {
      gErr->MsgShow(kMsgVolumeNameMissing, ui::kExclamation);
      GotoPage(1);
      volumeName_->setFocus();
      return false;
    }
    if (volumePath_->text().isEmpty()) {
      gErr->MsgShow(kMsgVolumePathMissing, ui::kExclamation);
      GotoPage(0);
      volumePath_->setFocus();
      return false;
    }
    return true;
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("CheckRecord"));
  }
  return false;
}

void frmVolumeNew::setReadingControls(bool reading) {
  reading_ = reading;
  cmdNext_->setEnabled(!reading);
  cmdPrevious_->setEnabled(!reading);
  chkFileRead_->setEnabled(!reading);
  lblStatus_->setVisible(reading);
  lbl1_->setVisible(!reading);
  lbl2_->setVisible(!reading);
}

// The volume row and the read share one transaction: a read that fails, is cancelled or never
// ends (the program killed) leaves no row behind that would later pass for a catalogued volume.
void frmVolumeNew::CmdSave() {
  if (!CheckRecord()) return;
  std::shared_ptr<jet::Workspace> ws = gDB ? gDB->WS() : nullptr;
  setReadingControls(true);
  try {
    if (!ws)
      throw rt::RaisedError(jet::err::kObjectInvalid, QString(), QStringLiteral("Es ist kein Katalog geöffnet."));
    jet::TransactionScope transaction(*ws);
    const int32_t vid = VolumeSave();
    if (VolumeRead(vid)) {
      transaction.Commit();
      savedVid_ = vid;
      chkCancel_ = 0;
      hide();
    }
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("CmdSave"));
  }
  setReadingControls(false);
}

int32_t frmVolumeNew::VolumeSave() {
  try {
    NewVolume volume;
    volume.VID = NewKey(kKeyVID);
    volume.VolumeSerial = NullIfEmpty(volumeSerial_->text(), false);
    volume.VolumeLabel = NullIfEmpty(volumeLabel_->text(), false);
    volume.VolumeType = volumeType_.toInt();
    volume.VolumeName = volumeName_->text();
    volume.VolumePath = volumePath_->text();
    volume.Description = NullIfEmpty(description_->text(), false);
    volume.Memo = NullIfEmpty(memo_->toPlainText(), false);
    volume.Computername = NullIfEmpty(computername_->text(), false);
    volume.EditDate = rt::Variant::fromDateTime(QDateTime::currentDateTime());
    if (catId_ > 0) volume.CatID = catId_;
    if (cmbLoc_->currentIndex() > 0) volume.LocID = cmbLoc_->currentData().toInt();
    VolumeAdd(*gDB->DB(), volume);
    return volume.VID;
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("VolumeSave"));
  }
}

bool frmVolumeNew::VolumeRead(int32_t VID) {
  try {
    m_Reader = std::make_unique<pReader>(this);
    m_Reader->setVolID(VID);
    m_Reader->setFileRead(chkFileRead_->isChecked());
    m_Reader->setFileReadComplete(chkCompleteFile_->isChecked());
    m_Reader->setSkipHidden(chkSkipHidden_->isChecked());
    m_Reader->setSkipSystem(chkSkipSystem_->isChecked());
    return m_Reader->Read(0);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("VolumeRead"));
  }
}

void frmVolumeNew::Command(const QString& procedure, const std::function<void()>& command) {
  RunCommand(kSource, procedure, command, {}, this);
}
