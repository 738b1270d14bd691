#include "SqlFixture.h"

#include "platform/jet/JetSql.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdexcept>

namespace jetsqltest {

namespace {

const char* kSchema = R"(
CREATE TABLE tblCATEGORIES (CID INTEGER PRIMARY KEY NOT NULL, CatName TEXT(255) NOT NULL,
  CatDescription TEXT(255), Parent INTEGER, Icon LONGBINARY_BLOB);
CREATE TABLE tblVOLUMES (VID INTEGER PRIMARY KEY NOT NULL, VolumeName TEXT(255) NOT NULL,
  Description TEXT(255), Memo MEMO_TEXT, VolumePath TEXT(255) NOT NULL,
  VolumeSerial TEXT(255), VolumeLabel TEXT(255), VolumeType INTEGER NOT NULL,
  Computername TEXT(255), EditDate DATE_REAL NOT NULL, CatID INTEGER, LocID INTEGER);
CREATE TABLE tblPATHS (PID INTEGER PRIMARY KEY NOT NULL,
  VolumeID INTEGER NOT NULL REFERENCES tblVOLUMES(VID) ON DELETE CASCADE, Path TEXT(255),
  Parent INTEGER, Memo MEMO_TEXT, Files INTEGER NOT NULL, Size DOUBLE NOT NULL,
  TotalDirs INTEGER NOT NULL, TotalFiles INTEGER NOT NULL, TotalSize DOUBLE NOT NULL);
CREATE TABLE tblFILES (FID INTEGER PRIMARY KEY NOT NULL,
  PathID INTEGER NOT NULL REFERENCES tblPATHS(PID) ON DELETE CASCADE, Filename TEXT(255) NOT NULL,
  DateTime DATE_REAL NOT NULL, Filesize DOUBLE NOT NULL, Desc TEXT(255));
CREATE TABLE tblLOCATIONS (lID INTEGER PRIMARY KEY NOT NULL, LocName TEXT(255) NOT NULL,
  LocDescription TEXT(255));
CREATE TABLE tblICONS (IID INTEGER PRIMARY KEY NOT NULL, Icon LONGBINARY_BLOB, DefaultIcon LONGBINARY_BLOB NOT NULL,
  FriendlyName TEXT(255) NOT NULL, "Order" INTEGER NOT NULL);
CREATE TABLE tblVERSION (Major INTEGER NOT NULL, Minor INTEGER NOT NULL, Revision INTEGER NOT NULL,
  Type TEXT(255) NOT NULL, GUID TEXT(38));
INSERT INTO tblVERSION VALUES (1, 0, 11, 'stamp', NULL);
INSERT INTO tblICONS VALUES (3, x'00', x'00', 'Festplatte', 2), (5, x'00', x'00', 'CD-ROM', 1);
)";

// Two volumes with folders and files, one empty volume, two locations, three categories.
const char* kRows = R"(
INSERT INTO tblCATEGORIES VALUES (1, 'Musik', NULL, NULL, NULL), (2, 'Filme', NULL, NULL, NULL),
  (3, 'Rock', NULL, 1, NULL);
INSERT INTO tblLOCATIONS VALUES (1, 'Regal', NULL), (2, 'Keller', 'unten');
INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeSerial, VolumeType, EditDate, CatID, LocID) VALUES
  (1, 'Äpfel-CD', 'D:\', '1234-ABCD', 5, 45000.5, 1, 1),
  (2, 'backup', 'E:\Daten\', '0000-1111', 3, 45001.25, 1, 2),
  (3, 'Birne', 'F:\', NULL, 3, 45002.0, 2, NULL);
INSERT INTO tblPATHS VALUES (1, 1, NULL, NULL, NULL, 1, 1, 2, 5, 3511),
  (2, 1, 'Musik', 1, NULL, 2, 3010, 0, 2, 3010), (3, 1, 'Bilder', 1, NULL, 1, 500, 0, 1, 500),
  (4, 2, NULL, NULL, NULL, 0, 0, 1, 1, 42), (5, 2, 'Projekte', 4, NULL, 1, 42, 0, 1, 42),
  (6, 3, NULL, NULL, NULL, 0, 0, 0, 0, 0);
INSERT INTO tblFILES VALUES (1, 2, 'lied.mp3', 45000.1, 3000, 'Lieblingslied'), (2, 2, 'Ärger.txt', 45000.2, 10, NULL),
  (3, 3, 'bild.jpg', 45000.3, 500, NULL), (4, 5, 'plan.doc', 45000.4, 42, NULL),
  (5, 1, 'autorun.inf', 45000.5, 1, NULL);
)";

}  // namespace

CatalogueDb::CatalogueDb() {
  const QString path = testenv::freshTempDir() + QStringLiteral("/catalogue.db");
  const QString templ = QDir(testenv::binDir()).filePath(QStringLiteral("zuvrax.db"));
  const bool fromTemplate = QFile::exists(templ);
  if (fromTemplate && !QFile::copy(templ, path)) throw std::runtime_error("cannot copy the template");
  if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK)
    throw std::runtime_error("cannot open the test database");
  jet::registerJetFunctions(db_);
  raw("PRAGMA foreign_keys=ON");
  if (!fromTemplate) raw(kSchema);
  raw(kRows);
}

CatalogueDb::~CatalogueDb() { sqlite3_close(db_); }

void CatalogueDb::raw(const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : "?";
    sqlite3_free(err);
    throw std::runtime_error("SQL failed: " + msg);
  }
}

Rows CatalogueDb::query(const QString& jetSql, QStringList* columnNames) {
  // Translated for this file's text columns, as the engine does.
  const QByteArray sql = jet::translateJetSql(jetSql, jet::textColumnsOf(db_)).toUtf8();
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db_, sql.constData(), -1, &s, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string("prepare failed: ") + sqlite3_errmsg(db_) + " in " + sql.toStdString());
  if (columnNames) {
    columnNames->clear();
    for (int i = 0; i < sqlite3_column_count(s); ++i) *columnNames << QString::fromUtf8(sqlite3_column_name(s, i));
  }
  Rows rows;
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    QStringList row;
    for (int i = 0; i < sqlite3_column_count(s); ++i) {
      row << (sqlite3_column_type(s, i) == SQLITE_NULL
                  ? QStringLiteral("<Null>")
                  : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i))));
    }
    rows.push_back(row);
  }
  const std::string err = sqlite3_errmsg(db_);
  sqlite3_finalize(s);
  if (rc != SQLITE_DONE) throw std::runtime_error("step failed: " + err);
  return rows;
}

int CatalogueDb::execute(const QString& jetSql) {
  const Rows none = query(jetSql);
  EXPECT_TRUE(none.empty());
  return sqlite3_changes(db_);
}

}  // namespace jetsqltest
