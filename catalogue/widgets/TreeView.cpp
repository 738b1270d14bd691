#include "catalogue/widgets/TreeView.h"

#include "catalogue/widgets/Tree.h"
#include "catalogue/widgets/TreeNode.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

TreeView::TreeView(Tree* owner) : QTreeWidget(owner), owner_(owner) {
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(false);
  setUniformRowHeights(true);
  setIconSize(QSize(16, 16));
  // The one column is as wide as its widest node: a deep folder is not cut off but makes the
  // tree scroll sideways.
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

TreeView::~TreeView() {
  // The nodes unregister themselves while the index still exists; the control, being
  // destroyed, hears no more of them.
  owner_ = nullptr;
  clear();
}

TreeNode* TreeView::node(const QString& key) const {
  if (key.isEmpty()) return nullptr;
  TreeNode* n = nodes_.value(key.toLower(), nullptr);
  // A node a host took out of the view (without deleting it) is not part of the tree.
  return n && n->treeWidget() == this ? n : nullptr;
}

std::vector<QTreeWidgetItem*> TreeView::nodesInAddOrder() const {
  std::vector<QTreeWidgetItem*> all;
  all.reserve(static_cast<size_t>(nodes_.size()));
  for (TreeNode* n : nodes_)
    if (n->treeWidget() == this) all.push_back(n);
  std::sort(all.begin(), all.end(), [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    return a->data(0, kNodeSeqRole).toInt() < b->data(0, kNodeSeqRole).toInt();
  });
  return all;
}

int TreeView::sizeHintForColumn(int column) const {
  return std::max(QTreeWidget::sizeHintForColumn(column), viewport()->width());
}

void TreeView::scrollNodeIntoView(QTreeWidgetItem* node) { scrollTo(indexFromItem(node)); }

void TreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // The base class scrolls down to the node and opens the nodes above it; sideways it would
  // jump to the column's left edge whenever the column is wider than the view.
  QScrollBar* bar = horizontalScrollBar();
  const int across = bar->value();
  QTreeWidget::scrollTo(index, hint);
  bar->setValue(across);
  scrollAcrossTo(index);
}

void TreeView::scrollAcrossTo(const QModelIndex& index) {
  const QRect rect = visualRect(index);
  if (!rect.isValid()) return;
  // In the column's own coordinates: from the node's expand button to the end of its text.
  const int offset = horizontalOffset();
  const int left = std::max(rect.left() + offset - indentation(), 0);
  const int right = rect.left() + offset + sizeHintForIndex(index).width();
  // The column follows its contents only later; the node must fit now.
  if (right > columnWidth(0)) {
    header()->resizeSection(0, right);
    updateGeometries();
  }
  const int width = viewport()->width();
  QScrollBar* bar = horizontalScrollBar();
  int value = bar->value();
  if (left < value || right - left > width)
    value = left;
  else if (right > value + width)
    value = right - width;
  bar->setValue(value);
}

void TreeView::setDropHighlight(QTreeWidgetItem* node) {
  if (dropHighlight_ == node) return;
  QTreeWidgetItem* old = dropHighlight_;
  dropHighlight_ = node;
  if (old) update(indexFromItem(old));
  if (node) update(indexFromItem(node));
}

void TreeView::forgetDropHighlight() {
  dropHighlight_ = nullptr;
  viewport()->update();
}

void TreeView::registerNode(const QString& lowerKey, TreeNode* node) { nodes_.insert(lowerKey, node); }

void TreeView::unregisterNode(const QString& lowerKey, TreeNode* node) {
  const auto it = nodes_.find(lowerKey);
  if (it != nodes_.end() && it.value() == node) nodes_.erase(it);
}

void TreeView::nodeGone(QTreeWidgetItem* node) {
  if (owner_) owner_->nodeGone(node);
}

void TreeView::mousePressEvent(QMouseEvent* event) {
  // The right button leaves the selection alone: the host's menu follows the selected node.
  if (event->button() == Qt::LeftButton) QTreeWidget::mousePressEvent(event);
  owner_->TV_MouseDown(event->button(), event->position().toPoint());
}

void TreeView::mouseMoveEvent(QMouseEvent* event) {
  // A held left button must not drag the selection to other nodes: the press armed a drag.
  if (event->buttons() & Qt::LeftButton) {
    owner_->TV_MouseMove(event->position().toPoint());
    return;
  }
  QTreeWidget::mouseMoveEvent(event);
}

void TreeView::mouseReleaseEvent(QMouseEvent* event) {
  const bool dragged = owner_->isDragging();
  if (event->button() == Qt::LeftButton && !dragged) QTreeWidget::mouseReleaseEvent(event);
  owner_->TV_MouseUp(event->button(), event->position().toPoint());
}

void TreeView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) QTreeWidget::mouseDoubleClickEvent(event);
}
