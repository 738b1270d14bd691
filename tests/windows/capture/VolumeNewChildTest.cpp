// The wizard's read in a child process: killed half-way, and as an ordinary user on a tree
// with a folder it may not list and another file system mounted inside.
#include "ReaderTestSupport.h"
#include "WalkerTestSupport.h"
#include "WizardFixture.h"
#include "tests/support/CatalogueChecks.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class WizardChildTest : public WizardTest {
 protected:
  // The catalogue is given up here, so that only the child holds it while it reads.
  void handOver() { gDB->setDBPath(QString()); }
  // Opens the catalogue again after the child, as the program would (a rollback left behind
  // by a killed writer is done by this open).
  void takeBack() { ASSERT_TRUE(DBOpen(path, 0)); }
};

// Killed while its rows are being written, the read leaves a catalogue that opens, passes
// SQLite's check and holds no row of the volume: not even the volume row.
TEST_F(WizardChildTest, ReadKilledHalfWayLeavesNoRowOfTheVolume) {
  const QByteArray root = (dir + QStringLiteral("/Gross")).toUtf8();
  walktest::makeDir(root);
  for (int d = 0; d < 60; ++d) {
    const QByteArray folder = root + "/Ordner " + QByteArray::number(d);
    walktest::makeDir(folder);
    for (int f = 0; f < 100; ++f)
      walktest::writeFile(folder + "/Datei mit einem längeren Namen " + QByteArray::number(f), 1);
  }
  handOver();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    ::close(ready[0]);
    if (!DBOpen(path, 0)) _exit(10);
    frmVolumeNew w;
    chooserAnswer(QString::fromUtf8(root));
    if (!w.pubGetPath()) _exit(11);
    w.VolumeName()->setText(QStringLiteral("Halb"));
    w.show();
    // Once it writes the files of its folders, the child tells and waits to be killed.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!w.lblStatus()->text().startsWith(QStringLiteral("Dateien speichern:"))) return;
      if (::write(ready[1], "x", 1) != 1) _exit(12);
      for (;;) pause();
    });
    watch.start(0);
    saveWith(w);
    _exit(13);  // the read ended before it was killed
  }
  ::close(ready[1]);
  pollfd p{ready[0], POLLIN, 0};
  const int signalled = poll(&p, 1, 120000);
  char c = 0;
  const bool told = signalled == 1 && ::read(ready[0], &c, 1) == 1;
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ::close(ready[0]);
  ASSERT_TRUE(told) << "exit code " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  ASSERT_TRUE(WIFSIGNALED(status));
  // Killed inside its transaction: the rows it wrote wait in the journal to be undone.
  EXPECT_TRUE(QFile::exists(path + QStringLiteral("-journal")));

  takeBack();
  EXPECT_EQ(volumeRows(), 0);
  EXPECT_EQ(testenv::RawCatalogue(path).integrityCheck(), QStringLiteral("ok"));
  EXPECT_EQ(testenv::RawCatalogue(path).orphanRows(), 0);
  // And the catalogue takes the volume when it is read to its end.
  auto w = wizardFor(QString::fromUtf8(root));
  w->VolumeName()->setText(QStringLiteral("Ganz"));
  saveWith(*w);
  EXPECT_EQ(count(QStringLiteral("SELECT Count(*) FROM tblFILES")), 6000);
}

// As "nobody": a folder of root's with mode 0700 is recorded but cannot be listed, and a file
// system mounted inside the tree is recorded as a folder but not entered. The read says which
// folder is missing instead of claiming success, and keeps everything else.
TEST_F(WizardChildTest, UnreadableFolderAndNestedMountAsAnOrdinaryUser) {
  const QString base = testenv::freshTempDir();
  chmod(base.toUtf8().constData(), 0777);
  const QByteArray root = (base + QStringLiteral("/Medium")).toUtf8();
  walktest::makeDir(root);
  walktest::writeFile(root + "/offen.txt", 3);
  walktest::makeDir(root + "/geheim");
  walktest::writeFile(root + "/geheim/x", 3);
  chmod((root + "/geheim").constData(), 0700);
  walktest::makeDir(root + "/eingehängt");
  walktest::makeDir(root + "/Unterordner");
  walktest::writeFile(root + "/Unterordner/y", 4);
  // The child, as nobody, must write the catalogue and its journal beside it.
  const QString shared = base + QStringLiteral("/kat.qvk");
  ASSERT_TRUE(QFile::copy(path, shared));
  chmod(shared.toUtf8().constData(), 0666);
  handOver();
  path = shared;

  const int code = walktest::inChild([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", (root + "/eingehängt").constData(), "tmpfs", 0, "mode=0777") != 0)
      return walktest::kSkipCode;
    walktest::makeDir(root + "/eingehängt/drin");
    walktest::writeFile(root + "/eingehängt/datei", 5);
    if (!walktest::dropPrivileges()) return walktest::kSkipCode;
    if (!DBOpen(shared, 0)) return 10;
    frmVolumeNew w;
    chooserAnswer(QString::fromUtf8(root));
    if (!w.pubGetPath()) return 11;
    w.VolumeName()->setText(QStringLiteral("Medium"));
    w.show();
    boxes->shown.clear();
    saveWith(w);
    if (w.pubGetVID() != 1 || w.chkCancel() != 0) return 12;
    if (boxes->shown.size() != 1) return 13;
    const ui::MessageBoxRequest& b = boxes->shown[0];
    if (b.style != ui::kExclamation || !b.text.startsWith(QStringLiteral("Das Einlesen ist abgeschlossen."))) return 14;
    if (!b.text.contains(QString::fromUtf8(root) + QStringLiteral("/geheim/"))) return 15;
    gDB->setDBPath(QString());
    return 0;
  });
  if (code == walktest::kSkipCode) GTEST_SKIP() << "cannot drop privileges or mount";
  ASSERT_EQ(code, 0);

  takeBack();
  const auto expected =
      readertest::referenceWalk(root, false, {QStringLiteral("geheim"), QStringLiteral("eingehängt")});
  const auto stored = readertest::storedFolders(*gDB->DB(), 1);
  ASSERT_EQ(stored.keys(), expected.keys());
  for (auto it = expected.begin(); it != expected.end(); ++it) {
    SCOPED_TRACE(it.key().toStdString());
    EXPECT_EQ(stored[it.key()].values.allFiles.keys(), it->allFiles.keys());
  }
  EXPECT_TRUE(stored[QStringLiteral("eingehängt")].values.allFiles.isEmpty());
  EXPECT_TRUE(stored[QStringLiteral("geheim")].values.allFiles.isEmpty());
  EXPECT_EQ(testenv::RawCatalogue(path).orphanRows(), 0);
}

}  // namespace
