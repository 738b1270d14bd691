#pragma once

// The editor of one storage location's name and description. Its caller fills and reads the
// two boxes; OK refuses an empty name. Names need not be unique.

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmLocEdit : public QDialog {
  Q_OBJECT

 public:
  explicit frmLocEdit(QWidget* owner = nullptr);

  // 1 cancelled (also when closed from the close box), 0 accepted.
  int chkCancel() const { return cancel_; }

  void cmdOK_Click();
  void cmdCancel_Click();

  QLineEdit* LocName = nullptr;
  QPlainTextEdit* LocDescription = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

 private:
  int cancel_ = 1;
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);
};
