#include "tests/catalogue/import/ImportFixture.h"

#include <QFileInfo>
#include <QHash>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace importtest {
namespace {

// Volumes 1..volumes in category 1, each with `folders` folders (folder i below folder
// (i - 1) / 8) and `files` files spread over them; names with umlauts, some descriptions.
void fillLargeSource(const QString& path, int volumes, int folders, int files) {
  CatalogueRows s(path);
  s.begin();
  s.category(1, QStringLiteral("Sammlung"));
  int pid = 0, fid = 0;
  for (int v = 1; v <= volumes; ++v) {
    s.volume(v, QStringLiteral("V%1").arg(v), 1);
    const int firstPid = pid + 1;
    for (int i = 0; i < folders; ++i) {
      ++pid;
      s.folder(pid, v, i == 0 ? rt::Null : rt::Variant(QStringLiteral("Ordner ä%1").arg(i)),
               i == 0 ? rt::Null : rt::Variant(firstPid + (i - 1) / 8),
               i % 5 == 0 ? rt::Variant(QStringLiteral("Notiz %1").arg(i)) : rt::Null);
    }
    for (int i = 0; i < files; ++i) {
      ++fid;
      s.file(fid, firstPid + (i * 7919) % folders, QStringLiteral("Datei ß%1.dat").arg(fid),
             fid % 7 == 0 ? rt::Variant(QStringLiteral("Beschreibung %1").arg(fid)) : rt::Null);
    }
  }
  s.commit();
}

// A volume's folders and files with their folders given as positions in key order, so that a
// copy under other keys reads the same.
QStringList volumeContent(jet::Database& db, int vid) {
  QStringList out;
  QHash<int64_t, int> position;
  auto paths = db.OpenRecordset(QStringLiteral("SELECT PID, Parent, Path, Memo, Files, Size, TotalDirs, TotalFiles, "
                                               "TotalSize FROM tblPATHS WHERE VolumeID = ? ORDER BY PID"),
                                jet::RecordsetType::ForwardOnly, {vid});
  for (int i = 0; !paths->IsEOF(); paths->MoveNext(), ++i) {
    position.insert(paths->Fields(0).Value().toLong(), i);
    const rt::Variant parent = paths->Fields(1).Value();
    QStringList row{QString::number(i),
                    parent.isNull() ? QStringLiteral("-") : QString::number(position.value(parent.toLong(), -1))};
    for (int f = 2; f < paths->FieldCount(); ++f) row << paths->Fields(f).Value().toText();
    out << row.join(QLatin1Char('|'));
  }
  auto files =
      db.OpenRecordset(QStringLiteral("SELECT tblFILES.PathID, Filename, DateTime, Filesize, [Desc] FROM tblFILES "
                                      "INNER JOIN tblPATHS ON tblFILES.PathID = tblPATHS.PID "
                                      "WHERE tblPATHS.VolumeID = ? ORDER BY tblFILES.PathID, tblFILES.FID"),
                       jet::RecordsetType::ForwardOnly, {vid});
  for (; !files->IsEOF(); files->MoveNext()) {
    QStringList row{QString::number(position.value(files->Fields(0).Value().toLong(), -1))};
    for (int f = 1; f < files->FieldCount(); ++f) {
      const rt::Variant v = files->Fields(f).Value();
      row << (v.isNull() ? QStringLiteral("<null>") : v.toText());
    }
    out << row.join(QLatin1Char('|'));
  }
  return out;
}

class pImportLargeTest : public ImportTest {};

TEST_F(pImportLargeTest, AHundredThousandFilesLandWhole) {
  // The target holds a volume of its own, so every copied key differs from its source key.
  {
    auto& db = *gDB->DB();
    db.Execute(
        QStringLiteral("INSERT INTO tblVOLUMES (VID, VolumeName, VolumePath, VolumeType, EditDate) "
                       "VALUES (1, 'Eigene', '/home/', 3, 45000)"));
    db.Execute(
        QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Files, Size, TotalDirs, TotalFiles, TotalSize) "
                       "VALUES (1, 1, 0, 0, 0, 0, 0)"));
    db.Execute(
        QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) "
                       "VALUES (1, 1, 'eigen', 40000, 1)"));
  }
  const QString source = newCatalogue(QStringLiteral("gross.qvk"));
  fillLargeSource(source, 2, 600, 50000);
  windows.tickedCategories = {1};
  int32_t counts[3];
  ASSERT_TRUE(runImport(source, counts)) << (boxes->shown.empty() ? "" : boxes->shown[0].text.toStdString());
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(counts[1], 2);
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblFILES")).toInt(), 100001);
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblPATHS")).toInt(), 1201);
  EXPECT_EQ(value(QStringLiteral("SELECT Max(FID) FROM tblFILES")).toInt(), 100001);

  jet::Engine engine;
  auto ws = testenv::catalogueWorkspace(engine);
  auto src = ws->OpenDatabase(source, false, true);
  for (int v = 1; v <= 2; ++v) {
    SCOPED_TRACE(v);
    const QStringList expected = volumeContent(*src, v);
    ASSERT_EQ(expected.size(), 600 + 50000);
    EXPECT_EQ(volumeContent(*gDB->DB(), v + 1), expected);
  }
  ws->Close();
  EXPECT_EQ(integrityOf(*gDB->DB()), QStringLiteral("ok"));
}

// A volume of more folders than one statement copies the files of: every file lands once, at
// its folder's copy, the keys counting on in the order of the folders.
TEST_F(pImportLargeTest, FilesOfManyFoldersLandOnceInTheOrderOfTheirFolders) {
  const QString source = newCatalogue(QStringLiteral("viele.qvk"));
  fillLargeSource(source, 1, 2500, 9000);
  windows.tickedCategories = {1};
  ASSERT_TRUE(runImport(source)) << (boxes->shown.empty() ? "" : boxes->shown[0].text.toStdString());
  jet::Engine engine;
  auto ws = testenv::catalogueWorkspace(engine);
  auto src = ws->OpenDatabase(source, false, true);
  EXPECT_EQ(volumeContent(*gDB->DB(), 1), volumeContent(*src, 1));
  ws->Close();
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblFILES")).toInt(), 9000);
  EXPECT_EQ(value(QStringLiteral("SELECT Max(FID) FROM tblFILES")).toInt(), 9000);
  EXPECT_EQ(value(QStringLiteral("SELECT Count(*) FROM tblFILES AS a INNER JOIN tblFILES AS b ON b.FID = a.FID + 1 "
                                 "WHERE b.PathID < a.PathID"))
                .toInt(),
            0);
}

// Waits for one byte on fd; false after the limit.
bool byteArrives(int fd, int limitMs) {
  pollfd p{fd, POLLIN, 0};
  char c = 0;
  return poll(&p, 1, limitMs) == 1 && read(fd, &c, 1) == 1;
}

// The process dies in the middle of the copy (the third volume begins, two are written): the
// catalogue opens afterwards exactly as before the import, with none of its rows.
TEST_F(pImportLargeTest, AnImportKilledMidwayLeavesTheTargetIntact) {
  const QString source = newCatalogue(QStringLiteral("quelle.qvk"));
  fillLargeSource(source, 3, 200, 40000);
  const QStringList before = targetDump();
  gDB->setDBPath(QString());
  const QByteArray bytesBefore = testenv::contentOf(target);
  const QString journal = target + QStringLiteral("-journal");

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    if (!DBOpen(target, -1)) _exit(2);
    status->onStatus = [&](const QString& text) {
      if (text != QStringLiteral("Importiere Volume 'V3' ...")) return;
      const char c = 'm';
      if (write(ready[1], &c, 1) != 1) _exit(3);
      for (;;) pause();
    };
    windows.tickedCategories = {1};
    runImport(source);
    _exit(4);
  }
  close(ready[1]);
  const bool midway = byteArrives(ready[0], 300000);
  // What the dying process leaves: a changed file and its journal.
  const bool journalThere = QFileInfo(journal).size() > 0;
  const bool fileTouched = testenv::contentOf(target) != bytesBefore;
  kill(pid, SIGKILL);
  int childStatus = 0;
  waitpid(pid, &childStatus, 0);
  close(ready[0]);
  ASSERT_TRUE(midway) << "the child never reached the third volume";
  ASSERT_TRUE(WIFSIGNALED(childStatus));
  EXPECT_TRUE(journalThere);
  EXPECT_TRUE(fileTouched);

  boxes->shown.clear();
  ASSERT_TRUE(DBOpen(target, -1)) << (boxes->shown.empty() ? "" : boxes->shown[0].text.toStdString());
  EXPECT_EQ(targetDump(), before);
  EXPECT_EQ(integrityOf(*gDB->DB()), QStringLiteral("ok"));
}

}  // namespace
}  // namespace importtest
