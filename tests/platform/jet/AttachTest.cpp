// Another file attached read-only to a database, and the file names SQLite could take for URIs.

#include "platform/jet/AttachScope.h"
#include "platform/jet/Engine.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Workgroup.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <optional>

namespace {

void makeDb(const QString& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

class AttachTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    const QString mdw = dir + QStringLiteral("/zx.mdw");
    jet::createWorkgroupFile(mdw, QStringLiteral("Admin"), QStringLiteral("x"));
    engine.SetSystemDB(mdw);
    ws = engine.CreateWorkspace(QStringLiteral("ws"), QStringLiteral("Admin"), QStringLiteral("x"));
    target = dir + QStringLiteral("/ziel.db");
    makeDb(target, "CREATE TABLE t (k INTEGER PRIMARY KEY, v TEXT)");
    source = dir + QStringLiteral("/file:quelle ?mode=rw#%41 ä.db");
    makeDb(source, "CREATE TABLE t (k INTEGER PRIMARY KEY, v TEXT); INSERT INTO t VALUES (1, 'eins'), (2, 'zwei')");
  }
  int64_t count(jet::Database& db, const QString& table) {
    auto q = db.OpenNativeQuery(QStringLiteral("SELECT count(*) FROM ") + table);
    q->Next();
    return q->Long(0);
  }

  QString dir, target, source;
  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
};

// Rows are copied by one statement in a transaction begun after attaching; the attached file
// is never written, and once the scope ended its schema is gone.
TEST_F(AttachTest, AnAttachedFileIsReadInTheTransactionAndNeverWritten) {
  auto db = ws->OpenDatabase(target, false);
  const QByteArray sourceBytes = testenv::contentOf(source);
  {
    jet::AttachScope attached(db, source, QStringLiteral("quelle"));
    ws->BeginTrans();
    EXPECT_EQ(db->OpenNativeQuery(QStringLiteral("INSERT INTO main.t SELECT * FROM quelle.t"))->Run(), 2);
    const int written = testenv::raised([&] {
                          db->OpenNativeQuery(QStringLiteral("INSERT INTO quelle.t VALUES (3, 'drei')"))->Run();
                        }).number;
    EXPECT_EQ(written, jet::err::kReadOnly);
    ws->CommitTrans();
  }
  EXPECT_EQ(count(*db, QStringLiteral("main.t")), 2);
  EXPECT_EQ(testenv::raised([&] { count(*db, QStringLiteral("quelle.t")); }).number, jet::err::kUnknownTable);
  EXPECT_EQ(testenv::contentOf(source), sourceBytes);
  // Attached again under the same name: the first scope let go of it.
  jet::AttachScope again(db, source, QStringLiteral("quelle"));
  EXPECT_EQ(count(*db, QStringLiteral("quelle.t")), 2);
}

// A scope that ends while a transaction that read the file still runs cannot detach it; it
// keeps quiet, and the error that ended it is the one that counts.
TEST_F(AttachTest, AScopeEndedInsideTheTransactionLeavesTheErrorToItsCaller) {
  auto db = ws->OpenDatabase(target, false);
  const int error = testenv::raised([&] {
                      jet::AttachScope attached(db, source, QStringLiteral("quelle"));
                      ws->BeginTrans();
                      db->OpenNativeQuery(QStringLiteral("SELECT * FROM quelle.t"))->Run();
                      throw rt::RaisedError(rt::kErrOverflow, QStringLiteral("Test"), QStringLiteral("Überlauf."));
                    }).number;
  EXPECT_EQ(error, rt::kErrOverflow);
  ws->Rollback();
  db->Detach(QStringLiteral("quelle"));
  jet::AttachScope again(db, source, QStringLiteral("quelle"));
  EXPECT_EQ(count(*db, QStringLiteral("quelle.t")), 2);
}

// A catalogue whose own path reads like a URI is opened as the file of that name, writable.
TEST_F(AttachTest, ACataloguePathThatLooksLikeAUriIsTheFileOfThatName) {
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir));
  std::shared_ptr<jet::Database> db;
  const int error =
      testenv::raised([&] { db = ws->OpenDatabase(QStringLiteral("file:quelle ?mode=rw#%41 ä.db"), false); }).number;
  QDir::setCurrent(previous);
  ASSERT_EQ(error, 0);
  EXPECT_EQ(db->Execute(QStringLiteral("INSERT INTO t (k, v) VALUES (3, 'drei')")), 1);
  db->Close();
  auto check = ws->OpenDatabase(source, false, true);
  EXPECT_EQ(count(*check, QStringLiteral("t")), 3);
}

}  // namespace
