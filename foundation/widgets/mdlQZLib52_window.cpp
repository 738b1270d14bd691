#include "foundation/widgets/mdlQZLib52_window.h"

#include "platform/ui/widgets/ItemKeys.h"

#include <QTreeWidget>

void CollectTreeNodes(QTreeWidgetItem* node, std::vector<QTreeWidgetItem*>& nodes, int& count, bool recurse) {
  if (!node) return;
  for (int i = 0; i < node->childCount(); ++i) {
    QTreeWidgetItem* child = node->child(i);
    if (count < 0) count = 0;
    if (nodes.size() <= static_cast<size_t>(count)) nodes.resize(static_cast<size_t>(count) + 1);
    nodes[static_cast<size_t>(count)] = child;
    ++count;
    if (recurse && child->childCount() > 0) CollectTreeNodes(child, nodes, count, true);
  }
}

bool ImageListKeyExists(const ui::ImageList& images, const QString& key) { return images.contains(key); }

QTreeWidgetItem* GetFirstRootNode(const QTreeWidget* tree) {
  return tree && tree->topLevelItemCount() > 0 ? tree->topLevelItem(0) : nullptr;
}

bool NodeKeyExists(const QTreeWidget* tree, const QString& key) { return ui::findItemByKey(tree, key) != nullptr; }

bool IsNodeAncestor(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* node) {
  if (!ancestor || !node) return false;
  for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent())
    if (p == ancestor) return true;
  return false;
}

QString GetNeighbourNodeKey(const QTreeWidgetItem* node) {
  if (!node) return QString();
  const QTreeWidgetItem* parent = node->parent();
  const QTreeWidget* tree = node->treeWidget();
  auto sibling = [&](int index) -> const QTreeWidgetItem* {
    if (index < 0) return nullptr;
    if (parent) return index < parent->childCount() ? parent->child(index) : nullptr;
    return tree && index < tree->topLevelItemCount() ? tree->topLevelItem(index) : nullptr;
  };
  const int index = parent ? parent->indexOfChild(const_cast<QTreeWidgetItem*>(node))
                           : (tree ? tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)) : -1);
  if (index >= 0) {
    if (const QTreeWidgetItem* prev = sibling(index - 1)) return ui::itemKey(prev);
    if (const QTreeWidgetItem* next = sibling(index + 1)) return ui::itemKey(next);
  }
  return parent ? ui::itemKey(parent) : QString();
}
