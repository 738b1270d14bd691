#pragma once

// The kernel's table of mounted file systems (/proc/self/mountinfo format) and the drive root of a
// path: the mount point of the file system that holds it.

#include <QByteArray>
#include <QString>

#include <vector>

namespace volumes {

struct MountEntry {
  int mountId = 0;
  int parentId = 0;
  unsigned major = 0;
  unsigned minor = 0;
  QString root;        // folder of the file system that is mounted here ("/" unless a bind mount)
  QString mountPoint;  // without trailing "/" except for "/" itself
  QString fsType;      // "ext4", "vfat", "fuse.sshfs" ...
  QString source;      // "/dev/sda1", "srv:/export", "//srv/share", "tmpfs" ...
  QString superOptions;
};

// Undoes the kernel's octal escapes ("\040" blank, "\011" tab, "\012" line feed, "\134" backslash);
// the bytes are UTF-8.
QString decodeMountField(const QByteArray& field);

// A path made absolute-looking and free of "." / ".." / doubled "/" and of a trailing "/".
QString cleanAbsolutePath(const QString& path);

class MountTable {
 public:
  MountTable() = default;
  explicit MountTable(std::vector<MountEntry> entries) : entries_(std::move(entries)) {}

  // Malformed lines are skipped.
  static MountTable parse(const QByteArray& text);
  // An unreadable file gives an empty table.
  static MountTable fromFile(const QString& path = QStringLiteral("/proc/self/mountinfo"));

  const std::vector<MountEntry>& entries() const { return entries_; }

  // The mount whose mount point is the longest whole-component prefix of the path (the path is
  // cleaned, not resolved); of mounts stacked on one point the last one, which is the visible one.
  // nullptr for a relative or empty path or when nothing matches.
  const MountEntry* find(const QString& path) const;
  // The mount mounted exactly at mountPoint (the visible one), or nullptr.
  const MountEntry* at(const QString& mountPoint) const;

 private:
  std::vector<MountEntry> entries_;
};

// "/" for "/", else the mount point with "/" added.
QString rootWithSlash(const QString& mountPoint);

// True when prefix is path itself or a whole-component prefix of it ("/media/cd" is no prefix of
// "/media/cdrom"). Both are cleaned paths.
bool isPathPrefix(const QString& prefix, const QString& path);

}  // namespace volumes
