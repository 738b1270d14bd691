#pragma once

// The catalogue tree control: categories, their volumes and, on demand, each volume's folders,
// keyed "C" & CID, "V" & VID, "V" & VID & "|" & PID, and "#Dummy#" & n for the placeholder that
// a volume carries until it is first expanded. The first expansion reads all of the volume's
// folder rows but makes only the nodes at the volume; a folder's subfolder nodes are made when
// it is expanded, when a key below it is selected or when a walk asks for them, so even a
// volume of many thousand folders opens at once. Until then the folder shows its expand button
// without children. It reads only the database it is given, reports
// clicks (deferred and only for a changed key), menus, fills and check-box changes as signals,
// and moves volumes and categories (through the category and volume commands) by dragging them
// onto a category or the empty space below the nodes.
//
// The control is one class in four sources: Tree.cpp (properties, methods, clicks, expansion),
// TreeFill.cpp (images and filling), TreeDrag.cpp (mouse, drag and drop), TreeCheckboxes.cpp.

#include "catalogue/FolderTree.h"
#include "catalogue/widgets/TreeView.h"

#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace jet {
class Database;
}
class TreeNode;

class Tree : public QWidget {
  Q_OBJECT

 public:
  // The kinds of node, numbered as NodeType gives them.
  enum NodeKind : int32_t { kNodeCategory = 0, kNodeVolume = 1, kNodeFolder = 2, kNodePlaceholder = 3 };
  // Ids (tblICONS.IID) of the pictures the tree shows: a volume shows the one of its drive
  // type, the fixed disk's when its type has none.
  enum IconId : int32_t {
    kIconFixedDisk = 3,
    kIconFolderClosed = 10,
    kIconFolderOpen = 11,
    kIconCategoryClosed = 12,
    kIconCategoryOpen = 13,
    kIconPlaceholder = 15,
    kIconRootFolder = 16,
  };
  // What the pointer shows during a drag.
  enum class DragIcon { None, Empty, NoDrop, DragFolder };

  explicit Tree(QWidget* parent = nullptr);
  ~Tree() override;

  void setBorder(bool border);
  void setCheckboxes(bool on);
  bool Checkboxes() const { return checkboxes_; }
  // Not owned; the host keeps it open while the tree uses it.
  // Without a catalogue no click of the old one may still be reported.
  void setDatabase(jet::Database* db) {
    db_ = db;
    if (!db) {
      timerNodeClick_.stop();
      pendingClickKey_.clear();
    }
  }
  jet::Database* Database() const { return db_; }
  void setDragDelay(int32_t ms) { dragDelay_ = ms; }
  int32_t DragDelay() const { return dragDelay_; }
  // Off: a press only selects; no volume or category is dragged (a tree for ticking only).
  void setAllowDrag(bool on) { allowDrag_ = on; }
  bool AllowDrag() const { return allowDrag_; }
  void setShowFolders(bool on) { showFolders_ = on; }
  bool ShowFolders() const { return showFolders_; }
  void setUseNodeClickTimer(bool on) { useNodeClickTimer_ = on; }
  bool UseNodeClickTimer() const { return useNodeClickTimer_; }

  QPixmap Icon(int32_t n) const;
  static QString IconKey(int32_t n) { return Prefix_KeyImage() + QString::number(n); }
  ui::ImageList& ImageList() { return tv_->images(); }
  static QString PathSeparator() { return QStringLiteral("|"); }
  static QString Prefix_KeyCategory() { return QStringLiteral("C"); }
  static QString Prefix_KeyImage() { return QStringLiteral("i"); }
  static QString Prefix_KeyVolume() { return QStringLiteral("V"); }
  static QString Prefix_KeyUserIcon() { return QStringLiteral("u"); }
  static QString Prefix_KeyPlaceholder() { return QStringLiteral("#Dummy#"); }
  TreeView* TV() const { return tv_; }

  QTreeWidgetItem* SelectedItem() const;
  QPixmap SelectedItemIcon() const;
  // Selects the node and runs the click logic; nullptr clears the selection and forgets the
  // last clicked key.
  void setSelectedItem(QTreeWidgetItem* node);

  // Removes every node; the last clicked key is kept.
  void Clear();
  // The node "C" & CID; raises the element-not-found error when there is none.
  QTreeWidgetItem* NodeCategory(int32_t CID) const;
  // The key of a category or volume (type kNodeCategory or kNodeVolume); "" for other types.
  static QString NodeKey(int32_t id, int32_t type);
  static QString NodePath(const QTreeWidgetItem* node);
  static NodeKind NodeType(const QTreeWidgetItem* node);
  static NodeKind NodeTypeOfKey(const QString& key);
  // Image key of a node, and a new one (the node shows it at once).
  static QString NodeImage(const QTreeWidgetItem* node);
  static void SetNodeImage(QTreeWidgetItem* node, const QString& imageKey);
  // True when a checked ancestor locks the node's check box.
  static bool NodeLocked(const QTreeWidgetItem* node);
  std::vector<QTreeWidgetItem*> NodesInAddOrder() const { return tv_->nodesInAddOrder(); }

  void Populate(const QString& SelectKey = QString());
  // True, or raises when no node has the key. A folder key of a volume whose folders are
  // loaded finds its node also when the levels above it have not been opened yet.
  bool SelectItem(const QString& Key, bool EnsureVisible = false);
  // The node of the key (any case), or nullptr. For a folder key of a volume whose folders are
  // loaded, the folder nodes above it are made first.
  TreeNode* NodeOfKey(const QString& Key);
  // True for a folder node whose subfolder nodes have not been made yet.
  static bool FolderChildrenPending(const QTreeWidgetItem* node);
  // Makes the subfolder nodes of such a folder node (not expanding it); nothing for any other
  // node. Walks over the nodes below a volume call it for each folder before reading its
  // children.
  void LoadFolderChildren(QTreeWidgetItem* node);
  void X_ILIconsSystemRefresh();

  // Handlers of the tree view (also called by the view's mouse handling).
  void TV_NodeClick(QTreeWidgetItem* node);
  void TV_Expand(QTreeWidgetItem* node);
  void TV_Collapse(QTreeWidgetItem* node);
  void TV_MouseDown(Qt::MouseButton button, const QPoint& pos);
  void TV_MouseMove(const QPoint& pos);
  void TV_MouseUp(Qt::MouseButton button, const QPoint& pos);
  // state 1: the pointer left the view.
  void TV_DragOver(const QPoint& pos, int state);
  void TV_DragDrop(const QPoint& pos);
  void TV_NodeCheck(QTreeWidgetItem* node);

  bool isDragging() const { return dragging_; }
  // Called by a node that is being deleted, however a host removed it.
  void nodeGone(const QTreeWidgetItem* node);
  DragIcon dragIcon() const { return dragIcon_; }

 signals:
  void NodeClick(QTreeWidgetItem* node);
  void MenuVolume();
  void MenuCategory();
  void MenuFolder();
  void MenuEmptyDB();
  void VolumeFill(const QString& Name, bool Done);
  void Status(const QString& Text);
  void SelectionChanged(bool AnyChecked);

 private:
  // Tree.cpp: clicks, expansion and the control's own selections.
  void TimerNodeClick_Timer();
  void selectNode(QTreeWidgetItem* node);
  void ensureVisible(QTreeWidgetItem* node);
  void onCurrentItemChanged(QTreeWidgetItem* current);
  bool NodeExists(const QString& Key) const;

  // TreeFill.cpp
  void IconsUserRemove();
  void TVFill(const QString& SelectKey);
  void TVFillVolume(int32_t VolID, const QString& RootText, const QString& Name);
  TreeNode* addNode(QTreeWidgetItem* parent, const QString& key, const QString& text, const QString& imageKey,
                    const QVariant& tag);
  void addPlaceholder(QTreeWidgetItem* volume, const QString& volumePath);
  // The rows and shape of a loaded volume's folders; the nodes are made from them level by level.
  struct VolumeFolders {
    std::vector<FolderRow> rows;
    FolderTree tree;
    QHash<int32_t, size_t> rowOfPid;  // filled when first needed
  };
  std::optional<size_t> folderRow(VolumeFolders& folders, int32_t pid) const;
  void hangFolderNodes(QTreeWidgetItem* parent, int32_t VolID, const VolumeFolders& folders,
                       const std::vector<size_t>& rows);

  // TreeDrag.cpp
  void Timer1_Timer();
  void setDragIcon(DragIcon icon);
  void endDrag();

  // TreeCheckboxes.cpp
  void Timer2_Timer();
  void prepareCheckbox(QTreeWidgetItem* node, const QTreeWidgetItem* parent);
  void onItemChanged(QTreeWidgetItem* node);

  TreeView* tv_;
  jet::Database* db_ = nullptr;
  bool showFolders_ = true;
  bool useNodeClickTimer_ = true;
  bool checkboxes_ = false;

  // Clicks and the control's own changes of the view.
  QString lastClickedKey_;
  QString pendingClickKey_;
  QTimer timerNodeClick_;
  bool filling_ = false;
  bool selecting_ = false;

  // Filling.
  int dummyCount_ = 0;
  int fillGeneration_ = 0;
  std::map<int32_t, std::unique_ptr<VolumeFolders>> volumeFolders_;  // by VID, until the next fill
  QStringList userIcons_;

  // Dragging.
  int32_t dragDelay_ = 500;
  bool allowDrag_ = true;
  QTreeWidgetItem* dragNode_ = nullptr;
  QTreeWidgetItem* dragOverNode_ = nullptr;
  bool dragging_ = false;
  DragIcon dragIcon_ = DragIcon::None;
  QPixmap imgDragFolder_;
  QTimer timer1_;

  // Check boxes.
  QStringList lockedCheckKeys_;  // locked boxes ticked since Timer2 was armed
  QTimer timer2_;
};
