#include "catalogue/DirSource.h"

#include "platform/runtime/SystemError.h"
#include "platform/runtime/TextCodec.h"
#include "platform/runtime/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dirsrc {

namespace {

constexpr long kMsdosMagic = 0x4d44;  // vfat and msdos

using rt::DirCloser;
using FdGuard = rt::UniqueFd;

class PosixListing final : public DirListing {
 public:
  PosixListing(std::unique_ptr<DIR, DirCloser> dir, QByteArray path, dev_t device, bool fileFacts, bool fat)
      : dir_(std::move(dir)), path_(std::move(path)), device_(device), fileFacts_(fileFacts), fat_(fat) {}

  bool next(DirEntry& e) override {
    for (;;) {
      errno = 0;
      const dirent* d = readdir(dir_.get());
      if (!d) {
        if (errno != 0) throw rt::fileSystemError(errno, rt::decodeFileName(path_));
        return false;
      }
      const char* n = d->d_name;
      if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
      if (fill(e, n, d->d_type)) return true;
    }
  }

 private:
  // False when the entry vanished between listing and stat.
  bool fill(DirEntry& e, const char* name, unsigned char dtype) {
    e.name = QByteArray(name);
    e.size = 0;
    e.mtimeSec = 0;
    e.mtimeNsec = 0;
    e.mountPoint = false;
    e.attributes = name[0] == '.' ? kAttrHidden : 0;

    // Only folders need a stat when sizes and times of the rest are not wanted.
    if (!fileFacts_ && !fat_ && dtype != DT_DIR && dtype != DT_UNKNOWN) {
      e.kind = dtype == DT_REG ? EntryKind::File : dtype == DT_LNK ? EntryKind::Link : EntryKind::Special;
      return true;
    }
    struct statx st;
    if (statx(dirfd(dir_.get()), name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &st) != 0) {
      if (errno == ENOENT) return false;
      throw rt::fileSystemError(errno, rt::decodeFileName(path_ + name));
    }
    e.mtimeSec = st.stx_mtime.tv_sec;
    e.mtimeNsec = static_cast<int32_t>(st.stx_mtime.tv_nsec);
    if (S_ISDIR(st.stx_mode)) {
      e.kind = EntryKind::Folder;
      e.attributes |= kAttrFolder;
      // The kernel marks every mount root, bind mounts of the same file system included; a
      // changed device alone would also catch sub-volumes, which are no mounts.
      if (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        e.mountPoint = (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
      else
        e.mountPoint = makedev(st.stx_dev_major, st.stx_dev_minor) != device_;
    } else if (S_ISREG(st.stx_mode)) {
      e.kind = EntryKind::File;
      e.size = static_cast<int64_t>(st.stx_size);
    } else if (S_ISLNK(st.stx_mode)) {
      e.kind = EntryKind::Link;
      e.size = static_cast<int64_t>(st.stx_size);
    } else {
      e.kind = EntryKind::Special;
    }
    if (fat_ && (e.kind == EntryKind::File || e.kind == EntryKind::Folder) && fatSystemBit(name))
      e.attributes |= kAttrSystem;
    return true;
  }

  bool fatSystemBit(const char* name) const {
    FdGuard fd(openat(dirfd(dir_.get()), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return false;
    uint32_t attrs = 0;
    if (ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &attrs) != 0) return false;
    return (attrs & ATTR_SYS) != 0;
  }

  std::unique_ptr<DIR, DirCloser> dir_;
  QByteArray path_;  // with trailing "/"
  dev_t device_;
  bool fileFacts_;
  bool fat_;
};

}  // namespace

std::unique_ptr<DirListing> PosixDirSource::open(const QByteArray& path, bool fileFacts) {
  const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) throw rt::fileSystemError(errno, rt::decodeFileName(path));
  struct stat st;
  struct statfs sf;
  if (fstat(fd, &st) != 0 || fstatfs(fd, &sf) != 0) {
    const int err = errno;
    ::close(fd);
    throw rt::fileSystemError(err, rt::decodeFileName(path));
  }
  std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
  if (!dir) {
    const int err = errno;
    ::close(fd);
    throw rt::fileSystemError(err, rt::decodeFileName(path));
  }
  QByteArray base = path;
  if (!base.endsWith('/')) base += '/';
  return std::make_unique<PosixListing>(std::move(dir), std::move(base), st.st_dev, fileFacts,
                                        sf.f_type == kMsdosMagic);
}

}  // namespace dirsrc
