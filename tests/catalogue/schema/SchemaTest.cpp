#include "foundation/mdlQZLib51_text.h"
#include "foundation/widgets/mdlQZLib51_pictures.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Workgroup.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// The catalogue schema as every catalogue must carry it.
struct Column {
  std::string name;
  std::string type;  // declared type
  bool notNull;
  bool key;
  int maxChars;  // 0: no length limit
};

const std::map<std::string, std::vector<Column>>& expectedTables() {
  static const std::map<std::string, std::vector<Column>> tables = {
      {"tblCATEGORIES",
       {{"CID", "INTEGER", true, true, 0},
        {"CatName", "TEXT(255)", true, false, 255},
        {"CatDescription", "TEXT(255)", false, false, 255},
        {"Parent", "INTEGER", false, false, 0},
        {"Icon", "LONGBINARY_BLOB", false, false, 0}}},
      {"tblVOLUMES",
       {{"VID", "INTEGER", true, true, 0},
        {"VolumeName", "TEXT(255)", true, false, 255},
        {"Description", "TEXT(255)", false, false, 255},
        {"Memo", "MEMO_TEXT", false, false, 0},
        {"VolumePath", "TEXT(255)", true, false, 255},
        {"VolumeSerial", "TEXT(255)", false, false, 255},
        {"VolumeLabel", "TEXT(255)", false, false, 255},
        {"VolumeType", "INTEGER", true, false, 0},
        {"Computername", "TEXT(255)", false, false, 255},
        {"EditDate", "DATE_REAL", true, false, 0},
        {"CatID", "INTEGER", false, false, 0},
        {"LocID", "INTEGER", false, false, 0}}},
      {"tblPATHS",
       {{"PID", "INTEGER", true, true, 0},
        {"VolumeID", "INTEGER", true, false, 0},
        {"Path", "TEXT(255)", false, false, 255},
        {"Parent", "INTEGER", false, false, 0},
        {"Memo", "MEMO_TEXT", false, false, 0},
        {"Files", "INTEGER", true, false, 0},
        {"Size", "DOUBLE", true, false, 0},
        {"TotalDirs", "INTEGER", true, false, 0},
        {"TotalFiles", "INTEGER", true, false, 0},
        {"TotalSize", "DOUBLE", true, false, 0}}},
      {"tblFILES",
       {{"FID", "INTEGER", true, true, 0},
        {"PathID", "INTEGER", true, false, 0},
        {"Filename", "TEXT(255)", true, false, 255},
        {"DateTime", "DATE_REAL", true, false, 0},
        {"Filesize", "DOUBLE", true, false, 0},
        {"Desc", "TEXT(255)", false, false, 255}}},
      {"tblLOCATIONS",
       {{"lID", "INTEGER", true, true, 0},
        {"LocName", "TEXT(255)", true, false, 255},
        {"LocDescription", "TEXT(255)", false, false, 255}}},
      {"tblICONS",
       {{"IID", "INTEGER", true, true, 0},
        {"Icon", "LONGBINARY_BLOB", false, false, 0},
        {"DefaultIcon", "LONGBINARY_BLOB", true, false, 0},
        {"FriendlyName", "TEXT(255)", true, false, 255},
        {"Order", "INTEGER", true, false, 0}}},
      {"tblVERSION",
       {{"Major", "INTEGER", true, false, 0},
        {"Minor", "INTEGER", true, false, 0},
        {"Revision", "INTEGER", true, false, 0},
        {"Type", "TEXT(255)", true, false, 255},
        {"GUID", "TEXT(38)", false, false, 38}}},
  };
  return tables;
}

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// A private copy of the built template, opened with plain SQLite.
class TemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = testenv::freshTempDir() + QStringLiteral("/Katalog.qvk");
    ASSERT_TRUE(testenv::copyTemplate(path)) << "template missing";
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
    db.reset(raw);
    jet::registerJetFunctions(db.get());
    exec("PRAGMA foreign_keys=ON");
  }

  void exec(const std::string& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &msg);
    EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (msg ? msg : "");
    sqlite3_free(msg);
  }

  // Runs sql and returns SQLite's result code (the error text goes to `error`).
  int tryExec(const std::string& sql) {
    char* msg = nullptr;
    const int rc = sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &msg);
    sqlite3_free(msg);
    return rc;
  }

  // Every row of a query, each column as text ("NULL" for Null).
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    std::vector<std::vector<std::string>> out;
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
    while (s && sqlite3_step(s) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const auto* t = sqlite3_column_text(s, i);
        row.push_back(sqlite3_column_type(s, i) == SQLITE_NULL ? "NULL" : reinterpret_cast<const char*>(t));
      }
      out.push_back(row);
    }
    sqlite3_finalize(s);
    return out;
  }

  std::string one(const std::string& sql) {
    const auto r = rows(sql);
    return r.empty() || r[0].empty() ? std::string("<no row>") : r[0][0];
  }

  QString path;
  std::unique_ptr<sqlite3, DbCloser> db;
};

TEST_F(TemplateTest, TablesAndColumnsAreExactlyTheCatalogueSchema) {
  std::set<std::string> tables;
  for (const auto& r : rows("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"))
    tables.insert(r[0]);
  std::set<std::string> expected;
  for (const auto& [name, columns] : expectedTables()) expected.insert(name);
  EXPECT_EQ(tables, expected);

  for (const auto& [table, columns] : expectedTables()) {
    SCOPED_TRACE(table);
    const auto info = rows("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info('" + table + "')");
    ASSERT_EQ(info.size(), columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      const Column& c = columns[i];
      SCOPED_TRACE(c.name);
      EXPECT_EQ(info[i][0], c.name);
      EXPECT_EQ(info[i][1], c.type);
      EXPECT_EQ(info[i][2], c.notNull ? "1" : "0");
      EXPECT_EQ(info[i][3], "NULL") << "no field has a default";
      EXPECT_EQ(info[i][4], c.key ? "1" : "0");

      const char* declType = nullptr;
      const char* collation = nullptr;
      int notNull = 0, primaryKey = 0, autoInc = 0;
      ASSERT_EQ(sqlite3_table_column_metadata(db.get(), nullptr, table.c_str(), c.name.c_str(), &declType, &collation,
                                              &notNull, &primaryKey, &autoInc),
                SQLITE_OK);
      // The program names its text collation in its statements: other SQLite tools know none of it.
      EXPECT_EQ(std::string(collation), "BINARY");
      EXPECT_EQ(autoInc, 0) << "keys are allocated by the program";
    }
  }
}

TEST_F(TemplateTest, IndexesAndRelations) {
  // Named indexes are "<table>_<index>"; "PrimaryKey" is the INTEGER PRIMARY KEY itself.
  const std::map<std::string, std::string> expected = {
      {"tblCATEGORIES_Parent", "tblCATEGORIES.Parent"}, {"tblVOLUMES_CatID", "tblVOLUMES.CatID"},
      {"tblVOLUMES_LocID", "tblVOLUMES.LocID"},         {"tblPATHS_VolumeID", "tblPATHS.VolumeID"},
      {"tblPATHS_Parent", "tblPATHS.Parent"},           {"tblFILES_PathID", "tblFILES.PathID"},
      {"tblLOCATIONS_LocName", "tblLOCATIONS.LocName"},
  };
  std::map<std::string, std::string> found;
  for (const auto& [table, columns] : expectedTables()) {
    for (const auto& idx : rows("SELECT name, \"unique\", origin FROM pragma_index_list('" + table + "')")) {
      EXPECT_EQ(idx[1], "0") << idx[0];
      EXPECT_EQ(idx[2], "c") << idx[0] << " is not a declared index";
      const auto cols = rows("SELECT name FROM pragma_index_info('" + idx[0] + "')");
      ASSERT_EQ(cols.size(), 1u) << idx[0];
      found[idx[0]] = table + "." + cols[0][0];
    }
  }
  EXPECT_EQ(found, expected);

  std::set<std::string> relations;
  for (const auto& [table, columns] : expectedTables())
    for (const auto& fk :
         rows("SELECT \"table\", \"from\", \"to\", on_delete, on_update FROM pragma_foreign_key_list('" + table + "')"))
      relations.insert(table + "." + fk[1] + " -> " + fk[0] + "." + fk[2] + " delete " + fk[3] + " update " + fk[4]);
  EXPECT_EQ(relations, (std::set<std::string>{"tblPATHS.VolumeID -> tblVOLUMES.VID delete CASCADE update NO ACTION",
                                              "tblFILES.PathID -> tblPATHS.PID delete CASCADE update NO ACTION"}));
  EXPECT_EQ(one("PRAGMA integrity_check"), "ok");
  EXPECT_TRUE(rows("PRAGMA foreign_key_check").empty());
}

TEST_F(TemplateTest, FreshCopyHoldsOnlyTheVersionAndIconRows) {
  for (const char* table : {"tblCATEGORIES", "tblVOLUMES", "tblPATHS", "tblFILES", "tblLOCATIONS"})
    EXPECT_EQ(one(std::string("SELECT count(*) FROM ") + table), "0") << table;

  const auto version = rows("SELECT Major, Minor, Revision, typeof(Type), GUID FROM tblVERSION");
  ASSERT_EQ(version.size(), 1u);
  EXPECT_EQ(version[0], (std::vector<std::string>{"1", "0", "11", "text", "NULL"}));
  const std::string stamp = XorScramble(QStringLiteral("RZKerbolith"), QStringLiteral("KOV1987")).toStdString();
  EXPECT_EQ(stamp, std::string("\x19\x15\x1dTKZX'&\"Y"));
  EXPECT_EQ(one("SELECT Type FROM tblVERSION"), stamp);
}

TEST_F(TemplateTest, StandardIconsAreSixteenPixelIconsInPlainForm) {
  const auto icons = rows("SELECT IID, FriendlyName, \"Order\", Icon = DefaultIcon FROM tblICONS ORDER BY \"Order\"");
  std::vector<std::string> ids;
  std::set<std::string> names;
  int lastOrder = 0;
  for (const auto& r : icons) {
    ids.push_back(r[0]);
    names.insert(r[1]);
    EXPECT_GT(std::stoi(r[2]), lastOrder) << "orders are distinct";
    lastOrder = std::stoi(r[2]);
    EXPECT_EQ(r[3], "1") << "Icon starts as the default picture";
  }
  // Drive types 2 to 6 first, then folders and categories (closed, open) and the root folder.
  EXPECT_EQ(ids, (std::vector<std::string>{"2", "3", "4", "5", "6", "10", "11", "12", "13", "16"}));
  EXPECT_EQ(names.size(), icons.size());
  EXPECT_EQ(names.count("Festplatte"), 1u);

  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db.get(), "SELECT IID, DefaultIcon FROM tblICONS", -1, &s, nullptr), SQLITE_OK);
  while (sqlite3_step(s) == SQLITE_ROW) {
    SCOPED_TRACE(sqlite3_column_int(s, 0));
    const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(s, 1)), sqlite3_column_bytes(s, 1));
    EXPECT_TRUE(bytes.startsWith(QByteArray("\0\0\1\0", 4))) << "an icon file image, no header";
    const Picture pic = PictureFromBytes(bytes);
    EXPECT_EQ(pic.type(), PictureType::Icon);
    EXPECT_EQ(pic.image().size(), QSize(16, 16));
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) opaque += qAlpha(pic.image().pixel(x, y)) > 0;
    EXPECT_GT(opaque, 20) << "something is drawn";
    EXPECT_LT(opaque, 256) << "the background is transparent";
  }
  sqlite3_finalize(s);
}

TEST_F(TemplateTest, DeletingAVolumeTakesItsFoldersAndFiles) {
  exec(
      "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) VALUES "
      "(1, 'A', '/media/a/', 5, 45000.5), (2, 'B', '/media/b/', 3, 45000.5)");
  exec(
      "INSERT INTO tblPATHS (PID, VolumeID, Path, Parent, Files, Size, TotalDirs, TotalFiles, TotalSize) VALUES "
      "(1, 1, NULL, NULL, 1, 10, 1, 2, 30), (2, 1, 'sub', 1, 1, 20, 0, 1, 20), (3, 2, NULL, NULL, 1, 5, 0, 1, 5)");
  exec(
      "INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES "
      "(1, 1, 'a.txt', 45000.1, 10), (2, 2, 'b.txt', 45000.2, 20), (3, 3, 'c.txt', 45000.3, 5)");
  exec("DELETE FROM tblVOLUMES WHERE VID = 1");
  EXPECT_EQ(one("SELECT group_concat(PID) FROM tblPATHS"), "3");
  EXPECT_EQ(one("SELECT group_concat(FID) FROM tblFILES"), "3");

  // The relations refuse orphans.
  EXPECT_EQ(tryExec("INSERT INTO tblPATHS (PID, VolumeID, Files, Size, TotalDirs, TotalFiles, TotalSize) "
                    "VALUES (9, 99, 0, 0, 0, 0, 0)"),
            SQLITE_CONSTRAINT);
  EXPECT_EQ(tryExec("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (9, 99, 'x', 1, 0)"),
            SQLITE_CONSTRAINT);
}

TEST_F(TemplateTest, TextLimitsAndStoredValueKinds) {
  // One row in every table, so each text column can be set on it.
  exec("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (500, 'k')");
  exec("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (500, 'l')");
  exec("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) VALUES (500, 'v', '/', 3, 1)");
  exec(
      "INSERT INTO tblPATHS (PID, VolumeID, Files, Size, TotalDirs, TotalFiles, TotalSize) "
      "VALUES (500, 500, 0, 0, 0, 0, 0)");
  exec("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) VALUES (500, 500, 'f', 1, 0)");
  for (const auto& [table, columns] : expectedTables()) {
    for (const Column& c : columns) {
      if (c.maxChars == 0) continue;
      SCOPED_TRACE(table + "." + c.name);
      const std::string set = "UPDATE " + table + " SET \"" + c.name + "\" = '";
      std::string umlauts;  // characters count, not bytes
      for (int i = 0; i < c.maxChars; ++i) umlauts += "\xC3\xB6";
      EXPECT_EQ(tryExec(set + umlauts + "'"), SQLITE_OK);
      EXPECT_EQ(tryExec(set + umlauts + "x'"), SQLITE_CONSTRAINT);
    }
  }
  exec("DELETE FROM tblVOLUMES");
  exec("DELETE FROM tblCATEGORIES");

  // Memos, dates and pictures keep their kind of value.
  exec(
      "INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate, Memo, VolumeSerial) "
      "VALUES (1, 'A', '/a/', 3, 45000, '0012', '0012')");
  exec("INSERT INTO tblCATEGORIES (CID, CatName, Icon) VALUES (1, 'K', x'0000010000')");
  EXPECT_EQ(rows("SELECT typeof(Memo), Memo, typeof(VolumeSerial), typeof(EditDate) FROM tblVOLUMES")[0],
            (std::vector<std::string>{"text", "0012", "text", "real"}));
  EXPECT_EQ(one("SELECT typeof(Icon) FROM tblCATEGORIES"), "blob");
}

TEST_F(TemplateTest, LocationNamesCompareWithoutCase) {
  exec("INSERT INTO tblLOCATIONS (lID, LocName) VALUES (1, 'Keller'), (2, 'Dachboden'), (3, 'ärmel')");
  // As the program runs its texts: translated for this file's text columns.
  const jet::TextColumns text = jet::textColumnsOf(db.get());
  auto jet = [&](const char* sql) { return jet::translateJetSql(QString::fromUtf8(sql), text).toStdString(); };
  EXPECT_EQ(one(jet("SELECT lID FROM tblLOCATIONS WHERE LocName = 'KELLER'")), "1");
  EXPECT_EQ(one("SELECT group_concat(lID) FROM (" + jet("SELECT lID FROM tblLOCATIONS ORDER BY LocName") + ")"),
            "3,2,1");
}

TEST(WorkgroupFile, DefinesTheProgramUser) {
  const QString mdw = testenv::binDir() + QStringLiteral("/zuvrax.mdw");
  EXPECT_EQ(jet::checkWorkgroupUser(mdw, QStringLiteral("QZAdmin"), QStringLiteral("Wexo71")), jet::WorkgroupCheck::Ok);
  EXPECT_EQ(jet::checkWorkgroupUser(mdw, QStringLiteral("QZAdmin"), QStringLiteral("wexo71")),
            jet::WorkgroupCheck::WrongPassword);
}

}  // namespace
