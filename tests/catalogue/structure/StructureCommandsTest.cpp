#include "catalogue/mdlCommand_structure.h"
#include "catalogue/pInfoColl.h"
#include "foundation/cuAppError.h"
#include "tests/catalogue/commands/CommandsFixture.h"
#include "tests/support/CatalogueChecks.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// A catalogue with categories Fotos (1) > Urlaub (2) > Italien (3), Fotos > Familie (4), and
// Musik (5) at the top; volumes in each with folders and files; one volume at the top level.
class StructureTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    addCategory(1, QStringLiteral("Fotos"));
    addCategory(2, QStringLiteral("Urlaub"), 1);
    addCategory(3, QStringLiteral("Italien"), 2);
    addCategory(4, QStringLiteral("Familie"), 1);
    addCategory(5, QStringLiteral("Musik"));
    exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'Schrank')"));
    int pid = 1;
    int fid = 1;
    const struct {
      int vid;
      rt::Variant cat;
    } volumes[] = {{10, 1}, {20, 2}, {30, 3}, {31, 3}, {40, 4}, {50, 5}, {60, rt::Null}};
    for (const auto& v : volumes) {
      addVolume(v.vid, QStringLiteral("Volume %1").arg(v.vid), QStringLiteral("/m/%1/").arg(v.vid), v.cat);
      exec(QStringLiteral("UPDATE tblVOLUMES SET LocID = 1 WHERE VID = ?"), {v.vid});
      const int root = pid++;
      addPath(root, v.vid, rt::Null, rt::Null);
      for (int sub = 0; sub < 3; ++sub) {
        const int p = pid++;
        addPath(p, v.vid, QStringLiteral("Ordner %1").arg(sub), root);
        for (int f = 0; f < 4; ++f) addFile(fid++, p, QStringLiteral("datei%1.txt").arg(f), 100);
      }
    }
    for (int kind : {pInfoColl::Category, pInfoColl::Volume, pInfoColl::Folder})
      for (int id : {1, 2, 3, 4, 5, 10, 20, 30, 31, 40, 50, 60}) cache.Add(id, kind);
  }

  int64_t count(const QString& sql) { return value(sql).toLong(); }
  int64_t rowsOfVolume(int vid) {
    return count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = %1").arg(vid)) +
           count(QStringLiteral("SELECT Count(*) FROM tblFILES INNER JOIN tblPATHS ON tblFILES.PathID = tblPATHS.PID "
                                "WHERE VolumeID = %1")
                     .arg(vid)) +
           count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES WHERE VID = %1").arg(vid));
  }
  std::vector<int> cached(int kind) {
    std::vector<int> ids;
    for (const auto& r : cache.NewEnum(kind)) ids.push_back(r->ID);
    return ids;
  }
  // The file as another program sees it once this one has let go of it.
  testenv::RawCatalogue raw() { return testenv::RawCatalogue(path); }

  pInfoColl cache;
};

TEST_F(StructureTest, NewCategoryIsFiledAsChildSiblingOrAtTheTop) {
  const struct {
    std::optional<int32_t> selected;
    rt::Variant selectedParent;
    bool asSub;
    rt::Variant parent;
  } cases[] = {
      {std::nullopt, rt::Null, false, rt::Null},  // nothing selected: top level
      {std::nullopt, rt::Null, true, rt::Null},   // the choice is not offered then
      {2, 1, true, 2},                            // below the selected one
      {2, 1, false, 1},                           // next to it
      {5, rt::Null, false, rt::Null},             // next to a top-level one: top level
      {5, rt::Null, true, 5},
      {5, rt::Variant(), false, rt::Null},  // no parent given at all
  };
  for (const auto& c : cases) {
    const rt::Variant parent = NewCatParent(c.selected, c.selectedParent, c.asSub);
    EXPECT_EQ(parent.isNull(), c.parent.isNull());
    if (!c.parent.isNull()) {
      EXPECT_EQ(parent.toInt(), c.parent.toInt());
    }
  }

  // The row: the next key, the name as typed (blanks too), an empty description as Null.
  const int32_t cid = NewCatSave(QStringLiteral("  "), QString(), 2);
  EXPECT_EQ(cid, 6);
  EXPECT_EQ(value(QStringLiteral("SELECT CatName FROM tblCATEGORIES WHERE CID = 6")).toText(), QStringLiteral("  "));
  EXPECT_TRUE(value(QStringLiteral("SELECT CatDescription FROM tblCATEGORIES WHERE CID = 6")).isNull());
  EXPECT_EQ(value(QStringLiteral("SELECT Parent FROM tblCATEGORIES WHERE CID = 6")).toInt(), 2);
  EXPECT_EQ(NewCatSave(QStringLiteral("Bücher & Hefte"), QStringLiteral("O'Brien"), rt::Null), 7);
  EXPECT_EQ(value(QStringLiteral("SELECT CatDescription FROM tblCATEGORIES WHERE CID = 7")).toText(),
            QStringLiteral("O'Brien"));
  EXPECT_TRUE(value(QStringLiteral("SELECT Parent FROM tblCATEGORIES WHERE CID = 7")).isNull());
  // A name too long for the field is refused, and nothing is stored.
  EXPECT_NE(raised([] { NewCatSave(QString(300, QLatin1Char('x')), QString(), rt::Null); }).number, 0);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")), 7);
}

TEST_F(StructureTest, PickerIsSkippedOnlyForTheTopLevelOfACatalogueWithoutCategories) {
  EXPECT_TRUE(CatPickNeeded(0));
  EXPECT_TRUE(CatPickNeeded(3));
  exec(QStringLiteral("UPDATE tblVOLUMES SET CatID = Null"));
  exec(QStringLiteral("DELETE FROM tblCATEGORIES"));
  EXPECT_FALSE(CatPickNeeded(0));
  EXPECT_TRUE(CatPickNeeded(3));
}

TEST_F(StructureTest, DeletedVolumeTakesItsFoldersAndFilesAndItsCachedTotals) {
  ASSERT_EQ(rowsOfVolume(30), 1 + 4 + 12);
  EXPECT_TRUE(DeleteVolumeRecord(30, 3, &cache));
  EXPECT_EQ(rowsOfVolume(30), 0);
  EXPECT_EQ(rowsOfVolume(31), 17);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")), 6);
  // The volume, every folder, its category and the category's ancestors; nothing else.
  EXPECT_EQ(cached(pInfoColl::Category), (std::vector<int>{4, 5, 10, 20, 30, 31, 40, 50, 60}));
  EXPECT_EQ(cached(pInfoColl::Volume), (std::vector<int>{1, 2, 3, 4, 5, 10, 20, 31, 40, 50, 60}));
  EXPECT_TRUE(cached(pInfoColl::Folder).empty());
  EXPECT_EQ(raw().orphanRows(), 0);

  // A top-level volume leaves the category records alone.
  cache.Add(77, pInfoColl::Folder);
  EXPECT_TRUE(DeleteVolumeRecord(60, 0, &cache));
  EXPECT_EQ(cached(pInfoColl::Category).size(), 9u);
  EXPECT_TRUE(cached(pInfoColl::Folder).empty());

  // A volume that is gone already: nothing changes.
  cache.Add(77, pInfoColl::Folder);
  EXPECT_FALSE(DeleteVolumeRecord(60, 0, &cache));
  EXPECT_EQ(cached(pInfoColl::Folder), std::vector<int>{77});
  EXPECT_EQ(raw().orphanRows(), 0);
  EXPECT_EQ(raw().integrityCheck(), QStringLiteral("ok"));
}

TEST_F(StructureTest, QuestionsBeforeDeletingACategory) {
  const CatDeleteContent fotos = DeleteCatContent(1);
  std::vector<int32_t> subs;
  for (const CatItem& c : fotos.subCategories) subs.push_back(c.CID);
  EXPECT_EQ(subs, (std::vector<int32_t>{2, 3, 4}));  // parents before their children
  EXPECT_EQ(fotos.volumes.size(), 5u);
  EXPECT_EQ(DeleteCatQuestion(QStringLiteral("Fotos"), true, fotos),
            QStringLiteral("Die Kategorie 'Fotos' enthält 3 Unterkategorien und 5 Volumes.\r\n\r\n"
                           "Soll Sie wirklich mit sämtlichen untergeordneten Daten gelöscht werden?"));
  EXPECT_EQ(DeleteCatQuestion(QStringLiteral("Leer"), false, CatDeleteContent{}),
            QStringLiteral("Soll die Kategorie 'Leer' wirklich gelöscht werden?"));

  const CatDeleteContent none;
  const struct {
    bool warnings, children;
    const CatDeleteContent* content;
    bool asked;
  } confirm[] = {{true, true, &fotos, true},
                 {false, true, &fotos, false},
                 {true, false, &none, false},
                 {true, true, &none, false}};
  for (const auto& c : confirm) EXPECT_EQ(DeleteCatNeedsConfirmation(c.warnings, c.children, *c.content), c.asked);

  const struct {
    const char* answer;
    bool accepted;
  } answers[] = {{"JA", true}, {"ja", true}, {"jA", true},   {"ja ", false}, {" JA", false},
                 {"", false},  {"J", false}, {"JAA", false}, {"nein", false}};
  for (const auto& a : answers) EXPECT_EQ(DeleteCatConfirmed(QString::fromUtf8(a.answer)), a.accepted) << a.answer;
}

TEST_F(StructureTest, DeletedCategoryTakesItsSubtreeAndNothingElse) {
  const CatDeleteContent urlaub = DeleteCatContent(2);
  DeleteCatRecords(2, urlaub, &cache);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES WHERE CID = 2 OR CID = 3")), 0);
  for (int vid : {20, 30, 31}) EXPECT_EQ(rowsOfVolume(vid), 0) << vid;
  for (int vid : {10, 40, 50, 60}) EXPECT_EQ(rowsOfVolume(vid), 17) << vid;
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")), 3);
  // The category, its sub-categories and ancestors; the deleted volumes; every folder.
  EXPECT_EQ(cached(pInfoColl::Category), (std::vector<int>{4, 5, 10, 20, 30, 31, 40, 50, 60}));
  EXPECT_EQ(cached(pInfoColl::Volume), (std::vector<int>{1, 2, 3, 4, 5, 10, 40, 50, 60}));
  EXPECT_TRUE(cached(pInfoColl::Folder).empty());
  EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  EXPECT_EQ(raw().orphanRows(), 0);

  // The top of a tree: everything of it.
  DeleteCatRecords(1, DeleteCatContent(1), &cache);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")), 1);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")), 2);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblPATHS")), 8);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblFILES")), 24);
  const testenv::RawCatalogue file = raw();
  EXPECT_EQ(file.orphanRows(), 0);
  EXPECT_EQ(file.integrityCheck(), QStringLiteral("ok"));
  EXPECT_EQ(file.text("PRAGMA foreign_key_check"), QString());
}

// A statement that fails half-way (here a trigger refuses the last category) leaves every row.
TEST_F(StructureTest, FailureDuringACategoryDeletionLeavesEveryRow) {
  gDB->setDBPath(QString());
  sqlite3* rawDb = nullptr;
  ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &rawDb), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(rawDb,
                         "CREATE TRIGGER refuse BEFORE DELETE ON tblCATEGORIES WHEN OLD.CID = 1 "
                         "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(rawDb);
  ASSERT_TRUE(DBOpen(path, 0));
  const auto before = std::make_tuple(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")),
                                      count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")),
                                      count(QStringLiteral("SELECT Count(*) FROM tblPATHS")),
                                      count(QStringLiteral("SELECT Count(*) FROM tblFILES")));
  const rt::RaisedError e = raised([this] { DeleteCatRecords(1, DeleteCatContent(1), &cache); });
  EXPECT_NE(e.number, 0);
  EXPECT_TRUE(e.source.contains(QStringLiteral("DeleteCatRecords"))) << e.source.toStdString();
  EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  EXPECT_EQ(before, std::make_tuple(count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES")),
                                    count(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")),
                                    count(QStringLiteral("SELECT Count(*) FROM tblPATHS")),
                                    count(QStringLiteral("SELECT Count(*) FROM tblFILES"))));
  // The cache still holds what the catalogue still holds.
  EXPECT_EQ(cached(pInfoColl::Folder).size(), 12u);
}

TEST_F(StructureTest, LockLimitOfTheEngineIsToldInItsOwnWords) {
  const struct {
    int32_t number;
    bool lockMessage;
  } cases[] = {{3052, true}, {3021, false}};
  for (const auto& c : cases) {
    boxes->shown.clear();
    try {
      throw rt::RaisedError(c.number, QStringLiteral("DAO.Database"), QStringLiteral("Fehler"));
    } catch (...) {
      DeleteVolumeErrMsg(QStringLiteral("frmMain"), QStringLiteral("DeleteVolume"));
    }
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].style & ui::kCritical, ui::kCritical);
    EXPECT_EQ(
        boxes->shown[0].text.startsWith(QStringLiteral("Das Löschen des Volumes ist fehlgeschlagen (Fehler 3052).")),
        c.lockMessage);
  }
}

}  // namespace
