#include "foundation/cuAppError.h"
#include "foundation/mdlQZFramework.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace {

using testenv::raised;

using testenv::contentOf;
using testenv::modeOf;
using testenv::writeFile;

// Every file in the folder: a failed write must not leave temporary files behind.
QStringList filesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System); }

class FilePutTest : public ::testing::Test {
 protected:
  QString dir = testenv::freshTempDir();
  QString file = dir + "/out.txt";
};

}  // namespace

TEST_F(FilePutTest, PositionsIntoExistingAndMissingFiles) {
  const struct {
    const char* old;  // nullptr: no file
    const char* data;
    int32_t position;
    QByteArray expected;
  } cases[] = {
      {"12345", "abc", 3, "12abc"},
      {"12345", "x", 1, "x2345"},
      {"12345", "abc", 8, QByteArray("12345\0\0abc", 10)},  // beyond the end extends the file
      {"12345", "abc", 0, "abc"},                           // replaces (overwrite)
      {"12345", "", 0, ""},
      {nullptr, "abc", 1, "abc"},
      {nullptr, "abc", 0, "abc"},
      {nullptr, "", 0, ""},
      {"12345", "ä", 2,
       "1\xc3\xa4"
       "45"},  // characters go out as UTF-8 bytes
  };
  for (const auto& c : cases) {
    QFile::remove(file);
    if (c.old) writeFile(file, c.old);
    File_Put(file, QString::fromUtf8(c.data), c.position, true);
    EXPECT_EQ(contentOf(file), c.expected) << (c.old ? c.old : "(none)") << " at " << c.position;
  }
  EXPECT_EQ(filesIn(dir), QStringList{"out.txt"});
}

TEST_F(FilePutTest, RefusedWritesRaiseTheirMessageAndChangeNothing) {
  const struct {
    bool exists;
    int32_t position;
    bool overwrite;
    int32_t message;
  } cases[] = {
      {false, 2, true, 514},
      {false, -1, true, 514},  // refused before any file is made
      {true, -3, true, 514},
      {true, 0, false, 513},
  };
  for (const auto& c : cases) {
    QFile::remove(file);
    if (c.exists) writeFile(file, "12345");
    const rt::RaisedError e = raised([&] { File_Put(file, "abc", c.position, c.overwrite); });
    EXPECT_EQ(e.number, gErr->ProgramErrorNumber(c.message)) << c.position;
    EXPECT_EQ(e.source, "mdlQZFramework: File_Put");
    if (c.exists)
      EXPECT_EQ(contentOf(file), "12345");
    else
      EXPECT_FALSE(QFile::exists(file)) << c.position;
  }
  QFile::remove(file);
  EXPECT_EQ(raised([&] { File_Put(file, "abc", 2, true); }).description, "Ungültige Schreibposition.");
}

TEST_F(FilePutTest, ReadOnlyFileIsReplacedButKeepsItsProtectionWhenRefused) {
  writeFile(file, "old");
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0440), 0);

  const rt::RaisedError e = raised([&] { File_Put(file, "new", 0, false); });
  EXPECT_EQ(e.number, gErr->ProgramErrorNumber(513));
  EXPECT_EQ(e.description,
            QString("Die Datei '%1' existiert bereits und kann von diesem Programm nicht gelöscht werden.").arg(file));
  EXPECT_EQ(modeOf(file), 0440u);
  EXPECT_EQ(contentOf(file), "old");

  File_Put(file, "new", 0, true);
  EXPECT_EQ(contentOf(file), "new");
  EXPECT_EQ(modeOf(file), 0640u);  // read-only cleared, the rest of the permissions kept
}

TEST_F(FilePutTest, FileThisUserMayNotReplaceGives513AndStays) {
  // The superuser gets past every permission: the write runs as "nobody" in a child process.
  const bool root = ::geteuid() == 0;
  const struct {
    mode_t folder;
    mode_t file;
    bool needsRoot;
    const char* what;
  } cases[] = {
      {0755, 0644, false, "folder without write permission"},
      {01777, 0444, true, "another owner's file in a shared folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needsRoot && !root) continue;
    const QString folder = testenv::freshTempDir();
    const QString target = folder + "/alt.txt";
    writeFile(target, "alt");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), c.file), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), root ? c.folder : 0555), 0);
    const int code = testenv::inChild([&] {
      if (root && !testenv::dropPrivileges()) return testenv::kSkipCode;
      const rt::RaisedError e = raised([&] { File_Put(target, "neu", 0, true); });
      if (e.number != gErr->ProgramErrorNumber(513)) return 10;
      const QString text =
          QString("Die Datei '%1' existiert bereits und kann von diesem Programm nicht gelöscht werden.").arg(target);
      return e.description == text ? 0 : 11;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    if (code == testenv::kSkipCode) GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(contentOf(target), "alt");
    EXPECT_EQ(modeOf(target), c.file);
    EXPECT_EQ(filesIn(folder), QStringList{"alt.txt"});
  }
}

TEST_F(FilePutTest, WritesThroughALinkAndKeepsIt) {
  const QString real = dir + "/real.txt";
  writeFile(real, "12345");
  ASSERT_TRUE(QFile::link(real, file));
  File_Put(file, "ab", 2, false);
  EXPECT_EQ(contentOf(real), "1ab45");
  EXPECT_TRUE(QFileInfo(file).isSymLink());
}

TEST_F(FilePutTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  writeFile(file, "precious");
  // The file-size limit makes the write fail half-way, for the superuser as well.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const rt::RaisedError e = raised([&] { File_Put(file, QString(5000, 'x'), 0, true); });
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(e.number, 75);
  EXPECT_EQ(e.source, "mdlQZFramework: File_Put");
  EXPECT_TRUE(e.description.contains(file)) << e.description.toStdString();
  EXPECT_EQ(contentOf(file), "precious");
  EXPECT_EQ(filesIn(dir), QStringList{"out.txt"});
}

TEST_F(FilePutTest, MissingFolderGivesPathNotFound) {
  const rt::RaisedError e = raised([&] { File_Put(dir + "/no/such/folder/x.txt", "abc", 0, true); });
  EXPECT_EQ(e.number, 76);
  EXPECT_EQ(e.source, "mdlQZFramework: File_Put");
}

TEST_F(FilePutTest, NamesUpToTheLongestTheFileSystemTakes) {
  // 255 bytes is the longest name; the temporary file beside it must not need more.
  const QString names[] = {QString(255, 'a'), QString(127, QChar(0x00E4))};
  for (const QString& name : names) {
    const QString path = dir + "/" + name;
    File_Put(path, "abc", 0, true);
    File_Put(path, "xy", 2, false);
    EXPECT_EQ(contentOf(path), "axy") << name.size();
    File_Put(path, QString::fromUtf8("neu"), 0, true);
    EXPECT_EQ(contentOf(path), "neu");
  }
  EXPECT_EQ(filesIn(dir).size(), 2);
}

TEST_F(FilePutTest, WhatIsNoPlainFileIsRefusedAndLeftAlone) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0644), 0);
  for (const int32_t position : {1, 0}) {
    SCOPED_TRACE(position);
    // Should the write wait for a reader of the pipe, this ends the wait instead of the test.
    std::thread unblock([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    });
    const rt::RaisedError e = raised([&] { File_Put(file, "abc", position, true); });
    unblock.join();
    EXPECT_EQ(e.number, 75);
    EXPECT_EQ(e.source, "mdlQZFramework: File_Put");
    EXPECT_TRUE(e.description.contains(file)) << e.description.toStdString();
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
  }
  EXPECT_EQ(filesIn(dir), QStringList{"out.txt"});
}
