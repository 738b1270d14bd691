#include "catalogue/widgets/FolderNodes.h"
#include "platform/runtime/RaisedError.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

// A node that notes its birth and its deletion, and any deletion of a node already gone.
class CountedNode : public QTreeWidgetItem {
 public:
  explicit CountedNode(std::set<const void*>& live) : live_(live) { live_.insert(this); }
  ~CountedNode() override {
    if (live_.erase(this) != 1) ++deletedTwice;
  }
  static inline int deletedTwice = 0;

 private:
  std::set<const void*>& live_;
};

constexpr int kAllLevels = 1000;

std::vector<FolderRow> sampleRows() {
  std::vector<FolderRow> rows;
  auto add = [&rows](int32_t pid, int32_t parent, const char* text) {
    FolderRow r;
    r.pid = pid;
    if (parent) r.parent = parent;
    r.root = parent == 0;
    r.text = QString::fromUtf8(text);
    rows.push_back(r);
  };
  add(1, 0, "/ [Root]");
  add(2, 1, "a");
  add(3, 1, "b");
  add(4, 2, "a1");
  add(5, 4, "a11");
  add(6, 3, "b1");
  add(7, 99, "waise");
  return rows;
}

// The nodes of the given levels as "text(children made)" lines, indented by depth.
QStringList dump(const std::vector<std::unique_ptr<QTreeWidgetItem>>& top) {
  QStringList out;
  std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* n, int depth) {
    out << QString(depth * 2, QLatin1Char(' ')) + n->text(0) + n->text(1);
    for (int i = 0; i < n->childCount(); ++i) walk(n->child(i), depth + 1);
  };
  for (const auto& n : top) walk(n.get(), 0);
  return out;
}

}  // namespace

// Only the levels asked for are made, and each node learns whether its children are.
TEST(FolderNodes, TheLevelsAskedForAreMade) {
  const std::vector<FolderRow> rows = sampleRows();
  const FolderTree tree = BuildFolderTree(rows);
  const auto make = [&](size_t row, bool childrenMade) {
    auto node = std::make_unique<QTreeWidgetItem>();
    node->setText(0, rows[row].text);
    node->setText(1, childrenMade ? QStringLiteral("+") : QStringLiteral("-"));
    return node;
  };
  struct Case {
    std::vector<size_t> first;
    int levels;
    QStringList expected;
  } cases[] = {
      {tree.top, 0, {}},
      {tree.top, 1, {"/ [Root]-", "waise-"}},
      {tree.top, 2, {"/ [Root]+", "  a-", "  b-", "waise+"}},
      {tree.top, kAllLevels, {"/ [Root]+", "  a+", "    a1+", "      a11+", "  b+", "    b1+", "waise+"}},
      {tree.children[tree.top[0]], 1, {"a-", "b-"}},
      {tree.children[tree.top[0]], 2, {"a+", "  a1-", "b+", "  b1-"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.levels);
    EXPECT_EQ(dump(MakeFolderNodes(tree, c.first, c.levels, make)), c.expected);
  }
}

// A failure while the nodes are made (a node that cannot be made) must delete each node made
// so far once: none may be left, and none deleted twice, wherever in the tree it happens.
TEST(FolderNodes, AFailureWhileTheNodesAreMadeDeletesEachMadeNodeOnce) {
  const std::vector<FolderRow> rows = sampleRows();
  const FolderTree tree = BuildFolderTree(rows);
  for (size_t failAt = 0; failAt <= rows.size(); ++failAt) {
    SCOPED_TRACE(failAt);
    std::set<const void*> live;
    CountedNode::deletedTwice = 0;
    size_t made = 0;
    const auto makeNode = [&](size_t row, bool) -> std::unique_ptr<QTreeWidgetItem> {
      if (made++ == failAt) throw rt::RaisedError(7, QString(), QStringLiteral("Nicht genügend Speicher."));
      auto node = std::make_unique<CountedNode>(live);
      node->setText(0, rows[row].text);
      return node;
    };
    if (failAt < rows.size()) {
      EXPECT_THROW(MakeFolderNodes(tree, tree.top, kAllLevels, makeNode), rt::RaisedError);
    } else {
      auto top = MakeFolderNodes(tree, tree.top, kAllLevels, makeNode);
      ASSERT_EQ(top.size(), 2u);
      EXPECT_EQ(top[0]->text(0), "/ [Root]");
      ASSERT_EQ(top[0]->childCount(), 2);
      EXPECT_EQ(top[0]->child(0)->child(0)->child(0)->text(0), "a11");
      EXPECT_EQ(top[1]->text(0), "waise");
      EXPECT_EQ(live.size(), rows.size());
    }
    EXPECT_TRUE(live.empty());
    EXPECT_EQ(CountedNode::deletedTwice, 0);
  }
}
