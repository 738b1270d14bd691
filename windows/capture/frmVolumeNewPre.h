#pragma once

// The source chooser that the new-volume wizard shows first when the machine has optical
// drives: take one of the drives, or choose a folder instead (the wizard then opens the folder
// browser), or cancel. It also opens and closes the tray of the selected drive, and comes up
// with its OK button under the mouse pointer.

#include <QDialog>
#include <QString>

#include <functional>

class QListWidget;
class QPushButton;

class frmVolumeNewPre : public QDialog {
  Q_OBJECT

 public:
  // Lists gCDDrives and preselects the drive equal to gLastReadPath (else the first).
  explicit frmVolumeNewPre(QWidget* parent = nullptr);

  // 1 for Esc and the close box, 0 for a drive taken or "choose a folder".
  int chkCancel() const { return chkCancel_; }
  // The root of the drive taken; empty when a folder is to be chosen.
  QString pubResult() const { return result_; }

  QListWidget* lstCD() const { return lstCD_; }
  QPushButton* cmdCD() const { return cmdCD_; }
  QPushButton* cmdOpen() const { return cmdOpen_; }
  QPushButton* cmdClose() const { return cmdClose_; }
  QPushButton* cmdChoosePath() const { return cmdChoosePath_; }

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Form_Load();
  void PlaceUnderPointer();
  void lstCD_SelectionChanged();
  void cmdCD_Click();
  void cmdChoosePath_Click();
  void cmdTray_Click(bool open);
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  QListWidget* lstCD_;
  QPushButton* cmdCD_;
  QPushButton* cmdOpen_;
  QPushButton* cmdClose_;
  QPushButton* cmdChoosePath_;
  QString result_;
  int chkCancel_ = 1;
  bool placed_ = false;
};

// The drive root to read for an entry of gCDDrives: the mount point its disc has now (discs are
// mounted after start-up, and each disc at a mount point of its own), else the entry itself.
QString OpticalDriveRoot(const QString& entry);
