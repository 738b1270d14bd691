// Statements run through Database::Execute with values bound as they are, and the statement
// cache that finds a text again by its storage.

#include "platform/jet/Engine.h"
#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"
#include "platform/jet/Workgroup.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char* kSchema =
    "CREATE TABLE t (k INTEGER PRIMARY KEY NOT NULL, v);"
    "CREATE TABLE u (k INTEGER PRIMARY KEY NOT NULL, w TEXT(255));"
    "CREATE TABLE r (k INTEGER PRIMARY KEY NOT NULL, m INTEGER NOT NULL, n TEXT(5) CHECK (length(n) <= 5));";

class ExecuteParamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString dir = testenv::freshTempDir();
    const QString mdw = dir + QStringLiteral("/zx.mdw");
    jet::createWorkgroupFile(mdw, QStringLiteral("Admin"), QStringLiteral("x"));
    engine.SetSystemDB(mdw);
    ws = engine.CreateWorkspace(QStringLiteral("ws"), QStringLiteral("Admin"), QStringLiteral("x"));
    const QString path = dir + QStringLiteral("/p.db");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, kSchema, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    db = ws->OpenDatabase(path, false);
  }

  // typeof(v) and v as text (hex for bytes) of row k.
  std::pair<QString, QString> stored(int k) {
    auto q = db->OpenNativeQuery(
        QStringLiteral("SELECT typeof(v), CASE typeof(v) WHEN 'blob' THEN hex(v) ELSE CAST(v AS TEXT) END "
                       "FROM t WHERE k = ?1"),
        {rt::Variant(k)});
    if (!q->Next()) return {QStringLiteral("<none>"), QString()};
    return {q->Text(0), q->IsNull(1) ? QStringLiteral("<null>") : q->Text(1)};
  }
  int64_t count(const QString& table) {
    auto q = db->OpenNativeQuery(QStringLiteral("SELECT count(*) FROM ") + table);
    q->Next();
    return q->Long(0);
  }

  jet::Engine engine;
  std::shared_ptr<jet::Workspace> ws;
  std::shared_ptr<jet::Database> db;
};

TEST_F(ExecuteParamsTest, EachKindIsStoredAsItIs) {
  const std::string umlauts =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xF0\x9F\x93\x81";  // "Grüße 📁"
  const QString lone = QString(QChar(u'a')) + QChar(char16_t(0xD800));
  const QByteArray bytes("\0\x01\xFFz", 4);
  struct Case {
    const char* what;
    jet::Param param;
    QString type;
    QString value;
  };
  const Case cases[] = {
      {"null", jet::Param(), "null", "<null>"},
      {"32-bit integer", jet::Param(int32_t{-7}), "integer", "-7"},
      {"64-bit integer", jet::Param(int64_t{5'000'000'000}), "integer", "5000000000"},
      {"real", jet::Param(2.5), "real", "2.5"},
      {"date", jet::Param::date(45000.75), "real", "45000.75"},
      {"UTF-8 bytes", jet::Param::utf8(umlauts), "text", QString::fromUtf8(umlauts)},
      // An empty text is a text, not Null, also from a view without storage.
      {"empty UTF-8", jet::Param::utf8(std::string_view()), "text", ""},
      {"characters", jet::Param::text(u"Ölfaß"), "text", "Ölfaß"},
      // As every bound text: an unpaired surrogate becomes U+FFFD, never "?" (a Like wildcard).
      {"lone surrogate", jet::Param::text(lone), "text", QStringLiteral("a\uFFFD")},
      {"bytes", jet::Param::binary(bytes), "blob", "0001FF7A"},
      {"empty bytes", jet::Param::binary(QByteArrayView()), "blob", ""},
  };
  int k = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const jet::Param params[] = {jet::Param(int32_t{++k}), c.param};
    EXPECT_EQ(db->Execute(QStringLiteral("INSERT INTO t (k, v) VALUES (?, ?)"), jet::dbFailOnError, params), 1);
    EXPECT_EQ(stored(k), std::make_pair(c.type, c.value));
  }
}

// A text goes in whole and no further, whatever holds it: bytes in a QByteArray of its own (a
// NUL follows them), cut short in place, borrowed from a longer buffer, or with a NUL inside;
// and the schema's length check counts the same characters.
TEST_F(ExecuteParamsTest, TextsAreStoredWholeWhereverTheirBytesLie) {
  // Params refer to the bytes: these stay while the statements run.
  static const char kLonger[] = "abcdef";
  const QByteArray own(
      "Gr\xC3\xBC\xC3\x9F"
      "e"),
      withNulBytes("a\0b", 3), empty;
  QByteArray chopped("abcdef");
  chopped.chop(3);
  const QByteArray borrowed = QByteArray::fromRawData(kLonger, 3);
  const QString withNul = QStringLiteral("x") + QChar(u'\0') + QStringLiteral("y");
  struct Case {
    const char* what;
    jet::Param param;
    QString hex;
  };
  const Case cases[] = {
      {"own array", jet::Param::utf8(own), "4772C3BCC39F65"},
      {"array cut short", jet::Param::utf8(chopped), "616263"},
      {"array over a longer buffer", jet::Param::utf8(borrowed), "616263"},
      {"array with a NUL inside", jet::Param::utf8(withNulBytes), "610062"},
      {"empty array", jet::Param::utf8(empty), ""},
      {"characters with a NUL inside", jet::Param::text(withNul), "780079"},
  };
  int k = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const jet::Param params[] = {jet::Param(int32_t{++k}), c.param};
    ASSERT_EQ(db->Execute(QStringLiteral("INSERT INTO t (k, v) VALUES (?, ?)"), jet::dbFailOnError, params), 1);
    auto q = db->OpenNativeQuery(QStringLiteral("SELECT typeof(v), hex(v) FROM t WHERE k = ?1"), {rt::Variant(k)});
    ASSERT_TRUE(q->Next());
    EXPECT_EQ(q->Text(0), QStringLiteral("text"));
    EXPECT_EQ(q->Text(1), c.hex);
  }
  // As a variant, too.
  db->Execute(QStringLiteral("INSERT INTO t (k, v) VALUES (?, ?)"), jet::dbFailOnError,
              {rt::Variant(++k), rt::Variant(withNul)});
  auto q = db->OpenNativeQuery(QStringLiteral("SELECT hex(v) FROM t WHERE k = ?1"), {rt::Variant(k)});
  ASSERT_TRUE(q->Next());
  EXPECT_EQ(q->Text(0), QStringLiteral("780079"));

  const QString insert = QStringLiteral("INSERT INTO r (k, m, n) VALUES (?, 0, ?)");
  const QByteArray six("\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"), five = six.left(10);
  const jet::Param tooLong[] = {jet::Param(int32_t{1}), jet::Param::utf8(six)};
  EXPECT_EQ(testenv::raised([&] { db->Execute(insert, jet::dbFailOnError, tooLong); }).number,
            jet::err::kEngineFailure);
  const jet::Param fits[] = {jet::Param(int32_t{1}), jet::Param::utf8(five)};
  EXPECT_EQ(db->Execute(insert, jet::dbFailOnError, fits), 1);
}

// Refusals raise as for variants and leave nothing behind; the statement stays usable.
TEST_F(ExecuteParamsTest, RefusedValuesRaiseAndWriteNothing) {
  const QString insert = QStringLiteral("INSERT INTO r (k, m, n) VALUES (?, ?, ?)");
  const std::string sixChars = "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4";  // six umlauts
  const jet::Param key(int32_t{1}), zero(int32_t{0});
  struct Case {
    const char* what;
    std::vector<jet::Param> params;
    int error;
  };
  const Case cases[] = {
      {"too few values", {key, zero}, jet::err::kSyntax},
      {"Null where a value is required", {key, jet::Param(), jet::Param()}, jet::err::kRequiredField},
      // Counted in characters, as the schema's check counts them.
      {"too long for the field", {key, zero, jet::Param::utf8(sixChars)}, jet::err::kEngineFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(testenv::raised([&] { db->Execute(insert, jet::dbFailOnError, c.params); }).number, c.error);
    EXPECT_EQ(count(QStringLiteral("r")), 0);
  }
  const jet::Param fits[] = {key, zero, jet::Param::utf8(std::string_view(sixChars).substr(2))};
  EXPECT_EQ(db->Execute(insert, jet::dbFailOnError, fits), 1);
}

// A text found again by its storage must be the same text: one that changed, or another text
// in the storage a freed one had, runs as itself.
TEST_F(ExecuteParamsTest, ATextRunAgainIsTheTextGivenNow) {
  QString sql = QStringLiteral("INSERT INTO t (k) VALUES (?)");
  const jet::Param one[] = {jet::Param(int32_t{1})};
  db->Execute(sql, 0, one);
  // Changed in place by its owner.
  sql.replace(QStringLiteral("INTO t "), QStringLiteral("INTO u "));
  const jet::Param two[] = {jet::Param(int32_t{2})};
  db->Execute(sql, 0, two);
  EXPECT_EQ(count(QStringLiteral("t")), 1);
  EXPECT_EQ(count(QStringLiteral("u")), 1);

  // Texts of the same length made and dropped one after the other: the allocator hands their
  // storage on from one to the next.
  for (int i = 0; i < 40; ++i) {
    const QString table = i % 2 ? QStringLiteral("t") : QStringLiteral("u");
    const QString text = QStringLiteral("INSERT INTO %1 (k) VALUES (?)").arg(table);
    const jet::Param key[] = {jet::Param(int32_t{100 + i})};
    db->Execute(text, 0, key);
  }
  EXPECT_EQ(count(QStringLiteral("t")), 21);
  EXPECT_EQ(count(QStringLiteral("u")), 21);

  // Variants and values as they are run the same statement alike.
  const QString both = QStringLiteral("INSERT INTO u (k, w) VALUES (?, ?)");
  db->Execute(both, 0, {rt::Variant(500), rt::Variant(QStringLiteral("ä"))});
  const jet::Param same[] = {jet::Param(int32_t{501}), jet::Param::text(u"ä")};
  db->Execute(both, 0, same);
  auto q = db->OpenNativeQuery(QStringLiteral("SELECT count(DISTINCT w) FROM u WHERE k >= 500"));
  ASSERT_TRUE(q->Next());
  EXPECT_EQ(q->Long(0), 1);
}

}  // namespace
