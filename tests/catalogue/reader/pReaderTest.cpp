#include "ReaderTestSupport.h"
#include "WalkerTestSupport.h"
#include "catalogue/pReader.h"
#include "platform/jet/JetError.h"
#include "platform/jet/Recordset.h"
#include "tests/support/OddTrees.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace {

using readertest::BoxRecorder;
using readertest::Catalogue;
using readertest::RecordingOwner;
using testenv::makeOddTree;
using testenv::writeText;

constexpr int32_t kVid = 7;

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    cat.create(dir);
    // Another volume's rows first, so the new keys do not start at 1.
    cat.addVolume(1, QStringLiteral("/anderswo/"));
    cat.db->Execute(
        QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Files, Size, TotalDirs, TotalFiles, TotalSize) "
                       "VALUES (40, 1, 1, 5, 0, 1, 5)"));
    cat.db->Execute(
        QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) "
                       "VALUES (90, 40, 'alt.txt', 40000, 5)"));
  }

  std::unique_ptr<pReader> reader(pReaderSettings s = {}, std::unique_ptr<dirsrc::DirSource> walk = nullptr,
                                  std::unique_ptr<dirsrc::DirSource> list = nullptr) {
    s.wait = [this](int32_t ms) { waits.push_back(ms); };
    return std::make_unique<pReader>(cat.ws, cat.db, s, &owner, std::move(walk), std::move(list));
  }

  int64_t rowsOfVolume() const {
    return cat.count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 7")) +
           cat.count(QStringLiteral("SELECT Count(*) FROM tblFILES INNER JOIN tblPATHS ON tblFILES.PathID = "
                                    "tblPATHS.PID WHERE tblPATHS.VolumeID = 7"));
  }
  void expectOtherVolumeKept() const {
    EXPECT_EQ(cat.count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 1")), 1);
    EXPECT_EQ(cat.count(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE PathID = 40")), 1);
  }

  void TearDown() override {
    // QDir cannot remove names that are not valid UTF-8.
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(dir.toStdString()) / "Medium", ec);
  }

  QString dir;
  Catalogue cat;
  RecordingOwner owner;
  BoxRecorder rec;
  std::vector<int32_t> waits;
};

// Every folder row and every file row against a plain walk of the same tree.
void expectRowsMatchTree(jet::Database& db, const QByteArray& root, bool skipHidden, const QStringList& noEnter = {}) {
  const auto expected = readertest::referenceWalk(root, skipHidden, noEnter);
  const auto stored = readertest::storedFolders(db, kVid);
  ASSERT_EQ(stored.keys(), expected.keys());
  for (auto it = expected.begin(); it != expected.end(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    const auto& s = stored[it.key()].values;
    EXPECT_EQ(s.files, it->files);
    EXPECT_EQ(s.size, it->size);
    EXPECT_EQ(s.totalFiles, it->totalFiles);
    EXPECT_EQ(s.totalDirs, it->totalDirs);
    EXPECT_EQ(s.totalSize, it->totalSize);
    ASSERT_EQ(s.allFiles.keys(), it->allFiles.keys());
    for (auto f = it->allFiles.begin(); f != it->allFiles.end(); ++f) {
      EXPECT_EQ(s.allFiles[f.key()].size, f->size) << f.key().toStdString();
      EXPECT_EQ(s.allFiles[f.key()].mtime, f->mtime) << f.key().toStdString();
    }
  }
}

TEST_F(ReaderTest, OddTreeIsStoredRowForRowWithKeysParentsAndMemos) {
  const QByteArray root = makeOddTree(dir);
  cat.addVolume(kVid, QString::fromUtf8(root));
  pReaderSettings s;
  s.AutoMemoCol = {QStringLiteral("readme"), QStringLiteral("liesmich.txt")};
  auto r = reader(s);
  r->setSkipHidden(false);
  ASSERT_TRUE(r->Read(kVid));

  expectRowsMatchTree(*cat.db, root, false);
  const auto stored = readertest::storedFolders(*cat.db, kVid);
  // Keys follow the largest stored ones; the root has neither Path nor Parent.
  EXPECT_EQ(stored[QString()].pid, 41);
  EXPECT_TRUE(stored[QString()].parent.isNull());
  for (const auto& f : stored)
    if (f.pid != 41) {
      EXPECT_LT(f.parent.toInt(), f.pid);
    }
  EXPECT_EQ(stored[QStringLiteral("sub/deep")].parent.toInt(), stored[QStringLiteral("sub")].pid);
  EXPECT_EQ(cat.count(QStringLiteral("SELECT Min(FID) FROM tblFILES WHERE PathID > 40")), 91);
  // Names that are no UTF-8 are read as Windows-1252: readable, and two names never become one.
  const auto& rootFiles = stored[QString()].values.allFiles;
  EXPECT_TRUE(stored.contains(QString::fromUtf8("Über")));
  EXPECT_TRUE(stored.contains(QString::fromUtf8("Ordner mit Ã„ÿ")));
  EXPECT_TRUE(rootFiles.contains(QString::fromUtf8("badÿþ.bin")));
  EXPECT_EQ(rootFiles[QString::fromUtf8("xÿ")].size, 2);
  EXPECT_EQ(rootFiles[QString::fromUtf8("xþ")].size, 3);
  EXPECT_EQ(cat.count(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE PathID = %1").arg(stored[QString()].pid)),
            rootFiles.size());
  // So is a memo file that is no UTF-8.
  EXPECT_EQ(stored[QString::fromUtf8("Über")].memo.toText(), QString::fromUtf8("Grüße aus Köln"));
  // Memos: exact spelling preferred, else any case.
  EXPECT_EQ(stored[QString()].memo.toText(), QStringLiteral("lower"));
  EXPECT_EQ(stored[QStringLiteral("sub")].memo.toText(), QStringLiteral("mixed case"));
  EXPECT_TRUE(stored[QStringLiteral("empty")].memo.isNull());
  // The link to a folder is a file row, not a walked folder.
  EXPECT_TRUE(stored[QString()].values.allFiles.contains(QStringLiteral("link-to-sub")));

  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_EQ(rec.boxes().shown[0].text, QStringLiteral("Das Einlesen ist abgeschlossen."));
  EXPECT_EQ(rec.boxes().shown[0].style, ui::kInformation);
  EXPECT_TRUE(owner.texts.contains(QStringLiteral("Ordner werden eingelesen ...")));
  EXPECT_TRUE(owner.texts.contains(QStringLiteral("Ordner speichern:\r\n") + QString::fromUtf8(root)));
  EXPECT_TRUE(owner.texts.contains(QStringLiteral("Dateien speichern:\r\n") + QString::fromUtf8(root) +
                                   QStringLiteral("sub/")));
  EXPECT_EQ(owner.texts.last(), QString());
  EXPECT_EQ(cat.ws->TransactionDepth(), 0);
  expectOtherVolumeKept();
}

TEST_F(ReaderTest, SkipHiddenKeepsHiddenFileRowsButNotTheirCountsNorHiddenFolders) {
  const QByteArray root = makeOddTree(dir);
  cat.addVolume(kVid, QString::fromUtf8(root));
  auto r = reader();
  r->setSkipHidden(true);
  ASSERT_TRUE(r->Read(kVid));
  expectRowsMatchTree(*cat.db, root, true);
  const auto stored = readertest::storedFolders(*cat.db, kVid);
  EXPECT_FALSE(stored.contains(QStringLiteral(".hiddendir")));
  // A hidden file has its row with its real size (not -1).
  EXPECT_EQ(stored[QString()].values.allFiles[QStringLiteral(".hidden")].size, 7);
}

TEST_F(ReaderTest, TestReadsGoThroughEveryFileWithoutOpeningTheFifo) {
  const QByteArray root = makeOddTree(dir);
  cat.addVolume(kVid, QString::fromUtf8(root));
  for (const bool complete : {false, true}) {
    cat.db->Execute(QStringLiteral("DELETE FROM tblPATHS WHERE VolumeID = 7"));
    owner.texts.clear();
    auto r = reader();
    r->setFileRead(true);
    r->setFileReadComplete(complete);
    ASSERT_TRUE(r->Read(kVid));  // a FIFO opened for reading would block here
    expectRowsMatchTree(*cat.db, root, false);
    // Files of more than one block report their progress: the first block only, or all of it.
    const QString deep =
        QStringLiteral("Lese Datei:\r\n") + QString::fromUtf8(root) + QStringLiteral("sub/deep/x.dat ... ");
    EXPECT_TRUE(owner.texts.contains(deep + QStringLiteral("33%")));
    EXPECT_EQ(owner.texts.contains(deep + QStringLiteral("67%")), complete);
    EXPECT_EQ(owner.texts.contains(deep + QStringLiteral("100%")), complete);
    // A name that is no UTF-8 is opened by its bytes.
    EXPECT_TRUE(owner.texts.contains(QStringLiteral("Lese Datei:\r\n") + QString::fromUtf8(root) +
                                     QString::fromUtf8("badÿþ.bin ... 100%")));
    EXPECT_EQ(rec.boxes().shown.size(), 1u) << rec.boxes().shown.front().text.toStdString();
    rec.boxes().shown.clear();
  }
}

TEST_F(ReaderTest, EmptyRootGetsOneRowWithoutPathOrParent) {
  const QByteArray root = (dir + QStringLiteral("/leer/")).toUtf8();
  walktest::makeDir(root);
  cat.addVolume(kVid, QString::fromUtf8(root));
  ASSERT_TRUE(reader()->Read(kVid));
  const auto stored = readertest::storedFolders(*cat.db, kVid);
  ASSERT_EQ(stored.size(), 1);
  EXPECT_TRUE(stored[QString()].parent.isNull());
  EXPECT_EQ(stored[QString()].values.totalFiles, 0);
  EXPECT_EQ(rec.boxes().shown.back().text, QStringLiteral("Das Einlesen ist abgeschlossen."));
}

// Cancels at the n-th status text that begins with prefix.
void cancelAt(RecordingOwner& owner, pReader& r, const QString& prefix, int n) {
  auto seen = std::make_shared<int>(0);
  owner.onStatus = [&r, prefix, n, seen](const QString& text) {
    if (text.startsWith(prefix) && ++*seen == n) r.Cancel();
  };
}

TEST_F(ReaderTest, CancelDuringTheWalkOrTheWritesLeavesNoRowOfTheRead) {
  const QByteArray root = makeOddTree(dir);
  cat.addVolume(kVid, QString::fromUtf8(root));
  const struct {
    const char* prefix;
    int n;
  } cases[] = {{"Ordner werden eingelesen ...\r\n", 2}, {"Ordner speichern:", 3}, {"Dateien speichern:", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix);
    rec.boxes().shown.clear();
    auto r = reader();
    cancelAt(owner, *r, QString::fromUtf8(c.prefix), c.n);
    EXPECT_FALSE(r->Read(kVid));
    EXPECT_EQ(rowsOfVolume(), 0);
    EXPECT_EQ(cat.ws->TransactionDepth(), 0);
    ASSERT_EQ(rec.boxes().shown.size(), 1u);
    EXPECT_TRUE(rec.boxes().shown[0].text.endsWith(QStringLiteral("Abbruch durch Benutzer.")));
    EXPECT_TRUE(rec.boxes().shown[0].text.contains(QStringLiteral("pReader: Read")));
    expectOtherVolumeKept();
  }
}

// A cancel that comes while the first status text is shown, before the walk, stops the walk.
TEST_F(ReaderTest, CancelBeforeTheWalkIsNotForgottenByIt) {
  const QByteArray root = makeOddTree(dir);
  cat.addVolume(kVid, QString::fromUtf8(root));
  auto r = reader();
  cancelAt(owner, *r, QStringLiteral("Ordner werden eingelesen ..."), 1);
  EXPECT_FALSE(r->Read(kVid));
  for (const QString& t : owner.texts) EXPECT_FALSE(t.contains(QString::fromUtf8(root) + "sub/")) << t.toStdString();
  EXPECT_EQ(rowsOfVolume(), 0);
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_TRUE(rec.boxes().shown[0].text.endsWith(QStringLiteral("Abbruch durch Benutzer.")));
}

TEST_F(ReaderTest, MissingVolumeRowIsReported) {
  EXPECT_FALSE(reader()->Read(99));
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_TRUE(rec.boxes().shown[0].text.contains(
      QStringLiteral("Das Volume mit der ID 99 wurde nicht in der Volumes-Tabelle gefunden.")));
}

TEST_F(ReaderTest, EmptyVolumePathIsAnErrorNotADoneRead) {
  cat.addVolume(kVid, QString());
  EXPECT_FALSE(reader()->Read(kVid));
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_EQ(rec.boxes().shown[0].style & ui::kCritical, ui::kCritical);
}

// A scripted tree for the failure cases: the walker and the file listing see the same folders.
std::unique_ptr<walktest::FakeDirSource> fakeTree(const QByteArray& badName) {
  auto src = std::make_unique<walktest::FakeDirSource>();
  src->folders["/v/"].entries = {walktest::file("a", 1), walktest::file(badName, 2), walktest::file("c", 3),
                                 walktest::folder("d")};
  src->folders["/v/d/"].entries = {walktest::file("e", 4)};
  return src;
}

// A scripted source that looks into the catalogue whenever a folder is opened.
class WatchedSource final : public dirsrc::DirSource {
 public:
  WatchedSource(std::unique_ptr<walktest::FakeDirSource> inner, std::function<void(const QByteArray&)> onOpen)
      : inner_(std::move(inner)), onOpen_(std::move(onOpen)) {}
  std::unique_ptr<dirsrc::DirListing> open(const QByteArray& path, bool fileFacts) override {
    onOpen_(path);
    return inner_->open(path, fileFacts);
  }

 private:
  std::unique_ptr<walktest::FakeDirSource> inner_;
  std::function<void(const QByteArray&)> onOpen_;
};

// Each folder's rows go in as the walk takes its listing, not after the whole walk; the keys
// still follow the walker's collection, where B (found with A) comes before A's sub-folder.
TEST_F(ReaderTest, RowsGoInWhileTheWalkGoesWithTheKeysOfTheCollection) {
  auto src = std::make_unique<walktest::FakeDirSource>();
  src->folders["/v/"].entries = {walktest::folder("A"), walktest::file("r", 1), walktest::folder("B")};
  src->folders["/v/A/"].entries = {walktest::folder("A1"), walktest::file("a", 2)};
  src->folders["/v/A/A1/"].entries = {walktest::file("x", 3), walktest::file("x2", 4)};
  src->folders["/v/B/"].entries = {walktest::file("y", 5)};
  cat.addVolume(kVid, QStringLiteral("/v/"));
  QMap<QByteArray, int64_t> rowsAtOpen;
  auto watched = std::make_unique<WatchedSource>(std::move(src), [&](const QByteArray& path) {
    rowsAtOpen[path] = cat.count(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE PathID > 40")) +
                       cat.count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 7"));
  });
  ASSERT_TRUE(reader({}, std::move(watched))->Read(kVid));
  // Folder and file rows of every folder before: /v/ (1 + 1), A (1 + 1), B (1 + 1).
  EXPECT_EQ(rowsAtOpen.value("/v/A/A1/"), 6);

  const auto fid = [&](const char* name) {
    return cat.count(QStringLiteral("SELECT FID FROM tblFILES WHERE Filename = '%1'").arg(QLatin1String(name)));
  };
  const int64_t first = fid("r");
  EXPECT_EQ(fid("a"), first + 1);
  EXPECT_EQ(fid("y"), first + 2);
  EXPECT_EQ(fid("x"), first + 3);
  EXPECT_EQ(fid("x2"), first + 4);
  const auto pid = [&](const char* sql) { return cat.count(QString::fromLatin1(sql)); };
  const int64_t root = pid("SELECT PID FROM tblPATHS WHERE VolumeID = 7 AND Path IS NULL");
  EXPECT_EQ(pid("SELECT PID FROM tblPATHS WHERE Path = 'A'"), root + 1);
  EXPECT_EQ(pid("SELECT PID FROM tblPATHS WHERE Path = 'B'"), root + 2);
  EXPECT_EQ(pid("SELECT PID FROM tblPATHS WHERE Path = 'A1'"), root + 3);
  EXPECT_EQ(pid("SELECT Parent FROM tblPATHS WHERE Path = 'A1'"), root + 1);
  // The totals of the folders above are complete.
  EXPECT_EQ(pid("SELECT TotalFiles FROM tblPATHS WHERE VolumeID = 7 AND Path IS NULL"), 5);
  EXPECT_EQ(pid("SELECT TotalDirs FROM tblPATHS WHERE Path = 'A'"), 1);
  EXPECT_EQ(pid("SELECT TotalSize FROM tblPATHS WHERE Path = 'A'"), 9);
}

// File times are stored in local time also right at a zone's changes of offset: those of
// summer time, and one that came in the middle of a quarter hour.
TEST_F(ReaderTest, FileTimesAreLocalAcrossChangesOfOffset) {
  const QByteArray oldTz = qgetenv("TZ");
  struct Restore {
    QByteArray tz;
    ~Restore() {
      if (tz.isNull())
        qunsetenv("TZ");
      else
        qputenv("TZ", tz);
      tzset();
    }
  } restore{oldTz};
  const struct {
    const char* zone;
    std::vector<int64_t> times;
  } cases[] = {
      // 2021-03-28 and 2021-10-31 01:00 UTC: summer time begins and ends; the quarters around.
      {"Europe/Berlin", {1616893199, 1616893200, 1635641999, 1635642000, 1635641100, 1635642899, 0, 1700000000}},
      // 1972-01-07 00:44:30 UTC: from -0:44:30 to UTC, inside the quarter from 00:30 to 00:45.
      {"Africa/Monrovia", {63592200, 63593069, 63593070, 63593071, 63593099}},
  };
  int folder = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zone);
    qputenv("TZ", c.zone);
    tzset();
    cat.db->Execute(QStringLiteral("DELETE FROM tblPATHS WHERE VolumeID = 7"));
    cat.db->Execute(QStringLiteral("DELETE FROM tblVOLUMES WHERE VID = 7"));
    const QByteArray root = (dir + QStringLiteral("/zeiten%1/").arg(++folder)).toUtf8();
    walktest::makeDir(root);
    for (size_t i = 0; i < c.times.size(); ++i) {
      const QByteArray path = root + "f" + QByteArray::number(static_cast<int>(i));
      walktest::writeFile(path, 1);
      const struct timespec ts[2] = {{c.times[i], 0}, {c.times[i], 0}};
      ASSERT_EQ(utimensat(AT_FDCWD, path.constData(), ts, 0), 0);
    }
    cat.addVolume(kVid, QString::fromUtf8(root));
    ASSERT_TRUE(reader()->Read(kVid));
    for (size_t i = 0; i < c.times.size(); ++i) {
      SCOPED_TRACE(c.times[i]);
      const time_t t = static_cast<time_t>(c.times[i]);
      struct tm local;
      ASSERT_TRUE(localtime_r(&t, &local));
      const double expected = 25569.0 + static_cast<double>(c.times[i] + local.tm_gmtoff) / 86400.0;
      // The rows of the zone before went with their folders.
      auto rs = cat.db->OpenRecordset(QStringLiteral("SELECT DateTime FROM tblFILES WHERE Filename = 'f%1'").arg(i),
                                      jet::RecordsetType::Snapshot);
      ASSERT_FALSE(rs->IsEOF());
      EXPECT_EQ(rs->Fields(0).Value().toDouble(), expected);
    }
  }
}

TEST_F(ReaderTest, FailedFileRowAsksAndSkipsOrRollsBack) {
  cat.addVolume(kVid, QStringLiteral("/v/"));
  const QByteArray tooLong(300, 'x');  // longer than the Filename field allows
  for (const int answer : {ui::kAnswerYes, ui::kAnswerNo}) {
    SCOPED_TRACE(answer);
    cat.db->Execute(QStringLiteral("DELETE FROM tblPATHS WHERE VolumeID = 7"));
    rec.boxes().shown.clear();
    rec.boxes().script(answer);
    auto r = reader({}, fakeTree(tooLong), fakeTree(tooLong));
    const bool ok = r->Read(kVid);
    ASSERT_GE(rec.boxes().shown.size(), 1u);
    const ui::MessageBoxRequest& q = rec.boxes().shown[0];
    EXPECT_EQ(q.style, ui::kYesNo + ui::kCritical + ui::kDefaultButton2);
    EXPECT_TRUE(q.text.startsWith(QStringLiteral("Beim Lesen der Datei '/v/") + QString::fromUtf8(tooLong)));
    if (answer == ui::kAnswerYes) {
      EXPECT_TRUE(ok);
      // The skipped file's key went to the next file.
      EXPECT_EQ(cat.count(QStringLiteral("SELECT Count(*) FROM tblFILES WHERE PathID > 40")), 3);
      EXPECT_EQ(cat.count(QStringLiteral("SELECT FID FROM tblFILES WHERE Filename = 'c'")), 92);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(rowsOfVolume(), 0);
      EXPECT_TRUE(rec.boxes().shown.back().text.endsWith(QStringLiteral("Abbruch durch Benutzer.")));
    }
    expectOtherVolumeKept();
  }
}

// A folder name longer than the Path field ends the read with the field's error, and nothing
// of the read stays.
TEST_F(ReaderTest, FolderNameTooLongForItsFieldFailsTheRead) {
  const QByteArray tooLong(300, 'x');
  auto tree = [&] {
    auto src = std::make_unique<walktest::FakeDirSource>();
    src->folders["/v/"].entries = {walktest::file("a", 1), walktest::folder(tooLong)};
    src->folders["/v/" + tooLong + "/"].entries = {walktest::file("b", 2)};
    return src;
  };
  cat.addVolume(kVid, QStringLiteral("/v/"));
  EXPECT_FALSE(reader({}, tree(), tree())->Read(kVid));
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_TRUE(rec.boxes().shown[0].text.contains(jet::errorText(jet::err::kValueTooLarge)))
      << rec.boxes().shown[0].text.toStdString();
  EXPECT_EQ(rowsOfVolume(), 0);
  expectOtherVolumeKept();
}

// However many files a folder holds, their rows come in listing order with consecutive keys;
// a file whose row fails in the middle of a long folder is asked about and skipped, and its
// key goes to the next file.
TEST_F(ReaderTest, FileRowsOfAnyCountKeepListingOrderAndKeys) {
  const QByteArray tooLong(300, 'x');
  const int counts[] = {1, 2, 31, 32, 33, 64, 70};
  auto tree = [&] {
    auto src = std::make_unique<walktest::FakeDirSource>();
    for (const int n : counts) {
      const QByteArray name = "n" + QByteArray::number(n);
      src->folders["/v/"].entries.push_back(walktest::folder(name));
      auto& entries = src->folders["/v/" + name + "/"].entries;
      for (int i = 0; i < n; ++i) entries.push_back(walktest::file(name + "f" + QByteArray::number(i), i));
      if (n == 70) entries.insert(entries.begin() + 40, walktest::file(tooLong, 1));
    }
    return src;
  };
  cat.addVolume(kVid, QStringLiteral("/v/"));
  rec.boxes().script(ui::kAnswerYes);
  ASSERT_TRUE(reader({}, tree(), tree())->Read(kVid));
  ASSERT_EQ(rec.boxes().shown.size(), 2u);  // the failed row, then "done"

  QStringList expected;
  for (const int n : counts)
    for (int i = 0; i < n; ++i) expected << QStringLiteral("n%1f%2 %3").arg(n).arg(i).arg(i);
  QStringList stored;
  int64_t previous = 0;
  auto rs = cat.db->OpenRecordset(QStringLiteral("SELECT FID, Filename, Filesize FROM tblFILES WHERE PathID > 40 "
                                                 "ORDER BY FID"),
                                  jet::RecordsetType::Snapshot);
  for (; !rs->IsEOF(); rs->MoveNext()) {
    const int64_t fid = rs->Fields(0).Value().toLong();
    if (previous != 0) {
      EXPECT_EQ(fid, previous + 1) << rs->Fields(1).Value().toText().toStdString();
    }
    previous = fid;
    stored << rs->Fields(1).Value().toText() + QStringLiteral(" ") + QString::number(rs->Fields(2).Value().toLong());
  }
  EXPECT_EQ(stored, expected);
}

// A disk that fills up during the read ends it at once with the disk-full error: no question
// about skipping each file, no word of a cancel, nothing of the read left. The catalogue is
// limited to its pages, or (in a child, where it can be) lies on a small file system of its own
// that really fills up.
TEST_F(ReaderTest, AFullDiskEndsTheReadAtOnceWithItsError) {
  cat.addVolume(kVid, QStringLiteral("/v/"));
  const auto manyFiles = [] {
    auto src = std::make_unique<walktest::FakeDirSource>();
    for (int i = 0; i < 3000; ++i)
      src->folders["/v/"].entries.push_back(
          walktest::file("eine Datei mit einem recht langen Namen " + QByteArray::number(i), i));
    return src;
  };
  // 0 when the read ended as it should, else what went wrong.
  const auto readOnFullDisk = [&](Catalogue& c, BoxRecorder& boxes) -> int {
    const auto pragma = [&](const QString& text) {
      auto q = c.db->OpenNativeQuery(QStringLiteral("PRAGMA ") + text);
      return q->Next() ? q->Long(0) : -1;
    };
    // Pages go to the file early, as they would in a long read.
    pragma(QStringLiteral("cache_size = 8"));
    pReaderSettings settings;
    settings.wait = [](int32_t) {};
    pReader r(c.ws, c.db, settings, &owner, manyFiles(), manyFiles());
    if (r.Read(kVid)) return 20;
    if (boxes.boxes().shown.size() != 1) return 21;
    const QString text = boxes.boxes().shown[0].text;
    if (!text.contains(jet::errorText(jet::err::kDiskFull)) &&
        !text.contains(jet::errorText(jet::err::kTransactionLost)))
      return 22;
    if (text.contains(QStringLiteral("Abbruch")) || text.contains(QStringLiteral("übergangen"))) return 23;
    if (c.ws->TransactionDepth() != 0) return 24;
    if (c.count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 7")) != 0) return 25;
    return 0;
  };

  {
    SCOPED_TRACE("the catalogue may not grow");
    auto q = cat.db->OpenNativeQuery(QStringLiteral("PRAGMA page_count"));
    ASSERT_TRUE(q->Next());
    const int64_t pages = q->Long(0);
    q.reset();
    cat.db->OpenNativeQuery(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 2))->Next();
    const int code = readOnFullDisk(cat, rec);
    QStringList shown;
    for (const auto& b : rec.boxes().shown) shown << b.text;
    EXPECT_EQ(code, 0) << shown.join(QStringLiteral("\n---\n")).toStdString();
    expectOtherVolumeKept();
  }
  {
    SCOPED_TRACE("the file system fills up");
    const QString mnt = dir + QStringLiteral("/klein");
    ASSERT_TRUE(QDir().mkpath(mnt));
    const QString source = cat.path;
    cat.db->Close();
    const int code = walktest::inChild([&] {
      const QByteArray size = "size=" + QByteArray::number(QFileInfo(source).size() + 96 * 1024);
      if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          mount("tmpfs", QFile::encodeName(mnt).constData(), "tmpfs", 0, size.constData()) != 0)
        return walktest::kSkipCode;
      Catalogue small;
      small.path = mnt + QStringLiteral("/Katalog.qvk");
      if (!QFile::copy(source, small.path)) return 10;
      small.ws = cat.ws;
      small.db = cat.ws->OpenDatabase(small.path, false);
      BoxRecorder boxes;
      return readOnFullDisk(small, boxes);
    });
    if (code == walktest::kSkipCode) GTEST_SKIP() << "no private mount namespace";
    EXPECT_EQ(code, 0);
  }
}

TEST_F(ReaderTest, FailedTestReadAsksWhetherToCancel) {
  cat.addVolume(kVid, QStringLiteral("/v/"));  // the fake files do not exist: every test read fails
  for (const int answer : {ui::kAnswerNo, ui::kAnswerYes}) {
    SCOPED_TRACE(answer);
    cat.db->Execute(QStringLiteral("DELETE FROM tblPATHS WHERE VolumeID = 7"));
    rec.boxes().shown.clear();
    rec.boxes().answers.assign(4, answer);
    auto r = reader({}, fakeTree("b"), fakeTree("b"));
    r->setFileRead(true);
    const bool ok = r->Read(kVid);
    const ui::MessageBoxRequest& q = rec.boxes().shown[0];
    EXPECT_EQ(q.style, ui::kYesNo + ui::kCritical);
    EXPECT_TRUE(q.text.startsWith(QStringLiteral("Fehler beim Lesen der Datei '/v/a':\r\nFehler Nr. ")));
    EXPECT_TRUE(q.text.endsWith(QStringLiteral("Soll das Einlesen abgebrochen werden?")));
    if (answer == ui::kAnswerNo) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(rec.boxes().shown.size(), 5u);  // four questions, then "done"
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(rowsOfVolume(), 0);
      EXPECT_EQ(rec.boxes().shown.size(), 2u);
    }
  }
}

// Any failure, not only the program's own errors, ends in the box with everything rolled back.
TEST_F(ReaderTest, OutOfMemoryWhileWritingRollsBack) {
  struct Exhausted final : dirsrc::DirSource {
    struct Listing final : dirsrc::DirListing {
      bool next(dirsrc::DirEntry&) override { throw std::bad_alloc(); }
    };
    std::unique_ptr<dirsrc::DirListing> open(const QByteArray&, bool) override { return std::make_unique<Listing>(); }
  };
  cat.addVolume(kVid, QStringLiteral("/v/"));
  std::unique_ptr<pReader> r = reader({}, fakeTree("b"), std::make_unique<Exhausted>());
  bool ok = true;
  EXPECT_NO_THROW(ok = r->Read(kVid));
  EXPECT_FALSE(ok);
  EXPECT_EQ(cat.ws->TransactionDepth(), 0);
  EXPECT_EQ(rowsOfVolume(), 0);
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_TRUE(rec.boxes().shown[0].text.contains(QStringLiteral("Nicht genügend Speicher.")));
  EXPECT_EQ(owner.texts.last(), QString());
  expectOtherVolumeKept();
}

TEST_F(ReaderTest, PauseComesOnceMoreFilesThanTheLimitWereWritten) {
  auto src = [] {
    auto s = std::make_unique<walktest::FakeDirSource>();
    s->folders["/v/"].entries = {walktest::folder("a"), walktest::folder("b"), walktest::folder("c")};
    for (const QByteArray f : {"/v/a/", "/v/b/", "/v/c/"})
      s->folders[f].entries = {walktest::file("1", 1), walktest::file("2", 1), walktest::file("3", 1)};
    return s;
  };
  cat.addVolume(kVid, QStringLiteral("/v/"));
  const struct {
    int duration, files;
    std::vector<int32_t> waits;
  } cases[] = {
      {50, 5, {50}},      // counters 0, 0, 3, 6: 6 > 5 before the last folder
      {50, 2, {50, 50}},  // 3 > 2 before b, reset, 3 > 2 again before c
      {50, 3, {50}},      // 3 is not more than 3; 6 before c is
      {50, 6, {}},        // never more than 6 before a folder
      {0, 0, {}},         // duration 0: never
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.files);
    cat.db->Execute(QStringLiteral("DELETE FROM tblPATHS WHERE VolumeID = 7"));
    waits.clear();
    owner.texts.clear();
    pReaderSettings s;
    s.ReadingBreakDuration = c.duration;
    s.ReadingBreakFiles = c.files;
    ASSERT_TRUE(reader(s, src(), src())->Read(kVid));
    EXPECT_EQ(waits, c.waits);
    EXPECT_EQ(owner.texts.contains(QStringLiteral("Pause (50 ms) ...")), !c.waits.empty());
  }
}

TEST_F(ReaderTest, MemoRuleTakesTheFirstNonEmptyMatch) {
  const QByteArray root = (dir + QStringLiteral("/m/")).toUtf8();
  walktest::makeDir(root);
  writeText(root + "readme.txt", "");
  writeText(root + "LIESMICH.TXT", "Inhalt");
  writeText(root + "b.nfo", "zweites");
  writeText(root + "a.NFO", "");
  writeText(root + ".c.nfo", "versteckt");
  cat.addVolume(kVid, QString::fromUtf8(root));
  const struct {
    QStringList memo;
    bool skipHidden;
    const char* expected;
  } cases[] = {
      {{"readme.txt", "liesmich.txt"}, false, "Inhalt"},
      {{"*.nfo"}, true, nullptr},  // the first match (a.NFO) is empty: no memo
      {{"*.nfo", "readme.txt", "x*", "liesmich.txt"}, true, "Inhalt"},
      {{"*.nfo"}, false, "versteckt"},  // hidden files take part unless skipped
      {{"", "fehlt.txt"}, false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.memo.join('|').toStdString());
    cat.db->Execute(QStringLiteral("DELETE FROM tblPATHS WHERE VolumeID = 7"));
    pReaderSettings s;
    s.AutoMemoCol = c.memo;
    auto r = reader(s);
    r->setSkipHidden(c.skipHidden);
    ASSERT_TRUE(r->Read(kVid));
    const rt::Variant memo = readertest::storedFolders(*cat.db, kVid)[QString()].memo;
    if (c.expected)
      EXPECT_EQ(memo.toText(), QString::fromUtf8(c.expected));
    else
      EXPECT_TRUE(memo.isNull());
  }
}

TEST_F(ReaderTest, UnreadableMemoFileFailsTheRead) {
  cat.addVolume(kVid, QStringLiteral("/v/"));
  auto src = [] {
    auto s = std::make_unique<walktest::FakeDirSource>();
    s->folders["/v/"].entries = {walktest::file("readme.txt", 10)};  // listed, but not on disk
    return s;
  };
  pReaderSettings s;
  s.AutoMemoCol = {QStringLiteral("readme.txt")};
  EXPECT_FALSE(reader(s, src(), src())->Read(kVid));
  EXPECT_EQ(rowsOfVolume(), 0);
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_TRUE(rec.boxes().shown[0].text.contains(QStringLiteral("Fehler beim Lesen der Datei '/v/readme.txt':")));
  EXPECT_TRUE(rec.boxes().shown[0].text.contains(QStringLiteral("Prüfen Sie bitte, ob das Medium lesbar")));
}

TEST_F(ReaderTest, MemoFileTooLargeToReadFailsTheRead) {
  const QByteArray root = (dir + QStringLiteral("/gross/")).toUtf8();
  walktest::makeDir(root);
  writeText(root + "readme.txt", "");
  ASSERT_EQ(truncate((root + "readme.txt").constData(), 64LL * 1024 * 1024 + 1), 0);  // sparse
  cat.addVolume(kVid, QString::fromUtf8(root));
  pReaderSettings s;
  s.AutoMemoCol = {QStringLiteral("readme.txt")};
  EXPECT_FALSE(reader(s)->Read(kVid));
  EXPECT_EQ(rowsOfVolume(), 0);
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  const QString text = rec.boxes().shown[0].text;
  EXPECT_TRUE(text.contains(QStringLiteral("Fehler beim Lesen der Datei '") + QString::fromUtf8(root) +
                            QStringLiteral("readme.txt':")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("zu groß"))) << text.toStdString();
}

// As "nobody": a folder of root's with mode 0700 cannot be listed.
TEST_F(ReaderTest, UnreadableFolderIsNamedInsteadOfReportingSuccess) {
  const QString base = testenv::freshTempDir();
  chmod(base.toUtf8().constData(), 0777);
  const QByteArray root = (base + QStringLiteral("/t/")).toUtf8();
  walktest::makeDir(root);
  walktest::writeFile(root + "ok.txt", 3);
  walktest::makeDir(root + "geheim");
  walktest::writeFile(root + "geheim/x", 3);
  chmod((root + "geheim").constData(), 0700);
  const int code = walktest::inChild([&] {
    if (!walktest::dropPrivileges()) return walktest::kSkipCode;
    Catalogue c;
    c.create(base, true);
    c.addVolume(kVid, QString::fromUtf8(root));
    BoxRecorder boxes;
    pReader r(c.ws, c.db, pReaderSettings{});
    if (!r.Read(kVid)) return 10;
    if (boxes.boxes().shown.size() != 1) return 11;
    const ui::MessageBoxRequest& b = boxes.boxes().shown[0];
    if (b.style != ui::kExclamation) return 12;
    if (!b.text.startsWith(QStringLiteral("Das Einlesen ist abgeschlossen."))) return 13;
    if (!b.text.contains(QString::fromUtf8(root) + QStringLiteral("geheim/"))) return 14;
    if (c.count(QStringLiteral("SELECT Count(*) FROM tblPATHS WHERE VolumeID = 7")) != 2) return 15;
    return 0;
  });
  if (code == walktest::kSkipCode) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
}

// A file system mounted below the root is recorded as a folder, but nothing of it is read.
TEST_F(ReaderTest, NestedMountIsRecordedButNotRead) {
  const QByteArray root = makeOddTree(dir);
  const QByteArray mnt = root + "mnt";
  walktest::makeDir(mnt);
  cat.addVolume(kVid, QString::fromUtf8(root));
  const QString catPath = cat.path;
  cat.db->Close();
  const int code = walktest::inChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", mnt.constData(), "tmpfs", 0, nullptr) != 0)
      return walktest::kSkipCode;
    walktest::makeDir(mnt + "/drin");
    walktest::writeFile(mnt + "/datei", 5);
    auto db = cat.ws->OpenDatabase(catPath, false);
    BoxRecorder boxes;
    pReader r(cat.ws, db, pReaderSettings{});
    if (!r.Read(kVid)) return 10;
    const auto stored = readertest::storedFolders(*db, kVid);
    if (!stored.contains(QStringLiteral("mnt"))) return 11;
    if (stored.contains(QStringLiteral("mnt/drin"))) return 12;
    if (!stored[QStringLiteral("mnt")].values.allFiles.isEmpty()) return 13;
    if (boxes.boxes().shown.size() != 1 || boxes.boxes().shown[0].style != ui::kInformation) return 14;
    return 0;
  });
  if (code == walktest::kSkipCode) GTEST_SKIP() << "no private mount namespace";
  EXPECT_EQ(code, 0);
}

// Every row of the read's two tables, keys included, as text.
QStringList rowsOfBothTables(jet::Database& db) {
  QStringList rows;
  for (const char* sql : {"SELECT * FROM tblPATHS ORDER BY PID", "SELECT * FROM tblFILES ORDER BY FID"}) {
    auto rs = db.OpenRecordset(QString::fromLatin1(sql), jet::RecordsetType::Snapshot);
    for (; !rs->IsEOF(); rs->MoveNext()) {
      QStringList values;
      for (int i = 0; i < rs->FieldCount(); ++i) {
        const rt::Variant v = rs->Fields(i).Value();
        values << (v.isNull() ? QStringLiteral("<Null>") : v.toText());
      }
      rows << values.join(QLatin1Char('|'));
    }
  }
  return rows;
}

// The same odd tree read with folders listed ahead on threads and without: the same rows,
// keys and boxes, and a cancel anywhere leaves nothing either way. In a child, where it can
// be, as an ordinary user (a folder it cannot list) with another file system mounted inside.
TEST_F(ReaderTest, ListingAheadOnThreadsStoresWhatOneThreadStores) {
  const QString base = testenv::freshTempDir();
  chmod(base.toUtf8().constData(), 0777);
  const QByteArray root = makeOddTree(base);
  // Wide and deep enough that the threads run ahead of the walk.
  for (int a = 0; a < 6; ++a) {
    const QByteArray wide = root + "wide " + QByteArray::number(a);
    walktest::makeDir(wide);
    for (int b = 0; b < 5; ++b) {
      const QByteArray d = wide + "/tief \xc3\xa4" + QByteArray::number(b);
      walktest::makeDir(d);
      for (int f = 0; f < 7; ++f) walktest::writeFile(d + "/f" + QByteArray::number(f), f * 10);
    }
  }
  walktest::makeDir(root + "geheim");
  walktest::writeFile(root + "geheim/x", 3);
  chmod((root + "geheim").constData(), 0700);
  const QByteArray mnt = root + "mnt";
  walktest::makeDir(mnt);

  const auto body = [&] {
    // Each part where the system allows it; the comparison holds either way.
    if (unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mount("tmpfs", mnt.constData(), "tmpfs", 0, nullptr) == 0) {
      walktest::makeDir(mnt + "/drin");
      walktest::writeFile(mnt + "/datei", 5);
    }
    walktest::dropPrivileges();
    struct Outcome {
      QStringList rows;
      QStringList boxes;
    };
    int reads = 0;
    const auto read = [&](int threads, const QString& cancelPrefix, int cancelAfter, Outcome& out) {
      const QString d = base + QStringLiteral("/Katalog ") + QString::number(++reads);
      QDir().mkpath(d);
      Catalogue c;
      c.create(d, true);
      c.addVolume(kVid, QString::fromUtf8(root));
      BoxRecorder boxes;
      RecordingOwner watcher;
      pReaderSettings s;
      s.ListThreads = threads;
      s.AutoMemoCol = {QStringLiteral("readme"), QStringLiteral("liesmich.txt")};
      pReader r(c.ws, c.db, s, &watcher);
      if (cancelAfter > 0) cancelAt(watcher, r, cancelPrefix, cancelAfter);
      const bool ok = r.Read(kVid);
      out.rows = rowsOfBothTables(*c.db);
      for (const auto& b : boxes.boxes().shown) out.boxes << b.text;
      return ok && c.ws->TransactionDepth() == 0;
    };
    Outcome one, ahead;
    if (!read(0, QString(), 0, one)) return 10;
    if (!read(3, QString(), 0, ahead)) return 11;
    if (one.rows.size() < 250) return 12;
    if (ahead.rows != one.rows) return 13;
    if (ahead.boxes != one.boxes) return 14;
    const struct {
      const char* prefix;
      int n;
    } cancels[] = {{"Ordner werden eingelesen ...\r\n", 1},
                   {"Ordner werden eingelesen ...\r\n", 20},
                   {"Ordner speichern:", 1},
                   {"Ordner speichern:", 25},
                   {"Dateien speichern:", 10}};
    for (const int threads : {0, 3})
      for (const auto& c : cancels) {
        Outcome out;
        if (read(threads, QString::fromUtf8(c.prefix), c.n, out)) return 20;
        if (out.rows.size() != 0) return 21;  // the template holds no folder or file row
        if (out.boxes.size() != 1 || !out.boxes[0].endsWith(QStringLiteral("Abbruch durch Benutzer."))) return 22;
      }
    return 0;
  };
  const int code = walktest::inChild(body);
  EXPECT_EQ(code, 0);
}

}  // namespace
