#include "catalogue/widgets/TreeLister.h"

#include "catalogue/widgets/Tree.h"
#include "foundation/widgets/mdlQZLib52_window.h"
#include "platform/ui/widgets/ItemKeys.h"

namespace {

// A node with its place among its siblings, so the next sibling is found without a search.
class TreeListerNode : public ListerNode {
 public:
  TreeListerNode(Tree& tree, QTreeWidgetItem* parent, int index)
      : tree_(tree),
        parent_(parent),
        index_(index),
        node_(parent ? parent->child(index) : tree.TV()->topLevelItem(index)) {}

  QString Text() const override { return node_->text(0); }
  QString Tag() const override { return ui::itemTag(node_).toString(); }
  int Children() const override {
    tree_.LoadFolderChildren(node_);
    return node_->childCount();
  }
  std::unique_ptr<ListerNode> Child() const override {
    if (Children() == 0) return nullptr;
    return std::make_unique<TreeListerNode>(tree_, node_, 0);
  }
  std::unique_ptr<ListerNode> Next() const override {
    const int count = parent_ ? parent_->childCount() : tree_.TV()->topLevelItemCount();
    if (index_ + 1 >= count) return nullptr;
    return std::make_unique<TreeListerNode>(tree_, parent_, index_ + 1);
  }

 private:
  Tree& tree_;
  QTreeWidgetItem* parent_;
  int index_;
  QTreeWidgetItem* node_;
};

}  // namespace

std::unique_ptr<ListerNode> TreeLister::FirstNode() const { return Of(GetFirstRootNode(tree_.TV())); }

std::unique_ptr<ListerNode> TreeLister::Of(QTreeWidgetItem* node) const {
  if (!node || node->treeWidget() != tree_.TV()) return nullptr;
  QTreeWidgetItem* parent = node->parent();
  const int index = parent ? parent->indexOfChild(node) : tree_.TV()->indexOfTopLevelItem(node);
  return std::make_unique<TreeListerNode>(tree_, parent, index);
}
