// Every SQL text of the program, markers filled with sample values, translated and run
// against a catalogue with a few rows.

#include "SqlFixture.h"
#include "platform/jet/JetSql.h"
#include "platform/runtime/RaisedError.h"

#include <gtest/gtest.h>

namespace {

using jetsqltest::CatalogueDb;
using jetsqltest::Rows;

QString fill(QString sql, const char* marker, int value) {
  return sql.replace(QLatin1String(marker), QString::number(value), Qt::CaseInsensitive);
}

// The texts of the message table.
const QString k500 = QStringLiteral(
    "SELECT tblVOLUMES.VolumeName, tblVOLUMES.VolumePath, Count(tblPATHS.PID) AS Folders FROM tblVOLUMES INNER JOIN "
    "tblPATHS ON tblVOLUMES.VID = tblPATHS.VolumeID WHERE (((tblVOLUMES.VID)=##)) GROUP BY tblVOLUMES.VolumeName, "
    "tblVOLUMES.VolumePath;");
const QString k501 = QStringLiteral(
    "SELECT tblVOLUMES.VolumeName, tblVOLUMES.VolumePath, Count(tblFILES.FID) AS Files, Sum(tblFILES.Filesize) AS "
    "SumFilesize FROM tblVOLUMES INNER JOIN (tblPATHS INNER JOIN tblFILES ON tblPATHS.PID = tblFILES.PathID) ON "
    "tblVOLUMES.VID = tblPATHS.VolumeID WHERE (((tblVOLUMES.VID)=##)) GROUP BY tblVOLUMES.VolumeName, "
    "tblVOLUMES.VolumePath;");
const QString k502 = QStringLiteral(
    "SELECT tblVOLUMES.VolumePath, Count(tblFILES.FID) AS Files, Sum(tblFILES.Filesize) AS SumFileSize FROM "
    "tblVOLUMES INNER JOIN (tblPATHS LEFT JOIN tblFILES ON tblPATHS.PID = tblFILES.PathID) ON tblVOLUMES.VID = "
    "tblPATHS.VolumeID WHERE (((tblPATHS.PID)=##)) GROUP BY tblVOLUMES.VolumePath;");
const QString k503 = QStringLiteral(
    "SELECT tblFILES.FID, tblPATHS.PID, tblFILES.Filename, tblFILES.DateTime, tblFILES.Filesize, tblFILES.Desc, "
    "tblVOLUMES.VolumeName, tblVOLUMES.VolumePath FROM tblVOLUMES INNER JOIN (tblPATHS INNER JOIN tblFILES ON "
    "tblPATHS.PID = tblFILES.PathID) ON tblVOLUMES.VID = tblPATHS.VolumeID WHERE (((tblFILES.FID)=##));");
const QString k504 = QStringLiteral(
    "SELECT FID, VID, PID, Filename, VolumeName, VolumePath FROM tblVOLUMES INNER JOIN (tblPATHS INNER JOIN tblFILES "
    "ON tblPATHS.PID = tblFILES.PathID) ON tblVOLUMES.VID = tblPATHS.VolumeID #FILTER# ORDER BY Filename, "
    "VolumeName, [VolumePath] & [Path];");
const QString k505 = QStringLiteral(
    "SELECT CatName, Count(VID) AS VolCount FROM tblCATEGORIES INNER JOIN tblVOLUMES ON tblCATEGORIES.CID = "
    "tblVOLUMES.CatID WHERE [CID]=## GROUP BY CatName;");
const QString k506 = QStringLiteral(
    "SELECT CatName, Count(FID) AS FileCount, Sum(Filesize) AS SumFileSize FROM ((tblCATEGORIES INNER JOIN "
    "tblVOLUMES ON tblCATEGORIES.CID = tblVOLUMES.CatID) INNER JOIN tblPATHS ON tblVOLUMES.VID = tblPATHS.VolumeID) "
    "INNER JOIN tblFILES ON tblPATHS.PID = tblFILES.PathID WHERE (CID=##) GROUP BY CatName;");
const QString k507 = QStringLiteral(
    "SELECT Filename, DateTime, Filesize, Desc, FID FROM tblFILES WHERE (PathID=#PathID# ) ORDER BY Filename;");
const QString k508 =
    QStringLiteral("UPDATE tblVOLUMES SET tblVOLUMES.LocID = Null WHERE (((tblVOLUMES.LocID)=#LOCID#));");
const QString k509 = QStringLiteral("SELECT PID FROM tblPATHS WHERE VolumeID=##;");
const QString k515 = QStringLiteral(
    "SELECT PID, VID, VolumeName, VolumePath, Path FROM tblVOLUMES INNER JOIN tblPATHS ON tblVOLUMES.VID = "
    "tblPATHS.VolumeID GROUP BY PID, VID, VolumeName, VolumePath, Path, [VolumePath] & [Path] #FILTER# AND (Path Is "
    "Not Null) ORDER BY tblVOLUMES.VolumeName, [VolumePath] & [Path];");

QStringList column(const Rows& rows, int index) {
  QStringList out;
  for (const auto& r : rows) out << r.at(index);
  return out;
}

TEST(ProgramSql, VolumeAndFolderFigures) {
  CatalogueDb db;
  EXPECT_EQ(db.query(fill(k500, "##", 1)), (Rows{{"Äpfel-CD", "D:\\", "3"}}));
  EXPECT_EQ(db.query(fill(k501, "##", 1)), (Rows{{"Äpfel-CD", "D:\\", "4", "3511.0"}}));
  EXPECT_EQ(db.query(fill(k502, "##", 3)), (Rows{{"D:\\", "1", "500.0"}}));
  // A folder without files: the left join still gives its row, with a count of 0.
  EXPECT_EQ(db.query(fill(k502, "##", 6)), (Rows{{"F:\\", "0", "<Null>"}}));
  EXPECT_EQ(db.query(fill(k509, "##", 1)).size(), 3u);
}

TEST(ProgramSql, OneFileWithItsFolderAndVolumeKeepsTheFieldNames) {
  CatalogueDb db;
  QStringList names;
  const Rows rows = db.query(fill(k503, "##", 4), &names);
  EXPECT_EQ(names, QStringList({"FID", "PID", "Filename", "DateTime", "Filesize", "Desc", "VolumeName", "VolumePath"}));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][2], QStringLiteral("plan.doc"));
  EXPECT_EQ(rows[0][6], QStringLiteral("backup"));
  EXPECT_TRUE(db.query(fill(k503, "##", 99)).empty());
}

TEST(ProgramSql, FileSearchSortsWithTheTextCollation) {
  CatalogueDb db;
  // One volume: the filter is a WHERE clause with a blank before it.
  const Rows one = db.query(QString(k504).replace(QStringLiteral("#FILTER#"), QStringLiteral(" WHERE [VID]=1")));
  EXPECT_EQ(column(one, 3), QStringList({"Ärger.txt", "autorun.inf", "bild.jpg", "lied.mp3"}));
  // All volumes: no filter.
  const Rows all = db.query(QString(k504).replace(QStringLiteral("#FILTER#"), QString()));
  EXPECT_EQ(all.size(), 5u);
}

TEST(ProgramSql, FolderSearchHavingVolumeAndPathCondition) {
  CatalogueDb db;
  const Rows one = db.query(QString(k515).replace(QStringLiteral("#FILTER#"), QStringLiteral(" HAVING [VID]=1")));
  EXPECT_EQ(column(one, 4), QStringList({"Bilder", "Musik"}));
  // Over all volumes the caller puts HAVING before the text's own condition.
  const Rows all = db.query(QString(k515).replace(QStringLiteral("#FILTER# AND"), QStringLiteral("HAVING")));
  EXPECT_EQ(column(all, 2), QStringList({"Äpfel-CD", "Äpfel-CD", "backup"}));  // Ä beside A, before b
  EXPECT_EQ(column(all, 4), QStringList({"Bilder", "Musik", "Projekte"}));
  // The marker merely emptied would leave "GROUP BY ..., a & b AND (...)": refused, not run as a
  // grouping by a truth value.
  try {
    jet::translateJetSql(QString(k515).replace(QStringLiteral("#FILTER#"), QString()));
    ADD_FAILURE() << "accepted";
  } catch (const rt::RaisedError& e) {
    EXPECT_EQ(e.number, 3075);
  }
}

TEST(ProgramSql, CategoryFigures) {
  CatalogueDb db;
  EXPECT_EQ(db.query(fill(k505, "##", 1)), (Rows{{"Musik", "2"}}));
  EXPECT_EQ(db.query(fill(k506, "##", 1)), (Rows{{"Musik", "5", "3553.0"}}));
  EXPECT_TRUE(db.query(fill(k505, "##", 3)).empty());
}

TEST(ProgramSql, FilesOfAFolderAndReleasingALocation) {
  CatalogueDb db;
  const Rows files = db.query(fill(k507, "#PathID#", 2));
  EXPECT_EQ(files, (Rows{{"Ärger.txt", "45000.2", "10.0", "<Null>", "2"},
                         {"lied.mp3", "45000.1", "3000.0", "Lieblingslied", "1"}}));
  EXPECT_EQ(db.execute(fill(k508, "#LOCID#", 1)), 1);
  EXPECT_EQ(db.query(QStringLiteral("SELECT VID FROM tblVOLUMES WHERE LocID Is Null ORDER BY VID")),
            (Rows{{"1"}, {"3"}}));
}

TEST(ProgramSql, BuilderTexts) {
  CatalogueDb db;
  EXPECT_EQ(column(db.query(QStringLiteral("SELECT [tblFILES].* FROM [tblFILES] WHERE (([tblFILES].[PathID]=2)) "
                                           "ORDER BY [tblFILES].[Filename];")),
                   2),
            QStringList({"Ärger.txt", "lied.mp3"}));
  EXPECT_EQ(column(db.query(QStringLiteral("SELECT [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([CatID]=1 AND "
                                           "[LocID]=2)) ORDER BY [tblVOLUMES].[VolumeName] DESC;")),
                   0),
            QStringList({"2"}));
  EXPECT_EQ(db.query(QStringLiteral("SELECT [tblICONS].* FROM [tblICONS];")).size(),
            db.query(QStringLiteral("SELECT IID FROM tblICONS")).size());
  EXPECT_EQ(
      db.query(QStringLiteral("SELECT [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([tblVOLUMES].[LocID]=2));")).size(), 1u);
  EXPECT_EQ(
      column(db.query(QStringLiteral("SELECT [tblLOCATIONS].* FROM [tblLOCATIONS] ORDER BY [tblLOCATIONS].[LocName];")),
             1),
      QStringList({"Keller", "Regal"}));
  EXPECT_EQ(
      column(db.query(QStringLiteral("SELECT [tblLOCATIONS].* FROM [tblLOCATIONS] ORDER BY [tblLOCATIONS].[LID];")), 1),
      QStringList({"Regal", "Keller"}));
  EXPECT_FALSE(db.query(QStringLiteral("SELECT [tblICONS].* FROM [tblICONS] ORDER BY [tblICONS].[Order];")).empty());
  // The volume filter of the search window: Like with the name part, case ignored.
  EXPECT_EQ(column(db.query(QStringLiteral("SELECT [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([tblVOLUMES].[VolumeName] "
                                           "Like '*äPF*')) ORDER BY [tblVOLUMES].[VolumeName];")),
                   0),
            QStringList({"1"}));
  // The category deletion, then a volume deletion that takes folders and files with it.
  EXPECT_EQ(
      db.execute(QStringLiteral("DELETE [tblCATEGORIES].* FROM [tblCATEGORIES] WHERE (([tblCATEGORIES].[CID]=3));")),
      1);
  EXPECT_EQ(db.execute(QStringLiteral("DELETE [tblVOLUMES].* FROM [tblVOLUMES] WHERE (([tblVOLUMES].[VID]=1));")), 1);
  EXPECT_EQ(db.query(QStringLiteral("SELECT Count(*) AS n FROM tblFILES")), (Rows{{"1"}}));
}

TEST(ProgramSql, LookupCriteriaFromTheCriteriaBuilder) {
  CatalogueDb db;
  // Built by BuildCriteria and EscapePipeForSql, run the way the engine's FindFirst runs it.
  auto find = [&](const QString& crit) {
    return db.query(QStringLiteral("SELECT VID FROM [tblVOLUMES] WHERE (") + crit + QStringLiteral(") ORDER BY VID"));
  };
  EXPECT_EQ(find(QStringLiteral("[VolumeSerial]= '1234-abcd' AND [VolumePath] Like 'D:\\*' AND [VID] <> 7")),
            (Rows{{"1"}}));
  EXPECT_TRUE(find(QStringLiteral("[VolumeSerial]= '1234-ABCD' AND [VolumePath] Like 'D:\\*' AND [VID] <> 1")).empty());
  db.raw("UPDATE tblVOLUMES SET VolumeName = 'Rock|Pop' WHERE VID = 3");
  EXPECT_EQ(find(QStringLiteral("[VolumeName]= 'rock' & Chr(124) & 'pop'")), (Rows{{"3"}}));
}

TEST(ProgramSql, KeysCountsAndChildren) {
  CatalogueDb db;
  auto newKeySql = [](const char* t, const char* k) {
    return QStringLiteral("SELECT Max([%1].[%2]) AS [TempSchlüssel] FROM [%1] ORDER BY Last([%1].[%2]);").arg(t, k);
  };
  QStringList names;
  EXPECT_EQ(db.query(newKeySql("tblVOLUMES", "VID"), &names), (Rows{{"3"}}));
  EXPECT_EQ(names, QStringList({"TempSchlüssel"}));
  db.raw("DELETE FROM tblLOCATIONS");
  EXPECT_EQ(db.query(newKeySql("tblLOCATIONS", "LID")), (Rows{{"<Null>"}}));  // empty table: Null
  EXPECT_EQ(db.query(QStringLiteral("SELECT Count(tblVOLUMES.VID) AS VolumeCount FROM tblVOLUMES;"), &names),
            (Rows{{"3"}}));
  EXPECT_EQ(names, QStringList({"VolumeCount"}));
  EXPECT_EQ(db.query(QStringLiteral("SELECT PID, Path FROM tblPATHS WHERE (Parent=1) GROUP BY PID, Path;")),
            (Rows{{"2", "Musik"}, {"3", "Bilder"}}));
  EXPECT_EQ(db.query(QStringLiteral("SELECT CID, CatName FROM tblCATEGORIES WHERE (Parent=1) GROUP BY CID, CatName;")),
            (Rows{{"3", "Rock"}}));
  EXPECT_EQ(
      column(db.query(QStringLiteral("SELECT PID, Path, Parent FROM tblPATHS WHERE (VolumeID=1) ORDER BY PID;")), 0),
      QStringList({"1", "2", "3"}));
}

}  // namespace
