#pragma once

// The nodes of a volume's folder tree, made detached from any view so that they can be hung
// into it at once.

#include "catalogue/FolderTree.h"

#include <QTreeWidgetItem>

#include <functional>
#include <memory>
#include <vector>

// Makes a node for each of the rows first and, down to levels levels in all (1: those rows
// alone), a node for each row below them, each hung below its parent's node. makeNode is told
// whether the row's children are made too. The nodes of first are returned in their order;
// every other node is owned by its parent from the moment it is made, so an error half-way
// (makeNode raising) deletes each node made so far exactly once.
std::vector<std::unique_ptr<QTreeWidgetItem>> MakeFolderNodes(
    const FolderTree& tree, const std::vector<size_t>& first, int levels,
    const std::function<std::unique_ptr<QTreeWidgetItem>(size_t row, bool childrenMade)>& makeNode);
