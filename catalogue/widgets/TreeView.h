#pragma once

// The tree view inside the catalogue tree control: a QTreeWidget with a key index of its
// nodes, the image list the nodes draw from, the drop highlight, and mouse handling that is
// passed to the control (a right press does not select; a held left button does not move the
// selection while a drag is armed or running). Its one column grows with the deepest shown node,
// and the view scrolls sideways to reach it.

#include "platform/ui/widgets/ImageList.h"

#include <QHash>
#include <QTreeWidget>

#include <vector>

class Tree;
class TreeNode;

class TreeView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TreeView(Tree* owner);
  ~TreeView() override;

  // The node of that key (any case), or nullptr.
  TreeNode* node(const QString& key) const;
  // Every node of the view in the order in which they were added.
  std::vector<QTreeWidgetItem*> nodesInAddOrder() const;

  ui::ImageList& images() { return images_; }
  const ui::ImageList& images() const { return images_; }

  // Never narrower than the view, so a row can be hit anywhere across it.
  int sizeHintForColumn(int column) const override;
  // Scrolls the node into view, down and sideways, opening the nodes above it.
  void scrollNodeIntoView(QTreeWidgetItem* node);
  // Every scroll to a node (a click, the keyboard, the control's own) brings it in sideways
  // too, from where the view stands.
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  QTreeWidgetItem* dropHighlight() const { return dropHighlight_; }
  void setDropHighlight(QTreeWidgetItem* node);
  // Drops the highlight without asking the model for the node's row.
  void forgetDropHighlight();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  friend class TreeNode;
  void scrollAcrossTo(const QModelIndex& index);
  void registerNode(const QString& lowerKey, TreeNode* node);
  void unregisterNode(const QString& lowerKey, TreeNode* node);
  // A node is being deleted: the control lets go of it.
  void nodeGone(QTreeWidgetItem* node);
  int nextSeq() { return ++seq_; }

  Tree* owner_;
  QHash<QString, TreeNode*> nodes_;
  ui::ImageList images_;
  QTreeWidgetItem* dropHighlight_ = nullptr;
  int seq_ = 0;
};
