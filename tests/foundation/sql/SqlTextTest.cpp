#include "foundation/mdlQZLib51_sql.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestHelpers.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <stdexcept>

using rt::Variant;

namespace {

QString q(const char* s) { return QString::fromUtf8(s); }

}  // namespace

// ---- statements ------------------------------------------------------------------------------

TEST(BuildSelectSql, PrefixesOnlySimpleCriteriaAndSortsOnlyByAGivenField) {
  const struct {
    const char* table;
    const char* criterion;
    const char* sort;
    bool descending;
    const char* expected;
  } cases[] = {
      {"tblFILES", "[PathID]=17", "Filename", false,
       "SELECT [tblFILES].* FROM [tblFILES] WHERE (([tblFILES].[PathID]=17)) ORDER BY [tblFILES].[Filename];"},
      {"tblVOLUMES", "[CatID]=3 AND [LocID]=2", "VolumeName", true,
       "SELECT [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([CatID]=3 AND [LocID]=2)) ORDER BY "
       "[tblVOLUMES].[VolumeName] DESC;"},
      {"tblICONS", "", "", false, "SELECT [tblICONS].* FROM [tblICONS];"},
      // Lower-case keywords and a leading parenthesis make a criterion compound.
      {"tblVOLUMES", "[CatID]=3 and [LocID]=2", "", false,
       "SELECT [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([CatID]=3 and [LocID]=2));"},
      {"tblVOLUMES", "[CatID]=3 or [LocID]=2", "", false,
       "SELECT [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([CatID]=3 or [LocID]=2));"},
      {"tblVOLUMES", "([VolumeSerial]='12')", "", false,
       "SELECT [tblVOLUMES].* FROM [tblVOLUMES] WHERE ((([VolumeSerial]='12')));"},
      // No ORDER BY without a sort field, whatever the flag says.
      {"tblLOCATIONS", "", "", true, "SELECT [tblLOCATIONS].* FROM [tblLOCATIONS];"},
      // Names already bracketed stay as they are.
      {"[tblLOCATIONS]", "[LocID]=4", "[LocName]", false,
       "SELECT [tblLOCATIONS].* FROM [tblLOCATIONS] WHERE (([tblLOCATIONS].[LocID]=4)) ORDER BY "
       "[tblLOCATIONS].[LocName];"},
      // A keyword inside a word does not count.
      {"tblCATEGORIES", "[CatName]='BRANDORT'", "", false,
       "SELECT [tblCATEGORIES].* FROM [tblCATEGORIES] WHERE (([tblCATEGORIES].[CatName]='BRANDORT'));"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BuildSelectSql(q(c.table), q(c.criterion), q(c.sort), c.descending), q(c.expected)) << c.criterion;
}

TEST(BuildDeleteSql, KeepsTheQualifiedFormForEveryKindOfCriterion) {
  const struct {
    const char* table;
    const char* criterion;
    const char* expected;
  } cases[] = {
      {"tblCATEGORIES", "[CID]=5", "DELETE [tblCATEGORIES].* FROM [tblCATEGORIES] WHERE (([tblCATEGORIES].[CID]=5));"},
      {"tblVOLUMES", "[VID]=3 AND [CatID]=2",
       "DELETE [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([VID]=3 AND [CatID]=2));"},
      {"tblVOLUMES", "", "DELETE [tblVOLUMES].* FROM [tblVOLUMES];"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildDeleteSql(q(c.table), q(c.criterion)), q(c.expected)) << c.criterion;
}

TEST(IsSimpleCriteria, KeywordsInAnyCaseAndALeadingParenthesisMakeItCompound) {
  const struct {
    const char* criterion;
    bool simple;
  } cases[] = {
      {"[PathID]=17", true},
      {"[CatID]=3 AND [LocID]=2", false},
      {"[CatID]=3 and [LocID]=2", false},
      {"[a]=1 Or [b]=2", false},
      {"([VID]=1)", false},
      {"[Name] Like 'ANDREAS*'", true},
      {"[Name]='Sand'", true},
      {" ([VID]=1)", true},
      {"", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSimpleCriteria(q(c.criterion)), c.simple) << c.criterion;
}

// ---- user criteria ---------------------------------------------------------------------------

TEST(BuildCriteria, FormatsEachTermAndJoinsWithUpperCaseKeywords) {
  const struct {
    const char* user;
    const char* expected;
  } cases[] = {
      {"[VolumeSerial]='1234-ABCD' AND [VolumePath] Like 'D:\\Data\\*' AND [VID] <> 7",
       "[VolumeSerial]= '1234-ABCD' AND [VolumePath] Like 'D:\\Data\\*' AND [VID] <> 7"},
      {"[VolumeSerial]='12345' and [VolumePath] Like 'D:\\Daten\\*'",
       "[VolumeSerial]= '12345' AND [VolumePath] Like 'D:\\Daten\\*'"},
      {"[Name]='O'Brien'", "[Name]= 'O''Brien'"},
      {"[Name]='O''Brien'", "[Name]= 'O''Brien'"},
      {"[VolumePath] Like 'C:\\*'", "[VolumePath] Like 'C:\\*'"},
      {"[VID] <> 12", "[VID] <> 12"},
      // A quote inside the last value of a term is doubled, so it stays inside the literal.
      {"[VolumeSerial]='1' AND [VolumePath] Like 'D:\\Rock'n'Roll\\*'",
       "[VolumeSerial]= '1' AND [VolumePath] Like 'D:\\Rock''n''Roll\\*'"},
      // Without " AND ": the OR terms of the one part.
      {"[VID]=1 or [VID]=2 OR [VID]=3", "[VID]=1 OR [VID]=2 OR [VID]=3"},
      {"[a]=1 AND [b]=2 Or [c]='x' AND [d]=4", "[a]=1 AND [b]=2 OR [c]= 'x' AND [d]=4"},
      // A keyword inside a quoted value is part of the value.
      {"[VolumeSerial]='1' AND [VolumePath] Like 'D:\\Tom and Jerry\\*'",
       "[VolumeSerial]= '1' AND [VolumePath] Like 'D:\\Tom and Jerry\\*'"},
      {"[VolumeName]='Tom or Jerry' AND [VID] <> 7", "[VolumeName]= 'Tom or Jerry' AND [VID] <> 7"},
      // A value whose quotes were doubled stays one literal, whatever it spells.
      {"[VolumeName]='x'' OR [VID]>''0'", "[VolumeName]= 'x'' OR [VID]>''0'"},
      {"[VolumeSerial]='x'' OR [VID]>''0' AND [VolumePath] Like 'y'' AND ''1''=''1*'",
       "[VolumeSerial]= 'x'' OR [VID]>''0' AND [VolumePath] Like 'y'' AND ''1''=''1*'"},
      {"[VolumeName]='x''' AND [VID] <> 7", "[VolumeName]= 'x''' AND [VID] <> 7"},
      {"[VolumeName]='O''Brien' AND [VID]=1", "[VolumeName]= 'O''Brien' AND [VID]=1"},
      {"[VolumeName]='' AND [VID]=1", "[VolumeName]= '' AND [VID]=1"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildCriteria(q(c.user)), q(c.expected)) << c.user;
}

TEST(SplitCriteria, RowsCarryTheKeywordThatFollowsTheirTerm) {
  CriteriaRows rows;
  ASSERT_EQ(SplitCriteria(q("  [a]=1 AND [b]=2 or [c]=3 AND [d]=4  "), rows), 4);
  const char* expected[][2] = {{"[a]=1", "AND"}, {"[b]=2", "OR"}, {"[c]=3", "AND"}, {"[d]=4", "AND"}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(rows[i].term, q(expected[i][0])) << i;
    EXPECT_EQ(rows[i].op, q(expected[i][1])) << i;
  }
  EXPECT_EQ(SplitCriteria(q("[a]=1"), rows), 1);
  EXPECT_EQ(rows[0].term, q("[a]=1"));
  EXPECT_EQ(SplitCriteria(q("   "), rows), 0);
  EXPECT_TRUE(rows.empty());
}

TEST(SplitByKeyword, PairsTrimmedPartsWithTheTrimmedKeyword) {
  CriteriaRows pairs{{q("old"), q("X")}};
  EXPECT_EQ(SplitByKeyword(q("[a]=1"), q(" AND "), pairs), 0);
  ASSERT_EQ(pairs.size(), 1u);  // left as it was
  EXPECT_EQ(pairs[0].term, q("old"));

  ASSERT_EQ(SplitByKeyword(q("[a]=1 and  [b]=2 AND [c]=3"), q(" AND "), pairs), 3);
  EXPECT_EQ(pairs[0].term, q("[a]=1"));
  EXPECT_EQ(pairs[1].term, q("[b]=2"));
  EXPECT_EQ(pairs[2].term, q("[c]=3"));
  for (const CriteriaRow& p : pairs) EXPECT_EQ(p.op, q("AND"));

  // Only keywords outside quoted values split.
  ASSERT_EQ(SplitByKeyword(q("[a]='Tom and Jerry' AND [b]='x'' and y'"), q(" AND "), pairs), 2);
  EXPECT_EQ(pairs[0].term, q("[a]='Tom and Jerry'"));
  EXPECT_EQ(pairs[1].term, q("[b]='x'' and y'"));
  EXPECT_EQ(SplitByKeyword(q("[a]='x and y'"), q(" AND "), pairs), 0);
}

TEST(FormatCriteriaTerm, QuotedTailBecomesOneLiteral) {
  const struct {
    const char* term;
    const char* expected;
  } cases[] = {
      {"[Name]='O'Brien'", "[Name]= 'O''Brien'"},
      {"[Name]='O''Brien'", "[Name]= 'O''Brien'"},
      {"[VolumePath] Like 'C:\\*'", "[VolumePath] Like 'C:\\*'"},
      {"[VolumeSerial]=''", "[VolumeSerial]= ''"},
      {"  [VolumeSerial] = 'x'  ", "[VolumeSerial] = 'x'"},
      // An injected "' OR '1'='1" ends up inside the one literal.
      {"[VolumeSerial]='x' OR '1'='1'", "[VolumeSerial]= 'x'' OR ''1''=''1'"},
      {"Jerry\\*'", "Jerry\\* ''"},
      {"[Name]=O'Brien", "[Name]=O''Brien"},
      {"[VID]=7", "[VID]=7"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatCriteriaTerm(q(c.term)), q(c.expected)) << c.term;
}

TEST(QuoteAndPipeEscapes, DoubleQuotesAndSpellPipesByCode) {
  EXPECT_EQ(DoubleSingleQuotes(q("")), q(""));
  EXPECT_EQ(DoubleSingleQuotes(q("'a''b'")), q("''a''''b''"));
  EXPECT_EQ(EscapePipeForSql(q("[VolumeName]= 'Rock|Pop'")), q("[VolumeName]= 'Rock' & Chr(124) & 'Pop'"));
  EXPECT_EQ(EscapePipeForSql(q("[VID]=1")), q("[VID]=1"));
}

// ---- reserved characters ---------------------------------------------------------------------

class ReplaceReservedCharsTest : public ::testing::Test {
 protected:
  testenv::BoxRecorder recorder;
};

TEST_F(ReplaceReservedCharsTest, ReplacesBothCharactersAndShowsTheNoticeOnce) {
  const Variant out = ReplaceReservedChars(Variant("Rock|Pop's"), true, QString());
  EXPECT_EQ(out, Variant(QString::fromUtf8("Rock\u00A6Pop\u00B4s")));
  ASSERT_EQ(recorder->shown.size(), 1u);
  EXPECT_EQ(recorder->shown[0].style, ui::kInformation);
  EXPECT_EQ(recorder->shown[0].text,
            q("Das Hochkomma (') und das Pipe-Symbol (|) sind reservierte Zeichen.\r\n"
              "Bitte verwenden Sie diese Zeichen  nicht in Zeichenfolgen, nach denen sp\u00e4ter evtl. gesucht "
              "werden soll."));
}

TEST_F(ReplaceReservedCharsTest, OwnNoticeTextAndSilentCases) {
  ReplaceReservedChars(Variant("a'b"), true, q("Eigener Hinweis"));
  ASSERT_EQ(recorder->shown.size(), 1u);
  EXPECT_EQ(recorder->shown[0].text, q("Eigener Hinweis"));
  recorder->shown.clear();

  EXPECT_EQ(ReplaceReservedChars(Variant("a|b"), false, QString()), Variant(QString::fromUtf8("a\u00A6b")));
  EXPECT_EQ(ReplaceReservedChars(Variant("Klassik"), true, QString()), Variant("Klassik"));
  const Variant date = Variant::date(45000.5);
  const Variant unchanged[] = {Variant(12), Variant(1.5), date, rt::Null, Variant(true), Variant()};
  for (const Variant& v : unchanged) EXPECT_EQ(ReplaceReservedChars(v, true, QString()), v);
  EXPECT_TRUE(recorder->shown.empty());
}

namespace {
class FailingPresenter : public ui::MessagePresenter {
 public:
  int show(const ui::MessageBoxRequest&) override { throw std::runtime_error("no display"); }
};
}  // namespace

TEST_F(ReplaceReservedCharsTest, AFailingNoticeReturnsTheValueUnchanged) {
  ui::setPresenter(std::make_unique<FailingPresenter>());
  EXPECT_EQ(ReplaceReservedChars(Variant("Rock|Pop"), true, QString()), Variant("Rock|Pop"));
}
