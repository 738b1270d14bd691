#include "mainwindow/frmMainFiles.h"

#include "catalogue/mdlCommand_files.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlGlobals.h"
#include "catalogue/mdlInfo.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/MessageNumbers.h"
#include "foundation/cuAppError.h"
#include "foundation/widgets/WindowCommand.h"
#include "foundation/widgets/mdlQZLib51_window.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/MousePointer.h"
#include "windows/capture/frmEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTreeWidget>

namespace {

const QString kSource = QStringLiteral("frmMain");

// Shows the message in the status panel, cut to its width, and clears it again at the end.
class InfoStatus {
 public:
  InfoStatus(int32_t message, const QWidget* panel) {
    if (!gfrmMain) return;
    QString text = gErr->MsgLoad(message);
    if (panel) {
      // Measured in the main window's text font; a panel of another window in that window's font.
      const auto* main = qobject_cast<const frmMain*>(panel->window());
      text = ShortenTextToWidth(text, panel->width(), QFontMetrics(main ? main->TextFont() : panel->window()->font()));
    }
    gfrmMain->pubStatus(text);
  }
  ~InfoStatus() {
    if (gfrmMain) gfrmMain->pubStatus(QString());
  }
  InfoStatus(const InfoStatus&) = delete;
  InfoStatus& operator=(const InfoStatus&) = delete;
};

}  // namespace

bool Editor(QWidget* owner, QString& Text, const QString& Name, int16_t TextMode) {
  try {
    frmEditor window(owner);
    window.Init(Text, QStringLiteral("Editor <") + Name + QStringLiteral(">"), TextMode);
    // The text windows of listings stay read-only; here the text is to be edited.
    window.setLocked(false);
    window.exec();
    if (window.chkEdited() != 1) return false;
    if (gErr->MsgShow(kMsgSaveChangesAsk, ui::kYesNo + ui::kQuestion) != ui::kAnswerYes) return false;
    Text = window.GetText();
    return true;
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("Editor"));
  }
  return false;
}

bool PathShowEditor(QWidget* owner, int32_t PID, const QString& FieldName, const QString& Name) {
  try {
    QString text;
    if (!PathMemoGet(PID, FieldName, text)) {
      gErr->MsgShow(kMsgFolderNotFound, ui::kCritical, PID);
      return false;
    }
    if (!Editor(owner, text, Name, 1)) return false;
    // Gone while it was edited: said the same way.
    if (!PathMemoSet(PID, FieldName, text)) {
      gErr->MsgShow(kMsgFolderNotFound, ui::kCritical, PID);
      return false;
    }
    return true;
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("PathShowEditor"));
  }
  return false;
}

bool FileDescEdit(QWidget* owner, int32_t FID, const QString& fileName, QString& shown) {
  try {
    QString text;
    if (!FileDescGet(FID, text)) {
      gErr->MsgShow(kMsgFileNotFound, ui::kCritical, FID);
      return false;
    }
    if (!Editor(owner, text, fileName, 0)) return false;
    if (text.size() > kMaxFileDescLength) {
      if (gErr->MsgShow(kMsgTextTooLong, ui::kYesNo + ui::kExclamation, static_cast<int32_t>(text.size())) !=
          ui::kAnswerYes)
        return false;
      // Half a character pair would be no character.
      text.truncate(text.at(kMaxFileDescLength - 1).isHighSurrogate() ? kMaxFileDescLength - 1 : kMaxFileDescLength);
    }
    if (!FileDescSet(FID, text)) {
      gErr->MsgShow(kMsgFileNotFound, ui::kCritical, FID);
      return false;
    }
    shown = text.isEmpty() ? QStringLiteral("-") : text;
    return true;
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("Desc_Click"));
  }
  return false;
}

void kLV_Folder_CopyLine_Click(QTreeWidget* list) {
  try {
    const QTreeWidgetItem* row = list ? list->currentItem() : nullptr;
    if (!row || !row->isSelected()) return;
    QStringList headers;
    QStringList texts;
    for (int i = 0; i < list->columnCount(); ++i) {
      headers << list->headerItem()->text(i);
      texts << row->text(i);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(CopyLineText(headers, texts));
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("CopyLine"));
  }
}

PendingProperties::PendingProperties(QWidget* owner) : QObject(owner), owner_(owner) {
  timer1_.setSingleShot(true);
  timer1_.setInterval(1);
  connect(&timer1_, &QTimer::timeout, this, &PendingProperties::Timer1_Timer);
}

void PendingProperties::Schedule(const QString& caption, std::vector<PropItem> rows) {
  caption_ = caption;
  rows_ = std::move(rows);
  timer1_.start();
}

void PendingProperties::Timer1_Timer() {
  RunCommand(kSource, QStringLiteral("Timer"), [this] {
    timer1_.stop();
    OpenProperties(caption_, rows_, owner_);
  });
}

void kTV_Category_Properties_Click(PendingProperties& pending, pInfoColl& cache, int32_t CID) {
  try {
    std::vector<PropItem> rows;
    {
      ui::HourglassScope hourglass;
      CatInfo2InfoData(*CathInfo(CID, cache), rows);
    }
    pending.Schedule(QStringLiteral("Kategorie-Info"), std::move(rows));
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("CategoryProperties"));
  }
}

void kTV_Volume_Properties_Click(PendingProperties& pending, pInfoColl& cache, int32_t VID,
                                 const QWidget* statusPanel) {
  try {
    std::vector<PropItem> rows;
    {
      InfoStatus status(kMsgReadingVolumeInfo, statusPanel);
      ui::HourglassScope hourglass;
      fVolumeInfo2InfoData(*VolumeInfo(VID, cache), rows);
    }
    pending.Schedule(QStringLiteral("Volume-Info"), std::move(rows));
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("VolumeProperties"));
  }
}

void kTV_Folder_Properties_Click(PendingProperties& pending, pInfoColl& cache, int32_t PID,
                                 const QWidget* statusPanel) {
  try {
    std::vector<PropItem> rows;
    {
      InfoStatus status(kMsgReadingFolderInfo, statusPanel);
      ui::HourglassScope hourglass;
      PathInfo2InfoData(*PathInfo(PID, cache), rows);
    }
    pending.Schedule(QStringLiteral("Ordner-Info"), std::move(rows));
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("FolderProperties"));
  }
}

void kLV_Folder_FileProperties_Click(PendingProperties& pending, int32_t FID) {
  try {
    std::vector<PropItem> rows;
    fFileProperties(FID, rows);
    pending.Schedule(QStringLiteral("Datei-Info"), std::move(rows));
  } catch (...) {
    gErr->ErrMsg(kSource, QStringLiteral("FileProperties"));
  }
}
