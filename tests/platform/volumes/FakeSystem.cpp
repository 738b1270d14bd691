#include "FakeSystem.h"

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

namespace fakesys {

namespace {

void writeFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  f.write(content);
}

void link(const QString& target, const QString& at) {
  QDir().mkpath(QFileInfo(at).path());
  if (!QFile::link(target, at)) qFatal("cannot link %s", qPrintable(at));
}

// A disk (and optionally one partition) below devicesDir, reachable through class/block and
// dev/block like the kernel's tree.
void addDisk(const QString& sys, const QString& deviceDir, const QString& disk, const char* removable,
             const QString& majorMinor, const QString& partition = QString(),
             const QString& partMajorMinor = QString()) {
  const QString dir = sys + QStringLiteral("/devices/") + deviceDir + QStringLiteral("/block/") + disk;
  writeFile(dir + QStringLiteral("/removable"), QByteArray(removable) + '\n');
  link(dir, sys + QStringLiteral("/class/block/") + disk);
  link(dir, sys + QStringLiteral("/dev/block/") + majorMinor);
  if (!partition.isEmpty()) {
    writeFile(dir + QLatin1Char('/') + partition + QStringLiteral("/partition"), "1\n");
    link(dir + QLatin1Char('/') + partition, sys + QStringLiteral("/class/block/") + partition);
    link(dir + QLatin1Char('/') + partition, sys + QStringLiteral("/dev/block/") + partMajorMinor);
  }
}

}  // namespace

volumes::SystemRoots build() {
  const QString base = testenv::freshTempDir();
  const QString sys = base + QStringLiteral("/sys");
  const QString dev = base + QStringLiteral("/dev");

  addDisk(sys, QStringLiteral("pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0"), QStringLiteral("sda"), "0",
          QStringLiteral("8:0"), QStringLiteral("sda1"), QStringLiteral("8:1"));
  addDisk(sys, QStringLiteral("pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/host6/target6:0:0/6:0:0:0"),
          QStringLiteral("sdb"), "1", QStringLiteral("8:16"), QStringLiteral("sdb1"), QStringLiteral("8:17"));
  // A USB hard disk reports removable=0; its bus makes it removable.
  addDisk(sys, QStringLiteral("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host7/target7:0:0/7:0:0:0"),
          QStringLiteral("sdc"), "0", QStringLiteral("8:32"), QStringLiteral("sdc1"), QStringLiteral("8:33"));
  addDisk(sys, QStringLiteral("pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0"), QStringLiteral("sr0"), "1",
          QStringLiteral("11:0"));
  addDisk(sys, QStringLiteral("pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0"), QStringLiteral("sr1"), "1",
          QStringLiteral("11:1"));
  addDisk(sys, QStringLiteral("pci0000:00/0000:00:1f.2/ata4/host3/target3:0:0/3:0:0:0"), QStringLiteral("sr2"), "1",
          QStringLiteral("11:2"));
  addDisk(sys, QStringLiteral("platform/soc/mmc_host/mmc0/mmc0:0001"), QStringLiteral("mmcblk0"), "0",
          QStringLiteral("179:0"), QStringLiteral("mmcblk0p1"), QStringLiteral("179:1"));
  addDisk(sys, QStringLiteral("virtual"), QStringLiteral("zram0"), "0", QStringLiteral("252:0"));

  for (const char* d : {"sda1", "sdb1", "sdc1", "sr0", "sr1", "sr2", "mmcblk0p1", "zram0"})
    writeFile(dev + QLatin1Char('/') + QLatin1String(d), QByteArray());
  link(QStringLiteral("sr1"), dev + QStringLiteral("/cdrom1"));
  link(QStringLiteral("../../sdb1"), dev + QStringLiteral("/disk/by-label/USB\\x20STICK"));
  link(QStringLiteral("../../sdb1"), dev + QStringLiteral("/disk/by-uuid/1A2B-3C4D"));
  link(QStringLiteral("../../sda1"), dev + QStringLiteral("/disk/by-uuid/") + QLatin1String(kRootUuid));
  link(QStringLiteral("../../mmcblk0p1"), dev + QStringLiteral("/disk/by-label/Kamera\\x20M\\xc3\\xbcller"));

  writeFile(base + QStringLiteral("/fstab"),
            "# static file systems\n"
            "UUID=0f3c5e2a-1b2c-4d5e-8f90-123456789abc / ext4 defaults 0 1\n"
            "/dev/sr0 /media/cdrom udf,iso9660 user,noauto 0 0\n"
            "/dev/cdrom1   /media/cdrom1\tudf,iso9660 user,noauto 0 0\n");

  writeFile(base + QStringLiteral("/mountinfo"),
            "1 0 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
            "2 1 8:17 / /media/usb\\040stick rw,nosuid shared:3 - vfat /dev/sdb1 rw,fmask=0022\n"
            "3 1 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
            "4 1 0:50 / /mnt/nfs rw - nfs4 srv:/export rw,vers=4.2\n"
            "5 1 0:51 / /mnt/share rw - cifs //srv/share rw\n"
            "6 1 0:22 / /tmp rw - tmpfs tmpfs rw\n"
            "7 1 0:60 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw,lowerdir=/a\n"
            "8 1 8:1 /home/data /mnt/bind rw - ext4 /dev/sda1 rw\n"
            "9 1 0:4 / /proc rw - proc proc rw\n"
            "10 1 179:1 / /media/sd rw - vfat /dev/mmcblk0p1 rw\n"
            "11 1 8:33 / /media/usbdisk rw shared:5 master:2 - ext4 /dev/sdc1 rw\n"
            "12 1 0:70 / /home/u/remote rw - fuse.sshfs u@host:/ rw\n"
            "13 1 252:0 / /mnt/zram rw - ext4 /dev/zram0 rw\n"
            "14 1 8:1 / /media/cd rw - ext4 /dev/sda1 rw\n"
            "15 1 0:33 / /mnt/pool rw - btrfs /dev/sdc1 rw\n"
            "16 1 0:34 / /srv/data rw - zfs tank/data rw\n"
            "17 9 0:35 / /proc/sys/fs/binfmt_misc rw - autofs systemd-1 rw\n"
            "garbage line\n"
            "18 1 0:36 / /mnt/9p rw - 9p host0 rw\n");

  volumes::SystemRoots roots;
  roots.mountInfo = base + QStringLiteral("/mountinfo");
  roots.sysRoot = sys;
  roots.devRoot = dev;
  roots.fstab = base + QStringLiteral("/fstab");
  roots.pathsMustExist = false;
  roots.useBlkid = false;
  return roots;
}

}  // namespace fakesys
