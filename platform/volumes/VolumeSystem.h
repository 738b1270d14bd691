#pragma once

// Facts about the medium under a path: drive root, drive type, label and serial, space, access,
// optical drives. Every system file it reads is named in SystemRoots, so tests run it against a
// fake mount table, sysfs, /dev and fstab.
//
// Drive types (the numbers are the program's, also its icon ids):
//   5 CD-ROM     iso9660 or udf, or the source is an sr device
//   4 network    nfs, nfs4, cifs, smb3, smbfs, sshfs, 9p, afs, ceph, glusterfs, davfs, lustre ...
//   6 RAM disk   tmpfs, ramfs, or the device is ram<n> / zram<n>
//   2 removable  a block device whose disk has sysfs removable=1 or sits on usb, mmc or firewire
//   3 fixed      any other block device (also a /dev source with a device number that sysfs
//                does not show); also overlay, zfs and aufs, which have no device of their
//                own but keep their data on local disks
//   1 no root    the path does not exist (and is not below an empty optical drive)
//   0 unknown    everything else: proc, sysfs, devtmpfs, cgroup, autofs, other fuse file systems
// An optical drive without a disc shows as type 5 at the mount point fstab gives it.

#include "platform/volumes/MountTable.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace volumes {

enum DriveType : int32_t {
  kTypeUnknown = 0,
  kTypeNoRoot = 1,
  kTypeRemovable = 2,
  kTypeFixed = 3,
  kTypeRemote = 4,
  kTypeCdRom = 5,
  kTypeRamDisk = 6,
};

struct SystemRoots {
  QString mountInfo = QStringLiteral("/proc/self/mountinfo");
  QString sysRoot = QStringLiteral("/sys");
  QString devRoot = QStringLiteral("/dev");
  QString fstab = QStringLiteral("/etc/fstab");
  // Off for fake tables whose mount points do not exist here: paths are then taken as written.
  bool pathsMustExist = true;
  // Off in tests of the fallbacks: libblkid is not asked.
  bool useBlkid = true;
};

struct VolumeFacts {
  QString fileSystem;
  QString label;
  QString id;           // the text the serial is made from (UUID, FAT volume id ...)
  uint32_t serial = 0;  // 32-bit, as DOS and Windows number a volume
};

struct Space {
  uint64_t freeBytes = 0;  // free to an unprivileged user
  uint64_t totalBytes = 0;
};

struct OpticalDrive {
  QString device;  // "/dev/sr0"
  QString root;    // mount point with "/" (mounted, else fstab's), "" when it has none
  bool mounted = false;
};

// The 32-bit serial of a volume id: "1A2B-3C4D" (FAT, exFAT) is that number, 16 hex digits (NTFS)
// give their low 32 bits, a UUID its first 32 bits, up to 8 hex digits their value, any other
// text a stable FNV-1a hash of its UTF-8 bytes.
uint32_t serialFromId(const QString& id);

// udev writes special characters of link names as "\xHH".
QString decodeUdevName(const QString& name);

// The server a network mount comes from, by its mount source: "//server/share" (SMB),
// "server:/export" (NFS), "user@host:path" (SSH), "[::1]:/export", "https://host/dav"; "" for a
// source that names no server ("host0" of 9p, "tmpfs").
QString serverOfSource(const QString& source);

class VolumeSystem {
 public:
  // Reads the system named by defaultRoots().
  VolumeSystem();
  explicit VolumeSystem(SystemRoots roots);

  const MountTable& mounts() const { return mounts_; }

  // The mount that holds the path (resolved through symbolic links when it exists), or nullptr.
  const MountEntry* entryFor(const QString& path) const;
  // Mount point with trailing "/", "" when the path has no root.
  QString driveRoot(const QString& path) const;
  int32_t driveType(const QString& path) const;
  int32_t typeOf(const MountEntry& entry) const;
  // The server of the network mount that holds the path; "" on any other kind of mount.
  QString networkServer(const QString& path) const;
  // Nothing when the path has no root or its medium is missing.
  std::optional<VolumeFacts> volumeFacts(const QString& path) const;
  std::optional<Space> space(const QString& path) const;
  // 0 when the drive root of the path can be entered, else an errno (ENOMEDIUM for an empty
  // optical drive, ENOENT for a missing path).
  int accessError(const QString& path) const;
  std::vector<OpticalDrive> opticalDrives() const;

 private:
  struct Resolved {
    QString path;                       // cleaned (and resolved) path
    QByteArray native;                  // the resolved path's bytes, when it exists
    const MountEntry* entry = nullptr;  // holding mount
    QString emptyOpticalRoot;           // set when the path is at or below an empty optical drive
  };
  Resolved resolve(const QString& path) const;
  QString blockDeviceDir(const MountEntry& entry) const;
  QString devicePath(const MountEntry& entry) const;
  std::vector<std::pair<QString, QString>> fstabOptical() const;

  SystemRoots roots_;
  MountTable mounts_;
};

// The system files that VolumeSystem() reads: the real ones unless a test points them elsewhere.
SystemRoots defaultRoots();
void setDefaultRoots(const SystemRoots& roots);

// The computer's network name without its domain; "" when it cannot be had.
QString hostName();

}  // namespace volumes
