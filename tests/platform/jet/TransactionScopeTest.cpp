#include "platform/jet/Engine.h"
#include "platform/jet/TransactionScope.h"
#include "platform/jet/Workgroup.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdexcept>

namespace {

class TransactionScopeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString dir = testenv::freshTempDir();
    const QString mdw = dir + QStringLiteral("/zx.mdw");
    jet::createWorkgroupFile(mdw, QStringLiteral("Admin"), QStringLiteral("Geheim"));
    engine.SetSystemDB(mdw);
    ws = engine.CreateWorkspace(QStringLiteral("ws"), QStringLiteral("admin"), QStringLiteral("Geheim"));
    const QString path = dir + QStringLiteral("/t.db");
    sqlite3* raw = nullptr;
    sqlite3_open(path.toUtf8().constData(), &raw);
    sqlite3_exec(raw, "CREATE TABLE t (id INTEGER PRIMARY KEY NOT NULL)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    db = ws->OpenDatabase(path, false);
  }
  void insert(int id) { db->Execute(QStringLiteral("INSERT INTO t (id) VALUES (?)"), 0, {id}); }
  long rows() { return db->OpenRecordset(QStringLiteral("t"), jet::RecordsetType::Table)->RecordCount(); }

  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
};

}  // namespace

// Whatever ends a scope early (an error, a return) rolls its rows back; only Commit keeps them.
// Scopes nest as savepoints.
TEST_F(TransactionScopeTest, OnlyACommittedScopeKeepsItsRows) {
  EXPECT_THROW(
      {
        jet::TransactionScope transaction(*ws);
        insert(1);
        throw std::runtime_error("Abbruch");
      },
      std::runtime_error);
  EXPECT_EQ(rows(), 0);
  EXPECT_EQ(ws->TransactionDepth(), 0);
  {
    jet::TransactionScope outer(*ws);
    insert(2);
    {
      jet::TransactionScope inner(*ws);
      insert(3);
    }
    EXPECT_EQ(rows(), 1);
    outer.Commit();
  }
  EXPECT_EQ(rows(), 1);
  EXPECT_EQ(ws->TransactionDepth(), 0);
}

// A scope whose transaction the workspace no longer has (closed under it) ends quietly: the
// error that ended the work is the one to report.
TEST_F(TransactionScopeTest, ARollbackThatFailsIsNotReportedOverTheError) {
  EXPECT_THROW(
      {
        jet::TransactionScope transaction(*ws);
        insert(4);
        ws->Close();
        throw std::runtime_error("Lesefehler");
      },
      std::runtime_error);
}
