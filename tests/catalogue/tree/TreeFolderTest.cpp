#include "TreeFixture.h"

#include "catalogue/widgets/TreeNode.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QElapsedTimer>
#include <QTest>

using rt::Variant;

class TreeFolderTest : public TreeTest {
 protected:
  void SetUp() override {
    TreeTest::SetUp();
    addVolume(1, QStringLiteral("Daten"), Variant(), 3, QStringLiteral("/mnt/daten/"));
    addPath(5, 1, Variant(), Variant(0));
    addPath(6, 1, QStringLiteral("zeta"), 5);
    addPath(7, 1, QStringLiteral("Alpha"), 5);
    addPath(8, 1, QStringLiteral("Ärger"), 5);
    addPath(9, 1, QStringLiteral("innen"), 7);
    // Out of order: the child row comes before its parent's row.
    addPath(10, 1, QStringLiteral("früh"), 11);
    addPath(11, 1, QStringLiteral("später"), 5);
    QObject::connect(tree.get(), &Tree::VolumeFill,
                     [this](const QString& name, bool done) { fills << name + (done ? "+" : "-"); });
    tree->Populate();
  }
  QStringList fills;
};

TEST_F(TreeFolderTest, ExpandingAVolumeLoadsItsFoldersOnceSortedByName) {
  QTreeWidgetItem* volume = node(QStringLiteral("V1"));
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(dump(volume), QStringList{"#Dummy#1|/mnt/daten/|i15"});
  volume->setExpanded(true);
  EXPECT_EQ(dump(volume), (QStringList{
                              "V1|5|/mnt/daten/ [Root]|i16",
                              "  V1|7|Alpha|i10",
                              "    V1|9|innen|i10",
                              "  V1|8|Ärger|i10",
                              "  V1|11|später|i10",
                              "    V1|10|früh|i10",
                              "  V1|6|zeta|i10",
                          }));
  EXPECT_EQ(fills, (QStringList{"Daten-", "Daten+"}));
  EXPECT_EQ(selectedKey(), QStringLiteral("V1"));
  EXPECT_EQ(ui::itemTag(node(QStringLiteral("V1|7"))).toInt(), 7);
  EXPECT_EQ(Tree::NodeType(node(QStringLiteral("V1|7"))), 2);

  // A folder swaps between closed and open; the root folder keeps its picture.
  QTreeWidgetItem* alpha = node(QStringLiteral("V1|7"));
  alpha->setExpanded(true);
  EXPECT_EQ(Tree::NodeImage(alpha), QStringLiteral("i11"));
  alpha->setExpanded(false);
  EXPECT_EQ(Tree::NodeImage(alpha), QStringLiteral("i10"));
  node(QStringLiteral("V1|5"))->setExpanded(false);
  EXPECT_EQ(Tree::NodeImage(node(QStringLiteral("V1|5"))), QStringLiteral("i16"));

  volume->setExpanded(false);
  volume->setExpanded(true);
  EXPECT_EQ(fills.size(), 2);
  EXPECT_EQ(volume->childCount(), 1);
  EXPECT_EQ(dump(volume).size(), 7);
}

TEST_F(TreeFolderTest, WithoutShowFoldersExpandingOnlyDropsThePlaceholder) {
  tree->setShowFolders(false);
  QTreeWidgetItem* volume = node(QStringLiteral("V1"));
  volume->setExpanded(true);
  EXPECT_EQ(volume->childCount(), 0);
  EXPECT_TRUE(fills.isEmpty());
}

TEST_F(TreeFolderTest, OrphanAndLoopingFoldersHangAtTheVolume) {
  addVolume(2, QStringLiteral("Kaputt"), Variant(), 3, QStringLiteral("/mnt/k/"));
  addPath(20, 2, Variant(), Variant(0));
  addPath(21, 2, QStringLiteral("ohne Eltern"), 999);
  addPath(22, 2, QStringLiteral("Kreis 1"), 23);
  addPath(23, 2, QStringLiteral("Kreis 2"), 22);
  tree->Populate();
  QTreeWidgetItem* volume = node(QStringLiteral("V2"));
  volume->setExpanded(true);
  EXPECT_TRUE(boxes().shown.empty());
  for (const char* key : {"V2|20", "V2|21", "V2|22", "V2|23"}) {
    QTreeWidgetItem* n = node(QString::fromUtf8(key));
    ASSERT_NE(n, nullptr) << key;
    EXPECT_EQ(n->treeWidget(), tree->TV()) << key;
  }
  EXPECT_EQ(node(QStringLiteral("V2|21"))->parent(), volume);
}

// Not a timing assertion: the size shows the bulk build copes; the bench measures speed.
TEST_F(TreeFolderTest, TenThousandFoldersLoadIntoTheirParents) {
  addVolume(3, QStringLiteral("Gross"), Variant(), 3, QStringLiteral("/mnt/g/"));
  ws->BeginTrans();
  addPath(1000, 3, Variant(), Variant(0));
  for (int i = 1; i < 10000; ++i) addPath(1000 + i, 3, QStringLiteral("Ordner %1").arg(i), 1000 + (i - 1) / 10);
  ws->CommitTrans();
  tree->Populate();
  QElapsedTimer timer;
  timer.start();
  node(QStringLiteral("V3"))->setExpanded(true);
  const qint64 ms = timer.elapsed();
  std::printf("10000 folders expanded in %lld ms\n", static_cast<long long>(ms));
  EXPECT_EQ(node(QStringLiteral("V3|1015"))->parent(), node(QStringLiteral("V3|1001")));
  EXPECT_EQ(node(QStringLiteral("V3|1000"))->childCount(), 10);
}

// The host's status text pumps messages while the folders load; what it lets through may
// refill, clear or prune the tree under the load.
TEST_F(TreeFolderTest, TreeChangedWhileTheFoldersLoad) {
  enum class Change { Refill, Clear, RemoveVolume };
  for (Change change : {Change::Refill, Change::Clear, Change::RemoveVolume}) {
    SCOPED_TRACE(static_cast<int>(change));
    tree->Populate();
    auto once = std::make_shared<bool>(false);
    auto c = QObject::connect(tree.get(), &Tree::VolumeFill, [this, change, once](const QString&, bool done) {
      if (done || *once) return;
      *once = true;
      if (change == Change::Refill) tree->Populate();
      if (change == Change::Clear) tree->Clear();
      if (change == Change::RemoveVolume) delete node(QStringLiteral("V1"));
    });
    QTreeWidgetItem* volume = node(QStringLiteral("V1"));
    ASSERT_NE(volume, nullptr);
    volume->setExpanded(true);
    QObject::disconnect(c);
    EXPECT_TRUE(boxes().shown.empty());
    if (change == Change::Refill) {
      // The refilled tree carries the placeholder again and can be loaded.
      ASSERT_NE(node(QStringLiteral("V1")), nullptr);
      EXPECT_EQ(node(QStringLiteral("V1"))->childCount(), 1);
      node(QStringLiteral("V1"))->setExpanded(true);
      EXPECT_NE(node(QStringLiteral("V1|7")), nullptr);
    } else {
      EXPECT_EQ(node(QStringLiteral("V1")), nullptr);
      EXPECT_EQ(node(QStringLiteral("V1|5")), nullptr);
    }
  }
}
