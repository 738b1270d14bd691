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
#include <optional>

namespace dirsrc {

namespace {

constexpr long kMsdosMagic = 0x4d44;  // vfat and msdos

using FdGuard = rt::UniqueFd;

// Entries straight from getdents64 into a buffer of its own: no directory stream, so no
// calls besides the listing and one statx per entry relative to the folder.
class PosixListing final : public DirListing {
 public:
  PosixListing(FdGuard fd, QByteArray path, bool fileFacts, bool fat)
      : fd_(std::move(fd)), path_(std::move(path)), fileFacts_(fileFacts), fat_(fat) {}

  bool next(DirEntry& e) override {
    for (;;) {
      if (at_ >= filled_) {
        if (ended_) return false;
        const ssize_t n = getdents64(fd_.get(), buffer_, sizeof buffer_);
        if (n < 0) throw rt::fileSystemError(errno, rt::decodeFileName(path_));
        if (n == 0) {
          ended_ = true;
          return false;
        }
        filled_ = static_cast<size_t>(n);
        at_ = 0;
      }
      const auto* d = reinterpret_cast<const dirent64*>(buffer_ + at_);
      at_ += d->d_reclen;
      const char* n = d->d_name;
      if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
      if (fill(e, n, d->d_type)) return true;
    }
  }

 private:
  // False when the entry vanished between listing and stat.
  bool fill(DirEntry& e, const char* name, unsigned char dtype) {
    // Into the storage of the last name unless someone shares it.
    const size_t len = std::strlen(name);
    e.name.resize(static_cast<qsizetype>(len));
    std::memcpy(e.name.data(), name, len);
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
    if (statx(fd_.get(), name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_SIZE | STATX_MTIME, &st) !=
        0) {
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
        e.mountPoint = makedev(st.stx_dev_major, st.stx_dev_minor) != device();
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

  // Asked only by kernels that do not mark mount roots.
  dev_t device() {
    if (!device_) {
      struct stat st;
      if (fstat(fd_.get(), &st) != 0) throw rt::fileSystemError(errno, rt::decodeFileName(path_));
      device_ = st.st_dev;
    }
    return *device_;
  }

  bool fatSystemBit(const char* name) const {
    FdGuard fd(openat(fd_.get(), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return false;
    uint32_t attrs = 0;
    if (ioctl(fd.get(), FAT_IOCTL_GET_ATTRIBUTES, &attrs) != 0) return false;
    return (attrs & ATTR_SYS) != 0;
  }

  FdGuard fd_;
  QByteArray path_;  // with trailing "/"
  bool fileFacts_;
  bool fat_;
  std::optional<dev_t> device_;
  bool ended_ = false;
  size_t filled_ = 0;
  size_t at_ = 0;
  alignas(dirent64) char buffer_[32768];
};

// Unsigned LEB128, with signed values zigzag-coded.
uint64_t zigzag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }
int64_t unzigzag(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }

char* putVarint(char* p, uint64_t v) {
  while (v >= 0x80) {
    *p++ = static_cast<char>((v & 0x7f) | 0x80);
    v >>= 7;
  }
  *p++ = static_cast<char>(v);
  return p;
}

const char* getVarint(const char* p, uint64_t& v) {
  v = 0;
  for (int shift = 0;; shift += 7) {
    const auto b = static_cast<unsigned char>(*p++);
    v |= static_cast<uint64_t>(b & 0x7f) << shift;
    if (!(b & 0x80)) return p;
  }
}

constexpr size_t kMaxVarint = 10;

// The name of an entry at p, after its length.
void takeName(DirEntry& e, const char* p, uint64_t len) {
  e.name.resize(static_cast<qsizetype>(len));
  std::memcpy(e.name.data(), p, len);
}

}  // namespace

std::unique_ptr<DirListing> PosixDirSource::open(const QByteArray& path, bool fileFacts) {
  FdGuard fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) throw rt::fileSystemError(errno, rt::decodeFileName(path));
  struct statfs sf;
  if (fstatfs(fd.get(), &sf) != 0) throw rt::fileSystemError(errno, rt::decodeFileName(path));
  QByteArray base = path;
  if (!base.endsWith('/')) base += '/';
  return std::make_unique<PosixListing>(std::move(fd), std::move(base), fileFacts, sf.f_type == kMsdosMagic);
}

void packEntry(std::string& buffer, const DirEntry& e) {
  const size_t at = buffer.size();
  buffer.resize(at + 5 * kMaxVarint + static_cast<size_t>(e.name.size()));
  char* const start = buffer.data() + at;
  char* p = putVarint(start, static_cast<uint64_t>(e.name.size()));
  p = putVarint(p, static_cast<uint64_t>(e.kind) | static_cast<uint64_t>(e.mountPoint) << 2 |
                       static_cast<uint64_t>(static_cast<uint32_t>(e.attributes)) << 3);
  p = putVarint(p, zigzag(e.size));
  p = putVarint(p, zigzag(e.mtimeSec));
  p = putVarint(p, static_cast<uint32_t>(e.mtimeNsec));
  std::memcpy(p, e.name.constData(), static_cast<size_t>(e.name.size()));
  buffer.resize(at + static_cast<size_t>(p - start) + static_cast<size_t>(e.name.size()));
}

size_t unpackEntry(const char* const start, DirEntry& e) {
  uint64_t len = 0, flags = 0, size = 0, mtime = 0, nsec = 0;
  const char* p = getVarint(start, len);
  p = getVarint(p, flags);
  p = getVarint(p, size);
  p = getVarint(p, mtime);
  p = getVarint(p, nsec);
  takeName(e, p, len);
  e.kind = static_cast<EntryKind>(flags & 3);
  e.mountPoint = (flags & 4) != 0;
  e.attributes = static_cast<int32_t>(flags >> 3);
  e.size = unzigzag(size);
  e.mtimeSec = unzigzag(mtime);
  e.mtimeNsec = static_cast<int32_t>(nsec);
  return static_cast<size_t>(p - start) + len;
}

}  // namespace dirsrc
