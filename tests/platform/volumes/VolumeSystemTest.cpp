#include "FakeSystem.h"
#include "platform/volumes/MountTable.h"
#include "platform/volumes/VolumeSystem.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>

using namespace volumes;

TEST(MountTable, DecodesKernelEscapes) {
  EXPECT_EQ(decodeMountField("/media/usb\\040stick"), QStringLiteral("/media/usb stick"));
  EXPECT_EQ(decodeMountField("a\\011b\\012c\\134d"), QStringLiteral("a\tb\nc\\d"));
  EXPECT_EQ(decodeMountField("/m/M\xc3\xbcller"), QStringLiteral("/m/Müller"));
  // Not a complete escape: kept as written.
  EXPECT_EQ(decodeMountField("x\\04"), QStringLiteral("x\\04"));
  EXPECT_EQ(decodeMountField("x\\9zz"), QStringLiteral("x\\9zz"));
}

TEST(MountTable, ParsesOptionalFieldsAndSkipsBadLines) {
  const MountTable t = MountTable::parse(
      "11 1 8:33 / /media/usbdisk rw shared:5 master:2 - ext4 /dev/sdc1 rw\n"
      "nonsense\n"
      "12 1 x:y / /bad rw - ext4 /dev/x rw\n"
      "13 1 0:5 / relative rw - ext4 /dev/x rw\n");
  ASSERT_EQ(t.entries().size(), 1u);
  const MountEntry& e = t.entries()[0];
  EXPECT_EQ(e.major, 8u);
  EXPECT_EQ(e.minor, 33u);
  EXPECT_EQ(e.mountPoint, QStringLiteral("/media/usbdisk"));
  EXPECT_EQ(e.fsType, QStringLiteral("ext4"));
  EXPECT_EQ(e.source, QStringLiteral("/dev/sdc1"));
}

TEST(MountTable, StackedMountsTheLastIsVisible) {
  const MountTable t = MountTable::parse(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 0:22 / /tmp rw - tmpfs tmpfs rw\n"
      "3 2 8:2 / /tmp rw - ext4 /dev/sda2 rw\n");
  ASSERT_NE(t.find("/tmp/a"), nullptr);
  EXPECT_EQ(t.find("/tmp/a")->source, QStringLiteral("/dev/sda2"));
  EXPECT_EQ(t.find("/tmpx")->mountPoint, QStringLiteral("/"));
  EXPECT_EQ(t.find("relative"), nullptr);
  EXPECT_EQ(t.find(""), nullptr);
}

struct TypeCase {
  const char* path;
  int type;
  const char* root;
};

class FakeVolumes : public ::testing::Test {
 protected:
  void SetUp() override { roots = fakesys::build(); }
  SystemRoots roots;
};

TEST_F(FakeVolumes, ClassifiesDriveTypesAndRoots) {
  const TypeCase cases[] = {
      {"/home/u/docs", kTypeFixed, "/"},                                 // ext4 on a SATA disk
      {"/media/usb stick/Fotos/", kTypeRemovable, "/media/usb stick/"},  // vfat on a USB stick, escaped blank
      {"/media/cdrom/x", kTypeCdRom, "/media/cdrom/"},                   // iso9660 on /dev/sr0
      {"/media/cd/x", kTypeFixed, "/media/cd/"},                         // no prefix of /media/cdrom
      {"/mnt/nfs/a/b", kTypeRemote, "/mnt/nfs/"},
      {"/mnt/share", kTypeRemote, "/mnt/share/"},
      {"/home/u/remote/x", kTypeRemote, "/home/u/remote/"},  // sshfs
      {"/mnt/9p", kTypeRemote, "/mnt/9p/"},
      {"/tmp/x", kTypeRamDisk, "/tmp/"},
      {"/mnt/zram/x", kTypeRamDisk, "/mnt/zram/"},
      {"/var/lib/docker/overlay2/x/merged/etc", kTypeFixed, "/var/lib/docker/overlay2/x/merged/"},
      {"/mnt/bind/sub", kTypeFixed, "/mnt/bind/"},  // bind mount of a folder of sda1
      {"/proc/1", kTypeUnknown, "/proc/"},
      {"/proc/sys/fs/binfmt_misc", kTypeUnknown, "/proc/sys/fs/binfmt_misc/"},
      {"/media/sd/DCIM", kTypeRemovable, "/media/sd/"},       // mmc card
      {"/media/usbdisk", kTypeRemovable, "/media/usbdisk/"},  // USB disk with removable=0
      {"/mnt/pool/x", kTypeRemovable, "/mnt/pool/"},          // btrfs: anonymous major, device by name
      {"/srv/data", kTypeFixed, "/srv/data/"},                // zfs
      {"/media/cdrom1", kTypeCdRom, "/media/cdrom1/"},        // optical drive without a disc
      {"/media/cdrom1/Daten", kTypeCdRom, "/media/cdrom1/"},
      {"relative/x", kTypeNoRoot, ""},
      {"", kTypeNoRoot, ""},
  };
  const VolumeSystem vs(roots);
  for (const TypeCase& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(vs.driveType(QString::fromUtf8(c.path)), c.type);
    EXPECT_EQ(vs.driveRoot(QString::fromUtf8(c.path)), QString::fromUtf8(c.root));
  }
}

TEST_F(FakeVolumes, LabelAndSerialFromUdevLinks) {
  const VolumeSystem vs(roots);
  const auto stick = vs.volumeFacts("/media/usb stick/Fotos");
  ASSERT_TRUE(stick);
  EXPECT_EQ(stick->fileSystem, QStringLiteral("vfat"));
  EXPECT_EQ(stick->label, QStringLiteral("USB STICK"));
  EXPECT_EQ(stick->id, QStringLiteral("1A2B-3C4D"));
  EXPECT_EQ(stick->serial, 0x1A2B3C4Du);

  const auto bind = vs.volumeFacts("/mnt/bind");
  ASSERT_TRUE(bind);
  EXPECT_EQ(bind->id, QLatin1String(fakesys::kRootUuid));
  EXPECT_EQ(bind->serial, 0x0f3c5e2au);
  EXPECT_EQ(bind->label, QString());

  const auto sd = vs.volumeFacts("/media/sd");
  ASSERT_TRUE(sd);
  EXPECT_EQ(sd->label, QStringLiteral("Kamera Müller"));
}

TEST_F(FakeVolumes, SerialWithoutIdIsStable) {
  const VolumeSystem vs(roots);
  const auto nfs = vs.volumeFacts("/mnt/nfs/a");
  ASSERT_TRUE(nfs);
  EXPECT_EQ(nfs->id, QStringLiteral("srv:/export"));
  EXPECT_EQ(nfs->serial, serialFromId(QStringLiteral("srv:/export")));
  // Two shares of one server are different media.
  EXPECT_NE(nfs->serial, vs.volumeFacts("/mnt/share")->serial);
  // An empty optical drive has no facts.
  EXPECT_FALSE(vs.volumeFacts("/media/cdrom1"));
  EXPECT_FALSE(vs.volumeFacts("relative"));
}

TEST(VolumeSerial, FromIdTexts) {
  const struct {
    const char* id;
    uint32_t serial;
  } cases[] = {
      {"1A2B-3C4D", 0x1A2B3C4Du},
      {"0000-abcd", 0x0000ABCDu},
      {"FFFF-FFFF", 0xFFFFFFFFu},
      {"01D2A3B4C5D6E7F8", 0xC5D6E7F8u},  // NTFS: low 32 bits
      {"0f3c5e2a-1b2c-4d5e-8f90-123456789abc", 0x0f3c5e2au},
      {"1a2b3c", 0x1a2b3cu},
      {"iso", 0x9d09dd0eu},  // not hex: FNV-1a
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(serialFromId(QString::fromUtf8(c.id)), c.serial);
  }
  // ISO 9660 dates are hashed, the same every time.
  EXPECT_EQ(serialFromId("2021-05-01-12-00-00-00"), serialFromId("2021-05-01-12-00-00-00"));
  EXPECT_NE(serialFromId("2021-05-01-12-00-00-00"), serialFromId("2021-05-01-12-00-00-01"));
}

TEST(VolumeSerial, DecodesUdevNames) {
  EXPECT_EQ(decodeUdevName("USB\\x20STICK"), QStringLiteral("USB STICK"));
  EXPECT_EQ(decodeUdevName("M\\xc3\\xbcller\\x2fx"), QStringLiteral("Müller/x"));
  EXPECT_EQ(decodeUdevName("plain\\x2"), QStringLiteral("plain\\x2"));
}

TEST(NetworkServer, FromTheMountSource) {
  const struct {
    const char* source;
    const char* server;
  } cases[] = {
      {"//srv/share", "srv"},
      {"//nas.local/Musik/Alben", "nas.local"},
      {"\\\\srv\\share", "srv"},
      {"srv:/export", "srv"},
      {"10.0.0.2:/srv/nfs", "10.0.0.2"},
      {"[fe80::1]:/export", "fe80::1"},
      {"u@host:/", "host"},
      {"user@host.example:path/below", "host.example"},
      {"host:", "host"},
      {"mon1,mon2:/", "mon1"},
      {"https://dav.example/remote.php", "dav.example"},
      {"host0", ""},  // a 9p channel names no server
      {"tmpfs", ""},
      {"/dev/sda1", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(serverOfSource(QString::fromUtf8(c.source)), c.server) << c.source;
}

TEST_F(FakeVolumes, NetworkServerOfAPathOnlyOnNetworkMounts) {
  const VolumeSystem vs(roots);
  const struct {
    const char* path;
    const char* server;
  } cases[] = {
      {"/mnt/nfs/a/b", "srv"}, {"/mnt/share", "srv"}, {"/home/u/remote/x", "host"},
      {"/mnt/9p/x", ""},       {"/home/u/docs", ""},  {"/tmp/x", ""},
      {"relative", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(vs.networkServer(QString::fromUtf8(c.path)), c.server) << c.path;
}

TEST_F(FakeVolumes, AccessOfEmptyOpticalDriveAndMissingPath) {
  const VolumeSystem vs(roots);
  EXPECT_EQ(vs.accessError("/media/cdrom1/x"), ENOMEDIUM);
  EXPECT_EQ(vs.accessError("relative"), ENOENT);
}

TEST_F(FakeVolumes, AMissingFolderOnAnInsertedDiscIsNoMissingDisc) {
  // Real folders stand for the mount points, so paths are checked for existence.
  const QString base = testenv::freshTempDir();
  ASSERT_TRUE(QDir().mkpath(base + "/cd/Daten"));
  ASSERT_TRUE(QDir().mkpath(base + "/leer"));
  auto write = [](const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  };
  const QByteArray b = base.toUtf8();
  write(base + "/mountinfo",
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 11:0 / " +
            b + "/cd ro - iso9660 /dev/sr0 ro\n");
  write(base + "/fstab", "/dev/sr0 " + b +
                             "/cd udf,iso9660 user,noauto 0 0\n"
                             "/dev/sr1 " +
                             b + "/leer udf,iso9660 user,noauto 0 0\n");
  roots.mountInfo = base + "/mountinfo";
  roots.fstab = base + "/fstab";
  roots.pathsMustExist = true;
  const VolumeSystem vs(roots);

  EXPECT_EQ(vs.accessError(base + "/cd/Daten"), 0);
  // Like any missing path: not found, not "no medium".
  EXPECT_EQ(vs.accessError(base + "/cd/Fehlt"), ENOENT);
  EXPECT_EQ(vs.driveType(base + "/cd/Fehlt"), kTypeNoRoot);
  // The drive without a disc still says so.
  EXPECT_EQ(vs.accessError(base + "/leer/x"), ENOMEDIUM);
  EXPECT_EQ(vs.driveType(base + "/leer/x"), kTypeCdRom);
}

TEST_F(FakeVolumes, ListsOpticalDrivesWithAndWithoutDisc) {
  const std::vector<OpticalDrive> drives = VolumeSystem(roots).opticalDrives();
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0].device, QStringLiteral("/dev/sr0"));
  EXPECT_EQ(drives[0].root, QStringLiteral("/media/cdrom/"));
  EXPECT_TRUE(drives[0].mounted);
  EXPECT_EQ(drives[1].device, QStringLiteral("/dev/sr1"));
  EXPECT_EQ(drives[1].root, QStringLiteral("/media/cdrom1/"));  // from fstab through /dev/cdrom1
  EXPECT_FALSE(drives[1].mounted);
  EXPECT_EQ(drives[2].root, QString());
}

TEST(RealVolumes, ClassifiesThisMachine) {
  const VolumeSystem vs;
  ASSERT_NE(vs.entryFor("/"), nullptr);
  EXPECT_EQ(vs.driveRoot("/"), QStringLiteral("/"));
  EXPECT_NE(vs.driveType("/"), kTypeNoRoot);
  EXPECT_EQ(vs.driveType("/proc"), kTypeUnknown);
  EXPECT_EQ(vs.driveRoot("/proc/self/status"), QStringLiteral("/proc/"));
  EXPECT_EQ(vs.driveType("/no/such/folder/zx"), kTypeNoRoot);
  EXPECT_EQ(vs.driveRoot("/no/such/folder/zx"), QString());

  const auto facts = vs.volumeFacts("/");
  ASSERT_TRUE(facts);
  EXPECT_FALSE(facts->fileSystem.isEmpty());
  EXPECT_FALSE(facts->id.isEmpty());
  EXPECT_EQ(facts->serial, VolumeSystem().volumeFacts("/")->serial);

  const auto space = vs.space("/");
  ASSERT_TRUE(space);
  EXPECT_GT(space->totalBytes, 0u);
  EXPECT_LE(space->freeBytes, space->totalBytes);
  EXPECT_FALSE(vs.space("/no/such/folder/zx"));

  EXPECT_EQ(vs.accessError("/"), 0);
  EXPECT_EQ(vs.accessError("/no/such/folder/zx"), ENOENT);
  EXPECT_NO_THROW(vs.opticalDrives());
  EXPECT_FALSE(hostName().contains(QLatin1Char('.')));
}
