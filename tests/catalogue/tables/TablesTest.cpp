// The table routines of the catalogue layer on a real catalogue: rows, orders, Nulls, bound
// values and the changes they make.

#include "catalogue/TableCategories.h"
#include "catalogue/TableFiles.h"
#include "catalogue/TableFolders.h"
#include "catalogue/TableIcons.h"
#include "catalogue/TableLocations.h"
#include "catalogue/TableVersion.h"
#include "catalogue/TableVolumes.h"
#include "platform/jet/Database.h"
#include "platform/jet/Workspace.h"
#include "tests/catalogue/commands/CommandsFixture.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

class TablesTest : public CommandsTest {
 protected:
  jet::Database& db() { return *gDB->DB(); }

  void addLocation(int lid, const QString& name, const rt::Variant& description = rt::Null) {
    exec(QStringLiteral("INSERT INTO tblLOCATIONS (lID, LocName, LocDescription) VALUES (?, ?, ?)"),
         {lid, name, description});
  }
  void setLocation(int vid, int lid) {
    exec(QStringLiteral("UPDATE tblVOLUMES SET LocID = ? WHERE VID = ?"), {lid, vid});
  }

  // A statement run on the file by a second connection, beside the program's.
  void onFile(const char* sql) {
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &handle), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(handle, sql, nullptr, nullptr, &error);
    const std::string text = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(handle);
    ASSERT_EQ(rc, SQLITE_OK) << text;
  }

  template <typename Row, typename Of>
  static std::vector<int32_t> ids(const std::vector<Row>& rows, Of of) {
    std::vector<int32_t> out;
    for (const Row& row : rows) out.push_back(of(row));
    return out;
  }
};

using Ids = std::vector<int32_t>;

// ---- locations ----

TEST_F(TablesTest, LocationRowsComeByNameOrByIdWithNullDescriptionsAsEmptyTexts) {
  addLocation(3, QStringLiteral("Archiv"), QStringLiteral("Keller"));
  addLocation(1, QStringLiteral("Schrank"));
  addLocation(2, QStringLiteral("Büro"), QStringLiteral("oben"));
  const auto byName = LocationRows(db(), LocationOrder::ByName);
  EXPECT_EQ(ids(byName, [](const LocationRow& r) { return r.lID; }), (Ids{3, 2, 1}));
  EXPECT_EQ(byName[0].LocName, QStringLiteral("Archiv"));
  EXPECT_EQ(byName[0].LocDescription, QStringLiteral("Keller"));
  EXPECT_EQ(byName[2].LocDescription, QString());
  EXPECT_EQ(ids(LocationRows(db(), LocationOrder::ById), [](const LocationRow& r) { return r.lID; }), (Ids{1, 2, 3}));
}

TEST_F(TablesTest, ALocationIsAddedAndChangedWithAnEmptyDescriptionStoredAsNull) {
  LocationAdd(db(), 7, QStringLiteral("Regal"), QString());
  EXPECT_TRUE(value(QStringLiteral("SELECT LocDescription FROM tblLOCATIONS WHERE lID = 7")).isNull());
  EXPECT_EQ(value(QStringLiteral("SELECT LocName FROM tblLOCATIONS WHERE lID = 7")).toText(), QStringLiteral("Regal"));

  EXPECT_TRUE(LocationUpdate(db(), 7, QStringLiteral("Regal 2"), QStringLiteral("links")));
  EXPECT_EQ(value(QStringLiteral("SELECT LocName FROM tblLOCATIONS WHERE lID = 7")).toText(),
            QStringLiteral("Regal 2"));
  EXPECT_EQ(value(QStringLiteral("SELECT LocDescription FROM tblLOCATIONS WHERE lID = 7")).toText(),
            QStringLiteral("links"));
  EXPECT_TRUE(LocationUpdate(db(), 7, QStringLiteral("Regal 2"), QString()));
  EXPECT_TRUE(value(QStringLiteral("SELECT LocDescription FROM tblLOCATIONS WHERE lID = 7")).isNull());

  // Gone meanwhile: nothing changes, nothing is added.
  EXPECT_FALSE(LocationUpdate(db(), 8, QStringLiteral("Neu"), QString()));
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblLOCATIONS")).toLong(), 1);
}

TEST_F(TablesTest, DeletingALocationReleasesOnlyItsVolumesAndFailsAsAWhole) {
  addLocation(1, QStringLiteral("Schrank"));
  addLocation(2, QStringLiteral("Keller"));
  for (int vid : {10, 11, 12}) addVolume(vid, QStringLiteral("V%1").arg(vid), QStringLiteral("/m/%1/").arg(vid));
  setLocation(10, 1);
  setLocation(11, 1);
  setLocation(12, 2);
  EXPECT_EQ(LocationVolumeCount(db(), 1), 2);
  EXPECT_EQ(LocationVolumeCount(db(), 2), 1);
  EXPECT_EQ(LocationVolumeCount(db(), 3), 0);

  // A delete the file refuses: the volumes keep their location, the location stays.
  onFile("CREATE TRIGGER keep BEFORE DELETE ON tblLOCATIONS BEGIN SELECT RAISE(ABORT, 'kept'); END");
  EXPECT_NE(raised([&] { LocationDelete(*gDB->WS(), db(), 1); }).number, 0);
  EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  EXPECT_EQ(LocationVolumeCount(db(), 1), 2);
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblLOCATIONS")).toLong(), 2);
  onFile("DROP TRIGGER keep");

  EXPECT_TRUE(LocationDelete(*gDB->WS(), db(), 1));
  EXPECT_EQ(gDB->WS()->TransactionDepth(), 0);
  EXPECT_EQ(LocationVolumeCount(db(), 1), 0);
  EXPECT_TRUE(value(QStringLiteral("SELECT LocID FROM tblVOLUMES WHERE VID = 10")).isNull());
  EXPECT_EQ(value(QStringLiteral("SELECT LocID FROM tblVOLUMES WHERE VID = 12")).toInt(), 2);
  EXPECT_EQ(ids(LocationRows(db(), LocationOrder::ById), [](const LocationRow& r) { return r.lID; }), (Ids{2}));

  // A location without a row: its volumes are released all the same.
  exec(QStringLiteral("DELETE FROM tblLOCATIONS WHERE lID = 2"));
  EXPECT_FALSE(LocationDelete(*gDB->WS(), db(), 2));
  EXPECT_TRUE(value(QStringLiteral("SELECT LocID FROM tblVOLUMES WHERE VID = 12")).isNull());
}

// ---- volumes ----

TEST_F(TablesTest, VolumeRowsComeByIdOrByNameWithTheirTypeAndCategory) {
  addCategory(1, QStringLiteral("Fotos"));
  addVolume(30, QStringLiteral("Musik"), QStringLiteral("/m/musik/"), 1);
  addVolume(10, QStringLiteral("Zeitungen"), QStringLiteral("/m/z/"));
  addVolume(20, QStringLiteral("Ärzte"), QStringLiteral("/m/a/"));
  const auto of = [](const VolumeRow& r) { return r.VID; };
  EXPECT_EQ(ids(VolumeRows(db(), VolumeOrder::ById), of), (Ids{10, 20, 30}));
  // The catalogue's text order puts umlauts beside their base letters.
  EXPECT_EQ(ids(VolumeRows(db(), VolumeOrder::ByName), of), (Ids{20, 30, 10}));
  auto stored = ids(VolumeRows(db(), VolumeOrder::Stored), of);
  std::sort(stored.begin(), stored.end());
  EXPECT_EQ(stored, (Ids{10, 20, 30}));

  const std::optional<VolumeRow> musik = VolumeOfId(db(), 30);
  ASSERT_TRUE(musik);
  EXPECT_EQ(musik->VolumeName, QStringLiteral("Musik"));
  EXPECT_EQ(musik->VolumePath, QStringLiteral("/m/musik/"));
  EXPECT_EQ(musik->VolumeType.toInt(), 3);
  EXPECT_EQ(musik->CatID.toInt(), 1);
  EXPECT_TRUE(VolumeOfId(db(), 10)->CatID.isNull());
  EXPECT_FALSE(VolumeOfId(db(), 99));
}

TEST_F(TablesTest, VolumesAreFoundByIdThenLocationThenABoundNamePattern) {
  addLocation(1, QStringLiteral("Schrank"));
  addVolume(1, QStringLiteral("Fotos 2003"), QStringLiteral("/a/"));
  addVolume(2, QStringLiteral("Urlaubsfotos"), QStringLiteral("/b/"));
  addVolume(3, QStringLiteral("O'Brien [alt]"), QStringLiteral("/c/"));
  addVolume(4, QStringLiteral("Backup 1"), QStringLiteral("/d/"));
  setLocation(4, 1);
  setLocation(2, 1);
  const struct {
    int32_t vid;
    int32_t loc;
    const char* name;
    Ids found;
  } cases[] = {
      {3, 1, "Foto", {3}},        // the id wins over everything else
      {0, 1, "Foto", {4, 2}},     // then the location, by name
      {0, 0, "foto", {1, 2}},     // then the name part, without regard to case
      {0, 0, "O'Brien", {3}},     // a quote is a character of the name, not of the statement
      {0, 0, "[[]alt]", {3}},     // the pattern characters of Like stay
      {0, 0, "#", {4, 1}},        // one digit
      {0, 0, "' OR 1=1 --", {}},  // no statement text gets in
      {99, 0, "", {}},            // an unknown id
      {0, 0, "", {}},             // nothing to search by
  };
  for (const auto& c : cases) {
    const auto found = VolumesFound(db(), c.vid, c.loc, QString::fromUtf8(c.name));
    EXPECT_EQ(ids(found, [](const VolumeRow& r) { return r.VID; }), c.found) << c.vid << " " << c.loc << " " << c.name;
  }
  // A "[" without its "]" is no pattern.
  EXPECT_EQ(raised([&] { VolumesFound(db(), 0, 0, QStringLiteral("[alt")); }).number, 93);
}

TEST_F(TablesTest, ANewVolumeIsStoredAndRelocatedWithEmptyFactsAsNull) {
  addCategory(5, QStringLiteral("Fotos"));
  addLocation(2, QStringLiteral("Keller"));
  NewVolume volume;
  volume.VID = 40;
  volume.VolumeSerial = QStringLiteral("-12345");
  volume.VolumeType = 5;
  volume.VolumeName = QStringLiteral("CD 1");
  volume.VolumePath = QStringLiteral("/media/cd/");
  volume.Memo = QStringLiteral("Notiz");
  volume.EditDate = rt::Variant::date(45000.25);
  volume.CatID = 5;
  VolumeAdd(db(), volume);
  const auto field = [this](const char* name) {
    return value(QStringLiteral("SELECT [%1] FROM tblVOLUMES WHERE VID = 40").arg(QLatin1String(name)));
  };
  EXPECT_EQ(field("VolumeSerial").toText(), QStringLiteral("-12345"));
  EXPECT_EQ(field("VolumeName").toText(), QStringLiteral("CD 1"));
  EXPECT_EQ(field("VolumePath").toText(), QStringLiteral("/media/cd/"));
  EXPECT_EQ(field("VolumeType").toInt(), 5);
  EXPECT_EQ(field("Memo").toText(), QStringLiteral("Notiz"));
  EXPECT_DOUBLE_EQ(field("EditDate").toDouble(), 45000.25);
  EXPECT_EQ(field("CatID").toInt(), 5);
  EXPECT_TRUE(field("LocID").isNull());
  EXPECT_TRUE(field("VolumeLabel").isNull());
  EXPECT_TRUE(field("Description").isNull());

  EXPECT_TRUE(VolumeRelocate(db(), 40, QStringLiteral("/mnt/neu/"), QString(), QStringLiteral("LABEL"),
                             QStringLiteral("rechner"), 2));
  EXPECT_EQ(field("VolumePath").toText(), QStringLiteral("/mnt/neu/"));
  EXPECT_TRUE(field("VolumeSerial").isNull());
  EXPECT_EQ(field("VolumeLabel").toText(), QStringLiteral("LABEL"));
  EXPECT_EQ(field("Computername").toText(), QStringLiteral("rechner"));
  EXPECT_EQ(field("VolumeType").toInt(), 2);
  EXPECT_GT(field("EditDate").toDouble(), 45000.25);
  // What the relocation does not touch stays.
  EXPECT_EQ(field("VolumeName").toText(), QStringLiteral("CD 1"));
  EXPECT_EQ(field("CatID").toInt(), 5);

  EXPECT_FALSE(VolumeRelocate(db(), 41, QStringLiteral("/x/"), QString(), QString(), QString(), 2));
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblVOLUMES")).toLong(), 1);

  // A given location is written.
  volume.VID = 41;
  volume.CatID = rt::Null;
  volume.LocID = 2;
  VolumeAdd(db(), volume);
  EXPECT_EQ(value(QStringLiteral("SELECT LocID FROM tblVOLUMES WHERE VID = 41")).toInt(), 2);
  EXPECT_TRUE(value(QStringLiteral("SELECT CatID FROM tblVOLUMES WHERE VID = 41")).isNull());
}

// ---- folders and files ----

TEST_F(TablesTest, FoldersAndFilesComeOfTheirOwnVolumeAndFolderOnly) {
  addVolume(1, QStringLiteral("A"), QStringLiteral("/a/"));
  addVolume(2, QStringLiteral("B"), QStringLiteral("/b/"));
  addPath(12, 1, QStringLiteral("Sub"), 10);
  addPath(10, 1, rt::Null, rt::Null);
  addPath(11, 2, rt::Null, rt::Null);
  addPath(13, 1, QStringLiteral("Sub2"), 12);
  EXPECT_EQ(FolderIdsOfVolume(db(), 1).size(), 3u);
  EXPECT_EQ(FolderIdsOfVolume(db(), 2), (Ids{11}));
  EXPECT_TRUE(FolderIdsOfVolume(db(), 3).empty());

  std::vector<FolderRecord> folders;
  ForEachFolderOfVolume(db(), 1, [&](const FolderRecord& r) { folders.push_back(r); });
  ASSERT_EQ(ids(folders, [](const FolderRecord& r) { return r.PID; }), (Ids{10, 12, 13}));
  EXPECT_TRUE(folders[0].Path.isNull());
  EXPECT_TRUE(folders[0].Parent.isNull());
  EXPECT_EQ(folders[1].Path.toText(), QStringLiteral("Sub"));
  EXPECT_EQ(folders[2].Parent.toInt(), 12);

  addFile(1, 12, QStringLiteral("zeta.txt"), 300, 37000.5, QStringLiteral("letzte"));
  addFile(2, 12, QStringLiteral("Alpha.txt"), 100);
  addFile(3, 13, QStringLiteral("anderer.txt"), 5);
  std::vector<FileRecord> files;
  ForEachFileOfFolder(db(), 12, [&](const FileRecord& r) { files.push_back(r); });
  ASSERT_EQ(ids(files, [](const FileRecord& r) { return r.FID; }), (Ids{2, 1}));
  EXPECT_EQ(files[1].Filename, QStringLiteral("zeta.txt"));
  EXPECT_DOUBLE_EQ(files[1].Filesize, 300);
  EXPECT_DOUBLE_EQ(files[1].DateTime.toDouble(), 37000.5);
  EXPECT_EQ(files[1].Desc.toText(), QStringLiteral("letzte"));
  EXPECT_TRUE(files[0].Desc.isNull());

  // A failure while the rows are handed on ends the walk; what came before stays with the caller.
  files.clear();
  EXPECT_EQ(raised([&] {
              ForEachFileOfFolder(db(), 12, [&](const FileRecord& r) {
                files.push_back(r);
                throw rt::RaisedError(7, QString(), QStringLiteral("voll"));
              });
            }).number,
            7);
  EXPECT_EQ(files.size(), 1u);
}

// ---- categories ----

TEST_F(TablesTest, CategoriesComeByNameAndTheirIconsAreStoredReadAndCleared) {
  addCategory(1, QStringLiteral("Musik"));
  addCategory(2, QStringLiteral("Fotos"), 1);
  addCategory(3, QStringLiteral("Bücher"));
  const auto byName = CategoryRows(db(), CategoryOrder::ByName);
  EXPECT_EQ(ids(byName, [](const CategoryRow& r) { return r.CID; }), (Ids{3, 2, 1}));
  EXPECT_EQ(byName[1].CatName, QStringLiteral("Fotos"));
  EXPECT_EQ(byName[1].Parent.toInt(), 1);
  EXPECT_TRUE(byName[0].Parent.isNull());

  EXPECT_TRUE(CategoriesWithIcon(db()).empty());
  EXPECT_FALSE(CategoryIconBytes(db(), 2));
  const QByteArray bytes("\x00\x00\x01\x00 not really an icon", 23);
  EXPECT_TRUE(CategoryIconStore(db(), 2, bytes));
  EXPECT_EQ(CategoryIconBytes(db(), 2), bytes);
  EXPECT_EQ(CategoriesWithIcon(db()), (Ids{2}));
  // Empty bytes are an empty value, not Null.
  EXPECT_TRUE(CategoryIconStore(db(), 3, QByteArray()));
  EXPECT_EQ(CategoriesWithIcon(db()), (Ids{2, 3}));

  EXPECT_TRUE(CategoryIconStore(db(), 2, std::nullopt));
  EXPECT_FALSE(CategoryIconBytes(db(), 2));
  EXPECT_EQ(CategoriesWithIcon(db()), (Ids{3}));
  EXPECT_FALSE(CategoryIconStore(db(), 9, bytes));
  EXPECT_FALSE(CategoryIconBytes(db(), 9));
}

// ---- icons ----

TEST_F(TablesTest, IconsComeInTheirOrderAndTheStandardPictureComesBackOnlyWhenChecked) {
  const auto rows = IconRows(db(), IconOrder::ByOrder);
  ASSERT_EQ(ids(rows, [](const IconRow& r) { return r.IID; }), (Ids{2, 3, 4, 5, 6, 10, 11, 12, 13, 16}));
  EXPECT_EQ(rows[1].FriendlyName, QStringLiteral("Festplatte"));
  ASSERT_TRUE(rows[1].Icon);
  const QByteArray standard = *rows[1].Icon;
  EXPECT_FALSE(standard.isEmpty());
  EXPECT_EQ(IconRows(db(), IconOrder::Stored).size(), rows.size());

  const QByteArray mine("BM my own picture");
  EXPECT_TRUE(IconStore(db(), 3, mine));
  EXPECT_EQ(IconRows(db(), IconOrder::ByOrder)[1].Icon, mine);
  EXPECT_FALSE(IconStore(db(), 99, mine));

  // A check that raises: nothing is written, nothing stays pending.
  std::optional<QByteArray> seen;
  EXPECT_EQ(raised([&] {
              IconRestoreDefault(db(), 3, [&](const std::optional<QByteArray>& b) {
                seen = b;
                throw rt::RaisedError(481, QString(), QStringLiteral("Ungültiges Bild"));
              });
            }).number,
            481);
  EXPECT_EQ(seen, standard);
  EXPECT_EQ(IconRows(db(), IconOrder::ByOrder)[1].Icon, mine);

  EXPECT_TRUE(IconRestoreDefault(db(), 3, [](const std::optional<QByteArray>&) {}));
  EXPECT_EQ(IconRows(db(), IconOrder::ByOrder)[1].Icon, standard);
  bool checked = false;
  EXPECT_FALSE(IconRestoreDefault(db(), 99, [&](const std::optional<QByteArray>&) { checked = true; }));
  EXPECT_FALSE(checked);
}

// ---- version and sizes ----

TEST_F(TablesTest, TheVersionRecordIsReadAndItsGuidWrittenAndTablesCounted) {
  const VersionRecord before = VersionRecordOf(db());
  EXPECT_FALSE(before.Major.isNull());
  EXPECT_FALSE(before.Revision.isNull());
  VersionGuidWrite(db(), QStringLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}"));
  const VersionRecord after = VersionRecordOf(db());
  EXPECT_EQ(after.GUID.toText(), QStringLiteral("{01234567-89AB-CDEF-0123-456789ABCDEF}"));
  EXPECT_EQ(after.Major.toInt(), before.Major.toInt());
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblVERSION")).toLong(), 1);

  addCategory(1, QStringLiteral("A"));
  addCategory(2, QStringLiteral("B"));
  EXPECT_EQ(TableRowCount(db(), QStringLiteral("tblCATEGORIES")), 2);
  EXPECT_EQ(TableRowCount(db(), QStringLiteral("tblVOLUMES")), 0);
  EXPECT_EQ(TableRowCount(db(), QStringLiteral("tblICONS")), 10);

  // Without a version record there is no current record to read or write.
  exec(QStringLiteral("DELETE FROM tblVERSION"));
  EXPECT_EQ(raised([&] { VersionRecordOf(db()); }).number, 3021);
  EXPECT_EQ(raised([&] { VersionGuidWrite(db(), QStringLiteral("x")); }).number, 3021);
}

}  // namespace
