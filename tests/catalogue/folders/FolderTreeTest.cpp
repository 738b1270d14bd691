#include "catalogue/FolderTree.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A row: PID, parent (0 for Null), whether it is the root, text.
FolderRow row(int32_t pid, int32_t parent, const char* text, bool root = false) {
  FolderRow r;
  r.pid = pid;
  if (parent != 0) r.parent = parent;
  r.root = root;
  r.text = QString::fromUtf8(text);
  return r;
}

// The tree as lines of text indented by depth, in the order the rows hang.
QStringList dump(const std::vector<FolderRow>& rows, const FolderTree& tree) {
  QStringList out;
  const std::function<void(size_t, int)> add = [&](size_t i, int depth) {
    out << QString(depth * 2, QLatin1Char(' ')) + rows[i].text;
    for (size_t c : tree.children[i]) add(c, depth + 1);
  };
  for (size_t t : tree.top) add(t, 0);
  return out;
}

}  // namespace

TEST(FolderTree, EveryRowHangsOnceUnderItsParentOrAtTheVolume) {
  struct Case {
    const char* name;
    std::vector<FolderRow> rows;
    QStringList expected;
  } cases[] = {
      {"empty", {}, {}},
      {"root with sub-folders in text order, whatever their ids",
       {row(1, 0, "/mnt [Root]", true), row(2, 1, "zeta"), row(3, 1, "Äpfel"), row(4, 1, "apfel"), row(5, 3, "b"),
        row(6, 3, "A")},
       {"/mnt [Root]", "  apfel", "  Äpfel", "    A", "    b", "  zeta"}},
      {"a child read before its parent",
       {row(9, 8, "unten"), row(8, 1, "mitte"), row(1, 0, "/ [Root]", true)},
       {"/ [Root]", "  mitte", "    unten"}},
      {"the root hangs at the volume even with a parent",
       {row(1, 5, "/ [Root]", true), row(5, 1, "kind")},
       {"/ [Root]", "  kind"}},
      {"a missing parent and a row that is its own parent hang at the volume, in row order",
       {row(1, 0, "/ [Root]", true), row(2, 99, "waise"), row(3, 3, "selbst"), row(4, 2, "unter waise")},
       {"/ [Root]", "waise", "  unter waise", "selbst"}},
      {"a loop of parents is broken at its first row",
       {row(1, 0, "/ [Root]", true), row(7, 9, "sieben"), row(8, 7, "acht"), row(9, 8, "neun"), row(10, 8, "zehn")},
       {"/ [Root]", "sieben", "  acht", "    neun", "    zehn"}},
      {"two loops and a folder without parent",
       {row(2, 3, "b"), row(3, 2, "c"), row(4, 0, "ohne"), row(5, 6, "e"), row(6, 5, "f")},
       {"ohne", "b", "  c", "e", "  f"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FolderTree tree = BuildFolderTree(c.rows);
    EXPECT_EQ(dump(c.rows, tree), c.expected);
    // Each row exactly once.
    EXPECT_EQ(dump(c.rows, tree).size(), static_cast<qsizetype>(c.rows.size()));
    // Each row knows the row it hangs below.
    ASSERT_EQ(tree.parent.size(), c.rows.size());
    for (size_t t : tree.top) EXPECT_EQ(tree.parent[t], FolderTree::kAtVolume);
    for (size_t i = 0; i < tree.children.size(); ++i)
      for (size_t child : tree.children[i]) EXPECT_EQ(tree.parent[child], i);
  }
}

// A chain as deep as the rows are many is built without recursion.
TEST(FolderTree, DeepChainIsBuilt) {
  std::vector<FolderRow> rows;
  rows.push_back(row(1, 0, "/ [Root]", true));
  for (int32_t pid = 2; pid <= 200000; ++pid) rows.push_back(row(pid, pid - 1, "x"));
  const FolderTree tree = BuildFolderTree(rows);
  ASSERT_EQ(tree.top.size(), 1u);
  size_t at = tree.top[0], depth = 0;
  while (!tree.children[at].empty()) {
    at = tree.children[at].front();
    ++depth;
  }
  EXPECT_EQ(depth, rows.size() - 1);
}
