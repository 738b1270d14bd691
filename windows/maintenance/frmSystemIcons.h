#pragma once

// The catalogue's icon table: the drive-type icons in one list, the program's other tree icons
// in the other. A pop-up menu replaces an icon by a picture file (rendered at 16 pixels) or puts
// the standard one back. The close box only hides the window, so its caller still reads
// chkEdited and reloads the icons it shows when it is 1.

#include "platform/ui/widgets/ImageList.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class ThumbNail;

class frmSystemIcons : public QDialog {
  Q_OBJECT

 public:
  explicit frmSystemIcons(QWidget* owner = nullptr);

  // 1 once an icon was stored.
  int chkEdited() const { return edited_; }

  // Act on the selected item of the list in which the right button was last released.
  void IconEdit();
  void IconDefault();
  // The right button released over list `index`: that list becomes the current one and the
  // menu pops up.
  void LV_MouseUp(int index, const QPoint& globalPos);
  int CurrentList() const { return current_; }
  // The pictures of both lists, keyed "A" & IID.
  const ui::ImageList& IL() const { return il_; }

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  std::array<QTreeWidget*, 2> LV{};
  ThumbNail* ThumbNail1 = nullptr;
  QMenu* kLV = nullptr;
  QAction* kLV_Edit = nullptr;
  QAction* kLV_Default = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void VolumeTypesFill();
  void ILAddIcon(const QString& key, const QImage& picture);
  void RefreshListIcons();
  QTreeWidgetItem* Selected() const;
  // Runs a command of this window (RunCommand).
  void Command(const QString& procedure, const std::function<void()>& command);

  ui::ImageList il_;
  int current_ = 0;
  int edited_ = 0;
};
