#pragma once

// The dialog for a new category: its name and description, and whether it is filed below the
// category selected in the tree. The caller fills the choice, shows the dialog, reads it after
// it has hidden itself and deletes it; the dialog never touches the catalogue.

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmCatNew : public QDialog {
  Q_OBJECT

 public:
  explicit frmCatNew(QWidget* parent = nullptr);

  // 1 until OK is accepted: closing the window any other way reads as cancelled.
  int chkCancel() const { return chkCancel_; }

  // Names the selected category in the caption of chkSub ("##" replaced) and checks it.
  void setSubCategoryOf(const QString& catName);
  // No category selected: the choice goes away and the window shrinks to fit.
  void hideSubCategory();

  QLineEdit* CatName() const { return catName_; }
  QPlainTextEdit* CatDescription() const { return catDescription_; }
  QCheckBox* chkSub() const { return chkSub_; }
  QFrame* fraSubCat() const { return fraSubCat_; }
  QPushButton* cmdOK() const { return cmdOK_; }
  QPushButton* cmdCancel() const { return cmdCancel_; }

  void reject() override;

 private:
  void cmdOK_Click();
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  QLineEdit* catName_;
  QPlainTextEdit* catDescription_;
  QFrame* fraSubCat_;
  QCheckBox* chkSub_;
  QPushButton* cmdOK_;
  QPushButton* cmdCancel_;
  int chkCancel_ = 1;
};
