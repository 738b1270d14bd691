#include "platform/jet/FileLock.h"

#include "platform/jet/JetError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <utility>

namespace jet::detail {

namespace {

// Far beyond SQLite's lock bytes at 1 GiB, so neither disturbs the other.
constexpr off_t kLockOffset = off_t(1) << 40;

struct Held {
  int fd = -1;
  int shared = 0;
  bool exclusive = false;
};

std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}
std::map<std::pair<unsigned long long, unsigned long long>, Held>& registry() {
  static std::map<std::pair<unsigned long long, unsigned long long>, Held> r;
  return r;
}

bool setLock(int fd, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = kLockOffset;
  fl.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

}  // namespace

std::unique_ptr<FileLock> FileLock::acquire(const QString& path, Mode mode, bool needWrite, int conflictError,
                                            const QString& object) {
  const QByteArray native = path.toLocal8Bit();
  struct stat st {};
  if (::stat(native.constData(), &st) != 0) raise(err::kFileNotFound, object, path);
  if (!S_ISREG(st.st_mode)) raise(err::kNotADatabase, object, path);
  const auto key =
      std::make_pair(static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
  std::lock_guard guard(registryMutex());
  auto& reg = registry();
  auto it = reg.find(key);
  if (it != reg.end()) {
    if (mode == Mode::Exclusive || it->second.exclusive) raise(conflictError, object, path);
    ++it->second.shared;
    return std::unique_ptr<FileLock>(new FileLock(key.first, key.second, mode));
  }
  const bool writeLock = mode == Mode::Exclusive;
  int fd = ::open(native.constData(), ((needWrite || writeLock) ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) raise(err::kFileNotFound, object, path);
    raise(err::kCannotOpen, object, path);
  }
  if (!setLock(fd, writeLock ? F_WRLCK : F_RDLCK)) {
    const int e = errno;
    ::close(fd);
    if (e == EAGAIN || e == EACCES) raise(conflictError, object, path);
    raise(err::kCannotOpen, object, path);
  }
  Held held;
  held.fd = fd;
  held.exclusive = writeLock;
  held.shared = writeLock ? 0 : 1;
  reg.emplace(key, held);
  return std::unique_ptr<FileLock>(new FileLock(key.first, key.second, mode));
}

QByteArray FileLock::readPrefix(int n) const {
  std::lock_guard guard(registryMutex());
  const auto it = registry().find({dev_, ino_});
  if (it == registry().end() || n <= 0) return QByteArray();
  QByteArray bytes(n, '\0');
  const ssize_t got = ::pread(it->second.fd, bytes.data(), static_cast<size_t>(n), 0);
  bytes.truncate(got > 0 ? static_cast<qsizetype>(got) : 0);
  return bytes;
}

FileLock::~FileLock() {
  std::lock_guard guard(registryMutex());
  auto& reg = registry();
  auto it = reg.find({dev_, ino_});
  if (it == reg.end()) return;
  if (mode_ == Mode::Shared && --it->second.shared > 0) return;
  ::close(it->second.fd);
  reg.erase(it);
}

}  // namespace jet::detail
