#include "foundation/mdlQZLib51_text.h"
#include "tests/support/TestHelpers.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using rt::Variant;

// Readable failure output.
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '{' << l.join("; ").toStdString() << '}'; }

namespace {

QString str(const Variant& v) { return v.toText(); }

}  // namespace

// ---- byte sizes ------------------------------------------------------------------------------

TEST(FormatBytesShort, InclusiveLimitsAndGermanDecimals) {
  const struct {
    double bytes;
    const char* expected;
  } cases[] = {
      {0, "0,0 KB"},          {512, "0,5 KB"},
      {1536, "1,5 KB"},       {1048576, "1024,0 KB"},
      {1048577, "1,0 MB"},    {1073741824, "1024,0 MB"},
      {1073741825, "1,0 GB"}, {5.5 * 1073741824.0 * 1024.0, "5632,0 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatBytesShort(c.bytes), QString::fromUtf8(c.expected)) << c.bytes;
}

TEST(FormatFileSize, UnitFourGivesTextInTheFittingUnit) {
  const struct {
    Variant value;
    int decimals;
    const char* expected;
  } cases[] = {
      {Variant(512), 1, "512 Byte"},
      {Variant(1023.6), 1, "1023,6 Byte"},
      {Variant(1023.25), 1, "1023,2 Byte"},  // halves to even
      {Variant(1536), 1, "1,5 KB"},
      {Variant(1048575), 1, "1024,0 KB"},
      {Variant(1048576), 1, "1,0 MB"},
      {Variant(1073741824), 1, "1,0 GB"},
      {Variant(1536), 0, "2 KB"},
      {Variant(1536), 2, "1,50 KB"},
      {Variant(int64_t(5) * 1073741824 * 1024), 1, "5120,0 GB"},  // beyond 32 bits
      {Variant("2 KB"), 1, "2,0 KB"},
      {Variant("1,5 MB"), 1, "1,5 MB"},
      {rt::Null, 1, "0 Byte"},  // Null cannot be converted and counts as 0
  };
  for (const auto& c : cases) {
    const Variant r = FormatFileSize(c.value, 4, c.decimals);
    EXPECT_TRUE(r.isText()) << c.expected;
    EXPECT_EQ(str(r), QString::fromUtf8(c.expected));
  }
}

TEST(FormatFileSize, ZeroIsTheNumberZeroAndOtherUnitsGiveNumbers) {
  for (const Variant& zero : {Variant(0), Variant(0.0), Variant(), Variant("abc"), Variant("")}) {
    const Variant r = FormatFileSize(zero, 4, 1);
    EXPECT_TRUE(r.isNumeric());
    EXPECT_EQ(r.toDouble(), 0.0);
  }
  const struct {
    double bytes;
    int unit;
    int decimals;
    double expected;
  } cases[] = {
      {1536, 1, 1, 1.5}, {1572864, 2, 2, 1.5}, {3221225472.0, 3, 0, 3}, {1234.5, 0, 0, 1234}, {1235.5, 5, 0, 1236},
  };
  for (const auto& c : cases) {
    const Variant r = FormatFileSize(Variant(c.bytes), c.unit, c.decimals);
    EXPECT_TRUE(r.isNumeric());
    EXPECT_DOUBLE_EQ(r.toDouble(), c.expected) << c.bytes << " unit " << c.unit;
  }
}

TEST(ParseSizeText, ReadsNumberAndUnit) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"1,5 MB", 1572864},
      {"3 gb", 3221225472.0},
      {"2 KB", 2048},
      {"  512  ", 512},
      {"1.5kb", 1536},
      {"abc", 0},
      {"", 0},
      {"   ", 0},
      {"12abc", 12},
      {"-1 KB", -1024},
      {"1,5,5 KB", 1536},  // only the first comma is a decimal point
      {"1e400", 0},        // overflow counts as unreadable
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParseSizeText(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(BytesToNumber, LittleEndianOfAnyLength) {
  EXPECT_EQ(BytesToNumber(QByteArray()), 0.0);
  EXPECT_EQ(BytesToNumber(QByteArray("\x01\x02", 2)), 513.0);
  EXPECT_EQ(BytesToNumber(QByteArray("\x00\x00\x00\x00\x01\x00\x00\x00", 8)), 4294967296.0);
  EXPECT_EQ(BytesToNumber(QByteArray("\xff\xff", 2)), 65535.0);
}

// ---- versions --------------------------------------------------------------------------------

TEST(CompareVersionStrings, AgainstTheCatalogueVersion) {
  const struct {
    const char* test;
    int expected;
  } cases[] = {
      {"1.0.011", 0}, {"1.0.12", 1}, {"1.0.9", 2}, {"1.1", 1}, {"1.0", 0},     {"1.0.011.0", 0}, {"1.0.011.3", 1},
      {"", 3},        {"1.0.x", 0},  {"x", 3},     {"2", 1},   {"0.9.999", 2}, {"1..011", 0},  // an empty part is not a
                                                                                               // number: the result of
                                                                                               // the first part stays
  };
  for (const auto& c : cases)
    EXPECT_EQ(CompareVersionStrings("1.0.011", QString::fromUtf8(c.test)), c.expected) << c.test;
}

TEST(CompareVersionStrings, ReferenceOfOneNumberHasOneField) {
  EXPECT_EQ(CompareVersionStrings("1", "1"), 0);
  EXPECT_EQ(CompareVersionStrings("2", "1"), 2);
  EXPECT_EQ(CompareVersionStrings("1", "1.5"), 1);
  EXPECT_EQ(CompareVersionStrings("1", "1.0"), 0);
}

TEST(GetDelimitedField, FieldsAndNull) {
  EXPECT_EQ(str(GetDelimitedField("1.0.011", 1, ".")), "1");
  EXPECT_EQ(str(GetDelimitedField("1.0.011", 2, ".")), "0");
  EXPECT_EQ(str(GetDelimitedField("1.0.011", 3, ".")), "011");
  EXPECT_TRUE(GetDelimitedField("1.0.011", 4, ".").isNull());
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(GetDelimitedField("abc", i, ".").isNull());
  EXPECT_EQ(str(GetDelimitedField("a AND b and c", 3, " AND ")), "c");  // delimiter ignores case
  EXPECT_EQ(str(GetDelimitedField("a||b", 2, "|")), "");
  EXPECT_TRUE(GetDelimitedField("a|b", 0, "|").isNull());
}

TEST(FormatVersionString, RevisionHasThreeDigits) {
  EXPECT_EQ(FormatVersionString(1, 0, 11, false), "1.0.011");
  EXPECT_EQ(FormatVersionString(1, 0, 11, true), "Version 1.0.011");
  EXPECT_EQ(FormatVersionString(2, 10, 1234, false), "2.10.1234");
  EXPECT_EQ(FormatVersionString(1, 0, -5, false), "1.0.-005");
}

// ---- command line ----------------------------------------------------------------------------

TEST(ParseCommandLine, QuotesBlanksAndMaximum) {
  const struct {
    const char* line;
    int maximum;
    QStringList expected;
  } cases[] = {
      {"a \"b c\" d", 0, {"a", "b c", "d"}},
      {"\"x\"y", 0, {"x", "y"}},
      {"\"abc", 0, {"\"abc"}},
      {"a\tb  c", 0, {"a", "b", "c"}},
      {"ab\"cd\"ef", 0, {"ab", "cd", "ef"}},
      {"\"  padded  \" z", 0, {"  padded  ", "z"}},  // the quotes keep inner blanks
      {"\"\" x", 0, {"", "x"}},
      {"1 2 3 4 5 6 7 8 9 10 11 12", 0, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
      {"a b \"c d\"", 2, {"a", "b"}},
      {"   ", 0, {}},
      {"", 0, {}},
  };
  for (const auto& c : cases) {
    QStringList args{"stale"};
    const int n = ParseCommandLine(QString::fromUtf8(c.line), args, c.maximum);
    EXPECT_EQ(n, c.expected.size()) << c.line;
    EXPECT_EQ(args, c.expected) << c.line;
  }
}

// ---- splitting and trimming ------------------------------------------------------------------

TEST(SplitText, PartsAndDelimiters) {
  const struct {
    const char* text;
    const char* delimiter;
    QStringList expected;
  } cases[] = {
      {"a|b|", "|", {"a", "b"}},        {"|a||b", "|", {"a", "", "b"}},
      {"a AND b", " AND ", {"a", "b"}}, {"a and b", " AND ", {"a", "b"}},
      {" single ", "|", {"single"}},    {"|", "|", {""}},
      {"a | b |  ", "|", {"a", "b"}},   {"a", "", {"a"}},
  };
  for (const auto& c : cases) {
    QStringList parts;
    const int n = SplitText(Variant(c.text), parts, QString::fromUtf8(c.delimiter));
    EXPECT_EQ(n, c.expected.size()) << c.text;
    EXPECT_EQ(parts, c.expected) << c.text;
  }
}

TEST(SplitText, NullEmptyAndBlankLeaveThePartsAlone) {
  for (const Variant& v : {rt::Null, Variant(), Variant("")}) {
    QStringList parts{"kept"};
    EXPECT_EQ(SplitText(v, parts, "|"), 0);
    EXPECT_EQ(parts, QStringList{"kept"});
  }
}

TEST(UnquoteAndTrim, Table) {
  EXPECT_EQ(UnquoteText("  \"a b\"  "), "a b");
  EXPECT_EQ(UnquoteText("\""), "\"");
  EXPECT_EQ(UnquoteText("\"\""), "");
  EXPECT_EQ(UnquoteText("\"a\" \"b\""), "a\" \"b");  // one pair only
  EXPECT_EQ(UnquoteText("plain"), "plain");

  EXPECT_EQ(TrimAtNull(QString("abc") + QChar(0) + "junk"), "abc");
  EXPECT_EQ(TrimAtNull(QString(" a ") + QChar(0)), " a ");
  EXPECT_EQ(TrimAtNull("  abc  "), "abc");
}

TEST(StripText, RepeatedAtBothEndsWithMode) {
  EXPECT_EQ(StripText("\r\n\r\nline\r\n\r\n", "\r\n", true, true, Qt::CaseSensitive, false), "line");
  EXPECT_EQ(StripText("xxAxx", "x", false, true, Qt::CaseSensitive, false), "xxA");
  EXPECT_EQ(StripText("xxAxx", "x", true, false, Qt::CaseSensitive, false), "Axx");
  EXPECT_EQ(StripText("XxAxX", "x", true, true, Qt::CaseSensitive, false), "XxAxX");
  EXPECT_EQ(StripText("XxAxX", "x", true, true, Qt::CaseInsensitive, false), "A");
  EXPECT_EQ(StripText(" -a- ", "-", true, true, Qt::CaseSensitive, true), "-a-");
  EXPECT_EQ(StripText("-a-", "-", true, true, Qt::CaseSensitive, true), "a");
  EXPECT_EQ(StripText("---", "-", true, true, Qt::CaseSensitive, false), "");
  EXPECT_EQ(StripText(" a ", "", true, true, Qt::CaseSensitive, true), " a ");  // nothing to strip
}

// ---- small text helpers ----------------------------------------------------------------------

TEST(TextHelpers, EncloseInAddTrailingCharPadRight) {
  EXPECT_EQ(EncloseIn("tblFILES", "[]"), "[tblFILES]");
  EXPECT_EQ(EncloseIn("[tblFILES]", "[]"), "[tblFILES]");
  EXPECT_EQ(EncloseIn("", "[]"), "[]");
  EXPECT_EQ(EncloseIn("x]", "[]"), "[x]");
  EXPECT_EQ(EncloseIn("a", ""), "a");

  EXPECT_EQ(AddTrailingChar("/home/x", "/"), "/home/x/");
  EXPECT_EQ(AddTrailingChar("/home/x/", "/"), "/home/x/");
  EXPECT_EQ(AddTrailingChar("", "/"), "");
  EXPECT_EQ(AddTrailingChar("abX", "x"), "abX");  // ignores case

  EXPECT_EQ(PadRight("ab", 5, "."), "ab...");
  EXPECT_EQ(PadRight("ab", 5, "-+"), "ab---");
  EXPECT_EQ(PadRight("abcdef", 3, "."), "abcdef");
  EXPECT_EQ(PadRight("ab", 5, ""), "ab");  // no fill character: no endless loop
}

TEST(TextHelpers, AppendWithSeparator) {
  const struct {
    const char* text;
    const char* addition;
    bool skipEmpty;
    const char* expected;
  } cases[] = {
      {"", "b", false, "b"}, {"a", "b", false, "a, b"}, {"a", "", false, "a, "},
      {"a", "", true, "a"},  {"", "", true, ""},
  };
  for (const auto& c : cases) {
    QString t = QString::fromUtf8(c.text);
    AppendWithSeparator(t, QString::fromUtf8(c.addition), ", ", c.skipEmpty);
    EXPECT_EQ(t, QString::fromUtf8(c.expected));
  }
}

TEST(TextHelpers, NullIfEmptyAndNzValue) {
  EXPECT_TRUE(NullIfEmpty(Variant(), false).isNull());
  EXPECT_TRUE(NullIfEmpty(rt::Null, false).isNull());
  EXPECT_TRUE(NullIfEmpty(Variant(""), false).isNull());
  EXPECT_EQ(NullIfEmpty(Variant("  "), false), Variant("  "));
  EXPECT_TRUE(NullIfEmpty(Variant("  "), true).isNull());
  EXPECT_EQ(NullIfEmpty(Variant(0), true), Variant(0));
  EXPECT_EQ(NullIfEmpty(Variant(" x "), true), Variant(" x "));

  EXPECT_EQ(NzValue(rt::Null, Variant(5)), Variant(5));
  EXPECT_EQ(NzValue(Variant(), Variant("d")), Variant("d"));
  EXPECT_EQ(NzValue(Variant(0), Variant(5)), Variant(0));
  EXPECT_EQ(NzValue(Variant(""), Variant(5)), Variant(""));
}

// ---- GUID and scrambling ---------------------------------------------------------------------

TEST(NewGuidString, BracedUpperCaseAndNew) {
  const QRegularExpression form("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$");
  QSet<QString> seen;
  for (int i = 0; i < 20; ++i) {
    const QString g = NewGuidString();
    EXPECT_EQ(g.size(), 38);
    EXPECT_TRUE(form.match(g).hasMatch()) << g.toStdString();
    seen.insert(g);
  }
  EXPECT_EQ(seen.size(), 20);
}

TEST(XorScramble, CatalogueStampAndRoundTrip) {
  const QString stamp = XorScramble("RZKerbolith", "KOV1987");
  const int expected[] = {25, 21, 29, 84, 75, 90, 88, 39, 38, 34, 89};
  ASSERT_EQ(stamp.size(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(stamp[i].unicode(), expected[i]) << i;
  EXPECT_EQ(XorScramble(stamp, "KOV1987"), "RZKerbolith");
  const QString umlauts = QString::fromUtf8("Größe´¦");
  EXPECT_EQ(XorScramble(XorScramble(umlauts, "k"), "k"), umlauts);
  EXPECT_EQ(XorScramble("abc", ""), "abc");  // an empty key changes nothing instead of failing
}
