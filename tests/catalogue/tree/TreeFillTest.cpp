#include "TreeFixture.h"
#include "catalogue/widgets/TreeNode.h"
#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "platform/ui/widgets/ItemKeys.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

using rt::Variant;

// Categories are read in table order: a child before its parent, a three-level chain, names
// that sort only right when case and umlauts are compared as the catalogue does.
TEST_F(TreeTest, PopulateBuildsCategoriesWithAncestorsThenVolumesWithPlaceholders) {
  addCategory(1, QStringLiteral("Zeta"), 3);
  addCategory(2, QStringLiteral("äpfel"), 3);
  addCategory(3, QStringLiteral("Obst"));
  addCategory(4, QStringLiteral("Apfel"), 3);
  addCategory(5, QStringLiteral("birne"));
  addCategory(6, QStringLiteral("Tief"), 1);
  addVolume(10, QStringLiteral("Backup"), 1, 5, QStringLiteral("/media/cd/"));
  addVolume(11, QStringLiteral("alpha"), Variant(), 2, QStringLiteral("/media/usb/"));
  tree->Populate();

  EXPECT_EQ(dump(), (QStringList{
                        "V11|alpha|i2",
                        "  #Dummy#1|/media/usb/|i15",
                        "C5|birne|i12",
                        "C3|Obst|i12",
                        "  C4|Apfel|i12",
                        "  C2|äpfel|i12",
                        "  C1|Zeta|i12",
                        "    V10|Backup|i5",
                        "      #Dummy#2|/media/cd/|i15",
                        "    C6|Tief|i12",
                    }));
  // The first node added is the top of the first row's chain, not the top node on screen.
  EXPECT_EQ(selectedKey(), QStringLiteral("C3"));
  EXPECT_EQ(ui::itemTag(node(QStringLiteral("C2"))).toInt(), 2);
  EXPECT_EQ(ui::itemTag(node(QStringLiteral("V10"))).toInt(), 10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !clicks.isEmpty(); }, 1000));
  EXPECT_EQ(clicks, QStringList{"C3"});
  EXPECT_TRUE(status.contains(QStringLiteral("Lese Kategorie 'Zeta' ...")));
  EXPECT_TRUE(status.contains(QStringLiteral("Lese Volume 'Backup' ...")));
  EXPECT_EQ(status.mid(status.size() - 2), (QStringList{"Icons werden geladen ...", ""}));

  // The node collection lists categories before volumes; the placeholders restart at 1.
  const auto ordered = tree->NodesInAddOrder();
  ASSERT_FALSE(ordered.empty());
  EXPECT_EQ(ui::itemKey(ordered.front()), QStringLiteral("C3"));
  tree->Populate(QStringLiteral("V10"));
  EXPECT_NE(node(QStringLiteral("#Dummy#1")), nullptr);
  EXPECT_EQ(node(QStringLiteral("#Dummy#1"))->parent(), node(QStringLiteral("V11")));
  EXPECT_EQ(selectedKey(), QStringLiteral("V10"));
}

TEST_F(TreeTest, EmptyCatalogueGivesEmptyTreeAndNoClick) {
  tree->Populate();
  EXPECT_EQ(tree->TV()->topLevelItemCount(), 0);
  EXPECT_EQ(tree->SelectedItem(), nullptr);
  EXPECT_EQ(status, (QStringList{"Icons werden geladen ...", ""}));
  letDeferredClicksCome();
  EXPECT_TRUE(clicks.isEmpty());
  EXPECT_TRUE(boxes().shown.empty());
}

// A parent id without a row and a loop of parents must neither end the fill nor hang it.
TEST_F(TreeTest, DamagedCategoryChainsStillShowEverything) {
  addCategory(1, QStringLiteral("Waise"), 99);
  addCategory(2, QStringLiteral("Kreis A"), 3);
  addCategory(3, QStringLiteral("Kreis B"), 2);
  addCategory(4, QStringLiteral("Selbst"), 4);
  addVolume(10, QStringLiteral("Platte"), 1);
  addVolume(11, QStringLiteral("Verloren"), 42);
  addVolume(12, QStringLiteral("Typlos"), Variant(), 0);
  tree->Populate();
  EXPECT_TRUE(boxes().shown.empty()) << boxes().shown.front().text.toStdString();
  for (const char* key : {"C1", "C2", "C3", "C4", "V10", "V11", "V12"}) EXPECT_NE(node(key), nullptr) << key;
  EXPECT_EQ(node(QStringLiteral("C1"))->parent(), nullptr);
  EXPECT_EQ(node(QStringLiteral("V10"))->parent(), node(QStringLiteral("C1")));
  EXPECT_EQ(node(QStringLiteral("V11"))->parent(), nullptr);
  EXPECT_EQ(node(QStringLiteral("C2"))->parent(), node(QStringLiteral("C3")));
  EXPECT_EQ(node(QStringLiteral("C3"))->parent(), nullptr);
  // No picture for drive type 0: the fixed-disk picture stands in.
  EXPECT_EQ(Tree::NodeImage(node(QStringLiteral("V12"))), QStringLiteral("i3"));
}

TEST_F(TreeTest, IconsFromCatalogueAndCategoryOwnIcons) {
  addCategory(1, QStringLiteral("Musik"));
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(Qt::red);
  QByteArray bytes;
  PictureToBytes(Picture::fromImage(red), bytes);
  exec(QStringLiteral("UPDATE tblCATEGORIES SET Icon = ? WHERE CID = 1"), {Variant(bytes)});
  tree->Populate();
  EXPECT_TRUE(tree->ImageList().contains(QStringLiteral("i10")));
  EXPECT_TRUE(tree->ImageList().contains(QStringLiteral("i16")));
  EXPECT_TRUE(tree->ImageList().contains(QStringLiteral("i15")));
  QTreeWidgetItem* cat = node(QStringLiteral("C1"));
  EXPECT_EQ(Tree::NodeImage(cat), QStringLiteral("u1"));
  EXPECT_EQ(tree->ImageList().pixmap(QStringLiteral("u1")).toImage().pixelColor(8, 8), QColor(Qt::red));
  addCategory(2, QStringLiteral("Sub"), 1);
  tree->Populate();
  cat = node(QStringLiteral("C1"));
  cat->setExpanded(true);
  EXPECT_EQ(Tree::NodeImage(cat), QStringLiteral("u1"));
  cat->setExpanded(false);
  EXPECT_EQ(Tree::NodeImage(cat), QStringLiteral("u1"));
  node(QStringLiteral("C2"))->setExpanded(true);

  exec(QStringLiteral("UPDATE tblCATEGORIES SET Icon = NULL WHERE CID = 1"));
  tree->Populate();
  cat = node(QStringLiteral("C1"));
  EXPECT_EQ(Tree::NodeImage(cat), QStringLiteral("i12"));
  EXPECT_FALSE(tree->ImageList().contains(QStringLiteral("u1")));
  cat->setExpanded(true);
  EXPECT_EQ(Tree::NodeImage(cat), QStringLiteral("i13"));
  cat->setExpanded(false);
  EXPECT_EQ(Tree::NodeImage(cat), QStringLiteral("i12"));
}

TEST_F(TreeTest, NodeKeysTypesAndPaths) {
  struct Case {
    const char* key;
    int type;
    const char* path;
  } cases[] = {{"C12", 0, "C12"},           {"c17", 0, "c17"},           {"V3", 1, "V3"},  {"V3|40", 2, "40"},
               {"#Dummy#4", 3, "#Dummy#4"}, {"#dummy#1", 3, "#dummy#1"}, {"C1|2", 0, "2"}, {"", 1, ""}};
  for (const Case& c : cases) {
    QTreeWidgetItem item;
    ui::setItemKey(&item, QString::fromUtf8(c.key));
    EXPECT_EQ(Tree::NodeType(&item), c.type) << c.key;
    EXPECT_EQ(Tree::NodePath(&item), QString::fromUtf8(c.path)) << c.key;
  }
  EXPECT_EQ(Tree::NodeKey(5, 0), QStringLiteral("C5"));
  EXPECT_EQ(Tree::NodeKey(5, 1), QStringLiteral("V5"));
  EXPECT_EQ(Tree::NodeKey(5, 2), QString());
  EXPECT_EQ(Tree::NodeKey(5, 3), QString());
  tree->Populate();
  EXPECT_THROW(tree->NodeCategory(7), rt::RaisedError);
  EXPECT_THROW(tree->SelectItem(QStringLiteral("V1")), rt::RaisedError);
}

TEST_F(TreeTest, SelectKeyWithoutNodeIsReportedAfterCompleteFill) {
  addCategory(1, QStringLiteral("Musik"));
  tree->Populate(QStringLiteral("V99"));
  ASSERT_EQ(boxes().shown.size(), 1u);
  EXPECT_TRUE(boxes().shown[0].text.contains(QStringLiteral("TVFill")));
  EXPECT_NE(node(QStringLiteral("C1")), nullptr);
  EXPECT_EQ(status.back(), QString());
}
