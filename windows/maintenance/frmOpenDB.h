#pragma once

// The catalogue chooser "Datenbank öffnen": one of the recently used catalogues that still
// exist, or another one to be picked in the file dialog afterwards, and whether to open it for
// exclusive use. The caller shows it modally and reads the choice from its controls after it
// has hidden itself: chkCancel 1 cancelled; else chkOther 1 "choose another"; else the
// selected entry of lstDB; chkExclusive in every case. It writes nothing itself.

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

class frmOpenDB : public QDialog {
  Q_OBJECT

 public:
  explicit frmOpenDB(QWidget* parent = nullptr);

  QLabel* Label1;
  QListWidget* lstDB;
  QCheckBox* chkOther;
  QCheckBox* chkExclusive;
  QPushButton* cmdOK;
  QPushButton* cmdCancel;
  QCheckBox* chkCancel;  // hidden; checked when loaded

 private:
  void Form_Load();
  void chkOther_Click();
  void cmdOK_Click();
  void cmdCancel_Click();
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);
};
