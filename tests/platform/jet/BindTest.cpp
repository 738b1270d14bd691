// Values that SQLite refuses to bind must fail the statement, never be stored as Null.

#include "platform/jet/Connection.h"
#include "platform/jet/JetError.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

namespace {

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

constexpr int kLimit = 100;

class BindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    db.reset(raw);
    ASSERT_EQ(sqlite3_exec(raw, "CREATE TABLE t (k INTEGER, v)", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(raw, "INSERT INTO t VALUES (?1, ?2)", -1, &insert, nullptr), SQLITE_OK);
    // The same refusal SQLite gives for values over its length limit of about 1 GB.
    sqlite3_limit(raw, SQLITE_LIMIT_LENGTH, kLimit);
  }
  void TearDown() override { sqlite3_finalize(insert); }

  // Binds and runs the insert as the engine does; the error raised, 0 when none.
  int insertRow(const rt::Variant& value) {
    sqlite3_reset(insert);
    const rt::RaisedError e = testenv::raised([&] {
      jet::detail::bindAll(insert, {rt::Variant(1), value}, QStringLiteral("Database"));
      if (sqlite3_step(insert) != SQLITE_DONE) jet::raiseSqlite(db.get(), sqlite3_errcode(db.get()), "Database");
    });
    return e.number;
  }
  int rows() {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db.get(), "SELECT count(*) FROM t", -1, &s, nullptr);
    sqlite3_step(s);
    const int n = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return n;
  }

  std::unique_ptr<sqlite3, DbCloser> db;
  sqlite3_stmt* insert = nullptr;
};

TEST_F(BindTest, AValueOverTheLengthLimitRaisesAndWritesNothing) {
  struct Case {
    const char* what;
    rt::Variant value;
    int error;
  };
  const Case cases[] = {
      {"text that fits", rt::Variant(QString(kLimit / 2, QLatin1Char('x'))), 0},
      {"text over the limit", rt::Variant(QString(kLimit + 1, QLatin1Char('x'))), jet::err::kValueTooLarge},
      // Counted in UTF-8 bytes: 60 umlauts are 120 bytes.
      {"umlauts over the limit in bytes", rt::Variant(QString(60, QChar(u'ä'))), jet::err::kValueTooLarge},
      {"bytes over the limit", rt::Variant(QByteArray(kLimit + 1, 'b')), jet::err::kValueTooLarge},
      {"Null", rt::Null, 0},
  };
  int written = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(insertRow(c.value), c.error);
    if (c.error == 0) ++written;
    EXPECT_EQ(rows(), written);
  }
}

}  // namespace
