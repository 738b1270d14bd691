#pragma once

// The new-volume wizard: four pages (the source path with the facts of its drive; name,
// description and storage location; the memo; the reading switches with the status line).
// "Speichern" on the last page adds the tblVOLUMES row and reads the volume's folders and files
// into the open catalogue; a read that fails or is cancelled leaves no row of the volume.
//
// The caller creates it, sets the caption and the category (pubInit), asks for the path
// (pubGetPath; false: drop the wizard unseen), shows it modally, then reads chkCancel and, on
// 0, pubGetVID, and deletes it. Deleting it writes the two skip switches back to the options.

#include "catalogue/pReaderOwner.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class pReader;

class frmVolumeNew : public QDialog, public pReaderOwner {
  Q_OBJECT

 public:
  static constexpr int kPages = 4;

  explicit frmVolumeNew(QWidget* parent = nullptr);
  ~frmVolumeNew() override;

  // The category of the new volume; 0 or less: the top level.
  void setPubInit(int32_t CatID) { catId_ = CatID; }
  // Asks for the source path and fills page 0; true when a usable path was taken.
  bool pubGetPath();
  // The VID of the volume saved and read; 0 until a read succeeded.
  int32_t pubGetVID() const { return savedVid_; }
  // 0 after a successful save and read, 1 otherwise (Cancel, Esc, the close box).
  int chkCancel() const { return chkCancel_; }

  int CurrentPage() const { return page_; }
  bool Reading() const { return reading_; }
  // Shows the page (0 to 3) with its buttons; a page out of range is ignored.
  void GotoPage(int page);

  // The reader's owner.
  void Status(const QString& text) override;
  QObject* AllowedWindow() override { return this; }

  // Controls, by the names the callers and the help use.
  QWidget* fraPage(int index) const { return pages_.at(static_cast<size_t>(index)); }
  QLineEdit* VolumePath() const { return volumePath_; }
  QPushButton* cmdBrowse() const { return cmdBrowse_; }
  QLineEdit* Computername() const { return computername_; }
  QLineEdit* VolumeSerial() const { return volumeSerial_; }
  QLineEdit* VolumeLabel() const { return volumeLabel_; }
  QLineEdit* VolumeTypeString() const { return volumeTypeString_; }
  // The drive type number of the path's drive, as SetExtendedInfo found it.
  QString VolumeType() const { return volumeType_; }
  QLineEdit* VolumeName() const { return volumeName_; }
  QLineEdit* Description() const { return description_; }
  QComboBox* cmbLoc() const { return cmbLoc_; }
  QPlainTextEdit* Memo() const { return memo_; }
  QCheckBox* chkOnReadSkipHidden() const { return chkSkipHidden_; }
  QCheckBox* chkOnReadSkipSystem() const { return chkSkipSystem_; }
  QCheckBox* chkFileRead() const { return chkFileRead_; }
  QCheckBox* chkCompleteFile() const { return chkCompleteFile_; }
  QLabel* lbl1() const { return lbl1_; }
  QLabel* lbl2() const { return lbl2_; }
  QLabel* lblStatus() const { return lblStatus_; }
  QPushButton* cmdPrevious() const { return cmdPrevious_; }
  QPushButton* cmdNext() const { return cmdNext_; }
  QPushButton* cmdCancel() const { return cmdCancel_; }

  // Esc: the Cancel button.
  void reject() override;

 private:
  struct PathFacts {
    QString path, computer, serial, label, typeText, type, name;
  };
  PathFacts pathFacts() const;
  void setPathFacts(const PathFacts& facts);

  void BuildPages();
  void Form_Load();
  bool GetPath();
  bool GetPathEx(QString& path);
  void SetExtendedInfo();
  void cmdNext_Click();
  void cmdPrevious_Click();
  void cmdCancel_Click();
  void cmdBrowse_Click();
  void chkFileRead_Click();
  void CmdSave();
  bool CheckRecord();
  int32_t VolumeSave();
  bool VolumeRead(int32_t VID);
  void setReadingControls(bool reading);
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  std::array<QWidget*, kPages> pages_{};
  QStackedWidget* stack_;
  QLineEdit* volumePath_;
  QPushButton* cmdBrowse_;
  QLineEdit* computername_;
  QLineEdit* volumeSerial_;
  QLineEdit* volumeLabel_;
  QLineEdit* volumeTypeString_;
  QString volumeType_;
  QLineEdit* volumeName_;
  QLineEdit* description_;
  QComboBox* cmbLoc_;
  QPlainTextEdit* memo_;
  QCheckBox* chkSkipHidden_;
  QCheckBox* chkSkipSystem_;
  QCheckBox* chkFileRead_;
  QCheckBox* chkCompleteFile_;
  QLabel* lbl1_;
  QLabel* lbl2_;
  QLabel* lblStatus_;
  QPushButton* cmdPrevious_;
  QPushButton* cmdNext_;
  QPushButton* cmdCancel_;

  int page_ = -1;
  int32_t catId_ = 0;
  int32_t savedVid_ = 0;
  bool reading_ = false;
  int chkCancel_ = 1;
  std::unique_ptr<pReader> m_Reader;
};
