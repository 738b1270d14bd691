// The main window's context menus: those of the tree's category, volume and folder nodes (and of
// an empty tree), of the file list and of the three information lists, with their commands.
// Each item is a member named as the item, with the same object name. Commands that open
// windows or change the catalogue run as commands of the window, so that none starts inside
// another and a close waits for them.

#include "catalogue/mdlCommand_files.h"
#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeView.h"
#include "catalogue/widgets/mdlCommand_otherw.h"
#include "foundation/cuAppError.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainDetail.h"
#include "mainwindow/frmMainFiles.h"
#include "mainwindow/frmMainPanes.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

#include <functional>
#include <utility>

namespace {

// A right-button release over a list opens its menu, as the tree does for its nodes.
class RightButtonRelease : public QObject {
 public:
  RightButtonRelease(QWidget* target, std::function<void()> onRelease)
      : QObject(target), onRelease_(std::move(onRelease)) {
    target->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
      onRelease_();
    return false;
  }

 private:
  std::function<void()> onRelease_;
};

QAction* Separator(QMenu* menu, const char* name) {
  QAction* bar = menu->addSeparator();
  bar->setObjectName(QString::fromLatin1(name));
  return bar;
}

QMenu* PopupMenu(QWidget* owner, const char* name) {
  auto* menu = new QMenu(owner);
  menu->setObjectName(QString::fromLatin1(name));
  return menu;
}

QMenu* SubMenu(QMenu* menu, const char* name, const QString& caption) {
  QMenu* sub = menu->addMenu(caption);
  sub->setObjectName(QString::fromLatin1(name));
  sub->menuAction()->setObjectName(QString::fromLatin1(name));
  return sub;
}

int32_t TagOf(const QTreeWidgetItem* node) { return node ? ui::itemTag(node).toInt() : 0; }

// The file list's selected row, or none.
QTreeWidgetItem* SelectedRow(const QTreeWidget* list) {
  QTreeWidgetItem* row = list->currentItem();
  return row && row->isSelected() ? row : nullptr;
}

}  // namespace

void frmMain::BuildContextMenus() {
  kTV_Category = PopupMenu(this, "kTV_Category");
  kTV_Category_NewVolume = NewItem(kTV_Category, "kTV_Category_NewVolume", QStringLiteral("Neues &Volume"));
  Separator(kTV_Category, "kTV_Category_Bar0");
  kTV_Category_NewCat = NewItem(kTV_Category, "kTV_Category_NewCat", QStringLiteral("Neue &Kategorie"));
  kTV_Category_Delete = NewItem(kTV_Category, "kTV_Category_Delete", QStringLiteral("Kategorie löschen"));
  Separator(kTV_Category, "kTV_Category_Bar2");
  kTV_Category_Properties = NewItem(kTV_Category, "kTV_Category_Properties", QStringLiteral("&Info"));
  Separator(kTV_Category, "kTV_Category_Bar3");
  kTV_Category_Nodes = SubMenu(kTV_Category, "kTV_Category_Nodes", QStringLiteral("K&noten"));
  kTV_Category_Nodes_Open = NewItem(kTV_Category_Nodes, "kTV_Category_Nodes_Open", QStringLiteral("Alle öffnen"));
  kTV_Category_Nodes_Close = NewItem(kTV_Category_Nodes, "kTV_Category_Nodes_Close", QStringLiteral("Alle schließen"));

  kTV_Volume = PopupMenu(this, "kTV_Volume");
  kTV_Volume_NewCat = NewItem(kTV_Volume, "kTV_Volume_NewCat", QStringLiteral("Neue &Kategorie"));
  kTV_Volume_Bar0 = Separator(kTV_Volume, "kTV_Volume_Bar0");
  kTV_Volume_New = NewItem(kTV_Volume, "kTV_Volume_New", QStringLiteral("&Neues Volume"));
  kTV_Volume_Delete = NewItem(kTV_Volume, "kTV_Volume_Delete", QStringLiteral("Volume &löschen"));
  kTV_Volume_Bar1 = Separator(kTV_Volume, "kTV_Volume_Bar1");
  kTV_Volume_Output = NewItem(kTV_Volume, "kTV_Volume_Output", QStringLiteral("&Ausgeben ..."));
  kTV_Volume_Properties = NewItem(kTV_Volume, "kTV_Volume_Properties", QStringLiteral("&Info"));

  kTV_Folder = PopupMenu(this, "kTV_Folder");
  kTV_Folder_Memo = NewItem(kTV_Folder, "kTV_Folder_Memo", QStringLiteral("&Memo"));
  Separator(kTV_Folder, "kTV_Folder_Bar0");
  kTV_Folder_Output = NewItem(kTV_Folder, "kTV_Folder_Output", QStringLiteral("&Ausgeben ..."));
  kTV_Folder_Properties = NewItem(kTV_Folder, "kTV_Folder_Properties", QStringLiteral("&Info"));

  kLV_Folder = PopupMenu(this, "kLV_Folder");
  kLV_Folder_Folder = SubMenu(kLV_Folder, "kLV_Folder_Folder", QStringLiteral("&Ordner"));
  kLV_Folder_Folder_Memo = NewItem(kLV_Folder_Folder, "kLV_Folder_Folder_Memo", QStringLiteral("&Memo"));
  Separator(kLV_Folder_Folder, "kLV_Folder_Folder_Bar0");
  kLV_Folder_Folder_Output = NewItem(kLV_Folder_Folder, "kLV_Folder_Folder_Output", QStringLiteral("&Ausgeben ..."));
  kLV_Folder_Folder_Properties = NewItem(kLV_Folder_Folder, "kLV_Folder_Folder_Properties", QStringLiteral("&Info"));
  Separator(kLV_Folder, "kLV_Folder_Bar0");
  kLV_Folder_Desc = NewItem(kLV_Folder, "kLV_Folder_Desc", QStringLiteral("Datei-&Beschreibung"));
  kLV_Folder_FileProperties = NewItem(kLV_Folder, "kLV_Folder_FileProperties", QStringLiteral("&Datei-Info"));
  kLV_Folder_CopyLine = NewItem(kLV_Folder, "kLV_Folder_CopyLine", QStringLiteral("&Zeile kopieren"));
  Separator(kLV_Folder, "kLV_Folder_Bar1");
  kLV_Folder_Execute = NewItem(kLV_Folder, "kLV_Folder_Execute", QStringLiteral("&Ausführen"));

  kLVInfo = PopupMenu(this, "kLVInfo");
  kLVInfo_Clipboard = NewItem(kLVInfo, "kLVInfo_Clipboard", QStringLiteral("In die &Zwischenablage kopieren"));

  pending_ = new PendingProperties(this);

  connect(Tree1, &Tree::MenuCategory, this, &frmMain::Tree1_MenuCategory);
  connect(Tree1, &Tree::MenuVolume, this, &frmMain::Tree1_MenuVolume);
  connect(Tree1, &Tree::MenuEmptyDB, this, &frmMain::Tree1_MenuEmptyDB);
  connect(Tree1, &Tree::MenuFolder, this, [this] { PopupMenuFolder(0); });
  new RightButtonRelease(picFolder->LVFiles->viewport(), [this] { PopupMenuFolder(1); });
  for (QTreeWidget* list : {picCategory->LVCategoryInfo, picVolume->LVVolumeInfo, picFolder->LVFolderInfo})
    new RightButtonRelease(list->viewport(), [this] { ShowPopup(kLVInfo); });

  connect(kTV_Category_NewVolume, &QAction::triggered, this, &frmMain::kTV_Category_NewVolume_Click);
  connect(kTV_Volume_New, &QAction::triggered, this, &frmMain::kTV_Volume_New_Click);
  connect(kTV_Category_NewCat, &QAction::triggered, this, &frmMain::NewCat_Click);
  connect(kTV_Volume_NewCat, &QAction::triggered, this, &frmMain::NewCat_Click);
  connect(kTV_Category_Delete, &QAction::triggered, this, &frmMain::kTV_Category_Delete_Click);
  connect(kTV_Volume_Delete, &QAction::triggered, this, &frmMain::kTV_Volume_Delete_Click);
  connect(kTV_Category_Properties, &QAction::triggered, this, [this] { NodeProperties_Click(Tree::kNodeCategory); });
  connect(kTV_Volume_Properties, &QAction::triggered, this, [this] { NodeProperties_Click(Tree::kNodeVolume); });
  connect(kTV_Folder_Properties, &QAction::triggered, this, [this] { NodeProperties_Click(Tree::kNodeFolder); });
  connect(kLV_Folder_Folder_Properties, &QAction::triggered, this, [this] { NodeProperties_Click(Tree::kNodeFolder); });
  connect(kTV_Folder_Memo, &QAction::triggered, this, [this] { Memo_Click(QStringLiteral("Memo")); });
  connect(kLV_Folder_Folder_Memo, &QAction::triggered, this, [this] { Memo_Click(QStringLiteral("Ordner-Memo")); });
  connect(kLV_Folder_Desc, &QAction::triggered, this, &frmMain::kLV_Folder_Desc_Click);
  connect(kLV_Folder_FileProperties, &QAction::triggered, this, &frmMain::FileProperties_Click);
  connect(kLV_Folder_CopyLine, &QAction::triggered, this,
          [this] { Command(QStringLiteral("CopyLine"), [this] { kLV_Folder_CopyLine_Click(picFolder->LVFiles); }); });
  connect(kLV_Folder_Execute, &QAction::triggered, this, &frmMain::kLV_Folder_Execute_Click);
  connect(kLVInfo_Clipboard, &QAction::triggered, this, &frmMain::kLVInfo_Clipboard_Click);
  connect(kTV_Volume_Output, &QAction::triggered, this, [this] { CmdOutput(true); });
  connect(kTV_Folder_Output, &QAction::triggered, this, [this] { CmdOutput(true); });
  connect(kLV_Folder_Folder_Output, &QAction::triggered, this, [this] { CmdOutput(false); });
  connect(kTV_Category_Nodes_Open, &QAction::triggered, this, &frmMain::kTV_Category_Nodes_Open_Click);
  connect(kTV_Category_Nodes_Close, &QAction::triggered, this, &frmMain::kTV_Category_Nodes_Close_Click);
}

void frmMain::ShowPopup(QMenu* menu) { menu->popup(QCursor::pos()); }

// --- The tree's menus ---

void frmMain::Tree1_MenuCategory() {
  try {
    if (!Tree1->SelectedItem()) return;
    for (QAction* a : kTV_Category->actions()) a->setVisible(true);
    ShowPopup(kTV_Category);
  } catch (...) {
    // No menu then.
  }
}

void frmMain::Tree1_MenuVolume() {
  try {
    const QTreeWidgetItem* node = Tree1->SelectedItem();
    if (!node) return;
    // A new category is offered beside a volume only at the top level.
    const bool top = !node->parent();
    kTV_Volume_NewCat->setVisible(top);
    kTV_Volume_Bar0->setVisible(top);
    for (QAction* a : {kTV_Volume_Delete, kTV_Volume_Bar1, kTV_Volume_Properties}) a->setVisible(true);
    ShowPopup(kTV_Volume);
  } catch (...) {
    // No menu then.
  }
}

void frmMain::Tree1_MenuEmptyDB() {
  try {
    kTV_Volume_NewCat->setVisible(true);
    kTV_Volume_Bar0->setVisible(true);
    for (QAction* a : {kTV_Volume_Delete, kTV_Volume_Bar1, kTV_Volume_Properties}) a->setVisible(false);
    ShowPopup(kTV_Volume);
  } catch (...) {
    // No menu then.
  }
}

void frmMain::PopupMenuFolder(int16_t Mode) {
  try {
    QMenu* menu = Mode == 1 ? kLV_Folder : kTV_Folder;
    QAction* memo = Mode == 1 ? kLV_Folder_Folder_Memo : kTV_Folder_Memo;
    memo->setText(FolderMemoCaption(TagOf(Tree1->SelectedItem())));
    if (Mode == 1) {
      const bool rows = picFolder->LVFiles->topLevelItemCount() > 0;
      for (QAction* a : {kLV_Folder_FileProperties, kLV_Folder_Desc, kLV_Folder_CopyLine, kLV_Folder_Execute})
        a->setEnabled(rows);
    }
    ShowPopup(menu);
  } catch (...) {
    gErr->ErrMsg(QStringLiteral("frmMain"), QStringLiteral("PopupMenuFolder"));
  }
}

void frmMain::kTV_Category_NewVolume_Click() {
  Command(QStringLiteral("NewVolume"), [this] {
    int32_t cat = TagOf(Tree1->SelectedItem());
    structure_.NewVolume(cat);
  });
}

void frmMain::kTV_Volume_New_Click() {
  Command(QStringLiteral("NewVolume"), [this] {
    const QTreeWidgetItem* node = Tree1->SelectedItem();
    int32_t cat = node ? TagOf(node->parent()) : 0;
    structure_.NewVolume(cat);
  });
}

void frmMain::NewCat_Click() {
  Command(QStringLiteral("NewCat"), [this] { structure_.NewCat(); });
}

void frmMain::kTV_Category_Delete_Click() {
  Command(QStringLiteral("DeleteCat"), [this] { structure_.DeleteCat(); });
}

void frmMain::kTV_Volume_Delete_Click() {
  Command(QStringLiteral("DeleteVolume"), [this] { structure_.DeleteVolume(); });
}

// --- Memos, files, Info ---

void frmMain::Memo_Click(const QString& Name) {
  Command(QStringLiteral("PathShowEditor"),
          [this, Name] { PathShowEditor(this, TagOf(Tree1->SelectedItem()), QStringLiteral("Memo"), Name); });
}

void frmMain::kLV_Folder_Desc_Click() {
  Command(QStringLiteral("Desc_Click"), [this] {
    QTreeWidget* list = picFolder->LVFiles;
    const QTreeWidgetItem* row = SelectedRow(list);
    if (!row) return;
    const QString key = ui::itemKey(row);
    QString shown;
    if (!FileDescEdit(this, TagOf(row), row->text(0), shown)) return;
    // The list may have been filled anew while the editor was open: the row is found again.
    if (QTreeWidgetItem* again = ui::findItemByKey(list, key)) again->setText(3, shown);
  });
}

void frmMain::kLV_Folder_Execute_Click() {
  Command(QString(), [this] {
    if (const QTreeWidgetItem* row = SelectedRow(picFolder->LVFiles)) FileExecute(TagOf(row));
  });
}

void frmMain::FileProperties_Click() {
  Command(QStringLiteral("FileProperties"), [this] {
    if (const QTreeWidgetItem* row = SelectedRow(picFolder->LVFiles))
      kLV_Folder_FileProperties_Click(*pending_, TagOf(row));
  });
}

void frmMain::NodeProperties_Click(int kind) {
  Command(QStringLiteral("Properties"), [this, kind] {
    const QTreeWidgetItem* node = Tree1->SelectedItem();
    if (!node) return;
    const int32_t id = TagOf(node);
    switch (kind) {
      case Tree::kNodeCategory:
        kTV_Category_Properties_Click(*pending_, detail_->InfoCache(), id);
        break;
      case Tree::kNodeVolume:
        kTV_Volume_Properties_Click(*pending_, detail_->InfoCache(), id, SBPanel1);
        break;
      default:
        kTV_Folder_Properties_Click(*pending_, detail_->InfoCache(), id, SBPanel1);
        break;
    }
  });
}

void frmMain::kLVInfo_Clipboard_Click() {
  Command(QStringLiteral("kLVInfo_Clipboard_Click"), [this] {
    try {
      QTreeWidget* list = nullptr;
      if (!picCategory->isHidden())
        list = picCategory->LVCategoryInfo;
      else if (!picVolume->isHidden())
        list = picVolume->LVVolumeInfo;
      else if (!picFolder->isHidden())
        list = picFolder->LVFolderInfo;
      if (list) ListViewToClipboard(list, false);
    } catch (...) {
      // Copying is a convenience.
    }
  });
}

// --- The host of the category and volume commands ---

QWidget* frmMain::StructureHost::Window() { return &w_; }
Tree* frmMain::StructureHost::TreeControl() { return w_.Tree1; }
pInfoColl* frmMain::StructureHost::InfoCache() { return w_.detail_ ? &w_.detail_->InfoCache() : nullptr; }
void frmMain::StructureHost::FormEnable(bool isOpen) { w_.FormEnable(isOpen); }
void frmMain::StructureHost::FindEnableUpdate() { w_.detail_->FindEnableUpdate(); }

void frmMain::StructureHost::EmptyAfterVolumeDelete() {
  w_.picFolder->LVFiles->clear();
  w_.picFolder->hide();
  w_.picVolume->hide();
  w_.FormEnable(true);
}
