// The search command of the main window and the two services the search window uses to show a
// hit: the hit's folder selected in the tree, the file selected in the file list.

#include "catalogue/widgets/Tree.h"
#include "foundation/cuAppError.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/widgets/ItemKeys.h"
#include "windows/capture/frmFind.h"

#include <QTreeWidget>

namespace {

const QString kSource = QStringLiteral("frmMain");

}  // namespace

void frmMain::Find() {
  Command(QStringLiteral("Find"), [this] {
    // Selections the search window makes must show their panes before it goes on.
    Tree1->setUseNodeClickTimer(false);
    try {
      frmFind window(this);
      window.exec();
    } catch (...) {
      gErr->ErrMsg(kSource, QStringLiteral("Find"));
    }
    Tree1->setUseNodeClickTimer(true);
  });
}

bool frmMain::pubFolderSelect(int32_t vid, int32_t pid) {
  try {
    return Tree1->SelectItem(
        Tree::Prefix_KeyVolume() + QString::number(vid) + Tree::PathSeparator() + QString::number(pid), true);
  } catch (...) {
    gErr->ErrReRaise(kSource, QStringLiteral("FolderSelect"));
  }
}

void frmMain::pubFileListSelect(int32_t fid) {
  QTreeWidget* list = picFolder->LVFiles;
  QTreeWidgetItem* item = ui::findItemByKey(list, QStringLiteral("A") + QString::number(fid));
  if (!item) return;
  list->setCurrentItem(item);
  list->scrollToItem(item);
}
