#pragma once

// The import's selection window: the source catalogue's categories and volumes (no folders)
// with check boxes. OK and Abbrechen hide the window and leave the answer in chkCancel
// (checked from the start, so closing the window any other way reads as cancelled); the ticks
// stay in Tree1 for the import to read.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class Tree;

class frmImport : public QDialog {
  Q_OBJECT

 public:
  explicit frmImport(QWidget* owner = nullptr);

  QLabel* lblMsg = nullptr;
  Tree* Tree1 = nullptr;
  QWidget* picCommand = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;
  QCheckBox* chkCancel = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Form_Load();
  void Form_Resize();
  void cmdOK_Click();
  void cmdCancel_Click();
};
