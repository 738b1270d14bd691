#pragma once

// Tree-node and image-list routines of the catalogue tree. Tree views are QTreeWidgets, nodes
// QTreeWidgetItems with their key in ui::kItemKeyRole.

#include "platform/ui/widgets/ImageList.h"

#include <QString>

#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// Appends the node's children at index count (the array grows as needed); with recurse each
// child with children is followed by its own descendants.
void CollectTreeNodes(QTreeWidgetItem* node, std::vector<QTreeWidgetItem*>& nodes, int& count, bool recurse);

bool ImageListKeyExists(const ui::ImageList& images, const QString& key);

QTreeWidgetItem* GetFirstRootNode(const QTreeWidget* tree);
bool NodeKeyExists(const QTreeWidget* tree, const QString& key);
// True when ancestor is met walking up from the node's parent (a node is not its own ancestor).
bool IsNodeAncestor(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* node);
// Key of the previous sibling, else the next, else the parent, else "".
QString GetNeighbourNodeKey(const QTreeWidgetItem* node);
