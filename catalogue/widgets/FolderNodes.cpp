#include "catalogue/widgets/FolderNodes.h"

std::vector<std::unique_ptr<QTreeWidgetItem>> MakeFolderNodes(
    const FolderTree& tree, const std::vector<size_t>& first, int levels,
    const std::function<std::unique_ptr<QTreeWidgetItem>(size_t row, bool childrenMade)>& makeNode) {
  std::vector<std::unique_ptr<QTreeWidgetItem>> made;
  if (levels < 1) return made;
  made.reserve(first.size());
  // Parents are made before their children; a child passes to its parent at once.
  struct Todo {
    size_t row;
    QTreeWidgetItem* node;
    int level;
  };
  std::vector<Todo> todo;
  for (size_t row : first) {
    made.push_back(makeNode(row, levels > 1));
    if (levels > 1) todo.push_back({row, made.back().get(), 1});
  }
  while (!todo.empty()) {
    const Todo at = todo.back();
    todo.pop_back();
    const bool deeper = at.level + 1 < levels;
    for (size_t c : tree.children[at.row]) {
      std::unique_ptr<QTreeWidgetItem> child = makeNode(c, deeper);
      at.node->addChild(child.get());
      QTreeWidgetItem* raw = child.release();
      if (deeper) todo.push_back({c, raw, at.level + 1});
    }
  }
  return made;
}
