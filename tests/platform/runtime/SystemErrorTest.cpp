// A failed system call becomes the runtime's number and a German text; opening a file to read
// it tells a missing file from a missing folder, as the runtime does.

#include "platform/runtime/SystemError.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The errno of opening path for reading (0: it opened).
int openErrno(const QString& path, int flags = O_RDONLY) {
  const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return 0;
  }
  return errno;
}

TEST(SystemError, OpeningAFileInTheRuntimesNumbersAndWords) {
  const struct {
    int errnum;
    int32_t number;
    QString text;
  } cases[] = {
      {ENOENT, 53, "Datei nicht gefunden"},
      {ENOTDIR, 76, "Pfad nicht gefunden"},
      {EACCES, 70, "Zugriff verweigert"},
      {EPERM, 70, "Zugriff verweigert"},
      {ENAMETOOLONG, 52, "Dateiname oder -nummer falsch"},
      {EBUSY, 55, "Datei bereits geöffnet"},
      {ETXTBSY, 55, "Datei bereits geöffnet"},
      {EIO, 57, "Ein-/Ausgabefehler des Geräts"},
      {ENOMEDIUM, 71, "Datenträger nicht bereit"},
      {ENXIO, 68, "Gerät nicht verfügbar"},
      {ENODEV, 68, "Gerät nicht verfügbar"},
      {EISDIR, 75, "Fehler beim Zugriff auf Pfad/Datei"},
      {ELOOP, 75, "Fehler beim Zugriff auf Pfad/Datei"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.errnum);
    EXPECT_EQ(rt::errorNumberOf(c.errnum, rt::SystemCall::OpenFile), c.number);
    const rt::RaisedError e = rt::systemError(c.errnum, rt::SystemCall::OpenFile);
    EXPECT_EQ(e.number, c.number);
    EXPECT_EQ(e.description, c.text);
    EXPECT_TRUE(e.source.isEmpty());
    const rt::RaisedError named = rt::fileSystemError(c.errnum, "/v/a b.txt", rt::SystemCall::OpenFile);
    EXPECT_EQ(named.number, c.number);
    EXPECT_EQ(named.description, c.text + ": /v/a b.txt");
  }
  // An errno the runtime has no number for keeps the system's own words.
  const rt::RaisedError other = rt::systemError(EXDEV, rt::SystemCall::OpenFile);
  EXPECT_EQ(other.number, 75);
  EXPECT_TRUE(other.description.startsWith("Fehler beim Zugriff auf Pfad/Datei ("));
  EXPECT_TRUE(other.description.endsWith(")"));
  EXPECT_GT(other.description.size(), QStringLiteral("Fehler beim Zugriff auf Pfad/Datei ()").size());
  EXPECT_EQ(rt::errorNumberOf(0, rt::SystemCall::OpenFile), 0);
}

TEST(SystemError, OtherUsesOfAFileKeepTheirNumbers) {
  // The same errnos where a file is used, not opened to be read.
  const struct {
    int errnum;
    int32_t number;
    QString text;
  } cases[] = {
      {ENOENT, 76, "Pfad nicht gefunden: /x"},
      {ENOTDIR, 76, "Kein Ordner: /x"},
      {ENAMETOOLONG, 75, "Pfad zu lang: /x"},
      {ENOSPC, 61, "Datenträger voll: /x"},
      {EROFS, 70, "Zugriff verweigert: /x"},
      {EIO, 57, "Ein-/Ausgabefehler des Geräts: /x"},
      {ENOMEM, 7, "Nicht genügend Speicher: /x"},
      {EMFILE, 67, "Zu viele Dateien geöffnet: /x"},
      {ELOOP, 75, "Zu viele symbolische Verknüpfungen: /x"},
      {EBUSY, 75, ""},  // the system's own words
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.errnum);
    const rt::RaisedError e = rt::fileSystemError(c.errnum, "/x");
    EXPECT_EQ(e.number, c.number);
    if (c.text.isEmpty()) {
      EXPECT_TRUE(e.description.startsWith("Fehler beim Zugriff auf Pfad/Datei (")) << e.description.toStdString();
      EXPECT_TRUE(e.description.endsWith("): /x")) << e.description.toStdString();
    } else {
      EXPECT_EQ(e.description, c.text);
    }
    EXPECT_EQ(rt::systemError(c.errnum).number, c.number);
  }
  EXPECT_EQ(rt::errorNumberOf(ENOENT, rt::SystemCall::EnterFolder), 76);
  EXPECT_EQ(rt::errorNumberOf(EACCES, rt::SystemCall::EnterFolder), 75);
}

TEST(SystemError, WhatTheSystemReportsForRealFiles) {
  const QString dir = testenv::freshTempDir();
  testenv::writeFile(dir + "/da.txt", "x");
  const struct {
    QString path;
    int flags;
    int32_t number;
  } cases[] = {
      {dir + "/fehlt.txt", O_RDONLY, 53},
      {dir + "/da.txt/drin.txt", O_RDONLY, 76},  // a file where a folder should be
      {dir, O_WRONLY, 75},                       // a folder is no file to write
      {dir + "/" + QString(300, 'n'), O_RDONLY, 52},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    const int errnum = openErrno(c.path, c.flags);
    ASSERT_NE(errnum, 0);
    EXPECT_EQ(rt::fileSystemError(errnum, c.path, rt::SystemCall::OpenFile).number, c.number);
  }
  EXPECT_EQ(openErrno(dir + "/da.txt"), 0);
}

}  // namespace
