// Editing in the category and volume panes: the fields write back through the panes' record
// binders when the focus leaves them, names are checked first and followed by their tree
// node, emptied texts are stored as Null; category icons are replaced from a file or removed,
// and a volume is moved to another path once the medium there holds all its folders.
#include "catalogue/TableCategories.h"
#include "catalogue/TableFolders.h"
#include "catalogue/TableVolumes.h"
#include "catalogue/mdlCommand_categories.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"
#include "catalogue/widgets/TreeView.h"
#include "catalogue/widgets/mdlCommand_categoriesw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_sql.h"
#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/FileDialog.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainDetail.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/jet/JetError.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "windows/maintenance/ThumbNail.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidgetItem>

namespace {

const QString kSource = QStringLiteral("frmMain");
// The colour the program's image lists take as transparent.
constexpr uint32_t kMaskColour = 0xC0C0C0;

// A focus change that means "the user left the field": not a menu or another window taking
// the keyboard for a moment.
bool leavesField(Qt::FocusReason reason) {
  return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && reason != Qt::MenuBarFocusReason;
}

}  // namespace

void frmMainDetail::bindPanes() {
  CategoryPane& cat = *w_.picCategory;
  catName_ = &datCat_.Bind(cat.CatName, QStringLiteral("CatName"), QStringLiteral("Name der Kategorie"));
  catDescription_ = &datCat_.Bind(cat.CatDescription, QStringLiteral("CatDescription"), QStringLiteral("Beschreibung"));
  datCat_.setValidate([this](bool& save) { Record_Validate(datCat_, save, true); });

  VolumePane& vol = *w_.picVolume;
  datVol_.Bind(vol.VID, QStringLiteral("VID"), QStringLiteral("ID"), true);
  volumeName_ = &datVol_.Bind(vol.VolumeName, QStringLiteral("VolumeName"), QStringLiteral("Name des Volumes"));
  volumeDescription_ =
      &datVol_.Bind(vol.VolumeDescription, QStringLiteral("Description"), QStringLiteral("Beschreibung"));
  datVol_.Bind(vol.VolumePath, QStringLiteral("VolumePath"), QStringLiteral("Pfad"), true);
  datVol_.Bind(vol.VolumeDate, QStringLiteral("EditDate"), QStringLiteral("Einlesedatum"), true);
  datVol_.Bind(vol.VolumeLabel, QStringLiteral("VolumeLabel"), QStringLiteral("Laufwerksname"), true);
  datVol_.Bind(vol.VolumeSerial, QStringLiteral("VolumeSerial"), QStringLiteral("Seriennummer"), true);
  datVol_.Bind(vol.Computername, QStringLiteral("Computername"), QStringLiteral("Computername"), true);
  volumeMemo_ = &datVol_.Bind(vol.VolumeMemo, QStringLiteral("Memo"), QStringLiteral("Memo"));
  volumeLocIDHidden_ = &datVol_.BindHidden(QStringLiteral("LocID"), QStringLiteral("Lagerort"));
  datVol_.setValidate([this](bool& save) { Record_Validate(datVol_, save, false); });

  // A written name reaches its node only once it is stored.
  for (RecordBinder* binder : {&datCat_, &datVol_}) {
    binder->setAfterWrite([this] {
      if (pendingNodeKey_.isEmpty()) return;
      if (QTreeWidgetItem* node = w_.Tree1->TV()->node(pendingNodeKey_)) node->setText(0, pendingNodeText_);
      pendingNodeKey_.clear();
    });
  }
  // A row gone under the pane leaves nothing to act on.
  connect(&datCat_, &RecordBinder::shown, this, [this](bool current) {
    if (current) return;
    w_.picCategory->CatIconEdit->setEnabled(false);
    w_.picCategory->CatIconDelete->setEnabled(false);
  });
  connect(&datVol_, &RecordBinder::shown, this, [this](bool current) {
    if (!current) showVolumeFacts();
  });
  connect(&datCat_, &RecordBinder::edited, this, [this] { catRefused_ = false; });
  connect(&datVol_, &RecordBinder::edited, this, [this] { volRefused_ = false; });
  connect(vol.VolumeLocID, qOverload<int>(&QComboBox::activated), this, [this] { locChanged_ = true; });

  for (QWidget* field : {static_cast<QWidget*>(cat.CatName), static_cast<QWidget*>(cat.CatDescription),
                         static_cast<QWidget*>(vol.VolumeName), static_cast<QWidget*>(vol.VolumeDescription),
                         static_cast<QWidget*>(vol.VolumeMemo), static_cast<QWidget*>(vol.VolumeLocID)})
    field->installEventFilter(this);

  connect(cat.CatIconEdit, &QPushButton::clicked, this, &frmMainDetail::CatIconEdit_Click);
  connect(cat.CatIconDelete, &QPushButton::clicked, this, &frmMainDetail::CatIconDelete_Click);
  connect(vol.cmdVolumeBrowse, &QPushButton::clicked, this, &frmMainDetail::cmdVolumeBrowse_Click);
  cat.CatThumbNail->setBackColor(kMaskColour);
}

bool frmMainDetail::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    auto* focus = static_cast<QFocusEvent*>(event);
    if (leavesField(focus->reason())) {
      auto* field = static_cast<QWidget*>(watched);
      bool Cancel = false;
      validateFocusLeft(field, Cancel);
      // The focus goes back to the refused field.
      if (Cancel) QTimer::singleShot(0, field, [field] { field->setFocus(Qt::OtherFocusReason); });
    }
  }
  return QObject::eventFilter(watched, event);
}

void frmMainDetail::validateFocusLeft(QWidget* widget, bool& Cancel) {
  CategoryPane& cat = *w_.picCategory;
  VolumePane& vol = *w_.picVolume;
  if (widget == cat.CatName)
    Name_Validate(datCat_, *catName_, Cancel, "CatName_Validate");
  else if (widget == vol.VolumeName)
    Name_Validate(datVol_, *volumeName_, Cancel, "VolumeName_Validate");
  else if (widget == cat.CatDescription)
    Text_Validate(datCat_, "CatDescription_Validate");
  else if (widget == vol.VolumeDescription)
    Text_Validate(datVol_, "VolumeDescription_Validate");
  else if (widget == vol.VolumeMemo)
    Text_Validate(datVol_, "VolumeMemo_Validate");
  else if (widget == vol.VolumeLocID)
    VolumeLocID_Validate();
}

void frmMainDetail::CommitPending() {
  QWidget* focus = QApplication::focusWidget();
  if (!focus) return;
  const bool catPending = datCat_.AnyChanged() && !catRefused_;
  const bool volPending = (datVol_.AnyChanged() && !volRefused_) || locChanged_;
  CategoryPane& cat = *w_.picCategory;
  VolumePane& vol = *w_.picVolume;
  const bool inCat = focus == cat.CatName || focus == cat.CatDescription || cat.CatDescription->isAncestorOf(focus);
  const bool inVol = focus == vol.VolumeName || focus == vol.VolumeDescription || focus == vol.VolumeLocID ||
                     focus == vol.VolumeMemo || vol.VolumeMemo->isAncestorOf(focus);
  if (!(inCat && catPending) && !(inVol && volPending)) return;
  QWidget* field = focus;
  if (cat.CatDescription->isAncestorOf(focus)) field = cat.CatDescription;
  if (vol.VolumeMemo->isAncestorOf(focus)) field = vol.VolumeMemo;
  bool Cancel = false;
  validateFocusLeft(field, Cancel);
}

void frmMainDetail::Name_Validate(RecordBinder& binder, BoundField& name, bool& Cancel, const char* procedure) {
  try {
    bool& refused = &binder == &datCat_ ? catRefused_ : volRefused_;
    if (refused) {
      // Left again without a new name: the "???" put in was no name of the user's; the stored
      // name shows again and nothing is written.
      refused = false;
      binder.Reload();
      return;
    }
    const QString text = name.Text();
    if (text.isEmpty()) {
      Cancel = true;
      refused = true;
      name.setText(QStringLiteral("???"));
      gErr->MsgShow(kMsgFieldEmpty, ui::kCritical, QStringLiteral("Name"));
      return;
    }
    const QString replaced = ReplaceReservedChars(rt::Variant(text), true, QString()).toText();
    if (replaced != text) {
      name.setText(replaced);
      // The replaced text is what is to be stored.
      name.setDataChanged(true);
    }
    binder.Flush();
  } catch (...) {
    gErr->ErrMsg(kSource, QString::fromLatin1(procedure));
  }
}

void frmMainDetail::Record_Validate(RecordBinder& binder, bool& Save, bool category) {
  try {
    QWidget* pane = category ? static_cast<QWidget*>(w_.picCategory) : static_cast<QWidget*>(w_.picVolume);
    if (!Save || pane->isHidden()) return;
    BoundField& name = category ? *catName_ : *volumeName_;
    const QString key = (category ? Tree::Prefix_KeyCategory() : Tree::Prefix_KeyVolume()) + binder.Key().toText();
    if (name.Text().isEmpty()) {
      Save = false;
      gErr->MsgShow(kMsgFieldEmpty, ui::kCritical, QStringLiteral("Name"));
      return;
    }
    if (binder.EditMode() == jet::EditMode::Add) return;
    // Emptied fields are stored as Null, not as empty texts.
    if (category) {
      SetEmptyBoundFieldNull(*catDescription_, rt::Null);
    } else {
      SetEmptyBoundFieldNull(*volumeDescription_, rt::Null);
      SetEmptyBoundFieldNull(*volumeLocIDHidden_, rt::Null);
      SetEmptyBoundFieldNull(*volumeMemo_, rt::Null);
    }
    pendingNodeKey_.clear();
    if (name.DataChanged()) {
      pendingNodeKey_ = key;
      pendingNodeText_ = name.Text();
    }
  } catch (...) {
    Save = false;
    gErr->ErrMsg(kSource, category ? QStringLiteral("Category_Validate") : QStringLiteral("Volume_Validate"));
  }
}

void frmMainDetail::Text_Validate(RecordBinder& binder, const char* procedure) {
  // A write that fails is said: the text the user typed would otherwise be lost unseen.
  try {
    binder.Flush();
  } catch (...) {
    gErr->ErrMsg(kSource, QString::fromLatin1(procedure));
  }
}

void frmMainDetail::VolumeLocID_Validate() {
  try {
    if (!locChanged_) return;
    QComboBox* combo = w_.picVolume->VolumeLocID;
    volumeLocIDHidden_->setText(combo->currentIndex() <= 0 ? QString() : combo->currentData().toString());
    volumeLocIDHidden_->setDataChanged(true);
    locChanged_ = false;
    datVol_.Flush();
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("VolumeLocID_Validate"));
    // What is stored shows again.
    try {
      showVolumeFacts();
    } catch (...) {
      // The pane shows no record then.
    }
  }
}

void frmMainDetail::CatIconEdit_Click() {
  Command(QStringLiteral("CatIconEdit"), [this] {
    QTreeWidgetItem* selected = w_.Tree1->SelectedItem();
    if (!selected) return;
    const int32_t CID = ui::itemTag(selected).toInt();
    const QString file = FileDialog().GetOpenFileName(gOptions->LastIconDir(), QString(), gErr->MsgLoad(kMsgIconTitle),
                                                      gErr->MsgLoad(kMsgIconFilter), &w_, 0);
    if (file.isEmpty()) return;
    gOptions->setLastIconDir(GetFolderPart(file, true, true));
    QTreeWidgetItem* node = w_.Tree1->TV()->node(Tree::NodeKey(CID, 0));
    // The file is read and the icon stored before the old one goes: a file that is no
    // picture, or a catalogue that refuses the write, leaves the icon as it was.
    ThumbNail& thumb = *w_.picCategory->CatThumbNail;
    thumb.LoadPicture(file);
    const QImage icon = thumb.TransparentImage();
    fCatIconSave(CID, Picture::fromImage(icon, PictureType::Icon));
    const QString key = Tree::Prefix_KeyUserIcon() + QString::number(CID);
    ui::ImageList& images = w_.Tree1->ImageList();
    if (node) {
      const QString standard = Tree::IconKey(node->isExpanded() ? 13 : 12);
      if (Tree::NodeImage(node).compare(standard, Qt::CaseInsensitive) != 0) images.remove(key);
    }
    images.add(key, QPixmap::fromImage(icon));
    if (node) Tree::SetNodeImage(node, key);
    w_.Tree1->X_ILIconsSystemRefresh();
    w_.picCategory->CatIcon->setPixmap(images.pixmap(key));
  });
}

void frmMainDetail::CatIconDelete_Click() {
  Command(QStringLiteral("CatIconDelete"), [this] {
    QTreeWidgetItem* selected = w_.Tree1->SelectedItem();
    if (!selected) return;
    const int32_t CID = ui::itemTag(selected).toInt();
    if (gErr->MsgShow(kMsgIconResetAsk, ui::kYesNo | ui::kQuestion | ui::kDefaultButton2) != ui::kAnswerYes) return;
    CategoryIconStore(*gDB->DB(), CID, std::nullopt);
    QTreeWidgetItem* node = w_.Tree1->TV()->node(Tree::NodeKey(CID, 0));
    const QString standard = Tree::IconKey(node && node->isExpanded() ? 13 : 12);
    if (node) {
      if (Tree::NodeImage(node).compare(standard, Qt::CaseInsensitive) != 0)
        w_.Tree1->ImageList().remove(Tree::Prefix_KeyUserIcon() + QString::number(CID));
      Tree::SetNodeImage(node, standard);
    }
    w_.Tree1->X_ILIconsSystemRefresh();
    w_.picCategory->CatIcon->setPixmap(w_.Tree1->ImageList().pixmap(standard));
  });
}

void frmMainDetail::cmdVolumeBrowse_Click() {
  Command(QStringLiteral("cmdVolumeBrowse"), [&] {
    // The user's home folder stands for the drive root the browser starts at.
    const QString path = FileDialog().BrowseForFolder(gErr->MsgLoad(kMsgChooseVolumePath), QDir::homePath(), &w_, true);
    if (path.isEmpty()) return;
    if (!CheckDriveReady(path, QStringLiteral("Laufwerksüberprüfung"))) return;
    const DriveInfoRec drive = DriveInfo(path);
    const int32_t VID = datVol_.Recordset().Fields(QStringLiteral("VID")).Value().toInt();
    // The volume's row as stored now, kept by its key: the check below may show another
    // volume of that medium in the pane, whose record would then be the pane's.
    const auto deleted = [] {
      return rt::RaisedError(jet::err::kRecordDeleted, kSource, jet::errorText(jet::err::kRecordDeleted));
    };
    const std::optional<VolumeRow> stored = VolumeOfId(*gDB->DB(), VID);
    if (!stored) throw deleted();
    for (const int32_t PID : FolderIdsOfVolume(*gDB->DB(), VID)) {
      const QString relative = PathFullName(PID, rt::Null, false);
      if (!FolderExists(path + relative)) {
        QString text = gErr->MsgLoad(kMsgVolumePathMismatch, path, relative);
        if (IsChangeableDrive(NzValue(stored->VolumeType, 0).toInt()))
          text += QStringLiteral("\r\n") + gErr->MsgLoad(kMsgInsertRightMedium);
        gErr->MsgShow(0, ui::kCritical, rt::Null, rt::Null, text);
        return;
      }
    }
    if (!VolumeCheck(path, drive.VolumeSerial, VID)) return;
    if (!VolumeRelocate(*gDB->DB(), VID, path, drive.VolumeSerial, drive.VolumeLabel, drive.Computername,
                        drive.VolumeType))
      throw deleted();
    // The pane and the tree show the new path and facts at once.
    if (datVol_.Key() == rt::Variant(VID)) {
      datVol_.Reload();
      showVolumeFacts();
    }
    updateRelocatedNodes(VID, path, drive.VolumeType);
  });
}

void frmMainDetail::updateRelocatedNodes(int32_t VID, const QString& path, int32_t type) {
  QTreeWidgetItem* volume = w_.Tree1->TV()->node(Tree::NodeKey(VID, 1));
  if (!volume) return;
  const QString image = Tree::IconKey(type);
  Tree::SetNodeImage(volume, w_.Tree1->ImageList().contains(image) ? image : Tree::IconKey(3));
  for (int i = 0; i < volume->childCount(); ++i) {
    QTreeWidgetItem* child = volume->child(i);
    if (Tree::NodeType(child) == 3)
      child->setText(0, path);
    else if (Tree::NodeImage(child).compare(Tree::IconKey(16), Qt::CaseInsensitive) == 0)
      child->setText(0, path + QStringLiteral(" [Root]"));
  }
  w_.Tree1->X_ILIconsSystemRefresh();
}
