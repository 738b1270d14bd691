#include "catalogue/mdlCommand_files.h"
#include "catalogue/mdlCommand_other.h"
#include "catalogue/mdlCommand_volumes.h"
#include "catalogue/mdlInfo.h"
#include "foundation/cuAppError.h"
#include "platform/ui/ShellOpen.h"
#include "tests/catalogue/commands/CommandsFixture.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList rowsText(const std::vector<PropItem>& rows) {
  QStringList r;
  for (const PropItem& p : rows) r << p.Name + "=" + p.Value;
  return r;
}

// Musik(1) > Klassik(2); Leer(3) without volumes. CD-A (10) and CD-C (12, no files) in Musik,
// CD-B (11) in Klassik.
class InfoRowsTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    addCategory(1, "Musik");
    addCategory(2, "Klassik", 1);
    addCategory(3, "Leer");
    addVolume(10, "CD-A", "/media/a/", 1);
    addVolume(11, "CD-B", "/media/b/", 2);
    addVolume(12, "CD-C", "/media/c/", 1);
    addPath(100, 10, rt::Null, rt::Null);
    addPath(101, 10, "Bach", 100);
    addPath(102, 10, "Werke", 101);
    addPath(110, 11, rt::Null, rt::Null);
    addPath(120, 12, rt::Null, rt::Null);
    addFile(1, 101, "a.mp3", 1000);
    addFile(2, 102, "b.mp3", 2000);
    addFile(3, 110, "c.mp3", 3000000);
    // The stored statistics, as the reader leaves them.
    exec(
        "UPDATE tblPATHS SET Files = 1, Size = 1000, TotalDirs = 1, TotalFiles = 2, TotalSize = 3000 "
        "WHERE PID = 101");
    exec("UPDATE tblPATHS SET Files = 1, Size = 2000, TotalDirs = 0, TotalFiles = 0, TotalSize = 0 WHERE PID = 102");
    exec("UPDATE tblPATHS SET Files = 0, Size = 0, TotalDirs = 0 WHERE PID = 120");
  }
  pInfoColl cache;
};

}  // namespace

TEST_F(InfoRowsTest, CategoryRowsCoverTheSubtree) {
  const struct {
    int cid;
    QStringList rows;
  } cases[] = {
      {1, {"Kategorie=Musik", "Volumes=3", "Dateien=3", "Größe=3.003.000 Bytes (2,9 MB)"}},
      {2, {"Kategorie=Klassik", "Volumes=1", "Dateien=1", "Größe=3.000.000 Bytes (2,9 MB)"}},
      {3, {"Kategorie=Leer", "Volumes=0", "Dateien=0", "Größe=0"}},
  };
  for (const auto& c : cases) {
    std::vector<PropItem> rows{{"alt", "alt"}};
    CatInfo2InfoData(*CathInfo(c.cid, cache), rows);
    EXPECT_EQ(rowsText(rows), c.rows) << c.cid;
  }
  // Totals come from the cache until it is replaced.
  addVolume(13, "Neu", "/media/n/", 3);
  std::vector<PropItem> rows;
  CatInfo2InfoData(*CathInfo(3, cache), rows);
  EXPECT_EQ(rows[1].Value, "0");
  pInfoColl fresh;
  CatInfo2InfoData(*CathInfo(3, fresh), rows);
  EXPECT_EQ(rows[1].Value, "1");
}

TEST_F(InfoRowsTest, VolumeRows) {
  const struct {
    int vid;
    QStringList rows;
  } cases[] = {
      {10, {"Name=CD-A", "Pfad=/media/a/", "Ordner=2", "Dateien=2", "Größe=3.000 Bytes (2,9 KB)"}},
      {12, {"Name=CD-C", "Pfad=/media/c/", "Ordner=0", "Dateien=0", "Größe=0"}},  // no files at all
  };
  for (const auto& c : cases) {
    std::vector<PropItem> rows;
    fVolumeInfo2InfoData(*VolumeInfo(c.vid, cache), rows);
    EXPECT_EQ(rowsText(rows), c.rows) << c.vid;
    EXPECT_TRUE(cache.IDExists(c.vid, pInfoColl::Volume));
  }
}

TEST_F(InfoRowsTest, FolderRowsShowTotalsOnlyWithSubFolders) {
  const QString line = QString(20, '-') + "=" + QString(50, '-');
  const struct {
    int pid;
    QStringList rows;
  } cases[] = {
      {101,
       {"Pfad=/media/a/Bach/", "Dateien=1", "Größe=1.000 Bytes (1000 Byte)", line, "Gesamtgröße=3.000 Bytes (2,9 KB)",
        "Dateien gesamt=2", "Unterordner=1"}},
      {102, {"Pfad=/media/a/Bach/Werke/", "Dateien=1", "Größe=2.000 Bytes (2,0 KB)"}},
      {120, {"Pfad=/media/c/", "Dateien=0", "Größe=0"}},  // an empty root folder
      {4711, {"Pfad=", "Dateien=0", "Größe=0"}},          // no such folder
  };
  for (const auto& c : cases) {
    std::vector<PropItem> rows;
    PathInfo2InfoData(*PathInfo(c.pid, cache), rows);
    EXPECT_EQ(rowsText(rows), c.rows) << c.pid;
  }
  EXPECT_TRUE(cache.IDExists(4711, pInfoColl::Folder));
}

TEST_F(InfoRowsTest, ErrorsNameTheMainWindowsRoutine) {
  gDB->setDBPath(QString());
  const rt::RaisedError e = raised([&] { CathInfo(1, cache); });
  EXPECT_NE(e.number, 0);
  EXPECT_TRUE(e.source.endsWith("frmMain: CathInfo")) << e.source.toStdString();
  EXPECT_TRUE(raised([&] { PathInfo(101, cache); }).source.endsWith("frmMain: PathInfo"));
  EXPECT_TRUE(raised([&] { VolumeInfo(10, cache); }).source.endsWith("frmMain: VolumeInfo"));
}

namespace {

class FileCommandsTest : public CommandsTest {
 protected:
  void SetUp() override {
    CommandsTest::SetUp();
    root = testenv::freshTempDir();
    QDir().mkpath(root + "/Fotos");
    QFile f(root + "/Fotos/da.jpg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("jpg");
    f.close();
    ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/Fotos/rohr").constData(), 0644), 0);
    addVolume(1, "Urlaub 2003", root);
    addPath(1, 1, rt::Null, rt::Null);
    addPath(2, 1, "Fotos", 1);
    addPath(3, 1, "Weg", 1);
    addFile(1, 2, "da.jpg", 3);
    addFile(2, 2, "fehlt.jpg", 3);
    addFile(3, 3, "auch.jpg", 3);
    addFile(4, 2, "rohr", 0);
    auto rec = std::make_unique<ui::RecordingShellOpener>();
    shell = rec.get();
    ui::setShellOpener(std::move(rec));
  }
  void TearDown() override {
    ui::setShellOpener(nullptr);
    CommandsTest::TearDown();
  }
  QString root;
  ui::RecordingShellOpener* shell = nullptr;
};

}  // namespace

TEST_F(FileCommandsTest, MemoMarkerFollowsTheStoredMemo) {
  EXPECT_EQ(FolderMemoCaption(2), "Memo");
  QString text = "alt";
  EXPECT_TRUE(PathMemoGet(2, "Memo", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(PathMemoSet(2, "Memo", "{\\rtf1 Notiz}"));
  EXPECT_EQ(FolderMemoCaption(2), "Memo (!)");
  EXPECT_TRUE(PathMemoGet(2, "Memo", text));
  EXPECT_EQ(text, "{\\rtf1 Notiz}");
  EXPECT_TRUE(PathMemoSet(2, "Memo", ""));
  EXPECT_TRUE(value("SELECT Memo FROM tblPATHS WHERE PID = 2").isNull());
  EXPECT_EQ(FolderMemoCaption(2), "Memo");
  EXPECT_FALSE(PathMemoGet(4711, "Memo", text));
  EXPECT_FALSE(PathMemoSet(4711, "Memo", "x"));
  EXPECT_EQ(FolderMemoCaption(4711), "Memo");
}

TEST_F(FileCommandsTest, DescriptionUpToTheFieldsLength) {
  QString text;
  EXPECT_TRUE(FileDescGet(1, text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(FileDescSet(1, QString(255, QChar(0x00E4))));
  EXPECT_EQ(value("SELECT [Desc] FROM tblFILES WHERE FID = 1").toText(), QString(255, QChar(0x00E4)));
  EXPECT_NE(raised([&] { FileDescSet(1, QString(256, 'x')); }).number, 0);
  EXPECT_EQ(value("SELECT [Desc] FROM tblFILES WHERE FID = 1").toText().size(), 255);
  EXPECT_TRUE(FileDescSet(1, ""));
  EXPECT_TRUE(value("SELECT [Desc] FROM tblFILES WHERE FID = 1").isNull());
  EXPECT_FALSE(FileDescGet(4711, text));
  EXPECT_FALSE(FileDescSet(4711, "x"));
}

TEST(CopyLine, OneLinePerColumnAlsoWhenEmpty) {
  EXPECT_EQ(CopyLineText({"Name", "Größe", "Datum", "Beschreibung"}, {"a.txt", "", "01.02.03", "-"}),
            "Name: a.txt\r\nGröße: \r\nDatum: 01.02.03\r\nBeschreibung: -");
  EXPECT_EQ(CopyLineText({"Name"}, {""}), "Name: ");
}

TEST_F(FileCommandsTest, OpenTellsWhyAFileCannotBeReached) {
  const QString volumeLine =
      "Stellen Sie sicher, dass das Volume 'Urlaub 2003' verfügbar ist bzw. dass Zugriff "
      "darauf besteht.";
  const struct {
    int fid;
    QString path;
    QString error;  // empty: opened
  } cases[] = {
      {1, root + "/Fotos/da.jpg", ""},
      {2, root + "/Fotos/fehlt.jpg", "Fehler Nr. 53: Datei nicht gefunden."},
      {3, root + "/Weg/auch.jpg", "Fehler Nr. 76: Pfad nicht gefunden."},
      {4, root + "/Fotos/rohr", "Fehler Nr. 75: Fehler beim Zugriff auf Pfad/Datei."},  // never opened
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fid);
    boxes->shown.clear();
    shell->opened.clear();
    FileExecute(c.fid);
    if (c.error.isEmpty()) {
      EXPECT_TRUE(boxes->shown.empty());
      ASSERT_EQ(shell->opened.size(), 1u);
      EXPECT_EQ(shell->opened[0].target, c.path);
      EXPECT_FALSE(shell->opened[0].maximized);
      continue;
    }
    EXPECT_TRUE(shell->opened.empty());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].style, ui::kCritical);
    EXPECT_EQ(boxes->shown[0].text,
              "Fehler beim Zugriff auf die Datei '" + c.path + "':\r\n" + c.error + "\r\n" + volumeLine);
  }
}

TEST_F(FileCommandsTest, OpenReportsTheDesktopsRefusalAndUnknownFiles) {
  shell->results = {ui::kShellNoAssociation};
  FileExecute(1);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_EQ(boxes->shown[0].style & 0xFF, ui::kCritical);
  EXPECT_TRUE(boxes->shown[0].text.contains("WinExecute-Fehler Nr. 31.\r\nDie Datei '" + root +
                                            "/Fotos/da.jpg' kann nicht geöffnet werden."))
      << boxes->shown[0].text.toStdString();
  boxes->shown.clear();
  FileExecute(4711);
  ASSERT_EQ(boxes->shown.size(), 1u);
  EXPECT_TRUE(boxes->shown[0].text.contains("Die Datei mit der ID 4711 wurde nicht in der Datei-Tabelle gefunden."));
}

TEST_F(FileCommandsTest, OpenOfAFileThisUserMayNotReadIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs the superuser to make a file another user cannot read";
  ASSERT_EQ(::chmod(QFile::encodeName(root + "/Fotos/da.jpg").constData(), 0600), 0);
  const int code = testenv::inChild([&] {
    if (!testenv::dropPrivileges()) return testenv::kSkipCode;
    FileExecute(1);
    if (boxes->shown.size() != 1 || !shell->opened.empty()) return 10;
    return boxes->shown[0].text.contains("Fehler Nr. 70: Zugriff verweigert.") ? 0 : 11;
  });
  if (code == testenv::kSkipCode) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
}
