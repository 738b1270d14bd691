#include "foundation/mdlQZLib51_compact.h"
#include "foundation/mdlQZLib51_drives.h"
#include "foundation/mdlQZLib51_libmsg.h"
#include "foundation/mdlQZLib51_text.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/FileReplacement.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/CatalogueChecks.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

QString q(const char* s) { return QString::fromUtf8(s); }

using testenv::contentOf;
using testenv::modeOf;
using testenv::writeFile;

// A catalogue from the built template with many rows of which most are deleted again, so that
// compaction has room to give back.
class CompactDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    path = dir + q("/Archiv.qvk");
    temp = dir + q("/~db.tmp");
    ASSERT_TRUE(testenv::copyTemplate(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    auto ws = open();
    auto db = ws->Databases().front();
    db->Execute(q("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (1, 'Musik')"));
    const QString filler(200, QLatin1Char('x'));
    ws->BeginTrans();
    for (int i = 1; i <= 2000; ++i)
      db->Execute(q("INSERT INTO tblCATEGORIES (CID, CatName, CatDescription) VALUES (?, ?, ?)"), 0,
                  {rt::Variant(i + 1), rt::Variant(QString::number(i)), rt::Variant(filler)});
    ws->CommitTrans();
    db->Execute(q("DELETE FROM tblCATEGORIES WHERE CID > 1"));
    ws->Close();
  }

  std::shared_ptr<jet::Workspace> open() {
    auto ws = testenv::catalogueWorkspace(engine);
    ws->OpenDatabase(path, false);
    return ws;
  }

  int64_t categories() {
    auto ws = open();
    auto rs =
        ws->Databases().front()->OpenRecordset(q("SELECT count(*) FROM tblCATEGORIES"), jet::RecordsetType::Snapshot);
    const int64_t n = rs->Fields(0).Value().toLong();
    ws->Close();
    return n;
  }

  // The real steps, with free space fixed.
  CompactionSteps stepsWithFree(double free) {
    CompactionSteps s = defaultCompactionSteps();
    s.freeSpace = [free](const QString&) { return free; };
    return s;
  }

  QString dir, path, temp;
  jet::Engine engine;
};

// A second program on the catalogue that adds the category row cid (see writer/): with wait,
// it opens the file, says "open" and writes once it is told to go on.
class SecondProgram {
 public:
  SecondProgram(const QString& path, int cid, bool wait) {
    QStringList args{path, QString::number(cid)};
    if (wait) args << q("--wait");
    process_.start(testenv::binDir() + q("/catalogue_writer"), args);
  }
  ~SecondProgram() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(60000)) process_.kill();
  }
  // The next line it prints: "open", "ok" or "error <number>"; "" when it ended without one.
  QString said() {
    while (!process_.canReadLine() && process_.waitForReadyRead(60000)) {
    }
    return QString::fromUtf8(process_.canReadLine() ? process_.readLine() : process_.readAll()).trimmed();
  }
  void goOn() { process_.write("\n"); }

 private:
  QProcess process_;
};

}  // namespace

// A second program that writes while the compacted copy takes the catalogue's place: it is
// told the file is in use, or its row is in the catalogue; never "done" and gone.
TEST_F(CompactDatabaseTest, ASecondProgramWritingMeanwhileIsRefusedOrKept) {
  struct Outcome {
    const char* when;
    int cid;
    QString said;
  };
  std::vector<Outcome> outcomes;
  std::unique_ptr<SecondProgram> late;
  QString lateOpen;
  CompactionSteps s = stepsWithFree(0);
  s.replace = [&](const QString& from, const QString& to) {
    outcomes.push_back(
        {"opened and wrote before the copy took the place", 5001, SecondProgram(path, 5001, false).said()});
    late = std::make_unique<SecondProgram>(path, 5002, true);
    lateOpen = late->said();
    rt::renameDurably(from, to);
  };
  ASSERT_EQ(CompactDatabaseFile(path, q("~db.tmp"), s), QString());
  if (lateOpen == q("open")) {
    late->goOn();
    lateOpen = late->said();
  }
  outcomes.push_back({"opened before, wrote after the copy took the place", 5002, lateOpen});
  late.reset();
  // Once the copy is in place the catalogue is open to others again.
  outcomes.push_back({"opened after the compaction", 5003, SecondProgram(path, 5003, false).said()});

  const testenv::RawCatalogue raw(path);
  EXPECT_EQ(raw.integrityCheck(), q("ok"));
  for (const Outcome& o : outcomes) {
    SCOPED_TRACE(o.when);
    const int64_t rows =
        raw.count(QStringLiteral("SELECT Count(*) FROM tblCATEGORIES WHERE CID = %1").arg(o.cid).toUtf8().constData());
    if (o.said == q("ok")) {
      EXPECT_EQ(rows, 1) << "told it was stored, but the row is gone";
    } else {
      EXPECT_EQ(o.said, q("error 3045"));
    }
  }
  EXPECT_EQ(outcomes.back().said, q("ok"));
}

TEST_F(CompactDatabaseTest, ReplacesTheFileByItsCompactedCopy) {
  const qint64 before = QFileInfo(path).size();
  const mode_t mode = modeOf(path);
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp")), QString());
  EXPECT_LT(QFileInfo(path).size(), before);
  EXPECT_FALSE(QFileInfo::exists(temp));
  EXPECT_EQ(modeOf(path), mode);
  EXPECT_EQ(categories(), 1);
}

TEST_F(CompactDatabaseTest, FreeSpaceAtOrBelowTheNeedStopsBeforeAnythingIsWritten) {
  const QByteArray original = contentOf(path);
  const double need = static_cast<double>(original.size()) + 1048576.0;
  const QString drive = GetDriveSpec(path);
  const QString expected = q("Zu wenig Speicherplatz auf Laufwerk '") + drive + q("'.\r\nEs werden ") +
                           FormatFileSize(need, 4, 1).toText() + q(" benötigt.");
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp"), stepsWithFree(need)), expected);
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp"), stepsWithFree(1)), expected);
  EXPECT_EQ(contentOf(path), original);
  EXPECT_FALSE(QFileInfo::exists(temp));

  // One byte more than needed, or no reading at all, lets it run.
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp"), stepsWithFree(need + 1)), QString());
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp"), stepsWithFree(0)), QString());
  EXPECT_EQ(categories(), 1);
}

TEST_F(CompactDatabaseTest, ALeftoverTemporaryFileStopsIt) {
  writeFile(temp, "alt");
  const QByteArray original = contentOf(path);
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp")),
            q("Die Temp-Datei '") + temp + q("' existiert bereits.\r\nBitte manuell löschen!"));
  EXPECT_EQ(contentOf(path), original);
  EXPECT_EQ(contentOf(temp), QByteArray("alt"));
}

TEST_F(CompactDatabaseTest, ACatalogueInUseIsLeftAsItIs) {
  const QByteArray original = contentOf(path);
  auto holder = open();
  const QString result = CompactDatabaseFile(path, q("~db.tmp"));
  EXPECT_FALSE(result.isEmpty());
  EXPECT_FALSE(result.contains(GetLibMessageText(6).left(20))) << result.toStdString();
  holder->Close();
  EXPECT_EQ(contentOf(path), original);
  EXPECT_FALSE(QFileInfo::exists(temp));
}

TEST_F(CompactDatabaseTest, AFileThatIsNoCatalogueOrIsMissingIsReportedNotLost) {
  const QString text = dir + q("/notes.qvk");
  writeFile(text, "nur Text, keine Datenbank");
  EXPECT_FALSE(CompactDatabaseFile(text, q("~db.tmp")).isEmpty());
  EXPECT_EQ(contentOf(text), QByteArray("nur Text, keine Datenbank"));
  EXPECT_FALSE(QFileInfo::exists(temp));

  // A file that was never there was not deleted: no alarm about a lost catalogue.
  const QString missing = CompactDatabaseFile(dir + q("/fehlt.qvk"), q("~db.tmp"));
  EXPECT_FALSE(missing.isEmpty());
  EXPECT_FALSE(missing.contains(q("gelöscht"))) << missing.toStdString();
}

TEST_F(CompactDatabaseTest, AFailingReplaceKeepsTheOriginal) {
  const QByteArray original = contentOf(path);
  CompactionSteps s = stepsWithFree(0);
  s.replace = [](const QString&, const QString&) {
    throw rt::RaisedError(75, q("mdlLib"), q("Umbenennen fehlgeschlagen"));
  };
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp"), s), q("Umbenennen fehlgeschlagen"));
  EXPECT_EQ(contentOf(path), original);
  EXPECT_FALSE(QFileInfo::exists(temp));
}

TEST_F(CompactDatabaseTest, RepairsWhenTheOriginalVanishedDuringTheReplace) {
  CompactionSteps s = stepsWithFree(0);
  s.replace = [](const QString&, const QString& to) {
    QFile::remove(to);
    throw rt::RaisedError(75, q("mdlLib"), q("Umbenennen fehlgeschlagen"));
  };
  // The compacted copy takes the database's place.
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp"), s), q("Umbenennen fehlgeschlagen"));
  EXPECT_TRUE(QFileInfo::exists(path));
  EXPECT_FALSE(QFileInfo::exists(temp));
  EXPECT_EQ(categories(), 1);

  // With the copy gone too, the user is told the catalogue was lost.
  s.replace = [](const QString& from, const QString& to) {
    QFile::remove(to);
    QFile::remove(from);
    throw rt::RaisedError(75, q("mdlLib"), q("Umbenennen fehlgeschlagen"));
  };
  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp"), s),
            q("Umbenennen fehlgeschlagen\r\nDurch einen schweren Fehler wurde die Datenbank '") + path +
                q("'' gelöscht!\r\nVersuchen Sie bitte, sie über den Papierkorb wiederherzustellen."));
}

TEST_F(CompactDatabaseTest, AJournalLeftByACrashIsRolledBackFirst) {
  ASSERT_TRUE(testenv::crashMidTransaction(path));
  const QString journal = path + q("-journal");
  ASSERT_GT(QFileInfo(journal).size(), 0);

  EXPECT_EQ(CompactDatabaseFile(path, q("~db.tmp")), QString());
  EXPECT_FALSE(QFileInfo::exists(journal));
  EXPECT_FALSE(QFileInfo::exists(temp));
  // What was committed is there, the cut-off transaction is not.
  EXPECT_EQ(categories(), 1);
}
