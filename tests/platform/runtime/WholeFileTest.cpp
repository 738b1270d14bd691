// A whole file read into memory: only regular files, never waiting for a FIFO, never beyond
// the size the caller allows.

#include "platform/runtime/WholeFile.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

using Outcome = rt::WholeFile::Outcome;

QByteArray native(const QString& path) { return QFile::encodeName(path); }

const char* nameOf(Outcome o) {
  switch (o) {
    case Outcome::Read:
      return "Read";
    case Outcome::Directory:
      return "Directory";
    case Outcome::NotRegular:
      return "NotRegular";
    case Outcome::TooLarge:
      return "TooLarge";
    case Outcome::Failed:
      return "Failed";
  }
  return "?";
}

}  // namespace

TEST(WholeFile, WhatIsReadAndWhatIsRefused) {
  const QString dir = testenv::freshTempDir();
  testenv::writeFile(dir + "/text.txt", "Grüße");
  testenv::writeFile(dir + "/leer.txt", QByteArray());
  testenv::writeFile(dir + "/zehn.bin", QByteArray(10, 'z'));
  ASSERT_EQ(::mkfifo(native(dir + "/pipe").constData(), 0644), 0);
  ASSERT_EQ(::mkdir(native(dir + "/ordner").constData(), 0755), 0);
  ASSERT_TRUE(QFile::link(dir + "/text.txt", dir + "/verweis"));
  ASSERT_TRUE(QFile::link(dir + "/ordner", dir + "/verweis-ordner"));
  ASSERT_TRUE(QFile::link(dir + "/fehlt", dir + "/toter-verweis"));
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray sockPath = native(dir + "/sock");
  ASSERT_LT(static_cast<size_t>(sockPath.size()), sizeof address.sun_path);
  std::memcpy(address.sun_path, sockPath.constData(), static_cast<size_t>(sockPath.size()));
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

  const struct {
    QString path;
    qint64 cap;
    Outcome outcome;
    QByteArray bytes;
    int error;
  } cases[] = {
      {dir + "/text.txt", 100, Outcome::Read, "Grüße", 0},
      {dir + "/text.txt", rt::kAnyFileSize, Outcome::Read, "Grüße", 0},
      {dir + "/leer.txt", 0, Outcome::Read, "", 0},
      {dir + "/zehn.bin", 10, Outcome::Read, QByteArray(10, 'z'), 0},  // the cap itself is allowed
      {dir + "/zehn.bin", 9, Outcome::TooLarge, "", 0},
      {dir + "/verweis", 100, Outcome::Read, "Grüße", 0},  // a link stands for its file
      {dir + "/pipe", 100, Outcome::NotRegular, "", 0},    // would block if it were waited for
      {"/dev/null", 100, Outcome::NotRegular, "", 0},
      {dir + "/ordner", 100, Outcome::Directory, "", 0},
      {dir + "/verweis-ordner", 100, Outcome::Directory, "", 0},
      {dir + "/fehlt", 100, Outcome::Failed, "", ENOENT},
      {dir + "/toter-verweis", 100, Outcome::Failed, "", ENOENT},
      {dir + "/text.txt/unter", 100, Outcome::Failed, "", ENOTDIR},
      {dir + "/sock", 100, Outcome::Failed, "", ENXIO},  // a socket cannot be opened
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString() + " cap " + std::to_string(c.cap));
    const rt::WholeFile file = rt::readWholeFile(native(c.path), c.cap);
    EXPECT_STREQ(nameOf(file.outcome), nameOf(c.outcome));
    EXPECT_EQ(file.bytes, c.bytes);
    EXPECT_EQ(file.error, c.error);
  }
  ::close(sock);
}

// A file that reports no size and holds more (as those below /proc do) is held to the cap while
// it is read.
TEST(WholeFile, AFileThatGrowsBeyondTheCapWhileReadIsTooLarge) {
  const QByteArray status = "/proc/self/status";
  const rt::WholeFile whole = rt::readWholeFile(status, rt::kAnyFileSize);
  ASSERT_STREQ(nameOf(whole.outcome), "Read");
  ASSERT_GT(whole.bytes.size(), 20);
  EXPECT_TRUE(whole.bytes.startsWith("Name:"));

  const rt::WholeFile capped = rt::readWholeFile(status, 20);
  EXPECT_STREQ(nameOf(capped.outcome), "TooLarge");
  EXPECT_TRUE(capped.bytes.isEmpty());
}

TEST(WholeFile, AFileThisUserMayNotReadFailsWithItsError) {
  const QString dir = testenv::freshTempDir();
  const QString path = dir + "/geheim.txt";
  testenv::writeFile(path, "geheim");
  ASSERT_EQ(::chmod(native(path).constData(), 0), 0);
  ASSERT_EQ(::chmod(native(dir).constData(), 0755), 0);
  // The superuser reads every file: the read runs as "nobody" in a child process.
  const bool root = ::geteuid() == 0;
  const int code = testenv::inChild([&] {
    if (root && !testenv::dropPrivileges()) return testenv::kSkipCode;
    const rt::WholeFile file = rt::readWholeFile(native(path), 100);
    if (file.outcome != Outcome::Failed) return 10;
    if (!file.bytes.isEmpty()) return 11;
    return file.error == EACCES ? 0 : 12;
  });
  ::chmod(native(dir).constData(), 0700);
  if (code == testenv::kSkipCode) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(code, 0);
}
