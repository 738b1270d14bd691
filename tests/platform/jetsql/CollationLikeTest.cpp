// The text collation, the Like matcher and the registered functions.

#include "platform/jet/JetSql.h"
#include "platform/jet/JetSqlText.h"
#include "platform/runtime/RaisedError.h"

#include <QStringList>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

int cmp(const char* a, const char* b) { return jet::compareText(QString::fromUtf8(a), QString::fromUtf8(b)); }

TEST(Collation, OrdersLikeJet) {
  struct {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"Äpfel", "Birne", -1},      // umlaut beside its base letter, not after "z"
      {"Apfel", "Äpfel", -1},      // ties of the base letters: plain before accented
      {"Äpfel", "Apfelbaum", -1},  // the base letters decide before the accent
      {"äpfel", "ÄPFEL", 0},       // case does not count
      {"zebra", "Zebra", 0},
      {"abc", "ABD", -1},
      {"abc", "abcd", -1},
      {"", "a", -1},
      {"Straße", "Strasse", 1},  // ß is ss with an accent weight
      {"Straße", "Strassf", -1},
      {"Öl", "Ozean", -1},
      {"é", "e", 1},
      {"é", "f", -1},
      {"_x", "a", -1},  // punctuation before letters, as with lower case
      {"1", "a", -1},
      {"D:\\Bilder", "D:\\Musik", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cmp(c.a, c.b), c.expected) << c.a << " vs " << c.b;
    EXPECT_EQ(cmp(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
  }
}

TEST(Collation, TextsAndTheirUtf8FormsCompareAlike) {
  // The UTF-16 entry takes a shortcut over ASCII; it must land where the UTF-8 one does.
  const char* words[] = {"",      "a",      "A",       "ab",     "Ab",      "äb",     "Äb",    "abc",
                         "ABc",   "Straße", "STRASSE", "straße", "Strasse", "Öl",     "ol",    "x.txt",
                         "X.TXT", "x.tät",  "x.tat",   "Müller", "MULLER",  "müller", "abcdé", "ABCDE",
                         "abcde", "🎵a",     "🎵A",      "a🎵",     "_x",      "[",      "ä",     "Ä"};
  for (const char* a : words)
    for (const char* b : words) {
      const QString qa = QString::fromUtf8(a), qb = QString::fromUtf8(b);
      EXPECT_EQ(jet::compareText(qa, qb), jet::compareText(std::string_view(a), std::string_view(b)))
          << a << " vs " << b;
    }
}

TEST(Collation, SortsAListConsistently) {
  QStringList words = {"zebra", "Birne", "Äpfel", "apfel", "Apfelbaum", "Zebra", "öl", "Ozean", "ähre", "Ahorn"};
  std::sort(words.begin(), words.end(), [](const QString& a, const QString& b) { return jet::compareText(a, b) < 0; });
  const QStringList expected = {"Ahorn", "ähre", "apfel", "Äpfel", "Apfelbaum", "Birne", "öl", "Ozean"};
  EXPECT_EQ(words.mid(0, 8), expected);
  EXPECT_EQ(jet::compareText(words[8], words[9]), 0);  // the two zebras are equal
}

TEST(Collation, InvalidUtf8DoesNotCrashAndIsStable) {
  const std::string bad1(
      "a\xff"
      "b",
      3),
      bad2("a\xc3", 2);
  EXPECT_EQ(jet::compareText(bad1, bad1), 0);
  EXPECT_NE(jet::compareText(bad1, bad2), 0);
  EXPECT_EQ(jet::compareText(bad1, bad2), -jet::compareText(bad2, bad1));
}

TEST(Collation, SortKeysAndTheirHeadsOrderAsTheComparisonDoes) {
  // Case, accents beside their base, letters of two bases (ß, æ), the same bases with and
  // without accents, prefixes, invalid bytes (as Latin-1), letters beyond the tables, a NUL.
  const std::vector<std::string> texts = {"",
                                          "a",
                                          "A",
                                          "ab",
                                          "äb",
                                          "Äb",
                                          "abc",
                                          "Straße",
                                          "STRASSE",
                                          "strasse",
                                          "Strassf",
                                          "ß",
                                          "ss",
                                          "sß",
                                          "ßs",
                                          "æ",
                                          "ae",
                                          "Æon",
                                          "é",
                                          "e",
                                          "f",
                                          "ée",
                                          "eé",
                                          "Müller",
                                          "MULLER",
                                          "mülleraaaaaaaaa",
                                          "mullerzzzzzzzz",
                                          "Bericht_daten-12.txt",
                                          "bericht_daten-12.TXT",
                                          "bericht_datén-12.txt",
                                          "Bericht_daten-120.txt",
                                          "aaaaaaaa",
                                          "aaaaaaaab",
                                          "aaaaaaaá",
                                          "aaaaaaa",
                                          "a\xff"
                                          "b",
                                          "a\xc3",
                                          "a\xe9"
                                          "1",
                                          "aé1",
                                          "ø",
                                          "o",
                                          "ǖ",
                                          "u",
                                          "ḁ",
                                          "🎵a",
                                          "a🎵",
                                          "_x",
                                          "[",
                                          "Übersicht_a",
                                          "Übersicht_B",
                                          "übersicht_ä",
                                          "è",
                                          "\xc3",
                                          "\xc3\x80",
                                          "a\xc3",
                                          "a\xc3\x80",
                                          "a\xc3"
                                          "A",
                                          "\xe2\x82",
                                          "\xe2\x82\xac",
                                          "ü\x80\x80\x80\x80x",
                                          "ü\x80\x80\x80\x80Y",
                                          "\x80\x80\x80\x80"
                                          "a",
                                          "\x80\x80\x80\x80\xc3\xa4",
                                          std::string("a\0b", 3),
                                          std::string("a\0", 2)};
  auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
  for (const std::string& a : texts)
    for (const std::string& b : texts) {
      const int expected = sign(jet::compareText(a, b));
      EXPECT_EQ(sign(jet::sortKey(a).compare(jet::sortKey(b))), expected) << a << " vs " << b;
      const jet::SortHead ha = jet::sortKeyHead(a), hb = jet::sortKeyHead(b);
      if (!(ha == hb)) {
        EXPECT_EQ(ha < hb ? -1 : 1, expected) << a << " vs " << b << " by their heads";
      }
    }
}

TEST(Collation, AHeadIsTheFirstSixteenBytesOfTheSortKey) {
  // Plain ASCII of every length before a letter of one or two bases, with or without an accent,
  // beyond the tables, or an invalid byte, so that the key's parts meet the sixteenth byte
  // everywhere.
  const char* letters[] = {"",     "x",           "\xc3\x9f", "\xc3\xa9", "\xc3\x9c", "\xc3\xa6", "\xf0\x9f\x8e\xb5",
                           "\xc3", "\xe2\x82\xac"};
  for (size_t plain = 0; plain <= 18; ++plain)
    for (const char* letter : letters)
      for (const char* tail : {"", "b",
                               "\xc3\xa4"
                               "b",
                               "Zz-12.txt", "@[`{AZaz09_~\x7f"}) {
        const std::string text = std::string(plain, 'A') + letter + tail;
        std::string key = jet::sortKey(text);
        key.resize(16, '\0');
        jet::SortHead expected;
        for (size_t k = 0; k < 16; ++k)
          (k < 8 ? expected.high : expected.low) |= uint64_t{static_cast<unsigned char>(key[k])} << (8 * (7 - k % 8));
        EXPECT_TRUE(jet::sortKeyHead(text) == expected) << text;
      }
}

struct LikeCase {
  const char* value;
  const char* pattern;
  bool matches;
};

class Like : public testing::TestWithParam<LikeCase> {};

TEST_P(Like, MatchesWithJetWildcards) {
  const auto& c = GetParam();
  EXPECT_EQ(jet::LikePattern(QString::fromUtf8(c.pattern)).matches(QString::fromUtf8(c.value)), c.matches)
      << c.value << " Like " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Like,
    testing::Values(
        LikeCase{"xxabcyy", "*abc*", true}, LikeCase{"xxabyy", "*abc*", false}, LikeCase{"abc", "*abc*", true},
        LikeCase{"ABC", "*abc*", true}, LikeCase{"abc", "a?c", true}, LikeCase{"ac", "a?c", false},
        LikeCase{"abbc", "a?c", false}, LikeCase{"Über-ABC.txt", "*abc*", true}, LikeCase{"ÜberAB", "*abc*", false},
        LikeCase{"ab", "*abc*", false}, LikeCase{"aabc", "*ABC*", true}, LikeCase{"\u212Abc", "*kbc*", true},
        LikeCase{"xÄpfel", "*äpf*", true}, LikeCase{"Disc 7", "Disc #", true}, LikeCase{"Disc x", "Disc #", false},
        LikeCase{"banane", "[a-c]*", true}, LikeCase{"dattel", "[a-c]*", false},
        LikeCase{"Birne", "[a-c]*", true},  // case-insensitive range
        LikeCase{"äpfel", "[a-c]*", true},  // ä sorts between a and b
        LikeCase{"apfel", "[!a]*", false}, LikeCase{"birne", "[!a]*", true}, LikeCase{"a*b", "a[*]b", true},
        LikeCase{"axb", "a[*]b", false}, LikeCase{"Disc #1", "Disc [#]1", true}, LikeCase{"[x]", "[[]x]", true},
        LikeCase{"ÄPFEL", "*äpf*", true}, LikeCase{"Apfel", "*äpf*", false},  // accents count
        LikeCase{"100%", "100%", true}, LikeCase{"1000", "100%", false},      // % and _ are plain
        LikeCase{"a_c", "a_c", true}, LikeCase{"abc", "a_c", false}, LikeCase{"D:\\Daten\\x", "D:\\Daten\\*", true},
        LikeCase{"D:\\Daten2\\", "D:\\Daten\\*", false}, LikeCase{"", "*", true}, LikeCase{"", "?", false},
        LikeCase{"x", "", false}, LikeCase{"abcabd", "*ab?", true}, LikeCase{"aaa", "a**a", true},
        // A plain ASCII part in values with other letters.
        LikeCase{"Übersicht_234.txt", "*234*", true}, LikeCase{"Übersicht_23.txt", "*234*", false},
        LikeCase{"\u017Fü", "*s*", true}, LikeCase{"Straße", "*ss*", false}, LikeCase{"ü\u212A", "*k*", true}));

TEST(LikePattern, BytesOfAValueMatchAPlainPartAsTheirDecodedLetters) {
  // Invalid bytes are Latin-1 letters, overlong forms the letters they spell; only the long s,
  // the Kelvin sign and such forms can stand for an ASCII letter.
  struct {
    std::string value;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"na\xc3\xafve-x\xe9"
       "1",
       "*x\xe9"
       "1*",
       true},
      {"a\xe9"
       "12",
       "*e12*", false},
      {"\xc3\xbc\xc1\x81", "*a*", true},
      {"\xc1\x81", "*A*", true},
      {"\xe0\x81\x81", "*a*", true},
      {"\xf0\x80\x81\x81", "*a*", true},
      {"\xc5", "*s*", false},
      {"\xc5\xbf", "*S*", true},
      {"\xc3\xa9\xe2\x84", "*k*", false},
      {"\xe2\x84\xaa", "*K*", true},
      {"x\xe2\x84\xabx", "*xx*", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(jet::LikePattern(std::string_view(c.pattern)).matches(std::string_view(c.value)), c.matches)
        << c.value << " Like " << c.pattern;
}

TEST(LikePattern, PlainPartOnTheBytesAgreesWithTheMatchOnTheLetters) {
  // A part in brackets holds the same letters but is matched on the decoded letters: the two
  // must agree for values of every length, with the part and letters beyond ASCII (folding to
  // ASCII or not, valid or not) at every place, across the eight-byte steps of the byte search.
  const std::pair<const char*, const char*> patterns[] = {
      {"*k1*", "*[k]1*"}, {"*1k*", "*1[k]*"}, {"*s*", "*[s]*"}, {"*7x*", "*[7]x*"}, {"*xk7x*", "*[x]k7x*"}};
  const std::string pieces[] = {"x",        "K",    "1",        "7",        "s",       "\xc3\xbc", "\xe2\x84\xaa",
                                "\xc5\xbf", "\xc5", "\xe2\x84", "\xc1\x8b", "\xc3\x9f"};
  uint32_t seed = 12345;
  const auto next = [&seed](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (int round = 0; round < 4000; ++round) {
    std::string value;
    const uint32_t length = next(26);
    for (uint32_t i = 0; i < length; ++i) value += pieces[next(std::size(pieces))];
    for (const auto& [plain, bracketed] : patterns) {
      const bool expected = jet::LikePattern(std::string_view(bracketed)).matches(std::string_view(value));
      ASSERT_EQ(jet::LikePattern(std::string_view(plain)).matches(std::string_view(value)), expected)
          << value << " Like " << plain;
    }
  }
}

TEST(LikePattern, UnclosedBracketIsAnError) {
  try {
    jet::LikePattern p(QStringLiteral("[abc"));
    ADD_FAILURE() << "accepted";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 93);
  }
}

// The functions as SQL sees them.
class Functions : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    jet::registerJetFunctions(db_);
  }
  void TearDown() override { sqlite3_close(db_); }

  // The first value of an SQLite text, "<Null>" for Null, "<error: ...>" for a failure.
  std::string value(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK)
      return std::string("<error: ") + sqlite3_errmsg(db_) + ">";
    std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> owned(s, sqlite3_finalize);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW) return std::string("<error: ") + sqlite3_errmsg(db_) + ">";
    if (sqlite3_column_type(s, 0) == SQLITE_NULL) return "<Null>";
    return reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  }

  sqlite3* db_ = nullptr;
};

TEST_F(Functions, ConcatTreatsNullAsEmptyButKeepsNullAndNull) {
  EXPECT_EQ(value("SELECT jet_concat('a', NULL, 'b')"), "ab");
  EXPECT_EQ(value("SELECT jet_concat(NULL, 'x')"), "x");
  EXPECT_EQ(value("SELECT jet_concat(NULL, NULL)"), "<Null>");
  EXPECT_EQ(value("SELECT jet_concat('n', 12, 2.5)"), "n122.5");
}

TEST_F(Functions, ChrNzAndIIf) {
  EXPECT_EQ(value("SELECT jet_chr(124)"), "|");
  EXPECT_EQ(value("SELECT jet_chr(180)"), "´");
  EXPECT_EQ(value("SELECT jet_chr(128)"), "€");
  EXPECT_EQ(value("SELECT jet_chr(300)").rfind("<error:", 0), 0u);
  EXPECT_EQ(value("SELECT jet_chr(NULL)").rfind("<error:", 0), 0u);
  EXPECT_EQ(value("SELECT jet_nz(NULL)"), "");
  EXPECT_EQ(value("SELECT jet_nz(NULL, 7)"), "7");
  EXPECT_EQ(value("SELECT jet_nz(3, 7)"), "3");
  EXPECT_EQ(value("SELECT iif(NULL, 'a', 'b')"), "b");
}

TEST_F(Functions, LikeOperatorUsesJetRulesAndKeepsNull) {
  EXPECT_EQ(value("SELECT 'Äpfel' LIKE '*PF*'"), "1");
  EXPECT_EQ(value("SELECT 'abc' LIKE 'a%'"), "0");
  EXPECT_EQ(value("SELECT NULL LIKE '*'"), "<Null>");
  EXPECT_EQ(value("SELECT 'x' LIKE NULL"), "<Null>");
  EXPECT_EQ(value("SELECT 'x' LIKE '[x'").rfind("<error: Ungültige Musterzeichenfolge", 0), 0u);
}

TEST_F(Functions, CollationInSqlAndFirstLastAggregates) {
  EXPECT_EQ(value("SELECT 'ÄPFEL' = 'äpfel' COLLATE JETTEXT"), "1");
  EXPECT_EQ(value("SELECT 'Apfel' = 'Äpfel' COLLATE JETTEXT"), "0");
  ASSERT_EQ(sqlite3_exec(db_,
                         "CREATE TABLE t (k INTEGER, v TEXT COLLATE JETTEXT);"
                         "INSERT INTO t VALUES (1, NULL), (2, 'zwei'), (3, 'drei'), (4, NULL);",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(value("SELECT jet_first(v) FROM (SELECT v FROM t ORDER BY k)"), "<Null>");
  EXPECT_EQ(value("SELECT jet_first(v) FROM (SELECT v FROM t WHERE k > 1 ORDER BY k)"), "zwei");
  EXPECT_EQ(value("SELECT jet_last(k) FROM (SELECT k FROM t ORDER BY k)"), "4");
  EXPECT_EQ(value("SELECT jet_last(k) FROM t WHERE k > 9"), "<Null>");
  EXPECT_EQ(value("SELECT group_concat(v, ',') FROM (SELECT v FROM t WHERE v IS NOT NULL ORDER BY v)"), "drei,zwei");
}

}  // namespace
