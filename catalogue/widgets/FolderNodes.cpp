#include "catalogue/widgets/FolderNodes.h"

std::vector<std::unique_ptr<QTreeWidgetItem>> MakeFolderNodes(
    const FolderTree& tree, const std::function<std::unique_ptr<QTreeWidgetItem>(size_t row)>& makeNode) {
  std::vector<std::unique_ptr<QTreeWidgetItem>> top;
  top.reserve(tree.top.size());
  // Parents are made before their children; a child passes to its parent at once.
  std::vector<std::pair<size_t, QTreeWidgetItem*>> todo;
  for (size_t t : tree.top) {
    top.push_back(makeNode(t));
    todo.emplace_back(t, top.back().get());
  }
  while (!todo.empty()) {
    const auto [row, node] = todo.back();
    todo.pop_back();
    for (size_t c : tree.children[row]) {
      std::unique_ptr<QTreeWidgetItem> child = makeNode(c);
      node->addChild(child.get());
      todo.emplace_back(c, child.release());
    }
  }
  return top;
}
