#pragma once

// The catalogue tree control's nodes as the lister walks them. A folder's subfolder nodes are
// made as the walk reaches it, so a listing with subfolders holds every folder below its start
// however far the user has opened the tree.

#include "catalogue/pLister.h"

#include <memory>

class QTreeWidgetItem;
class Tree;

class TreeLister : public ListerTree {
 public:
  explicit TreeLister(Tree& tree) : tree_(tree) {}
  std::unique_ptr<ListerNode> FirstNode() const override;
  // The node as the lister's start; nothing for no node.
  std::unique_ptr<ListerNode> Of(QTreeWidgetItem* node) const;

 private:
  Tree& tree_;
};
