// A compaction killed with SIGKILL at each stage of its work, in a child process: whatever the
// moment, the catalogue opens afterwards, passes SQLite's check and holds every committed row.
#include "foundation/mdlQZLib51_compact.h"
#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Recordset.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/FileReplacement.h"
#include "tests/support/CatalogueChecks.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace {

QString q(const char* s) { return QString::fromUtf8(s); }

constexpr int kRows = 60000;

class CompactKilledTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    path = dir + q("/Archiv.qvk");
    temp = dir + q("/~db.tmp");
    ASSERT_TRUE(testenv::copyTemplate(path));
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    auto db = ws->OpenDatabase(path, false);
    // Rows that stay and many that are deleted again: the copy has much to write and much to
    // leave out, and takes long enough to be caught in the middle.
    const QString filler(250, QLatin1Char('x'));
    ws->BeginTrans();
    for (int i = 1; i <= kRows; ++i)
      db->Execute(q("INSERT INTO tblCATEGORIES (CID, CatName, CatDescription) VALUES (?, ?, ?)"), 0,
                  {rt::Variant(i), rt::Variant(i % 3 == 0 ? q("weg") : QString::number(i)), rt::Variant(filler)});
    ws->CommitTrans();
    db->Execute(q("DELETE FROM tblCATEGORIES WHERE CatName = 'weg'"));
    ws->Close();
  }

  QString dir, path, temp;
};

// Waits for one byte on fd; false after the limit.
bool byteArrives(int fd, int limitMs) {
  pollfd p{fd, POLLIN, 0};
  char c = 0;
  return poll(&p, 1, limitMs) == 1 && read(fd, &c, 1) == 1;
}

TEST_F(CompactKilledTest, AKilledCompactionLeavesTheCatalogueWholeAndOpenable) {
  struct Case {
    const char* name;
    // The replace step of the child; tell() reports that the moment to die has come.
    std::function<void(const QString&, const QString&, const std::function<void()>& tell)> replace;
    bool waitForTemp;  // the parent kills as soon as the copy has begun to be written
    bool originalUnchanged;
  };
  const std::vector<Case> cases = {
      {"while the copy is written", [](const QString& from, const QString& to, auto&) { rt::renameDurably(from, to); },
       true, true},
      {"with the copy complete, before it replaces the catalogue",
       [](const QString&, const QString&, const std::function<void()>& tell) { tell(); }, false, true},
      {"right after the copy replaced the catalogue",
       [](const QString& from, const QString& to, const std::function<void()>& tell) {
         rt::renameDurably(from, to);
         tell();
       },
       false, false},
  };
  const QByteArray original = testenv::contentOf(path);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(QFile::remove(path));
    testenv::writeFile(path, original);
    QFile::remove(temp);

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      close(ready[0]);
      CompactionSteps steps = defaultCompactionSteps();
      steps.freeSpace = [](const QString&) { return 0.0; };
      const auto tell = [&] {
        if (write(ready[1], "k", 1) != 1) _exit(3);
        for (;;) pause();
      };
      steps.replace = [&](const QString& from, const QString& to) { c.replace(from, to, tell); };
      CompactDatabaseFile(path, q("~db.tmp"), steps);
      _exit(4);
    }
    close(ready[1]);
    bool reached = false;
    if (c.waitForTemp) {
      QElapsedTimer waited;
      waited.start();
      while (!reached && waited.elapsed() < 120000) {
        reached = QFileInfo(temp).size() > 0;
        int status = 0;
        if (!reached && waitpid(pid, &status, WNOHANG) == pid) break;
      }
    } else {
      reached = byteArrives(ready[0], 120000);
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(ready[0]);
    ASSERT_TRUE(reached) << "the child never got there";
    ASSERT_TRUE(WIFSIGNALED(status));

    // Killed before the copy took the catalogue's place, the copy is left over beside it (and
    // the next compaction asks for it to be deleted by hand).
    EXPECT_EQ(QFileInfo::exists(temp), c.originalUnchanged);
    if (c.originalUnchanged) {
      EXPECT_EQ(testenv::contentOf(path), original);
      EXPECT_LT(QFileInfo(temp).size(), QFileInfo(path).size());
    }
    const testenv::RawCatalogue raw(path);
    EXPECT_EQ(raw.integrityCheck(), q("ok"));
    EXPECT_EQ(raw.count("SELECT Count(*) FROM tblCATEGORIES"), kRows - kRows / 3);
    EXPECT_EQ(raw.count("SELECT Count(*) FROM tblCATEGORIES WHERE CatName = 'weg'"), 0);
    // The catalogue opens as the program opens it.
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    EXPECT_NO_THROW(ws->OpenDatabase(path, true));
    ws->Close();
  }
}

}  // namespace
