#include "foundation/mdlQZLib51_drives.h"
#include "platform/ui/MessageBox.h"
#include "platform/volumes/VolumeSystem.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

using testenv::writeFile;

// The system files below base: mountinfo, fstab, sys and dev, taken as written.
volumes::SystemRoots fakeRootsAt(const QString& base) {
  volumes::SystemRoots roots;
  roots.mountInfo = base + "/mountinfo";
  roots.sysRoot = base + "/sys";
  roots.devRoot = base + "/dev";
  roots.fstab = base + "/fstab";
  roots.pathsMustExist = false;
  roots.useBlkid = false;
  return roots;
}

// The library routines read the system named by the default roots: here a small fake one with
// a USB stick, a CD, a share, a RAM disk and an optical drive without a disc.
class FakeDrives : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString base = testenv::freshTempDir();
    const QString disk = base + "/sys/devices/pci0/usb1/1-1/host6/block/sdb";
    writeFile(disk + "/removable", "1\n");
    writeFile(disk + "/sdb1/partition", "1\n");
    QDir().mkpath(base + "/sys/class/block");
    ASSERT_TRUE(QFile::link(disk + "/sdb1", base + "/sys/class/block/sdb1"));
    for (const char* dev : {"sdb1", "sdc1", "sdd1", "sr0"}) writeFile(base + "/dev/" + dev, "");
    QDir().mkpath(base + "/dev/disk/by-uuid");
    QDir().mkpath(base + "/dev/disk/by-label");
    ASSERT_TRUE(QFile::link("../../sdb1", base + "/dev/disk/by-uuid/ABCD-EF01"));
    ASSERT_TRUE(QFile::link("../../sdb1", base + "/dev/disk/by-label/FERIEN\\x202024"));
    ASSERT_TRUE(QFile::link("../../sdc1", base + "/dev/disk/by-uuid/0000-ABCD"));
    ASSERT_TRUE(QFile::link("../../sdd1", base + "/dev/disk/by-uuid/FFFF-FFFF"));
    writeFile(base + "/fstab", "/dev/sr1 /media/dvd udf,iso9660 user,noauto 0 0\n");
    writeFile(base + "/mountinfo",
              "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
              "2 1 8:17 / /media/stick rw - vfat /dev/sdb1 rw\n"
              "3 1 8:33 / /media/a rw - vfat /dev/sdc1 rw\n"
              "4 1 8:49 / /media/b rw - vfat /dev/sdd1 rw\n"
              "5 1 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
              "6 1 0:50 / /mnt/nfs rw - nfs4 srv:/export rw\n"
              "7 1 0:22 / /mnt/ram rw - tmpfs tmpfs rw\n"
              "8 1 0:4 / /proc rw - proc proc rw\n");
    volumes::setDefaultRoots(fakeRootsAt(base));
  }
  void TearDown() override { volumes::setDefaultRoots(volumes::SystemRoots()); }
  testenv::BoxRecorder recorder;
};

}  // namespace

TEST_F(FakeDrives, VolumeInfoSerialInHexAndDecimal) {
  const struct {
    const char* path;
    const char* hex;
    const char* dec;
  } cases[] = {
      {"/media/stick/Fotos", "ABCD-EF01", "-1412567295"},
      {"/media/a", "0000-ABCD", "43981"},
      {"/media/b/", "FFFF-FFFF", "-1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto hex = GetVolumeInfo(c.path, true);
    ASSERT_TRUE(hex);
    EXPECT_EQ((*hex)[0], c.hex);
    EXPECT_EQ((*hex)[1], "vfat");
    const auto dec = GetVolumeInfo(c.path, false);
    ASSERT_TRUE(dec);
    EXPECT_EQ((*dec)[0], c.dec);
  }
  EXPECT_EQ((*GetVolumeInfo("/media/stick", false))[2], "FERIEN 2024");
  EXPECT_FALSE(GetVolumeInfo("/media/dvd", false));  // no disc
  EXPECT_FALSE(GetVolumeInfo("relative", false));
}

TEST_F(FakeDrives, DriveTypesAndTheirTexts) {
  const struct {
    const char* path;
    int type;
    const char* text;
  } cases[] = {
      {"/media/stick/x", 2, "Wechselmedium"},
      {"/home/u", 3, "Festplatte"},
      {"/mnt/nfs/a", 4, "Netzlaufwerk"},
      {"/media/cdrom", 5, "CD-ROM"},
      {"/media/dvd/x", 5, "CD-ROM"},
      {"/mnt/ram", 6, "RAM-Disk"},
      {"/proc/1", 0, ""},
      {"", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(DriveGetType(c.path), c.type);
    EXPECT_EQ(GetDriveTypeText(c.path), c.text);
  }
}

TEST_F(FakeDrives, ANetworkMountGivesItsServer) {
  EXPECT_EQ(GetUncServerName("/mnt/nfs/a/b"), "srv");
  EXPECT_EQ(GetUncServerName("/mnt/nfs"), "srv");
  EXPECT_EQ(GetUncServerName("/media/stick/x"), "");
  EXPECT_EQ(GetUncServerName("/mnt/ram"), "");
  EXPECT_EQ(GetUncServerName("//nas/share/x"), "nas");
}

TEST_F(FakeDrives, CheckDriveReadyNamesRootAndCause) {
  const struct {
    const char* path;
    int number;
    const char* text;
  } cases[] = {
      {"/media/dvd/Daten", 71, "Auf Laufwerk '/media/dvd/' kann nicht zugegriffen werden.\r\nDiskette nicht bereit."},
      {"relative/x", 76, "Auf Laufwerk 'relative/x' kann nicht zugegriffen werden.\r\nPfad nicht gefunden."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    recorder->shown.clear();
    EXPECT_EQ(TestDriveAccess(c.path), c.number);
    EXPECT_FALSE(CheckDriveReady(c.path, "Laufwerksüberprüfung"));
    ASSERT_EQ(recorder->shown.size(), 1u);
    EXPECT_EQ(recorder->shown[0].text, QString::fromUtf8(c.text));
    EXPECT_EQ(recorder->shown[0].title, "Laufwerksüberprüfung");
    EXPECT_EQ(recorder->shown[0].style, ui::kCritical);
  }
}

TEST(DriveCheck, AFailureWithoutAMessageOfItsOwnIsReportedAsUnknown) {
  // A mount point that cannot be entered for a reason none of the causes names: a link loop.
  const QString base = testenv::freshTempDir();
  ASSERT_TRUE(QFile::link(base + "/loop", base + "/loop"));
  writeFile(base + "/mountinfo", "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 0:50 / " + QFile::encodeName(base) +
                                     "/loop rw - nfs4 srv:/export rw\n");
  volumes::setDefaultRoots(fakeRootsAt(base));
  struct Restore {
    ~Restore() { volumes::setDefaultRoots(volumes::SystemRoots()); }
  } restore;
  testenv::BoxRecorder recorder;

  const int32_t number = TestDriveAccess(base + "/loop/Daten");
  EXPECT_NE(number, 0);
  EXPECT_FALSE(CheckDriveReady(base + "/loop/Daten", "Laufwerksüberprüfung"));
  ASSERT_EQ(recorder->shown.size(), 1u);
  EXPECT_EQ(recorder->shown[0].text,
            "Auf Laufwerk '" + base + "/loop/' kann nicht zugegriffen werden.\r\nUnbekannter Fehler.");
}

TEST(RealDrives, ThisMachine) {
  testenv::BoxRecorder recorder;

  const auto info = GetVolumeInfo("/", true);
  ASSERT_TRUE(info);
  EXPECT_TRUE(QRegularExpression("^[0-9A-F]{4}-[0-9A-F]{4}$").match((*info)[0]).hasMatch()) << (*info)[0].toStdString();
  const uint32_t fromHex = QString((*info)[0]).remove('-').toUInt(nullptr, 16);
  EXPECT_EQ((*GetVolumeInfo("/", false))[0], QString::number(static_cast<int32_t>(fromHex)));
  EXPECT_FALSE(GetVolumeInfo("/no/such/zx", false));

  const double total = GetDiskFreeSpaceValue("/", 1);
  const double free = GetDiskFreeSpaceValue("/", 0);
  EXPECT_GT(total, 0);
  // Other processes write while the test runs: used and free agree only within some slack.
  EXPECT_NEAR(GetDiskFreeSpaceValue("/", 2), total - free, 512.0 * 1024 * 1024);
  EXPECT_EQ(GetDiskFreeSpaceValue("/", 3), 0);
  EXPECT_EQ(GetDiskFreeSpaceValue("/no/such/zx", 0), 0);
  EXPECT_TRUE(DriveGetSpace_ExSupported("/"));

  EXPECT_EQ(TestDriveAccess("/"), 0);
  EXPECT_TRUE(CheckDriveReady(testenv::freshTempDir(), "Laufwerksüberprüfung"));
  EXPECT_TRUE(recorder->shown.empty());
  EXPECT_EQ(TestDriveAccess("/no/such/zx"), 76);
  EXPECT_EQ(DriveGetType("/proc"), 0);
  EXPECT_NE(DriveGetType("/"), 1);
  ui::setPresenter(nullptr);
}
