#pragma once

// The dialog that asks under which category a new volume is filed. The list holds "(Keine)"
// (the top level, item data 0) and every category of the open catalogue with its ancestors'
// names, item data its CID. The caller preselects, shows, reads and deletes it.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

class frmCatPicker : public QDialog {
  Q_OBJECT

 public:
  explicit frmCatPicker(QWidget* parent = nullptr);

  // 1 until OK is accepted: closing the window any other way reads as cancelled.
  int chkCancel() const { return chkCancel_; }
  // Selects the entry of the category (0: "(Keine)"); none is selected when it is not listed.
  void preselect(int32_t CatID);
  // The chosen category: its CID, 0 for the top level.
  int32_t SelectedCID() const;

  QComboBox* cmbCat() const { return cmbCat_; }
  QLabel* lbl() const { return lbl_; }
  QPushButton* cmdNext() const { return cmdNext_; }
  QPushButton* cmdCancel() const { return cmdCancel_; }

  void reject() override;

 private:
  void cmdNext_Click();
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  QLabel* lbl_;
  QComboBox* cmbCat_;
  QPushButton* cmdNext_;
  QPushButton* cmdCancel_;
  int chkCancel_ = 1;
};
