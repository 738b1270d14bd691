// The SQL texts of the message table itself (not copies of them), filled as their users fill
// them and run on a catalogue made from the built template: an edit of the table that the
// engine cannot run, or that changes a field name a caller reads, shows here.

#include "foundation/MessageTable.h"
#include "foundation/cuAppError.h"
#include "platform/jet/Database.h"
#include "platform/jet/Recordset.h"
#include "tests/support/TestCatalogue.h"

#include <gtest/gtest.h>

namespace {

using rt::Variant;

class TableSqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString path = testenv::freshTempDir() + QStringLiteral("/Tabelle.qvk");
    ASSERT_TRUE(testenv::copyTemplate(path));
    ws = testenv::catalogueWorkspace(engine);
    db = ws->OpenDatabase(path, false);
    exec("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Musik')");
    exec("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (4, 'Keller')");
    exec(
        "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, CatID, LocID) "
        "VALUES (7, 'Äpfel-CD', '/media/cd/', 5, 45000.5, 1, 4)");
    exec(
        "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, TotalSize) "
        "VALUES (10, 7, 'Bilder', 0, 2, 30, 0, 2, 30)");
    exec(
        "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, TotalSize) "
        "VALUES (11, 7, 'Leer', 0, 0, 0, 0, 0, 0)");
    exec("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (100, 10, 'b.jpg', 45000, 20)");
    exec("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (101, 10, 'a.jpg', 45000, 10)");
  }

  void exec(const char* sql) { db->Execute(QString::fromUtf8(sql)); }

  // The first row of a table text, its "##" filled with one key, other markers replaced.
  std::shared_ptr<jet::Recordset> open(int id, const Variant& key, const char* marker = nullptr,
                                       const QString& replacement = {}) {
    QString sql = gErr->MsgLoad(id, key);
    if (marker) sql.replace(QString::fromLatin1(marker), replacement);
    return db->OpenRecordset(sql, jet::RecordsetType::Snapshot);
  }

  // The count is complete once the last row was reached; closes the set.
  static int64_t rowCount(const std::shared_ptr<jet::Recordset>& rs) {
    if (!rs->IsEOF()) rs->MoveLast();
    const int64_t n = rs->RecordCount();
    rs->Close();
    return n;
  }

  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
};

TEST_F(TableSqlTest, VolumeCategoryAndFolderFigures) {
  struct Case {
    int id;
    int key;
    const char* field;
    QString expected;
  };
  const Case cases[] = {
      {500, 7, "Folders", "2"},        {500, 7, "VolumeName", "Äpfel-CD"},     {501, 7, "Files", "2"},
      {501, 7, "SumFilesize", "30"},   {502, 10, "SumFileSize", "30"},         {502, 11, "Files", "0"},
      {503, 101, "Filename", "a.jpg"}, {503, 101, "VolumePath", "/media/cd/"}, {505, 1, "VolCount", "1"},
      {506, 1, "FileCount", "2"},      {506, 1, "SumFileSize", "30"},          {509, 7, "PID", "10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + c.field);
    auto rs = open(c.id, c.key);
    ASSERT_FALSE(rs->IsEOF());
    EXPECT_EQ(rs->Fields(QString::fromLatin1(c.field)).Value().toText(), c.expected);
    rs->Close();
  }
}

TEST_F(TableSqlTest, NamedMarkersAreFilledByTheirUsers) {
  auto files = open(507, rt::Null, "#PathID#", QStringLiteral("10"));
  EXPECT_EQ(files->Fields(QStringLiteral("Filename")).Value().toText(), "a.jpg");  // sorted by name
  EXPECT_EQ(rowCount(files), 2);

  auto search = open(504, rt::Null, "#FILTER#", QStringLiteral("WHERE (Filename Like '*.jpg')"));
  EXPECT_EQ(rowCount(search), 2);

  auto folders = open(515, rt::Null, "#FILTER#", QStringLiteral("HAVING (VID=7)"));
  EXPECT_EQ(rowCount(folders), 2);

  QString unlink = LoadResString(508);
  db->Execute(unlink.replace(QStringLiteral("#LOCID#"), QStringLiteral("4")));
  auto rs =
      db->OpenRecordset(QStringLiteral("SELECT LocID FROM tblVOLUMES WHERE VID = 7"), jet::RecordsetType::Snapshot);
  EXPECT_TRUE(rs->Fields(0).Value().isNull());
  rs->Close();
}

}  // namespace
