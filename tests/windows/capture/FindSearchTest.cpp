// The file and folder search below the window: the term rules, and the rows the search finds
// with its comparison inside the query, sliced and merged, against the plain way of reading
// every row of the whole query in order and comparing each name in the program.

#include "catalogue/FolderPaths.h"
#include "catalogue/pFinder.h"
#include "foundation/cuAppError.h"
#include "platform/jet/JetSqlText.h"
#include "platform/jet/Recordset.h"
#include "tests/windows/capture/FindFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <tuple>

namespace {

struct Row {
  int32_t id, vid, pid;
  QString name;
  bool operator==(const Row& o) const { return std::tie(id, vid, pid, name) == std::tie(o.id, o.vid, o.pid, o.name); }
};

void PrintTo(const Row& r, std::ostream* os) {
  *os << "{" << r.id << ", " << r.vid << ", " << r.pid << ", " << r.name.toStdString() << "}";
}

class FindSearchTest : public FindFixture {
 protected:
  // The plain way: every row of the catalogue (or the volume) in the list's order, each name
  // compared in the program; a Null name never matches. Ties of the order are broken by id.
  std::vector<Row> reference(FindKind kind, const QString& term, bool whole, int32_t vid) {
    QString sql;
    if (kind == FindKind::Files) {
      sql = gErr->MsgLoad(504);
      sql.replace(QStringLiteral("#FILTER#"), vid ? QStringLiteral(" WHERE [VID]=%1").arg(vid) : QString());
      sql.replace(QStringLiteral("[Path];"), QStringLiteral("[Path], FID;"));
    } else {
      sql = gErr->MsgLoad(515);
      if (vid)
        sql.replace(QStringLiteral("#FILTER#"), QStringLiteral(" HAVING [VID]=%1").arg(vid));
      else
        sql.replace(QStringLiteral("#FILTER# AND"), QStringLiteral("HAVING"));
      sql.replace(QStringLiteral("[Path];"), QStringLiteral("[Path], PID;"));
    }
    std::optional<jet::LikePattern> pattern;
    if (!whole) pattern.emplace(QStringLiteral("*") + term + QStringLiteral("*"));
    std::vector<Row> rows;
    auto rs = db().OpenRecordset(sql, jet::RecordsetType::ForwardOnly);
    const QString field = kind == FindKind::Files ? QStringLiteral("Filename") : QStringLiteral("Path");
    while (!rs->IsEOF()) {
      const rt::Variant value = rs->Fields(field).Value();
      const bool match =
          !value.isNull() && (whole ? jet::compareText(value.toText(), term) == 0 : pattern->matches(value.toText()));
      if (match)
        rows.push_back(
            {rs->Fields(kind == FindKind::Files ? QStringLiteral("FID") : QStringLiteral("PID")).Value().toInt(),
             rs->Fields(QStringLiteral("VID")).Value().toInt(), rs->Fields(QStringLiteral("PID")).Value().toInt(),
             value.toText()});
      rs->MoveNext();
    }
    return rows;
  }

  std::vector<Row> searched(FindKind kind, const QString& term, bool whole, int32_t vid, int slice) {
    pFinder finder(db(), kind, term, whole, vid, slice);
    while (finder.Scan()) {
    }
    std::vector<Row> rows;
    FindHit hit;
    while (finder.NextHit(hit)) rows.push_back({hit.ID, hit.VID, hit.PID, hit.Name});
    EXPECT_EQ(finder.HitCount(), static_cast<int64_t>(rows.size()));
    return rows;
  }
};

TEST(FindTerm, FollowsTheTermRules) {
  using V = FindTerm::Verdict;
  struct {
    const char* input;
    V verdict;
    FindKind kind;
    const char* text;
  } cases[] = {
      {"", V::Empty, FindKind::Files, ""},
      {"\\", V::Ignore, FindKind::Files, ""},
      {"foto", V::Search, FindKind::Files, "foto"},
      {" foto ", V::Search, FindKind::Files, " foto "},  // not trimmed
      {"\\fotos\\", V::Search, FindKind::Folders, "fotos"},
      {"\\fotos", V::Search, FindKind::Folders, "fotos"},
      {"fotos\\", V::Search, FindKind::Folders, "fotos"},
      {"\\\\", V::Search, FindKind::Folders, ""},
      {"a\\b", V::Invalid, FindKind::Folders, ""},
      {"\\a\\b\\", V::Invalid, FindKind::Folders, ""},
      {"\\\\\\", V::Invalid, FindKind::Folders, ""},
      // "/" as "\\", and the two mixed.
      {"/", V::Ignore, FindKind::Files, ""},
      {"/fotos/", V::Search, FindKind::Folders, "fotos"},
      {"/fotos", V::Search, FindKind::Folders, "fotos"},
      {"fotos/", V::Search, FindKind::Folders, "fotos"},
      {"\\fotos/", V::Search, FindKind::Folders, "fotos"},
      {"//", V::Search, FindKind::Folders, ""},
      {"a/b", V::Invalid, FindKind::Folders, ""},
      {"/usr/bash/", V::Invalid, FindKind::Folders, ""},
  };
  for (const auto& c : cases) {
    const FindTerm t = ParseFindTerm(QString::fromUtf8(c.input));
    EXPECT_EQ(t.verdict, c.verdict) << c.input;
    if (t.verdict != V::Search) continue;
    EXPECT_EQ(t.kind, c.kind) << c.input;
    EXPECT_EQ(t.text, QString::fromUtf8(c.text)) << c.input;
  }
}

TEST_F(FindSearchTest, FindsTheRowsOfThePlainWayInItsOrder) {
  struct Case {
    FindKind kind;
    const char* term;
    bool whole;
  };
  const Case cases[] = {
      {FindKind::Files, "a", false},          {FindKind::Files, "A", false},     {FindKind::Files, "ä", false},
      {FindKind::Files, "Ä.TXT", true},       {FindKind::Files, "a.txt", true},  {FindKind::Files, "txt", false},
      {FindKind::Files, "#", false},          {FindKind::Files, "[#]", false},   {FindKind::Files, "Track #", false},
      {FindKind::Files, "Track [#]1", false}, {FindKind::Files, "?", false},     {FindKind::Files, "t?.", false},
      {FindKind::Files, "*", false},          {FindKind::Files, "*", true},      {FindKind::Files, "%", false},
      {FindKind::Files, "_", false},          {FindKind::Files, "'", false},     {FindKind::Files, "O'B", false},
      {FindKind::Files, "\"", false},         {FindKind::Files, "[1]", false},   {FindKind::Files, "[[]1]", false},
      {FindKind::Files, "[!a-z].txt", false}, {FindKind::Files, "[a-c]", false}, {FindKind::Files, "[", true},
      {FindKind::Files, "[.txt", true},       {FindKind::Files, "ss", false},    {FindKind::Files, "ß", false},
      {FindKind::Files, "strasse.txt", true}, {FindKind::Files, "zebra", true},  {FindKind::Files, "", false},
      {FindKind::Files, "nichts", false},     {FindKind::Files, "a.tx", true},   {FindKind::Folders, "fotos", false},
      {FindKind::Folders, "FOTOS", true},     {FindKind::Folders, "foto", true}, {FindKind::Folders, "", false},
      {FindKind::Folders, "", true},          {FindKind::Folders, "ü", false},   {FindKind::Folders, "ä", false},
      {FindKind::Folders, "[[]", false},      {FindKind::Folders, "#", false},   {FindKind::Folders, "r", false},
  };
  for (const Case& c : cases) {
    for (int32_t vid : {0, 1, 2, 42, 7}) {
      const QString term = QString::fromUtf8(c.term);
      const std::vector<Row> expected = reference(c.kind, term, c.whole, vid);
      // Slices of one row, a few rows and the whole table all merge into the same list.
      for (int slice : {1, 3, 0})
        EXPECT_EQ(searched(c.kind, term, c.whole, vid, slice), expected)
            << (c.kind == FindKind::Files ? "files " : "folders ") << c.term << (c.whole ? " (whole)" : "")
            << " volume " << vid << " slice " << slice;
    }
  }
}

TEST_F(FindSearchTest, TheCasesFindWhatTheLikeRulesSay) {
  // A few outcomes spelled out, so that reference and search cannot agree on a wrong answer.
  auto names = [&](FindKind kind, const char* term, bool whole, int32_t vid = 0) {
    QStringList out;
    for (const Row& r : searched(kind, QString::fromUtf8(term), whole, vid, 2)) out << r.name;
    return out.join(QLatin1Char('|'));
  };
  // Equal names by volume name, then by volume path and folder name.
  EXPECT_EQ(names(FindKind::Files, "a.txt", true), "a.txt|A.TXT|a.TXT|A.txt");
  // Names equal but for case, in the same folder, come by id.
  EXPECT_EQ(names(FindKind::Files, "#", false),
            "50% off.txt|bild 1.jpg|BILD 1.JPG|Bild 1.jpg|bild 2.jpg|file[1].txt|Track #1.mp3|Track #1.mp3|"
            "Track 12.mp3");
  EXPECT_EQ(names(FindKind::Files, "Track #", false), "Track 12.mp3");
  EXPECT_EQ(names(FindKind::Files, "Track [#]1", false), "Track #1.mp3|Track #1.mp3");
  EXPECT_EQ(names(FindKind::Files, "%", false), "50% off.txt");
  EXPECT_EQ(names(FindKind::Files, "_", false), "under_score.txt");
  EXPECT_EQ(names(FindKind::Files, "ä", false), "Ä.txt|äpfel.doc|ärger.log");
  EXPECT_EQ(names(FindKind::Files, "ZEBRA", true), "zebra|Zebra");
  EXPECT_EQ(names(FindKind::Files, "zebr", true), "");
  EXPECT_EQ(names(FindKind::Files, "[", true), "");
  EXPECT_EQ(names(FindKind::Files, "[.TXT", true), "[.txt");
  // One volume: only its files; a volume without folders has none.
  EXPECT_EQ(names(FindKind::Files, "a.txt", true, 1), "a.txt|A.TXT");
  EXPECT_EQ(names(FindKind::Files, "", false, 42), "");
  // Folders: never a root folder, "" in contains mode is every named folder, whole none.
  EXPECT_EQ(names(FindKind::Folders, "", false), "Ärger|fotos|2020|Fotos|Müller|Track [1]");
  EXPECT_EQ(names(FindKind::Folders, "", true), "");
  EXPECT_EQ(names(FindKind::Folders, "FOTOS", true), "fotos|Fotos");
  EXPECT_EQ(names(FindKind::Folders, "fotos", true, 2), "Fotos");
}

TEST_F(FindSearchTest, TellsWhetherTheRangeHasAnythingToCompare) {
  struct {
    FindKind kind;
    int32_t vid;
    bool any;
  } cases[] = {{FindKind::Files, 0, true},    {FindKind::Files, 1, true},   {FindKind::Files, 42, false},
               {FindKind::Files, 7, false},   {FindKind::Folders, 0, true}, {FindKind::Folders, 2, true},
               {FindKind::Folders, 42, false}};
  for (const auto& c : cases) {
    pFinder finder(db(), c.kind, QStringLiteral("nichts"), false, c.vid);
    EXPECT_EQ(finder.AnyRows(), c.any) << int(c.kind) << " " << c.vid;
  }
  // A volume of only its root folder has files to compare but no folder.
  volume(5, QStringLiteral("Leer"), QStringLiteral("/leer/"));
  folder(50, 5, rt::Null, rt::Null);
  file(5000, 50, QStringLiteral("x"));
  EXPECT_TRUE(pFinder(db(), FindKind::Files, QStringLiteral("x"), true, 5).AnyRows());
  EXPECT_FALSE(pFinder(db(), FindKind::Folders, QStringLiteral("x"), false, 5).AnyRows());
}

TEST_F(FindSearchTest, ABracketWithoutItsEndIsTheMatchersErrorBeforeAnyRowIsRead) {
  for (const char* term : {"[", "a[b", "[!", "x]["}) {
    const rt::RaisedError e =
        testenv::raised([&] { pFinder(db(), FindKind::Files, QString::fromUtf8(term), false, 0); });
    EXPECT_EQ(e.number, 93) << term;
    EXPECT_TRUE(e.description.startsWith(QStringLiteral("Ungültige Musterzeichenfolge")))
        << e.description.toStdString();
    EXPECT_FALSE(e.description.contains(QStringLiteral("SQL"), Qt::CaseInsensitive)) << e.description.toStdString();
  }
  // As a whole name it is only a character.
  EXPECT_EQ(testenv::raised([&] { pFinder(db(), FindKind::Files, QStringLiteral("["), true, 0); }).number, 0);
}

TEST_F(FindSearchTest, IdsWithGapsAndLargeValuesAreSlicedWithoutMissingRows) {
  // Slices follow the rows, not the id range: sparse and huge ids lose nothing.
  file(2000000000, 22, QStringLiteral("fern.txt"));
  file(1500000, 22, QStringLiteral("fern2.txt"));
  for (int slice : {1, 2, 1000}) {
    const std::vector<Row> rows = searched(FindKind::Files, QStringLiteral("fern"), false, 0, slice);
    ASSERT_EQ(rows.size(), 2u) << slice;
    EXPECT_EQ(rows[0].id, 2000000000);
    EXPECT_EQ(rows[1].id, 1500000);
  }
}

TEST_F(FindSearchTest, LongSlicesComeInTheOrderOfThePlainWay) {
  // Enough long names in one slice to fill several blocks of a sorted slice.
  gDB->WS()->BeginTrans();
  for (int i = 0; i < 2500; ++i)
    file(20000 - i, i % 2 ? 22 : 13,
         QStringLiteral("lang_%1_").arg((i * 7919) % 2500, 4, 10, QLatin1Char('0')) +
             QString(200, QChar(i % 3 ? u'x' : u'ä')));
  gDB->WS()->CommitTrans();
  for (int slice : {0, 1000000})
    EXPECT_EQ(searched(FindKind::Files, QStringLiteral("lang_"), false, 0, slice),
              reference(FindKind::Files, QStringLiteral("lang_"), false, 0))
        << slice;
}

TEST_F(FindSearchTest, ALargeSearchSortedAndMergedOnThreadsComesInThePlainOrder) {
  // Enough hits in enough folders for the threads to sort and merge: few distinct names, most
  // longer than a sort head and alike in it, each in many folders of both volumes, so that
  // ties go to the folders' places, which the threads work out as they need them.
  gDB->WS()->BeginTrans();
  constexpr int kFolders = 700;
  for (int i = 0; i < kFolders; ++i) {
    const bool music = i % 3 != 0;
    const QString name =
        QStringLiteral("%1 %2").arg(i % 4 ? QStringLiteral("Ordner") : QStringLiteral("ördner")).arg(i % 97);
    // Chains of folders, each below one of its own volume.
    folder(5000 + i, music ? 2 : 1, name, i >= 21 ? rt::Variant(5000 + i - 21) : rt::Variant(music ? 10 : 20));
  }
  const QString stems[] = {QStringLiteral("gemeinsamer langer anfang "), QStringLiteral("Gemeinsamer Langer Anfang "),
                           QStringLiteral("gemeinsamer langer änfang "), QStringLiteral("kurz ")};
  constexpr int kFiles = 40000;
  for (int i = 0; i < kFiles; ++i) {
    // Ids spread over the folders, so that the first slice already needs hundreds of them.
    const int pid = 5000 + (i * 13) % kFolders;
    file(100000 + kFiles - i, pid, stems[i % 4] + QString::number((i / 4) % 61) + QStringLiteral(".txt"));
  }
  gDB->WS()->CommitTrans();
  const std::vector<Row> everything = reference(FindKind::Files, QStringLiteral("*"), false, 0);
  ASSERT_GT(everything.size(), 40000u);
  for (int slice : {0, 4096})
    EXPECT_EQ(searched(FindKind::Files, QStringLiteral("*"), false, 0, slice), everything) << slice;
  EXPECT_EQ(searched(FindKind::Files, QStringLiteral("anfang"), false, 2, 4096),
            reference(FindKind::Files, QStringLiteral("anfang"), false, 2));
}

TEST_F(FindSearchTest, ASearchLeftHalfWayEndsItsThreads) {
  gDB->WS()->BeginTrans();
  for (int i = 0; i < 300; ++i) folder(5000 + i, 2, QStringLiteral("o%1").arg(i), 10);
  for (int i = 0; i < 60000; ++i) file(100000 + i, 5000 + i % 300, QStringLiteral("n%1").arg(i % 1000));
  gDB->WS()->CommitTrans();
  // Left during the scan, while slices are sorted, and during the merge.
  {
    pFinder finder(db(), FindKind::Files, QStringLiteral("*"), false, 0, 2048);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(finder.Scan());
  }
  for (int taken : {1, 9000}) {
    pFinder finder(db(), FindKind::Files, QStringLiteral("*"), false, 0, 2048);
    while (finder.Scan()) {
    }
    FindHit hit;
    for (int i = 0; i < taken; ++i) ASSERT_TRUE(finder.NextHit(hit));
  }
  // The catalogue is free for the next search.
  EXPECT_EQ(searched(FindKind::Files, QStringLiteral("n999"), true, 0, 0).size(), 60u);
}

TEST_F(FindSearchTest, FolderPartsJoinToThePathsOfTheWalk) {
  // A chain, a cycle, a parent that is missing, a folder that is missing.
  folder(60, 2, QStringLiteral("kreis a"), 61);
  folder(61, 2, QStringLiteral("kreis b"), 60);
  folder(62, 2, QStringLiteral("waise"), 999);
  folder(63, 2, QStringLiteral("unter waise"), 62);
  folder(64, 2, QStringLiteral("unter kreis"), 60);
  for (int32_t pid : {10, 11, 12, 13, 14, 20, 21, 22, 60, 61, 62, 63, 64, 999}) {
    FolderPaths parts(db());
    QString joined;
    int steps = 0;
    for (int32_t at = pid; at != 0 && steps < 100; ++steps) {
      const FolderPaths::Part part = parts.PartOf(at);
      joined.prepend(part.tail);
      at = part.parent;
    }
    EXPECT_LT(steps, 100) << pid;
    EXPECT_EQ(joined, FolderPaths(db()).Of(pid)) << pid;
  }
}

}  // namespace
