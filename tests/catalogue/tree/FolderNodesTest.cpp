#include "catalogue/widgets/FolderNodes.h"

#include "platform/runtime/RaisedError.h"

#include <gtest/gtest.h>

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

}  // namespace

// A failure while the nodes are made (a node that cannot be made) must delete each node made
// so far once: none may be left, and none deleted twice, wherever in the tree it happens.
TEST(FolderNodes, AFailureWhileTheNodesAreMadeDeletesEachMadeNodeOnce) {
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
  const FolderTree tree = BuildFolderTree(rows);
  for (size_t failAt = 0; failAt <= rows.size(); ++failAt) {
    SCOPED_TRACE(failAt);
    std::set<const void*> live;
    CountedNode::deletedTwice = 0;
    size_t made = 0;
    const auto makeNode = [&](size_t row) -> std::unique_ptr<QTreeWidgetItem> {
      if (made++ == failAt) throw rt::RaisedError(7, QString(), QStringLiteral("Nicht genügend Speicher."));
      auto node = std::make_unique<CountedNode>(live);
      node->setText(0, rows[row].text);
      return node;
    };
    if (failAt < rows.size()) {
      EXPECT_THROW(MakeFolderNodes(tree, makeNode), rt::RaisedError);
    } else {
      auto top = MakeFolderNodes(tree, makeNode);
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
