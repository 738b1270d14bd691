#include "catalogue/FolderTree.h"

#include "platform/jet/JetSqlText.h"

#include <QHash>

#include <algorithm>

FolderTree BuildFolderTree(const std::vector<FolderRow>& rows) {
  const size_t n = rows.size();
  QHash<int32_t, size_t> byPid;
  byPid.reserve(static_cast<qsizetype>(n));
  for (size_t i = 0; i < n; ++i) byPid.insert(rows[i].pid, i);

  // Each row's parent row, as the rows say; those without one hang at the volume.
  std::vector<std::vector<size_t>> below(n);
  std::vector<size_t> atVolume;
  for (size_t i = 0; i < n; ++i) {
    const auto parent = rows[i].parent ? byPid.constFind(*rows[i].parent) : byPid.constEnd();
    if (rows[i].root || parent == byPid.constEnd() || parent.value() == i)
      atVolume.push_back(i);
    else
      below[parent.value()].push_back(i);
  }

  // Walk from the volume; a row not reached sits in a loop of parents and hangs at the volume,
  // which breaks the loop there. Every row is taken once.
  FolderTree tree;
  tree.children.resize(n);
  tree.parent.assign(n, FolderTree::kAtVolume);
  std::vector<char> reached(n, 0);
  std::vector<size_t> todo;
  const auto walkFrom = [&](size_t start) {
    tree.top.push_back(start);
    reached[start] = 1;
    todo.assign(1, start);
    while (!todo.empty()) {
      const size_t at = todo.back();
      todo.pop_back();
      for (size_t c : below[at])
        if (!reached[c]) {
          reached[c] = 1;
          tree.children[at].push_back(c);
          tree.parent[c] = at;
          todo.push_back(c);
        }
    }
  };
  for (size_t i : atVolume)
    if (!reached[i]) walkFrom(i);
  for (size_t i = 0; i < n; ++i)
    if (!reached[i]) walkFrom(i);

  const auto byText = [&rows](size_t a, size_t b) { return jet::compareText(rows[a].text, rows[b].text) < 0; };
  for (std::vector<size_t>& kids : tree.children) std::stable_sort(kids.begin(), kids.end(), byText);
  return tree;
}
