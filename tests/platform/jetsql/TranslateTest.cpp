// What the translator makes of Jet texts, and what it refuses.

#include "platform/jet/JetError.h"
#include "platform/jet/JetSql.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* jet;
  const char* sqlite;
};

class Translation : public testing::TestWithParam<Case> {};

TEST_P(Translation, GivesTheExpectedSqliteText) {
  EXPECT_EQ(jet::translateJetSql(QString::fromUtf8(GetParam().jet)).toStdString(), GetParam().sqlite);
}

INSTANTIATE_TEST_SUITE_P(
    Rewrites, Translation,
    testing::Values(
        // Double-quoted texts become single-quoted, doubled quotes inside survive.
        Case{R"(SELECT * FROM t WHERE a = "O'Brien ""x""")", R"(SELECT * FROM "t" WHERE "a" = 'O''Brien "x"')"},
        Case{"SELECT * FROM t WHERE a = 'O''Brien'", R"(SELECT * FROM "t" WHERE "a" = 'O''Brien')"},
        Case{"SELECT 'x', a FROM t WHERE a = 'y' OR 'z' = b",
             R"(SELECT 'x', "a" FROM "t" WHERE "a" = 'y' OR 'z' = "b")"},
        // Nothing inside a text is touched.
        Case{"SELECT * FROM t WHERE a = 'x & [y] -- \"z\" ; True'",
             R"(SELECT * FROM "t" WHERE "a" = 'x & [y] -- "z" ; True')"},
        // & becomes the Null-safe join, with the text collation.
        Case{"SELECT a & b & 'x' AS c FROM t", R"(SELECT jet_concat("a", "b", 'x') COLLATE JETTEXT AS "c" FROM "t")"},
        Case{"SELECT (a + 1) & b FROM t", R"(SELECT jet_concat(("a" + 1), "b") COLLATE JETTEXT FROM "t")"},
        // DELETE loses the "t.*" or "*"; SET loses its qualifier.
        Case{"DELETE [t].* FROM [t] WHERE (([t].[x]=5));", R"(DELETE FROM "t" WHERE (("t"."x" = 5)))"},
        Case{"DELETE * FROM t", R"(DELETE FROM "t")"},
        Case{"UPDATE t SET t.a = Null, [t].[b] = 'x' WHERE t.c=1",
             R"(UPDATE "t" SET "a" = NULL, "b" = 'x' WHERE "t"."c" = 1)"},
        // True/False, Is [Not] Null, Like, parameters, functions.
        Case{"SELECT * FROM t WHERE a = True OR b = false AND c Is Not Null AND d Is Null",
             R"(SELECT * FROM "t" WHERE "a" = -1 OR "b" = 0 AND "c" IS NOT NULL AND "d" IS NULL)"},
        Case{"SELECT * FROM t WHERE a Like 'C:\\*' AND b Not Like ?",
             R"(SELECT * FROM "t" WHERE "a" LIKE 'C:\*' AND "b" NOT LIKE ?)"},
        Case{"SELECT First(a), Last(b), Count(*), Sum(c), Avg(c), Min(c), Max(c) FROM t",
             R"(SELECT jet_first("a"), jet_last("b"), count(*), sum("c"), avg("c"), min("c"), max("c") FROM "t")"},
        Case{"SELECT Nz(a), Nz(a, 0), IIf(b > 1, 'x', 'y'), Chr(124) FROM t",
             R"(SELECT jet_nz("a"), jet_nz("a", 0), iif("b" > 1, 'x', 'y'), jet_chr(124) FROM "t")"},
        // Reserved words of SQLite as column names; DESC only after an ORDER BY term.
        Case{"SELECT Desc, DateTime FROM t ORDER BY Desc DESC, [Order]",
             R"(SELECT "Desc", "DateTime" FROM "t" ORDER BY "Desc" DESC, "Order")"},
        // Qualified columns get their name; expressions in ORDER BY get the collation.
        Case{"SELECT t.a, t.b AS c FROM t ORDER BY Nz(t.a, '') ASC",
             R"(SELECT "t"."a" AS "a", "t"."b" AS "c" FROM "t" ORDER BY jet_nz("t"."a", '') COLLATE JETTEXT ASC)"},
        // Nested joins pass through.
        Case{
            "SELECT * FROM ((a INNER JOIN b ON a.x = b.x) LEFT OUTER JOIN c ON b.y = c.y) INNER JOIN d ON c.z = d.z",
            R"(SELECT * FROM (("a" INNER JOIN "b" ON "a"."x" = "b"."x") LEFT OUTER JOIN "c" ON "b"."y" = "c"."y") INNER JOIN "d" ON "c"."z" = "d"."z")"},
        Case{"INSERT INTO t (a, [b c]) VALUES (?, -1.5E3)", R"(INSERT INTO "t" ("a", "b c") VALUES (?, - 1.5E3))"},
        Case{"INSERT INTO t VALUES (1, 'x'), (2, Null)", R"(INSERT INTO "t" VALUES (1, 'x'), (2, NULL))"},
        Case{"SELECT Max([t].[k]) AS [TempSchlüssel] FROM [t] ORDER BY Last([t].[k]);",
             R"(SELECT max("t"."k") AS "TempSchlüssel" FROM "t" ORDER BY jet_last("t"."k") COLLATE JETTEXT)"}));

TEST(Translation, CriteriaOnTheirOwn) {
  EXPECT_EQ(jet::translateJetCriteria(QStringLiteral("[VolumeName]= 'Rock' & Chr(124) & 'Pop' AND [VID] <> 7")),
            QStringLiteral(R"("VolumeName" = jet_concat('Rock', jet_chr(124), 'Pop') COLLATE JETTEXT AND "VID" <> 7)"));
}

TEST(Translation, CriteriaRefuseStatementParts) {
  // Among them texts standing alone as conditions, as a quote breaking out of its literal leaves them.
  for (const char* crit : {"[a]=1; DROP TABLE t", "[a]=1) OR (1=1", "[a]=1 ORDER BY a", "#VolID#",
                           "[VolumePath] Like 'x' OR  '1''=''1*'", "'x'", "[a]=1 AND NOT 'y'", "('a' OR [b]=1)"}) {
    try {
      jet::translateJetCriteria(QString::fromUtf8(crit));
      ADD_FAILURE() << "accepted: " << crit;
    } catch (const rt::RaisedError& e) {
      EXPECT_EQ(e.number, 3075) << crit;
    }
  }
}

TEST(Translation, CachedResultIsTheSame) {
  const QString sql = QStringLiteral("SELECT a & b FROM t");
  const QString first = jet::translateJetSql(sql);
  EXPECT_EQ(jet::translateJetSql(sql), first);
  // Many distinct texts do not break the bounded cache.
  for (int i = 0; i < 2000; ++i) jet::translateJetSql(QStringLiteral("SELECT * FROM t WHERE a = %1").arg(i));
  EXPECT_EQ(jet::translateJetSql(sql), first);
}

// Texts outside the accepted set: each must fail with 3075, never come out half-translated.
class Refusal : public testing::TestWithParam<const char*> {};

TEST_P(Refusal, Raises3075) {
  const QString sql = QString::fromUtf8(GetParam());
  try {
    const QString out = jet::translateJetSql(sql);
    ADD_FAILURE() << "accepted: " << out.toStdString();
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 3075);
    EXPECT_EQ(e.source, QStringLiteral("DAO.Database"));
    EXPECT_TRUE(e.description.startsWith(QStringLiteral("Syntaxfehler in der Abfrage: ")))
        << e.description.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    UnknownSyntax, Refusal,
    testing::Values("SELECT TOP 5 * FROM t",  // unsupported keyword
                    "SELECT DISTINCT a FROM t", "SELECT * FROM t WHERE a IN (1, 2)",
                    "SELECT * FROM t UNION SELECT * FROM u",
                    "SELECT Format(a, 'x') FROM t",                      // unknown function
                    "SELECT Count(a, b) FROM t",                         // wrong argument count
                    "SELECT * FROM t WHERE d = #1/2/2000#",              // date literal
                    "SELECT PID FROM tblPATHS WHERE VolumeID=#VolID#;",  // marker left in the text
                    "SELECT * FROM t; DELETE FROM t",                    // two statements
                    "SELECT * FROM t WHERE a = 'open",                   // unterminated text
                    "SELECT * FROM [t WHERE a = 1",                      // unterminated name
                    "SELECT * FROM t WHERE (a = 1",                      // unbalanced parenthesis
                    "SELECT * FROM t WHERE a = 1)",
                    "SELECT * FROM t WHERE a = 1 /* note */",  // no comments in Jet
                    "SELECT * FROM t WHERE a != 1",            // unknown character
                    "SELECT a b FROM t",                       // missing operator (alias without AS)
                    "SELECT * FROM t WHERE a + b & c",         // & beside arithmetic
                    "SELECT * FROM t WHERE a & b * 2", "SELECT * FROM t WHERE a &",
                    "SELECT * FROM t WHERE a IN (SELECT b FROM u)", "SELECT * FROM t WHERE x IN (SELECT 1)",
                    "SELECT * FROM t WHERE (SELECT 1) = 1",    // subquery
                    "SELECT * FROM t WHERE a = 1 ORDER a",     // ORDER without BY
                    "SELECT * FROM t ORDER BY a WHERE b = 1",  // clauses out of order
                    "SELECT * FROM t WHERE a = 1 WHERE b = 2",
                    "SELECT * FROM t GROUP BY a & b AND (c Is Not Null)",  // condition in GROUP BY (an unfilled HAVING)
                    "DELETE a, b FROM t", "DELETE FROM t INNER JOIN u ON t.a = u.a", "UPDATE t SET a",
                    "INSERT INTO t SELECT * FROM u", "INSERT INTO t VALUES (1) (2)", "INSERT INTO t VALUES (1),",
                    "CREATE TABLE x (a)", "PRAGMA foreign_keys=OFF", "SELECT * FROM t WHERE a = 12abc",
                    "SELECT * FROM t WHERE a LIKE 'x' ESCAPE '!'", ""));

}  // namespace

namespace {

QString nested(const QString& open, const QString& inner, const QString& close, int depth) {
  return open.repeated(depth) + inner + close.repeated(depth);
}

// Texts of thousands of nested brackets or calls are refused, not taken down to the bottom of
// the stack; the nesting of real texts still passes.
TEST(Translation, DeepNestingIsRefusedWith3075) {
  struct NestingCase {
    const char* what;
    QString open, inner, close;
  };
  const NestingCase cases[] = {
      {"brackets", QStringLiteral("("), QStringLiteral("[a] = 1"), QStringLiteral(")")},
      {"Nz calls", QStringLiteral("Nz("), QStringLiteral("[a]"), QStringLiteral(", 0) = 1")},
      {"IIf calls", QStringLiteral("IIf([b] = 1, "), QStringLiteral("[a]"), QStringLiteral(", 0) = 1")},
  };
  for (const NestingCase& c : cases) {
    for (int depth : {20, 5000, 200000}) {
      SCOPED_TRACE(std::string(c.what) + " " + std::to_string(depth));
      const QString crit = nested(c.open, c.inner, c.close, depth);
      const int statement =
          testenv::raised([&] { jet::translateJetSql(QStringLiteral("SELECT * FROM t WHERE ") + crit); }).number;
      const int criterion = testenv::raised([&] { jet::translateJetCriteria(crit); }).number;
      EXPECT_EQ(statement, depth > 64 ? jet::err::kSyntax : 0);
      EXPECT_EQ(criterion, depth > 64 ? jet::err::kSyntax : 0);
    }
  }
}

}  // namespace

namespace {

// With the file's text columns known, the collation goes where texts are compared, sorted or
// grouped; other columns stay bare so that their indexes still serve.
TEST(Translation, TextColumnsGetTheCollationWhereTheyAreComparedOrSorted) {
  const jet::TextColumns text(QStringList{"Filename", "VolumeName"});
  const Case cases[] = {
      {"SELECT FID FROM tblFILES WHERE PathID = 7 ORDER BY FID",
       R"(SELECT "FID" FROM "tblFILES" WHERE "PathID" = 7 ORDER BY "FID")"},
      {"SELECT FID FROM tblFILES WHERE Filename = ? ORDER BY Filename DESC",
       R"(SELECT "FID" FROM "tblFILES" WHERE "Filename" COLLATE JETTEXT = ? ORDER BY "Filename" COLLATE JETTEXT DESC)"},
      {"SELECT * FROM t WHERE 'a' <> [t].[filename] AND ((Filename)>='b')",
       R"(SELECT * FROM "t" WHERE 'a' <> "t"."filename" COLLATE JETTEXT AND (("Filename") COLLATE JETTEXT >= 'b'))"},
      {"SELECT Max(VolumeName) AS m, Max(VID) AS n FROM v GROUP BY VolumeName, VID",
       R"(SELECT max("VolumeName" COLLATE JETTEXT) AS "m", max("VID") AS "n" FROM "v" GROUP BY "VolumeName" COLLATE JETTEXT, "VID")"},
      {"SELECT * FROM v INNER JOIN f ON v.VolumeName = f.Filename WHERE Filename Like 'a*'",
       R"(SELECT * FROM "v" INNER JOIN "f" ON "v"."VolumeName" COLLATE JETTEXT = "f"."Filename" COLLATE JETTEXT WHERE "Filename" LIKE 'a*')"},
      {"UPDATE v SET v.VolumeName = 'x' WHERE VolumeName = 'y'",
       R"(UPDATE "v" SET "VolumeName" = 'x' WHERE "VolumeName" COLLATE JETTEXT = 'y')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.jet);
    EXPECT_EQ(jet::translateJetSql(QString::fromUtf8(c.jet), text), QString::fromUtf8(c.sqlite));
  }
  EXPECT_EQ(jet::translateJetCriteria(QStringLiteral("[Filename]='x' AND [VID]=1"), text),
            QStringLiteral(R"("Filename" COLLATE JETTEXT = 'x' AND "VID" = 1)"));
  // The same text for a file without those columns stays as it was.
  EXPECT_EQ(jet::translateJetCriteria(QStringLiteral("[Filename]='x'")), QStringLiteral(R"("Filename" = 'x')"));
}

}  // namespace
