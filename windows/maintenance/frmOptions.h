#pragma once

// The options window. It has no OK or Cancel: a confirmed font is stored at once, every other
// control is written back into gOptions when the window closes (close box and Esc alike).

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;

class frmOptions : public QDialog {
  Q_OBJECT

 public:
  explicit frmOptions(QWidget* owner = nullptr);

  // 0 tree, 1 file list, 2 category description.
  void btnFont_Click(int index);
  // 0 "&Hinzufügen", 1 "&Löschen".
  void kAutoMemo_Edit_Click(int index);
  // 0 up, 1 down.
  void cmdPos_Click(int index);
  // The right button released over the list: enables "&Löschen" and pops the menu up.
  void lstAutoMemoFiles_MouseUp(const QPoint& globalPos);
  // Validate of a numeric box: an empty one becomes "0"; false (after message 510) when it
  // holds no 32-bit whole number.
  bool ValidateNumber(QLineEdit* box);

  QTabWidget* TabOne1 = nullptr;
  QComboBox* cmbIconMode = nullptr;
  QCheckBox* chkExtendedWarnings = nullptr;
  QCheckBox* chkAutoOpen = nullptr;
  QCheckBox* chkExclusive = nullptr;
  std::array<QPushButton*, 3> btnFont{};
  QLabel* lblTreeFont = nullptr;
  QLabel* lblListFont = nullptr;
  QLabel* lblCatDescFont = nullptr;
  QListWidget* lstAutoMemoFiles = nullptr;
  std::array<QPushButton*, 2> cmdPos{};
  QLineEdit* txtReadingBreakFileCount = nullptr;
  QLineEdit* txtReadingBreakDuration = nullptr;
  QLineEdit* txtMaxLocksPerFile = nullptr;
  QMenu* kAutoMemo = nullptr;
  std::array<QAction*, 2> kAutoMemo_Edit{};

 protected:
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildStandardTab();
  QWidget* BuildExpertTab();
  void FormLoad();
  void FormUnload();
  void RefreshFontLabels();
  void AutoMemoAdd();
  void AutoMemoDelete();
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  bool unloaded_ = false;
  bool validating_ = false;
};
