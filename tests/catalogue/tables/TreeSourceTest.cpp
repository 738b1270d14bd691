// What the category tree fills from, read without any widget.

#include "catalogue/TreeSource.h"
#include "platform/jet/Database.h"
#include "tests/catalogue/commands/CommandsFixture.h"

#include <gtest/gtest.h>

namespace {

using Ids = std::vector<int32_t>;

class TreeSourceTest : public CommandsTest {
 protected:
  jet::Database& db() { return *gDB->DB(); }

  static Ids idsOf(const std::vector<CatItem>& items) {
    Ids out;
    for (const CatItem& item : items) out.push_back(item.CID);
    return out;
  }
};

TEST_F(TreeSourceTest, AncestorsComeTopMostFirstWithoutTheOnesThatAreGone) {
  // 1 > 2 > 3; 5 hangs below the missing 4, which hangs below 1; 6 and 7 are each other's parent.
  addCategory(3, QStringLiteral("Italien"), 2);
  addCategory(1, QStringLiteral("Fotos"));
  addCategory(2, QStringLiteral("Urlaub"), 1);
  addCategory(5, QStringLiteral("Waise"), 4);
  addCategory(6, QStringLiteral("Kreis A"), 7);
  addCategory(7, QStringLiteral("Kreis B"), 6);
  exec(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName, Parent) VALUES (4, 'weg', 1)"));
  TreeSource source(db());
  exec(QStringLiteral("DELETE FROM tblCATEGORIES WHERE CID = 4"));
  const std::vector<CategoryRow> categories = source.Categories();
  Ids all;
  for (const CategoryRow& c : categories) all.push_back(c.CID);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (Ids{1, 2, 3, 5, 6, 7}));

  const struct {
    int32_t cid;
    Ids ancestors;
  } cases[] = {
      {1, {}},      // top level
      {2, {1}},     //
      {3, {1, 2}},  // the top-most first, the parent last
      {5, {}},      // its parent is gone, and with it the way up
      {6, {7}},     // a loop ends where it closes
      {99, {}},     // no such category
  };
  for (const auto& c : cases) EXPECT_EQ(idsOf(source.Ancestors(c.cid)), c.ancestors) << c.cid;
  const std::vector<CatItem> chain = source.Ancestors(3);
  EXPECT_EQ(chain[0].CatName, QStringLiteral("Fotos"));
  EXPECT_EQ(chain[1].CatName, QStringLiteral("Urlaub"));
}

TEST_F(TreeSourceTest, VolumesComeByNameAndFoldersByIdWithTheRootNamedByTheVolumePath) {
  addVolume(2, QStringLiteral("Zeta"), QStringLiteral("/z/"));
  addVolume(1, QStringLiteral("Alpha"), QStringLiteral("/a/"), 4);
  TreeSource source(db());
  const std::vector<VolumeRow> volumes = source.Volumes();
  ASSERT_EQ(volumes.size(), 2u);
  EXPECT_EQ(volumes[0].VID, 1);
  EXPECT_EQ(volumes[0].CatID.toInt(), 4);
  EXPECT_EQ(volumes[1].VolumePath, QStringLiteral("/z/"));

  addPath(21, 1, QStringLiteral("Bilder"), 20);
  addPath(20, 1, rt::Null, rt::Null);
  addPath(22, 1, QStringLiteral("Waise"), 99);
  addPath(30, 2, rt::Null, rt::Null);
  int before = 0;
  const std::vector<FolderRow> rows = source.VolumeFolders(1, QStringLiteral("/a/"), [&] { ++before; });
  EXPECT_EQ(before, 3);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].pid, 20);
  EXPECT_TRUE(rows[0].root);
  EXPECT_FALSE(rows[0].parent);
  EXPECT_EQ(rows[0].text, QStringLiteral("/a/ [Root]"));
  EXPECT_EQ(rows[1].text, QStringLiteral("Bilder"));
  EXPECT_FALSE(rows[1].root);
  EXPECT_EQ(rows[1].parent, 20);
  EXPECT_EQ(rows[2].parent, 99);
  // The rows hang together as the tree shows them: the orphan at the volume.
  const FolderTree tree = BuildFolderTree(rows);
  EXPECT_EQ(tree.top, (std::vector<size_t>{0, 2}));
  EXPECT_TRUE(source.VolumeFolders(3, QStringLiteral("/x/"), {}).empty());
}

TEST_F(TreeSourceTest, IconsComeFromTheProgramsTableAndTheCategories) {
  TreeSource source(db());
  const std::vector<IconRow> icons = source.SystemIcons();
  ASSERT_EQ(icons.size(), 10u);
  for (const IconRow& icon : icons) EXPECT_TRUE(icon.Icon && !icon.Icon->isEmpty()) << icon.IID;

  addCategory(1, QStringLiteral("Fotos"));
  addCategory(2, QStringLiteral("Musik"));
  exec(QStringLiteral("UPDATE tblCATEGORIES SET Icon = ? WHERE CID = 2"), {QByteArray("BM icon")});
  EXPECT_EQ(source.CategoriesWithIcon(), (Ids{2}));
  EXPECT_EQ(source.CategoryIcon(2), QByteArray("BM icon"));
  EXPECT_FALSE(source.CategoryIcon(1));
}

}  // namespace
