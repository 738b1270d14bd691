// A file put in place of another: whole or not at all, with the old file's permissions, and
// no temporary file left behind.

#include "platform/runtime/FileReplacement.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <thread>

namespace {

using testenv::contentOf;
using testenv::modeOf;
using testenv::writeFile;

QStringList filesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class FileReplacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = testenv::freshTempDir();
    target = dir + QStringLiteral("/ziel.dat");
  }
  QString dir, target;
};

TEST_F(FileReplacementTest, ReplacesTheContentAndKeepsThePermissions) {
  writeFile(target, "alt");
  ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
  rt::replaceFileContent(target, "neu");
  EXPECT_EQ(contentOf(target), "neu");
  EXPECT_EQ(modeOf(target), 0640u);

  rt::FileReplacement chosen(target);
  chosen.write("frei", 0600);
  chosen.commit();
  EXPECT_EQ(contentOf(target), "frei");
  EXPECT_EQ(modeOf(target), 0600u);
  EXPECT_EQ(filesIn(dir), QStringList{"ziel.dat"});
}

TEST_F(FileReplacementTest, ThroughALinkTheFileItPointsToIsReplaced) {
  const QString real = dir + QStringLiteral("/echt.dat");
  writeFile(real, "alt");
  ASSERT_TRUE(QFile::link(real, target));
  rt::replaceFileContent(target, "neu");
  EXPECT_TRUE(QFileInfo(target).isSymLink());
  EXPECT_EQ(contentOf(real), "neu");
}

TEST_F(FileReplacementTest, AFileWrittenByOthersAtTheTemporaryPathTakesThePlace) {
  writeFile(target, "alt");
  rt::FileReplacement r(target);
  EXPECT_EQ(QFileInfo(r.tempPath()).absolutePath(), dir);
  writeFile(r.tempPath(), "von anderswo");
  r.commit();
  EXPECT_EQ(contentOf(target), "von anderswo");
  EXPECT_EQ(filesIn(dir), QStringList{"ziel.dat"});
}

TEST_F(FileReplacementTest, WhatIsNotCommittedLeavesTheOldFileAndNoTemporaryFile) {
  writeFile(target, "kostbar");
  {
    rt::FileReplacement r(target);
    r.write("halb");
  }
  EXPECT_EQ(contentOf(target), "kostbar");
  EXPECT_EQ(filesIn(dir), QStringList{"ziel.dat"});

  // A write that fails half-way (the file-size limit holds for the superuser as well).
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const rt::RaisedError e = testenv::raised([&] { rt::replaceFileContent(target, QByteArray(5000, 'x')); });
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(e.number, 75);
  EXPECT_TRUE(e.description.contains(target)) << e.description.toStdString();
  EXPECT_EQ(contentOf(target), "kostbar");
  EXPECT_EQ(filesIn(dir), QStringList{"ziel.dat"});

  const rt::RaisedError missing =
      testenv::raised([&] { rt::replaceFileContent(dir + QStringLiteral("/fehlt/x.dat"), "abc"); });
  EXPECT_EQ(missing.number, 76);
}

// Someone reading the target while it is replaced sees the old file or the new one, never a
// missing, empty or half-written file.
TEST_F(FileReplacementTest, AReaderAlwaysSeesOneWholeFile) {
  const QByteArray a(256 * 1024, 'a');
  const QByteArray b(256 * 1024, 'b');
  writeFile(target, a);
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  std::atomic<int> broken{0};
  std::thread reader([&] {
    while (!done) {
      QFile f(target);
      if (!f.open(QIODevice::ReadOnly)) {
        ++broken;
        continue;
      }
      const QByteArray seen = f.readAll();
      if (seen != a && seen != b) ++broken;
      ++reads;
    }
  });
  for (int i = 0; i < 40; ++i) rt::replaceFileContent(target, i % 2 ? a : b);
  // The reader has had its turns, most of them while files were replaced.
  while (reads < 20) std::this_thread::yield();
  done = true;
  reader.join();
  EXPECT_EQ(broken, 0);
}

TEST_F(FileReplacementTest, RenameDurablyPutsAFileInPlace) {
  writeFile(target, "alt");
  const QString copy = dir + QStringLiteral("/kopie.tmp");
  writeFile(copy, "neu");
  rt::renameDurably(copy, target);
  EXPECT_EQ(contentOf(target), "neu");
  EXPECT_EQ(filesIn(dir), QStringList{"ziel.dat"});
  EXPECT_EQ(testenv::raised([&] { rt::renameDurably(copy, target); }).number, 76);
}

}  // namespace
