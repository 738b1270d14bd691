#include "FakeSystem.h"
#include "ReaderTestSupport.h"
#include "catalogue/mdlCommand_volumes.h"
#include "foundation/mdlQZLib51_drives.h"
#include "platform/jet/Database.h"
#include "platform/volumes/VolumeSystem.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using readertest::BoxRecorder;
using readertest::Catalogue;

class VolumeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { cat.create(testenv::freshTempDir()); }
  void addVolume(int32_t vid, const QString& path, const QString& serial) {
    cat.addVolume(vid, path);
    cat.db->Execute(QStringLiteral("UPDATE tblVOLUMES SET VolumeSerial = ? WHERE VID = ?"), 0,
                    {rt::Variant(serial), rt::Variant(vid)});
  }
  bool check(const QString& path, const QString& serial, const rt::Variant& vid = rt::Null) {
    rec.boxes().shown.clear();
    selected.clear();
    return VolumeCheck(*cat.db, path, serial, vid, [this](int32_t v) { selected.push_back(v); });
  }
  Catalogue cat;
  BoxRecorder rec;
  std::vector<int32_t> selected;
};

TEST_F(VolumeCommandsTest, VolumeBelowAboveOrAtThePath) {
  addVolume(3, QStringLiteral("/media/u/D/Daten/Fotos/"), QStringLiteral("12345"));
  addVolume(4, QStringLiteral("/media/u/D/"), QStringLiteral("777"));
  // Below: 105 and 106 with the stored volume's id.
  EXPECT_FALSE(check(QStringLiteral("/media/u/D/Daten/"), QStringLiteral("12345")));
  ASSERT_EQ(rec.boxes().shown.size(), 1u);
  EXPECT_EQ(rec.boxes().shown[0].text,
            QStringLiteral("Der Pfad '/media/u/D/Daten/' kann nicht verwendet werden\r\n"
                           "In einem Unterverzeichnis wurde bereits das Volume '3' angelegt.\r\n"
                           "Bitte wählen Sie einen anderen Pfad."));
  EXPECT_EQ(rec.boxes().shown[0].style, ui::kCritical);
  // Without the separator the path still means the folder, not "Daten2".
  addVolume(5, QStringLiteral("/media/u/D/Daten2/"), QStringLiteral("555"));
  EXPECT_TRUE(check(QStringLiteral("/media/u/D/Daten"), QStringLiteral("555")));
  // Above: 105 and 107 with the stored path and name.
  EXPECT_FALSE(check(QStringLiteral("/media/u/D/Daten/"), QStringLiteral("777")));
  EXPECT_TRUE(rec.boxes().shown[0].text.endsWith(
      QStringLiteral("In dem übergeordneten Verzeichnis '/media/u/D/' wurde bereits ein Volume (Volume 4) angelegt.\r\n"
                     "Bitte wählen Sie einen anderen Pfad.")));
  // A stored path that occurs inside the new one but not at its start is no parent.
  EXPECT_TRUE(check(QStringLiteral("/mnt/x/media/u/D/y/"), QStringLiteral("777")));
  // The same path: the volume is selected, then the question decides.
  for (const int answer : {ui::kAnswerYes, ui::kAnswerNo}) {
    rec.boxes().script(answer);
    EXPECT_EQ(check(QStringLiteral("/media/u/D/Daten/Fotos/"), QStringLiteral("12345")), answer == ui::kAnswerYes);
    EXPECT_EQ(selected, std::vector<int32_t>{3});
    EXPECT_EQ(rec.boxes().shown[0].style, ui::kYesNo + ui::kCritical + ui::kDefaultButton2);
    EXPECT_TRUE(rec.boxes().shown[0].text.endsWith(QStringLiteral("Möchten Sie das Volume dennoch einlesen?")));
  }
  // Letter case counts on this file system.
  EXPECT_FALSE(check(QStringLiteral("/media/u/D/daten/fotos/"), QStringLiteral("12345")) && !selected.empty());
  EXPECT_TRUE(selected.empty());
  // Relocating a volume to its own path; an unknown serial.
  EXPECT_TRUE(check(QStringLiteral("/media/u/D/Daten/Fotos/"), QStringLiteral("12345"), 3));
  EXPECT_TRUE(check(QStringLiteral("/media/u/D/"), QStringLiteral("999")));
  EXPECT_TRUE(rec.boxes().shown.empty());
}

// Folder names that are SQL keywords, Like wildcards or quotes are plain text here.
TEST_F(VolumeCommandsTest, OddFolderNamesAreComparedAsTheyAre) {
  const char* const names[] = {"Tom and Jerry", "Disc #1", "[alt]", "50%_off", "O'Brien", "a*b?", "x or y"};
  int vid = 10;
  for (const char* n : names) {
    SCOPED_TRACE(n);
    const QString folder = QStringLiteral("/m/") + QString::fromUtf8(n) + QLatin1Char('/');
    const QString serial = QStringLiteral("S'%1").arg(vid);
    addVolume(vid, folder + QStringLiteral("Sub/"), serial);
    EXPECT_FALSE(check(folder, serial));  // the stored volume below it is found
    ASSERT_EQ(rec.boxes().shown.size(), 1u);
    EXPECT_TRUE(rec.boxes().shown[0].text.contains(QStringLiteral("Volume '%1'").arg(vid)));
    EXPECT_FALSE(check(folder + QStringLiteral("Sub/Tiefer/"), serial));  // and above it
    EXPECT_TRUE(check(QStringLiteral("/m/anders/"), serial));
    // A wildcard in the name matches nothing else.
    EXPECT_TRUE(check(QStringLiteral("/m/") + QString::fromUtf8(n).left(2) + QLatin1Char('/'), serial));
    ++vid;
  }
}

TEST_F(VolumeCommandsTest, DriveTypeTexts) {
  const struct {
    int32_t type;
    bool changeable;
    const char* text;
  } cases[] = {{0, false, ""},
               {1, true, ""},
               {2, true, "Wechselmedium"},
               {3, false, "Festplatte"},
               {4, false, "Netzlaufwerk"},
               {5, true, "CD-ROM"},
               {6, true, "RAM-Disk"},
               {7, false, ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsChangeableDrive(c.type), c.changeable) << c.type;
    EXPECT_EQ(fVolumeTypeString(c.type), QString::fromUtf8(c.text)) << c.type;
  }
}

// The drive facts of every kind of volume, read from a fake system: a USB stick, a CD, shares
// of three kinds, a disk and a RAM disk.
TEST_F(VolumeCommandsTest, DriveInfoOfEachKindOfVolume) {
  volumes::setDefaultRoots(fakesys::build());
  struct Restore {
    ~Restore() { volumes::setDefaultRoots(volumes::SystemRoots()); }
  } restore;
  const QString here = GetComputerNameText();
  ASSERT_FALSE(here.isEmpty());
  const struct {
    const char* path;
    int32_t type;
    const char* typeText;
    QString computer;
    const char* label;
  } cases[] = {
      {"/media/usb stick/Fotos", 2, "Wechselmedium", "-", "USB STICK"},
      {"/media/cdrom/x", 5, "CD-ROM", "-", ""},
      {"/mnt/nfs/a/b", 4, "Netzlaufwerk", "srv", ""},
      {"/mnt/share", 4, "Netzlaufwerk", "srv", ""},
      {"/home/u/remote/x", 4, "Netzlaufwerk", "host", ""},
      {"/home/u/docs", 3, "Festplatte", here, ""},
      {"/tmp/x", 6, "RAM-Disk", here, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const DriveInfoRec r = DriveInfo(QString::fromUtf8(c.path));
    EXPECT_EQ(r.VolumeType, c.type);
    EXPECT_EQ(r.VolumeTypeString, QString::fromUtf8(c.typeText));
    EXPECT_EQ(r.VolumeTypeString, fVolumeTypeString(r.VolumeType));
    EXPECT_EQ(r.Computername, c.computer);
    EXPECT_EQ(r.VolumeLabel, QString::fromUtf8(c.label));
    EXPECT_FALSE(r.VolumeSerial.isEmpty());
  }
  // The stick's serial is its FAT volume id, as a signed decimal number.
  EXPECT_EQ(DriveInfo(QStringLiteral("/media/usb stick")).VolumeSerial, QString::number(0x1A2B3C4D));
}

TEST_F(VolumeCommandsTest, VolumeCountAndInfo) {
  EXPECT_EQ(fVolumeCount(nullptr), 0);
  EXPECT_EQ(fVolumeCount(), 0);  // no catalogue open in gDB
  EXPECT_EQ(fVolumeCount(cat.db.get()), 0);
  cat.addVolume(1, QStringLiteral("/a/"));
  cat.addVolume(2, QStringLiteral("/b/"));
  EXPECT_EQ(fVolumeCount(cat.db.get()), 2);
  for (int pid : {1, 2, 3})
    cat.db->Execute(
        QStringLiteral("INSERT INTO tblPATHS (PID, VolumeID, Files, Size, TotalDirs, TotalFiles, TotalSize) "
                       "VALUES (?, 1, 0, 0, 0, 0, 0)"),
        0, {rt::Variant(pid)});
  cat.db->Execute(
      QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) "
                     "VALUES (1, 2, 'a', 40000, 1000)"));
  cat.db->Execute(
      QStringLiteral("INSERT INTO tblFILES (FID, PathID, Filename, DateTime, Filesize) "
                     "VALUES (2, 3, 'b', 40000, 536)"));
  auto info = fVolumeInfo(*cat.db, 1);
  EXPECT_EQ(info->Name, QStringLiteral("Volume 1"));
  EXPECT_EQ(info->Path, QStringLiteral("/a/"));
  EXPECT_EQ(info->Folders, 2);
  EXPECT_EQ(info->Files, 2);
  EXPECT_EQ(info->Bytes, 1536.0);
  std::vector<PropItem> rows;
  fVolumeInfo2InfoData(*info, rows);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[2].Name, QStringLiteral("Ordner"));
  EXPECT_EQ(rows[2].Value, QStringLiteral("2"));
  EXPECT_EQ(rows[3].Value, QStringLiteral("2"));
  EXPECT_EQ(rows[4].Name, QStringLiteral("Größe"));
  EXPECT_EQ(rows[4].Value, QStringLiteral("1.536 Bytes (1,5 KB)"));
  // An empty volume has zeros, not an error.
  auto empty = fVolumeInfo(*cat.db, 2);
  EXPECT_EQ(empty->Name, QStringLiteral("Volume 2"));
  EXPECT_EQ(empty->Folders, 0);
  EXPECT_EQ(empty->Files, 0);
  EXPECT_EQ(empty->Bytes, 0.0);
}

}  // namespace
