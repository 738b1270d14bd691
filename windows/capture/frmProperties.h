#pragma once

// The property list window: a caption and a two-column list of names and values, whose rows
// can be copied to the clipboard one at a time or all together.

#include "catalogue/widgets/mdlCommand_otherw.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

class frmProperties : public QDialog, public PropertiesWindow {
  Q_OBJECT

 public:
  frmProperties();

  void setCaption(const QString& caption) override;
  QTreeWidget* LV() override { return lv_; }
  void showModal(QWidget* owner) override;

  QPushButton* cmdCopy() const { return copy_; }
  QPushButton* cmdCopyAll() const { return copyAll_; }

 private:
  QTreeWidget* lv_;
  QPushButton* copy_;
  QPushButton* copyAll_;
};

// Lets OpenProperties create this window; the program calls it once at start-up.
void RegisterPropertiesWindow();
