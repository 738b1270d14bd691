#pragma once

// The property list window: a caption and a two-column list of names and values. A right
// click on the list offers to copy one row or all rows to the clipboard as text.

#include "catalogue/widgets/mdlCommand_otherw.h"

#include <QDialog>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QTreeWidget;

class frmProperties : public QDialog, public PropertiesWindow {
  Q_OBJECT

 public:
  frmProperties();

  void setCaption(const QString& caption) override;
  QTreeWidget* LV() override { return lv_; }
  // Sizes the columns to the rows, then shows the window modally.
  void showModal(QWidget* owner) override;

  QMenu* k() const { return k_; }
  QAction* kCopy_Line() const { return copyLine_; }
  QAction* kCopy_All() const { return copyAll_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void kCopy_Line_Click();
  void kCopy_All_Click();
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);
  // The value column takes what the name column leaves, room for a scroll bar kept.
  void FitValueColumn();

  QTreeWidget* lv_;
  QMenu* k_;
  QAction* copyLine_;
  QAction* copyAll_;
};

// A row as the window copies it: "name: value".
QString PropertiesRowText(const QString& name, const QString& value);

// Lets OpenProperties create this window; the program calls it once at start-up.
void RegisterPropertiesWindow();
