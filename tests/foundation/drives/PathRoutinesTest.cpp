#include "foundation/mdlQZLib51_drives.h"

#include <gtest/gtest.h>

namespace {

const QString kLong = QStringLiteral("/") + QString(4000, QLatin1Char('x')) + QStringLiteral(".dat");

}  // namespace

TEST(UncPaths, RootServerAndTest) {
  const struct {
    QString path;
    bool unc;
    rt::Variant root;
    QString server;
  } cases[] = {
      {"\\\\srv\\share\\dir", true, QString("\\\\srv\\share"), "srv"},
      {"\\\\srv\\share", true, QString("\\\\srv\\share"), "srv"},
      {"\\\\srv", true, rt::Null, ""},
      {"//srv/share/dir/x", true, QString("//srv/share"), "srv"},
      {"/\\srv\\share", true, QString("/\\srv\\share"), "srv"},
      {"\\x", false, rt::Null, ""},
      {"/home/u", false, QString("/home/u"), ""},
      {"", false, rt::Null, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    EXPECT_EQ(IsUncPath(c.path), c.unc);
    EXPECT_EQ(GetUncServerName(c.path), c.server);
    if (c.unc) {
      EXPECT_EQ(GetUncRoot(c.path), c.root);
    }
  }
}

TEST(DriveSpec, UncLetterAndMountRoot) {
  EXPECT_EQ(GetDriveSpec("c:\\temp"), "c");
  EXPECT_EQ(GetDriveSpec("\\\\srv\\share\\dir"), "\\\\srv\\share");
  EXPECT_EQ(GetDriveSpec("temp"), "");
  EXPECT_EQ(GetDriveSpec(""), "");
  EXPECT_EQ(GetDriveSpec("/proc/self"), "/proc/");
  EXPECT_EQ(GetDriveSpec("/no/such/zx"), "");
}

TEST(PathParts, NameFolderBaseAndExtension) {
  const struct {
    QString path;
    QString name, folder, folderSep, base, ext;
  } cases[] = {
      {"/home/u/Bericht 2024.txt", "Bericht 2024.txt", "/home/u", "/home/u/", "Bericht 2024", "txt"},
      {"/home/u/Müller/Änderung.ÖL", "Änderung.ÖL", "/home/u/Müller", "/home/u/Müller/", "Änderung", "ÖL"},
      {"/data/archiv.tar.gz", "archiv.tar.gz", "/data", "/data/", "archiv.tar", "gz"},
      {"/a.b/file", "file", "/a.b", "/a.b/", "file", ""},  // a dot in a folder is no extension
      {"/home/u/", "", "/home/u", "/home/u/", "", ""},
      {"/x.qvk", "x.qvk", "/", "/", "x", "qvk"},
      {"/home/u/.bashrc", ".bashrc", "/home/u", "/home/u/", "", "bashrc"},
      {"datei", "datei", "datei", "datei", "datei", ""},
      {"", "", "", "", "", ""},
      {"C:\\Daten\\x.txt", "C:\\Daten\\x.txt", "C:\\Daten\\x.txt", "C:\\Daten\\x.txt", "C:\\Daten\\x", "txt"},
      {kLong, kLong.mid(1), "/", "/", kLong.mid(1, 4000), "dat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.left(60).toStdString());
    EXPECT_EQ(GetFileNamePart(c.path, false), c.name);
    EXPECT_EQ(GetFileNamePart(c.path, true), c.name);
    EXPECT_EQ(GetFolderPart(c.path, false, false), c.folder);
    EXPECT_EQ(GetFolderPart(c.path, true, true), c.folderSep);
    EXPECT_EQ(GetFileBaseName(c.path), c.base);
    EXPECT_EQ(GetFileExtension(c.path), c.ext);
  }
}
