#pragma once

// The nodes of a volume's folder tree, made detached from any view so that they can be hung
// into it at once.

#include "catalogue/FolderTree.h"

#include <QTreeWidgetItem>

#include <functional>
#include <memory>
#include <vector>

// Makes a node for every row of tree with makeNode and hangs each below its parent. The nodes
// that hang at the volume are returned in the order of tree.top; every other node is owned by
// its parent from the moment it is made, so an error half-way (makeNode raising) deletes each
// node made so far exactly once.
std::vector<std::unique_ptr<QTreeWidgetItem>> MakeFolderNodes(
    const FolderTree& tree, const std::function<std::unique_ptr<QTreeWidgetItem>(size_t row)>& makeNode);
