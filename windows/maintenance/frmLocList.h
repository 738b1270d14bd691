#pragma once

// The storage locations of the open catalogue with the number of volumes filed at each; a
// context menu adds, changes and deletes them. The close box only hides the window, so its
// caller still reads chkEdited and refills what shows the locations when it is 1.

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

class frmLocList : public QDialog {
  Q_OBJECT

 public:
  explicit frmLocList(QWidget* owner = nullptr);

  // 1 after any successful add, change or delete.
  int chkEdited() const { return edited_; }

  void CmdAdd();
  void Edit();
  void Delete();
  // The right button released over the list: enables the commands that need a selection and
  // pops the menu up.
  void LV_MouseUp(const QPoint& globalPos);

  QTreeWidget* LV = nullptr;
  QMenu* kLV = nullptr;
  QAction* kLV_Add = nullptr;
  QAction* kLV_Edit = nullptr;
  QAction* kLV_Delete = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LVFill();
  void FitColumns();
  QTreeWidgetItem* Selected() const;
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  int edited_ = 0;
};
