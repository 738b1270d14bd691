#pragma once

// Nodes of the catalogue tree. Each node is registered under its key (without regard to case)
// with the view that owns it, shows its picture by image key at paint time, and sorts by the
// catalogue's text order (case-insensitive, umlauts beside their base letter).

#include <QTreeWidgetItem>

class TreeView;

inline constexpr int kNodeImageRole = Qt::UserRole + 3;    // image key ("i12", "u7", ...)
inline constexpr int kNodeSeqRole = Qt::UserRole + 4;      // running number of addition
inline constexpr int kNodeLockedRole = Qt::UserRole + 5;   // check box locked by a checked ancestor
inline constexpr int kNodeCheckRole = Qt::UserRole + 6;    // check state last handled by the tree
inline constexpr int kNodePendingRole = Qt::UserRole + 7;  // a folder whose subfolder nodes are not made yet

class TreeNode : public QTreeWidgetItem {
 public:
  // A node without a place yet; the caller adds it to a parent or the top level.
  TreeNode(TreeView* view, const QString& key, const QString& text, const QString& imageKey);
  ~TreeNode() override;
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;

  QVariant data(int column, int role) const override;
  bool operator<(const QTreeWidgetItem& other) const override;

 private:
  TreeView* view_;
  QString registeredKey_;
};
